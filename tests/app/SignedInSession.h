#pragma once
// A whole application signed in to the fixture server, shared by the tests of one program: the
// start-up loads have completed and the server's version offer is declined.
#include <windows.h>
#include <functional>
#include "app/App.h"
#include "app/AppWindows.h"
#include "app/MainWindow.h"
#include "app/MainWindowCache.h"
#include "framework/CTApp.h"
#include "session/FixtureServer.h"

namespace signedin {

inline INT_PTR NoVersionBox(HWND, const CTString&, const CTString&, UINT)
{
    return IDCANCEL;
}

// Runs the application's message loop steps until done answers true or the time is up.
inline bool PumpUntil(App& app, const std::function<bool()>& done, DWORD limit = 30000)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limit)
            return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            app.RouteMessage(msg);
        Sleep(5);
    }
    return true;
}

// Waits until no request and no directory fetch is out, then lets posted work run.
inline void Settle(App& app)
{
    PumpUntil(app, [&] { return app.m_db.GetBusyCount() == 0 && app.m_dir.GetPendingCount() == 0; });
    PumpUntil(app, [start = GetTickCount()] { return GetTickCount() - start > 100; });
}

// A new application signed in as the fixture's administrator; null (with a failure) when the
// server is not running or the start-up loads do not complete.
inline App* SignIn()
{
    const fixture::Info& server = fixture::Shared();
    if (!server.ok) {
        ADD_FAILURE() << "fixture server not running (info.txt missing)";
        return nullptr;
    }
    MainWindow::s_versionBox = &NoVersionBox;
    App* app = new App();
    RegisterAppWindows(app->m_catalogue);
    CTString title;
    title.LoadString(103, GetModuleHandleW(nullptr));
    CTApp::Instance()->Init(GetModuleHandleW(nullptr), L"", SW_SHOWNORMAL, title.GetBuffer());
    app->Init();
    CTString address;
    address.Format(L"https://127.0.0.1:%d", server.httpsPort);
    app->Logon(address, CTString(L"admin@example.test"), CTString(L"secret"));
    MainWindow* main = app->m_mainWindow;
    if (!PumpUntil(*app, [&] {
            return (main->GetStartupMask() & MainWindowCache::kStartupMask) == MainWindowCache::kStartupMask;
        }, 60000))
        ADD_FAILURE() << "start-up loads did not complete";
    Settle(*app);
    return app;
}

// Signs out, ends and deletes the application.
inline void SignOut(App*& app)
{
    if (app) {
        app->Logoff();
        PumpUntil(*app, [&] { return !app->m_connected; });
        app->Exit();
        delete app;
        app = nullptr;
    }
    MainWindow::s_versionBox = nullptr;
}

} // namespace signedin
