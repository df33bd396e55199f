#include <gtest/gtest.h>

#include "foundation/TickSource.h"
#include "framework/CTAnimation.h"

namespace {

DWORD g_tick = 0;
DWORD WINAPI FakeTick() { return g_tick; }
bool g_animate = true;
bool FakeEnabled() { return g_animate; }

struct AnimationTest : ::testing::Test {
    TickSource::Function oldTick = nullptr;
    CTAnimation::EnabledFn oldEnabled = nullptr;
    void SetUp() override
    {
        g_tick = 1000;
        g_animate = true;
        oldTick = TickSource::Replace(FakeTick);
        oldEnabled = CTAnimation::SetEnabledSource(FakeEnabled);
    }
    void TearDown() override
    {
        TickSource::Replace(oldTick);
        CTAnimation::SetEnabledSource(oldEnabled);
    }
};

TEST_F(AnimationTest, SlidesFastFirstThenSlowsToTheEnd)
{
    CTAnimation a;
    EXPECT_EQ(a.Start(0, 400, nullptr, 0, 40), 0u);
    EXPECT_EQ(a.timer, 0u);
    EXPECT_DOUBLE_EQ(a.acceleration, 2.0 * 40 / (400.0 * 400.0));
    // Offset from the end = acceleration / 2 * (time left)^2.
    struct Row { DWORD elapsed; UINT value; } rows[] = {
        {100, 40 - 22}, // left 300: 40 * 300^2 / 400^2 = 22.5 -> 22
        {200, 40 - 10}, // left 200: 10
        {300, 40 - 2},  // left 100: 2.5 -> 2
        {399, 40},      // left 1: 0
    };
    for (const Row& r : rows) {
        g_tick = 1000 + r.elapsed;
        EXPECT_EQ(a.Step(), r.value) << r.elapsed;
        EXPECT_FALSE(a.Finished());
    }
    g_tick = 1400;
    EXPECT_EQ(a.Step(), 40u);
    EXPECT_TRUE(a.Finished());
}

TEST_F(AnimationTest, SlidesDownwards)
{
    CTAnimation a;
    EXPECT_EQ(a.Start(0, 200, nullptr, 40, 0), 40u);
    g_tick = 1100; // left 100: 40 * 100^2 / 200^2 = 10
    EXPECT_EQ(a.Step(), 10u);
    g_tick = 5000;
    EXPECT_EQ(a.Step(), 0u);
    EXPECT_EQ(a.current, 0u);
}

TEST_F(AnimationTest, EqualValuesEndAtTheFirstStep)
{
    CTAnimation a;
    a.Start(0, 200, nullptr, 7, 7);
    EXPECT_EQ(a.Step(), 7u);
    EXPECT_TRUE(a.Finished());
}

TEST_F(AnimationTest, WithoutAnimationTheEndComesAtOnceAndNoTimerRuns)
{
    HWND wnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(wnd);
    g_animate = false;
    CTAnimation a;
    EXPECT_EQ(a.Start(33, 400, wnd, 0, 40), 40u);
    EXPECT_EQ(a.timer, 0u);
    EXPECT_TRUE(a.Finished());
    DestroyWindow(wnd);
}

TEST_F(AnimationTest, TheTimerRunsUntilTheTimeIsUp)
{
    HWND wnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(wnd);
    CTAnimation a;
    a.Start(33, 400, wnd, 0, 40);
    EXPECT_EQ(a.timer, 33u);
    // A new start kills the running timer first and takes a new one.
    a.Start(33, 400, wnd, 40, 0);
    EXPECT_EQ(a.timer, 33u);
    g_tick = 1000 + 1000; // long after the end
    EXPECT_EQ(a.Step(), 0u);
    EXPECT_EQ(a.timer, 0u);
    EXPECT_FALSE(KillTimer(wnd, 33)); // nothing left running
    DestroyWindow(wnd);
}

TEST_F(AnimationTest, StopKeepsTheValues)
{
    HWND wnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CTAnimation a;
    a.Start(33, 400, wnd, 0, 40);
    a.Stop();
    EXPECT_EQ(a.timer, 0u);
    EXPECT_EQ(a.current, 0u);
    EXPECT_EQ(a.end, 40u);
    DestroyWindow(wnd);
}

} // namespace
