#pragma once
// The computers page of the schedule-group view: the group's computers of exactly the "Computer"
// type, marked when they stand outside the group's deployment-route locations.
#include <map>
#include "schedulegroups/ScheduleGroupPage.h"

class DlgScheduleGroup::CPageComputers : public DlgScheduleGroup::CPageBase {
public:
    enum : int { kNewComputerConsole = 1014 };

    CPageComputers() : CPageBase(PageComputers) {}

    // Shows the wait cursor while the rows are rebuilt.
    void FillRows() override;
    void ApplyOverlay(int item, const Object& object) override;
    // New (257) opens the new-computer pane keyed by the view, or beeps without a deployment location.
    void OnListCommand(UINT command) override;

    // Whether a computer's row carries the overlay mark: it has a parent that is neither the group
    // nor a location of the route map of its asset type (asset type 1: the other routes, else the
    // legacy routes).
    static bool NeedsOverlay(const Object& computer, const std::map<__int64, Object>& legacyRoutes,
                             const std::map<__int64, Object>& otherRoutes, __int64 groupId);
    // Whether the group links to a deployment location.
    static bool HasDeploymentLocation(const Object& group);
};
