#include "doctor/PortHolders.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string_view>

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isNumber(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string userName(uid_t uid)
{
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr)
        return found->pw_name;
    return std::to_string(uid);
}

std::string commandOf(const std::string& processDir)
{
    std::ifstream comm(processDir + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

// Whether one of the process's descriptors is the device; false with
// `readable` cleared when its descriptors cannot be looked into.
bool holds(const std::string& processDir, dev_t device, bool* readable)
{
    const std::string fdDir = processDir + "/fd";
    DIR* dir = ::opendir(fdDir.c_str());
    if (dir == nullptr) {
        // A process that ended meanwhile is no holder and hides nothing.
        *readable = errno == ENOENT;
        return false;
    }
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isNumber(entry->d_name))
            continue;
        struct stat info {};
        // stat follows the descriptor's link to what is open, whatever its name now.
        if (::stat((fdDir + "/" + entry->d_name).c_str(), &info) == 0 && S_ISCHR(info.st_mode)
            && info.st_rdev == device) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace

PortHolders findPortHolders(dev_t device, const std::string& procRoot)
{
    PortHolders result;
    DIR* proc = ::opendir(procRoot.c_str());
    if (proc == nullptr) {
        result.complete = false;
        return result;
    }
    const std::string self = std::to_string(::getpid());
    while (const dirent* entry = ::readdir(proc)) {
        if (!isNumber(entry->d_name) || entry->d_name == self)
            continue;
        const std::string processDir = procRoot + "/" + entry->d_name;
        bool readable = true;
        if (holds(processDir, device, &readable)) {
            PortHolder holder;
            holder.pid = std::atoi(entry->d_name);
            holder.command = commandOf(processDir);
            struct stat owner {};
            if (::stat(processDir.c_str(), &owner) == 0)
                holder.user = userName(owner.st_uid);
            result.holders.push_back(holder);
        } else if (!readable) {
            result.complete = false;
        }
    }
    ::closedir(proc);
    std::sort(result.holders.begin(), result.holders.end(),
              [](const PortHolder& a, const PortHolder& b) { return a.pid < b.pid; });
    return result;
}
