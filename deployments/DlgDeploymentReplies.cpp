#include "deployments/DlgDeployment.h"

#include <commctrl.h>
#include <list>
#include "app/App.h"
#include "app/MainWindow.h"
#include "deployments/BuildSheetFile.h"
#include "deployments/DeploymentLinks.h"
#include "deployments/DlgDeploymentPages.h"
#include "foundation/IShellLauncher.h"
#include "foundation/TiXmlElement.h"
#include "framework/CTWndMessageBox.h"
#include "session/CHTTP.h"
#include "session/DeploymentWorkflow.h"
#include "session/ObjectBranch.h"
#include "session/RequestResult.h"

namespace {

enum : int { kWindowComputerPicker = 12 };

// Shared by both computer pickers: every picker the process opens gets a key of its own.
__int64 g_computerPickerKey = 0;

TiXmlElement* FirstResult(RequestResult& result)
{
    return result.document.FirstChildElementNamed(L"result");
}

__int64 ParametersId(TiXmlElement* root)
{
    TiXmlElement* parameters = root ? root->FirstChildElementNamed(L"parameters") : nullptr;
    return parameters ? ReadDecimal64(parameters->GetAttribute(L"ID")) : 0;
}

} // namespace

void DlgDeployment::SetModified(bool modified)
{
    if (modified && !m_modified) {
        EnableItem(kIdSave, true);
        EnableItem(kIdCancel, true);
        m_modified = true;
        EnableItem(kIdReschedule, false);
    } else if (!modified && m_modified) {
        EnableItem(kIdSave, false);
        EnableItem(kIdCancel, false);
        m_modified = false;
    }
}

void DlgDeployment::OnReply(RequestResult& result)
{
    const int request = result.route.requestId;
    const __int64 extra = result.route.param2;
    const bool transportOk = result.resultCode == 0;
    const bool rcOk = result.returnCode == 0;
    App* app = GetApp();
    if (request == kReqRequestChanged && m_requestsPage)
        m_requestsPage->OnRequestChanged(extra);

    switch (request) {
    case kReqDeployables:
        if (!rcOk)
            break;
        if (extra == 0)
            FillNewModels(static_cast<ObjectBranch*>(result.attached));
        else if (extra == 1 && m_deployablePage)
            m_deployablePage->OnDeployablesArrived(static_cast<ObjectBranch*>(result.attached));
        break;
    case kReqObjectChanged: {
        auto* changed = static_cast<Object*>(result.attached);
        if (!changed)
            break;
        if (changed->id == GetSlot(SlotDeployment).id && changed->id != 0)
            Refresh();
        if (m_tasksPage && app)
            m_tasksPage->UpdateTaskRow(Object(*app->m_dir.Lookup(changed->id)));
        break;
    }
    case kReqBusy:
        UpdateControls();
        break;
    case kReqIcon:
        OnIconArrived(result);
        break;
    case kReqPath:
        if (rcOk)
            OnPathReply(result);
        break;
    case kReqAdminPaths:
        if (rcOk)
            OnAdminPaths(result);
        break;
    case kReqNotes:
        if (rcOk)
            OnNotesCount(result);
        break;
    case kReqEmails:
        if (transportOk && extra == kEmailsSearch && m_emailsPage) {
            m_emailsPage->Clear();
            for (TiXmlElement* element = FirstResult(result) ? FirstResult(result)->FirstChildElementNamed(L"object") : nullptr;
                 element; element = element->NextSiblingElementNamed(L"object")) {
                Object email;
                email.ReadFromXml(element, true);
                AddEmailRow(email);
            }
        }
        break;
    case kReqSave:
        if (extra == 6 && transportOk && rcOk) {
            TiXmlElement* root = FirstResult(result);
            TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr;
            if (element && ParametersId(root) == GetSlot(SlotDeployment).id) {
                Object& deployment = m_objects[SlotDeployment];
                deployment.ReadFromXml(element, false);
                if (app)
                    app->m_dir.StoreObject(deployment, Dir::ForgetDescendants);
            }
        }
        break;
    case kReqObject:
        if (!transportOk || !rcOk) {
            // A linked computer that cannot be read again leaves the deployment as it is shown.
            if (extra != kLegacyReread && extra != kDeployedReread)
                ReportObjectGone(result.statusText);
        } else if (extra == kLegacyReread || extra == kDeployedReread || extra == 5 || extra == 13) {
            OnLinkedObjectReply(result, static_cast<int>(extra));
        }
        break;
    case kReqLinkAccess:
        if (transportOk && rcOk)
            OnLinkAccessReply(result);
        break;
    case kReqTasksDeleted:
        if (rcOk)
            OnTasksDeleted(result);
        break;
    case kReqWindows:
        if (transportOk) {
            CAttribute slot;
            GetSlot(SlotDeployment).GetAttribute(slot, CTString(L"link_deployment_slot"));
            m_slots.FillComboBox(result.document, GetDlgItem(m_hWnd, kIdSlots), slot);
        }
        break;
    case kReqSurveys:
        if (transportOk && rcOk && m_settingsPage)
            m_settingsPage->FillSurveys(result.document);
        break;
    case kReqEmailSent:
        if (auto* email = static_cast<Object*>(result.attached))
            if (LinkId(*email, L"link_task") == m_key)
                AddEmailRow(*email);
        break;
    case kReqAssignComputer:
        OnComputerAssigned(result);
        break;
    case kReqReschedule:
        if (transportOk && rcOk) {
            TiXmlElement* root = FirstResult(result);
            TiXmlElement* inserted = root ? root->FirstChildElementNamed(L"insert_id") : nullptr;
            TiXmlNode* text = inserted ? inserted->FirstChild() : nullptr;
            if (text && text->GetType() == TiXmlNode::TEXT && m_owner) {
                __int64 id = ReadDecimal64(text->Value());
                if (id != 0)
                    m_owner->ShowConsole(kConsoleType, id, false);
            }
            Refresh();
        }
        break;
    case kReqTransfer:
        if (!transportOk || !rcOk) {
            m_transferStep = 0;
            CTWndMessageBox box;
            box.Show(GetOwnerHwnd(), GetModuleHandleW(nullptr),
                     result.statusText.GetBuffer() ? result.statusText.GetBuffer() : L"", L"Warning", MB_OK);
        } else {
            ++m_transferStep;
            TransferAssets();
        }
        break;
    case kReqChoices:
        if (m_deploymentPage)
            m_deploymentPage->OnChoicesArrived(static_cast<int>(extra));
        break;
    case kReqBuildSheet:
        OnBuildSheet(result);
        break;
    case kReqRoutes:
        OnRoutesReply(result);
        break;
    case kReqCacheNotice:
        OnCacheNotice(result);
        break;
    default:
        break;
    }
}

