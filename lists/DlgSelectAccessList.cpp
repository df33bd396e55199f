#include "lists/DlgSelectAccessList.h"

#include <algorithm>
#include <commctrl.h>
#include "app/App.h"
#include "app/MainWindow.h"
#include "app/SearchResultList.h"
#include "foundation/TiXmlDocument.h"
#include "framework/CTApp.h"
#include "lists/PickerFrame.h"
#include "session/FormHelpers.h"
#include "session/Object.h"

namespace {

void* Key(__int64 id)
{
    return reinterpret_cast<void*>(static_cast<INT_PTR>(id));
}

} // namespace

DlgSelectAccessList::DlgSelectAccessList()
{
    CTWndHeader::RegisterClass(GetModuleHandleW(nullptr));
    CTWndListCtrlEx2::RegisterClass(GetModuleHandleW(nullptr));
}

DlgSelectAccessList::~DlgSelectAccessList()
{
    *m_alive = false;
    CTWnd2::Destroy();
}

bool DlgSelectAccessList::Open()
{
    return PickerFrame::Open(*this, kTemplate, Owner(), true);
}

void DlgSelectAccessList::Close()
{
    PickerFrame::Close(*this, *this);
}

void DlgSelectAccessList::OnValueChanged(void* context, int, int, CAttribute*)
{
    static_cast<DlgSelectAccessList*>(context)->MarkModified();
}

void DlgSelectAccessList::MarkModified()
{
    m_modified = true;
    EnableWindow(GetDlgItem(m_hWnd, IDOK), TRUE);
}

void DlgSelectAccessList::OnInitDialog()
{
    HWND top = PickerFrame::CopyOwnerIcons(*this, Owner());
    CenterOnWindow(top);
    CTWndSize::Init(m_hWnd, true, 200, 200, false);
    AddItem(GetDlgItem(m_hWnd, kIdHeader), CTWndSize::RightToRight);
    AddItem(GetDlgItem(m_hWnd, kIdList), CTWndSize::RightToRight | CTWndSize::BottomToBottom);
    PickerFrame::AnchorButtons(*this, m_hWnd);
    PickerFrame::AttachHeader(m_header, m_headerIcon, m_hWnd, kIdHeader, 255);
    if (m_list.Create(m_hWnd, kIdList, true, 0)) {
        CTListCtrlReportEx& report = m_list.m_report;
        report.ModifyOptions(CTListCtrlReport::OptGridLines, 0x20 | 0x40 | 0x80);
        report.ModifyStyle(0, LVS_SINGLESEL | WS_TABSTOP, 0);
        ListView_SetExtendedListViewStyleEx(report.m_hWnd, LVS_EX_GRIDLINES, 0);
        report.SetColumns(CTString(L"Name,200;Type,100;Enable,80"), 0, nullptr, nullptr);
        m_editor.Attach(kIdList, &report, &DlgSelectAccessList::OnValueChanged, nullptr, this);
        CTListCtrlReportEx::ToolbarButton select;
        select.command = kCmdSelect;
        select.image = 0;
        select.stringId = kStrSelect;
        select.style = 0xC8; // drop-down over the whole button, with its text
        m_list.CreateToolbar(this, TBSTYLE_TOOLTIPS | TBSTYLE_LIST, 1, &select);
        CTWndToolbar& toolbar = report.m_toolbar;
        int image = toolbar.AddIcon(GetModuleHandleW(nullptr), 188);
        if (image >= 0)
            toolbar.SetButtonImage(image, kCmdSelect);
        InvalidateRect(m_list.m_hWnd, nullptr, TRUE);
    }
    RestorePlacement(L"DlgSelectAccessList", 0);
    EnableWindow(GetDlgItem(m_hWnd, IDOK), FALSE);
}

void DlgSelectAccessList::Show(const CTString& heading, const std::vector<__int64>& ids)
{
    m_header.SetText(heading);
    m_ids = ids;
    App* app = App::Instance();
    if (!app)
        return;
    CAttributes form;
    form.SetText(CTString(L"EDIT"), CTString(L"CUSTOMLOOKUP=AccessList|RETURNOBJ=1|RETURNPATH=1"));
    std::shared_ptr<bool> alive = m_alive;
    app->m_db.Post(CTString(L"api/api_dirGetLookup.php"), form, [this, alive](DB::DBEvent& event) {
        if (!*alive)
            return;
        TiXmlDocument document;
        if (event.ReadXmlReply(document) == 2 && document.FirstChildElementNamed(L"result"))
            FillFromReply(document);
    });
}

