#include "doctor/DeviceAccess.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>
#include <vector>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string modeText(mode_t mode)
{
    std::string text = S_ISCHR(mode) ? "c" : S_ISDIR(mode) ? "d" : S_ISREG(mode) ? "-" : "?";
    const char* letters = "rwxrwxrwx";
    for (int bit = 0; bit < 9; ++bit)
        text += (mode & (0400 >> bit)) ? letters[bit] : '-';
    return text;
}

std::string groupName(gid_t gid, std::vector<std::string>* members)
{
    struct group entry {};
    struct group* found = nullptr;
    std::vector<char> buffer(16384);
    if (getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr)
        return std::to_string(gid);
    for (char** member = found->gr_mem; member != nullptr && *member != nullptr; ++member)
        members->push_back(*member);
    return found->gr_name;
}

std::string myName(gid_t* primaryGroup)
{
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) != 0 || found == nullptr)
        return {};
    *primaryGroup = found->pw_gid;
    return found->pw_name;
}

bool sessionHasGroup(gid_t gid)
{
    if (::getegid() == gid)
        return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    for (int i = 0; i < got; ++i) {
        if (groups[static_cast<std::size_t>(i)] == gid)
            return true;
    }
    return false;
}

} // namespace

DeviceAccess checkDeviceAccess(const std::string& path)
{
    DeviceAccess a;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        a.state = DeviceAccess::State::Missing;
        a.reason = std::generic_category().message(errno);
        return a;
    }
    char resolved[PATH_MAX];
    a.device = ::realpath(path.c_str(), resolved) != nullptr ? resolved : path;
    a.mode = modeText(info.st_mode);
    std::vector<std::string> members;
    a.group = groupName(info.st_gid, &members);
    if (!S_ISCHR(info.st_mode)) {
        a.state = DeviceAccess::State::NotADevice;
        a.reason = "not a serial device";
        return a;
    }
    a.number = info.st_rdev;
    if (::access(path.c_str(), R_OK) == 0) {
        a.state = DeviceAccess::State::Readable;
        return a;
    }
    a.state = DeviceAccess::State::Denied;
    a.reason = "permission denied: " + a.mode + ", group '" + a.group + "'";
    if (!(info.st_mode & S_IRGRP)) {
        // Joining the group would not help: the group may not read it either.
        a.fix = "sudo chmod g+r " + a.device + " (until it is plugged in again; a udev rule with "
                "MODE=\"0660\" makes it last)";
        return a;
    }
    gid_t primary = 0;
    const std::string me = myName(&primary);
    bool listed = primary == info.st_gid;
    for (const std::string& member : members)
        listed = listed || member == me;
    if (listed && !sessionHasGroup(info.st_gid))
        a.fix = "you are in group '" + a.group + "' but this session is not yet: log out and in again "
                "(or run: newgrp " + a.group + ")";
    else
        a.fix = "sudo usermod -aG " + a.group + " " + (me.empty() ? std::string("$USER") : me)
            + ", then log out and in again";
    return a;
}
