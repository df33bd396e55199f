#include "framework/CTWndTab.h"

#include "framework/CTWndManagerVTabPage.h"

bool CTWndTab::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result)) return true;
    if (msg == WM_WINDOWPOSCHANGING) {
        OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam));
        return false;
    }
    if (msg == WM_INITDIALOG) {
        *result = OnInitTab();
        return true;
    }
    return false;
}

void CTWndTab::OnWindowPosChanging(WINDOWPOS* pos)
{
    bool shown = m_hWnd && IsWindowVisible(m_hWnd);
    if ((pos->flags & SWP_SHOWWINDOW) && !shown) {
        m_visible = true;
        if (m_refreshPending) {
            // Cleared first so that a refresh that runs now is not repeated on the next show.
            m_refreshPending = false;
            Refresh();
        }
    } else if ((pos->flags & SWP_HIDEWINDOW) && shown) {
        m_visible = false;
    }
}

bool CTWndTab::OnInitTab()
{
    Init(m_hWnd, false, 100, 100, false);
    return true;
}

void CTWndTab::SetModified(bool modified)
{
    if (auto* page = dynamic_cast<CTWndManager::VTabPage*>(m_owner)) page->SetModified(modified);
}
