#pragma once
// The change-password pane (console type 1003): the signed-in administrator's previous, new and
// confirmed password, sent to the server. A refusal that points to a password-rules text is shown
// only once that text has been fetched, under the refusal; a success says so and closes the pane.
#include <windows.h>
#include "app/CTWndConsole.h"
#include "foundation/CTString.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"

class App;

class DlgChangePassword : public CTWnd2, public CTWndSize, public CTWndConsole {
public:
    enum : int { kConsoleType = 1003, kTemplate = 134 };
    enum : int {
        kIdPreviousLabel = 1004, kIdNewLabel = 1008, kIdPrevious = 1010, kIdNew = 1011, kIdConfirm = 1012,
        kIdChange = 1013, kIdCancel = 1014, kCmdForwarded = 110,
    };
    enum : int { kReqChange = 1045, kReqRules = 1046 };

    CTString m_refusal;   // the refused change's text, kept while the rules text is fetched

    DlgChangePassword() = default;
    ~DlgChangePassword() override;

    // CTWndConsole
    bool Create() override;
    void Destroy() override;
    HWND GetHwnd() override { return m_hWnd; }
    int GetConsoleType() override { return kConsoleType; }
    bool IsTabPane() override { return false; }
    void OnReply(RequestResult& result) override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Reads the three entries and sends the change.
    void SendChange();

private:
    void ShowBox(const CTString& text, UINT icon);
};
