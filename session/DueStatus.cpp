#include "session/DueStatus.h"
#include "foundation/UnixClock.h"
#include "session/CalendarCache.h"

namespace {

__int64 NumberOf(const Object& item, const wchar_t* name)
{
    CAttribute value;
    item.GetAttribute(value, CTString(name));
    return value.GetValue();   // 0 for a text
}

} // namespace

int CalendarWorkingDays(const Object& item, __int64 a, __int64 b)
{
    return CalendarCache::Instance().CountWorkingDays(item, a, b);
}

int GetDueStatus(const Object& item)
{
    const __int64 end = NumberOf(item, L"end_date");
    const __int64 amber = NumberOf(item, L"amber_days");
    if (NumberOf(item, L"completed") != 0)
        return DueCompleted;
    if (end == 0)
        return DueOnTrack;
    const __int64 now = UnixClock::Now();
    // An item past its end is overdue whether or not it has an amber period.
    if (now >= end)
        return DueOverdue;
    if (amber != 0 && amber >= CalendarWorkingDays(item, end, now))
        return DueSoon;
    return DueOnTrack;
}

int GetCombinedDueStatus(const std::vector<Object>& items)
{
    if (items.empty())
        return DueOnTrack;
    int highest = 0;
    for (const Object& item : items) {
        int status = GetDueStatus(item);
        if (status > highest)
            highest = status;
        if (status == DueOverdue)
            break;
    }
    if (highest == DueCompleted) {
        for (const Object& item : items)
            if (NumberOf(item, L"completed") == 0)
                return DueOnTrack;
    }
    return highest;
}
