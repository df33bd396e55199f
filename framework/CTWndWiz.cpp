#include "framework/CTWndWiz.h"

#include <cxxabi.h>
#include <cstdlib>
#include <initializer_list>
#include <typeinfo>

#include "foundation/WindowsVersion.h"

namespace {

CTWndWiz* g_creating = nullptr;

bool ResizingSupported()
{
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    unsigned code = 0;
    if (!GetWindowsVersionCode(&code) || (code & 0xFF) == 0) return false;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&info)) return false;
#pragma GCC diagnostic pop
    return info.dwMajorVersion > 5 || (info.dwMajorVersion == 5 && info.dwMinorVersion >= 2);
}

} // namespace

CTWndWiz::CTWndWiz()
{
    m_header.dwSize = 96;
    m_header.dwFlags = PSH_WIZARD | PSH_NOAPPLYNOW | PSH_USECALLBACK | PSH_MODELESS | PSH_HEADER;
    m_header.pszCaption = L"Review Wizard";
    m_header.pfnCallback = PropSheetProc;
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        LOGFONTW font = metrics.lfMessageFont;
        font.lfWeight = FW_BOLD;
        wcscpy_s(font.lfFaceName, L"Verdana Bold");
        HDC dc = GetDC(nullptr);
        font.lfHeight = -MulDiv(GetDeviceCaps(dc, LOGPIXELSY), 12, 72);
        ReleaseDC(nullptr, dc);
        m_titleFont = CreateFontIndirectW(&font);
    }
}

CTWndWiz::~CTWndWiz()
{
    if (m_header.hbmHeader) DeleteObject(m_header.hbmHeader);
    if (m_header.hbmWatermark) DeleteObject(m_header.hbmWatermark);
    if (m_titleFont) DeleteObject(m_titleFont);
    m_pages.DeleteAll();
    if (m_hWnd && ::IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

CTString CTWndWiz::PlacementName() const
{
    CTString name = L"class ";
    const char* mangled = typeid(*this).name();
    int status = 0;
    char* plain = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    const char* text = status == 0 && plain ? plain : mangled;
    for (const char* c = text; *c; ++c) {
        wchar_t w[2] = {static_cast<wchar_t>(static_cast<unsigned char>(*c)), 0};
        name.AppendText(w);
    }
    std::free(plain);
    return name;
}

INT_PTR CTWndWiz::Run()
{
    if (Resizable() && !ResizingSupported()) m_header.dwFlags &= ~PSH_RESIZABLE;
    g_creating = this;
    INT_PTR result = PropertySheetW(&m_header);
    g_creating = nullptr;
    if (!m_hWnd || !::IsWindow(m_hWnd)) return -1;
    if (result != -1) OnActivate(true);
    return result;
}

int CALLBACK CTWndWiz::PropSheetProc(HWND hwnd, UINT msg, LPARAM lParam)
{
    CTWndWiz* wiz = g_creating;
    if (!wiz) return 0;
    if (msg == PSCB_PRECREATE) {
        wiz->OnPreCreate(reinterpret_cast<DLGTEMPLATE*>(lParam));
    } else if (msg == PSCB_INITIALIZED) {
        wiz->m_hWnd = hwnd;
        wiz->m_isPropertySheet = true;
        SetOwner(hwnd, wiz);
        wiz->Subclass(true);
        wiz->OnInitialized();
    }
    return 0;
}

void CTWndWiz::OnPreCreate(DLGTEMPLATE* tmpl)
{
    if (!Resizable() || !tmpl) return;
    // An extended template keeps its style at byte 12.
    DWORD* style = *reinterpret_cast<WORD*>(tmpl) == 1 ? reinterpret_cast<DWORD*>(reinterpret_cast<BYTE*>(tmpl) + 12)
                                                      : &tmpl->style;
    *style = (*style & ~DS_MODALFRAME) | WS_POPUP | WS_THICKFRAME;
}

void CTWndWiz::Destroy()
{
    if (Resizable() && m_hWnd) SavePlacement(PlacementName().GetBuffer());
    if (m_hWnd && ::IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

bool CTWndWiz::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (Resizable() && m_sizingReady) HandleMessage(msg, wParam, lParam, result);
    switch (msg) {
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_ACTIVATE:
        OnActivate(LOWORD(wParam) != 0);
        break;
    case WM_WINDOWPOSCHANGING: {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (Resizable() && !m_sizingReady && (pos->flags & SWP_SHOWWINDOW)) {
            m_sizingReady = true;
            Init(m_hWnd, true, 0, 0, false);
            for (int id : {IDCANCEL, 12323, 12324, 12325})
                if (HWND item = GetDlgItem(m_hWnd, id)) AddItem(item, 15);
            if (HWND line = GetDlgItem(m_hWnd, 12326)) AddItem(line, 14);
            RestorePlacement(PlacementName().GetBuffer(), 0);
            CenterOnWindow(m_owner);
        }
        if (!m_centred && !(pos->flags & SWP_NOMOVE)) {
            if (m_owner && ::IsWindow(m_owner) && IsWindowVisible(m_owner)) {
                RECT owner;
                GetWindowRect(m_owner, &owner);
                RECT rc;
                rc.left = owner.left + ((owner.right - owner.left) - pos->cx) / 2;
                rc.top = owner.top + ((owner.bottom - owner.top) - pos->cy) / 2;
                rc.right = rc.left + pos->cx;
                rc.bottom = rc.top + pos->cy;
                FitRectToMonitor(rc);
                pos->x = rc.left;
                pos->y = rc.top;
            }
            m_centred = true;
        }
        break;
    }
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) SendMessage(WM_COMMAND, IDCANCEL, 0);
        break;
    }
    return false;
}

bool CTWndWiz::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    UINT id = LOWORD(wParam);
    if (id == IDCANCEL) {
        OnCancel();
        if (!m_isModal) Destroy();
        return false;
    }
    if (id != 12325) return false;
    // The sheet asks the page first (PSN_WIZFINISH); a page that refuses keeps the wizard open, and
    // a finished modeless sheet no longer reports a current page.
    *result = DefaultProc(WM_COMMAND, wParam, lParam);
    if (m_hWnd && ::IsWindow(m_hWnd) && SendMessage(PSM_GETCURRENTPAGEHWND)) return true;
    OnFinish();
    if (!m_isModal) Destroy();
    return true;
}

// ---- page --------------------------------------------------------------------------------------

CTWndWizPage::CTWndWizPage()
{
    m_psp.dwSize = 88;
    m_psp.pfnDlgProc = PageProc;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
}

HPROPSHEETPAGE CTWndWizPage::CreateSheetPage(CTWndWiz* wizard)
{
    m_wizard = wizard;
    if (m_first || m_last) m_psp.dwFlags |= PSP_HIDEHEADER;
    if (!m_headerTitle.IsEmpty()) {
        m_psp.dwFlags |= PSP_USEHEADERTITLE;
        m_psp.pszHeaderTitle = m_headerTitle.GetBuffer();
    }
    if (!m_headerSubtitle.IsEmpty()) {
        m_psp.dwFlags |= PSP_USEHEADERSUBTITLE;
        m_psp.pszHeaderSubTitle = m_headerSubtitle.GetBuffer();
    }
    if (!m_title.IsEmpty()) {
        m_psp.dwFlags |= PSP_USETITLE;
        m_psp.pszTitle = m_title.GetBuffer();
    }
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
    m_page = CreatePropertySheetPageW(&m_psp);
    return m_page;
}

bool CTWndWizPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (m_wizard && m_wizard->Resizable()) HandleMessage(msg, wParam, lParam, result);
    return false;
}

