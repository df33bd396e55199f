// Custom drawing of the report list: colours, fonts, change highlighting and the cells the list
// paints itself.
#include "controls/CTListCtrlReport.h"

#include "framework/CTREngine.h"

namespace {
HICON g_symbolIcons[3] = {};
bool g_symbolIconsLoaded = false;

// The warning, error and information icons at the small icon size, loaded once per process.
void LoadSymbolIcons()
{
    if (g_symbolIconsLoaded) return;
    g_symbolIconsLoaded = true;
    const WORD ids[3] = {101, 103, 104};
    const LPCWSTR shared[3] = {IDI_WARNING, IDI_ERROR, IDI_INFORMATION};
    int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    HMODULE user32 = LoadLibraryExW(L"user32.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE | DONT_RESOLVE_DLL_REFERENCES);
    for (int i = 0; i < 3; ++i) {
        HMODULE module = user32 ? user32 : GetModuleHandleW(nullptr);
        g_symbolIcons[i] = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(ids[i]), IMAGE_ICON, cx, cy, 0));
        if (!g_symbolIcons[i])
            g_symbolIcons[i] = static_cast<HICON>(LoadImageW(nullptr, shared[i], IMAGE_ICON, 0, 0, LR_SHARED));
    }
    if (user32) FreeLibrary(user32);
}

const CTListCtrlReport::Cell& EmptyCell()
{
    static const CTListCtrlReport::Cell empty(CAttribute::Text, CTString());
    return empty;
}

void FillSolid(HDC hdc, const RECT& rc, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(hdc, &rc, brush);
    DeleteObject(brush);
}

COLORREF Darken(COLORREF c)
{
    return RGB(static_cast<BYTE>(GetRValue(c) * 0.8), static_cast<BYTE>(GetGValue(c) * 0.8),
               static_cast<BYTE>(GetBValue(c) * 0.8));
}

UINT AlignFlag(DWORD code)
{
    if (code & 0x1000) return DT_LEFT;
    if (code & 0x2000) return DT_RIGHT;
    return DT_CENTER;
}

// Left edge of an image of width cx placed in rc by the alignment bits.
int AlignedLeft(const RECT& rc, int cx, DWORD code)
{
    if (code & 0x1000) return rc.left;
    if (code & 0x2000) return rc.right - cx;
    return rc.left + (rc.right - rc.left - cx) / 2;
}
} // namespace

COLORREF CTListCtrlReport::LookupColour(BYTE key) const
{
    auto it = m_colours.find(key);
    return it == m_colours.end() ? 0 : it->second;
}

