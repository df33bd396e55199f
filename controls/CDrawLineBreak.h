#pragma once
#include "controls/CDrawBase.h"

namespace CDraw {

// "BR": ends the current line; consecutive breaks make no empty lines.
class CDrawLineBreak : public CDrawBase {
 public:
  bool IsInline() override { return false; }
  bool Advance(const RECT& inner, POINT* pen, CDrawBase* next) override;
};

}  // namespace CDraw
