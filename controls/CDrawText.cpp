#include "controls/CDrawText.h"

#include "controls/CDrawDiv.h"

namespace CDraw {

namespace {

bool Present(const CAttributes& attrs, const wchar_t* name, CAttribute& out) {
  return attrs.Get(name, out) && !(CAttribute::IsTextType(out.GetType()) && out.GetTextLength() == 0);
}

LOGFONTW MenuFont() {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    metrics.lfMenuFont.lfHeight = -12;
    metrics.lfMenuFont.lfWeight = FW_NORMAL;
    lstrcpynW(metrics.lfMenuFont.lfFaceName, L"Tahoma", LF_FACESIZE);
  }
  metrics.lfMenuFont.lfQuality = DEFAULT_QUALITY;
  return metrics.lfMenuFont;
}

int CharHeight(LONG lfHeight) { return lfHeight < 0 ? -lfHeight : lfHeight; }

}  // namespace

void CDrawText::ParseFont(const CAttributes& attrs, GDI* gdi) {
  font = MenuFont();
  fontSizeWritten = CharHeight(font.lfHeight);
  CAttribute v;
  if (Present(attrs, L"font-family", v)) {
    // The face name field holds 31 characters; a longer name is cut there.
    ZeroMemory(font.lfFaceName, sizeof(font.lfFaceName));
    lstrcpynW(font.lfFaceName, v.GetText(), LF_FACESIZE);
  }
  if (Present(attrs, L"font-size", v)) {
    fontSizeWritten = ReadNumeric(v);
    font.lfHeight = -ScaleY(gdi, fontSizeWritten);
  }
  if (Present(attrs, L"font-weight", v)) font.lfWeight = ReadNumeric(v);
  if (Present(attrs, L"font-underline", v)) font.lfUnderline = ReadNumeric(v) != 0;
  if (Present(attrs, L"font-strikeout", v)) font.lfStrikeOut = ReadNumeric(v) != 0;
  if (Present(attrs, L"font-escapement", v)) font.lfEscapement = ReadNumeric(v);
  if (Present(attrs, L"font-orientation", v)) font.lfOrientation = ReadNumeric(v);
  if (Present(attrs, L"font-size-to-fit-width", v) && ReadFlag(v)) fitStart = font.lfHeight;
  if (Present(attrs, L"multi-line", v)) {
    if (ReadFlag(v)) {
      multiLine = true;
      state |= StateMultiLine;
    }
    if (!(v.GetType() == CAttribute::Integer && v.GetValue() != 0)) state |= StateKeepOnLine;
  }
  if (Present(attrs, L"line-height", v)) {
    if (v.GetType() == CAttribute::Integer && v.GetValue() >= 1) lineHeight = v.GetValue32();
    else if (wcscmp(v.GetText(), L"yes") == 0 || wcscmp(v.GetText(), L"true") == 0) lineHeight = 1;
  }
}

void CDrawText::ParseAttributes(const CAttributes& attrs, GDI* gdi) {
  CDrawBase::ParseAttributes(attrs, gdi);
  CAttribute v;
  if (attrs.Get(L"value", v)) text = v.GetString();
  ParseFont(attrs, gdi);
}

SIZE CDrawText::MeasureText(HDC dc, GDI* gdi, bool wordBreak, int wrapWidth) {
  HFONT f = gdi ? gdi->GetFont(font) : nullptr;
  HGDIOBJ old = f ? SelectObject(dc, f) : nullptr;
  TEXTMETRICW tm = {};
  if (GetTextMetricsW(dc, &tm)) descent = tm.tmDescent;
  RECT rc = {0, 0, wordBreak ? wrapWidth : 0, 0};
  UINT flags = DT_CALCRECT | DT_NOPREFIX;
  flags |= wordBreak ? DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS : DT_SINGLELINE;
  const wchar_t* s = text.GetBuffer() ? text.GetBuffer() : L"";
  DrawTextW(dc, s, static_cast<int>(text.GetLength()), &rc, flags);
  if (old) SelectObject(dc, old);
  return {rc.right - rc.left, rc.bottom - rc.top};
}

void CDrawText::Measure(HDC dc, GDI* gdi, CDrawDiv* box) {
  if (fitStart) font.lfHeight = fitStart;
  int h = ExtraH(gdi), v = ExtraV(gdi);
  SIZE size = wrapped ? MeasureText(dc, gdi, true, width - h) : MeasureText(dc, gdi, false, 0);
  width = h + size.cx;
  height = v + size.cy;
  if (lineHeight == 1) height -= descent;
  else if (lineHeight > 1) height = lineHeight + v;
  CDrawBase::Measure(dc, gdi, box);
}