int DlgSelectAccessList::ImageFor(const Object& object)
{
    return SearchResultList::ImageFor(App::Instance(), m_list.m_report, object,
                                      RequestRoute{m_type, m_key, 0, 0, kReqIcon, 0, false});
}

void DlgSelectAccessList::FillFromReply(TiXmlDocument& document)
{
    CTListCtrlReport& report = m_list.m_report;
    report.DeleteAllRows();
    m_editor.RemoveAllRows();
    m_modified = false;
    EnableWindow(GetDlgItem(m_hWnd, IDOK), FALSE);
    App* app = App::Instance();
    MainWindow* main = app ? app->m_mainWindow : nullptr;
    std::vector<__int64> given = m_ids;
    std::sort(given.begin(), given.end());
    bool autoSort = report.m_autoSort;
    report.EnableAutoSort(false);
    report.SendMessage(WM_SETREDRAW, FALSE);
    std::map<__int64, CTString> typeNames;
    struct Candidate {
        CTListCtrlReport::Row row;
        CTListCtrlEdit::Row editRow;
        int image = 0;
    };
    std::vector<Candidate> candidates;
    TiXmlElement* root = document.FirstChildElementNamed(L"result");
    for (TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr; element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object object;
        object.ReadFromXml(element, true);
        if (app)
            app->m_dir.StoreObject(object, 0);
        auto type = typeNames.find(object.type);
        if (type == typeNames.end()) {
            Object definition;
            if (main)
                main->GetTypeById(definition, object.type);
            type = typeNames.emplace(object.type, CTString(definition.name)).first;
        }
        bool enabled = std::binary_search(given.begin(), given.end(), object.id);
        CTString name(object.name);
        Candidate& candidate = candidates.emplace_back();
        candidate.row.m_data = Key(object.id);
        candidate.row.AddText(name).AddText(type->second).AddNumber(enabled ? 1 : 0);
        candidate.image = ImageFor(object);
        candidate.editRow.m_key = Key(object.id);
        candidate.editRow.AddCell(CTListCtrlEdit::KindReadOnly).SetText(name);
        candidate.editRow.AddCell(CTListCtrlEdit::KindReadOnly).SetText(type->second);
        candidate.editRow.AddCell(CTListCtrlEdit::KindCheck).SetBool(enabled);
    }
    // The editor looks a new row up in the report by a walk over its rows: given to it while the
    // report is still empty, and shown by row index afterwards, the fill stays linear.
    for (const Candidate& candidate : candidates)
        m_editor.AddRow(candidate.editRow);
    for (Candidate& candidate : candidates) {
        int item = report.AddRow(candidate.image, candidate.row);
        if (item >= 0)
            m_editor.UpdateRow(item, candidate.editRow);
    }
    report.SendMessage(WM_SETREDRAW, TRUE);
    report.EnableAutoSort(autoSort);
    InvalidateRect(report.m_hWnd, nullptr, TRUE);
}

