#include "people/DlgUserPageComputers.h"

#include "session/RequestResult.h"

RecordList::Layout DlgUser::CPageComputers::GetLayout() const
{
    RecordList::Layout layout;
    layout.columns = L"Name,250;";
    layout.emptyText = L"No computers assigned";
    return layout;
}

bool DlgUser::CPageComputers::SendSearch()
{
    SearchLinked(L"Computer", L"link_user", kSearchParam);
    return true;
}

void DlgUser::CPageComputers::OnSearchReply(RequestResult& reply)
{
    if (!IsUsableReply(reply) || !m_list.IsReady())
        return;
    std::vector<Object> objects;
    ReadReplyObjects(reply.document, objects);
    m_list.Clear();
    const int image = m_list.ImageFor(m_iconKey);
    for (const Object& computer : objects)
        m_list.AddComputerRow(computer, image);
    m_list.FitColumns();
}
