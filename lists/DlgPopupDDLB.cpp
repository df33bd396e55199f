#include "lists/DlgPopupDDLB.h"

#include <algorithm>
#include <map>
#include "app/App.h"
#include "foundation/TiXmlDocument.h"
#include "framework/CTApp.h"
#include "framework/CTREngine.h"
#include "lists/PickerFrame.h"
#include "session/Object.h"

namespace {

HMODULE TemplateModule()
{
    HMODULE module = nullptr;
    if (CTApp* app = CTApp::Instance())
        module = app->FindResourceModule(RT_DIALOG, MAKEINTRESOURCEW(DlgPopupDDLB::kTemplate));
    return module ? module : GetModuleHandleW(nullptr);
}

// A glyph of the frame-control renderer as a toolbar image.
int AddGlyph(CTWndToolbar& toolbar, HWND hwnd, UINT type, UINT state)
{
    RECT glyph = {0, 0, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)};
    HBITMAP bitmap = nullptr;
    COLORREF mask = 0;
    int image = -1;
    if (CTREngine::Instance()->RenderFrameControl(hwnd, glyph, &bitmap, &mask, type, state) && bitmap)
        toolbar.AddMaskedBitmap(bitmap, mask, &image);
    if (bitmap)
        DeleteObject(bitmap);
    return image;
}

} // namespace

DlgPopupDDLB::~DlgPopupDDLB()
{
    m_toolbar.Destroy();
    CTWnd2::Destroy();
}

bool DlgPopupDDLB::Open()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        return true;
    auto position = static_cast<DWORD>(::SendMessageW(Owner(), kMsgPlace, 0, 0));
    auto size = static_cast<DWORD>(::SendMessageW(Owner(), kMsgPlace, 0, 1));
    if (!CreateDialogFromResource(TemplateModule(), MAKEINTRESOURCEW(kTemplate), Owner()))
        return false;
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (size == 0)
        flags |= SWP_NOSIZE;
    SetWindowPos(m_hWnd, nullptr, LOWORD(position), HIWORD(position), LOWORD(size), HIWORD(size), flags);
    ShowWindow(SW_SHOW);
    SetActiveWindow(m_hWnd);
    return IsWindow();
}

void DlgPopupDDLB::Close()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        DestroyWindow(m_hWnd);
    else
        Unregister();
}

void DlgPopupDDLB::CreateToolbar()
{
    if (!m_toolbar.Create(m_hWnd, this, TBSTYLE_TRANSPARENT | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT, CTWndToolbar::IconSmall, 0))
        return;
    ::SendMessageW(m_toolbar.m_hWnd, TB_SETMAXTEXTROWS, 0, 0);
    int tick = AddGlyph(m_toolbar, m_hWnd, DFC_MENU, DFCS_MENUCHECK);
    int cross = AddGlyph(m_toolbar, m_hWnd, DFC_CAPTION, DFCS_CAPTIONCLOSE);
    CTString ok, cancel;
    if (!ok.LoadString(kStrOk))
        ok = L"OK";
    if (!cancel.LoadString(kStrCancel))
        cancel = L"Cancel";
    m_toolbar.SetToolTip(IDOK, ok.GetBuffer());
    m_toolbar.SetToolTip(IDCANCEL, cancel.GetBuffer());
    m_toolbar.AppendButton(tick, IDOK, TBSTATE_ENABLED, BTNS_BUTTON, nullptr);
    m_toolbar.AppendButton(cross, IDCANCEL, TBSTATE_ENABLED, BTNS_BUTTON, nullptr);
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    int width = m_toolbar.GetMaxWidth();
    int height = m_toolbar.GetMaxHeight();
    SetWindowPos(m_toolbar.m_hWnd, nullptr, client.right - width, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    AddItem(m_toolbar.m_hWnd, CTWndSize::LeftToRight | CTWndSize::RightToRight);
}

void DlgPopupDDLB::OnInitDialog()
{
    CTWndSize::Init(m_hWnd, false, 0, 0, false);
    AddItem(GetDlgItem(m_hWnd, kIdList), CTWndSize::RightToRight);
    CreateToolbar();
    m_request = Request();
    ::SendMessageW(Owner(), kMsgRequest, 0, reinterpret_cast<LPARAM>(&m_request));
    if (App* app = App::Instance())
        app->m_db.DirGetLookup(static_cast<unsigned>(m_request.parent), m_request.lookup,
                               RequestRoute{m_type, m_key, 0, 0, kReqLookup, 0, false});
    ::SetFocus(GetDlgItem(m_hWnd, kIdList));
}

void DlgPopupDDLB::OnLookupReply(RequestResult& result)
{
    if (result.returnCode != 0)
        return;
    HWND list = GetDlgItem(m_hWnd, kIdList);
    std::vector<__int64> leftOut;
    ::SendMessageW(Owner(), kMsgLeaveOut, reinterpret_cast<WPARAM>(&leftOut), 0);
    std::sort(leftOut.begin(), leftOut.end());
    std::vector<__int64> included = m_request.included;
    std::sort(included.begin(), included.end());

    std::map<__int64, CTString> entries;
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    for (TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr; element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object object;
        object.ReadFromXml(element, true);
        if (std::binary_search(leftOut.begin(), leftOut.end(), object.id))
            continue;
        if (!included.empty() && !std::binary_search(included.begin(), included.end(), object.id))
            continue;
        CTString text;
        if (!object.path.IsEmpty()) {
            text = object.path;
        } else if (object.FindAttribute(CTString(L"name"))) {
            CAttribute name;
            object.GetAttribute(name, CTString(L"name"));
            text = CTString(name.GetText());
        } else {
            text = CTString(object.name);
        }
        entries[object.id] = text;
    }

    HDC dc = GetDC(list);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0)));
    int widest = 0;
    auto measure = [&](const CTString& text) {
        SIZE size = {};
        if (text.GetBuffer() && GetTextExtentPoint32W(dc, text.GetBuffer(), text.GetLength(), &size))
            widest = std::max(widest, static_cast<int>(size.cx));
    };
    auto add = [&](const CTString& text, __int64 data) {
        LRESULT item = ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.GetBuffer() ? text.GetBuffer() : L""));
        ::SendMessageW(list, CB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(data));
        measure(text);
        if (data == m_request.preselect)
            ::SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    };
    if (m_request.addExtra)
        add(m_request.extraText, 0);
    for (const auto& entry : entries)
        add(entry.second, entry.first);
    SelectObject(dc, oldFont);
    ReleaseDC(list, dc);
    if (m_request.preselect == -1)
        ::SendMessageW(list, CB_SETCURSEL, 0, 0);

    if (m_request.autoWidth) {
        int wanted = widest + GetSystemMetrics(SM_CXSMICON) + GetSystemMetrics(SM_CXVSCROLL) + 16;
        RECT rc = {};
        GetWindowRect(m_hWnd, &rc);
        // Grows only: a pop-up wider than its entries keeps its width.
        if (rc.right - rc.left < wanted) {
            SetWindowPos(m_hWnd, nullptr, 0, 0, wanted, rc.bottom - rc.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            InvalidateRect(list, nullptr, TRUE);
        }
    }
}

