#include "framework/CTMenu.h"
#include <cwchar>
#include "framework/CTColour.h"
#include "framework/CTREngine.h"
#include "framework/PopupMenuDriver.h"

namespace {
CTMenu* g_tracked = nullptr; // the one menu being tracked in the process

SIZE IconSize(HICON icon)
{
    SIZE size = {};
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info)) return size;
    BITMAP bm = {};
    if (info.hbmColor && GetObjectW(info.hbmColor, sizeof(bm), &bm)) {
        size = {bm.bmWidth, bm.bmHeight};
    } else if (info.hbmMask && GetObjectW(info.hbmMask, sizeof(bm), &bm)) {
        size = {bm.bmWidth, bm.bmHeight / 2};
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return size;
}

SIZE MeasureText(HDC hdc, const CTString& text, UINT format)
{
    RECT rc = {0, 0, 0, 0};
    const wchar_t* chars = text.GetBuffer() ? text.GetBuffer() : L"";
    DrawTextW(hdc, chars, static_cast<int>(text.GetLength()), &rc, format | DT_CALCRECT);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

void FillColour(HDC hdc, const RECT& rc, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(hdc, &rc, brush);
    DeleteObject(brush);
}

void Outline(HDC hdc, const RECT& rc, HPEN pen)
{
    HGDIOBJ oldPen = SelectObject(hdc, pen);
    HGDIOBJ oldBrush = SelectObject(hdc, GetStockObject(NULL_BRUSH));
    Rectangle(hdc, rc.left, rc.top, rc.right, rc.bottom);
    SelectObject(hdc, oldBrush);
    SelectObject(hdc, oldPen);
}
} // namespace

CTMenu::CTMenu()
{
    m_separatorPen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
}

CTMenu::~CTMenu()
{
    Destroy();
    FreeItems();
    if (m_separatorPen) DeleteObject(m_separatorPen);
}

void CTMenu::Destroy()
{
    if (m_menu && !m_borrowed) {
        DestroyMenu(m_menu);
        m_menu = nullptr;
        FreeItems();
        m_images = nullptr;
    }
    if (m_prevProc) SubclassOwner(false);
}

bool CTMenu::Load(HMODULE module, const wchar_t* name)
{
    Destroy();
    if (m_borrowed) {
        if (m_prevProc) SubclassOwner(false);
        m_menu = nullptr;
        m_borrowed = false;
    }
    m_menu = LoadMenuW(module, name);
    return m_menu != nullptr;
}

bool CTMenu::CreatePopup()
{
    Destroy();
    if (m_borrowed) {
        if (m_prevProc) SubclassOwner(false);
        m_menu = nullptr;
        m_borrowed = false;
    }
    m_menu = CreatePopupMenu();
    return m_menu != nullptr;
}

HMENU CTMenu::Detach()
{
    if (m_borrowed && m_prevProc) SubclassOwner(false);
    HMENU menu = m_menu;
    m_menu = nullptr;
    return menu;
}

void CTMenu::FreeItems()
{
    m_records.DeleteAll();
}

