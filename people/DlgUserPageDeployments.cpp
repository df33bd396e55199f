#include "people/DlgUserPageDeployments.h"

#include "app/App.h"
#include "schedulegroups/ScheduleGroupPageDeployments.h"
#include "session/RequestResult.h"

RecordList::Layout DlgUser::CPageDeployments::GetLayout() const
{
    RecordList::Layout layout;
    layout.columns = L"Name,250;Type;Status,100;Completed,100;Success,20;";
    layout.emptyText = L"No deployments assigned";
    layout.buttons = RecordList::ButtonNew | RecordList::ButtonOpen | RecordList::ButtonDelete;
    layout.confirmDelete = true;
    return layout;
}

bool DlgUser::CPageDeployments::SendSearch()
{
    SearchLinked(L"Deployment", L"link_user", kSearchParam);
    return true;
}

void DlgUser::CPageDeployments::OnNew()
{
    if (RecordPageHost* host = GetPageHost())
        host->NewDeployment();
}

void DlgUser::CPageDeployments::OnDelete()
{
    __int64 id = m_list.SelectedId();
    App* app = GetApp();
    if (id == 0 || !app)
        return;
    for (const Object& deployment : m_branch.children) {
        if (deployment.id != id)
            continue;
        RequestRoute route;   // to the application, which tells every user pane
        route.requestId = kReqDelete;
        route.param2 = kConsoleDeployment;
        app->m_db.ObjDelete(static_cast<unsigned>(deployment.id), static_cast<unsigned>(deployment.serial), route);
        return;
    }
}

void DlgUser::CPageDeployments::OnDeleteIcon(DeleteConfirmInfo& info)
{
    DlgScheduleGroup::CPageDeployments::SetDeleteIcon(info);
}

void DlgUser::CPageDeployments::OnSearchReply(RequestResult& reply)
{
    if (!IsUsableReply(reply) || !m_list.IsReady())
        return;
    std::vector<Object> objects;
    ReadReplyObjects(reply.document, objects);
    m_list.Clear();
    App* app = GetApp();
    const int image = m_list.ImageFor(m_iconKey);
    for (const Object& deployment : objects) {
        m_branch.AddChild(deployment);
        m_list.AddDeploymentRow(deployment, false, 0, image, m_succeededImage, m_failedImage);
        if (app)
            app->IDToPath(deployment.parent, Route(1028, deployment.id));
    }
    m_list.FitColumns();
}

void DlgUser::CPageDeployments::OnDeploymentDeleted(__int64 deploymentId)
{
    m_list.RemoveRow(deploymentId);
}
