#include "session/DeploymentWorkflow.h"
#include <vector>
#include "framework/CTIcon.h"
#include "session/FormHelpers.h"
#include "session/MainWindowLookups.h"

namespace {

const CTString kCode(L"code");
const CTString kFlags(L"deployment_attribs");
const CTString kStatus(L"deployment_status");
const CTString kNextSuccess(L"code_next_success");

__int64 NumberOf(const CAttribute& value)
{
    return value.GetValue();   // 0 for a text value
}

// The flag word of the deployment's status; 0 without one.
DWORD StatusFlags(const Object& deployment)
{
    MainWindowLookups* lookups = MainWindowLookups::Installed();
    if (!lookups)
        return 0;
    CAttribute flags;
    lookups->GetDeploymentStatusAttribute(flags, deployment, kFlags);
    return static_cast<DWORD>(NumberOf(flags));
}

bool StatusBit(const Object& deployment, DWORD bit)
{
    return (StatusFlags(deployment) & 0xFF & bit) != 0;
}

// The flag word of the definition whose "code" is that text.
DWORD FlagsOfCode(const CTString& code)
{
    MainWindowLookups* lookups = MainWindowLookups::Installed();
    if (!lookups)
        return 0;
    Object definition;
    // Transition lists are text, while the definitions hold their code as a number: a numeric code
    // is looked up as one (text codes all look alike to a lookup that compares numbers).
    const wchar_t* text = code.GetBuffer() ? code.GetBuffer() : L"";
    bool numeric = *text != 0;
    for (const wchar_t* c = text; *c; ++c)
        numeric = numeric && *c >= L'0' && *c <= L'9';
    if (numeric)
        lookups->GetDeploymentStatus(definition, CAttribute(CAttribute::Integer, ReadDecimal64(text)));
    else
        lookups->GetDeploymentStatus(definition, CAttribute(code));
    CAttribute flags;
    definition.GetAttribute(flags, kFlags);
    return static_cast<DWORD>(NumberOf(flags));
}

bool LinkSet(const Object& deployment, const wchar_t* name)
{
    CAttribute value;
    deployment.GetAttribute(value, CTString(name));
    return value.HasValue();
}

bool TypeHas(const Object& deployment, DWORD mask)
{
    MainWindowLookups* lookups = MainWindowLookups::Installed();
    return lookups && lookups->HasDeploymentTypeFlag(deployment, mask);
}

// The codes of a transition list that the deployment's type allows, in order.
std::vector<CTString> AllowedCodes(const CTString& list, const Object& deployment)
{
    std::vector<CTString> codes;
    SplitAtBar(codes, list);
    if (MainWindowLookups* lookups = MainWindowLookups::Installed())
        lookups->FilterAvailableStatusCodes(codes, deployment);
    return codes;
}

} // namespace

bool DeploymentStatusIsSucceeded(const Object& deployment)
{
    return StatusBit(deployment, StatusSucceeded);
}

bool DeploymentStatusIsFailed(const Object& deployment)
{
    return StatusBit(deployment, StatusFailed);
}

bool DeploymentStatusShowsReschedule(const Object& deployment)
{
    return StatusBit(deployment, StatusShowReschedule);
}

bool DeploymentStatusAllowsConsoleEdit(const Object& deployment)
{
    return StatusBit(deployment, StatusConsoleEdit);
}

bool PreviousStatusAllowsConsoleEdit(const Object& deployment)
{
    CTString code;
    GetNextStatusCode(code, deployment, CTString(L"code_prev"));
    return (FlagsOfCode(code) & 0xFF & StatusConsoleEdit) != 0;
}

CAttribute MakeDeploymentStatusIcon(const Object& deployment, int succeededImage, int failedImage)
{
    CAttribute cell;
    cell.m_text.Empty();
    if (DeploymentStatusIsSucceeded(deployment))
        cell.SetValue(CAttribute::Integer2,
                      (static_cast<__int64>(static_cast<short>(succeededImage)) * 0x10000) | 7);
    if (DeploymentStatusIsFailed(deployment))
        cell.SetValue(CAttribute::Integer2, (static_cast<__int64>(static_cast<short>(failedImage)) * 0x10000) | 7);
    return cell;
}

