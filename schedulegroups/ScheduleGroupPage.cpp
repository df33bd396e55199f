#include "schedulegroups/ScheduleGroupPage.h"

#include <commctrl.h>
#include <algorithm>
#include <iterator>
#include "app/App.h"
#include "app/MainWindow.h"
#include "schedulegroups/ScheduleGroupPanels.h"
#include "session/RequestResult.h"

namespace {

struct ColumnDef {
    const wchar_t* caption;
    int width;
    const wchar_t* key;
    const wchar_t* secondKey;
    int kind;
};

const ColumnDef kDeploymentColumns[] = {
    {L"Name", 150, L"", L"", 0},
    {L"Status", 100, L"deployment_status", L"", 3},
    {L"", 20, L"", L"", 4},
    {L"User", 120, L"link_user", L"", 0},
    {L"Legacy Computer", 120, L"link_legacy_computer", L"", 0},
    {L"New Computer", 120, L"link_deployed_computer", L"", 0},
    {L"Slot", 80, L"link_deployment_slot", L"", 11},
    {L"Date", 80, L"link_deployment_slot", L"", 2},
    {L"Administrator", 100, L"link_administrator", L"", 0},
};
const ColumnDef kUserColumns[] = {
    {L"Name", 150, L"", L"", 0},
    {L"E-mail", 150, L"email_address", L"", 0},
    {L"Deployments", 60, L"", L"", 5},
    {L"Contact", 120, L"link_primary_contact", L"", 15},
    {L"Last Logon", 100, L"col_LastLogon", L"", 16},
};
const ColumnDef kComputerColumns[] = {
    {L"Name", 150, L"", L"", 0},
    {L"User", 120, L"link_user", L"", 0},
    {L"Deployments", 60, L"", L"", 5},
    {L"Serial Number", 100, L"serial_number", L"", 0},
    {L"Model", 100, L"model", L"", 0},
};

} // namespace

DlgScheduleGroup::CPageBase::CPageBase(int kind) : m_kind(kind)
{
    m_columns = DefaultColumns(kind);
}

