// The main window against the fixture server under Xvfb: sign-in runs every start-up load, fills the
// caches and shows the toolbars, status bar and tab strip; sign-out returns to the logged-off state
// and stops the keep-alive. A picture of the signed-in window is kept in the build tree.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <functional>
#include <mutex>
#include <string>
#include <vector>
#include "app/App.h"
#include "app/AppWindows.h"
#include "app/CTWndConsole.h"
#include "app/MainWindow.h"
#include "framework/CTApp.h"
#include "framework/CTWndMessageBox.h"
#include "framework/MessageBoxAnswerer.h"
#include "session/FixtureServer.h"

namespace {

const fixture::Info& Server() { return fixture::Shared(); }

// Answers every message box with Cancel and keeps its text.
class BoxRecorder : public MessageBoxAnswerer {
public:
    BoxRecorder() { MessageBoxAnswerer::Install(this); }
    ~BoxRecorder() override { MessageBoxAnswerer::Install(nullptr); }
    void OnMessageBox(CTWndMessageBox& box, HWND) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        texts.push_back(box.m_text ? box.m_text : L"");
        box.Press(IDCANCEL);
    }
    std::mutex mutex;
    std::vector<std::wstring> texts;
};

std::vector<std::wstring> g_versionBoxes;

INT_PTR RecordVersionBox(HWND, const CTString& text, const CTString& caption, UINT)
{
    g_versionBoxes.push_back(std::wstring(caption.GetBuffer()) + L"|" + text.GetBuffer());
    return IDCANCEL;
}

// Runs the application's message loop until done holds or a minute has passed.
bool PumpUntil(App& app, const std::function<bool()>& done)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > 60000)
            return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            app.RouteMessage(msg);
        Sleep(5);
    }
    return true;
}

bool ButtonEnabled(CTWndToolbar& toolbar, int command)
{
    return (toolbar.SendMessage(TB_GETSTATE, command) & TBSTATE_ENABLED) != 0;
}

std::wstring WindowText(HWND hwnd)
{
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 255);
    return text;
}

// Copies the window from the screen into a 24-bit BMP file; answers how many distinct colours
// the picture holds (a blank or failed capture holds one).
size_t SaveScreenshot(HWND hwnd, const std::wstring& path)
{
    RECT rc = {};
    GetWindowRect(hwnd, &rc);
    int width = rc.right - rc.left, height = rc.bottom - rc.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY);
    GdiFlush();
    int stride = ((width * 3 + 3) / 4) * 4;
    std::vector<unsigned> colours;
    const BYTE* pixels = static_cast<const BYTE*>(bits);
    for (int y = 0; y < height && colours.size() < 16; y += 7)
        for (int x = 0; x < width && colours.size() < 16; x += 7) {
            const BYTE* p = pixels + y * stride + x * 3;
            unsigned colour = p[0] | p[1] << 8 | p[2] << 16;
            if (std::find(colours.begin(), colours.end(), colour) == colours.end())
                colours.push_back(colour);
        }
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
    file.bfSize = file.bfOffBits + stride * height;
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(out, &file, sizeof(file), &written, nullptr);
        WriteFile(out, &info.bmiHeader, sizeof(info.bmiHeader), &written, nullptr);
        WriteFile(out, bits, stride * height, &written, nullptr);
        CloseHandle(out);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return colours.size();
}

std::wstring ArtifactPath(const wchar_t* name)
{
    char dir[1024] = {};
    GetEnvironmentVariableA("QEL_BINARY_DIR", dir, sizeof(dir));
    std::wstring path = L"Z:" + fixture::Widen(dir) + L"\\artifacts";
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    CreateDirectoryW(path.c_str(), nullptr);
    return path + L"\\" + name;
}

} // namespace

