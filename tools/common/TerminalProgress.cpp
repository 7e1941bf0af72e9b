#include "TerminalProgress.h"

#include <unistd.h>

namespace {
using namespace std::chrono_literals;
constexpr auto kQuietFor = 1s;         // short work shows nothing
constexpr auto kRedrawEvery = 200ms;   // a line rewritten faster is not read
} // namespace

TerminalProgress::TerminalProgress(std::string tool, std::string what, std::FILE* terminal)
    : tool_(std::move(tool)), what_(std::move(what)), terminal_(terminal),
      isTerminal_(terminal != nullptr && ::isatty(::fileno(terminal)) == 1)
{
}

TerminalProgress::~TerminalProgress()
{
    finish();
}

std::string TerminalProgress::line(std::int64_t done, std::int64_t total) const
{
    const std::int64_t percent = total > 0 ? done * 100 / total : 100;
    return tool_ + ": " + what_ + ": " + std::to_string(percent) + " %";
}

bool TerminalProgress::advance(std::int64_t done, std::int64_t total)
{
    if (!isTerminal_)
        return true;
    const Clock::time_point now = Clock::now();
    if (now - started_ < kQuietFor || now - lastShown_ < kRedrawEvery)
        return true;
    lastShown_ = now;
    const std::string text = line(done, total);
    // Spaces over whatever a longer earlier line left.
    const std::size_t pad = shownLength_ > text.size() ? shownLength_ - text.size() : 0;
    std::fprintf(terminal_, "\r%s%*s", text.c_str(), static_cast<int>(pad), "");
    std::fflush(terminal_);
    shownLength_ = text.size();
    return true;
}

void TerminalProgress::finish()
{
    if (shownLength_ == 0)
        return;
    std::fprintf(terminal_, "\r%*s\r", static_cast<int>(shownLength_), "");
    std::fflush(terminal_);
    shownLength_ = 0;
}
