#include "schedulegroups/ScheduleGroupPage.h"

#include <commctrl.h>
#include <algorithm>
#include <iterator>
#include "app/App.h"
#include "app/MainWindow.h"
#include "controls/CGDIManager.h"
#include "foundation/CTStringLocale.h"
#include "framework/CTIcon.h"
#include "schedulegroups/ScheduleGroupPanels.h"
#include "session/RequestResult.h"

namespace {

struct ColumnDef {
    const wchar_t* caption;
    int width;
    const wchar_t* key;
    const wchar_t* secondKey;
    int kind;
    bool visible = true;
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
    {L"Name", 100, L"", L"", 0},
    {L"Exceptions", 20, L"exceptions", L"", 8},
    {L"VIM", 20, L"vim", L"", 7, false},
    {L"User", 100, L"link_user", L"", 0},
    {L"Asset Type", 100, L"asset_type", L"", 0},
    {L"Asset Tag", 100, L"asset_tag", L"", 0},
    {L"Serial Number", 100, L"serial_number", L"", 0},
    {L"Make", 20, L"vendor", L"", 0},
    {L"Model", 100, L"model", L"", 0},
    {L"Type", 100, L"computer_type", L"", 0},
    {L"Locked", 100, L"link_deployment_lock", L"deployment_id", 0},
    {L"Deployments", 100, L"col_DeploymentCount", L"", 5},
};

CTString TextOf(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return value.GetString();
}

HICON LoadSmallIcon(HINSTANCE module, UINT id)
{
    return static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), 0));
}

// user32's small warning icon; the program's own module when user32 cannot be opened; the shared
// exclamation icon when neither holds icon 101 (Wine's user32 has none).
HICON LoadWarningIcon()
{
    HICON icon = nullptr;
    HMODULE user = LoadLibraryExW(L"user32.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE | DONT_RESOLVE_DLL_REFERENCES);
    icon = LoadSmallIcon(user ? user : GetModuleHandleW(nullptr), 101);
    if (user)
        FreeLibrary(user);
    if (!icon)
        icon = CopyIcon(LoadIconW(nullptr, IDI_EXCLAMATION));
    return icon;
}

} // namespace

DlgScheduleGroup::CPageBase::CPageBase(int kind) : m_kind(kind)
{
    m_columns = DefaultColumns(kind);
}

