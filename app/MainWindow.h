#pragma once
// The console's one top-level window (window type 0xffff): a rebar with the navigation toolbar, the
// search box and the right-hand toolbar across the top, a status bar along the bottom and, between
// them, one console pane at a time (plain, or a page of the vertical tab strip). It keeps the
// session with the server going after sign-in (start-up loads, reply dispatch, keep-alive), owns the
// shared colour scheme and the status-bar indicators, and holds the caches every window consults.
//
// Its operations are spread over: MainWindow.cpp (window, layout, messages, commands),
// MainWindowSession.cpp (sign-in and sign-out, start-up loads, replies, named queries, version
// check), MainWindowIndicators.cpp (colour scheme, status bar, certificate indicator),
// MainWindowCaches.cpp (cache reads), MainWindowPanes.cpp (panes, navigation and history),
// MainWindowAttributes.cpp (custom attribute editor) and MainWindowAccount.cpp (account menu,
// search filter button, support mail).
#include <windows.h>
#include <map>
#include <vector>
#include "app/CTWndSearch.h"
#include "app/SearchFilterSettings.h"
#include "app/MainWindowCache.h"
#include "app/MainWindowCacheLookups.h"
#include "app/PaneHistory.h"
#include "app/PaneKey.h"
#include "app/RequestNotifications.h"
#include "app/VersionCheck.h"
#include "controls/CDrawDocument.h"
#include "controls/CTWndPropertyList.h"
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "framework/CTIcon.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndRebar.h"
#include "framework/CTWndSize.h"
#include "framework/CTWndStatusbar.h"
#include "framework/CTWndToolbar.h"
#include "framework/CTWndVTab.h"
#include "framework/CWindowManager.h"
#include "session/DB.h"
#include "session/Object.h"
#include "session/RequestResult.h"
#include "session/RequestRoute.h"

class App;
class CTWndConsole;
class TxRx;

class MainWindow : public CTWnd2, public CTWndSize, public CWindowManager::CWindow {
public:
    static constexpr const wchar_t* kClassName = L"TavikQELConsole";
    static constexpr const wchar_t* kPlacementValue = L"TavikQELConsole";
    static constexpr int kWindowType = 0xffff;
    static constexpr UINT_PTR kKeepAliveTimer = 1;
    static constexpr UINT kKeepAliveInterval = 300000;

    // Messages the main window accepts from other windows.
    enum : UINT {
        kMsgClosePane = WM_USER + 3,        // 1027: wParam console type, lParam key
        kMsgShowPane = WM_USER + 21,        // 1045: wParam console type, lParam key
        kMsgDeleteClosed = WM_USER + 33,    // 1057
        kIdentifyAnswer = 0x534B006E,       // the answer to WM_USER
    };
    // Commands.
    enum : int {
        kCmdHome = 105, kCmdForwardToPane = 110, kCmdSearch = 117, kCmdTasks = 128, kCmdRefresh = 133,
        kCmdBack = 134, kCmdSignOut = 149, kCmdTools = 150, kCmdAbout = 151, kCmdSearchFilter = 187,
        kCmdNotifications = 191, kCmdForward = 228, kCmdFocusSearch = 387, kCmdDeployments = 390,
        kCmdNotices = 391, kCmdChangePassword = 32792, kCmdSetup = 32793, kCmdFeedback = 32805,
        kCmdSupport = 32827,
    };
    // Console types the main window itself shows.
    enum : int {
        kConsoleConnect = 1000, kConsoleConnecting = 1001, kConsoleAbout = 1002, kConsoleChangePassword = 1003,
        kConsoleDashboard = 1009, kConsoleTasks = 1012, kConsoleList = 1015, kConsoleSettings = 1019,
        kConsoleStructure = 1020, kConsoleDeployments = 1031, kConsoleSearch = 1035, kConsoleWeb = 1040,
        kConsoleReports = 1059, kConsoleDownload = 1063, kConsoleRequests = 1066,
    };
    // Request ids of the main window's own requests and replies.
    enum : int {
        kReqBusy = 1019, kReqSettingsId = 1026, kReqTemplates = 1036, kReqLogon = 1041, kReqLogoff = 1042,
        kReqKeepAlive = 1043, kReqSocketToken = 1044, kReqSearch = 1047, kReqTypes = 1048, kReqObject = 1052,
        kReqLocales = 1067, kReqTemplatesLoaded = 1086, kReqTimeZones = 1092, kReqNewObject = 1099,
    };
    // Status-bar parts.
    enum : int { kPartStatus = 0, kPartDownload = 1, kPartPending = 2, kPartCertificate = 3, kPartServer = 4 };

    // Seam for tests: how the version-check box is shown (answers IDOK for Download).
    using VersionBoxFn = INT_PTR (*)(HWND owner, const CTString& text, const CTString& caption, UINT type);
    static VersionBoxFn s_versionBox;

