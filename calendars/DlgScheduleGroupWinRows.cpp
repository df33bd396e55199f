// Slot rows of the deployment-window editor: building a row with its in-cell editors, the choice
// lists, edits with their copying to ticked rows, the site picker's answers and the bulk ticks.
#include "calendars/DlgScheduleGroupWin.h"

#include <commctrl.h>
#include <algorithm>
#include <string>
#include "app/App.h"
#include "app/MainWindow.h"

namespace {

const CTString kSite(L"link_site");

CTString SpecItem(const CTString& spec, const wchar_t* key)
{
    CAttribute value = CAttribute::ConstructFromSpec(spec, CTString(key));
    return CTString(value.GetText());
}

CTString TrimQuotes(CTString text)
{
    text.Trim(L'\'');
    return text;
}

bool Same(const CTString& a, const wchar_t* b)
{
    return lstrcmpiW(a.GetBuffer() ? a.GetBuffer() : L"", b) == 0;
}

// The "|"-separated items of a column text, blanks and double quotes trimmed.
std::vector<CTString> SplitItems(const CTString& text)
{
    std::vector<CTString> items;
    std::wstring all(text.GetBuffer() ? text.GetBuffer() : L"");
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find(L'|', start);
        if (end == std::wstring::npos)
            end = all.size();
        CTString item(all.substr(start, end - start).c_str());
        item.Trim(L' ');
        item.Trim(L'"');
        items.push_back(item);
        start = end + 1;
    }
    return items;
}

void* KeyData(__int64 key)
{
    return reinterpret_cast<void*>(static_cast<INT_PTR>(key));
}

} // namespace

DlgScheduleGroupWin::SlotEntry* DlgScheduleGroupWin::EntryOfItem(int item, __int64* keyOut)
{
    if (item < 0 || !m_list.m_report.m_hWnd)
        return nullptr;
    auto key = static_cast<__int64>(reinterpret_cast<INT_PTR>(m_list.m_report.GetRowData(item)));
    auto found = m_slots.find(key);
    if (found == m_slots.end())
        return nullptr;
    if (keyOut)
        *keyOut = key;
    return &found->second;
}

bool DlgScheduleGroupWin::IsTicked(int item)
{
    CTListCtrlEdit::Cell* cell = m_editor.FindCell(item, 0);
    return cell && cell->IsChecked();
}

void DlgScheduleGroupWin::SetTick(int item, bool on)
{
    if (IsTicked(item) == on)
        return;
    void* key = m_list.m_report.GetRowData(item);
    m_editor.SetValue(key, 0, CAttribute(CAttribute::Integer, static_cast<__int64>(on ? 1 : 0)));
    m_tickedCount += on ? 1 : -1;
}

