#include "lists/DlgPicker.h"

#include <commctrl.h>
#include <vector>
#include "app/App.h"
#include "app/MainWindow.h"
#include "app/SearchResultList.h"
#include "foundation/TiXmlDocument.h"
#include "framework/CTApp.h"
#include "lists/PickerFrame.h"
#include "session/FormHelpers.h"

namespace {

constexpr DWORD kAnchorRight = CTWndSize::RightToRight;                                   // 8
constexpr DWORD kAnchorRightBottom = CTWndSize::RightToRight | CTWndSize::BottomToBottom; // 12
constexpr DWORD kAnchorMoveRight = CTWndSize::RightToRight | CTWndSize::LeftToRight;      // 9
constexpr DWORD kAnchorMoveBottom = CTWndSize::TopToBottom | CTWndSize::BottomToBottom;   // 6
constexpr DWORD kAnchorMoveCorner = kAnchorMoveRight | kAnchorMoveBottom;                 // 15
constexpr int kMinWidth = 320;
constexpr int kMinHeight = 200;
constexpr UINT kListIcon = 142;
constexpr UINT kHeaderIcon = 161;

} // namespace

DlgPicker::DlgPicker()
{
    // The templates' header control needs its class before the dialog is made.
    CTWndHeader::RegisterClass(GetModuleHandleW(nullptr));
}

DlgPicker::~DlgPicker()
{
    CTWnd2::Destroy();
}

App* DlgPicker::GetApp() const
{
    return App::Instance();
}

MainWindow* DlgPicker::GetMainWindow() const
{
    App* app = GetApp();
    return app ? app->m_mainWindow : nullptr;
}

RequestRoute DlgPicker::Route(int requestId, __int64 param2, bool silent) const
{
    return RequestRoute{m_type, m_key, 0, 0, requestId, param2, silent};
}

bool DlgPicker::Open()
{
    return PickerFrame::Open(*this, TemplateId(), Owner(), false);
}

void DlgPicker::Close()
{
    PickerFrame::Close(*this, *this);
}

void DlgPicker::CopyOwnerIcons()
{
    PickerFrame::CopyOwnerIcons(*this, Owner());
}

BOOL DlgPicker::OnInitDialog()
{
    CenterOnWindow(Owner());
    if (CopiesOwnerIcons())
        CopyOwnerIcons();

    CTWndSize::Init(m_hWnd, true, kMinWidth, kMinHeight, false);
    struct Anchor {
        int id;
        DWORD flags;
    };
    for (const Anchor& a : {Anchor{kIdHeader, kAnchorRight}, Anchor{kIdSearchEdit, kAnchorRight},
                            Anchor{kIdGo, kAnchorMoveRight}, Anchor{kIdList, kAnchorRightBottom},
                            Anchor{kIdNone, kAnchorMoveBottom}, Anchor{IDOK, kAnchorMoveCorner},
                            Anchor{IDCANCEL, kAnchorMoveCorner}}) {
        if (HWND item = GetDlgItem(m_hWnd, a.id))
            AddItem(item, a.flags);
    }
    AddExtraItems();

    PickerFrame::AttachHeader(m_header, m_headerIcon, m_hWnd, kIdHeader, kHeaderIcon);

    if (m_list.AttachReport(m_hWnd, kIdList)) {
        m_list.ModifyOptions(CTListCtrlReport::OptGridLines, 0xF0);
        ListView_SetExtendedListViewStyleEx(m_list.m_hWnd, LVS_EX_GRIDLINES, 0);
        m_list.ModifyStyle(LVS_SINGLESEL, WS_TABSTOP, 0);
        m_list.SetColumns(CTString(ColumnSpec()), kLayoutRoot, nullptr, LayoutName());
        if (SortsByFirstColumn())
            m_list.SortBy(0, true);
        HICON item = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kListIcon), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
        m_list.AddImage(item);
        if (item)
            DestroyIcon(item);
        m_list.SetFocus();
    }
    RestorePlacement(PlacementName(), 0);
    EnableWindow(GetDlgItem(m_hWnd, IDOK), FALSE);
    return FALSE; // the focus is set
}

bool DlgPicker::IsNoneTicked()
{
    return IsDlgButtonChecked(m_hWnd, kIdNone) == BST_CHECKED;
}

