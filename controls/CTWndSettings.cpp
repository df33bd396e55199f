#include "controls/CTWndSettings.h"

#include <windowsx.h>
#include <cstring>
#include <vsstyle.h>

#include "framework/CTMenu.h"
#include "framework/CTREngine.h"

namespace {

const wchar_t* Text(const CTString& s) { return s.GetBuffer() ? s.GetBuffer() : L""; }

CTWndSettings::CItem* AsItem(CLinkedListObject* o) { return static_cast<CTWndSettings::CItem*>(o); }

// Each glyph: DrawFrameControl state and theme state.
const struct {
    UINT frame;
    int theme;
} kGlyphs[CTWndSettings::GlyphCount] = {
    {DFCS_BUTTONCHECK | DFCS_FLAT, CBS_UNCHECKEDNORMAL},
    {DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_CHECKED, CBS_CHECKEDNORMAL},
    {DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_INACTIVE, CBS_UNCHECKEDDISABLED},
    {DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_CHECKED | DFCS_INACTIVE, CBS_CHECKEDDISABLED},
    {DFCS_BUTTONCHECK | DFCS_FLAT, CBS_UNCHECKEDHOT},
    {DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_CHECKED, CBS_CHECKEDHOT},
    {DFCS_BUTTONCHECK | DFCS_FLAT, CBS_UNCHECKEDPRESSED},
    {DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_CHECKED, CBS_CHECKEDPRESSED},
    {DFCS_BUTTONRADIO | DFCS_FLAT, RBS_UNCHECKEDNORMAL},
    {DFCS_BUTTONRADIO | DFCS_FLAT | DFCS_CHECKED, RBS_CHECKEDNORMAL},
    {DFCS_BUTTONRADIO | DFCS_FLAT | DFCS_INACTIVE, RBS_UNCHECKEDDISABLED},
    {DFCS_BUTTONRADIO | DFCS_FLAT | DFCS_CHECKED | DFCS_INACTIVE, RBS_CHECKEDDISABLED},
    {DFCS_BUTTONRADIO | DFCS_FLAT, RBS_UNCHECKEDHOT},
    {DFCS_BUTTONRADIO | DFCS_FLAT | DFCS_CHECKED, RBS_CHECKEDHOT},
};

}  // namespace

CTWndSettings::CItem::~CItem()
{
    text.Empty();
    if (icon) DestroyIcon(icon);
    icon = nullptr;
    children.DeleteAll();
}

CTWndSettings::CTWndSettings()
{
    m_tree.m_owner = this;
    m_themeClass.AssignText(L"Treeview");
    if (!m_theme) OpenTheme();
}

CTWndSettings::~CTWndSettings()
{
    m_hot = nullptr;
    m_tree.Destroy();
    if (m_images) ImageList_Destroy(m_images);
    m_images = nullptr;
    m_items.DeleteAll();
    m_iconMap.clear();
    m_toolbar.Clear();
    CTWndTheme::Destroy();
}

bool CTWndSettings::RegisterClass(HINSTANCE module)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = CTWnd2::WindowProc;
    wc.hInstance = module;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    return CTWnd2::RegisterWindowClass(wc);
}

