#pragma once
// The connecting pane (console type 1001), shown while a sign-in runs: the server, "Connecting...",
// then either why the sign-in failed (warning icon, Retry) or, once the server has accepted the
// user, a progress bar over the main window's start-up loads. Cancel abandons and signs out.
#include <windows.h>
#include "app/CTWndConsole.h"
#include "foundation/CTString.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"

class App;

class DlgConnecting : public CTWnd2, public CTWndSize, public CTWndConsole {
public:
    enum : int { kConsoleType = 1001, kTemplate = 335 };
    enum : int {
        kIdServerLabel = 1004, kIdServer = 1001, kIdProgress = 1072, kIdMessage = 1126, kIdIcon = 1127,
        kIdRetry = 1129, kIdCancel = 1130,
    };
    enum : int { kCmdForwarded = 110, kReqLogon = 1041, kKindLogonSent = 1, kStartupLoads = 11 };
    // Result codes of failed sign-ins the pane names.
    enum : int { kCodeHostNotFound = 5004, kCodeBadCertificate = 5005, kCodeNotQel = 5006 };
    // String-table texts of the pane.
    enum : UINT { kStrHttpError = 3350, kStrHostNotFound = 3351, kStrBadCertificate = 3352, kStrNotQel = 3353 };

    DlgConnecting() = default;
    ~DlgConnecting() override;

    // CTWndConsole
    bool Create() override;
    void Destroy() override;
    HWND GetHwnd() override { return m_hWnd; }
    int GetConsoleType() override { return kConsoleType; }
    bool IsTabPane() override { return false; }
    void OnReply(RequestResult& result) override;
    void OnStartupProgress(int bit, int mask) override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Back to "connecting": the current server, the message area and Cancel only.
    void Reset();
    // The failed state: warning icon, the text, Retry; the server client is disconnected.
    void ShowError(const CTString& text);

    // What a sign-in reply means for the pane: accepted, or failed with the text to show.
    // A reply is accepted only when the server answered (result code 0) with a return code
    // element of id 0; every other reply fails, so the pane never waits on a failed sign-in.
    static bool ReadSignInReply(const RequestResult& result, CTString& errorText);
    // A pane text from the string table, or the built-in one when the modules lack it.
    static CTString LoadText(UINT id);

    CTString m_idleText;   // the message area's text as the template has it

private:
    void OnInitDialog();
    void ShowItem(int id, bool show);
};
