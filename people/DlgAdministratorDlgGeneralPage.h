#pragma once
// The "General" tab of the administrator form: names, contact and landing page, organisation,
// language and message service with their inherit switches, four console privileges, how the
// administrator's link access stands, the password reset, and the events recorded for it with the
// time of its last logon.
#include <map>
#include "controls/CTWndListCtrlEx2.h"
#include "framework/CTHyperLink.h"
#include "people/DlgAdministratorDlg.h"

class DlgAdministratorDlg::CGeneralPage : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 298;
    enum : int {
        kFirstName = 1041, kSurname = 1042, kEmail = 1043, kLandingPage = 1044, kPhone = 1045, kLastLogon = 1046,
        kResetPassword = 1052, kLinkAccessMore = 1054, kLogon = 1055, kLanguage = 1056, kChangePassword = 1057,
        kMsgService = 1062, kConsole = 1101, kSetup = 1102, kHomeAdmin = 1103, kOrganisation = 1128,
        kOrganisationMore = 1129, kOpenScheduleUser = 1158, kLanguageInherit = 1248, kMsgInherit = 1253,
        kLinkAccess = 1257, kOrganisationInherit = 1335, kHistory = 1016,
    };

    CTHyperLink m_organisationLink;
    CTHyperLink m_scheduleUserLink;
    CTWndListCtrlEx2 m_history;
    Object m_organisation;
    __int64 m_organisationId = 0;
    CTString m_unassigned = L"<not assigned>";
    std::map<__int64, CTString> m_languages;   // language number -> code
    bool m_languagesFilled = false;            // the language list arrived for this load
    int m_displayColumns = 0;

    explicit CGeneralPage(DlgAdministratorDlg* form);
    ~CGeneralPage() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Load() override;
    bool Save() override;
    UINT GetTemplateId() override { return kTemplateId; }
    bool CreatePage(HWND parent) override;

    void OnLanguages(RequestResult& reply);
    void OnOrganisation(RequestResult& reply);
    void OnEvents(TiXmlDocument& doc);
    void UpdateInherited();
    void CloseDropDown() {}

    // "<Disabled>" without a link-access id, the expiry as date and time, else "<Enabled>".
    static CTString LinkAccessText(const Object& administrator);
    // "Open Schedule User" is offered unless the administrator sits directly below usersFolder or
    // holds "SuperUser".
    static bool OffersScheduleUser(const Object& administrator, __int64 usersFolder);

private:
    DlgAdministratorDlg* m_admin = nullptr;
    Object& Admin() { return m_admin->m_object; }
    void Init();
    void SetText(int id, const CTString& text);
    void RequestEvents();
    void RequestMessageServices();
    void ResetPassword();
};
