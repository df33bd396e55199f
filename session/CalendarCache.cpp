#include "session/CalendarCache.h"

namespace {

// Every day a working day: whole days of 86400 seconds from b to a.
class EveryDayCalendar : public IWorkingDayCalendar {
public:
    int CountWorkingDays(__int64 a, __int64 b) override { return static_cast<int>((a - b) / 86400); }
};

} // namespace

CalendarCache& CalendarCache::Instance()
{
    static CalendarCache cache;
    return cache;
}

int CalendarCache::CountWorkingDays(const Object& item, __int64 a, __int64 b)
{
    auto it = m_calendars.find(item.id);
    if (it == m_calendars.end()) {
        CAttribute text;
        item.GetAttribute(text, CTString(L"calendar"));
        std::unique_ptr<IWorkingDayCalendar> calendar;
        if (m_factory)
            calendar = m_factory(text.GetString());
        if (!calendar)
            calendar = std::make_unique<EveryDayCalendar>();
        it = m_calendars.emplace(item.id, std::move(calendar)).first;
    }
    return it->second->CountWorkingDays(a, b);
}
