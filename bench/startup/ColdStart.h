#pragma once

#include "bench/common/BenchClock.h"

#include <chrono>
#include <optional>
#include <string>

// One cold start of the program replaying a log, in a process of its own: the
// child side runs the program's start-up and reports its times on stdout, the
// parent side reads them back.
class ColdStart {
public:
    struct Result {
        std::chrono::steady_clock::time_point stoppedAt; // the overview has painted
        Timing fromSpawn;   // wall filled in by the parent; CPU of the whole process
        Timing fromMain;    // main() to first paint
        Timing application; // QApplication constructed
        Timing window;      // control flow up to the shown main window, replay included
        Timing paint;       // show to the overview's first paint
    };

    // Child side: QApplication and CMonitorApp::run with the log file, as the
    // program's main() does, stopped once the overview has painted.
    static int run(int argc, char** argv, const char* log);

    static std::optional<Result> parse(const std::string& output);
};