bool CTWndSettings::Create(HWND dialog, int id, const ToolbarDesc& desc)
{
    m_options = 0xA0;
    m_controlId = id;
    bool hadFocus = GetFocus() == GetDlgItem(dialog, id);
    if (!CTWnd2::AttachDlgItem(id, dialog, false)) return false;
    if (!m_theme) OpenTheme();

    SetClassLongPtrW(m_hWnd, GCLP_HBRBACKGROUND, static_cast<LONG_PTR>(COLOR_BTNFACE + 1));
    SetClassLongPtrW(m_hWnd, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_ARROW)));
    LONG style = GetWindowLongW(m_hWnd, GWL_STYLE);
    SetWindowLongW(m_hWnd, GWL_STYLE, style | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER);
    CTREngine* engine = CTREngine::Instance();
    SetFont(engine->m_menuFont, false);

    if (m_toolbar.Create(m_hWnd, desc.module, TBSTYLE_FLAT | TBSTYLE_TOOLTIPS, CTWndToolbar::IconSmall, 0)) {
        ::SendMessageW(m_toolbar.m_hWnd, TB_SETMAXTEXTROWS, 0, 0);
        LONG tbStyle = GetWindowLongW(m_toolbar.m_hWnd, GWL_STYLE);
        SetWindowLongW(m_toolbar.m_hWnd, GWL_STYLE, tbStyle | TBSTYLE_TOOLTIPS);
        int first = m_toolbar.m_images ? ImageList_GetImageCount(m_toolbar.m_images) : 0;
        if (desc.bitmapId && desc.imageCount > 0) {
            int added = -1;
            m_toolbar.AddBitmap(desc.module, desc.bitmapId, &added);
            if (added >= 0) first = added;
        }
        for (int i = 0; i < desc.buttonCount && desc.buttons; ++i) {
            const ToolbarButton& b = desc.buttons[i];
            if (b.command >= 1 && b.command <= 4) continue;  // keyboard and reordering commands are never offered
            int image = b.image == 0xFFFF ? (b.command == 7 ? 10 : 0) : first + b.image;
            m_toolbar.AddButton(image, b.command, TBSTATE_ENABLED, b.style, b.stringId);
        }
    }

    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    RECT empty = {0, 0, 0, 0};
    if (!m_tree.CreateChild(WC_TREEVIEWW,
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | TVS_LINESATROOT | TVS_DISABLEDRAGDROP,
                            empty, m_hWnd, kTreeId))
        return false;
    m_tree.Subclass(true);
    m_tree.SetFont(engine->m_menuFont, false);

    SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    ::SendMessageW(m_hWnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.right, rc.bottom));
    BuildImageList();
    if (hadFocus) ::SetFocus(m_tree.m_hWnd);
    return true;
}

// ---- image list ----

