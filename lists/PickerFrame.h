#pragma once
// What the picker windows share around their own content: the window made from its template
// under the owner, centred on it and shown; closing with or without a window; the owner's icons;
// the header band with its picture; OK and Cancel following the bottom-right corner.
#include <windows.h>
#include "framework/CWindowManager.h"

struct CTIcon;
class CTWnd2;
class CTWndHeader;
class CTWndSize;

class PickerFrame {
public:
    // The module holding the dialog template: the language module first, then the program.
    static HMODULE TemplateModule(UINT templateId);
    // Creates the picker from its template (header class registered, the report list's too when
    // withList) as a child of owner, centred on it and shown. True when it is, or was already, open.
    static bool Open(CTWnd2& window, UINT templateId, HWND owner, bool withList);
    // Destroys the window, whose destruction unregisters it; without one, only unregisters.
    static void Close(CTWnd2& window, CWindowManager::CWindow& entry);
    // The big and small icons of the owner's top-level window go to the picker; that window, or nullptr.
    static HWND CopyOwnerIcons(CTWnd2& window, HWND owner);
    // The header band (control headerId) with the program's icon iconId at 32 pixels and the header colours.
    static void AttachHeader(CTWndHeader& header, CTIcon& icon, HWND dialog, int headerId, UINT iconId);
    // OK and Cancel keep their distance from the bottom-right corner.
    static void AnchorButtons(CTWndSize& size, HWND dialog);
    // The application's active-dialog slot follows the window's activation (WM_ACTIVATE) and lets
    // go of it when it is destroyed (WM_DESTROY); other messages change nothing.
    static void TrackActive(HWND* slot, HWND window, UINT msg, WPARAM wParam);
};
