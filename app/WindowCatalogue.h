#pragma once
// What builds each console type's pane and each window type's window. The window modules fill it
// through their registration functions, called by the entry function before the message loop; the
// main window and the window factory look types up here and fall back to placeholders for types
// nobody registered.
#include <windows.h>
#include <functional>
#include <map>
#include "framework/CWindowManager.h"

class CTWndConsole;

class WindowCatalogue {
public:
    using PaneMaker = std::function<CTWndConsole*(int consoleType)>;
    using WindowMaker = std::function<CWindowManager::CWindow*(int windowType, UINT64 key)>;

    // A later registration of a type replaces the earlier one; an empty maker removes it.
    void RegisterPane(int consoleType, PaneMaker make);
    void RegisterWindow(int windowType, WindowMaker make);
    // A pane or window class built with its default constructor.
    template <class Pane>
    void RegisterPane(int consoleType)
    {
        RegisterPane(consoleType, [](int) -> CTWndConsole* { return new Pane(); });
    }
    template <class Window>
    void RegisterWindow(int windowType)
    {
        RegisterWindow(windowType, [](int, UINT64) -> CWindowManager::CWindow* { return new Window(); });
    }

    bool HasPane(int consoleType) const { return m_panes.count(consoleType) != 0; }
    bool HasWindow(int windowType) const { return m_windows.count(windowType) != 0; }

    // A new pane or window of the type; null when the type is not registered (or its maker gave none).
    CTWndConsole* MakePane(int consoleType) const;
    CWindowManager::CWindow* MakeWindow(int windowType, UINT64 key) const;

private:
    std::map<int, PaneMaker> m_panes;
    std::map<int, WindowMaker> m_windows;
};
