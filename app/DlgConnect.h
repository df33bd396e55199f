#pragma once
// The connect pane (console type 1000): the saved server connections in a combo box, the server,
// e-mail address and password of the chosen one (all editable) and Connect. The main window shows
// it at start-up and whenever a session ends; becoming visible always signs the session out.
#include <windows.h>
#include "app/CTWndConsole.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"

class App;

class DlgConnect : public CTWnd2, public CTWndSize, public CTWndConsole {
public:
    enum : int { kConsoleType = 1000, kTemplate = 132 };
    enum : int {
        kIdConnect = 1000, kIdServer = 1001, kIdEmail = 1002, kIdPassword = 1003, kIdEmailLabel = 1005,
        kIdServers = 1133, kIdConnections = 1135,
    };
    enum : UINT {
        kMsgFocusFirstEmpty = 1025,   // posted to itself after WM_INITDIALOG
        kMsgReconnect = 1026,         // the connecting pane's Retry: sign out, then sign in again
    };
    enum : int { kCmdForwarded = 110, kConsoleServers = 1037, kReqConnectionsChanged = 1017, kReqLogon = 1041 };
    static constexpr const wchar_t* kLastConnection = L"LastConnection";

    DlgConnect() = default;
    ~DlgConnect() override;

    // CTWndConsole
    bool Create() override;
    void Destroy() override;
    HWND GetHwnd() override { return m_hWnd; }
    int GetConsoleType() override { return kConsoleType; }
    bool IsTabPane() override { return false; }
    void OnReply(RequestResult& result) override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Lists the saved connections and selects the one of "LastConnection" (else the first).
    void FillConnections();
    // Signs in with the texts of the three fields; nothing when the Server field is empty.
    void Connect();

private:
    void OnInitDialog();
    void OnConnectionChosen();
    void UpdateConnectEnabled();
    void KeepConnectDefault(bool post);
};
