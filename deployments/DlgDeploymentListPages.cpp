// The e-mail and exception pages of the deployment pane: a list frame each, filled from the server
// (e-mails) or from the deployment's own link list (exceptions).
#include "deployments/DlgDeploymentPages.h"

#include <algorithm>
#include <commctrl.h>
#include "app/App.h"
#include "app/ExceptionList.h"
#include "app/MainWindow.h"
#include "deployments/DeploymentLinks.h"

namespace {

using Report = CTListCtrlReportEx;

// Lets the frame lay out its toolbar: one pixel narrower and back.
void NudgeFrame(HWND frame)
{
    RECT rc;
    GetWindowRect(frame, &rc);
    const int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    SetWindowPos(frame, nullptr, 0, 0, cx - 1, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(frame, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool IsListNotify(NMHDR* hdr, int id)
{
    return hdr && static_cast<int>(hdr->idFrom) == id;
}

} // namespace

// ---- E-mails

bool DlgDeployment::CPageEmails::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    if (msg == WM_INITDIALOG) {
        CTWndSize::Init(m_hWnd, false, 0, 0, false);
        if (Report* list = CreatePageList(m_list, kIdList, 0)) {
            Report& report = *list;
            report.SetColumns(CTString(L"From;To;Subject;Sent;Error;"), 0, nullptr, nullptr);
            report.SetEmptyText(CTString(L"No Emails"));
            report.SortBy(3, false);
            report.EnableAutoSort(true);
            const Report::ToolbarButton buttons[] = {{Report::CmdNew, Report::kStandardImage, 107, BTNS_BUTTON},
                                                     {Report::CmdOpen, Report::kStandardImage, 135, BTNS_BUTTON}};
            m_list.CreateToolbar(this, TBSTYLE_TOOLTIPS, 2, buttons);
            NudgeFrame(m_list.m_hWnd);
        }
        *result = TRUE;
        return true;
    }
    if (handled)
        return true;
    return DeploymentPageBase::OnMessage(msg, wParam, lParam, result);
}

bool DlgDeployment::CPageEmails::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!IsListNotify(hdr, kIdList))
        return DeploymentPageBase::OnNotify(wParam, hdr, result);
    *result = 0;
    if (hdr->code == Report::CodeInsert)
        OpenWizard();
    else if (hdr->code == Report::CodeActivate || hdr->code == static_cast<UINT>(NM_DBLCLK))
        OpenSelectedEmail();
    return true;
}

bool DlgDeployment::CPageEmails::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (LOWORD(wParam)) {
    case Report::CmdNew:
        OpenWizard();
        break;
    case Report::CmdOpen:
        OpenSelectedEmail();
        break;
    default:
        return DeploymentPageBase::OnCommand(wParam, lParam, result);
    }
    *result = 0;
    return true;
}

void DlgDeployment::CPageEmails::Fill()
{
    DlgDeployment* pane = GetPane();
    App* app = pane ? pane->GetApp() : nullptr;
    if (!app)
        return;
    CTString id;
    id.Format(L"%I64d", GetDeployment().id);
    app->m_db.ObjSearch(CTString(L"Email"), DB::kParentAll, CTString(L"link_task"), id, false, DB::kNoMax,
                        PaneRoute(DlgDeployment::kReqEmails, DlgDeployment::kEmailsSearch));
}

void DlgDeployment::CPageEmails::Clear()
{
    if (m_list.m_report.m_hWnd)
        m_list.m_report.DeleteAllRows();
}

void DlgDeployment::CPageEmails::AddRow(const Object& email, int image)
{
    Report& report = m_list.m_report;
    if (!report.m_hWnd)
        return;
    CTListCtrlReport::Row row(reinterpret_cast<void*>(static_cast<INT_PTR>(email.id)));
    row.AddText(AttributeText(email, L"reply_email_address"));
    row.AddText(AttributeText(email, L"send_email_address"));
    row.AddText(AttributeText(email, L"subject"));
    CAttribute sent(CAttribute::DateTime, email.created.GetValue());
    row.AddAttribute(sent);
    row.AddText(AttributeText(email, L"error_code"));
    const int listImage = report.HasImageForKey(image) ? report.GetImageForKey(image) : -1;
    report.InsertRow(report.GetItemCount(), listImage, row);
}

