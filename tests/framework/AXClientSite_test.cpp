#include <gtest/gtest.h>

#include <vector>

#include "framework/AXClientSite.h"
#include "framework/FakeSeams.h"

namespace {

// {6D3A1F52-7B0C-4C1E-9E2A-5A1D0C3B7F41}
const CLSID CLSID_FakeControl = {0x6d3a1f52, 0x7b0c, 0x4c1e, {0x9e, 0x2a, 0x5a, 0x1d, 0x0c, 0x3b, 0x7f, 0x41}};
const wchar_t kFakeControlText[] = L"{6D3A1F52-7B0C-4C1E-9E2A-5A1D0C3B7F41}";

// What the control saw of its container; reset per test.
struct Record {
    int doVerbs = 0, uiDeactivates = 0, inPlaceDeactivates = 0, unadvises = 0, dataUnadvises = 0;
    int formats = 3;
    HRESULT dataAdviseResult = S_OK;
    std::vector<CLIPFORMAT> advisedFormats;
    IOleClientSite* clientSite = nullptr;
    HRESULT siteQueryDuringVerb = E_FAIL;
    HRESULT canActivate = E_FAIL;
    HWND frameWindow = nullptr;
    bool gotFrame = false;
    bool destroyed = false;
    bool activeWhenDestroyed = false;
    bool viewAdvised = false;
    int live = 0;
};
Record g_rec;

class FakeFormats final : public IEnumFORMATETC {
public:
    LONG refs = 1;
    int next = 0;
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        *out = (iid == IID_IUnknown || iid == IID_IEnumFORMATETC) ? this : nullptr;
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG r = --refs;
        if (!r) delete this;
        return r;
    }
    STDMETHODIMP Next(ULONG, FORMATETC* out, ULONG* fetched) override
    {
        if (next >= g_rec.formats) return S_FALSE;
        *out = {static_cast<CLIPFORMAT>(CF_TEXT + next), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        // Each format carries a target device the reader must free.
        out->ptd = static_cast<DVTARGETDEVICE*>(CoTaskMemAlloc(sizeof(DVTARGETDEVICE)));
        *out->ptd = {sizeof(DVTARGETDEVICE)};
        ++next;
        if (fetched) *fetched = 1;
        return S_OK;
    }
    STDMETHODIMP Skip(ULONG) override { return E_NOTIMPL; }
    STDMETHODIMP Reset() override { return E_NOTIMPL; }
    STDMETHODIMP Clone(IEnumFORMATETC**) override { return E_NOTIMPL; }
};

class FakeControl final : public IOleObject, public IOleInPlaceObject, public IDataObject, public IViewObject,
                    public IPersistStorage {
public:
    LONG refs = 0;
    bool active = false;
    FakeControl() { ++g_rec.live; }
    ~FakeControl()
    {
        --g_rec.live;
        g_rec.destroyed = true;
        g_rec.activeWhenDestroyed = active;
        if (g_rec.clientSite) g_rec.clientSite->Release();
        g_rec.clientSite = nullptr;
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleObject) *out = static_cast<IOleObject*>(this);
        else if (iid == IID_IOleInPlaceObject || iid == IID_IOleWindow) *out = static_cast<IOleInPlaceObject*>(this);
        else if (iid == IID_IDataObject) *out = static_cast<IDataObject*>(this);
        else if (iid == IID_IViewObject) *out = static_cast<IViewObject*>(this);
        else if (iid == IID_IPersistStorage || iid == IID_IPersist) *out = static_cast<IPersistStorage*>(this);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG r = --refs;
        if (!r) delete this;
        return r;
    }
    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override
    {
        if (site) site->AddRef();
        if (g_rec.clientSite) g_rec.clientSite->Release();
        g_rec.clientSite = site;
        return S_OK;
    }
    STDMETHODIMP GetClientSite(IOleClientSite**) override { return E_NOTIMPL; }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD) override { return S_OK; }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT) override
    {
        ++g_rec.doVerbs;
        active = true;
        IOleInPlaceSite* inPlace = nullptr;
        g_rec.siteQueryDuringVerb = site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace));
        if (inPlace) {
            g_rec.canActivate = inPlace->CanInPlaceActivate();
            IOleInPlaceFrame* frame = nullptr;
            IOleInPlaceUIWindow* doc = nullptr;
            RECT pos = {}, clip = {};
            OLEINPLACEFRAMEINFO info = {sizeof(info)};
            inPlace->GetWindowContext(&frame, &doc, &pos, &clip, &info);
            g_rec.frameWindow = info.hwndFrame;
            g_rec.gotFrame = frame != nullptr;
            if (frame) frame->Release();
            inPlace->Release();
        }
        return S_OK;
    }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* id) override
    {
        *id = CLSID_FakeControl;
        return S_OK;
    }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
    STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IAdviseSink*, DWORD* cookie) override
    {
        *cookie = 77;
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD cookie) override
    {
        if (cookie == 77) ++g_rec.unadvises;
        return S_OK;
    }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override
    {
        *status = 0;
        return S_OK;
    }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }
    // IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND*) override { return E_NOTIMPL; }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override
    {
        ++g_rec.inPlaceDeactivates;
        active = false;
        return S_OK;
    }
    STDMETHODIMP UIDeactivate() override
    {
        ++g_rec.uiDeactivates;
        return S_OK;
    }
    STDMETHODIMP SetObjectRects(LPCRECT, LPCRECT) override { return S_OK; }
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
    // IDataObject
    STDMETHODIMP GetData(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC** out) override
    {
        *out = new FakeFormats();
        return S_OK;
    }
    STDMETHODIMP DAdvise(FORMATETC* format, DWORD, IAdviseSink*, DWORD* cookie) override
    {
        if (FAILED(g_rec.dataAdviseResult)) return g_rec.dataAdviseResult;
        g_rec.advisedFormats.push_back(format->cfFormat);
        *cookie = static_cast<DWORD>(g_rec.advisedFormats.size());
        return S_OK;
    }
    STDMETHODIMP DUnadvise(DWORD) override
    {
        ++g_rec.dataUnadvises;
        return S_OK;
    }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    // IViewObject
    STDMETHODIMP Draw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC, LPCRECTL, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                      ULONG_PTR) override
    {
        return S_OK;
    }
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override { return E_NOTIMPL; }
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD, DWORD, IAdviseSink* sink) override
    {
        g_rec.viewAdvised = sink != nullptr;
        return S_OK;
    }
    STDMETHODIMP GetAdvise(DWORD*, DWORD*, IAdviseSink**) override { return E_NOTIMPL; }
    // IPersistStorage
    STDMETHODIMP GetClassID(CLSID* id) override
    {
        *id = CLSID_FakeControl;
        return S_OK;
    }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP InitNew(IStorage*) override { return S_OK; }
    STDMETHODIMP Load(IStorage*) override { return S_OK; }
    STDMETHODIMP Save(IStorage*, BOOL) override { return S_OK; }
    STDMETHODIMP SaveCompleted(IStorage*) override { return S_OK; }
    STDMETHODIMP HandsOffStorage() override { return S_OK; }
};

