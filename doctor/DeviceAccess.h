#pragma once

#include <string>

#include <sys/types.h>

// Whether this user can open a serial device for reading, and if not, why
// and the command that fixes it. Checked without opening the device, so no
// line setting changes and no program on it is disturbed.
struct DeviceAccess {
    enum class State { Missing, NotADevice, Denied, Readable };
    State state = State::Missing;
    std::string device;    // the path with every link resolved
    dev_t number = 0;      // st_rdev, for finding who holds it
    std::string group;     // the owning group
    std::string mode;      // "crw-rw----"
    std::string reason;    // what is wrong, "" when readable
    std::string fix;       // the exact command (or step) that fixes it, "" when none applies
};

DeviceAccess checkDeviceAccess(const std::string& path);
