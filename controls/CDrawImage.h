#pragma once
#include "controls/CDrawBase.h"

namespace CDraw {

// An icon given by its handle; the writer keeps the icon alive, the element never destroys it.
class CDrawImage : public CDrawBase {
 public:
  int kind = 0;  // 1 icon
  HICON icon = nullptr;

  void ParseAttributes(const CAttributes& attrs, GDI* gdi) override;
  void Paint(HDC dc, GDI* gdi, CDrawDiv* enclosing) override;
};

}  // namespace CDraw