void CTWndSettings::BuildImageList()
{
    CTREngine* engine = CTREngine::Instance();
    CTThemeApi* api = CTREngine::ThemeApi();
    SIZE glyph = {0, 0};
    if (HTHEME theme = api->OpenThemeData(m_tree.m_hWnd, L"BUTTON")) {
        SIZE part = {};
        HDC dc = GetDC(m_tree.m_hWnd);
        if (SUCCEEDED(api->GetThemePartSize(theme, dc, CBS_UNCHECKEDNORMAL, &part))) glyph = part;
        ReleaseDC(m_tree.m_hWnd, dc);
        api->CloseThemeData(theme);
    }
    if (glyph.cx <= 0 || glyph.cy <= 0) {
        // Without a visual style: the classic check box, 13 pixels at 96 DPI.
        ScreenDpi& dpi = engine->m_dpi;
        if (!dpi.loaded) dpi.Load();
        glyph.cx = dpi.Scale(13);
        glyph.cy = dpi.ScaleY(13);
    }
    int cx = glyph.cx + 2 * GetSystemMetrics(SM_CXEDGE) - 1;
    int cy = glyph.cy + 2 * GetSystemMetrics(SM_CYEDGE) - 1;

    if (m_images) ImageList_Destroy(m_images);
    m_images = ImageList_Create(cx, cy, ILC_COLORDDB | ILC_MASK, 1, 1);
    bool enabled = m_tree.m_hWnd && IsWindowEnabled(m_tree.m_hWnd);
    ImageList_SetBkColor(m_images, engine->SysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    RECT rc = {0, 0, cx, cy};
    for (int i = 0; i < GlyphCount; ++i) {
        HBITMAP bitmap = nullptr;
        COLORREF mask = CLR_INVALID;
        m_glyphs[i] = -1;
        if (engine->RenderCheckBoxImage(m_tree.m_hWnd, kGlyphs[i].frame, kGlyphs[i].theme, rc, &bitmap, &mask) && bitmap)
            m_glyphs[i] = ImageList_AddMasked(m_images, bitmap, mask);
        if (bitmap) DeleteObject(bitmap);
    }
    if (m_tree.m_hWnd) {
        ::SendMessageW(m_tree.m_hWnd, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(m_images));
        ::SendMessageW(m_tree.m_hWnd, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(m_images));
    }
}

void CTWndSettings::AddIcons(CLinkedList& list)
{
    for (CLinkedListObject* o = list.GetHead(); o; o = o->GetNext()) {
        CItem* item = AsItem(o);
        if (item->icon && m_images && m_iconMap.find(item->icon) == m_iconMap.end())
            m_iconMap[item->icon] = ImageList_ReplaceIcon(m_images, -1, item->icon);
        AddIcons(item->children);
    }
}

void CTWndSettings::RebuildImages()
{
    if (m_images) ImageList_RemoveAll(m_images);
    m_iconMap.clear();
    BuildImageList();
    AddIcons(m_items);
    for (CLinkedListObject* o = m_items.GetHead(); o; o = o->GetNext()) RefreshItem(AsItem(o));
}

int CTWndSettings::GetImageIndex(CItem* item, HICON icon, bool hot)
{
    bool treeEnabled = m_tree.m_hWnd && IsWindowEnabled(m_tree.m_hWnd);
    for (CItem* it = item; it; it = it->parent, hot = false) {
        bool checked = it->value != 0;
        if (it->kind == KindCheck) {
            if (IsItemEnabled(it) && treeEnabled)
                return m_glyphs[hot ? (checked ? CheckCheckedHot : CheckUncheckedHot) : (checked ? CheckChecked : CheckUnchecked)];
            return m_glyphs[checked ? CheckCheckedDisabled : CheckUncheckedDisabled];
        }
        if (it->kind == KindRadio) {
            if (IsItemEnabled(it))
                return m_glyphs[hot ? (checked ? RadioCheckedHot : RadioUncheckedHot) : (checked ? RadioChecked : RadioUnchecked)];
            return m_glyphs[checked ? RadioCheckedDisabled : RadioUncheckedDisabled];
        }
        if (icon) {
            auto found = m_iconMap.find(icon);
            if (found != m_iconMap.end()) return found->second;
        }
    }
    return -1;
}

// ---- items ----

bool CTWndSettings::ContainsItem(CItem* item, CLinkedList* list)
{
    if (!item) return false;
    CLinkedList& in = list ? *list : m_items;
    for (CLinkedListObject* o = in.GetHead(); o; o = o->GetNext()) {
        if (o == item) return true;
        if (ContainsItem(item, &AsItem(o)->children)) return true;
    }
    return false;
}

bool CTWndSettings::IsItemEnabled(CItem* item)
{
    return ContainsItem(item) && !(item->flags & FlagDisabled);
}

CTWndSettings::CItem* CTWndSettings::GetItemFromTreeItem(HTREEITEM treeItem)
{
    if (!treeItem || !m_tree.m_hWnd) return nullptr;
    TVITEMW tvi = {};
    tvi.mask = TVIF_PARAM;
    tvi.hItem = treeItem;
    if (!::SendMessageW(m_tree.m_hWnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvi))) return nullptr;
    return reinterpret_cast<CItem*>(tvi.lParam);
}

