// The deployment pane's workflow: status steps, completion, re-scheduling and the two-pass save.
#include "deployments/DlgDeployment.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "deployments/DeploymentLinks.h"
#include "deployments/DlgDeploymentPages.h"
#include "foundation/CTTime.h"
#include "foundation/UnixClock.h"
#include "session/DeploymentWorkflow.h"
#include "session/FormHelpers.h"

namespace {

CAttribute IdValue(__int64 id)
{
    return CAttribute(CAttribute::Integer, id);
}

LRESULT SelectedData(HWND combo, LRESULT none)
{
    LRESULT selection = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (selection == CB_ERR)
        return none;
    return ::SendMessageW(combo, CB_GETITEMDATA, selection, 0);
}

// A status code keeps the kind of value the deployment stores it as.
void SetStatusCode(Object& deployment, const CTString& code)
{
    const CTString name(L"deployment_status");
    const Object::Attribute* current = deployment.FindAttribute(name);
    if (current && !CAttribute::IsTextType(current->GetType()))
        deployment.SetAttribute(name, CAttribute(current->GetType(), ReadDecimal64(code.GetBuffer())));
    else
        deployment.SetAttribute(name, CAttribute(code));
}

} // namespace

void DlgDeployment::GetTransitionCodes(std::vector<CTString>& codes, const wchar_t* transition)
{
    codes.clear();
    if (!m_owner)
        return;
    const Object& deployment = GetSlot(SlotDeployment);
    CAttribute list;
    m_owner->m_cache.GetDeploymentStatusAttribute(list, deployment, CTString(transition));
    SplitAtBar(codes, CTString(list.GetText()));
    std::vector<CTString> kept;
    for (CTString& code : codes)
        if (!code.IsEmpty())
            kept.push_back(code);
    codes = kept;
    m_owner->m_cache.FilterAvailableStatusCodes(codes, deployment);
}

void DlgDeployment::StepStatus(bool forward)
{
    std::vector<CTString> codes;
    GetTransitionCodes(codes, forward ? L"code_next_success" : L"code_prev");
    if (codes.empty())
        return;
    SetStatusCode(m_objects[SlotDeployment], codes.front());
    SetModified(true);
    UpdateControls();
}

void DlgDeployment::Complete(bool succeed)
{
    std::vector<CTString> codes;
    GetTransitionCodes(codes, succeed ? L"code_next_success" : L"code_next_failure");
    if (codes.empty() || !m_owner)
        return;
    const __int64 now = UnixClock::Now();
    Object& administrator = m_objects[SlotAdministrator];
    administrator = m_owner->m_cache.administrator;
    Object& deployment = m_objects[SlotDeployment];
    SetStatusCode(deployment, codes.front());
    deployment.SetAttribute(CTString(L"completed"), CAttribute(CAttribute::Date, now));
    deployment.SetAttribute(CTString(L"link_administrator"), IdValue(administrator.id));
    // A succeeded deployment keeps the components it was given, even when its group changes later.
    if (succeed && deployment.IsAttributeDefault(CTString(L"deployable")))
        deployment.OverrideDefault(CTString(L"deployable"));
    const int32_t shown = static_cast<int32_t>(now);
    CTString text;
    FormatUnixDateTime(&shown, text, true);
    SetDlgItemTextW(m_hWnd, kIdCompleted, text.GetBuffer() ? text.GetBuffer() : L"");
    SetLinkName(m_administratorLink, administrator);
    ShowStatusIcon();
    SetModified(true);
    UpdateControls();
}

void DlgDeployment::ShowStatusIcon()
{
    m_statusIcon.Free();
    AddDeploymentStatusIcons(GetSlot(SlotDeployment), m_statusIcon);
    if (HWND item = GetDlgItem(m_hWnd, kIdStatusIcon)) {
        ::SendMessageW(item, STM_SETICON, reinterpret_cast<WPARAM>(m_statusIcon.GetHandle()), 0);
        RECT rect;
        GetWindowRect(item, &rect);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        InvalidateRect(m_hWnd, &rect, TRUE);
    }
}

void DlgDeployment::Reschedule()
{
    App* app = GetApp();
    const Object& deployment = GetSlot(SlotDeployment);
    if (app && DeploymentStatusShowsReschedule(deployment))
        app->m_db.QelReSchedule(static_cast<unsigned>(deployment.id), Route(kReqReschedule));
}

void DlgDeployment::ResetComputer(int slot)
{
    const bool deployed = slot == SlotDeployed;
    m_objects[SlotDeployment].ResetAttribute(CTString(deployed ? L"link_deployed_computer" : L"link_legacy_computer"));
    m_objects.erase(slot);
    SetLinkText(deployed ? m_deployedLink : m_legacyLink, m_noComputerText.GetBuffer());
}

bool DlgDeployment::IsTypeKnown() const
{
    if (!m_owner || !m_owner->m_cache.IsLoaded(MainWindowCache::LoadDeploymentTypes))
        return false;
    const __int64 type = LinkId(GetSlot(SlotDeployment), L"link_deployment_type");
    for (const Object& known : m_owner->m_cache.deploymentTypes)
        if (known.id == type)
            return true;
    return false;
}

