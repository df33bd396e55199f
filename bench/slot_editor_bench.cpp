// The deployment-window editor filling its list: 200 and 4,000 slots (two kinds a day, sites of
// their own) with their windows, as the pane has them once the window reply is in. The time per row
// of both sizes side by side, and their ratio: a fill that looks rows up by walking the list shows
// up here as a ratio well above 1; the goal is at most 1.5.
// Run under Wine with a display: wine build/bench/bench_slot_editor.exe
#include "calendars/DlgScheduleGroupWin.h"

#include <stdio.h>
#include "BenchTimer.h"

namespace {

constexpr __int64 kFirstDay = 1767225600;   // 1 January 2026, 00:00 UTC

Object::Attribute& Add(Object& object, int id, const wchar_t* name, const CAttribute& value, const wchar_t* spec = L"",
                       DWORD flags = 0)
{
    Object::Attribute& a = object.attributes[id];
    a.CAttribute::Assign(value);
    a.name = name;
    a.editSpec = spec;
    a.flags = flags;
    return a;
}

// Loads the pane with slots and their windows: day i / 2, kind 85 or 86.
void Load(DlgScheduleGroupWin& pane, int slots)
{
    pane.Clear();
    pane.m_group = Object();
    pane.m_group.id = 54;
    Add(pane.m_group, 172, L"deployment_slot", CAttribute(CAttribute::Text, L"/85/86/"), L"",
        Object::Attribute::LinkArray);
    pane.m_window.id = 264;
    pane.m_window.parent = 54;
    for (int i = 0; i < slots; ++i) {
        DlgScheduleGroupWin::SlotEntry entry;
        Object& slot = entry.object;
        slot.id = 10000 + i;
        slot.parent = 264;
        const __int64 day = kFirstDay + (i / 2) * 86400;
        Add(slot, 104, L"day_of_week", CAttribute(CAttribute::Integer, static_cast<__int64>(0)));
        Add(slot, 110, L"end_date", CAttribute(CAttribute::Date, day));
        Add(slot, 128, L"link_site", CAttribute(CAttribute::Integer, static_cast<__int64>(20 + i % 4)), L"TYPE='Site'",
            Object::Attribute::Link);
        Add(slot, 130, L"max_deployments", CAttribute(CAttribute::Integer, static_cast<__int64>(4)));
        Add(slot, 131, L"link_deployment_slot_data", CAttribute(CAttribute::Integer, static_cast<__int64>(85 + i % 2)),
            L"TYPE='Deployment Slot Data'", Object::Attribute::Link);
        Add(slot, 175, L"used", CAttribute(CAttribute::Integer, static_cast<__int64>(i % 5)));
        pane.m_slots.emplace(++pane.m_rowKeyCounter, entry);
        DeploymentWin::Window& window = pane.m_slotCache.m_days[static_cast<unsigned __int64>(day)][1 + i % 2];
        window.id = static_cast<int>(slot.id);
        window.used = i % 5;
        window.capacity = 4;
        window.isDay = (i / 2) % 7 < 5;
    }
    pane.m_siteIds = {20, 21, 22, 23};
    pane.m_readOnlyColumns.push_back(4);
    pane.SetUpColumns();
}

} // namespace

int wmain()
{
    HWND host = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 900, 700, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    const int sizes[] = {200, 4000};
    double perRow[2] = {};
    for (int s = 0; s < 2; ++s) {
        double best = 1e9;
        for (int run = 0; run < 3; ++run) {
            DlgScheduleGroupWin pane;
            if (!pane.CreateDialogFromResource(GetModuleHandleW(nullptr),
                                               MAKEINTRESOURCEW(DlgScheduleGroupWin::kTemplate), host)) {
                printf("the editor's window could not be made (is there a display?)\n");
                return 1;
            }
            MoveWindow(pane.m_hWnd, 0, 0, 880, 660, TRUE);
            Load(pane, sizes[s]);
            double t = Time([&] { pane.FillList(); });
            if (pane.m_list.m_report.GetItemCount() != sizes[s]) {
                printf("the list holds %d rows, not %d\n", pane.m_list.m_report.GetItemCount(), sizes[s]);
                return 1;
            }
            if (t < best)
                best = t;
        }
        perRow[s] = best / sizes[s];
    }
    printf("fill per row: %d slots %.1f us, %d slots %.1f us, ratio %.2f (goal <= 1.5)\n", sizes[0], perRow[0] * 1e6,
           sizes[1], perRow[1] * 1e6, perRow[1] / perRow[0]);
    DestroyWindow(host);
    return 0;
}