__int64 DlgPicker::FirstSelectedId()
{
    if (!m_list.m_hWnd)
        return 0;
    int item = static_cast<int>(m_list.SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (item < 0)
        return 0;
    return static_cast<__int64>(reinterpret_cast<INT_PTR>(m_list.GetRowData(item)));
}

void DlgPicker::SetDefaultButton(int id)
{
    SendMessage(DM_SETDEFID, static_cast<WPARAM>(id), 0);
}

void DlgPicker::UpdateOkState()
{
    bool selected = m_list.m_hWnd && m_list.SendMessage(LVM_GETSELECTEDCOUNT) > 0;
    EnableWindow(GetDlgItem(m_hWnd, IDOK), selected || IsNoneTicked());
    SetDefaultButton(selected ? IDOK : kIdGo);
}

void DlgPicker::ClearResults()
{
    EnableWindow(GetDlgItem(m_hWnd, IDOK), FALSE);
    m_list.EnableAutoSort(false);
    if (m_list.m_hWnd)
        m_list.DeleteAllRows();
    m_results.clear();
    m_resultIds.clear();
    m_paths.clear();
    m_list.EnableAutoSort(true);
    m_list.SetEmptyText(CTString(L"Searching..."));
}

void DlgPicker::Search()
{
    ClearResults();
    App* app = GetApp();
    if (!app)
        return;
    SendSearch(*app, Route(kReqSearch, ++m_searchSerial));
}

int DlgPicker::ImageFor(const Object& object)
{
    return SearchResultList::ImageFor(GetApp(), m_list, object, Route(kReqIcon));
}

CTString DlgPicker::PathCell(const Object& object, bool& ask)
{
    ask = false;
    CTString& path = m_paths[object.parent];
    if (object.parent != 0 && path.IsEmpty()) {
        path = L"?";
        ask = true;
        return CTString();
    }
    return lstrcmpW(path.GetBuffer() ? path.GetBuffer() : L"", L"?") == 0 ? CTString() : path;
}

void DlgPicker::SelectOnlyRow()
{
    if (m_list.GetItemCount() != 1)
        return;
    m_list.SetFocus();
    ListView_SetItemState(m_list.m_hWnd, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EnableWindow(GetDlgItem(m_hWnd, IDOK), TRUE);
    SetDefaultButton(IDOK);
}

void DlgPicker::OnSearchReply(RequestResult& result)
{
    m_list.SetEmptyText(CTString(L"No Results Found"));
    m_list.EnableAutoSort(false);
    App* app = GetApp();
    std::vector<__int64> ask;
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    for (TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr; element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object& object = m_results.emplace_back();
        object.ReadFromXml(element, true);
        if (!m_resultIds.insert(object.id).second) {
            m_results.pop_back();
            continue;
        }
        if (!ShowsObject(object))
            continue;
        bool askPath = false;
        CTListCtrlReport::Row row(reinterpret_cast<void*>(static_cast<INT_PTR>(object.id)));
        row.AddText(PathCell(object, askPath));
        AddCells(row, object);
        m_list.AddRow(ImageFor(object), row);
        if (askPath)
            ask.push_back(object.parent);
    }
    m_list.EnableAutoSort(true);
    if (m_list.m_sortColumn >= 0)
        m_list.SortBy(m_list.m_sortColumn, m_list.m_ascending);
    // Asked once the rows exist: a path the application knows comes back at once.
    if (app) {
        for (__int64 parent : ask)
            app->IDToPath(parent, Route(kReqPath, parent, true));
    }
    if (SelectsSingleResult())
        SelectOnlyRow();
}

void DlgPicker::OnPathReply(RequestResult& result)
{
    SearchResultList::OnPathReply(m_list, m_results, m_paths, result);
}

void DlgPicker::OnIconReply(RequestResult& result)
{
    SearchResultList::OnIconReply(GetApp(), m_list, result);
}

void DlgPicker::Notify(void* param)
{
    auto* result = static_cast<RequestResult*>(param);
    if (!result || !m_hWnd)
        return;
    switch (result->route.requestId) {
    case kReqSearch:
        // A late answer of an earlier search would mix its rows into this one.
        if (result->route.param2 == m_searchSerial)
            OnSearchReply(*result);
        break;
    case kReqPath: OnPathReply(*result); break;
    case kReqIcon: OnIconReply(*result); break;
    default: OnOtherReply(*result); break;
    }
}

void DlgPicker::Choose()
{
    if (m_answered)
        return;
    if (IsNoneTicked()) {
        m_answered = true;
        Answer(0, true);
    } else {
        __int64 id = FirstSelectedId();
        if (id == 0 && !AnswersWithoutSelection())
            return;
        m_answered = true;
        Answer(id, false);
    }
    DestroyWindow(m_hWnd);
}

void DlgPicker::EnableSearchControls(bool enable)
{
    EnableWindow(GetDlgItem(m_hWnd, kIdList), enable);
    if (HWND go = GetDlgItem(m_hWnd, kIdGo))
        EnableWindow(go, enable);
}

bool DlgPicker::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    (void)wParam;
    if (!hdr || !m_list.m_hWnd || hdr->hwndFrom != m_list.m_hWnd)
        return false;
    bool handled = m_list.OnParentNotify(hdr, result);
    switch (hdr->code) {
    case NM_DBLCLK:
    case CTListCtrlReportEx::CodeActivate:
        if (m_list.SendMessage(LVM_GETSELECTEDCOUNT) > 0)
            Choose();
        return true;
    case LVN_ITEMCHANGED: {
        auto* change = reinterpret_cast<NMLISTVIEW*>(hdr);
        if ((change->uChanged & LVIF_STATE) && ((change->uOldState ^ change->uNewState) & LVIS_SELECTED)) {
            UpdateOkState();
            *result = 0;
            return true;
        }
        break;
    }
    default:
        break;
    }
    return handled;
}

bool DlgPicker::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    switch (id) {
    case IDOK:
        Choose();
        return true;
    case IDCANCEL:
        if (!m_answered) {
            m_answered = true;
            OnCancel();
        }
        DestroyWindow(m_hWnd);
        return true;
    case kIdNone:
        EnableSearchControls(!IsNoneTicked());
        UpdateOkState();
        return true;
    case kIdSearchEdit:
        SetDefaultButton(kIdGo);
        return true;
    case kIdGo:
        if (code == BN_CLICKED)
            Search();
        return true;
    default:
        return false;
    }
}

bool DlgPicker::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    switch (msg) {
    case WM_INITDIALOG:
        *result = OnInitDialog();
        return true;
    case WM_ACTIVATE:
        PickerFrame::TrackActive(m_activeDialog, m_hWnd, msg, wParam);
        break;
    case WM_DESTROY:
        PickerFrame::TrackActive(m_activeDialog, m_hWnd, msg, wParam);
        OnDestroyWork();
        SavePlacement(PlacementName());
        Unregister();
        break;
    default:
        break;
    }
    if (handled)
        return true;
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}
