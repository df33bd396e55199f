#pragma once
// The pane shown for a console type whose own pane is not part of the program yet: a plain child
// window naming the type and its pane class. It answers the console interface like the real pane
// would (same type, same place in or out of the vertical tab strip).
#include "app/CTWndConsole.h"
#include "framework/CTWnd2.h"

class PlaceholderPane : public CTWnd2, public CTWndConsole {
public:
    explicit PlaceholderPane(int consoleType);
    ~PlaceholderPane() override;

    bool Create() override;
    void Destroy() override;
    HWND GetHwnd() override { return m_hWnd; }
    int GetConsoleType() override { return m_consoleType; }
    bool IsTabPane() override { return m_tab; }

    using CTWnd2::Create;

    int m_consoleType = 0;
    bool m_tab = false;
};
