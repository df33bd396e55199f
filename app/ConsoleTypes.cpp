#include "app/ConsoleTypes.h"

namespace {

struct ConsoleInfo {
    int type;
    const wchar_t* paneClass;
    bool tab;
};

const ConsoleInfo kConsoles[] = {
    {1000, L"DlgConnect", false},
    {1001, L"DlgConnecting", false},
    {1002, L"DlgAbout", false},
    {1003, L"DlgChangePassword", false},
    {1004, L"DlgTask", false},
    {1005, L"DlgTaskEmail", false},
    {1006, L"DlgTaskSMS", false},
    {1007, L"DlgTaskCheck", false},
    {1008, L"DlgMultiTask", false},
    {1009, L"DlgDashboard", false},
    {1010, L"DlgDashboardSetup", false},
    {1012, L"DlgTasks", false},
    {1013, L"DlgComputer", false},
    {1014, L"DlgComputer", false},
    {1015, L"DlgList", true},
    {1016, L"DlgListAdministrator", true},
    {1017, L"DlgListStaging", true},
    {1019, L"DlgSettings", true},
    {1020, L"DlgStructure", true},
    {1021, L"DlgAssetTransfer", true},
    {1022, L"DlgListOrganisation", true},
    {1023, L"DlgOrganisation", false},
    {1024, L"DlgListGroups", true},
    {1026, L"DlgScheduleGroup", false},
    {1027, L"DlgUser", false},
    {1028, L"DlgUser", false},
    {1029, L"DlgDeployment", false},
    {1030, L"DlgDeployment", false},
    {1031, L"DlgDeployments", false},
    {1032, L"DlgNotes", false},
    {1033, L"DlgEmail", false},
    {1034, L"DlgHistory", false},
    {1035, L"DlgSearch", false},
    {1036, L"DlgAdmin", false},
    {1037, L"DlgServers", false},
    {1038, L"DlgAssetLocation", false},
    {1039, L"DlgAssetTransferRecord", false},
    {1040, L"DlgWeb", false},
    {1041, L"DlgListDeployables", true},
    {1042, L"DlgListSlots", true},
    {1043, L"DlgSite", false},
    {1054, L"DlgStagingSheet", false},
    {1055, L"DlgStagingSheet", false},
    {1056, L"DlgOrder", false},
    {1057, L"DlgOrderFolder", false},
    {1059, L"DlgListReports", true},
    {1061, L"DlgDataPoint", false},
    {1062, L"DlgScheduleGroupWin", false},
    {1063, L"DlgDownloadConsole", false},
    {1066, L"DlgRequests", false},
    {1067, L"DlgRequest", false},
};

const ConsoleInfo* Find(int type)
{
    for (const ConsoleInfo& info : kConsoles)
        if (info.type == type) return &info;
    return nullptr;
}

// Bit (type - 1015) set for each type that needs setup rights.
constexpr unsigned __int64 kSetupRightsMask = 0x20000C20008FULL;

} // namespace

const wchar_t* ConsolePaneClassName(int consoleType)
{
    const ConsoleInfo* info = Find(consoleType);
    return info ? info->paneClass : nullptr;
}

bool IsTabConsoleType(int consoleType)
{
    const ConsoleInfo* info = Find(consoleType);
    return info && info->tab;
}

bool NeedsSetupRights(int consoleType)
{
    unsigned offset = static_cast<unsigned>(consoleType - 1015);
    return offset <= 45 && ((kSetupRightsMask >> offset) & 1) != 0;
}
