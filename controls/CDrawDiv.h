#pragma once
#include <map>
#include <string>

#include "controls/CDrawBase.h"

class TiXmlNode;
class TiXmlElement;

namespace CDraw {

// A box: holds child elements and lays them out in lines.
class CDrawDiv : public CDrawBase {
 public:
  // Column names compare with case, ordered as lstrcmpW orders them.
  struct ColumnLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const { return lstrcmpW(a.c_str(), b.c_str()) < 0; }
  };

  CLinkedList children;        // of CDrawBase, owned
  CDrawDiv* parent = nullptr;  // the enclosing box; none for a document's root
  std::map<std::wstring, int, ColumnLess> columns;
  // What FindById reports for an empty identifier, taken once per paint for the wrapped texts
  // inside (a search per text would make painting quadratic).
  bool hasUnnamedRect = false;
  RECT unnamedRect = {};

  // Boxes nested deeper than this are kept empty: each level of boxes fits its children twice,
  // so the layout work grows with 2^depth and a deeply nested text would never finish.
  static constexpr int kMaxNesting = 16;

  explicit CDrawDiv(CDrawDiv* owner = nullptr) : parent(owner) {}
  ~CDrawDiv() override;

  void Measure(HDC dc, GDI* gdi, CDrawDiv* box) override;
  void Fit(HDC dc, GDI* gdi, CDrawDiv* enclosing, int penX, bool* again) override;
  void Position(HDC dc, GDI* gdi, CDrawDiv* enclosing, POINT* pen) override;
  void Paint(HDC dc, GDI* gdi, CDrawDiv* enclosing) override;
  bool HasFitText() override { return hasFitText; }
  bool FindById(const CTString& text, RECT* out) override;
  CDrawBase* HitTest(DWORD mask, GDI* gdi, int x, int y) override;

  // Rebuilds the children from a chain of sibling nodes. styles is the "Attribs" element in force.
  void ParseChildren(TiXmlNode* first, GDI* gdi, TiXmlElement* styles);
  // The enclosing inner width less the widths of the children without fit-to-width text of the
  // nearest box, from enclosing outwards, with a percentage width.
  static int SumFixedWidths(CDrawDiv* enclosing, GDI* gdi);

  int ColumnWidth(const CTString& name) const;
  void GrowColumn(const CTString& name, int value);
  CDrawBase* FirstChild() const { return static_cast<CDrawBase*>(children.m_head); }
  int Depth() const;

 private:
  bool hasFitText = false;  // cached by Measure
  void PrepareBaselines();
};

// Gathers an element's attributes: its text content as "value", then each XML attribute (a
// value of digits only becomes an integer), with "attrib" pulling in the named style.
void GatherAttributes(const TiXmlElement* element, const TiXmlElement* styles, CAttributes& out);

}  // namespace CDraw
