#include "framework/CTREngine.h"

#include <objidl.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <cstddef>
#include <cstdlib>

#include "framework/CTColour.h"

namespace {
CTREngine* g_engine = nullptr;

void DestroyEngineAtExit()
{
    delete g_engine;
    g_engine = nullptr;
}

// GetVersionExW is deprecated in the headers but still answers what the manifest declares.
bool ReadVersion(OSVERSIONINFOW* info)
{
    info->dwOSVersionInfoSize = sizeof(*info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return GetVersionExW(info) != FALSE;
#pragma GCC diagnostic pop
}

template <typename Fn> Fn BindExport(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}
} // namespace

CTREngine* CTREngine::Instance()
{
    if (!g_engine) {
        g_engine = new CTREngine;
        atexit(DestroyEngineAtExit);
    }
    return g_engine;
}

CTThemeApi* CTREngine::ThemeApi()
{
    return &Instance()->m_themeApi;
}

CTREngine::CTREngine()
{
    OSVERSIONINFOW version = {};
    if (ReadVersion(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        m_xpOrLater =
            version.dwMajorVersion > 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1);
        m_vistaOrLater = version.dwMajorVersion >= 6;
    }

    if (HMODULE comctl = LoadLibraryW(L"comctl32.dll")) {
        if (auto getVersion = BindExport<DLLGETVERSIONPROC>(comctl, "DllGetVersion")) {
            DLLVERSIONINFO info = {};
            info.cbSize = sizeof(info);
            if (SUCCEEDED(getVersion(&info)) && info.dwMajorVersion >= 6)
                m_commonControls6 = true;
        }
        FreeLibrary(comctl);
    }

    m_msimg32 = LoadLibraryW(L"Msimg32.dll");
    m_pTransparentBlt = BindExport<TransparentBltFn>(m_msimg32, "TransparentBlt");
    m_pGradientFill = BindExport<GradientFillFn>(m_msimg32, "GradientFill");
    if (m_msimg32 && !m_pTransparentBlt && !m_pGradientFill) {
        FreeLibrary(m_msimg32);
        m_msimg32 = nullptr;
    }

    m_user32 = LoadLibraryW(L"USER32.DLL");
    m_pSetLayeredWindowAttributes =
        BindExport<SetLayeredWindowAttributesFn>(m_user32, "SetLayeredWindowAttributes");
    if (m_user32 && !m_pSetLayeredWindowAttributes) {
        FreeLibrary(m_user32);
        m_user32 = nullptr;
    }

    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;
    if (Gdiplus::GdiplusStartup(&m_gdiplusToken, &input, nullptr) != Gdiplus::Ok)
        m_gdiplusToken = 0;

    BuildPalette();
}

CTREngine::~CTREngine()
{
    FreePalette();
    if (m_gdiplusToken)
        Gdiplus::GdiplusShutdown(m_gdiplusToken);
    if (m_msimg32)
        FreeLibrary(m_msimg32);
    if (m_user32)
        FreeLibrary(m_user32);
    m_fontCache.Clear();
    // The theme table frees UxTheme as it is destroyed.
}

bool CTREngine::FreePalette()
{
    if (m_menuFont)
        DeleteObject(m_menuFont);
    if (m_highlightPen)
        DeleteObject(m_highlightPen);
    if (m_hotBrush)
        DeleteObject(m_hotBrush);
    if (m_selectedBrush)
        DeleteObject(m_selectedBrush);
    if (m_lightBrush)
        DeleteObject(m_lightBrush);
    m_menuFont = nullptr;
    m_highlightPen = nullptr;
    m_hotBrush = m_selectedBrush = m_lightBrush = nullptr;
    m_menuBackBrush = nullptr;
    return true;
}

bool CTREngine::BuildPalette()
{
    FreePalette();

    // The 500-byte layout without the padded border width is accepted by every version.
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
        m_menuFont = CreateFontIndirectW(&metrics.lfMenuFont);

    COLORREF highlight = m_sysColor(COLOR_HIGHLIGHT);
    m_highlightPen = CreatePen(PS_SOLID, 1, MixColour(highlight, 0.65));
    m_hotBrush = CreateSolidBrush(MixColour(highlight, 0.3));
    m_lightBrush = CreateSolidBrush(MixColour(highlight, 0.2));
    m_selectedBrush = CreateSolidBrush(MixColour(highlight, 0.5));

    m_remoteSession = GetSystemMetrics(SM_REMOTESESSION) > 0;
    m_themed = m_xpOrLater && m_themeApi.IsAppThemed();
    m_imageListColourDepth = m_commonControls6 ? ILC_COLOR32 : ILC_COLOR24;

    BOOL flatMenu = FALSE;
    bool flat = SystemParametersInfoW(SPI_GETFLATMENU, 0, &flatMenu, 0) && flatMenu == TRUE;
    m_menuBackBrush = GetSysColorBrush(flat ? COLOR_MENUBAR : COLOR_MENU);

    m_dpi.Load();
    m_fontCache.dpiX = m_dpi.x;
    m_fontCache.dpiY = m_dpi.y;
    m_fontCache.Clear();
    return m_menuFont != nullptr;
}

void CTREngine::SetColors(COLORREF accent, COLORREF text)
{
    m_colorsSet = true;
    m_accentColour = accent;
    m_textColour = text;
}

COLORREF CTREngine::GetHighlightColor()
{
    if (m_colorsSet)
        return m_accentColour;
    return MixColours(m_sysColor(COLOR_HIGHLIGHT), RGB(0, 0, 0), 0.8);
}

COLORREF CTREngine::GetMenuTextColor()
{
    return m_colorsSet ? m_textColour : m_sysColor(COLOR_MENUTEXT);
}

void CTREngine::FillHot(HDC hdc, const RECT& rc)
{
    FillRect(hdc, &rc, m_hotBrush);
}

void CTREngine::FillSelected(HDC hdc, const RECT& rc)
{
    FillRect(hdc, &rc, m_selectedBrush);
}

void CTREngine::DrawFramedRect(HDC hdc, const RECT& rc)
{
    FillRect(hdc, &rc, m_lightBrush);
    HGDIOBJ oldPen = SelectObject(hdc, m_highlightPen);
    HGDIOBJ oldBrush = SelectObject(hdc, GetStockObject(NULL_BRUSH));
    // Rectangle() leaves out the right and bottom edge, so this outlines left + 1 .. right - 2.
    Rectangle(hdc, rc.left + 1, rc.top + 1, rc.right - 1, rc.bottom - 1);
    SelectObject(hdc, oldBrush);
    SelectObject(hdc, oldPen);
}

void CTREngine::FillHighlight(HDC hdc, const RECT& rc, bool selected, bool checked, bool framed)
{
    if (!selected && !checked && !framed)
        return;
    RECT inner = rc;
    InflateRect(&inner, -1, -1);
    if (framed)
        DrawFramedRect(hdc, inner);
    else
        FillRect(hdc, &inner, checked ? m_selectedBrush : m_hotBrush);
}

DWORD CTREngine::GetCapabilities() const
{
    DWORD mask = 0;
    if (m_pTransparentBlt)
        mask |= CapTransparentBlt;
    if (m_pGradientFill)
        mask |= CapGradientFill;
    if (m_pSetLayeredWindowAttributes)
        mask |= CapLayered;
    return mask;
}

HCURSOR CTREngine::GetCursor(int kind)
{
    static const LPCWSTR ids[] = {IDC_HAND, IDC_SIZEWE, IDC_SIZENS};
    if (kind < 0 || kind > 2)
        return nullptr;
    if (!m_cursors[kind])
        m_cursors[kind] = LoadCursorW(nullptr, ids[kind]);
    return m_cursors[kind];
}

bool CTREngine::TransparentBlt(HDC dest, int x, int y, int cx, int cy, HDC src, int srcCx, int srcCy,
                               UINT transparent)
{
    if (!m_pTransparentBlt)
        return false;
    return m_pTransparentBlt(dest, x, y, cx, cy, src, 0, 0, srcCx, srcCy, transparent) != FALSE;
}

bool CTREngine::CallGradientFill(HDC hdc, PTRIVERTEX vertices, ULONG count, PVOID mesh, ULONG meshCount,
                                 ULONG mode)
{
    if (!m_pGradientFill)
        return false;
    return m_pGradientFill(hdc, vertices, count, mesh, meshCount, mode) != FALSE;
}

bool CTREngine::SetLayeredWindowAttributes(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags)
{
    if (!m_pSetLayeredWindowAttributes)
        return false;
    return m_pSetLayeredWindowAttributes(hwnd, key, alpha, flags) != FALSE;
}

void CTREngine::SetBoundFunctions(TransparentBltFn transparentBlt, GradientFillFn gradientFill,
                                  SetLayeredWindowAttributesFn layered)
{
    m_pTransparentBlt = transparentBlt;
    m_pGradientFill = gradientFill;
    m_pSetLayeredWindowAttributes = layered;
}
