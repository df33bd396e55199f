#include "controls/CTListCtrlReportEx.h"

#include <vector>

#include "framework/CTIcon.h"
#include "framework/CTMenu.h"
#include "framework/CTREngine.h"
#include "framework/CTREngineDraw.h"
#include "framework/CTWndMessageBox.h"

CTListCtrlReportEx::~CTListCtrlReportEx()
{
    EndConfirmBox();
    m_toolbar.Clear();
    Destroy();
}

void CTListCtrlReportEx::EndConfirmBox()
{
    if (m_confirmBox) m_confirmBox->EndDialog(0);
}

void CTListCtrlReportEx::Destroy()
{
    EndConfirmBox();
    m_toolbar.Clear();
    CTListCtrlReport::Destroy();
}

// ---- Toolbar ----

int CTListCtrlReportEx::StandardImage(int command)
{
    switch (command) {
    case CmdNew: return STD_FILENEW;
    case CmdDelete: return STD_DELETE;
    case CmdOpen: return STD_FILEOPEN;
    case CmdCopy: return STD_COPY;
    case CmdPaste: return STD_PASTE;
    case CmdProperties: return STD_PROPERTIES;
    default: return STD_CUT;
    }
}

bool CTListCtrlReportEx::CreateToolbar(HWND parent, void* ownerData, DWORD flags, int count, const ToolbarButton* buttons)
{
    m_toolbar.Clear();
    if (!m_toolbar.Create(parent, ownerData, TBSTYLE_LIST | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS, CTWndToolbar::IconSmall,
                          TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_MIXEDBUTTONS))
        return true;
    SetWindowPos(m_toolbar.m_hWnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SendMessageW(m_toolbar.m_hWnd, TB_SETMAXTEXTROWS, flags & 1, 0);
    if (flags & 2) SetWindowLongPtrW(m_toolbar.m_hWnd, GWL_STYLE, GetWindowLongPtrW(m_toolbar.m_hWnd, GWL_STYLE) | TBSTYLE_TOOLTIPS);
    for (int i = 0; buttons && i < count; ++i) {
        const ToolbarButton& b = buttons[i];
        int image = b.image == kStandardImage ? m_toolbar.m_firstStdImage + StandardImage(b.command) : b.image;
        m_toolbar.AddButton(image, b.command, TBSTATE_ENABLED, b.style, static_cast<UINT>(b.stringId));
    }
    return true;
}

// ---- Empty text ----

void CTListCtrlReportEx::SetEmptyText(const CTString& text)
{
    m_emptyText = text;
    if (m_hWnd && GetItemCount() == 0) Invalidate(true);
}

bool CTListCtrlReportEx::IsEmptyTextShown()
{
    return m_emptyText.GetBuffer() && m_emptyText.GetLength() && (!m_hWnd || GetItemCount() == 0);
}

void CTListCtrlReportEx::PaintEmptyText(HDC hdc)
{
    RECT rc = {};
    GetWindowRect(m_hWnd, &rc);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    const int windowWidth = rc.right - rc.left;
    if (m_header.m_hWnd && ::IsWindow(m_header.m_hWnd)) {
        RECT header = {};
        GetWindowRect(m_header.m_hWnd, &header);
        rc.top += header.bottom - header.top;
    }
    rc.top += GetSystemMetrics(SM_CYHSCROLL) - 2;
    FillRect(hdc, &rc, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    rc.top += 2;

    bool disabled = (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_DISABLED) != 0;
    SetTextColor(hdc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
    SetBkColor(hdc, GetSysColor(COLOR_WINDOW));
    HFONT font = CTREngine::Instance()->m_menuFont;
    SelectObject(hdc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    const UINT format = DT_CENTER | DT_WORDBREAK | DT_NOCLIP | DT_NOPREFIX;
    DrawTextW(hdc, m_emptyText.GetBuffer(), static_cast<int>(m_emptyText.GetLength()), &rc, format);
    if (GetFocus() == m_hWnd) {
        RECT measured = rc;
        DrawTextW(hdc, m_emptyText.GetBuffer(), static_cast<int>(m_emptyText.GetLength()), &measured, format | DT_CALCRECT);
        int width = measured.right - measured.left;
        measured.left = windowWidth / 2 - width / 2;
        measured.right = measured.left + width;
        InflateRect(&measured, 2, 2);
        DrawFocusRect(hdc, &measured);
    }
}

// ---- Notifications ----

LRESULT CTListCtrlReportEx::SendCode(UINT code)
{
    NMHDR hdr = {};
    hdr.code = code;
    return NotifyParent(&hdr);
}

LRESULT CTListCtrlReportEx::NotifyActivate()
{
    int focused = static_cast<int>(ListViewCall(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (focused < 0) return -1;
    NMITEMACTIVATE record = {};
    record.hdr.code = CodeActivate;
    record.iItem = focused;
    return NotifyParent(&record.hdr);
}

LRESULT CTListCtrlReportEx::NotifyInsert() { return SendCode(CodeInsert); }

LRESULT CTListCtrlReportEx::NotifyDelete()
{
    if (!ConfirmDelete(nullptr)) return 0;
    return SendCode(CodeDelete);
}

void CTListCtrlReportEx::EnableDeleteConfirm(HWND owner, HINSTANCE module, WORD iconId, UINT nounId,
                                             bool notifyBeforeConfirm)
{
    m_confirmDelete = true;
    m_confirmOwner = owner;
    m_module = module;
    m_iconId = iconId;
    m_nounId = nounId;
    m_notifyBeforeConfirm = notifyBeforeConfirm;
    m_textIds[0] = 136; // "Delete %s"
    m_textIds[1] = 137; // "Are you sure you want to delete %s '%s'?"
    m_textIds[2] = 138; // "Confirm Multiple %s Delete"
    m_textIds[3] = 139; // "Are you sure you want to delete these %d items?"
}

bool CTListCtrlReportEx::ConfirmDelete(int* result)
{
    if (!m_confirmDelete) return true;
    int count = static_cast<int>(ListViewCall(LVM_GETSELECTEDCOUNT, 0, 0));

    HICON icon = static_cast<HICON>(LoadImageW(m_module, MAKEINTRESOURCEW(m_iconId), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
    if (!icon && m_iconId) {
        CTIcon picture;
        if (picture.Attach(LoadEmfIcon(m_iconId, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)))) {
            picture.Colorize(GetSysColor(COLOR_MENUTEXT));
            icon = picture.icon;
            picture.Detach();
        }
    }
    CTString noun;
    noun.LoadString(m_nounId, m_module);
    const wchar_t* nounText = noun.GetBuffer() ? noun.GetBuffer() : L"";

    DeleteConfirmInfo info;
    info.hdr.code = CodeConfirmDelete;
    info.count = count;
    info.icon = icon;
    info.caption.FormatResource(count == 1 ? m_textIds[0] : m_textIds[2], nounText);
    if (count == 1) {
        CTString first;
        int image = 0;
        void* data = nullptr;
        int item = static_cast<int>(ListViewCall(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        GetRowDetails(item, first, image, data);
        info.text.FormatResource(m_textIds[1], nounText, first.IsEmpty() ? L"?" : first.GetBuffer());
    } else {
        info.text.FormatResource(m_textIds[3], count);
    }
    if (m_notifyBeforeConfirm) NotifyParent(&info.hdr);
    // A parent that put its own icon in its place hands that one over; ours is not needed.
    if (icon && info.icon != icon) DestroyIcon(icon);

    if (count == 0) {
        if (info.icon) DestroyIcon(info.icon);
        return true;
    }
    HWND owner = m_confirmOwner;
    while (owner && GetParent(owner)) owner = GetParent(owner);
    bool check = info.checkText.GetBuffer() && info.checkText.GetLength();
    DWORD style = kConfirmStyle | (check ? CTWndMessageBox::kStyleCheckBox : 0);
    INT_PTR answer = 0;
    {
        // The box owns the icon from here on and destroys it.
        CTWndMessageBox box(owner, m_module, info.text.GetBuffer(), info.caption.GetBuffer(), style, info.icon,
                            check ? info.checkText.GetBuffer() : nullptr);
        m_confirmBox = &box;
        answer = box.Run();
        m_confirmBox = nullptr;
    }
    if (result) *result = static_cast<int>(answer);
    // Only the Delete button confirms; a failed box (0), Cancel or the close box do not.
    return (answer & 0xFFFF) == kDeleteButton;
}

// ---- Context menu ----

bool CTListCtrlReportEx::ShowToolbarMenu(LPARAM lParam)
{
    HWND toolbar = m_toolbar.m_hWnd;
    if (!toolbar || !::IsWindow(toolbar) || (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_DISABLED)) return false;

    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (pt.x == -1 || static_cast<DWORD>(lParam) == 0xFFFFFFFF) {
        pt = {-1, -1};
        int item = static_cast<int>(ListViewCall(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        if (item >= 0) {
            ListViewCall(LVM_GETITEMPOSITION, item, reinterpret_cast<LPARAM>(&pt));
            RECT rc = {};
            if (m_focusedColumn == -1) {
                rc.left = LVIR_ICON;
                ListViewCall(LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rc));
            } else {
                rc.top = m_focusedColumn;
                rc.left = LVIR_SELECTBOUNDS;
                ListViewCall(LVM_GETSUBITEMRECT, item, reinterpret_cast<LPARAM>(&rc));
            }
            int half = (rc.bottom - rc.top) / 2;
            pt.x += half;
            pt.y += half;
        }
    } else {
        ScreenToClient(m_hWnd, &pt);
    }

    CTMenu menu;
    if (!menu.CreatePopup()) return false;
    std::vector<HMENU> subMenus;
    std::vector<TBBUTTON> buttons;
    int count = static_cast<int>(::SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON b = {};
        if (!::SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b))) continue;
        buttons.push_back(b);
        int position = GetMenuItemCount(menu.m_menu);
        if (b.fsStyle & BTNS_SEP) {
            AppendMenuW(menu.m_menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        wchar_t text[260] = {};
        if (b.iString != -1) ::SendMessageW(toolbar, TB_GETBUTTONTEXTW, b.idCommand, reinterpret_cast<LPARAM>(text));
        UINT flags = MF_STRING;
        if ((b.fsStyle & BTNS_CHECK) && (b.fsState & TBSTATE_CHECKED)) flags |= MF_CHECKED;
        UINT_PTR id = static_cast<UINT_PTR>(b.idCommand);
        bool enabled = (b.fsState & TBSTATE_ENABLED) != 0;
        if (b.fsStyle & BTNS_DROPDOWN) {
            HMENU sub = nullptr;
            if (enabled) {
                ReportCommandInfo ask = {};
                ask.hdr.code = CodeDropDownMenu;
                ask.id = b.idCommand;
                sub = reinterpret_cast<HMENU>(NotifyParent(&ask.hdr));
            }
            if (sub && IsMenu(sub)) {
                flags |= MF_POPUP;
                id = reinterpret_cast<UINT_PTR>(sub);
                subMenus.push_back(sub);
            } else {
                // Without a sub-menu the drop-down button shows as a plain disabled item.
                enabled = false;
            }
        }
        AppendMenuW(menu.m_menu, flags, id, text);
        if (!enabled) EnableMenuItem(menu.m_menu, position, MF_BYPOSITION | MF_DISABLED | MF_GRAYED);
    }

    menu.SetImagesFromToolbar(toolbar);
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(::SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0));
    HIMAGELIST copy = images ? ImageList_Duplicate(images) : nullptr;
    if (copy) ImageList_SetBkColor(copy, CLR_NONE);
    menu.SetImageList(copy);
    for (const TBBUTTON& b : buttons)
        if ((b.fsStyle & BTNS_CHECK) && !(b.fsStyle & BTNS_SEP)) menu.SetItemImageByCommand(static_cast<UINT>(b.idCommand), -1);
    for (HMENU sub : subMenus) {
        int items = GetMenuItemCount(sub);
        for (int j = 0; j < items; ++j) {
            ReportCommandInfo ask = {};
            ask.hdr.code = CodeMenuItemIcon;
            ask.id = static_cast<int>(GetMenuItemID(sub, j));
            auto icon = reinterpret_cast<HICON>(NotifyParent(&ask.hdr));
            if (icon && copy) menu.SetItemImage(sub, static_cast<UINT>(j), true, ImageList_ReplaceIcon(copy, -1, icon));
        }
    }

    POINT screen = pt;
    ClientToScreen(m_hWnd, &screen);
    UINT command = menu.Track(false, TPM_RETURNCMD | TPM_NONOTIFY, screen.x, screen.y, m_hWnd);

    // The parent's sub-menus go back to being destroyed here, not with the menu.
    for (int i = GetMenuItemCount(menu.m_menu) - 1; i >= 0; --i) {
        HMENU sub = GetSubMenu(menu.m_menu, i);
        if (sub) RemoveMenu(menu.m_menu, static_cast<UINT>(i), MF_BYPOSITION);
    }
    for (HMENU sub : subMenus) DestroyMenu(sub);
    menu.SetImageList(nullptr);
    menu.Destroy();
    if (copy) ImageList_Destroy(copy);

    for (const TBBUTTON& b : buttons) {
        if (!(b.fsStyle & BTNS_CHECK) || (b.fsStyle & BTNS_SEP) || static_cast<UINT>(b.idCommand) != command) continue;
        LRESULT state = ::SendMessageW(toolbar, TB_GETSTATE, b.idCommand, 0);
        if (state != -1) ::SendMessageW(toolbar, TB_SETSTATE, b.idCommand, MAKELPARAM((state ^ TBSTATE_CHECKED) & 0xFFFF, 0));
    }
    HWND parent = m_hParent ? m_hParent : GetParent(m_hWnd);
    if (parent) ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(command, 0), reinterpret_cast<LPARAM>(toolbar));
    return true;
}

// ---- Messages ----

bool CTListCtrlReportEx::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_DESTROY:
        EndConfirmBox();
        break;
    case WM_SIZE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (IsEmptyTextShown()) Invalidate(true);
        break;
    case WM_PAINT:
        ResumeRedraw();
        if (IsEmptyTextShown()) {
            PAINTSTRUCT ps = {};
            HDC hdc = BeginPaint(m_hWnd, &ps);
            int saved = SaveDC(hdc);
            PaintEmptyText(hdc);
            RestoreDC(hdc, saved);
            EndPaint(m_hWnd, &ps);
        }
        // The list-view paints its own content into what is left invalid.
        return false;
    case WM_PRINT:
        ResumeRedraw();
        *result = DefWindowProcW(m_hWnd, msg, wParam, lParam);
        if (IsEmptyTextShown()) PaintEmptyText(reinterpret_cast<HDC>(wParam));
        return true;
    case WM_CONTEXTMENU:
        if (ShowToolbarMenu(lParam)) {
            *result = 1;
            return true;
        }
        return false;
    case WM_KEYDOWN:
        if (!IsWindowVisible(m_hWnd)) break;
        if (wParam == VK_RETURN || wParam == VK_SPACE) {
            NotifyActivate();
            *result = 0;
            return true;
        }
        if (wParam == VK_INSERT) {
            NotifyInsert();
            *result = 0;
            return true;
        }
        if (wParam == VK_DELETE) {
            if (ConfirmDelete(nullptr)) SendCode(CodeDelete);
            *result = 0;
            return true;
        }
        break;
    case WM_MOUSEMOVE:
        if ((m_options & OptMouseLeave) && !m_trackingLeave) {
            TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, m_hWnd, 0};
            if (TrackMouseEvent(&tme)) m_trackingLeave = true;
        }
        break;
    case WM_MOUSELEAVE:
        if (m_trackingLeave) {
            if (m_options & OptMouseLeave) SendCode(CodeMouseLeft);
            m_trackingLeave = false;
        }
        break;
    default:
        break;
    }
    return CTListCtrlReport::OnMessage(msg, wParam, lParam, result);
}

bool CTListCtrlReportEx::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    *result = 0;
    return CTListCtrlReport::OnNotify(wParam, hdr, result);
}

bool CTListCtrlReportEx::OnParentNotify(NMHDR* hdr, LRESULT* result)
{
    if (!hdr) return false;
    if (m_hWnd && hdr->hwndFrom == m_hWnd && hdr->code == LVN_INSERTITEM && !m_notifying) {
        if (GetItemCount() == 1) Invalidate(true); // the empty text goes
        return false;
    }
    if (m_toolbar.m_hWnd && hdr->hwndFrom == m_toolbar.m_hWnd) return m_toolbar.OnReflectNotify(0, hdr, result);
    return CTListCtrlReport::OnParentNotify(hdr, result);
}