void AddDeploymentStatusIcons(const Object& deployment, CTIcon& holder)
{
    const int size = GetSystemMetrics(SM_CXSMICON);
    if (DeploymentStatusIsSucceeded(deployment))
        holder.LoadFromExe(kIconStatusSucceeded, size);
    if (DeploymentStatusIsFailed(deployment))
        holder.LoadFromExe(kIconStatusFailed, size);
}

bool DeploymentMeetsStatusNeeds(const Object& deployment, DWORD flags)
{
    const bool locationRule = TypeHas(deployment, TypeTransferLegacyAsset | TypeTransferNewAsset) &&
                              TypeHas(deployment, TypeLegacyAsset | TypeNewAsset);
    if ((flags & StatusNeedUser) && !LinkSet(deployment, L"link_user"))
        return false;
    if ((flags & StatusNeedSlot) && !LinkSet(deployment, L"link_deployment_slot"))
        return false;
    if ((flags & StatusNeedLocation) && locationRule && !LinkSet(deployment, L"link_deployment_location"))
        return false;
    if (flags & StatusNeedDevice) {
        if (TypeHas(deployment, TypeLegacyAsset) && !LinkSet(deployment, L"link_legacy_computer"))
            return false;
        if (TypeHas(deployment, TypeNewAsset))
            return LinkSet(deployment, L"link_deployed_computer") || LinkSet(deployment, L"link_deploy_model");
    }
    return true;
}

bool CanAdvanceOnSuccess(const Object& deployment)
{
    MainWindowLookups* lookups = MainWindowLookups::Installed();
    if (!lookups || !(StatusFlags(deployment) & StatusShowSucceed))
        return false;
    CAttribute next;
    lookups->GetDeploymentStatusAttribute(next, deployment, kNextSuccess);
    std::vector<CTString> codes = AllowedCodes(next.GetString(), deployment);
    if (codes.empty())
        return false;
    return DeploymentMeetsStatusNeeds(deployment, FlagsOfCode(codes.front()) & 0xFFFF);
}

CTString& GetNextStatusCode(CTString& out, const Object& deployment, const CTString& transition)
{
    out.Empty();
    MainWindowLookups* lookups = MainWindowLookups::Installed();
    if (!lookups)
        return out;
    std::vector<Object> statuses;
    if (!lookups->GetAvailableStatuses(statuses, deployment))
        return out;
    CAttribute current;
    deployment.GetAttribute(current, kStatus);
    const Object* status = nullptr;
    for (const Object& candidate : statuses) {
        CAttribute code;
        candidate.GetAttribute(code, kCode);
        if (code.GetType() == current.GetType() && code.IsEqual(current)) {
            status = &candidate;
            break;
        }
    }
    if (!status)
        return out;
    CAttribute list;
    status->GetAttribute(list, transition);
    std::vector<CTString> codes = AllowedCodes(list.GetString(), deployment);
    if (codes.empty())
        return out;
    const CTString& code = codes.front();
    if (!DeploymentMeetsStatusNeeds(deployment, FlagsOfCode(code) & 0xFFFF))
        return out;
    if (transition.Compare(kNextSuccess) == 0 && CanAdvanceOnSuccess(deployment))
        return out;
    out = code;
    return out;
}

CTString& GetLinkedObjectName(CTString& out, const CTString& code)
{
    out.Empty();
    MainWindowLookups* lookups = MainWindowLookups::Installed();
    if (!lookups)
        return out;
    Object definition;
    lookups->GetDeploymentStatus(definition, CAttribute(code));
    const wchar_t* text = definition.name.GetUserText();
    out = text ? text : L"";
    return out;
}

const wchar_t* DeploymentFlagName(DWORD flag)
{
    switch (flag) {
    case StatusShowSucceed: return L"Show Succeed";
    case StatusShowFail: return L"Show Fail";
    case StatusSucceeded: return L"Succeeded";
    case StatusFailed: return L"Failed";
    case StatusShowReschedule: return L"Show Reschedule";
    case StatusConsoleEdit: return L"Console Edit";
    case StatusNeedUser: return L"Need User";
    case StatusNeedSlot: return L"Need Slot";
    case StatusNeedLocation: return L"Need Location";
    case StatusNeedDevice: return L"Need Device";
    case StatusLegacyDeviceLocked: return L"Legacy Device Locked";
    case StatusNewDeviceLocked: return L"New Device Locked";
    case StatusWebPortals: return L"Available for Web Portals";
    default: return L"";
    }
}
