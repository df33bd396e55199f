#include "lists/DlgList.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/MainWindow.h"
#include "controls/CTListCtrlReportEx.h"
#include "framework/CTApp.h"
#include "lists/ListRowSaver.h"
#include "lists/_ExportData.h"
#include "session/RequestResult.h"

namespace {

HMODULE PaneModule()
{
    HMODULE module = CTApp::Instance()->FindResourceModule(RT_DIALOG, MAKEINTRESOURCEW(DlgList::kTemplate));
    return module ? module : GetModuleHandleW(nullptr);
}

const wchar_t* TypeNameOf(int consoleType)
{
    switch (consoleType) {
    case 1015: return L"Fail Code";
    case 1016: return L"Administrator";
    case 1017: return L"Staging Sheet";
    case 1022: return L"Organisation";
    case 1024: return L"Group";
    case 1042: return L"Deployment Slot Data";
    case 1059: return L"Report Portal Page";
    default: return L"";
    }
}

} // namespace

DlgList::DlgList(int consoleType) : m_consoleType(consoleType)
{
    CTWndListCtrlEx2::RegisterClass(PaneModule());
    m_typeName = TypeNameOf(consoleType);
    m_importExport = consoleType == 1015 || consoleType == 1022 || consoleType == 1042;
}

DlgList::~DlgList()
{
    CTWnd2::Destroy();
    if (m_icon)
        DestroyIcon(m_icon);
}

bool DlgList::Create()
{
    ownerRoute = PaneRoute(0);
    return CreateDialogFromResource(PaneModule(), MAKEINTRESOURCEW(kTemplate), GetOwnerHwnd());
}

void DlgList::Destroy()
{
    CTWnd2::Destroy();
}

RequestRoute DlgList::PaneRoute(int requestId) const
{
    RequestRoute route = m_owner ? m_owner->GetPaneKey(const_cast<DlgList*>(this))
                                 : PaneKey(MainWindow::kWindowType, 0, m_consoleType, m_key);
    route.requestId = requestId;
    return route;
}

__int64 DlgList::DefaultParentId() const
{
    if (!m_owner)
        return 0;
    const MainWindowCache& cache = m_owner->m_cache;
    switch (m_consoleType) {
    case 1015: return cache.systemSettings.parent;   // the settings folder
    case 1016: return cache.folderIds[MainWindowCache::FolderUsers];   // where new administrators go
    case 1017: return cache.folderIds[MainWindowCache::FolderStaging];
    case 1022: return cache.folderIds[MainWindowCache::FolderOrganisations];
    case 1024: return cache.folderIds[MainWindowCache::FolderGroups];
    case 1042: {
        const __int64 slots = cache.folderIds[MainWindowCache::FolderDeploymentSlots];
        return slots != 0 ? slots : cache.slotDataFolder;
    }
    case 1059: return cache.folderIds[MainWindowCache::FolderReports];
    default: return 0;
    }
}

void DlgList::OnSystemFolders()
{
    if (__int64 folder = DefaultParentId(); folder != 0)
        m_parentId = folder;
}

void DlgList::OnInitDialog()
{
    InitCaption();
    ::SetWindowTextW(m_hWnd, m_caption.GetBuffer() ? m_caption.GetBuffer() : L"");

    CTWndSize::Init(m_hWnd, false, 100, 100, false);
    AddItem(GetDlgItem(m_hWnd, kIdList), CTWndSize::RightToRight | CTWndSize::BottomToBottom);

    if (m_list.Create(m_hWnd, kIdList, true, 0)) {
        SetWindowLongPtrW(m_list.m_hWnd, GWL_STYLE, GetWindowLongPtrW(m_list.m_hWnd, GWL_STYLE) & ~WS_BORDER);
        CTListCtrlReportEx& report = Report();
        report.ModifyOptions(2, 0xE0);
        report.ModifyStyle(LVS_SORTASCENDING, LVS_SINGLESEL | WS_TABSTOP, 0);
        report.ModifyOptions(CTListCtrlReport::OptGridLines, 0);

        std::vector<CTListCtrlReportEx::ToolbarButton> buttons;
        if (m_newDelete) {
            buttons.push_back({kCmdNew, CTListCtrlReportEx::kStandardImage, 107, BTNS_BUTTON});
            buttons.push_back({kCmdDelete, CTListCtrlReportEx::kStandardImage, 108, BTNS_BUTTON});
        }
        AddToolbarButtons(buttons);
        m_list.CreateToolbar(this, TBSTYLE_TOOLTIPS, static_cast<int>(buttons.size()), buttons.data());
        // Buttons with pictures of the program's own follow the standard ones.
        std::vector<std::pair<int, UINT>> iconButtons;
        if (m_importExport) {
            iconButtons.push_back({kCmdImport, 174});
            iconButtons.push_back({kCmdExport, 175});
        }
        if (m_consoleType == 1016)
            iconButtons.push_back({kCmdWizard, 204});
        CTWndToolbar& toolbar = report.m_toolbar;
        if (toolbar.m_hWnd && !iconButtons.empty()) {
            for (const auto& [command, icon] : iconButtons) {
                int image = toolbar.AddIcon(PaneModule(), icon);
                toolbar.AddButton(image, command, TBSTATE_ENABLED, BTNS_BUTTON, icon);
            }
            RECT client = {};
            GetClientRect(m_list.m_hWnd, &client);
            m_list.OnSize(SIZE_RESTORED, client.right, client.bottom);
        }

        m_editor.Attach(kIdList, &report, &DlgList::OnEditValue, &DlgList::OnFillChoices, this);
        report.EnableDeleteConfirm(m_hWnd, GetModuleHandleW(nullptr), 2, 0, true);
    }

    if (App* app = GetApp()) {
        app->m_dir.Subscribe(PaneRoute(kReqDir));
        m_loadAfterType = false;
        app->m_db.ObjType(m_typeName, PaneRoute(kReqType));
    }
}

