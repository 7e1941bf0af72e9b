#pragma once

#include "acquisition/ByteSource.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

// A byte source that plays back a script; a 0 in the script is a time-out,
// and the end of the script reads as silence for ever.
class ScriptedByteSource : public ByteSource {
public:
    ScriptedByteSource() = default;

    void append(const std::vector<std::uint8_t>& bytes) { script_.insert(script_.end(), bytes.begin(), bytes.end()); }
    void append(std::initializer_list<std::uint8_t> bytes) { script_.insert(script_.end(), bytes); }
    void silence() { script_.push_back(0); }

    int readByte() override
    {
        ++reads_;
        if (next_ >= script_.size())
            return 0;
        return script_[next_++];
    }

    std::size_t consumed() const { return next_; }
    std::size_t remaining() const { return script_.size() - next_; }
    std::size_t reads() const { return reads_; }

private:
    std::vector<std::uint8_t> script_;
    std::size_t next_ = 0;
    std::size_t reads_ = 0;
};
