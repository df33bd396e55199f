#include "controls/CTWndHeader.h"

#include "controls/CDrawDiv.h"
#include "controls/CDrawText.h"
#include "framework/CTColour.h"
#include "framework/CTREngine.h"
#include "framework/CTREngineDraw.h"

namespace {

COLORREF Scale(COLORREF c, double factor) {
  return RGB(static_cast<int>(GetRValue(c) * factor), static_cast<int>(GetGValue(c) * factor),
             static_cast<int>(GetBValue(c) * factor));
}

// The colour of the first text of the mark-up, depth first; fallback when there is none.
COLORREF FirstTextColour(const CDraw::CDrawBase* element, COLORREF fallback, bool* found) {
  for (; element && !*found; element = static_cast<const CDraw::CDrawBase*>(element->GetNext())) {
    if (auto* text = dynamic_cast<const CDraw::CDrawText*>(element)) {
      *found = true;
      return text->colour;
    }
    if (auto* div = dynamic_cast<const CDraw::CDrawDiv*>(element)) {
      COLORREF inner = FirstTextColour(div->FirstChild(), fallback, found);
      if (*found) return inner;
    }
  }
  return fallback;
}

int Lightness(COLORREF c) {
  int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  int hi = r > g ? (r > b ? r : b) : (g > b ? g : b);
  int lo = r < g ? (r < b ? r : b) : (g < b ? g : b);
  return (hi + lo + 1) / 2;
}

}  // namespace

CTWndHeader::~CTWndHeader() {
  DropBrush();
  if (cache) DeleteObject(cache);
  cache = nullptr;
  toolbar.Clear();
}

bool CTWndHeader::RegisterClass(HINSTANCE module) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = CTWnd2::WindowProc;
  wc.hInstance = module;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClassName;
  return CTWnd2::RegisterWindowClass(wc);
}

bool CTWndHeader::Attach(HWND dialog, int id) {
  bool ok = true;
  if (id) ok = CTWnd2::AttachDlgItem(id, dialog, false);
  flags = m_hWnd ? static_cast<DWORD>(GetWindowLongW(m_hWnd, GWL_STYLE)) : 0;
  ApplyStyle();
  if (ok && m_hWnd) {
    // Adopted after creation: the first WM_SIZE went by.
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    OnSize(rc.right, rc.bottom);
  }
  return ok;
}

bool CTWndHeader::Create(HWND parent, const RECT& rc) {
  bool ok = CTWnd2::Create(kClassName, false, parent, WS_CHILD | WS_VISIBLE | FlagIconLeft, 0,
                           GetModuleHandleW(nullptr), nullptr);
  flags = FlagIconLeft;
  if (ok) MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
  ApplyStyle();
  return ok;
}

void CTWndHeader::DropBrush() {
  if (brush) DeleteObject(brush);
  brush = nullptr;
}

