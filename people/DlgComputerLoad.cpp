// Loading the computer pane: refresh and reload, the fill from the cache, the re-read from a reply
// and the reply table.
#include "people/DlgComputer.h"

#include <list>
#include "app/App.h"
#include "app/HeadingMarkup.h"
#include "app/MainWindow.h"
#include "deployments/DeploymentLinks.h"
#include "foundation/TiXmlElement.h"
#include "framework/CTWndMessageBox.h"
#include "people/DlgComputerPageTransfers.h"
#include "schedulegroups/DlgScheduleGroup.h"
#include "session/FormHelpers.h"
#include "session/RequestResult.h"

namespace {

enum : UINT { kNewComputerString = 160 };

TiXmlElement* ResultOf(TiXmlDocument& document)
{
    return document.FirstChildElementNamed(L"result");
}

__int64 ParametersId(TiXmlElement* root)
{
    TiXmlElement* parameters = root ? root->FirstChildElementNamed(L"parameters") : nullptr;
    return parameters ? ReadDecimal64(parameters->GetAttribute(L"ID")) : 0;
}

CTString LoadStringText(UINT id, const wchar_t* fallback)
{
    wchar_t buffer[256] = {};
    if (LoadStringW(GetModuleHandleW(nullptr), id, buffer, 256) > 0)
        return CTString(buffer);
    return CTString(fallback);
}

} // namespace

void DlgComputer::Refresh()
{
    if (m_visible) {
        Reload();
        return;
    }
    m_reloadPending = true;
    MarkExceptionsPending();
    if (m_transfersPage)
        m_transfersPage->m_searchPending = true;
}

void DlgComputer::Reload()
{
    ClearModified();
    m_reloadPending = false;
    const __int64 previousParent = m_computer.parent;
    m_computer.Clear();
    m_computer.id = 0;
    m_computer.parent = 0;
    App* app = GetApp();
    if (!app)
        return;
    if (!IsNew()) {
        app->m_dir.RequestObject(m_key, 1, Route(0), [this, previousParent] { ShowObject(previousParent); }, nullptr);
        return;
    }
    if (m_owner)
        m_owner->GetTypeByName(m_computer, CTString(L"Computer"));
    m_computer.SetAttribute(CTString(L"asset_type"), CAttribute(CAttribute::Integer, static_cast<__int64>(0)));
    DlgScheduleGroup* view = FindView();
    m_computer.parent = view ? view->DefaultLocation(0) : 0;
    if (m_computer.parent != 0)
        app->IDToPath(m_computer.parent, Route(kReqPath));
    UpdateHeaderIcon();
    ShowChoices();
    SetModified(true);
    EnableItem(kIdCancel, false);
}

void DlgComputer::UpdateHeaderIcon()
{
    App* app = GetApp();
    if (!app || !m_header.m_hWnd)
        return;
    if (HICON icon = app->GetIcon(1, AttributeText(m_computer, L"tree_image"), Route(kReqIcon))) {
        m_header.SetIcon(icon);
        DestroyIcon(icon);
        m_header.Invalidate(true);
    }
}

void DlgComputer::ShowHeading()
{
    if (m_header.m_hWnd) {
        m_header.SetText(BuildObjectHeadingMarkup(m_computer, CTString(L"display_name"), true, false));
        m_header.Invalidate(true);
    }
}

void DlgComputer::ShowFields()
{
    ShowHeading();
    const std::pair<int, const wchar_t*> edits[] = {{kIdName, L"computer_name"}, {kIdMake, L"vendor"},
                                                    {kIdModel, L"model"}, {kIdSerial, L"serial_number"},
                                                    {kIdAssetTag, L"asset_tag"}};
    for (const auto& [id, name] : edits)
        SetItemTextIfChanged(id, AttributeText(m_computer, name));
    if (m_tags.m_hWnd)
        ::SetWindowTextW(m_tags.m_hWnd, AttributeText(m_computer, L"tag").GetBuffer() ? AttributeText(m_computer, L"tag").GetBuffer() : L"");
}

void DlgComputer::ShowOrders()
{
    std::vector<__int64> orders;
    m_computer.GetLinkArray(orders, CTString(L"link_order"));
    if (m_orders.m_hWnd)
        ::ShowWindow(m_orders.m_hWnd, orders.empty() ? SW_HIDE : SW_SHOW);
    if (!orders.empty())
        SendOrderSearch(orders);
}

void DlgComputer::ShowChoices()
{
    FillComboFromAttributeValues(GetDlgItem(m_hWnd, kIdComputerType), CTString(L"computer_type"), m_computer, false);
    FillComboFromAttributeValues(GetDlgItem(m_hWnd, kIdAssetType), CTString(L"asset_type"), m_computer, false);
}

