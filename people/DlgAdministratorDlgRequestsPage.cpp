#include "people/DlgAdministratorDlgRequestsPage.h"

#include <commctrl.h>
#include <algorithm>
#include "app/App.h"
#include "app/MainWindow.h"
#include "people/RequestStatusText.h"

namespace {

void* Key(__int64 id) { return reinterpret_cast<void*>(static_cast<INT_PTR>(id)); }

CAttribute Value(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return value;
}

__int64 IdValue(const Object& object, const wchar_t* name)
{
    CAttribute value = Value(object, name);
    return CAttribute::IsTextType(value.GetType()) ? ReadDecimal64(value.GetText()) : value.GetValue();
}

CTString CachedName(App* app, __int64 id)
{
    const Object* cached = app && id != 0 ? app->m_dir.Lookup(id) : nullptr;
    return cached && cached->id == id ? CTString(cached->name) : CTString();
}

} // namespace

DlgAdministratorDlg::DlgRequestsPage::DlgRequestsPage(DlgAdministratorDlg* form) : m_admin(form) { m_title = L"0"; }

DlgAdministratorDlg::DlgRequestsPage::~DlgRequestsPage() { m_list.Destroy(); }

bool DlgAdministratorDlg::DlgRequestsPage::CreatePage(HWND parent)
{
    CTWndListCtrlEx2::RegisterClass(GetTemplateModule());
    CTWndListCtrlEx2::RegisterClass(GetModuleHandleW(nullptr));
    return CWMFormPage::CreatePage(parent);
}

void DlgAdministratorDlg::DlgRequestsPage::Init()
{
    CTWndSize::Init(m_hWnd, false, 0, 0, false);
    AddItem(GetDlgItem(m_hWnd, kList), RightToRight | BottomToBottom);
    if (!m_list.Create(m_hWnd, kList, true, 0)) return;
    CTListCtrlReportEx& report = m_list.m_report;
    report.ModifyOptions(2, 0);
    report.ModifyStyle(0, LVS_SINGLESEL | WS_TABSTOP, 0);
    report.ModifyOptions(CTListCtrlReport::OptGridLines, 0);
    report.SetColumns(CTString(L"Date,120;Type,120;Requester,120;Accepted,120;Status,100;Completed,100;Description,200"),
                      104, nullptr, L"DlgRequestsPage::ctrlList_");
    RECT rc = {};
    GetWindowRect(m_list.m_hWnd, &rc);
    SetWindowPos(m_list.m_hWnd, nullptr, 0, 0, rc.right - rc.left - 1, rc.bottom - rc.top, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowPos(m_list.m_hWnd, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top, SWP_NOMOVE | SWP_NOZORDER);
}

bool DlgAdministratorDlg::DlgRequestsPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result)) return true;
    if (msg != WM_INITDIALOG) return false;
    Init();
    *result = TRUE;
    return true;
}

bool DlgAdministratorDlg::DlgRequestsPage::Concerns(const Object& request) const
{
    return m_admin->m_object.id != 0 && IdValue(request, L"link_request_object") == m_admin->m_object.id;
}

bool DlgAdministratorDlg::DlgRequestsPage::Load()
{
    CTListCtrlReportEx& report = m_list.m_report;
    App* app = App::Instance();
    if (!m_hWnd || !report.m_hWnd || !app || !app->m_mainWindow) return true;
    report.EnableAutoSort(false);
    report.DeleteAllRows();
    std::vector<Object> requests;
    app->m_dir.CollectDescendants(app->m_mainWindow->m_cache.folderIds[MainWindowCache::FolderRequests], requests);
    // Requests a notice brought in that are not cached below the folder stay listed.
    for (const Object& known : m_requests)
        if (std::none_of(requests.begin(), requests.end(), [&](const Object& r) { return r.id == known.id; })) {
            const Object* cached = app->m_dir.Lookup(known.id);
            requests.push_back(cached && cached->id == known.id ? *cached : known);
        }
    m_requests.clear();
    std::list<__int64> missing;
    for (const Object& request : requests)
        if (Concerns(request)) AddRequestRow(request, missing);
    UpdateCount();
    FetchPeople(missing);
    return true;
}

