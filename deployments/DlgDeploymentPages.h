#pragma once
// The tabbed pages of the deployment pane, in tab order: Details, Components, E-mails, Exceptions,
// Tasks, requests and Settings. Each is a child dialog of its own template that reads the pane's
// working copy of the deployment; edits go back into that copy and leave with the pane's save.
#include <windows.h>
#include <map>
#include <vector>
#include "app/CWMFormPage.h"
#include "controls/CTListCtrlEdit.h"
#include "controls/CTWndListCtrlEx2.h"
#include "controls/CTWndPropertyList.h"
#include "deployments/DlgDeployment.h"
#include "framework/CTHyperLink.h"
#include "framework/CTIcon.h"
#include "framework/CTMenu.h"
#include "session/ObjectBranch.h"

class TimeZoneList;

// Base of the pages: the pane that hosts them and its working copy.
class DeploymentPageBase : public CWMFormPage {
public:
    DlgDeployment* GetPane() const { return dynamic_cast<DlgDeployment*>(m_host); }
    // The pane's working copy; an empty object without a pane.
    const Object& GetDeployment() const;
    // Loads while the page is on show; otherwise waits until its tab is selected.
    bool Load() override;
    virtual bool CanLoadNow() const { return m_hWnd && IsWindowVisible(m_hWnd); }
    virtual void Fill() {}
    virtual void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    virtual int RowCount() { return 0; }
    RequestRoute PaneRoute(int request, __int64 param2) const;
    MainWindow* GetMain() const;
    void MarkModified();
    // Anchors a list frame to the page's edges and creates it with the pages' common report style
    // (focusable, single selection, no list-view grid lines, the given grid options); the report,
    // or null when the frame could not be made.
    CTListCtrlReportEx* CreatePageList(CTWndListCtrlEx2& list, int id, int gridOptions);

    bool m_readOnly = false;
    int m_loads = 0;   // loads done, for the pane's tests
};

// Custom attributes of the deployment in a property list.
class DlgDeployment::CPageDeployment : public DeploymentPageBase {
public:
    enum : UINT { kTemplate = 356 };
    enum : int { kIdList = 1185 };
    CTWndPropertyList m_properties;
    UINT GetTemplateId() override { return kTemplate; }
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void Fill() override;
    void SetReadOnly(bool readOnly) override;
    void OnChoicesArrived(int attributeId);
    // Writes the rows into the deployment: inherit choice first, then the value of an own one.
    void SaveRows(Object& deployment);
    static int Validate(void* context, HWND editor, int kind, __int64 data);
};

// The deployable components the deployment receives: one row per offered object with an
// "Available" tick; mandatory ones are ticked for good. A view narrows the rows to one object type;
// "Inherit Values" lets the deployment fall back to its inherited choice.
class DlgDeployment::CDeployablePage : public DeploymentPageBase {
public:
    enum : UINT { kTemplate = 372 };
    enum : int {
        kIdList = 1016, kColumnAvailable = 2, kCmdSelect = 122, kCmdInherit = 388, kCmdView = 389,
        kCmdAll = 32808, kCmdNone = 32809, kCmdInvert = 32810, kCmdViewAll = 32826, kCmdFirstType = 5000,
        kCmdLastType = 5198, kCmdFilterA = 32816, kCmdFilterB = 32818, kCmdFilterC = 32819, kCmdFilterD = 32821,
        kMsgRedraw = WM_USER + 1, kSelectMenu = 204, kViewMenu = 205, kIconView = 208, kIconInherit = 207,
        kIconSelect = 188,
    };
    CTWndListCtrlEx2 m_list;
    CTListCtrlEdit m_editor;                    // the "Available" check boxes
    CTMenu m_selectMenu;
    CTMenu m_viewMenu;
    std::vector<CTIcon> m_menuIcons;            // handed out for View menu items
    std::vector<int> m_pendingIcons;            // application image indices still being fetched
    HIMAGELIST m_viewImages = nullptr;          // the View menu's copy of the application's icons

    ~CDeployablePage() override;
    ObjectBranch m_shown;
    ObjectBranch m_full;
    std::vector<__int64> m_selected;
    std::vector<__int64> m_mandatory;           // of the last fill
    std::vector<__int64> m_typeIds;             // of the shown objects, in order of appearance
    std::vector<CTString> m_typeTexts;
    std::map<int, __int64> m_viewCommands;      // View menu command -> type
    __int64 m_viewFilter = 0;                   // 0 every type
    bool m_firstViewPending = true;
    bool m_loaded = false;
    bool m_modified = false;
    std::vector<__int64> m_modelAvailable;
    std::vector<__int64> m_modelMandatory;

