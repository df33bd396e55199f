#include "app/MainWindow.h"

#include <commctrl.h>
#include <shobjidl.h>
#include <windowsx.h>
#include "app/App.h"
#include "app/CTWndConsole.h"
#include "app/ColourScheme.h"
#include "app/DlgSearch.h"
#include "controls/CGDIManager.h"
#include "foundation/IShellLauncher.h"
#include "foundation/WindowsVersion.h"
#include "framework/CTApp.h"
#include "framework/CTREngine.h"
#include "framework/CTWndMessageBox.h"

namespace {

// Toolbar button styles as the button table names them.
constexpr BYTE kStyleButton = BTNS_BUTTON;
constexpr BYTE kStyleCheckGroup = BTNS_CHECKGROUP;
constexpr BYTE kStyleWholeDropDown = BTNS_WHOLEDROPDOWN;

constexpr DWORD kToolbarStyle = 0x11900;
constexpr DWORD kSearchStyle = 0x42210442;
constexpr const wchar_t* kFeedbackAddress = L"https://www.example.com/qel/feedback";

bool IsWindows7OrLater()
{
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    if (!rtlGetVersion || rtlGetVersion(&info) != 0)
        return false;
    return info.dwMajorVersion > 6 || (info.dwMajorVersion == 6 && info.dwMinorVersion != 0);
}

HMODULE IconModule(UINT id)
{
    return CTApp::Instance()->FindResourceModule(RT_GROUP_ICON, MAKEINTRESOURCEW(id));
}

// Inserts a toolbar as a band: its widest and its button height as the minimum, its text as caption.
void InsertToolbarBand(CTWndRebar& rebar, CTWndToolbar& toolbar, int position)
{
    SIZE max = {};
    toolbar.SendMessage(TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&max));
    DWORD buttonSize = static_cast<DWORD>(toolbar.SendMessage(TB_GETBUTTONSIZE));
    CTString text;
    GetWindowTextString(toolbar.m_hWnd, text);
    rebar.InsertBand(toolbar.m_hWnd, position, text, max.cx, HIWORD(buttonSize), max.cx);
}

} // namespace

MainWindow::MainWindow()
{
    m_app = App::Instance();
    m_type = kWindowType;
    MainWindowLookups::Install(&m_lookups);
}

MainWindow::~MainWindow()
{
    if (MainWindowLookups::Installed() == &m_lookups)
        MainWindowLookups::Install(nullptr);
    if (m_hWnd && ::IsWindow(m_hWnd))
        KillTimer(m_hWnd, kKeepAliveTimer);
    if (m_app && m_app->m_mainWindow == this)
        m_app->m_mainWindow = nullptr;
    CTWnd2::Destroy();
}

// ---------------------------------------------------------------------------------------------
// Window-manager operations

void MainWindow::Activate()
{
    BringToFront();
}

void MainWindow::Close()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        DestroyWindow(m_hWnd);
    else
        Unregister();
}

void MainWindow::Notify(void* param)
{
    OnResult(static_cast<RequestResult*>(param));
}

