#include "schedulegroups/ScheduleGroupPageComputers.h"

#include "app/MainWindow.h"
#include "framework/CTApp.h"

void DlgScheduleGroup::CPageComputers::FillRows()
{
    // A rebuild that waits for fetches leaves the cursor alone.
    if (!ReadyToFill())
        return;
    CTApp* app = CTApp::Instance();
    if (app)
        app->AddWaitCursor(1);
    CPageBase::FillRows();
    if (app)
        app->AddWaitCursor(-1);
}

bool DlgScheduleGroup::CPageComputers::NeedsOverlay(const Object& computer, const std::map<__int64, Object>& legacyRoutes,
                                                    const std::map<__int64, Object>& otherRoutes, __int64 groupId)
{
    const __int64 parent = computer.parent;
    if (parent == 0 || parent == groupId)
        return false;
    CAttribute assetType;
    computer.GetAttribute(assetType, CTString(L"asset_type"));
    const __int64 kind = CAttribute::IsTextType(assetType.GetType()) ? _wtoi(assetType.GetText()) : assetType.GetValue();
    const std::map<__int64, Object>& routes = kind == 1 ? otherRoutes : legacyRoutes;
    return routes.count(parent) == 0;
}

void DlgScheduleGroup::CPageComputers::ApplyOverlay(int item, const Object& object)
{
    // An update never clears a mark set earlier.
    if (m_view && NeedsOverlay(object, m_view->m_legacyRoutes, m_view->m_otherRoutes, m_view->m_group.id))
        m_list.SetRowOverlay(item, kOverlayImage);
}

bool DlgScheduleGroup::CPageComputers::HasDeploymentLocation(const Object& group)
{
    std::vector<__int64> ids;
    for (__int64 id : group.GetLinkArray(ids, CTString(L"link_deployment_location")))
        if (id != 0)
            return true;
    // A single link rather than an array.
    CAttribute value;
    group.GetAttribute(value, CTString(L"link_deployment_location"));
    return !CAttribute::IsTextType(value.GetType()) && value.GetValue() != 0;
}

void DlgScheduleGroup::CPageComputers::OnListCommand(UINT command)
{
    if (command != CTListCtrlReportEx::CmdNew) {
        CPageBase::OnListCommand(command);
        return;
    }
    MainWindow* main = m_view ? m_view->Main() : nullptr;
    if (!main || !HasDeploymentLocation(m_view->m_group)) {
        MessageBeep(MB_ICONASTERISK);
        return;
    }
    // The new-computer pane asks this view for the default location of its asset type.
    main->ShowConsole(kNewComputerConsole, reinterpret_cast<__int64>(m_view), false);
}
