// Error lines of the tools: what comes from outside cannot drive the terminal.
#include "CommandLine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Report, NamesAndReasonsFromOutsideAreShownEscaped)
{
    const struct {
        std::string what;
        std::string reason;
        std::string line;
    } cases[] = {
        {"charge.tvr", "No such file or directory", "tool: charge.tvr: No such file or directory\n"},
        {"\x1b[2Jwiped.tvr", "is a log", "tool: \\x1B[2Jwiped.tvr: is a log\n"},
        {"Gr\xc3\xa4tzel.tvr", "bad\nline", "tool: Gr\xc3\xa4tzel.tvr: bad\\x0Aline\n"},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        cli::report("tool", c.what, c.reason);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.line);
    }
    testing::internal::CaptureStderr();
    cli::report("tool", "unknown command \x9b" "31m");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "tool: unknown command \\x9B31m\n");
}

} // namespace