DlgScheduleGroup::CPageBase::~CPageBase()
{
    if (m_hWnd)
        SaveSettings();
    if (m_list.m_hWnd)
        m_list.SaveColumnLayout();
    if (m_dragImage)
        ImageList_Destroy(m_dragImage);
    m_splitter.Destroy();
    m_frame.Destroy();
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
        column.visible = first[i].visible;
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

const wchar_t* DlgScheduleGroup::CPageBase::TypeName() const
{
    switch (m_kind) {
    case PageDeployments: return L"Deployment";
    case PageUsers: return L"Schedule User";
    default: return L"Computer";
    }
}

CTString DlgScheduleGroup::CPageBase::EmptyText() const
{
    switch (m_kind) {
    case PageDeployments: return CTString(L"No Deployments");
    case PageUsers: return CTString(L"No Users");
    default: return CTString(L"No Computers");
    }
}

UINT DlgScheduleGroup::CPageBase::ItemNameId() const
{
    switch (m_kind) {
    case PageUsers: return 157;
    case PageComputers: return 161;
    default: return 0;
    }
}

std::vector<CTListCtrlReportEx::ToolbarButton> DlgScheduleGroup::CPageBase::ToolbarButtons() const
{
    const int standard = CTListCtrlReportEx::kStandardImage;
    return {{CTListCtrlReportEx::CmdNew, standard, 107, BTNS_BUTTON},
            {CTListCtrlReportEx::CmdDelete, standard, 108, BTNS_BUTTON},
            {CTListCtrlReportEx::CmdProperties, standard, 111, BTNS_BUTTON}};
}

int DlgScheduleGroup::CPageBase::DeleteRouteParam() const
{
    switch (m_kind) {
    case PageDeployments: return 1029;
    case PageUsers: return 1027;
    default: return 1013;
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
    if (m_splitter.m_hWnd)
        m_panelWidth = m_splitter.GetPosition();
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
    if (page->OnDragMessage(msg, wParam, lParam))
        return 0;
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT rc = {};
        ::GetClientRect(hwnd, &rc);
        FillRect(reinterpret_cast<HDC>(wParam), &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return 1;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED && (LOWORD(lParam) || HIWORD(lParam)))
            page->Layout(LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_SHOWWINDOW:
        if (!wParam)
            page->SaveSettings();
        break;
    case WM_NOTIFY: {
        // The frame has offered the report's notifications to the report first.
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (hdr && hdr->idFrom == kListId) {
            if (page->OnListNotifyDrag(hdr))
                return 0;
            return page->OnListNotify(hdr);
        }
        return 0;
    }
    case WM_COMMAND:
        page->OnListCommand(LOWORD(wParam));
        return 0;
    default:
        break;
    }
    return CallWindowProcW(page->m_staticProc, hwnd, msg, wParam, lParam);
}

bool DlgScheduleGroup::CPageBase::Create(HWND parent)
{
    // The page window's class is named after the page class: no background, the arrow cursor.
    HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(module, ClassName(), &wc)) {
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = module;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = ClassName();
        RegisterClassExW(&wc);
    }
    m_hWnd = CreateWindowExW(WS_EX_CONTROLPARENT, ClassName(), L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                             0, 0, parent, nullptr, module, nullptr);
    if (!m_hWnd)
        return false;
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_staticProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CPageBase::PageProc)));
    m_host.m_owner = this;
    if (m_host.Create(m_hWnd))
        CreatePanels();
    LoadSettings();
    if (m_frame.Create(m_hWnd, kListId, false, WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS))
        BuildColumns();
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
    if (!m_laidOut && m_host.m_hWnd && m_frame.m_hWnd) {
        RECT host = {};
        ::GetWindowRect(m_host.m_hWnd, &host);
        ::MoveWindow(m_host.m_hWnd, 0, 0, cx, cy, TRUE);
        ::MoveWindow(m_frame.m_hWnd, 0, 0, cx, cy, TRUE);
        ::ShowWindow(m_host.m_hWnd, SW_SHOW);
        if (m_splitter.Create(m_hWnd, m_host.m_hWnd, m_frame.m_hWnd, true, GetModuleHandleW(nullptr), 0,
                              host.right - host.left, 20, false)) {
            m_splitter.SetPosition(m_panelWidth);
            m_splitter.SetSplit(true, false);
        }
    }
    if (m_splitter.m_hWnd) {
        m_splitter.Layout(cx, cy);
    } else {
        const int width = std::min(m_panelWidth, std::max(0, cx - 20));
        if (m_host.m_hWnd) {
            ::MoveWindow(m_host.m_hWnd, 0, 0, width, cy, TRUE);
            ::ShowWindow(m_host.m_hWnd, SW_SHOW);
        }
        if (m_frame.m_hWnd)
            ::MoveWindow(m_frame.m_hWnd, width, 0, cx - width, cy, TRUE);
    }
    if (!m_laidOut) {
        m_laidOut = true;
        // A stored filter naming none of this page's panels gives its first panel.
        if (!m_host.SelectPanel(m_initialPanel) && !m_host.SelectPanel(1) && !CurrentPanel())
            if (CLinkedListObject* first = m_host.m_panels.GetHead())
                m_host.SelectPanel(static_cast<DlgLHSBase*>(first)->m_key);
        RefreshIfCurrent();
    }
}

void DlgScheduleGroup::CPageBase::AppendCustomColumns(const Object& definition, const std::vector<Object>& mappings,
                                                      std::vector<ColHeading>& columns)
{
    for (const Object& mapping : mappings) {
        const CTString name = TextOf(mapping, L"attrib_name");
        const Object::Attribute* attribute = name.IsEmpty() ? nullptr : definition.FindAttribute(name);
        if (!attribute || attribute->name.GetLength() != name.GetLength() || attribute->name.Compare(name) != 0)
            continue;
        // Links and link arrays are value types of their own: no column.
        if (attribute->flags & (Object::Attribute::Link | Object::Attribute::LinkArray))
            continue;
        ColHeading column;
        column.caption = mapping.name;
        column.width = 100;
        column.visible = false;
        column.key = name;
        switch (attribute->GetType()) {
        case 0:
            column.kind = TextOf(mapping, L"attrib_list_name").IsEmpty() ? 0 : 10;
            break;
        case 1:
            if (definition.EditSpecItemEquals(name, CTString(L"TYPE"), CTString(L"Checkbox"))) {
                column.width = 20;
                column.kind = 1;
            }
            break;
        case 10:
            if (definition.EditSpecItemEquals(name, CTString(L"TYPE"), CTString(L"Date")))
                column.kind = 17;
            break;
        default:
            continue;
        }
        columns.push_back(column);
    }
}

