#pragma once
// The kinds of the object list pane: administrators (super users hidden, last logons fetched),
// organisations, groups, reports (copied and pasted through the clipboard) and slot data.
#include "lists/DlgList.h"

class DlgListAdministrator : public DlgList {
public:
    enum : int { kConsoleType = 1016, kFormType = 5, kWizardType = 28 };
    DlgListAdministrator() : DlgList(kConsoleType) {}
    void InitCaption() override { m_caption = L"Admins"; }
    void Load() override;
    void OpenItem(__int64 id, int item) override;
    void AddToolbarButtons(std::vector<CTListCtrlReportEx::ToolbarButton>& buttons) override;
    bool OnKindCommand(int command) override;
    // Super users are never listed.
    void OnSearchFilled() override;
    // The queued "last_logon" values go out as one event query of their administrators.
    void RequestPendingValues() override;
    // The event objects of a last-logon reply: each one's creation time into its administrator's cell.
    void OnLastLogons(TiXmlDocument* reply, std::vector<PendingValue>& taken);
};

class DlgListOrganisation : public DlgList {
public:
    enum : int { kConsoleType = 1022, kOrganisationConsole = 1023 };
    DlgListOrganisation() : DlgList(kConsoleType) {}
    void OpenItem(__int64 id, int item) override;
    void AddToolbarButtons(std::vector<CTListCtrlReportEx::ToolbarButton>& buttons) override;
};

class DlgListGroups : public DlgList {
public:
    enum : int { kConsoleType = 1024, kFormType = 51 };
    DlgListGroups() : DlgList(kConsoleType) {}
    void InitCaption() override { m_caption = L"Groups"; }
    void OpenItem(__int64 id, int item) override;
    void AddToolbarButtons(std::vector<CTListCtrlReportEx::ToolbarButton>& buttons) override;
};

class DlgListReports : public DlgList {
public:
    enum : int { kConsoleType = 1059, kFormType = 49 };
    static const wchar_t* const kClipboardFormat;
    DlgListReports();
    void InitCaption() override { m_caption = L"Reports"; }
    void OpenItem(__int64 id, int item) override;
    void AddToolbarButtons(std::vector<CTListCtrlReportEx::ToolbarButton>& buttons) override;
    // The clipboard gets the id in the list's own format and as "ID=<id>" text.
    void CopyItem(__int64 id) override;
    // Asks the server to copy the report on the clipboard into the list's folder; nothing without one.
    void PasteItem() override;

    UINT m_format = 0;
};

class DlgListSlots : public DlgList {
public:
    enum : int { kConsoleType = 1042 };
    DlgListSlots() : DlgList(kConsoleType) {}
    void InitCaption() override { m_caption = L"Deployment Slot"; }
};
