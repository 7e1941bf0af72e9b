#pragma once

#include <functional>

#include <sys/wait.h>
#include <unistd.h>

// Runs `check` in a child that the kernel kills if it is still running after
// `seconds`; returns the child's exit status (0 when `check` held, 1 when not),
// or -1 if it did not end by itself. For calls that might block for ever.
inline int exitStatusWithin(unsigned seconds, const std::function<bool()>& check)
{
    const pid_t child = ::fork();
    if (child < 0)
        return -2;
    if (child == 0) {
        ::alarm(seconds);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child)
        return -2;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
