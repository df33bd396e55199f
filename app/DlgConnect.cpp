#include "app/DlgConnect.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "framework/CTApp.h"
#include "framework/CTRegKey.h"
#include "session/RequestResult.h"

namespace {

constexpr UINT kRegistryPathString = 104;
constexpr DWORD kKeepOffsetFromCentre = CTWndSize::Centred | CTWndSize::LeftToRight;           // 0x1001
constexpr DWORD kKeepOffsetAndWidth = CTWndSize::Centred | CTWndSize::LeftToRight | CTWndSize::RightToRight;

// The module that holds a pane resource: language module, main resource module, executable.
HMODULE PaneModule(const wchar_t* type, const wchar_t* name)
{
    HMODULE module = CTApp::Instance()->FindResourceModule(type, name);
    return module ? module : GetModuleHandleW(nullptr);
}

} // namespace

DlgConnect::~DlgConnect()
{
    CTWnd2::Destroy();
}

bool DlgConnect::Create()
{
    const wchar_t* name = MAKEINTRESOURCEW(kTemplate);
    if (!CreateDialogFromResource(PaneModule(RT_DIALOG, name), name, GetOwnerHwnd()))
        return false;
    ::ShowWindow(m_hWnd, SW_SHOW);
    return true;
}

void DlgConnect::Destroy()
{
    CTWnd2::Destroy();
}

void DlgConnect::OnInitDialog()
{
    CTWndSize::Init(m_hWnd, false, 100, 100, false);
    const int anchored[] = {1007, kIdConnections, kIdServers, 1004, kIdServer, 1006, kIdEmail, kIdPassword, kIdConnect};
    for (int id : anchored)
        AddItem(GetDlgItem(m_hWnd, id), kKeepOffsetFromCentre);
    AddItem(GetDlgItem(m_hWnd, kIdEmailLabel), kKeepOffsetAndWidth);
    FillConnections();
    UpdateConnectEnabled();
    if (!IsWindowVisible(m_hWnd)) {
        if (App* app = GetApp())
            app->Logoff();
        KeepConnectDefault(true);
    }
    PostMessageW(m_hWnd, kMsgFocusFirstEmpty, 0, 0);
}

void DlgConnect::FillConnections()
{
    HWND combo = GetDlgItem(m_hWnd, kIdConnections);
    if (!combo)
        return;
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    CTRegKey settings(kRegistryPathString, nullptr, L"Settings");
    DWORD last = settings.ReadDword(kLastConnection, 0);
    App* app = GetApp();
    if (app) {
        for (const ServerConnection& connection : app->m_connections) {
            const wchar_t* text = connection.name.GetBuffer() ? connection.name.GetBuffer() : L"";
            LRESULT index = ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
            if (index < 0)
                continue;
            ::SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), connection.id);
            if (static_cast<DWORD>(connection.id) == last) {
                ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
                OnConnectionChosen();
            }
        }
    }
    if (::SendMessageW(combo, CB_GETCURSEL, 0, 0) == CB_ERR && ::SendMessageW(combo, CB_GETCOUNT, 0, 0) > 0) {
        ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
        OnConnectionChosen();
    }
    if (app && app->m_autoConnect) {
        app->m_autoConnect = false;
        PostMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(kIdConnect, BN_CLICKED), 0);
    }
}

void DlgConnect::OnConnectionChosen()
{
    HWND combo = GetDlgItem(m_hWnd, kIdConnections);
    LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    App* app = GetApp();
    if (index == CB_ERR || !app)
        return;
    auto id = static_cast<int>(::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
    for (const ServerConnection& connection : app->m_connections) {
        if (connection.id != id)
            continue;
        CTString password;   // wiped when it goes
        connection.GetPassword(password);
        SetItemText(kIdEmail, connection.email.GetBuffer() ? connection.email.GetBuffer() : L"");
        SetItemText(kIdServer, connection.server.GetBuffer() ? connection.server.GetBuffer() : L"");
        SetItemText(kIdPassword, password.GetBuffer() ? password.GetBuffer() : L"");
        return;
    }
}

void DlgConnect::UpdateConnectEnabled()
{
    EnableWindow(GetDlgItem(m_hWnd, kIdConnect), GetWindowTextLengthW(GetDlgItem(m_hWnd, kIdServer)) > 0);
}

void DlgConnect::KeepConnectDefault(bool post)
{
    HWND button = GetDlgItem(m_hWnd, kIdConnect);
    if (post)
        PostMessageW(button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    else
        ::SendMessageW(button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

void DlgConnect::Connect()
{
    App* app = GetApp();
    if (!app || GetWindowTextLengthW(GetDlgItem(m_hWnd, kIdServer)) == 0)
        return;
    app->m_db.Disconnect();
    CTString server, email, password;   // each wiped when it goes
    GetItemText(kIdServer, server);
    GetItemText(kIdEmail, email);
    GetItemText(kIdPassword, password);
    app->Logon(server, email, password);
}

void DlgConnect::OnReply(RequestResult& result)
{
    switch (result.route.requestId) {
    case kReqConnectionsChanged:
        FillConnections();
        break;
    case kReqLogon: {
        if (result.kind != RequestResult::KindServerAnswer || result.resultCode != 0 || result.returnCode != 0)
            break;
        HWND combo = GetDlgItem(m_hWnd, kIdConnections);
        LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
        if (index != CB_ERR) {
            auto id = static_cast<DWORD>(::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
            CTRegKey settings(kRegistryPathString, nullptr, L"Settings");
            settings.WriteDword(kLastConnection, id);
        }
        SetItemText(kIdPassword, L"");
        break;
    }
    default:
        break;
    }
}

bool DlgConnect::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (CTWndSize::HandleMessage(msg, wParam, lParam, result))
        return true;
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = TRUE;
        return true;
    case WM_WINDOWPOSCHANGING:
        if (TrackVisibility(*reinterpret_cast<WINDOWPOS*>(lParam)) == Shown) {
            if (App* app = GetApp())
                app->Logoff();
            KeepConnectDefault(true);
        }
        return false;
    case kMsgFocusFirstEmpty:
        for (int id : {int(kIdServer), int(kIdEmail), int(kIdPassword)}) {
            HWND field = GetDlgItem(m_hWnd, id);
            if (GetWindowTextLengthW(field) == 0) {
                ::SetFocus(field);
                break;
            }
        }
        return true;
    case kMsgReconnect:
        if (App* app = GetApp())
            app->Logoff();
        Connect();
        return true;
    default:
        return false;
    }
}

bool DlgConnect::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    switch (id) {
    case kCmdForwarded:
        ::SendMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(kIdConnect, BN_CLICKED), 0);
        return true;
    case kIdConnect:
        if (code == BN_CLICKED)
            Connect();
        else if (code == BN_KILLFOCUS)
            KeepConnectDefault(true);
        return true;
    case kIdServer:
        if (code == EN_CHANGE)
            UpdateConnectEnabled();
        return true;
    case kIdServers:
        if (code == BN_CLICKED && m_owner)
            m_owner->ShowConsole(kConsoleServers, 0, false);
        return true;
    case kIdConnections:
        if (code == CBN_SELCHANGE)
            OnConnectionChosen();
        return true;
    default:
        return false;
    }
}