bool MainWindow::Open()
{
    CTApp* ctApp = CTApp::Instance();
    HINSTANCE module = ctApp->GetModule() ? ctApp->GetModule() : GetModuleHandleW(nullptr);
    CTREngine* engine = CTREngine::Instance();
    engine->m_dpi.Load();

    // 1. The window.
    if (!Create(kClassName, true, nullptr, WS_OVERLAPPEDWINDOW, 0, module, nullptr))
        return false;

    // 2. The shared colour table, then the engine's custom colours.
    CGDIManager* gdi = CGDIManager::Instance();
    ColourScheme::AddEntries(*gdi, engine->m_dpi.x, engine->m_dpi.y);
    engine->SetColors(ColourScheme::Get(*gdi, ColourScheme::TitleBar), ColourScheme::Get(*gdi, ColourScheme::TabText));

    // 3. Title, icons, class background and cursor, accelerators.
    SetWindowText(ctApp->GetName().GetBuffer() ? ctApp->GetName().GetBuffer() : L"");
    SetIcons(module, 2);
    SetClassLongPtrW(m_hWnd, GCLP_HBRBACKGROUND, static_cast<LONG_PTR>(COLOR_BTNFACE + 1));
    SetClassLongPtrW(m_hWnd, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_ARROW)));
    ctApp->AddAcceleratorWindow(m_hWnd);

    // 4. to 9. The children; a failure skips the rest of them.
    bool ok = m_rebar.Create(m_hWnd, module) && m_tabs.Create(m_hWnd, module);
    if (ok) {
        COLORREF tabBack = ColourScheme::Get(*gdi, ColourScheme::TabBackground);
        COLORREF tabText = ColourScheme::Get(*gdi, ColourScheme::TabText);
        m_tabs.SetGradientColors(tabBack, tabBack);
        m_tabs.SetTextColors(tabText, tabText);
        ::ShowWindow(m_tabs.m_hWnd, SW_HIDE);
        CreateToolbars();
        m_statusbar.Create(m_hWnd, module);
        ok = m_statusbar.m_hWnd != nullptr;
        if (ok) {
            SetUpStatusbar();
            PrepareCertificateIcon();
        }
    }

    // 10. The taskbar's message must reach an elevated window too.
    if (IsWindows7OrLater()) {
        using FilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
        auto filter = reinterpret_cast<FilterFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"User32.dll"), "ChangeWindowMessageFilterEx")));
        if (filter && g_taskbarButtonCreated)
            filter(m_hWnd, g_taskbarButtonCreated, MSGFLT_ALLOW, nullptr);
    }

    // 11. Anchoring.
    if (ok) {
        CTWndSize::Init(m_hWnd, false, 530, 570, true);
        RECT rc = {};
        GetWindowRect(m_rebar.m_hWnd, &rc);
        m_rebarHeight = rc.bottom - rc.top + 1;
        AddItem(m_rebar.m_hWnd, CTWndSize::RightToRight);
    }
    m_opened = ok;

    // 12. The navigation band and the connect pane.
    if (m_rebar.m_hWnd && m_navToolbar.m_hWnd) {
        m_rebar.FindBand(m_navToolbar.m_hWnd, &m_navBand);
        m_rebar.ShowBandAt(m_navBand, true);
    }
    ClearHistory();
    ShowConsole(kConsoleConnect, 0, false);

    // 13. The saved placement.
    RestorePlacement();

    // 14. Logged off: no history, no search.
    SetButtonEnabled(m_navToolbar, kCmdBack, false);
    SetButtonEnabled(m_navToolbar, kCmdForward, false);
    m_search.Enable(false);
    SearchFilterSettings::Instance().SetDefaults();
    if (m_statusbar.m_hWnd)
        m_statusbar.SendMessage(WM_SIZE);
    ::ShowWindow(m_hWnd, ctApp->GetShowCmd() ? ctApp->GetShowCmd() : SW_SHOWNORMAL);
    if (m_current)
        m_current->SetFocus();
    return ok;
}