void DlgDeployment::OnIconArrived(RequestResult& result)
{
    const __int64 extra = result.route.param2;
    if (extra == kHeaderIcon)
        UpdateHeaderIcon();
    App* app = GetApp();
    if (extra == m_emailIcon && m_emailsPage && app && app->m_smallImages) {
        CTListCtrlReportEx& emails = m_emailsPage->m_list.m_report;
        if (emails.m_hWnd && emails.HasImageForKey(m_emailIcon))
            if (HICON icon = ImageList_GetIcon(app->m_smallImages, m_emailIcon, ILD_TRANSPARENT)) {
                emails.ReplaceImage(icon, emails.GetImageForKey(m_emailIcon));
                DestroyIcon(icon);
                InvalidateRect(m_emailsPage->m_list.m_hWnd, nullptr, TRUE);
            }
    }
    if (m_deployablePage)
        m_deployablePage->OnIconArrived(result);
}

void DlgDeployment::OnPathReply(RequestResult& result)
{
    TiXmlElement* root = FirstResult(result);
    if (!root)
        return;
    const __int64 extra = result.route.param2;
    __int64 id = ParametersId(root);
    TiXmlElement* value = root->FirstChildElementNamed(L"value");
    // Without an id in the parameters, each value names its own.
    auto valueId = [](TiXmlElement* element) { return ReadDecimal64(element->GetAttribute(L"ID")); };
    if (id == 0) {
        while (value && valueId(value) == 0)
            value = value->NextSiblingElementNamed(L"value");
        if (value)
            id = valueId(value);
    }
    while (value) {
        const wchar_t* path = value->GetAttribute(L"path");
        const Object& deployment = GetSlot(SlotDeployment);
        if (extra == kPathOfLocation) {
            if (m_settingsPage)
                m_settingsPage->SetLocationText(path ? path : L"");
        } else if (m_consoleType == kConsoleType && id == m_key) {
            m_path.AssignText(path ? path : L"");
            if (!deployment.attributes.empty()) {
                Object type;
                if (m_owner)
                    m_owner->GetTypeById(type, deployment.type);
                SetHeading(HeadingTitle(m_path, deployment), CTString(type.name.GetBuffer() ? type.name.GetBuffer() : L""));
            }
            UpdateHeaderIcon();
        } else if (m_consoleType == kConsoleNew && id == deployment.parent) {
            m_path.AssignText(path ? path : L"");
            Object type;
            if (m_owner)
                m_owner->GetTypeById(type, deployment.type);
            CTString subtitle(type.name.GetBuffer() ? type.name.GetBuffer() : L"");
            CTString newDeployment;
            newDeployment.LoadString(154);
            subtitle.AppendText(L" - ");
            subtitle.Append(newDeployment);
            SetHeading(m_path, subtitle);
            UpdateHeaderIcon();
        }
        value = value->NextSiblingElementNamed(L"value");
        while (value && valueId(value) == 0)
            value = value->NextSiblingElementNamed(L"value");
        if (value)
            id = valueId(value);
    }
}

