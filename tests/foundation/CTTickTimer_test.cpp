// Tick timers driven by a replaced tick source.
#include "foundation/CTTickTimer.h"
#include "foundation/TickSource.h"
#include <gtest/gtest.h>

namespace {

DWORD g_now = 0;
DWORD WINAPI FakeTicks()
{
    return g_now;
}

struct FakeClock {
    TickSource::Function previous;
    explicit FakeClock(DWORD start)
    {
        g_now = start;
        previous = TickSource::Replace(&FakeTicks);
    }
    ~FakeClock() { TickSource::Replace(previous); }
};

} // namespace

TEST(CTTickTimer, ElapsedOnceMoreThanTheIntervalHasPassed)
{
    FakeClock clock(5000);
    CTTickTimer timer;
    EXPECT_EQ(5000u, timer.m_start);
    EXPECT_EQ(1000u, timer.m_interval);
    EXPECT_FALSE(timer.Elapsed());
    g_now = 6000;
    EXPECT_FALSE(timer.Elapsed());   // exactly the interval is not more than it
    g_now = 6001;
    EXPECT_TRUE(timer.Elapsed());
    EXPECT_EQ(6001u, timer.m_start);
    EXPECT_FALSE(timer.Elapsed());

    timer.SetInterval(200);
    g_now = 6202;
    EXPECT_TRUE(timer.Elapsed());

    CTTickTimer copy;
    copy.Assign(timer);
    EXPECT_EQ(6202u, copy.m_start);
    EXPECT_EQ(200u, copy.m_interval);
}

TEST(CTTickTimer, KeepsWorkingWhenTheTickCountWraps)
{
    FakeClock clock(0xFFFFFF00);
    CTTickTimer timer;
    g_now = 0x10;   // 0x110 ms later
    EXPECT_FALSE(timer.Elapsed());
    g_now = 0x400;   // 0x500 ms later
    EXPECT_TRUE(timer.Elapsed());

    // Near the end of the range, start + interval overflows; that must not count as elapsed.
    g_now = 0xFFFFFE00;
    CTTickTimer late;
    g_now = 0xFFFFFF00;
    EXPECT_FALSE(late.Elapsed());
}

TEST(TickSource, ReplaceRestoresTheSystemTickCount)
{
    TickSource::Function previous = TickSource::Replace(&FakeTicks);
    g_now = 42;
    EXPECT_EQ(42u, TickSource::Now());
    EXPECT_EQ(&FakeTicks, TickSource::Replace(nullptr));
    EXPECT_EQ(&GetTickCount, previous);
    DWORD now = TickSource::Now();
    EXPECT_LE(now - GetTickCount(), 1000u);
}