HFONT CTListCtrlReport::DerivedFont(HFONT& font, bool bold, bool strikeOut)
{
    if (font) return font;
    HFONT base = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    LOGFONTW lf = {};
    GetObjectW(base ? static_cast<HGDIOBJ>(base) : GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    if (bold) lf.lfWeight = FW_BOLD;
    if (strikeOut) lf.lfStrikeOut = TRUE;
    font = CreateFontIndirectW(&lf);
    return font;
}

LRESULT CTListCtrlReport::OnCustomDraw(NMLVCUSTOMDRAW* cd)
{
    DWORD stage = cd->nmcd.dwDrawStage;
    if (stage == CDDS_PREPAINT) {
        m_enabled = IsWindowEnabled(m_hWnd) != FALSE;
        return CDRF_NOTIFYITEMDRAW;
    }
    int item = static_cast<int>(cd->nmcd.dwItemSpec);
    auto* row = reinterpret_cast<Row*>(cd->nmcd.lItemlParam);
    LRESULT result = CDRF_DODEFAULT;

    if (stage == CDDS_ITEMPREPAINT) {
        COLORREF c = m_enabled ? static_cast<COLORREF>(SendMessage(LVM_GETBKCOLOR)) : GetSysColor(COLOR_BTNFACE);
        cd->clrTextBk = c;
        if (!m_enabled) cd->clrText = GetSysColor(COLOR_GRAYTEXT);
        if (m_options & OptAlternate) {
            // While an item is being removed the rows below keep the shading they had.
            int e = item;
            if (m_deletingItem != -1 && item >= m_deletingItem) --e;
            if (e & 1) cd->clrTextBk = c = m_alternateColour;
        }
        if (row) {
            if (row->m_highlight == HighlightAdded) cd->clrTextBk = Tint(c, m_addedColour);
            else if (row->m_highlight == HighlightDeleting) cd->clrTextBk = Tint(c, m_deletedColour);
            else if (row->m_highlight == HighlightChanged) cd->clrTextBk = Tint(c, m_changedColour);
            if (row->m_flags & RowBold) {
                SelectObject(cd->nmcd.hdc, DerivedFont(m_boldFont, true, false));
                result = CDRF_NEWFONT | CDRF_NOTIFYPOSTPAINT;
            }
            if (row->m_flags & RowStrikeOut) {
                SelectObject(cd->nmcd.hdc, DerivedFont(m_strikeFont, false, true));
                result = CDRF_NEWFONT | CDRF_NOTIFYPOSTPAINT;
            }
            bool selected = SendMessage(LVM_GETITEMSTATE, item, LVIS_SELECTED) != 0;
            if ((row->m_flags & (RowOwnCells | RowCellColours)) || (m_options & OptOwnFirstColumn) ||
                (selected && (m_options & OptCellFocus) && m_focusedColumn != -1))
                result = CDRF_NOTIFYSUBITEMDRAW;
        }
        m_itemText = cd->clrText;
        m_itemBack = cd->clrTextBk;
        return result;
    }

    // Sub-item stage.
    int subItem = cd->iSubItem;
    Column* column = GetShownColumn(subItem);
    const Cell* cell = row && column ? row->GetCell(column->m_dataColumn) : nullptr;
    // A row with fewer cells than columns shows its missing cells empty.
    Cell& paintCell = const_cast<Cell&>(cell ? *cell : EmptyCell());
    bool selected = SendMessage(LVM_GETITEMSTATE, item, LVIS_SELECTED) != 0;

    cd->clrText = paintCell.m_textColour ? LookupColour(paintCell.m_textColour) : m_itemText;
    cd->clrTextBk = m_itemBack;
    if (row && (row->m_flags & RowColour) && row->m_rowColour) cd->clrTextBk = LookupColour(row->m_rowColour);
    if (paintCell.m_backColour) cd->clrTextBk = LookupColour(paintCell.m_backColour);

    bool paintAlways = false, hot = false;
    if ((m_options & OptCellFocus) && selected && m_focusedColumn != -1 && m_focusedColumn != subItem) {
        selected = false;
        paintAlways = true;
    }
    if ((m_options & OptHotCell) && m_hotItem == item && m_hotColumn == subItem) hot = paintAlways = true;
    if ((m_options & OptOwnFirstColumn) && subItem == 0) paintAlways = true;
    if (!paintAlways && !paintCell.IsOwnDrawn()) return CDRF_DODEFAULT;

    RECT rc = {};
    rc.top = subItem;
    rc.left = LVIR_LABEL;
    SendMessage(LVM_GETSUBITEMRECT, item, reinterpret_cast<LPARAM>(&rc));
    if ((m_options & OptOwnFirstColumn) && subItem == 0) {
        RECT icon = {};
        icon.top = 0;
        icon.left = LVIR_ICON;
        SendMessage(LVM_GETSUBITEMRECT, item, reinterpret_cast<LPARAM>(&icon));
        rc.left -= icon.right - icon.left;
    }
    bool noHighlight = !row || row->m_highlight == HighlightNone;
    if (paintCell.Paint(m_hWnd, cd, &rc, &m_symbolFont, noHighlight, selected, hot, paintAlways, m_options))
        result |= CDRF_SKIPDEFAULT;
    return result;
}

bool CTListCtrlReport::Cell::Paint(HWND list, NMLVCUSTOMDRAW* cd, RECT* rc, HFONT* symbolFont, bool,
                                   bool selected, bool hot, bool paintAlways, DWORD options)
{
    int type = m_value.GetType();
    if (!IsOwnDrawnType(type) && !paintAlways) return false;
    HDC hdc = cd->nmcd.hdc;
    bool focused = GetFocus() == list;
    COLORREF back = cd->clrTextBk;
    if (selected) {
        if (focused) back = GetSysColor(COLOR_HIGHLIGHT);
        else if (GetWindowLongPtrW(list, GWL_STYLE) & LVS_SHOWSELALWAYS) back = GetSysColor(COLOR_BTNFACE);
    }
    if (hot) CTREngine::Instance()->FillHot(hdc, *rc);
    else FillSolid(hdc, *rc, back);
    bool selectedText = selected && focused;
    const wchar_t* text = m_value.GetText();
    int length = static_cast<int>(m_value.GetTextLength());
    wchar_t pw = PasswordChar();

    if (type == 3) {
        RECT frame = {rc->left + 1, rc->top + 1, rc->right - 1, rc->bottom - 2};
        HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNFACE));
        HGDIOBJ oldPen = SelectObject(hdc, pen);
        MoveToEx(hdc, frame.left, frame.bottom, nullptr);
        LineTo(hdc, frame.right + 1, frame.bottom);
        MoveToEx(hdc, frame.left, frame.top, nullptr);
        LineTo(hdc, frame.right, frame.top);
        MoveToEx(hdc, frame.left, frame.top, nullptr);
        LineTo(hdc, frame.left, frame.bottom);
        MoveToEx(hdc, frame.right, frame.top, nullptr);
        LineTo(hdc, frame.right, frame.bottom);
        SelectObject(hdc, oldPen);
        DeleteObject(pen);
        RECT face = {frame.left + 1, frame.top + 1, frame.right, frame.bottom};
        FillRect(hdc, &face, GetSysColorBrush(COLOR_BTNHIGHLIGHT));

        RECT inner = {frame.left + 1, frame.top + 1, frame.right, frame.bottom};
        int value = m_value.GetValue32();
        // Values beyond 0..100 are not percentages; the bar stays inside its frame.
        if (value < 0) value = 0;
        if (value > 100) value = 100;
        RECT bar = inner;
        bar.right = inner.left + (inner.right - inner.left) * value / 100;
        RECT rest = inner;
        rest.left = bar.right + 1;
        FillSolid(hdc, bar, Darken(GetSysColor(COLOR_HIGHLIGHT)));

        if (length) {
            int oldMode = SetBkMode(hdc, TRANSPARENT);
            COLORREF oldColour = GetTextColor(hdc);
            RECT textRc = {frame.left + 2, frame.top, frame.right - 1, frame.bottom};
            HRGN clip = CreateRectRgnIndirect(&bar);
            // Clip regions are in device units; the list-view may paint through a DC with an origin.
            POINT origin = {};
            GetViewportOrgEx(hdc, &origin);
            OffsetRgn(clip, origin.x, origin.y);
            SelectClipRgn(hdc, clip);
            SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
            DrawTextW(hdc, text, length, &textRc, DT_SINGLELINE | DT_VCENTER);
            SetRectRgn(clip, rest.left, rest.top, rest.right, rest.bottom);
            OffsetRgn(clip, origin.x, origin.y);
            SelectClipRgn(hdc, clip);
            SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
            DrawTextW(hdc, text, length, &textRc, DT_WORD_ELLIPSIS | DT_SINGLELINE | DT_VCENTER);
            SelectClipRgn(hdc, nullptr);
            DeleteObject(clip);
            SetTextColor(hdc, oldColour);
            SetBkMode(hdc, oldMode);
        }
        return true;
    }

    if (type == 4) {
        DWORD code = static_cast<DWORD>(m_value.GetValue());
        if (!code) return true;
        COLORREF oldColour = GetTextColor(hdc);
        if (selectedText) SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        int oldMode = SetBkMode(hdc, TRANSPARENT);
        int cxIcon = GetSystemMetrics(SM_CXSMICON), cyIcon = GetSystemMetrics(SM_CYSMICON);
        int top = rc->top + (rc->bottom - rc->top) / 2 - cyIcon / 2;
        switch (code & 0xFFF) {
        case 1:
            DrawTextW(hdc, &pw, 1, rc, DT_SINGLELINE | AlignFlag(code));
            break;
        case 2: {
            if (!*symbolFont) {
                HFONT base = reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0));
                LOGFONTW lf = {};
                GetObjectW(base ? static_cast<HGDIOBJ>(base) : GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
                lstrcpynW(lf.lfFaceName, L"Wingdings", LF_FACESIZE);
                lf.lfCharSet = SYMBOL_CHARSET;
                *symbolFont = CreateFontIndirectW(&lf);
            }
            wchar_t glyph[3] = {L' ', static_cast<wchar_t>(code >> 16), L' '};
            HGDIOBJ oldFont = SelectObject(hdc, *symbolFont);
            DrawTextW(hdc, glyph, 3, rc, DT_SINGLELINE | AlignFlag(code));
            SelectObject(hdc, oldFont);
            break;
        }
        case 4:
        case 5:
        case 6: {
            LoadSymbolIcons();
            HICON icon = g_symbolIcons[(code & 0xFFF) - 4];
            if (icon) DrawIconEx(hdc, AlignedLeft(*rc, cxIcon, code), top, icon, cxIcon, cyIcon, 0, nullptr, DI_NORMAL);
            break;
        }
        case 7: {
            auto images = reinterpret_cast<HIMAGELIST>(::SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
            int cx = 0, cy = 0;
            if (images && ImageList_GetIconSize(images, &cx, &cy))
                ImageList_Draw(images, static_cast<int>(code >> 16), hdc, AlignedLeft(*rc, cx, code),
                               rc->top + (rc->bottom - rc->top) / 2 - cyIcon / 2, ILD_TRANSPARENT);
            break;
        }
        default:
            break;
        }
        SetBkMode(hdc, oldMode);
        SetTextColor(hdc, oldColour);
        return true;
    }

    if (type == 7) {
        if (!length) return true;
        COLORREF oldColour = GetTextColor(hdc);
        if (selectedText) SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        int oldMode = SetBkMode(hdc, TRANSPARENT);
        CTString masked;
        for (int i = 0; i < length; ++i) masked.AppendChar(pw);
        RECT textRc = *rc;
        DrawTextW(hdc, masked.GetBuffer(), length, &textRc, DT_WORD_ELLIPSIS | DT_SINGLELINE);
        SetBkMode(hdc, oldMode);
        SetTextColor(hdc, oldColour);
        return true;
    }

    RECT textRc = *rc;
    if (cd->iSubItem == 0 && !(options & OptOwnFirstColumn)) {
        RECT icon = {};
        icon.top = 0;
        icon.left = LVIR_ICON;
        int item = static_cast<int>(cd->nmcd.dwItemSpec);
        ::SendMessageW(list, LVM_GETSUBITEMRECT, item, reinterpret_cast<LPARAM>(&icon));
        LVITEMW lvi = {};
        lvi.mask = LVIF_IMAGE | LVIF_STATE;
        lvi.iItem = item;
        lvi.stateMask = LVIS_OVERLAYMASK;
        ::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lvi));
        auto images = reinterpret_cast<HIMAGELIST>(::SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
        if (images && lvi.iImage >= 0)
            ImageList_Draw(images, lvi.iImage, hdc, icon.left,
                           icon.top + (icon.bottom - icon.top) / 2 - GetSystemMetrics(SM_CYSMICON) / 2 - 1,
                           ILD_TRANSPARENT | (lvi.state & LVIS_OVERLAYMASK));
        InflateRect(&textRc, -2, -2);
    } else {
        InflateRect(&textRc, -6, -6);
    }
    if (!length) return true;
    COLORREF oldColour = SetTextColor(hdc, selectedText ? GetSysColor(COLOR_HIGHLIGHTTEXT) : cd->clrText);
    int oldMode = SetBkMode(hdc, TRANSPARENT);
    DrawTextW(hdc, text, length, &textRc, DT_WORD_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
    SetBkMode(hdc, oldMode);
    SetTextColor(hdc, oldColour);
    return true;
}

