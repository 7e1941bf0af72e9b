#pragma once

#include <ctime>
#include <string>

// The log files of an unattended recorder: one named file for a single
// charge, or one new file per charge in a folder. A recording never empties
// or overwrites a file that holds records unless told to.
namespace ChargeFiles {

// "2026-12-08_15-30-12.tvr" for the first attempt at a start time, then
// "2026-12-08_15-30-12_2.tvr", "_3", ... for charges that start in the same
// second as an existing file.
std::string nameFor(const std::tm& start, int attempt);

struct Created {
    std::string path;  // the file created, or the first name tried when none could be
    std::string error; // "" on success, otherwise the system's reason
};
// Creates a new, empty file in `dir` named after `start`; never opens a file
// that exists (a name taken, a symlink planted there) but tries the next name.
Created createInDirectory(const std::string& dir, const std::tm& start);

// Checks that new files can be made in `dir`; "" when they can, otherwise why not.
std::string checkDirectory(const std::string& dir);

// Creates `path` empty, as "start" does in the monitor. A file that already
// holds data is refused unless `overwrite`; so is anything but a regular file.
// "" on success, otherwise why not.
std::string prepareSingleFile(const std::string& path, bool overwrite);

} // namespace ChargeFiles
