#pragma once
// A modal prompt for one line of text (template 137). The caller builds it on its stack, runs it
// and reads m_name when Run answered true.
#include <windows.h>
#include "foundation/CTString.h"
#include "framework/CTWnd2.h"

class DlgSelectName : public CTWnd2 {
public:
    enum : int { kTemplate = 137, kIdName = 1017 };

    CTString m_name; // the entered name, set by OK only

    DlgSelectName() = default;
    ~DlgSelectName() override;

    // Runs the prompt modally over owner; true when it ended with OK.
    bool Run(HWND owner);

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