int DlgScheduleGroupWin::UpdateRowItem(__int64 key, const SlotEntry& entry, int knownItem)
{
    CTListCtrlReportEx& report = m_list.m_report;
    CTListCtrlReport::Row shown(KeyData(key));
    CTListCtrlEdit::Row editable(KeyData(key));
    shown.AddNumber(0);
    editable.AddCell(CTListCtrlEdit::KindCheck).SetValue(CAttribute(CAttribute::Integer, static_cast<__int64>(0)));
    std::vector<int> readOnly = m_readOnlyColumns;

    CTString spec;
    GetColumnSpec(spec);
    std::vector<CTString> items = SplitItems(spec);
    const CTString typeKey(L"TYPE");
    for (size_t i = 0; i < items.size(); ++i) {
        const int column = static_cast<int>(i) + 1;
        CTString name(items[i]);
        const bool star = name.GetLength() && name.GetBuffer()[0] == L'*';
        name.TrimLeft(L'*');
        CAttribute value;
        entry.object.GetAttribute(value, name);
        if (entry.object.EditSpecItemEquals(name, typeKey, CTString(L"Readonly")))
            readOnly.push_back(column);
        int kind = CTListCtrlEdit::KindText;
        CTString choiceList;
        CAttribute shownValue(value);
        switch (value.GetType()) {
        case CAttribute::Integer: {
            CTString editSpec;
            entry.object.GetAttributeEditSpec(name, editSpec);
            if (editSpec.IsEmpty()) {
                kind = CTListCtrlEdit::KindNumber;
            } else if (entry.object.IsAttributeLink(name)) {
                if (star) {
                    kind = CTListCtrlEdit::KindChoice;
                    choiceList = editSpec;
                    if (value.IsEmpty())
                        shownValue = CAttribute();
                } else {
                    readOnly.push_back(column);
                    if (value.GetValue() != 0) {
                        kind = CTListCtrlEdit::KindReadOnly;
                    } else {
                        kind = CTListCtrlEdit::KindText;
                        shownValue = CAttribute(CTString());
                    }
                }
            } else if (Same(SpecItem(editSpec, L"TYPE"), L"Checkbox")) {
                kind = CTListCtrlEdit::KindCheck;
            } else if (SpecItem(editSpec, L"VALUES").GetLength() >= 1) {
                kind = CTListCtrlEdit::KindChoice;
                choiceList = editSpec;
            } else {
                kind = CTListCtrlEdit::KindNumber;
            }
            break;
        }
        case CAttribute::Date:
            kind = CTListCtrlEdit::KindDate;
            break;
        case CAttribute::DateTime:
            kind = CTListCtrlEdit::KindDate;
            if (entry.object.EditSpecItemEquals(name, typeKey, CTString(L"Date"))) {
                value = CAttribute(CAttribute::Date, value.GetValue());
                shownValue = value;
            }
            break;
        case CAttribute::LocalTimeOfDay:
            kind = CTListCtrlEdit::KindTime;
            break;
        default:
            if (entry.object.EditSpecItemEquals(name, typeKey, CTString(L"MultiLine"))) {
                kind = CTListCtrlEdit::KindMultiLine;
            } else if (entry.object.EditSpecItemEquals(name, typeKey, CTString(L"Locale"))) {
                kind = CTListCtrlEdit::KindLocale;
                CTStringLocale text(value.GetString());
                shownValue = CAttribute(CTString(text.GetUserText()));
            }
            break;
        }
        editable.AddCell(kind);
        if (kind == CTListCtrlEdit::KindChoice)
            editable.SetText(choiceList);
        editable.SetValue(value);
        shown.AddAttribute(shownValue);
    }

    int item = knownItem >= 0 ? -1 : report.FindRowByData(KeyData(key));
    if (item < 0) {
        item = report.InsertRow(report.GetItemCount(), 0, shown);
        m_editor.AddRow(editable);
    } else {
        report.UpdateRow(item, 0, shown);
        m_editor.UpdateRow(item, editable);
    }
    for (int column : readOnly)
        m_editor.SetReadOnly(KeyData(key), column, true);
    return item;
}

int DlgScheduleGroupWin::AddNewRow(const SlotEntry& entry)
{
    const __int64 key = ++m_rowKeyCounter;
    SlotEntry& stored = m_slots[key];
    stored = entry;
    stored.state = StateNew;
    stored.pending = true;
    stored.refreshSite = true;
    int item = UpdateRowItem(key, stored);
    if (item >= 0) {
        m_list.m_report.SetRowColour(item, kColourNew);
        ListView_SetItemState(m_list.m_report.m_hWnd, item, LVIS_SELECTED, LVIS_SELECTED);
        ListView_EnsureVisible(m_list.m_report.m_hWnd, item, FALSE);
    }
    return item;
}

void DlgScheduleGroupWin::FillChoices(const CTString& listName, CTListCtrlEdit::Choices& map)
{
    CTString values = SpecItem(listName, L"VALUES");
    if (!values.IsEmpty()) {
        std::wstring all(values.GetBuffer());
        unsigned index = 0;
        size_t start = 0;
        while (start <= all.size()) {
            size_t end = all.find(L',', start);
            if (end == std::wstring::npos)
                end = all.size();
            map[index++] = TrimQuotes(CTString(all.substr(start, end - start).c_str()));
            start = end + 1;
        }
    }
    CTString type = SpecItem(listName, L"TYPE");
    if (!type.IsEmpty())
        FillChoicesByType(listName, type, map);
}

void DlgScheduleGroupWin::FillSiteChoices(CTListCtrlEdit::Choices& map)
{
    map[kChoiceInherit] = L"<Set Inherited>";
    map[kChoiceSelectSite] = L"<Select Site>";
    App* app = GetApp();
    for (__int64 id : m_siteIds) {
        if (id == 0)
            continue;
        const Object* site = app ? app->m_dir.Lookup(id) : nullptr;
        map[static_cast<unsigned>(id)] = site && site->id ? CTString(site->name.GetBuffer()) : CTString();
    }
}