void DlgDeployment::OnNotesCount(RequestResult& result)
{
    TiXmlElement* root = FirstResult(result);
    TiXmlElement* value = root ? root->FirstChildElementNamed(L"value") : nullptr;
    if (!value)
        return;
    int count = ReadDecimal32(value->GetAttribute(L"count"));
    if (count < 1)
        return;
    CTString text;
    text.FormatResource(129, count);
    SetItemText(kIdNotes, text.GetBuffer() ? text.GetBuffer() : L"");
}

void DlgDeployment::OnAdminPaths(RequestResult& result)
{
    TiXmlElement* root = FirstResult(result);
    if (!root || !m_tasksPage)
        return;
    for (TiXmlElement* value = root->FirstChildElementNamed(L"value"); value;
         value = value->NextSiblingElementNamed(L"value")) {
        const wchar_t* path = value->GetAttribute(L"path");
        CTString text(path ? path : L"");
        int slash = text.ReverseFindChar(L'\\');
        if (slash >= 0) {
            CTString last;
            text.MidToEnd(last, slash + 1);
            text = last;
        }
        m_tasksPage->SetAdministratorName(static_cast<int>(result.route.param2),
                                          ReadDecimal64(value->GetAttribute(L"ID")), text);
        m_tasksPage->FitColumns();
    }
}

void DlgDeployment::OnTasksDeleted(RequestResult& result)
{
    TiXmlElement* root = FirstResult(result);
    TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr;
    if (!element)
        return;
    App* app = GetApp();
    for (; element; element = element->NextSiblingElementNamed(L"object")) {
        __int64 id = ReadDecimal64(element->GetAttribute(L"id"));
        if (app)
            app->m_dir.Remove(id);
        if (m_tasksPage)
            m_tasksPage->RemoveRow(id);
    }
    if (m_tasksPage)
        m_tasksPage->Load();
    UpdateTabImages();
}

void DlgDeployment::OnComputerAssigned(RequestResult& result)
{
    Object& deployment = m_objects[SlotDeployment];
    if (result.returnCode == 0) {
        TiXmlElement* root = FirstResult(result);
        TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr;
        if (element && ParametersId(root) == deployment.id) {
            Object read;
            read.ReadFromXml(element, true);
            deployment.ClearAttributeDirty(CTString(L"link_legacy_computer"));
            deployment.ClearAttributeDirty(CTString(L"link_deployed_computer"));
            deployment.serial = read.serial;
            Save();
        }
        return;
    }
    CTWndMessageBox box;
    box.Show(m_hWnd, GetModuleHandleW(nullptr), L"Error assigning device", L"Error assigning device",
             MB_ICONINFORMATION);
    for (const wchar_t* name : {L"link_deployed_computer", L"link_legacy_computer"}) {
        CTString attribute(name);
        if (!deployment.IsAttributeDirty(attribute))
            continue;
        CAttribute loaded;
        m_loaded.GetAttribute(loaded, attribute);
        deployment.SetAttribute(attribute, loaded);
        deployment.ClearAttributeDirty(attribute);
    }
    App* app = GetApp();
    struct Line {
        int slot;
        const wchar_t* attribute;
        CTHyperLink* link;
        int warning;
        int kind;
    };
    const Line lines[] = {{SlotLegacy, L"link_legacy_computer", &m_legacyLink, kIdLegacyWarning, kLegacyReread},
                          {SlotDeployed, L"link_deployed_computer", &m_deployedLink, kIdDeployedWarning, kDeployedReread}};
    for (const Line& line : lines) {
        __int64 id = LinkId(deployment, line.attribute);
        m_objects[line.slot].id = id;
        if (id == 0) {
            SetLinkText(*line.link, m_noComputerText.GetBuffer());
            ShowWarning(line.warning, false);
        } else if (app) {
            app->m_db.ObjGet(static_cast<unsigned>(id), false, false, Route(kReqObject, line.kind));
        }
    }
}

