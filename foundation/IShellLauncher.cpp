#include "foundation/IShellLauncher.h"
#include "foundation/ShellExecuteAsDesktopUser.h"
#include <shellapi.h>

namespace {
CDesktopShellLauncher g_desktopLauncher;
IShellLauncher* g_launcher = &g_desktopLauncher;
}

HRESULT CDesktopShellLauncher::Open(const wchar_t* file)
{
    if (!file || !*file)
        return E_INVALIDARG;
    IShellView* view = nullptr;
    if (SUCCEEDED(GetDesktopShellView(&view)) && view) {
        HRESULT hr = ShellExecuteThroughView(view, file);
        view->Release();
        return hr;
    }
    // No desktop shell (or no COM on this thread): open it in this process's own context.
    HINSTANCE result = ShellExecuteW(nullptr, nullptr, file, nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) > 32)
        return S_OK;
    DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

IShellLauncher* GetShellLauncher()
{
    return g_launcher;
}

IShellLauncher* SetShellLauncher(IShellLauncher* launcher)
{
    IShellLauncher* previous = g_launcher;
    g_launcher = launcher ? launcher : &g_desktopLauncher;
    return previous;
}

HRESULT OpenAsDesktopUser(const wchar_t* file)
{
    return g_launcher->Open(file);
}
