#pragma once

#include <stdexcept>
#include <string>

// A failure of the library for people: what it concerns (the database file,
// a log, a pack) and why, ready for "tool: WHAT: reason" or a message box.
class LibraryError : public std::runtime_error {
public:
    LibraryError(std::string what, std::string reason)
        : std::runtime_error(what + ": " + reason), what_(std::move(what)), reason_(std::move(reason))
    {
    }
    const std::string& subject() const { return what_; }
    const std::string& reason() const { return reason_; }

private:
    std::string what_;
    std::string reason_;
};
