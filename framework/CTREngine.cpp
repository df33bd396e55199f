#include "framework/CTREngine.h"

#include <objidl.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <cstdlib>

#include "framework/CTColour.h"

namespace {
CTREngine* g_engine = nullptr;

void DestroyEngineAtExit() {
  delete g_engine;
  g_engine = nullptr;
}

// GetVersionExW is deprecated in the headers but still answers what the manifest declares.
bool ReadVersion(OSVERSIONINFOW* info) {
  info->dwOSVersionInfoSize = sizeof(*info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return GetVersionExW(info) != FALSE;
#pragma GCC diagnostic pop
}

template <typename Fn>
Fn BindExport(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}
}  // namespace

CTREngine* CTREngine::Instance() {
  if (!g_engine) {
    g_engine = new CTREngine;
    atexit(DestroyEngineAtExit);
  }
  return g_engine;
}

CTThemeApi* CTREngine::ThemeApi() { return &Instance()->themeApi; }

CTREngine::CTREngine() {
  OSVERSIONINFOW version = {};
  if (ReadVersion(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
    xpOrLater = version.dwMajorVersion > 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1);
    vistaOrLater = version.dwMajorVersion >= 6;
  }

  if (HMODULE comctl = LoadLibraryW(L"comctl32.dll")) {
    if (auto getVersion = BindExport<DLLGETVERSIONPROC>(comctl, "DllGetVersion")) {
      DLLVERSIONINFO info = {};
      info.cbSize = sizeof(info);
      if (SUCCEEDED(getVersion(&info)) && info.dwMajorVersion >= 6) commonControls6 = true;
    }
    FreeLibrary(comctl);
  }

  msimg32 = LoadLibraryW(L"Msimg32.dll");
  pTransparentBlt = BindExport<TransparentBltFn>(msimg32, "TransparentBlt");
  pGradientFill = BindExport<GradientFillFn>(msimg32, "GradientFill");
  if (msimg32 && !pTransparentBlt && !pGradientFill) {
    FreeLibrary(msimg32);
    msimg32 = nullptr;
  }

  user32 = LoadLibraryW(L"USER32.DLL");
  pSetLayeredWindowAttributes = BindExport<SetLayeredWindowAttributesFn>(user32, "SetLayeredWindowAttributes");
  if (user32 && !pSetLayeredWindowAttributes) {
    FreeLibrary(user32);
    user32 = nullptr;
  }

  Gdiplus::GdiplusStartupInput input;
  input.GdiplusVersion = 1;
  input.DebugEventCallback = nullptr;
  input.SuppressBackgroundThread = FALSE;
  input.SuppressExternalCodecs = FALSE;
  if (Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr) != Gdiplus::Ok) gdiplusToken = 0;

  BuildPalette();
}

CTREngine::~CTREngine() {
  FreePalette();
  if (gdiplusToken) Gdiplus::GdiplusShutdown(gdiplusToken);
  if (msimg32) FreeLibrary(msimg32);
  if (user32) FreeLibrary(user32);
  fontCache.Clear();
  // The theme table frees UxTheme as it is destroyed.
}

bool CTREngine::FreePalette() {
  if (menuFont) DeleteObject(menuFont);
  if (highlightPen) DeleteObject(highlightPen);
  if (hotBrush) DeleteObject(hotBrush);
  if (selectedBrush) DeleteObject(selectedBrush);
  if (lightBrush) DeleteObject(lightBrush);
  menuFont = nullptr;
  highlightPen = nullptr;
  hotBrush = selectedBrush = lightBrush = nullptr;
  menuBackBrush = nullptr;
  return true;
}

bool CTREngine::BuildPalette() {
  FreePalette();

  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
    menuFont = CreateFontIndirectW(&metrics.lfMenuFont);

  COLORREF highlight = sysColor(COLOR_HIGHLIGHT);
  highlightPen = CreatePen(PS_SOLID, 1, MixColour(highlight, 0.65));
  hotBrush = CreateSolidBrush(MixColour(highlight, 0.3));
  lightBrush = CreateSolidBrush(MixColour(highlight, 0.2));
  selectedBrush = CreateSolidBrush(MixColour(highlight, 0.5));

  remoteSession = GetSystemMetrics(SM_REMOTESESSION) > 0;
  themed = xpOrLater && themeApi.IsAppThemed();
  imageListColourDepth = commonControls6 ? ILC_COLOR32 : ILC_COLOR24;

  BOOL flatMenu = FALSE;
  bool flat = SystemParametersInfoW(SPI_GETFLATMENU, 0, &flatMenu, 0) && flatMenu == TRUE;
  menuBackBrush = GetSysColorBrush(flat ? COLOR_MENUBAR : COLOR_MENU);

  dpi.Load();
  fontCache.dpiX = dpi.x;
  fontCache.dpiY = dpi.y;
  fontCache.Clear();
  return menuFont != nullptr;
}