void CTWndSettings::InsertTreeItem(CItem* item, HTREEITEM parent, HTREEITEM after)
{
    TVINSERTSTRUCTW ins = {};
    ins.hParent = parent;
    ins.hInsertAfter = after;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    ins.item.pszText = const_cast<wchar_t*>(Text(item->text));
    ins.item.iImage = ins.item.iSelectedImage = GetImageIndex(item, item->icon, false);
    ins.item.lParam = reinterpret_cast<LPARAM>(item);
    item->treeItem = reinterpret_cast<HTREEITEM>(
        ::SendMessageW(m_tree.m_hWnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
}

CTWndSettings::CItem* CTWndSettings::AddItem(CItem* parent, const Icon& icon, int kind, const CTString& text,
                                             int value, int defaultValue, __int64 data)
{
    if (parent && !ContainsItem(parent)) return nullptr;
    auto* item = new CItem();
    item->kind = kind;
    item->text.Assign(text);
    item->value = value;
    item->defaultValue = defaultValue;
    item->data = data;
    item->parent = parent;
    if (icon.icon) {
        item->icon = CopyIcon(icon.icon);
        item->iconWidth = icon.width;
        item->iconHeight = icon.height;
        if (item->icon && m_images && m_iconMap.find(item->icon) == m_iconMap.end())
            m_iconMap[item->icon] = ImageList_ReplaceIcon(m_images, -1, item->icon);
    }
    (parent ? parent->children : m_items).AddTail(item);
    HTREEITEM treeParent = parent ? parent->treeItem : TVI_ROOT;
    InsertTreeItem(item, treeParent, TVI_LAST);
    ::SendMessageW(m_tree.m_hWnd, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(treeParent));
    return item;
}

LRESULT CTWndSettings::Notify(UINT code, CItem* first, CItem* described)
{
    HWND parent = m_hWnd ? GetParent(m_hWnd) : nullptr;
    if (!parent) return 0;
    CTWndSettingsNotify n = {};
    n.hdr.hwndFrom = m_hWnd;
    n.hdr.idFrom = static_cast<UINT_PTR>(m_controlId);
    n.hdr.code = code;
    n.item = first;
    if (described) {
        n.iconSize.width = described->iconWidth;
        n.iconSize.height = described->iconHeight;
        n.icon = described->icon ? CopyIcon(described->icon) : nullptr;
        n.kind = described->kind;
        n.text = Text(described->text);
        n.value = described->value;
        n.defaultValue = described->defaultValue;
        n.data = described->data;
    }
    LRESULT answer = ::SendMessageW(parent, WM_NOTIFY, static_cast<WPARAM>(m_controlId), reinterpret_cast<LPARAM>(&n));
    if (described && n.icon) DestroyIcon(n.icon);
    return answer;
}

void CTWndSettings::SetItemImage(CItem* item, bool hot)
{
    if (!item || !item->treeItem) return;
    TVITEMW tvi = {};
    tvi.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    tvi.hItem = item->treeItem;
    tvi.iImage = tvi.iSelectedImage = GetImageIndex(item, item->icon, hot);
    ::SendMessageW(m_tree.m_hWnd, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tvi));
}

void CTWndSettings::RefreshItem(CItem* item)
{
    if (!item || !item->treeItem || !m_tree.m_hWnd) return;
    TVITEMW tvi = {};
    tvi.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    tvi.hItem = item->treeItem;
    tvi.pszText = const_cast<wchar_t*>(Text(item->text));
    tvi.iImage = tvi.iSelectedImage = GetImageIndex(item, item->icon, false);
    ::SendMessageW(m_tree.m_hWnd, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tvi));
    for (CLinkedListObject* o = item->children.GetHead(); o; o = o->GetNext()) RefreshItem(AsItem(o));
}

bool CTWndSettings::ToggleItem(CItem* item, bool hot)
{
    if (!ContainsItem(item) || (item->flags & FlagDisabled) || item->kind != KindCheck) return false;
    item->value = !item->value;
    SetItemImage(item, hot);
    // Children without an icon of their own show this glyph.
    for (CLinkedListObject* o = item->children.GetHead(); o; o = o->GetNext()) RefreshItem(AsItem(o));
    Notify(NotifyToggled, item->parent, item);
    return true;
}

void CTWndSettings::SetItemEnabled(CItem* item, bool enable)
{
    if (!ContainsItem(item)) return;
    if (enable)
        item->flags &= ~static_cast<DWORD>(FlagDisabled);
    else
        item->flags |= FlagDisabled;
    RefreshItem(item);
}

void CTWndSettings::SetItemChecked(CItem* item)
{
    if (!ContainsItem(item)) return;
    item->value = 1;
    RefreshItem(item);
}

void CTWndSettings::ResetToDefaults()
{
    for (CLinkedListObject* o = m_items.GetHead(); o; o = o->GetNext()) {
        CItem* item = AsItem(o);
        item->value = item->defaultValue;
        RefreshItem(item);
    }
}

CTWndSettings::CItem* CTWndSettings::FindItemByData(__int64 data)
{
    for (CLinkedListObject* o = m_items.GetHead(); o; o = o->GetNext())
        if (AsItem(o)->data == data) return AsItem(o);
    return nullptr;
}

CTWndSettings::CItem* CTWndSettings::GetNextItem(CItem* item)
{
    CItem* next = nullptr;
    if (!item) {
        next = AsItem(m_items.GetHead());
    } else {
        next = AsItem(item->GetNext());
        if (!next && item->parent) next = AsItem(item->parent->GetNext());
    }
    while (next && next->kind == KindHeading)
        next = next->children.GetHead() ? AsItem(next->children.GetHead()) : AsItem(next->GetNext());
    return next;
}

