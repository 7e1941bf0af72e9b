#include "RunListing.h"

#include "CommandLine.h"
#include "Printable.h"
#include "LibraryCommands.h"

#include <algorithm>

namespace {

// Display width of UTF-8 text: continuation bytes take no column.
std::size_t width(const std::string& text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

bool numeric(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789.-+%") == std::string::npos;
}

} // namespace

std::string RunListing::text() const
{
    // For a terminal: paths and names from outside are shown escaped.
    std::vector<std::vector<std::string>> rows;
    for (const auto& row : rows_) {
        rows.emplace_back();
        for (const std::string& cell : row)
            rows.back().push_back(cli::printable(cell));
    }
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], width(row[c]));
    }
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            const std::size_t pad = widths[c] - width(row[c]);
            const bool last = c + 1 == row.size();
            if (c > 0)
                line += "  ";
            if (numeric(row[c]))
                line += std::string(pad, ' ') + row[c];
            else
                line += row[c] + (last ? "" : std::string(pad, ' '));
        }
        out += line + "\n";
    }
    return out;
}

std::string RunListing::csv() const
{
    std::string out;
    for (const auto& row : rows_) {
        for (std::size_t c = 0; c < row.size(); ++c)
            out += (c > 0 ? "," : "") + row[c];
        out += "\n";
    }
    return out;
}

std::vector<std::string> RunListing::headings(const std::vector<RunColumn>& columns, bool csv)
{
    std::vector<std::string> out;
    for (const RunColumn column : columns) {
        const RunColumnInfo& info = runColumnInfo(column);
        out.push_back(csv ? info.key
                          : std::string(info.label) + (info.unit[0] != '\0' ? std::string(" (") + info.unit + ")" : ""));
    }
    return out;
}

std::vector<std::string> RunListing::row(const LibraryRun& run, const std::vector<RunColumn>& columns, bool csv)
{
    std::vector<std::string> out;
    for (const RunColumn column : columns)
        out.push_back(csv ? runCsv(run, column) : runText(run, column));
    return out;
}

bool print(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        cli::report(kLibraryTool, "standard output", "cannot be written");
        return false;
    }
    return true;
}