    UINT GetTemplateId() override { return kTemplate; }
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void Fill() override;
    bool Save() override;
    void SetReadOnly(bool readOnly) override;
    int RowCount() override { return m_list.m_report.m_hWnd ? m_list.m_report.GetItemCount() : 0; }
    void SetModelRestriction(const Object& model);
    void OnDeployablesArrived(ObjectBranch* branch);
    void OnIconArrived(RequestResult& result);
    // Loads the View menu: "All", then one entry per shown type with its icon.
    void BuildViewMenu();
    // Tracks the Select (122) or View (389) menu under its button and runs the chosen command.
    void ShowMenu(int button);
    void Refill();
    void ApplySelectCommand(int command);
    // Ticks or clears a row as a click on its box does.
    void SetAvailable(int item, bool available);
    bool IsAvailable(int item);
    bool IsMandatoryRow(int item);
    bool IsInheritChecked() const;
    void SetInheritState(bool checked);
    // Fills the View command map: one command per shown type, from 5000.
    void BuildViewCommands();

private:
    void ApplyModelRestriction();
    __int64 RowId(int item);
    int ImageFor(const Object& object);
    void OnAvailableChanged(int item, bool available);
    static void OnValueChanged(void* context, int item, int column, CAttribute* value);
};

// E-mails sent about the deployment, newest first.
class DlgDeployment::CPageEmails : public DeploymentPageBase {
public:
    enum : UINT { kTemplate = 352 };
    enum : int { kIdList = 1016, kWindowWizard = 26, kConsoleEmail = 1033 };
    CTWndListCtrlEx2 m_list;
    UINT GetTemplateId() override { return kTemplate; }
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void Fill() override;
    int RowCount() override { return m_list.m_report.m_hWnd ? m_list.m_report.GetItemCount() : 0; }
    void Clear();
    void AddRow(const Object& email, int image);
    void FitColumns();
    void OpenWizard();
    void OpenSelectedEmail();
};

// Exceptions raised on the deployment; persistent ones can be cleared.
class DlgDeployment::CPageExceptions : public DeploymentPageBase {
public:
    enum : UINT { kTemplate = 374 };
    enum : int { kIdList = 1016 };
    CTWndListCtrlEx2 m_list;
    UINT GetTemplateId() override { return kTemplate; }
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void Fill() override;
    int RowCount() override { return m_list.m_report.m_hWnd ? m_list.m_report.GetItemCount() : 0; }
    // Removes the selected exceptions that are persistent; the others stay.
    void DeleteSelected();
};

// Tasks directly under the deployment that are shown on dashboards, with their due state.
class DlgDeployment::CPageTasks : public DeploymentPageBase {
public:
    enum : UINT { kTemplate = 393 };
    enum : int { kIdList = 1016, kColumnBy = 3 };
    CTWndListCtrlEx2 m_list;
    std::map<int, int> m_dueImages;   // due state -> image index
    int m_dueState = 1;               // the worst due state of the rows: 1 open, 3 due soon, 4 overdue
    UINT GetTemplateId() override { return kTemplate; }
    bool Save() override { return true; }
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void Fill() override;
    int RowCount() override { return m_list.m_report.m_hWnd ? m_list.m_report.GetItemCount() : 0; }
    void UpdateTaskRow(const Object& task);
    void SetAdministratorName(int column, __int64 administratorId, const CTString& name);
    void RemoveRow(__int64 taskId);
    void FitColumns();
    void OpenSelected();
    void DeleteSelected();
    // Whether the object belongs on the page: a direct child of the deployment, of the Task type
    // or a derived one, shown on dashboards.
    bool IsListedTask(const Object& task) const;
    bool IsListedTask(const Object& task, __int64 taskType) const;

private:
    void BuildRow(const Object& task, const wchar_t* name, int completedType, CTListCtrlReport::Row& row,
                  std::vector<__int64>& needPaths);
    void AskPaths(std::vector<__int64>& ids);
};

// Holds the place of the requests tab; present only while requests about the deployment exist.
class DlgDeployment::CRequestsPage : public DeploymentPageBase {
public:
    enum : UINT { kTemplate = 0 };
    CRequestsPage() { m_enabled = false; }
    UINT GetTemplateId() override { return kTemplate; }
    void OnRequestChanged(__int64 requestId) { m_changed.push_back(requestId); }
    std::vector<__int64> m_changed;
};

// Time zone, location and survey page of the deployment, each with its inherit toggle.
class DlgDeployment::CPageSettings : public DeploymentPageBase {
public:
    enum : UINT { kTemplate = 389 };
    enum : int {
        kIdTimeZone = 1059, kIdTimeZoneInherit = 1250, kIdLocation = 1046, kIdPickLocation = 1077,
        kIdLocationInherit = 1245, kIdSurvey = 1087, kIdSurveyInherit = 1062, kWindowLocationPicker = 34,
    };
    CTHyperLink m_location;
    UINT GetTemplateId() override { return kTemplate; }
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void Fill() override;
    bool Save() override;
    void SetLocationText(const wchar_t* text);
    void FillSurveys(TiXmlDocument& document);
    void UpdateEnables();
    bool IsChecked(int id) const;
};

// The position of the time zone with that id in the list; -1 when absent.
int FindTimeZoneIndex(const TimeZoneList& zones, const CTString& id);
