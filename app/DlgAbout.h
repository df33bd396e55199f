#pragma once
// The about pane (console type 1002): the logo, the product name and console version and, while
// signed in, the server's name and version, drawn from a small mark-up document, above the
// project's copyright line and web address.
#include <windows.h>
#include "app/CTWndConsole.h"
#include "controls/CTWndDraw.h"
#include "foundation/CTString.h"
#include "framework/CTHyperLink.h"
#include "framework/CTIcon.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"

class DlgAbout : public CTWnd2, public CTWndSize, public CTWndConsole {
public:
    enum : int { kConsoleType = 1002, kTemplate = 296 };
    enum : int { kIdLogo = 1127, kIdPanel = 1175, kIdLink = 1124, kIdCopyright = 1125, kIdClose = 1014 };
    enum : UINT { kLogoPicture = 251 };

    CTHyperLink m_link;
    CTWndDraw m_panel;
    CTIcon m_logo;

    DlgAbout();
    ~DlgAbout() override;

    // CTWndConsole
    bool Create() override;
    void Destroy() override;
    HWND GetHwnd() override { return m_hWnd; }
    int GetConsoleType() override { return kConsoleType; }
    bool IsTabPane() override { return false; }

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // The version block. serverText empty: signed out, no server lines.
    static CTString BuildMarkup(const CTString& productName, const CTString& consoleVersion,
                                const CTString& serverText, const CTString& serverVersionText);
    // "%d.%d.%d.%d" of a dotted version text, missing parts 0.
    static CTString FormatVersion(const CTString& text);

private:
    void OnInitDialog();
};
