#pragma once
// The deployment pane (console types 1029 and 1030, key = the deployment's id): one person's move
// to a computer with its type, deployment window, status, the computers taken away and handed
// over, the user, the completing administrator, its tags and tabbed pages. The pane keeps a working
// copy of the deployment and the objects it links to in numbered slots, loads them from the
// directory cache, sends the requests that complete the picture without waiting for them, and keeps
// every control's state in one place (UpdateControls).
//
// Its operations are spread over: DlgDeployment.cpp (window, messages, commands, refresh),
// DlgDeploymentLoad.cpp (loading and the linked objects), DlgDeploymentControls.cpp (control state,
// status display, tab images) and DlgDeploymentReplies.cpp (replies, computer pickers, build sheet).
#include <windows.h>
#include <commctrl.h>
#include <map>
#include "app/CTWndConsole.h"
#include "app/CWMFormHost.h"
#include "calendars/model/DeploymentWin.h"
#include "controls/CTWndDraw.h"
#include "controls/CTWndHeader.h"
#include "controls/CTWndTag.h"
#include "lists/DlgSelectComputer.h"
#include "foundation/CTString.h"
#include "framework/CTHyperLink.h"
#include "framework/CTIcon.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"
#include "session/DB.h"
#include "session/Object.h"
#include "session/RequestRoute.h"

class CWMFormPage;
class ObjectBranch;
class TiXmlDocument;
struct RequestResult;

class DlgDeployment : public CTWnd2, public CTWndSize, public CTWndConsole, public CWMFormHost {
public:
    class CPageDeployment;
    class CDeployablePage;
    class CPageEmails;
    class CPageExceptions;
    class CPageTasks;
    class CPageSettings;
    class CRequestsPage;

    // Paints the icon its static control holds, in the icon's own size.
    class CTWndIcon : public CTWnd2 {
    public:
        bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    };

    enum : int { kConsoleType = 1029, kConsoleNew = 1030, kTemplate = 295 };
    // Slots of m_objects.
    enum Slot : int {
        SlotDeployment = 0, SlotParent = 1, SlotUser = 2, SlotAdministrator = 3, SlotLegacy = 4,
        SlotDeployed = 5, SlotModel = 6, SlotLegacyRoute = 7,
    };
    // Controls.
    enum : int {
        kIdHeader = 105, kIdTags = 106, kIdPrevious = 134, kIdNext = 228, kIdHistory = 189, kIdLocation = 190,
        kIdCancel = 1014, kIdSave = 1015, kIdNotes = 1021, kIdBuildSheet = 1022, kIdMove = 1023, kIdNextStatus = 1027,
        kIdUserLink = 1042, kIdLegacyLink = 1043, kIdDeployedLink = 1044, kIdAdministratorLink = 1045,
        kIdSlots = 1047, kIdLinkAccess = 1048, kIdNewModel = 1049, kIdFailCodeLabel = 1056, kIdFailCode = 1057,
        kIdCompleted = 1060, kIdPickLegacy = 1075, kIdPickDeployed = 1076, kIdStatusIcon = 1099,
        kIdReschedule = 1100, kIdUserWarning = 1101, kIdPreviousStatus = 1102, kIdSucceed = 1104, kIdFail = 1105,
        kIdTransfer = 1106, kIdDeployedWarning = 1107, kIdLegacyWarning = 1108, kIdType = 1137,
        kIdTabs = 1187, kIdStatus = 1188, kIdPickUser = 1214, kIdCopyLink = 1216, kIdChat = 1217,
        kIdDuplicate = 1330,
    };
    // Messages of the pickers (wParam = the picker's key).
    enum : UINT {
        kMsgComputerChoice = 1034, kMsgUserScope = 1035, kMsgComputerPicked = 1036, kMsgUserPicked = 1037,
        kMsgLocationPicked = 1044,
    };
    // Requests whose replies come back to the pane.
    enum : int {
        kReqDeployables = 1002, kReqObjectChanged = 1003, kReqBusy = 1019, kReqIcon = 1022, kReqPath = 1028,
        kReqAdminPaths = 1033, kReqNotes = 1040, kReqEmails = 1047, kReqSave = 1051, kReqObject = 1052,
        kReqLinkAccess = 1053, kReqTasksDeleted = 1057, kReqWindows = 1063, kReqSurveys = 1068,
        kReqEmailSent = 1069, kReqAssignComputer = 1071, kReqReschedule = 1072, kReqTransfer = 1073,
        kReqChoices = 1074, kReqBuildSheet = 1080, kReqRoutes = 1088, kReqCacheNotice = 1100,
        kReqRequestChanged = 1107,
    };
    enum : int { kPathOfLocation = 14, kHeaderIcon = 11, kEmailsSearch = 12, kLegacyReread = 3, kDeployedReread = 4 };
    // Bits of the deployment type's "deployment_attribs".
    enum : DWORD {
        TypeLegacyAsset = 0x1, TypeNewAsset = 0x2, TypeNewModel = 0x4, TypeTransferLegacy = 0x8,
        TypeTransferNew = 0x10, TypeShowDetails = 0x100, TypeShowComponents = 0x200, TypeShowEmails = 0x400,
        TypeShowExceptions = 0x800, TypeShowSettings = 0x1000, TypeShowTasks = 0x2000,
    };
    // Tab image keys.
    enum : int { TabImageWarning = 1, TabImageDueSoon = 2, TabImageOverdue = 3, TabImageRequests = 4 };

