#pragma once
// The handlers of the realtime channels and of the socket's end, bound by name in the server
// client's handler table at sign-in. They keep the directory cache current and reach the main
// window only through the window manager's notification; what only the application can do
// (the deployment-window reply cache, the web-page console, signing out) it plugs in as hooks.
// Everything runs on the user-interface thread.
#include <windows.h>
#include <functional>
#include "foundation/CTString.h"
#include "session/DB.h"
#include "session/RequestResult.h"

class Dir;

class RealtimeHandlers {
public:
    enum : int {
        kMainWindowType = 0xffff,
        kDashboardConsole = 1009,
        kScheduleGroupConsole = 1026,
        kRequestNewObject = 1099,
        kRequestSlot = 1102,
        kRequestEventAdded = 1103,
        kRequestEventUpdated = 1104,
    };
    static constexpr int kMaxReopens = 2;   // consecutive resets that reopen the socket

    struct Hooks {
        // Owner of the handlers' message boxes (the main window); null when there is none.
        std::function<HWND()> ownerWindow;
        // Offers a "slots" bag to the cached deployment-window replies in ascending group id; the
        // first that holds the window rewrites its figures and answers the window id (0: none)
        // with its group id.
        std::function<__int64(DB::Slot& slot, __int64& groupId)> applySlotUpdate;
        // Shows an HTML answer to the socket request as an error page headed by title.
        std::function<void(const CTString& body, const CTString& title)> showErrorPage;
        // Signs the session out.
        std::function<void()> logoff;
        // Delivers a record to the windows of a type and key; CWindowManager::NotifyWindows unless
        // replaced.
        std::function<void(int type, UINT64 key, RequestResult* record)> notify;
    };

    RealtimeHandlers(DB& db, Dir* dir);
    RealtimeHandlers(const RealtimeHandlers&) = delete;
    RealtimeHandlers& operator=(const RealtimeHandlers&) = delete;

    // Binds every handler under its name: "events", "slots", "dirupdates", "logupdates",
    // "ws_error", "connection_closed", "connection_error". DB::Connect empties the table, so this
    // comes after it.
    void Bind();

    void on_events(DB::DBEvent& event);
    void on_slots(DB::DBEvent& event);
    void on_dirupdates(DB::DBEvent& event);
    void on_logupdates(DB::DBEvent& event);
    void on_ws_error(DB::DBEvent& event);
    void on_connection_closed(DB::DBEvent& event);
    void on_connection_error(DB::DBEvent& event);

    // Whether a socket failure code means the connection was reset or aborted. Wine reports a reset
    // with the socket's WSAECONNRESET or as an invalid server response where Windows gives 12030;
    // an aborted connection comes as WSAECONNABORTED or ERROR_CONNECTION_ABORTED.
    static bool IsConnectionReset(__int64 error);

    Hooks m_hooks;
    int m_retries = 0;   // consecutive socket resets; 0 again after a "slots", "dirupdates" or "logupdates" message and at sign-out

private:
    void Notify(int consoleType, __int64 consoleKey, int requestId, __int64 param2, CDataString* body);
    void ShowBox(const CTString& text, const wchar_t* caption);
    HWND Owner();

    DB& m_db;
    Dir* m_dir = nullptr;
};
