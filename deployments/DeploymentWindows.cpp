#include "deployments/DeploymentWindows.h"
#include "app/WindowCatalogue.h"
#include "deployments/DlgDeployment.h"
#include "deployments/DlgDeploymentStatus.h"
#include "deployments/DlgDeploymentType.h"
#include "deployments/DlgListDeployables.h"
#include "deployments/DlgDeployments.h"

void RegisterDeploymentWindows(WindowCatalogue& catalogue)
{
    // The deployment pane, for a stored deployment and for a new one.
    for (int type : {DlgDeployment::kConsoleType, DlgDeployment::kConsoleNew})
        catalogue.RegisterPane(type, [](int consoleType) -> CTWndConsole* { return new DlgDeployment(consoleType); });

    // The forms of the deployment statuses and types, opened from the settings list tabs.
    catalogue.RegisterWindow<DlgDeploymentStatus>(DlgDeploymentStatus::kWindowType);
    catalogue.RegisterWindow<DlgDeploymentType>(DlgDeploymentType::kWindowType);

    // The deployable components of the setup tabs.
    catalogue.RegisterPane<DlgListDeployables>(DlgListDeployables::kConsoleType);

    // The deployments view with its filter panels.
    RegisterDeploymentsView(catalogue);
}
