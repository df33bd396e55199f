#include "framework/CTThemeApi.h"

namespace {
using OpenThemeDataFn = HTHEME(WINAPI*)(HWND, LPCWSTR);
using CloseThemeDataFn = HRESULT(WINAPI*)(HTHEME);
using DrawThemeBackgroundFn = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*);
using DrawThemeTextFn = HRESULT(WINAPI*)(HTHEME, HDC, int, int, LPCWSTR, int, DWORD, DWORD, const RECT*);
using GetThemePartSizeFn = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, THEMESIZE, SIZE*);
using BoolFn = BOOL(WINAPI*)();
using EnableThemeDialogTextureFn = HRESULT(WINAPI*)(HWND, DWORD);
using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);

template <typename Fn> Fn As(FARPROC p)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(p));
}
} // namespace

CTThemeApi::CTThemeApi()
{
    m_module = LoadLibraryW(L"UxTheme.dll");
    m_ownsModule = m_module != nullptr;
}

CTThemeApi::~CTThemeApi()
{
    if (m_module && m_ownsModule)
        FreeLibrary(m_module);
}

FARPROC CTThemeApi::Bind(int index, const char* exportName)
{
    if (index < 0 || index >= eEntryCount)
        return nullptr;
    if (!m_entries[index] && m_module)
        m_entries[index] = GetProcAddress(m_module, exportName);
    return m_entries[index];
}

void CTThemeApi::SetModule(HMODULE module, bool owned)
{
    if (m_module && m_ownsModule)
        FreeLibrary(m_module);
    m_module = module;
    m_ownsModule = owned;
    for (FARPROC& e : m_entries)
        e = nullptr;
}

void CTThemeApi::SetEntry(int index, FARPROC function)
{
    if (index >= 0 && index < eEntryCount)
        m_entries[index] = function;
}

HTHEME CTThemeApi::OpenThemeData(HWND hwnd, LPCWSTR classList)
{
    auto fn = As<OpenThemeDataFn>(Bind(eOpenThemeData, "OpenThemeData"));
    return fn ? fn(hwnd, classList) : nullptr;
}

HRESULT CTThemeApi::CloseThemeData(HTHEME theme)
{
    auto fn = As<CloseThemeDataFn>(Bind(eCloseThemeData, "CloseThemeData"));
    return fn ? fn(theme) : E_FAIL;
}

HRESULT CTThemeApi::DrawThemeBackground(HTHEME theme, HDC hdc, int part, int state, const RECT* rect,
                                        const RECT* clip)
{
    auto fn = As<DrawThemeBackgroundFn>(Bind(eDrawThemeBackground, "DrawThemeBackground"));
    return fn ? fn(theme, hdc, part, state, rect, clip) : E_FAIL;
}

HRESULT CTThemeApi::DrawThemeText(HTHEME theme, HDC hdc, int state, LPCWSTR text, int count, const RECT* rect)
{
    auto fn = As<DrawThemeTextFn>(Bind(eDrawThemeText, "DrawThemeText"));
    return fn ? fn(theme, hdc, 1, state, text, count, DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0, rect)
              : E_FAIL;
}

HRESULT CTThemeApi::GetThemePartSize(HTHEME theme, HDC hdc, int state, SIZE* size)
{
    auto fn = As<GetThemePartSizeFn>(Bind(eGetThemePartSize, "GetThemePartSize"));
    return fn ? fn(theme, hdc, 3, state, nullptr, TS_DRAW, size) : E_FAIL;
}

bool CTThemeApi::IsThemeActive()
{
    auto fn = As<BoolFn>(Bind(eIsThemeActive, "IsThemeActive"));
    return fn && fn();
}

bool CTThemeApi::IsAppThemed()
{
    auto fn = As<BoolFn>(Bind(eIsAppThemed, "IsAppThemed"));
    return fn && fn();
}

HRESULT CTThemeApi::EnableThemeDialogTexture(HWND hwnd)
{
    auto fn = As<EnableThemeDialogTextureFn>(Bind(eEnableThemeDialogTexture, "EnableThemeDialogTexture"));
    return fn ? fn(hwnd, ETDT_ENABLETAB) : E_FAIL;
}

HRESULT CTThemeApi::SetWindowTheme(HWND hwnd, LPCWSTR appName, LPCWSTR idList)
{
    auto fn = As<SetWindowThemeFn>(Bind(eSetWindowTheme, "SetWindowTheme"));
    return fn ? fn(hwnd, appName, idList) : E_FAIL;
}
