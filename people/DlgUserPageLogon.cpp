#include "people/DlgUserPageLogon.h"

#include <algorithm>
#include <commctrl.h>
#include "app/App.h"
#include "app/DlgResetPassword.h"
#include "app/MainWindow.h"
#include "controls/CGDIManager.h"
#include "foundation/CTTime.h"
#include "foundation/TiXmlDocument.h"
#include "foundation/TiXmlElement.h"
#include "foundation/UnixClock.h"
#include "framework/CTWndMessageBox.h"
#include "session/FormHelpers.h"
#include "session/RequestResult.h"

namespace {

using Report = CTListCtrlReportEx;

COLORREF RecentColour()
{
    if (CGDIManager::CObject* entry = CGDIManager::Instance()->Find(DlgUser::CPageLogon::kColourRecent))
        return static_cast<COLORREF>(entry->Get());
    return RGB(20, 127, 20);
}

} // namespace

int DlgUser::CPageLogon::CountExtraColumns()
{
    MainWindow* main = GetMain();
    if (!main)
        return 0;
    std::vector<__int64> types;
    main->m_cache.GetTypeWithSubtypes(CTString(L"Event"), types);
    size_t most = 0;
    for (__int64 type : types) {
        Object definition;
        main->GetTypeById(definition, type);
        CAttribute attribs;
        definition.GetAttribute(attribs, CTString(L"console_display_attribs"));
        std::vector<CTString> items;
        most = std::max(most, SplitAtBar(items, attribs.GetString()).size());
    }
    return static_cast<int>(most);
}

void DlgUser::CPageLogon::BuildPage()
{
    AddItem(GetDlgItem(m_hWnd, kIdAnchorSpare), 9);
    AddItem(GetDlgItem(m_hWnd, kIdChangePassword), 9);
    AddItem(GetDlgItem(m_hWnd, kIdReset), 9);
    AddItem(GetDlgItem(m_hWnd, kIdLastLogon), 8);
    AddItem(GetDlgItem(m_hWnd, kIdList), 12);
    if (!m_list.Create(m_hWnd, kIdList, true, 0))
        return;
    Report& report = m_list.m_report;
    report.ModifyOptions(CTListCtrlReport::OptGridLines, CTListCtrlReport::OptOwnFirstColumn);
    report.ModifyStyle(LVS_SORTASCENDING, LVS_SINGLESEL | WS_TABSTOP, 0);
    ListView_SetExtendedListViewStyleEx(report.m_hWnd, LVS_EX_GRIDLINES, 0);
    m_extraColumns = CountExtraColumns();
    CTString columns(L"Date,130;Event,100;Duration,100;");
    for (int i = 0; i < m_extraColumns; ++i)
        columns.AppendText(L"#,120;");
    report.SetColumns(columns, 0, nullptr, nullptr);
    report.SetEmptyText(CTString(L"No Events"));
    report.SortBy(0, false);
    report.EnableAutoSort(true);
    AddSmallIcon(report, kItemIcon);
    report.SetColour(1, RecentColour());
}

bool DlgUser::CPageLogon::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const WORD code = HIWORD(wParam);
    switch (LOWORD(wParam)) {
    case kIdReset:
        if (code != BN_CLICKED)
            break;
        ResetPassword();
        *result = 0;
        return true;
    case kIdChangePassword:
        if (code == 0 || code == 1 || code == 0x300)
            MarkModified();
        *result = 0;
        return true;
    default:
        break;
    }
    return RecordPage::OnCommand(wParam, lParam, result);
}

bool DlgUser::CPageLogon::Load()
{
    m_loadPending = false;
    Object* person = GetShown();
    App* app = GetApp();
    if (!person)
        return true;
    CAttribute change;
    person->GetAttribute(change, CTString(L"change_password"));
    if (m_hWnd)
        CheckDlgButton(m_hWnd, kIdChangePassword, change.GetValue() != 0 ? BST_CHECKED : BST_UNCHECKED);
    if (!app || person->id == 0)
        return true;
    CAttributes form;
    form.SetText(L"TYPE", L"ALL");
    form.SetText(L"RETURNTYPE", L"OBJECT");
    CTString filter;
    filter.Format(L"link_user=%I64d", person->id);
    form.SetText(L"ATTRIBS", filter);
    app->m_db.Post(CTString(L"api/api_qelEventQuery.php"), form, [this](DB::DBEvent& event) {
        TiXmlDocument document;
        if (event.ReadXmlReply(document) == 2 && document.FirstChildElementNamed(L"result"))
            FillEvents(document);
    });
    return true;
}

bool DlgUser::CPageLogon::Save()
{
    Object* person = GetShown();
    if (person && m_hWnd)
        person->SetAttribute(CTString(L"change_password"),
                             CAttribute(CAttribute::Integer, IsDlgButtonChecked(m_hWnd, kIdChangePassword) ? 1 : 0));
    return true;
}

