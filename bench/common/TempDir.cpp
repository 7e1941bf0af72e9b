#include "bench/common/TempDir.h"

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

TempDir::TempDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/trelvane-bench-XXXXXX";
    if (::mkdtemp(pattern.data()))
        path_ = pattern;
}

TempDir::~TempDir()
{
    if (valid()) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
}
