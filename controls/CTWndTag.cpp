#include "controls/CTWndTag.h"

#include "foundation/CTTokenString.h"
#include "framework/CTREngine.h"
#include "framework/CTREngineDraw.h"

#include <vector>

namespace {

const wchar_t* Text(const CTString& s)
{
    return s.GetBuffer() ? s.GetBuffer() : L"";
}

ScreenDpi& Dpi()
{
    ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
    if (!dpi.loaded) dpi.Load();
    return dpi;
}

int SX(int value) { return MulDiv(value, Dpi().x, 96); }
int SY(int value) { return MulDiv(value, Dpi().y, 96); }

COLORREF HalfHighlight()
{
    COLORREF h = CTREngine::Instance()->SysColor(COLOR_HIGHLIGHT);
    return RGB(GetRValue(h) / 2, GetGValue(h) / 2, GetBValue(h) / 2);
}

}  // namespace

// ---- chips ----

void CTWndTag::CGfxItem::Measure()
{
    CGfxCanvasDC canvas(CanvasHwnd());
    HGDIOBJ old = SelectObject(canvas.dc, CTREngine::Instance()->m_menuFont);
    RECT rc = {0, 0, 0, 0};
    DrawTextW(canvas.dc, Text(m_text), -1, &rc, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
    SelectObject(canvas.dc, old);
    m_closeX = SX(4 + 4) + (rc.right - rc.left);
    SetWidth(m_closeX + SX(19 + 4));
    int height = rc.bottom - rc.top;
    if (height < SY(20)) height = SY(20);
    SetHeight(height);
    m_closeY = height / 2 - SY(19) / 2;
}

void CTWndTag::CGfxItem::Move(int x, int y)
{
    if (m_bounds.left - 1 == x && m_bounds.top - 1 == y) return;
    Redraw(false);
    CGfxObject::Move(x, y);
    if (m_close) m_close->SetBounds(x + m_closeX, y + m_closeY, SX(19), SY(19));
}

void CTWndTag::CGfxItem::Render()
{
    DeleteBitmap();
    int width = GetWidth(), height = GetHeight();
    if (width <= 0 || height <= 0) return;
    CTWndGfx* canvas = GetCanvasWnd();
    CGfxCanvasDC screen(CanvasHwnd());
    HDC mem = CreateCompatibleDC(screen.dc);
    m_bitmap = CreateCompatibleBitmap(screen.dc, width, height);
    HGDIOBJ oldBitmap = SelectObject(mem, m_bitmap);
    RECT rc = {0, 0, width, height};
    HBRUSH white = canvas && canvas->m_background ? canvas->m_background
                                                  : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    FillRect(mem, &rc, white);
    DrawRoundedHighlight(mem, rc, CTREngine::Instance()->SysColor(COLOR_BTNSHADOW), 5);
    SetBkMode(mem, TRANSPARENT);
    SetTextColor(mem, HalfHighlight());
    HGDIOBJ oldFont = SelectObject(mem, CTREngine::Instance()->m_menuFont);
    TEXTMETRICW tm = {};
    GetTextMetricsW(mem, &tm);
    RECT text = rc;
    text.top = height / 2 - tm.tmInternalLeading / 2 - tm.tmHeight / 2;
    text.left += 4;
    DrawTextW(mem, Text(m_text), -1, &text, DT_NOPREFIX | DT_SINGLELINE);
    SelectObject(mem, oldFont);
    SelectObject(mem, oldBitmap);
    DeleteDC(mem);
}

// ---- close button ----

void CTWndTag::CGfxClose::CreateResources(HDC dc, bool create)
{
    if (create) {
        HWND hwnd = CanvasHwnd();
        DeleteBitmap();
        RECT rc = {0, 0, SX(15), SY(15)};
        CTREngine::Instance()->RenderFrameControl(hwnd, rc, &m_bitmap, &m_mask, DFC_CAPTION, DFCS_CAPTIONCLOSE);
        if (m_bitmap && !HasState(StateHot)) {
            // Grey until the pointer is over it.
            COLORREF shadow = CTREngine::Instance()->SysColor(COLOR_BTNSHADOW);
            BYTE r = static_cast<BYTE>(GetRValue(shadow) * 0.8), g = static_cast<BYTE>(GetGValue(shadow) * 0.8),
                 b = static_cast<BYTE>(GetBValue(shadow) * 0.8);
            BITMAPINFO bi = {};
            bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
            bi.bmiHeader.biWidth = rc.right;
            bi.bmiHeader.biHeight = -rc.bottom;
            bi.bmiHeader.biPlanes = 1;
            bi.bmiHeader.biBitCount = 32;
            bi.bmiHeader.biCompression = BI_RGB;
            std::vector<DWORD> pixels(static_cast<size_t>(rc.right) * rc.bottom);
            HDC screen = GetDC(nullptr);
            if (GetDIBits(screen, m_bitmap, 0, rc.bottom, pixels.data(), &bi, DIB_RGB_COLORS)) {
                DWORD mask = (GetRValue(m_mask) << 16) | (GetGValue(m_mask) << 8) | GetBValue(m_mask);
                DWORD grey = (static_cast<DWORD>(r) << 16) | (static_cast<DWORD>(g) << 8) | b;
                for (DWORD& p : pixels)
                    if ((p & 0xFFFFFF) != mask) p = grey;
                SetDIBits(screen, m_bitmap, 0, rc.bottom, pixels.data(), &bi, DIB_RGB_COLORS);
            }
            ReleaseDC(nullptr, screen);
        }
        // Children only: the glyph is this object's picture and must stay.
        for (CGfxObject* child = FirstChild(); child; child = child->Next()) child->CreateResources(dc, create);
        return;
    }
    CGfxObject::CreateResources(dc, create);
}

void CTWndTag::CGfxClose::Render()
{
    CGfxCanvasDC canvas(CanvasHwnd());
    CreateResources(canvas.dc, true);
}

void CTWndTag::CGfxClose::Paint(HDC dc, const RECT* clip)
{
    if (m_visible) {
        RECT client = ClientBounds();
        RECT common;
        if (!clip || IntersectRect(&common, &client, clip)) {
            RECT rc = client;
            InflateRect(&rc, -1, -1);
            CTREngine* engine = CTREngine::Instance();
            if (HasState(StatePressed))
                FillRect(dc, &rc, engine->m_selectedBrush);
            else if (HasState(StateHot))
                FillRect(dc, &rc, engine->m_hotBrush);
            if (!m_bitmap) Render();
            if (m_bitmap) {
                HDC mem = CreateCompatibleDC(dc);
                HGDIOBJ old = SelectObject(mem, m_bitmap);
                engine->TransparentBlt(dc, rc.left, rc.top, SX(15), SY(15), mem, SX(15), SY(15), m_mask);
                SelectObject(mem, old);
                DeleteDC(mem);
            }
            if (HasState(StateFocusCue)) {
                RECT focus = client;
                InflateRect(&focus, -2, -2);
                focus.right += 1;
                DrawFocusRect(dc, &focus);
            }
        }
    }
    // The glyph is drawn above with its own mask colour; only the children remain.
    PaintChildren(dc, clip);
}

void CTWndTag::CGfxClose::OnClick()
{
    CGfxItem* chip = AsChip(m_parent);
    CTWndGfx* canvas = GetCanvasWnd();
    if (chip && canvas && canvas->m_hWnd)
        PostMessageW(canvas->m_hWnd, kRemoveTag, 0, reinterpret_cast<LPARAM>(chip));
}

// ---- inline editor ----

bool CTWndTag::CEdit::OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT* result)
{
    ++m_depth;
    bool handled = Handle(msg, wParam, result);
    --m_depth;
    return handled;
}

