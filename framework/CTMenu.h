#pragma once
// Context and drop-down menus drawn in the engine's flat highlight style: an icon column, a light
// highlight on hover, framed check boxes, right-aligned accelerators and thin separators. The
// menu stays a normal Win32 menu; its items become owner-drawn with a CTMenuItemData record each,
// and while Track runs the owner window is subclassed so that its WM_MEASUREITEM and WM_DRAWITEM
// reach this object (found through the property "_CTMenu_Class").
#include <windows.h>
#include <commctrl.h>
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"

class CTMenu;

struct CTMenuItemData : CLinkedListObject {
    static constexpr DWORD kTag = 0x61B12B;
    enum Kind : DWORD { Separator = 0, Title = 1, BarSubMenu = 2, Normal = 3 };

    DWORD tag = kTag;
    int image = -1;      // index in the menu's image list
    CTString text;       // as read from the menu; a tab separates the accelerator
    DWORD kind = Normal;
    CTMenu* owner = nullptr;
};

class CTMenu {
public:
    static constexpr const wchar_t* kPropName = L"_CTMenu_Class";

    HMENU m_menu = nullptr;
    CLinkedList m_records;        // of CTMenuItemData, owned
    bool m_borrowed = false;      // someone else's menu: never destroyed here
    bool m_menuBar = false;       // top-level items with a sub-menu are kind BarSubMenu
    HIMAGELIST m_images = nullptr; // not owned
    HPEN m_separatorPen = nullptr;
    RECT m_selectedBarRect = {};
    CTString m_selectedBarText;
    int m_selectedBarWidth = 0;
    CTString m_titleText;
    HICON m_titleIcon = nullptr;
    int m_titleIconWidth = 0;
    HWND m_owner = nullptr;
    WNDPROC m_prevProc = nullptr;
    int m_iconColumn = 0;         // widest icon or check mark measured so far; only grows
    UINT m_selectedBarId = 0;

    CTMenu();
    ~CTMenu();
    CTMenu(const CTMenu&) = delete;
    CTMenu& operator=(const CTMenu&) = delete;

    void Destroy();
    bool Load(HMODULE module, const wchar_t* name);
    bool CreatePopup();
    HMENU Detach();
    void FreeItems();
    bool RecreatePen();

    HIMAGELIST SetImageList(HIMAGELIST images);
    bool SetImagesFromToolbar(HWND toolbar);
    bool SetItemImage(HMENU menu, UINT item, bool byPosition, int image);
    bool SetItemImageByCommand(UINT command, int image);
    bool MakeOwnerDrawn();
    bool MakeOwnerDrawnRecursive(HMENU menu);
    bool GetItemInfo(UINT command, CTString& text, int& image);
    int GetItemHeight(int position);

    // The menu (or its first sub-menu) tracked through the pop-up menu driver; 0 at once while
    // another CTMenu is being tracked.
    UINT Track(bool firstSubMenu, UINT flags, int x, int y, HWND owner);
    bool SubclassOwner(bool on);
    static LRESULT CALLBACK OwnerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    bool OnOwnerMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

    bool MeasureItem(MEASUREITEMSTRUCT* mis);
    bool DrawItem(const DRAWITEMSTRUCT* dis);

    // The record when the pointer is one of this menu's records; null for any other item data.
    CTMenuItemData* FindRecord(ULONG_PTR data);

private:
    CTMenuItemData* MakeRecord(HMENU menu, UINT item, bool byPosition);
};
