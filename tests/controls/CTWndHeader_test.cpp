// The dialog header band: its mark-up variants (title and subtitle go in as text), colours from
// the style bits, the icon gap, mouse transparency and the close button.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "controls/CDrawText.h"
#include "controls/CTWndHeader.h"
#include "framework/CTColour.h"
#include "framework/CTREngine.h"
#include "framework/MemoryBitmap.h"

using namespace CDraw;

namespace {

std::vector<std::pair<UINT, WPARAM>> g_commands;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COMMAND) g_commands.push_back({msg, wParam});
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

COLORREF g_highlight = RGB(0, 120, 215);
DWORD WINAPI FakeSysColor(int index) { return index == COLOR_HIGHLIGHT ? g_highlight : GetSysColor(index); }

struct Band {
  HWND parent = nullptr;
  CTWndHeader header;

  explicit Band(DWORD style, const wchar_t* title = L"Title", int cx = 400, int cy = 48) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    static bool registered = false;
    if (!registered) {
      WNDCLASSEXW wc = {sizeof(wc)};
      wc.lpfnWndProc = ParentProc;
      wc.hInstance = module;
      wc.lpszClassName = L"HeaderTestParent";
      RegisterClassExW(&wc);
      CTWndHeader::RegisterClass(module);
      registered = true;
    }
    parent = CreateWindowExW(0, L"HeaderTestParent", L"", WS_POPUP, 0, 0, cx, cy + 50, nullptr, nullptr,
                             module, nullptr);
    CreateWindowExW(0, CTWndHeader::kClassName, title, WS_CHILD | WS_VISIBLE | style, 0, 0, cx, cy, parent,
                    reinterpret_cast<HMENU>(105), module, nullptr);
    EXPECT_TRUE(header.Attach(parent, 105));
    Pump();
    g_commands.clear();
  }
  ~Band() {
    header.Destroy();
    DestroyWindow(parent);
    Pump();
  }
  CDrawText* Text(int index) {
    auto* box = dynamic_cast<CDrawDiv*>(static_cast<CDrawBase*>(header.doc.root.children.m_head));
    if (!box) return nullptr;
    return dynamic_cast<CDrawText*>(static_cast<CDrawBase*>(box->children.GetAt(index)));
  }
  unsigned Count() {
    auto* box = dynamic_cast<CDrawDiv*>(static_cast<CDrawBase*>(header.doc.root.children.m_head));
    return box ? box->children.GetCount() : 0;
  }
};

struct SysColours {
  SysColours() { CTREngine::Instance()->SetSysColorSource(FakeSysColor); }
  ~SysColours() { CTREngine::Instance()->SetSysColorSource(nullptr); }
};

TEST(CTWndHeader, TitleAndSubtitleVariants) {
  SysColours colours;
  {
    Band band(0x1, L"Only a title");
    band.header.SetSubtitle(CTString(L"never shown"));
    ASSERT_EQ(band.Count(), 1u);
    EXPECT_EQ(band.Text(0)->fontSizeWritten, 17);
    EXPECT_EQ(band.Text(0)->font.lfWeight, FW_NORMAL);
    EXPECT_STREQ(band.Text(0)->text.GetBuffer(), L"Only a title");
  }
  {
    Band band(0, L"Title");
    ASSERT_EQ(band.Count(), 1u);
    EXPECT_EQ(band.Text(0)->fontSizeWritten, 17);
    EXPECT_EQ(band.Text(0)->font.lfWeight, 600);
    band.header.SetSubtitle(CTString(L"Subtitle"));
    ASSERT_EQ(band.Count(), 3u);
    EXPECT_EQ(band.Text(0)->fontSizeWritten, 16);
    EXPECT_EQ(band.Text(0)->font.lfWeight, 600);
    EXPECT_EQ(band.Text(2)->fontSizeWritten, 11);
    EXPECT_STREQ(band.Text(2)->text.GetBuffer(), L"Subtitle");
    EXPECT_EQ(band.Text(2)->colour, RGB(255, 255, 255));
    // A new title keeps the subtitle.
    band.header.SetText(CTString(L"Other"));
    ASSERT_EQ(band.Count(), 3u);
    EXPECT_STREQ(band.Text(0)->text.GetBuffer(), L"Other");
  }
}

// Object names come from the server: they show as written and cannot add elements.
TEST(CTWndHeader, TitleAndSubtitleAreTextNotMarkup) {
  const wchar_t* names[] = {L"R&D <Lab>", L"a</Text><Text on-click=\"9\">b", L"&#60;Image type=\"HICON\"/&#62;",
                            L"quote \" and ' apostrophe", L"<Image type=\"HICON\" handle=\"1\"/>"};
  for (const wchar_t* name : names) {
    Band band(0, name);
    band.header.SetSubtitle(CTString(name));
    ASSERT_EQ(band.Count(), 3u) << testing::PrintToString(std::wstring(name));
    EXPECT_STREQ(band.Text(0)->text.GetBuffer(), name);
    EXPECT_STREQ(band.Text(2)->text.GetBuffer(), name);
    EXPECT_EQ(band.Text(0)->clickId, 0);
  }
  CTString markup = CTWndHeader::BuildMarkup(0, RGB(1, 2, 3), CTString(L"A<B"), CTString());
  EXPECT_STREQ(markup.GetBuffer(),
               L"<Div vertical-align=\"middle\" padding-left=\"16\"><Text font-size=\"17\" font-weight=\"600\" "
               L"color=\"#010203\" >A&lt;B</Text></Div>");
}

