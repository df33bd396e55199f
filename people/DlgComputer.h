#pragma once
// The computer pane (console 1013 for an existing computer, 1014 for a new one asked for by a
// schedule-group view) and the pages it hosts. Both kinds report console type 1013. A new-computer
// pane takes a key of its own when it is created (replies reach only that pane) and keeps the
// view's key to find the view among the open panes when it needs it.
//
// Its operations are spread over: DlgComputer.cpp (window, messages, commands, pages),
// DlgComputerLoad.cpp (loading, showing and the reply table), DlgComputerLists.cpp (deployment,
// transfer and order rows) and DlgComputerSave.cpp (save, create, user choice and moves).
#include <windows.h>
#include <commctrl.h>
#include <set>
#include <vector>
#include "app/CTWndConsole.h"
#include "app/CWMFormHost.h"
#include "controls/CTListCtrlReportEx.h"
#include "controls/CTWndHeader.h"
#include "controls/CTWndTag.h"
#include "foundation/CTString.h"
#include "framework/CTHyperLink.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"
#include "people/RecordPageHost.h"
#include "session/Object.h"
#include "session/RequestRoute.h"

class CWMFormPage;
class DlgScheduleGroup;
class TiXmlDocument;
class TiXmlElement;
struct RequestResult;

class DlgComputer : public CTWnd2, public CTWndSize, public CTWndConsole, public CWMFormHost, public RecordPageHost {
public:
    class CPageDetails;
    class CPageDeployments;
    class CPageTransfers;
    class CPageExceptions;
    class CPageDataPoints;

    enum : int { kConsoleType = 1013, kConsoleNew = 1014, kTemplate = 314 };
    // Controls.
    enum : int {
        kIdHeader = 105, kIdTags = 106, kIdHistory = 189, kIdLocation = 190, kIdCancel = 1014, kIdSave = 1015,
        kIdMove = 1023, kIdUserLink = 1042, kIdLockLink = 1043, kIdName = 1076, kIdVim = 1077, kIdShared = 1078,
        kIdMake = 1079, kIdModel = 1080, kIdSerial = 1081, kIdAssetTag = 1082, kIdComputerType = 1137,
        kIdAssetType = 1138, kIdTabs = 1187, kIdPickUser = 1214, kIdOrders = 1238,
    };
    // Answers of the person and location pickers (wParam = the picker's key, lParam = the id or 0).
    enum : UINT { kMsgUserPicked = 1037, kMsgLocationPicked = 1044 };
    // Requests whose replies come back to the pane.
    enum : int {
        kReqIcon = 1022, kReqPath = 1028, kReqPaths = 1029, kReqUserPath = 1033, kReqSearch = 1047,
        kReqCreate = 1049, kReqSave = 1051, kReqObject = 1052, kReqLocation = 1064, kReqTransfer = 1073,
        kReqChoices = 1074, kReqMove = 1091, kReqCacheNotice = 1100, kReqRequestChanged = 1107,
    };
    // Second parameters of the searches.
    enum : int { kSearchDeployments = 0, kSearchTransfers = 1, kSearchOrders = 4 };

    // Members, in the order they are built.
    CTWndHeader m_header;
    CTHyperLink m_userLink;
    CTHyperLink m_lockLink;
    CTString m_noUserText;                 // template text of the user link ("<not assigned>")
    __int64 m_personPickerKey = 0;         // key of the person picker opened last
    CTListCtrlReportEx m_orders;
    int m_consoleType = kConsoleType;      // 1013 or 1014, as built
    bool m_reloadPending = false;
    bool m_modified = false;
    Object m_computer;
    __int64 m_shownSerial = -1;            // serial of the computer as the last fill from the cache showed it
    int m_treeImage = -1;                  // "tree_image" of the computer in the application list
    int m_succeededImage = -1;
    int m_failedImage = -1;
    int m_deploymentImage = -1;            // the "Deployment" type's image in the application list
    bool m_deploymentsSearchPending = true;
    CWMFormPage* m_detailsPage = nullptr;
    CWMFormPage* m_deploymentsPage = nullptr;
    CPageTransfers* m_transfersPage = nullptr;
    CWMFormPage* m_exceptionsPage = nullptr;
    CWMFormPage* m_dataPointsPage = nullptr;
    CWMFormPage* m_requestsPage = nullptr;
    HIMAGELIST m_tabImages = nullptr;
    __int64 m_viewKey = 0;                 // console 1014: the schedule-group view that asked
    CTWndTag m_tags;

