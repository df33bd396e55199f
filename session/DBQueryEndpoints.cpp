// The deployment, communication, administration and query pages of the server API.
#include "session/DB.h"

namespace {

// Reads the whole file into out; false when it cannot be opened or read, or is larger than limit
// (tooLarge tells the two apart).
bool ReadWholeFile(const CTString& path, unsigned limit, CTByteArray& out, bool& tooLarge)
{
    tooLarge = false;
    HANDLE file = CreateFileW(path.GetBuffer() ? path.GetBuffer() : L"", GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) != FALSE;
    if (ok && size.QuadPart > static_cast<LONGLONG>(limit)) {
        tooLarge = true;
        ok = false;
    }
    if (ok) {
        unsigned total = static_cast<unsigned>(size.QuadPart);
        out.SetSize(total);
        unsigned done = 0;
        while (ok && done < total) {
            DWORD read = 0;
            ok = ReadFile(file, out.GetPtr(done), total - done, &read, nullptr) && read > 0;
            done += read;
        }
        if (!ok)
            out.SetSize(0);
    }
    CloseHandle(file);
    return ok;
}

} // namespace

void DB::QelGetScheduleGroup(unsigned id, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    SendForm(L"api/api_qelGetScheduleGroup.php", form, route);
}

void DB::QelGetDeploymentWindow(unsigned parentId, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"PARENT", parentId);
    SendForm(L"api/api_qelGetDeploymentWindow.php", form, route);
}

void DB::QelCreateDeploymentWindow(unsigned id, unsigned parent, unsigned startDate, unsigned endDate,
                                   const CTString& runRate, bool add, bool update, bool remove,
                                   const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    form.SetNumber(L"PARENT", parent);
    form.SetNumber(L"START_DATE", startDate);
    form.SetNumber(L"END_DATE", endDate);
    form.SetText(L"RUNRATE", runRate);
    form.SetNumber(L"ADD", add ? 1 : 0);
    form.SetNumber(L"UPDATE", update ? 1 : 0);
    form.SetNumber(L"REMOVE", remove ? 1 : 0);
    SendForm(L"api/api_qelCreateDeploymentWindow.php", form, route);
}

void DB::QelSetDeploymentComputer(unsigned id, unsigned serial, unsigned deploymentType, unsigned legacyComputer,
                                  unsigned deployedComputer, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    form.SetNumber(L"SERIAL", serial);
    if (legacyComputer != kNoComputer)
        form.SetNumber(L"LEGACY_COMPUTER", legacyComputer);
    if (deployedComputer != kNoComputer)
        form.SetNumber(L"DEPLOYED_COMPUTER", deployedComputer);
    if (deploymentType != 0)
        form.SetNumber(L"DEPLOYMENT_TYPE", deploymentType);
    SendForm(L"api/api_qelSetDeploymentComputer.php", form, route);
}

void DB::QelMoveDeployment(unsigned id, unsigned ouId, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    form.SetNumber(L"OUID", ouId);
    SendForm(L"api/api_qelMoveDeployment.php", form, route);
}

void DB::QelReSchedule(unsigned id, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    SendForm(L"api/api_qelReSchedule.php", form, route);
}

void DB::QelGetDeploymentRoutes(unsigned id, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    SendForm(L"api/api_qelGetDeploymentRoutes.php", form, route);
}

void DB::QelGetDashboardSG(unsigned id, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    SendForm(L"api/api_qelGetDashboardSG.php", form, route);
}

void DB::QelApplyTemplate(unsigned id, unsigned templateId, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    form.SetNumber(L"TEMPLATE", templateId);
    SendForm(L"api/api_qelApplyTemplate.php", form, route);
}

void DB::QelTask(const CTString& taskList, const RequestRoute& route)
{
    CAttributes form;
    form.SetText(L"TASKLIST", taskList);
    SendForm(L"api/api_qelTask.php", form, route);
}

void DB::QelGetAssetLocation(unsigned id, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    SendForm(L"pageAsset/api_qelGetAssetLocation.php", form, route);
}

void DB::QelAssetTransfer(unsigned routeId, unsigned recordId, unsigned autoReceive, const CAttributes& items,
                          const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ROUTEID", routeId);
    form.SetNumber(L"RECORDID", recordId);
    form.SetNumber(L"AUTORECEIVE", autoReceive);
    AppendItems(form, items);
    SendForm(L"api/api_qelAssetTransfer.php", form, route);
}