void CTWndSettings::ForgetHot(CItem* item)
{
    // The tree item and its children's are about to be deleted: no later mouse message may use them.
    if (!m_hot || !item) return;
    if (item->treeItem == m_hot) {
        m_hot = nullptr;
        return;
    }
    for (CLinkedListObject* o = item->children.GetHead(); o && m_hot; o = o->GetNext()) ForgetHot(AsItem(o));
}

bool CTWndSettings::DeleteItem(CItem* item, bool notify)
{
    if (!item) {
        m_hot = nullptr;
        if (m_tree.m_hWnd) ::SendMessageW(m_tree.m_hWnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
        m_items.DeleteAll();
        if (m_images) ImageList_RemoveAll(m_images);
        m_iconMap.clear();
        BuildImageList();
        ReopenTheme();
        return true;
    }
    if (!ContainsItem(item)) return true;
    if (notify && Notify(NotifyDeleting, item->parent, item) != 0) return true;
    ForgetHot(item);
    // A null handle would delete every item of the tree.
    if (item->treeItem) ::SendMessageW(m_tree.m_hWnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item->treeItem));
    item->treeItem = nullptr;
    if (notify) Notify(NotifyDeleted, item->parent, item);
    // The parent's answer may have changed the tree: delete only what is still in it.
    if (!ContainsItem(item)) return true;
    (item->parent ? item->parent->children : m_items).Delete(item);
    return true;
}

bool CTWndSettings::MoveItem(CItem* item, bool before, CItem* reference)
{
    if (!item || reference == item || !ContainsItem(item)) return false;
    // Moving changes no item's parent: a reference elsewhere in the tree would tear the lists apart.
    if (reference && (!ContainsItem(reference) || reference->parent != item->parent)) return false;
    HWND parent = GetParent(m_hWnd);
    if (parent) {
        CTWndSettingsNotify n = {};
        n.hdr.hwndFrom = m_hWnd;
        n.hdr.idFrom = static_cast<UINT_PTR>(m_controlId);
        n.hdr.code = NotifyMoving;
        n.item = item;
        n.before = before ? 1 : 0;
        n.second = reference;
        if (::SendMessageW(parent, WM_NOTIFY, static_cast<WPARAM>(m_controlId), reinterpret_cast<LPARAM>(&n)))
            return false;
    }
    HWND tree = m_tree.m_hWnd;
    ::SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
    ForgetHot(item);
    if (item->treeItem) ::SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item->treeItem));
    CLinkedList& siblings = item->parent ? item->parent->children : m_items;
    siblings.Remove(item);
    HTREEITEM treeParent = item->parent ? item->parent->treeItem : TVI_ROOT;
    HTREEITEM after;
    if (reference && !before) {
        siblings.InsertAfter(item, reference);
        after = reference->treeItem;
    } else if (reference) {
        CItem* previous = AsItem(reference->GetPrev());
        siblings.InsertBefore(item, reference);
        after = previous ? previous->treeItem : TVI_FIRST;
    } else if (!before) {
        siblings.AddTail(item);
        after = TVI_LAST;
    } else {
        if (siblings.GetHead())
            siblings.InsertBefore(item, siblings.GetHead());
        else
            siblings.AddTail(item);
        after = TVI_FIRST;
    }
    InsertTreeItem(item, treeParent, after);
    struct Reinsert {
        static void Children(CTWndSettings* self, CItem* of)
        {
            for (CLinkedListObject* o = of->children.GetHead(); o; o = o->GetNext()) {
                self->InsertTreeItem(AsItem(o), of->treeItem, TVI_LAST);
                Children(self, AsItem(o));
            }
        }
    };
    Reinsert::Children(this, item);
    ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item->treeItem));
    ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item->treeItem));
    ::SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree, nullptr, TRUE);
    if (m_toolbar.m_hWnd) InvalidateRect(m_toolbar.m_hWnd, nullptr, TRUE);
    InvalidateRect(m_hWnd, nullptr, TRUE);
    Notify(NotifyMoved, nullptr, nullptr);
    return true;
}