    explicit DlgComputer(int consoleType = kConsoleType);
    ~DlgComputer() override;

    // CTWndConsole
    bool Create() override;
    void Destroy() override;
    HWND GetHwnd() override { return m_hWnd; }
    int GetConsoleType() override { return kConsoleType; }
    bool IsTabPane() override { return false; }
    void OnReply(RequestResult& result) override;
    void Refresh() override;

    // CWMFormHost
    void SetModified(bool modified) override;
    __int64 GetObjectId() override { return m_computer.id; }

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    bool IsNew() const { return m_consoleType == kConsoleNew; }
    // A route back to this pane: {main window, console 1013, the pane's key, request, param2, silent}.
    RequestRoute Route(int request, __int64 param2 = 0, bool silent = false) const;
    // What the hosted pages read: the computer shown and routes back to the pane.
    Object& GetShownObject() override { return m_computer; }
    RequestRoute GetPageRoute(int requestId, __int64 param2) override { return Route(requestId, param2); }
    // The view that asked for a new computer, while it is open; null otherwise.
    DlgScheduleGroup* FindView() const;

    // Loading and replies (DlgComputerLoad.cpp).
    void Reload();
    void ShowObject(__int64 previousParent);
    void ReadObjectReply(TiXmlDocument& document);
    void OnPathReply(RequestResult& result);
    void OnUserPathReply(RequestResult& result);
    void OnIconReply(RequestResult& result);
    void OnCacheNotice(RequestResult& result);
    void OnTransferReply(RequestResult& result);

    // Record lists (DlgComputerLists.cpp).
    void SendDeploymentSearches();
    void SendTransferSearch();
    void SendOrderSearch(const std::vector<__int64>& orders);
    void OnSearchReply(TiXmlDocument& document, __int64 which);
    void OnDeploymentPathReply(RequestResult& result);
    void OnTransferPathsReply(RequestResult& result);
    // The name cell of a deployment row: its name, then " (" deployment_id ")" unless that equals it.
    static CTString DeploymentRowName(const Object& deployment);
    // The deployments page's list; null while the page has none.
    CTListCtrlReportEx* DeploymentsList() const;

    // Save, create, user choice and moves (DlgComputerSave.cpp).
    void Save();
    void StoreEditField(int id, const wchar_t* attribute);
    // Sets the attribute, taking it from the computer's type definition when the computer lacks it.
    void SetComputerAttribute(const wchar_t* name, const CAttribute& value);
    // The combo's selected entry's item data into the attribute; no selection leaves it unchanged.
    void StoreComboChoice(int id, const wchar_t* attribute);
    void OnSaveReply(RequestResult& result);
    void OnCreateReply(RequestResult& result);
    void OnUserPicked(__int64 key, __int64 userId);
    void OnLocationPicked(__int64 locationId);
    void OnMoveReply(RequestResult& result);

private:
    void OnInitDialog();
    // Builds the hosted pages in tab order.
    void CreatePages();
    void CreateTabImages();
    void AddDeploymentImages();
    void EnableItem(int id, bool enabled);
    void SetItemTextIfChanged(int id, const CTString& text);
    void SetLinkText(CTHyperLink& link, const wchar_t* text);
    // Fill steps shared by the load from the cache and the re-read from a reply.
    void ShowHeading();
    void ShowFields();
    // The name of the object the attribute links to, once the cache has it; the placeholder without.
    void ShowLinkedName(CTHyperLink& link, const wchar_t* attribute);
    void ShowOrders();
    void ShowChoices();
    void ShowTreeImage(bool findOnly);
    // Orders, combos, check boxes, tree image and buttons, then the edits are dropped.
    void ShowListsAndChoices(bool findImageOnly);
    void UpdateButtons();
    void ClearModified();
    void UpdateHeaderIcon();
    void OnTabChanged();
    void OpenPicker(int windowType, bool personPicker);

    // Calls into the hosted pages that the lead's merge swaps for the real pages' operations.
    void LoadExceptionsNow();
    void MarkExceptionsPending();
    void LoadDetails();
    void OnDetailsChoices(int attributeId);
    void StoreDetailsRows();
    void OnRequestChanged(__int64 requestId);
};
