#pragma once

#include <cstdio>
#include <string>

// Where the recorder tells what it does. On a terminal the status line is
// rewritten in place and events print above it; elsewhere (a pipe, journald)
// everything is a plain line of its own, with no control characters.
class RecorderConsole {
public:
    RecorderConsole(std::FILE* out, bool terminal) : out_(out), terminal_(terminal) {}
    ~RecorderConsole() { finish(); }
    RecorderConsole(const RecorderConsole&) = delete;
    RecorderConsole& operator=(const RecorderConsole&) = delete;

    void status(const std::string& line);
    void event(const std::string& line);
    // Ends a status line still standing on a terminal.
    void finish();

    bool terminal() const { return terminal_; }

private:
    void clearStatus();

    std::FILE* out_;
    bool terminal_;
    bool statusShown_ = false;
};