// ---- toolbar ----

int CTWndSettings::AddToolbarIcon(HINSTANCE module)
{
    return m_toolbar.AddIcon(module, kToolbarIcon);
}

bool CTWndSettings::SetCheckButtonImage(int image)
{
    if (!m_toolbar.m_hWnd) return true;
    TBBUTTONINFOW info = {sizeof(info)};
    info.dwMask = TBIF_IMAGE;
    info.iImage = image;
    return ::SendMessageW(m_toolbar.m_hWnd, TB_SETBUTTONINFOW, kInheritCommand, reinterpret_cast<LPARAM>(&info)) != 0;
}

int CTWndSettings::GetCheckButtonState()
{
    if (!m_toolbar.m_hWnd) return 0;
    return static_cast<int>(::SendMessageW(m_toolbar.m_hWnd, TB_GETSTATE, kInheritCommand, 0));
}

// ---- user input ----

void CTWndSettings::OnTreeMouseMove(int x, int y)
{
    HWND tree = m_tree.m_hWnd;
    if (!m_hot) {
        TRACKMOUSEEVENT tme = {sizeof(tme)};
        tme.dwFlags = TME_HOVER | TME_LEAVE;
        tme.hwndTrack = tree;
        tme.dwHoverTime = HOVER_DEFAULT;
        TrackMouseEvent(&tme);
    }
    TVHITTESTINFO hit = {};
    hit.pt.x = x;
    hit.pt.y = y;
    ::SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    HTREEITEM under = (hit.flags & TVHT_ONITEM) ? hit.hItem : nullptr;
    if (under == m_hot) return;
    if (m_hot) SetItemImage(GetItemFromTreeItem(m_hot), false);
    if (under) SetItemImage(GetItemFromTreeItem(under), true);
    m_hot = under;
}

void CTWndSettings::OnTreeMouseLeave()
{
    if (m_hot) SetItemImage(GetItemFromTreeItem(m_hot), false);
    m_hot = nullptr;
}

void CTWndSettings::ShowContextMenu(int x, int y)
{
    if (!m_hWnd || !IsWindowEnabled(m_hWnd)) return;
    HWND tree = m_tree.m_hWnd;
    POINT pt = {x, y};
    if (x == -1 && y == -1) {
        RECT rc = {};
        auto selected = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        if (selected) {
            // TVM_GETITEMRECT takes the item handle in the rectangle it fills.
            memcpy(&rc, &selected, sizeof(selected));
            ::SendMessageW(tree, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&rc));
        }
        int half = (rc.bottom - rc.top) / 2;
        pt.x = rc.left + half;
        pt.y = rc.top + half;
        ClientToScreen(tree, &pt);
    } else {
        TVHITTESTINFO hit = {};
        hit.pt = pt;
        ScreenToClient(tree, &hit.pt);
        ::SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.hItem && (hit.flags & TVHT_ONITEM))
            ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hit.hItem));
    }
    CTMenu menu;
    UINT command = 0;
    if (menu.CreatePopup()) {
        HWND toolbar = m_toolbar.m_hWnd;
        int count = toolbar ? static_cast<int>(::SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0)) : 0;
        for (int i = 0; i < count; ++i) {
            TBBUTTON button = {};
            if (!::SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button))) continue;
            wchar_t text[260] = {};
            TBBUTTONINFOW info = {sizeof(info)};
            info.dwMask = TBIF_TEXT;
            info.pszText = text;
            info.cchText = 259;
            ::SendMessageW(toolbar, TB_GETBUTTONINFOW, button.idCommand, reinterpret_cast<LPARAM>(&info));
            UINT flags = MF_STRING | ((button.fsState & TBSTATE_ENABLED) ? 0 : MF_GRAYED);
            AppendMenuW(menu.m_menu, flags, static_cast<UINT_PTR>(button.idCommand), text);
        }
        if (toolbar) menu.SetImagesFromToolbar(toolbar);
        command = menu.Track(false, TPM_RETURNCMD | TPM_NONOTIFY, pt.x, pt.y, m_hWnd);
    }
    ::SendMessageW(m_hWnd, WM_COMMAND, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(m_toolbar.m_hWnd));
}

