// Layout time of mark-up documents as they grow: prints the time per element and the ratio
// between a document ten times larger and the smaller one (about 10 when the layout is linear,
// about 100 when it is quadratic). Run it under Wine: wine MarkupLayout_bench.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "controls/CDrawDocument.h"
#include "framework/CTREngine.h"

namespace {

double Seconds() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// n elements of the kinds a panel holds; breakEvery 0 writes one endless line run.
std::wstring Panel(int n, int breakEvery) {
  std::wstring s = L"<Attribs><Attrib id=\"label\" color=\"#404040\" font-weight=\"700\"/></Attribs>";
  for (int i = 0; i < n; i++) {
    switch (i % 6) {
      case 0: s += L"<Text attrib=\"label\" column=\"c\" id=\"t" + std::to_wstring(i) + L"\">Label</Text>"; break;
      case 1: s += L"<Text hot-track=\"#0000FF\" on-click=\"" + std::to_wstring(i) + L"\">value text</Text>"; break;
      case 2: s += L"<Text multi-line=\"1\">a few words that may wrap onto lines</Text>"; break;
      case 3: s += L"<Tab width=\"8\"/>"; break;
      case 4: s += L"<Progress width=\"40\" height=\"10\" pos=\"3\" max=\"10\"/>"; break;
      case 5: s += L"<Text font-size=\"14\">big</Text>"; break;
    }
    if (breakEvery && i % breakEvery == breakEvery - 1) s += L"<BR/>";
  }
  return s;
}

// Median of several layouts (or paints, which lay out first) of the document in a 600 x 100000
// area.
double LayoutTime(const std::wstring& markup, HDC dc, CDraw::GDI* gdi, bool paint) {
  CDraw::CDrawDocument doc;
  doc.LoadText(markup.c_str(), gdi);
  RECT rc = {0, 0, 600, 100000};
  std::vector<double> times;
  for (int i = 0; i < 5; i++) {
    double t0 = Seconds();
    if (paint) doc.Paint(dc, &rc);
    else doc.Layout(dc, &rc);
    times.push_back(Seconds() - t0);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int wmain() {
  CTREngine::Instance();
  CDraw::GDI gdi;
  HDC dc = CreateCompatibleDC(nullptr);
  // Painting needs a surface: a small one is enough, what falls outside is clipped.
  HBITMAP surface = CreateBitmap(64, 64, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, surface);
  struct Shape {
    const wchar_t* name;
    int breakEvery;
    bool paint;
  } shapes[] = {{L"layout, lines of 12", 12, false},
                {L"layout, one run", 0, false},
                {L"paint, lines of 12", 12, true}};
  std::printf("mark-up layout, median of 5 runs\n");
  for (const Shape& shape : shapes) {
    double small = LayoutTime(Panel(1000, shape.breakEvery), dc, &gdi, shape.paint);
    double large = LayoutTime(Panel(10000, shape.breakEvery), dc, &gdi, shape.paint);
    std::printf("%-24ls 1000: %8.2f ms  10000: %8.2f ms  per element %6.2f us  ratio 10000/1000: %5.1f (linear 10)\n",
                shape.name, small * 1e3, large * 1e3, large * 1e6 / 10000, large / small);
  }
  SelectObject(dc, old);
  DeleteObject(surface);
  DeleteDC(dc);
  return 0;
}
