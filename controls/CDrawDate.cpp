#include "controls/CDrawDate.h"

namespace CDraw {

namespace {

// A decimal part of "Y-M-D": digits only, at least one.
bool ReadPart(const wchar_t*& p, int& out) {
  if (*p < L'0' || *p > L'9') return false;
  long long n = 0;
  for (; *p >= L'0' && *p <= L'9'; p++)
    if (n < 100000) n = n * 10 + (*p - L'0');
  out = static_cast<int>(n);
  return true;
}

}  // namespace

bool CDrawDate::ReadDate(const CTString& value, bool unixEpoch, SYSTEMTIME& out) {
  out = {};
  if (unixEpoch) {
    __int64 seconds = static_cast<int>(ReadNumber(value.GetBuffer()));  // a signed 32-bit count
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<ULONGLONG>((seconds + 11644473600LL) * 10000000LL);
    FILETIME ft = {ticks.LowPart, ticks.HighPart};
    return FileTimeToSystemTime(&ft, &out) != FALSE;
  }
  const wchar_t* p = value.GetBuffer();
  if (!p) return false;
  int year = 0, month = 0, day = 0;
  if (!ReadPart(p, year) || *p++ != L'-' || !ReadPart(p, month) || *p++ != L'-' || !ReadPart(p, day)) return false;
  if (year < 1601 || year > 30827 || month < 1 || month > 12 || day < 1 || day > 31) return false;
  out.wYear = static_cast<WORD>(year);
  out.wMonth = static_cast<WORD>(month);
  out.wDay = static_cast<WORD>(day);
  // The round trip through a file time rejects days that the month does not have.
  FILETIME ft;
  if (!SystemTimeToFileTime(&out, &ft)) return false;
  SYSTEMTIME check;
  if (!FileTimeToSystemTime(&ft, &check) || check.wDay != out.wDay || check.wMonth != out.wMonth) return false;
  out = check;
  return true;
}

void CDrawDate::ParseAttributes(const CAttributes& attrs, GDI* gdi) {
  CDrawText::ParseAttributes(attrs, gdi);
  CAttribute v;
  DWORD flags = DATE_LONGDATE;
  if (attrs.Get(L"format", v) && !(CAttribute::IsTextType(v.GetType()) && v.GetTextLength() == 0))
    flags = static_cast<DWORD>(ReadNumeric(v));
  bool epoch = attrs.Get(L"unixepoch", v) && ReadNumeric(v) > 0;
  CTString value = text;
  text.Empty();
  SYSTEMTIME st;
  if (value.IsEmpty() || !ReadDate(value, epoch, st)) return;
  wchar_t buffer[128] = {};
  if (GetDateFormatW(LOCALE_USER_DEFAULT, flags, &st, nullptr, buffer, 128) > 0) text = buffer;
}

}  // namespace CDraw