class FakeFactory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        *out = (iid == IID_IUnknown || iid == IID_IClassFactory) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* control = new FakeControl();
        control->AddRef();
        HRESULT hr = control->QueryInterface(iid, out);
        control->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};
FakeFactory g_factory;

class AXHostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        OleInitialize(nullptr);
        CoRegisterClassObject(CLSID_FakeControl, &g_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &s_cookie);
        ASSERT_TRUE(RegisterAXWindowClass());
        ASSERT_TRUE(RegisterAXWindowClass()); // again: harmless
    }
    static void TearDownTestSuite()
    {
        CoRevokeClassObject(s_cookie);
        OleUninitialize();
    }
    void SetUp() override
    {
        g_rec = Record();
        m_parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr, nullptr,
                                   nullptr);
    }
    void TearDown() override { DestroyWindow(m_parent); }
    HWND MakeHost(const wchar_t* text)
    {
        return CreateWindowExW(0, L"AX", text, WS_CHILD | WS_VISIBLE, 10, 10, 200, 100, m_parent,
                               reinterpret_cast<HMENU>(801), GetModuleHandleW(nullptr), nullptr);
    }

    HWND m_parent = nullptr;
    static inline DWORD s_cookie = 0;
};

TEST_F(AXHostTest, CreatesTheControlNamedByTheWindowTextAndAdvisesIt)
{
    HWND host = MakeHost(kFakeControlText);
    ASSERT_NE(nullptr, host);
    auto* site = reinterpret_cast<AXClientSite*>(SendMessageW(host, AX_GETSITE, 0, 0));
    ASSERT_NE(nullptr, site);
    EXPECT_EQ(host, site->m_host);
    EXPECT_EQ(m_parent, site->m_parent);
    EXPECT_EQ(1, g_rec.live);
    EXPECT_EQ(static_cast<IOleClientSite*>(site), g_rec.clientSite);
    EXPECT_EQ(77u, site->m_adviseCookie);
    EXPECT_TRUE(g_rec.viewAdvised);
    EXPECT_NE(nullptr, site->m_data);
    EXPECT_EQ(DLGC_WANTALLKEYS, SendMessageW(host, WM_GETDLGCODE, 0, 0));

    DestroyWindow(host);
    EXPECT_EQ(0, g_rec.live);
    EXPECT_EQ(1, g_rec.unadvises);
}

