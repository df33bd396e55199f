#pragma once
// The console types of the main window's panes (1000 to 1067) and what the main window needs to
// know of each before the pane exists: whether it has a pane at all, whether it lives in the
// vertical tab strip, whether it needs setup rights, and the pane class that shows it.
#include <windows.h>

namespace ConsoleType {
enum : int {
    Connect = 1000,
    Connecting = 1001,
    About = 1002,
    ChangePassword = 1003,
    Task = 1004,
    TaskEmail = 1005,
    TaskSMS = 1006,
    TaskCheck = 1007,
    MultiTask = 1008,
    Dashboard = 1009,
    DashboardSetup = 1010,
    Tasks = 1012,
    Computer = 1013,
    GroupComputer = 1014,
    List = 1015,
    ListAdministrator = 1016,
    ListStaging = 1017,
    Settings = 1019,
    Structure = 1020,
    AssetTransfer = 1021,
    ListOrganisation = 1022,
    Organisation = 1023,
    ListGroups = 1024,
    ScheduleGroup = 1026,
    User = 1027,
    GroupUser = 1028,
    Deployment = 1029,
    DeploymentOther = 1030,
    Deployments = 1031,
    Notes = 1032,
    Email = 1033,
    History = 1034,
    Search = 1035,
    Admin = 1036,
    Servers = 1037,
    AssetLocation = 1038,
    AssetTransferRecord = 1039,
    Web = 1040,
    ListDeployables = 1041,
    ListSlots = 1042,
    Site = 1043,
    StagingSheet = 1054,
    StagingSheetImport = 1055,
    Order = 1056,
    OrderFolder = 1057,
    ListReports = 1059,
    DataPoint = 1061,
    ScheduleGroupWin = 1062,
    DownloadConsole = 1063,
    Requests = 1066,
    Request = 1067,
};
}

// The pane class that shows a console type; null for a number without a pane.
const wchar_t* ConsolePaneClassName(int consoleType);
// Whether the pane of the type lives in the vertical tab strip.
bool IsTabConsoleType(int consoleType);
// The types refused without setup rights: 1015 to 1018, 1022, 1036, 1041, 1042 and 1060.
bool NeedsSetupRights(int consoleType);
