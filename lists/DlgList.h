#pragma once
// The setup-tab pane that lists the directory objects of one type in an editable report: rows are
// added, edited and deleted in place and saved from the main window's tab strip, one request at a
// time; the list exports to an object file and starts the list import. Kinds (DlgListKinds.h) add
// captions, buttons and what opening a row does.
#include <windows.h>
#include <vector>
#include "app/CTWndConsole.h"
#include "app/PaneKey.h"
#include "controls/CTListCtrlEdit.h"
#include "controls/CTWndListCtrlEx2.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndManagerVTabPage.h"
#include "framework/CTWndSize.h"
#include "lists/ObjectList.h"

// The pane and tab-page interfaces both name a Refresh, with different results: each is reached
// through a name of its own.
class DlgListConsole : public CTWndConsole {
public:
    void Refresh() final { RefreshPane(); }
    virtual void RefreshPane() = 0;
};

class DlgListTabPage : public CTWndManager::VTabPage {
public:
    bool Refresh() final { return RefreshTab(); }
    bool Save() final { return SaveChanges(); }
    virtual bool RefreshTab() = 0;
    // True when nothing was sent (nothing is left to save).
    virtual bool SaveChanges() = 0;
};

class DlgList : public CTWnd2, public CTWndSize, public DlgListConsole, public ObjectList, public DlgListTabPage {
public:
    enum : int { kTemplate = 135, kIdList = 1016 };
    enum : int {
        kCmdImport = 174, kCmdExport = 175, kCmdNew = 257, kCmdDelete = 258, kCmdCopy = 262, kCmdPaste = 263,
        kCmdOpen = 264, kCmdWizard = 204,
    };
    enum : int {
        kReqNotice = 1003, kReqSave = 1006, kReqIcon = 1022, kReqPath = 1028, kReqSearch = 1047, kReqType = 1048,
        kReqFormSaved = 1051, kReqCopied = 1055, kReqDir = 1100,
    };
    enum : UINT { kMsgRefresh = 1054, kStrSelected = 156 };
    enum : int { kImportWizardType = 8 };

    explicit DlgList(int consoleType);
    ~DlgList() override;

    // CTWndConsole
    bool Create() override;
    void Destroy() override;
    HWND GetHwnd() override { return m_hWnd; }
    int GetConsoleType() override { return m_consoleType; }
    bool IsTabPane() override { return true; }
    void OnReply(RequestResult& result) override;
    void RefreshPane() override;
    // The pane's folder from the main window's system folder ids, when it has one.
    void OnSystemFolders() override;

    // Tab page
    bool RefreshTab() override;
    bool SaveChanges() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    virtual void InitCaption() { m_caption = m_typeName; }
    virtual void Load();
    virtual void OpenItem(__int64 id, int item) { (void)id, (void)item; }
    virtual void CopyItem(__int64 id) { (void)id; }
    virtual void PasteItem() {}
    virtual int AddNew();
    virtual void DeleteSelected();
    virtual void Import();
    // Every row of the list's own type, rows waiting to be deleted included, into an object file
    // the user names.
    virtual void Export();
    // The toolbar buttons a kind adds after New, Delete, Import and Export.
    virtual void AddToolbarButtons(std::vector<CTListCtrlReportEx::ToolbarButton>& buttons) { (void)buttons; }
    virtual bool OnKindCommand(int command) { (void)command; return false; }

    // The report's delete confirmation, filled with the pane's caption (notification 5).
    void FillDeleteConfirm(struct DeleteConfirmInfo& info);
    void UpdateStatusText();
    // The route of the pane's requests with the request id.
    RequestRoute PaneRoute(int requestId) const;
    void RequestPaths(std::vector<__int64>& ids);
    CTListCtrlReportEx& Report() { return m_list.m_report; }
    // The folder the pane lists when the main window gave none (from its system folder ids).
    virtual __int64 DefaultParentId() const;
    void NotifyChanged(int operation, Object* object) override;

    CTWndListCtrlEx2 m_list;
    CTListCtrlEdit m_editor;
    CTString m_caption;
    CTString m_typeName;
    __int64 m_parentId = 0;   // the folder whose objects the pane lists
    int m_consoleType = 0;
    bool m_importExport = false;
    bool m_newDelete = true;
    bool m_loadAfterType = false;
    int m_selectedCount = 0;
    int m_itemCount = 0;
    HICON m_icon = nullptr;

private:
    void OnInitDialog();
    void OnSaveResult(RequestResult& result);
    bool SaveNext();
    int FirstSelected() const;
    static void OnEditValue(void* context, int item, int column, CAttribute* value);
    static void OnFillChoices(void* context, const CTString* listName, CTListCtrlEdit::Choices* entries);
};
