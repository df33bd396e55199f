#include "framework/CTWndToolbar.h"
#include <objbase.h>
#include <cstring>
#include "framework/CTApp.h"
#include "framework/CTREngine.h"
#include "framework/CTREngineDraw.h"

int (WINAPI* CTWndToolbar::s_systemMetrics)(int) = ::GetSystemMetrics;

namespace {
int SystemMajorVersion()
{
    OSVERSIONINFOW info = {sizeof(info)};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&info)) return 0;
#pragma GCC diagnostic pop
    return static_cast<int>(info.dwMajorVersion);
}

bool IsRadio(int image) { return image == CTWndToolbar::kRadioGlyph; }
} // namespace

CTWndToolbar::~CTWndToolbar()
{
    Clear();
    m_drawOptions.clear();
    m_toolTips.clear();
    m_texts.DeleteAll();
}

// ---------------------------------------------------------------------------------------------
// Creation and ownership

bool CTWndToolbar::Create(HWND parent, void* ownerData, DWORD style, int iconKind, DWORD exStyle)
{
    Clear();
    m_hParent = parent;
    m_ownerData = ownerData;
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    InitCommonControlsEx(&icc);

    m_style = style | WS_CHILD | WS_VISIBLE | WS_TABSTOP | CCS_NORESIZE | CCS_NODIVIDER;
    m_exStyle = exStyle;
    HWND hwnd = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, m_style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) return false;
    m_hWnd = hwnd;
    m_attached = false;
    SetOwner(hwnd, this);

    m_majorVersion = SystemMajorVersion();
    ::SendMessageW(hwnd, TB_SETEXTENDEDSTYLE, 0, static_cast<LPARAM>(exStyle));
    ::SendMessageW(hwnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);

    ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
    if (iconKind == IconLarge) {
        m_iconWidth = s_systemMetrics(SM_CXICON);
        m_iconHeight = s_systemMetrics(SM_CYICON);
    } else if (iconKind == Icon24) {
        m_iconWidth = dpi.Scale(24);
        m_iconHeight = dpi.ScaleY(24);
    } else {
        m_iconWidth = s_systemMetrics(SM_CXSMICON);
        m_iconHeight = s_systemMetrics(SM_CYSMICON);
    }

    // The system's bitmaps hold 16 x 16 (small) or 24 x 24 (large) images and are cut at the size
    // of the list they are loaded into; any other icon size takes the large set, copied image by
    // image into a list of the icon size.
    if (iconKind == IconSmall && m_iconWidth == 16 && m_iconHeight == 16) {
        LoadStandardImages(16, 16, false);
    } else {
        LoadStandardImages(24, 24, true);
        if (m_iconWidth != 24 || m_iconHeight != 24) {
            HIMAGELIST scaled = ImageList_Create(m_iconWidth, m_iconHeight, ILC_COLOR32 | ILC_MASK, 16, 16);
            int count = ImageList_GetImageCount(m_images);
            for (int i = 0; i < count; ++i) {
                HICON icon = ImageList_GetIcon(m_images, i, ILD_TRANSPARENT);
                ImageList_ReplaceIcon(scaled, -1, icon);
                if (icon) DestroyIcon(icon);
            }
            ::SendMessageW(hwnd, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(scaled));
            ImageList_Destroy(m_images);
            m_images = scaled;
        }
    }
    AddRadioGlyphs();
    return true;
}

void CTWndToolbar::LoadStandardImages(int cx, int cy, bool large)
{
    m_images = ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, 16, 16);
    ::SendMessageW(m_hWnd, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_images));
    m_firstStdImage = 0;
    ::SendMessageW(m_hWnd, TB_LOADIMAGES, large ? IDB_STD_LARGE_COLOR : IDB_STD_SMALL_COLOR,
                 reinterpret_cast<LPARAM>(HINST_COMMCTRL));
    m_firstHistImage = ImageList_GetImageCount(m_images);
    ::SendMessageW(m_hWnd, TB_LOADIMAGES, large ? IDB_HIST_LARGE_COLOR : IDB_HIST_SMALL_COLOR,
                 reinterpret_cast<LPARAM>(HINST_COMMCTRL));
    // The view images too: lists take their parent-folder, new-folder and view-menu images from here.
    m_firstViewImage = ImageList_GetImageCount(m_images);
    ::SendMessageW(m_hWnd, TB_LOADIMAGES, large ? IDB_VIEW_LARGE_COLOR : IDB_VIEW_SMALL_COLOR,
                 reinterpret_cast<LPARAM>(HINST_COMMCTRL));
}

