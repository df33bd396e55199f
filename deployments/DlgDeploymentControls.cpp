#include "deployments/DlgDeployment.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/MainWindow.h"
#include "deployments/DeploymentLinks.h"
#include "deployments/DlgDeploymentPages.h"
#include "session/DeploymentWorkflow.h"
#include "session/FormHelpers.h"

namespace {

enum : DWORD { kStatusShowFail = 0x2, kOuChat = 0x4 };

CTString UserText(const CTStringLocale& text)
{
    CTStringLocale copy(text);
    const wchar_t* user = copy.GetUserText();
    return CTString(user ? user : L"");
}

} // namespace

bool DlgDeployment::HasTypeFlag(DWORD flag) const
{
    return m_owner && m_owner->HasDeploymentTypeFlag(GetSlot(SlotDeployment), flag);
}

bool DlgDeployment::IsLegacyElsewhere() const
{
    const Object& legacy = GetSlot(SlotLegacy);
    if (legacy.id == 0)
        return false;
    if (!HasTypeFlag(TypeTransferLegacy))
        return legacy.parent != GetSlot(SlotParent).id;
    const Object& route = GetSlot(SlotLegacyRoute);
    return legacy.parent != route.parent && LinkId(route, L"link_container") != legacy.parent && route.id != 0;
}

bool DlgDeployment::IsDeployedElsewhere() const
{
    const Object& deployed = GetSlot(SlotDeployed);
    if (deployed.id == 0)
        return false;
    if (HasTypeFlag(TypeTransferNew))
        return !IsDeployedComputerAtRoute();
    return deployed.parent != GetSlot(SlotParent).id;
}

bool DlgDeployment::IsDeployedComputerAtRoute() const
{
    const __int64 parent = GetSlot(SlotDeployed).parent;
    for (const auto& [key, route] : m_routes)
        if (route.parent == parent || LinkId(route, L"link_container") == parent)
            return true;
    return false;
}

CTString DlgDeployment::BuildStatusMarkup(const CTString& statusName)
{
    CTString first, second;
    int blank = statusName.FindChar(L' ');
    if (blank < 0) {
        first = statusName;
    } else {
        statusName.Left(first, static_cast<unsigned>(blank));
        statusName.MidToEnd(second, blank + 1);
    }
    first.XmlEscape();
    second.XmlEscape();
    CTString markup(L"<Div width=\"100%\"><Text font-size=\"28\" font-weight=\"600\" font-family=\"Tahoma\" "
                    L"text-align=\"center\" color=\"#000000\">");
    markup.Append(first);
    markup.AppendText(L"</Text><BR /><Text font-size=\"9\" font-family=\"Tahoma\" text-align=\"center\" "
                      L"color=\"#030303\">");
    markup.Append(second);
    markup.AppendText(L"</Text></Div>");
    return markup;
}

