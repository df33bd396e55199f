#include "app/PlaceholderPane.h"

#include "app/ConsoleTypes.h"

PlaceholderPane::PlaceholderPane(int consoleType)
    : m_consoleType(consoleType), m_tab(IsTabConsoleType(consoleType))
{
}

PlaceholderPane::~PlaceholderPane()
{
    CTWnd2::Destroy();
}

bool PlaceholderPane::Create()
{
    RECT rc = {0, 0, 200, 100}; // placed by the main window when shown
    if (!CTWnd2::Create(L"STATIC", false, GetOwnerHwnd(), WS_CHILD | WS_CLIPSIBLINGS | SS_CENTER | SS_CENTERIMAGE, 0,
                        GetModuleHandleW(nullptr), &rc))
        return false;
    const wchar_t* paneClass = ConsolePaneClassName(m_consoleType);
    CTString text;
    text.Format(L"%s (console %d)", paneClass ? paneClass : L"Console", m_consoleType);
    SetWindowText(text.GetBuffer());
    return true;
}

void PlaceholderPane::Destroy()
{
    CTWnd2::Destroy();
}
