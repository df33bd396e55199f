// The main window's panes: built by console type, shown one at a time, recorded in the back/forward
// history, closed with deferred deletion, and their status-bar texts.
#include "app/MainWindow.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/CTWndConsole.h"
#include "app/ConsoleTypes.h"
#include "app/DlgConnect.h"
#include "app/DlgConnecting.h"
#include "framework/CTApp.h"

namespace {

// A pane whose console comes with a later subsystem: a plain child window naming its type.
class PlaceholderPane : public CTWnd2, public CTWndConsole {
public:
    explicit PlaceholderPane(int type) : m_consoleType(type) {}
    ~PlaceholderPane() override { CTWnd2::Destroy(); }

    bool Create() override
    {
        CTString text;
        const wchar_t* name = ConsolePaneClassName(m_consoleType);
        text.Format(L"%s (console %d)", name ? name : L"Console", m_consoleType);
        RECT rc = {0, 0, 100, 100};
        if (!CreateChild(L"STATIC", WS_CHILD | WS_CLIPSIBLINGS | SS_CENTER | SS_CENTERIMAGE, rc, GetOwnerHwnd(),
                         m_consoleType))
            return false;
        SetWindowText(text.GetBuffer());
        return true;
    }
    HWND GetHwnd() override { return m_hWnd; }
    int GetConsoleType() override { return m_consoleType; }
    bool IsTabPane() override { return IsTabConsoleType(m_consoleType); }
    void Destroy() override { CTWnd2::Destroy(); }
    void SetFocus() override
    {
        if (m_hWnd)
            ::SetFocus(m_hWnd);
    }

private:
    int m_consoleType = 0;
};

} // namespace

PaneKey MainWindow::GetPaneKey(CTWndConsole* pane) const
{
    return pane ? PaneKey(kWindowType, m_key, pane->GetConsoleType(), pane->m_key) : PaneKey();
}

CTWndConsole* MainWindow::FindConsole(int type, __int64 key)
{
    for (CLinkedListObject* item = m_panes.GetHead(); item; item = item->m_next) {
        auto* pane = static_cast<CTWndConsole*>(item);
        if (pane->Matches(type, key))
            return pane;
    }
    return nullptr;
}

CTWndConsole* MainWindow::GetConsole(int type, __int64 key, int position)
{
    if (CTWndConsole* pane = FindConsole(type, key))
        return pane;
    if (!ConsolePaneClassName(type))
        return nullptr;
    CTWndConsole* pane = nullptr;
    if (type == kConsoleConnect)
        pane = new DlgConnect();
    else if (type == kConsoleConnecting)
        pane = new DlgConnecting();
    else
        pane = new PlaceholderPane(type);
    m_panes.AddTail(pane);
    pane->m_owner = this;
    pane->m_key = key;
    pane->Create();
    if (pane->IsTabPane() && m_tabs.m_hWnd && pane->GetHwnd())
        m_tabs.AddPage(pane->GetHwnd(), 0, position);
    return pane;
}