DlgScheduleGroup::CPageBase::~CPageBase()
{
    if (m_hWnd)
        SaveSettings();
    m_list.Destroy();
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

std::vector<DlgScheduleGroup::ColHeading> DlgScheduleGroup::CPageBase::DefaultColumns(int kind)
{
    const ColumnDef* first = nullptr;
    size_t count = 0;
    switch (kind) {
    case PageDeployments: first = kDeploymentColumns; count = std::size(kDeploymentColumns); break;
    case PageUsers: first = kUserColumns; count = std::size(kUserColumns); break;
    case PageComputers: first = kComputerColumns; count = std::size(kComputerColumns); break;
    default: break;
    }
    std::vector<ColHeading> columns;
    for (size_t i = 0; i < count; ++i) {
        ColHeading column;
        column.caption = first[i].caption;
        column.width = first[i].width;
        column.key = first[i].key;
        column.secondKey = first[i].secondKey;
        column.kind = first[i].kind;
        columns.push_back(column);
    }
    return columns;
}

CTString DlgScheduleGroup::CPageBase::GetTabName() const
{
    switch (m_kind) {
    case PageDeployments: return CTString(L"Deployments");
    case PageUsers: return CTString(L"Users");
    case PageComputers: return CTString(L"Computers");
    default: return CTString();
    }
}

const wchar_t* DlgScheduleGroup::CPageBase::ClassName() const
{
    switch (m_kind) {
    case PageDeployments: return L"DlgScheduleGroup::CPageDeployments";
    case PageUsers: return L"DlgScheduleGroup::CPageUsers";
    default: return L"DlgScheduleGroup::CPageComputers";
    }
}

CTString DlgScheduleGroup::CPageBase::SettingsPath() const
{
    CTString path(L"Settings\\");
    if (App* app = App::Instance())
        path.Append(app->m_server);
    path.AppendText(L"\\");
    path.AppendText(ClassName());
    return path;
}

void DlgScheduleGroup::CPageBase::LoadSettings()
{
    CTRegKey key(104, nullptr, SettingsPath().GetBuffer());
    m_panelWidth = static_cast<int>(key.ReadDword(L"LHSWidth", static_cast<DWORD>(m_panelWidth)));
    m_initialPanel = static_cast<int>(key.ReadDword(L"Filter", static_cast<DWORD>(m_initialPanel)));
    for (CLinkedListObject* item = m_host.m_panels.GetHead(); item; item = item->GetNext())
        static_cast<DlgLHSBase*>(item)->LoadChoice(key);
}

void DlgScheduleGroup::CPageBase::SaveSettings()
{
    CTRegKey key(104, nullptr, SettingsPath().GetBuffer());
    key.WriteDword(L"LHSWidth", static_cast<DWORD>(m_panelWidth));
    // Without a current panel (never laid out) the stored filter stays as it was.
    if (DlgLHSBase* current = CurrentPanel())
        key.WriteDword(L"Filter", static_cast<DWORD>(current->m_key));
    for (CLinkedListObject* item = m_host.m_panels.GetHead(); item; item = item->GetNext())
        static_cast<DlgLHSBase*>(item)->SaveChoice(key);
}

void DlgScheduleGroup::CPageBase::CreatePanels()
{
    MainWindow* main = m_view ? m_view->Main() : nullptr;
    HWND host = m_host.m_hWnd;
    struct Texts {
        const wchar_t* type;
        const wchar_t* all;
    } texts = m_kind == PageDeployments ? Texts{L"Deployment", L"<All Deployments>"}
              : m_kind == PageUsers     ? Texts{L"Schedule User", L"<All Users>"}
                                        : Texts{L"Computer", L"<All Computers>"};
    if (m_kind == PageDeployments) {
        m_host.AddPanel(new DlgLHSFailCode(host, this), DlgLHSBase::KindFailCode);
        m_host.AddPanel(new DlgLHSAdministrator(host, this), DlgLHSBase::KindAdministrator);
    }
    m_host.AddPanel(new DlgLHSExcept(host, this, CTString(texts.type), CTString(texts.all)), DlgLHSBase::KindExcept);
    const __int64 type = main ? main->GetTypeId(CTString(texts.type)) : 0;
    m_host.AddPanel(new DlgLHSTag(host, this, type, CTString(texts.all)), DlgLHSBase::KindTag);
}

LRESULT CALLBACK DlgScheduleGroup::CPageBase::PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* page = reinterpret_cast<CPageBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!page)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED && (LOWORD(lParam) || HIWORD(lParam)))
            page->Layout(LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_SHOWWINDOW:
        if (!wParam)
            page->SaveSettings();
        break;
    case WM_NOTIFY:
        if (wParam == 1016) {
            // The report keeps its rows through its parent's notifications.
            auto* hdr = reinterpret_cast<NMHDR*>(lParam);
            LRESULT answer = 0;
            const bool taken = page->m_list.OnParentNotify(hdr, &answer);
            page->OnListNotify(hdr);
            return taken ? answer : 0;
        }
        return 0;
    case WM_COMMAND:
        return 0;
    default:
        break;
    }
    return CallWindowProcW(page->m_staticProc, hwnd, msg, wParam, lParam);
}

bool DlgScheduleGroup::CPageBase::Create(HWND parent)
{
    m_hWnd = CreateWindowExW(WS_EX_CONTROLPARENT, L"STATIC", L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                             0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!m_hWnd)
        return false;
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_staticProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CPageBase::PageProc)));
    m_host.m_owner = this;
    if (m_host.Create(m_hWnd))
        CreatePanels();
    LoadSettings();
    if (m_list.CreateReport(m_hWnd, 1016, WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS))
        SetUpColumns();
    // The panel is at least as wide as the host's template.
    RECT rc = {};
    if (m_host.m_hWnd)
        ::GetWindowRect(m_host.m_hWnd, &rc);
    if (m_panelWidth < rc.right - rc.left)
        m_panelWidth = rc.right - rc.left;
    return true;
}

void DlgScheduleGroup::CPageBase::Layout(int cx, int cy)
{
    const int width = std::min(m_panelWidth, std::max(0, cx - 20));
    if (m_host.m_hWnd) {
        ::MoveWindow(m_host.m_hWnd, 0, 0, width, cy, TRUE);
        ::ShowWindow(m_host.m_hWnd, SW_SHOW);
    }
    if (m_list.m_hWnd)
        ::MoveWindow(m_list.m_hWnd, width, 0, cx - width, cy, TRUE);
    if (!m_laidOut) {
        m_laidOut = true;
        // A stored filter naming none of this page's panels gives its first panel.
        if (!m_host.SelectPanel(m_initialPanel) && !m_host.SelectPanel(1) && !CurrentPanel())
            if (CLinkedListObject* first = m_host.m_panels.GetHead())
                m_host.SelectPanel(static_cast<DlgLHSBase*>(first)->m_key);
        RefreshIfCurrent();
    }
}