void DB::QelSendEmail(unsigned id, unsigned taskId, unsigned ouId, const CTString& emailId, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    form.SetNumber(L"TASKID", taskId);
    form.SetNumber(L"OUID", ouId);
    form.SetText(L"EMAILID", emailId);
    SendForm(L"api/api_qelSendEmail.php", form, route);
}

void DB::QelPreviewEmail(unsigned id, unsigned taskId, unsigned ouId, const CTString& emailId,
                         const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    form.SetNumber(L"TASKID", taskId);
    form.SetNumber(L"OUID", ouId);
    form.SetText(L"EMAILID", emailId);
    SendForm(L"api/api_qelPreviewEmail.php", form, route);
}

void DB::QelGetComms(const CTString& name, const CTString& type, const RequestRoute& route)
{
    CAttributes form;
    form.SetText(L"NAME", name);
    form.SetText(L"TYPE", type);
    SendForm(L"api/api_qelGetComms.php", form, route);
}

void DB::QelCopyReports(unsigned id, unsigned sourceId, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    form.SetNumber(L"SOURCEID", sourceId);
    SendForm(L"api/api_qelCopyReports.php", form, route);
}

void DB::QelLocaleGet(bool enabled, unsigned flagSize, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ENABLED", enabled ? 1 : 0);
    form.SetNumber(L"FLAGSIZE", flagSize);
    SendForm(L"api/api_qelLocaleGet.php", form, route);
}

void DB::QelLocaleSet(const CAttributes& items, const RequestRoute& route)
{
    CAttributes form;
    AppendItems(form, items);
    SendForm(L"api/api_qelLocaleSet.php", form, route);
}

void DB::QelLangSearch(const CTString& id, const RequestRoute& route)
{
    CAttributes form;
    form.SetText(L"ID", id);
    SendForm(L"api/api_qelLangSearch.php", form, route);
}

void DB::QelAdministratorElevate(unsigned id, bool enable, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    form.SetNumber(L"ENABLE", enable ? 1 : 0);
    SendForm(L"api/api_qelAdministratorElevate.php", form, route);
}

void DB::QelSyncPassword(unsigned id, const CTString& password, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    form.SetText(L"Passwd", password);
    SendForm(L"api/api_qelSyncPassword.php", form, route);
}

void DB::QelSyncRun(unsigned id, bool test, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    form.SetNumber(L"test", test ? 1 : 0);
    SendForm(L"api/api_qelSyncRun.php", form, route);
}

void DB::QelCustomDir(const CTString& folder, const RequestRoute& route)
{
    CAttributes form;
    form.SetText(L"FOLDER", folder);
    SendForm(L"api/api_qelCustomDir.php", form, route);
}

bool DB::QelCustomAdd(const CTString& folder, const CTString& localPath, const RequestRoute& route)
{
    // A file that cannot be read is not sent: an empty upload would replace the server's copy.
    CTByteArray bytes;
    bool tooLarge = false;
    if (!ReadWholeFile(localPath, kMaxUploadBytes, bytes, tooLarge)) {
        if (tooLarge)
            MessageBeep(MB_ICONASTERISK);
        return false;
    }
    CTString data;
    bytes.Base64Encode(data);

    CTString fileName;
    int slash = localPath.ReverseFindChar(L'\\');
    if (slash >= 0)
        localPath.MidToEnd(fileName, slash + 1);

    CAttributes form;
    form.SetText(L"FOLDER", folder);
    form.SetText(L"FILENAME", fileName);
    form.SetText(L"FILEDATA", data);
    SendForm(L"api/api_qelCustomAdd.php", form, route);
    return true;
}

void DB::QelCustomDel(const CTString& deletes, const RequestRoute& route)
{
    CAttributes form;
    form.SetText(L"DELETES", deletes);
    SendForm(L"api/api_qelCustomDel.php", form, route);
}

void DB::QelBuildsheetGeneration(const CTString& text, const RequestRoute& route)
{
    CAttributes form;
    form.SetText(L"BS", text);
    SendForm(L"pageBuildSheet/api_qelBuildsheetGeneration.php", form, route);
}

void DB::QelSheetSave(unsigned id, const CTString& data, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    form.SetText(L"DATA", data);
    SendForm(L"api/api_qelSheetSave.php", form, route);
}

void DB::QelSheetLoad(unsigned id, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    SendForm(L"api/api_qelSheetLoad.php", form, route);
}
