#pragma once
#include "controls/CDrawBase.h"

namespace CDraw {

// A run of text in one font.
class CDrawText : public CDrawBase {
 public:
  CTString text;
  LOGFONTW font = {};
  int fontSizeWritten = 0;  // "font-size" as written; the menu font's height without one
  int descent = 0;          // of the font at the last measurement
  int fitStart = 0;         // font height that fitting starts from; 0 no fitting
  bool multiLine = false;
  bool wrapped = false;     // laid out on several lines; cleared by Paint
  int lineHeight = 0;       // 0 natural, 1 without descent, above 1 device pixels

  // Baseline group of the last Position pass (prepared by the enclosing box).
  int groupHeight = 0;
  int groupDescent = 0;

  void ParseAttributes(const CAttributes& attrs, GDI* gdi) override;
  void Measure(HDC dc, GDI* gdi, CDrawDiv* box) override;
  void Fit(HDC dc, GDI* gdi, CDrawDiv* enclosing, int penX, bool* again) override;
  void Position(HDC dc, GDI* gdi, CDrawDiv* enclosing, POINT* pen) override;
  void Paint(HDC dc, GDI* gdi, CDrawDiv* enclosing) override;
  void Rescale(int dpiX, int dpiY) override;
  bool HasFitText() override { return fitStart != 0; }
  bool Advance(const RECT& inner, POINT* pen, CDrawBase* next) override;

 protected:
  // The font attributes of the table in their order, starting from the menu font.
  void ParseFont(const CAttributes& attrs, GDI* gdi);
  // Selects the cached font, keeps its descent and measures the text; returns the size.
  SIZE MeasureText(HDC dc, GDI* gdi, bool wordBreak, int wrapWidth);
};

}  // namespace CDraw
