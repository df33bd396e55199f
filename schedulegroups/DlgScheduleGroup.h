#pragma once
// The schedule-group view (console type 1026, key = the schedule group's id): a header, a summary
// of the group's T0, contacts, counts, window totals, locations, site and link expiry, and one of
// three pages (deployments, users, computers) below them.
//
// The view owns what its pages draw from: the group, the cache of its related objects, the route
// maps and the texts that lookup columns show. A load has three strands (objects with their return
// ids fetched in batches, the routes of each deployment location, the deployment windows); the
// pages are rebuilt once, when the first two have completed (loaded bits 1, 2 and 4).
#include <windows.h>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "app/CTWndConsole.h"
#include "app/PaneKey.h"
#include "controls/CTListCtrlReport.h"
#include "controls/CTWndDraw.h"
#include "controls/CTWndHeader.h"
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"
#include "session/DB.h"
#include "session/Object.h"

class DeploymentWin;
class MainWindow;
class TiXmlElement;

class DlgScheduleGroup : public CTWnd2, public CTWndSize, public CTWndConsole {
public:
    class CPageBase;
    struct ColHeading;
    class DlgLHSBase;
    class DlgLHS;
    class DlgLHSFailCode;
    class DlgLHSAdministrator;
    class DlgLHSExcept;
    class DlgLHSTag;
    class DlgLHSSlot;
    class DlgLHSDepStatus;
    class CPageComputers;
    class CPageUsers;
    class CPageDeployments;

    enum : int { kConsoleType = 1026, kTemplate = 360 };
    enum : int { kIdHeader = 105, kIdSummary = 1197, kIdPageArea = 1199 };
    enum Page : int { PageDeployments = 1, PageUsers = 2, PageComputers = 3 };
    enum : UINT { kMsgFetchPending = WM_USER + 1 };
    enum Request : int {
        ReqRefresh = 1000,
        ReqObjectSaved = 1003,
        ReqReloadWindows = 1004,
        ReqObjectDeleted = 1005,
        ReqGroupSaved = 1017,
        ReqIcon = 1022,
        ReqPaths = 1028,
        ReqPanelPaths = 1029,
        ReqLookup = 1036,
        ReqObject = 1052,
        ReqWindows = 1063,
        ReqGroup = 1065,
        ReqCommsList = 1074,
        ReqRoutes = 1088,
        ReqChanged = 1100,
        ReqSlots = 1102,
        ReqWindowsChanged = 1106,
    };
    // Second parameters of object fetches (1052).
    enum Fetch : int { FetchCell = 2, FetchContacts = 3, FetchReturn = 4, FetchClicked = 5 };
    enum Loaded : int { LoadedObjects = 1, LoadedReturn = 2, LoadedRoutes = 4, LoadedAll = 7 };
    enum LinkKind : int { LinkPage = 1, LinkObject = 2 };
    enum : int { kBatchSize = 2000, kLogonQueueLimit = 200 };
    enum : UINT { kCmdDefaults = 5001, kCmdWindow = 5002 };
    enum : int { kFormWindowType = 4, kWindowEditorConsole = 1062 };

    struct Link {
        __int64 value = 0;
        int kind = 0;
    };
    struct LogonEntry {
        __int64 userId = 0;
        int unused = 0;
        CAttribute date;
    };

    CTWndHeader m_header;
    CTWndDraw m_summary;
    HICON m_headerIcon = nullptr;
    bool m_refreshPendingView = false;
    bool m_shown = false;
    bool m_windowsStale = false;
    int m_iconIndex = 0;
    Object m_group;
    std::map<__int64, Object> m_objects;
    std::map<std::wstring, std::map<__int64, CTString>> m_lookupTexts;   // by column key
    std::map<std::wstring, std::map<std::wstring, CTString>> m_listTexts;   // by column key
    std::map<__int64, Object> m_contacts;
    std::deque<__int64> m_pendingContacts;
    std::map<std::wstring, std::wstring> m_listNames;   // list name -> column key
    mutable CLinkedList m_pages;                      // of CPageBase, in creation order; owned
    CPageBase* m_currentPage = nullptr;
    CPageBase* m_deploymentsPage = nullptr;
    CPageBase* m_usersPage = nullptr;
    std::map<__int64, int> m_linkUsage;
    std::map<__int64, Link> m_links;
    int m_pendingRouteRequests = 0;
    int m_pendingObjectRequests = 0;
    DeploymentWin* m_groupWindow = nullptr;     // the deployment-window panel's; not owned
    std::map<__int64, Object> m_legacyRoutes;
    std::map<__int64, Object> m_otherRoutes;
    std::deque<__int64> m_returnIds;
    int m_loadedBits = 0;
    std::vector<LogonEntry> m_logonQueue;
    std::map<__int64, CAttribute> m_logonMap;
    // Lookups under way: request cookie (the route's second parameter) -> column key. Each reply
    // fills the column that asked for it, whatever the order the replies come in.
    std::map<__int64, std::wstring> m_lookupRequests;
    __int64 m_lookupCookie = 0;
    // Location ids whose paths were asked for in this load: a path the server leaves out is asked
    // for once, not again on every path reply.
    std::vector<__int64> m_pathsAsked;
    PaneKey m_route;
    // Outlives the view: a completion that runs after the view is gone finds it expired.
    std::shared_ptr<DlgScheduleGroup*> m_alive;

