#pragma once
// The deployments page of the schedule-group view.
#include "controls/CTListCtrlReportEx.h"
#include "schedulegroups/ScheduleGroupPage.h"

class DlgScheduleGroup::CPageDeployments : public DlgScheduleGroup::CPageBase {
public:
    CPageDeployments() : CPageBase(PageDeployments) {}

    // Answers the delete confirmation's icon request with the Deployment type's icon; the person
    // and computer panes' deployment lists use it too.
    static void SetDeleteIcon(DeleteConfirmInfo& info);
};