CTString DlgScheduleGroup::CPageBase::ColumnSpec(const std::vector<ColHeading>& columns)
{
    CTString spec;
    for (size_t i = 0; i < columns.size(); ++i) {
        CTString part;
        part.Format(L"%s%s,%d,%d", i ? L";" : L"", columns[i].caption.GetBuffer() ? columns[i].caption.GetBuffer() : L"",
                    columns[i].width, columns[i].visible ? 1 : 0);
        spec.Append(part);
    }
    return spec;
}

void DlgScheduleGroup::CPageBase::BuildColumns()
{
    if (!m_list.m_hWnd)
        return;
    m_list.ModifyOptions(CTListCtrlReport::OptGridLines, CTListCtrlReport::OptColumnMenu);
    m_list.ModifyStyle(LVS_SINGLESEL, WS_TABSTOP, 0);
    ListView_SetExtendedListViewStyleEx(m_list.m_hWnd, LVS_EX_GRIDLINES, 0);
    if (const UINT noun = ItemNameId())
        m_list.EnableDeleteConfirm(m_hWnd, GetModuleHandleW(nullptr), 2, noun, true);
    const std::vector<CTListCtrlReportEx::ToolbarButton> buttons = ToolbarButtons();
    if (!buttons.empty())
        m_frame.CreateToolbar(this, TBSTYLE_TOOLTIPS, static_cast<int>(buttons.size()), buttons.data());
    m_list.SetEmptyText(EmptyText());

    m_columns = FixedColumns();
    MainWindow* main = m_view ? m_view->Main() : nullptr;
    if (main) {
        Object definition;
        main->GetTypeByName(definition, CTString(TypeName()));
        std::vector<Object> mappings;
        main->GetCustomAttributes(definition, mappings);
        AppendCustomColumns(definition, mappings, m_columns);
    }
    m_frame.SetColumns(ColumnSpec(m_columns), 104, GetModuleHandleW(nullptr), SettingsPath().GetBuffer());
    m_list.SortBy(0, true);
    RegisterImages();
}

void DlgScheduleGroup::CPageBase::RegisterImages()
{
    if (CGDIManager::CObject* mark = CGDIManager::Instance()->Find(16)) {
        const int image = m_list.AddImage(reinterpret_cast<HICON>(mark->Get()));
        if (image >= 0)
            m_list.SetOverlayImage(image);
    }
    const std::pair<int, HICON> icons[] = {{ImageFlag, LoadSmallIcon(GetModuleHandleW(nullptr), 205)},
                                           {ImageWarning, LoadWarningIcon()}};
    for (const auto& [key, icon] : icons) {
        m_list.AddImageForKey(icon, key);
        if (icon)
            DestroyIcon(icon);
    }
}

void DlgScheduleGroup::CPageBase::SetFocus()
{
    if (m_list.m_hWnd)
        ::SetFocus(m_list.m_hWnd);
}

