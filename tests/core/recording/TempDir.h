#pragma once

#include "acquisition/MeasurementRecord.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// A fresh directory for one test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/trelvane-test-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (::mkdtemp(name.data()))
            path_ = name.data();
    }
    ~TempDir()
    {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline std::vector<std::uint8_t> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeRecords(const std::string& path, const std::vector<MeasurementRecord>& records,
                         const std::vector<std::uint8_t>& tail = {})
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const MeasurementRecord& r : records) {
        const RecordBytes bytes = toBytes(r);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    out.write(reinterpret_cast<const char*>(tail.data()), static_cast<std::streamsize>(tail.size()));
}

// Whole records of a file, in order (a trailing fragment is left out).
inline std::vector<MeasurementRecord> recordsOf(const std::vector<std::uint8_t>& bytes)
{
    std::vector<MeasurementRecord> out;
    for (std::size_t at = 0; at + kRecordSize <= bytes.size(); at += kRecordSize)
        out.push_back(fromBytes(bytes.data() + at));
    return out;
}