void DlgScheduleGroup::CPageBase::SetUpColumns()
{
    CTString spec;
    for (const ColHeading& column : m_columns) {
        CTString item;
        item.Format(L"%s,%d;", column.caption.GetBuffer() ? column.caption.GetBuffer() : L"", column.width);
        spec.Append(item);
    }
    m_list.SetColumns(spec, 0, nullptr, nullptr);
}

void DlgScheduleGroup::CPageBase::SetFocus()
{
    if (m_list.m_hWnd)
        ::SetFocus(m_list.m_hWnd);
}

bool DlgScheduleGroup::CPageBase::Accepts(const Object& object) const
{
    if (!m_view || object.id == 0)
        return false;
    switch (m_kind) {
    case PageDeployments: return object.type == m_view->TypeId(L"Deployment") && object.type != 0;
    case PageUsers: return m_view->IsUserType(object.type);
    case PageComputers: return object.type == m_view->TypeId(L"Computer") && object.type != 0;
    default: return false;
    }
}

void DlgScheduleGroup::CPageBase::RefreshIfCurrent()
{
    if (m_view && m_view->m_currentPage == this)
        RefreshIfVisible();
    else
        m_stale = true;
}

bool DlgScheduleGroup::CPageBase::RefreshIfVisible()
{
    if (m_hWnd && ::IsWindowVisible(m_hWnd)) {
        m_stale = false;
        FillRows();
        m_host.RebuildAll();
    } else {
        m_stale = true;
    }
    return true;
}

int DlgScheduleGroup::CPageBase::SetRow(CTListCtrlReport::Row& row, int item)
{
    if (!m_list.m_hWnd)
        return -1;
    if (item >= 0) {
        m_list.UpdateRow(item, -1, row);
        return item;
    }
    return m_list.AddRow(-1, row);
}

CTString DlgScheduleGroup::CPageBase::StatusText() const
{
    CTString format;
    if (!format.LoadString(156))
        format = L"%d/%d Selected";
    CTString text;
    text.Format(format.GetBuffer(), m_selectedCount, m_rowCount);
    return text;
}

void DlgScheduleGroup::CPageBase::UpdateStatusText()
{
    if (m_filling || !m_view)
        return;
    // Read from the list itself: the report keeps some of its notifications to itself.
    if (m_list.m_hWnd) {
        m_rowCount = m_list.GetItemCount();
        m_selectedCount = static_cast<int>(ListView_GetSelectedCount(m_list.m_hWnd));
    }
    if (MainWindow* main = m_view->Main())
        main->SetPaneStatusText(main->GetPaneKey(m_view), StatusText());
}

void DlgScheduleGroup::CPageBase::OpenRow(int item)
{
    if (!m_view || item < 0 || !m_list.m_hWnd)
        return;
    auto found = m_view->m_objects.find(reinterpret_cast<__int64>(m_list.GetRowData(item)));
    if (found == m_view->m_objects.end() || found->second.id == 0)
        return;
    if (MainWindow* main = m_view->Main())
        main->OpenObject(found->second, false, m_kind == PageUsers);
}

void DlgScheduleGroup::CPageBase::OnListNotify(NMHDR* hdr)
{
    if (!hdr)
        return;
    switch (hdr->code) {
    case NM_DBLCLK:
        OpenRow(reinterpret_cast<NMITEMACTIVATE*>(hdr)->iItem);
        return;
    case LVN_INSERTITEM:
        ++m_rowCount;
        break;
    case LVN_DELETEITEM:
        --m_rowCount;
        break;
    case LVN_DELETEALLITEMS:
        m_rowCount = 0;
        m_selectedCount = 0;
        break;
    case LVN_ITEMCHANGED: {
        const auto* change = reinterpret_cast<NMLISTVIEW*>(hdr);
        if (!(change->uChanged & LVIF_STATE))
            return;
        const bool now = (change->uNewState & LVIS_SELECTED) != 0, before = (change->uOldState & LVIS_SELECTED) != 0;
        if (now && !before)
            ++m_selectedCount;
        else if (before && !now)
            --m_selectedCount;
        else
            return;
        break;
    }
    default:
        return;
    }
    UpdateStatusText();
}