void CDrawText::Fit(HDC dc, GDI* gdi, CDrawDiv* enclosing, int penX, bool* again) {
  CDrawBase::Fit(dc, gdi, enclosing, penX, again);
  int h = ExtraH(gdi);
  if (fitStart) {
    // Shrink one pixel at a time; never below 8 pixels.
    SIZE size = {};
    for (;;) {
      size = MeasureText(dc, gdi, false, 0);
      if (width >= size.cx || CharHeight(font.lfHeight) <= 8) break;
      font.lfHeight += font.lfHeight < 0 ? 1 : -1;
    }
    height = ExtraV(gdi) + size.cy;
    return;
  }
  if (multiLine && !wrapped) {
    SIZE one = MeasureText(dc, gdi, false, 0);
    if (width - h < h + one.cx) {
      SIZE wrap = MeasureText(dc, gdi, true, width - h);
      width = h + wrap.cx;
      height = ExtraV(gdi) + wrap.cy;
      wrapped = true;
      *again = true;
    }
  }
}

bool CDrawText::Advance(const RECT& inner, POINT* pen, CDrawBase* next) {
  NoteRun();
  pen->x += width;
  if (state & StateKeepOnLine) return true;
  int nextWidth = next && !(next->state & StateMultiLine) ? next->width : 0;
  if (inner.right - inner.left >= (pen->x - inner.left) + nextWidth && !widthPercent && IsInline()) return true;
  if (multiLine || wrapped) {
    // A flowing text gives way so that the next element fits beside it.
    width += inner.right - pen->x - nextWidth;
    if (width < 0) width = 0;
    return true;
  }
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

void CDrawText::Position(HDC dc, GDI* gdi, CDrawDiv* enclosing, POINT* pen) {
  CDrawBase::Position(dc, gdi, enclosing, pen);
  int maxHeight = groupHeight > height ? groupHeight : height;
  int maxDescent = groupDescent > descent ? groupDescent : descent;
  if (maxHeight == height && maxDescent == descent) return;
  int down = 0;
  if (align & AlignTop) {
    down = lineHeight == 1 ? descent : maxDescent - descent;
  } else if (!(align & AlignVertical)) {
    int d = (maxHeight - height) - (maxDescent - descent);
    if (d > 0) down = d;
  }
  OffsetRect(&bounds, 0, down);
}

void CDrawText::Paint(HDC dc, GDI* gdi, CDrawDiv* enclosing) {
  PaintBackground(dc, gdi);
  int saved = SaveDC(dc);
  LOGFONTW lf = font;
  if (state & (StateHotTrack | StatePressed)) lf.lfUnderline = (state & StateHot) ? 1 : 0;
  SetBkMode(dc, TRANSPARENT);
  COLORREF c = colour;
  if ((state & StateHotTrack) && (state & StateHot)) c = hotColour;
  else if (state & StatePressed) c = RGB(GetRValue(c) / 2, GetGValue(c) / 2, GetBValue(c) / 2);
  SetTextColor(dc, c);
  if (HFONT f = gdi ? gdi->GetFont(lf) : nullptr) SelectObject(dc, f);

  UINT flags = DT_NOPREFIX | DT_NOCLIP;
  if (wrapped) flags |= DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS;
  else if (align & AlignVertical) flags |= DT_SINGLELINE;
  else flags |= DT_END_ELLIPSIS;
  if (align & AlignCenter) flags |= DT_CENTER;
  else if (align & AlignRight) flags |= DT_RIGHT;
  if (align & AlignMiddle) flags |= DT_VCENTER;
  SetTextAlign(dc, TA_BASELINE);

  RECT rc = ContentRect(gdi);
  if (!wrapped) {
    OffsetRect(&rc, 0, (rc.bottom - descent) - rc.top);
  } else {
    OffsetRect(&rc, 0, ScaleY(gdi, fontSizeWritten));
    if (enclosing && enclosing->hasUnnamedRect && rc.top < enclosing->unnamedRect.top) rc.top = bounds.top;
  }
  const wchar_t* s = text.GetBuffer() ? text.GetBuffer() : L"";
  DrawTextW(dc, s, static_cast<int>(text.GetLength()), &rc, flags);
  RestoreDC(dc, saved);
  wrapped = false;
}

void CDrawText::Rescale(int dpiX, int dpiY) {
  CDrawBase::Rescale(dpiX, dpiY);
  if (fontSizeWritten) font.lfHeight = -MulDiv(fontSizeWritten, dpiY, 96);
}

}  // namespace CDraw
