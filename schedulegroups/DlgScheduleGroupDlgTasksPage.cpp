#include "schedulegroups/DlgScheduleGroupDlgTasksPage.h"

#include <algorithm>
#include <commctrl.h>

#include "app/App.h"
#include "app/MainWindow.h"
#include "foundation/TiXmlDocument.h"
#include "foundation/TiXmlElement.h"
#include "framework/CTApp.h"
#include "framework/CTRegKey.h"
#include "framework/CTWndMessageBox.h"

namespace {

using Report = CTListCtrlReportEx;

HMODULE ModuleOf(const wchar_t* type, UINT id)
{
    HMODULE module = CTApp::Instance() ? CTApp::Instance()->FindResourceModule(type, MAKEINTRESOURCEW(id)) : nullptr;
    return module ? module : GetModuleHandleW(nullptr);
}

MainWindow* TheMainWindow()
{
    App* app = App::Instance();
    return app ? app->m_mainWindow : nullptr;
}

CTString TextOf(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return CTString(value.GetString());
}

// A numeric attribute other than 0.
bool NumberSet(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return value.GetType() != CAttribute::Text && value.GetType() != CAttribute::Text2 && value.GetValue() != 0;
}

const wchar_t* Chars(const CTString& text)
{
    return text.GetBuffer() ? text.GetBuffer() : L"";
}

} // namespace

DlgScheduleGroupDlg::CTasksPage::CTasksPage()
{
    m_title = L"Tasks";
    CTWndListCtrlEx2::RegisterClass(ModuleOf(RT_DIALOG, kTemplateId));
}

DlgScheduleGroupDlg::CTasksPage::~CTasksPage()
{
    m_cells.CloseEditor();
    m_templateMenu.Destroy();
    m_newMenu.Destroy();
    if (m_newMenuImages)
        ImageList_Destroy(m_newMenuImages);
}

bool DlgScheduleGroupDlg::CTasksPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    LRESULT ignored = 0;
    m_cells.OnMessage(msg, wParam, lParam, &ignored);
    CTWndSize::HandleMessage(msg, wParam, lParam, &ignored);
    if (msg == WM_SIZE && wParam != SIZE_MINIMIZED) {
        if (m_splitter.m_hWnd)
            m_splitter.Layout(LOWORD(lParam), HIWORD(lParam));
        if (!m_splitterRestored) {
            m_splitterRestored = true;
            // Read only: the position is the administrator's setting, never written here.
            CTRegKey key(104, nullptr, kSplitterKey);
            const DWORD position = key.ReadDword(L"SpliterPos", kDefaultSplitter);
            if (m_splitter.m_hWnd)
                m_splitter.SetPosition(static_cast<int>(position));
        }
    } else if (msg == WM_INITDIALOG) {
        OnInitDialog();
    }
    *result = 0;
    return false;
}

void DlgScheduleGroupDlg::CTasksPage::OnInitDialog()
{
    CTWndSize::Init(m_hWnd, false, 300, 150, false);
    AddItem(GetDlgItem(m_hWnd, IdList), 12);
    MainWindow* main = TheMainWindow();
    std::vector<Object> templates;
    if (main)
        main->GetTemplates(templates);   // starts loading them for the menu
    if (m_list.Create(m_hWnd, IdList, true, 0)) {
        Report& report = m_list.m_report;
        report.ModifyOptions(0x2, 0xE0);
        report.ModifyStyle(0, LVS_SINGLESEL | WS_TABSTOP, 0);
        ListView_SetExtendedListViewStyleEx(report.m_hWnd, LVS_EX_GRIDLINES, 0);
        const BYTE dropDown = BTNS_DROPDOWN | BTNS_SHOWTEXT | BTNS_WHOLEDROPDOWN;
        const Report::ToolbarButton buttons[] = {
            {CmdApplyTemplate, 0, StrApplyTemplate, dropDown},
            {0, 0, 0, BTNS_SEP},
            {CmdNew, Report::kStandardImage, StrNew, dropDown},
            {CmdDelete, Report::kStandardImage, StrDelete, BTNS_BUTTON},
        };
        m_list.CreateToolbar(this, 2, 4, buttons);
        // "Apply Template" wears the icon of the "Template" type.
        App* app = App::Instance();
        CTWndToolbar& toolbar = report.m_toolbar;
        if (app && main && toolbar.m_hWnd) {
            Object type;
            main->GetTypeByName(type, CTString(L"Template"));
            CTString name = TextOf(type, L"tree_image");
            int index = app->FindIcon(name);
            if (index < 0)
                index = app->AddIcon(name, Form() ? Form()->Route(ReqIcon) : RequestRoute());
            if (!report.HasImageForKey(index) && toolbar.m_images) {
                if (HICON icon = app->GetIcon(0, name, Form() ? Form()->Route(ReqIcon) : RequestRoute())) {
                    TBBUTTONINFOW info = {};
                    info.cbSize = sizeof(info);
                    info.dwMask = TBIF_IMAGE;
                    info.iImage = ImageList_ReplaceIcon(toolbar.m_images, -1, icon);
                    DestroyIcon(icon);
                    ::SendMessageW(toolbar.m_hWnd, TB_SETBUTTONINFOW, CmdApplyTemplate, reinterpret_cast<LPARAM>(&info));
                }
            }
        }
        m_cells.Attach(IdList, &report, &OnCellChanged, nullptr, this);
    }
    m_editor.CreateDialogFromResource(ModuleOf(RT_DIALOG, CTasksPageRHS::kTemplateId),
                                      MAKEINTRESOURCEW(CTasksPageRHS::kTemplateId), m_hWnd);
    m_splitter.Create(m_hWnd, m_list.m_hWnd ? m_list.m_hWnd : GetDlgItem(m_hWnd, IdList), m_editor.m_hWnd, true,
                      GetModuleHandleW(nullptr), 1, 100, 100, false);
}

