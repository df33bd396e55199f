// Adding slots from an add request, marking slots for deletion and saving the changes of the
// deployment-window editor one request at a time.
#include "calendars/DlgScheduleGroupWin.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/MainWindow.h"
#include "calendars/DlgScheduleGroupWinAddSlot.h"
#include "foundation/CTTime.h"
#include "framework/CTWndMessageBox.h"
#include "session/RequestResult.h"

namespace {

constexpr __int64 kDay = 86400;
const CTString kEndDate(L"end_date");
const CTString kKind(L"link_deployment_slot_data");

// Weekday of a day value's UTC date, 1 = Sunday ... 7 = Saturday.
int UtcWeekday(__int64 day)
{
    __int64 days = day / kDay;
    if (day % kDay < 0)
        --days;
    return static_cast<int>(((days + 4) % 7 + 7) % 7) + 1;
}

bool RowMatches(int kind, int weekday, bool calendarDay)
{
    if (kind >= AddSlotsRequest::RowMonday && kind <= AddSlotsRequest::RowMonday + 4)
        return weekday == kind - AddSlotsRequest::RowMonday + 2;
    if (kind == AddSlotsRequest::RowMonday + 5)
        return weekday == 7;
    if (kind == AddSlotsRequest::RowSunday)
        return weekday == 1;
    if (kind == AddSlotsRequest::RowWeekend)
        return weekday == 1 || weekday == 7;
    if (kind == AddSlotsRequest::RowNonCalendar)
        return !calendarDay;
    return false;
}

bool SameDayAndKind(const Object& slot, __int64 day, __int64 kind)
{
    CAttribute date, slotKind;
    slot.GetAttribute(date, kEndDate);
    slot.GetAttribute(slotKind, kKind);
    return date.GetValue() == day && slotKind.GetValue() == kind;
}

void* KeyData(__int64 key)
{
    return reinterpret_cast<void*>(static_cast<INT_PTR>(key));
}

} // namespace

std::vector<DlgScheduleGroupWin::PlannedSlot> DlgScheduleGroupWin::PlanAddedSlots(
    const AddSlotsRequest& request, const Object& slotType, const ProjectCalendar& calendar,
    const std::map<__int64, SlotEntry>& existing)
{
    std::vector<PlannedSlot> planned;
    const AddSlotsRequest::RateRow* defaultRow = nullptr;
    for (const AddSlotsRequest::RateRow& row : request.rows)
        if (row.kind == AddSlotsRequest::RowDefault)
            defaultRow = &row;
    auto exists = [&](__int64 day, __int64 kind) {
        for (const auto& [key, entry] : existing) {
            (void)key;
            if (SameDayAndKind(entry.object, day, kind))
                return true;
        }
        for (const PlannedSlot& slot : planned)
            if (SameDayAndKind(slot.entry.object, day, kind))
                return true;
        return false;
    };
    for (__int64 day = request.firstDay; day <= request.lastDay; day += kDay) {
        const int weekday = UtcWeekday(day);
        const bool calendarDay = calendar.IsWorkingDay(static_cast<time_t>(day));
        size_t counted = 0;
        for (const AddSlotsRequest::Column& column : request.columns) {
            if (column.kind == AddSlotsRequest::ColumnLabel)
                continue;
            const size_t i = counted++;
            const AddSlotsRequest::RateRow* chosen = nullptr;
            for (const AddSlotsRequest::RateRow& row : request.rows)
                if (RowMatches(row.kind, weekday, calendarDay))
                    chosen = &row;
            if (!chosen) {
                if (!calendarDay || !defaultRow)
                    continue;
                chosen = defaultRow;
            }
            const Object kindObject = i < chosen->objects.size() ? chosen->objects[i] : Object();
            const int rate = i < chosen->rates.size() ? chosen->rates[i] : 0;
            if (exists(day, kindObject.id))
                continue;
            PlannedSlot slot;
            Object& object = slot.entry.object;
            object = slotType;
            object.id = 0;
            object.parent = 0;
            object.serial = 0;
            object.SetAttribute(kEndDate, CAttribute(CAttribute::Date, day));
            object.SetAttribute(CTString(L"max_deployments"), CAttribute(CAttribute::Integer, static_cast<__int64>(rate)));
            if (kindObject.id != 0)
                object.SetAttribute(kKind, CAttribute(CAttribute::Integer, kindObject.id));
            CTString date;
            FormatUtcTimeText(&day, date);
            object.name.Append(date);
            object.name.Append(kindObject.name);
            slot.entry.isDay = calendarDay ? 1 : 0;
            slot.dayName = weekday == 1 ? 6 : weekday - 2;
            planned.push_back(slot);
        }
        if (day > request.lastDay - kDay)
            break;   // the next step would wrap past the largest day
    }
    return planned;
}