void MainWindow::CreateToolbars()
{
    // The navigation toolbar: large icons, every button disabled until sign-in.
    if (m_navToolbar.Create(m_rebar.m_hWnd, this, kToolbarStyle, CTWndToolbar::IconLarge, TBSTYLE_EX_MIXEDBUTTONS)) {
        struct Button {
            int command;
            UINT icon;
            BYTE style;
        };
        const Button buttons[] = {
            {kCmdBack, 134, kStyleButton},          {kCmdHome, 105, kStyleCheckGroup},
            {kCmdForward, 228, kStyleButton},       {kCmdTasks, 201, kStyleCheckGroup},
            {kCmdDeployments, 216, kStyleCheckGroup}, {kCmdNotices, 221, kStyleCheckGroup},
            {kCmdRefresh, 133, kStyleButton},
        };
        for (const Button& button : buttons) {
            int image = m_navToolbar.AddIcon(IconModule(button.icon), button.icon);
            m_navToolbar.AddButton(image, button.command, 0, button.style, static_cast<UINT>(button.command));
        }
        m_navToolbar.SendMessage(TB_SETMAXTEXTROWS, 1);
        m_idle = false;
        InsertToolbarBand(m_rebar, m_navToolbar, 0);
    }

    // The search box.
    HWND combo = CreateWindowExW(0, L"ComboBox", nullptr, kSearchStyle, 0, 0, 20, 320, m_rebar.m_hWnd, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (combo) {
        m_search.Attach(combo, true);
        m_search.m_commandTarget = m_hWnd;
        m_search.SetFont(reinterpret_cast<HFONT>(m_rebar.SendMessage(WM_GETFONT)), false);
        COMBOBOXINFO info = {};
        info.cbSize = sizeof(info);
        if (GetComboBoxInfo(combo, &info) && info.hwndItem) {
            m_search.m_edit.m_owner = &m_search;
            m_search.m_edit.Attach(info.hwndItem, true);
        }
        ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
        m_rebar.InsertBand(combo, 1, CTString(), dpi.Scale(320), dpi.ScaleY(20), dpi.Scale(320));
    }

    // The right-hand toolbar: "EMF" pictures, drop-downs.
    if (m_rightToolbar.Create(m_rebar.m_hWnd, this, kToolbarStyle, CTWndToolbar::IconSmall,
                              TBSTYLE_EX_MIXEDBUTTONS | TBSTYLE_EX_DRAWDDARROWS)) {
        m_filterOffImage = m_rightToolbar.AddEmfImage(246);
        m_filterOnImage = m_rightToolbar.AddEmfImage(245);
        int notifications = m_rightToolbar.AddEmfImage(256);
        int tools = m_rightToolbar.AddEmfImage(232);
        int about = m_rightToolbar.AddEmfImage(249);
        m_rightToolbar.AddButton(m_filterOffImage, kCmdSearchFilter, 0, kStyleWholeDropDown, kCmdSearchFilter);
        m_rightToolbar.AddButton(notifications, kCmdNotifications, 0, kStyleWholeDropDown, kCmdNotifications);
        m_rightToolbar.AddButton(tools, kCmdTools, 0, kStyleWholeDropDown | BTNS_SHOWTEXT, kCmdTools);
        m_rightToolbar.AddButton(about, kCmdAbout, TBSTATE_ENABLED, kStyleButton, kCmdAbout);
        m_rightToolbar.SetDrawOptions(kCmdNotifications, CTWndToolbar::kNotifyAfterPaint);
        m_rightToolbar.SendMessage(TB_SETMAXTEXTROWS, 1);
        InsertToolbarBand(m_rebar, m_rightToolbar, 2);
    }
}

void MainWindow::RestorePlacement()
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, CTWndSize::kPlacementKey, 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    WINDOWPLACEMENT placement = {};
    DWORD size = sizeof(placement);
    DWORD type = 0;
    LONG read = RegQueryValueExW(key, kPlacementValue, nullptr, &type, reinterpret_cast<BYTE*>(&placement), &size);
    RegCloseKey(key);
    // Anything but a whole placement record is ignored.
    if (read != ERROR_SUCCESS || size != sizeof(WINDOWPLACEMENT) || size != 44)
        return;
    placement.length = sizeof(placement);
    SetWindowPlacement(m_hWnd, &placement);
}

// ---------------------------------------------------------------------------------------------
// Helpers

void MainWindow::SetButtonEnabled(CTWndToolbar& toolbar, int command, bool enabled)
{
    if (toolbar.m_hWnd)
        toolbar.SendMessage(TB_SETSTATE, static_cast<WPARAM>(command), MAKELONG(enabled ? TBSTATE_ENABLED : 0, 0));
}

void MainWindow::SetPaneText(int part, const CTString& text)
{
    if (m_statusbar.m_hWnd)
        m_statusbar.SetPaneText(part, text);
}

void MainWindow::LayoutCurrentPane()
{
    if (!m_current || !m_hWnd)
        return;
    RECT client = {}, status = {};
    GetClientRect(m_hWnd, &client);
    if (m_statusbar.m_hWnd)
        GetWindowRect(m_statusbar.m_hWnd, &status);
    int top = m_rebarHeight - 1;
    int bottom = client.bottom - (status.bottom - status.top);
    if (m_current->IsTabPane()) {
        m_tabs.SetVerticalExtent(top, bottom - top);
    } else {
        m_current->Move(0, top, client.right, bottom);
    }
}

