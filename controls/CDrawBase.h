#pragma once
#include <windows.h>

#include "foundation/CAttributes.h"
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "framework/CDrawGDI.h"

namespace CDraw {

class CDrawDiv;

// One element of a mark-up document: an item of its box's child list. Layout runs in three
// passes over the tree (Measure, Fit, Position, see CDrawDocument::Layout); sizes are device
// pixels, written lengths are pixels at 96 DPI scaled each time they are used.
class CDrawBase : public CLinkedListObject {
 public:
  enum State : DWORD {
    StateHotTrack = 0x1,
    StateHot = 0x2,
    StatePressed = 0x4,
    StateClickable = 0x8,
    StateMultiLine = 0x10,
    StateKeepOnLine = 0x20,
  };
  enum Align : DWORD {
    AlignTop = 0x1,
    AlignLeft = 0x2,
    AlignCenter = 0x4,
    AlignRight = 0x8,
    AlignMiddle = 0x10,
    AlignBottom = 0x20,
    AlignVertical = AlignTop | AlignMiddle | AlignBottom,
  };
  enum BackType { BackNormal = 0, BackCircle = 1, BackRoundedRect = 2, BackRoundedOutline = 3 };
  static constexpr COLORREF kNoColour = 0xFFFFFFFF;

  CTString id;
  COLORREF colour = 0;
  COLORREF backColour = kNoColour;
  COLORREF hotColour = 0;
  DWORD align = 0;
  int margin = 0;
  int marginWritten = 0;
  RECT padding = {};
  RECT paddingWritten = {};
  int inlineFlow = 1;  // 1 "relative", 0 "absolute"
  int backType = BackNormal;
  RECT bounds = {};
  int width = 0;
  int fixedWidth = 0;
  int widthPercent = 0;
  int height = 0;
  int fixedHeight = 0;
  int heightPercent = 0;
  CTString column;
  __int64 clickId = 0;
  DWORD state = 0;

  // Greatest height of the inline run that ends with this element, kept by Advance so that a
  // line end needs no walk back over its siblings.
  int runHeight = 0;

  CDrawBase() = default;
  ~CDrawBase() override = default;

  virtual void ParseAttributes(const CAttributes& attrs, GDI* gdi);
  virtual void Measure(HDC dc, GDI* gdi, CDrawDiv* box);
  virtual void Fit(HDC dc, GDI* gdi, CDrawDiv* enclosing, int penX, bool* again);
  virtual void Position(HDC dc, GDI* gdi, CDrawDiv* enclosing, POINT* pen);
  virtual void Paint(HDC dc, GDI* gdi, CDrawDiv* enclosing);
  virtual void Rescale(int dpiX, int dpiY);
  virtual bool IsInline() { return inlineFlow == 1; }
  virtual bool HasFitText() { return false; }
  virtual bool Advance(const RECT& inner, POINT* pen, CDrawBase* next);
  virtual bool FindById(const CTString& text, RECT* out);
  virtual CDrawBase* HitTest(DWORD mask, GDI* gdi, int x, int y);

  // Bounds less the scaled padding and margin.
  RECT ContentRect(GDI* gdi) const;
  int ExtraH(GDI* gdi) const;
  int ExtraV(GDI* gdi) const;
  CDrawBase* PrevSibling() const { return static_cast<CDrawBase*>(m_prev); }
  CDrawBase* NextSibling() const { return static_cast<CDrawBase*>(m_next); }

  // Readers of attribute values shared by the element kinds.
  static int ReadNumeric(const CAttribute& value);
  static __int64 ReadNumber(const wchar_t* text);
  static bool ReadFlag(const CAttribute& value);
  static COLORREF ReadColour(const wchar_t* text);
  static int ScaleX(GDI* gdi, int value) { return MulDiv(value, gdi ? gdi->dpiX : 96, 96); }
  static int ScaleY(GDI* gdi, int value) { return MulDiv(value, gdi ? gdi->dpiY : 96, 96); }

 protected:
  void PaintBackground(HDC dc, GDI* gdi);
  // The greatest height of the inline elements before this one, back to the last one that is
  // not inline; valid while the siblings before it were advanced in this loop.
  int RunBefore() const;
  // Records runHeight for the siblings after this one.
  void NoteRun();
};

}  // namespace CDraw
