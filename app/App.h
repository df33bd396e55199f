#pragma once
// The process's one application object. It owns the shared services every window calls: the
// window manager with the application's window factory, the server client and the directory cache,
// the reply queue and the reply pump, the icon, path, lookup and object caches, the application
// tables, the session cookies, the saved server connections and the hidden message window.
//
// Everything runs on the user-interface thread except App::on_connection_recv and
// App::dbresult::CheckStatus, which run on the transport's worker thread and reach the
// user-interface thread only through the locked reply queue and message 1056 to AppWnd.
#include <windows.h>
#include <commctrl.h>
#include <atomic>
#include <functional>
#include <list>
#include <map>
#include <vector>
#include "app/AppWnd.h"
#include "app/ServerConnection.h"
#include "app/WindowCatalogue.h"
#include "foundation/CAttribute.h"
#include "foundation/CAttributes.h"
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "foundation/TiXmlDocument.h"
#include "framework/CWindowManager.h"
#include "session/DB.h"
#include "session/Dir.h"
#include "session/DirDbServer.h"
#include "session/Object.h"
#include "session/ObjectBranch.h"
#include "session/RealtimeHandlers.h"
#include "session/RequestResult.h"
#include "session/RequestRoute.h"

class MainWindow;
class CTImage;
class CTListCtrlReport;

// The window message "TaskbarButtonCreated", registered before the entry function runs.
extern UINT g_taskbarButtonCreated;

class App {
public:
    // Messages and thread messages of the application.
    enum : UINT {
        kMsgResultsQueued = 1056,   // to AppWnd: a reply is queued
        kMsgNoop = 1034,            // to AppWnd: nothing
        kMsgDeleteClosed = 1057,    // to the main window: delete closed windows when idle
        kMsgTransportFailed = 1058, // thread message: the session's transport failed
    };
    enum : int {
        kMainWindowType = 0xffff,
        kConsoleConnect = 1000,
        kConsoleConnecting = 1001,
        kConsoleWeb = 1040,
    };
    // Request ids the application handles itself.
    enum : int {
        kReqObjectList = 1001,
        kReqKeyedListReady = 1017,
        kReqIcon = 1022,
        kReqPathFirst = 1028,
        kReqPathLast = 1034,
        kReqLogon = 1041,
        kReqLogoff = 1042,
        kReqObjectSave = 1051,
        kReqObjectDelete = 1057,
        kReqDeploymentWindows = 1063,
        kReqCommsList = 1074,
        kReqLookup = 1075,
        kReqKeyForward = 1085,
        kReqKeyedListEmptied = 1093,
    };
    // Result kinds App::OnRequestResult tells apart.
    enum : int { kKindLogonSent = 1, kKindServerAnswer = 4 };

    // One received reply waiting for the user-interface thread.
    class dbresult : public CLinkedListObject {
    public:
        CTString path;
        RequestResult result;
        HWND owner = nullptr;   // owner of the boxes shown on the worker thread

        // The HTTP status check and the XML parse; worker thread.
        void CheckStatus();
    };

    // One App::RequestObjects call waiting for the server.
    class deployableReq : public CLinkedListObject {
    public:
        RequestRoute route;
        std::vector<__int64> ids;
    };

    // Orders CAttribute keys by the attribute's own comparison.
    struct AttributeLess {
        bool operator()(const CAttribute& a, const CAttribute& b) const { return a.IsLess(b); }
    };
    struct TextLess {
        bool operator()(const CTString& a, const CTString& b) const;   // lstrcmpW
    };

    // A lookup list or named list, shared by every window that asks for it.
    struct LookupItem {
        CAttribute value;
        CTString text;
    };
    struct LookupEntry {
        std::vector<RequestRoute> waiting;
        std::map<int, LookupItem> items;   // by sequence number from 1
        bool loaded = false;
        bool requested = false;
        CTString display;
        int number = 0;                    // the entry's own identity, carried by its request
    };
    using LookupCache = std::map<CAttribute, LookupEntry, AttributeLess>;
    using LookupList = std::map<CAttribute, CTString, AttributeLess>;

    // A page registered for the embedded browser.
    struct WebPage {
        CTString address;
        CTString first;
        CTString second;
        int kind = 0;
        __int64 key = 0;
    };
    // The last deployment-window reply of a schedule group and the routes still waiting for one.
    struct DeploymentWindowEntry {
        TiXmlDocument document;
        std::vector<RequestRoute> routes;
        bool outstanding = false;
    };

    // Members, in the order they are built.
    WindowCatalogue m_catalogue;       // what builds each pane and window type; filled before Init
    CWindowManager m_windows;
    DB m_db;
    Dir m_dir;
    DirDbServer m_dirServer{m_db};
    bool m_connected = false;
    bool m_signedIn = false;           // from the accepted sign-in to the end of the session
    CTString m_server;                 // the current session's server text; empty when signed out
    MainWindow* m_mainWindow = nullptr;   // not owned
    std::atomic<HWND> m_mainHwnd{nullptr};  // its handle, for the worker thread's boxes
    AppWnd m_appWnd;
    DWORD m_uiThread = 0;
    std::map<CTString, int, TextLess> m_iconNames;
    HIMAGELIST m_largeImages = nullptr;
    HIMAGELIST m_smallImages = nullptr;
    std::map<__int64, CTString> m_paths;
    LookupCache m_lookups;
    int m_nextLookupNumber = 1;
    CLinkedListMT m_replies;           // of dbresult
    HMODULE m_richEdit = nullptr;
    __int64 m_popupKey = 1;            // window type 3
    __int64 m_pickerKey = 1;           // window types 11, 13, 15, 16, 34, 37, 53
    __int64 m_treePickerKey = 1;       // window type 15
    std::vector<ServerConnection> m_connections;
    bool m_autoConnect = false;
    ObjectBranch m_objects;
    CLinkedListMT m_objectRequests;    // of deployableReq
    std::map<__int64, CTString> m_calendars;   // working-day calendars by object id
    std::map<__int64, WebPage> m_webPages;
    __int64 m_nextWebPage = 0;
    std::map<CTString, __int64, TextLess> m_dayKeys;
    std::map<__int64, std::vector<Object>> m_keyedLists;
    __int64 m_nextDayKey = 1;
    std::map<unsigned, DeploymentWindowEntry> m_deploymentWindows;
    RealtimeHandlers m_realtime{m_db, &m_dir};   // the realtime channels' handlers and socket retry counter
    CAttributes m_cookies;

