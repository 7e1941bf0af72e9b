// The sanitizer build finds leaks: a block whose last pointer is gone is
// reported (scripts/test.sh turns leak detection on, scripts/lsan.supp
// names the only library whose leaks are let pass).
#include <gtest/gtest.h>

#include <cstdint>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

#if defined(__SANITIZE_ADDRESS__)
// Pointers are kept scrambled, where the leak checker cannot recognise them.
constexpr std::uintptr_t kScramble = 0x5a5a5a5a5a5a5a5aULL;
std::uintptr_t scrambledBlock = 0;

__attribute__((noinline)) void allocateAndLoseThePointer()
{
    scrambledBlock = reinterpret_cast<std::uintptr_t>(new char[256]) ^ kScramble;
}

// Overwrites the stack where the pointer may linger.
__attribute__((noinline)) void scribbleTheStack()
{
    volatile char scratch[4096];
    for (char& c : const_cast<char(&)[4096]>(scratch))
        c = 0;
}
#endif

TEST(LeakDetection, ALostBlockIsReportedInSanitizerBuilds)
{
#if defined(__SANITIZE_ADDRESS__)
    allocateAndLoseThePointer();
    scribbleTheStack();
    const int leaks = __lsan_do_recoverable_leak_check();
    delete[] reinterpret_cast<char*>(scrambledBlock ^ kScramble);
    EXPECT_EQ(leaks, 1) << "leak detection is off (ASAN_OPTIONS detect_leaks=0?)";
#else
    GTEST_SKIP() << "not a sanitizer build";
#endif
}

} // namespace
