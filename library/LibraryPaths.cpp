#include "library/LibraryPaths.h"

#include <cstdlib>

#include <pwd.h>
#include <unistd.h>

std::string defaultLibraryPath()
{
    std::string base;
    // Only an absolute XDG_DATA_HOME counts; a relative one is to be ignored.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] == '\0') {
            const passwd* user = ::getpwuid(::getuid());
            home = user != nullptr ? user->pw_dir : "/tmp";
        }
        base = std::string(home) + "/.local/share";
    }
    return base + "/trelvane/library.sqlite";
}
