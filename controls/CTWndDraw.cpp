#include "controls/CTWndDraw.h"

#include <windowsx.h>

#include "framework/CTREngine.h"

CTWndDraw::~CTWndDraw() { DropCache(); }

void CTWndDraw::DropCache() {
  if (cache) DeleteObject(cache);
  cache = nullptr;
}

bool CTWndDraw::RegisterClass(HINSTANCE module) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = CTWnd2::WindowProc;
  wc.hInstance = module;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClassName;
  return CTWnd2::RegisterWindowClass(wc);
}

bool CTWndDraw::AttachDlgItem(HWND dialog, int id, DWORD extraStyle) {
  if ((extraStyle & WS_BORDER) && !m_theme) {
    m_themeClass.AssignText(L"Treeview");
    OpenTheme();
  }
  bool ok = CTWnd2::AttachDlgItem(id, dialog, false);
  if (ok && extraStyle) {
    DWORD style = static_cast<DWORD>(GetWindowLongW(m_hWnd, GWL_STYLE));
    if ((style & extraStyle) != extraStyle) {
      SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(style | extraStyle));
      SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    }
  }
  if (ok && !m_theme && !m_themeClass.IsEmpty()) OpenTheme();
  ParseText();
  if (ok) {
    // Adopted after creation: the first WM_SIZE went by, so make the cache now.
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    OnSize(rc.right, rc.bottom);
  }
  return ok;
}

void CTWndDraw::SetText(const CTString& text) {
  if (m_hWnd) ::SendMessageW(m_hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.GetBuffer() ? text.GetBuffer() : L""));
  ParseText();
}

void CTWndDraw::ParseText() {
  CTString text;
  if (m_hWnd) GetWindowTextString(m_hWnd, text);
  doc.LoadText(text.GetBuffer(), &CTREngine::Instance()->m_fontCache);
  dirty = true;
  if (m_hWnd) InvalidateRect(m_hWnd, nullptr, FALSE);
}

bool CTWndDraw::Render(HDC dc, bool force) {
  if (!force && !dirty) return true;
  RECT rc = {};
  GetClientRect(m_hWnd, &rc);
  int saved = SaveDC(dc);
  // The mark-up sits on the background of the first ancestor that is not transparent.
  HWND back = m_hWnd;
  for (HWND w = GetParent(m_hWnd); w; w = reinterpret_cast<HWND>(GetWindowLongPtrW(w, GWLP_HWNDPARENT))) {
    back = w;
    if (!(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TRANSPARENT)) break;
  }
  if (back != m_hWnd) {
    POINT theirs = {0, 0}, mine = {0, 0};
    ClientToScreen(back, &theirs);
    ClientToScreen(m_hWnd, &mine);
    POINT old = {};
    SetViewportOrgEx(dc, theirs.x - mine.x, theirs.y - mine.y, &old);
    ::SendMessageW(back, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
  } else {
    FillRect(dc, &rc, GetSysColorBrush(COLOR_WINDOW));
  }
  if (doc.gdi) {
    doc.Layout(dc, &rc);
    doc.root.Paint(dc, doc.gdi, nullptr);
  }
  RestoreDC(dc, saved);
  dirty = false;
  return true;
}

void CTWndDraw::OnSize(int cx, int cy) {
  DropCache();
  if (!GetSystemMetrics(SM_REMOTESESSION) && cx > 0 && cy > 0) {
    HDC screen = GetDC(m_hWnd);
    cache = CreateCompatibleBitmap(screen, cx, cy);
    ReleaseDC(m_hWnd, screen);
    if (cache) {
      HDC mem = CreateCompatibleDC(nullptr);
      HGDIOBJ old = SelectObject(mem, cache);
      Render(mem, true);
      SelectObject(mem, old);
      DeleteDC(mem);
    }
  }
  if (m_hWnd) InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CTWndDraw::PaintFromCache(HDC dc, const RECT& rc) {
  if (!cache) {
    Render(dc, true);
    return;
  }
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, cache);
  if (dirty) {
    Render(mem, false);
    InvalidateRect(m_hWnd, nullptr, FALSE);
  }
  BitBlt(dc, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, mem, rc.left, rc.top, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
}

void CTWndDraw::NotifyClick(UINT code, int x, int y) {
  CDraw::CDrawBase* e = doc.HitTest(CDraw::CDrawBase::StateClickable, x, y);
  if (!e || e->clickId <= 0) return;
  NMDRAWCLICK nm = {};
  nm.hdr.hwndFrom = m_hWnd;
  nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(m_hWnd));
  nm.hdr.code = code;
  nm.clickId = e->clickId;
  nm.x = x;
  nm.y = y;
  ::SendMessageW(GetParent(m_hWnd), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

void CTWndDraw::OnMouseMove(int x, int y) {
  if (x == lastX && y == lastY) return;
  lastX = x;
  lastY = y;
  POINT screen = {x, y};
  ClientToScreen(m_hWnd, &screen);
  RECT client = {};
  GetClientRect(m_hWnd, &client);
  POINT pt = {x, y};
  bool inside = WindowFromPoint(screen) == m_hWnd && PtInRect(&client, pt);
  if (GetCapture() == m_hWnd) {
    if (!inside) {
      lastX = lastY = 0;
      ReleaseCapture();
      if (doc.ClearHot(m_hWnd)) dirty = true;
      return;
    }
  } else if (inside) {
    SetCapture(m_hWnd);
  }
  if (doc.OnMouseMove(m_hWnd, x, y)) dirty = true;
}

void CTWndDraw::OnLButtonDown(int x, int y) {
  if (doc.OnClick(m_hWnd, x, y)) dirty = true;
  NotifyClick(static_cast<UINT>(NM_LDOWN), x, y);
}

void CTWndDraw::OnLButtonUp(int x, int y) {
  NotifyClick(static_cast<UINT>(NM_CLICK), x, y);
  if (doc.OnMouseMove(m_hWnd, x, y)) dirty = true;
}

bool CTWndDraw::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (msg) {
    case WM_MOVE: {
      // The background under the window changed.
      RECT rc = {};
      GetClientRect(m_hWnd, &rc);
      OnSize(rc.right, rc.bottom);
      break;
    }
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
      HDC dc = reinterpret_cast<HDC>(wParam);
      DefWindowProcW(m_hWnd, msg, wParam, lParam);
      PaintThemedBorder(dc);
      RECT rc = {};
      GetClientRect(m_hWnd, &rc);
      PaintFromCache(dc, rc);
      *result = 1;
      return true;
    }
    case WM_MOUSEMOVE:
      OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      break;
    case WM_LBUTTONDOWN:
      OnLButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      break;
    case WM_LBUTTONUP:
      OnLButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      break;
    default:
      break;
  }
  return CTWndTheme::OnMessage(msg, wParam, lParam, result);
}
