#include "foundation/ShellExecuteAsDesktopUser.h"
#include <exdisp.h>
#include <shldisp.h>
#include <shlobj.h>
#include <servprov.h>

namespace {

// Declared locally: not every import library carries these identifiers.
const CLSID kClsidShellWindows = { 0x9BA05972, 0xF6A8, 0x11CF, { 0xA4, 0x42, 0x00, 0xA0, 0xC9, 0x0A, 0x8F, 0x39 } };
const IID kIidShellWindows = { 0x85CB6900, 0x4D95, 0x11CF, { 0x96, 0x0C, 0x00, 0x80, 0xC7, 0xF4, 0xEE, 0x85 } };
const GUID kSidTopLevelBrowser = { 0x4C96BE40, 0x915C, 0x11CF, { 0x99, 0xD3, 0x00, 0xAA, 0x00, 0x4A, 0xE8, 0x37 } };
const IID kIidShellBrowser = { 0x000214E2, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
const IID kIidServiceProvider = { 0x6D5140C1, 0x7436, 0x11CE, { 0x80, 0x34, 0x00, 0xAA, 0x00, 0x60, 0x09, 0xFA } };
const IID kIidShellFolderViewDual = { 0xE7A1AF80, 0x4D96, 0x11CF, { 0x96, 0x0C, 0x00, 0x80, 0xC7, 0xF4, 0xEE, 0x85 } };
const IID kIidShellDispatch2 = { 0xA4C6892C, 0x3BA9, 0x11D2, { 0x9D, 0xEA, 0x00, 0xC0, 0x4F, 0xB1, 0x61, 0x62 } };

template <typename T> void SafeRelease(T*& p)
{
    if (p) {
        p->Release();
        p = nullptr;
    }
}

} // namespace

HRESULT GetDesktopShellView(IShellView** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;

    IShellWindows* windows = nullptr;
    HRESULT hr = CoCreateInstance(kClsidShellWindows, nullptr,
                                  CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
                                  kIidShellWindows, reinterpret_cast<void**>(&windows));
    if (FAILED(hr))
        return hr;
    if (!windows)
        return E_FAIL;

    VARIANT location;
    VariantInit(&location);
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    VARIANT root;
    VariantInit(&root);
    long hwnd = 0;
    IDispatch* dispatch = nullptr;
    hr = windows->FindWindowSW(&location, &root, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH, &dispatch);
    SafeRelease(windows);
    // S_FALSE means no desktop window was found.
    if (hr == S_FALSE || (SUCCEEDED(hr) && !dispatch))
        hr = E_FAIL;
    if (FAILED(hr)) {
        SafeRelease(dispatch);
        return hr;
    }

    IServiceProvider* provider = nullptr;
    hr = dispatch->QueryInterface(kIidServiceProvider, reinterpret_cast<void**>(&provider));
    SafeRelease(dispatch);
    if (FAILED(hr))
        return hr;

    IShellBrowser* browser = nullptr;
    hr = provider->QueryService(kSidTopLevelBrowser, kIidShellBrowser, reinterpret_cast<void**>(&browser));
    SafeRelease(provider);
    if (FAILED(hr))
        return hr;
    if (!browser)
        return E_FAIL;

    IShellView* view = nullptr;
    hr = browser->QueryActiveShellView(&view);
    SafeRelease(browser);
    if (SUCCEEDED(hr) && !view)
        hr = E_FAIL;
    if (FAILED(hr))
        return hr;
    *out = view;
    return S_OK;
}

HRESULT ShellExecuteThroughView(IShellView* view, const wchar_t* file)
{
    if (!view || !file)
        return E_INVALIDARG;

    IDispatch* background = nullptr;
    HRESULT hr = view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, reinterpret_cast<void**>(&background));
    if (FAILED(hr))
        return hr;
    if (!background)
        return E_FAIL;

    IShellFolderViewDual* folderView = nullptr;
    hr = background->QueryInterface(kIidShellFolderViewDual, reinterpret_cast<void**>(&folderView));
    SafeRelease(background);
    if (FAILED(hr))
        return hr;

    IDispatch* application = nullptr;
    hr = folderView->get_Application(&application);
    SafeRelease(folderView);
    if (SUCCEEDED(hr) && !application)
        hr = E_FAIL;
    if (FAILED(hr))
        return hr;

    IShellDispatch2* shell = nullptr;
    hr = application->QueryInterface(kIidShellDispatch2, reinterpret_cast<void**>(&shell));
    SafeRelease(application);
    if (FAILED(hr))
        return hr;

    BSTR name = SysAllocString(file);
    VARIANT arguments, directory, operation, show;
    VariantInit(&arguments);
    VariantInit(&directory);
    VariantInit(&operation);
    VariantInit(&show);
    arguments.vt = directory.vt = operation.vt = VT_BSTR;
    arguments.bstrVal = SysAllocString(L"");
    directory.bstrVal = SysAllocString(L"");
    operation.bstrVal = SysAllocString(L"");   // the item's default verb
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    hr = name ? shell->ShellExecute(name, arguments, directory, operation, show) : E_OUTOFMEMORY;
    VariantClear(&arguments);
    VariantClear(&directory);
    VariantClear(&operation);
    VariantClear(&show);
    SysFreeString(name);
    SafeRelease(shell);
    return hr;
}

HRESULT ShellExecuteAsDesktopUser(const wchar_t* file)
{
    IShellView* view = nullptr;
    HRESULT hr = GetDesktopShellView(&view);
    if (FAILED(hr))
        return hr;
    hr = ShellExecuteThroughView(view, file);
    view->Release();
    return hr;
}
