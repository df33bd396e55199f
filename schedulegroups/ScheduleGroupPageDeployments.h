#pragma once
// The deployments page of the schedule-group view: the group's deployments with their status
// images, filtered by six panels (deployment window, status, fail code, administrator, exception,
// tag) and handed to the user or deployment wizard as a selection or by a drop on a panel entry.
#include <map>
#include "controls/CTListCtrlReportEx.h"
#include "schedulegroups/ScheduleGroupPage.h"

class DlgScheduleGroup::CPageDeployments : public DlgScheduleGroup::CPageBase {
public:
    enum : int { kUserWizardType = 9, kDeploymentWizardType = 10, kCmdUserWizard = 166, kCmdDeploymentWizard = 167 };
    enum ImageKey : int { ImageSucceeded = 502, ImageFailed = 503 };
    enum : BYTE { kOverdueColour = 1 };

    CPageDeployments() : CPageBase(PageDeployments) { m_initialPanel = 1; }

    bool Create(HWND parent) override;
    std::vector<ColHeading> FixedColumns() const override;
    std::vector<CTListCtrlReportEx::ToolbarButton> ToolbarButtons() const override;
    UINT ItemNameId() const override { return 140; }
    CTString EmptyText() const override;

    void OnLoadState(int bits) override;
    // Shows the wait cursor while the rows are rebuilt.
    void FillRows() override;
    // A user or computer refreshes the rows of its deployments; a deployment is added, updated or
    // removed by what the current panel accepts before and after; the panels recount.
    void UpdateObjectRow(const Object& object, const Object* old) override;
    // Icons (1022) replace row images; path, lookup and deployment-window replies go to the panels.
    void OnIconArrived(RequestResult& result) override;
    void OnSlotUpdate(DB::Slot& slot) override;
    void ForwardToPanel(WPARAM wParam, LPARAM lParam) override;
    // The deployment-window panel's record, which the view reads for its summary.
    DeploymentWin* GetWindowRecord() override;
    // A deployment whose user is cached and belongs to another parent than the group.
    void ApplyOverlay(int item, const Object& object) override;
    void OnListCommand(UINT command) override;
    void OpenWizard() override { OpenDeploymentWizard(); }
    // Kind 0: the selected deployments' users; kind 1: the selected deployments.
    void CollectSelection(int wizardKind, std::map<__int64, int>& out) override;

    void OpenDeploymentWizard();
    void OpenUserWizard();

    static bool NeedsOverlay(const Object& deployment, const std::map<__int64, Object>& objects, __int64 groupId);
    // Answers the delete confirmation's icon request with the Deployment type's icon; the person
    // and computer panes' deployment lists use it too.
    static void SetDeleteIcon(DeleteConfirmInfo& info);

protected:
    void CreatePanels() override;

private:
    void UpdateDeploymentRow(const Object& object, const Object* old);
    // The view's objects go to the directory cache before a wizard opens (placeholders left out).
    void MergeIntoDirectory();
    void OpenWizardWindow(int type);
};