void DlgScheduleGroupWin::ApplyAddSlotsRequest(const AddSlotsRequest& request)
{
    Object slotType;
    if (m_owner)
        m_owner->GetTypeByName(slotType, CTString(L"Deployment Slot"));
    CAttribute calendarText;
    m_group.GetAttribute(calendarText, CTString(L"calendar"));
    ProjectCalendar calendar;
    calendar.ReadXml(CTString(calendarText.GetText()));
    for (const PlannedSlot& slot : PlanAddedSlots(request, slotType, calendar, m_slots)) {
        int item = AddNewRow(slot.entry);
        if (item >= 0)
            m_list.m_report.SetCellAttribute(item, 1, CAttribute(m_dayNames[slot.dayName]));
        SetModified(true);
    }
    UpdateStatusText();
}

void DlgScheduleGroupWin::AddSlots()
{
    App* app = GetApp();
    if (!app || !m_hWnd)
        return;
    app->m_windows.OpenWindow(kAddSlotsType, static_cast<UINT64>(m_key), reinterpret_cast<INT_PTR>(m_hWnd));
    // The group travels with the windows: the directory cache may not hold it.
    if (auto* window = dynamic_cast<DlgScheduleGroupWinAddSlot*>(app->m_windows.FindWindow(kAddSlotsType, m_key))) {
        window->SetGroup(m_group);
        window->SetDeploymentWindows(m_slotCache);
    }
}

void DlgScheduleGroupWin::DeleteSelected()
{
    CTListCtrlReportEx& report = m_list.m_report;
    if (!report.m_hWnd)
        return;
    if (m_tickedCount == 0) {
        int selected = ListView_GetNextItem(report.m_hWnd, -1, LVNI_SELECTED);
        if (selected >= 0)
            MarkRowDeleted(selected);
        return;
    }
    // Keys first: deleting a new row moves the items after it.
    std::vector<void*> keys;
    for (int item = 0; item < report.GetItemCount(); ++item)
        if (IsTicked(item))
            keys.push_back(report.GetRowData(item));
    for (void* key : keys)
        MarkRowDeleted(report.FindRowByData(key));
}

void DlgScheduleGroupWin::MarkRowDeleted(int item)
{
    __int64 key = 0;
    SlotEntry* entry = EntryOfItem(item, &key);
    if (!entry)
        return;
    CTListCtrlReportEx& report = m_list.m_report;
    switch (entry->state) {
    case StateLoaded:
    case StateChanged: {
        // A slot with bookings stays.
        if (entry->used != 0)
            return;
        entry->state = StateDeleted;
        entry->pending = true;
        report.SetRowStrikeOut(item);
        report.SetRowColour(item, kColourDeleted);
        SetModified(true);
        return;
    }
    case StateNew:
        if (IsTicked(item))
            --m_tickedCount;
        m_editor.RemoveRow(KeyData(key));
        report.DeleteRow(item);
        m_slots.erase(key);
        SetModified(true);
        UpdateStatusText();
        return;
    default:
        return;
    }
}

bool DlgScheduleGroupWin::Save()
{
    App* app = GetApp();
    if (!app)
        return true;
    const auto groupId = static_cast<unsigned>(m_window.parent);
    app->DropDeploymentWindowCache(groupId);
    RequestRoute route = ReplyRoute(kReqSave);
    // A refused step comes back here, so that its change stays pending for the next Save.
    route.silent = true;
    if (SendNextChange(m_window.id, route))
        return false;
    m_savingKey = 0;
    app->DropDeploymentWindowCache(groupId);
    RequestResult notice;
    notice.route.targetType = CTWndConsole::kMainWindowType;
    notice.route.consoleType = kGroupConsoleType;
    notice.route.consoleKey = m_group.id ? m_group.id : m_window.parent;
    notice.route.requestId = kNoticeWindowsChanged;
    app->m_windows.NotifyWindows(CTWndConsole::kMainWindowType, 0, &notice);
    SetModified(false);
    UpdateSummary();
    return true;
}

