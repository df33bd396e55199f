#pragma once
// The form of an administrator (window type 5, keyed by its id) and the pages it hosts.
class DlgAdministratorDlg {
public:
    class CGeneralPage;
    class CPageEmails;
    class CGroupsPage;
    class CReportsV3Page;
    class DlgRequestsPage;
};