void CTWndToolbar::AddRadioGlyphs()
{
    struct Glyph {
        UINT flags;
        int themeState;
        int* index;
    } glyphs[] = {
        {DFCS_BUTTONRADIO | DFCS_FLAT, 1, &m_glyphUncheckedNormal},
        {DFCS_BUTTONRADIO | DFCS_FLAT | DFCS_CHECKED, 5, &m_glyphCheckedNormal},
        {DFCS_BUTTONRADIO | DFCS_FLAT | DFCS_INACTIVE, 4, &m_glyphUncheckedDisabled},
        {DFCS_BUTTONRADIO | DFCS_FLAT | DFCS_CHECKED | DFCS_INACTIVE, 8, &m_glyphCheckedDisabled},
        {DFCS_BUTTONRADIO | DFCS_FLAT, 2, &m_glyphUncheckedHot},
        {DFCS_BUTTONRADIO | DFCS_FLAT | DFCS_CHECKED, 6, &m_glyphCheckedHot},
    };
    CTREngine* engine = CTREngine::Instance();
    RECT rc = {0, 0, m_iconWidth, m_iconHeight};
    for (const Glyph& g : glyphs) {
        HBITMAP bitmap = nullptr;
        COLORREF mask = CLR_INVALID; // the engine picks magenta, or another colour where the window is magenta
        if (engine->RenderCheckBoxImage(m_hWnd, g.flags, g.themeState, rc, &bitmap, &mask) && bitmap)
            *g.index = ImageList_AddMasked(m_images, bitmap, mask);
        if (bitmap) DeleteObject(bitmap);
    }
}

bool CTWndToolbar::Attach(HWND hwnd, bool subclass)
{
    Clear();
    CTWnd2::Attach(hwnd, subclass);
    auto previous = reinterpret_cast<HIMAGELIST>(::SendMessageW(hwnd, TB_GETIMAGELIST, 0, 0));
    if (previous) {
        m_images = ImageList_Duplicate(previous);
        ::SendMessageW(hwnd, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_images));
        ImageList_Destroy(previous);
        ImageList_GetIconSize(m_images, &m_iconWidth, &m_iconHeight);
    }
    m_style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    m_exStyle = static_cast<DWORD>(::SendMessageW(hwnd, TB_GETEXTENDEDSTYLE, 0, 0));
    m_majorVersion = SystemMajorVersion();
    return true;
}

void CTWndToolbar::CopyImageList(const CTWndToolbar& other)
{
    if (!other.m_images) return;
    HIMAGELIST copy = ImageList_Duplicate(other.m_images);
    if (!copy) return;
    if (m_hWnd) ::SendMessageW(m_hWnd, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(copy));
    if (m_images) ImageList_Destroy(m_images);
    m_images = copy;
    ImageList_GetIconSize(m_images, &m_iconWidth, &m_iconHeight);
}

void CTWndToolbar::Clear()
{
    m_ownerData = nullptr;
    // The window goes first: the control points at the button texts and draws from the list.
    Destroy();
    m_hParent = nullptr;
    m_texts.DeleteAll();
    if (m_images) ImageList_Destroy(m_images);
    m_images = nullptr;
    if (m_arrow) DeleteObject(m_arrow);
    m_arrow = nullptr;
}

void CTWndToolbar::Invalidate(bool erase)
{
    if (m_arrow) DeleteObject(m_arrow);
    m_arrow = nullptr;
    CTWnd2::Invalidate(erase);
}

