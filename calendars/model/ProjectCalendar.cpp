#include "calendars/model/ProjectCalendar.h"

#include <stdlib.h>
#include <algorithm>
#include <memory>
#include "foundation/TiXmlDocument.h"

namespace {

constexpr __int64 kDay = 86400;

const wchar_t* const kKindNames[] = {nullptr, L"exclude-dow", L"include-dow", L"exclude-date", L"include-date"};

int KindOfName(const wchar_t* name)
{
    if (!name)
        return ProjectCalendar::None;
    for (int kind = ProjectCalendar::ExcludeDow; kind <= ProjectCalendar::IncludeDate; ++kind)
        if (wcscmp(name, kKindNames[kind]) == 0)
            return kind;
    return ProjectCalendar::None;
}

__int64 ReadInt64(const TiXmlElement* item, const wchar_t* name)
{
    const wchar_t* text = item->GetAttribute(name);
    return text ? _wcstoi64(text, nullptr, 10) : 0;
}

// Weekday of the moment's UTC date, 1 = Sunday ... 7 = Saturday (1 January 1970 was a Thursday).
__int64 UtcWeekdayNumber(time_t t)
{
    __int64 days = static_cast<__int64>(t) / kDay;
    if (static_cast<__int64>(t) % kDay < 0)
        --days;
    return ((days % 7) + 7 + 4) % 7 + 1;
}

unsigned __int64 U(__int64 t) { return static_cast<unsigned __int64>(t); }

} // namespace

ProjectCalendar& ProjectCalendar::Assign(const ProjectCalendar& other)
{
    if (this != &other)
        rules = other.rules;
    return *this;
}

bool ProjectCalendar::RuleDateLess(const Rule& x, const Rule& y)
{
    return U(x.date) < U(y.date);
}

void ProjectCalendar::Sort()
{
    std::stable_sort(rules.begin(), rules.end(), RuleDateLess);
}

void ProjectCalendar::ReadXml(const CTString& xml)
{
    rules.clear();
    TiXmlDocument doc;
    doc.Parse(xml.GetBuffer() ? xml.GetBuffer() : L"", nullptr, 0);
    // Only the first calendar element counts; the parse result itself is not examined.
    TiXmlElement* calendar = doc.FirstChildElementNamed(L"calendar");
    if (!calendar)
        return;
    for (TiXmlElement* item = calendar->FirstChildElementNamed(L"item"); item; item = item->NextSiblingElementNamed(L"item")) {
        Rule rule;
        rule.kind = KindOfName(item->GetAttribute(L"type"));
        rule.date = ReadInt64(item, L"date");
        rule.data = ReadInt64(item, L"data");
        rules.push_back(rule);
    }
    Sort();
}

void ProjectCalendar::WriteXml(CTString& out) const
{
    TiXmlDocument doc;
    doc.LinkEndChild(new TiXmlDeclaration(nullptr));
    TiXmlElement* calendar = new TiXmlElement(L"calendar");
    doc.LinkEndChild(calendar);
    for (const Rule& rule : rules) {
        TiXmlElement* item = new TiXmlElement(L"item");
        if (rule.kind >= ExcludeDow && rule.kind <= IncludeDate)
            item->SetAttribute(L"type", kKindNames[rule.kind]);
        item->SetAttributeInt64(L"date", rule.date);
        item->SetAttributeInt64(L"data", rule.data);
        calendar->LinkEndChild(item);
    }
    TiXmlString text;
    doc.PrintToString(text, 0);
    out = text.c_str();
}

const ProjectCalendar::Rule* ProjectCalendar::FindDecidingRule(time_t day) const
{
    const Rule* deciding = nullptr;
    __int64 weekday = 0;
    for (const Rule& rule : rules) {
        switch (rule.kind) {
        case ExcludeDow:
        case IncludeDow:
            if (U(rule.date) <= U(day)) {
                if (!weekday)
                    weekday = UtcWeekdayNumber(day);
                if (rule.data == weekday)
                    deciding = &rule;
            }
            break;
        case ExcludeDate:
        case IncludeDate:
            if (rule.date == static_cast<__int64>(day))
                deciding = &rule;
            break;
        default:
            break;
        }
    }
    return deciding;
}

bool ProjectCalendar::IsWorkingDay(time_t day) const
{
    const Rule* rule = FindDecidingRule(day);
    return !rule || (rule->kind != ExcludeDow && rule->kind != ExcludeDate);
}

time_t ProjectCalendar::SubtractWorkingDays(time_t t, unsigned __int64 n) const
{
    if (t == 0 || n == 0)
        return t;
    for (unsigned steps = 0; n != 0 && steps < kMaxSteps; ++steps) {
        t -= kDay;
        if (IsWorkingDay(t))
            --n;
    }
    return t;
}

int ProjectCalendar::CountWorkingDays(time_t a, time_t b) const
{
    int count = 0;
    const bool backwards = U(a) < U(b);
    const __int64 from = backwards ? a : b;
    const __int64 to = backwards ? b : a;
    if (U(from) == U(to))
        return 0;
    unsigned __int64 c = U(from);
    for (unsigned steps = 0; steps < kMaxSteps; ++steps) {
        c += kDay;
        if (IsWorkingDay(static_cast<time_t>(c)))
            count += backwards ? -1 : 1;
        // Stop at the first step at or beyond the later moment, or where the step wrapped around.
        if (c >= U(to) || c < U(from))
            break;
    }
    return count;
}
