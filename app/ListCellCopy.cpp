#include "app/ListCellCopy.h"

#include <cwchar>
#include "foundation/CTString.h"
#include "framework/CTMenu.h"
#include "framework/CTWndToolbar.h"

bool ListCellCopy::CopyCell(HWND list, int item, int subItem)
{
    if (!list || item < 0 || subItem < 0)
        return false;
    wchar_t text[kCopyBuffer] = {};
    LVITEMW lv = {};
    lv.mask = LVIF_TEXT;
    lv.iItem = item;
    lv.iSubItem = subItem;
    lv.pszText = text;
    lv.cchTextMax = kCopyBuffer;
    if (!::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lv)))
        return false;
    // The list may hand back its own buffer.
    const wchar_t* source = lv.pszText ? lv.pszText : text;
    size_t length = wcsnlen(source, kCopyBuffer - 1);
    if (!OpenClipboard(list))
        return false;
    bool copied = false;
    EmptyClipboard();
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (length + 1) * sizeof(wchar_t))) {
        if (auto* target = static_cast<wchar_t*>(GlobalLock(block))) {
            memcpy(target, source, length * sizeof(wchar_t));
            target[length] = 0;
            GlobalUnlock(block);
            copied = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        }
        if (!copied)
            GlobalFree(block);
    }
    CloseClipboard();
    return copied;
}

void ListCellCopy::ShowCopyMenu(HWND list, HWND owner, const NMITEMACTIVATE& click)
{
    POINT screen = click.ptAction;
    ClientToScreen(list, &screen);
    CTString copyText;
    if (!copyText.LoadString(kStrCopy))
        copyText = L"Copy";

    CTMenu menu;
    if (!menu.CreatePopup())
        return;
    AppendMenuW(menu.m_menu, MF_STRING, kCmdCopy, copyText.GetBuffer());
    CTWndToolbar toolbar;
    if (toolbar.Create(list, nullptr, TBSTYLE_FLAT | TBSTYLE_TOOLTIPS, CTWndToolbar::IconSmall, 0)) {
        toolbar.AddButton(toolbar.m_firstStdImage + 1, kCmdCopy, TBSTATE_ENABLED, BTNS_BUTTON, kStrCopy);
        menu.SetImagesFromToolbar(toolbar.m_hWnd);
    }
    UINT command = menu.Track(false, TPM_RETURNCMD | TPM_NONOTIFY, screen.x, screen.y, owner);
    menu.SetImageList(nullptr);
    menu.Destroy();
    toolbar.Destroy();
    if (command == kCmdCopy)
        CopyCell(list, click.iItem, click.iSubItem);
}