TEST(CTWndHeader, MarkupModeShowsTheTextAsMarkup) {
  Band band(0x10, L"<Text id=\"a\" color=\"#FF0000\">red</Text><Text>second</Text>");
  EXPECT_EQ(band.header.doc.root.children.GetCount(), 2u);
  EXPECT_FALSE(band.header.SetSubtitle(CTString(L"x")));
  band.header.SetText(CTString(L"<Text>bad</Div"));  // does not parse in full: nothing breaks
  RECT rc = {0, 0, 400, 48};
  MemoryBitmap bm(400, 48);
  band.header.Render(bm.dc, true);
}

TEST(CTWndHeader, ColoursFromTheStyle) {
  SysColours colours;
  {
    Band band(0);
    EXPECT_EQ(band.header.backColour, RGB(0, 96, 172));
    EXPECT_EQ(band.header.textColour, RGB(255, 255, 255));
  }
  {
    Band band(0x100);
    EXPECT_EQ(band.header.backColour, RGB(255, 255, 255));
    EXPECT_EQ(band.header.textColour, RGB(0, 60, 107));
    MemoryBitmap bm(400, 48, RGB(1, 2, 3));
    band.header.Render(bm.dc, true);
    EXPECT_EQ(bm.At(2, 2), RGB(255, 255, 255));  // flat fill in the light look
    EXPECT_EQ(bm.At(200, 45), RGB(255, 255, 255));
  }
  {
    Band band(0);
    band.header.SetBackColour(RGB(10, 20, 30));
    band.header.SetTextColour(RGB(200, 0, 0));
    band.header.ApplyStyle();
    EXPECT_EQ(band.header.backColour, RGB(10, 20, 30));
    EXPECT_EQ(band.Text(0)->colour, RGB(200, 0, 0));
    // Attach takes the flags from the window style again: the markers go.
    band.header.Attach(band.parent, 105);
    EXPECT_EQ(band.header.backColour, RGB(0, 96, 172));
  }
}

TEST(CTWndHeader, IconGapFollowsTheScreenDpi) {
  ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
  ScreenDpi saved = dpi;
  Band band(0x1);
  band.header.SetIcon(LoadIconW(nullptr, IDI_APPLICATION));
  RECT client = {0, 0, 400, 48}, text, icon;
  dpi.Set(144, 144);
  band.header.ComputeAreas(client, &text, &icon);
  EXPECT_EQ(text.left - band.header.icon.width, 9);
  EXPECT_EQ(icon.right, text.left);
  dpi.Set(96, 96);
  band.header.ComputeAreas(client, &text, &icon);
  EXPECT_EQ(text.left - band.header.icon.width, 6);
  dpi = saved;
}

TEST(CTWndHeader, MouseGoesThroughExceptForTheCloseButton) {
  Band band(0x1 | 0x2);
  EXPECT_EQ(SendMessageW(band.header.m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(5, 5)), HTTRANSPARENT);
  ASSERT_NE(band.header.toolbar.m_hWnd, nullptr);
  EXPECT_GT(band.header.toolbarWidth, 0);
  RECT button = {};
  ASSERT_TRUE(SendMessageW(band.header.toolbar.m_hWnd, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button)));
  int x = (button.left + button.right) / 2, y = (button.top + button.bottom) / 2;
  SendMessageW(band.header.toolbar.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageW(band.header.toolbar.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  Pump();
  ASSERT_EQ(g_commands.size(), 1u);
  EXPECT_EQ(LOWORD(g_commands[0].second), IDCLOSE);
  // The button sits at the right edge, centred vertically.
  RECT tb = {};
  GetWindowRect(band.header.toolbar.m_hWnd, &tb);
  MapWindowPoints(nullptr, band.header.m_hWnd, reinterpret_cast<POINT*>(&tb), 2);
  EXPECT_GT(tb.left, 300);
}

TEST(CTWndHeader, ExplicitTextColourInksTheCloseGlyph) {
  Band band(0x1 | 0x2);
  band.header.SetTextColour(RGB(200, 0, 0));
  band.header.ApplyStyle();
  ASSERT_NE(band.header.toolbar.m_images, nullptr);
  MemoryBitmap bm(32, 32, RGB(0, 255, 0));
  ASSERT_TRUE(ImageList_Draw(band.header.toolbar.m_images, band.header.toolbar.GetButtonImage(IDCLOSE), bm.dc, 0, 0, ILD_NORMAL));
  int inked = 0;
  for (int y = 0; y < 32; y++)
    for (int x = 0; x < 32; x++) inked += bm.At(x, y) == RGB(211, 51, 51);
  EXPECT_GT(inked, 4);
}

TEST(CTWndHeader, IconSitsOnATranslucentBacking) {
  Band band(0x1);
  band.header.SetBackColour(RGB(0, 0, 128));
  band.header.SetIcon(LoadIconW(nullptr, IDI_APPLICATION));
  MemoryBitmap bm(400, 48);
  band.header.Render(bm.dc, true);
  RECT client = {0, 0, 400, 48}, text, icon;
  band.header.ComputeAreas(client, &text, &icon);
  // Corner of the icon area: white blended over the dark blue; beyond it the band's own fill.
  COLORREF backing = bm.At(icon.left + 1, 44);
  COLORREF fill = bm.At(text.left + 200, 44);
  EXPECT_GT(GetRValue(backing), GetRValue(fill) + 20);
  EXPECT_GT(GetGValue(backing), GetGValue(fill) + 20);
}

}  // namespace

