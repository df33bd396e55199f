#include "lists/SettingsTabsPane.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "lists/DlgListTab.h"
#include "lists/DlgListTabKinds.h"
#include "session/RequestResult.h"

const int SettingsTabsPane::kTabIds[] = {1047, 1048, 1049, 1050, 1052, 1053, 1058, 1060, 1065, 1046};

DlgListTab* ListTabHost::FindSettingsTab(MainWindow* main, int tabId)
{
    if (!main)
        return nullptr;
    auto* host = dynamic_cast<ListTabHost*>(main->FindConsole(kConsoleType, 0));
    return host ? host->FindTab(tabId) : nullptr;
}

SettingsTabsPane::SettingsTabsPane() = default;

SettingsTabsPane::~SettingsTabsPane()
{
    m_tabs.clear();   // the tab windows go before the pane's
    CTWnd2::Destroy();
}

bool SettingsTabsPane::Create()
{
    RECT rc = {0, 0, 400, 300};   // placed by the main window when shown
    if (!CTWnd2::Create(L"STATIC", false, GetOwnerHwnd(), WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0,
                        GetModuleHandleW(nullptr), &rc))
        return false;
    SetWindowText(L"Settings");
    for (int id : kTabIds) {
        std::unique_ptr<DlgListTab> tab(CreateListTab(id));
        if (!tab || !tab->SetHost(this))
            continue;
        m_tabs.push_back(std::move(tab));
    }
    AssignFolders();
    if (!m_tabs.empty())
        SelectTab(m_tabs.front()->m_tabId);
    return true;
}

void SettingsTabsPane::Destroy()
{
    m_tabs.clear();
    CTWnd2::Destroy();
}

bool SettingsTabsPane::Matches(int consoleType, __int64 key)
{
    if (consoleType != kConsoleType)
        return false;
    return key == 0 || FindTab(static_cast<int>(key)) != nullptr;
}

DlgListTab* SettingsTabsPane::FindTab(int tabId)
{
    for (auto& tab : m_tabs)
        if (tab->m_tabId == tabId)
            return tab.get();
    return nullptr;
}

__int64 SettingsTabsPane::FolderOfTab(int tabId) const
{
    if (!m_owner)
        return 0;
    const MainWindowCache& cache = m_owner->m_cache;
    switch (tabId) {
    case 1048: return cache.deploymentTypesFolder;
    case 1049: return cache.deploymentStatusFolder;
    default: return cache.systemSettings.parent;   // the settings folder
    }
}

void SettingsTabsPane::AssignFolders()
{
    for (auto& tab : m_tabs)
        if (__int64 folder = FolderOfTab(tab->m_tabId); folder != 0)
            tab->m_parentId = folder;
}

void SettingsTabsPane::OnReply(RequestResult& result)
{
    // Replies of the pane itself (key 0, broadcasts) concern no tab.
    if (DlgListTab* tab = FindTab(static_cast<int>(result.route.consoleKey)))
        tab->OnResult(result);
}

void SettingsTabsPane::RefreshPane()
{
    AssignFolders();
    for (auto& tab : m_tabs)
        tab->Reload();
}

bool SettingsTabsPane::RefreshTab()
{
    RefreshPane();
    return true;
}

bool SettingsTabsPane::SaveChanges()
{
    bool done = true;
    for (auto& tab : m_tabs)
        done = tab->SaveChanges() && done;
    return done;
}

void SettingsTabsPane::SelectTab(int tabId)
{
    m_shown = tabId;
    LayoutTabs();
    for (auto& tab : m_tabs)
        if (tab->m_tabId != tabId)
            ::ShowWindow(tab->m_hWnd, SW_HIDE);
    if (DlgListTab* tab = FindTab(tabId))
        ::ShowWindow(tab->m_hWnd, SW_SHOW);
}

void SettingsTabsPane::LayoutTabs()
{
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    for (auto& tab : m_tabs)
        SetWindowPos(tab->m_hWnd, nullptr, 0, 0, rc.right, rc.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool SettingsTabsPane::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_SIZE)
        LayoutTabs();
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}