void DlgAdministratorDlg::DlgRequestsPage::FetchPeople(std::list<__int64>& missing)
{
    App* app = App::Instance();
    if (!app) return;
    missing.sort();
    missing.unique();
    const UINT64 key = m_admin->m_key;
    app->m_dir.FetchObjects(missing, m_admin->Route(kReqObject, 12), [key] {
        App* app = App::Instance();
        auto* form = app ? dynamic_cast<DlgAdministratorDlg*>(app->m_windows.FindWindow(kWindowType, key)) : nullptr;
        if (form && form->m_requests) form->m_requests->FillPeople();
    }, nullptr);
}

void DlgAdministratorDlg::DlgRequestsPage::AddRequestRow(const Object& request, std::list<__int64>& missing)
{
    App* app = App::Instance();
    auto kept = std::find_if(m_requests.begin(), m_requests.end(), [&](const Object& r) { return r.id == request.id; });
    if (kept != m_requests.end()) *kept = request;
    else m_requests.push_back(request);
    const __int64 requester = IdValue(request, L"link_user_request");
    const __int64 accepter = IdValue(request, L"link_user_accept");
    for (__int64 person : {requester, accepter})
        if (person != 0 && CachedName(app, person).IsEmpty()) missing.push_back(person);
    Object type;
    if (app && app->m_mainWindow) app->m_mainWindow->GetRequestType(type, IdValue(request, L"link_request_type"));
    CTListCtrlReport::Row row(Key(request.id));
    row.AddAttribute(request.created)
        .AddText(CTString(type.name))
        .AddText(CachedName(app, requester))
        .AddText(CachedName(app, accepter))
        .AddText(RequestStatusText(request))
        .AddAttribute(Value(request, L"completed"))
        .AddText(CTString(Value(request, L"description").GetText()));
    CTListCtrlReportEx& report = m_list.m_report;
    if (!report.m_hWnd) return;
    const int item = report.FindRowByData(Key(request.id));
    if (item >= 0) report.UpdateRow(item, 0, row);
    else report.InsertRow(report.GetItemCount(), 0, row);
}

void DlgAdministratorDlg::DlgRequestsPage::SetPeople(int item, const Object& request)
{
    App* app = App::Instance();
    CTListCtrlReportEx& report = m_list.m_report;
    report.SetCell(item, 2, CTListCtrlReport::Cell(CAttribute::Text, CachedName(app, IdValue(request, L"link_user_request"))));
    report.SetCell(item, 3, CTListCtrlReport::Cell(CAttribute::Text, CachedName(app, IdValue(request, L"link_user_accept"))));
}

void DlgAdministratorDlg::DlgRequestsPage::FillPeople()
{
    CTListCtrlReportEx& report = m_list.m_report;
    if (!report.m_hWnd) return;
    for (const Object& request : m_requests) {
        const int item = report.FindRowByData(Key(request.id));
        if (item >= 0) SetPeople(item, request);
    }
    report.EnableAutoSort(true);
    report.FitColumnsToContent();
}

void DlgAdministratorDlg::DlgRequestsPage::UpdateCount()
{
    const int count = static_cast<int>(m_requests.size());
    CTString title;
    title.Format(L"%d", count);
    m_title = title;
    // An open tab shows the new count at once.
    if (HWND tab = m_form ? m_form->m_tab.m_hWnd : nullptr) {
        const int tabs = static_cast<int>(::SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < tabs; ++i) {
            TCITEMW item = {};
            item.mask = TCIF_PARAM;
            if (!::SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item)) ||
                item.lParam != reinterpret_cast<LPARAM>(static_cast<CWindowManager::CWMFormPage*>(this)))
                continue;
            item.mask = TCIF_TEXT;
            item.pszText = const_cast<wchar_t*>(GetTitle());
            ::SendMessageW(tab, TCM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
        }
    }
    const bool enabled = count != 0;
    if (enabled != m_enabled) {
        m_enabled = enabled;
        m_form->RefreshPages();
    }
}

void DlgAdministratorDlg::DlgRequestsPage::OnRequestChanged(__int64 requestId)
{
    App* app = App::Instance();
    const Object* cached = app ? app->m_dir.Lookup(requestId) : nullptr;
    if (!cached || cached->id != requestId || !Concerns(*cached)) return;
    const Object request(*cached);
    std::list<__int64> missing;
    // Kept before the tab is added, so that the new page's own load lists it too.
    AddRequestRow(request, missing);
    UpdateCount();
    FetchPeople(missing);
}
