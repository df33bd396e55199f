#pragma once
// Host of one in-place OLE control: the "AX" window class, whose window text names the control's
// CLSID, and the client site through which the control reaches its container. The owning dialog
// drives the control with the AX_* window messages below.
#include <windows.h>
#include <ole2.h>

constexpr UINT AX_QUERYINTERFACE = WM_USER + 1; // wParam const IID*, lParam void** -> HRESULT
constexpr UINT AX_INPLACEACTIVATE = WM_USER + 2; // wParam 1 activate (lParam != 0: no in-place interfaces), 0 deactivate
constexpr UINT AX_GETSITE = WM_USER + 3;        // -> AXClientSite*
constexpr UINT AX_DATAADVISE = WM_USER + 6;     // wParam format number or -1, lParam data direction

// Registers the "AX" window class; registering again is harmless.
bool RegisterAXWindowClass();
LRESULT CALLBACK AXHostWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

class AXClientSite final : public IOleClientSite,
                     public IDispatch,
                     public IAdviseSink,
                     public IOleInPlaceSite,
                     public IOleInPlaceFrame {
public:
    static constexpr int kMaxFormats = 100;

    LONG m_refs = 0; // counts only: the site lives as long as its window
    HWND m_host = nullptr;
    HWND m_parent = nullptr;
    bool m_inPlaceActive = false;
    bool m_noInPlace = false;
    IID m_createIid = IID_IOleObject;
    IOleObject* m_object = nullptr;
    IStorage* m_storage = nullptr;
    IViewObject* m_view = nullptr;
    IDataObject* m_data = nullptr;
    IOleInPlaceActiveObject* m_activeObject = nullptr;
    DWORD m_adviseCookie = 0;
    DWORD m_dataCookies[kMaxFormats] = {};
    CLSID m_clsid = {};

    // Creates the control named by m_clsid on a temporary storage; false when none was made.
    bool CreateControl();
    LRESULT Activate(WPARAM wParam, LPARAM lParam);
    LRESULT DataAdvise(WPARAM wParam, LPARAM lParam);
    void Close();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override;
    STDMETHODIMP GetContainer(IOleContainer** out) override;
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override;
    STDMETHODIMP RequestNewObjectLayout() override { return S_OK; }
    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    // IAdviseSink
    STDMETHODIMP_(void) OnDataChange(FORMATETC*, STGMEDIUM*) override {}
    STDMETHODIMP_(void) OnViewChange(DWORD, LONG) override {}
    STDMETHODIMP_(void) OnRename(IMoniker*) override {}
    STDMETHODIMP_(void) OnSave() override {}
    STDMETHODIMP_(void) OnClose() override {}
    // IOleWindow (shared by the in-place site and the frame)
    STDMETHODIMP GetWindow(HWND* out) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return m_inPlaceActive ? S_OK : S_FALSE; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
    // IOleInPlaceUIWindow / IOleInPlaceFrame
    STDMETHODIMP GetBorder(LPRECT out) override;
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override;
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return E_NOTIMPL; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP EnableModeless(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return E_NOTIMPL; }

private:
    void DeactivateInPlace();
};
