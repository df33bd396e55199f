#pragma once
// The deployments view (console 1031): every deployment of the ticked schedule groups in one report
// list, filtered by the left-hand panel shown beside it (schedule groups, days, statuses, tags).
// Selected rows dragged onto a panel entry open the bulk-change wizard for that entry.
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/CTWndConsole.h"
#include "controls/CTWndListCtrlEx2.h"
#include "foundation/CTString.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSplitter.h"
#include "session/ObjectBranch.h"
#include "session/RequestRoute.h"

class CTRegKey;

class DlgDeployments : public CTWnd2, public CTWndConsole {
public:
    enum : int { kConsoleType = 1031, kIdList = 1016, kWizardType = 33 };
    enum : int {
        kReqNotice = 1003, kReqIcon = 1022, kReqLookup = 1036, kReqSearch = 1047, kReqGroupLoad = 1052,
        kReqCommsList = 1074,
    };
    enum : int { kLookupGroups = 1, kLookupColumn = 2 };
    // Image keys of the list's fixed images.
    enum : int { kImageSucceeded = 502, kImageFailed = 503, kImageVip = 504, kImageException = 505 };
    enum : int { kCmdProperties = 264 };
    // Panel kinds.
    enum : int { kKindSchedule = 1, kKindStatus = 2, kKindTags = 6, kKindGroups = 7 };
    // How a column finishes its cell.
    enum ColumnCode : int {
        CodeValue = 0, CodeCheck = 1, CodeStatusIcon = 3, CodeDeploymentType = 5, CodeFlagImage = 6,
        CodeTextImage = 7, CodeLookup = 8, CodeNamedList = 9, CodeSlot = 10, CodeGroupPath = 11,
    };

    struct GroupEntry {
        Object group;
        COLORREF colour = 0;
        bool loaded = false;  // the group's objects were requested
        bool enabled = false; // ticked
    };

    // One list column: the deployment attribute a cell starts from and how it is finished.
    struct ColHeading {
        CTString caption;
        int width = 100;
        bool shown = true;       // visible by default
        CTString attribute;      // empty: the deployment's name
        CTString linked;         // the linked object's attribute, or a code-8 column's lookup text
        int code = CodeValue;
    };

    class DlgLHSBase;
    class DlgLHS;
    class DlgLHSSelectSG;
    class DlgLHSSlot;
    class DlgLHSDepStatus;
    class DlgLHSTag;

    DlgDeployments();
    ~DlgDeployments() override;

    // CTWndConsole
    bool Create() override;
    HWND GetHwnd() override { return m_hWnd; }
    int GetConsoleType() override { return kConsoleType; }
    bool IsTabPane() override { return false; }
    void OnReply(RequestResult& result) override;
    void Refresh() override;
    void OnStartupProgress(int, int) override {}

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    virtual void OnWindowPosChanging(WINDOWPOS* pos);

    void SetGroupEnabled(__int64 groupId, bool enabled);
    // Mode 0 adds missing rows, mode 1 rebuilds every shown row; kind names the panel whose choice
    // changed (it is not rebuilt).
    void Fill(int mode, int kind);
    bool IsShown(const Object& object);
    void UpdateObject(Object& deployment, const Object* previous);

    // The list.
    void SetupColumns();
    CTListCtrlReport::Row& BuildRow(CTListCtrlReport::Row& row, const Object& deployment);
    void BuildCell(const Object& deployment, const ColHeading& heading, CTListCtrlReport::Cell& cell);
    void RefreshColumn(const CTString& attribute);
    // The attribute mappings shown for deployments.
    void DeploymentMappings(std::vector<Object>& out);

    // What the bulk-change wizard reads from the view.
    std::vector<__int64> GetSelectedIds();
    int GetPanelKind() const;
    UINT32 GetDropValue() const { return m_dropValue; }
    const CTString& GetDropTag() const { return m_dropTag; }

    // Loaded objects by id; null when not loaded.
    Object* FindLoaded(__int64 id);
    Object& AddLoaded(const Object& object);
    GroupEntry& Group(__int64 id) { return m_groups[id]; }
    const std::vector<Object>& Loaded() const { return m_loaded.children; }
    __int64 DeploymentTypeId() const;
    RequestRoute Route(int request, __int64 param2 = 0) const;
    // The view's registry key ("Settings\<connection>\DlgDeployments").
    bool OpenSettingsKey(CTRegKey& key);
    CTListCtrlReportEx& Report() { return m_list.m_report; }
    DlgLHS& Host() { return *m_host; }
    UINT32 EndDrag();

    CTWndListCtrlEx2 m_list;
    CTWndSplitter m_splitter;
    bool m_shown = false;
    std::vector<ColHeading> m_headings;
    std::map<__int64, GroupEntry> m_groups;
    COLORREF m_nextColour = 0;
    // Cell-text caches, emptied by every refresh.
    std::map<std::wstring, std::map<__int64, std::wstring>> m_lookupTexts;
    std::map<std::wstring, std::map<std::wstring, std::wstring>> m_namedListTexts;
    std::map<std::wstring, std::vector<std::wstring>> m_lookupColumns; // lookup text sent -> columns waiting
    std::map<std::wstring, std::wstring> m_namedListOwners; // list name -> column attribute
    std::unique_ptr<DlgLHS> m_host;
    ObjectBranch m_loaded;
    std::unordered_map<__int64, size_t> m_loadedIndex;
    std::map<__int64, std::set<__int64>> m_groupMembers; // group id -> its "members", read on first use
    std::map<__int64, int> m_groupImages;   // group id -> list image; apart from the fixed image keys
    std::set<__int64> m_unreturned;         // ids a search did not return in this refresh
    std::map<__int64, std::vector<__int64>> m_searches; // search number -> ids asked, until answered
    __int64 m_nextSearch = 1;
    int m_deploymentIcon = -1;
    int m_lhsWidth = 0;
    int m_pendingGroupLoads = 0;
    int m_lhsKind = kKindGroups;
    bool m_splitterCreated = false;
    HIMAGELIST m_dragImage = nullptr;
    bool m_dragging = false;
    int m_dragCursor = 0;
    UINT32 m_dropValue = 0;
    CTString m_dropTag;
    CTString m_modelLookup; // the edit rules of "link_deploy_model" and "link_fail_code"
    CTString m_failLookup;

private:
    void LoadSettings();
    void SaveSettings();
    void OnGroups(RequestResult& result);
    void OnGroupObjects(RequestResult& result);
    void OnLookup(RequestResult& result);
    void OnMissingObjects(RequestResult& result);
    void OnIcon();
    void OnCommsList(RequestResult& result);
    void OnNotice(RequestResult& result);
    int GroupImage(const Object& deployment);
    void MarkAndCollect(const Object& deployment, int item, std::vector<__int64>& missing);
    void FetchMissing(std::vector<__int64>& missing);
    bool BelongsToGroup(const Object& object, __int64 groupId);
    bool FillNamedList(const CTString& attribute, const CTString& listName, const RequestRoute& route);
    void OpenRow(int item);
    void BeginDrag(NMLISTVIEW* record);
    void OnDragMove(POINT screen);
    void OnDrop();
};

// The view and its panels are registered as console type 1031.
void RegisterDeploymentsView(class WindowCatalogue& catalogue);