    // Members, in the order they are built.
    CTWndHeader m_header;
    CTHyperLink m_userLink;
    CTHyperLink m_linkAccessLink;
    CTHyperLink m_legacyLink;
    CTHyperLink m_deployedLink;
    CTHyperLink m_administratorLink;
    CTWndDraw m_statusDraw;
    CTWndTag m_tags;
    CTString m_path;
    bool m_reloadPending = false;
    bool m_modified = false;
    std::map<int, Object> m_objects;                 // by slot; a missing slot reads as an empty object
    Object m_loaded;                                 // the deployment as last read from the cache
    std::map<__int64, Object> m_routes;              // transfer routes of the location by their parent id
    CTString m_linkAccessId;
    DeploymentWin m_slots;
    int m_consoleType = kConsoleType;
    int m_transferStep = 0;
    CTString m_noComputerText;
    CTString m_noUserText;
    CTString m_noLinkAccessText;
    CTIcon m_statusIcon;
    std::map<__int64, ComputerChoice> m_computerChoices;
    CPageDeployment* m_deploymentPage = nullptr;
    CDeployablePage* m_deployablePage = nullptr;
    CPageEmails* m_emailsPage = nullptr;
    CPageExceptions* m_exceptionsPage = nullptr;
    CPageTasks* m_tasksPage = nullptr;
    CRequestsPage* m_requestsPage = nullptr;
    CPageSettings* m_settingsPage = nullptr;
    int m_emailIcon = 0;
    HIMAGELIST m_tabImages = nullptr;
    CTWndIcon m_iconWnd;
    std::map<int, int> m_tabImageIndex;              // tab image key -> index in m_tabImages
    CTIcon m_copyIcon;
    bool m_surveysRequested = false;
    // A duplicate that took the deployment's id over while its creation is out: the original's id.
    __int64 m_duplicateSource = 0;
    CAttribute m_duplicateOriginalId;

    explicit DlgDeployment(int consoleType = kConsoleType);
    ~DlgDeployment() override;

    // CTWndConsole
    bool Create() override;
    void Destroy() override;
    HWND GetHwnd() override { return m_hWnd; }
    int GetConsoleType() override { return m_consoleType; }
    bool IsTabPane() override { return false; }
    void OnReply(RequestResult& result) override;
    void Refresh() override;

    // CWMFormHost
    void SetModified(bool modified) override;
    __int64 GetObjectId() override { return m_key; }

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // The slot's object; an empty object (id 0) for a slot never filled.
    const Object& GetSlot(int slot) const;
    Object& SlotRef(int slot) { return m_objects[slot]; }
    // A route back to this pane.
    RequestRoute Route(int request, __int64 param2 = 0, bool silent = false) const;