std::vector<__int64> DlgSelectAccessList::TickedIds()
{
    std::vector<__int64> ids;
    CTListCtrlReport& report = m_list.m_report;
    int count = report.GetItemCount();
    for (int item = 0; item < count; ++item) {
        void* key = report.GetRowData(item);
        CAttribute value;
        if (m_editor.GetValue(value, key, kEnableColumn).GetValue() != 0)
            ids.push_back(static_cast<__int64>(reinterpret_cast<INT_PTR>(key)));
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

void DlgSelectAccessList::SelectAll(int command)
{
    CTListCtrlReport& report = m_list.m_report;
    bool autoSort = report.m_autoSort;
    report.EnableAutoSort(false);
    report.SendMessage(WM_SETREDRAW, FALSE);
    int count = report.GetItemCount();
    for (int item = 0; item < count; ++item) {
        // By row index: a lookup by key walks the report's rows for every row.
        CTListCtrlEdit::Cell* cell = m_editor.FindCell(item, kEnableColumn);
        if (!cell)
            continue;
        bool on = cell->IsChecked();
        bool wanted = command == kCmdAll ? true : command == kCmdNone ? false : !on;
        if (wanted == on)
            continue;
        cell->m_value.Assign(CAttribute(CAttribute::Integer, wanted ? 1 : 0));
        m_editor.ShowValue(item, kEnableColumn, *cell);
        MarkModified();
    }
    report.SendMessage(WM_SETREDRAW, TRUE);
    report.EnableAutoSort(autoSort);
    InvalidateRect(report.m_hWnd, nullptr, TRUE);
}

void DlgSelectAccessList::ShowSelectMenu()
{
    CTWndToolbar& toolbar = m_list.m_report.m_toolbar;
    RECT rc = {};
    LRESULT index = toolbar.m_hWnd ? ::SendMessageW(toolbar.m_hWnd, TB_COMMANDTOINDEX, kCmdSelect, 0) : -1;
    if (index >= 0)
        ::SendMessageW(toolbar.m_hWnd, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rc));
    POINT corner = {rc.right, rc.bottom};
    if (toolbar.m_hWnd)
        ClientToScreen(toolbar.m_hWnd, &corner);
    if (!m_menu.Load(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kMenu)))
        return;
    toolbar.SetButtonState(kCmdSelect, 6);
    UINT command = m_menu.Track(true, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTALIGN, corner.x, corner.y, m_hWnd);
    toolbar.SetButtonState(kCmdSelect, 4);
    if (command == kCmdAll || command == kCmdNone || command == kCmdInvert)
        SelectAll(static_cast<int>(command));
}

void DlgSelectAccessList::Notify(void* param)
{
    auto* result = static_cast<RequestResult*>(param);
    if (result && m_hWnd && result->route.requestId == kReqIcon && m_list.m_report.m_hWnd)
        InvalidateRect(m_list.m_report.m_hWnd, nullptr, TRUE);
}

bool DlgSelectAccessList::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!hdr)
        return false;
    if (hdr->code == TBN_DROPDOWN) {
        auto* drop = reinterpret_cast<NMTOOLBARW*>(hdr);
        if (drop->iItem == kCmdSelect) {
            ShowSelectMenu();
            *result = TBDDRET_DEFAULT;
            return true;
        }
    }
    if (static_cast<int>(wParam) != kIdList)
        return false;
    if (hdr->code == CTListCtrlReportEx::CodeDropDownMenu) {
        auto* info = reinterpret_cast<ReportCommandInfo*>(hdr);
        if (info->id == kCmdSelect && m_list.m_report.SendMessage(LVM_GETSELECTEDCOUNT) > 0 &&
            m_menu.Load(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kMenu))) {
            *result = reinterpret_cast<LRESULT>(GetSubMenu(m_menu.m_menu, 0));
            return true;
        }
        return false;
    }
    return m_editor.OnNotify(kIdList, hdr, result);
}

bool DlgSelectAccessList::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    int id = LOWORD(wParam);
    switch (id) {
    case IDOK: {
        if (m_answered)
            return true;
        m_answered = true;
        std::vector<__int64> ticked = TickedIds();
        // Compared with the given ids as given: an unsorted list counts as changed.
        bool changed = ticked != m_ids;
        m_ids = ticked;
        if (changed) {
            HWND top = Owner();
            while (top && GetParent(top))
                top = GetParent(top);
            ::SendMessageW(top, kMsgChanged, 0, static_cast<LPARAM>(m_key));
        }
        DestroyWindow(m_hWnd);
        return true;
    }
    case IDCANCEL:
        m_answered = true;
        DestroyWindow(m_hWnd);
        return true;
    case kCmdSelect:
        ShowSelectMenu();
        return true;
    case kCmdAll:
    case kCmdNone:
    case kCmdInvert:
        SelectAll(id);
        return true;
    default:
        return false;
    }
}

bool DlgSelectAccessList::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    if (m_editor.OnMessage(msg, wParam, lParam, result))
        return true;
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = TRUE;
        return true;
    case WM_ACTIVATE:
        PickerFrame::TrackActive(m_activeDialog, m_hWnd, msg, wParam);
        break;
    case WM_DESTROY:
        PickerFrame::TrackActive(m_activeDialog, m_hWnd, msg, wParam);
        *m_alive = false;
        SavePlacement(L"DlgSelectAccessList");
        Unregister();
        break;
    default:
        break;
    }
    if (handled)
        return true;
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}