// ---------------------------------------------------------------------------------------------
// Images

int CTWndToolbar::AddIcon(HMODULE module, UINT iconId)
{
    auto icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(iconId), IMAGE_ICON, m_iconWidth, m_iconHeight, 0));
    if (!icon || !m_images) {
        if (icon) DestroyIcon(icon);
        return -1;
    }
    int index = ImageList_ReplaceIcon(m_images, -1, icon);
    DestroyIcon(icon);
    return index;
}

bool CTWndToolbar::AddBitmap(HMODULE module, UINT bitmapId, int* index)
{
    int added = -1;
    auto bitmap = static_cast<HBITMAP>(
        LoadImageW(module, MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_DEFAULTSIZE));
    if (bitmap && m_images) {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        COLORREF mask = GetPixel(dc, 0, 0);
        SelectObject(dc, old);
        DeleteDC(dc);
        added = ImageList_AddMasked(m_images, bitmap, mask);
    }
    if (bitmap) DeleteObject(bitmap);
    if (index) *index = added;
    return true;
}

int CTWndToolbar::AddEmfImage(UINT resourceId)
{
    if (!m_images) return -1;
    HMODULE module = CTApp::Instance()->FindResourceModule(L"EMF", MAKEINTRESOURCEW(resourceId));
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(resourceId), L"EMF");
    if (!resource) return -1;
    HGLOBAL loaded = LoadResource(module, resource);
    DWORD size = SizeofResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || size == 0) return -1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return -1;
    if (void* target = GlobalLock(memory)) {
        memcpy(target, data, size);
        GlobalUnlock(memory);
    }
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) { // the stream frees the memory
        GlobalFree(memory);
        return -1;
    }
    int index = RenderEmfToImageList(stream, m_images, m_iconWidth, m_iconHeight);
    stream->Release();
    return index;
}

int CTWndToolbar::AddIconHandle(HICON icon)
{
    return m_images && icon ? ImageList_ReplaceIcon(m_images, -1, icon) : -1;
}

int CTWndToolbar::ReplaceIcon(int index, HICON icon)
{
    return m_images && icon ? ImageList_ReplaceIcon(m_images, index, icon) : -1;
}

bool CTWndToolbar::AddMaskedBitmap(HBITMAP bitmap, COLORREF mask, int* index)
{
    int added = m_images && bitmap ? ImageList_AddMasked(m_images, bitmap, mask) : -1;
    if (index) *index = added;
    return true;
}

int CTWndToolbar::GetCheckGlyph(BYTE state) const
{
    bool checked = state & TBSTATE_CHECKED;
    if (state & TBSTATE_ENABLED) return checked ? m_glyphCheckedNormal : m_glyphUncheckedNormal;
    return checked ? m_glyphCheckedDisabled : m_glyphUncheckedDisabled;
}

// ---------------------------------------------------------------------------------------------
// Buttons

bool CTWndToolbar::InsertButton(int position, int image, int command, BYTE state, BYTE style, const wchar_t* text)
{
    if (!m_hWnd) return false;
    auto* copy = new CTString(text ? text : L"");
    if (!copy->GetBuffer()) copy->Reserve(1);
    m_texts.AddTail(copy);
    if (position < 0) position = static_cast<int>(::SendMessageW(m_hWnd, TB_BUTTONCOUNT, 0, 0));
    TBBUTTON button = {};
    button.iBitmap = image;
    button.idCommand = command;
    button.fsState = state;
    button.fsStyle = style;
    button.iString = reinterpret_cast<INT_PTR>(copy->GetBuffer());
    if (::SendMessageW(m_hWnd, TB_INSERTBUTTONW, position, reinterpret_cast<LPARAM>(&button)) != 1) {
        m_texts.Delete(copy);
        return false;
    }
    TBBUTTONINFOW info = {sizeof(info)};
    info.dwMask = TBIF_TEXT;
    info.pszText = copy->GetBuffer();
    ::SendMessageW(m_hWnd, TB_SETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info));
    ::SendMessageW(m_hWnd, TB_AUTOSIZE, 0, 0);
    return true;
}