void DlgDeployment::OnRoutesReply(RequestResult& result)
{
    m_objects.erase(SlotLegacyRoute);
    m_routes.clear();
    if (result.returnCode != 0)
        return;
    TiXmlElement* root = FirstResult(result);
    TiXmlElement* rc = root ? root->FirstChildElementNamed(L"RC") : nullptr;
    Object& legacyRoute = m_objects[SlotLegacyRoute];
    legacyRoute.id = rc ? ReadDecimal64(rc->GetAttribute(L"legacy_route")) : 0;
    for (TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr; element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object route;
        route.ReadFromXml(element, true);
        if (route.id == legacyRoute.id)
            legacyRoute = route;
        else
            m_routes[route.parent] = route;
    }
    UpdateControls();
}

void DlgDeployment::OnCacheNotice(RequestResult& result)
{
    auto* ids = static_cast<std::list<__int64>*>(result.attached);
    if (!ids)
        return;
    App* app = GetApp();
    bool deployment = false;
    std::vector<int> linked;
    for (__int64 id : *ids) {
        if (id == 0)
            continue;
        for (const auto& [slot, object] : m_objects) {
            if (object.id != id)
                continue;
            // The notice of an object the pane itself just had fetched brings nothing new.
            const Object& shown = slot == SlotDeployment ? m_loaded : object;
            if (app && app->m_dir.Lookup(id)->serial == shown.serial)
                continue;
            if (slot == SlotDeployment)
                deployment = true;
            else
                linked.push_back(slot);
        }
    }
    if (deployment || (!linked.empty() && !m_modified)) {
        Reload();
        return;
    }
    // Edits are kept: only the lines of the linked objects follow the cache.
    if (!linked.empty())
        RefreshLinkedObjects(linked);
}

void DlgDeployment::OnBuildSheet(RequestResult& result)
{
    // Only a successful reply that is a document of its own (not the server's error reply) is a sheet.
    CTString contentType;
    result.response.GetHeader(CHTTP::ContentType, contentType);
    contentType.MakeLower();
    const bool errorDocument = contentType.Find(CTString(L"xml")) >= 0;
    if (result.resultCode != 0 || result.returnCode != 0 || errorDocument)
        return;
    CTString header;
    result.response.GetHeader(CHTTP::ContentDisposition, header);
    CTString name = BuildSheetFile::MakeSafeName(BuildSheetFile::NameFromContentDisposition(header));
    CTString folder;
    if (!BuildSheetFile::s_downloadsFolder || !BuildSheetFile::s_downloadsFolder(folder))
        return;
    CTString path;
    if (!BuildSheetFile::Write(folder, name, result.body, path))
        return;
    if (BuildSheetFile::MayOpen(name))
        GetShellLauncher()->Open(path.GetBuffer());
}

bool DlgDeployment::OpenComputerPicker(bool deployed)
{
    App* app = GetApp();
    const __int64 key = ++g_computerPickerKey;
    ComputerChoice& choice = m_computerChoices[key];
    const Object& deployment = GetSlot(SlotDeployment);
    choice.noneAllowed = DeploymentStatusIsSucceeded(deployment) ? 0 : 1;
    choice.deployment = GetSlot(SlotParent);
    choice.modelId = LinkId(deployment, L"link_deploy_model");
    const Object& computer = GetSlot(deployed ? SlotDeployed : SlotLegacy);
    if (computer.id != 0)
        choice.computer = computer;
    __int64 assetType = -1;
    if (m_owner) {
        Object type;
        m_owner->GetTypeByName(type, CTString(L"Computer"));
        if (!type.FindAllowedValueIndex(CTString(L"asset_type"), CTString(deployed ? L"New" : L"Legacy"), assetType))
            assetType = -1;
    }
    choice.assetType.SetValue(CAttribute::Integer, assetType);
    choice.reserved = deployed ? 1 : 0;
    choice.computerType.SetValue(CAttribute::Integer, -1);
    const __int64 location = LinkId(deployment, L"link_deployment_location");
    const __int64 fallback = location != 0 ? location : GetSlot(SlotParent).id;
    if (!deployed) {
        const Object& route = GetSlot(SlotLegacyRoute);
        choice.locationIds.push_back(HasTypeFlag(TypeTransferLegacy) && route.parent != 0 ? route.parent : fallback);
    } else if (HasTypeFlag(TypeTransferNew) && !m_routes.empty()) {
        for (const auto& [parent, route] : m_routes)
            choice.locationIds.push_back(parent);
    } else {
        choice.locationIds.push_back(fallback);
    }
    if (!app)
        return false;
    app->m_windows.OpenWindow(kWindowComputerPicker, static_cast<UINT64>(key), reinterpret_cast<INT_PTR>(m_hWnd));
    return true;
}

void DlgDeployment::PickLegacyComputer()
{
    OpenComputerPicker(false);
}

void DlgDeployment::PickDeployedComputer()
{
    OpenComputerPicker(true);
}
