// The slots an add request creates: which rate row each day takes, calendar days, one slot per day
// and kind, and the names. Run in UTC and again west of UTC, where the results must not change.
// ctest-env: TZ=EST5
#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "calendars/DlgScheduleGroupWin.h"

namespace {

using Pane = DlgScheduleGroupWin;
constexpr __int64 kDay = 86400;
constexpr __int64 kMonday = 1773014400;            // Monday 9 March 2026, 00:00 UTC
constexpr __int64 kWednesday = kMonday + 2 * kDay;

Object SlotType()
{
    Object type;
    type.type = 12;
    type.id = 12;   // a type definition carries its type number as its id
    type.name = L"Deployment Slot";
    struct Attribute {
        int id;
        const wchar_t* name;
        int valueType;
    } attributes[] = {{110, L"end_date", CAttribute::Date},
                      {130, L"max_deployments", CAttribute::Integer},
                      {131, L"link_deployment_slot_data", CAttribute::Integer}};
    for (const Attribute& a : attributes) {
        Object::Attribute& attribute = type.attributes[a.id];
        attribute.CAttribute::Assign(CAttribute(a.valueType, static_cast<__int64>(0)));
        attribute.name = a.name;
    }
    return type;
}

Object Kind(__int64 id, const wchar_t* name)
{
    Object kind;
    kind.id = id;
    kind.name = name;
    return kind;
}

// A request over a week from Monday, rows of (kind, rates) in the order given.
AddSlotsRequest Request(const std::vector<Object>& kinds, const std::vector<std::pair<int, std::vector<int>>>& rows)
{
    AddSlotsRequest request;
    request.firstDay = kMonday;
    request.lastDay = kMonday + 6 * kDay;
    request.columns.push_back(AddSlotsRequest::Column{});
    if (kinds.empty())
        request.columns.push_back(AddSlotsRequest::Column{AddSlotsRequest::ColumnRate, Object()});
    for (const Object& kind : kinds)
        request.columns.push_back(AddSlotsRequest::Column{AddSlotsRequest::ColumnSlotKind, kind});
    for (const auto& [kind, rates] : rows) {
        AddSlotsRequest::RateRow row;
        row.kind = kind;
        row.id = request.nextRowId++;
        row.rates = rates;
        for (size_t i = 0; i < rates.size(); ++i)
            row.objects.push_back(kinds.empty() ? Object() : kinds[i]);
        request.rows.push_back(row);
    }
    return request;
}

ProjectCalendar WithoutWednesday()
{
    ProjectCalendar calendar;
    ProjectCalendar::Rule rule;
    rule.kind = ProjectCalendar::ExcludeDate;
    rule.date = kWednesday;
    calendar.rules.push_back(rule);
    return calendar;
}

// "day offset:capacity:kind:is-day" per planned slot.
std::vector<std::string> Describe(const std::vector<Pane::PlannedSlot>& slots)
{
    std::vector<std::string> out;
    for (const Pane::PlannedSlot& slot : slots) {
        CAttribute date, capacity, kind;
        slot.entry.object.GetAttribute(date, CTString(L"end_date"));
        slot.entry.object.GetAttribute(capacity, CTString(L"max_deployments"));
        slot.entry.object.GetAttribute(kind, CTString(L"link_deployment_slot_data"));
        out.push_back(std::to_string((date.GetValue() - kMonday) / kDay) + ":" + std::to_string(capacity.GetValue()) +
                      ":" + std::to_string(kind.GetValue()) + ":" + std::to_string(slot.entry.isDay));
    }
    return out;
}

} // namespace

