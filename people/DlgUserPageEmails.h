#pragma once
// The e-mails below the shown person.
#include "people/DlgUser.h"
#include "people/EmailList.h"
#include "people/RecordListPage.h"

class DlgUser::CPageEmails : public RecordListPage {
public:
    enum : UINT { kTemplate = 352 };
    enum : int { kSearchParam = 3 };
    int m_iconKey = -1;   // the "Email" icon key the pane registered

    UINT GetTemplateId() override { return kTemplate; }
    RecordList::Layout GetLayout() const override { return EmailList::GetLayout(); }
    int GetOpenConsole() const override { return EmailList::kConsoleEmail; }
    bool SendSearch() override;
    void OnNew() override { EmailList::OpenWizard(m_hWnd, GetShownId()); }
    void OnSearchReply(RequestResult& reply) { EmailList::Fill(m_list, reply, m_iconKey); }
    void OnEmailSent(const Object& email) { EmailList::AddSent(m_list, email, GetShownId(), m_iconKey); }
};
