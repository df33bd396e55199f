#pragma once
// A plain settings pane: it hosts the settings list tabs one above the other, shows one at a time,
// hands each reply to the tab its console key names, and saves or reloads them all from the tab
// strip. The full settings pane replaces it behind the same console type and ListTabHost.
#include <memory>
#include <vector>
#include "framework/CTWnd2.h"
#include "lists/DlgList.h"
#include "lists/ListTabHost.h"

class SettingsTabsPane : public CTWnd2, public DlgListConsole, public ListTabHost, public DlgListTabPage {
public:
    SettingsTabsPane();
    ~SettingsTabsPane() override;

    // The tabs the pane builds, in strip order.
    static const int kTabIds[];

    bool Create() override;
    void Destroy() override;
    HWND GetHwnd() override { return m_hWnd; }
    int GetConsoleType() override { return kConsoleType; }
    bool IsTabPane() override { return true; }
    // Key 0 or the id of one of its tabs.
    bool Matches(int consoleType, __int64 key) override;
    void OnReply(RequestResult& result) override;
    // Assigns the folders from the main window's caches and reloads every tab.
    void RefreshPane() override;
    // Each tab takes its folder from the main window's caches.
    void OnSystemFolders() override { AssignFolders(); }

    // Tab strip: Cancel reloads, Save saves every tab; true when nothing was left to send.
    bool RefreshTab() override;
    bool SaveChanges() override;

    DlgListTab* FindTab(int tabId) override;
    // Shows the tab of the id and hides the others.
    void SelectTab(int tabId);
    // The folder the tab of the id lists, from the main window's caches.
    __int64 FolderOfTab(int tabId) const;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    using CTWnd2::Create;

    std::vector<std::unique_ptr<DlgListTab>> m_tabs;
    int m_shown = 0;

private:
    void AssignFolders();
    void LayoutTabs();
};