bool DlgScheduleGroupWin::SendNextChange(__int64 windowId, RequestRoute route)
{
    App* app = GetApp();
    if (!app)
        return false;
    for (auto& [key, entry] : m_slots) {
        if (!entry.pending || entry.state == StateLoaded)
            continue;
        route.param2 = key;
        m_savingKey = key;
        // The change stays pending until the server has taken it.
        CAttributes changes, privileges;
        Object& object = entry.object;
        switch (entry.state) {
        case StateNew:
            object.ApplyConsoleDisplayName();
            object.CollectChanges(changes, false);
            object.CollectPrivilegeChanges(privileges);
            object.parent = windowId;
            app->m_db.ObjNew(static_cast<unsigned>(object.type), static_cast<unsigned>(windowId), CTString(object.name),
                             changes, privileges, route);
            return true;
        case StateDeleted:
            app->m_db.ObjDelete(static_cast<unsigned>(object.id), static_cast<unsigned>(object.serial), route);
            return true;
        default:
            object.ApplyConsoleDisplayName();
            object.CollectChanges(changes, false);
            object.CollectPrivilegeChanges(privileges);
            for (CAttributes::CItem* item = changes.GetHead(); item; item = item->GetNextItem())
                if (item->m_name.Find(CTString(L"ATTRIBIDDEL")) == 0)
                    entry.refreshSite = true;
            app->m_db.ObjSet(static_cast<unsigned>(object.id), static_cast<unsigned>(object.serial),
                             CTString(object.name), changes, privileges, route);
            return true;
        }
    }
    return false;
}

void DlgScheduleGroupWin::OnSaveResult(RequestResult& result)
{
    const __int64 key = result.route.param2;
    if (key == 0 || key != m_savingKey)
        return;
    m_savingKey = 0;
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    const bool stored = result.kind == RequestResult::KindServerAnswer && result.resultCode == 0 &&
                        result.returnCode == 0 && root && !root->FirstChildElementNamed(L"error");
    if (!stored) {
        // The chain ends here; the change keeps its pending mark and Save comes back, so the next
        // Save sends it again. No notice: not every change was stored.
        CTString text(result.statusText);
        if (text.IsEmpty())
            text = L"The deployment slot could not be saved.";
        CTWndMessageBox box;
        box.Show(m_hWnd, GetModuleHandleW(nullptr), text.GetBuffer(), L"System Error", MB_OK);
        EnableWindow(GetDlgItem(m_hWnd, kIdSave), TRUE);
        EnableWindow(GetDlgItem(m_hWnd, kIdCancel), TRUE);
        return;
    }
    OnSaveReply(result.document, key);
    Save();
}

void DlgScheduleGroupWin::OnSaveReply(TiXmlDocument& reply, __int64 key)
{
    auto found = m_slots.find(key);
    if (found == m_slots.end())
        return;
    SlotEntry& entry = found->second;
    CTListCtrlReportEx& report = m_list.m_report;
    const int item = report.FindRowByData(KeyData(key));
    if (entry.state == StateDeleted) {
        if (item >= 0) {
            if (IsTicked(item))
                --m_tickedCount;
            m_editor.RemoveRow(KeyData(key));
            report.DeleteRow(item);
        }
        m_slots.erase(found);
        UpdateStatusText();
        return;
    }
    TiXmlElement* root = reply.FirstChildElementNamed(L"result");
    if (TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr)
        entry.object.ReadFromXml(element, true);
    entry.state = StateLoaded;
    entry.pending = false;
    if (item < 0)
        return;
    if (entry.refreshSite) {
        entry.refreshSite = false;
        CAttribute site;
        entry.object.GetAttribute(site, CTString(L"link_site"));
        if (CTListCtrlEdit::Cell* cell = m_editor.FindCell(item, m_siteColumn))
            cell->m_value.Assign(site);
        SetSiteCellText(item, entry);
    }
    CAttribute capacity;
    entry.object.GetAttribute(capacity, CTString(L"max_deployments"));
    DeploymentWin::Window window;
    window.lockMin = entry.lockMin;
    window.lockMax = entry.lockMax;
    const auto max = static_cast<unsigned __int64>(capacity.GetValue());
    const auto used = static_cast<unsigned __int64>(static_cast<unsigned>(entry.used));
    if (DeploymentWin::IsClosed(window, m_now) || max < used) {
        report.SetCellTextColour(item, m_usedColumn, kColourClosed);
        report.SetCellTextColour(item, m_maxColumn, kColourClosed);
    } else if (max == used) {
        report.SetCellTextColour(item, m_usedColumn, kColourFull);
        report.SetCellTextColour(item, m_maxColumn, kColourFull);
    }
    for (int column : {3, m_maxColumn, m_siteColumn})
        report.SetCellBackColour(item, column, 0);
    report.SetRowColour(item, entry.isDay == 0 ? kColourNotCalendar : 0);
}
