// The main window's console panes: the pane factory, showing a pane with its layout and toolbar
// state, the back/forward history, closing panes with deferred deletion, the per-pane status texts
// and opening a directory object in the pane or form of its type.
#include "app/MainWindow.h"

#include <commctrl.h>
#include <cwchar>

#include "app/App.h"
#include "app/ConsoleTypes.h"
#include "app/CTWndConsole.h"
#include "app/HeadingMarkup.h"
#include "app/PlaceholderPane.h"
#include "framework/CTApp.h"
#include "framework/CTWndMessageBox.h"

namespace {

// Form window types opened by OpenObject.
enum : int {
    kFormAdministrator = 5,
    kFormStructure = 6,
    kFormRoute = 29,
    kFormComputerStock = 30,
    kFormTemplateSet = 35,
};

// Messages a pane answers with its tab icons.
enum : UINT { kMsgGetLargeIcon = 1026, kMsgGetSmallIcon = 1027 };
constexpr LONG_PTR kStripShowsIcons = 0x40;

// Builds the pane of a console type from the application's catalogue; a known type nobody
// registered shows as a placeholder, a number without a pane gives null.
CTWndConsole* NewPane(App* app, int type)
{
    if (app)
        if (CTWndConsole* pane = app->m_catalogue.MakePane(type)) return pane;
    return ConsolePaneClassName(type) ? new PlaceholderPane(type) : nullptr;
}

// Forms open through the window manager with the object id as key and the main window as parameter.
void OpenForm(App* app, HWND mainWindow, int windowType, __int64 id)
{
    if (app) app->m_windows.OpenWindow(windowType, static_cast<UINT64>(id), reinterpret_cast<INT_PTR>(mainWindow));
}

} // namespace

PaneKey MainWindow::GetPaneKey(CTWndConsole* pane) const
{
    return pane ? PaneKey(kWindowType, m_key, pane->GetConsoleType(), pane->m_key) : PaneKey();
}

CTWndConsole* MainWindow::FindConsole(int type, __int64 key)
{
    for (CLinkedListObject* item = m_panes.GetHead(); item; item = item->GetNext()) {
        auto* pane = static_cast<CTWndConsole*>(item);
        if (pane->Matches(type, key)) return pane;
    }
    return nullptr;
}

CTWndConsole* MainWindow::GetConsole(int type, __int64 key, int position)
{
    if (CTWndConsole* open = FindConsole(type, key)) return open;
    CTWndConsole* pane = NewPane(m_app, type);
    if (!pane) return nullptr;
    m_panes.AddTail(pane);
    pane->m_owner = this;
    pane->m_key = key;
    pane->Create();
    if (pane->IsTabPane() && m_tabs.m_hWnd && pane->GetHwnd()) m_tabs.AddPage(pane->GetHwnd(), 0, position);
    return pane;
}

bool MainWindow::ShowConsole(int type, __int64 key, bool noHistory)
{
    // 1. Setup panes need setup rights; a refused type gives no message.
    if (NeedsSetupRights(type) && !HasSetupRights()) return false;
    // 2. Already on show: nothing changes.
    if (m_current && m_current->Matches(type, key)) return true;

    CTWndConsole* previous = m_current;
    CTWndConsole* pane = GetConsole(type, key, 0);
    if (!pane) return false;
    const bool tab = pane->IsTabPane();

    // 5. Hide what the previous pane showed.
    if (previous) {
        if (previous->IsTabPane()) {
            if (!tab) {
                if (m_tabs.m_current && m_tabs.m_current->m_hwnd) ::ShowWindow(m_tabs.m_current->m_hwnd, SW_HIDE);
                if (m_tabs.m_hWnd) ::ShowWindow(m_tabs.m_hWnd, SW_HIDE);
                RemoveItem(m_tabs.m_hWnd);
            }
        } else if (HWND hwnd = previous->GetHwnd()) {
            ::ShowWindow(hwnd, SW_HIDE);
            RemoveItem(hwnd);
        }
    }

    pane->SetFocus();

    // 7. Layout below the rebar, above the status bar.
    m_current = pane;
    LayoutCurrentPane();
    if (tab) {
        if (m_tabs.m_hWnd) {
            m_tabs.Layout();
            // The strip comes back when it was not on show: after a plain pane, and also when the
            // pane before was closed (no previous pane), or the tab pane would stay hidden.
            if (!previous || !previous->IsTabPane()) {
                AddItem(m_tabs.m_hWnd, CTWndSize::BottomToBottom);
                ::ShowWindow(m_tabs.m_hWnd, SW_SHOW);
            }
        }
    } else if (pane->GetHwnd()) {
        AddItem(pane->GetHwnd(), CTWndSize::BottomToBottom | CTWndSize::RightToRight);
    }

    // 8. Check marks of the navigation buttons.
    if (m_navToolbar.m_hWnd) {
        m_navToolbar.SendMessage(TB_CHECKBUTTON, kCmdHome, MAKELONG(type == kConsoleDashboard, 0));
        m_navToolbar.SendMessage(TB_CHECKBUTTON, kCmdTasks, MAKELONG(type == kConsoleTasks, 0));
        m_navToolbar.SendMessage(TB_CHECKBUTTON, kCmdDeployments, MAKELONG(type == kConsoleDeployments, 0));
        m_navToolbar.SendMessage(TB_CHECKBUTTON, kCmdNotices,
                                 MAKELONG(type == kConsoleWeb && pane->m_key == m_homePage, 0));
    }

    // 9. Show it.
    if (tab) {
        if (HWND hwnd = pane->GetHwnd()) {
            m_tabs.ShowTab(hwnd);
            // Asked for by type (Setup, Back, Forward): its tab becomes the strip's selected one.
            if (CTWndVTab::CWindow* page = m_tabs.FindPage(hwnd)) m_tabs.SelectPage(page);
            // Leaving the strip hid its page; coming back to the same page must show it again.
            ::ShowWindow(hwnd, SW_SHOW);
        }
    } else if (HWND hwnd = pane->GetHwnd()) {
        ::ShowWindow(hwnd, SW_SHOW);
    }

    // 11. History.
    if (!noHistory) {
        if (previous) PushHistory(GetPaneKey(previous));
        PushHistory(GetPaneKey(pane));
        if (!m_history.IsEmpty()) m_history.SetCursorToLast();
    }
    if (!m_history.IsEmpty()) UpdateHistoryButtons();

    ShowPaneStatusText(GetPaneKey(pane));
    RECT client = {};
    if (m_hWnd) GetClientRect(m_hWnd, &client);
    if (m_rebar.m_hWnd) m_rebar.SetBandWidth(m_navBand, client.right);
    return true;
}

