#pragma once

#include "recording/LogProgress.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

// "tool: what: 42 %" (or another state: "120 of 800 files") on one line of
// standard error, rewritten in place, for work that has run longer than a
// second, and only when standard error is a terminal (a script's log gets no
// progress lines). The line is cleared when the work ends. `what` is shown
// escaped: it is usually a name from outside.
class TerminalProgress : public LogProgress {
public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;

    TerminalProgress(std::string tool, std::string what, std::FILE* terminal = stderr, Now now = Clock::now);
    ~TerminalProgress() override;
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    // Shows the share done; never stops the work.
    bool advance(std::int64_t done, std::int64_t total) override;
    // Shows "tool: what: state", as often as advance() would.
    void show(const std::string& state);
    // Clears the line now (before the tool prints its results).
    void finish();

    // The text shown for done of total, e.g. "trelvane-log: run.tvr: 42 %".
    std::string line(std::int64_t done, std::int64_t total) const;
    // "120 of 800 what", for work counted in things rather than a share.
    static std::string count(std::int64_t done, std::int64_t total, const std::string& what);

private:
    std::string tool_;
    std::string what_;
    std::FILE* terminal_;
    bool isTerminal_;
    Now now_;
    Clock::time_point started_;
    Clock::time_point lastShown_{};
    std::size_t shownLength_ = 0;
};
