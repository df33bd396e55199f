// The schedule-group view's window: pages, heading, summary clicks and the group's menu.
#include "schedulegroups/DlgScheduleGroup.h"

#include <windowsx.h>
#include <algorithm>
#include "app/App.h"
#include "app/HeadingMarkup.h"
#include "app/MainWindow.h"
#include "calendars/model/DeploymentWin.h"
#include "framework/CTApp.h"
#include "framework/CTMenu.h"
#include "framework/CTREngine.h"
#include "framework/CWindowManager.h"
#include "framework/PopupMenuDriver.h"
#include "schedulegroups/ScheduleGroupPage.h"
#include "schedulegroups/ScheduleGroupPageComputers.h"
#include "schedulegroups/ScheduleGroupPageDeployments.h"
#include "schedulegroups/ScheduleGroupPageUsers.h"
#include "session/FormHelpers.h"
#include "session/RequestResult.h"

namespace {

HMODULE ModuleOf(const wchar_t* type, UINT id)
{
    HMODULE module = CTApp::Instance()->FindResourceModule(type, MAKEINTRESOURCEW(id));
    return module ? module : GetModuleHandleW(nullptr);
}

int Scaled(int value)
{
    ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
    if (!dpi.loaded)
        dpi.Load();
    return dpi.Scale(value);
}

} // namespace

DlgScheduleGroup::DlgScheduleGroup() : m_alive(std::make_shared<DlgScheduleGroup*>(this))
{
    HMODULE module = ModuleOf(RT_DIALOG, kTemplate);
    CTWndHeader::RegisterClass(module);
    CTWndDraw::RegisterClass(module);
}

DlgScheduleGroup::~DlgScheduleGroup()
{
    *m_alive = nullptr;
    m_currentPage = nullptr;
    m_deploymentsPage = nullptr;
    m_usersPage = nullptr;
    m_pages.DeleteAll();
    if (m_headerIcon)
        DestroyIcon(m_headerIcon);
    CTWnd2::Destroy();
}

MainWindow* DlgScheduleGroup::Main() const
{
    if (m_owner)
        return m_owner;
    App* app = GetApp();
    return app ? app->m_mainWindow : nullptr;
}

DB* DlgScheduleGroup::Server() const
{
    App* app = GetApp();
    return app ? &app->m_db : nullptr;
}

__int64 DlgScheduleGroup::TypeId(const wchar_t* name) const
{
    MainWindow* main = Main();
    return main ? main->GetTypeId(CTString(name)) : 0;
}

bool DlgScheduleGroup::IsUserType(__int64 type) const
{
    MainWindow* main = Main();
    const __int64 user = TypeId(L"Schedule User");
    return main && user != 0 && type != 0 && (type == user || main->IsTypeOf(type, user));
}

RequestRoute DlgScheduleGroup::ReplyRoute(int requestId, __int64 param2, bool silent) const
{
    RequestRoute route = m_route;
    if (route.consoleType == 0)
        route = PaneKey(CTWndConsole::kMainWindowType, 0, kConsoleType, m_key);
    route.requestId = requestId;
    route.param2 = param2;
    route.silent = silent;
    return route;
}

std::vector<DlgScheduleGroup::CPageBase*> DlgScheduleGroup::Pages() const
{
    std::vector<CPageBase*> pages;
    for (CLinkedListObject* item = m_pages.GetHead(); item; item = item->GetNext())
        pages.push_back(static_cast<CPageBase*>(item));
    return pages;
}

DlgScheduleGroup::CPageBase* DlgScheduleGroup::FindPage(int kind) const
{
    for (CPageBase* page : Pages())
        if (page->GetPageKind() == kind)
            return page;
    return nullptr;
}

bool DlgScheduleGroup::Create()
{
    if (m_owner)
        m_route = m_owner->GetPaneKey(this);
    else
        m_route = PaneKey(CTWndConsole::kMainWindowType, 0, kConsoleType, m_key);
    if (!CreateDialogFromResource(ModuleOf(RT_DIALOG, kTemplate), MAKEINTRESOURCEW(kTemplate), GetOwnerHwnd()))
        return false;
    if (App* app = GetApp())
        app->m_dir.Subscribe(ReplyRoute(ReqChanged));
    ::ShowWindow(m_hWnd, SW_SHOW);
    return true;
}

