#include "controls/CDrawLineBreak.h"

namespace CDraw {

bool CDrawLineBreak::Advance(const RECT& inner, POINT* pen, CDrawBase*) {
  // The line is as tall as the inline elements before the break; a break after a break (or
  // at the start) has none, so it moves nothing.
  int line = RunBefore();
  runHeight = 0;
  if (line > 0) {
    pen->x = inner.left;
    pen->y += line;
  }
  return true;
}

}  // namespace CDraw
