// Sign-in, sign-out and the application's own result handler.
#include "app/App.h"
#include "calendars/model/DeploymentWin.h"
#include "app/MainWindow.h"

namespace {

// Windows that belong to a session; the import wizards of lists, the user-wizard variants 25 and 38,
// the site picker and the order wizards stay open across it.
const int kSignOutCloseOrder[] = {1, 35, 5, 3, 4, 6, 7, 9, 10, 27, 26, 11, 13, 12, 14, 29, 15, 16, 53, 50,
                                  28, 30, 31, 32, 33, 34, 36, 39, 40, 47, 49, 41, 42, 43, 46, 51, 52, 54};

RequestRoute SessionRoute(int requestId)
{
    RequestRoute route;
    route.requestId = requestId;
    route.silent = true;
    return route;
}

// A sign-in succeeded only when the server answered (HTTP 200) with a return code element of id 0.
bool IsSignedInReply(const RequestResult& result)
{
    if (result.resultCode != 0 || result.returnCode != 0)
        return false;
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    TiXmlElement* rc = root ? root->FirstChildElementNamed(L"RC") : nullptr;
    return rc && rc->GetAttribute(L"id");
}

} // namespace

void App::Logon(const CTString& server, const CTString& email, const CTString& password)
{
    if (m_connected)
        return;
    m_db.Connect(server);
    m_db.Bind(CTString(L"connection_open"), [](DB::DBEvent&) {});
    m_db.Bind(CTString(L"connection_recv"), [this](DB::DBEvent& event) { on_connection_recv(event); });
    BindRealtime();
    m_connected = true;
    m_server = server;
    m_db.Logon(email, password, SessionRoute(kReqLogon));
    RequestResult notice;
    notice.kind = kKindLogonSent;
    OnRequestResult(notice);
}

void App::BindRealtime()
{
    RealtimeHandlers::Hooks& hooks = m_realtime.m_hooks;
    hooks.ownerWindow = [this] { return m_mainHwnd.load(); };
    hooks.applySlotUpdate = [this](DB::Slot& slot, __int64& groupId) -> __int64 {
        for (auto& [group, entry] : m_deploymentWindows) {   // ascending group id
            if (int window = ApplySlotUpdateToReply(entry.document, slot)) {
                groupId = group;
                return window;
            }
        }
        return 0;
    };
    hooks.logoff = [this] { Logoff(); };
    m_realtime.Bind();
}

void App::Logoff()
{
    if (m_connected) {
        m_db.m_transport->Listen(L"ws_status", nullptr);
        m_db.m_transport->Listen(L"request_count", nullptr);
        m_db.m_transport->Listen(L"request_data_available", nullptr);
        m_db.m_transport->DropWaiting();
        m_db.SendRequest(L"POST", CTString(L"api/api_logoff.php"), CTString(DB::kFormContentType), nullptr,
                         SessionRoute(kReqLogoff));
    }
    m_realtime.m_retries = 0;
}

void App::EndSessionCaches()
{
    // Paths belong to the server that gave them.
    m_paths.clear();
}

void App::EndSession()
{
    for (int type : kSignOutCloseOrder)
        m_windows.CloseWindows(type, 0);
    m_db.Disconnect();
    m_dir.Clear();
    m_objects.Clear();
    m_objectRequests.DeleteAll();
    m_calendars.clear();
    m_webPages.clear();
    m_nextWebPage = 0;
    m_dayKeys.clear();
    m_nextDayKey = 1;
    m_keyedLists.clear();
    m_deploymentWindows.clear();
    EndSessionCaches();
    m_connected = false;
    m_signedIn = false;
    m_server.Empty();
    m_cookies.Clear();
    RequestResult notice;
    notice.route.requestId = kReqLogoff;
    m_windows.NotifyWindows(0, 0, &notice);
}

void App::OnRequestResult(RequestResult& result)
{
    if (result.kind == kKindLogonSent) {
        ShowConsole(kConsoleConnecting);
        result.route.consoleType = kConsoleConnecting;
        NotifyMain(result);
        return;
    }
    if (result.kind != kKindServerAnswer)
        return;

    switch (result.route.requestId) {
    case kReqObjectList:
        OnObjectListResult(result);
        break;
    case kReqLogon:
        if (!IsSignedInReply(result)) {
            ShowConsole(kConsoleConnecting);
            result.route.consoleType = kConsoleConnecting;
            NotifyMain(result);
            m_connected = false;
            m_db.Disconnect();
            EndSessionCaches();
            break;
        }
        m_signedIn = true;
        ResetImageLists();
        m_lookups.clear();
        m_calendars.clear();
        m_webPages.clear();
        m_nextWebPage = 0;
        EndSessionCaches();
        m_windows.NotifyWindows(0, 0, &result);
        result.route.consoleType = kConsoleConnect;
        NotifyMain(result);
        result.route.consoleType = kConsoleConnecting;
        NotifyMain(result);
        break;
    case kReqLogoff:
        EndSession();
        break;
    default:
        break;
    }
}