bool CTWndToolbar::AppendButton(int image, int command, BYTE state, BYTE style, const wchar_t* text)
{
    return InsertButton(-1, image, command, state, style, text);
}

bool CTWndToolbar::AddButton(int image, int command, BYTE state, BYTE style, UINT stringId)
{
    CTString text(stringId);
    return AppendButton(image, command, state, style, text.GetBuffer());
}

bool CTWndToolbar::SetButtonImage(int image, int command)
{
    if (!m_hWnd) return true;
    TBBUTTONINFOW info = {sizeof(info)};
    info.dwMask = TBIF_IMAGE;
    info.iImage = image;
    return ::SendMessageW(m_hWnd, TB_SETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info)) != 0;
}

int CTWndToolbar::GetButtonImage(int command)
{
    if (!m_hWnd) return 0;
    TBBUTTONINFOW info = {sizeof(info)};
    info.dwMask = TBIF_IMAGE;
    ::SendMessageW(m_hWnd, TB_GETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info));
    return info.iImage;
}

void CTWndToolbar::SetButtonState(int command, BYTE state)
{
    if (m_hWnd) ::SendMessageW(m_hWnd, TB_SETSTATE, command, MAKELPARAM(state, 0));
}

int CTWndToolbar::GetMaxWidth()
{
    SIZE size = {};
    if (m_hWnd) ::SendMessageW(m_hWnd, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    return size.cx;
}

int CTWndToolbar::GetMaxHeight()
{
    SIZE size = {};
    if (m_hWnd) ::SendMessageW(m_hWnd, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    return size.cy;
}

// ---------------------------------------------------------------------------------------------
// Notifications and custom drawing

bool CTWndToolbar::OnReflectNotify(WPARAM, NMHDR* hdr, LRESULT* result)
{
    if (!hdr || !m_hWnd || hdr->hwndFrom != m_hWnd) return false;
    switch (hdr->code) {
    case NM_CUSTOMDRAW: {
        auto* cd = reinterpret_cast<NMTBCUSTOMDRAW*>(hdr);
        if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) {
            DWORD padding = static_cast<DWORD>(::SendMessageW(m_hWnd, TB_GETPADDING, 0, 0));
            ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
            m_padX = dpi.Scale(LOWORD(padding));
            m_padY = dpi.Scale(HIWORD(padding));
            *result = CDRF_NOTIFYITEMDRAW;
            return true;
        }
        if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            *result = PaintButton(cd);
            return true;
        }
        return false;
    }
    case TBN_GETINFOTIPW: {
        auto* tip = reinterpret_cast<NMTBGETINFOTIPW*>(hdr);
        auto found = m_toolTips.find(tip->iItem);
        if (found != m_toolTips.end() && tip->pszText && tip->cchTextMax > 0) {
            int limit = tip->cchTextMax < 1024 ? tip->cchTextMax : 1024;
            const wchar_t* text = found->second.GetBuffer() ? found->second.GetBuffer() : L"";
            wcsncpy(tip->pszText, text, limit - 1);
            tip->pszText[limit - 1] = 0;
        }
        *result = 0;
        return true;
    }
    case TBN_GETBUTTONINFOW: {
        auto* nm = reinterpret_cast<NMTOOLBARW*>(hdr);
        if ((m_exStyle & TBSTYLE_EX_MIXEDBUTTONS) && !(nm->tbButton.fsStyle & BTNS_SHOWTEXT))
            nm->rcButton.right = m_iconWidth;
        return false;
    }
    }
    return false;
}