void DlgDeployment::CPageEmails::FitColumns()
{
    if (m_list.m_report.m_hWnd)
        m_list.m_report.FitColumnsToContent();
}

void DlgDeployment::CPageEmails::OpenWizard()
{
    DlgDeployment* pane = GetPane();
    App* app = pane ? pane->GetApp() : nullptr;
    if (!app)
        return;
    const UINT64 key = static_cast<UINT64>(GetDeployment().id);
    app->m_windows.OpenWindow(kWindowWizard, key, reinterpret_cast<INT_PTR>(m_hWnd));
}

void DlgDeployment::CPageEmails::OpenSelectedEmail()
{
    Report& report = m_list.m_report;
    MainWindow* main = GetMain();
    if (!report.m_hWnd || !main)
        return;
    int item = ListView_GetNextItem(report.m_hWnd, -1, LVNI_SELECTED);
    if (item < 0)
        return;
    auto id = static_cast<__int64>(reinterpret_cast<INT_PTR>(report.GetRowData(item)));
    if (id != 0)
        main->ShowConsole(kConsoleEmail, id, false);
}

// ---- Exceptions

bool DlgDeployment::CPageExceptions::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    if (msg == WM_INITDIALOG) {
        CTWndSize::Init(m_hWnd, false, 0, 0, false);
        AddItem(GetDlgItem(m_hWnd, kIdList), 12);
        if (m_list.Create(m_hWnd, kIdList, true, 0)) {
            Report& report = m_list.m_report;
            report.ModifyOptions(CTListCtrlReport::OptGridLines, 0x10);
            report.ModifyStyle(LVS_SINGLESEL, WS_TABSTOP | LVS_NOCOLUMNHEADER, 0);
            report.SetColumns(CTString(L"\" \""), 0, nullptr, nullptr);
            report.SetEmptyText(CTString(L"No Exceptions"));
            const Report::ToolbarButton buttons[] = {{Report::CmdDelete, Report::kStandardImage, 108, BTNS_BUTTON}};
            m_list.CreateToolbar(this, TBSTYLE_TOOLTIPS, 1, buttons);
            HICON warning = ExceptionList::LoadWarningIcon();
            report.AddImage(warning);
            DestroyIcon(warning);
        }
        *result = TRUE;
        return true;
    }
    if (handled)
        return true;
    return DeploymentPageBase::OnMessage(msg, wParam, lParam, result);
}

bool DlgDeployment::CPageExceptions::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!IsListNotify(hdr, kIdList))
        return DeploymentPageBase::OnNotify(wParam, hdr, result);
    *result = 0;
    if (hdr->code == Report::CodeDelete)
        DeleteSelected();
    return true;
}

bool DlgDeployment::CPageExceptions::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (LOWORD(wParam) != Report::CmdDelete)
        return DeploymentPageBase::OnCommand(wParam, lParam, result);
    DeleteSelected();
    *result = 0;
    return true;
}

void DlgDeployment::CPageExceptions::Fill()
{
    MainWindow* main = GetMain();
    if (!m_list.m_report.m_hWnd || !main)
        return;
    ExceptionList::Fill(m_list.m_report, GetDeployment(), main->m_cache);
    if (DlgDeployment* pane = GetPane())
        pane->UpdateTabImages();
}

void DlgDeployment::CPageExceptions::DeleteSelected()
{
    MainWindow* main = GetMain();
    DlgDeployment* pane = GetPane();
    if (!main || !pane)
        return;
    if (ExceptionList::ClearSelected(m_list.m_report, pane->SlotRef(DlgDeployment::SlotDeployment), main->m_cache))
        MarkModified();
}
