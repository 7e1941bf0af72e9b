// What the analysis window shows, without the window: cursors snapped to the
// chosen run's samples and moved by the keyboard, the figures between them
// (the whole run while a cursor is missing), the chosen run changing under
// the cursors, and cursors dropped when the followed file starts anew.
#include "analysis/AnalysisSession.h"

#include "SyntheticRun.h"
#include "core/recording/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using Cursor = AnalysisSession::Cursor;

void writeRun(const std::string& path, int first, int count, bool append = false)
{
    std::ofstream out(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    for (int s = first; s < first + count; ++s) {
        const RecordBytes b = toBytes(sampleRecord(s, 10.0f + 0.01f * s, 1.0f, s));
        out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }
}

TEST(AnalysisSession, CursorsSnapMoveAndBoundTheFigures)
{
    TempDir dir;
    writeRun(dir.file("run.tvr"), 1, 100);
    AnalysisSession session;
    std::string error;
    ASSERT_TRUE(session.open(dir.file("run.tvr"), error)) << error;

    // No cursor yet: the figures cover the whole run.
    ASSERT_TRUE(session.stats());
    EXPECT_EQ(session.stats()->duration, 99);

    enum Op { Place, Step, ToEnd };
    const struct {
        const char* name;
        Op op;
        Cursor cursor;
        double arg;
        std::optional<double> a, b; // shown times afterwards
    } steps[] = {
        {"A between samples snaps to the nearer", Place, Cursor::A, 10.4, 10, {}},
        {"B before the run snaps to its first sample", Place, Cursor::B, -50, 10, 1},
        {"B steps right", Step, Cursor::B, 3, 10, 4},
        {"A steps left past the start stops there", Step, Cursor::A, -1000, 1, 4},
        {"B to the last sample", ToEnd, Cursor::B, 1, 1, 100},
        {"A to the last sample too", ToEnd, Cursor::A, 1, 100, 100},
        {"A steps right past the end stops there", Step, Cursor::A, 5, 100, 100},
    };
    for (const auto& s : steps) {
        switch (s.op) {
        case Place: session.placeCursor(s.cursor, s.arg); break;
        case Step: session.stepCursor(s.cursor, static_cast<long>(s.arg)); break;
        case ToEnd: session.cursorToEnd(s.cursor, s.arg != 0); break;
        }
        EXPECT_EQ(session.cursorTime(Cursor::A), s.a) << s.name;
        EXPECT_EQ(session.cursorTime(Cursor::B), s.b) << s.name;
    }
    session.placeCursor(Cursor::A, 20);
    session.placeCursor(Cursor::B, 30);
    EXPECT_EQ(session.stats()->duration, 10);
    EXPECT_EQ(session.stats()->capacityDelta, 10);
}

TEST(AnalysisSession, CursorsKeepTheirTimesOnAnotherRunAndGoWhenTheFileStartsAnew)
{
    TempDir dir;
    writeRun(dir.file("long.tvr"), 1, 100);
    writeRun(dir.file("short.tvr"), 1, 20);
    AnalysisSession session;
    std::string error;
    ASSERT_TRUE(session.open(dir.file("long.tvr"), error));
    ASSERT_TRUE(session.open(dir.file("short.tvr"), error));
    EXPECT_FALSE(session.open(dir.file("missing.tvr"), error));
    EXPECT_EQ(session.runCount(), 2u);
    EXPECT_EQ(session.view().to(), 100);

    session.placeCursor(Cursor::A, 5);
    session.placeCursor(Cursor::B, 50);
    session.setCurrentRun(1);
    EXPECT_EQ(session.cursorTime(Cursor::A), 5);
    EXPECT_EQ(session.cursorTime(Cursor::B), 20) << "beyond the short run: its last sample";

    // The short run's file is emptied for a new charge: its cursors go.
    writeRun(dir.file("short.tvr"), 1, 3);
    const std::size_t generation = session.generation();
    EXPECT_TRUE(session.refresh());
    EXPECT_GT(session.generation(), generation);
    EXPECT_FALSE(session.cursorTime(Cursor::A));
    EXPECT_EQ(session.run(1).data().size(), 3u);
    // Growing the long run moves nothing else.
    writeRun(dir.file("long.tvr"), 101, 10, true);
    EXPECT_TRUE(session.refresh());
    EXPECT_EQ(session.view().to(), 110);
    EXPECT_FALSE(session.refresh());
}

} // namespace