bool CTWndTag::CEdit::Handle(UINT msg, WPARAM wParam, LRESULT* result)
{
    CTWndTag* owner = m_owner;
    switch (msg) {
    case WM_KILLFOCUS:
        Destroy();
        RedrawWindow(owner->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return false;
    case WM_GETDLGCODE:
        *result = DLGC_WANTALLKEYS;
        return true;
    case WM_CHAR:
        switch (wParam) {
        case VK_BACK:
            if (GetWindowTextLengthW(m_hWnd) > 0) return false;
            PostMessageW(owner->m_hWnd, kRemoveTag, 0, 0);
            *result = 0;
            return true;
        case VK_TAB: {
            Destroy();
            ::SetFocus(owner->m_hWnd);
            HWND parent = GetParent(owner->m_hWnd);
            PostMessageW(parent, WM_NEXTDLGCTL, (GetKeyState(VK_SHIFT) & 0x8000) ? 1 : 0, 0);
            *result = 0;
            return true;
        }
        case VK_RETURN: {
            CTString text;
            GetWindowTextString(m_hWnd, text);
            owner->AddTag(Text(text), true);
            owner->UpdateText();
            Destroy();
            ::SetFocus(owner->m_hWnd);
            owner->Relayout();
            *result = 0;
            return true;
        }
        case VK_ESCAPE:
            Destroy();
            ::SetFocus(owner->m_hWnd);
            *result = 0;
            return true;
        default:
            return false;
        }
    default:
        return false;
    }
}

// ---- the control ----

CTWndTag::~CTWndTag()
{
    m_focused = nullptr;
    CloseEditor();
    delete m_retired;
    m_retired = nullptr;
    m_hot = nullptr;
    m_root.BaseDeleteChildren();
}

bool CTWndTag::Attach(HWND dialog)
{
    SetThemeClass(L"Treeview");
    if (!m_theme) OpenTheme();
    bool attached = AttachToDlgItem(dialog, kControlId, false);
    if (attached) {
        ModifyExStyle(WS_EX_CLIENTEDGE, 0);
        SetWindowLongPtrW(m_hWnd, GWL_STYLE, GetWindowLongPtrW(m_hWnd, GWL_STYLE) | WS_BORDER);
        SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return attached;
}

void CTWndTag::SendNotify(UINT code, const wchar_t* text)
{
    if (!m_hWnd) return;
    TagNotify nm = {};
    nm.hdr.hwndFrom = m_hWnd;
    nm.hdr.idFrom = static_cast<UINT_PTR>(m_id);
    nm.hdr.code = code;
    nm.text = text;
    HWND parent = GetParent(m_hWnd);
    if (parent) ::SendMessageW(parent, WM_NOTIFY, static_cast<WPARAM>(m_id), reinterpret_cast<LPARAM>(&nm));
}

CTWndTag::CGfxItem* CTWndTag::AddTag(const wchar_t* text, bool notify)
{
    auto* chip = new CGfxItem();
    chip->m_close = new CGfxClose();
    chip->AddChild(chip->m_close);
    CTString tag(text ? text : L"");
    tag.TrimLeft(L' ');
    tag.TrimRight(L' ');
    tag.Replace(CTString(L"\""), CTString(L""), false);
    chip->m_text = tag;
    m_root.AddChild(chip);
    chip->Measure();
    if (notify) SendNotify(NotifyAdded, Text(chip->m_text));
    Relayout();
    return chip;
}

void CTWndTag::RemoveTag(CGfxItem* chip)
{
    if (!chip) {
        for (CGfxObject* child = m_root.LastChild(); child && !chip; child = child->Prev()) chip = AsChip(child);
        if (!chip) return;
    } else {
        // The pointer may have come through the message queue: only a chip still in the list
        // is touched (a rebuild or an earlier removal has deleted any other).
        bool present = false;
        for (CGfxObject* child = m_root.FirstChild(); child && !present; child = child->Next())
            present = child == chip;
        if (!present) return;
    }
    if (m_focused && (m_focused == chip || chip->Contains(m_focused))) m_focused = nullptr;
    if (m_hot && (m_hot == chip || chip->Contains(m_hot))) m_hot = nullptr;
    SendNotify(NotifyRemoving, Text(chip->m_text));
    chip->Redraw(true);
    m_root.m_children.Delete(chip);
    Relayout();
    UpdateText();
}

void CTWndTag::UpdateText()
{
    CTString text;
    for (CGfxObject* child = m_root.FirstChild(); child; child = child->Next()) {
        CGfxItem* chip = AsChip(child);
        if (!chip) continue;
        if (!text.IsEmpty()) text.AppendChar(L',');
        text.AppendChar(L'"');
        text.AddText(Text(chip->m_text));
        text.AppendChar(L'"');
    }
    m_settingText = true;
    if (m_hWnd) ::SendMessageW(m_hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Text(text)));
    m_settingText = false;
    SendNotify(NotifyChanged, text.IsEmpty() ? nullptr : Text(text));
}

void CTWndTag::SetTags(const wchar_t* text)
{
    if (m_settingText) return;
    m_root.DeleteChildren();
    CTTokenString tokens(text ? text : L"");
    tokens.SetSeparators(L",", 0);
    CLinkedList list;
    tokens.Split(list);
    for (CLinkedListObject* item = list.GetHead(); item; item = item->GetNext())
        AddTag(Text(*static_cast<CTString*>(item)), false);
    if (list.IsEmpty()) Relayout();
    if (m_hWnd) InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CTWndTag::Layout(int width, int height)
{
    RECT inner = {1, 1, width - 1, height - 1};
    int innerWidth = inner.right - inner.left;
    int x = inner.left, y = inner.top, line = 0;
    bool any = false;
    for (CGfxObject* child = m_root.FirstChild(); child; child = child->Next()) {
        any = true;
        if (x != inner.left) {
            x += SX(4);
            if (innerWidth < x) {
                y += line;
                x = inner.left;
                line = 0;
            }
        }
        if (line < child->GetHeight()) line = child->GetHeight();
        if (innerWidth < x + child->GetWidth()) {
            y += line;
            x = inner.left;
        }
        child->Move(x, y);
        x += child->GetWidth();
    }
    int bottom = y + line;
    m_entry = {x, y, inner.right, any ? bottom : inner.bottom - inner.top};
    if (EditorOpen()) {
        RECT rc = m_entry;
        m_root.CanvasToClient(&rc);
        MoveWindow(m_editor->m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    }
    InflateRect(&m_entry, -1, -1);
    m_contentHeight = bottom + 3;
    m_contentWidth = 0;
    CTWndGfx::UpdateScrollBars(width, height);
    if (m_hWnd) InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CTWndTag::Relayout()
{
    int width, height;
    ClientSize(&width, &height);
    Layout(width, height);
}

void CTWndTag::UpdateScrollBars(int width, int height)
{
    CloseEditor();
    Layout(width, height);
    if (m_hWnd) InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CTWndTag::OpenEditor()
{
    CloseEditor();
    delete m_retired;
    m_retired = nullptr;
    m_editor = new CEdit(this);
    RECT rc = m_entry;
    m_root.CanvasToClient(&rc);
    if (m_editor->CreateChild(L"Edit", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, rc, m_hWnd, 0)) {
        m_editor->Subclass(true);
        m_editor->SetFont(CTREngine::Instance()->m_menuFont, false);
        ::SetFocus(m_editor->m_hWnd);
    }
    if (m_hWnd) InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CTWndTag::CloseEditor()
{
    if (!m_editor) return;
    CEdit* editor = m_editor;
    m_editor = nullptr;
    editor->Destroy();
    if (editor->m_depth > 0) {
        // Closed from inside its own message: deleted once that has returned.
        delete m_retired;
        m_retired = editor;
    } else {
        delete editor;
    }
    if (m_hWnd) InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CTWndTag::DeleteRootChildren()
{
    m_focused = nullptr;
    CloseEditor();
    m_hot = nullptr;
    m_root.BaseDeleteChildren();
    // Removal requests still queued name chips that are gone now; a new chip may even take the
    // address of an old one, so they are dropped with the chips.
    if (m_hWnd) {
        MSG msg;
        while (PeekMessageW(&msg, m_hWnd, kRemoveTag, kRemoveTag, PM_REMOVE | PM_NOYIELD)) {
        }
    }
}

bool CTWndTag::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_GETDLGCODE) {
        m_cues = true;
        *result = DLGC_WANTCHARS;
        return true;
    }
    bool handled = CTWndGfx::OnMessage(msg, wParam, lParam, result);
    switch (msg) {
    case WM_SETFOCUS:
        if (m_editor && !m_editor->IsWindow()) CloseEditor();
        m_root.ModifyState(CGfxObject::StateFocused | (m_cues ? CGfxObject::StateFocusCue : 0), 0);
        break;
    case WM_KILLFOCUS:
        if (m_editor && m_editor->m_hWnd && reinterpret_cast<HWND>(wParam) == m_editor->m_hWnd) break;
        CloseEditor();
        m_cues = false;
        m_root.ModifyState(0, CGfxObject::StateFocused | CGfxObject::StateFocusCue);
        break;
    case WM_SETTEXT:
        SetTags(reinterpret_cast<const wchar_t*>(lParam));
        break;
    case WM_CHAR:
        if (EditorOpen()) break;
        OpenEditor();
        if (wParam == VK_BACK) {
            RemoveTag(nullptr);
        } else if (m_editor && m_editor->m_hWnd) {
            wchar_t ch[2] = {static_cast<wchar_t>(wParam), 0};
            ::SetWindowTextW(m_editor->m_hWnd, ch);
            ::SendMessageW(m_editor->m_hWnd, EM_SETSEL, 1, 1);
        }
        break;
    case kRemoveTag:
        RemoveTag(reinterpret_cast<CGfxItem*>(lParam));
        *result = 0;
        return true;
    default:
        break;
    }
    return handled;
}

void CTWndTag::PaintRoot(HDC dc, const RECT* clip)
{
    RECT client;
    GetClientRect(m_hWnd, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if ((m_root.m_state & (CGfxObject::StateFocused | CGfxObject::StateFocusCue)) ==
            (CGfxObject::StateFocused | CGfxObject::StateFocusCue) &&
        !EditorOpen()) {
        RECT focus = client;
        if (focus.bottom < m_contentHeight) focus.bottom = m_contentHeight;
        InflateRect(&focus, -1, -1);
        DrawFocusRect(dc, &focus);
    }
    m_root.PaintChildren(dc, clip);
}

void CTWndTag::OnRootLButtonDown(int x, int y)
{
    ::SetFocus(m_hWnd);
    if (m_cues) {
        m_cues = false;
        if (m_focused) m_focused->ModifyState(0, CGfxObject::StateFocusCue);
        m_root.ModifyState(0, CGfxObject::StateFocusCue);
    }
    CGfxObject* target = m_root.HitTestDeep(x, y);
    if (!target || !target->IsPressable()) return;
    if (target != m_focused) {
        if (m_focused) m_focused->ModifyState(0, CGfxObject::StateFocused | CGfxObject::StateFocusCue);
        m_focused = target;
    }
    target->ModifyState(CGfxObject::StatePressed, 0);
}

void CTWndTag::OnRootLButtonUp(int x, int y)
{
    if (!EditorOpen()) OpenEditor();
    CGfxObject* focused = m_focused;
    if (!focused) return;
    if (!m_cues && !focused->HasState(CGfxObject::StatePressed)) return;
    focused->ModifyState(0, CGfxObject::StatePressed);
    if (m_root.HitTestDeep(x, y) == focused) focused->OnClick();
}

void CTWndTag::OnCaptureChanged(HWND newOwner)
{
    if (m_focused) m_focused->ModifyState(0, CGfxObject::StatePressed);
    CTWndGfx::OnCaptureChanged(newOwner);
}