void DlgList::RefreshPane()
{
    if (!m_visible) {
        m_refreshPending = true;
        return;
    }
    m_refreshPending = false;
    Report().DeleteAllRows();
    m_editor.RemoveAllRows();
    Clear();
    m_loadAfterType = true;
    if (App* app = GetApp())
        app->m_db.ObjType(m_typeName, PaneRoute(kReqType));
    SetModified(false);
}

bool DlgList::RefreshTab()
{
    RefreshPane();
    return true;
}

void DlgList::Load()
{
    App* app = GetApp();
    if (!app)
        return;
    if (m_parentId == 0)
        m_parentId = DefaultParentId();
    app->m_db.ObjSearch(m_typeName, static_cast<unsigned>(m_parentId), CTString(), CTString(), false, DB::kNoMax,
                        PaneRoute(kReqSearch));
}

void DlgList::RequestPaths(std::vector<__int64>& ids)
{
    RequestLinkPaths(ids);
    ids.clear();
}

int DlgList::AddNew()
{
    std::vector<__int64> ids;
    int item = AddNewRowOfType(Report(), m_editor, ids);
    RequestPaths(ids);
    SetModified(true);
    return item;
}

void DlgList::DeleteSelected()
{
    DeleteSelectedRows(Report(), m_editor, [this] { SetModified(true); });
}

int DlgList::FirstSelected() const
{
    HWND list = const_cast<DlgList*>(this)->Report().m_hWnd;
    return list ? ListView_GetNextItem(list, -1, LVNI_SELECTED) : -1;
}

bool DlgList::SaveChanges()
{
    if (GetUnanswered() && ListRowSaver::MayResendUnanswered(GetApp()))
        ResendUnanswered();
    return SaveNext();
}

bool DlgList::SaveNext()
{
    App* app = GetApp();
    if (!app)
        return true;
    if (m_parentId == 0)
        m_parentId = DefaultParentId();
    return !SaveNextRow(app->m_db, static_cast<int>(m_parentId), PaneRoute(kReqSave));
}

void DlgList::Import()
{
    App* app = GetApp();
    if (!app || app->m_windows.FindWindow(kImportWizardType, 0))
        return;
    app->m_windows.OpenWindow(kImportWizardType, 0, reinterpret_cast<INT_PTR>(m_hWnd));
}

void DlgList::Export()
{
    if (!m_owner)
        return;
    Object type;
    m_owner->GetTypeByName(type, m_typeName);
    _ExportData file(m_owner->m_cache);
    for (const Row& row : rows)
        if (row.object.type == type.type)
            file.WriteObject(row.object);
    file.SaveAs(m_hWnd);
}

void DlgList::UpdateStatusText()
{
    if (!m_owner)
        return;
    CTString text;
    text.FormatResource(kStrSelected, m_selectedCount, m_itemCount);
    m_owner->SetPaneStatusText(m_owner->GetPaneKey(this), text);
}

void DlgList::NotifyChanged(int operation, Object* object)
{
    // The directory cache and every subscribed window see each saved change.
    (void)operation;
    if (App* app = GetApp(); app && object)
        app->m_dir.StoreObject(*object, 0);
}

void DlgList::FillDeleteConfirm(DeleteConfirmInfo& info)
{
    // The pane's icon goes with the box of a single row only.
    FillDeleteTexts(Report(), info, m_caption, info.count == 1 ? m_icon : nullptr);
}

void DlgList::OnEditValue(void* context, int item, int column, CAttribute* value)
{
    auto* pane = static_cast<DlgList*>(context);
    if (pane->StoreEditedValue(pane->Report(), item, column, value))
        pane->SetModified(true);
}

void DlgList::OnFillChoices(void* context, const CTString* listName, CTListCtrlEdit::Choices* entries)
{
    if (listName && entries)
        static_cast<DlgList*>(context)->FillChoicesFromSpec(*listName, *entries);
}

