#include "framework/AXClientSite.h"

namespace {

template <class T>
void ReleaseAndClear(T*& p)
{
    if (p) p->Release();
    p = nullptr;
}

AXClientSite* SiteOf(HWND hwnd)
{
    return reinterpret_cast<AXClientSite*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

} // namespace

bool RegisterAXWindowClass()
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
    wc.lpfnWndProc = AXHostWindowProc;
    wc.cbWndExtra = 4;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = "AX";
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

LRESULT CALLBACK AXHostWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    AXClientSite* site = SiteOf(hwnd);
    switch (msg) {
    case WM_CREATE: {
        char text[1001] = {};
        GetWindowTextA(hwnd, text, 1000);
        wchar_t wide[1001] = {};
        MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 1000);
        site = new AXClientSite();
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(site));
        site->m_host = hwnd;
        site->m_parent = GetParent(hwnd);
        if (FAILED(CLSIDFromString(wide, &site->m_clsid)) || !site->CreateControl()) {
            site->Close();
            delete site;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            return -1;
        }
        return 0;
    }
    case WM_DESTROY:
        if (site) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            site->Close();
            delete site;
        }
        return 1;
    case WM_SIZE: {
        // The class is registered as ANSI, so default processing is the ANSI one throughout.
        LRESULT r = DefWindowProcA(hwnd, msg, wParam, lParam);
        if (site && site->m_object) {
            IOleInPlaceObject* inPlace = nullptr;
            if (SUCCEEDED(site->m_object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace))) &&
                inPlace) {
                RECT rc = {};
                GetClientRect(hwnd, &rc);
                inPlace->SetObjectRects(&rc, &rc);
                inPlace->Release();
            }
        }
        return r;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_LBUTTONDBLCLK:
        PostMessageW(hwnd, AX_INPLACEACTIVATE, 1, 0);
        return 0;
    case AX_QUERYINTERFACE:
        if (!site || !site->m_object) return E_NOINTERFACE;
        return site->m_object->QueryInterface(*reinterpret_cast<const IID*>(wParam), reinterpret_cast<void**>(lParam));
    case AX_INPLACEACTIVATE:
        return site ? site->Activate(wParam, lParam) : 0;
    case AX_GETSITE:
        return reinterpret_cast<LRESULT>(site);
    case AX_DATAADVISE:
        return site ? site->DataAdvise(wParam, lParam) : 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool AXClientSite::CreateControl()
{
    if (FAILED(StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &m_storage)))
        m_storage = nullptr;
    if (FAILED(OleCreate(m_clsid, m_createIid, OLERENDER_DRAW, nullptr, static_cast<IOleClientSite*>(this), m_storage,
                         reinterpret_cast<void**>(&m_object))))
        m_object = nullptr;
    if (!m_object) return false;
    OleSetContainedObject(m_object, TRUE);
    if (FAILED(m_object->Advise(static_cast<IAdviseSink*>(this), &m_adviseCookie))) m_adviseCookie = 0;
    if (FAILED(m_object->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&m_view)))) m_view = nullptr;
    if (FAILED(m_object->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(&m_data)))) m_data = nullptr;
    if (m_view) m_view->SetAdvise(DVASPECT_CONTENT, 0, static_cast<IAdviseSink*>(this));
    return true;
}

void AXClientSite::DeactivateInPlace()
{
    m_inPlaceActive = false;
    if (!m_object) return;
    IOleInPlaceObject* inPlace = nullptr;
    if (SUCCEEDED(m_object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace))) && inPlace) {
        inPlace->UIDeactivate();
        inPlace->InPlaceDeactivate();
        inPlace->Release();
    }
}

LRESULT AXClientSite::Activate(WPARAM wParam, LPARAM lParam)
{
    if (!m_object) return 0;
    RECT rc = {};
    GetClientRect(m_host, &rc);
    if (wParam == 1 && !m_inPlaceActive) {
        m_inPlaceActive = true;
        m_noInPlace = lParam != 0;
        m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0, m_host, &rc);
        InvalidateRect(m_host, nullptr, TRUE);
        return 1;
    }
    if (wParam == 0 && m_inPlaceActive) {
        DeactivateInPlace();
        InvalidateRect(m_host, nullptr, TRUE);
        return 1;
    }
    return 0;
}