bool CTWndSettings::CTWnd2Tree::OnMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT* result)
{
    CTWndSettings* owner = m_owner;
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        TVHITTESTINFO hit = {};
        hit.pt.x = GET_X_LPARAM(lParam);
        hit.pt.y = GET_Y_LPARAM(lParam);
        ::SendMessageW(m_hWnd, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.hItem && (hit.flags & TVHT_ONITEM)) owner->ToggleItem(owner->GetItemFromTreeItem(hit.hItem), true);
        return false;
    }
    case WM_MOUSEMOVE:
        owner->OnTreeMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return false;
    case WM_MOUSELEAVE:
        owner->OnTreeMouseLeave();
        return false;
    case WM_CONTEXTMENU:
        owner->ShowContextMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        *result = 0;
        return true;
    }
    return false;
}

// ---- messages of the settings window ----

bool CTWndSettings::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    if (!lParam || reinterpret_cast<HWND>(lParam) != m_toolbar.m_hWnd) return false;
    int command = LOWORD(wParam);
    if (command == 5 || command == 6) {
        for (CLinkedListObject* o = m_items.GetHead(); o; o = o->GetNext())
            ::SendMessageW(m_tree.m_hWnd, TVM_EXPAND, command == 5 ? TVE_EXPAND : TVE_COLLAPSE,
                           reinterpret_cast<LPARAM>(AsItem(o)->treeItem));
        return true;
    }
    ::SetFocus(m_hWnd);
    if (HWND parent = GetParent(m_hWnd))
        ::SendMessageW(parent, WM_COMMAND, (static_cast<WPARAM>(command) << 16) | static_cast<WORD>(m_controlId),
                       reinterpret_cast<LPARAM>(m_hWnd));
    return true;
}

bool CTWndSettings::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    *result = 0;
    if (!hdr) return false;
    if (m_toolbar.m_hWnd && hdr->hwndFrom == m_toolbar.m_hWnd) return m_toolbar.OnReflectNotify(wParam, hdr, result);
    if (!m_tree.m_hWnd || hdr->hwndFrom != m_tree.m_hWnd) return false;
    switch (hdr->code) {
    case TVN_KEYDOWN: {
        auto* key = reinterpret_cast<NMTVKEYDOWN*>(hdr);
        if (key->wVKey == VK_SPACE) {
            auto selected = reinterpret_cast<HTREEITEM>(::SendMessageW(m_tree.m_hWnd, TVM_GETNEXTITEM, TVGN_CARET, 0));
            if (ToggleItem(GetItemFromTreeItem(selected), false)) {
                *result = 1;
                return true;
            }
        }
        return false;
    }
    case TVN_SELCHANGEDW: {
        auto* change = reinterpret_cast<NMTREEVIEWW*>(hdr);
        HWND parent = GetParent(m_hWnd);
        if (!parent) return true;
        CTWndSettingsNotify n = {};
        n.hdr.hwndFrom = m_hWnd;
        n.hdr.idFrom = static_cast<UINT_PTR>(m_controlId);
        n.hdr.code = NotifySelChanged;
        n.item = reinterpret_cast<CItem*>(change->itemOld.lParam);
        n.second = reinterpret_cast<CItem*>(change->itemNew.lParam);
        ::SendMessageW(parent, WM_NOTIFY, static_cast<WPARAM>(m_controlId), reinterpret_cast<LPARAM>(&n));
        return true;
    }
    case NM_CUSTOMDRAW: {
        auto* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(hdr);
        *result = cd->nmcd.dwDrawStage == CDDS_PREPAINT ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
        return true;
    }
    }
    return false;
}

void CTWndSettings::ReopenTheme()
{
    CloseTheme();
    OpenTheme();
    RebuildImages();
}

