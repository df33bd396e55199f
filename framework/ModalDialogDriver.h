#pragma once
// Seam through which modal dialogs are driven in place of a person. Production installs nothing;
// a test installs a driver that inspects each modal dialog once it is up and ends it.
#include <windows.h>

class CTWnd2;

class ModalDialogDriver {
public:
    virtual ~ModalDialogDriver() = default;
    // Called on the dialog's own thread, inside its modal loop, once it has been laid out.
    virtual void OnModalDialog(CTWnd2& wnd, HWND dialog) = 0;

    // Process-wide; null removes the driver. Safe to call from any thread.
    static void Install(ModalDialogDriver* driver);
    static ModalDialogDriver* Installed();

    // Used by the shared dialog procedure: after WM_INITDIALOG of a modal dialog a private message
    // is posted, so that the driver runs once the modal loop is running.
    static void AnnounceShown(HWND dialog);
    static bool IsShownMessage(UINT msg);
    static void Drive(CTWnd2& wnd, HWND dialog);
};