void DlgScheduleGroup::OnInitDialog()
{
    CTWndSize::Init(m_hWnd, false, Scaled(100), Scaled(100), false);
    AddItem(GetDlgItem(m_hWnd, kIdHeader), CTWndSize::RightToRight);
    AddItem(GetDlgItem(m_hWnd, kIdSummary), CTWndSize::RightToRight);
    AddItem(GetDlgItem(m_hWnd, kIdPageArea), CTWndSize::RightToRight | CTWndSize::BottomToBottom);
    if (m_header.Attach(m_hWnd, kIdHeader)) {
        m_header.SetMarkupMode();
        ApplyHeaderColours(m_header);
    }
    m_summary.AttachDlgItem(m_hWnd, kIdSummary, 0);
    ShowPage(PageDeployments);
    Refresh();
}

bool DlgScheduleGroup::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = 0;
        return true;
    case WM_WINDOWPOSCHANGING: {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        const bool visible = ::IsWindowVisible(m_hWnd) != FALSE;
        TrackVisibility(*pos);
        if ((pos->flags & SWP_SHOWWINDOW) && !visible) {
            m_shown = true;
            if (m_refreshPendingView) {
                Refresh();
            } else if (m_windowsStale) {
                m_windowsStale = false;
                if (App* app = GetApp())
                    app->GetDeploymentWindowsCached(static_cast<unsigned>(m_group.id ? m_group.id : m_key),
                                                    ReplyRoute(ReqWindows));
            }
        }
        if ((pos->flags & SWP_HIDEWINDOW) && visible) {
            if (m_deploymentsPage)
                m_deploymentsPage->EndDrag();
            m_shown = false;
        }
        break;
    }
    case WM_WINDOWPOSCHANGED: {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if ((pos->flags & SWP_SHOWWINDOW) && m_currentPage && m_currentPage->m_stale)
            m_currentPage->RefreshIfCurrent();
        break;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        *result = reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        return true;
    case WM_MOUSEWHEEL:
        if (m_currentPage)
            m_currentPage->ForwardToPanel(wParam, lParam);
        break;
    case kMsgFetchPending:
        FetchPendingObjects();
        return true;
    default:
        break;
    }
    return handled;
}

bool DlgScheduleGroup::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    (void)wParam;
    *result = 0;
    if (hdr && hdr->idFrom == static_cast<UINT_PTR>(kIdSummary) && hdr->code == static_cast<UINT>(NM_CLICK)) {
        OnSummaryClick(reinterpret_cast<CTWndDraw::NMDRAWCLICK*>(hdr)->clickId);
        return true;
    }
    return false;
}

bool DlgScheduleGroup::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    if (LOWORD(wParam) == IDCLOSE) {
        Close();
        return true;
    }
    return true;
}

void DlgScheduleGroup::ShowPage(int page)
{
    if (page < PageDeployments || page > PageComputers)
        return;
    if (m_currentPage && m_currentPage->GetPageKind() == page)
        return;
    CPageBase* target = FindPage(page);
    if (!target) {
        target = page == PageComputers ? static_cast<CPageBase*>(new CPageComputers())
                 : page == PageUsers   ? static_cast<CPageBase*>(new CPageUsers())
                                       : static_cast<CPageBase*>(new CPageDeployments());
        if (page == PageDeployments) {
            target->m_initialPanel = 1;
            m_deploymentsPage = target;
        } else if (page == PageUsers) {
            m_usersPage = target;
        }
        target->m_view = this;
        target->OnLoadState(m_loadedBits);
        target->Create(m_hWnd);
        m_pages.AddTail(target);
        target->RefreshIfVisible();
    }
    if (!m_groupWindow)
        if (CPageBase* deployments = FindPage(PageDeployments))
            m_groupWindow = deployments->GetWindowRecord();

    RECT rect = {};
    HWND old = m_currentPage ? m_currentPage->GetHwnd() : GetDlgItem(m_hWnd, kIdPageArea);
    if (old) {
        ::GetWindowRect(old, &rect);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        if (m_currentPage)
            ::ShowWindow(old, SW_HIDE);
        RemoveItem(old);
    }
    target->SetFocus();
    if (HWND window = target->GetHwnd()) {
        ::MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
        AddItem(window, CTWndSize::RightToRight | CTWndSize::BottomToBottom);
        ::ShowWindow(window, SW_SHOW);
    }
    m_currentPage = target;
    if (target->m_stale)
        target->RefreshIfVisible();

    UpdateTitle();
}

