#pragma once
// The form of an administrator (window type 5, keyed by its id) and the pages it hosts. Besides the
// administrator's own attributes it edits the link objects below it (menus, portal pages, schedule
// groups, asset locations, order folders), its group memberships, rights and report access. A save
// goes out in several requests; it is complete, and OK closes the form, only once every part has
// answered. A part that fails leaves the form open and modified.
#include <vector>
#include "structure/ObjectForm.h"

class AccessRightsPage;
class CPickPage;
class CTWndToolbar;

class DlgAdministratorDlg : public ObjectForm {
public:
    class CGeneralPage;
    class CPageEmails;
    class CGroupsPage;
    class CReportsV3Page;
    class DlgRequestsPage;

    static constexpr int kWindowType = 5;
    static constexpr int kReqChoices = 1047, kReqHint = 1046, kReqReset = 1037, kReqLanguages = 1067;
    static constexpr int kReqEmailNotice = 1069, kReqRequestChanged = 1107, kReqNamePath = 1029;
    static constexpr int kReqStore = 1058, kReqLoadRights = 1059;
    static constexpr int kNoticeSaved = 1003, kAdministratorsConsole = 1016;
    static constexpr int kCmdAuthorAccess = 412;
    static constexpr UINT kMsgPartSaved = WM_USER + 4;

    // Save-mask bits of the parts of a save.
    enum : int {
        SavedObject = 1, SavedMenus = 2, SavedAssetLocations = 4, SavedSecurity = 8, SavedScheduleGroups = 16,
        SavedReportsV3 = 32, SavedOrders = 64, SavedAdminPortal = 128, SavedReports = 256, SavedGroups = 512,
    };
    // Second parameters of the choice searches.
    enum : int {
        ChoiceMenus = 0, ChoiceAssetLocations = 1, ChoiceScheduleGroups = 2, ChoiceReportsV3 = 4, ChoiceOrders = 5,
        ChoiceAdminPortal = 6, ChoiceEmails = 7, ChoiceReports = 8,
    };

    CGeneralPage* m_general = nullptr;
    CWindowManager::CWMFormPage* m_emails = nullptr;
    CPickPage* m_menus = nullptr;
    CPickPage* m_reports = nullptr;
    CReportsV3Page* m_reportsV3 = nullptr;
    CPickPage* m_adminPortal = nullptr;
    CGroupsPage* m_groups = nullptr;
    AccessRightsPage* m_security = nullptr;
    CPickPage* m_scheduleGroups = nullptr;
    CPickPage* m_assetLocations = nullptr;
    CPickPage* m_orders = nullptr;
    DlgRequestsPage* m_requests = nullptr;

    std::vector<Object> m_links;   // the administrator's cached descendants
    int m_saveMask = 0;
    bool m_closeAfterSave = false;
    CTString m_resetText;          // the refused reset's text, shown with the password hint

    DlgAdministratorDlg();

    bool Open() override;
    bool Load(UINT64 key) override;
    bool Save() override;
    void OnOK() override;
    void Notify(void* param) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    void MarkSaved(int bits);
    int ExpectedSaveMask() const { return ExpectedSaveMask(m_reportsV3 != nullptr, m_reports != nullptr); }
    static int ExpectedSaveMask(bool reportsV3, bool reports);
    // True when the report-portal choice is not offered to administrator; locked: offered ticked
    // and read-only.
    static bool IsReportPageHidden(const Object& choice, __int64 administrator, bool& locked);
    void OnReportsToolbar(int type, CTWndToolbar& toolbar);
    void ShowObject();
    // The pages' route: this form, request, second parameter.
    RequestRoute Route(int requestId, __int64 second = 0, bool silent = false) const;

protected:
    bool OpenWindow() override;

private:
    void OnObjectCached();
    void SendChoiceSearches();
    void OnChoices(RequestResult& reply);
    void OnSaveReply(RequestResult& reply);
    void OnResetResult(RequestResult& reply);
    void OnPasswordHint(RequestResult& reply);
    void ShowBox(const CTString& text, const wchar_t* caption, DWORD style);
    bool AuthorAccessChecked() const;
    CPickPage* PickPageOf(int requestId) const;
};
