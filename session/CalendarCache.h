#pragma once
// The working-day calendars of dated items, built from each item's "calendar" attribute the first
// time its id is asked for and kept until Clear (the main window's Refresh), so later changes of the
// attribute are not seen before that. The calendar itself comes from a factory the calendar code
// installs; without one every day is a working day.
#include <windows.h>
#include <functional>
#include <map>
#include <memory>
#include "foundation/CTString.h"
#include "session/Object.h"

class IWorkingDayCalendar {
public:
    virtual ~IWorkingDayCalendar() = default;
    // Signed count of working days between b and a, positive when a is later.
    virtual int CountWorkingDays(__int64 a, __int64 b) = 0;
};

class CalendarCache {
public:
    using Factory = std::function<std::unique_ptr<IWorkingDayCalendar>(const CTString& calendarXml)>;

    static CalendarCache& Instance();

    void SetFactory(Factory factory) { m_factory = std::move(factory); }
    int CountWorkingDays(const Object& item, __int64 a, __int64 b);
    void Clear() { m_calendars.clear(); }
    size_t GetCount() const { return m_calendars.size(); }

private:
    std::map<__int64, std::unique_ptr<IWorkingDayCalendar>> m_calendars;
    Factory m_factory;
};