CTWndToolbar::ButtonLayout CTWndToolbar::ComputeLayout(const RECT& button, BYTE buttonStyle, int textRows) const
{
    ButtonLayout out;
    out.showText = textRows > 0 && !((m_exStyle & TBSTYLE_EX_MIXEDBUTTONS) && !(buttonStyle & BTNS_SHOWTEXT));
    out.arrowShown = (m_exStyle & TBSTYLE_EX_DRAWDDARROWS) && (buttonStyle & BTNS_DROPDOWN);
    out.split = out.arrowShown && !(buttonStyle & BTNS_WHOLEDROPDOWN);
    out.image = out.text = out.arrow = button;
    const int P = m_padX, p = P / 2;
    if (!(m_style & TBSTYLE_LIST)) {
        if (out.showText) {
            out.image.top = button.top + m_padY;
            out.image.bottom = out.image.top + m_iconHeight;
            out.text.top = out.image.bottom;
        }
        if (out.arrowShown) {
            out.image.left = button.left + p;
            out.image.right = out.image.left + m_iconWidth;
            out.arrow.left = out.image.right + (out.split ? p : 0);
            out.arrow.right = out.arrow.left + 2 * P;
        }
    } else if (out.arrowShown) {
        out.image.left = button.left + p;
        out.image.right = out.image.left + m_iconWidth;
        out.arrow.right = button.right - p;
        if (m_majorVersion == 6) out.arrow.left = button.right - 2 * P - p;
        else if (m_majorVersion > 6) out.arrow.left = static_cast<LONG>(button.right - (1.3 * P + p));
        else out.arrow.left = static_cast<LONG>(button.right - (1.5 * P + p));
        out.text.left = out.image.right + p;
        out.text.right = out.arrow.left;
        if (!out.showText && out.split) {
            out.image.left = button.left + p;
            out.image.right = out.arrow.left - p;
        }
    } else if (out.showText) {
        out.image.left = button.left + p;
        out.image.right = out.image.left + m_iconWidth;
        out.text.left = out.image.right + p;
        out.text.right = button.right - p;
    }
    return out;
}

LRESULT CTWndToolbar::PaintButton(NMTBCUSTOMDRAW* cd)
{
    CTREngine* engine = CTREngine::Instance();
    HDC hdc = cd->nmcd.hdc;
    const int command = static_cast<int>(cd->nmcd.dwItemSpec);
    int saved = SaveDC(hdc);

    wchar_t textBuffer[260] = {};
    TBBUTTONINFOW info = {sizeof(info)};
    info.dwMask = TBIF_IMAGE | TBIF_TEXT | TBIF_STATE | TBIF_STYLE | TBIF_COMMAND;
    info.pszText = textBuffer;
    info.cchText = 260;
    ::SendMessageW(m_hWnd, TB_GETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info));
    textBuffer[259] = 0;
    int rows = static_cast<int>(::SendMessageW(m_hWnd, TB_GETTEXTROWS, 0, 0));

    const RECT& button = cd->nmcd.rc;
    ButtonLayout layout = ComputeLayout(button, info.fsStyle, rows);
    const UINT itemState = cd->nmcd.uItemState;
    const bool radio = IsRadio(info.iImage);
    const bool hot = itemState & (CDIS_HOT | CDIS_SELECTED);
    const bool selected = itemState & CDIS_SELECTED;
    const bool checked = info.fsState & TBSTATE_CHECKED;
    const bool disabled = (itemState & (CDIS_DISABLED | CDIS_GRAYED)) || !(info.fsState & TBSTATE_ENABLED);

    // Background.
    if (hot) {
        if (!radio && (selected || checked || (info.fsState & TBSTATE_PRESSED))) engine->FillSelected(hdc, button);
        else engine->FillHot(hdc, button);
    } else if (checked && !radio) {
        engine->DrawFramedRect(hdc, button);
    }

    // Image, the radio placeholder replaced by the glyph of the state.
    int kind = CTREngine::ImageNormal;
    int image = info.iImage;
    COLORREF textColour = cd->clrText;
    if (disabled) {
        kind = CTREngine::ImageDisabled;
        if (radio) image = checked ? m_glyphCheckedDisabled : m_glyphUncheckedDisabled;
        textColour = GetSysColor(COLOR_BTNSHADOW);
    } else if (hot) {
        bool strong = selected || checked;
        kind = strong ? CTREngine::ImageSelected : CTREngine::ImageHot;
        if (radio) image = strong ? m_glyphCheckedHot : m_glyphUncheckedHot;
    } else if (radio) {
        image = checked ? m_glyphCheckedNormal : m_glyphUncheckedNormal;
    }
    if (image >= 0 && m_images) engine->DrawImage(kind, m_images, image, hdc, layout.image, false);

    // Drop-down arrow, enabled buttons only.
    if (layout.arrowShown && !disabled) DrawArrow(hdc, layout.arrow, cd->clrText);

    // Text.
    if (layout.showText && textBuffer[0]) {
        SetTextColor(hdc, textColour);
        SetBkMode(hdc, TRANSPARENT);
        if (engine->m_menuFont) SelectObject(hdc, engine->m_menuFont);
        UINT format = DT_END_ELLIPSIS | ((m_style & TBSTYLE_LIST) ? DT_SINGLELINE | DT_VCENTER : DT_CENTER);
        if (rows > 1) format |= DT_WORDBREAK | DT_EDITCONTROL;
        RECT text = layout.text;
        DrawTextW(hdc, textBuffer, -1, &text, format);
    }

    // The parent may paint over the button (a badge, for instance).
    auto options = m_drawOptions.find(command);
    if (options != m_drawOptions.end() && (options->second & kNotifyAfterPaint) && GetParent(m_hWnd)) {
        CTWndToolbarPainted painted = {};
        painted.draw = *cd;
        painted.draw.nmcd.hdr.hwndFrom = m_hWnd;
        painted.draw.nmcd.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(m_hWnd));
        painted.draw.nmcd.hdr.code = kPaintedCode;
        painted.button = info;
        ::SendMessageW(GetParent(m_hWnd), WM_NOTIFY, painted.draw.nmcd.hdr.idFrom, reinterpret_cast<LPARAM>(&painted));
    }

    RestoreDC(hdc, saved);
    return CDRF_SKIPDEFAULT;
}

