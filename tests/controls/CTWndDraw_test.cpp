// The mark-up window in a real top-level window: click notifications, capture and hot state,
// reloading, and a screenshot of a rendered panel saved as PNG into the build tree.
#include <gtest/gtest.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "controls/CTWndDraw.h"
#include "framework/CTREngine.h"
#include "support/WindowUnderPoint.h"

namespace {

struct Click {
  UINT code;
  __int64 id;
  int x, y;
  UINT_PTR from;
};
std::vector<Click> g_clicks;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NOTIFY) {
    auto* nm = reinterpret_cast<CTWndDraw::NMDRAWCLICK*>(lParam);
    g_clicks.push_back({nm->hdr.code, nm->clickId, nm->x, nm->y, nm->hdr.idFrom});
    return 0;
  }
  if (msg == WM_ERASEBKGND) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    HBRUSH b = CreateSolidBrush(RGB(240, 240, 250));
    FillRect(reinterpret_cast<HDC>(wParam), &rc, b);
    DeleteObject(b);
    return 1;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Away from the corner where other test programs of a parallel run put their windows: the
// pointer tests ask which window is under the point.
constexpr int kHostX = 1000, kHostY = 700;

struct DrawWindow {
  HWND host = nullptr;
  HWND item = nullptr;
  CTWndDraw wnd;

  explicit DrawWindow(const wchar_t* markup, int cx = 400, int cy = 200) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    static bool registered = false;
    if (!registered) {
      WNDCLASSEXW wc = {sizeof(wc)};
      wc.lpfnWndProc = HostProc;
      wc.hInstance = module;
      wc.lpszClassName = L"MarkupTestHost";
      RegisterClassExW(&wc);
      CTWndDraw::RegisterClass(module);
      registered = true;
    }
    host = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, L"MarkupTestHost", L"host", WS_POPUP, kHostX, kHostY, cx + 20, cy + 20,
                           nullptr, nullptr, module, nullptr);
    item = CreateWindowExW(0, CTWndDraw::kClassName, markup, WS_CHILD | WS_VISIBLE, 10, 10, cx, cy, host,
                           reinterpret_cast<HMENU>(1234), module, nullptr);
    EXPECT_TRUE(wnd.AttachDlgItem(host, 1234, 0));
    // Shown without activation: activating and destroying test windows costs seconds under Wine.
    ShowWindow(host, SW_SHOWNOACTIVATE);
    UpdateWindow(host);
    Pump();
    g_clicks.clear();
  }
  ~DrawWindow() {
    wnd.Destroy();
    DestroyWindow(host);
    Pump();
  }
  RECT Bounds(const wchar_t* id) {
    RECT rc = {};
    EXPECT_TRUE(wnd.GetElementRect(CTString(id), &rc));
    return rc;
  }
  void Send(UINT msg, int x, int y) { SendMessageW(item, msg, msg == WM_MOUSEMOVE ? 0 : MK_LBUTTON, MAKELPARAM(x, y)); }
};

const wchar_t* kPanel =
    L"<Attribs><Attrib id=\"h\" font-size=\"20\" font-weight=\"700\" color=\"#1F3F7F\"/></Attribs>"
    L"<Div background-color=\"#FFFFFF\" background-type=\"roundedrect\" margin=\"8\" padding-left=\"6\" padding-top=\"4\">"
    L"<Text attrib=\"h\" id=\"title\">Deployment panel</Text><BR/>"
    L"<Text column=\"l\" color=\"#606060\">Status</Text><Text id=\"status\" color=\"#008000\">On track</Text><BR/>"
    L"<Text column=\"l\" color=\"#606060\">Progress</Text><Progress id=\"bar\" width=\"160\" height=\"16\" pos=\"60\" "
    L"color=\"#2060C0\" background-color=\"#FFFFFF\" type=\"text\">60 %</Progress><BR/>"
    L"<Text id=\"open\" font-size=\"16\" color=\"#2060C0\" hot-track=\"#C02020\" on-click=\"11\">Open the deployment</Text>"
    L"<Tab width=\"20\"/><Text id=\"close\" font-size=\"16\" on-click=\"12\" hot-track=\"#C02020\">Close</Text>"
    L"<Text id=\"zero\" on-click=\"0\">none</Text>"
    L"</Div>";

