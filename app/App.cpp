#include "app/App.h"
#include <ole2.h>
#include "app/MainWindow.h"
#include "calendars/model/WorkingDayCalendar.h"
#include "framework/CTApp.h"
#include "framework/CTRegKey.h"

UINT g_taskbarButtonCreated = RegisterWindowMessageW(L"TaskbarButtonCreated");

namespace {
App* g_app = nullptr;

constexpr UINT kRegistryPathString = 104;
constexpr UINT kTitleString = 103;

// Windows closed first when the process ends or the main window closes (pop-ups, pickers and
// wizards before forms), then every remaining one.
const int kExitCloseOrder[] = {3, 11, 13, 14, 15, 16, 53, 50, 28, 31, 32, 10, 27, 26, 33, 34,
                               36, 38, 39, 40, 47, 49, 41, 42, 43, 46, 51, 52, 54};
const int kCloseAllOrder[] = {3, 11, 13, 14, 15, 16, 53, 50, 28, 31, 32, 10, 27, 26, 33, 34, 6,
                              36, 38, 39, 40, 47, 49, 41, 42, 43, 46, 51, 52, 54};

CTString ConnectionPath(size_t index)
{
    CTString path;
    path.Format(L"Settings\\Connection_%d", static_cast<int>(index));
    return path;
}

// The full path below HKEY_CURRENT_USER of a sub-path of the settings root (string 104).
bool SettingsKeyPath(const wchar_t* subPath, HKEY& root, CTString& path)
{
    CTRegKey key(kRegistryPathString, nullptr, subPath);
    if (!key.m_root)
        return false;
    root = key.m_root;
    path = key.m_path;
    return true;
}
} // namespace

bool App::TextLess::operator()(const CTString& a, const CTString& b) const
{
    return lstrcmpW(a.GetBuffer() ? a.GetBuffer() : L"", b.GetBuffer() ? b.GetBuffer() : L"") < 0;
}

App::App()
{
    g_app = this;
    CWindowManager::Callbacks callbacks;
    callbacks.factory = &App::CreateWindowOfType;
    callbacks.event = &App::OnWindowEvent;
    callbacks.user = this;
    m_windows.SetCallbacks(callbacks);
    m_dir.SetServer(&m_dirServer);
    m_dir.SetNotifier([this](int type, UINT64 key, RequestResult* record) { m_windows.NotifyWindows(type, key, record); });
    m_richEdit = LoadLibraryW(L"RICHED32.DLL");
}

App::~App()
{
    if (m_richEdit)
        FreeLibrary(m_richEdit);
    if (m_largeImages)
        ImageList_Destroy(m_largeImages);
    if (m_smallImages)
        ImageList_Destroy(m_smallImages);
    m_largeImages = m_smallImages = nullptr;
    m_replies.DeleteAll();
    m_objectRequests.DeleteAll();
    m_appWnd.Destroy();
    if (g_app == this)
        g_app = nullptr;
}

App* App::Instance()
{
    return g_app;
}

HWND App::GetMainHwnd() const
{
    return m_mainHwnd.load();
}

CTString& App::GetBaseAddress(CTString& out) const
{
    out = m_db.m_baseUrl;
    return out;
}

int App::Init()
{
    OleInitialize(nullptr);

    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0x30B};
    InitCommonControlsEx(&controls);

    if (HMODULE kernel = LoadLibraryW(L"Kernel32.dll")) {
        using SetInfo = BOOL(WINAPI*)(HANDLE, HEAP_INFORMATION_CLASS, PVOID, SIZE_T);
        if (auto setInfo = reinterpret_cast<SetInfo>(GetProcAddress(kernel, "HeapSetInformation"))) {
            ULONG lowFragmentation = 2;
            setInfo(GetProcessHeap(), HeapCompatibilityInformation, &lowFragmentation, sizeof(lowFragmentation));
        }
        FreeLibrary(kernel);
    }

    m_uiThread = GetCurrentThreadId();

    bool windowFailed = !m_appWnd.Create(this);

    if (!m_largeImages)
        m_largeImages = ImageList_Create(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), ILC_COLOR32, 1, 1);
    if (!m_smallImages)
        m_smallImages = ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), ILC_COLOR32, 1, 1);

    ReadConnections();

    m_windows.OpenWindow(kMainWindowType, 0, 0);
    return windowFailed ? 1 : 0;
}

void App::CloseWindowTypes(const int* types, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        m_windows.CloseWindows(types[i], 0);
}

int App::Exit()
{
    CloseWindowTypes(kExitCloseOrder, sizeof(kExitCloseOrder) / sizeof(kExitCloseOrder[0]));
    m_windows.CloseAllWindows();
    m_windows.DeleteClosedWindows();
    Logoff();
    m_cookies.Clear();
    WriteConnections();
    m_appWnd.Destroy();
    OleUninitialize();
    return 0;
}