void CTREngine::SetColors(COLORREF accent, COLORREF text) {
  colorsSet = true;
  accentColour = accent;
  textColour = text;
}

COLORREF CTREngine::GetHighlightColor() {
  if (colorsSet) return accentColour;
  return MixColours(sysColor(COLOR_HIGHLIGHT), RGB(0, 0, 0), 0.8);
}

COLORREF CTREngine::GetMenuTextColor() { return colorsSet ? textColour : sysColor(COLOR_MENUTEXT); }

void CTREngine::FillHot(HDC hdc, const RECT& rc) { FillRect(hdc, &rc, hotBrush); }

void CTREngine::FillSelected(HDC hdc, const RECT& rc) { FillRect(hdc, &rc, selectedBrush); }

void CTREngine::DrawFramedRect(HDC hdc, const RECT& rc) {
  FillRect(hdc, &rc, lightBrush);
  HGDIOBJ oldPen = SelectObject(hdc, highlightPen);
  HGDIOBJ oldBrush = SelectObject(hdc, GetStockObject(NULL_BRUSH));
  // Rectangle() leaves out the right and bottom edge, so this outlines left + 1 .. right - 2.
  Rectangle(hdc, rc.left + 1, rc.top + 1, rc.right - 1, rc.bottom - 1);
  SelectObject(hdc, oldBrush);
  SelectObject(hdc, oldPen);
}

void CTREngine::FillHighlight(HDC hdc, const RECT& rc, bool selected, bool checked, bool framed) {
  if (!selected && !checked && !framed) return;
  RECT inner = rc;
  InflateRect(&inner, -1, -1);
  if (framed)
    DrawFramedRect(hdc, inner);
  else
    FillRect(hdc, &inner, checked ? selectedBrush : hotBrush);
}

DWORD CTREngine::GetCapabilities() const {
  DWORD mask = 0;
  if (pTransparentBlt) mask |= CapTransparentBlt;
  if (pGradientFill) mask |= CapGradientFill;
  if (pSetLayeredWindowAttributes) mask |= CapLayered;
  return mask;
}

HCURSOR CTREngine::GetCursor(int kind) {
  static const LPCWSTR ids[] = {IDC_HAND, IDC_SIZEWE, IDC_SIZENS};
  if (kind < 0 || kind > 2) return nullptr;
  if (!cursors[kind]) cursors[kind] = LoadCursorW(nullptr, ids[kind]);
  return cursors[kind];
}

bool CTREngine::TransparentBlt(HDC dest, int x, int y, int cx, int cy, HDC src, int srcCx, int srcCy,
                               UINT transparent) {
  if (!pTransparentBlt) return false;
  return pTransparentBlt(dest, x, y, cx, cy, src, 0, 0, srcCx, srcCy, transparent) != FALSE;
}

bool CTREngine::CallGradientFill(HDC hdc, PTRIVERTEX vertices, ULONG count, PVOID mesh, ULONG meshCount,
                                 ULONG mode) {
  if (!pGradientFill) return false;
  return pGradientFill(hdc, vertices, count, mesh, meshCount, mode) != FALSE;
}

bool CTREngine::SetLayeredWindowAttributes(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags) {
  if (!pSetLayeredWindowAttributes) return false;
  return pSetLayeredWindowAttributes(hwnd, key, alpha, flags) != FALSE;
}

void CTREngine::SetBoundFunctions(TransparentBltFn transparentBlt, GradientFillFn gradientFill,
                                  SetLayeredWindowAttributesFn layered) {
  pTransparentBlt = transparentBlt;
  pGradientFill = gradientFill;
  pSetLayeredWindowAttributes = layered;
}
