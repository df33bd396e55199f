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
