#pragma once
// The reset-password prompt (template 146) other windows run to set another person's password: the
// new password twice; OK only while both entries are equal (with case) and not empty. The caller
// reads m_password after Run answered true and sends the reset itself.
#include <windows.h>
#include "foundation/CTString.h"
#include "framework/CTWnd2.h"

class DlgResetPassword : public CTWnd2 {
public:
    enum : int { kTemplate = 146, kIdNew = 1011, kIdConfirm = 1012 };

    CTString m_password;   // the entered password, valid after OK

    DlgResetPassword() = default;
    ~DlgResetPassword() override;

    // Runs the dialog modally over owner; true when it ended with OK.
    bool Run(HWND owner);

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // OK's rule: both texts non-empty, same length, equal by lstrcmpW.
    static bool EntriesAgree(const CTString& first, const CTString& second);
};
