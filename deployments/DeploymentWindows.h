#pragma once
// Registers the deployment panes, views and forms with the window catalogue.
class WindowCatalogue;

void RegisterDeploymentWindows(WindowCatalogue& catalogue);
