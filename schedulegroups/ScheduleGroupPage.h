#pragma once
// A page of the schedule-group view: one row per object of the view's cache that the page lists,
// one cell per column of its table, rebuilt when the view's cache changed and the page is shown.
// The page holds its left-hand host with the page's filter panels and a report list of the objects
// the current panel passes; the current panel and the panels' choices are kept per connection.
// Drag and drop, the list's toolbar and column layouts are not part of this page yet.
#include <windows.h>
#include <vector>
#include "calendars/model/DeploymentWin.h"
#include "controls/CTListCtrlReport.h"
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "framework/CTRegKey.h"
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
    CTListCtrlReport m_list;
    std::vector<ColHeading> m_columns;
    int m_fills = 0;                      // how many times the rows were rebuilt
    int m_loadState = 0;
    DlgLHS m_host;
    int m_panelWidth = 0;
    int m_selectedCount = 0;
    int m_rowCount = 0;
    bool m_filling = false;
    DeploymentWin m_windows;

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
    virtual void RefreshColumn(const CTString& key);
    virtual void UpdateObjectRow(const Object& object, const Object* old);
    virtual void RemoveObjectRow(const Object& object);
    // The group's deployment windows (1063) go into the deployments page's window record.
    virtual void OnIconArrived(RequestResult& result);
    // The deployments page's record of the group's deployment windows; null on other pages.
    virtual DeploymentWin* GetWindowRecord() { return m_kind == PageDeployments ? &m_windows : nullptr; }
    virtual void OnSlotUpdate(DB::Slot& slot) { (void)slot; }
    virtual void EndDrag() {}
    virtual void ForwardToPanel(WPARAM wParam, LPARAM lParam) { (void)wParam, (void)lParam; }

    // The page's column table.
    static std::vector<ColHeading> DefaultColumns(int kind);
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
    void OnListNotify(NMHDR* hdr);

protected:
    void CreatePanels();
    static LRESULT CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    WNDPROC m_staticProc = nullptr;
    bool m_laidOut = false;
    void SetUpColumns();
    int SetRow(CTListCtrlReport::Row& row, int item);
};