    // Members, in the order they are built.
    App* m_app = nullptr;
    CTWndToolbar m_rightToolbar;           // Search Filter, Notifications, Tools, About
    CTWndToolbar m_navToolbar;             // Back, Home, Forward, Tasks, Deployments, Notices, Refresh
    CTWndVTab m_tabs;
    CTWndRebar m_rebar;
    int m_navBand = 0;
    CTWndSearch m_search;
    CTWndStatusbar m_statusbar;
    CTWndConsole* m_current = nullptr;
    CLinkedList m_panes;                   // of CTWndConsole, owned
    CLinkedList m_closedPanes;             // closed, waiting for deletion
    int m_rebarHeight = 0;                 // the rebar's height plus one
    PaneHistory m_history;                 // back/forward history, each pane once
    std::map<PaneKey, CTString> m_statusTexts;
    MainWindowCacheLookups m_lookups{*this};   // the caches as the session's helpers read them
    MainWindowCache m_cache;               // administrator, system settings, types and the other caches
    bool m_signedIn = false;               // from the sign-in reply to the end of the session
    bool m_homePending = false;
    bool m_idle = true;
    bool m_reportsV3 = false;
    bool m_reportsV4 = false;
    bool m_ouFlag = false;
    bool m_requestsV4 = false;
    bool m_taskbar = false;
    __int64 m_homePage = 0;
    bool m_busy = false;                   // holds one reference on the application's wait cursor
    CTString m_certificateTip;
    CTIcon m_certificateIcon;
    CTIcon m_noIcon;
    int m_filterOffImage = -1;
    int m_filterOnImage = -1;
    int m_dataPointCount = 0;
    int m_socketStatus = 0;
    bool m_downloadChosen = false;
    CDraw::CDrawDocument m_badge;
    RECT m_badgeRect = {};
    bool m_opened = false;                 // the children were created
    RequestNotifications m_requests;       // pending-request and attention lists

    MainWindow();
    ~MainWindow() override;

    // Window-manager operations.
    void Activate() override;
    void Close() override;
    bool Open() override;
    void Notify(void* param) override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Replies and the session (MainWindowSession.cpp).
    void OnResult(RequestResult* reply);
    void OnLoggedOn(RequestResult* reply);
    void OnLoggedOff();
    void ReloadAll();
    void StartStartupLoads();
    DWORD MarkStartupLoad(DWORD bit);
    void OnSystemFoldersReply(DB::DBEvent& reply);
    void OnLookupTreeReply(DB::DBEvent& reply);
    void OnGroupsReply(DB::DBEvent& reply);
    void OnRequestsReply(DB::DBEvent& reply);
    void OnRequestQueryReply(DB::DBEvent& reply);
    void ProcessRequestObject(const Object& request);
    void ReadRequestV4Enabled(DB::DBEvent& reply);
    void ReadReportV3Enabled(DB::DBEvent& reply);
    void ReadReportV4Enabled(DB::DBEvent& reply);
    void ReadTitleBarColours(DB::DBEvent& reply);
    void ReadDataPointCount(DB::DBEvent& reply);
    void AskNamedQuery(const wchar_t* name, void (MainWindow::*reader)(DB::DBEvent&));
    void OpenRealtimeChannel(RequestResult* reply);
    void ReadSystemSettings(RequestResult* reply);
    void RunVersionCheck();
    void ReadLanguages(RequestResult* reply);
    void SendKeepAlive();
    void ReadNewObject(RequestResult* reply);
    void RouteToPanes(RequestResult* reply);
    // The channel list and token of the realtime socket request.
    static void BuildRealtimeRequest(const CTString& token, bool requestsEnabled, CTString& channels,
                                     CTString& tokenOut);

    // Colour scheme and indicators (MainWindowIndicators.cpp).
    void on_request_count(TxRx& event);
    void on_download(TxRx& event);
    void on_ws_status(TxRx& event);
    void on_requests(TxRx& event);
    void RecolourIcons();
    void ApplySchemeChange();
    void SetUpStatusbar();
    void UpdateCertificateIndicator();
    void PrepareCertificateIcon();
    const wchar_t* GetCertificateTip();
    void ShowServerStatus();
    COLORREF GetTextColour() const;