TEST(MainWindow, SignInRunsTheStartUpLoadsAndSignOutReturnsToTheConnectPane)
{
    ASSERT_TRUE(Server().ok) << "fixture server not running (info.txt missing)";
    BoxRecorder boxes;
    MainWindow::s_versionBox = &RecordVersionBox;

    App app;
    RegisterAppWindows(app.m_catalogue);
    CTString title;
    title.LoadString(103, GetModuleHandleW(nullptr));
    CTApp::Instance()->Init(GetModuleHandleW(nullptr), L"", SW_SHOWNORMAL, title.GetBuffer());
    app.Init();
    MainWindow* main = app.m_mainWindow;
    ASSERT_NE(nullptr, main);
    HWND hwnd = main->m_hWnd;
    ASSERT_TRUE(IsWindow(hwnd));

    // Logged off: the connect pane, every navigation button disabled, About shown.
    ASSERT_NE(nullptr, main->m_current);
    EXPECT_EQ(MainWindow::kConsoleConnect, main->m_current->GetConsoleType());
    EXPECT_FALSE(ButtonEnabled(main->m_navToolbar, MainWindow::kCmdHome));
    EXPECT_FALSE(ButtonEnabled(main->m_navToolbar, MainWindow::kCmdRefresh));
    EXPECT_TRUE(ButtonEnabled(main->m_rightToolbar, MainWindow::kCmdAbout));
    EXPECT_EQ(0x534B006E, SendMessageW(hwnd, WM_USER, 0, 0));
    RECT window = {};
    GetWindowRect(hwnd, &window);
    EXPECT_GE(window.right - window.left, 530);
    EXPECT_GE(window.bottom - window.top, 570);

    CTString server;
    server.Format(L"https://127.0.0.1:%d", Server().httpsPort);
    std::wstring settings = L"Software\\TAVIK\\QEL\\Settings\\" + std::wstring(server.GetBuffer());
    RegDeleteTreeW(HKEY_CURRENT_USER, settings.c_str());
    app.Logon(server, CTString(L"admin@example.test"), CTString(L"secret"));
    ASSERT_TRUE(PumpUntil(app, [&] {
        return (main->GetStartupMask() & MainWindowCache::kStartupMask) == MainWindowCache::kStartupMask;
    })) << std::hex << main->GetStartupMask() << " connected " << app.m_connected << " admin "
        << main->m_cache.administrator.id << " boxes " << boxes.texts.size()
        << [&] { std::string all; for (auto& t : boxes.texts) all += std::string(t.begin(), t.end()) + " | "; return all; }();
    // The named queries and the socket token come back after the loads may have completed.
    PumpUntil(app, [&] { return !app.m_db.m_wsToken.IsEmpty() && app.m_db.GetBusyCount() == 0; });

    // The connect and connecting panes are closed; the dashboard was shown, then the What's New
    // page of this server version (once: the registry remembers it).
    EXPECT_EQ(nullptr, main->FindConsole(MainWindow::kConsoleConnect, 0));
    EXPECT_EQ(nullptr, main->FindConsole(MainWindow::kConsoleConnecting, 0));
    EXPECT_NE(nullptr, main->FindConsole(MainWindow::kConsoleDashboard, 0));
    ASSERT_NE(nullptr, main->m_current);
    EXPECT_EQ(MainWindow::kConsoleWeb, main->m_current->GetConsoleType());
    HKEY whatsNew = nullptr;
    DWORD seen = 0, size = sizeof(seen);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, (settings + L"\\WhatsNew").c_str(), 0, KEY_READ, &whatsNew));
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(whatsNew, L"7.1", nullptr, nullptr, reinterpret_cast<BYTE*>(&seen), &size));
    RegCloseKey(whatsNew);
    EXPECT_EQ(1u, seen);
    SendMessageW(hwnd, WM_COMMAND, MainWindow::kCmdBack, 0);
    EXPECT_EQ(MainWindow::kConsoleDashboard, main->m_current->GetConsoleType());

    // Buttons, search box, status bar and tab strip.
    for (int command : {MainWindow::kCmdHome, MainWindow::kCmdTasks, MainWindow::kCmdDeployments,
                        MainWindow::kCmdNotices, MainWindow::kCmdRefresh})
        EXPECT_TRUE(ButtonEnabled(main->m_navToolbar, command)) << command;
    EXPECT_TRUE(ButtonEnabled(main->m_rightToolbar, MainWindow::kCmdTools));
    EXPECT_TRUE(ButtonEnabled(main->m_rightToolbar, MainWindow::kCmdNotifications));   // requests are enabled
    EXPECT_TRUE(IsWindowEnabled(main->m_search.m_hWnd));
    EXPECT_TRUE(IsWindowVisible(main->m_navToolbar.m_hWnd));
    EXPECT_TRUE(IsWindowVisible(main->m_rightToolbar.m_hWnd));
    EXPECT_TRUE(IsWindowVisible(main->m_statusbar.m_hWnd));
    EXPECT_EQ(5, static_cast<int>(main->m_statusbar.m_panes.GetCount()));
    EXPECT_TRUE(IsWindow(main->m_tabs.m_hWnd));
    EXPECT_GE(main->m_tabs.m_pages.GetCount(), 9u);   // the setup panes of an administrator with setup rights

    // The title names the settings object, the administrator and the application.
    EXPECT_EQ(L"Fixture Server - admin - QEL", WindowText(hwnd));

    // The caches.
    Object type;
    EXPECT_EQ(22, main->GetTypeByName(type, CTString(L"deployment slot data")).type);
    EXPECT_TRUE(main->IsSubtypeOf(22, 12));
    // The session's helpers read the same caches.
    ASSERT_EQ(static_cast<MainWindowLookups*>(&main->m_lookups), MainWindowLookups::Installed());
    Object viaSession;
    EXPECT_EQ(22, MainWindowLookups::Installed()->GetTypeById(viaSession, 22).type);
    EXPECT_STREQ(server.GetBuffer(), MainWindowLookups::Installed()->GetServerText().GetBuffer());
    EXPECT_EQ(1u, main->m_cache.settings[MainWindowCache::Plugin].size());
    EXPECT_EQ(1u, main->m_cache.settings[MainWindowCache::RequestType].size());
    EXPECT_TRUE(main->m_cache.IsScheduleGroupLinked(50));
    EXPECT_EQ(6u, main->m_cache.deploymentStatuses.size());
    EXPECT_EQ(2u, main->m_cache.deploymentTypes.size());
    EXPECT_EQ(3u, main->m_cache.timeZones.ids.size());
    EXPECT_EQ(9, main->GetSystemFolderId(MainWindowCache::FolderUsers));
    EXPECT_EQ(105, main->GetSystemFolderId(MainWindowCache::FolderTags));
    EXPECT_FALSE(main->m_cache.lookupTree.empty());
    EXPECT_EQ(3, main->m_dataPointCount);
    EXPECT_TRUE(main->m_ouFlag);

    // The fixture names exactly this console's version: no version message.
    EXPECT_TRUE(g_versionBoxes.empty());

    // The socket request: its channels include the requests, the token is escaped.
    EXPECT_STREQ(L"dirupdates:events:slots:requests", app.m_db.m_wsChannels.GetBuffer());
    EXPECT_STREQ(L"tok%2ben/1", app.m_db.m_wsToken.GetBuffer());
    // ... and the socket is open on the server with them.
    const std::string socketPath = "/socket.io?channels=dirupdates:events:slots:requests&token=tok%2ben/1";
    EXPECT_TRUE(PumpUntil(app, [&] {
        return fixture::Control(Server(), L"GET", L"/control/ws_log").find("\"open\", \"data\": \"" + socketPath) != std::string::npos;
    })) << fixture::Control(Server(), L"GET", L"/control/ws_log");

    // Back and Forward walk the history.
    ASSERT_TRUE(main->ShowConsole(MainWindow::kConsoleTasks, 0, false));
    ASSERT_TRUE(main->ShowConsole(MainWindow::kConsoleDeployments, 0, false));
    SendMessageW(hwnd, WM_COMMAND, MainWindow::kCmdBack, 0);
    EXPECT_EQ(MainWindow::kConsoleTasks, main->m_current->GetConsoleType());
    SendMessageW(hwnd, WM_COMMAND, MainWindow::kCmdForward, 0);
    EXPECT_EQ(MainWindow::kConsoleDeployments, main->m_current->GetConsoleType());
    SendMessageW(hwnd, WM_COMMAND, MainWindow::kCmdHome, 0);
    EXPECT_EQ(MainWindow::kConsoleDashboard, main->m_current->GetConsoleType());

    // The picture of the signed-in window, kept in the build tree.
    SetForegroundWindow(hwnd);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpUntil(app, [start = GetTickCount()] { return GetTickCount() - start > 300; });
    EXPECT_GT(SaveScreenshot(hwnd, ArtifactPath(L"main-window-signed-in.bmp")), 3u);

    // Keep-alive: timer 1 runs while signed in.
    EXPECT_TRUE(KillTimer(hwnd, MainWindow::kKeepAliveTimer));
    SetTimer(hwnd, MainWindow::kKeepAliveTimer, MainWindow::kKeepAliveInterval, nullptr);

    app.Logoff();
    ASSERT_TRUE(PumpUntil(app, [&] { return !app.m_connected && main->GetStartupMask() == 0; }));
    EXPECT_FALSE(KillTimer(hwnd, MainWindow::kKeepAliveTimer));
    ASSERT_NE(nullptr, main->m_current);
    EXPECT_EQ(MainWindow::kConsoleConnect, main->m_current->GetConsoleType());
    EXPECT_EQ(1u, main->m_panes.GetCount());
    EXPECT_EQ(0u, main->m_tabs.m_pages.GetCount());
    EXPECT_FALSE(ButtonEnabled(main->m_navToolbar, MainWindow::kCmdHome));
    EXPECT_FALSE(ButtonEnabled(main->m_rightToolbar, MainWindow::kCmdTools));
    EXPECT_FALSE(IsWindowEnabled(main->m_search.m_hWnd));
    EXPECT_EQ(L"QEL", WindowText(hwnd));
    EXPECT_TRUE(main->m_cache.types.empty());
    EXPECT_EQ(0, main->m_cache.administrator.id);

    app.Exit();
    MainWindow::s_versionBox = nullptr;
}