std::vector<Object> DlgScheduleGroupDlg::CTasksPage::DashboardTasks(const ObjectBranch& group)
{
    std::vector<Object> tasks;
    for (const Object& child : group.children)
        if (child.parent == group.id && NumberSet(child, L"dashboard_display"))
            tasks.push_back(child);
    return tasks;
}

bool DlgScheduleGroupDlg::CTasksPage::Load()
{
    DlgScheduleGroupDlg* form = Form();
    if (!m_hWnd || !form)
        return true;
    std::vector<Object> tasks = DashboardTasks(form->GetGroup());
    std::vector<ObjectList::Row> kept;
    if (!m_freshLoad)
        for (const ObjectList::Row& row : m_tasks.rows)
            if (row.operation != ObjectList::OpNone)
                kept.push_back(row);
    m_freshLoad = false;
    Report& report = m_list.m_report;
    m_tasks.Clear();
    if (report.m_hWnd) {
        m_cells.CloseEditor();
        ListView_DeleteAllItems(report.m_hWnd);
        m_cells.RemoveAllRows();
    }
    m_tasks.ownerRoute = form->Route(ReqIcon);
    m_tasks.ownerRoute.requestId = 0;
    MainWindow* main = TheMainWindow();
    Object taskType;
    if (main)
        main->GetTypeByName(taskType, CTString(L"Task"));
    if (report.m_hWnd)
        m_tasks.SetType(report, taskType, true);
    else
        m_tasks.SetType(taskType, nullptr);
    m_tasks.RemoveRowsIf([](const ObjectList::Row&) { return true; });
    for (const Object& task : tasks) {
        const bool listed = std::any_of(m_tasks.types.begin(), m_tasks.types.end(),
                                        [&](const Object& type) { return type.id == task.type; });
        if (!listed)
            continue;
        auto edited = std::find_if(kept.begin(), kept.end(),
                                   [&](const ObjectList::Row& row) { return row.object.id == task.id; });
        if (edited == kept.end()) {
            m_tasks.AddRow(task);
        } else {
            m_tasks.AddRow(edited->object, edited->operation).dirty = edited->dirty;
            kept.erase(edited);
        }
    }
    for (const ObjectList::Row& row : kept)
        if (row.operation == ObjectList::OpNew)
            m_tasks.AddRow(row.object, row.operation).dirty = row.dirty;
    if (report.m_hWnd) {
        std::vector<__int64> ids;
        m_tasks.FillReport(report, m_cells, ids);
        // Tasks deleted but not saved yet stay in the model only.
        for (ObjectList::Row& row : m_tasks.rows)
            if (row.operation == ObjectList::OpDelete) {
                const int item = report.FindRowByData(&row);
                if (item >= 0)
                    report.DeleteRow(item);
                m_cells.RemoveRow(&row);
            }
    }
    return true;
}

