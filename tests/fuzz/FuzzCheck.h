#pragma once

#include <cstdio>
#include <cstdlib>

// A property the harness checks. A broken one names itself and aborts, which
// libFuzzer (or the corpus runner) reports with the input that broke it.
inline void fuzzCheck(bool holds, const char* property)
{
    if (!holds) {
        std::fprintf(stderr, "broken property: %s\n", property);
        std::abort();
    }
}
