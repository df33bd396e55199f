#include "app/WindowCatalogue.h"

void WindowCatalogue::RegisterPane(int consoleType, PaneMaker make)
{
    if (make)
        m_panes[consoleType] = std::move(make);
    else
        m_panes.erase(consoleType);
}

void WindowCatalogue::RegisterWindow(int windowType, WindowMaker make)
{
    if (make)
        m_windows[windowType] = std::move(make);
    else
        m_windows.erase(windowType);
}

CTWndConsole* WindowCatalogue::MakePane(int consoleType) const
{
    auto it = m_panes.find(consoleType);
    return it != m_panes.end() ? it->second(consoleType) : nullptr;
}

CWindowManager::CWindow* WindowCatalogue::MakeWindow(int windowType, UINT64 key) const
{
    auto it = m_windows.find(windowType);
    return it != m_windows.end() ? it->second(windowType, key) : nullptr;
}