void DlgScheduleGroupDlg::CTasksPage::TakeChildChanges(ObjectBranch& group)
{
    for (ObjectList::Row& row : m_tasks.rows) {
        if (row.operation != ObjectList::OpChanged && row.operation != ObjectList::OpDelete)
            continue;
        for (Object& child : group.children) {
            if (child.id != row.object.id || child.id == 0)
                continue;
            for (auto& [id, attribute] : child.attributes) {
                if (!(attribute.flags & Object::Attribute::Dirty))
                    continue;
                // A deleted task takes nothing; a changed one sends the child's change with its own.
                if (row.operation == ObjectList::OpChanged) {
                    row.object.attributes[id] = attribute;
                    row.dirty = 1;
                }
                attribute.flags &= ~static_cast<DWORD>(Object::Attribute::Dirty);
            }
        }
    }
}

bool DlgScheduleGroupDlg::CTasksPage::Save()
{
    DlgScheduleGroupDlg* form = Form();
    if (!form)
        return true;
    App* app = App::Instance();
    ObjectBranch& group = form->GetGroup();
    m_tasks.ResendUnanswered();
    TakeChildChanges(group);
    bool sent = false;
    if (app) {
        RequestRoute route = form->Route(ReqTasks);
        while (m_tasks.SaveNextRow(app->m_db, static_cast<int>(group.id), route))
            sent = true;
    }
    if (!sent)
        form->AddCompletion(CompletedTasks);
    return true;
}

void DlgScheduleGroupDlg::CTasksPage::OnResult(RequestResult* result)
{
    if (!result)
        return;
    if (result->route.requestId == ReqTasks) {
        if (result->kind != RequestResult::KindServerAnswer || result->resultCode != 0 || result->returnCode != 0)
            return;
        auto* row = reinterpret_cast<ObjectList::Row*>(result->route.param2);
        if (m_tasks.OnSaveReply(result->document, row) && m_form)
            Form()->AddCompletion(CompletedTasks);
        return;
    }
    if (result->route.requestId == ReqIcon) {
        Report& report = m_list.m_report;
        const int index = static_cast<int>(result->route.param2);
        App* app = App::Instance();
        if (!app || !report.m_hWnd || !report.HasImageForKey(index))
            return;
        HIMAGELIST images = ListView_GetImageList(report.m_hWnd, LVSIL_SMALL);
        if (images && app->m_smallImages)
            if (HICON icon = ImageList_GetIcon(app->m_smallImages, index, ILD_TRANSPARENT)) {
                ImageList_ReplaceIcon(images, report.GetImageForKey(index), icon);
                DestroyIcon(icon);
            }
        InvalidateRect(m_list.m_hWnd, nullptr, TRUE);
    }
}

void DlgScheduleGroupDlg::CTasksPage::OnCellChanged(void* context, int item, int column, CAttribute* value)
{
    auto* page = static_cast<CTasksPage*>(context);
    auto* row = static_cast<ObjectList::Row*>(page->m_list.m_report.GetRowData(item));
    if (value && page->m_tasks.IsRow(row))
        page->m_tasks.SetCellValue(*row, column, *value);
    if (page->m_form)
        page->m_form->SetModified(true);
}

int DlgScheduleGroupDlg::CTasksPage::NextCommand()
{
    // Menus opened again without 257 or 391 keep counting: the ids wrap within the range and skip
    // those the other menu holds, so both menus of one context menu stay apart. 0: none is free.
    for (int tried = 0; tried <= CmdLastItem - CmdFirstItem; ++tried) {
        if (m_nextCommand > CmdLastItem || m_nextCommand < CmdFirstItem)
            m_nextCommand = CmdFirstItem;
        const int command = m_nextCommand++;
        if (m_menuItems.count(command) == 0)
            return command;
    }
    return 0;
}

void DlgScheduleGroupDlg::CTasksPage::ForgetMenuItems(int kind)
{
    for (auto it = m_menuItems.begin(); it != m_menuItems.end();)
        it = it->second.value1 == kind ? m_menuItems.erase(it) : std::next(it);
}

