#pragma once
// Stands in for a window type whose class comes with a later part of the system: a plain top-level
// window titled with its type, carrying what the factory would hand the real class.
#include <windows.h>
#include "framework/CTWnd2.h"
#include "framework/CWindowManager.h"

class PlaceholderWindow : public CTWnd2, public CWindowManager::CWindow {
public:
    static constexpr const wchar_t* kClassName = L"QELPlaceholderWindow";

    // What the factory's table says of the type.
    enum Kind : int { KindPlain = 0, KindForm = 1, KindInPlace = 2 };
    int m_kind = KindPlain;
    bool m_flagA = false;     // first mode flag of the wizards
    bool m_flagB = false;     // second mode flag
    int m_defaultWidth = 0;   // forms only
    int m_defaultHeight = 0;
    DWORD m_templateId = 0;   // forms only: 170
    DWORD m_tabId = 0;
    DWORD m_headerId = 0;
    DWORD m_confirmCloseId = 0;

    ~PlaceholderWindow() override;

    bool Open() override;
    void Close() override;
    void Activate() override { BringToFront(); }
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