void DlgDeployment::Save()
{
    EnableItem(kIdSave, false);
    App* app = GetApp();
    Object& deployment = m_objects[SlotDeployment];

    // Only a type the administrator chose is stored: an unlisted type leaves the stored one alone.
    const LRESULT type = SelectedData(GetDlgItem(m_hWnd, kIdType), -1);
    if (type != -1 && type != CB_ERR && static_cast<__int64>(type) != LinkId(deployment, L"link_deployment_type"))
        deployment.SetAttribute(CTString(L"link_deployment_type"), IdValue(static_cast<__int64>(type)));
    // A type's computers are dropped only by what the type says, never because it is not known here.
    if (IsTypeKnown()) {
        if (!HasTypeFlag(TypeLegacyAsset))
            ResetComputer(SlotLegacy);
        if (!HasTypeFlag(TypeNewAsset))
            ResetComputer(SlotDeployed);
    }

    // Computers first: the server checks and books them before the other changes go.
    const bool legacyChanged = deployment.IsAttributeDirty(CTString(L"link_legacy_computer")) &&
                               LinkId(deployment, L"link_legacy_computer") != 0;
    const bool deployedChanged = deployment.IsAttributeDirty(CTString(L"link_deployed_computer")) &&
                                 LinkId(deployment, L"link_deployed_computer") != 0;
    if (legacyChanged || deployedChanged) {
        if (app)
            app->m_db.QelSetDeploymentComputer(
                static_cast<unsigned>(deployment.id), static_cast<unsigned>(deployment.serial),
                static_cast<unsigned>(LinkId(deployment, L"link_deployment_type")),
                legacyChanged ? static_cast<unsigned>(LinkId(deployment, L"link_legacy_computer")) : DB::kNoComputer,
                deployedChanged ? static_cast<unsigned>(LinkId(deployment, L"link_deployed_computer")) : DB::kNoComputer,
                Route(kReqAssignComputer, 0, true));
        return;
    }

    const LRESULT slot = SelectedData(GetDlgItem(m_hWnd, kIdSlots), CB_ERR);
    if (slot == DeploymentWin::kNotAssigned) {
        deployment.ResetAttribute(CTString(L"link_deployment_slot"));
        deployment.ResetAttribute(CTString(L"end_date"));
    } else if (slot != CB_ERR) {
        deployment.SetAttribute(CTString(L"link_deployment_slot"), IdValue(static_cast<__int64>(slot)));
        CAttribute day = m_slots.DateOfWindow(static_cast<__int64>(slot));
        if (day.GetType() == CAttribute::Date)
            deployment.SetAttribute(CTString(L"end_date"), day);
    }
    const bool succeeded = DeploymentStatusIsSucceeded(deployment);
    const bool failed = DeploymentStatusIsFailed(deployment);
    if (!succeeded && !failed) {
        CAttribute completed;
        if (deployment.GetAttribute(completed, CTString(L"completed")).GetValue() != 0)
            deployment.SetAttribute(CTString(L"completed"), CAttribute(CAttribute::Date, static_cast<__int64>(0)));
        if (LinkId(deployment, L"link_administrator") != 0)
            deployment.SetAttribute(CTString(L"link_administrator"), IdValue(0));
    }
    if (failed && m_owner) {
        CAttribute ouFlags;
        m_owner->m_cache.systemSettings.GetAttribute(ouFlags, CTString(L"ou_attribs"));
        if ((ouFlags.GetValue() & 0x1) == 0) {
            ResetComputer(SlotDeployed);
            ShowWarning(kIdDeployedWarning, IsDeployedElsewhere());
        }
    }
    CTString tags;
    GetItemText(kIdTags, tags);
    deployment.SetAttribute(CTString(L"tag"), CAttribute(CAttribute::Text, tags));
    const LRESULT model = SelectedData(GetDlgItem(m_hWnd, kIdNewModel), 0);
    deployment.SetAttribute(CTString(L"link_deploy_model"),
                            IdValue(model == CB_ERR ? 0 : static_cast<__int64>(model)));
    const LRESULT failCode = SelectedData(GetDlgItem(m_hWnd, kIdFailCode), CB_ERR);
    if (failCode != CB_ERR)
        deployment.SetAttribute(CTString(L"link_fail_code"),
                                IdValue(static_cast<__int64>(static_cast<int>(failCode))));
    if (m_deploymentPage)
        m_deploymentPage->SaveRows(deployment);
    for (CLinkedListObject* item = m_pages.GetHead(); item; item = item->m_next) {
        auto* page = static_cast<CWMFormPage*>(item);
        if (page->IsEnabled())
            page->Save();
    }
    m_transferStep = 0;

    CAttributes changes;
    if (!deployment.CollectChanges(changes, true) || changes.GetCount() == 0)
        return;
    deployment.ApplyConsoleDisplayName();
    CAttributes privileges;
    if (app)
        app->m_db.ObjSet(static_cast<unsigned>(deployment.id), static_cast<unsigned>(deployment.serial),
                         deployment.name, changes, privileges, Route(kReqSave, 6));
}
