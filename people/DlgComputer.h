#pragma once
// The computer pane (console 1013 for an existing computer, 1014 for a new one asked for by a
// schedule-group view) and the pages it hosts.
class DlgComputer {
public:
    class CPageDetails;
    class CPageDeployments;
    class CPageTransfers;
    class CPageExceptions;
    class CPageDataPoints;
};
