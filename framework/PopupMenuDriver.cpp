#include "framework/PopupMenuDriver.h"
#include <atomic>

namespace {
std::atomic<PopupMenuDriver*> g_driver{nullptr};
}

void PopupMenuDriver::Install(PopupMenuDriver* driver) { g_driver = driver; }
PopupMenuDriver* PopupMenuDriver::Installed() { return g_driver; }

UINT PopupMenuDriver::Track(HMENU menu, UINT flags, int x, int y, HWND owner, const TPMPARAMS* params)
{
    PopupMenuDriver* driver = g_driver.load();
    if (!driver)
        return static_cast<UINT>(TrackPopupMenuEx(menu, flags, x, y, owner, const_cast<TPMPARAMS*>(params)));
    UINT cmd = driver->ChooseCommand(menu, flags, x, y, owner);
    if (flags & TPM_RETURNCMD) return cmd;
    if (cmd) PostMessageW(owner, WM_COMMAND, MAKEWPARAM(cmd, 0), 0);
    return cmd ? TRUE : FALSE;
}