void CTWndSettings::PaintCaption(HDC dc, bool nonClient)
{
    if (!m_toolbar.m_hWnd) return;
    RECT toolbar = {};
    GetWindowRect(m_toolbar.m_hWnd, &toolbar);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&toolbar), 2);
    RECT band = {2, 0, toolbar.left - 2, toolbar.bottom - toolbar.top};
    if (band.right < 0) band.right = 0;
    if (band.right < band.left) band.left = band.right;
    if (nonClient) {
        RECT window = {};
        GetWindowRect(m_hWnd, &window);
        POINT origin = {0, 0};
        ClientToScreen(m_hWnd, &origin);
        OffsetRect(&band, 0, origin.y - window.top);
    }
    CTREngine* engine = CTREngine::Instance();
    int saved = SaveDC(dc);
    FillRect(dc, &band, GetSysColorBrush(COLOR_BTNFACE));
    SetTextColor(dc, engine->SysColor(IsWindowEnabled(m_hWnd) ? COLOR_MENUTEXT : COLOR_GRAYTEXT));
    SetBkMode(dc, TRANSPARENT);
    if (engine->m_menuFont) SelectObject(dc, engine->m_menuFont);
    CTString text;
    GetWindowTextString(m_hWnd, text);
    if (!text.IsEmpty())
        DrawTextW(dc, text.GetBuffer(), -1, &band, DT_WORD_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
    RestoreDC(dc, saved);
}

bool CTWndSettings::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    switch (msg) {
    case WM_SIZE: {
        int width = LOWORD(lParam), height = HIWORD(lParam);
        SIZE size = {};
        if (m_toolbar.m_hWnd) {
            ::SendMessageW(m_toolbar.m_hWnd, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
            SetWindowPos(m_toolbar.m_hWnd, nullptr, width - size.cx, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
            RECT band = {2, 0, width - size.cx - 2, size.cy};
            InvalidateRect(m_hWnd, &band, TRUE);
        }
        if (m_tree.m_hWnd) MoveWindow(m_tree.m_hWnd, 0, size.cy, width, height - size.cy, TRUE);
        return true;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hWnd, &ps);
        PaintCaption(dc, false);
        EndPaint(m_hWnd, &ps);
        return true;
    }
    case WM_PRINT:
        if (!CTWndTheme::OnMessage(msg, wParam, lParam, result)) {
            *result = DefWindowProcW(m_hWnd, msg, wParam, lParam);
            if (lParam & PRF_NONCLIENT) PaintThemedBorder(reinterpret_cast<HDC>(wParam));
        }
        PaintCaption(reinterpret_cast<HDC>(wParam), (lParam & PRF_NONCLIENT) != 0);
        return true;
    case WM_ERASEBKGND:
        if (m_tree.m_hWnd)
            RedrawWindow(m_tree.m_hWnd, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return CTWndTheme::OnMessage(msg, wParam, lParam, result);
    case WM_SETFOCUS:
        if (m_tree.m_hWnd) ::SetFocus(m_tree.m_hWnd);
        return true;
    case WM_CANCELMODE:
        Invalidate(true);
        return false;
    case WM_CONTEXTMENU:
        ShowContextMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return true;
    case WM_ENABLE: {
        bool enable = wParam != 0;
        if (m_tree.m_hWnd) EnableWindow(m_tree.m_hWnd, enable);
        if (m_toolbar.m_hWnd) EnableWindow(m_toolbar.m_hWnd, enable);
        RebuildImages();
        Invalidate(true);
        if (m_tree.m_hWnd) InvalidateRect(m_tree.m_hWnd, nullptr, TRUE);
        if (m_toolbar.m_hWnd) {
            int count = static_cast<int>(::SendMessageW(m_toolbar.m_hWnd, TB_BUTTONCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                TBBUTTON button = {};
                if (!::SendMessageW(m_toolbar.m_hWnd, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button))) continue;
                BYTE state = enable ? static_cast<BYTE>(button.fsState | TBSTATE_ENABLED)
                                    : static_cast<BYTE>(button.fsState & ~TBSTATE_ENABLED);
                ::SendMessageW(m_toolbar.m_hWnd, TB_SETSTATE, button.idCommand, MAKELPARAM(state, 0));
            }
        }
        return true;
    }
    case WM_THEMECHANGED:
        ReopenTheme();
        return false;
    case WM_DESTROY:
        // The children go now, through their own objects, so that none keeps a handle that dies later.
        m_hot = nullptr;
        m_tree.Destroy();
        m_toolbar.Clear();
        return false;
    }
    return CTWndTheme::OnMessage(msg, wParam, lParam, result);
}
