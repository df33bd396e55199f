#include "people/ExceptionsPage.h"

#include <algorithm>
#include <commctrl.h>
#include "app/MainWindow.h"

namespace {

using Report = CTListCtrlReportEx;

// The system's small warning icon: user32's own, else the shared one.
HICON LoadWarningIcon()
{
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    if (HMODULE user32 = LoadLibraryExW(L"user32.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        HICON icon = static_cast<HICON>(LoadImageW(user32, MAKEINTRESOURCEW(101), IMAGE_ICON, cx, cy, 0));
        FreeLibrary(user32);
        if (icon)
            return icon;
    }
    return CopyIcon(LoadIconW(nullptr, IDI_EXCLAMATION));
}

__int64 RowId(Report& report, int item)
{
    return static_cast<__int64>(reinterpret_cast<INT_PTR>(report.GetRowData(item)));
}

} // namespace

bool ExceptionsPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    if (msg == WM_INITDIALOG) {
        CTWndSize::Init(m_hWnd, false, 0, 0, false);
        AddItem(GetDlgItem(m_hWnd, kIdList), 12);
        if (m_list.Create(m_hWnd, kIdList, true, 0)) {
            Report& report = m_list.m_report;
            report.ModifyOptions(CTListCtrlReport::OptGridLines, CTListCtrlReport::OptStretch);
            report.ModifyStyle(LVS_SINGLESEL | LVS_SORTASCENDING, WS_TABSTOP | LVS_NOCOLUMNHEADER, 0);
            ListView_SetExtendedListViewStyleEx(report.m_hWnd, LVS_EX_GRIDLINES, 0);
            report.SetColumns(CTString(L"\" \""), 0, nullptr, nullptr);
            report.SetEmptyText(CTString(L"No Exceptions"));
            const Report::ToolbarButton buttons[] = {{Report::CmdDelete, Report::kStandardImage, 108, BTNS_BUTTON}};
            m_list.CreateToolbar(this, TBSTYLE_TOOLTIPS, 1, buttons);
            HICON warning = LoadWarningIcon();
            report.AddImage(warning);
            DestroyIcon(warning);
            RECT rc;
            GetWindowRect(m_list.m_hWnd, &rc);
            const int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
            SetWindowPos(m_list.m_hWnd, nullptr, 0, 0, cx - 1, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            SetWindowPos(m_list.m_hWnd, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        *result = TRUE;
        return true;
    }
    if (handled)
        return true;
    return RecordPage::OnMessage(msg, wParam, lParam, result);
}

bool ExceptionsPage::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!hdr || static_cast<int>(hdr->idFrom) != kIdList)
        return RecordPage::OnNotify(wParam, hdr, result);
    *result = 0;
    if (hdr->code == Report::CodeDelete)
        ClearSelected();
    return true;
}

bool ExceptionsPage::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (LOWORD(wParam) != Report::CmdDelete)
        return RecordPage::OnCommand(wParam, lParam, result);
    ClearSelected();
    *result = 0;
    return true;
}

bool ExceptionsPage::Load()
{
    m_loadPending = false;
    Report& report = m_list.m_report;
    MainWindow* main = GetMain();
    Object* shown = GetShown();
    if (!report.m_hWnd)
        return true;
    report.DeleteAllRows();
    if (main && shown) {
        std::vector<__int64> ids;
        shown->GetLinkArray(ids, CTString(L"exceptions"));
        for (__int64 id : ids) {
            CTString description;
            bool persistent = false;
            if (!main->m_cache.GetExceptionInfo(id, description, persistent))
                continue;
            CTListCtrlReport::Row row(reinterpret_cast<void*>(static_cast<INT_PTR>(id)));
            row.AddText(description);
            report.InsertRow(report.GetItemCount(), 0, row);
        }
    }
    UpdateTabImage(report.GetItemCount() > 0);
    return true;
}

void ExceptionsPage::ClearSelected()
{
    Report& report = m_list.m_report;
    MainWindow* main = GetMain();
    Object* shown = GetShown();
    if (!report.m_hWnd || !main || !shown)
        return;
    // Rows are read first and deleted from the last one up, so that a deletion never moves a row
    // still to be looked at.
    std::vector<int> selected;
    for (int item = ListView_GetNextItem(report.m_hWnd, -1, LVNI_SELECTED); item >= 0;
         item = ListView_GetNextItem(report.m_hWnd, item, LVNI_SELECTED))
        selected.push_back(item);
    bool changed = false;
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        const __int64 id = RowId(report, *it);
        CTString description;
        bool persistent = false;
        if (!main->m_cache.GetExceptionInfo(id, description, persistent) || !persistent)
            continue;
        std::vector<__int64> ids;
        shown->GetLinkArray(ids, CTString(L"exceptions"));
        ids.erase(std::remove(ids.begin(), ids.end(), id), ids.end());
        shown->SetLinkArray(CTString(L"exceptions"), ids);
        report.DeleteRow(*it);
        changed = true;
    }
    if (changed)
        MarkModified();
}
