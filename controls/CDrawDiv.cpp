#include "controls/CDrawDiv.h"

#include "controls/CDrawDate.h"
#include "controls/CDrawImage.h"
#include "controls/CDrawLineBreak.h"
#include "controls/CDrawLineTab.h"
#include "controls/CDrawProgress.h"
#include "controls/CDrawText.h"
#include "foundation/TiXmlElement.h"

namespace CDraw {

namespace {

CDrawBase* CreateElement(const wchar_t* name, CDrawDiv* owner) {
  if (!lstrcmpiW(name, L"Div")) return new CDrawDiv(owner);
  if (!lstrcmpiW(name, L"Text")) return new CDrawText;
  if (!lstrcmpiW(name, L"Date")) return new CDrawDate;
  if (!lstrcmpiW(name, L"BR")) return new CDrawLineBreak;
  if (!lstrcmpiW(name, L"Tab")) return new CDrawLineTab;
  if (!lstrcmpiW(name, L"Image")) return new CDrawImage;
  if (!lstrcmpiW(name, L"Progress")) return new CDrawProgress;
  return nullptr;
}

// A value made only of decimal digits is an integer (clamped to 32 bits), anything else text.
void AddValue(CAttributes& out, const wchar_t* name, const wchar_t* value) {
  const wchar_t* p = value ? value : L"";
  bool digits = *p != 0;
  __int64 n = 0;
  for (; *p; p++) {
    if (*p < L'0' || *p > L'9') {
      digits = false;
      break;
    }
    n = n * 10 + (*p - L'0');
    if (n > 0x7fffffff) n = 0x7fffffff;
  }
  if (digits) out.Set(name, CAttribute(CAttribute::Integer, n));
  else out.Set(name, CAttribute(CAttribute::Text, value ? value : L""));
}

}  // namespace

void GatherAttributes(const TiXmlElement* element, const TiXmlElement* styles, CAttributes& out) {
  out.Clear();
  TiXmlNode* first = element->FirstChild();
  if (first && first->GetType() == TiXmlNode::TEXT) out.Set(L"value", CAttribute(CAttribute::Text, first->Value()));
  for (TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next()) {
    if (wcscmp(a->Name(), L"attrib") != 0) {
      AddValue(out, a->Name(), a->Value());
      continue;
    }
    if (!styles) continue;
    for (TiXmlNode* n = styles->FirstChild(); n; n = n->NextSibling()) {
      if (n->GetType() != TiXmlNode::ELEMENT || wcscmp(n->Value(), L"Attrib") != 0) continue;
      const wchar_t* styleId = n->ToElement()->GetAttribute(L"id");
      if (!styleId || wcscmp(styleId, a->Value()) != 0) continue;
      for (TiXmlAttribute* s = n->ToElement()->FirstAttribute(); s; s = s->Next())
        if (lstrcmpiW(s->Name(), L"id") != 0) AddValue(out, s->Name(), s->Value());
      break;
    }
  }
}

CDrawDiv::~CDrawDiv() {
  columns.clear();
  children.DeleteAll();
}

int CDrawDiv::Depth() const {
  int depth = 0;
  for (CDrawDiv* p = parent; p; p = p->parent) depth++;
  return depth;
}

void CDrawDiv::ParseChildren(TiXmlNode* first, GDI* gdi, TiXmlElement* styles) {
  children.DeleteAll();
  columns.clear();
  if (!first || first->GetType() != TiXmlNode::ELEMENT) return;
  CAttributes attrs;
  for (TiXmlNode* node = first; node; node = node->NextSibling()) {
    if (node->GetType() != TiXmlNode::ELEMENT) continue;
    TiXmlElement* element = node->ToElement();
    if (!lstrcmpiW(element->Value(), L"Attribs")) styles = element;
    CDrawBase* item = CreateElement(element->Value(), this);
    if (!item) continue;
    children.AddTail(item);
    GatherAttributes(element, styles, attrs);
    item->ParseAttributes(attrs, gdi);
    auto* box = dynamic_cast<CDrawDiv*>(item);
    if (box && element->FirstChild() && box->Depth() < kMaxNesting)
      box->ParseChildren(element->FirstChild(), gdi, styles);
  }
}

int CDrawDiv::ColumnWidth(const CTString& name) const {
  auto it = columns.find(name.GetBuffer() ? name.GetBuffer() : L"");
  return it == columns.end() ? 0 : it->second;
}

void CDrawDiv::GrowColumn(const CTString& name, int value) {
  int& w = columns[name.GetBuffer() ? name.GetBuffer() : L""];
  if (value > w) w = value;
}

void CDrawDiv::Measure(HDC dc, GDI* gdi, CDrawDiv* box) {
  width = 0;
  height = 0;
  CDrawBase::Measure(dc, gdi, box);
  hasFitText = false;
  for (CDrawBase* c = FirstChild(); c; c = c->NextSibling()) {
    c->Measure(dc, gdi, this);
    if (c->HasFitText()) hasFitText = true;
  }
}

int CDrawDiv::SumFixedWidths(CDrawDiv* enclosing, GDI* gdi) {
  RECT inner = enclosing->ContentRect(gdi);
  int available = inner.right - inner.left;
  for (CDrawDiv* box = enclosing; box; box = box->parent) {
    if (!box->widthPercent) continue;
    for (CDrawBase* c = box->FirstChild(); c; c = c->NextSibling())
      if (!c->HasFitText()) available -= c->width;
    break;
  }
  return available;
}

void CDrawDiv::Fit(HDC dc, GDI* gdi, CDrawDiv* enclosing, int, bool* again) {
  // 1. Offered the whole inner area of the enclosing box for now.
  RECT offered = enclosing->ContentRect(gdi);
  bounds = offered;
  SIZE remembered = {offered.right - offered.left, offered.bottom - offered.top};

  // 2. Children against that space, the inner area starting at 0,0.
  auto innerAtOrigin = [&]() {
    RECT in = ContentRect(gdi);
    OffsetRect(&in, -in.left, -in.top);
    return in;
  };
  RECT inner = innerAtOrigin();
  POINT pen = {0, 0};
  int right = 0, bottom = 0;
  for (CDrawBase* c = FirstChild(); c; c = c->NextSibling()) {
    if (CDrawBase* prev = c->PrevSibling()) prev->Advance(inner, &pen, c);
    c->Fit(dc, gdi, this, pen.x, again);
    if (!c->widthPercent && pen.x + c->width > right) right = pen.x + c->width;
    if (!c->heightPercent && pen.y + c->height > bottom) bottom = pen.y + c->height;
  }

  // 3. Natural size from the children.
  if (width == 0) width = ExtraH(gdi) + right;
  if (height == 0) height = ExtraV(gdi) + bottom;

  // 4. The box's own space.
  CDrawBase::Fit(dc, gdi, enclosing, 0, again);

  // 5. Fit-to-width text must leave room for its fixed neighbours.
  if (hasFitText) {
    int limit = SumFixedWidths(enclosing, gdi);
    if (width > limit) width = limit < 0 ? 0 : limit;
  }

  // 6. Lay the children out again in the box's own size.
  if (children.m_head && (width != remembered.cx || height != remembered.cy)) {
    bounds = {offered.left, offered.top, offered.left + width, offered.top + height};
    inner = innerAtOrigin();
    pen = {0, 0};
    for (CDrawBase* c = FirstChild(); c; c = c->NextSibling()) {
      if (CDrawBase* prev = c->PrevSibling())
        if (!prev->Advance(inner, &pen, c)) c->width = inner.right - pen.x;
      c->Fit(dc, gdi, this, 0, again);
    }
  }
}

void CDrawDiv::PrepareBaselines() {
  // Texts align their baselines with the texts of their inline run (the siblings up to the
  // nearest element that is not inline, both ways). One sweep each way keeps it linear.
  struct Group {
    int height = 0, descent = 0;
    void Add(CDrawBase* e) {
      if (auto* t = dynamic_cast<CDrawText*>(e)) {
        if (t->height > height) height = t->height;
        if (t->descent > descent) descent = t->descent;
      }
    }
  };
  Group run;
  for (CDrawBase* c = FirstChild(); c; c = c->NextSibling()) {
    auto* t = dynamic_cast<CDrawText*>(c);
    if (!c->IsInline()) {
      // A text that is not inline joins the run before it and the run after it.
      if (t) {
        t->groupHeight = run.height > t->height ? run.height : t->height;
        t->groupDescent = run.descent > t->descent ? run.descent : t->descent;
      }
      run = Group();
      continue;
    }
    run.Add(c);
    if (t) t->groupHeight = run.height, t->groupDescent = run.descent;
  }
  run = Group();
  for (CDrawBase* c = static_cast<CDrawBase*>(children.m_tail); c; c = c->PrevSibling()) {
    auto* t = dynamic_cast<CDrawText*>(c);
    if (!c->IsInline()) {
      if (t) {
        if (run.height > t->groupHeight) t->groupHeight = run.height;
        if (run.descent > t->groupDescent) t->groupDescent = run.descent;
      }
      run = Group();
      continue;
    }
    run.Add(c);
    if (t) {
      if (run.height > t->groupHeight) t->groupHeight = run.height;
      if (run.descent > t->groupDescent) t->groupDescent = run.descent;
    }
  }
}

void CDrawDiv::Position(HDC dc, GDI* gdi, CDrawDiv* enclosing, POINT* pen) {
  CDrawBase::Position(dc, gdi, enclosing, pen);
  PrepareBaselines();
  RECT inner = ContentRect(gdi);
  POINT at = {inner.left, inner.top};
  for (CDrawBase* c = FirstChild(); c; c = c->NextSibling()) {
    if (CDrawBase* prev = c->PrevSibling()) prev->Advance(inner, &at, c);
    c->Position(dc, gdi, this, &at);
  }
}

void CDrawDiv::Paint(HDC dc, GDI* gdi, CDrawDiv*) {
  PaintBackground(dc, gdi);
  hasUnnamedRect = FindById(CTString(), &unnamedRect);
  for (CDrawBase* c = FirstChild(); c; c = c->NextSibling()) c->Paint(dc, gdi, this);
}

bool CDrawDiv::FindById(const CTString& text, RECT* out) {
  if (CDrawBase::FindById(text, out)) return true;
  for (CDrawBase* c = FirstChild(); c; c = c->NextSibling())
    if (c->FindById(text, out)) return true;
  return false;
}

CDrawBase* CDrawDiv::HitTest(DWORD mask, GDI* gdi, int x, int y) {
  for (CDrawBase* c = static_cast<CDrawBase*>(children.m_tail); c; c = c->PrevSibling())
    if (CDrawBase* hit = c->HitTest(mask, gdi, x, y)) return hit;
  return CDrawBase::HitTest(mask, gdi, x, y);
}

}  // namespace CDraw
