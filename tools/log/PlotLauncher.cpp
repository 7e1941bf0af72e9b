// trelvane-log plot: runs trelvane-log-plot with the same arguments, found
// beside this program (the build tree) or where it is installed.
#include "LogCommands.h"

#include "CommandLine.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr const char* kPlotProgram = "trelvane-log-plot";

std::vector<std::filesystem::path> plotProgramPlaces()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    const std::filesystem::path bin = self.parent_path();
    return {bin / kPlotProgram, (bin / TRELVANE_HELPER_DIR / kPlotProgram).lexically_normal()};
}

} // namespace

int runPlotProgram(int argc, const char* const* argv)
{
    // execv's arguments are not const for historical reasons; it does not change them.
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i)
        args.push_back(const_cast<char*>(argv[i]));
    args.push_back(nullptr);
    std::string tried;
    int reason = ENOENT;
    for (const std::filesystem::path& program : plotProgramPlaces()) {
        std::string name = program.string();
        args[0] = name.data();
        ::execv(name.c_str(), args.data());
        // Only here when it could not be run: the reason worth telling is
        // one other than absence, else the absence from where it is installed.
        if (reason == ENOENT) {
            reason = errno;
            tried = name;
        }
    }
    cli::report(std::string(kLogTool) + " plot", tried.empty() ? kPlotProgram : tried, std::strerror(reason));
    return cli::kExitFailure;
}
