#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

// The processes that have a device open right now, found through /proc/*/fd.
// A second reader on a charger's port silently takes frames from the first.
struct PortHolder {
    int pid = 0;
    std::string command; // its name, as ps shows it
    std::string user;
};

struct PortHolders {
    std::vector<PortHolder> holders; // in order of pid, this process left out
    // False when some processes could not be looked into (those of other
    // users, without root); the list may then miss holders.
    bool complete = true;
};

// `device` is the device number (st_rdev) of a character device.
PortHolders findPortHolders(dev_t device, const std::string& procRoot = "/proc");
