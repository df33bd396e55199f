#pragma once
// Seam through which pop-up menus are tracked. Every pop-up menu of the system is shown with
// PopupMenuDriver::Track; a test installs a driver that picks the command instead of a person.
#include <windows.h>

class PopupMenuDriver {
public:
    virtual ~PopupMenuDriver() = default;
    // Chooses a command of the menu (0: the menu was dismissed). Called on the tracking thread.
    virtual UINT ChooseCommand(HMENU menu, UINT flags, int x, int y, HWND owner) = 0;

    static void Install(PopupMenuDriver* driver);
    static PopupMenuDriver* Installed();

    // TrackPopupMenuEx, or the installed driver with the same result rules: with TPM_RETURNCMD the
    // chosen command (0 for none); otherwise the command is posted to the owner as WM_COMMAND and
    // the result says whether one was chosen.
    static UINT Track(HMENU menu, UINT flags, int x, int y, HWND owner, const TPMPARAMS* params = nullptr);
};