bool CTMenu::RecreatePen()
{
    if (m_separatorPen) DeleteObject(m_separatorPen);
    m_separatorPen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Records and images

CTMenuItemData* CTMenu::FindRecord(ULONG_PTR data)
{
    if (!data) return nullptr;
    // Compared by address only: foreign item data is never read.
    for (CLinkedListObject* item = m_records.GetHead(); item; item = item->m_next)
        if (reinterpret_cast<ULONG_PTR>(item) == data) {
            auto* record = static_cast<CTMenuItemData*>(item);
            return record->tag == CTMenuItemData::kTag && record->owner == this ? record : nullptr;
        }
    return nullptr;
}

CTMenuItemData* CTMenu::MakeRecord(HMENU menu, UINT item, bool byPosition)
{
    MENUITEMINFOW mii = {sizeof(mii)};
    mii.fMask = MIIM_FTYPE | MIIM_STRING;
    if (!GetMenuItemInfoW(menu, item, byPosition, &mii)) return nullptr;
    auto* record = new CTMenuItemData();
    record->owner = this;
    if (mii.cch > 0) {
        wchar_t* buffer = record->text.Reserve(mii.cch + 1);
        mii.dwTypeData = buffer;
        mii.cch += 1;
        if (GetMenuItemInfoW(menu, item, byPosition, &mii)) record->text.ReleaseBuffer();
        else record->text.Empty();
    }
    if (mii.fType & MFT_SEPARATOR) record->kind = CTMenuItemData::Separator;

    MENUITEMINFOW set = {sizeof(set)};
    set.fMask = MIIM_FTYPE | MIIM_DATA;
    set.fType = mii.fType | MFT_OWNERDRAW;
    set.dwItemData = reinterpret_cast<ULONG_PTR>(record);
    if (!SetMenuItemInfoW(menu, item, byPosition, &set)) {
        delete record;
        return nullptr;
    }
    m_records.AddTail(record);
    return record;
}

HIMAGELIST CTMenu::SetImageList(HIMAGELIST images)
{
    HIMAGELIST previous = m_images;
    m_images = images;
    if (images) ImageList_SetBkColor(images, CLR_NONE);
    return previous;
}

bool CTMenu::SetImagesFromToolbar(HWND toolbar)
{
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0));
    if (!images) return false;
    SetImageList(images);
    int count = static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        if (!SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button))) continue;
        if (button.fsStyle & BTNS_SEP) continue;
        SetItemImageByCommand(static_cast<UINT>(button.idCommand), button.iBitmap);
    }
    MakeOwnerDrawn();
    return true;
}

bool CTMenu::SetItemImage(HMENU menu, UINT item, bool byPosition, int image)
{
    if (!menu) return false;
    MENUITEMINFOW mii = {sizeof(mii)};
    mii.fMask = MIIM_FTYPE | MIIM_DATA;
    if (!GetMenuItemInfoW(menu, item, byPosition, &mii)) return false;
    CTMenuItemData* record = (mii.fType & MFT_OWNERDRAW) ? FindRecord(mii.dwItemData) : nullptr;
    if (!record) record = MakeRecord(menu, item, byPosition);
    if (!record) return false;
    record->image = image;
    return true;
}

bool CTMenu::SetItemImageByCommand(UINT command, int image)
{
    return SetItemImage(m_menu, command, false, image);
}

bool CTMenu::MakeOwnerDrawnRecursive(HMENU menu)
{
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW mii = {sizeof(mii)};
        mii.fMask = MIIM_SUBMENU | MIIM_DATA;
        if (!GetMenuItemInfoW(menu, i, TRUE, &mii)) continue;
        if (mii.hSubMenu) MakeOwnerDrawnRecursive(mii.hSubMenu);
        if (mii.dwItemData) continue; // already has a record, or data of someone else
        MakeRecord(menu, i, true);
    }
    return true;
}

bool CTMenu::MakeOwnerDrawn()
{
    if (!m_menu) return true;
    MakeOwnerDrawnRecursive(m_menu);
    if (m_menuBar) {
        int count = GetMenuItemCount(m_menu);
        for (int i = 0; i < count; ++i) {
            MENUITEMINFOW mii = {sizeof(mii)};
            mii.fMask = MIIM_SUBMENU | MIIM_DATA;
            if (!GetMenuItemInfoW(m_menu, i, TRUE, &mii) || !mii.hSubMenu) continue;
            if (CTMenuItemData* record = FindRecord(mii.dwItemData)) record->kind = CTMenuItemData::BarSubMenu;
        }
    }
    return true;
}

bool CTMenu::GetItemInfo(UINT command, CTString& text, int& image)
{
    if (!m_menu) return false;
    MENUITEMINFOW mii = {sizeof(mii)};
    mii.fMask = MIIM_DATA;
    if (!GetMenuItemInfoW(m_menu, command, FALSE, &mii)) return false;
    CTMenuItemData* record = FindRecord(mii.dwItemData);
    if (!record) return false;
    text.Assign(record->text);
    image = record->image;
    return true;
}