void DlgScheduleGroup::CPageBase::FillRows()
{
    // Rows wait for the load and for the objects their cells asked for.
    if (!m_view || m_view->m_pendingObjectRequests > 0 || (m_loadState & LoadedAll) != LoadedAll)
        return;
    ++m_fills;
    m_filling = true;
    // Rows selected before the rebuild are selected again when they are still listed.
    std::vector<void*> selected;
    if (m_list.m_hWnd) {
        for (int item = ListView_GetNextItem(m_list.m_hWnd, -1, LVNI_SELECTED); item >= 0;
             item = ListView_GetNextItem(m_list.m_hWnd, item, LVNI_SELECTED))
            selected.push_back(m_list.GetRowData(item));
        ::SendMessageW(m_list.m_hWnd, WM_SETREDRAW, FALSE, 0);
        m_list.DeleteAllRows();
    }
    m_selectedCount = 0;
    DlgLHSBase* panel = CurrentPanel();
    for (auto& [id, object] : m_view->m_objects) {
        if (!Accepts(object) || (panel && !panel->Accepts(object)))
            continue;
        CTListCtrlReport::Row row;
        m_view->BuildRow(row, &m_list, m_columns, object);
        const int item = SetRow(row, -1);
        if (item >= 0 && std::find(selected.begin(), selected.end(), row.m_data) != selected.end())
            ListView_SetItemState(m_list.m_hWnd, item, LVIS_SELECTED, LVIS_SELECTED);
    }
    if (m_list.m_hWnd)
        ::SendMessageW(m_list.m_hWnd, WM_SETREDRAW, TRUE, 0);
    m_filling = false;
    UpdateStatusText();
    if (m_kind == PageUsers)
        m_view->FlushLogonQueries();
    if (m_view->m_hWnd)
        ::PostMessageW(m_view->m_hWnd, kMsgFetchPending, 0, 0);
}

void DlgScheduleGroup::CPageBase::RefreshColumn(const CTString& key)
{
    if (!m_view || !m_list.m_hWnd)
        return;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (m_columns[c].key.Compare(key) != 0)
            continue;
        const int count = m_list.GetItemCount();
        for (int item = 0; item < count; ++item) {
            auto id = reinterpret_cast<__int64>(m_list.GetRowData(item));
            auto it = m_view->m_objects.find(id);
            if (it == m_view->m_objects.end())
                continue;
            CTListCtrlReport::Cell cell;
            m_view->ComputeCell(&m_list, it->second, m_columns[c], cell);
            m_list.SetCell(item, static_cast<int>(c), cell);
        }
    }
}

void DlgScheduleGroup::CPageBase::UpdateObjectRow(const Object& object, const Object* old)
{
    (void)old;
    if (!m_view)
        return;
    const int item = m_list.m_hWnd ? m_list.FindRowByData(reinterpret_cast<void*>(object.id)) : -1;
    if (!Accepts(object)) {
        if (item >= 0)
            m_list.DeleteRow(item);
        return;
    }
    if (m_view->m_currentPage != this || !m_list.m_hWnd) {
        m_stale = true;
        return;
    }
    CTListCtrlReport::Row row;
    m_view->BuildRow(row, &m_list, m_columns, object);
    SetRow(row, item);
    m_host.RebuildAll();
}

void DlgScheduleGroup::CPageBase::RemoveObjectRow(const Object& object)
{
    if (!m_list.m_hWnd)
        return;
    const int item = m_list.FindRowByData(reinterpret_cast<void*>(object.id));
    if (item >= 0)
        m_list.DeleteRow(item);
}

void DlgScheduleGroup::CPageBase::OnIconArrived(RequestResult& result)
{
    // The deployments page's panels take the path replies (administrators).
    if (m_kind == PageDeployments && result.returnCode == 0 && result.resultCode == 0)
        for (CLinkedListObject* item = m_host.m_panels.GetHead(); item; item = item->GetNext())
            static_cast<DlgLHSBase*>(item)->OnResult(result);
    if (result.route.requestId != ReqWindows || !GetWindowRecord() || result.resultCode != 0)
        return;
    m_windows.Clear();
    m_windows.ReadReply(result.document, nullptr);
}