void CTListCtrlReport::DrawHeaderItem(DRAWITEMSTRUCT* dis)
{
    HDC hdc = dis->hDC;
    RECT item = dis->rcItem;
    int saved = SaveDC(hdc);
    HRGN clip = CreateRectRgnIndirect(&item);
    SelectClipRgn(hdc, clip);
    FillRect(hdc, &item, GetSysColorBrush(COLOR_BTNFACE));

    wchar_t text[260] = {};
    HDITEMW hdi = {};
    hdi.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT;
    hdi.pszText = text;
    hdi.cchTextMax = 260;
    ::SendMessageW(dis->hwndItem, HDM_GETITEMW, dis->itemID, reinterpret_cast<LPARAM>(&hdi));
    UINT format = DT_END_ELLIPSIS | DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE | DT_VCENTER;
    if (hdi.fmt & HDF_CENTER) format |= DT_CENTER;
    else if (hdi.fmt & HDF_RIGHT) format |= DT_RIGHT;

    RECT textRc = item;
    if (dis->itemState & ODS_SELECTED) {
        textRc.left += 1;
        textRc.top += 2;
        textRc.right += 1;
    }
    int y = (item.bottom - item.top) / 4;
    bool sorted = static_cast<int>(dis->itemID) == m_header.m_sortColumn;
    textRc.left += y;
    textRc.right -= sorted ? 4 * y : y;
    if (textRc.left < textRc.right) {
        int mode = SetBkMode(hdc, TRANSPARENT);
        DrawTextW(hdc, text, -1, &textRc, format);
        SetBkMode(hdc, mode);
    }
    if (sorted) {
        int r = item.right, h = item.bottom - 2;
        HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
        HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
        HGDIOBJ oldPen = SelectObject(hdc, light);
        if (m_header.m_descending) {
            MoveToEx(hdc, r - 2 * y, y, nullptr);
            LineTo(hdc, r - y, h - y - 1);
            LineTo(hdc, r - 3 * y - 2, h - y - 1);
            SelectObject(hdc, shadow);
            MoveToEx(hdc, r - 3 * y - 1, h - y - 1, nullptr);
            LineTo(hdc, r - 2 * y, y - 1);
        } else {
            MoveToEx(hdc, r - y - 1, y, nullptr);
            LineTo(hdc, r - 2 * y - 1, h - y);
            SelectObject(hdc, shadow);
            MoveToEx(hdc, r - 2 * y - 2, h - y, nullptr);
            LineTo(hdc, r - 3 * y - 1, y);
            LineTo(hdc, r - y - 1, y);
        }
        SelectObject(hdc, oldPen);
        DeleteObject(light);
        DeleteObject(shadow);
    }
    RestoreDC(hdc, saved);
    DeleteObject(clip);
}