TEST_F(AXHostTest, AnUnknownOrMalformedClassFailsTheWindowsCreation)
{
    EXPECT_EQ(nullptr, MakeHost(L"not a class id"));
    EXPECT_EQ(nullptr, MakeHost(L"{00000000-1111-2222-3333-444444444444}"));
    EXPECT_EQ(0, g_rec.live);
}

TEST_F(AXHostTest, QueriesAreRoutedToTheControl)
{
    HWND host = MakeHost(kFakeControlText);
    ASSERT_NE(nullptr, host);
    IDataObject* data = nullptr;
    EXPECT_EQ(S_OK, static_cast<HRESULT>(SendMessageW(host, AX_QUERYINTERFACE, reinterpret_cast<WPARAM>(&IID_IDataObject),
                                                      reinterpret_cast<LPARAM>(&data))));
    ASSERT_NE(nullptr, data);
    data->Release();
    IUnknown* none = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(E_NOINTERFACE, static_cast<HRESULT>(SendMessageW(host, AX_QUERYINTERFACE,
                                                               reinterpret_cast<WPARAM>(&IID_IOleCache),
                                                               reinterpret_cast<LPARAM>(&none))));
    EXPECT_EQ(nullptr, none);
    DestroyWindow(host);
}

TEST_F(AXHostTest, ActivationHappensOnceAndOffersTheInPlaceSite)
{
    HWND host = MakeHost(kFakeControlText);
    ASSERT_NE(nullptr, host);
    EXPECT_EQ(0, SendMessageW(host, AX_INPLACEACTIVATE, 0, 0)); // not active yet
    EXPECT_EQ(1, SendMessageW(host, AX_INPLACEACTIVATE, 1, 0));
    EXPECT_EQ(1, g_rec.doVerbs);
    EXPECT_EQ(S_OK, g_rec.siteQueryDuringVerb);
    EXPECT_EQ(S_OK, g_rec.canActivate);
    EXPECT_TRUE(g_rec.gotFrame);
    EXPECT_EQ(m_parent, g_rec.frameWindow);
    EXPECT_EQ(0, SendMessageW(host, AX_INPLACEACTIVATE, 1, 0));
    EXPECT_EQ(1, g_rec.doVerbs);

    EXPECT_EQ(1, SendMessageW(host, AX_INPLACEACTIVATE, 0, 0));
    EXPECT_EQ(1, g_rec.uiDeactivates);
    EXPECT_EQ(1, g_rec.inPlaceDeactivates);
    EXPECT_EQ(0, SendMessageW(host, AX_INPLACEACTIVATE, 0, 0));
    EXPECT_EQ(1, g_rec.inPlaceDeactivates);

    // A double-click activates through a posted request.
    SendMessageW(host, WM_LBUTTONDBLCLK, 0, 0);
    MSG msg;
    while (PeekMessageW(&msg, host, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_EQ(2, g_rec.doVerbs);
    DestroyWindow(host);
}

TEST_F(AXHostTest, WithoutInPlaceInterfacesTheSiteDeniesThem)
{
    HWND host = MakeHost(kFakeControlText);
    ASSERT_NE(nullptr, host);
    auto* site = reinterpret_cast<AXClientSite*>(SendMessageW(host, AX_GETSITE, 0, 0));
    EXPECT_EQ(1, SendMessageW(host, AX_INPLACEACTIVATE, 1, 1));
    EXPECT_EQ(E_NOINTERFACE, g_rec.siteQueryDuringVerb);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, site->QueryInterface(IID_IOleInPlaceFrame, &out));
    EXPECT_EQ(nullptr, out);
    IUnknown* sink = nullptr;
    EXPECT_EQ(S_OK, site->QueryInterface(IID_IAdviseSink, reinterpret_cast<void**>(&sink)));
    EXPECT_EQ(static_cast<IAdviseSink*>(site), static_cast<void*>(sink));
    sink->Release();
    DestroyWindow(host);
}

TEST_F(AXHostTest, DataAdviseCountsFormatsAndReportsWhatTheControlAnswered)
{
    HWND host = MakeHost(kFakeControlText);
    ASSERT_NE(nullptr, host);
    auto* site = reinterpret_cast<AXClientSite*>(SendMessageW(host, AX_GETSITE, 0, 0));
    EXPECT_EQ(3, SendMessageW(host, AX_DATAADVISE, static_cast<WPARAM>(-1), DATADIR_GET));
    EXPECT_EQ(1, SendMessageW(host, AX_DATAADVISE, 1, DATADIR_GET));
    EXPECT_EQ(1, SendMessageW(host, AX_DATAADVISE, 7, DATADIR_GET)); // past the end: the last format
    ASSERT_EQ(2u, g_rec.advisedFormats.size());
    EXPECT_EQ(CF_TEXT + 1, g_rec.advisedFormats[0]);
    EXPECT_EQ(CF_TEXT + 2, g_rec.advisedFormats[1]);
    EXPECT_NE(0u, site->m_dataCookies[1]);
    EXPECT_NE(0u, site->m_dataCookies[7]);
    EXPECT_EQ(0, SendMessageW(host, AX_DATAADVISE, 100, DATADIR_GET));

    // A refused advise is reported as such and leaves no connection behind.
    g_rec.dataAdviseResult = E_FAIL;
    EXPECT_EQ(0, SendMessageW(host, AX_DATAADVISE, 2, DATADIR_GET));
    EXPECT_EQ(0u, site->m_dataCookies[2]);
    g_rec.dataAdviseResult = S_OK;
    // No formats at all: nothing to advise on.
    g_rec.formats = 0;
    EXPECT_EQ(0, SendMessageW(host, AX_DATAADVISE, static_cast<WPARAM>(-1), DATADIR_GET));
    EXPECT_EQ(0, SendMessageW(host, AX_DATAADVISE, 0, DATADIR_GET));
    EXPECT_EQ(2u, g_rec.advisedFormats.size());

    DestroyWindow(host);
    EXPECT_EQ(2, g_rec.dataUnadvises);
}

TEST_F(AXHostTest, DestroyingWhileActiveDeactivatesBeforeRelease)
{
    HWND host = MakeHost(kFakeControlText);
    ASSERT_NE(nullptr, host);
    ASSERT_EQ(1, SendMessageW(host, AX_INPLACEACTIVATE, 1, 0));
    SendMessageW(host, AX_DATAADVISE, 0, DATADIR_GET);
    DestroyWindow(host);
    EXPECT_TRUE(g_rec.destroyed);
    EXPECT_FALSE(g_rec.activeWhenDestroyed);
    EXPECT_EQ(1, g_rec.uiDeactivates);
    EXPECT_EQ(1, g_rec.inPlaceDeactivates);
    EXPECT_EQ(1, g_rec.unadvises);
    EXPECT_EQ(1, g_rec.dataUnadvises);
    // Messages to a window without a site do nothing.
    EXPECT_EQ(0, g_rec.live);
}

} // namespace
