#pragma once
#include <windows.h>
#include <uxtheme.h>

// The visual-styles functions, bound by name from UxTheme.dll on first use. Each call gives a
// neutral result (null, E_FAIL, false) when the module or the export is missing, so callers
// fall back to the classic look without checking.
class CTThemeApi {
public:
    enum Entry {
        eOpenThemeData,
        eCloseThemeData,
        eDrawThemeBackground,
        eDrawThemeText,
        eGetThemePartSize,
        eIsThemeActive,
        eIsAppThemed,
        eEnableThemeDialogTexture,
        eSetWindowTheme,
        eEntryCount = 47
    };

    CTThemeApi();
    ~CTThemeApi();
    CTThemeApi(const CTThemeApi&) = delete;
    CTThemeApi& operator=(const CTThemeApi&) = delete;

    HTHEME OpenThemeData(HWND hwnd, LPCWSTR classList);
    HRESULT CloseThemeData(HTHEME theme);
    HRESULT DrawThemeBackground(HTHEME theme, HDC hdc, int part, int state, const RECT* rect,
                                const RECT* clip);
    HRESULT DrawThemeText(HTHEME theme, HDC hdc, int state, LPCWSTR text, int count, const RECT* rect);
    HRESULT GetThemePartSize(HTHEME theme, HDC hdc, int state, SIZE* size);
    bool IsThemeActive();
    bool IsAppThemed();
    HRESULT EnableThemeDialogTexture(HWND hwnd);
    // Class names no theme has (" ") take the window's theme away; nulls give it back.
    HRESULT SetWindowTheme(HWND hwnd, LPCWSTR appName, LPCWSTR idList);

    // The entry at index, bound from the module by name when still null; null when unavailable.
    FARPROC Bind(int index, const char* exportName);

    // Seams for tests: replace the module (null stands for a system without visual styles;
    // every entry is cleared) or put a function of one's own into one entry.
    void SetModule(HMODULE module, bool owned);
    void SetEntry(int index, FARPROC function);
    HMODULE Module() const { return m_module; }

private:
    HMODULE m_module = nullptr;
    bool m_ownsModule = false;
    FARPROC m_entries[eEntryCount] = {};
};
