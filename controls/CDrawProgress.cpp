#include "controls/CDrawProgress.h"

namespace CDraw {

void CDrawProgress::ParseAttributes(const CAttributes& attrs, GDI* gdi) {
  CDrawBase::ParseAttributes(attrs, gdi);
  CAttribute v;
  if (attrs.Get(L"pos", v)) pos = ReadNumeric(v);
  if (attrs.Get(L"max", v)) maximum = ReadNumeric(v);
  if (attrs.Get(L"type", v)) {
    CTString type = v.GetString();
    type.MakeLower();
    if (type.Find(CTString(L"vertical")) >= 0) kind |= KindVertical;
    if (type.Find(CTString(L"text")) >= 0) kind |= KindText;
  }
  if (attrs.Get(L"value", v)) text = v.GetString();
}

bool CDrawProgress::SplitBar(const RECT& frame, RECT* bar, RECT* rest) const {
  // A maximum of 0 would make the share infinite: such a bar shows nothing filled. A position
  // beyond the maximum fills the frame and no more.
  if (pos == 0 || maximum <= 0) return false;
  float ratio = static_cast<float>(pos) / static_cast<float>(maximum);
  if (ratio > 1.0f) ratio = 1.0f;
  if (ratio < 0.0f) ratio = 0.0f;
  *bar = frame;
  bar->left += 1;
  bar->top += 1;
  *rest = *bar;
  if (kind & KindVertical) {
    int h = bar->bottom - bar->top;
    bar->top = bar->bottom - static_cast<int>(static_cast<float>(h) / 100.0f * ratio * 100.0f);
    rest->bottom = bar->top - 1;
  } else {
    int w = bar->right - bar->left;
    bar->right = bar->left + static_cast<int>(static_cast<float>(w) / 100.0f * ratio * 100.0f);
    rest->left = bar->right + 1;
  }
  return true;
}

void CDrawProgress::Paint(HDC dc, GDI* gdi, CDrawDiv*) {
  PaintBackground(dc, gdi);
  int saved = SaveDC(dc);
  RECT inner = ContentRect(gdi);
  RECT frame = {inner.left + 1, inner.top + 1, inner.right - 1, inner.bottom - 2};

  HPEN hpen = CreatePen(PS_SOLID, ScaleX(gdi, 1), colour);
  HPEN vpen = CreatePen(PS_SOLID, ScaleY(gdi, 1), colour);
  HGDIOBJ old = SelectObject(dc, hpen);
  MoveToEx(dc, frame.left, frame.bottom, nullptr);
  LineTo(dc, frame.right + 1, frame.bottom);
  MoveToEx(dc, frame.left, frame.top, nullptr);
  LineTo(dc, frame.right, frame.top);
  SelectObject(dc, vpen);
  MoveToEx(dc, frame.left, frame.top, nullptr);
  LineTo(dc, frame.left, frame.bottom);
  MoveToEx(dc, frame.right, frame.top, nullptr);
  LineTo(dc, frame.right, frame.bottom);
  SelectObject(dc, old);
  DeleteObject(hpen);
  DeleteObject(vpen);

  RECT bar, rest;
  if (SplitBar(frame, &bar, &rest)) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &bar, brush);
    DeleteObject(brush);
    if ((kind & KindText) && !text.IsEmpty()) {
      SetBkMode(dc, TRANSPARENT);
      RECT rc = frame;
      rc.left += 2;
      rc.right -= 1;
      UINT flags = DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP;
      if (align & AlignCenter) flags |= DT_CENTER;
      else if (align & AlignRight) flags |= DT_RIGHT;
      if (align & AlignMiddle) flags |= DT_VCENTER;
      const RECT* parts[2] = {&bar, &rest};
      COLORREF colours[2] = {backColour == kNoColour ? RGB(255, 255, 255) : backColour, colour};
      for (int i = 0; i < 2; i++) {
        int clip = SaveDC(dc);
        IntersectClipRect(dc, parts[i]->left, parts[i]->top, parts[i]->right, parts[i]->bottom);
        SetTextColor(dc, colours[i]);
        DrawTextW(dc, text.GetBuffer(), static_cast<int>(text.GetLength()), &rc, flags);
        RestoreDC(dc, clip);
      }
    }
  }
  RestoreDC(dc, saved);
}

}  // namespace CDraw
