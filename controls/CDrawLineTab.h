#pragma once
#include "controls/CDrawBase.h"

namespace CDraw {

// "Tab": an empty box sized only by its attributes.
class CDrawLineTab : public CDrawBase {};

}  // namespace CDraw