TEST(CTWndDraw, PressAndReleaseReportTheElementsUnderThePoint) {
  DrawWindow w(kPanel);
  RECT open = w.Bounds(L"open"), close = w.Bounds(L"close"), zero = w.Bounds(L"zero");
  int ox = open.left + 5, oy = (open.top + open.bottom) / 2;
  int cx = close.left + 5, cy = (close.top + close.bottom) / 2;
  w.Send(WM_MOUSEMOVE, ox, oy);
  w.Send(WM_LBUTTONDOWN, ox, oy);
  w.Send(WM_MOUSEMOVE, cx, cy);
  w.Send(WM_LBUTTONUP, cx, cy);
  w.Send(WM_LBUTTONDOWN, zero.left + 2, zero.top + 2);  // number 0: never reported
  w.Send(WM_LBUTTONUP, 2, 2);                           // nothing there
  ASSERT_EQ(g_clicks.size(), 2u);
  EXPECT_EQ(g_clicks[0].code, UINT(NM_LDOWN));
  EXPECT_EQ(g_clicks[0].id, 11);
  EXPECT_EQ(g_clicks[0].x, ox);
  EXPECT_EQ(g_clicks[0].y, oy);
  EXPECT_EQ(g_clicks[0].from, 1234u);
  EXPECT_EQ(g_clicks[1].code, UINT(NM_CLICK));
  EXPECT_EQ(g_clicks[1].id, 12);
  EXPECT_EQ(g_clicks[1].x, cx);
}

TEST(CTWndDraw, LeavingTheWindowReleasesCaptureAndHotState) {
  DrawWindow w(kPanel);
  RECT open = w.Bounds(L"open");
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  SetCursor(arrow);
  POINT over = {open.left + 5, open.top + 5};
  EXPECT_TRUE(testsupport::WaitUntilWindowUnder(w.item, over)) << testsupport::DescribeWindowUnder(w.item, over);
  w.Send(WM_MOUSEMOVE, over.x, over.y);
  EXPECT_EQ(GetCapture(), w.item) << testsupport::DescribeWindowUnder(w.item, over);
  ASSERT_NE(w.wnd.doc.hot, nullptr);
  EXPECT_EQ(GetCursor(), CTREngine::Instance()->GetCursor(CTREngine::CursorHand));
  w.Send(WM_MOUSEMOVE, -5, 3);
  EXPECT_NE(GetCapture(), w.item);
  EXPECT_EQ(w.wnd.doc.hot, nullptr);
  EXPECT_EQ(GetCursor(), arrow);
}

TEST(CTWndDraw, NewTextWhileHotRestoresTheCursor) {
  DrawWindow w(kPanel);
  RECT open = w.Bounds(L"open");
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  SetCursor(arrow);
  w.Send(WM_MOUSEMOVE, open.left + 5, open.top + 5);
  ASSERT_NE(w.wnd.doc.hot, nullptr);
  w.wnd.SetText(CTString(L"plain words without mark-up"));
  EXPECT_EQ(GetCursor(), arrow);
  EXPECT_EQ(w.wnd.doc.hot, nullptr);
  EXPECT_EQ(w.wnd.doc.root.children.GetCount(), 0u);
  ReleaseCapture();
}