void MainWindow::PushHistory(const PaneKey& entry)
{
    m_history.Push(entry);
}

void MainWindow::UpdateHistoryButtons()
{
    SetButtonEnabled(m_navToolbar, kCmdBack, m_history.CanGoBack());
    SetButtonEnabled(m_navToolbar, kCmdForward, m_history.CanGoForward());
}

void MainWindow::ClearHistory()
{
    m_history.Clear();
}

bool MainWindow::CloseConsole(int type, __int64 key)
{
    CTWndConsole* pane = FindConsole(type, key);
    if (!pane) return false;
    if (m_app) m_app->m_dir.CancelRequests(GetPaneKey(pane));
    if (pane == m_current) m_current = nullptr;

    // The object waits for message 1057: a reply may still be on its way to it.
    m_panes.Remove(pane);
    if (pane->IsTabPane() && pane->GetHwnd()) m_tabs.RemovePage(pane->GetHwnd());
    if (pane->GetHwnd()) RemoveItem(pane->GetHwnd());
    pane->Destroy();
    m_closedPanes.AddTail(pane);
    if (m_hWnd) PostMessageW(m_hWnd, kMsgDeleteClosed, 0, 0);

    m_history.Remove(type, key);
    if (m_current) {
        UpdateHistoryButtons();
    } else if (m_history.IsEmpty()) {
        ShowConsole(kConsoleDashboard, 0, false);
    } else {
        PaneKey entry = *m_history.CursorOrLast();
        ShowConsole(entry.consoleType, entry.consoleKey, true);
    }
    return true;
}

void MainWindow::DeletePanesExceptCurrent()
{
    for (CLinkedListObject* item = m_panes.GetHead(); item;) {
        CLinkedListObject* next = item->GetNext();
        auto* pane = static_cast<CTWndConsole*>(item);
        if (pane != m_current) {
            if (pane->IsTabPane() && pane->GetHwnd()) m_tabs.RemovePage(pane->GetHwnd());
            if (pane->GetHwnd()) RemoveItem(pane->GetHwnd());
            m_panes.Remove(pane);
            pane->Destroy();
            delete pane;
        }
        item = next;
    }
}

void MainWindow::SetPaneStatusText(const PaneKey& key, const CTString& text)
{
    m_statusTexts[key] = text;
    if (m_current && GetPaneKey(m_current) == key) SetPaneText(kPartStatus, text);
}

void MainWindow::ShowPaneStatusText(const PaneKey& key)
{
    auto it = m_statusTexts.find(key);
    SetPaneText(kPartStatus, it != m_statusTexts.end() ? it->second : CTString());
}

void MainWindow::ForgetPaneStatusTexts()
{
    m_statusTexts.clear();
}

