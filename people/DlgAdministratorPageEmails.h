#pragma once
// The e-mails below the administrator the form shows. A form page: it keeps its own shown and
// pending flags and searches only while on show.
#include "framework/CWMForm.h"
#include "people/DlgAdministratorDlg.h"
#include "people/EmailList.h"

class DlgAdministratorDlg::CPageEmails : public CWindowManager::CWMFormPage {
public:
    enum : UINT { kTemplate = 352 };
    enum : int { kReqSearch = 1047, kSearchParam = 7 };
    RecordList m_list;
    int m_iconKey = -1;          // the "Email" icon key the form registered
    bool m_visible = false;
    bool m_loadPending = false;

    UINT GetTemplateId() override { return kTemplate; }
    bool CreatePage(HWND parent) override;
    bool Load() override;
    bool Save() override { return true; }
    bool Reserved() override { return false; }
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    void OnSearchReply(RequestResult& reply) { EmailList::Fill(m_list, reply, m_iconKey); }
    void OnEmailSent(const Object& email) { EmailList::AddSent(m_list, email, GetAdministratorId(), m_iconKey); }
    // The form is keyed by the administrator's id.
    __int64 GetAdministratorId() const { return m_form ? static_cast<__int64>(m_form->m_key) : 0; }

private:
    void Search();
    bool Run(RecordList::Action action);
};
