// What the recorder prints: the status line's fields, and how status lines
// and events share a terminal or a plain stream (journald).
#include "recorder/RecorderConsole.h"
#include "recorder/StatusLine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

MeasurementRecord sample()
{
    MeasurementRecord r;
    r.voltage = 16.525f;
    r.current = 2.0f;
    r.capacity = 1234;
    r.temperature = 25.0f;
    r.cellVoltage[0] = 4.13f;
    r.cellVoltage[1] = 4.12f;
    r.cellVoltage[3] = 4.14f; // a 0.0 cell in between is left out, as the overview does
    return r;
}

TEST(StatusLine, ShowsTheLatestRecordAndTheRecordsOnDisk)
{
    const struct {
        int elapsed;
        long long written;
        bool lineDown;
        const char* line;
    } cases[] = {
        {83, 83, false, "0:01:23  16.52 V  2.00 A  1234 mAh  25 C  cells 4.13 4.12 4.14  83 records"},
        {1, 1, false, "0:00:01  16.52 V  2.00 A  1234 mAh  25 C  cells 4.13 4.12 4.14  1 record"},
        {3725, 3700, true, "1:02:05  line lost, waiting  3700 records"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(statusLine(sample(), c.elapsed, c.written, c.lineDown), c.line);
    EXPECT_EQ(statusLine(MeasurementRecord{}, 2, 0, false), "0:00:02  0.00 V  0.00 A  0 mAh  0 C  0 records");
}

std::string printed(bool terminal)
{
    std::FILE* file = std::tmpfile();
    {
        RecorderConsole console(file, terminal);
        console.status("s1");
        console.status("s2");
        console.event("event");
        console.event("next");
        console.status("s3");
    } // the last status line is ended
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(file);
    return text;
}

TEST(RecorderConsole, TerminalRewritesTheStatusLinePlainStreamsGetLines)
{
    EXPECT_EQ(printed(true), "\r\x1b[Ks1\r\x1b[Ks2\r\x1b[Kevent\nnext\n\r\x1b[Ks3\n");
    EXPECT_EQ(printed(false), "s1\ns2\nevent\nnext\ns3\n");
}

} // namespace
