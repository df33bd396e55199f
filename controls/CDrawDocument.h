#pragma once
#include <windows.h>

#include "controls/CDrawDiv.h"

class TiXmlElement;

namespace CDraw {

// One parsed mark-up text, embedded by value in the window, pane, canvas object or list item
// that shows it. It is not loaded (and neither lays out nor paints) until Load hands it the
// font cache.
class CDrawDocument {
 public:
  GDI* gdi = nullptr;
  CDrawDiv root;
  CDrawBase* hot = nullptr;
  HCURSOR savedCursor = nullptr;  // the cursor the hand replaced

  CDrawDocument();
  CDrawDocument(const CDrawDocument&) = delete;
  CDrawDocument& operator=(const CDrawDocument&) = delete;

  // Rebuilds the tree from first and its following siblings; null gives an empty tree.
  void Load(TiXmlElement* first, GDI* context);
  // Parses text as mark-up with white space kept and loads its first top-level element on.
  // What the reader could not read is left out.
  void LoadText(const wchar_t* text, GDI* context);
  // Forgets the hot element and sets a saved cursor back (a new tree is about to be built).
  void ResetHot();

  void Layout(HDC dc, const RECT* area);
  void Paint(HDC dc, const RECT* area);
  __int64 GetClickId(int x, int y);
  bool OnClick(HWND hwnd, int x, int y);
  bool OnMouseMove(HWND hwnd, int x, int y);
  bool ClearHot(HWND hwnd);
  bool FindById(const CTString& id, RECT* out) { return root.FindById(id, out); }

  // The hit-test of the root; null when not loaded.
  CDrawBase* HitTest(DWORD mask, int x, int y);

 private:
  void InvalidateElement(HWND hwnd, CDrawBase* element);
};

}  // namespace CDraw
