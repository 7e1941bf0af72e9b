// Progress of a long command on a terminal: nothing for the first second,
// then one line rewritten in place and cleared at the end; nothing at all
// when standard error is a pipe or a file.
#include "TerminalProgress.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace {

std::string drain(int fd)
{
    std::string out;
    char buffer[256];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<std::size_t>(n));
    return out;
}

// What the progress writes to `writeEnd` over one long piece of work, on a
// clock moved by the test: whatever the machine's load, the steps are as timed.
std::string shownOver(int writeEnd, int readEnd)
{
    using namespace std::chrono_literals;
    std::FILE* stream = ::fdopen(writeEnd, "w");
    EXPECT_NE(stream, nullptr);
    TerminalProgress::Clock::time_point now{};
    {
        TerminalProgress progress("trelvane-log", "day\x1b.tvr", stream, [&] { return now; });
        EXPECT_TRUE(progress.advance(1, 4)); // within the first second: nothing
        now += 1050ms;
        EXPECT_TRUE(progress.advance(2, 4));
        now += 150ms;
        EXPECT_TRUE(progress.advance(3, 4)); // too soon after the last: not redrawn
        now += 60ms;
        progress.show(TerminalProgress::count(7, 800, "files"));
        progress.finish();
    }
    std::fclose(stream);
    ::fcntl(readEnd, F_SETFL, O_NONBLOCK);
    return drain(readEnd);
}

TEST(TerminalProgress, ShowsOneLineAfterASecondOnATerminalAndClearsIt)
{
    int master = -1;
    int slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    const std::string shown = shownOver(slave, master);
    ::close(master);
    const std::string half = "trelvane-log: day\\x1B.tvr: 50 %";
    const std::string files = "trelvane-log: day\\x1B.tvr: 7 of 800 files";
    EXPECT_EQ(shown, "\r" + half + "\r" + files + "\r" + std::string(files.size(), ' ') + "\r");
}

TEST(TerminalProgress, WritesNothingIntoAPipe)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    EXPECT_EQ(shownOver(ends[1], ends[0]), "");
    ::close(ends[0]);
}

TEST(TerminalProgress, LineGivesTheShareDone)
{
    TerminalProgress progress("trelvane-log", "x.tvr", nullptr);
    const struct {
        std::int64_t done, total;
        const char* text;
    } cases[] = {{0, 10, "trelvane-log: x.tvr: 0 %"}, {999, 1000, "trelvane-log: x.tvr: 99 %"},
                 {1000, 1000, "trelvane-log: x.tvr: 100 %"}, {0, 0, "trelvane-log: x.tvr: 100 %"},
                 {156250000, 312500000, "trelvane-log: x.tvr: 50 %"}};
    for (const auto& c : cases)
        EXPECT_EQ(progress.line(c.done, c.total), c.text);
}

} // namespace