bool DlgScheduleGroup::CPageBase::Accepts(const Object& object) const
{
    if (!m_view || object.id == 0 || object.type == 0)
        return false;
    // A rebuild looks its type up once, not once per object.
    const __int64 type = m_filling ? m_fillType : m_view->TypeId(TypeName());
    if (type == 0)
        return false;
    if (m_kind == PageUsers) {
        MainWindow* main = m_view->Main();
        return object.type == type || (main && main->IsTypeOf(object.type, type));
    }
    return object.type == type;
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
    const CTString text = StatusText();
    if (m_frame.m_hWnd)
        m_frame.SetCaption(text);
    if (MainWindow* main = m_view->Main())
        main->SetPaneStatusText(main->GetPaneKey(m_view), text);
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

LRESULT DlgScheduleGroup::CPageBase::OnListNotify(NMHDR* hdr)
{
    if (!hdr)
        return 0;
    switch (static_cast<int>(hdr->code)) {
    case static_cast<int>(NM_DBLCLK):
        OpenRow(reinterpret_cast<NMITEMACTIVATE*>(hdr)->iItem);
        return 0;
    case CTListCtrlReportEx::CodeActivate:
        if (m_list.m_hWnd)
            OpenRow(ListView_GetNextItem(m_list.m_hWnd, -1, LVNI_FOCUSED));
        return 1;
    case CTListCtrlReportEx::CodeInsert:
        return 1;
    case CTListCtrlReportEx::CodeDelete:
        DeleteSelected();
        return 1;
    case CTListCtrlReportEx::CodeConfirmDelete:
        PutTypeIcon(*reinterpret_cast<DeleteConfirmInfo*>(hdr));
        return 0;
    case static_cast<int>(LVN_INSERTITEM):
        ++m_rowCount;
        break;
    case static_cast<int>(LVN_DELETEITEM):
        --m_rowCount;
        break;
    case static_cast<int>(LVN_DELETEALLITEMS):
        m_rowCount = 0;
        m_selectedCount = 0;
        break;
    case static_cast<int>(LVN_ITEMCHANGED): {
        const auto* change = reinterpret_cast<NMLISTVIEW*>(hdr);
        if (!(change->uChanged & LVIF_STATE))
            return 0;
        const bool now = (change->uNewState & LVIS_SELECTED) != 0, before = (change->uOldState & LVIS_SELECTED) != 0;
        if (now && !before)
            ++m_selectedCount;
        else if (before && !now)
            --m_selectedCount;
        else
            return 0;
        break;
    }
    default:
        return 0;
    }
    UpdateStatusText();
    return 0;
}

void DlgScheduleGroup::CPageBase::OnListCommand(UINT command)
{
    switch (command) {
    case CTListCtrlReportEx::CmdDelete:
        // The frame has asked for confirmation already.
        DeleteSelected();
        break;
    case CTListCtrlReportEx::CmdProperties:
        if (m_list.m_hWnd)
            OpenRow(ListView_GetNextItem(m_list.m_hWnd, -1, LVNI_SELECTED));
        break;
    default:
        break;
    }
}

void DlgScheduleGroup::CPageBase::DeleteSelected()
{
    App* app = App::Instance();
    if (!app || !m_view || !m_list.m_hWnd)
        return;
    RequestRoute route;
    route.requestId = 1057;
    route.param2 = DeleteRouteParam();
    for (__int64 id : SelectedIds()) {
        auto found = m_view->m_objects.find(id);
        if (found != m_view->m_objects.end() && found->second.id != 0)
            app->m_db.ObjDelete(static_cast<unsigned>(found->second.id), static_cast<unsigned>(found->second.serial),
                                route);
    }
}

std::vector<__int64> DlgScheduleGroup::CPageBase::SelectedIds()
{
    std::vector<__int64> ids;
    if (!m_list.m_hWnd)
        return ids;
    for (int item = ListView_GetNextItem(m_list.m_hWnd, -1, LVNI_SELECTED); item >= 0;
         item = ListView_GetNextItem(m_list.m_hWnd, item, LVNI_SELECTED))
        ids.push_back(reinterpret_cast<__int64>(m_list.GetRowData(item)));
    return ids;
}

void DlgScheduleGroup::CPageBase::PutTypeIcon(DeleteConfirmInfo& info)
{
    App* app = App::Instance();
    if (!app || !app->m_mainWindow || !app->m_largeImages)
        return;
    Object definition;
    app->m_mainWindow->GetTypeByName(definition, CTString(TypeName()));
    const int index = app->FindIcon(TextOf(definition, L"tree_image"));
    if (index < 0)
        return;
    // The report destroys the icon it put in the record once it sees it replaced.
    if (HICON icon = ImageList_GetIcon(app->m_largeImages, index, ILD_TRANSPARENT))
        info.icon = icon;
}

int DlgScheduleGroup::CPageBase::RowImage(const Object& object)
{
    App* app = App::Instance();
    const CTString name = TextOf(object, L"tree_image");
    if (!app || !m_view || name.IsEmpty())
        return -1;
    const RequestRoute route = m_view->ReplyRoute(ReqIcon);
    int index = app->FindIcon(name);
    if (index < 0)
        index = app->AddIcon(name, route);
    if (index < 0)
        return -1;
    if (!m_list.HasImageForKey(index)) {
        HICON icon = app->GetIcon(0, name, route);
        m_list.AddImageForKey(icon, index);
        if (icon)
            DestroyIcon(icon);
    }
    return m_list.GetImageForKey(index);
}

bool DlgScheduleGroup::CPageBase::ReadyToFill() const
{
    // Rows wait for the load and for the objects their cells asked for.
    return m_view && m_view->m_pendingObjectRequests <= 0 && (m_loadState & LoadedAll) == LoadedAll;
}

void DlgScheduleGroup::CPageBase::FillRows()
{
    if (!ReadyToFill())
        return;
    ++m_fills;
    m_fillType = m_view->TypeId(TypeName());
    m_filling = true;
    // Rows selected before the rebuild are selected again when they are still listed.
    const std::vector<__int64> selected = SelectedIds();
    if (m_list.m_hWnd) {
        m_list.EnableAutoSort(false);
        ::SendMessageW(m_list.m_hWnd, WM_SETREDRAW, FALSE, 0);
        m_list.DeleteAllRows();
    }
    m_selectedCount = 0;
    m_rowCount = 0;
    DlgLHSBase* panel = CurrentPanel();
    if (m_list.m_hWnd) {
        for (auto& [id, object] : m_view->m_objects) {
            if (!Accepts(object) || (panel && !panel->Accepts(object)))
                continue;
            CTListCtrlReport::Row row;
            m_view->BuildRow(row, &m_list, m_columns, object);
            const int item = m_list.InsertRow(m_list.GetItemCount(), RowImage(object), row);
            if (item < 0)
                continue;
            ApplyOverlay(item, object);
            if (std::find(selected.begin(), selected.end(), object.id) != selected.end())
                ListView_SetItemState(m_list.m_hWnd, item, LVIS_SELECTED, LVIS_SELECTED);
        }
        m_list.SetEmptyText(EmptyText());
        if (m_list.GetItemCount() == 0)
            ::InvalidateRect(m_list.m_hWnd, nullptr, TRUE);
        m_list.FitColumnsToContent();
        m_list.EnableAutoSort(true);
        ::SendMessageW(m_list.m_hWnd, WM_SETREDRAW, TRUE, 0);
    }
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
        if (m_columns[c].key.GetLength() != key.GetLength() || m_columns[c].key.Compare(key) != 0)
            continue;
        ::SendMessageW(m_list.m_hWnd, WM_SETREDRAW, FALSE, 0);
        for (auto& [id, object] : m_view->m_objects) {
            if (!Accepts(object))
                continue;
            const int item = m_list.FindRowByData(reinterpret_cast<void*>(id));
            if (item < 0)
                continue;
            CTListCtrlReport::Cell cell;
            m_view->ComputeCell(&m_list, object, m_columns[c], cell);
            m_list.SetCell(item, static_cast<int>(c), cell);
        }
        ::SendMessageW(m_list.m_hWnd, WM_SETREDRAW, TRUE, 0);
        return;
    }
}