int CTMenu::GetItemHeight(int position)
{
    if (!m_menu) return -1;
    MENUITEMINFOW mii = {sizeof(mii)};
    mii.fMask = MIIM_DATA | MIIM_ID;
    if (!GetMenuItemInfoW(m_menu, position, TRUE, &mii) || !FindRecord(mii.dwItemData)) return -1;
    MEASUREITEMSTRUCT mis = {};
    mis.CtlType = ODT_MENU;
    mis.itemID = mii.wID;
    mis.itemData = mii.dwItemData;
    MeasureItem(&mis);
    return static_cast<int>(mis.itemHeight);
}

// ---------------------------------------------------------------------------------------------
// Tracking and the owner's messages

UINT CTMenu::Track(bool firstSubMenu, UINT flags, int x, int y, HWND owner)
{
    if (g_tracked) return 0;
    HMENU menu = firstSubMenu ? GetSubMenu(m_menu, 0) : m_menu;
    if (!menu) return 0;
    m_owner = owner;
    g_tracked = this;
    SubclassOwner(true);
    UINT result = PopupMenuDriver::Track(menu, flags, x, y, owner);
    SubclassOwner(false);
    g_tracked = nullptr;
    m_owner = nullptr;
    return result;
}

bool CTMenu::SubclassOwner(bool on)
{
    if (on) {
        if (m_prevProc || !m_owner || GetPropW(m_owner, kPropName)) return false;
        SetPropW(m_owner, kPropName, this);
        m_prevProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(m_owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OwnerWindowProc)));
        if (!m_prevProc) {
            RemovePropW(m_owner, kPropName);
            return false;
        }
        return true;
    }
    if (!m_prevProc) return false;
    if (m_owner && IsWindow(m_owner)) {
        SetWindowLongPtrW(m_owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_prevProc));
        if (GetPropW(m_owner, kPropName) == this) RemovePropW(m_owner, kPropName);
    }
    m_prevProc = nullptr;
    return true;
}