bool MainWindow::ShowConsole(int type, __int64 key, bool noHistory)
{
    if (NeedsSetupRights(type) && !HasSetupRights())
        return false;
    if (m_current && m_current->Matches(type, key))
        return true;
    CTWndConsole* previous = m_current;
    CTWndConsole* pane = GetConsole(type, key, 0);
    if (!pane)
        return false;
    if (previous) {
        if (previous->IsTabPane() && !pane->IsTabPane()) {
            ::ShowWindow(m_tabs.m_hWnd, SW_HIDE);
            RemoveItem(m_tabs.m_hWnd);
        } else if (!previous->IsTabPane() && previous->GetHwnd()) {
            ::ShowWindow(previous->GetHwnd(), SW_HIDE);
            RemoveItem(previous->GetHwnd());
        }
    }
    pane->SetFocus();
    m_current = pane;
    LayoutCurrentPane();
    if (pane->IsTabPane()) {
        m_tabs.Layout();
        if (!previous || !previous->IsTabPane()) {
            AddItem(m_tabs.m_hWnd, CTWndSize::BottomToBottom);
            ::ShowWindow(m_tabs.m_hWnd, SW_SHOW);
        }
        m_tabs.ShowTab(pane->GetHwnd());
    } else {
        AddItem(pane->GetHwnd(), CTWndSize::BottomToBottom | CTWndSize::RightToRight);
        ::ShowWindow(pane->GetHwnd(), SW_SHOW);
    }
    if (m_navToolbar.m_hWnd) {
        m_navToolbar.SendMessage(TB_CHECKBUTTON, kCmdHome, type == kConsoleDashboard);
        m_navToolbar.SendMessage(TB_CHECKBUTTON, kCmdTasks, type == kConsoleTasks);
        m_navToolbar.SendMessage(TB_CHECKBUTTON, kCmdDeployments, type == kConsoleDeployments);
        m_navToolbar.SendMessage(TB_CHECKBUTTON, kCmdNotices, type == kConsoleWeb && pane->m_key == m_homePage);
    }
    if (!noHistory) {
        if (previous)
            PushHistory(GetPaneKey(previous));
        PushHistory(GetPaneKey(pane));
        if (!m_history.IsEmpty())
            m_history.SetCursorToLast();
    }
    if (!m_history.IsEmpty())
        UpdateHistoryButtons();
    ShowPaneStatusText(GetPaneKey(pane));
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    if (m_rebar.m_hWnd)
        m_rebar.SetBandWidth(m_navBand, client.right);
    return true;
}

void MainWindow::PushHistory(const PaneKey& entry)
{
    m_history.Push(entry);
}

void MainWindow::UpdateHistoryButtons()
{
    SetButtonEnabled(m_navToolbar, kCmdBack, m_history.CanGoBack());
    SetButtonEnabled(m_navToolbar, kCmdForward, m_history.CanGoForward());
}

bool MainWindow::CloseConsole(int type, __int64 key)
{
    CTWndConsole* pane = FindConsole(type, key);
    if (!pane)
        return false;
    if (m_app)
        m_app->m_dir.CancelRequests(GetPaneKey(pane));
    if (pane == m_current)
        m_current = nullptr;
    if (pane->IsTabPane() && pane->GetHwnd())
        m_tabs.RemovePage(pane->GetHwnd());
    if (pane->GetHwnd())
        RemoveItem(pane->GetHwnd());
    m_panes.Remove(pane);
    pane->Destroy();
    m_closedPanes.AddTail(pane);
    PostMessageW(m_hWnd, kMsgDeleteClosed, 0, 0);
    m_history.Remove(type, key);
    if (m_current) {
        UpdateHistoryButtons();
    } else if (m_history.IsEmpty()) {
        ShowConsole(kConsoleDashboard, 0, false);
    } else {
        PaneKey entry = *m_history.CursorOrLast();
        ShowConsole(entry.consoleType, entry.consoleKey, true);
    }
    return true;
}

void MainWindow::SetPaneStatusText(const PaneKey& key, const CTString& text)
{
    m_statusTexts[key] = text;
    if (m_current && GetPaneKey(m_current) == key)
        SetPaneText(kPartStatus, text);
}

void MainWindow::ShowPaneStatusText(const PaneKey& key)
{
    auto found = m_statusTexts.find(key);
    SetPaneText(kPartStatus, found != m_statusTexts.end() ? found->second : CTString());
}

void MainWindow::ClearHistory()
{
    m_history.Clear();
}

void MainWindow::ForgetPaneStatusTexts()
{
    m_statusTexts.clear();
}

void MainWindow::DeletePanesExceptCurrent()
{
    for (CLinkedListObject* item = m_panes.GetHead(); item;) {
        CLinkedListObject* next = item->m_next;
        auto* pane = static_cast<CTWndConsole*>(item);
        if (pane != m_current) {
            if (pane->IsTabPane() && pane->GetHwnd())
                m_tabs.RemovePage(pane->GetHwnd());
            if (pane->GetHwnd())
                RemoveItem(pane->GetHwnd());
            m_panes.Remove(pane);
            pane->Destroy();
            delete pane;
        }
        item = next;
    }
}
