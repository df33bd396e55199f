#pragma once
// Moves one integer value from a start to an end value over a given time, fast at first and
// slowing to a stop, stepped by the owner on every WM_TIMER with the animation's timer id. With
// menu animation off or in a remote session the value jumps to the end at once.
#include <windows.h>

struct CTAnimation {
    HWND hwnd = nullptr;
    UINT distance = 0;
    int offset = 0;        // last computed offset from the end value
    UINT_PTR timer = 0;    // 0: no timer running
    DWORD startTick = 0;
    double acceleration = 0;
    UINT current = 0;      // the start value while running, the end value once finished
    UINT end = 0;
    UINT duration = 0;

    static constexpr UINT kInterval = 15;

    // Begins a slide and returns the value to use now.
    UINT Start(UINT_PTR timerId, UINT durationMs, HWND window, UINT startValue, UINT endValue);
    // The value for this moment; finishes the slide when its time is up.
    UINT Step();
    // Kills a running timer; the values stay.
    void Stop();
    bool Finished() const { return current == end; }

    // Seam for tests: whether sliding is wanted at all (menu animation on, local session).
    using EnabledFn = bool (*)();
    static EnabledFn SetEnabledSource(EnabledFn source);
    static bool Enabled();
};
