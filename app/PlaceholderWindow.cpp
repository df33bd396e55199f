#include "app/PlaceholderWindow.h"

PlaceholderWindow::~PlaceholderWindow()
{
    Destroy();
}

bool PlaceholderWindow::Open()
{
    RECT rc = {CW_USEDEFAULT, CW_USEDEFAULT, 320, 200};
    if (m_defaultWidth > 0 && m_defaultHeight > 0) {
        rc.right = m_defaultWidth;
        rc.bottom = m_defaultHeight;
    }
    if (!Create(kClassName, true, nullptr, WS_OVERLAPPEDWINDOW, CS_HREDRAW | CS_VREDRAW, GetModuleHandleW(nullptr), &rc))
        return false;
    CTString title;
    title.Format(L"Window type %d", m_type);
    SetWindowText(title.GetBuffer());
    ShowWindow(SW_SHOWNOACTIVATE);
    return true;
}

void PlaceholderWindow::Close()
{
    Destroy();
    Unregister();
}

bool PlaceholderWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_CLOSE) {
        Close();
        *result = 0;
        return true;
    }
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}