void MainWindow::DeleteClosedPanes()
{
    while (CLinkedListObject* pane = m_closedPanes.GetHead())
        m_closedPanes.Delete(pane);
}

void MainWindow::SetTaskbarOverlay(bool on)
{
    ITaskbarList3* taskbar = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_ALL, IID_ITaskbarList3,
                                reinterpret_cast<void**>(&taskbar))) ||
        !taskbar)
        return;
    CTIcon icon;
    if (on)
        icon.LoadFromExe(179, 16);
    taskbar->SetOverlayIcon(m_hWnd, on ? icon.icon : nullptr, nullptr);
    taskbar->Release();
}

void MainWindow::ApplySearchFilterImage()
{
    int image = SearchFilterSettings::Instance().EnableTypeLimit ? m_filterOnImage : m_filterOffImage;
    if (m_rightToolbar.m_hWnd && image >= 0)
        m_rightToolbar.SendMessage(TB_CHANGEBITMAP, kCmdSearchFilter, MAKELPARAM(image, 0));
}

// ---------------------------------------------------------------------------------------------
// Window procedure

bool MainWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);

    if (g_taskbarButtonCreated && msg == g_taskbarButtonCreated) {
        OnTaskbarButtonCreated();
        return handled;
    }

    switch (msg) {
    case WM_DESTROY:
        KillTimer(m_hWnd, kKeepAliveTimer);
        m_search.Enable(false);
        SavePlacement(kPlacementValue);
        if (m_app) {
            for (const wchar_t* name : {L"download", L"request_count", L"ws_status", L"requests"})
                m_app->m_db.Unbind(CTString(name));
        }
        Unregister();
        return handled;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED)
            OnSize(wParam);
        return handled;
    case WM_ACTIVATE:
        if (m_app) {
            if (LOWORD(wParam) != WA_INACTIVE)
                m_app->m_windows.m_activeDialog = m_hWnd;
            else if (m_app->m_windows.m_activeDialog == m_hWnd)
                m_app->m_windows.m_activeDialog = nullptr;
        }
        return handled;
    case WM_SETFOCUS:
        if (m_current)
            m_current->SetFocus();
        return handled;
    case WM_SYSCOLORCHANGE:
        CTREngine::Instance()->BuildPalette();
        if (m_tabs.m_hWnd)
            m_tabs.SendMessage(WM_SYSCOLORCHANGE, wParam, lParam);
        if (m_current && m_current->GetHwnd())
            ::SendMessageW(m_current->GetHwnd(), WM_SYSCOLORCHANGE, wParam, lParam);
        return handled;
    case WM_WININICHANGE:
        CTREngine::Instance()->BuildPalette();
        return handled;
    case WM_SETCURSOR:
        if (CTApp::Instance()->m_waitCount > 0) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            *result = TRUE;
            return true;
        }
        return handled;
    case WM_ERASEBKGND:
        *result = 1;
        return true;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (item && m_statusbar.m_hWnd && item->hwndItem == m_statusbar.m_hWnd) {
            OnDrawItem(item);
            *result = TRUE;
            return true;
        }
        return handled;
    }
    case WM_TIMER:
        if (wParam == kKeepAliveTimer) {
            SendKeepAlive();
            *result = 0;
            return true;
        }
        return handled;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMQUERYSUSPEND && m_app)
            m_app->Logoff();
        *result = 0;
        return true;
    case WM_APPCOMMAND:
        if (m_app && m_app->m_connected && OnAppCommand(lParam)) {
            *result = 0;
            return true;
        }
        return handled;
    case WM_USER:
        *result = kIdentifyAnswer;
        return true;
    case kMsgClosePane:
        OnClosePaneMessage(static_cast<int>(wParam), static_cast<__int64>(lParam));
        *result = 0;
        return true;
    case kMsgShowPane:
        ShowConsole(static_cast<int>(wParam), static_cast<__int64>(lParam), false);
        *result = 0;
        return true;
    case kMsgDeleteClosed:
        // A reply may still be routed to a closed pane or window while requests are pending.
        if (m_app && m_app->m_db.GetBusyCount() == 0) {
            DeleteClosedPanes();
            m_app->m_windows.DeleteClosedWindows();
        }
        *result = 0;
        return true;
    default:
        break;
    }
    return handled;
}

