#include "people/ExceptionsPage.h"

#include <commctrl.h>
#include "app/ExceptionList.h"
#include "app/MainWindow.h"
#include "people/RecordList.h"

using Report = CTListCtrlReportEx;

void ExceptionsPage::BuildPage()
{
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
        HICON warning = ExceptionList::LoadWarningIcon();
        report.AddImage(warning);
        DestroyIcon(warning);
        RecordList::NudgeFrame(m_list.m_hWnd);
    }
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
    if (main && shown)
        ExceptionList::Fill(report, *shown, main->m_cache);
    else
        report.DeleteAllRows();
    UpdateTabImage(report.GetItemCount() > 0);
    return true;
}

void ExceptionsPage::ClearSelected()
{
    MainWindow* main = GetMain();
    Object* shown = GetShown();
    if (main && shown && ExceptionList::ClearSelected(m_list.m_report, *shown, main->m_cache))
        MarkModified();
}