bool DlgList::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    if (m_editor.OnMessage(msg, wParam, lParam, result))
        handled = true;
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = TRUE;
        return true;
    case WM_WINDOWPOSCHANGING:
        if (lParam && TrackVisibility(*reinterpret_cast<WINDOWPOS*>(lParam)) == Shown) {
            if (m_refreshPending)
                RefreshPane();
            UpdateStatusText();
        }
        break;
    case kMsgRefresh:
        RefreshPane();
        *result = 0;
        return true;
    default:
        break;
    }
    if (handled)
        return true;
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

bool DlgList::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    (void)wParam;
    if (!hdr || hdr->idFrom != static_cast<UINT_PTR>(kIdList))
        return false;
    m_editor.OnNotify(kIdList, hdr, result);
    switch (hdr->code) {
    case CTListCtrlReportEx::CodeInsert:
        AddNew();
        return true;
    case CTListCtrlReportEx::CodeDelete:
        DeleteSelected();
        return true;
    case CTListCtrlReportEx::CodeActivate:
    case static_cast<UINT>(NM_DBLCLK): {
        int item = FirstSelected();
        OpenItem(GetRowId(Report(), item), item);
        *result = 1;
        return true;
    }
    case CTListCtrlReportEx::CodeConfirmDelete:
        FillDeleteConfirm(*reinterpret_cast<DeleteConfirmInfo*>(hdr));
        return true;
    case static_cast<UINT>(LVN_ITEMCHANGED): {
        auto* change = reinterpret_cast<NMLISTVIEW*>(hdr);
        if (!(change->uChanged & LVIF_STATE))
            return false;
        const bool was = (change->uOldState & LVIS_SELECTED) != 0, now = (change->uNewState & LVIS_SELECTED) != 0;
        if (now && !was)
            ++m_selectedCount;
        else if (was && !now)
            --m_selectedCount;
        UpdateStatusText();
        return true;
    }
    case static_cast<UINT>(LVN_INSERTITEM):
        ++m_itemCount;
        UpdateStatusText();
        return false;
    case static_cast<UINT>(LVN_DELETEITEM):
        --m_itemCount;
        UpdateStatusText();
        return false;
    default:
        return false;
    }
}

bool DlgList::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    const int command = LOWORD(wParam);
    switch (command) {
    case kCmdImport: Import(); return true;
    case kCmdExport: Export(); return true;
    case kCmdNew: AddNew(); return true;
    case kCmdDelete: DeleteSelected(); return true;
    case kCmdCopy: CopyItem(GetRowId(Report(), FirstSelected())); return true;
    case kCmdPaste: PasteItem(); return true;
    case kCmdOpen: {
        int item = FirstSelected();
        OpenItem(GetRowId(Report(), item), item);
        return true;
    }
    default:
        return OnKindCommand(command);
    }
}

void DlgList::OnSaveResult(RequestResult& result)
{
    auto* row = reinterpret_cast<Row*>(result.route.param2);
    if (!ListRowSaver::Succeeded(result)) {
        // The chain stops; the row is sent again by the next save.
        OnSaveFailed(row);
        SetModified(true);
        return;
    }
    OnSaveReply(result.document, row);
    // The saved row's item shows what the server stored.
    if (IsRow(row)) {
        std::vector<__int64> ids;
        UpdateRowItem(Report(), m_editor, *row, ids);
        RequestPaths(ids);
    }
    SaveNext();
}

void DlgList::OnReply(RequestResult& result)
{
    std::vector<__int64> ids;
    CTListCtrlReportEx& report = Report();
    switch (result.route.requestId) {
    case kReqSave:
        OnSaveResult(result);
        break;
    case kReqIcon: {
        if (HICON icon = ReplaceArrivedIcon(report, static_cast<int>(result.route.param2))) {
            if (m_icon)
                DestroyIcon(m_icon);
            m_icon = icon;
            ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
        }
        if (m_owner)
            m_owner->RefreshTabCaption(m_hWnd);
        break;
    }
    case kReqPath:
        ShowPathReply(report, result.document);
        if (report.GetItemCount() > 0)
            report.FitColumnsToContent();
        break;
    case kReqSearch:
        if (result.kind != RequestResult::KindServerAnswer || result.returnCode != 0)
            break;
        FillFromSearch(report, m_editor, result.document, ids);
        RequestPaths(ids);
        break;
    case kReqType:
        if (SetTypeFromReply(report, result.document) && m_loadAfterType) {
            m_loadAfterType = false;
            Load();
        }
        break;
    case kReqFormSaved:
        if (result.returnCode == 0 && result.resultCode == RequestResult::CodeOk) {
            UpdateFromReply(report, m_editor, result.document, ids);
            RequestPaths(ids);
        }
        break;
    case kReqCopied:
        RefreshPane();
        break;
    case kReqNotice:
        UpdateSavedObject(report, m_editor, static_cast<Object*>(result.attached), m_parentId, ids);
        RequestPaths(ids);
        break;
    case kReqDir:
        if (auto* changed = static_cast<std::list<__int64>*>(result.attached)) {
            UpdateFromCache(report, m_editor, *changed, ids);
            RequestPaths(ids);
        }
        break;
    default:
        break;
    }
}
