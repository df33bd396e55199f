#pragma once
#include "controls/CDrawText.h"

namespace CDraw {

// A text whose "value" is a date, shown in the user's default locale format.
class CDrawDate : public CDrawText {
 public:
  void ParseAttributes(const CAttributes& attrs, GDI* gdi) override;

  // "Y-M-D" or, with unixEpoch, seconds since 1970 (UTC); false when it forms no valid date.
  static bool ReadDate(const CTString& value, bool unixEpoch, SYSTEMTIME& out);
};

}  // namespace CDraw