void DlgDeployment::UpdateControls()
{
    if (!m_hWnd)
        return;
    const Object& deployment = GetSlot(SlotDeployment);
    const Object& user = GetSlot(SlotUser);
    const Object& legacy = GetSlot(SlotLegacy);
    const Object& deployed = GetSlot(SlotDeployed);
    const Object& route = GetSlot(SlotLegacyRoute);
    const bool consoleEdit = DeploymentStatusAllowsConsoleEdit(deployment);
    const bool succeeded = DeploymentStatusIsSucceeded(deployment);
    const bool failed = DeploymentStatusIsFailed(deployment);
    const bool done = succeeded || failed;
    const bool busy = m_owner && m_owner->GetStartupMask() != 0 && !m_owner->m_idle;
    Object status;
    if (m_owner) {
        CAttribute code;
        deployment.GetAttribute(code, CTString(L"deployment_status"));
        m_owner->GetDeploymentStatus(status, code);
    }
    CAttribute statusFlags;
    status.GetAttribute(statusFlags, CTString(L"deployment_attribs"));

    for (int id : {kIdCompleted, kIdStatusIcon, kIdAdministratorLink})
        ShowItem(id, done);
    ShowItem(kIdFailCode, failed);
    ShowItem(kIdPrevious, LinkId(deployment, L"link_deployment_prev") != 0);
    ShowItem(kIdNext, LinkId(deployment, L"link_deployment_next") != 0);
    // The type list only follows the stored type: a type that the list does not offer stays as it
    // is, and only a choice in the list changes it.
    EnableItem(kIdType, consoleEdit);

    const bool legacyAsset = HasTypeFlag(TypeLegacyAsset);
    const bool newAsset = HasTypeFlag(TypeNewAsset);
    const bool newModel = HasTypeFlag(TypeNewModel);
    const bool transferLegacy = HasTypeFlag(TypeTransferLegacy);
    const bool transferNew = HasTypeFlag(TypeTransferNew);

    EnableItem(kIdPickDeployed, newAsset && (consoleEdit || (succeeded && m_modified)));
    const bool reschedule = DeploymentStatusShowsReschedule(deployment);
    ShowItem(kIdReschedule, reschedule);
    EnableItem(kIdReschedule, !m_modified && reschedule);
    ShowWarning(kIdLegacyWarning, IsLegacyElsewhere());
    ShowWarning(kIdDeployedWarning, IsDeployedElsewhere());

    const bool newPossible = transferNew && deployed.id != 0 &&
                             (m_routes.count(deployed.parent) != 0 || deployed.parent == GetSlot(SlotParent).id);
    const bool legacyPossible = transferLegacy && legacy.id != 0 &&
                                legacy.parent == (route.parent != 0 ? route.parent : GetSlot(SlotParent).id);
    ShowItem(kIdTransfer, succeeded && (transferLegacy || transferNew));
    EnableItem(kIdTransfer, !m_modified && succeeded && (newPossible || legacyPossible));

    EnableItem(kIdPickLegacy, consoleEdit && legacyAsset);
    EnableItem(kIdPickUser, consoleEdit);
    CAttribute ouFlags;
    if (m_owner)
        m_owner->m_cache.systemSettings.GetAttribute(ouFlags, CTString(L"ou_attribs"));
    ShowItem(kIdChat, (ouFlags.GetValue() & kOuChat) != 0);
    CAttribute email;
    user.GetAttribute(email, CTString(L"email_address"));
    EnableItem(kIdChat, user.id != 0 && !email.IsEmpty());
    EnableItem(kIdCopyLink, user.id != 0 && HasLinkAccess(&user));

    EnableItem(kIdNewModel, consoleEdit && newModel);
    if (!newModel)
        SendDlgItemMessageW(m_hWnd, kIdNewModel, CB_SETCURSEL, 0, 0);
    EnableItem(kIdSlots, consoleEdit);
    if (m_deploymentPage)
        m_deploymentPage->SetReadOnly(!consoleEdit);
    if (m_settingsPage) {
        if (m_settingsPage->m_hWnd)
            EnableWindow(GetDlgItem(m_settingsPage->m_hWnd, CPageSettings::kIdSurveyInherit), TRUE);
        m_settingsPage->UpdateEnables();
    }

    ShowItem(kIdSucceed, CanAdvanceOnSuccess(deployment));
    ShowItem(kIdFail, (statusFlags.GetValue() & kStatusShowFail) != 0);
    CTString next;
    EnableItem(kIdPreviousStatus, !GetNextStatusCode(next, deployment, CTString(L"code_prev")).IsEmpty());
    EnableItem(kIdNextStatus, !GetNextStatusCode(next, deployment, CTString(L"code_next_success")).IsEmpty());
    EnableItem(kIdMove, consoleEdit && !done);
    HWND typeList = GetDlgItem(m_hWnd, kIdType);
    LRESULT selection = ::SendMessageW(typeList, CB_GETCURSEL, 0, 0);
    LRESULT typeData = selection == CB_ERR ? -1 : ::SendMessageW(typeList, CB_GETITEMDATA, selection, 0);
    const bool active = m_owner && m_owner->m_cache.IsDeploymentStatusActive(deployment);
    EnableItem(kIdDuplicate, !m_modified && typeData != -1 && !active);

    m_statusDraw.SetText(BuildStatusMarkup(UserText(status.name)));
    m_statusDraw.ParseText();

    if (m_deployablePage)
        m_deployablePage->SetReadOnly(!consoleEdit);

    bool save = m_modified && !busy;
    if (save && succeeded && newAsset)
        save = LinkId(deployment, L"link_deployed_computer") != 0 || deployed.parent != 0;
    EnableItem(kIdSave, save);
}

void DlgDeployment::UpdateTabImages()
{
    if (!m_tab)
        return;
    auto image = [&](int key) {
        auto it = m_tabImageIndex.find(key);
        return it == m_tabImageIndex.end() ? -1 : it->second;
    };
    bool changed = false;
    const int count = static_cast<int>(::SendMessageW(m_tab, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TCITEMW item = {};
        item.mask = TCIF_IMAGE | TCIF_PARAM;
        if (!::SendMessageW(m_tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item)))
            continue;
        auto* page = reinterpret_cast<CWMFormPage*>(item.lParam);
        int wanted = -1;
        if (page && page == m_exceptionsPage) {
            wanted = m_exceptionsPage->RowCount() > 0 ? image(TabImageWarning) : -1;
        } else if (page && page == m_tasksPage) {
            if (m_tasksPage->m_dueState == 3)
                wanted = image(TabImageDueSoon);
            else if (m_tasksPage->m_dueState == 4)
                wanted = image(TabImageOverdue);
        } else if (page && page == m_requestsPage) {
            wanted = image(TabImageRequests);
        }
        if (item.iImage != wanted) {
            TCITEMW update = {};
            update.mask = TCIF_IMAGE;
            update.iImage = wanted;
            ::SendMessageW(m_tab, TCM_SETITEMW, i, reinterpret_cast<LPARAM>(&update));
            if (page)
                page->m_imageIndex = wanted;
            changed = true;
        }
    }
    if (changed) {
        RECT client;
        GetClientRect(m_hWnd, &client);
        Relayout(client.right, client.bottom, true);
    }
}
