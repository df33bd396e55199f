#include "deployments/DeploymentWindows.h"
#include "app/WindowCatalogue.h"
#include "deployments/DlgDeployment.h"
#include "deployments/DlgDeployments.h"

void RegisterDeploymentWindows(WindowCatalogue& catalogue)
{
    // The deployment pane, for a stored deployment and for a new one.
    for (int type : {DlgDeployment::kConsoleType, DlgDeployment::kConsoleNew})
        catalogue.RegisterPane(type, [](int consoleType) -> CTWndConsole* { return new DlgDeployment(consoleType); });
    // The deployments view with its filter panels.
    RegisterDeploymentsView(catalogue);
}
