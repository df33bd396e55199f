#pragma once
// The pane of deployable components (console type 1041): the components of one deployable type at
// a time, chosen from the View menu, in an editable report whose columns are the type's
// "console_edit_attribs". Rows are added, edited and deleted in place and saved one request at a
// time when the tab strip saves the page; the list exports to an object file and starts the import.
#include <map>
#include <vector>
#include "app/CTWndConsole.h"
#include "controls/CTListCtrlEdit.h"
#include "controls/CTWndListCtrlEx2.h"
#include "foundation/CLinkedList.h"
#include "framework/CTMenu.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndManagerVTabPage.h"
#include "framework/CTWndSize.h"
#include "session/Object.h"
#include "session/RequestRoute.h"

struct DeleteConfirmInfo;

// The pane and tab-page interfaces both name a Refresh: each is reached through a name of its own.
class DeployablesConsole : public CTWndConsole {
public:
    void Refresh() final { RefreshPane(); }
    virtual void RefreshPane() = 0;
};

class DeployablesTabPage : public CTWndManager::VTabPage {
public:
    bool Refresh() final { return RefreshTab(); }
    bool Save() final { return SaveChanges(); }
    virtual bool RefreshTab() = 0;
    virtual bool SaveChanges() = 0;
};

class DlgListDeployables : public CTWnd2, public CTWndSize, public DeployablesConsole, public DeployablesTabPage {
public:
    enum : int { kConsoleType = 1041, kTemplate = 135, kIdList = 1016, kIcon = 213, kViewIcon = 208, kMenu = 205 };
    enum : int {
        kCmdImport = 174, kCmdExport = 175, kCmdNew = 257, kCmdDelete = 258, kCmdOpen = 264, kCmdView = 389,
        kCmdRefresh = 1014, kCmdSave = 1015, kCmdAll = 32826, kCmdFirstType = 5000, kCmdLastType = 5198,
    };
    enum : int { kReqSave = 1006, kReqIcon = 1022, kReqSearch = 1047 };
    enum : UINT { kMsgRefresh = 1054 };
    enum : int { kImportWizardType = 8 };
    enum State : int { Unchanged = 0, New = 1, Deleted = 2, Changed = 3 };

    struct Row : CLinkedListObject {
        int state = Unchanged;
        bool dirty = false;   // not yet sent
        Object object;
    };

    DlgListDeployables();
    ~DlgListDeployables() override;

    bool Create() override;
    void Destroy() override;
    HWND GetHwnd() override { return m_hWnd; }
    int GetConsoleType() override { return kConsoleType; }
    bool IsTabPane() override { return true; }
    void OnReply(RequestResult& result) override;
    void RefreshPane() override;
    bool RefreshTab() override;
    // Sends the first dirty row with a change; false when none is left.
    bool SaveChanges() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    void SelectType(const Object& type);
    void FillList();
    int AddRow(Row& row);
    void AddNew();
    void DeleteSelected();
    void OpenRow(int item);
    void Export();
    void Import();
    // The View menu: one item per deployable type (5000 + i, at most up to 5198), or only "All".
    HMENU BuildTypeMenu();
    void ShowTypeMenu();

    // The editor kind of a cell from its value type and its whole edit rule.
    static int EditorKind(const CAttribute& value, const CTString& spec);
    // Entry i of the edit rule's "VALUES" list, single quotes trimmed; nothing without one.
    static void FillChoicesFromValues(const CTString& spec, CTListCtrlEdit::Choices& choices);

    CTListCtrlReportEx& Report() { return m_list.m_report; }
    RequestRoute PaneRoute(int requestId) const;
    bool IsRow(const Row* row) const;
    __int64 FolderId() const;

    CTWndListCtrlEx2 m_list;
    CTListCtrlEdit m_editor;
    __int64 m_folderId = 0;
    CLinkedList m_rows;   // of Row
    std::vector<Object> m_types;
    Object m_shownType;
    std::vector<CTString> m_columnNames;
    CTMenu m_typeMenu;
    std::map<int, __int64> m_commandTypes;
    HICON m_icon = nullptr;

    using CTWnd2::Create;

private:
    void OnInitDialog();
    void OnSaveResult(RequestResult& result);
    void FillDeleteConfirm(DeleteConfirmInfo& info);
    int FirstSelected();
    void MarkModified(bool modified);
    static void OnValueChanged(void* context, int item, int column, CAttribute* value);
    static void OnFillChoices(void* context, const CTString* listName, CTListCtrlEdit::Choices* entries);

    Row* m_unanswered = nullptr;   // the row whose request is out without a reply yet
};
