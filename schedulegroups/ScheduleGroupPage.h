#pragma once
// A page of the schedule-group view: one row per object of the view's cache that the page lists,
// one cell per column of its table, rebuilt when the view's cache changed and the page is shown.
// The page holds its left-hand host with the page's filter panels and a report list of the objects
// the current panel passes; the current panel and the panels' choices are kept per connection.
// Selected rows can be opened, deleted, or dragged onto an entry of the current panel.
#include <windows.h>
#include <commctrl.h>
#include <map>
#include <vector>
#include "calendars/model/DeploymentWin.h"
#include "controls/CTListCtrlReportEx.h"
#include "controls/CTWndListCtrlEx2.h"
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "framework/CTRegKey.h"
#include "framework/CTWndSplitter.h"
#include "schedulegroups/ScheduleGroupPanelHost.h"
#include "schedulegroups/DlgScheduleGroup.h"

struct RequestResult;

class DlgScheduleGroup::CPageBase : public CLinkedListObject {
public:
    explicit CPageBase(int kind);
    ~CPageBase() override;

    DlgScheduleGroup* m_view = nullptr;   // the owner view; not owned
    int m_kind = 0;
    int m_initialPanel = 5;
    bool m_stale = false;
    HWND m_hWnd = nullptr;
    CTWndListCtrlEx2 m_frame;                       // list frame 1016: caption band, toolbar, report
    CTListCtrlReportEx& m_list = m_frame.m_report;
    CTWndSplitter m_splitter;                       // between the host and the list frame
    std::vector<ColHeading> m_columns;
    int m_fills = 0;                      // how many times the rows were rebuilt
    int m_loadState = 0;
    DlgLHS m_host;
    int m_panelWidth = 0;
    int m_selectedCount = 0;
    int m_rowCount = 0;
    bool m_filling = false;
    __int64 m_fillType = 0;               // the page type's number while the rows are rebuilt
    DeploymentWin m_windows;
    HIMAGELIST m_dragImage = nullptr;
    bool m_dragging = false;
    int m_dragCursor = 0;                 // 0, IDC_ARROW or IDC_NO: the cursor last set while dragging
    int m_dropKey = 0;                    // the panel entry the rows were last dropped on; 0 none
    CTString m_dropText;                  // the tag the rows were last dropped on

    enum : int { kListId = 1016, kMaxDragRows = 30, kOverlayImage = 1 };
    enum ImageKey : int { ImageFlag = 504, ImageWarning = 505 };

    virtual bool Create(HWND parent);
    virtual int GetPageKind() const { return m_kind; }
    virtual CTString GetTabName() const;
    HWND GetHwnd() const { return m_hWnd; }
    virtual void SetFocus();
    // Whether an object of the view's cache is a row of this page.
    virtual bool Accepts(const Object& object) const;

    // The view's loaded bits: rows are built once a load has completed.
    virtual void OnLoadState(int bits) { m_loadState = bits; }
    // Rebuilds when this is the view's current page, else marks the page stale.
    virtual void RefreshIfCurrent();
    // Rebuilds when the page window is visible, else marks the page stale.
    virtual bool RefreshIfVisible();
    virtual void FillRows();
    // False while the view still waits for its load or for fetched objects.
    bool ReadyToFill() const;
    virtual void RefreshColumn(const CTString& key);
    virtual void UpdateObjectRow(const Object& object, const Object* old);
    virtual void RemoveObjectRow(const Object& object);
    // An arrived icon (1022) replaces its placeholder in the list; the group's deployment windows
    // (1063) go into the deployments page's window record, path replies to its panels.
    virtual void OnIconArrived(RequestResult& result);
    // The deployments page's record of the group's deployment windows; null on other pages.
    virtual DeploymentWin* GetWindowRecord() { return m_kind == PageDeployments ? &m_windows : nullptr; }
    virtual void OnSlotUpdate(DB::Slot& slot) { (void)slot; }
    // Ends a drag still running; the entry under the cursor is dropped on nothing.
    virtual void EndDrag() { FinishDrag(); }
    virtual void ForwardToPanel(WPARAM wParam, LPARAM lParam) { (void)wParam, (void)lParam; }

    // Page parameters; the pages override what differs from these defaults by kind.
    virtual const wchar_t* TypeName() const;
    virtual CTString EmptyText() const;
    // The item name of the delete confirmation (a string resource); 0 for none.
    virtual UINT ItemNameId() const;
    virtual std::vector<CTListCtrlReportEx::ToolbarButton> ToolbarButtons() const;
    // The second route parameter of a delete: the console type of the deleted object.
    virtual int DeleteRouteParam() const;
    virtual std::vector<ColHeading> FixedColumns() const { return DefaultColumns(m_kind); }
    // Marks a row with overlay image 1 where the page's rule says so.
    virtual void ApplyOverlay(int item, const Object& object) { (void)item, (void)object; }
    // Toolbar and context-menu commands of the list.
    virtual void OnListCommand(UINT command);
    // The bulk-update hand-over: the wizard of this page, the selected ids for a wizard kind.
    virtual void OpenWizard() {}
    virtual void CollectSelection(int wizardKind, std::map<__int64, int>& out) { (void)wizardKind, (void)out; }
    // The current panel's kind, the key of the last drop (handed over once) and the dropped tag.
    void GetDropInfo(int& kind, int& key, CTString& text);

    // The page's column table.
    static std::vector<ColHeading> DefaultColumns(int kind);
    // Fixed columns, then the hidden custom columns of the mappings that the type definition has.
    void BuildColumns();
    static void AppendCustomColumns(const Object& definition, const std::vector<Object>& mappings,
                                    std::vector<ColHeading>& columns);
    // "caption,width,visible" per column, joined by ";".
    static CTString ColumnSpec(const std::vector<ColHeading>& columns);
    // The list image of an object's "tree_image" icon, added to the list once per icon; -1 without one.
    int RowImage(const Object& object);
    // The object ids of the selected rows, in list order.
    std::vector<__int64> SelectedIds();
    // Sends a delete for every selected row's object; the rows go when the view reports the deletion.
    void DeleteSelected();
    // The large icon of the page's type for the delete confirmation.
    void PutTypeIcon(DeleteConfirmInfo& info);

    // Row drag onto an entry of the current panel.
    bool OnListNotifyDrag(NMHDR* hdr);
    // Mouse moves and the button release while dragging; true when the message was the drag's.
    bool OnDragMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void BeginDrag(POINT listPoint);
    // Ends the drag; the key of the entry the rows were dropped on, 0 for none.
    int FinishDrag();
    void Drop();
    // The page's window class name, which names its settings key.
    const wchar_t* ClassName() const;
    CTString SettingsPath() const;
    void LoadSettings();
    void SaveSettings();
    // Places the host and the list side by side; the first time also picks the initial panel.
    void Layout(int cx, int cy);
    DlgLHSBase* CurrentPanel() const { return m_host.m_current; }
    // "%d/%d Selected" as the view's pane status text; not while the rows are being rebuilt.
    CTString StatusText() const;
    void UpdateStatusText();
    // Opens the object of a row in its pane (the users page with the super-user check).
    void OpenRow(int item);
    // Row and selection changes of the list update the status text.
    LRESULT OnListNotify(NMHDR* hdr);

protected:
    // The exceptions and tags panels (the deployments page's fail-code and administrators panels first).
    virtual void CreatePanels();
    static LRESULT CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    WNDPROC m_staticProc = nullptr;
    bool m_laidOut = false;
    void RegisterImages();
    int SetRow(CTListCtrlReport::Row& row, int item);
};