void DlgScheduleGroupWin::FillChoicesByType(const CTString& listName, const CTString& typeValue,
                                            CTListCtrlEdit::Choices& map)
{
    (void)listName;
    const CTString type = TrimQuotes(typeValue);
    auto byName = [](const Object& a, const Object& b) {
        return lstrcmpW(a.name.GetBuffer() ? a.name.GetBuffer() : L"", b.name.GetBuffer() ? b.name.GetBuffer() : L"") < 0;
    };
    if (Same(type, L"Deployment Slot Data")) {
        std::vector<Object> kinds;
        if (m_owner)
            kinds = m_owner->m_cache.slotData;
        m_slotDataOrder.clear();
        for (const Object& kind : kinds) {
            CAttribute order;
            kind.GetAttribute(order, CTString(L"display_order"));
            m_slotDataOrder[kind.id] = order.GetValue32();
        }
        std::vector<__int64> used;
        m_group.GetLinkArray(used, CTString(L"deployment_slot"));
        kinds.erase(std::remove_if(kinds.begin(), kinds.end(),
                                   [&](const Object& kind) {
                                       return std::find(used.begin(), used.end(), kind.id) == used.end();
                                   }),
                    kinds.end());
        std::sort(kinds.begin(), kinds.end(), byName);
        map[0] = L" ";
        for (const Object& kind : kinds)
            map[static_cast<unsigned>(kind.id)] = CTString(kind.name.GetBuffer());
        return;
    }
    if (Same(type, L"Site")) {
        FillSiteChoices(map);
        return;
    }
    App* app = GetApp();
    if (!app || !m_owner)
        return;
    const __int64 typeId = m_owner->GetTypeId(type);
    std::vector<Object> objects;
    app->m_dir.CollectDescendants(0, objects);
    objects.erase(std::remove_if(objects.begin(), objects.end(),
                                 [&](const Object& object) { return object.type != typeId || object.id == 0; }),
                  objects.end());
    std::sort(objects.begin(), objects.end(), byName);
    map[0] = L" ";
    for (const Object& object : objects)
        map[static_cast<unsigned>(object.id)] = CTString(object.name.GetBuffer());
}

