#pragma once
// A mark-up document rendered into a memory bitmap at 96 DPI, with lookups by element id.
#include <gtest/gtest.h>
#include <windows.h>

#include "controls/CDrawDocument.h"
#include "controls/CDrawText.h"
#include "framework/CTREngine.h"
#include "framework/MemoryBitmap.h"

struct MarkupFixture {
  CDraw::GDI gdi;  // a private font cache at a fixed DPI
  CDraw::CDrawDocument doc;
  MemoryBitmap bitmap;

  MarkupFixture(int cx = 400, int cy = 300) : bitmap(cx, cy) {
    CTREngine::Instance();  // starts GDI+ and owns the hand cursor
    gdi.dpiX = 96;
    gdi.dpiY = 96;
  }

  void Load(const wchar_t* markup) { doc.LoadText(markup, &gdi); }
  void Layout(int cx, int cy) {
    RECT rc = {0, 0, cx, cy};
    doc.Layout(bitmap.dc, &rc);
  }
  void Layout() { Layout(bitmap.width, bitmap.height); }
  void Paint() {
    RECT rc = {0, 0, bitmap.width, bitmap.height};
    doc.Paint(bitmap.dc, &rc);
    GdiFlush();
  }
  RECT Bounds(const wchar_t* id) {
    RECT rc = {-1, -1, -1, -1};
    EXPECT_TRUE(doc.FindById(CTString(id), &rc)) << "no element " << testing::PrintToString(std::wstring(id));
    return rc;
  }
  CDraw::CDrawBase* Child(int index) {
    auto* e = static_cast<CDraw::CDrawBase*>(doc.root.children.GetAt(index));
    return e;
  }
  CDraw::CDrawText* Text(int index) { return dynamic_cast<CDraw::CDrawText*>(Child(index)); }
  // Pixels of exactly this colour inside rc.
  int Count(COLORREF colour, RECT rc) {
    int n = 0;
    for (int y = rc.top < 0 ? 0 : rc.top; y < rc.bottom && y < bitmap.height; y++)
      for (int x = rc.left < 0 ? 0 : rc.left; x < rc.right && x < bitmap.width; x++)
        if (bitmap.At(x, y) == colour) n++;
    return n;
  }
  int Count(COLORREF colour) { return Count(colour, RECT{0, 0, bitmap.width, bitmap.height}); }
};