void DlgComputer::ShowTreeImage(bool findOnly)
{
    App* app = GetApp();
    if (!app)
        return;
    const CTString name = AttributeText(m_computer, L"tree_image");
    m_treeImage = app->FindIcon(name);
    if (m_treeImage < 0 && !findOnly)
        m_treeImage = app->AddIcon(name, Route(kReqIcon));
    UpdateHeaderIcon();
}

void DlgComputer::UpdateButtons()
{
    EnableItem(kIdMove, LinkId(m_computer, L"link_asset_transfer") == 0);
    bool location = false;
    if (m_owner) {
        const Object user = m_owner->GetLogonUser();
        location = user.GetPrivilege(CTString(L"SuperUser")) ||
                   m_owner->m_cache.CheckAssetLocationLink(m_computer.parent, 0);
    }
    EnableItem(kIdLocation, location);
}

void DlgComputer::ShowListsAndChoices(bool findImageOnly)
{
    ShowOrders();
    ShowChoices();
    CheckDlgButton(m_hWnd, kIdVim, LinkId(m_computer, L"vim") != 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hWnd, kIdShared, LinkId(m_computer, L"shared") != 0 ? BST_CHECKED : BST_UNCHECKED);
    ShowTreeImage(findImageOnly);
    UpdateButtons();
    ClearModified();
}

void DlgComputer::ShowLinkedName(CTHyperLink& link, const wchar_t* attribute)
{
    App* app = GetApp();
    const __int64 id = LinkId(m_computer, attribute);
    if (id == 0 || !app) {
        SetLinkText(link, m_noUserText.GetBuffer());
        return;
    }
    app->m_dir.RequestObject(id, 0, Route(0), [this, &link, id] {
        if (App* own = GetApp()) {
            CTStringLocale name(own->m_dir.Lookup(id)->name);
            SetLinkText(link, name.GetUserText());
        }
    }, nullptr);
}

void DlgComputer::ShowObject(__int64 previousParent)
{
    App* app = GetApp();
    if (!app)
        return;
    m_computer = *app->m_dir.Lookup(m_key);
    m_shownSerial = m_computer.serial;
    // Moved elsewhere or deleted since the last load.
    if (previousParent != 0 && previousParent != m_computer.parent) {
        Close();
        return;
    }
    app->IDToPath(m_key, Route(kReqPath));
    ShowFields();

    ShowLinkedName(m_userLink, L"link_user");
    ShowLinkedName(m_lockLink, L"link_deployment_lock");

    ShowListsAndChoices(false);

    if (m_exceptionsPage) {
        if (GetSelectedPage() == m_exceptionsPage)
            LoadExceptionsNow();
        else
            MarkExceptionsPending();
    }
    if (CTListCtrlReportEx* list = DeploymentsList())
        list->DeleteAllRows();
    if (GetSelectedPage() == m_deploymentsPage && m_deploymentsPage)
        SendDeploymentSearches();
    else
        m_deploymentsSearchPending = true;
    if (m_transfersPage && GetSelectedPage() == m_transfersPage)
        SendTransferSearch();
    RefreshPages();
    LoadPages();
}

void DlgComputer::ReadObjectReply(TiXmlDocument& document)
{
    TiXmlElement* root = ResultOf(document);
    if (!root || ParametersId(root) != m_key)
        return;
    const CTString path = m_computer.path;
    if (TiXmlElement* element = root->FirstChildElementNamed(L"object"))
        m_computer.ReadFromXml(element, true);
    m_computer.path = path;
    ShowFields();
    App* app = GetApp();
    const __int64 user = LinkId(m_computer, L"link_user");
    if (user != 0 && app)
        app->IDToPath(user, Route(kReqUserPath));
    else
        SetLinkText(m_userLink, m_noUserText.GetBuffer());
    ShowListsAndChoices(true);
    LoadExceptionsNow();
    if (app && m_computer.parent != 0)
        app->m_dir.RequestObject(m_computer.parent, 0, Route(0), [this] { LoadDetails(); }, nullptr);
}