void DlgScheduleGroup::CPageBase::UpdateObjectRow(const Object& object, const Object* old)
{
    if (!m_view)
        return;
    int item = m_list.m_hWnd ? m_list.FindRowByData(reinterpret_cast<void*>(object.id)) : -1;
    if (!Accepts(object)) {
        // An object that left the page's type leaves its row.
        if (item >= 0)
            m_list.DeleteRow(item);
        return;
    }
    if (m_view->m_currentPage != this || !m_list.m_hWnd) {
        m_stale = true;
        return;
    }
    // The panel's filter is not applied here: the row stays until the next rebuild.
    CTListCtrlReport::Row row;
    m_view->BuildRow(row, &m_list, m_columns, object);
    const int image = RowImage(object);
    if (old) {
        if (item < 0)
            return;
        m_list.UpdateRow(item, image, row);
    } else if (item >= 0) {
        m_list.UpdateRow(item, image, row);
    } else {
        item = m_list.AddRow(image, row);
    }
    if (item >= 0)
        ApplyOverlay(item, object);
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
    if (result.route.requestId == ReqIcon) {
        const int index = static_cast<int>(result.route.param2);
        App* app = App::Instance();
        if (!app || !m_list.m_hWnd || !m_list.HasImageForKey(index) || !app->m_smallImages)
            return;
        if (HICON icon = ImageList_GetIcon(app->m_smallImages, index, ILD_TRANSPARENT)) {
            m_list.ReplaceImage(icon, m_list.GetImageForKey(index));
            DestroyIcon(icon);
        }
        if (m_frame.m_hWnd)
            ::InvalidateRect(m_frame.m_hWnd, nullptr, TRUE);
        if (m_list.m_hWnd)
            ::InvalidateRect(m_list.m_hWnd, nullptr, TRUE);
        return;
    }
    // The deployments page's panels take the path replies (administrators).
    if (m_kind == PageDeployments && result.returnCode == 0 && result.resultCode == 0)
        for (CLinkedListObject* item = m_host.m_panels.GetHead(); item; item = item->GetNext())
            static_cast<DlgLHSBase*>(item)->OnResult(result);
    if (result.route.requestId != ReqWindows || !GetWindowRecord() || result.resultCode != 0)
        return;
    m_windows.Clear();
    m_windows.ReadReply(result.document, nullptr);
}