LRESULT CALLBACK CTMenu::OwnerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* menu = static_cast<CTMenu*>(GetPropW(hwnd, kPropName));
    if (!menu) return DefWindowProcW(hwnd, msg, wParam, lParam);
    WNDPROC previous = menu->m_prevProc; // WM_DESTROY puts it back before it is called
    LRESULT result = 0;
    if (menu->OnOwnerMessage(msg, wParam, lParam, &result)) return result;
    return previous ? CallWindowProcW(previous, hwnd, msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool CTMenu::OnOwnerMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (!m_menu) return false;
    switch (msg) {
    case WM_DESTROY:
        SubclassOwner(false);
        return false;
    case WM_SYSCOLORCHANGE:
        RecreatePen();
        return false;
    case WM_DRAWITEM:
        if (wParam != 0) return false;
        if (DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) {
            *result = TRUE;
            return true;
        }
        return false;
    case WM_MEASUREITEM:
        if (wParam != 0) return false;
        if (MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) {
            *result = TRUE;
            return true;
        }
        return false;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Measuring and drawing

bool CTMenu::MeasureItem(MEASUREITEMSTRUCT* mis)
{
    if (!mis || mis->CtlType != ODT_MENU) return false;
    CTMenuItemData* record = FindRecord(mis->itemData);
    if (!record) return false;
    if (record->kind == CTMenuItemData::Separator) {
        mis->itemHeight = 3;
        mis->itemWidth = 0;
        return true;
    }
    CTREngine* engine = CTREngine::Instance();
    HDC hdc = GetDC(nullptr);
    HGDIOBJ oldFont = SelectObject(hdc, engine->m_menuFont ? static_cast<HGDIOBJ>(engine->m_menuFont)
                                                         : GetStockObject(DEFAULT_GUI_FONT));
    if (record->kind == CTMenuItemData::Title) {
        SIZE icon = IconSize(m_titleIcon);
        bool multiLine = m_titleText.FindChar(L'\r') >= 0;
        SIZE text = MeasureText(hdc, m_titleText, multiLine ? DT_VCENTER : DT_SINGLELINE | DT_VCENTER);
        mis->itemHeight = static_cast<UINT>((text.cy > icon.cy ? text.cy : icon.cy) + 9);
        mis->itemWidth = static_cast<UINT>(icon.cx + text.cx + 8);
        m_titleIconWidth = icon.cx;
    } else {
        int iconW = 0, iconH = 0;
        if (m_images) ImageList_GetIconSize(m_images, &iconW, &iconH);
        SIZE text = MeasureText(hdc, record->text, DT_SINGLELINE | DT_VCENTER);
        int check = GetSystemMetrics(SM_CXMENUCHECK);
        if (check > m_iconColumn) m_iconColumn = check;
        if (iconW > m_iconColumn) m_iconColumn = iconW;
        if (record->kind == CTMenuItemData::BarSubMenu) {
            mis->itemWidth = static_cast<UINT>(text.cx);
            mis->itemHeight = 5;
        } else {
            int height = text.cy;
            if (iconH > height) height = iconH;
            if (GetSystemMetrics(SM_CYMENUCHECK) > height) height = GetSystemMetrics(SM_CYMENUCHECK);
            mis->itemWidth = static_cast<UINT>(text.cx + m_iconColumn + 12);
            mis->itemHeight = static_cast<UINT>(height + 6);
        }
    }
    SelectObject(hdc, oldFont);
    ReleaseDC(nullptr, hdc);
    return true;
}

bool CTMenu::DrawItem(const DRAWITEMSTRUCT* dis)
{
    if (!dis || dis->CtlType != ODT_MENU) return false;
    CTMenuItemData* record = FindRecord(dis->itemData);
    if (!record) return false;
    CTREngine* engine = CTREngine::Instance();
    HDC hdc = dis->hDC;
    const RECT& item = dis->rcItem;
    const bool selected = dis->itemState & ODS_SELECTED;
    const bool disabled = dis->itemState & ODS_DISABLED;
    const bool checked = dis->itemState & ODS_CHECKED;
    const DWORD kind = record->kind;
    const int K = m_iconColumn;

    // 1. Background.
    if (!disabled || kind == CTMenuItemData::BarSubMenu) {
        if (selected && kind == CTMenuItemData::BarSubMenu) {
            FillRect(hdc, &item, engine->m_menuBackBrush ? engine->m_menuBackBrush : GetSysColorBrush(COLOR_MENU));
            m_selectedBarId = dis->itemID;
            m_selectedBarRect = item;
            m_selectedBarText.Assign(record->text);
            m_selectedBarWidth = item.right - item.left - 1;
            RECT frame = {item.left, item.top + 1, item.right, item.bottom - 1};
            Outline(hdc, frame, m_separatorPen);
        } else if (selected) {
            FillRect(hdc, &item, GetSysColorBrush(COLOR_WINDOW));
            engine->FillHot(hdc, item);
        } else if (kind == CTMenuItemData::BarSubMenu) {
            if (dis->itemState & ODS_HOTLIGHT) {
                RECT inset = {item.left, item.top + 1, item.right, item.bottom - 1};
                engine->FillHot(hdc, inset);
            } else {
                FillRect(hdc, &item, engine->m_menuBackBrush ? engine->m_menuBackBrush : GetSysColorBrush(COLOR_MENU));
            }
        } else {
            FillRect(hdc, &item, GetSysColorBrush(COLOR_WINDOW));
        }
    } else if (kind == CTMenuItemData::Title) {
        FillColour(hdc, item, MixColour(GetSysColor(COLOR_BTNFACE), 0.6));
    } else {
        FillRect(hdc, &item, GetSysColorBrush(COLOR_WINDOW));
        if (selected && engine->m_highlightPen) Outline(hdc, item, engine->m_highlightPen);
    }

    // 2. Image.
    if (record->image >= 0 || kind == CTMenuItemData::Title) {
        RECT image = {item.left + 5, item.top + 3, item.left + 5 + K, item.bottom};
        if (kind == CTMenuItemData::Title) {
            if (m_titleIcon) DrawIconEx(hdc, image.left, image.top, m_titleIcon, 0, 0, 0, nullptr, DI_NORMAL);
            RECT line = {item.left, item.bottom - 3, item.right, item.bottom - 1};
            DrawEdge(hdc, &line, EDGE_ETCHED, BF_TOP);
        } else if (m_images) {
            int state = disabled ? CTREngine::ImageDisabled : selected ? CTREngine::ImageHot : CTREngine::ImageNormal;
            engine->DrawImage(state, m_images, record->image, hdc, image, false);
        }
    }

    // 3. Check mark.
    if (checked) {
        int cx = GetSystemMetrics(SM_CXMENUCHECK), cy = GetSystemMetrics(SM_CYMENUCHECK);
        RECT box = {item.left + (K - cx) / 2 + 5, item.top + 4, 0, 0};
        box.right = box.left + cx;
        box.bottom = box.top + cy;
        if (engine->m_highlightPen) {
            RECT frame = {box.left - 1, box.top - 1, box.right + 1, box.bottom + 1};
            Outline(hdc, frame, engine->m_highlightPen);
        }
        if (HBITMAP mark = LoadBitmapW(nullptr, MAKEINTRESOURCEW(32760 /* OBM_CHECK */))) {
            BITMAP bm = {};
            GetObjectW(mark, sizeof(bm), &bm);
            HDC mem = CreateCompatibleDC(hdc);
            HGDIOBJ old = SelectObject(mem, mark);
            COLORREF oldBk = SetBkColor(hdc, MixColour(GetSysColor(COLOR_HIGHLIGHT), selected ? 0.4 : 0.3));
            COLORREF oldText = SetTextColor(hdc, engine->GetMenuTextColor());
            StretchBlt(hdc, box.left, box.top, cx, cy, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
            SetTextColor(hdc, oldText);
            SetBkColor(hdc, oldBk);
            SelectObject(mem, old);
            DeleteDC(mem);
            DeleteObject(mark);
        }
    }

    // 4. Text.
    if (kind != CTMenuItemData::Separator) {
        HGDIOBJ oldFont = SelectObject(hdc, engine->m_menuFont ? static_cast<HGDIOBJ>(engine->m_menuFont)
                                                             : GetStockObject(DEFAULT_GUI_FONT));
        COLORREF colour = (disabled && kind != CTMenuItemData::Title)
                              ? MixColour(GetSysColor(COLOR_MENUTEXT), 0.5)
                              : MixColour(GetTextColor(hdc), 0.8);
        COLORREF oldColour = SetTextColor(hdc, colour);
        int oldMode = SetBkMode(hdc, TRANSPARENT);

        CTString label, accelerator;
        const CTString& source = kind == CTMenuItemData::Title ? m_titleText : record->text;
        int tab = source.ReverseFindChar(L'\t');
        if (tab >= 0) {
            source.Left(label, static_cast<unsigned>(tab));
            source.MidToEnd(accelerator, tab + 1);
        } else {
            label.Assign(source);
        }
        RECT text = item;
        if (kind == CTMenuItemData::Title) {
            text.left = item.left + m_titleIconWidth + 8;
        } else if (kind != CTMenuItemData::BarSubMenu) {
            text.left += K + 12;
        }
        if (kind == CTMenuItemData::BarSubMenu && engine->m_themed) OffsetRect(&text, 0, -1);
        if (tab >= 0) text.right -= K;
        UINT format = kind == CTMenuItemData::BarSubMenu ? DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_HIDEPREFIX
                                                         : DT_SINGLELINE | DT_VCENTER;
        if (label.FindChar(L'\r') >= 0) format &= ~DT_SINGLELINE;
        DrawTextW(hdc, label.GetBuffer() ? label.GetBuffer() : L"", static_cast<int>(label.GetLength()), &text, format);
        if (tab >= 0)
            DrawTextW(hdc, accelerator.GetBuffer() ? accelerator.GetBuffer() : L"",
                      static_cast<int>(accelerator.GetLength()), &text, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
        SetBkMode(hdc, oldMode);
        SetTextColor(hdc, oldColour);
        SelectObject(hdc, oldFont);
    } else {
        // 5. Separator.
        int y = (item.top + item.bottom) / 2;
        HGDIOBJ oldPen = SelectObject(hdc, m_separatorPen);
        MoveToEx(hdc, item.left + K + 12, y, nullptr);
        LineTo(hdc, item.right + 2, y);
        SelectObject(hdc, oldPen);
    }
    return true;
}
