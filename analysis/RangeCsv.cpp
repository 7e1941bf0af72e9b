#include "analysis/RangeCsv.h"

#include "recording/LogCsvExport.h"

bool writeCsvRange(const std::string& logPath, std::size_t first, std::size_t last, const std::string& outPath,
                   std::string& error)
{
    LogCsvExport csv(logPath);
    if (csv.isOpen() && static_cast<std::int64_t>(last) >= csv.records()) {
        error = logPath + ": the file holds fewer records than were shown (it was shortened)";
        return false;
    }
    if (!csv.write(outPath, static_cast<std::int64_t>(first), static_cast<std::int64_t>(last))) {
        error = csv.failedFile() + ": " + csv.reason();
        return false;
    }
    return true;
}
