#pragma once
// The working-day calendar of a schedule group or an organisational unit: an ordered list of rules
// read from and written to the XML text of the object's "calendar" attribute. Times are Unix
// seconds compared as unsigned values; weekdays are those of a moment's UTC date, the convention
// of stored day values.
#include <time.h>
#include <vector>
#include "foundation/CTString.h"

class ProjectCalendar {
public:
    enum Kind { None = 0, ExcludeDow = 1, IncludeDow = 2, ExcludeDate = 3, IncludeDate = 4 };

    struct Rule {
        int kind = None;
        // Date rules: the day they name (00:00 UTC). Weekday rules: the first moment they apply
        // from, 0 for always.
        __int64 date = 0;
        // Weekday rules: 1 = Sunday ... 7 = Saturday. Unused by date rules.
        __int64 data = 0;
    };

    // Every stepping walk stops after this many days, so a calendar in which no day works (or a
    // count that was negative before it became unsigned) cannot hold the caller for ever.
    static constexpr unsigned kMaxSteps = 100000;

    ProjectCalendar() = default;

    ProjectCalendar& Assign(const ProjectCalendar& other);
    void ReadXml(const CTString& xml);
    void WriteXml(CTString& out) const;

    // The last rule in list order that applies to the day, or null.
    const Rule* FindDecidingRule(time_t day) const;
    bool IsWorkingDay(time_t day) const;
    // The moment n working days before t (t itself is not evaluated); t when t or n is 0. At the
    // step bound answers the moment reached there.
    time_t SubtractWorkingDays(time_t t, unsigned __int64 n) const;
    // Working days from b to a, negative when a is earlier; the earlier moment is not evaluated.
    int CountWorkingDays(time_t a, time_t b) const;

    static bool RuleDateLess(const Rule& x, const Rule& y);
    // Re-sorts the list by date, keeping the order of rules with equal dates.
    void Sort();

    // Open to the organisational unit's calendar editor, which edits it and then calls Sort.
    std::vector<Rule> rules;
};