void DlgScheduleGroupDlg::CTasksPage::BuildNewMenu(bool withIcons)
{
    m_newMenu.Destroy();
    m_newMenu.CreatePopup();
    App* app = App::Instance();
    if (withIcons) {
        if (m_newMenuImages) {
            ImageList_Destroy(m_newMenuImages);
            m_newMenuImages = nullptr;
        }
        if (app && app->m_smallImages) {
            m_newMenuImages = ImageList_Duplicate(app->m_smallImages);
            if (m_newMenuImages)
                ImageList_SetBkColor(m_newMenuImages, CLR_NONE);
        }
        m_newMenu.SetImageList(m_newMenuImages);
    }
    struct Entry {
        __int64 type;
        CTString name;
    };
    std::vector<Entry> entries;
    for (const Object& type : m_tasks.types)
        if (NumberSet(type, L"dashboard_display"))
            entries.push_back({type.id, CTString(type.name)});
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return lstrcmpW(Chars(a.name), Chars(b.name)) < 0;
    });
    ForgetMenuItems(KindNewTask);
    for (const Entry& entry : entries) {
        auto definition = std::find_if(m_tasks.types.begin(), m_tasks.types.end(),
                                       [&](const Object& type) { return type.id == entry.type; });
        if (definition == m_tasks.types.end())
            continue;
        const int command = NextCommand();
        if (command == 0)
            break;
        AppendMenuW(m_newMenu.m_menu, MF_STRING, static_cast<UINT_PTR>(command), Chars(entry.name));
        CTString iconName = TextOf(*definition, L"tree_image");
        const int image = app && !iconName.IsEmpty() ? app->FindIcon(iconName) : -1;
        if (withIcons)
            m_newMenu.SetItemImageByCommand(static_cast<UINT>(command), image);
        CTMenuItem item;
        item.value1 = KindNewTask;
        item.value2 = static_cast<int>(entry.type);
        if (image >= 0 && app && app->m_smallImages)
            item.icon.Attach(ImageList_GetIcon(app->m_smallImages, image, ILD_TRANSPARENT));
        m_menuItems[command] = item;
    }
    if (withIcons)
        m_newMenu.MakeOwnerDrawn();
}

void DlgScheduleGroupDlg::CTasksPage::BuildTemplateMenu()
{
    m_templateMenu.Destroy();
    m_templateMenu.CreatePopup();
    std::vector<Object> templates;
    MainWindow* main = TheMainWindow();
    ForgetMenuItems(KindTemplate);
    if (main && main->GetTemplates(templates)) {
        for (const Object& entry : templates) {
            const int command = NextCommand();
            if (command == 0)
                break;
            CTString name(entry.name);
            AppendMenuW(m_templateMenu.m_menu, MF_STRING, static_cast<UINT_PTR>(command), Chars(name));
            CTMenuItem item;
            item.value1 = KindTemplate;
            item.value2 = static_cast<int>(entry.id);
            m_menuItems[command] = item;
        }
    }
    m_templateMenu.MakeOwnerDrawn();
}

void DlgScheduleGroupDlg::CTasksPage::ShowMenu(int button)
{
    HWND toolbar = m_list.m_report.m_toolbar.m_hWnd;
    RECT rc = {};
    if (toolbar) {
        const int index = static_cast<int>(::SendMessageW(toolbar, TB_COMMANDTOINDEX, button, 0));
        ::SendMessageW(toolbar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc));
        MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    }
    CTMenu* menu = &m_templateMenu;
    if (button == CmdNew) {
        BuildNewMenu(true);
        menu = &m_newMenu;
    } else {
        BuildTemplateMenu();
    }
    UINT command = 0;
    if (menu->m_menu)
        command = menu->Track(false, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTALIGN, rc.right, rc.bottom, m_hWnd);
    LRESULT ignored = 0;
    OnCommand(command, 0, &ignored);
}

void DlgScheduleGroupDlg::CTasksPage::ShowNewMenu()
{
    ShowMenu(CmdNew);
}

void DlgScheduleGroupDlg::CTasksPage::ShowTemplateMenu()
{
    ShowMenu(CmdApplyTemplate);
}

void DlgScheduleGroupDlg::CTasksPage::RemoveSelectedTasks()
{
    Report& report = m_list.m_report;
    if (!report.m_hWnd)
        return;
    // The list allows one selection; each pass removes an item, so the walk ends.
    for (int guard = report.GetItemCount(); guard >= 0; --guard) {
        const int item = ListView_GetNextItem(report.m_hWnd, -1, LVNI_SELECTED);
        if (item < 0)
            break;
        const int before = report.GetItemCount();
        m_tasks.DeleteRow(report, m_cells, item);
        if (m_form)
            m_form->SetModified(true);
        if (report.GetItemCount() == before)
            break;
    }
}

