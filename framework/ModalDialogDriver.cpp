#include "framework/ModalDialogDriver.h"
#include "framework/MessageBoxAnswerer.h"
#include <atomic>

namespace {
std::atomic<ModalDialogDriver*> g_driver{nullptr};

UINT ShownMessage()
{
    static const UINT msg = RegisterWindowMessageW(L"QEL_ModalDialogShown");
    return msg;
}
} // namespace

void ModalDialogDriver::Install(ModalDialogDriver* driver) { g_driver = driver; }
ModalDialogDriver* ModalDialogDriver::Installed() { return g_driver; }

void ModalDialogDriver::AnnounceShown(HWND dialog)
{
    // Nothing is posted in production, where no seam is installed.
    if (g_driver.load() || MessageBoxAnswerer::Installed()) PostMessageW(dialog, ShownMessage(), 0, 0);
}

bool ModalDialogDriver::IsShownMessage(UINT msg)
{
    return msg == ShownMessage();
}

void ModalDialogDriver::Drive(CTWnd2& wnd, HWND dialog)
{
    if (ModalDialogDriver* driver = g_driver.load()) driver->OnModalDialog(wnd, dialog);
}
