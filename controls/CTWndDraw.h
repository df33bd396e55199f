#pragma once
#include <windows.h>

#include "controls/CDrawDocument.h"
#include "framework/CTWndTheme.h"

// "TDraw": a static-like child whose window text is mark-up. It renders over the background of
// its first non-transparent ancestor into a cached bitmap, hot-tracks elements with a hand
// cursor and reports presses and releases on elements with an on-click number to its parent.
class CTWndDraw : public CTWndTheme {
 public:
  // WM_NOTIFY record sent to the parent (code NM_LDOWN on press, NM_CLICK on release).
  struct NMDRAWCLICK {
    NMHDR hdr;
    __int64 clickId;
    int x;
    int y;
  };
  static constexpr const wchar_t* kClassName = L"TDraw";

  HBITMAP cache = nullptr;
  bool dirty = true;
  CDraw::CDrawDocument doc;
  int lastX = 0;
  int lastY = 0;

  CTWndDraw() = default;
  ~CTWndDraw() override;

  static bool RegisterClass(HINSTANCE module);
  using CTWnd2::AttachDlgItem;
  bool AttachDlgItem(HWND dialog, int id, DWORD extraStyle);
  void SetText(const CTString& text);
  void ParseText();
  bool GetElementRect(const CTString& id, RECT* out) { return doc.FindById(id, out); }

  bool Render(HDC dc, bool force);
  void OnSize(int cx, int cy);
  void PaintFromCache(HDC dc, const RECT& rc);
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 private:
  void OnMouseMove(int x, int y);
  void OnLButtonDown(int x, int y);
  void OnLButtonUp(int x, int y);
  void NotifyClick(UINT code, int x, int y);
  void DropCache();
};