    // Cache reads (MainWindowCaches.cpp).
    Object GetLogonUser() const { return m_cache.administrator; }
    Object& GetTypeById(Object& out, __int64 type) const { return m_cache.GetTypeById(out, type); }
    Object& GetTypeByName(Object& out, const CTString& name) const { return m_cache.GetTypeByName(out, name); }
    __int64 GetTypeId(const CTString& name) const { return m_cache.GetTypeId(name); }
    bool IsSubtypeOf(__int64 type, __int64 base) const { return m_cache.IsSubtypeOf(type, base); }
    bool IsTypeOf(__int64 type, __int64 base) { return m_cache.IsTypeOf(type, base); }
    bool HasSetupRights() const { return m_cache.HasSetupRights(); }
    bool GetTemplates(std::vector<Object>& out);
    void AddSettingObject(const Object& obj) { m_cache.AddSettingObject(obj); }
    void UpdateSettingCache(int op, Object* obj) { m_cache.UpdateSettingCache(op, obj); }
    Object& GetRequestType(Object& out, __int64 id) const { return m_cache.GetRequestType(out, id); }
    Object& GetDeploymentStatus(Object& out, const CAttribute& code) { return m_cache.GetDeploymentStatus(out, code); }
    bool GetAvailableStatuses(std::vector<Object>& out, const Object& deployment) const
    {
        return m_cache.GetAvailableStatuses(out, deployment);
    }
    bool HasDeploymentTypeFlag(const Object& deployment, __int64 mask) const
    {
        return m_cache.HasDeploymentTypeFlag(deployment, mask);
    }
    __int64 GetSystemFolderId(int folder) const { return m_cache.folderIds[folder]; }
    DWORD GetStartupMask() const { return m_cache.loaded; }

    // Custom attribute editor (MainWindowAttributes.cpp).
    void GetAttributeMappings(std::vector<Object>& out) { m_cache.GetAttributeMappings(out); }
    bool GetCustomAttributes(const Object& object, std::vector<Object>& out)
    {
        return m_cache.GetCustomAttributes(object, out);
    }
    // Rebuilds the grid with one row per mapping of the object that the object has an attribute
    // for. Lookups the rows need go out on route, with the attribute id as second parameter.
    void FillAttributeEditor(CTWndPropertyList& grid, CTWndPropertyList::EditCallback validate, HWND owner,
                             const RequestRoute& route, const Object& object);
    // The callback of every row: the inherit toggle (code 0) and its icon (code 2).
    static int AttributeRowCallback(void* owner, __int64 data, int code, CAttribute* value);
    std::map<HWND, CTWndPropertyList*> m_attributeEditors;   // the last grid filled per owner window

    // Request notifications and request actions (MainWindowRequests.cpp).
    void ReadRequestObjects(DB::DBEvent& reply);
    void EvaluateRequest(const Object& request);
    void ApplyRequestState(const Object& request, bool closed, bool isAssignee);
    void UpdateNotificationBadge();
    // Action: RequestNotifications::Cancel, Assign, Complete or Acknowledge.
    void UpdateRequest(__int64 requestId, int action);
    void PaintNotificationBadge(NMHDR* painted);
    void OnNotificationsDropDown();
    const RequestNotifications& GetRequestLists() const { return m_requests; }

    // Window helpers (MainWindow.cpp).
    void LayoutCurrentPane();
    void SetButtonEnabled(CTWndToolbar& toolbar, int command, bool enabled);
    void SetPaneText(int part, const CTString& text);
    void DeleteClosedPanes();
    void SetTaskbarOverlay(bool on);
    void ApplySearchFilterImage();

    // The right-hand toolbar's drop-downs and the support request (MainWindowAccount.cpp).
    void ShowAccountMenu();
    void ShowSearchFilterDialog();
    void OpenSupportMail();

    // --- Panes, navigation and history (MainWindowPanes.cpp) ---
    CTWndConsole* FindConsole(int type, __int64 key);
    CTWndConsole* GetConsole(int type, __int64 key, int position);
    bool ShowConsole(int type, __int64 key, bool noHistory);
    bool CloseConsole(int type, __int64 key);
    void PushHistory(const PaneKey& entry);
    void UpdateHistoryButtons();
    void SetPaneStatusText(const PaneKey& key, const CTString& text);
    void ShowPaneStatusText(const PaneKey& key);
    PaneKey GetPaneKey(CTWndConsole* pane) const;
    void ClearHistory();
    void ForgetPaneStatusTexts();
    // Deletes every open pane but the current one at once (tab panes leave the strip first).
    void DeletePanesExceptCurrent();
    // A tab pane's caption or icon changed: its tab reads them again.
    void RefreshTabCaption(HWND paneWindow);
    // Opens a directory object in the pane or form of its type (by the type's name).
    void OpenObject(const Object& object, bool asForm, bool checkSuperUser);
    // Shows an asset location when the administrator has a link to it, else says why not.
    void OpenAssetLocation(__int64 locationId);
    // --- end of panes ---

private:
    void CreateToolbars();
    void CreateStatusbar();
    void RestorePlacement();
    void OnTimer(UINT_PTR id);
    void OnSize(WPARAM type);
    void OnDrawItem(DRAWITEMSTRUCT* item);
    bool OnAppCommand(LPARAM lParam);
    void OnTaskbarButtonCreated();
    void OnClosePaneMessage(int type, __int64 key);
    void Back();
    void Forward();
};
