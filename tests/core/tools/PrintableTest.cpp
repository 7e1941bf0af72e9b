// Names from outside (paths, USB descriptors) printed on a terminal: what is
// shown as it is and what is escaped.
#include "Printable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Printable, EscapesControlsAndBrokenUtf8AndKeepsTheRest)
{
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"a b", "a b"},
        {"line\nbreak", "line\\x0Abreak"},
        {"\x1b[2Jcleared", "\\x1B[2Jcleared"},
        {"tab\there\x7f", "tab\\x09here\\x7F"},
        {"Gr\xc3\xa4tzel \xe2\x82\xac \xf0\x9f\x94\x8b", "Gr\xc3\xa4tzel \xe2\x82\xac \xf0\x9f\x94\x8b"},
        {"\xc2\x9b" "31m", "\\xC2\\x9B31m"},          // C1 CSI, UTF-8 encoded
        {"\xff\xfe", "\\xFF\\xFE"},                    // not UTF-8
        {"\xc0\xaf", "\\xC0\\xAF"},                    // overlong "/"
        {"\xed\xa0\x80", "\\xED\\xA0\\x80"},           // a surrogate
        {"cut \xe2\x82", "cut \\xE2\\x82"},            // a sequence cut short
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cli::printable(c.in), c.out) << c.out;
}

} // namespace