// The text of a band stands out on every row of it, whatever the system's highlight colour or the
// server's colours: at least 4.5 to 1 against each band colour, in plain and mark-up mode.
TEST(CTWndHeader, TextStandsOutOnEveryRowOfTheBand) {
  SysColours colours;
  struct Case {
    const wchar_t* name;
    DWORD style;
    COLORREF highlight;
    bool serverColours;
    COLORREF back, text;
    const wchar_t* markup;
  };
  const COLORREF grey = RGB(0xB3, 0xB3, 0xB3), blue = RGB(0, 120, 215);
  const Case cases[] = {
      {L"grey system highlight", 0x3, grey, false, 0, 0, nullptr},
      {L"blue system highlight", 0x1, blue, false, 0, 0, nullptr},
      {L"light look", 0x101, grey, false, 0, 0, nullptr},
      {L"white text on a pale server band", 0x1, blue, true, RGB(250, 230, 120), RGB(255, 255, 255), nullptr},
      {L"dark text on a dark server band", 0x1, blue, true, RGB(20, 20, 60), RGB(40, 40, 40), nullptr},
      {L"dark text on a pale band", 0x1, blue, true, RGB(230, 240, 250), RGB(0, 0, 0), nullptr},
      {L"white mark-up heading", 0x13, grey, false, 0, 0,
       L"<Div padding-left=\"16\"><Text color=\"#FFFFFF\" font-size=\"14\">Name</Text></Div>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
    g_highlight = c.highlight;
    Band band(c.style, L"Search Results", 400, 33);
    if (c.serverColours) {
      band.header.SetBackColour(c.back);
      band.header.SetTextColour(c.text);
      band.header.ApplyStyle();
    }
    if (c.markup) band.header.SetText(CTString(c.markup));
    MemoryBitmap bm(400, 33, RGB(1, 2, 3));
    band.header.Render(bm.dc, true);
    COLORREF ink = band.header.TextColourShown();
    double least = 21;
    for (int y = 0; y < 33; y++) least = std::min(least, ContrastRatio(bm.At(2, y), ink));
    EXPECT_GE(least, CTWndHeader::kMinContrast);
    // The text is there in its own colour.
    int inked = 0;
    for (int y = 0; y < 33; y++)
      for (int x = 16; x < 200; x++) inked += bm.At(x, y) == ink;
    EXPECT_GT(inked, 10);
  }
  g_highlight = blue;
}

TEST(CTWndHeader, ContrastRatioFigures) {
  EXPECT_NEAR(ContrastRatio(RGB(255, 255, 255), RGB(0, 0, 0)), 21.0, 1e-6);
  EXPECT_NEAR(ContrastRatio(RGB(0x77, 0x77, 0x77), RGB(255, 255, 255)), 4.48, 0.01);
  EXPECT_NEAR(ContrastRatio(RGB(255, 255, 255), RGB(0x8F, 0x8F, 0x8F)), 3.24, 0.01);
  // Already readable: unchanged; otherwise moved away from the text far enough.
  EXPECT_EQ(ReadableBackground(RGB(0, 50, 120), RGB(255, 255, 255), 4.5), RGB(0, 50, 120));
  COLORREF darker = ReadableBackground(RGB(0x8F, 0x8F, 0x8F), RGB(255, 255, 255), 4.5);
  EXPECT_GE(ContrastRatio(darker, RGB(255, 255, 255)), 4.5);
  EXPECT_LT(GetRValue(darker), 0x8F);
  COLORREF lighter = ReadableBackground(RGB(0x60, 0x60, 0x60), RGB(0, 0, 0), 4.5);
  EXPECT_GE(ContrastRatio(lighter, RGB(0, 0, 0)), 4.5);
}