void MainWindow::OnSize(WPARAM type)
{
    (void)type;
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    if (m_rebar.m_hWnd) {
        RECT rc = {};
        GetWindowRect(m_rebar.m_hWnd, &rc);
        int height = rc.bottom - rc.top + 1;
        if (height != m_rebarHeight) {
            m_rebarHeight = height;
            LayoutCurrentPane();
        }
        m_rebar.SetBandWidth(m_navBand, client.right);
    }
    if (m_tabs.m_hWnd)
        m_tabs.Layout();
    if (m_statusbar.m_hWnd)
        m_statusbar.SendMessage(WM_SIZE);
}

void MainWindow::OnDrawItem(DRAWITEMSTRUCT* item)
{
    m_statusbar.DrawItem(item);
}

bool MainWindow::OnAppCommand(LPARAM lParam)
{
    const int command = GET_APPCOMMAND_LPARAM(lParam);
    if (!m_signedIn && (command == APPCOMMAND_BROWSER_REFRESH || command == APPCOMMAND_BROWSER_SEARCH ||
                        command == APPCOMMAND_BROWSER_HOME))
        return true;
    switch (command) {
    case APPCOMMAND_BROWSER_BACKWARD:
        Back();
        return true;
    case APPCOMMAND_BROWSER_FORWARD:
        Forward();
        return true;
    case APPCOMMAND_BROWSER_REFRESH:
        ReloadAll();
        return true;
    case APPCOMMAND_BROWSER_SEARCH:
        ShowConsole(kConsoleSearch, 0, false);
        return true;
    case APPCOMMAND_BROWSER_HOME:
        ShowConsole(kConsoleDashboard, 0, false);
        return true;
    default:
        return false;
    }
}

void MainWindow::OnTaskbarButtonCreated()
{
    m_taskbar = IsWindows7OrLater();
    if (m_taskbar && !(m_app && m_app->m_connected))
        SetTaskbarOverlay(true);
}

void MainWindow::OnClosePaneMessage(int type, __int64 key)
{
    Back();
    CTWndConsole* pane = FindConsole(type, key);
    if (!pane) {
        CTWndMessageBox box;
        box.Show(m_hWnd, CTApp::Instance()->GetModule(), L"WM_CLOSEWINDOW", L"pWnd not found", MB_OK);
        return;
    }
    CloseConsole(pane->GetConsoleType(), pane->m_key);
}

void MainWindow::Back()
{
    if (!m_history.Back())
        return;
    PaneKey entry = *m_history.CursorOrLast();
    ShowConsole(entry.consoleType, entry.consoleKey, true);
}

void MainWindow::Forward()
{
    if (!m_history.Forward())
        return;
    PaneKey entry = *m_history.CursorOrLast();
    ShowConsole(entry.consoleType, entry.consoleKey, true);
}

// ---------------------------------------------------------------------------------------------
// Notifications and commands