void CTWndToolbar::DrawArrow(HDC hdc, const RECT& rc, COLORREF colour)
{
    CTREngine* engine = CTREngine::Instance();
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0) return;
    if (!m_arrow) {
        if (!engine->RenderFrameControl(m_hWnd, rc, &m_arrow, &m_arrowMask, DFC_SCROLL, DFCS_SCROLLDOWN) || !m_arrow)
            return;
        // Every pixel that is not the mask becomes the text colour.
        BITMAP bm = {};
        GetObjectW(m_arrow, sizeof(bm), &bm);
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = bm.bmWidth;
        bi.bmiHeader.biHeight = -bm.bmHeight;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        DWORD* pixels = new DWORD[static_cast<size_t>(bm.bmWidth) * bm.bmHeight];
        HDC screen = GetDC(nullptr);
        if (GetDIBits(screen, m_arrow, 0, bm.bmHeight, pixels, &bi, DIB_RGB_COLORS)) {
            auto toDib = [](COLORREF c) -> DWORD { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); };
            DWORD mask = toDib(m_arrowMask), ink = toDib(colour);
            for (int i = 0; i < bm.bmWidth * bm.bmHeight; ++i)
                pixels[i] = (pixels[i] & 0xFFFFFF) == mask ? mask : ink;
            SetDIBits(screen, m_arrow, 0, bm.bmHeight, pixels, &bi, DIB_RGB_COLORS);
        }
        ReleaseDC(nullptr, screen);
        delete[] pixels;
    }
    BITMAP bm = {};
    GetObjectW(m_arrow, sizeof(bm), &bm);
    HDC mem = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(mem, m_arrow);
    engine->TransparentBlt(hdc, rc.left, rc.top, w, h, mem, bm.bmWidth, bm.bmHeight, m_arrowMask);
    SelectObject(mem, old);
    DeleteDC(mem);
}
