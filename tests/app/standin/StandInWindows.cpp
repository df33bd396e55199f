#include "StandInWindows.h"

#include "StandInPane.h"
#include "StandInWindow.h"
#include "app/WindowCatalogue.h"

void RegisterStandInWindows(WindowCatalogue& catalogue)
{
    catalogue.RegisterPane<StandInPane>(standin::kConsoleType);
    catalogue.RegisterWindow(standin::kWindowType, [](int, UINT64 key) -> CWindowManager::CWindow* {
        auto* window = new StandInWindow();
        window->m_builtForKey = key;
        return window;
    });
}
