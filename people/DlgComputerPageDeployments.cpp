#include "people/DlgComputerPageDeployments.h"

#include <commctrl.h>
#include "app/App.h"
#include "session/RequestResult.h"

DlgComputer::CPageDeployments::~CPageDeployments()
{
    if (m_list.IsReady())
        ListView_DeleteAllItems(m_list.Report().m_hWnd);
}

RecordList::Layout DlgComputer::CPageDeployments::GetLayout() const
{
    RecordList::Layout layout;
    layout.columns = L"Name,250;Type;Status,100;Locked,40;Completed,100;Success,20;";
    layout.emptyText = L"No deployments assigned";
    return layout;
}

void DlgComputer::CPageDeployments::Search()
{
    m_list.Clear();
    m_needsLoading = false;
    SearchLinked(L"Deployment", L"link_legacy_computer", 0);
    SearchLinked(L"Deployment", L"link_deployed_computer", 0);
}

void DlgComputer::CPageDeployments::OnSearchReply(RequestResult& reply)
{
    if (!IsUsableReply(reply) || !m_list.IsReady())
        return;
    std::vector<Object> objects;
    ReadReplyObjects(reply.document, objects);
    CAttribute lock;
    if (Object* computer = GetShown())
        computer->GetAttribute(lock, CTString(L"link_deployment_lock"));
    App* app = GetApp();
    const int image = m_list.ImageFor(m_iconKey);
    for (const Object& deployment : objects) {
        if (m_list.FindRow(deployment.id) >= 0)
            continue;
        m_list.AddDeploymentRow(deployment, true, lock.GetValue(), image, m_succeededImage, m_failedImage);
        if (app)
            app->IDToPath(deployment.parent, Route(1028, deployment.id));
    }
    m_list.FitColumns();
}
