#pragma once
// The stand-in module's types and its registration function.
class WindowCatalogue;

namespace standin {
enum : int {
    kConsoleType = 1029,   // a deployment pane
    kWindowType = 50,      // the add-slots window
};
}

void RegisterStandInWindows(WindowCatalogue& catalogue);
