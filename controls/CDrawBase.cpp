#include "controls/CDrawBase.h"

#include <objidl.h>
#include <gdiplus.h>

#include "controls/CDrawDiv.h"
#include "framework/CTREngineDraw.h"

namespace CDraw {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// "width" and "height": a plain number is a fixed size, a number with a final "%" a share;
// anything else leaves the natural size.
void ReadSize(const CAttribute& value, int* fixed, int* percent) {
  if (value.GetType() == CAttribute::Integer) {
    *fixed = value.GetValue32();
    return;
  }
  const wchar_t* text = value.GetText();
  size_t n = wcslen(text);
  if (n < 2 || text[n - 1] != L'%') return;
  // Only digits (after blanks and a sign) may stand before the "%".
  size_t i = 0;
  while (i < n - 1 && IsBlank(text[i])) i++;
  if (i < n - 1 && (text[i] == L'+' || text[i] == L'-')) i++;
  size_t digits = 0;
  while (i < n - 1 && text[i] >= L'0' && text[i] <= L'9') i++, digits++;
  if (digits == 0 || i != n - 1) return;
  __int64 share = CDrawBase::ReadNumber(text);
  if (share > 0 && share <= 0x7fffffff) *percent = static_cast<int>(share);
}

bool Present(const CAttributes& attrs, const wchar_t* name, CAttribute& out) {
  return attrs.Get(name, out) && !(CAttribute::IsTextType(out.GetType()) && out.GetTextLength() == 0);
}

Gdiplus::ARGB Opaque(COLORREF c) {
  return 0xFF000000u | (static_cast<Gdiplus::ARGB>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

}  // namespace

int CDrawBase::ReadNumeric(const CAttribute& value) {
  return value.GetType() == CAttribute::Integer ? value.GetValue32() : 0;
}

__int64 CDrawBase::ReadNumber(const wchar_t* text) {
  if (!text) return 0;
  while (IsBlank(*text)) text++;
  bool negative = false;
  if (*text == L'+' || *text == L'-') negative = *text++ == L'-';
  __int64 n = 0;
  for (; *text >= L'0' && *text <= L'9'; text++) {
    if (n < 0x7fffffffffffffffLL / 10 - 10) n = n * 10 + (*text - L'0');
  }
  return negative ? -n : n;
}

bool CDrawBase::ReadFlag(const CAttribute& value) {
  if (value.GetType() == CAttribute::Integer) return value.GetValue() != 0;
  return wcscmp(value.GetText(), L"yes") == 0 || wcscmp(value.GetText(), L"true") == 0;
}

COLORREF CDrawBase::ReadColour(const wchar_t* text) {
  // The first character is skipped whatever it is; then three pairs of hexadecimal digits,
  // each read up to its first character that is not one.
  BYTE parts[3] = {};
  size_t n = text ? wcslen(text) : 0;
  for (int i = 0; i < 3; i++) {
    size_t at = 1 + 2 * i;
    int v = 0;
    for (size_t k = at; k < at + 2 && k < n; k++) {
      int d = HexDigit(text[k]);
      if (d < 0) break;
      v = v * 16 + d;
    }
    parts[i] = static_cast<BYTE>(v);
  }
  return RGB(parts[0], parts[1], parts[2]);
}

void CDrawBase::ParseAttributes(const CAttributes& attrs, GDI*) {
  CAttribute v;
  if (Present(attrs, L"width", v)) ReadSize(v, &fixedWidth, &widthPercent);
  if (Present(attrs, L"height", v)) ReadSize(v, &fixedHeight, &heightPercent);
  if (Present(attrs, L"color", v)) colour = ReadColour(v.GetText());
  if (Present(attrs, L"background-color", v)) backColour = ReadColour(v.GetText());
  if (Present(attrs, L"background-type", v)) {
    const wchar_t* t = v.GetText();
    if (!lstrcmpiW(t, L"normal")) backType = BackNormal;
    else if (!lstrcmpiW(t, L"circle")) backType = BackCircle;
    else if (!lstrcmpiW(t, L"roundedrect")) backType = BackRoundedRect;
    else if (!lstrcmpiW(t, L"roundedrectoutline")) backType = BackRoundedOutline;
  }
  if (Present(attrs, L"margin", v)) margin = marginWritten = static_cast<int>(ReadNumber(v.GetText()));
  if (Present(attrs, L"padding-left", v)) padding.left = static_cast<int>(ReadNumber(v.GetText()));
  if (Present(attrs, L"padding-top", v)) padding.top = static_cast<int>(ReadNumber(v.GetText()));
  if (Present(attrs, L"padding-right", v)) padding.right = static_cast<int>(ReadNumber(v.GetText()));
  if (Present(attrs, L"padding-bottom", v)) padding.bottom = static_cast<int>(ReadNumber(v.GetText()));
  paddingWritten = padding;
  if (Present(attrs, L"position", v)) {
    if (!lstrcmpiW(v.GetText(), L"relative")) inlineFlow = 1;
    else if (!lstrcmpiW(v.GetText(), L"absolute")) inlineFlow = 0;
  }
  if (Present(attrs, L"text-align", v)) {
    const wchar_t* t = v.GetText();
    DWORD h = !lstrcmpiW(t, L"left") ? AlignLeft : !lstrcmpiW(t, L"center") ? AlignCenter
              : !lstrcmpiW(t, L"right") ? AlignRight : 0;
    if (h) align = (align & ~(AlignLeft | AlignCenter | AlignRight)) | h;
  }
  if (Present(attrs, L"vertical-align", v)) {
    const wchar_t* t = v.GetText();
    align |= !lstrcmpiW(t, L"top") ? AlignTop : !lstrcmpiW(t, L"middle") ? AlignMiddle
             : !lstrcmpiW(t, L"bottom") ? AlignBottom : 0;
  }
  if (attrs.Get(L"column", v)) column = v.GetString();
  if (attrs.Get(L"id", v)) id = v.GetString();
  if (Present(attrs, L"hot-track", v)) {
    hotColour = ReadColour(v.GetText());
    state |= StateHotTrack;
  }
  if (Present(attrs, L"on-click", v)) {
    clickId = ReadNumber(v.GetText());
    state |= StateClickable;
  }
}

RECT CDrawBase::ContentRect(GDI* gdi) const {
  RECT rc = bounds;
  int mx = ScaleX(gdi, margin), my = ScaleY(gdi, margin);
  rc.left += ScaleX(gdi, padding.left) + mx;
  rc.right -= ScaleX(gdi, padding.right) + mx;
  rc.top += ScaleY(gdi, padding.top) + my;
  rc.bottom -= ScaleY(gdi, padding.bottom) + my;
  return rc;
}

int CDrawBase::ExtraH(GDI* gdi) const {
  return ScaleX(gdi, padding.left) + ScaleX(gdi, padding.right) + 2 * ScaleX(gdi, margin);
}

int CDrawBase::ExtraV(GDI* gdi) const {
  return ScaleY(gdi, padding.top) + ScaleY(gdi, padding.bottom) + 2 * ScaleY(gdi, margin);
}

void CDrawBase::Measure(HDC, GDI* gdi, CDrawDiv* box) {
  if (fixedWidth) width = ScaleX(gdi, fixedWidth);
  if (fixedHeight) height = ScaleY(gdi, fixedHeight);
  if (box && !column.IsEmpty()) box->GrowColumn(column, width);
}

void CDrawBase::Fit(HDC, GDI* gdi, CDrawDiv* enclosing, int penX, bool*) {
  RECT inner = enclosing->ContentRect(gdi);
  int spaceLeft = inner.left + penX;
  if (!column.IsEmpty()) width = enclosing->ColumnWidth(column);
  if (widthPercent) width = (inner.right - spaceLeft) * widthPercent / 100;
  if (heightPercent) height = (inner.bottom - inner.top) * heightPercent / 100;
  if (height > inner.bottom - inner.top) height = inner.bottom - inner.top;
  if (width > inner.right - spaceLeft) width = inner.right - spaceLeft;
  // Elements that find no room are cut to none, never to a negative size.
  if (width < 0) width = 0;
  if (height < 0) height = 0;
}

void CDrawBase::Position(HDC, GDI* gdi, CDrawDiv* enclosing, POINT* pen) {
  int left = pen->x, top = pen->y;
  if (enclosing) {
    RECT inner = enclosing->ContentRect(gdi);
    if (widthPercent) left = (inner.right - width - inner.left) / 2 + inner.left;
    if (heightPercent) top = (inner.bottom - height - inner.top) / 2 + inner.top;
    if (align & AlignMiddle) top = (inner.bottom - inner.top) / 2 - height / 2 + inner.top;
    else if (align & AlignBottom) top = inner.bottom - height;
    if (column.IsEmpty()) {
      if (align & AlignCenter) left = (inner.right - inner.left) / 2 - width / 2 + inner.left;
      else if (align & AlignRight) left = inner.right - width;
    }
  }
  bounds = {left, top, left + width, top + height};
}

int CDrawBase::RunBefore() const {
  CDrawBase* prev = PrevSibling();
  return prev && prev->IsInline() ? prev->runHeight : 0;
}

void CDrawBase::NoteRun() {
  int before = RunBefore();
  runHeight = IsInline() ? (height > before ? height : before) : 0;
}

bool CDrawBase::Advance(const RECT& inner, POINT* pen, CDrawBase* next) {
  NoteRun();
  pen->x += width;
  int nextWidth = next && !(next->state & StateMultiLine) ? next->width : 0;
  if (inner.right - inner.left >= (pen->x - inner.left) + nextWidth && !widthPercent && IsInline()) return true;
  int line = height;
  if (!widthPercent) {
    int before = RunBefore();
    if (before > line) line = before;
  }
  if (pen->y + line >= inner.bottom) return false;
  pen->x = inner.left;
  pen->y += line;
  return true;
}

bool CDrawBase::FindById(const CTString& text, RECT* out) {
  if (id.GetLength() != text.GetLength()) return false;
  const wchar_t* a = id.GetBuffer() ? id.GetBuffer() : L"";
  const wchar_t* b = text.GetBuffer() ? text.GetBuffer() : L"";
  if (lstrcmpW(a, b) != 0) return false;
  if (out) *out = bounds;
  return true;
}

CDrawBase* CDrawBase::HitTest(DWORD mask, GDI* gdi, int x, int y) {
  if (!(state & mask)) return nullptr;
  RECT inner = ContentRect(gdi);
  POINT pt = {x, y};
  return PtInRect(&inner, pt) ? this : nullptr;
}

void CDrawBase::Paint(HDC dc, GDI* gdi, CDrawDiv*) { PaintBackground(dc, gdi); }

void CDrawBase::PaintBackground(HDC dc, GDI* gdi) {
  if (backColour == kNoColour) return;
  RECT inner = ContentRect(gdi);
  if (backType == BackNormal) {
    HBRUSH brush = CreateSolidBrush(backColour);
    FillRect(dc, &inner, brush);
    DeleteObject(brush);
    return;
  }
  using namespace Gdiplus;
  GpGraphics* graphics = nullptr;
  if (DllExports::GdipCreateFromHDC(dc, &graphics) != Ok) return;
  DllExports::GdipSetPageUnit(graphics, UnitPixel);
  DllExports::GdipSetSmoothingMode(graphics, SmoothingModeAntiAlias);
  GpSolidFill* brush = nullptr;
  GpPen* pen = nullptr;
  DllExports::GdipCreateSolidFill(Opaque(backColour), &brush);
  DllExports::GdipCreatePen1(Opaque(backColour), 1.0f, UnitPixel, &pen);
  if (backType == BackCircle) {
    if (brush)
      DllExports::GdipFillEllipseI(graphics, brush, inner.left, inner.top, inner.right - inner.left,
                                   inner.bottom - inner.top);
  } else {
    GdipPathHolder path;
    AddRoundedRectPath(path, 2, inner.left - 6, inner.top - 6, inner.right - inner.left + 12,
                       inner.bottom - inner.top + 12);
    if (backType == BackRoundedRect && brush) DllExports::GdipFillPath(graphics, brush, path.path);
    if (pen) DllExports::GdipDrawPath(graphics, pen, path.path);
  }
  if (pen) DllExports::GdipDeletePen(pen);
  if (brush) DllExports::GdipDeleteBrush(brush);
  DllExports::GdipDeleteGraphics(graphics);
}

void CDrawBase::Rescale(int dpiX, int dpiY) {
  margin = marginWritten;  // the layout scales the written values itself
  padding = paddingWritten;
  (void)dpiX;
  (void)dpiY;
}

}  // namespace CDraw
