#include "deployments/DlgDeployment.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "deployments/DeploymentLinks.h"
#include "deployments/DlgDeploymentPages.h"

namespace {

CAttribute IdValue(__int64 id)
{
    return CAttribute(CAttribute::Integer, id);
}

// The position of a text among the allowed values of the "Computer" type's "asset_type".
__int64 AssetTypeIndex(MainWindow* main, const wchar_t* text)
{
    __int64 index = -1;
    if (main) {
        Object computer;
        main->GetTypeByName(computer, CTString(L"Computer"));
        if (!computer.FindAllowedValueIndex(CTString(L"asset_type"), CTString(text), index))
            index = -1;
    }
    return index;
}

} // namespace

void DlgDeployment::OnSlotOrTypeChanged(int control)
{
    Object& deployment = m_objects[SlotDeployment];
    HWND slots = GetDlgItem(m_hWnd, kIdSlots);
    LRESULT slot = ::SendMessageW(slots, CB_GETCURSEL, 0, 0);
    if (slot != CB_ERR) {
        LRESULT data = ::SendMessageW(slots, CB_GETITEMDATA, slot, 0);
        deployment.SetAttribute(CTString(L"link_deployment_slot"),
                                IdValue(data == DeploymentWin::kNotAssigned ? 0 : static_cast<__int64>(data)));
    }
    if (control == kIdType) {
        HWND types = GetDlgItem(m_hWnd, kIdType);
        LRESULT type = ::SendMessageW(types, CB_GETCURSEL, 0, 0);
        LRESULT data = type == CB_ERR ? -1 : ::SendMessageW(types, CB_GETITEMDATA, type, 0);
        if (data != -1 && data != CB_ERR && static_cast<__int64>(data) != LinkId(deployment, L"link_deployment_type"))
            deployment.SetAttribute(CTString(L"link_deployment_type"), IdValue(static_cast<__int64>(data)));
    }
    SetModified(true);
    UpdateControls();
}

void DlgDeployment::OnComputerPicked(__int64 key, const Object* computer)
{
    auto it = m_computerChoices.find(key);
    // The record says which computer the picker was opened for: by the "New" asset type when the
    // type definition lists it, otherwise by the mark the pane left in the record.
    const __int64 newIndex = AssetTypeIndex(m_owner, L"New");
    bool deployed = false;
    if (it != m_computerChoices.end())
        deployed = newIndex >= 0 ? it->second.assetType.GetValue() == newIndex : it->second.reserved == 1;
    Object& slot = m_objects[deployed ? SlotDeployed : SlotLegacy];
    if (computer)
        slot = *computer;
    else
        slot = Object();
    const wchar_t* attribute = deployed ? L"link_deployed_computer" : L"link_legacy_computer";
    m_objects[SlotDeployment].SetAttribute(CTString(attribute), IdValue(slot.id));
    CTHyperLink& link = deployed ? m_deployedLink : m_legacyLink;
    if (slot.id != 0)
        SetLinkName(link, slot);
    else
        SetLinkText(link, m_noComputerText.GetBuffer());
    if (it != m_computerChoices.end())
        m_computerChoices.erase(it);
    SetModified(true);
    UpdateControls();
}

void DlgDeployment::OnUserPicked(__int64 userId)
{
    if (userId == 0) {
        ClearUser();
        return;
    }
    App* app = GetApp();
    if (!app)
        return;
    // The user is taken once the cache holds it.
    app->m_dir.RequestObject(userId, 0, Route(0), [this, userId] { SetUser(userId); }, nullptr);
}

void DlgDeployment::SetUser(__int64 userId)
{
    m_objects[SlotDeployment].SetAttribute(CTString(L"link_user"), IdValue(userId));
    OnUserLoaded();
    UpdateControls();
    SetModified(true);
}

void DlgDeployment::ClearUser()
{
    m_objects.erase(SlotUser);
    m_objects[SlotDeployment].ResetAttribute(CTString(L"link_user"));
    ShowNoUser();
    UpdateControls();
    SetModified(true);
}

void DlgDeployment::OnLocationPicked(__int64 locationId)
{
    Object& deployment = m_objects[SlotDeployment];
    App* app = GetApp();
    if (locationId != 0)
        deployment.SetAttribute(CTString(L"link_deployment_location"), IdValue(locationId));
    else
        deployment.ResetAttribute(CTString(L"link_deployment_location"));
    const __int64 location = LinkId(deployment, L"link_deployment_location");
    if (location != 0 && app) {
        app->IDToPath(location, Route(kReqPath, kPathOfLocation));
        app->m_db.QelGetDeploymentRoutes(static_cast<unsigned>(location), Route(kReqRoutes));
    } else {
        if (m_settingsPage)
            m_settingsPage->SetLocationText(m_noUserText.GetBuffer());
        m_objects.erase(SlotLegacyRoute);
        m_routes.clear();
    }
    UpdateControls();
    SetModified(true);
}
