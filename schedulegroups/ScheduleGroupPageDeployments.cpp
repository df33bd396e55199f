#include "schedulegroups/ScheduleGroupPageDeployments.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/MainWindow.h"
#include "framework/CTApp.h"
#include "framework/CWindowManager.h"
#include "schedulegroups/ScheduleGroupPageUsers.h"
#include "schedulegroups/ScheduleGroupPanelDepStatus.h"
#include "schedulegroups/ScheduleGroupPanelSlot.h"
#include "session/RequestResult.h"

namespace {

struct DeploymentColumn {
    const wchar_t* caption;
    int width;
    bool visible;
    const wchar_t* key;
    const wchar_t* secondKey;   // "@name": the edit rule of that attribute
    int kind;
};

const DeploymentColumn kColumns[] = {
    {L"#", 100, true, L"", L"", 0},
    {L"Exceptions", 20, true, L"exceptions", L"", 8},
    {L"Deployment ID", 100, false, L"deployment_id", L"", 0},
    {L"User", 100, true, L"link_user", L"", 0},
    {L"Email Address", 100, true, L"link_user", L"email_address", 0},
    {L"UC", 20, true, L"link_user", L"user_details_confirmed", 1},
    {L"Link Logon", 20, true, L"link_user", L"", 14},
    {L"Old Computer", 100, true, L"link_legacy_computer", L"computer_name", 0},
    {L"HW Model", 100, true, L"link_deploy_model", L"@link_deploy_model", 9},
    {L"Scheduled", 100, true, L"link_deployment_slot", L"end_date", 2},
    {L"Slot", 100, true, L"link_deployment_slot", L"", 11},
    {L"Type", 100, true, L"link_deployment_type", L"", 6},
    {L"New Computer", 100, true, L"link_deployed_computer", L"computer_name", 0},
    {L"Status", 100, true, L"deployment_status", L"", 3},
    {L"Completed", 100, true, L"completed", L"", 0},
    {L"Success", 20, true, L"DeploymentStatusIcon", L"", 4},
    {L"Error Code", 100, false, L"link_fail_code", L"@link_fail_code", 9},
    {L"VIP", 20, false, L"link_user", L"vip", 7},
    {L"VIM", 20, false, L"link_legacy_computer", L"vim", 7},
    {L"Components", 30, false, L"DeploymentDeplyableCount", L"", 12},
};

__int64 LinkOf(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return CAttribute::IsTextType(value.GetType()) ? 0 : value.GetValue();
}

HICON LoadSmallIcon(UINT id)
{
    HMODULE module = CTApp::Instance() ? CTApp::Instance()->FindResourceModule(RT_GROUP_ICON, MAKEINTRESOURCEW(id))
                                       : nullptr;
    return static_cast<HICON>(LoadImageW(module ? module : GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
}

} // namespace

std::vector<DlgScheduleGroup::ColHeading> DlgScheduleGroup::CPageDeployments::FixedColumns() const
{
    Object definition;
    if (MainWindow* main = m_view ? m_view->Main() : nullptr)
        main->GetTypeByName(definition, CTString(L"Deployment"));
    std::vector<ColHeading> columns;
    for (const DeploymentColumn& def : kColumns) {
        ColHeading column;
        column.caption = def.caption;
        column.width = def.width;
        column.visible = def.visible;
        column.key = def.key;
        column.kind = def.kind;
        if (def.secondKey[0] == L'@')
            definition.GetAttributeEditSpec(CTString(def.secondKey + 1), column.secondKey);
        else
            column.secondKey = def.secondKey;
        columns.push_back(column);
    }
    return columns;
}

std::vector<CTListCtrlReportEx::ToolbarButton> DlgScheduleGroup::CPageDeployments::ToolbarButtons() const
{
    const int standard = CTListCtrlReportEx::kStandardImage;
    return {{CTListCtrlReportEx::CmdDelete, standard, 108, BTNS_BUTTON},
            {CTListCtrlReportEx::CmdProperties, standard, 111, BTNS_BUTTON},
            {0, 0, 0, BTNS_SEP},
            {kCmdUserWizard, 0, 166, BTNS_BUTTON},
            {kCmdDeploymentWizard, 0, 167, BTNS_BUTTON}};
}

CTString DlgScheduleGroup::CPageDeployments::EmptyText() const
{
    return CTString(m_loadState ? L"No Deployments" : L"Loading...");
}

void DlgScheduleGroup::CPageDeployments::CreatePanels()
{
    HWND host = m_host.m_hWnd;
    m_host.AddPanel(new DlgLHSSlot(host, this), DlgLHSBase::KindSlot);
    m_host.AddPanel(new DlgLHSDepStatus(host, this), DlgLHSBase::KindStatus);
    CPageBase::CreatePanels();
}

bool DlgScheduleGroup::CPageDeployments::Create(HWND parent)
{
    if (!CPageBase::Create(parent))
        return false;
    CPageUsers::SetWizardButtonImage(m_frame, kCmdUserWizard);
    CPageUsers::SetWizardButtonImage(m_frame, kCmdDeploymentWizard);
    if (m_list.m_hWnd) {
        m_list.SetColour(kOverdueColour, RGB(221, 0, 0));
        for (const auto& [key, id] : {std::pair<int, UINT>{ImageSucceeded, 172}, {ImageFailed, 173}}) {
            HICON icon = LoadSmallIcon(id);
            m_list.AddImageForKey(icon, key);
            if (icon)
                DestroyIcon(icon);
        }
        m_list.SetEmptyText(EmptyText());
    }
    // A page made after the view's deployment windows arrived asks for them again (from the cache).
    App* app = App::Instance();
    if (app && m_view && m_view->m_hWnd && m_view->m_loadedBits != 0)
        app->GetDeploymentWindowsCached(static_cast<unsigned>(m_view->m_key), m_view->ReplyRoute(ReqWindows));
    return true;
}

void DlgScheduleGroup::CPageDeployments::OnLoadState(int bits)
{
    m_loadState = bits;
    if (m_list.m_hWnd)
        m_list.SetEmptyText(EmptyText());
}

void DlgScheduleGroup::CPageDeployments::FillRows()
{
    if (!ReadyToFill())
        return;
    CTApp* app = CTApp::Instance();
    if (app)
        app->AddWaitCursor(1);
    CPageBase::FillRows();
    if (app)
        app->AddWaitCursor(-1);
}

bool DlgScheduleGroup::CPageDeployments::NeedsOverlay(const Object& deployment, const std::map<__int64, Object>& objects,
                                                      __int64 groupId)
{
    const __int64 userId = LinkOf(deployment, L"link_user");
    if (userId == 0)
        return false;
    auto user = objects.find(userId);
    return user != objects.end() && user->second.parent != 0 && user->second.parent != groupId;
}

void DlgScheduleGroup::CPageDeployments::ApplyOverlay(int item, const Object& object)
{
    if (m_view && NeedsOverlay(object, m_view->m_objects, m_view->m_key))
        m_list.SetRowOverlay(item, kOverlayImage);
}

void DlgScheduleGroup::CPageDeployments::UpdateDeploymentRow(const Object& object, const Object* old)
{
    if (!m_list.m_hWnd)
        return;
    DlgLHSBase* panel = CurrentPanel();
    auto accepted = [panel](const Object& candidate) { return !panel || panel->Accepts(candidate); };
    const int item = m_list.FindRowByData(reinterpret_cast<void*>(object.id));
    if (!accepted(object)) {
        // A deployment the panel no longer passes leaves the list.
        if (item >= 0)
            m_list.DeleteRow(item);
        return;
    }
    CTListCtrlReport::Row row;
    m_view->BuildRow(row, &m_list, m_columns, object);
    const int image = RowImage(object);
    int updated = item;
    if (item >= 0)
        m_list.UpdateRow(item, image, row);
    else
        updated = m_list.AddRow(image, row);
    if (updated >= 0)
        ApplyOverlay(updated, object);
}

void DlgScheduleGroup::CPageDeployments::UpdateObjectRow(const Object& object, const Object* old)
{
    if (!m_view || object.type == 0)
        return;
    const __int64 computer = m_view->TypeId(L"Computer"), deployment = m_view->TypeId(L"Deployment");
    const bool isUser = m_view->IsUserType(object.type);
    if (isUser || (computer != 0 && object.type == computer)) {
        // Only the rows of the deployments linked to it; the panels recount once.
        const Object* last = nullptr;
        for (const auto& [id, candidate] : m_view->m_objects) {
            if (deployment == 0 || candidate.type != deployment)
                continue;
            const bool linked = isUser ? LinkOf(candidate, L"link_user") == object.id
                                       : LinkOf(candidate, L"link_legacy_computer") == object.id ||
                                             LinkOf(candidate, L"link_deployed_computer") == object.id;
            if (!linked)
                continue;
            UpdateDeploymentRow(candidate, &candidate);
            last = &candidate;
        }
        if (last)
            for (CLinkedListObject* item = m_host.m_panels.GetHead(); item; item = item->GetNext())
                static_cast<DlgLHSBase*>(item)->OnObjectChanged(*last, last);
        return;
    }
    if (deployment != 0 && object.type == deployment)
        UpdateDeploymentRow(object, old);
    for (CLinkedListObject* item = m_host.m_panels.GetHead(); item; item = item->GetNext())
        static_cast<DlgLHSBase*>(item)->OnObjectChanged(object, old);
}

void DlgScheduleGroup::CPageDeployments::OnIconArrived(RequestResult& result)
{
    const int request = result.route.requestId;
    if (request == ReqIcon) {
        CPageBase::OnIconArrived(result);
        return;
    }
    if ((request != ReqPanelPaths && request != ReqLookup && request != ReqWindows) || result.returnCode != 0 ||
        result.resultCode != 0)
        return;
    for (CLinkedListObject* item = m_host.m_panels.GetHead(); item; item = item->GetNext())
        static_cast<DlgLHSBase*>(item)->OnResult(result);
}

void DlgScheduleGroup::CPageDeployments::OnSlotUpdate(DB::Slot& slot)
{
    for (CLinkedListObject* item = m_host.m_panels.GetHead(); item; item = item->GetNext())
        static_cast<DlgLHSBase*>(item)->OnSlotUpdate(slot);
}

void DlgScheduleGroup::CPageDeployments::ForwardToPanel(WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    if (DlgLHSBase* current = CurrentPanel())
        current->OnMouseWheel(wParam);
}

DeploymentWin* DlgScheduleGroup::CPageDeployments::GetWindowRecord()
{
    auto* slots = dynamic_cast<DlgLHSSlot*>(m_host.FindPanel(DlgLHSBase::KindSlot));
    return slots ? &slots->m_windows : nullptr;
}

void DlgScheduleGroup::CPageDeployments::OnListCommand(UINT command)
{
    switch (command) {
    case kCmdUserWizard:
        OpenUserWizard();
        break;
    case kCmdDeploymentWizard:
        OpenDeploymentWizard();
        break;
    case CTListCtrlReportEx::CmdNew:
        break;
    default:
        CPageBase::OnListCommand(command);
        break;
    }
}

void DlgScheduleGroup::CPageDeployments::CollectSelection(int wizardKind, std::map<__int64, int>& out)
{
    if ((wizardKind != 0 && wizardKind != 1) || !m_view)
        return;
    out.clear();
    for (__int64 id : SelectedIds()) {
        if (wizardKind == 1) {
            out[id] = 1;
            continue;
        }
        auto found = m_view->m_objects.find(id);
        if (found == m_view->m_objects.end())
            continue;
        if (const __int64 user = LinkOf(found->second, L"link_user"))
            out[user] = 1;
    }
}

void DlgScheduleGroup::CPageDeployments::MergeIntoDirectory()
{
    App* app = App::Instance();
    if (!app || !m_view)
        return;
    // Cells leave empty placeholders in the view's cache; they must not overwrite the directory's.
    std::map<__int64, Object> objects;
    for (const auto& [id, object] : m_view->m_objects)
        if (id != 0 && object.id != 0)
            objects.emplace(id, object);
    app->m_dir.MergeObjects(objects);
}

void DlgScheduleGroup::CPageDeployments::OpenWizardWindow(int type)
{
    App* app = App::Instance();
    if (!app || !m_view)
        return;
    MergeIntoDirectory();
    app->m_windows.OpenWindow(type, static_cast<UINT64>(m_view->m_key), reinterpret_cast<INT_PTR>(::GetParent(m_hWnd)));
}

void DlgScheduleGroup::CPageDeployments::OpenUserWizard()
{
    OpenWizardWindow(kUserWizardType);
}

void DlgScheduleGroup::CPageDeployments::OpenDeploymentWizard()
{
    OpenWizardWindow(kDeploymentWizardType);
}

void DlgScheduleGroup::CPageDeployments::SetDeleteIcon(DeleteConfirmInfo& info)
{
    App* app = App::Instance();
    if (!app || !app->m_mainWindow)
        return;
    Object definition;
    app->m_mainWindow->GetTypeByName(definition, CTString(L"Deployment"));
    CAttribute image;
    definition.GetAttribute(image, CTString(L"tree_image"));
    int index = app->FindIcon(image.GetString());
    if (index < 0 || !app->m_largeImages) return;
    // The report destroys the icon it put in the record once it sees it replaced.
    if (HICON icon = ImageList_GetIcon(app->m_largeImages, index, ILD_TRANSPARENT))
        info.icon = icon;
}
