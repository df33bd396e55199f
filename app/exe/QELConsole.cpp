// The console program's entry point. The application object is built before it runs and
// destroyed after it returns; every window module registers its panes and windows with it before
// the message loop starts.
#include <windows.h>
#include "app/App.h"
#include "app/AppWindows.h"
#include "calendars/CalendarWindows.h"
#include "deployments/DeploymentWindows.h"
#include "lists/ListWindows.h"
#include "people/PeopleWindows.h"
#include "schedulegroups/ScheduleGroupWindows.h"
#include "structure/StructureWindows.h"

static App theApp;

// One call per window module; a module's types not registered here show as placeholders.
static void RegisterWindowModules(WindowCatalogue& catalogue)
{
    RegisterAppWindows(catalogue);
    RegisterListWindows(catalogue);
    RegisterDeploymentWindows(catalogue);
    RegisterScheduleGroupWindows(catalogue);
    RegisterCalendarWindows(catalogue);
    RegisterStructureWindows(catalogue);
    RegisterPeopleWindows(catalogue);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showCommand)
{
    RegisterWindowModules(theApp.m_catalogue);
    return AppMain(theApp, instance, commandLine, showCommand);
}
