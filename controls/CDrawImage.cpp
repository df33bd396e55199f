#include "controls/CDrawImage.h"

namespace CDraw {

void CDrawImage::ParseAttributes(const CAttributes& attrs, GDI* gdi) {
  CDrawBase::ParseAttributes(attrs, gdi);
  CAttribute v;
  if (attrs.Get(L"type", v) && wcscmp(v.GetText(), L"HICON") == 0) kind = 1;
  if (kind != 1 || !attrs.Get(L"handle", v) || ReadNumeric(v) <= 0) return;
  icon = reinterpret_cast<HICON>(static_cast<INT_PTR>(ReadNumeric(v)));
  // The natural size is the size of the icon's colour bitmap (or of half its mask).
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info)) return;
  BITMAP bm = {};
  if (info.hbmColor && GetObjectW(info.hbmColor, sizeof(bm), &bm)) {
    width = bm.bmWidth;
    height = bm.bmHeight;
  } else if (info.hbmMask && GetObjectW(info.hbmMask, sizeof(bm), &bm)) {
    width = bm.bmWidth;
    height = bm.bmHeight / 2;
  }
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
}

void CDrawImage::Paint(HDC dc, GDI* gdi, CDrawDiv*) {
  PaintBackground(dc, gdi);
  if (kind != 1 || !icon) return;
  RECT inner = ContentRect(gdi);
  DrawIconEx(dc, inner.left, (inner.bottom - inner.top) / 2 + inner.top - height / 2, icon, 0, 0, 0, nullptr, DI_NORMAL);
}

}  // namespace CDraw