void DlgScheduleGroupDlg::CTasksPage::ApplyTemplate(__int64 templateId)
{
    CTWndMessageBox box;
    const INT_PTR answer =
        box.Show(GetParent(m_hWnd), GetModuleHandleW(nullptr),
                 L"Applying Schedule Group Template will erase all existing task data.\r\n"
                 L"Are you sure you want to continue?",
                 L"Apply Template", 0x27);
    if (answer != 11)
        return;
    App* app = App::Instance();
    DlgScheduleGroupDlg* form = Form();
    if (app && form)
        app->m_db.QelApplyTemplate(static_cast<unsigned>(form->m_key), static_cast<unsigned>(templateId),
                                   form->Route(ReqTemplate));
}

bool DlgScheduleGroupDlg::CTasksPage::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    const int command = LOWORD(wParam);
    *result = 0;
    HWND toolbar = m_list.m_report.m_toolbar.m_hWnd;
    switch (command) {
    case CmdNew:
    case CmdApplyTemplate:
        m_nextCommand = CmdFirstItem;
        m_menuItems.clear();
        if (toolbar)
            ::SendMessageW(toolbar, TB_SETSTATE, command, MAKELONG(TBSTATE_ENABLED | TBSTATE_PRESSED, 0));
        ShowMenu(command);
        if (toolbar)
            ::SendMessageW(toolbar, TB_SETSTATE, command, MAKELONG(TBSTATE_ENABLED, 0));
        return true;
    case CmdDelete:
        RemoveSelectedTasks();
        return true;
    default:
        break;
    }
    if (command < CmdFirstItem || command > CmdLastItem)
        return false;
    auto it = m_menuItems.find(command);
    if (it == m_menuItems.end())
        return true;
    const CTMenuItem item = it->second;
    if (item.value1 == KindTemplate) {
        ApplyTemplate(item.value2);
        return true;
    }
    MainWindow* main = TheMainWindow();
    Object type;
    if (main)
        main->GetTypeById(type, item.value2);
    if (type.id != 0 && m_list.m_report.m_hWnd) {
        std::vector<__int64> ids;
        m_tasks.AddNewRow(m_list.m_report, m_cells, type, ids);
        if (m_form)
            m_form->SetModified(true);
    }
    return true;
}

bool DlgScheduleGroupDlg::CTasksPage::OnNotify(WPARAM, NMHDR* hdr, LRESULT* result)
{
    if (!hdr)
        return false;
    m_cells.OnNotify(IdList, hdr, result);
    if (hdr->idFrom != static_cast<UINT_PTR>(IdList))
        return false;
    Report& report = m_list.m_report;
    switch (hdr->code) {
    case Report::CodeInsert:
        ShowNewMenu();
        return false;
    case Report::CodeDelete:
        RemoveSelectedTasks();
        return false;
    case Report::CodeActivate:
    case static_cast<UINT>(NM_DBLCLK):
        *result = 1;
        return true;
    case Report::CodeDropDownMenu: {
        auto* info = reinterpret_cast<ReportCommandInfo*>(hdr);
        if (!report.m_hWnd || ListView_GetNextItem(report.m_hWnd, -1, LVNI_SELECTED) < 0)
            return false;
        if (info->id == CmdNew) {
            BuildNewMenu(false);
            *result = reinterpret_cast<LRESULT>(m_newMenu.m_menu);
            return true;
        }
        if (info->id == CmdApplyTemplate) {
            BuildTemplateMenu();
            *result = reinterpret_cast<LRESULT>(m_templateMenu.m_menu);
            return true;
        }
        return false;
    }
    case Report::CodeMenuItemIcon: {
        auto* info = reinterpret_cast<ReportCommandInfo*>(hdr);
        auto it = m_menuItems.find(info->id);
        if (it == m_menuItems.end() || it->second.value1 != KindNewTask)
            return false;
        *result = reinterpret_cast<LRESULT>(it->second.icon.icon);
        return true;
    }
    case TBN_DROPDOWN: {
        auto* drop = reinterpret_cast<NMTOOLBARW*>(hdr);
        if (drop->iItem == CmdNew)
            ShowNewMenu();
        else if (drop->iItem == CmdApplyTemplate)
            ShowTemplateMenu();
        return false;
    }
    case LVN_ITEMCHANGED: {
        auto* change = reinterpret_cast<NMLISTVIEW*>(hdr);
        if (!(change->uChanged & LVIF_STATE))
            return false;
        *result = 0;
        if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED))
            m_editor.ShowTask(m_tasks, m_tasks.GetRowId(report, change->iItem));
        return true;
    }
    default:
        return false;
    }
}
