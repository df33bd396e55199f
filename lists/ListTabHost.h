#pragma once
// What forms and lists ask of the pane that hosts the settings list tabs.
class DlgListTab;
class MainWindow;

class ListTabHost {
public:
    enum : int { kConsoleType = 1019 };
    virtual ~ListTabHost() = default;
    // The hosted tab of the id, nullptr when the pane holds none.
    virtual DlgListTab* FindTab(int tabId) = 0;

    // The tab of the id in the main window's settings pane; nullptr while that pane is not open.
    static DlgListTab* FindSettingsTab(MainWindow* main, int tabId);
};
