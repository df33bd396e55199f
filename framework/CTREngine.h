#pragma once
#include <windows.h>
#include <commctrl.h>

#include "framework/CDrawGDI.h"
#include "framework/CTThemeApi.h"
#include "framework/ScreenDpi.h"

// The process-wide drawing engine: highlight palette, system facts, screen DPI, the
// visual-styles table, the optional Msimg32 and user32 functions, GDI+ and the mark-up font
// cache. Created on first use by Instance() and destroyed at process exit.
class CTREngine {
public:
    using TransparentBltFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);
    using GradientFillFn = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);
    using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    using SysColorFn = DWORD(WINAPI*)(int);

    enum Capability { CapTransparentBlt = 1, CapGradientFill = 2, CapLayered = 4 };
    enum Cursor { CursorHand = 0, CursorSizeWE = 1, CursorSizeNS = 2 };
    enum ImageKind { ImageNormal = 0, ImageHot = 1, ImageSelected = 2, ImageDisabled = 3 };

    static CTREngine* Instance();
    static CTThemeApi* ThemeApi();

    CTREngine();
    virtual ~CTREngine();
    CTREngine(const CTREngine&) = delete;
    CTREngine& operator=(const CTREngine&) = delete;

    // Palette.
    bool BuildPalette();
    bool FreePalette();
    void SetColors(COLORREF accent, COLORREF text);
    COLORREF GetHighlightColor();
    COLORREF GetMenuTextColor();
    void FillHot(HDC hdc, const RECT& rc);
    void FillSelected(HDC hdc, const RECT& rc);
    void DrawFramedRect(HDC hdc, const RECT& rc);
    void FillHighlight(HDC hdc, const RECT& rc, bool selected, bool checked, bool framed);

    // System facts and services.
    DWORD GetCapabilities() const;
    HCURSOR GetCursor(int kind);
    bool TransparentBlt(HDC dest, int x, int y, int cx, int cy, HDC src, int srcCx, int srcCy,
                        UINT transparent);
    bool CallGradientFill(HDC hdc, PTRIVERTEX vertices, ULONG count, PVOID mesh, ULONG meshCount, ULONG mode);
    bool SetLayeredWindowAttributes(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags);

    // Drawing routines.
    bool GradientFill(HDC hdc, const RECT& rc, COLORREF colour1, COLORREF colour2, int kind);
    virtual void DrawImage(int kind, HIMAGELIST images, int index, HDC hdc, const RECT& rc, bool flag);
    bool RenderFrameControl(HWND hwnd, const RECT& rc, HBITMAP* bitmap, COLORREF* mask, UINT type,
                            UINT state);
    bool RenderCheckBoxImage(HWND hwnd, UINT frameFlags, int themeState, const RECT& rc, HBITMAP* bitmap,
                             COLORREF* mask);

    // Seams for tests: the bound Msimg32/user32 functions and the source of system colours.
    void SetBoundFunctions(TransparentBltFn transparentBlt, GradientFillFn gradientFill,
                           SetLayeredWindowAttributesFn layered);
    void SetSysColorSource(SysColorFn source) { m_sysColor = source ? source : ::GetSysColor; }
    COLORREF SysColor(int index) const { return m_sysColor(index); }

    HBRUSH m_hotBrush = nullptr;
    HBRUSH m_selectedBrush = nullptr;
    HBRUSH m_lightBrush = nullptr;
    HBRUSH m_menuBackBrush = nullptr; // system brush, not owned
    HFONT m_menuFont = nullptr;
    HPEN m_highlightPen = nullptr;
    bool m_themed = false;
    bool m_xpOrLater = false;
    bool m_commonControls6 = false;
    bool m_vistaOrLater = false;
    bool m_remoteSession = false;
    bool m_colorsSet = false;
    COLORREF m_accentColour = 0;
    COLORREF m_textColour = 0;
    int m_imageListColourDepth = ILC_COLOR4;
    HMODULE m_msimg32 = nullptr;
    HMODULE m_user32 = nullptr;
    TransparentBltFn m_pTransparentBlt = nullptr;
    GradientFillFn m_pGradientFill = nullptr;
    SetLayeredWindowAttributesFn m_pSetLayeredWindowAttributes = nullptr;
    CTThemeApi m_themeApi;
    ScreenDpi m_dpi;
    CDraw::GDI m_fontCache;
    ULONG_PTR m_gdiplusToken = 0;
    HCURSOR m_cursors[3] = {};

private:
    SysColorFn m_sysColor = ::GetSysColor;
};
