#pragma once
// A window of the stand-in module: a plain top-level window that keeps what it was built and
// opened with.
#include <windows.h>
#include "framework/CTWnd2.h"
#include "framework/CWindowManager.h"

class StandInWindow : public CTWnd2, public CWindowManager::CWindow {
public:
    static constexpr const wchar_t* kClassName = L"QELStandInWindow";
    static constexpr const wchar_t* kTitle = L"Stand-in window";

    UINT64 m_builtForKey = 0;   // the key the module's maker was handed

    ~StandInWindow() override;

    bool Open() override;
    void Close() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
