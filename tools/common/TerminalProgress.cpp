#include "TerminalProgress.h"

#include "Printable.h"

#include <unistd.h>

namespace {
using namespace std::chrono_literals;
constexpr auto kQuietFor = 1s;         // short work shows nothing
constexpr auto kRedrawEvery = 200ms;   // a line rewritten faster is not read

std::string share(std::int64_t done, std::int64_t total)
{
    return std::to_string(total > 0 ? done * 100 / total : 100) + " %";
}
} // namespace

TerminalProgress::TerminalProgress(std::string tool, std::string what, std::FILE* terminal, Now now)
    : tool_(std::move(tool)), what_(cli::printable(what)), terminal_(terminal),
      isTerminal_(terminal != nullptr && ::isatty(::fileno(terminal)) == 1), now_(std::move(now)), started_(now_())
{
}

TerminalProgress::~TerminalProgress()
{
    finish();
}

std::string TerminalProgress::line(std::int64_t done, std::int64_t total) const
{
    return tool_ + ": " + what_ + ": " + share(done, total);
}

std::string TerminalProgress::count(std::int64_t done, std::int64_t total, const std::string& what)
{
    return std::to_string(done) + " of " + std::to_string(total) + " " + what;
}

bool TerminalProgress::advance(std::int64_t done, std::int64_t total)
{
    if (isTerminal_)
        show(share(done, total));
    return true;
}

void TerminalProgress::show(const std::string& state)
{
    if (!isTerminal_)
        return;
    const Clock::time_point now = now_();
    if (now - started_ < kQuietFor || now - lastShown_ < kRedrawEvery)
        return;
    lastShown_ = now;
    const std::string text = tool_ + ": " + what_ + ": " + state;
    // Spaces over whatever a longer earlier line left.
    const std::size_t pad = shownLength_ > text.size() ? shownLength_ - text.size() : 0;
    std::fprintf(terminal_, "\r%s%*s", text.c_str(), static_cast<int>(pad), "");
    std::fflush(terminal_);
    shownLength_ = text.size();
}

void TerminalProgress::finish()
{
    if (shownLength_ == 0)
        return;
    std::fprintf(terminal_, "\r%*s\r", static_cast<int>(shownLength_), "");
    std::fflush(terminal_);
    shownLength_ = 0;
}