    // Loading (DlgDeploymentLoad.cpp).
    void Reload();
    void OnDeploymentLoaded(__int64 previousParent);
    void OnLegacyComputerLoaded();
    void OnDeployedComputerLoaded();
    void OnAdministratorLoaded();
    void OnUserLoaded();
    void ShowNoUser();
    void SetLinkAccessText();
    void OnLinkedObjectReply(RequestResult& result, int kind);
    void OnLinkAccessReply(RequestResult& result);
    void FillNewModels(ObjectBranch* branch);
    void AddEmailRow(const Object& email);
    void SetHeading(const CTString& title, const CTString& subtitle);
    void UpdateHeaderIcon();
    // A notice about linked objects while the pane holds edits: their lines follow the cache.
    void RefreshLinkedObjects(const std::vector<int>& slots);

    // Control state (DlgDeploymentControls.cpp).
    void UpdateControls();
    bool IsLegacyElsewhere() const;
    bool IsDeployedElsewhere() const;
    bool IsDeployedComputerAtRoute() const;
    void UpdateTabImages();
    // The status display's mark-up for a status name.
    static CTString BuildStatusMarkup(const CTString& statusName);

    // Assignments from the lists and pickers.
    void OnSlotOrTypeChanged(int control);
    void OnComputerPicked(__int64 key, const Object* computer);
    void OnUserPicked(__int64 userId);
    void SetUser(__int64 userId);
    void ClearUser();
    void OnLocationPicked(__int64 locationId);

    // Replies and pickers (DlgDeploymentReplies.cpp).
    void OnPathReply(RequestResult& result);
    void OnNotesCount(RequestResult& result);
    void OnRoutesReply(RequestResult& result);
    void OnTasksDeleted(RequestResult& result);
    void OnAdminPaths(RequestResult& result);
    void OnComputerAssigned(RequestResult& result);
    void OnCacheNotice(RequestResult& result);
    void OnIconArrived(RequestResult& result);
    void OnBuildSheet(RequestResult& result);
    void PickLegacyComputer();
    void PickDeployedComputer();

    // Workflow and save (DlgDeploymentWorkflow.cpp).
    // The codes of a transition list of the current status that the deployment's type allows.
    void GetTransitionCodes(std::vector<CTString>& codes, const wchar_t* transition);
    void StepStatus(bool forward);
    void Complete(bool succeed);
    void Reschedule();
    // Two passes: changed computers go to the server first; its answer runs the second pass.
    void Save();

    // Asset transfer and duplication (DlgDeploymentTransfer.cpp).
    void TransferAssets();
    void Duplicate();
    void CreateDuplicate(const Object& copy);
    void OnDuplicateSourceSaved(DB::DBEvent& reply, Object copy, CAttribute originalId);
    void OnDuplicateCreated(DB::DBEvent& reply);
    // Notices 1003 and 1004 to the schedule-group pane of the deployment's parent.
    void NotifyScheduleGroup(const Object& deployment);
    // "A100" -> "A100_a", "A100_a" -> "A100_b".
    static CTString RevisedDeploymentId(const CTString& id);

    // Logon link and chat (DlgDeploymentLinkAccess.cpp).
    CTString LinkAccessUrl() const;
    static CTString ChatLink(const CTString& email);
    void OpenLinkAccess();
    void CopyLinkAccess();
    void OpenChat();

    bool HasTypeFlag(DWORD flag) const;
    MainWindow* GetMain() const { return m_owner; }

private:
    void OnInitDialog();
    void CreatePages();
    void CreateTabImages();
    void ShowItem(int id, bool shown);
    void EnableItem(int id, bool enabled);
    void ShowWarning(int id, bool shown) { ShowItem(id, shown); }
    void SetLinkText(CTHyperLink& link, const wchar_t* text);
    void SetLinkName(CTHyperLink& link, const Object& object);
    bool OpenComputerPicker(bool deployed);
    void ReloadPages();
    void ShowStatusIcon();
    void ResetComputer(int slot);
    bool IsTypeKnown() const;
    void SendTransfer(__int64 routeId, __int64 computerId);
    void TransferIdAndDuplicate(Object copy);
    void RestoreDuplicateSourceId();
};
