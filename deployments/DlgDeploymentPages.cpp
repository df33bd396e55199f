#include "deployments/DlgDeploymentPages.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/MainWindow.h"
#include "deployments/DeploymentLinks.h"

namespace {
const Object kNoDeployment;
}

const Object& DeploymentPageBase::GetDeployment() const
{
    DlgDeployment* pane = GetPane();
    return pane ? pane->GetSlot(DlgDeployment::SlotDeployment) : kNoDeployment;
}

MainWindow* DeploymentPageBase::GetMain() const
{
    DlgDeployment* pane = GetPane();
    return pane ? pane->GetMain() : nullptr;
}

RequestRoute DeploymentPageBase::PaneRoute(int request, __int64 param2) const
{
    DlgDeployment* pane = GetPane();
    return pane ? pane->Route(request, param2) : RequestRoute();
}

void DeploymentPageBase::MarkModified()
{
    if (m_host)
        m_host->SetModified(true);
}

CTListCtrlReportEx* DeploymentPageBase::CreatePageList(CTWndListCtrlEx2& list, int id, int gridOptions)
{
    AddItem(GetDlgItem(m_hWnd, id), 12);
    if (!list.Create(m_hWnd, id, true, 0))
        return nullptr;
    CTListCtrlReportEx& report = list.m_report;
    report.ModifyOptions(CTListCtrlReport::OptGridLines, gridOptions);
    report.ModifyStyle(0, WS_TABSTOP | LVS_SINGLESEL, 0);
    ListView_SetExtendedListViewStyleEx(report.m_hWnd, LVS_EX_GRIDLINES, 0);
    return &report;
}

bool DeploymentPageBase::Load()
{
    if (!CanLoadNow()) {
        m_loadPending = true;
        return true;
    }
    m_loadPending = false;
    ++m_loads;
    if (GetPane())
        Fill();
    return true;
}
