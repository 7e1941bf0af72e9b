#pragma once

#include "library/RunColumns.h"

#include <cstdio>
#include <string>
#include <vector>

// Rows of text in aligned columns, for people; or comma-separated, for scripts.
class RunListing {
public:
    explicit RunListing(std::vector<std::string> headings) { rows_.push_back(std::move(headings)); }
    void add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }
    // Aligned text: numbers to the right, the last column as it is.
    std::string text() const;
    std::string csv() const;

    // The headings of run columns: "Capacity (mAh)"; for CSV their keys.
    static std::vector<std::string> headings(const std::vector<RunColumn>& columns, bool csv);
    static std::vector<std::string> row(const LibraryRun& run, const std::vector<RunColumn>& columns, bool csv);

private:
    std::vector<std::vector<std::string>> rows_;
};

// Writes to standard output; false with a report when it cannot be written.
bool print(const std::string& text);
