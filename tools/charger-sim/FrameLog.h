#pragma once

#include "Scenario.h"

#include <cstdio>
#include <string>

// The --log file: a CSV line per frame sent, with the columns a frame dump
// prints, so that what a reader printed can be compared with what was sent.
class FrameLog {
public:
    FrameLog() = default;
    ~FrameLog();
    FrameLog(const FrameLog&) = delete;
    FrameLog& operator=(const FrameLog&) = delete;

    bool open(const std::string& path); // writes the header
    void record(const Transmission& t);  // noise is not a frame and is not logged

    static std::string header();
    static std::string line(const Transmission& t);

private:
    std::FILE* file_ = nullptr;
};