void DlgUser::CPageLogon::FillEvents(TiXmlDocument& document)
{
    Report& report = m_list.m_report;
    MainWindow* main = GetMain();
    App* app = GetApp();
    if (!report.m_hWnd || !main)
        return;
    Object logonType;
    main->GetTypeByName(logonType, CTString(L"Logon"));
    __int64 logon = -1, logonLink = -1;
    if (!logonType.FindAllowedValueIndex(CTString(L"logon_event"), CTString(L"logon"), logon))
        logon = -1;
    if (!logonType.FindAllowedValueIndex(CTString(L"logon_event"), CTString(L"logonlink"), logonLink))
        logonLink = -1;

    // One row per id, holding the id's last event in reply order; the latest logon counts every
    // event. The rows go in newest first, as the list shows them, so that its one sort at the end
    // finds them in order.
    std::vector<Object> events;
    std::unordered_map<__int64, size_t> byId;
    bool found = false;
    __int64 latest = 0;
    TiXmlElement* result = document.FirstChildElementNamed(L"result");
    size_t count = 0;
    for (TiXmlElement* element = result ? result->FirstChildElementNamed(L"object") : nullptr; element;
         element = element->NextSiblingElementNamed(L"object"))
        ++count;
    events.reserve(count);
    byId.reserve(count);
    for (TiXmlElement* element = result ? result->FirstChildElementNamed(L"object") : nullptr; element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object event;
        event.ReadFromXml(element, true);
        CAttribute kind;
        event.GetAttribute(kind, CTString(L"logon_event"));
        const bool isLogon = event.HasAttribute(CTString(L"logon_event")) &&
                             ((logon >= 0 && kind.GetValue() == logon) || (logonLink >= 0 && kind.GetValue() == logonLink));
        const __int64 created = event.created.GetValue();
        if (isLogon && (!found || created > latest)) {
            latest = created;
            found = true;
        }
        auto known = byId.find(event.id);
        if (known != byId.end()) {
            events[known->second] = std::move(event);
        } else {
            byId[event.id] = events.size();
            events.push_back(std::move(event));
        }
    }
    std::vector<const Object*> order;
    order.reserve(events.size());
    for (const Object& event : events)
        order.push_back(&event);
    std::stable_sort(order.begin(), order.end(), [](const Object* a, const Object* b) {
        return a->created.GetValue() > b->created.GetValue();
    });

    report.EnableAutoSort(false);
    report.DeleteAllRows();
    for (const Object* shown : order) {
        const Object& event = *shown;
        CTListCtrlReport::Row row(reinterpret_cast<void*>(static_cast<INT_PTR>(event.id)));
        bool isNew = false, isUpdated = false;
        BuildEventListRow(row, m_extraColumns, event, false, isNew, isUpdated, app ? &app->m_dir : nullptr);
        const int item = report.InsertRow(report.GetItemCount(), 0, row);
        if (isNew)
            report.SetCellTextColour(item, 0, 1);
        if (isUpdated)
            report.SetCellTextColour(item, 2, 1);
    }
    report.EnableAutoSort(true);   // sorts once, by the Date column set when the list was built
    report.FitColumnsToContent();

    CTString text;
    if (found) {
        const int32_t when = static_cast<int32_t>(latest);
        FormatUnixDateTime(&when, text, false);
    } else {
        text.LoadString(kStrNever);
        if (text.IsEmpty())
            text = L"<Never>";
    }
    wchar_t shown[128] = {};
    GetDlgItemTextW(m_hWnd, kIdLastLogon, shown, 128);
    if (lstrcmpW(shown, text.GetBuffer() ? text.GetBuffer() : L"") != 0)
        SetDlgItemTextW(m_hWnd, kIdLastLogon, text.GetBuffer() ? text.GetBuffer() : L"");
}

void DlgUser::CPageLogon::ResetPassword()
{
    Object* person = GetShown();
    App* app = GetApp();
    if (!person || !app || person->id == 0)
        return;
    DlgResetPassword dialog;
    HWND owner = GetParent(m_hWnd) ? GetParent(m_hWnd) : m_hWnd;
    if (!dialog.Run(owner))
        return;
    // Silent: the page's own box is the only one that tells the outcome.
    RequestRoute route = Route(kReqReset, 0);
    route.silent = true;
    app->m_db.DirResetPassword(static_cast<unsigned>(person->id), dialog.m_password, route);
}

void DlgUser::CPageLogon::OnResetReply(RequestResult& reply)
{
    HWND owner = GetParent(m_hWnd) ? GetParent(m_hWnd) : m_hWnd;
    CTWndMessageBox box;
    if (reply.resultCode == RequestResult::CodeOk && reply.returnCode == 0) {
        box.Show(owner, GetModuleHandleW(nullptr), L"Password Set", L"Reset Password", MB_ICONINFORMATION);
        return;
    }
    CTString text = reply.statusText;
    if (text.IsEmpty())
        if (TiXmlElement* result = reply.document.FirstChildElementNamed(L"result"))
            if (TiXmlElement* rc = result->FirstChildElementNamed(L"RC"))
                if (const wchar_t* value = rc->GetAttribute(L"text"))
                    text = value;
    if (text.IsEmpty())
        text = L"The password could not be reset.";
    box.Show(owner, GetModuleHandleW(nullptr), text.GetBuffer(), L"Reset Password", MB_ICONWARNING);
}
