#pragma once
// The users page of the schedule-group view: the group's people, of the "Schedule User" type and
// the types derived from it, handed to the user wizard as a selection or by a drop on a tag.
#include <map>
#include "schedulegroups/ScheduleGroupPage.h"

class DlgScheduleGroup::CPageUsers : public DlgScheduleGroup::CPageBase {
public:
    enum : int { kNewUserConsole = 1028, kUserWizardType = 9, kCmdUserWizard = 166 };

    CPageUsers() : CPageBase(PageUsers) {}

    std::vector<ColHeading> FixedColumns() const override;
    std::vector<CTListCtrlReportEx::ToolbarButton> ToolbarButtons() const override;
    bool Create(HWND parent) override;
    // Only a rebuild marks rows: a user whose parent is set and is not the group.
    void ApplyOverlay(int item, const Object& object) override;
    // New (257) opens the new-user pane keyed by the group; 166 the user wizard.
    void OnListCommand(UINT command) override;
    void OpenWizard() override;
    // Kind 0 (the user wizard): the selected rows' ids.
    void CollectSelection(int wizardKind, std::map<__int64, int>& out) override;

    static bool NeedsOverlay(const Object& user, __int64 groupId);
    // Puts icon resource id on the toolbar button of the same command.
    static void SetWizardButtonImage(CTWndListCtrlEx2& frame, UINT id);
};