void App::CloseAll()
{
    CloseWindowTypes(kCloseAllOrder, sizeof(kCloseAllOrder) / sizeof(kCloseAllOrder[0]));
    m_windows.CloseAllWindows();
    m_cookies.Clear();
    PostQuitMessage(0);
}

void App::ReadConnections()
{
    m_connections.clear();
    CTRegKey settings(kRegistryPathString, nullptr, L"Settings");
    int count = static_cast<int>(settings.ReadDword(L"Connections", 0));
    for (int i = 0; i < count; ++i) {
        ServerConnection connection;
        connection.id = i;
        CTString path = ConnectionPath(static_cast<size_t>(i));
        CTRegKey key(kRegistryPathString, nullptr, path.GetBuffer());
        connection.Read(key);
        m_connections.push_back(connection);
    }
}

void App::WriteConnections()
{
    CTRegKey settings(kRegistryPathString, nullptr, L"Settings");
    settings.WriteDword(L"Connections", static_cast<DWORD>(m_connections.size()));
    for (size_t i = 0; i < m_connections.size(); ++i) {
        CTString path = ConnectionPath(i);
        CTRegKey key(kRegistryPathString, nullptr, path.GetBuffer());
        m_connections[i].Write(key);
    }
    // Keys of connections no longer in the list go, with the passwords saved in them.
    HKEY root = nullptr;
    CTString settingsPath;
    if (!SettingsKeyPath(L"Settings", root, settingsPath))
        return;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, settingsPath.GetBuffer(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    std::vector<CTString> stale;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const wchar_t* prefix = L"Connection_";
        size_t prefixLength = wcslen(prefix);
        if (_wcsnicmp(name, prefix, prefixLength) != 0 || !name[prefixLength])
            continue;
        wchar_t* end = nullptr;
        unsigned long number = wcstoul(name + prefixLength, &end, 10);
        if (*end || number < m_connections.size())
            continue;
        stale.push_back(CTString(name));
    }
    for (const CTString& child : stale)
        RegDeleteTreeW(key, child.GetBuffer());
    RegCloseKey(key);
}

bool App::RemoveConnection(size_t index)
{
    if (index >= m_connections.size())
        return false;
    m_connections.erase(m_connections.begin() + static_cast<ptrdiff_t>(index));
    for (size_t i = 0; i < m_connections.size(); ++i)
        m_connections[i].id = static_cast<int>(i);
    WriteConnections();
    return true;
}

void App::ShowConsole(int consoleType)
{
    if (m_mainWindow)
        m_mainWindow->ShowConsole(consoleType, 0, false);
}

void App::NotifyMain(RequestResult& result)
{
    m_windows.NotifyWindows(kMainWindowType, 0, &result);
}

bool App::RouteMessage(MSG& msg)
{
    CTApp* ctApp = CTApp::Instance();
    if (ctApp && ctApp->TranslateAccelerators(&msg))
        return false;

    if (!msg.hwnd && msg.message == kMsgTransportFailed) {
        if (m_signedIn) {
            // A session ended by a failed request (the sign-out's own among them, when the server is
            // gone) ends as a sign-out does, or the window would stay live with nobody signed in.
            EndSession();
        } else {
            m_connected = false;
            m_db.Disconnect();
            EndSessionCaches();
            ShowConsole(kConsoleConnect);
        }
    }

    if (msg.message >= WM_KEYDOWN && msg.message <= WM_UNICHAR && msg.wParam != VK_BACK &&
        !(msg.wParam >= VK_LEFT && msg.wParam <= VK_DOWN)) {
        RequestResult forward;
        forward.route.consoleType = kConsoleWeb;
        forward.route.requestId = kReqKeyForward;
        forward.attached = &msg;
        NotifyMain(forward);
    }

    if (ctApp && ctApp->TranslateAccelerators(&msg))
        return false;

    // The active dialog's own keys, then a closed window named by a WM_USER thread message.
    if (m_windows.PreTranslateMessage(&msg))
        return false;

    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

int App::Run()
{
    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        RouteMessage(msg);
    return static_cast<int>(msg.wParam);
}

int AppMain(App& app, HINSTANCE instance, const wchar_t* commandLine, int showCommand)
{
    CTApp* ctApp = CTApp::Instance();
    MSG peek;
    PeekMessageW(&peek, nullptr, 1024, 1024, PM_NOREMOVE);

    CTString title;
    title.LoadString(kTitleString, instance);
    ctApp->Init(instance, commandLine, showCommand, title.GetBuffer() ? title.GetBuffer() : L"");
    // Due statuses and working-day counts follow each item's own calendar.
    InstallProjectCalendars(CalendarCache::Instance());

    int failed = app.Init();
    if (failed) {
        app.Exit();
        return failed;
    }
    int code = app.Run();
    app.Exit();
    return code;
}
