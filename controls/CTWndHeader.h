#pragma once
#include <windows.h>
#include <commctrl.h>

#include "controls/CDrawDocument.h"
#include "foundation/CTImage.h"
#include "framework/CTIcon.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndToolbar.h"

// "TDialogHeader": the coloured band at the top of dialogs and forms with an icon, a title (the
// window text) and an optional subtitle, or any mark-up in mark-up mode. It renders into a
// cached bitmap, lets the mouse through to the dialog below, and can carry a close button that
// sends IDCLOSE to its parent.
class CTWndHeader : public CTWnd2 {
 public:
  enum Flags : unsigned __int64 {
    FlagIconLeft = 0x1,
    FlagCloseButton = 0x2,
    FlagBackColourSet = 0x4,
    FlagTextColourSet = 0x8,
    FlagMarkup = 0x10,
    FlagLight = 0x100,
    FlagEngineLook = 0x300,
  };
  static constexpr const wchar_t* kClassName = L"TDialogHeader";
  // Least contrast between the text and any colour of the band behind it.
  static constexpr double kMinContrast = 4.5;

  COLORREF backColour = 0;
  COLORREF textColour = 0;
  CTIcon icon;
  HBITMAP cache = nullptr;
  bool dirty = true;
  CTString subtitle;
  unsigned __int64 flags = 0;
  CTWndToolbar toolbar;  // the close button
  int toolbarWidth = 0;
  int toolbarHeight = 0;
  CTImage backImage;
  HBRUSH brush = nullptr;
  CDraw::CDrawDocument doc;

  CTWndHeader() = default;
  ~CTWndHeader() override;

  static bool RegisterClass(HINSTANCE module);
  bool Attach(HWND dialog, int id);
  using CTWnd2::Attach;
  bool Create(HWND parent, const RECT& rc);
  using CTWnd2::Create;
  void ApplyStyle();
  void SetBackColour(COLORREF colour);
  void SetTextColour(COLORREF colour);
  void SetText(const CTString& text);
  bool SetSubtitle(const CTString& text);
  bool SetMarkupMode();
  bool LoadIcon(UINT id);
  bool SetIcon(HICON handle);

  // The band's mark-up for a title and subtitle. Both go in as text: whatever they hold (an
  // object name with "<" or "&") is shown as written and cannot add elements.
  static CTString BuildMarkup(unsigned __int64 flags, COLORREF textColour, const CTString& title,
                              const CTString& subtitle);
  // The colour the text is drawn in: the first text's colour in mark-up mode.
  COLORREF TextColourShown() const;
  // Where the text and the icon go inside the client rectangle.
  void ComputeAreas(const RECT& client, RECT* text, RECT* iconArea) const;

  bool Render(HDC dc, bool force);
  virtual bool OnSize(int cx, int cy);
  void PaintFromCache(HDC dc, const RECT& rc);
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
  bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 private:
  void LoadMarkup(const CTString& markup);
  void CreateCloseButton();
  void PlaceCloseButton(int cx, int cy);
  void DropBrush();
  void Changed();
};