void DlgComputer::OnReply(RequestResult& result)
{
    const int request = result.route.requestId;
    const __int64 extra = result.route.param2;
    const bool failed = result.returnCode != 0 || result.resultCode != 0;
    if (request == kReqRequestChanged)
        OnRequestChanged(extra);
    switch (request) {
    case kReqIcon:
        OnIconReply(result);
        break;
    case kReqPath:
        if (failed)
            break;
        if (extra != 0)
            OnDeploymentPathReply(result);
        else
            OnPathReply(result);
        break;
    case kReqPaths:
        if (!failed && m_transfersPage)
            m_transfersPage->FillPaths(result.document, static_cast<int>(extra));
        break;
    case kReqUserPath:
        if (!failed)
            OnUserPathReply(result);
        break;
    case kReqSearch:
        if (result.returnCode == 0)
            OnSearchReply(result.document, extra);
        break;
    case kReqCreate:
        if (!failed)
            OnCreateReply(result);
        break;
    case kReqSave:
        if (!failed)
            OnSaveReply(result);
        break;
    case kReqObject:
        if (failed)
            ReportObjectGone(result.statusText);
        else
            ReadObjectReply(result.document);
        break;
    case kReqLocation:
        if (!failed && m_transfersPage)
            m_transfersPage->OnLocationReply(result.document);
        break;
    case kReqTransfer:
        OnTransferReply(result);
        break;
    case kReqChoices:
        OnDetailsChoices(static_cast<int>(extra));
        break;
    case kReqMove:
        OnMoveReply(result);
        break;
    case kReqCacheNotice:
        OnCacheNotice(result);
        break;
    default:
        break;
    }
}

void DlgComputer::OnPathReply(RequestResult& result)
{
    TiXmlElement* root = ResultOf(result.document);
    if (!root)
        return;
    const __int64 id = ParametersId(root);
    for (TiXmlElement* value = root->FirstChildElementNamed(L"value"); value;
         value = value->NextSiblingElementNamed(L"value")) {
        const wchar_t* path = value->GetAttribute(L"path");
        m_computer.path = path ? path : L"";
        if (!IsNew() && id == m_computer.id && id != 0) {
            ShowHeading();
        } else if (IsNew() && id == m_computer.parent && m_header.m_hWnd) {
            Object type;
            if (m_owner)
                m_owner->GetTypeById(type, m_computer.type);
            CTString subtitle(type.name.GetBuffer() ? type.name.GetBuffer() : L"");
            subtitle.Append(L" - ");
            subtitle.Append(LoadStringText(kNewComputerString, L"New Computer"));
            CTString markup;
            AppendHeadingMarkup(m_computer.path, subtitle, markup);
            m_header.SetText(markup);
            m_header.Invalidate(true);
        }
        UpdateHeaderIcon();
    }
}

void DlgComputer::OnUserPathReply(RequestResult& result)
{
    TiXmlElement* root = ResultOf(result.document);
    TiXmlElement* value = root ? root->FirstChildElementNamed(L"value") : nullptr;
    const wchar_t* path = value ? value->GetAttribute(L"path") : nullptr;
    if (!path)
        return;
    const wchar_t* last = wcsrchr(path, L'\\');
    SetLinkText(m_userLink, last ? last + 1 : path);
}

void DlgComputer::OnIconReply(RequestResult& result)
{
    const __int64 index = result.route.param2;
    if (index == m_treeImage && m_treeImage >= 0)
        UpdateHeaderIcon();
    App* app = GetApp();
    CTListCtrlReportEx* list = DeploymentsList();
    if (index == m_deploymentImage && list && app && app->m_smallImages && list->HasImageForKey(m_deploymentImage))
        if (HICON icon = ImageList_GetIcon(app->m_smallImages, m_deploymentImage, ILD_TRANSPARENT)) {
            list->ReplaceImage(icon, list->GetImageForKey(m_deploymentImage));
            DestroyIcon(icon);
            InvalidateRect(list->m_hWnd, nullptr, TRUE);
        }
}

void DlgComputer::OnCacheNotice(RequestResult& result)
{
    auto* ids = static_cast<std::list<__int64>*>(result.attached);
    if (!ids || IsNew() || m_key == 0)
        return;
    App* app = GetApp();
    for (__int64 id : *ids)
        if (id == m_key) {
            // The notice of the fetch that the fill just showed brings nothing new.
            if (app && app->m_dir.Lookup(id)->serial == m_shownSerial)
                return;
            Reload();
            return;
        }
}

void DlgComputer::OnTransferReply(RequestResult& result)
{
    const bool failed = result.returnCode != 0 || result.resultCode != 0;
    App* app = GetApp();
    if (!failed && m_transfersPage && app) {
        app->m_paths.erase(m_computer.id);
        // A received transfer moves the computer: the reload shows it at its new place.
        m_computer.parent = 0;
        Refresh();
        return;
    }
    CTWndMessageBox box;
    box.Show(app ? app->GetMainHwnd() : nullptr, GetModuleHandleW(nullptr),
             result.statusText.GetBuffer() ? result.statusText.GetBuffer() : L"", L"Warning", MB_OK);
}