void DlgScheduleGroup::ApplyIcon(HICON icon)
{
    if (!icon)
        return;
    if (m_headerIcon)
        DestroyIcon(m_headerIcon);
    m_headerIcon = icon;
    if (m_header.m_hWnd)
        m_header.SetIcon(icon);
}

void DlgScheduleGroup::UpdateTitle()
{
    MainWindow* main = Main();
    Object type;
    CTString subtitle;
    if (main)
        subtitle = main->GetTypeById(type, m_group.type).name;
    if (m_currentPage) {
        subtitle.AppendText(L" - ");
        subtitle.Append(m_currentPage->GetTabName());
    }
    CTString title(m_group.path);
    CAttribute display;
    m_group.GetAttribute(display, CTString(L"display_name"));
    CTStringLocale displayName(display.GetString());
    const wchar_t* own = displayName.GetUserText();
    if (own && *own) {
        title.AppendText(L" ");
        title.AppendText(own);
    }
    CTString markup;
    AppendHeadingMarkup(title, subtitle, markup);
    if (m_header.m_hWnd)
        m_header.SetText(markup);
}

void DlgScheduleGroup::UpdateHeading()
{
    UpdateTitle();
    if (App* app = GetApp()) {
        CAttribute image;
        m_group.GetAttribute(image, CTString(L"tree_image"));
        CTString name(image.GetString());
        if (!name.IsEmpty()) {
            m_iconIndex = app->FindIcon(name);
            if (m_iconIndex == -1)
                m_iconIndex = app->AddIcon(name, ReplyRoute(ReqIcon));
            ApplyIcon(app->GetIcon(1, name, ReplyRoute(ReqIcon)));
        }
    }
    BuildSummary();
}