void DlgScheduleGroup::CPageBase::GetDropInfo(int& kind, int& key, CTString& text)
{
    DlgLHSBase* current = CurrentPanel();
    kind = current ? current->GetKind() : 0;
    key = m_dropKey;
    m_dropKey = 0;
    text = m_dropText;
}

bool DlgScheduleGroup::CPageBase::OnListNotifyDrag(NMHDR* hdr)
{
    if (!hdr)
        return false;
    if (hdr->code == LVN_BEGINDRAG) {
        const auto* record = reinterpret_cast<NMLISTVIEW*>(hdr);
        BeginDrag(record->ptAction);
        return true;
    }
    if (hdr->code == NM_KILLFOCUS && m_dragging)
        FinishDrag();
    return false;
}

void DlgScheduleGroup::CPageBase::BeginDrag(POINT listPoint)
{
    FinishDrag();
    if (m_dragImage) {
        ImageList_Destroy(m_dragImage);
        m_dragImage = nullptr;
    }
    HWND list = m_list.m_hWnd;
    if (!list)
        return;
    int rows = 0;
    for (int item = ListView_GetNextItem(list, -1, LVNI_SELECTED); item >= 0 && rows < kMaxDragRows;
         item = ListView_GetNextItem(list, item, LVNI_SELECTED)) {
        POINT origin = {};
        HIMAGELIST image = ListView_CreateDragImage(list, item, &origin);
        if (!image)
            continue;
        if (!m_dragImage) {
            m_dragImage = image;
        } else {
            int cx = 0, cy = 0;
            ImageList_GetIconSize(m_dragImage, &cx, &cy);
            HIMAGELIST merged = ImageList_Merge(m_dragImage, 0, image, 0, 0, cy);
            ImageList_Destroy(image);
            if (merged) {
                ImageList_Destroy(m_dragImage);
                m_dragImage = merged;
            }
        }
        ++rows;
    }
    if (!m_dragImage)
        return;
    ImageList_BeginDrag(m_dragImage, 0, 0, 0);
    ClientToScreen(list, &listPoint);
    ImageList_DragEnter(GetDesktopWindow(), listPoint.x + 16, listPoint.y);
    SetCapture(m_hWnd);
    m_dragging = true;
}

bool DlgScheduleGroup::CPageBase::OnDragMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    if (!m_dragging)
        return false;
    if (msg == WM_MOUSEMOVE) {
        // Signed: on a monitor left of or above the primary one the coordinates are negative.
        POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ClientToScreen(m_hWnd, &point);
        ImageList_DragMove(point.x + 16, point.y);
        RECT rc = {};
        ::GetWindowRect(m_hWnd, &rc);
        const int cursor = PtInRect(&rc, point) ? 32512 /* IDC_ARROW */ : 32648 /* IDC_NO */;
        if (cursor != m_dragCursor) {
            m_dragCursor = cursor;
            SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(cursor)));
        }
        if (DlgLHSBase* current = CurrentPanel())
            current->DragOver(true, point);
        return true;
    }
    if (msg == WM_LBUTTONUP) {
        Drop();
        return true;
    }
    return false;
}

void DlgScheduleGroup::CPageBase::Drop()
{
    m_dropKey = FinishDrag();
    if (m_dropKey == 0)
        return;
    if (auto* tags = dynamic_cast<DlgLHSTag*>(CurrentPanel()))
        if (const DlgLHSTag::Tag* tag = tags->FindByRowKey(m_dropKey))
            m_dropText = tag->text;
    OpenWizard();
}

int DlgScheduleGroup::CPageBase::FinishDrag()
{
    const bool wasDragging = m_dragging;
    m_dragging = false;
    m_dropKey = 0;
    if (wasDragging) {
        ImageList_DragLeave(GetDesktopWindow());
        ImageList_EndDrag();
    }
    if (m_dragImage) {
        ImageList_Destroy(m_dragImage);
        m_dragImage = nullptr;
    }
    m_dragCursor = 0;
    if (!wasDragging)
        return 0;
    DlgLHSBase* current = CurrentPanel();
    const int key = current ? current->DragOver(false, POINT{}) : 0;
    if (GetCapture() == m_hWnd)
        ReleaseCapture();
    return key;
}
