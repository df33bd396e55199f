#include "deployments/DeploymentWindows.h"
#include "app/WindowCatalogue.h"

void RegisterDeploymentWindows(WindowCatalogue& catalogue)
{
    (void)catalogue;
}