TEST(CTWndDraw, MovingTheWindowRendersTheCacheAgain) {
  DrawWindow w(kPanel);
  ASSERT_NE(w.wnd.cache, nullptr);
  HBITMAP before = w.wnd.cache;
  SetWindowPos(w.item, nullptr, 20, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_NE(w.wnd.cache, nullptr);
  EXPECT_NE(w.wnd.cache, before);
  EXPECT_FALSE(w.wnd.dirty);
}

TEST(CTWndDraw, ExtraStyleBitsAreAddedWhenAdopted) {
  DrawWindow w(L"<Text>x</Text>");
  CTWndDraw bordered;
  HWND item = CreateWindowExW(0, CTWndDraw::kClassName, L"<Text id=\"t\">y</Text>", WS_CHILD | WS_VISIBLE, 0, 0, 100,
                              30, w.host, reinterpret_cast<HMENU>(77), GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(bordered.AttachDlgItem(w.host, 77, WS_BORDER));
  EXPECT_TRUE(GetWindowLongW(item, GWL_STYLE) & WS_BORDER);
  EXPECT_STREQ(bordered.m_themeClass.GetBuffer(), L"Treeview");
  RECT rc;
  EXPECT_TRUE(bordered.GetElementRect(CTString(L"t"), &rc));
  EXPECT_FALSE(CTWndDraw().AttachDlgItem(w.host, 4321, 0));  // no such item
  bordered.Destroy();
}

// Has the window print itself (its cached rendering over the host's background) into a bitmap
// and saves that as PNG; the file is kept for a look.
bool SaveWindowPng(HWND hwnd, const std::wstring& path, std::vector<COLORREF>* pixels, int* cx, int* cy) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  *cx = rc.right;
  *cy = rc.bottom;
  HDC screen = GetDC(hwnd);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bm = CreateCompatibleBitmap(screen, *cx, *cy);
  HGDIOBJ old = SelectObject(mem, bm);
  SendMessageW(hwnd, WM_PRINT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT | PRF_ERASEBKGND);
  pixels->resize(static_cast<size_t>(*cx) * *cy);
  for (int y = 0; y < *cy; y++)
    for (int x = 0; x < *cx; x++) (*pixels)[y * *cx + x] = GetPixel(mem, x, y);
  SelectObject(mem, old);
  DeleteDC(mem);
  ReleaseDC(hwnd, screen);
  Gdiplus::GpBitmap* image = nullptr;
  bool saved = false;
  if (Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(bm, nullptr, &image) == Gdiplus::Ok) {
    CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    saved = Gdiplus::DllExports::GdipSaveImageToFile(image, path.c_str(), &png, nullptr) == Gdiplus::Ok;
    Gdiplus::DllExports::GdipDisposeImage(image);
  }
  DeleteObject(bm);
  return saved;
}

TEST(CTWndDraw, ScreenshotOfARenderedPanel) {
  CTREngine::Instance();  // GDI+ started
  DrawWindow w(kPanel);
  RECT open = w.Bounds(L"open");
  // One link shown hot (straight to the document: the pointer may be elsewhere in a parallel run).
  ASSERT_TRUE(w.wnd.doc.OnMouseMove(w.item, open.left + 5, open.top + 5));
  w.wnd.dirty = true;
  RedrawWindow(w.host, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  Sleep(200);
  Pump();
  const char* dir = std::getenv("QEL_BINARY_DIR");
  std::wstring path = L"controls_markup_panel.png";
  if (dir) path = L"Z:" + std::wstring(dir, dir + strlen(dir)) + L"/controls_markup_panel.png";
  std::vector<COLORREF> pixels;
  int cx = 0, cy = 0;
  ASSERT_TRUE(SaveWindowPng(w.item, path, &pixels, &cx, &cy));
  auto count = [&](COLORREF c, RECT r) {
    int n = 0;
    for (int y = r.top; y < r.bottom && y < cy; y++)
      for (int x = r.left; x < r.right && x < cx; x++) n += pixels[y * cx + x] == c;
    return n;
  };
  EXPECT_GT(count(RGB(0x1F, 0x3F, 0x7F), w.Bounds(L"title")), 10);   // heading text
  EXPECT_GT(count(RGB(0x20, 0x60, 0xC0), w.Bounds(L"bar")), 100);    // the filled bar
  EXPECT_GT(count(RGB(0xC0, 0x20, 0x20), w.Bounds(L"open")), 10);    // hot link colour
  EXPECT_GT(count(RGB(240, 240, 250), RECT{0, 190, 400, 200}), 100);  // the host's own background
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

}  // namespace
