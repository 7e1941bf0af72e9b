#include "recorder/RecorderConsole.h"

namespace {

// Back to the start of the line and erase it.
constexpr const char* kClearLine = "\r\033[K";

} // namespace

void RecorderConsole::status(const std::string& line)
{
    if (terminal_) {
        std::fputs(kClearLine, out_);
        std::fputs(line.c_str(), out_);
        statusShown_ = true;
    } else {
        std::fputs(line.c_str(), out_);
        std::fputc('\n', out_);
    }
    std::fflush(out_);
}

void RecorderConsole::event(const std::string& line)
{
    clearStatus();
    std::fputs(line.c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

void RecorderConsole::finish()
{
    if (statusShown_) {
        std::fputc('\n', out_);
        std::fflush(out_);
        statusShown_ = false;
    }
}

void RecorderConsole::clearStatus()
{
    if (statusShown_) {
        std::fputs(kClearLine, out_);
        statusShown_ = false;
    }
}
