#include "app/CTWndConsole.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "framework/CTApp.h"
#include "framework/CTWndMessageBox.h"

HWND CTWndConsole::GetOwnerHwnd() const
{
    return m_owner ? m_owner->m_hWnd : nullptr;
}

CTWndConsole::Visibility CTWndConsole::TrackVisibility(const WINDOWPOS& pos)
{
    if ((pos.flags & SWP_SHOWWINDOW) && !m_visible) {
        m_visible = true;
        return Shown;
    }
    if ((pos.flags & SWP_HIDEWINDOW) && m_visible) {
        m_visible = false;
        return Hidden;
    }
    return Unchanged;
}

App* CTWndConsole::GetApp() const
{
    if (m_owner && m_owner->m_app)
        return m_owner->m_app;
    return App::Instance();
}

void CTWndConsole::Close()
{
    PostMessageW(GetOwnerHwnd(), kMsgCloseConsole, static_cast<WPARAM>(static_cast<INT_PTR>(GetConsoleType())),
                 static_cast<LPARAM>(m_key));
}

void CTWndConsole::Destroy()
{
    if (HWND hwnd = GetHwnd()) DestroyWindow(hwnd);
}

void CTWndConsole::SetFocus()
{
    ::SetFocus(GetHwnd());
}

bool CTWndConsole::Matches(int consoleType, __int64 key)
{
    return consoleType == GetConsoleType() && (key == 0 || key == m_key);
}

void CTWndConsole::Move(int left, int top, int right, int bottom)
{
    HWND hwnd = GetHwnd();
    if (hwnd && IsWindow(hwnd)) MoveWindow(hwnd, left, top, right - left, bottom - top, TRUE);
}

void CTWndConsole::ReportObjectGone(const CTString& name)
{
    CTString text;
    text.Format(L"Object no longer available:\r\n%s", name.GetBuffer() ? name.GetBuffer() : L"");
    CTApp* app = CTApp::Instance();
    HINSTANCE module = app && app->GetModule() ? app->GetModule() : GetModuleHandleW(nullptr);
    CTWndMessageBox box;
    box.Show(GetOwnerHwnd(), module, text.GetBuffer(), L"Warning", MB_OK);
    Close();
}

RequestRoute CTWndConsole::PaneRoute(int consoleType, int request, __int64 param2, bool silent) const
{
    RequestRoute route;
    route.targetType = MainWindow::kWindowType;
    route.targetKey = m_owner ? m_owner->m_key : 0;
    route.consoleType = consoleType;
    route.consoleKey = m_key;
    route.requestId = request;
    route.param2 = param2;
    route.silent = silent;
    return route;
}