void CTWndHeader::Changed() {
  dirty = true;
  if (m_hWnd) InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CTWndHeader::ApplyStyle() {
  CTREngine* engine = CTREngine::Instance();
  if (!(flags & FlagBackColourSet)) {
    backColour = Scale(engine->SysColor(COLOR_HIGHLIGHT), 0.8);
    if ((flags & FlagEngineLook) == FlagEngineLook) backColour = engine->GetHighlightColor();
    else if (flags & FlagLight) backColour = RGB(255, 255, 255);
  }
  if (!(flags & FlagTextColourSet)) {
    textColour = RGB(255, 255, 255);
    if ((flags & FlagEngineLook) == FlagEngineLook) textColour = engine->GetMenuTextColor();
    else if (flags & FlagLight) textColour = Scale(engine->SysColor(COLOR_HIGHLIGHT), 0.5);
  }
  DropBrush();
  if ((flags & FlagCloseButton) && m_hWnd) CreateCloseButton();
  CTString text;
  if (m_hWnd) GetWindowTextString(m_hWnd, text);
  SetText(text);
  dirty = true;
}

void CTWndHeader::CreateCloseButton() {
  ModifyExStyle(0, WS_EX_CONTROLPARENT);
  toolbar.Clear();
  if (!toolbar.Create(m_hWnd, GetModuleHandleW(nullptr), WS_TABSTOP | TBSTYLE_TRANSPARENT | TBSTYLE_TOOLTIPS,
                      CTWndToolbar::IconSmall, 0))
    return;
  ::SendMessageW(toolbar.m_hWnd, TB_SETMAXTEXTROWS, 0, 0);
  int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
  RECT glyph = {0, 0, cx, cy};
  HBITMAP bitmap = nullptr;
  COLORREF mask = 0;
  CTREngine::Instance()->RenderFrameControl(m_hWnd, glyph, &bitmap, &mask, DFC_CAPTION, DFCS_CAPTIONCLOSE);
  if (bitmap && textColour != 0) {
    // The glyph takes the text colour, lightened a little.
    COLORREF ink = MixColour(textColour, 0.8);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int y = 0; y < cy; y++)
      for (int x = 0; x < cx; x++)
        if (GetPixel(dc, x, y) != mask) SetPixel(dc, x, y, ink);
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  int image = -1;
  if (bitmap) {
    toolbar.AddMaskedBitmap(bitmap, mask, &image);
    DeleteObject(bitmap);
  }
  toolbar.AppendButton(image, IDCLOSE, TBSTATE_ENABLED, 0, nullptr);
  RECT client = {};
  GetClientRect(m_hWnd, &client);
  PlaceCloseButton(client.right, client.bottom);
}

void CTWndHeader::PlaceCloseButton(int cx, int cy) {
  if (!toolbar.m_hWnd) return;
  toolbarWidth = toolbar.GetMaxWidth();
  toolbarHeight = toolbar.GetMaxHeight();
  int y = cy / 2 - toolbarWidth / 2;
  int x = cx - toolbarWidth - y;
  MoveWindow(toolbar.m_hWnd, x, y, toolbarWidth, toolbarHeight, TRUE);
}

void CTWndHeader::SetBackColour(COLORREF colour) {
  backColour = colour;
  flags |= FlagBackColourSet;
  Changed();
}

void CTWndHeader::SetTextColour(COLORREF colour) {
  textColour = colour;
  flags |= FlagTextColourSet;
  Changed();
}

void CTWndHeader::SetText(const CTString& text) {
  if (m_hWnd) ::SendMessageW(m_hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.GetBuffer() ? text.GetBuffer() : L""));
  if (flags & FlagMarkup) {
    LoadMarkup(text);
    return;
  }
  CTString copy = subtitle;
  SetSubtitle(copy);
}

bool CTWndHeader::SetSubtitle(const CTString& text) {
  if (flags & FlagMarkup) return false;
  subtitle = text;
  CTString title;
  if (m_hWnd) GetWindowTextString(m_hWnd, title);
  LoadMarkup(BuildMarkup(flags, textColour, title, subtitle));
  return true;
}

CTString CTWndHeader::BuildMarkup(unsigned __int64 flags, COLORREF textColour, const CTString& title,
                                  const CTString& subtitle) {
  CTString colour;
  colour.AppendHtmlColour(&textColour);
  CTString safeTitle = title, safeSubtitle = subtitle;
  safeTitle.XmlEscape();
  safeSubtitle.XmlEscape();
  CTString m(L"<Div vertical-align=\"middle\" padding-left=\"16\">");
  if (flags & FlagIconLeft) {
    m.AppendText(L"<Text font-size=\"17\" color=\"").Append(colour).AppendText(L"\" >").Append(safeTitle);
    m.AppendText(L"</Text>");
  } else if (!subtitle.IsEmpty()) {
    m.AppendText(L"<Text font-size=\"16\" font-weight=\"600\" color=\"").Append(colour).AppendText(L"\" >");
    m.Append(safeTitle).AppendText(L"</Text><BR />");
    m.AppendText(L"<Text font-size=\"11\" color=\"").Append(colour).AppendText(L"\">").Append(safeSubtitle);
    m.AppendText(L"</Text>");
  } else {
    m.AppendText(L"<Text font-size=\"17\" font-weight=\"600\" color=\"").Append(colour).AppendText(L"\" >");
    m.Append(safeTitle).AppendText(L"</Text>");
  }
  m.AppendText(L"</Div>");
  return m;
}

