// The console program's entry point. The application object is built before it runs and
// destroyed after it returns.
#include <windows.h>
#include "app/App.h"

static App theApp;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showCommand)
{
    return AppMain(theApp, instance, commandLine, showCommand);
}
