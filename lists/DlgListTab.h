#pragma once
// A tab of the settings pane listing every object of one type in one directory folder as an
// editable report: rows are added, edited and deleted in place and saved when the pane saves, one
// request at a time. Replies come back through the hosting pane, keyed by the tab id. Kinds
// (DlgListTabKinds.h) add Properties, Copy and Paste and the form a row opens.
#include <windows.h>
#include <vector>
#include "app/CTWndConsole.h"
#include "controls/CTListCtrlEdit.h"
#include "controls/CTWndListCtrlEx2.h"
#include "framework/CTWndTab.h"
#include "lists/ObjectList.h"

struct RequestResult;
struct DeleteConfirmInfo;

class DlgListTab : public CTWndTab, public ObjectList {
public:
    enum : int { kTemplate = 408, kIdList = 1016 };
    enum : int { kCmdNew = 257, kCmdDelete = 258, kCmdCopy = 262, kCmdPaste = 263, kCmdProperties = 264 };
    enum : int {
        kReqNotice = 1003, kReqSave = 1006, kReqIcon = 1022, kReqPath = 1028, kReqSearch = 1047, kReqType = 1048,
        kReqFormSaved = 1051, kReqCopied = 1055,
    };
    enum : UINT { kMsgRefresh = 1054 };

    explicit DlgListTab(int tabId);
    ~DlgListTab() override;

    // Remembers the hosting pane, routes the tab's requests through it (console key = tab id) and
    // creates the page as a child of the pane's window.
    virtual bool SetHost(CTWndConsole* host);
    int GetTabId() override { return m_tabId; }
    void Refresh() override;
    virtual bool Reload();
    // True when nothing was sent (nothing left to save).
    virtual bool SaveChanges();
    virtual void OnResult(RequestResult& result);
    bool OnInitTab() override;
    // Follows the tab's own shown state, whether or not the pane around it is on screen.
    void OnWindowPosChanging(WINDOWPOS* pos) override;
    void SetModified(bool modified) override;

    virtual void OpenItem(__int64 id) { (void)id; }
    virtual void CopyItem(__int64 id) { (void)id; }
    virtual void PasteItem() {}
    virtual void InitCaption();
    // The buttons a kind adds after New and Delete.
    virtual void AddToolbarButtons(std::vector<CTListCtrlReportEx::ToolbarButton>& buttons) { (void)buttons; }

    void AddNew();
    void DeleteSelected();
    void NotifyChanged(int operation, Object* object) override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    RequestRoute TabRoute(int requestId) const;
    CTListCtrlReportEx& Report() { return m_list.m_report; }
    int FirstSelected();
    // The id of the first selected row, 0 without one.
    __int64 SelectedId();
    App* GetApp() const { return m_host ? m_host->GetApp() : nullptr; }

    CTWndListCtrlEx2 m_list;
    CTListCtrlEdit m_editor;
    __int64 m_parentId = 0;   // the folder whose objects the tab lists; 0 until the host assigns it
    CTString m_typeName;
    int m_tabId = 0;
    HICON m_icon = nullptr;
    BYTE m_newDelete = 1;
    CTWndConsole* m_host = nullptr;
    bool m_modified = false;

    using CTWnd2::Create;

private:
    void FillDeleteConfirm(DeleteConfirmInfo& info);
    void OnShown(bool shown);
    void OnSaveResult(RequestResult& result);
    bool SaveNext();
    void RequestPaths(std::vector<__int64>& ids);
    void OnIcon(int index);
    static void OnEditValue(void* context, int item, int column, CAttribute* value);
    static void OnFillChoices(void* context, const CTString* listName, CTListCtrlEdit::Choices* entries);
};

// The setting-list kinds' type name for a tab id (empty for an unknown one).
const wchar_t* ListTabTypeName(int tabId);