void CTListCtrlReport::OnHighlightTimer()
{
    int n = GetItemCount();
    bool any = false;
    for (int i = 0; i < n;) {
        Row* row = GetRow(i);
        if (!row || row->m_highlight == HighlightNone) {
            ++i;
            continue;
        }
        any = true;
        if (!row->HighlightExpired()) {
            ++i;
            continue;
        }
        if (row->m_highlight == HighlightDeleting) {
            RECT rc = {};
            rc.left = LVIR_BOUNDS;
            SendMessage(LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rc));
            m_deletingItem = i;
            SendMessage(LVM_DELETEITEM, i);
            m_deletingItem = -1;
            n = GetItemCount();
            InvalidateRect(m_hWnd, &rc, TRUE);
            continue; // the next item moved into this place
        }
        row->m_highlight = HighlightNone;
        RedrawRow(i);
        ++i;
    }
    if (!any && m_hWnd) KillTimer(m_hWnd, kHighlightTimer);
}

void CTListCtrlReport::SetHotCell(int item, int column)
{
    if (item == m_hotItem && column == m_hotColumn) return;
    if (m_hotItem != -1) RedrawRow(m_hotItem);
    m_hotItem = item;
    m_hotColumn = column;
    if (item != -1) {
        m_focusedColumn = column;
        if (Row* row = GetRow(item)) row->m_flags |= RowOwnCells;
        RedrawRow(item);
    }
}

void CTListCtrlReport::RedrawRow(int item) { SendMessage(LVM_REDRAWITEMS, item, item); }