void MainWindow::RefreshTabCaption(HWND paneWindow)
{
    CTWndVTab::CWindow* page = m_tabs.FindPage(paneWindow);
    if (!page) return;
    page->m_icon = nullptr;
    HICON icon = nullptr;
    if (m_tabs.m_hWnd && (GetWindowLongPtrW(m_tabs.m_hWnd, GWL_STYLE) & kStripShowsIcons)) {
        icon = reinterpret_cast<HICON>(::SendMessageW(paneWindow, kMsgGetLargeIcon, 0, 0));
        HICON small = reinterpret_cast<HICON>(::SendMessageW(paneWindow, kMsgGetSmallIcon, 0, 0));
        if (small) icon = small;
    }
    if (!icon) icon = reinterpret_cast<HICON>(::SendMessageW(paneWindow, WM_GETICON, ICON_SMALL, 0));
    page->m_icon = icon;
    GetWindowTextString(paneWindow, page->m_caption);
    page->DropRendered();
    m_tabs.Invalidate(true);
}

void MainWindow::OpenObject(const Object& object, bool asForm, bool checkSuperUser)
{
    if (object.id == 0) {
        MessageBeep(MB_ICONASTERISK);
        return;
    }
    Object type;
    GetTypeById(type, object.type);
    const CTString& name = type.name;
    const __int64 id = object.id;
    auto is = [&](const wchar_t* text) { return name.GetBuffer() && wcscmp(name.GetBuffer(), text) == 0; };

    // Every matching row acts; the rows are independent of each other.
    if (is(L"Note")) ShowConsole(1032, object.parent, false);
    if (is(L"Email")) ShowConsole(1033, id, false);
    if (is(L"Schedule User")) ShowConsole(1027, id, false);
    if (is(L"Administrator")) {
        bool superUser = !checkSuperUser;
        if (!superUser) {
            const __int64 users = m_cache.folderIds[MainWindowCache::FolderUsers];
            superUser = (users != 0 && object.parent == users) || object.GetPrivilege(CTString(L"SuperUser"));
        }
        if (!superUser) ShowConsole(1027, id, false);
        else if (asForm) OpenForm(m_app, m_hWnd, kFormAdministrator, id);
        else ShowConsole(1036, id, false);
    }
    if (is(L"Computer")) ShowConsole(1013, id, false);
    if (is(L"Deployment")) ShowConsole(1029, id, false);
    if (is(L"Organisation")) ShowConsole(1023, id, false);
    if (is(L"Task")) ShowConsole(1004, id, false);
    if (is(L"Email Task")) ShowConsole(1005, id, false);
    if (is(L"SMS Task")) ShowConsole(1006, id, false);
    if (is(L"Check Task")) ShowConsole(1007, id, false);
    if (is(L"Order")) ShowConsole(1056, id, false);
    if (is(L"Order Folder") && !asForm) ShowConsole(1057, id, false);
    if (is(L"Deployment Window")) ShowConsole(1026, object.parent, false);
    if (is(L"Asset Transfer")) ShowConsole(1039, id, false);
    if (is(L"Site") && !asForm) ShowConsole(1043, id, false);
    if (is(L"Asset Location") && !asForm) OpenAssetLocation(id);
    if (is(L"Schedule Group") && !asForm) ShowConsole(1026, id, false);
    if (is(L"Data Point")) ShowConsole(1061, id, false);
    if (is(L"Survey Result")) {
        CTString page;
        page.Format(L"pageSurvey/pageSurvey.php&ID=%I64d", object.parent);
        CTString heading = BuildObjectHeadingMarkup(object, CTString(L"display_name"), true, false);
        CAttribute icon;
        object.GetAttribute(icon, CTString(L"tree_image"));
        if (m_app) {
            __int64 handle = m_app->RegisterWebPage(id, 0, page, icon.GetString(), heading);
            ShowConsole(kConsoleWeb, handle, false);
        }
    }
    if (asForm && (is(L"OU") || is(L"Schedule Group") || is(L"Asset Location") || is(L"Site") || is(L"Order Folder")))
        OpenForm(m_app, m_hWnd, kFormStructure, id);
    if (is(L"Route [AT]")) OpenForm(m_app, m_hWnd, kFormRoute, id);
    if (is(L"Computer Stock")) OpenForm(m_app, m_hWnd, kFormComputerStock, id);
    if (is(L"Template Set")) OpenForm(m_app, m_hWnd, kFormTemplateSet, id);
    if (is(L"Request")) ShowConsole(1067, id, false);
}

void MainWindow::OpenAssetLocation(__int64 locationId)
{
    if (m_cache.CheckAssetLocationLink(locationId, 0)) {
        ShowConsole(1038, locationId, false);
        return;
    }
    CTWndMessageBox box;
    box.Show(m_hWnd, CTApp::Instance() ? CTApp::Instance()->GetModule() : GetModuleHandleW(nullptr),
             L"Error opening location: The location has not been assigned to your profile", L"Open Location Error",
             MB_OK);
}