TEST(AddSlotsPlan, RateRowsCalendarDaysAndKinds)
{
    const int Default = AddSlotsRequest::RowDefault, Wednesday = AddSlotsRequest::RowMonday + 2;
    const int NonCalendar = AddSlotsRequest::RowNonCalendar, Weekend = AddSlotsRequest::RowWeekend;
    const std::vector<Object> twoKinds = {Kind(85, L"Morning"), Kind(86, L"Afternoon")};
    struct Case {
        const char* name;
        AddSlotsRequest request;
        std::vector<std::string> slots;
    } cases[] = {
        {"the weekday row on the excluded Wednesday, Default on the calendar days",
         Request({}, {{Default, {5}}, {Wednesday, {3}}}),
         {"0:5:0:1", "1:5:0:1", "2:3:0:0", "3:5:0:1", "4:5:0:1", "5:5:0:1", "6:5:0:1"}},
        {"a later non-calendar row wins over the weekday row",
         Request({}, {{Default, {5}}, {Wednesday, {3}}, {NonCalendar, {2}}}),
         {"0:5:0:1", "1:5:0:1", "2:2:0:0", "3:5:0:1", "4:5:0:1", "5:5:0:1", "6:5:0:1"}},
        {"no row for a non-calendar day: no slot; weekend row on Saturday and Sunday",
         Request({}, {{Default, {5}}, {Weekend, {1}}}),
         {"0:5:0:1", "1:5:0:1", "3:5:0:1", "4:5:0:1", "5:1:0:1", "6:1:0:1"}},
        {"two kinds: a slot of each kind a day, each with its rate",
         Request(twoKinds, {{Default, {2, 3}}, {NonCalendar, {0, 1}}}),
         {"0:2:85:1", "0:3:86:1", "1:2:85:1", "1:3:86:1", "2:0:85:0", "2:1:86:0", "3:2:85:1", "3:3:86:1",
          "4:2:85:1", "4:3:86:1", "5:2:85:1", "5:3:86:1", "6:2:85:1", "6:3:86:1"}},
    };
    const ProjectCalendar calendar = WithoutWednesday();
    for (const Case& c : cases) {
        std::vector<Pane::PlannedSlot> planned = Pane::PlanAddedSlots(c.request, SlotType(), calendar, {});
        EXPECT_EQ(c.slots, Describe(planned)) << c.name;
        // The same request again over what it added gives nothing more.
        std::map<__int64, Pane::SlotEntry> existing;
        __int64 key = 0;
        for (const Pane::PlannedSlot& slot : planned)
            existing[++key] = slot.entry;
        EXPECT_TRUE(Pane::PlanAddedSlots(c.request, SlotType(), calendar, existing).empty()) << c.name;
    }
}

TEST(AddSlotsPlan, NewSlotsAreNamedByTheirDayAndKindAndKnowTheirWeekday)
{
    AddSlotsRequest request = Request({Kind(85, L"Morning")}, {{AddSlotsRequest::RowDefault, {4}}});
    request.firstDay = kWednesday;
    request.lastDay = kWednesday + kDay * 4;   // Wednesday to Sunday
    std::vector<Pane::PlannedSlot> planned = Pane::PlanAddedSlots(request, SlotType(), ProjectCalendar(), {});
    ASSERT_EQ(5u, planned.size());
    EXPECT_STREQ(L"Deployment SlotWednesday, 11-Mar-26 00:00:00 GMT Morning", planned[0].entry.object.name.GetBuffer());
    std::vector<int> dayNames;
    for (const Pane::PlannedSlot& slot : planned) {
        dayNames.push_back(slot.dayName);
        // A new object, not the type definition it was made from; its values are to be sent.
        EXPECT_EQ(0, slot.entry.object.id);
        EXPECT_TRUE(slot.entry.object.IsAttributeDirty(CTString(L"end_date")));
        EXPECT_TRUE(slot.entry.object.IsAttributeDirty(CTString(L"link_deployment_slot_data")));
    }
    EXPECT_EQ((std::vector<int>{2, 3, 4, 5, 6}), dayNames);   // Monday is 0
}

TEST(AddSlotsPlan, ExistingSlotsOfTheDayAndKindAreKept)
{
    // A loaded slot on Tuesday of kind 85 and one on Thursday without a kind.
    std::map<__int64, Pane::SlotEntry> existing;
    Object tuesday = SlotType(), thursday = SlotType();
    tuesday.SetAttribute(CTString(L"end_date"), CAttribute(CAttribute::Date, kMonday + kDay));
    tuesday.SetAttribute(CTString(L"link_deployment_slot_data"), CAttribute(CAttribute::Integer, static_cast<__int64>(85)));
    thursday.SetAttribute(CTString(L"end_date"), CAttribute(CAttribute::Date, kMonday + 3 * kDay));
    existing[1].object = tuesday;
    existing[2].object = thursday;
    std::vector<Pane::PlannedSlot> withKinds = Pane::PlanAddedSlots(
        Request({Kind(85, L"Morning")}, {{AddSlotsRequest::RowDefault, {1}}}), SlotType(), ProjectCalendar(), existing);
    EXPECT_EQ((std::vector<std::string>{"0:1:85:1", "2:1:85:1", "3:1:85:1", "4:1:85:1", "5:1:85:1", "6:1:85:1"}),
              Describe(withKinds));
    std::vector<Pane::PlannedSlot> plain = Pane::PlanAddedSlots(Request({}, {{AddSlotsRequest::RowDefault, {1}}}),
                                                                SlotType(), ProjectCalendar(), existing);
    EXPECT_EQ((std::vector<std::string>{"0:1:0:1", "1:1:0:1", "2:1:0:1", "4:1:0:1", "5:1:0:1", "6:1:0:1"}),
              Describe(plain));
}