void DlgScheduleGroup::CollectLocations(int which, std::vector<__int64>& out) const
{
    if (which == 0) {
        CAttribute own;
        m_group.GetAttribute(own, CTString(L"link_deployment_location"));
        if (own.HasValue())
            out.push_back(own.GetValue());
        for (const auto& entry : m_legacyRoutes)
            out.push_back(entry.first);
    } else if (which == 1) {
        for (const auto& entry : m_otherRoutes)
            out.push_back(entry.first);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
}

__int64 DlgScheduleGroup::DefaultLocation(int which) const
{
    if (which == 0) {
        CAttribute own;
        m_group.GetAttribute(own, CTString(L"link_deployment_location"));
        if (own.HasValue())
            return own.GetValue();
        return m_legacyRoutes.empty() ? 0 : m_legacyRoutes.begin()->first;
    }
    if (which == 1)
        return m_otherRoutes.empty() ? 0 : m_otherRoutes.begin()->first;
    return 0;
}

void DlgScheduleGroup::OnSummaryClick(__int64 linkNumber)
{
    auto link = m_links.find(linkNumber);
    if (link == m_links.end())
        return;
    const Link target = link->second;
    if (target.kind == LinkPage) {
        ShowPage(static_cast<int>(target.value));
        return;
    }
    if (target.kind != LinkObject)
        return;
    if (target.value == m_group.id) {
        ShowGroupMenu();
        return;
    }
    auto cached = m_objects.find(target.value);
    if (cached != m_objects.end() && cached->second.id != 0) {
        if (MainWindow* main = Main())
            main->OpenObject(cached->second, false, true);
        return;
    }
    if (DB* db = Server()) {
        // Silent: a refused fetch must still reach the view, which says the object is gone and
        // counts the request off (the application keeps an error reply to itself).
        ++m_pendingObjectRequests;
        db->ObjGet(static_cast<unsigned>(target.value), false, false, ReplyRoute(ReqObject, FetchClicked, true));
    }
}

std::map<UINT, CTString> DlgScheduleGroup::MenuEntries(bool* windowEnabled) const
{
    std::map<UINT, CTString> entries;
    entries[kCmdDefaults] = L"Schedule Group Defaults";
    const bool hasWindow = m_groupWindow && m_groupWindow->m_groupWindowId != 0;
    entries[kCmdWindow] = hasWindow ? L"Edit Deployment Window" : L"Create Deployment Window";
    if (windowEnabled) {
        CAttribute t0;
        m_group.GetAttribute(t0, CTString(L"T0_date"));
        bool enabled = t0.HasValue();
        MainWindow* main = Main();
        if (enabled && main && main->GetStartupMask() != 0 && main->m_navToolbar.m_hWnd &&
            !::SendMessageW(main->m_navToolbar.m_hWnd, TB_ISBUTTONENABLED, MainWindow::kCmdRefresh, 0))
            enabled = false;
        *windowEnabled = enabled;
    }
    return entries;
}

void DlgScheduleGroup::ShowGroupMenu()
{
    bool windowEnabled = false;
    std::map<UINT, CTString> entries = MenuEntries(&windowEnabled);
    CTMenu menu;
    if (!menu.CreatePopup())
        return;
    for (const auto& [command, text] : entries) {
        UINT flags = MF_STRING;
        if (command == kCmdWindow && !windowEnabled)
            flags |= MF_DISABLED | MF_GRAYED;
        AppendMenuW(menu.m_menu, flags, command, text.GetBuffer());
    }
    menu.MakeOwnerDrawn();
    RECT rc = {};
    m_summary.GetElementRect(CTString(L"T0"), &rc);
    POINT at = {rc.left, rc.bottom};
    if (m_summary.m_hWnd)
        ::ClientToScreen(m_summary.m_hWnd, &at);
    const UINT command = menu.Track(false, TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, m_hWnd);
    menu.Destroy();
    OnMenuCommand(command);
}

void DlgScheduleGroup::OnMenuCommand(UINT command)
{
    MainWindow* main = Main();
    App* app = GetApp();
    if (command == kCmdDefaults) {
        if (app)
            app->m_windows.OpenWindow(kFormWindowType, static_cast<UINT64>(m_group.id),
                                      reinterpret_cast<INT_PTR>(app->GetMainHwnd()));
    } else if (command == kCmdWindow) {
        if (m_groupWindow && m_groupWindow->m_groupWindowId != 0) {
            if (main)
                main->ShowConsole(kWindowEditorConsole, m_groupWindow->m_groupWindowId, false);
        } else {
            CreateDeploymentWindow();
        }
    }
}

void DlgScheduleGroup::CreateDeploymentWindow()
{
    DB* db = Server();
    if (!db)
        return;
    CAttributes form;
    form.SetNumber(CTString(L"PARENT"), static_cast<int>(m_group.id));
    CAttribute t0;
    m_group.GetAttribute(t0, CTString(L"T0_date"));
    form.Set(CTString(L"END_DATE"), t0);
    std::weak_ptr<DlgScheduleGroup*> alive = m_alive;
    db->Post(CTString(L"api/api_qelCreateDeploymentWindow.php"), form, [alive](DB::DBEvent& reply) {
        auto view = alive.lock();
        if (view && *view)
            (*view)->OnDeploymentWindowCreated(reply);
    });
}

void DlgScheduleGroup::OnDeploymentWindowCreated(DB::DBEvent& reply)
{
    Object window;
    if (!reply.ReadObject(window) || window.id == 0)
        return;
    if (m_groupWindow)
        m_groupWindow->m_groupWindowId = window.id;
    App* app = GetApp();
    // The cached window reply still names no window: asked again, so the menu stops offering a
    // second one.
    if (app) {
        app->DropDeploymentWindowCache(static_cast<unsigned>(m_group.id));
        app->GetDeploymentWindowsCached(static_cast<unsigned>(m_group.id), ReplyRoute(ReqWindows));
    }
    if (MainWindow* main = Main())
        main->ShowConsole(kWindowEditorConsole, window.id, false);
}
