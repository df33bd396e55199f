#include "schedulegroups/ScheduleGroupPageUsers.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "framework/CTApp.h"
#include "framework/CWindowManager.h"

namespace {

struct UserColumn {
    const wchar_t* caption;
    const wchar_t* key;
    int width;
    bool visible;
    int kind;
};

const UserColumn kColumns[] = {
    {L"Name", L"", 100, true, 0},
    {L"Exceptions", L"exceptions", 20, true, 8},
    {L"VIP", L"vip", 20, false, 7},
    {L"Email Address", L"email_address", 100, true, 0},
    {L"Language", L"language_code", 100, true, 0},
    {L"Link Logon", L"col_LinkLogon", 20, true, 13},
    {L"UC", L"user_details_confirmed", 20, true, 1},
    {L"Last Logon", L"col_LastLogon", 100, true, 16},
    {L"Primary Phone", L"primary_telephone", 100, true, 0},
    {L"Deployments", L"col_DeploymentCount", 100, true, 5},
    {L"Primary Contact", L"link_primary_contact", 100, false, 15},
};

} // namespace

std::vector<DlgScheduleGroup::ColHeading> DlgScheduleGroup::CPageUsers::FixedColumns() const
{
    std::vector<ColHeading> columns;
    for (const UserColumn& def : kColumns) {
        ColHeading column;
        column.caption = def.caption;
        column.key = def.key;
        column.width = def.width;
        column.visible = def.visible;
        column.kind = def.kind;
        columns.push_back(column);
    }
    return columns;
}

std::vector<CTListCtrlReportEx::ToolbarButton> DlgScheduleGroup::CPageUsers::ToolbarButtons() const
{
    const int standard = CTListCtrlReportEx::kStandardImage;
    return {{CTListCtrlReportEx::CmdNew, standard, 123, BTNS_BUTTON},
            {CTListCtrlReportEx::CmdDelete, standard, 108, BTNS_BUTTON},
            {CTListCtrlReportEx::CmdProperties, standard, 111, BTNS_BUTTON},
            {0, 0, 0, BTNS_SEP},
            {kCmdUserWizard, 0, 166, BTNS_BUTTON}};
}

void DlgScheduleGroup::CPageUsers::SetWizardButtonImage(CTWndListCtrlEx2& frame, UINT id)
{
    CTWndToolbar& toolbar = frame.m_report.m_toolbar;
    if (!toolbar.m_hWnd)
        return;
    // The language module's icon when it has one.
    HMODULE module = CTApp::Instance() ? CTApp::Instance()->FindResourceModule(RT_GROUP_ICON, MAKEINTRESOURCEW(id))
                                       : nullptr;
    const int image = toolbar.AddIcon(module ? module : GetModuleHandleW(nullptr), id);
    if (image >= 0)
        toolbar.SetButtonImage(image, static_cast<int>(id));
}

bool DlgScheduleGroup::CPageUsers::Create(HWND parent)
{
    if (!CPageBase::Create(parent))
        return false;
    SetWizardButtonImage(m_frame, kCmdUserWizard);
    return true;
}

bool DlgScheduleGroup::CPageUsers::NeedsOverlay(const Object& user, __int64 groupId)
{
    return user.parent != 0 && user.parent != groupId;
}

void DlgScheduleGroup::CPageUsers::ApplyOverlay(int item, const Object& object)
{
    if (m_filling && m_view && NeedsOverlay(object, m_view->m_group.id))
        m_list.SetRowOverlay(item, kOverlayImage);
}

void DlgScheduleGroup::CPageUsers::OnListCommand(UINT command)
{
    switch (command) {
    case CTListCtrlReportEx::CmdNew:
        if (MainWindow* main = m_view ? m_view->Main() : nullptr)
            main->ShowConsole(kNewUserConsole, m_view->m_key, false);
        break;
    case kCmdUserWizard:
        OpenWizard();
        break;
    default:
        CPageBase::OnListCommand(command);
        break;
    }
}

void DlgScheduleGroup::CPageUsers::OpenWizard()
{
    App* app = App::Instance();
    if (!app || !m_view)
        return;
    const __int64 group = m_view->m_key;
    // The wizard asks the view's current page for the selection and the drop as it starts.
    app->m_windows.OpenWindow(kUserWizardType, static_cast<UINT64>(group),
                              reinterpret_cast<INT_PTR>(::GetParent(m_hWnd)));
}

void DlgScheduleGroup::CPageUsers::CollectSelection(int wizardKind, std::map<__int64, int>& out)
{
    if (wizardKind != 0)
        return;
    out.clear();
    for (__int64 id : SelectedIds())
        out[id] = 1;
}
