#pragma once
// The "Schedule" panel of the deployments page: an owner-drawn list of the group's deployment
// windows by day, with "<all deployments>" and "<not assigned>" first. The choice is the chosen
// entry's item data: all deployments, deployments in no window, or the id of one window.
#include <windows.h>
#include "calendars/model/DeploymentWin.h"
#include "framework/CTWnd2.h"
#include "schedulegroups/ScheduleGroupPanels.h"

class DlgScheduleGroup::DlgLHSSlot : public DlgScheduleGroup::DlgLHSBase, public CTWnd2 {
public:
    enum : int { kIdList = 1040 };
    static constexpr unsigned __int64 kAll = 0xFFFFFFFEull;
    static constexpr unsigned __int64 kNotAssigned = 0xFFFFFFFDull;

    DlgLHSSlot(HWND host, CPageBase* owner);
    ~DlgLHSSlot() override;

    DeploymentWin m_windows;
    __int64 m_deploymentType = 0;

    HWND GetHwnd() override { return m_hWnd; }
    bool Accepts(const Object& object) override;
    int DragOver(bool tracking, POINT screenPoint) override;
    void OnResult(const RequestResult& result) override;
    void OnSlotUpdate(const DB::Slot& slot) override;
    int GetKind() override { return KindSlot; }

    // The list box's own messages: the owner-draw messages the host forwards, and its selection.
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Whether a deployment passes a choice, by its "link_deployment_slot".
    static bool PassesChoice(const Object& deployment, unsigned __int64 choice);

private:
    void TakeSelection();
};
