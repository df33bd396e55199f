#include "schedulegroups/ScheduleGroupPanelDepStatus.h"

#include "app/MainWindow.h"
#include "schedulegroups/ScheduleGroupPage.h"
#include "session/DeploymentWorkflow.h"

namespace {

__int64 StatusIdOf(const Object& deployment, MainWindow& main)
{
    CAttribute code;
    deployment.GetAttribute(code, CTString(L"deployment_status"));
    Object status;
    main.GetDeploymentStatus(status, code);
    return status.id;
}

// A status's "code" as text; empty when missing.
CTString CodeText(const Object& status)
{
    CAttribute code;
    status.GetAttribute(code, CTString(L"code"));
    if (CAttribute::IsTextType(code.GetType()))
        return CTString(code.GetText());
    wchar_t number[24];
    _snwprintf(number, 24, L"%I64d", code.GetValue());
    return CTString(number);
}

} // namespace

DlgScheduleGroup::DlgLHSDepStatus::DlgLHSDepStatus(HWND host, CPageBase* owner)
    : DlgLHSBase(owner, CTString(L"Status"))
{
    CreateList(*this, host);
    m_sorting = false;
}

bool DlgScheduleGroup::DlgLHSDepStatus::PassesChoice(const Object& deployment, unsigned __int64 choice,
                                                     MainWindow& main)
{
    switch (choice) {
    case EntryAll: return true;
    case EntryActive: return main.m_cache.IsDeploymentStatusActive(deployment);
    case EntryCompleted: return DeploymentStatusIsSucceeded(deployment) || DeploymentStatusIsFailed(deployment);
    case EntrySucceeded: return DeploymentStatusIsSucceeded(deployment);
    case EntryFailed: return DeploymentStatusIsFailed(deployment);
    default: return StatusIdOf(deployment, main) == static_cast<__int64>(choice);
    }
}

bool DlgScheduleGroup::DlgLHSDepStatus::Accepts(const Object& object)
{
    MainWindow* main = Main();
    const __int64 deployment = DeploymentType();
    if (!main || deployment == 0 || object.type != deployment)
        return false;
    return PassesChoice(object, m_choice, *main);
}

std::map<__int64, int> DlgScheduleGroup::DlgLHSDepStatus::Count(const std::map<__int64, Object>& objects,
                                                                __int64 deploymentType, MainWindow& main)
{
    std::map<__int64, int> counts;
    if (deploymentType == 0)
        return counts;
    for (const auto& [id, object] : objects) {
        if (object.id == 0 || object.type != deploymentType)
            continue;
        ++counts[EntryAll];
        if (main.m_cache.IsDeploymentStatusActive(object))
            ++counts[EntryActive];
        const bool succeeded = DeploymentStatusIsSucceeded(object), failed = DeploymentStatusIsFailed(object);
        if (succeeded || failed)
            ++counts[EntryCompleted];
        if (succeeded)
            ++counts[EntrySucceeded];
        if (failed)
            ++counts[EntryFailed];
        if (const __int64 status = StatusIdOf(object, main); status != 0)
            ++counts[status];
    }
    return counts;
}

void DlgScheduleGroup::DlgLHSDepStatus::Rebuild()
{
    if (!BeginRebuild(*this, true))
        return;
    m_counts.clear();
    DlgScheduleGroup* view = View();
    MainWindow* main = Main();
    if (view && main)
        m_counts = Count(view->m_objects, DeploymentType(), *main);
    AddItem(EntryAll, CTString(L"<all deployments>"), true);
    AddItem(EntryActive, CTString(L"<active>"), true);
    AddItem(EntryCompleted, CTString(L"<completed>"), true);
    AddItem(EntrySucceeded, CTString(L"<suceeded>"), true);
    AddItem(EntryFailed, CTString(L"<failed>"), true);
    std::vector<Object> statuses;
    if (main && main->m_cache.GetDeploymentStatuses(statuses))
        for (const Object& status : statuses) {
            CTString name;
            GetLinkedObjectName(name, CodeText(status));
            AddItem(static_cast<unsigned __int64>(status.id), name, true);
        }
    EndRebuild(*this);
}

void DlgScheduleGroup::DlgLHSDepStatus::OnObjectChanged(const Object& now, const Object* old)
{
    (void)old;
    if (now.type != 0 && now.type == DeploymentType())
        Rebuild();
}

bool DlgScheduleGroup::DlgLHSDepStatus::GetItemMarkup(unsigned __int64 key, const CTString& escapedText, DWORD state,
                                                      CTString& out)
{
    (void)state;
    auto found = m_counts.find(static_cast<__int64>(key));
    out = RowMarkup(key, escapedText, W1, T1, found != m_counts.end() ? CountBadge(found->second) : EmptyBadge());
    return true;
}
