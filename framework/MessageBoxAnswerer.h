#pragma once
// Seam through which every message box of the system is answered in place of a person. Production
// installs nothing; tests install an answerer so that no box waits, whatever thread shows it.
#include <windows.h>

class CTWndMessageBox;

class MessageBoxAnswerer {
public:
    virtual ~MessageBoxAnswerer() = default;
    // Called on the box's own thread, inside its modal loop, once the box is laid out. The answerer
    // ends the box, e.g. by pressing one of its buttons (CTWndMessageBox::Press).
    virtual void OnMessageBox(CTWndMessageBox& box, HWND dialog) = 0;

    // Process-wide; null removes the answerer. Safe to call from any thread.
    static void Install(MessageBoxAnswerer* answerer);
    static MessageBoxAnswerer* Installed();
};