void CTWndHeader::LoadMarkup(const CTString& markup) {
  DropBrush();  // the band follows the colour of the text
  doc.LoadText(markup.GetBuffer(), &CTREngine::Instance()->m_fontCache);
  Changed();
}

bool CTWndHeader::SetMarkupMode() {
  if (!m_hWnd) return false;
  LONG_PTR style = GetWindowLongPtrW(m_hWnd, GWL_STYLE);
  if (style & FlagMarkup) return false;
  style |= FlagMarkup;
  SetWindowLongPtrW(m_hWnd, GWL_STYLE, style);
  flags = static_cast<DWORD>(style);
  return true;
}

bool CTWndHeader::LoadIcon(UINT id) {
  bool ok = icon.Load(id, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
  Changed();
  return ok;
}

bool CTWndHeader::SetIcon(HICON handle) {
  icon.SetCopy(handle);
  Changed();
  return true;
}

COLORREF CTWndHeader::TextColourShown() const {
  if (!(flags & FlagMarkup)) return textColour;
  bool found = false;
  return FirstTextColour(doc.root.FirstChild(), textColour, &found);
}

void CTWndHeader::ComputeAreas(const RECT& client, RECT* text, RECT* iconArea) const {
  ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
  if (!dpi.loaded) dpi.Load();
  *text = client;
  *iconArea = client;
  int s = MulDiv(6, dpi.x, 96);
  if (flags & FlagIconLeft) {
    if (icon.IsValid()) {
      text->left = s + icon.width;
      iconArea->right = text->left;
    }
    text->right = client.right - toolbarWidth - s;
  } else if (icon.IsValid()) {
    int side = MulDiv(MulDiv(client.bottom - client.top, 96, dpi.y), dpi.x, 96);
    iconArea->left = client.right - side;
    text->right = iconArea->left - s;
  }
}

bool CTWndHeader::Render(HDC dc, bool force) {
  if (!force && !dirty) return true;
  RECT client = {};
  if (m_hWnd) GetClientRect(m_hWnd, &client);
  int saved = SaveDC(dc);
  int h = client.bottom - client.top;
  if (backImage.IsNull() && !brush) {
    // The text must stay readable on every colour of the band: a gradient that some of its text
    // would not stand out on gives way to a plain band, darkened or lightened as far as needed.
    COLORREF ink = TextColourShown();
    COLORREF band = backColour;
    bool flat = (flags & FlagLight) != 0;
    if (!flat && (ContrastRatio(MixColour(backColour, 0.2), ink) < kMinContrast ||
                  ContrastRatio(backColour, ink) < kMinContrast ||
                  ContrastRatio(Scale(backColour, 0.8), ink) < kMinContrast))
      flat = true;
    if (flat) band = ReadableBackground(backColour, ink, kMinContrast);
    if (flat) {
      HBITMAP strip = CreateCompatibleBitmap(dc, 1, h > 0 ? h : 1);
      HDC mem = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(mem, strip);
      RECT all = {0, 0, 1, h > 0 ? h : 1};
      HBRUSH solid = CreateSolidBrush(band);
      FillRect(mem, &all, solid);
      DeleteObject(solid);
      SelectObject(mem, old);
      DeleteDC(mem);
      brush = CreatePatternBrush(strip);
      DeleteObject(strip);
    } else {
      brush = CreateGradientBrush(dc, h, backColour, 1);
    }
  }
  RECT text, iconArea;
  ComputeAreas(client, &text, &iconArea);
  if (!backImage.IsNull()) backImage.StretchBlt(dc, client);
  else if (brush) FillRect(dc, &client, brush);
  if (icon.IsValid()) {
    int w = iconArea.right - iconArea.left, ih = iconArea.bottom - iconArea.top;
    if (w > 0 && ih > 0) {
      HDC mem = CreateCompatibleDC(dc);
      HBITMAP backing = CreateCompatibleBitmap(dc, w, ih);
      HGDIOBJ old = SelectObject(mem, backing);
      RECT all = {0, 0, w, ih};
      FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(Lightness(backColour) < 221 ? WHITE_BRUSH : LTGRAY_BRUSH)));
      BLENDFUNCTION blend = {AC_SRC_OVER, 0, 116, 0};
      AlphaBlend(dc, iconArea.left, iconArea.top, w, ih, mem, 0, 0, w, ih, blend);
      SelectObject(mem, old);
      DeleteObject(backing);
      DeleteDC(mem);
    }
    DrawIconEx(dc, iconArea.left + (w - icon.width) / 2, iconArea.top + (ih - icon.height) / 2, icon.icon, 0, 0, 0,
               nullptr, DI_NORMAL);
  }
  if (doc.gdi) {
    doc.Layout(dc, &text);
    doc.root.Paint(dc, doc.gdi, nullptr);
  }
  RestoreDC(dc, saved);
  dirty = false;
  return true;
}

