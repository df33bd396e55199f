#pragma once
// The settings list tabs that open a form per row: deployment types and statuses, syncs (copied
// and pasted through the clipboard) and request types, and the portal and staging template tabs.
#include "lists/DlgListTab.h"

class DlgListProperties : public DlgListTab {
public:
    static const wchar_t* const kClipboardFormat;
    explicit DlgListProperties(int tabId) : DlgListTab(tabId) {}
    bool OnInitTab() override;
    void AddToolbarButtons(std::vector<CTListCtrlReportEx::ToolbarButton>& buttons) override;
    void OpenItem(__int64 id) override;
    // The clipboard gets the id in the tab's own format and as "ID=<id>" text.
    void CopyItem(__int64 id) override;
    // Asks the server to copy the object on the clipboard into the tab's folder; nothing without one.
    void PasteItem() override;

    UINT m_format = 0;
};

// User portals, admin portal pages and staging templates.
class DlgListAdminPortal : public DlgListTab {
public:
    explicit DlgListAdminPortal(int tabId = 1052) : DlgListTab(tabId) {}
    void AddToolbarButtons(std::vector<CTListCtrlReportEx::ToolbarButton>& buttons) override;
    void OpenItem(__int64 id) override;
};

class DlgListUserPortal : public DlgListAdminPortal {
public:
    DlgListUserPortal() : DlgListAdminPortal(1050) {}
};

class DlgListStagingTemplate : public DlgListAdminPortal {
public:
    DlgListStagingTemplate() : DlgListAdminPortal(1053) {}
};

// The window type of the form a tab's rows open; 0 for the tabs without one.
int ListTabFormType(int tabId);

// The tab of the given id, of its kind; nullptr for an id no kind of this module builds.
DlgListTab* CreateListTab(int tabId);