void DlgPopupDDLB::Notify(void* param)
{
    auto* result = static_cast<RequestResult*>(param);
    if (result && m_hWnd && result->route.requestId == kReqLookup)
        OnLookupReply(*result);
}

void DlgPopupDDLB::Answer(bool ok)
{
    if (m_answered)
        return;
    m_answered = true;
    LPARAM data = 0;
    if (ok) {
        HWND list = GetDlgItem(m_hWnd, kIdList);
        LRESULT item = ::SendMessageW(list, CB_GETCURSEL, 0, 0);
        // No entry chosen answers as Cancel does: an item data of -1 is no id a form can store.
        if (item == CB_ERR)
            ok = false;
        else
            data = static_cast<LPARAM>(::SendMessageW(list, CB_GETITEMDATA, static_cast<WPARAM>(item), 0));
    }
    PostMessageW(Owner(), kMsgAnswer, ok ? TRUE : FALSE, ok ? data : 0);
    DestroyWindow(m_hWnd);
}

bool DlgPopupDDLB::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (hdr && m_toolbar.m_hWnd && hdr->hwndFrom == m_toolbar.m_hWnd)
        return m_toolbar.OnReflectNotify(wParam, hdr, result);
    return false;
}

bool DlgPopupDDLB::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    switch (LOWORD(wParam)) {
    case IDOK: Answer(true); return true;
    case IDCANCEL: Answer(false); return true;
    default: return false;
    }
}

bool DlgPopupDDLB::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = FALSE;
        return true;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            Answer(false);
            *result = 0;
            return true;
        }
        break;
    case WM_ERASEBKGND:
        if (m_request.eraseBackground) {
            RECT rc = {};
            GetClientRect(m_hWnd, &rc);
            FillRect(reinterpret_cast<HDC>(wParam), &rc, GetSysColorBrush(COLOR_WINDOW));
            *result = TRUE;
            SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, TRUE);
            return true;
        }
        break;
    case WM_ACTIVATE:
        PickerFrame::TrackActive(m_activeDialog, m_hWnd, msg, wParam);
        break;
    case WM_DESTROY:
        PickerFrame::TrackActive(m_activeDialog, m_hWnd, msg, wParam);
        m_toolbar.Destroy();
        Unregister();
        break;
    default:
        break;
    }
    if (handled)
        return true;
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}