    App();
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // The application object of the process (the last one built).
    static App* Instance();

    // Lifecycle.
    int Init();
    int Exit();
    void CloseAll();
    // Runs the message loop until WM_QUIT; returns the quit message's wParam.
    int Run();
    // One message through the loop's steps; false when the message was consumed before dispatch.
    bool RouteMessage(MSG& msg);

    // Saved connections, under the key formed from string 104 with "Settings".
    void ReadConnections();
    void WriteConnections();
    // Removes a connection from the list and its registry key with it.
    bool RemoveConnection(size_t index);

    // Reply pump.
    void on_connection_recv(DB::DBEvent& event);
    void ProcessResults();
    // Queues one reply as the worker does; for the pump's own tests and for results built here.
    void QueueResult(dbresult* record);

    // Window factory and window events.
    static CWindowManager::CWindow* CreateWindowOfType(void* user, int type, UINT64 key);
    static void OnWindowEvent(void* user, CWindowManager::CWindow* window, int code, void* param);

    // Icon and path caches.
    int FindIcon(const CTString& name);
    int AddIcon(const CTString& name, const RequestRoute& routeTemplate);
    HICON GetIcon(int sizeKind, const CTString& name, const RequestRoute& routeTemplate);
    bool GetCachedPath(__int64 id, CTString& text);
    void IDToPath(__int64 id, const RequestRoute& route);
    void IDsToPaths(std::vector<__int64>& ids, const RequestRoute& route);
    // Both lists emptied and the fixed images 0 (icon 2) and 1 (icon 161) put back.
    void ResetImageLists();

    // Sign-in and sign-out.
    void Logon(const CTString& server, const CTString& email, const CTString& password);
    // Binds the realtime channels' handlers (after DB::Connect, which empties the table) with what
    // only the application does for them: the boxes' owner, the cached deployment-window replies
    // and signing out.
    void BindRealtime();
    void Logoff();
    void OnRequestResult(RequestResult& result);

    // Lookup lists, named lists, object lists, deletions and data points.
    bool ParseLookup(const CTString& key, const CTString& lookup, LookupList& out, const RequestRoute& route);
    bool GetCommsList(const CAttribute& name, LookupList& out, const RequestRoute& route);
    void OnLookupResult(RequestResult& reply);
    void OnCommsListResult(TiXmlDocument& document);
    void RequestObjects(const std::vector<__int64>& ids, const RequestRoute& route);
    void OnObjectListResult(RequestResult& reply);
    void OnDeleteResult(RequestResult& reply);
    // route: the asking pane's, so that closing the pane cancels the fetch with it.
    void LoadDataPointList(__int64 id, int image, CTListCtrlReport* list, const RequestRoute& route);

    // Application tables.
    __int64 GetDayKeyId(const CTString& prefix, __int64 time, __int64 number);
    void SetKeyedList(__int64 key, const std::vector<Object>& list);
    void RemoveFromKeyedList(__int64 key, __int64 objectId);
    __int64 RegisterWebPage(__int64 key, int kind, const CTString& page, const CTString& first, const CTString& second);
    void GetWebPageField(CTString& out, __int64 handle, int which);
    void GetDeploymentWindowsCached(unsigned groupId, const RequestRoute& route);
    void OnDeploymentWindowResult(RequestResult& reply);
    void DropDeploymentWindowCache(unsigned groupId);
    // route: the asking window's, so that closing it cancels the fetch and the callback with it.
    void FetchObjectsThen(__int64 userId, const std::vector<__int64>& principals, std::function<void(bool)> callback,
                          const RequestRoute& route = RequestRoute());

    // The main window's handle, or null.
    HWND GetMainHwnd() const;
    // The base address of the session (the server client's base URL).
    CTString& GetBaseAddress(CTString& out) const;

private:
    void ShowConsole(int consoleType);
    void NotifyMain(RequestResult& result);
    void EndSessionCaches();
    // Back to signed out: session windows closed, server client disconnected, session caches
    // emptied, and every window told (request id 1042) so the main window shows its signed-out state.
    void EndSession();
    LookupEntry& FindOrAddLookup(const CAttribute& key);
    // A loaded entry fills out and answers true; otherwise the route waits on the entry.
    bool ServeOrWait(const CAttribute& key, LookupList& out, const RequestRoute& route, LookupEntry*& entry);
    void TellWaiting(LookupEntry& entry, const CAttribute& key);
    void DeliverObjects(const RequestRoute& route, const std::vector<__int64>& ids);
    void StoreIconPicture(RequestResult& reply);
    static HBITMAP MakeListBitmap(const CTImage& picture, int cx, int cy);
    void StorePaths(TiXmlDocument& document);
    void CloseWindowTypes(const int* types, size_t count);
};

// The Windows GUI entry point's body: CTApp set-up, App::Init, the loop, App::Exit.
int AppMain(App& app, HINSTANCE instance, const wchar_t* commandLine, int showCommand);