bool CTWndHeader::OnSize(int cx, int cy) {
  if (cache) DeleteObject(cache);
  cache = nullptr;
  DropBrush();
  if (!GetSystemMetrics(SM_REMOTESESSION) && cx > 0 && cy > 0) {
    HDC screen = GetDC(m_hWnd);
    cache = CreateCompatibleBitmap(screen, cx, cy);
    if (cache) {
      HDC mem = CreateCompatibleDC(screen);
      HGDIOBJ old = SelectObject(mem, cache);
      Render(mem, true);
      SelectObject(mem, old);
      DeleteDC(mem);
    }
    ReleaseDC(m_hWnd, screen);
  }
  if (GetWindowLongW(m_hWnd, GWL_STYLE) & FlagCloseButton) PlaceCloseButton(cx, cy);
  if (m_hWnd) InvalidateRect(m_hWnd, nullptr, FALSE);
  return true;
}

void CTWndHeader::PaintFromCache(HDC dc, const RECT& rc) {
  if (!cache) {
    Render(dc, true);
    return;
  }
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, cache);
  if (dirty) {
    Render(mem, true);
    InvalidateRect(m_hWnd, nullptr, FALSE);
  }
  BitBlt(dc, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, mem, rc.left, rc.top, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
}

bool CTWndHeader::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (msg) {
    case WM_SIZE:
      OnSize(LOWORD(lParam), HIWORD(lParam));
      *result = 0;
      return true;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(m_hWnd, &ps);
      PaintFromCache(dc, ps.rcPaint);
      EndPaint(m_hWnd, &ps);
      *result = 0;
      return true;
    }
    case WM_ERASEBKGND:
    case WM_PRINT: {
      RECT rc = {};
      GetClientRect(m_hWnd, &rc);
      PaintFromCache(reinterpret_cast<HDC>(wParam), rc);
      *result = 1;
      return true;
    }
    case WM_NCHITTEST:
      *result = HTTRANSPARENT;
      return true;
    default:
      return false;
  }
}

bool CTWndHeader::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) {
  // Tool tips and the flat custom drawing of the close button.
  return toolbar.OnReflectNotify(wParam, hdr, result);
}

bool CTWndHeader::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT*) {
  if (LOWORD(wParam) == IDCLOSE && m_hWnd) PostMessageW(GetParent(m_hWnd), WM_COMMAND, wParam, lParam);
  return false;
}
