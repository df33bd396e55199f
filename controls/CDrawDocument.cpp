#include "controls/CDrawDocument.h"

#include "foundation/TiXmlDocument.h"
#include "framework/CTREngine.h"

namespace CDraw {

CDrawDocument::CDrawDocument() {
  CAttributes attrs;
  attrs.SetText(L"width", L"100%");
  attrs.SetText(L"height", L"100%");
  root.ParseAttributes(attrs, nullptr);
}

void CDrawDocument::ResetHot() {
  hot = nullptr;
  if (savedCursor) {
    SetCursor(savedCursor);
    savedCursor = nullptr;
  }
}

void CDrawDocument::Load(TiXmlElement* first, GDI* context) {
  gdi = context;
  ResetHot();
  root.ParseChildren(first, gdi, nullptr);
}

void CDrawDocument::LoadText(const wchar_t* text, GDI* context) {
  TiXmlBase::SetCondenseWhiteSpace(false);
  TiXmlDocument doc;
  doc.Parse(text ? text : L"", nullptr, TIXML_ENCODING_UNKNOWN);
  TiXmlElement* first = nullptr;
  for (TiXmlNode* n = doc.FirstChild(); n && !first; n = n->NextSibling())
    if (n->GetType() == TiXmlNode::ELEMENT) first = n->ToElement();
  Load(first, context);
}

void CDrawDocument::Layout(HDC dc, const RECT* area) {
  if (!gdi || !area) return;
  root.bounds = *area;
  bool again = false;
  do {
    again = false;
    root.Measure(dc, gdi, nullptr);
    root.Fit(dc, gdi, &root, 0, &again);
    POINT pen = {area->left, area->top};
    root.Position(dc, gdi, nullptr, &pen);
  } while (again);
}

void CDrawDocument::Paint(HDC dc, const RECT* area) {
  if (!gdi) return;
  Layout(dc, area);
  root.Paint(dc, gdi, nullptr);
}

CDrawBase* CDrawDocument::HitTest(DWORD mask, int x, int y) {
  return gdi ? root.HitTest(mask, gdi, x, y) : nullptr;
}

__int64 CDrawDocument::GetClickId(int x, int y) {
  CDrawBase* e = HitTest(CDrawBase::StateClickable, x, y);
  return e ? e->clickId : 0;
}

void CDrawDocument::InvalidateElement(HWND hwnd, CDrawBase* element) {
  // Without a window there is nothing to invalidate (a null window would mean the desktop).
  if (!hwnd) return;
  RECT rc = element->ContentRect(gdi);
  InvalidateRect(hwnd, &rc, TRUE);
}

bool CDrawDocument::OnMouseMove(HWND hwnd, int x, int y) {
  CDrawBase* e = HitTest(CDrawBase::StateHotTrack, x, y);
  if (e == hot) return false;
  if (hot) {
    if (savedCursor) {
      SetCursor(savedCursor);
      savedCursor = nullptr;
    }
    hot->state &= ~(CDrawBase::StateHot | CDrawBase::StatePressed);
    InvalidateElement(hwnd, hot);
    hot = nullptr;
  }
  if (e) {
    if (!savedCursor) savedCursor = SetCursor(CTREngine::Instance()->GetCursor(CTREngine::CursorHand));
    e->state |= CDrawBase::StateHot;
    InvalidateElement(hwnd, e);
    hot = e;
  }
  return true;
}

bool CDrawDocument::OnClick(HWND hwnd, int x, int y) {
  CDrawBase* e = HitTest(CDrawBase::StateClickable, x, y);
  if (!e) return false;
  e->state = (e->state | CDrawBase::StatePressed) & ~CDrawBase::StateHot;
  InvalidateElement(hwnd, e);
  if (hot == e) hot = nullptr;
  return true;
}

bool CDrawDocument::ClearHot(HWND hwnd) {
  if (!hot) return false;
  hot->state &= ~(CDrawBase::StateHot | CDrawBase::StatePressed);
  if (savedCursor) {
    SetCursor(savedCursor);
    savedCursor = nullptr;
  }
  InvalidateElement(hwnd, hot);
  hot = nullptr;
  return true;
}

}  // namespace CDraw
