// The main window's side of a session: sign-in and sign-out, the start-up loads, the dispatch of the
// replies routed to window type 0xffff, the named queries, the socket token, the version check and
// the keep-alive.
#include "app/MainWindow.h"

#include <list>
#include <memory>
#include "app/App.h"
#include "app/CTWndConsole.h"
#include "app/ColourScheme.h"
#include "controls/CGDIManager.h"
#include "foundation/CDataString.h"
#include "foundation/CFileVersion.h"
#include "framework/CTApp.h"
#include "framework/CTRegKey.h"
#include "framework/CTWndMessageBox.h"
#include "session/DBEvents.h"

namespace {

// The version-check box: a warning or information box whose OK button reads "Download".
class DownloadBox : public CTWndMessageBox {
public:
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        bool handled = CTWndMessageBox::OnMessage(msg, wParam, lParam, result);
        if (msg == WM_INITDIALOG)
            SetDlgItemTextW(m_hWnd, IDOK, L"Download");
        return handled;
    }
};

INT_PTR ShowVersionBox(HWND owner, const CTString& text, const CTString& caption, UINT type)
{
    DownloadBox box;
    return box.Show(owner, CTApp::Instance()->GetModule(), text.GetBuffer(), caption.GetBuffer(), type);
}

TiXmlElement* FirstResult(TiXmlDocument& doc)
{
    return doc.FirstChildElementNamed(L"result");
}

// The first "value" element of the first "result" of a named query's reply; null unless the reply
// is a successful XML reply.
TiXmlElement* QueryValue(DB::DBEvent& reply, TiXmlDocument& doc)
{
    if (reply.ReadXmlReply(doc) != 2)
        return nullptr;
    TiXmlElement* result = FirstResult(doc);
    return result ? result->FirstChildElementNamed(L"value") : nullptr;
}

int DecimalAttribute(TiXmlElement* element, const wchar_t* name)
{
    return element ? ReadDecimal32(element->GetAttribute(name)) : 0;
}

CTString Text(const wchar_t* text)
{
    return CTString(text);
}

} // namespace

MainWindow::VersionBoxFn MainWindow::s_versionBox = &ShowVersionBox;

// ---------------------------------------------------------------------------------------------
// Reply dispatch

void MainWindow::RouteToPanes(RequestResult* reply)
{
    for (CLinkedListObject* item = m_panes.GetHead(); item;) {
        CLinkedListObject* next = item->m_next;
        auto* pane = static_cast<CTWndConsole*>(item);
        if (pane->Matches(reply->route.consoleType, reply->route.consoleKey)) {
            pane->OnReply(*reply);
            if (reply->route.consoleKey != 0)
                break;
        }
        item = next;
    }
}

