#pragma once
// The user pane (console 1027 for a person, 1028 for a new schedule user of a group) and the pages
// it hosts.
class DlgUser {
public:
    class CPageDetails;
    class CPageLogon;
    class CPageDeployments;
    class CPageEmails;
    class CPageComputers;
    class CPageExceptions;
    class CPageDataPoints;
};