bool MainWindow::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!hdr)
        return false;
    if (m_navToolbar.m_hWnd && hdr->hwndFrom == m_navToolbar.m_hWnd && m_navToolbar.OnReflectNotify(wParam, hdr, result))
        return true;

    if (m_tabs.m_hWnd && hdr->hwndFrom == m_tabs.m_hWnd && hdr->code == CTWndVTab::kNotifyChanging) {
        ShowPaneStatusText(PaneKey());
    } else if (hdr->hwndFrom == m_rightToolbar.m_hWnd && hdr->code == CTWndToolbar::kPaintedCode) {
        PaintNotificationBadge(hdr);
    } else if (hdr->code == TBN_DROPDOWN) {
        auto* drop = reinterpret_cast<NMTOOLBARW*>(hdr);
        if (drop->iItem == kCmdTools)
            ShowAccountMenu();
        else if (drop->iItem == kCmdSearchFilter)
            ShowSearchFilterDialog();
        else if (drop->iItem == kCmdNotifications)
            OnNotificationsDropDown();
    } else if ((hdr->code == TTN_GETDISPINFOW || hdr->code == TTN_GETDISPINFOA) &&
               hdr->idFrom == static_cast<UINT_PTR>(CTWndStatusbar::kControlId)) {
        ::SendMessageW(hdr->hwndFrom, TTM_SETMAXTIPWIDTH, 0, 300);
    } else if ((hdr->code == TTN_GETDISPINFOW) && m_statusbar.m_toolTip.m_hWnd &&
               hdr->hwndFrom == m_statusbar.m_toolTip.m_hWnd) {
        ::SendMessageW(hdr->hwndFrom, TTM_SETMAXTIPWIDTH, 0, 300);
        if (hdr->idFrom == kPartCertificate) {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(hdr);
            info->lpszText = const_cast<wchar_t*>(GetCertificateTip());
        }
    } else if (hdr->code == NM_CUSTOMDRAW && hdr->hwndFrom == m_rebar.m_hWnd) {
        auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(hdr);
        if (draw->dwDrawStage == CDDS_PREPAINT || draw->dwDrawStage == CDDS_PREERASE) {
            RECT rc = {};
            GetClientRect(m_rebar.m_hWnd, &rc);
            HBRUSH brush = CreateSolidBrush(ColourScheme::Get(*CGDIManager::Instance(), ColourScheme::TitleBar));
            FillRect(draw->hdc, &rc, brush);
            DeleteObject(brush);
            *result = CDRF_SKIPDEFAULT;
            return true;
        }
    } else if (hdr->code == NM_CUSTOMDRAW && hdr->hwndFrom == m_rightToolbar.m_hWnd) {
        auto* draw = reinterpret_cast<NMTBCUSTOMDRAW*>(hdr);
        if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT)
            draw->clrText = ColourScheme::Get(*CGDIManager::Instance(), ColourScheme::TitleBarText);
    }

    if (m_rightToolbar.m_hWnd && hdr->hwndFrom == m_rightToolbar.m_hWnd)
        return m_rightToolbar.OnReflectNotify(wParam, hdr, result);
    return false;
}

bool MainWindow::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    // The panes of a session open only within one: their buttons are disabled while nobody is
    // signed in, but keys and posted commands still arrive.
    switch (LOWORD(wParam)) {
    case kCmdHome:
    case kCmdSearch:
    case kCmdTasks:
    case kCmdRefresh:
    case kCmdDeployments:
    case kCmdNotices:
        if (!m_signedIn)
            return true;
        break;
    default:
        break;
    }
    switch (LOWORD(wParam)) {
    case kCmdHome:
        ShowConsole(kConsoleDashboard, 0, false);
        break;
    case kCmdForwardToPane:
        if (m_current && m_current->GetHwnd())
            PostMessageW(m_current->GetHwnd(), WM_COMMAND, wParam, lParam);
        break;
    case kCmdSearch: {
        // The search box has set its current text; the pane runs the search outside the history.
        ShowConsole(kConsoleSearch, 0, true);
        if (auto* pane = dynamic_cast<DlgSearch*>(FindConsole(kConsoleSearch, 0))) {
            CTString text;
            pane->Search(m_search.GetText(text));
        }
        break;
    }
    case kCmdTasks:
        ShowConsole(kConsoleTasks, 0, false);
        break;
    case kCmdRefresh:
        ReloadAll();
        break;
    case kCmdBack:
        Back();
        break;
    case kCmdSignOut:
        if (m_app)
            m_app->Logoff();
        break;
    case kCmdAbout:
        ShowConsole(kConsoleAbout, 0, false);
        break;
    case kCmdForward:
        Forward();
        break;
    case kCmdFocusSearch:
        if (GetActiveWindow() == m_hWnd && m_search.m_hWnd)
            ::SetFocus(m_search.m_hWnd);
        break;
    case kCmdDeployments:
        ShowConsole(kConsoleDeployments, 0, false);
        break;
    case kCmdNotices:
        ShowConsole(kConsoleWeb, m_homePage, false);
        break;
    case kCmdChangePassword:
        ShowConsole(kConsoleChangePassword, 0, false);
        break;
    case kCmdSetup:
        ShowConsole(kConsoleStructure, 0, false);
        break;
    case kCmdFeedback:
        OpenAsDesktopUser(kFeedbackAddress);
        break;
    case kCmdSupport:
        OpenSupportMail();
        break;
    default:
        break;
    }
    return false;
}
