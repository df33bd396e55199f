#pragma once
#include "controls/CDrawBase.h"

namespace CDraw {

// A progress bar with an optional text that reads inverted over the filled part.
class CDrawProgress : public CDrawBase {
 public:
  enum Kind : DWORD { KindVertical = 0x1, KindText = 0x2 };
  __int64 maximum = 100;
  __int64 pos = 0;
  DWORD kind = 0;
  CTString text;

  void ParseAttributes(const CAttributes& attrs, GDI* gdi) override;
  void Paint(HDC dc, GDI* gdi, CDrawDiv* enclosing) override;

  // The filled part and the rest of the bar inside frame; false when nothing is filled (a
  // position of 0 or a maximum that is not above 0). The fill never passes the frame.
  bool SplitBar(const RECT& frame, RECT* bar, RECT* rest) const;
};

}  // namespace CDraw