void MainWindow::OnResult(RequestResult* reply)
{
    if (!reply)
        return;
    if (reply->route.consoleType != 0) {
        RouteToPanes(reply);
        return;
    }
    const RequestRoute& route = reply->route;
    bool ok = reply->returnCode == 0;
    switch (route.requestId) {
    case kReqBusy:
        for (CLinkedListObject* item = m_panes.GetHead(); item; item = item->m_next) {
            auto* pane = static_cast<CTWndConsole*>(item);
            if (pane->GetHwnd() && ::IsWindow(pane->GetHwnd()))
                pane->OnReply(*reply);
        }
        break;
    case kReqSettingsId:
        if (ok) {
            TiXmlElement* result = FirstResult(reply->document);
            TiXmlElement* value = result ? result->FirstChildElementNamed(L"value") : nullptr;
            m_cache.systemSettings.id = value ? ReadDecimal64(value->GetAttribute(L"id")) : 0;
            if (m_cache.systemSettings.id != 0 && m_app) {
                RequestRoute next{kWindowType, m_key, 0, 0, kReqObject, MainWindowCache::LoadSystemSettings, false};
                m_app->m_db.ObjGet(static_cast<unsigned>(m_cache.systemSettings.id), false, false, next);
            }
        }
        break;
    case kReqTemplates:
        if (ok) {
            m_cache.ReadTemplates(reply->document);
            RequestResult loaded;
            loaded.route.requestId = kReqTemplatesLoaded;
            loaded.route.targetType = 6;
            if (m_app)
                m_app->m_windows.NotifyWindows(0, 0, &loaded);
        }
        break;
    case kReqLogon:
        if (reply->resultCode == 0)
            OnLoggedOn(reply);
        break;
    case kReqLogoff:
        OnLoggedOff();
        break;
    case kReqKeepAlive:
        if (reply->returnCode == 1245)
            PostMessageW(m_hWnd, WM_COMMAND, kCmdSignOut, 0);
        break;
    case kReqSocketToken:
        OpenRealtimeChannel(reply);
        break;
    case kReqSearch:
        if (!ok)
            break;
        if (route.param2 >= 0 && route.param2 <= 2) {
            m_cache.ReadLinks(static_cast<int>(route.param2), reply->document);
        } else if (route.param2 == 2048) {
            m_requests.pending.clear();
            m_cache.ReadSettingObjects(reply->document, [this](const Object& obj) {
                if (m_app)
                    m_app->m_dir.StoreObject(obj, 0);
            });
            MarkStartupLoad(MainWindowCache::LoadSettingObjects);
        }
        break;
    case kReqTypes:
        if (ok && route.param2 == MainWindowCache::LoadTypes) {
            m_cache.ReadTypes(reply->document);
            MarkStartupLoad(MainWindowCache::LoadTypes);
            if (m_app) {
                RequestRoute next{kWindowType, m_key, 0, 0, kReqSettingsId, MainWindowCache::LoadSystemSettings, false};
                m_app->m_db.DirPathToID({CTString(L"\\System\\Settings")}, next);
            }
        }
        break;
    case kReqObject:
        if (route.param2 == MainWindowCache::LoadSystemSettings) {
            ReadSystemSettings(reply);
        } else if (route.param2 == MainWindowCache::LoadDeploymentTypes || route.param2 == MainWindowCache::LoadSlotData ||
                   route.param2 == MainWindowCache::LoadStatuses) {
            m_cache.ReadSystemFolder(route.param2, reply->document);
            MarkStartupLoad(static_cast<DWORD>(route.param2));
        }
        break;
    case kReqLocales:
        if (reply->kind == RequestResult::KindServerAnswer && reply->resultCode == 0)
            ReadLanguages(reply);
        break;
    case kReqTimeZones:
        m_cache.ReadTimeZones(reply->document);
        MarkStartupLoad(static_cast<DWORD>(route.param2));
        break;
    case kReqNewObject:
        ReadNewObject(reply);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Sign-in and sign-out

void MainWindow::OnLoggedOn(RequestResult* reply)
{
    // 1. The dashboard is due once the loads complete; the socket is not open yet.
    m_signedIn = true;
    m_homePending = true;
    m_socketStatus = 0;
    ShowServerStatus();

    // 2. The server client's indicators.
    if (m_app) {
        DB& db = m_app->m_db;
        db.Bind(Text(L"download"), [this](DB::DBEvent& event) { on_download(event); });
        db.Bind(Text(L"request_count"), [this](DB::DBEvent& event) { on_request_count(event); });
        db.Bind(Text(L"ws_status"), [this](DB::DBEvent& event) { on_ws_status(event); });
        db.Bind(Text(L"requests"), [this](DB::DBEvent& event) { on_requests(event); });
    }

    // 3. Buttons.
    SetButtonEnabled(m_rightToolbar, kCmdTools, true);
    SetButtonEnabled(m_rightToolbar, kCmdSearchFilter, true);
    if (m_rightToolbar.m_hWnd)
        m_rightToolbar.SendMessage(TB_HIDEBUTTON, kCmdAbout, MAKELONG(TRUE, 0));
    for (int command : {kCmdHome, kCmdTasks, kCmdDeployments, kCmdNotices, kCmdRefresh})
        SetButtonEnabled(m_navToolbar, command, true);
    m_idle = true;

    // 4. The search box and its filter for this connection.
    CTString server = m_app ? m_app->m_server : CTString();
    SearchFilterSettings::Instance().Load(server);
    m_search.m_server = server;
    m_search.Enable(true);
    ApplySearchFilterImage();

    // 5. The certificate indicator.
    UpdateCertificateIndicator();

    // 6. The home page.
    m_cache.loaded = 0;
    if (m_app)
        m_homePage = m_app->RegisterWebPage(0, 0, CTString(L"pageHome/pageHome.php"), CTString(), CTString());

    // 7. The administrator, the queries and the setup panes.
    TiXmlElement* result = reply ? FirstResult(reply->document) : nullptr;
    TiXmlElement* admin = result ? result->FirstChildElementNamed(L"object") : nullptr;
    if (admin) {
        m_cache.administrator.ReadFromXml(admin, true);
        AskNamedQuery(L"IsRequestV4Enabled", &MainWindow::ReadRequestV4Enabled);
        if (HasSetupRights()) {
            const int panes[][2] = {{1017, 0}, {1020, 1}, {1021, 2}, {1022, 3}, {1041, 5},
                                    {1016, 6}, {1024, 7}, {1042, 10}, {1015, 11}};
            for (const auto& pane : panes)
                GetConsole(pane[0], 0, pane[1]);
            AskNamedQuery(L"IsReportV3Enabled", &MainWindow::ReadReportV3Enabled);
            AskNamedQuery(L"IsReportV4Enabled", &MainWindow::ReadReportV4Enabled);
            AskNamedQuery(L"GetTitleBarColours", &MainWindow::ReadTitleBarColours);
            AskNamedQuery(L"GetDataPointCount", &MainWindow::ReadDataPointCount);
            if (m_cache.administrator.GetPrivilege(CTString(L"SuperUser")))
                GetConsole(kConsoleSettings, 0, 20);
        }
    }

    // 8. and 9.
    ClearHistory();
    if (m_taskbar)
        SetTaskbarOverlay(false);

    // 10. The start-up loads, 11. the keep-alive.
    ReloadAll();
    SetTimer(m_hWnd, kKeepAliveTimer, kKeepAliveInterval, nullptr);
}

void MainWindow::OnLoggedOff()
{
    m_signedIn = false;
    // 1. The default colours.
    if (ColourScheme::RestoreDefaults(*CGDIManager::Instance()))
        ApplySchemeChange();

    // 2. Buttons.
    SetButtonEnabled(m_rightToolbar, kCmdTools, false);
    SetButtonEnabled(m_rightToolbar, kCmdSearchFilter, false);
    SetButtonEnabled(m_rightToolbar, kCmdNotifications, false);
    if (m_rightToolbar.m_hWnd)
        m_rightToolbar.SendMessage(TB_HIDEBUTTON, kCmdAbout, MAKELONG(FALSE, 0));
    for (int command : {kCmdHome, kCmdTasks, kCmdDeployments, kCmdNotices, kCmdRefresh})
        SetButtonEnabled(m_navToolbar, command, false);
    m_idle = false;
    m_dataPointCount = 0;

    // 3. The wait cursor.
    if (m_busy) {
        m_busy = false;
        CTApp::Instance()->AddWaitCursor(-1);
    }

    // 4. The search box and its filter.
    m_search.Enable(false);
    SearchFilterSettings::Instance().Save(m_search.m_server);

    // 5. The status bar.
    SetPaneText(kPartPending, CTString());
    SetPaneText(kPartDownload, CTString());
    if (m_statusbar.m_hWnd) {
        m_statusbar.SetFourthPaneIcon(CTWndStatusbar::IconRecord{0, nullptr});
        m_statusbar.SetThirdPaneWidth(0);
    }
    ForgetPaneStatusTexts();

    // 6. The taskbar overlay.
    if (m_taskbar)
        SetTaskbarOverlay(true);

    // 7. Every pane goes, the connect pane comes back.
    DeletePanesExceptCurrent();
    if (m_app)
        m_app->m_dir.UnsubscribeWindow(kWindowType, 0);
    ClearHistory();
    ShowConsole(kConsoleConnect, 0, false);
    DeletePanesExceptCurrent();
    // Showing the connect pane recorded the session's last pane: nothing of it is left to go back to.
    ClearHistory();

    // 8. History buttons and title.
    SetButtonEnabled(m_navToolbar, kCmdBack, false);
    SetButtonEnabled(m_navToolbar, kCmdForward, false);
    const CTString& title = CTApp::Instance()->GetName();
    SetWindowText(title.GetBuffer() ? title.GetBuffer() : L"");

    // 9. Caches and flags.
    m_cache.Clear();
    m_requests.Clear();
    UpdateNotificationBadge();
    m_reportsV3 = m_reportsV4 = m_ouFlag = m_requestsV4 = false;
    m_homePage = 0;
    m_homePending = false;

    // 10. Keep-alive and socket state.
    KillTimer(m_hWnd, kKeepAliveTimer);
    m_socketStatus = 0;
    SetPaneText(kPartServer, CTString());
}

// ---------------------------------------------------------------------------------------------
// Start-up loads

bool MainWindow::GetTemplates(std::vector<Object>& out)
{
    if (m_cache.GetTemplates(out))
        return true;
    // Loaded on first demand: reply 1036 fills the cache and tells every window (1086) to ask again.
    if (m_app) {
        CTString lookup;
        lookup.Format(L"TYPE='%s'", L"Template");
        RequestRoute route{kWindowType, m_key, 0, 0, kReqTemplates, 0, false};
        m_app->m_db.DirGetLookup(static_cast<unsigned>(m_cache.folderIds[MainWindowCache::FolderTemplates]), lookup,
                                 route);
    }
    return false;
}

void MainWindow::ReloadAll()
{
    SetButtonEnabled(m_navToolbar, kCmdRefresh, false);
    // The pending-request display enables Refresh again once nothing is pending.
    m_idle = false;
    if (m_app) {
        m_app->m_paths.clear();
        m_app->m_lookups.clear();
        m_app->m_objects.Clear();
        while (CLinkedListObject* request = m_app->m_objectRequests.GetHead())
            m_app->m_objectRequests.Delete(request);
        m_app->m_calendars.clear();
        m_app->m_deploymentWindows.clear();
        m_app->m_dir.Clear();
    }
    StartStartupLoads();
}

void MainWindow::StartStartupLoads()
{
    m_cache.loaded = 0;
    if (!m_app)
        return;
    DB& db = m_app->m_db;

    CAttributes folders;
    CTString paths;
    for (int i = 0; i < MainWindowCache::FolderCount; ++i) {
        if (i)
            paths.AppendChar(DB::kPathJoiner);
        paths.AppendText(MainWindowCache::kFolderPaths[i]);
    }
    folders.SetText(Text(L"PATH"), paths);
    db.Post(Text(L"api/api_dirPathToID.php"), folders, [this](DB::DBEvent& e) { OnSystemFoldersReply(e); });

    CAttributes tree;
    tree.SetText(Text(L"TYPE"), Text(L"ALL"));
    tree.SetNumber(Text(L"PARENTS"), 1);
    db.Post(Text(L"api/api_dirGetLookupTree.php"), tree, [this](DB::DBEvent& e) { OnLookupTreeReply(e); });

    CAttributes groups;
    groups.SetText(Text(L"PATH"), Text(L"\\System\\Groups"));
    groups.SetNumber(Text(L"CHILDREN"), 1);
    db.Post(Text(L"api/api_objGet.php"), groups, [this](DB::DBEvent& e) { OnGroupsReply(e); });

    CAttributes requests;
    requests.SetText(Text(L"PARAM"), Text(L"ALL"));
    db.Post(Text(L"api/api_qelRequestQuery.php"), requests, [this](DB::DBEvent& e) { OnRequestsReply(e); });

    const struct {
        const wchar_t* path;
        DWORD bit;
    } folderLoads[] = {{L"\\System\\DeploymentTypes", MainWindowCache::LoadDeploymentTypes},
                       {L"\\System\\DeploymentSlots", MainWindowCache::LoadSlotData},
                       {L"\\System\\DeploymentStatus", MainWindowCache::LoadStatuses}};
    for (const auto& load : folderLoads)
        db.ObjGetByPath(Text(load.path), RequestRoute{kWindowType, m_key, 0, 0, kReqObject, load.bit, true});

    db.ObjType(CTString(), RequestRoute{kWindowType, m_key, 0, 0, kReqTypes, MainWindowCache::LoadTypes, false});
    db.QelLocaleGet(true, 16, RequestRoute{kWindowType, m_key, 0, 0, kReqLocales, 512, false});
    db.SendRequest(L"POST", Text(L"api/api_qelGetTimeZones.php"), Text(DB::kFormContentType), nullptr,
                   RequestRoute{kWindowType, m_key, 0, 0, kReqTimeZones, MainWindowCache::LoadTimeZones, false});
}

DWORD MainWindow::MarkStartupLoad(DWORD bit)
{
    DWORD before = m_cache.loaded;
    for (CLinkedListObject* item = m_panes.GetHead(); item; item = item->m_next)
        static_cast<CTWndConsole*>(item)->OnStartupProgress(static_cast<int>(bit), static_cast<int>(before));
    m_cache.loaded |= bit;
    if (m_cache.loaded == before ||
        (m_cache.loaded & MainWindowCache::kStartupMask) != MainWindowCache::kStartupMask)
        return before;

    CloseConsole(kConsoleConnect, 0);
    CloseConsole(kConsoleConnecting, 0);
    if (m_requestsV4 && m_app) {
        CAttributes empty;
        m_app->m_db.Post(Text(L"api/api_qelRequestQuery.php"), empty,
                         [this](DB::DBEvent& e) { OnRequestQueryReply(e); });
    }
    if (m_homePending) {
        m_homePending = false;
        ShowConsole(kConsoleDashboard, 0, false);
        // What's New: once per server version and connection.
        CAttribute version;
        m_cache.systemSettings.GetAttribute(version, CTString(L"version"));
        CTString path(L"Settings\\");
        if (m_app)
            path.Append(m_app->m_server);
        path.AppendText(L"\\WhatsNew");
        CTRegKey key(104, nullptr, path.GetBuffer());
        if (key.ReadDword(version.GetText(), 0) == 0) {
            key.WriteDword(version.GetText(), 1);
            if (m_app) {
                __int64 page = m_app->RegisterWebPage(1001, 0, CTString(L"/pageWhatsNew/pageWhatsNew.php"), CTString(),
                                                      CTString());
                ShowConsole(kConsoleWeb, page, false);
            }
        }
    }
    for (CLinkedListObject* item = m_panes.GetHead(); item; item = item->m_next)
        static_cast<CTWndConsole*>(item)->Refresh();
    return before;
}

void MainWindow::OnSystemFoldersReply(DB::DBEvent& reply)
{
    TiXmlDocument doc;
    if (reply.ReadXmlReply(doc) != 2)
        return;
    m_cache.ReadFolderIds(doc);
    for (CLinkedListObject* item = m_panes.GetHead(); item; item = item->m_next)
        static_cast<CTWndConsole*>(item)->OnSystemFolders();
    if (m_app) {
        m_app->m_dir.RequestObject(m_cache.folderIds[MainWindowCache::FolderTags], Dir::WithChildren, RequestRoute(),
                                   [] {}, nullptr);
    }
    MarkStartupLoad(MainWindowCache::LoadFolders);
}

void MainWindow::OnLookupTreeReply(DB::DBEvent& reply)
{
    TiXmlDocument doc;
    if (reply.ReadXmlReply(doc) != 2)
        return;
    m_cache.ReadLookupTree(doc, [this](const Object& obj) {
        if (m_app)
            m_app->m_dir.StoreObject(obj, 0);
    });
    MarkStartupLoad(MainWindowCache::LoadLookupTree);
}

namespace {

void StoreReplyObjects(App* app, TiXmlDocument& doc)
{
    ForEachReplyObject(doc, [app](TiXmlElement* element) {
        Object obj;
        obj.ReadFromXml(element, true);
        if (app)
            app->m_dir.StoreObject(obj, 0);
    });
}

} // namespace

void MainWindow::OnGroupsReply(DB::DBEvent& reply)
{
    TiXmlDocument doc;
    if (reply.ReadXmlReply(doc) != 2)
        return;
    StoreReplyObjects(m_app, doc);
    MarkStartupLoad(MainWindowCache::LoadGroups);
}

void MainWindow::OnRequestsReply(DB::DBEvent& reply)
{
    TiXmlDocument doc;
    if (reply.ReadXmlReply(doc) != 2)
        return;
    StoreReplyObjects(m_app, doc);
    MarkStartupLoad(MainWindowCache::LoadRequests);
}

void MainWindow::OnRequestQueryReply(DB::DBEvent& reply)
{
    auto doc = std::make_shared<TiXmlDocument>();
    if (reply.ReadXmlReply(*doc) != 2 || !m_app)
        return;
    std::list<__int64> principals;
    for (TiXmlElement* result = doc->FirstChildElementNamed(L"result"); result;
         result = result->NextSiblingElementNamed(L"result")) {
        for (TiXmlElement* element = result->FirstChildElementNamed(L"object"); element;
             element = element->NextSiblingElementNamed(L"object")) {
            Object request;
            request.ReadFromXml(element, true);
            m_app->m_dir.StoreObject(request, 0);
            CAttribute typeId;
            request.GetAttribute(typeId, CTString(L"link_request_type"));
            Object type;
            if (m_cache.GetRequestType(type, typeId.GetValue()).id == 0)
                continue;
            std::vector<__int64> ids;
            type.GetLinkArray(ids, CTString(L"assignee_access_list"));
            principals.insert(principals.end(), ids.begin(), ids.end());
        }
    }
    m_app->m_dir.FetchObjects(principals, RequestRoute(), [this, doc] {
        for (TiXmlElement* result = doc->FirstChildElementNamed(L"result"); result;
             result = result->NextSiblingElementNamed(L"result")) {
            for (TiXmlElement* element = result->FirstChildElementNamed(L"object"); element;
                 element = element->NextSiblingElementNamed(L"object")) {
                Object request;
                request.ReadFromXml(element, true);
                ProcessRequestObject(request);
            }
        }
    }, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Named queries

void MainWindow::AskNamedQuery(const wchar_t* name, void (MainWindow::*reader)(DB::DBEvent&))
{
    if (!m_app)
        return;
    CAttributes form;
    form.SetNumber(CTString(name), 1);
    m_app->m_db.Post(Text(L"api/api_qelQuery.php"), form, [this, reader](DB::DBEvent& e) { (this->*reader)(e); });
}

void MainWindow::ReadRequestV4Enabled(DB::DBEvent& reply)
{
    m_requestsV4 = false;
    TiXmlDocument doc;
    if (TiXmlElement* value = QueryValue(reply, doc))
        m_requestsV4 = DecimalAttribute(value, L"enabled") != 0;
    SetButtonEnabled(m_rightToolbar, kCmdNotifications, m_requestsV4);
    // Whatever the answer: the socket token, now that the channel list is settled.
    if (m_app)
        m_app->m_db.SendRequest(L"POST", Text(L"api/api_logonWStoken.php"), Text(DB::kFormContentType), nullptr,
                                RequestRoute{kWindowType, m_key, 0, 0, kReqSocketToken, 0, false});
}

void MainWindow::ReadReportV3Enabled(DB::DBEvent& reply)
{
    TiXmlDocument doc;
    if (TiXmlElement* value = QueryValue(reply, doc)) {
        if (DecimalAttribute(value, L"enabled") != 0)
            m_reportsV3 = true;
    }
}

void MainWindow::ReadReportV4Enabled(DB::DBEvent& reply)
{
    TiXmlDocument doc;
    TiXmlElement* value = QueryValue(reply, doc);
    if (value && DecimalAttribute(value, L"enabled") != 0) {
        m_reportsV4 = true;
        GetConsole(kConsoleReports, 0, 8);
    }
}

void MainWindow::ReadTitleBarColours(DB::DBEvent& reply)
{
    TiXmlDocument doc;
    TiXmlElement* value = QueryValue(reply, doc);
    if (!value)
        return;
    ColourScheme::ServerColours colours;
    colours.titleBar = value->GetAttribute(L"titleBarColour");
    colours.titleBarText = value->GetAttribute(L"titleBarTextColour");
    colours.mainText = value->GetAttribute(L"mainTextColour");
    colours.itemHighlight = value->GetAttribute(L"itemHighlight");
    if (ColourScheme::ApplyServerColours(*CGDIManager::Instance(), colours))
        ApplySchemeChange();
}

void MainWindow::ReadDataPointCount(DB::DBEvent& reply)
{
    TiXmlDocument doc;
    if (TiXmlElement* value = QueryValue(reply, doc))
        m_dataPointCount = DecimalAttribute(value, L"count");
}

// ---------------------------------------------------------------------------------------------
// Socket token, system settings, languages, keep-alive, new objects

void MainWindow::BuildRealtimeRequest(const CTString& token, bool requestsEnabled, CTString& channels,
                                      CTString& tokenOut)
{
    tokenOut = token;
    tokenOut.Replace(CTString(L"+"), CTString(L"%2b"), false);
    channels.AssignText(L"dirupdates:events:slots");
    if (requestsEnabled)
        channels.AppendText(L":requests");
}

void MainWindow::OpenRealtimeChannel(RequestResult* reply)
{
    TiXmlElement* result = FirstResult(reply->document);
    TiXmlElement* rc = result ? result->FirstChildElementNamed(L"RC") : nullptr;
    if (!rc || !m_app)
        return;
    const wchar_t* ws = rc->GetAttribute(L"ws");
    CTString channels, token;
    BuildRealtimeRequest(CTString(ws ? ws : L""), m_requestsV4, channels, token);
    IHttpTransport::HeaderList headers;
    headers.push_back(CTString(L"Accept-Encoding: gzip,deflate"));
    m_app->m_db.OpenRealtime(channels, token, headers);
}

void MainWindow::ReadSystemSettings(RequestResult* reply)
{
    TiXmlElement* result = FirstResult(reply->document);
    TiXmlElement* parameters = result ? result->FirstChildElementNamed(L"parameters") : nullptr;
    __int64 requested = parameters ? ReadDecimal64(parameters->GetAttribute(L"ID")) : 0;
    if (requested != m_cache.systemSettings.id)
        return;

    // 1. The object.
    __int64 id = m_cache.systemSettings.id;
    m_cache.systemSettings.Clear();
    m_cache.systemSettings.id = id;
    TiXmlElement* element = result ? result->FirstChildElementNamed(L"object") : nullptr;
    m_downloadChosen = false;
    if (element) {
        m_cache.systemSettings.ReadFromXml(element, true);
        if (m_app)
            m_app->m_dir.StoreObject(m_cache.systemSettings, 0);
        // 2. The title names the settings, the administrator and the application.
        CAttribute name;
        m_cache.systemSettings.GetAttribute(name, CTString(L"name"));
        CTString title(name.GetTextLength() ? name.GetText() : m_cache.systemSettings.name.GetBuffer());
        title.AppendText(L" - ");
        title.Append(m_cache.administrator.name);
        title.AppendText(L" - ");
        title.Append(CTApp::Instance()->GetName());
        SetWindowText(title.GetBuffer());
        // 3. The version check and the organisation-unit flag.
        RunVersionCheck();
        CAttribute ou;
        m_cache.systemSettings.GetAttribute(ou, CTString(L"ou_attribs"));
        m_ouFlag = (ou.GetValue() & 2) != 0;
    }

    // 4. The panes that wait for the settings object.
    for (CLinkedListObject* item = m_panes.GetHead(); item; item = item->m_next) {
        auto* pane = static_cast<CTWndConsole*>(item);
        if (pane->GetConsoleType() == kConsoleSettings)
            pane->OnReply(*reply);
    }

    // 5. Either the console download or the remaining loads.
    if (m_downloadChosen) {
        ShowConsole(kConsoleDownload, 0, false);
        CloseConsole(kConsoleConnecting, 0);
        return;
    }
    if (m_app) {
        DB& db = m_app->m_db;
        unsigned admin = static_cast<unsigned>(m_cache.administrator.id);
        const wchar_t* links[] = {L"Link [AT]", L"Link [SG]", L"Link [OF]"};
        for (int i = 0; i < 3; ++i)
            db.ObjSearch(CTString(links[i]), admin, CTString(), CTString(), false, DB::kNoMax,
                         RequestRoute{kWindowType, m_key, 0, 0, kReqSearch, i, false});
        db.ObjSearch(CTString(MainWindowCache::kSettingSearchTypes), static_cast<unsigned>(m_cache.systemSettings.id),
                     CTString(), CTString(), false, DB::kNoMax,
                     RequestRoute{kWindowType, m_key, 0, 0, kReqSearch, 2048, false});
    }
    MarkStartupLoad(MainWindowCache::LoadSystemSettings);
}

void MainWindow::RunVersionCheck()
{
    CAttribute range;
    m_cache.systemSettings.GetAttribute(range, CTString(L"qelconsole_version"));
    VersionCheck check;
    check.ReadRange(range.GetString());
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    CFileVersion own(path);
    VersionCheck::Outcome outcome = check.Judge(own.fileVersion);
    if (outcome == VersionCheck::Current)
        return;
    CTString text, caption;
    UINT type = 0;
    VersionCheck::BuildMessage(outcome, own.fileVersion, check.max, text, caption, type);
    bool download = s_versionBox(m_hWnd, text, caption, type) == IDOK;
    m_downloadChosen = download;
    if (!download && outcome != VersionCheck::UpdateAvailable && m_app)
        m_app->Logoff();
}

void MainWindow::ReadLanguages(RequestResult* reply)
{
    TiXmlElement* result = FirstResult(reply->document);
    if (!result)
        return;
    CTApp* ctApp = CTApp::Instance();
    std::vector<LCID> locales;
    for (TiXmlElement* row = result->FirstChildElementNamed(L"row"); row; row = row->NextSiblingElementNamed(L"row")) {
        const wchar_t* code = row->GetAttribute(L"code");
        LCID lcid = 0;
        if (!code || !ctApp->LookupLocale(code, &lcid))
            return;   // one unknown code keeps the list as it was
        if (lcid != 2057)
            locales.push_back(lcid);
    }
    ctApp->m_supported = locales;
}

void MainWindow::SendKeepAlive()
{
    if (m_app)
        m_app->m_db.SendRequest(L"POST", Text(L"api/api_logoncheck.php"), Text(DB::kFormContentType), nullptr,
                                RequestRoute{kWindowType, m_key, 0, 0, kReqKeepAlive, 0, false});
}

void MainWindow::ReadNewObject(RequestResult* reply)
{
    if (!m_app)
        return;
    CDataString stream;
    stream.Assign(reply->body);
    stream.Rewind();
    DB::NewObjEvent event;
    ReadTxRx(stream, event);
    __int64 id = event.GetValue(1u).AsInt();
    __int64 type = event.GetValue(3u).AsInt();
    if (!m_cache.IsSettingTypeNumber(type))
        return;
    m_app->m_dir.RequestObject(id, 0, RequestRoute(), [this, id] {
        const Object* obj = m_app->m_dir.Lookup(id);
        if (obj && obj->id != 0)
            AddSettingObject(*obj);
    }, nullptr);
}