bool CTWndWizPage::OnNotify(WPARAM, NMHDR*, LRESULT*) { return false; }
bool CTWndWizPage::OnCommand(WPARAM, LPARAM, LRESULT*) { return false; }

DWORD CTWndWizPage::ButtonFlags() const
{
    DWORD flags = 0;
    if (m_last) flags |= (m_finishAllowed && m_forwardAllowed) ? PSWIZB_FINISH : PSWIZB_DISABLEDFINISH;
    if (!m_first && m_backAllowed) flags |= PSWIZB_BACK;
    if (!m_last && m_forwardAllowed) flags |= PSWIZB_NEXT;
    return flags;
}

void CTWndWizPage::UpdateButtons()
{
    HWND sheet = m_hWnd ? GetParent(m_hWnd) : nullptr;
    if (!sheet) return;
    if (m_last && !m_finishText.IsEmpty())
        SendMessageW(sheet, PSM_SETFINISHTEXTW, 0, reinterpret_cast<LPARAM>(m_finishText.GetBuffer()));
    PostMessageW(sheet, PSM_SETWIZBUTTONS, 0, ButtonFlags());
}

void CTWndWizPage::SetForwardAllowed(bool allowed)
{
    if (allowed == m_forwardAllowed) return;
    m_forwardAllowed = allowed;
    UpdateButtons();
}

INT_PTR CALLBACK CTWndWizPage::PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CTWndWizPage* page = nullptr;
    if (msg == WM_INITDIALOG) {
        page = reinterpret_cast<CTWndWizPage*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        page->m_hWnd = hwnd;
        INT_PTR r = page->OnInitPage();
        return r;
    }
    page = reinterpret_cast<CTWndWizPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!page) return FALSE;
    if (msg == WM_DESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        return FALSE;
    }
    LRESULT result = 0;
    bool handled = false;
    if (msg == WM_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        CTWndWiz* wiz = page->m_wizard;
        bool resizable = wiz && wiz->Resizable();
        handled = true;
        switch (hdr->code) {
        case PSN_SETACTIVE:
            if (!page->OnSetActive()) {
                result = -1;
                break;
            }
            if (resizable) {
                if (!IsRectEmpty(&wiz->m_pageRect))
                    SetWindowPos(hwnd, nullptr, 0, 0, wiz->m_pageRect.right, wiz->m_pageRect.bottom,
                                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
                wiz->AddItem(hwnd, 12);
            }
            page->UpdateButtons();
            if (page->m_state) *page->m_state = page;
            break;
        case PSN_KILLACTIVE:
            if (!page->OnKillActive()) result = TRUE;
            else if (resizable && IsWindowVisible(hwnd)) GetClientRect(hwnd, &wiz->m_pageRect);
            break;
        case PSN_WIZBACK:
        case PSN_WIZNEXT:
            page->m_navigation = hdr->code == PSN_WIZBACK ? kBack : kNext;
            page->OnNavigate();
            break;
        case PSN_WIZFINISH:
            page->m_navigation = kFinish;
            page->OnNavigate();
            if (!page->OnWizardFinish()) result = TRUE;
            break;
        case PSN_RESET:
            page->OnReset();
            break;
        default:
            handled = page->OnNotify(wParam, hdr, &result);
        }
    } else if (msg == WM_COMMAND) {
        handled = page->OnCommand(wParam, lParam, &result);
    } else {
        handled = page->OnMessage(msg, wParam, lParam, &result);
    }
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return handled;
}
