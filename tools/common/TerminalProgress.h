#pragma once

#include "recording/LogProgress.h"

#include <chrono>
#include <cstdio>
#include <string>

// "tool: what: 42 %" on one line of standard error, rewritten in place, for
// work that has run longer than a second, and only when standard error is a
// terminal (a script's log gets no progress lines). The line is cleared when
// the work ends.
class TerminalProgress : public LogProgress {
public:
    using Clock = std::chrono::steady_clock;

    TerminalProgress(std::string tool, std::string what, std::FILE* terminal = stderr);
    ~TerminalProgress() override;
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    bool advance(std::int64_t done, std::int64_t total) override;
    // Clears the line now (before the tool prints its results).
    void finish();

    // The text shown for done of total, e.g. "trelvane-log: run.tvr: 42 %".
    std::string line(std::int64_t done, std::int64_t total) const;

private:
    std::string tool_;
    std::string what_;
    std::FILE* terminal_;
    bool isTerminal_;
    Clock::time_point started_ = Clock::now();
    Clock::time_point lastShown_{};
    std::size_t shownLength_ = 0;
};