void DlgScheduleGroupWin::OnValueChanged(int item, int column, const CAttribute& value)
{
    if (column == 0) {
        const bool on = value.GetValue() != 0;
        if (s_isShiftDown && s_isShiftDown() && m_tickAnchor >= 0) {
            CTListCtrlReportEx& report = m_list.m_report;
            ::SendMessageW(report.m_hWnd, WM_SETREDRAW, FALSE, 0);
            const int step = item > m_tickAnchor ? -1 : 1;
            for (int row = m_tickAnchor; row != item; row -= step)
                SetTick(row, on);
            ::SendMessageW(report.m_hWnd, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(report.m_hWnd, nullptr, FALSE);
        }
        // The clicked row's tick is already set by the editor; only the count follows it.
        m_tickedCount += on ? 1 : -1;
        m_tickAnchor = item;
        UpdateStatusText();
        return;
    }
    if (column == m_siteColumn && value.GetValue() == kChoiceSelectSite) {
        bool open = false;
        for (const auto& [pickKey, pick] : m_sitePicks) {
            (void)pickKey;
            if (pick.row == item && pick.state < PickClosed)
                open = true;
        }
        App* app = GetApp();
        if (!open && app) {
            const __int64 pickKey = app->m_pickerKey++;
            m_sitePicks[pickKey] = SitePick{item, PickAsked};
            app->m_windows.OpenWindow(kSitePickerType, static_cast<UINT64>(pickKey), reinterpret_cast<INT_PTR>(m_hWnd));
        }
        SetModified(true);
        return;
    }
    const bool inherit = column == m_siteColumn && value.GetValue() == kChoiceInherit;
    ApplyCellValue(item, column, value, inherit);
    PropagateValue(item, column, value, inherit);
    SetModified(true);
}

void DlgScheduleGroupWin::PropagateValue(int item, int column, const CAttribute& value, bool inherit)
{
    if (m_propagating || m_tickedCount <= 1 || !IsTicked(item))
        return;
    m_propagating = true;
    CTListCtrlReportEx& report = m_list.m_report;
    const int count = report.GetItemCount();
    for (int row = 0; row < count; ++row) {
        if (row == item || !IsTicked(row))
            continue;
        m_editor.SetValue(report.GetRowData(row), column, value);
        ApplyCellValue(row, column, value, inherit);
    }
    m_propagating = false;
}

void DlgScheduleGroupWin::ApplyCellValue(int item, int column, const CAttribute& value, bool inherit)
{
    SlotEntry* entry = EntryOfItem(item);
    if (!entry || column <= 0 || column >= static_cast<int>(m_columnNames.size()))
        return;
    const CTString& name = m_columnNames[column];
    if (inherit) {
        entry->object.ResetAttribute(name);
    } else {
        // The editor hands back its own type for a cell; the slot keeps the attribute's type.
        CAttribute stored;
        entry->object.GetAttribute(stored, name);
        if (CAttribute::IsTextType(value.GetType()) || CAttribute::IsTextType(stored.GetType()) ||
            stored.GetType() == value.GetType())
            entry->object.SetAttribute(name, value);
        else
            entry->object.SetAttribute(name, CAttribute(stored.GetType(), value.GetValue()));
    }
    if (entry->state == StateLoaded || entry->state == StateChanged) {
        entry->state = StateChanged;
        m_list.m_report.SetCellBackColour(item, column, kColourChanged);
    }
    entry->pending = true;
}

void DlgScheduleGroupWin::OnSitePickerMessage(UINT msg, WPARAM key, LPARAM value)
{
    auto found = m_sitePicks.find(static_cast<__int64>(key));
    if (found == m_sitePicks.end())
        return;
    SitePick& pick = found->second;
    if (msg == kMsgSitePickState) {
        if (static_cast<int>(value) == pick.state)
            return;
        pick.state = static_cast<int>(value);
        if (pick.state != PickCancelled)
            return;
        __int64 rowKey = 0;
        SlotEntry* entry = EntryOfItem(pick.row, &rowKey);
        if (!entry)
            return;
        entry->refreshSite = false;
        CAttribute site;
        entry->object.GetAttribute(site, kSite);
        CTListCtrlEdit::Cell* cell = m_editor.FindCell(pick.row, m_siteColumn);
        if (cell)
            cell->m_value.Assign(site);
        SetSiteCellText(pick.row, *entry);
        return;
    }
    const __int64 siteId = static_cast<__int64>(value);
    m_siteIds.push_back(siteId);
    std::sort(m_siteIds.begin(), m_siteIds.end());
    m_siteIds.erase(std::unique(m_siteIds.begin(), m_siteIds.end()), m_siteIds.end());
    App* app = GetApp();
    if (!app)
        return;
    const int row = pick.row;
    const unsigned generation = m_loadGeneration;
    auto picked = [this, row, siteId, generation]() {
        if (generation != m_loadGeneration)
            return;
        __int64 rowKey = 0;
        if (EntryOfItem(row, &rowKey))
            OnSitePicked(row, rowKey, m_siteColumn, siteId);
    };
    if (siteId == 0)
        picked();
    else
        app->m_dir.RequestObject(siteId, 0, m_route, picked, picked);
}

void DlgScheduleGroupWin::OnSitePicked(int row, __int64 key, int column, __int64 siteId)
{
    CTListCtrlEdit::Choices choices;
    FillSiteChoices(choices);
    m_editor.SetChoices(CTString(L"TYPE='Site'"), choices);
    const CAttribute value(CAttribute::Integer, siteId);
    m_editor.SetValue(KeyData(key), column, value);
    ApplyCellValue(row, column, value, false);
    PropagateValue(row, column, value, false);
    SetModified(true);
}

bool DlgScheduleGroupWin::SelectionTicks(int command, bool ticked, const SlotEntry& entry, __int64 now, __int64 start,
                                         __int64 end)
{
    CAttribute endDate;
    entry.object.GetAttribute(endDate, CTString(L"end_date"));
    const auto day = static_cast<unsigned __int64>(endDate.GetValue());
    switch (command) {
    case kCmdAll:
        return true;
    case kCmdNone:
        return false;
    case kCmdInvert:
        return !ticked;
    case kCmdUnusedExpired:
        return entry.used == 0 && day < static_cast<unsigned __int64>(now);
    case kCmdCalendaredDays:
        return entry.isDay != 0;
    case kCmdDateRange:
        return static_cast<unsigned __int64>(start) <= day && day <= static_cast<unsigned __int64>(end);
    default:
        return ticked;
    }
}

void DlgScheduleGroupWin::SelectRows(int command)
{
    m_tickAnchor = -1;
    __int64 start = 0, end = 0;
    if (command == kCmdDateRange && !(s_askDateRange && s_askDateRange(m_hWnd, start, end)))
        return;
    CTListCtrlReportEx& report = m_list.m_report;
    if (!report.m_hWnd)
        return;
    ::SendMessageW(report.m_hWnd, WM_SETREDRAW, FALSE, 0);
    const int count = report.GetItemCount();
    for (int item = 0; item < count; ++item) {
        SlotEntry* entry = EntryOfItem(item);
        if (!entry)
            continue;
        SetTick(item, SelectionTicks(command, IsTicked(item), *entry, m_now, start, end));
    }
    UpdateStatusText();
    ::SendMessageW(report.m_hWnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(report.m_hWnd, nullptr, FALSE);
}
