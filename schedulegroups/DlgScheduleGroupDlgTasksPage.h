#pragma once
// The tasks page of the schedule-group form: the group's dashboard tasks in an editable list, new
// tasks by type, deletion, a template that replaces them all, and beside the list the task editor
// with the selected task's extended attributes. Its changes go out row by row when the form saves.
#include <windows.h>
#include <map>

#include "controls/CTListCtrlEdit.h"
#include "controls/CTWndListCtrlEx2.h"
#include "controls/CTWndPropertyList.h"
#include "framework/CTMenu.h"
#include "framework/CTWndSplitter.h"
#include "lists/ObjectList.h"
#include "schedulegroups/DlgScheduleGroupDlg.h"
#include "session/CTMenuItem.h"

// The property grid of the selected task: its "extended_edit_attribs", written back into the
// task's row of the page's list model.
class DlgScheduleGroupDlg::CTasksPageRHS : public CTWnd2, public CTWndSize {
public:
    static constexpr UINT kTemplateId = 400;
    enum : int { IdProperties = 1238 };

    DlgScheduleGroupDlg* m_form = nullptr;
    CTWndPropertyList m_properties;
    Object m_task;
    // Per attribute name, the choices offered; shared by every task shown.
    std::map<std::wstring, CTWndPropertyList::ChoiceMap> m_choiceLists;
    ObjectList* m_taskList = nullptr;
    // The e-mail templates of the form's one request, once its reply arrived.
    CTWndPropertyList::ChoiceMap m_emailTemplates;
    bool m_emailTemplatesArrived = false;

    void ShowTask(ObjectList& list, __int64 taskId);
    void OnEmailTemplates(TiXmlDocument& reply);
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    static int OnPropertyEdited(void* context, __int64 data, int code, CAttribute* value);

    // The names of a task's "extended_edit_attribs", each with whether it was starred.
    static std::vector<std::pair<CTString, bool>> ExtendedNames(const Object& task);
    // The choices of a "VALUES" item: the comma-separated words without their single quotes, keyed 0 to n-1.
    static void AddValueChoices(const CTString& values, CTWndPropertyList::ChoiceMap& choices);
    // A text attribute offered the e-mail templates.
    static bool IsEmailAttribute(const Object& task, const CTString& name);
};

class DlgScheduleGroupDlg::CTasksPage : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 399;
    enum : int {
        IdList = 1016, CmdApplyTemplate = 391, CmdNew = 257, CmdDelete = 258, CmdFirstItem = 5000,
        CmdLastItem = 5198, StrApplyTemplate = 121, StrNew = 107, StrDelete = 108,
    };
    enum ItemKind : int { KindTemplate = 0, KindNewTask = 1 };
    static constexpr const wchar_t* kSplitterKey = L"DlgTemplateSet::CTasksPage";
    static constexpr int kDefaultSplitter = 100;

    CTasksPageRHS m_editor;
    CTWndListCtrlEx2 m_list;
    CTListCtrlEdit m_cells;
    ObjectList m_tasks;
    std::map<int, CTMenuItem> m_menuItems;
    CTMenu m_templateMenu;
    CTMenu m_newMenu;
    int m_nextCommand = CmdFirstItem;
    CTWndSplitter m_splitter;
    bool m_splitterRestored = false;
    HIMAGELIST m_newMenuImages = nullptr;   // owned copy given to the new menu
    // Set by each load of the form: the rows are built afresh. Otherwise (a later reply of the
    // same load) rows with unsaved changes are carried over.
    bool m_freshLoad = true;

    CTasksPage();
    ~CTasksPage() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Load() override;
    bool Save() override;
    UINT GetTemplateId() override { return kTemplateId; }

    void OnResult(RequestResult* result);
    static void OnCellChanged(void* context, int item, int column, CAttribute* value);
    void ShowNewMenu();
    void ShowTemplateMenu();
    void BuildNewMenu(bool withIcons);
    void BuildTemplateMenu();
    void RemoveSelectedTasks();
    void ApplyTemplate(__int64 templateId);
    // The children the page lists: the group's own tasks with a non-zero numeric "dashboard_display".
    static std::vector<Object> DashboardTasks(const ObjectBranch& group);
    // The group's children whose pending changes this save sends with the task's row instead:
    // each changed row takes the child's changes, and the child is left with none.
    void TakeChildChanges(ObjectBranch& group);

private:
    DlgScheduleGroupDlg* Form() { return static_cast<DlgScheduleGroupDlg*>(m_form); }
    void OnInitDialog();
    void ShowMenu(int button);
    int NextCommand();
    void ForgetMenuItems(int kind);
};