LRESULT AXClientSite::DataAdvise(WPARAM wParam, LPARAM lParam)
{
    if (!m_data) return 0;
    IEnumFORMATETC* formats = nullptr;
    if (FAILED(m_data->EnumFormatEtc(static_cast<DWORD>(lParam), &formats)) || !formats) return 0;
    const bool counting = static_cast<int>(wParam) == -1;
    FORMATETC format = {};
    bool haveFormat = formats->Next(1, &format, nullptr) == S_OK;
    WPARAM count = haveFormat ? 1 : 0;
    // Walk to the format asked for; a number past the end stays on the last one read.
    for (WPARAM steps = 0; haveFormat && (counting || steps < wParam); ++steps) {
        FORMATETC next = {};
        if (formats->Next(1, &next, nullptr) != S_OK) break;
        if (format.ptd) CoTaskMemFree(format.ptd);
        format = next;
        ++count;
    }
    formats->Release();
    LRESULT result = 0;
    if (counting) {
        result = static_cast<LRESULT>(count);
    } else if (haveFormat && wParam < static_cast<WPARAM>(kMaxFormats)) {
        DWORD cookie = 0;
        if (SUCCEEDED(m_data->DAdvise(&format, 0, static_cast<IAdviseSink*>(this), &cookie))) {
            // A second advise on the same number would otherwise leave the first connection behind.
            if (m_dataCookies[wParam]) m_data->DUnadvise(m_dataCookies[wParam]);
            m_dataCookies[wParam] = cookie;
            result = 1;
        }
    }
    if (format.ptd) CoTaskMemFree(format.ptd);
    return result;
}

void AXClientSite::Close()
{
    if (m_inPlaceActive) DeactivateInPlace();
    if (m_adviseCookie && m_object) m_object->Unadvise(m_adviseCookie);
    m_adviseCookie = 0;
    if (m_data) {
        for (DWORD& cookie : m_dataCookies) {
            if (cookie) m_data->DUnadvise(cookie);
            cookie = 0;
        }
    }
    ReleaseAndClear(m_activeObject);
    ReleaseAndClear(m_data);
    ReleaseAndClear(m_view);
    ReleaseAndClear(m_storage);
    ReleaseAndClear(m_object);
}

STDMETHODIMP AXClientSite::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
        *out = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IAdviseSink)
        *out = static_cast<IAdviseSink*>(this);
    else if (iid == IID_IDispatch)
        *out = static_cast<IDispatch*>(this);
    else if (!m_noInPlace && iid == IID_IOleInPlaceSite)
        *out = static_cast<IOleInPlaceSite*>(this);
    else if (!m_noInPlace && (iid == IID_IOleInPlaceFrame || iid == IID_IOleInPlaceUIWindow))
        *out = static_cast<IOleInPlaceFrame*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) AXClientSite::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_refs));
}

STDMETHODIMP_(ULONG) AXClientSite::Release()
{
    return static_cast<ULONG>(InterlockedDecrement(&m_refs));
}

STDMETHODIMP AXClientSite::GetMoniker(DWORD, DWORD, IMoniker** out)
{
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP AXClientSite::GetContainer(IOleContainer** out)
{
    if (out) *out = nullptr;
    return E_FAIL;
}

STDMETHODIMP AXClientSite::OnShowWindow(BOOL)
{
    InvalidateRect(m_host, nullptr, TRUE);
    InvalidateRect(m_parent, nullptr, TRUE);
    return S_OK;
}

STDMETHODIMP AXClientSite::GetWindow(HWND* out)
{
    if (!out) return E_POINTER;
    *out = m_host;
    return S_OK;
}

STDMETHODIMP AXClientSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                            LPRECT clip, LPOLEINPLACEFRAMEINFO info)
{
    if (frame) {
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
    }
    if (doc) *doc = nullptr;
    RECT rc = {};
    GetClientRect(m_host, &rc);
    if (pos) *pos = rc;
    if (clip) *clip = rc;
    if (info) {
        info->cb = sizeof(OLEINPLACEFRAMEINFO);
        info->fMDIApp = FALSE;
        info->hwndFrame = m_parent;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
    }
    return S_OK;
}

STDMETHODIMP AXClientSite::GetBorder(LPRECT out)
{
    if (!out) return E_POINTER;
    GetClientRect(m_host, out);
    return S_OK;
}

STDMETHODIMP AXClientSite::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR)
{
    if (object) object->AddRef();
    ReleaseAndClear(m_activeObject);
    m_activeObject = object;
    return S_OK;
}
