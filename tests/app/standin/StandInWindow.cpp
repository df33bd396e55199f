#include "StandInWindow.h"

StandInWindow::~StandInWindow()
{
    Destroy();
}

bool StandInWindow::Open()
{
    RECT rc = {CW_USEDEFAULT, CW_USEDEFAULT, 320, 200};
    if (!Create(kClassName, true, nullptr, WS_OVERLAPPEDWINDOW, CS_HREDRAW | CS_VREDRAW, GetModuleHandleW(nullptr), &rc))
        return false;
    SetWindowText(kTitle);
    ShowWindow(SW_SHOWNOACTIVATE);
    return true;
}

void StandInWindow::Close()
{
    Destroy();
    Unregister();
}

bool StandInWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_CLOSE) {
        Close();
        *result = 0;
        return true;
    }
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}
