#include "app/MainWindow.h"
#include "app/App.h"

MainWindow::MainWindow()
{
    m_app = App::Instance();
}

MainWindow::~MainWindow()
{
    Destroy();
}

bool MainWindow::Open()
{
    RECT rc = {CW_USEDEFAULT, CW_USEDEFAULT, 640, 480};
    if (!Create(kClassName, true, nullptr, WS_OVERLAPPEDWINDOW, CS_HREDRAW | CS_VREDRAW, GetModuleHandleW(nullptr), &rc))
        return false;
    SetWindowText(L"QEL");
    ShowWindow(SW_SHOWNOACTIVATE);
    ShowConsole(App::kConsoleConnect, 0, false);
    return true;
}

void MainWindow::Close()
{
    Destroy();
    Unregister();
}

void MainWindow::Notify(void* param)
{
    auto* result = static_cast<RequestResult*>(param);
    if (!result)
        return;
    Notice notice;
    notice.requestId = result->route.requestId;
    notice.consoleType = result->route.consoleType;
    notice.returnCode = result->returnCode;
    notice.resultCode = result->resultCode;
    notice.kind = result->kind;
    m_notices.push_back(notice);

    // The sign-out reply ends every pane's session: the connect console comes back.
    if (result->route.requestId == App::kReqLogoff && result->route.consoleType == 0)
        ShowConsole(App::kConsoleConnect, 0, false);
}

bool MainWindow::ShowConsole(int consoleType, UINT64 key, bool noHistory)
{
    (void)noHistory;
    m_console = consoleType;
    m_consoleKey = key;
    return true;
}

bool MainWindow::CloseConsole(int consoleType, UINT64 key)
{
    if (m_console == consoleType && (key == 0 || m_consoleKey == key)) {
        m_console = 0;
        m_consoleKey = 0;
    }
    return true;
}

bool MainWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case kMsgDeleteClosed:
        // Closed windows wait until no request of the server client is pending.
        if (m_app && m_app->m_db.GetBusyCount() == 0)
            m_app->m_windows.DeleteClosedWindows();
        *result = 0;
        return true;
    case WM_CLOSE:
        Close();
        *result = 0;
        return true;
    }
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

Object& MainWindow::GetTypeById(Object& out, __int64 type) const
{
    auto it = m_types.find(type);
    if (it != m_types.end())
        out = it->second;
    else
        out = Object();
    return out;
}