    // The start of today for the link-expiry colour; tests replace it.
    static __int64 (*s_startOfToday)();

    DlgScheduleGroup();
    ~DlgScheduleGroup() override;

    // CTWndConsole
    bool Create() override;
    HWND GetHwnd() override { return m_hWnd; }
    int GetConsoleType() override { return kConsoleType; }
    bool IsTabPane() override { return false; }
    void OnReply(RequestResult& result) override;
    void Refresh() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    void ShowPage(int page);
    void UpdateHeading();
    void CollectLocations(int which, std::vector<__int64>& out) const;
    __int64 DefaultLocation(int which) const;
    // Every page in creation order.
    std::vector<CPageBase*> Pages() const;
    CPageBase* FindPage(int kind) const;

    // Summary.
    void BuildSummary();
    // The summary's mark-up with the link table; false when location paths had to be asked for.
    bool BuildSummaryMarkup(CTString& out);
    void OnSummaryClick(__int64 linkNumber);
    // The group's menu: its entries (5001, 5002) and whether 5002 is enabled.
    std::map<UINT, CTString> MenuEntries(bool* windowEnabled) const;
    void ShowGroupMenu();
    void OnMenuCommand(UINT command);
    void CreateDeploymentWindow();
    void OnDeploymentWindowCreated(DB::DBEvent& reply);

    // Loading and replies.
    void ReadScheduleGroupReply(TiXmlDocument& document);
    void FetchReturnObjects(TiXmlDocument& document);
    void FetchPendingObjects();
    void ReadObjectReply(TiXmlDocument& document, int fetch);
    void SetLoaded(int bits);
    void CountLinkUsage();
    void OnObjectChanged(const Object& object);
    void OnSlots(CTByteArray& body);
    void OnRoutes(RequestResult& result);
    void OnLookup(RequestResult& result);
    void OnCommsList(RequestResult& result);
    // Id lists of the schedule-group reply: "12,,14" reads 12, 0, 14; a trailing comma adds none.
    static std::vector<__int64> ParseIdList(const CTString& text);
    // IDS and SERIALS of one batch taken from the front of ids, against a cache.
    static void TakeBatch(std::deque<__int64>& ids, const std::map<__int64, Object>& cache, CTString& idsText,
                          CTString& serialsText);

    // Cells.
    void ComputeCell(CTListCtrlReport* list, const Object& object, const ColHeading& column,
                     CTListCtrlReport::Cell& cell);
    CTListCtrlReport::Row& BuildRow(CTListCtrlReport::Row& row, CTListCtrlReport* list,
                                    const std::vector<ColHeading>& columns, const Object& object);
    void FlushLogonQueries();
    void OnLogonEvents(DB::DBEvent& reply, const std::vector<LogonEntry>& queue);
    void ApplyLogonEvents(TiXmlDocument& document);

    // Type numbers by exact name, 0 when the main window does not know them.
    __int64 TypeId(const wchar_t* name) const;
    bool IsUserType(__int64 type) const;
    RequestRoute ReplyRoute(int requestId, __int64 param2 = 0, bool silent = false) const;
    MainWindow* Main() const;
    static std::wstring Key(const CTString& text) { return text.GetBuffer() ? text.GetBuffer() : L""; }
    DB* Server() const;

private:
    void OnInitDialog();
    void UpdateTitle();
    void StoreObjects(TiXmlDocument& document, std::map<__int64, Object>& cache, int* count = nullptr);
    void ApplyIcon(HICON icon);
};

// A page's column: caption, width and visibility, the attribute it shows, a second key (an
// attribute of the linked object, or a lookup rule) and the rule that makes its cells.
struct DlgScheduleGroup::ColHeading {
    CTString caption;
    int width = 50;
    bool visible = true;
    CTString key;
    CTString secondKey;
    int kind = 0;
};
