// Programs that misbehave on purpose, so the harness shows that a hang or a crash ends with a clear failure.
#include <windows.h>
#include <gtest/gtest.h>

TEST(HarnessCheck, Hangs)
{
    for (;;) Sleep(1000);
}

TEST(HarnessCheck, Crashes)
{
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}
