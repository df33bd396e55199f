#include "framework/CTAnimation.h"

#include "foundation/TickSource.h"

namespace {

bool SystemAnimationEnabled()
{
    BOOL on = FALSE;
    return SystemParametersInfoW(SPI_GETMENUANIMATION, 0, &on, 0) && on && GetSystemMetrics(SM_REMOTESESSION) == 0;
}

CTAnimation::EnabledFn g_enabled = SystemAnimationEnabled;

} // namespace

CTAnimation::EnabledFn CTAnimation::SetEnabledSource(EnabledFn source)
{
    EnabledFn old = g_enabled;
    g_enabled = source ? source : SystemAnimationEnabled;
    return old;
}

bool CTAnimation::Enabled() { return g_enabled(); }

UINT CTAnimation::Start(UINT_PTR timerId, UINT durationMs, HWND window, UINT startValue, UINT endValue)
{
    hwnd = window;
    Stop();
    current = startValue;
    end = endValue;
    duration = durationMs;
    distance = startValue > endValue ? startValue - endValue : endValue - startValue;
    offset = 0;
    if (Enabled()) {
        if (timerId != 0) timer = SetTimer(hwnd, timerId, kInterval, nullptr);
        startTick = TickSource::Now();
        acceleration = duration ? 2.0 * distance / (static_cast<double>(duration) * duration) : 0.0;
        return startValue;
    }
    current = end;
    return end;
}

UINT CTAnimation::Step()
{
    // Signed: a tick past the end gives a negative time left.
    long long left = static_cast<long long>(duration) - static_cast<long long>(TickSource::Now() - startTick);
    offset = static_cast<int>(acceleration / 2.0 * static_cast<double>(left) * static_cast<double>(left));
    if (left > 0 && offset >= 0 && static_cast<UINT>(offset) < distance)
        return current < end ? end - offset : end + offset;
    current = end;
    Stop();
    return end;
}

void CTAnimation::Stop()
{
    if (timer) {
        KillTimer(hwnd, timer);
        timer = 0;
    }
}
