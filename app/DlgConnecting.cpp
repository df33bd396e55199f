#include "app/DlgConnecting.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/DlgConnect.h"
#include "app/MainWindow.h"
#include "framework/CTApp.h"
#include "session/RequestResult.h"

namespace {

constexpr DWORD kKeepOffsetFromCentre = CTWndSize::Centred | CTWndSize::LeftToRight;   // 0x1001
constexpr DWORD kKeepOffsetAndWidth = CTWndSize::Centred | CTWndSize::LeftToRight | CTWndSize::RightToRight;

HMODULE PaneModule(const wchar_t* type, const wchar_t* name)
{
    HMODULE module = CTApp::Instance()->FindResourceModule(type, name);
    return module ? module : GetModuleHandleW(nullptr);
}

int CountBits(unsigned value)
{
    int count = 0;
    for (; value; value &= value - 1)
        ++count;
    return count;
}

} // namespace

DlgConnecting::~DlgConnecting()
{
    CTWnd2::Destroy();
}

CTString DlgConnecting::LoadText(UINT id)
{
    CTString text;
    if (text.LoadString(id, PaneModule(RT_STRING, MAKEINTRESOURCEW(id))))
        return text;
    switch (id) {
    case kStrHttpError: text = L"HTTP Error"; break;
    case kStrHostNotFound: text = L"Host Name Not Found"; break;
    case kStrBadCertificate: text = L"Invalid Certificate Error"; break;
    case kStrNotQel: text = L"QEL Not Found on Host"; break;
    default: break;
    }
    return text;
}

bool DlgConnecting::ReadSignInReply(const RequestResult& result, CTString& errorText)
{
    errorText.Empty();
    switch (result.resultCode) {
    case 0:
        break;
    case kCodeHostNotFound:
        errorText = LoadText(kStrHostNotFound);
        return false;
    case kCodeBadCertificate:
        errorText = LoadText(kStrBadCertificate);
        return false;
    case kCodeNotQel:
        errorText = LoadText(kStrNotQel);
        return false;
    default:
        // 5007 and, like it, 404 (5009) and any other failure of the HTTP exchange.
        errorText = LoadText(kStrHttpError);
        if (!result.statusText.IsEmpty()) {
            errorText.AppendText(L": ");
            errorText.Append(result.statusText);
        }
        return false;
    }
    if (result.returnCode != 0) {
        errorText = result.statusText;
        return false;
    }
    // A 200 answer that carries no return code is no sign-in reply of this server.
    TiXmlElement* root = const_cast<TiXmlDocument&>(result.document).FirstChildElementNamed(L"result");
    if (!root || !root->FirstChildElementNamed(L"RC")) {
        errorText = LoadText(kStrNotQel);
        return false;
    }
    return true;
}

bool DlgConnecting::Create()
{
    // Created hidden: the main window shows it.
    const wchar_t* name = MAKEINTRESOURCEW(kTemplate);
    return CreateDialogFromResource(PaneModule(RT_DIALOG, name), name, GetOwnerHwnd());
}

void DlgConnecting::Destroy()
{
    CTWnd2::Destroy();
}

void DlgConnecting::ShowItem(int id, bool show)
{
    ::ShowWindow(GetDlgItem(m_hWnd, id), show ? SW_SHOW : SW_HIDE);
}

void DlgConnecting::OnInitDialog()
{
    CTWndSize::Init(m_hWnd, false, 100, 100, false);
    for (int id : {int(kIdServerLabel), int(kIdServer), int(kIdIcon), int(kIdRetry), int(kIdCancel), int(kIdProgress)})
        AddItem(GetDlgItem(m_hWnd, id), kKeepOffsetFromCentre);
    AddItem(GetDlgItem(m_hWnd, kIdMessage), kKeepOffsetAndWidth);
    GetItemText(kIdMessage, m_idleText);
    if (!IsWindowVisible(m_hWnd))
        Reset();
}

void DlgConnecting::Reset()
{
    App* app = GetApp();
    SetItemText(kIdServer, app && app->m_server.GetBuffer() ? app->m_server.GetBuffer() : L"");
    ShowItem(kIdIcon, false);
    ShowItem(kIdRetry, false);
    ShowItem(kIdProgress, false);
    ShowItem(kIdMessage, true);
    ShowItem(kIdCancel, true);
}

void DlgConnecting::ShowError(const CTString& text)
{
    HICON icon = LoadIconW(nullptr, IDI_EXCLAMATION);   // shared: never destroyed
    ::SendMessageW(GetDlgItem(m_hWnd, kIdIcon), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    SetItemText(kIdMessage, text.GetBuffer() ? text.GetBuffer() : L"");
    ShowItem(kIdIcon, true);
    ShowItem(kIdRetry, true);
    if (App* app = GetApp())
        app->m_db.Disconnect();
}

void DlgConnecting::OnReply(RequestResult& result)
{
    if (result.route.requestId == 0) {
        if (result.kind == kKindLogonSent) {
            ShowItem(kIdIcon, false);
            ShowItem(kIdRetry, false);
        }
        return;
    }
    if (result.route.requestId != kReqLogon)
        return;
    CTString error;
    if (!ReadSignInReply(result, error)) {
        ShowError(error);
        return;
    }
    for (int id : {int(kIdIcon), int(kIdRetry), int(kIdCancel), int(kIdMessage)})
        ShowItem(id, false);
    HWND progress = GetDlgItem(m_hWnd, kIdProgress);
    ::SendMessageW(progress, PBM_SETRANGE32, 0, kStartupLoads);
    ::SendMessageW(progress, PBM_SETPOS, 0, 0);
    ShowItem(kIdProgress, true);
}

void DlgConnecting::OnStartupProgress(int bit, int mask)
{
    ::SendMessageW(GetDlgItem(m_hWnd, kIdProgress), PBM_SETPOS,
                   static_cast<WPARAM>(CountBits(static_cast<unsigned>(bit | mask))), 0);
}

bool DlgConnecting::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (CTWndSize::HandleMessage(msg, wParam, lParam, result))
        return true;
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = TRUE;
        return true;
    case WM_WINDOWPOSCHANGING:
        if (TrackVisibility(*reinterpret_cast<WINDOWPOS*>(lParam)) == Shown)
            Reset();
        return false;
    default:
        return false;
    }
}

bool DlgConnecting::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    switch (id) {
    case kCmdForwarded:
        ::SendMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(kIdCancel, BN_CLICKED), 0);
        return true;
    case kIdRetry:
        if (code == BN_CLICKED) {
            SetItemText(kIdMessage, m_idleText.GetBuffer() ? m_idleText.GetBuffer() : L"");
            CTWndConsole* connect = m_owner ? m_owner->FindConsole(DlgConnect::kConsoleType, 0) : nullptr;
            if (auto* pane = dynamic_cast<DlgConnect*>(connect))
                PostMessageW(pane->GetHwnd(), DlgConnect::kMsgReconnect, 0, 0);
        }
        return true;
    case kIdCancel:
        if (code == BN_CLICKED) {
            Close();
            if (App* app = GetApp())
                app->Logoff();
        } else if (code == BN_KILLFOCUS) {
            PostMessageW(GetDlgItem(m_hWnd, kIdCancel), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        }
        return true;
    default:
        return false;
    }
}
