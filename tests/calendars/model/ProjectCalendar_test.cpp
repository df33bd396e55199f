// Working-day arithmetic over rule tables, the step bound, and the exact text of the calendar XML.
// The second run west of UTC must give the same results: weekdays are those of the UTC date.
// ctest-env: TZ=EST5
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <string>
#include "calendars/model/ProjectCalendar.h"

namespace {

constexpr __int64 kDay = 86400;
constexpr __int64 kMonday = 1704067200;          // Mon 1 Jan 2024 00:00 UTC
constexpr __int64 kFriday = kMonday - 3 * kDay;  // Fri 29 Dec 2023
constexpr __int64 kSaturday = kFriday + kDay;
constexpr __int64 kSunday = kFriday + 2 * kDay;

using Rule = ProjectCalendar::Rule;

ProjectCalendar Calendar(std::initializer_list<Rule> rules)
{
    ProjectCalendar calendar;
    calendar.rules = rules;
    calendar.Sort();
    return calendar;
}

const Rule kNoSaturday{ProjectCalendar::ExcludeDow, 0, 7};
const Rule kNoSunday{ProjectCalendar::ExcludeDow, 0, 1};

std::wstring Text(const ProjectCalendar& calendar)
{
    CTString out;
    calendar.WriteXml(out);
    return out.GetBuffer() ? out.GetBuffer() : L"";
}

ProjectCalendar Read(const wchar_t* xml)
{
    ProjectCalendar calendar;
    calendar.ReadXml(CTString(xml));
    return calendar;
}

TEST(ProjectCalendar, RunsInTheZoneItWasGiven)
{
    // Guards the west-of-UTC run: there 00:00 UTC on a Monday is still Sunday locally.
    const char* zone = getenv("TZ");
    if (!zone || strcmp(zone, "EST5") != 0)
        GTEST_SKIP() << "run in UTC";
    _tzset();
    time_t monday = static_cast<time_t>(kMonday);
    const tm* local = localtime(&monday);
    ASSERT_NE(local, nullptr);
    EXPECT_EQ(local->tm_wday, 0);
}

TEST(ProjectCalendar, WorkingDaysByRules)
{
    const ProjectCalendar none;
    const ProjectCalendar weekend = Calendar({kNoSaturday, kNoSunday});
    const ProjectCalendar saturdayIncluded = Calendar({kNoSaturday, kNoSunday, {ProjectCalendar::IncludeDate, kSaturday, 0}});
    // A Saturday rule that starts after that weekend, and two rules for Sunday (the later decides).
    const ProjectCalendar laterRule = Calendar({{ProjectCalendar::ExcludeDow, kMonday, 7}});
    const ProjectCalendar twoSundayRules = Calendar({{ProjectCalendar::IncludeDow, kMonday, 1}, kNoSunday});
    const ProjectCalendar dates = Calendar({{ProjectCalendar::ExcludeDate, kMonday, 0}, {ProjectCalendar::IncludeDate, kSunday, 0}});
    const ProjectCalendar kindZero = Calendar({{ProjectCalendar::None, 0, 2}, {9, 0, 2}});

    struct Case { const char* name; const ProjectCalendar* calendar; __int64 day; bool working; } cases[] = {
        {"no rules", &none, kSaturday, true},
        {"weekend saturday", &weekend, kSaturday, false},
        {"weekend sunday", &weekend, kSunday, false},
        {"weekend friday", &weekend, kFriday, true},
        {"weekend monday", &weekend, kMonday, true},
        {"include-date over weekday rule", &saturdayIncluded, kSaturday, true},
        {"include-date only its own day", &saturdayIncluded, kSunday, false},
        {"include-date a week later", &saturdayIncluded, kSaturday + 7 * kDay, false},
        {"weekday rule dated later", &laterRule, kSaturday, true},
        {"weekday rule reached", &laterRule, kSaturday + 7 * kDay, false},
        {"two sunday rules, before the later", &twoSundayRules, kSunday, false},
        {"two sunday rules, after the later", &twoSundayRules, kSunday + 7 * kDay, true},
        {"exclude-date", &dates, kMonday, false},
        {"exclude-date another time of the day", &dates, kMonday + 3600, true},
        {"include-date on a plain day", &dates, kSunday, true},
        {"kind zero and unknown kinds never decide", &kindZero, kMonday, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.calendar->IsWorkingDay(c.day), c.working) << c.name;
    EXPECT_EQ(dates.FindDecidingRule(kMonday)->kind, ProjectCalendar::ExcludeDate);
    EXPECT_EQ(dates.FindDecidingRule(kFriday), nullptr);
}

TEST(ProjectCalendar, SubtractAndCount)
{
    const ProjectCalendar none;
    const ProjectCalendar weekend = Calendar({kNoSaturday, kNoSunday});
    const ProjectCalendar saturdayIncluded = Calendar({kNoSaturday, kNoSunday, {ProjectCalendar::IncludeDate, kSaturday, 0}});

    struct Sub { const char* name; const ProjectCalendar* calendar; __int64 t; unsigned __int64 n; __int64 expected; } subs[] = {
        {"no rules", &none, kMonday, 5, kMonday - 5 * kDay},
        {"zero start", &weekend, 0, 3, 0},
        {"zero count", &weekend, kMonday, 0, kMonday},
        {"monday back to friday", &weekend, kMonday, 1, kFriday},
        {"two back from monday", &weekend, kMonday, 2, kFriday - kDay},
        {"time of day kept", &weekend, kMonday + 3600, 1, kFriday + 3600},
        {"included saturday counts", &saturdayIncluded, kMonday, 1, kSaturday},
    };
    for (const Sub& c : subs)
        EXPECT_EQ(c.calendar->SubtractWorkingDays(c.t, c.n), c.expected) << c.name;

    struct Count { const char* name; const ProjectCalendar* calendar; __int64 a, b; int expected; } counts[] = {
        {"no rules forward", &none, kMonday + 3 * kDay, kMonday, 3},
        {"no rules backward", &none, kMonday, kMonday + 3 * kDay, -3},
        {"same moment", &weekend, kMonday, kMonday, 0},
        {"friday to monday", &weekend, kMonday, kFriday, 1},
        {"monday to friday", &weekend, kFriday, kMonday, -1},
        {"(t, t + 1) working next day", &none, kMonday, kMonday + 1, -1},
        {"(t, t + 1) next day off", &weekend, kFriday, kFriday + 1, 0},
        {"included saturday", &saturdayIncluded, kMonday, kFriday, 2},
        {"a week", &weekend, kMonday + 7 * kDay, kMonday, 5},
    };
    for (const Count& c : counts)
        EXPECT_EQ(c.calendar->CountWorkingDays(c.a, c.b), c.expected) << c.name;
}

TEST(ProjectCalendar, WalksStopAtTheBound)
{
    ProjectCalendar never;
    for (int weekday = 1; weekday <= 7; ++weekday)
        never.rules.push_back({ProjectCalendar::ExcludeDow, 0, weekday});
    const __int64 bound = static_cast<__int64>(ProjectCalendar::kMaxSteps) * kDay;
    EXPECT_EQ(never.SubtractWorkingDays(kMonday, 1), kMonday - bound);
    // A negative count taken as unsigned.
    const ProjectCalendar none;
    EXPECT_EQ(none.SubtractWorkingDays(kMonday, static_cast<unsigned __int64>(-3)), kMonday - bound);
    // Counts over negative (as unsigned: huge) moments stop too.
    EXPECT_EQ(none.CountWorkingDays(-kDay, kMonday), static_cast<int>(ProjectCalendar::kMaxSteps));
    EXPECT_EQ(none.CountWorkingDays(kMonday, -kDay), -static_cast<int>(ProjectCalendar::kMaxSteps));
    EXPECT_EQ(never.CountWorkingDays(kMonday + 10 * kDay, kMonday), 0);
}

const wchar_t* const kDeclaration = L"<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n";

TEST(ProjectCalendar, XmlRoundTripsByteExact)
{
    const std::wstring one = std::wstring(kDeclaration) +
        L"<calendar>\n    <item type=\"exclude-dow\" date=\"0\" data=\"1\" />\n</calendar>\n\n";
    const std::wstring empty = std::wstring(kDeclaration) + L"<calendar />\n\n";
    const std::wstring kindZero = std::wstring(kDeclaration) +
        L"<calendar>\n    <item date=\"5\" data=\"2\" />\n</calendar>\n\n";

    struct Case { const char* name; const wchar_t* input; std::wstring expected; size_t rules; } cases[] = {
        {"one rule", one.c_str(), one, 1},
        {"none", empty.c_str(), empty, 0},
        {"empty text", L"", empty, 0},
        {"not xml", L"this is not { xml", empty, 0},
        // Unsigned order puts the negative date last.
        {"descending input",
         L"<calendar><item type=\"exclude-date\" date=\"1704067200\" data=\"0\"/>"
         L"<item type=\"exclude-dow\" date=\"0\" data=\"7\"/><item type=\"include-date\" date=\"-86400\"/></calendar>",
         std::wstring(kDeclaration) +
             L"<calendar>\n"
             L"    <item type=\"exclude-dow\" date=\"0\" data=\"7\" />\n"
             L"    <item type=\"exclude-date\" date=\"1704067200\" data=\"0\" />\n"
             L"    <item type=\"include-date\" date=\"-86400\" data=\"0\" />\n"
             L"</calendar>\n\n", 3},
        {"kind zero", L"<calendar><item type=\"Exclude-dow\" date=\" +5x\" data=\"2\"/></calendar>", kindZero, 1},
        {"kind zero written", kindZero.c_str(), kindZero, 1},
        {"only the first calendar, only items",
         L"<calendar><other/><item type=\"exclude-dow\" date=\"0\" data=\"1\"/></calendar>"
         L"<calendar><item type=\"exclude-dow\" date=\"0\" data=\"2\"/></calendar>", one, 1},
    };
    for (const Case& c : cases) {
        ProjectCalendar calendar = Read(c.input);
        EXPECT_EQ(calendar.rules.size(), c.rules) << c.name;
        const std::wstring written = Text(calendar);
        EXPECT_EQ(written, c.expected) << c.name;
        EXPECT_EQ(written.find(L'\r'), std::wstring::npos) << c.name;
        EXPECT_EQ(Text(Read(written.c_str())), written) << c.name;
    }
    EXPECT_EQ(Read(kindZero.c_str()).rules[0].kind, ProjectCalendar::None);
}

TEST(ProjectCalendar, AssignCopiesTheRules)
{
    ProjectCalendar a = Calendar({kNoSaturday, kNoSunday});
    ProjectCalendar b;
    EXPECT_EQ(&b.Assign(a), &b);
    EXPECT_EQ(b.rules.size(), 2u);
    EXPECT_EQ(&a.Assign(a), &a);
    EXPECT_EQ(a.rules.size(), 2u);
    EXPECT_FALSE(b.IsWorkingDay(kSunday));
}

} // namespace
