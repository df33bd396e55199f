#pragma once
// A pane of the stand-in module: a plain child window outside the tab strip.
#include "app/CTWndConsole.h"
#include "framework/CTWnd2.h"

class StandInPane : public CTWnd2, public CTWndConsole {
public:
    static constexpr const wchar_t* kText = L"Stand-in pane";

    ~StandInPane() override;

    bool Create() override;
    void Destroy() override;
    HWND GetHwnd() override { return m_hWnd; }
    int GetConsoleType() override;
    bool IsTabPane() override { return false; }

    using CTWnd2::Create;
};
