#include "calendars/DlgScheduleGroupWin.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/MainWindow.h"
#include "calendars/DlgDateRange.h"
#include "framework/CTApp.h"
#include "framework/CTREngine.h"
#include "session/FormHelpers.h"
#include "session/RequestResult.h"

namespace {

HMODULE ModuleOf(const wchar_t* type, UINT id)
{
    HMODULE module = CTApp::Instance()->FindResourceModule(type, MAKEINTRESOURCEW(id));
    return module ? module : GetModuleHandleW(nullptr);
}

bool ShiftHeld()
{
    return (GetKeyState(VK_SHIFT) & 0x8000) != 0;
}

bool AskDateRange(HWND owner, __int64& start, __int64& end)
{
    DlgDateRange dialog;
    if (!dialog.Run(owner))
        return false;
    start = dialog.m_start;
    end = dialog.m_end;
    return true;
}

int Scaled(int value)
{
    ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
    if (!dpi.loaded)
        dpi.Load();
    return dpi.Scale(value);
}

} // namespace

bool (*DlgScheduleGroupWin::s_isShiftDown)() = &ShiftHeld;
bool (*DlgScheduleGroupWin::s_askDateRange)(HWND owner, __int64& start, __int64& end) = &AskDateRange;

DlgScheduleGroupWin::DlgScheduleGroupWin() : m_alive(std::make_shared<DlgScheduleGroupWin*>(this))
{
    HMODULE module = ModuleOf(RT_DIALOG, kTemplate);
    CTWndHeader::RegisterClass(module);
    CTWndDraw::RegisterClass(module);
    CTWndListCtrlEx2::RegisterClass(module);
}

DlgScheduleGroupWin::~DlgScheduleGroupWin()
{
    *m_alive = nullptr;
    m_editor.CloseEditor();
    m_selectMenu.Destroy();
    CTWnd2::Destroy();
}

bool DlgScheduleGroupWin::Create()
{
    if (m_owner)
        m_route = m_owner->GetPaneKey(this);
    else
        m_route = PaneKey(CTWndConsole::kMainWindowType, 0, kConsoleType, m_key);
    return CreateDialogFromResource(ModuleOf(RT_DIALOG, kTemplate), MAKEINTRESOURCEW(kTemplate), GetOwnerHwnd());
}

void DlgScheduleGroupWin::Destroy()
{
    m_editor.CloseEditor();
    CTWnd2::Destroy();
}

RequestRoute DlgScheduleGroupWin::ReplyRoute(int requestId, __int64 param2) const
{
    RequestRoute route = m_route;
    route.requestId = requestId;
    route.param2 = param2;
    return route;
}

void DlgScheduleGroupWin::OnInitDialog()
{
    for (int i = 0; i < 7; ++i) {
        wchar_t name[81] = {};
        GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDAYNAME1 + i, name, 80);
        m_dayNames[i] = CTString(name);
    }

    CTWndSize::Init(m_hWnd, false, Scaled(100), Scaled(100), false);
    AddItem(GetDlgItem(m_hWnd, kIdHeader), CTWndSize::RightToRight);
    AddItem(GetDlgItem(m_hWnd, kIdSummary), CTWndSize::RightToRight);
    const DWORD corner = CTWndSize::LeftToRight | CTWndSize::TopToBottom | CTWndSize::BottomToBottom |
                         CTWndSize::RightToRight;
    AddItem(GetDlgItem(m_hWnd, kIdCancel), corner);
    AddItem(GetDlgItem(m_hWnd, kIdSave), corner);
    AddItem(GetDlgItem(m_hWnd, kIdList), CTWndSize::RightToRight | CTWndSize::BottomToBottom);

    if (m_header.Attach(m_hWnd, kIdHeader)) {
        m_header.SetMarkupMode();
        ApplyHeaderColours(m_header);
    }
    m_summary.AttachDlgItem(m_hWnd, kIdSummary, 0);

    if (m_list.Create(m_hWnd, kIdList, true, WS_TABSTOP | LVS_NOSORTHEADER | LVS_SINGLESEL)) {
        CTListCtrlReportEx& report = m_list.m_report;
        report.ModifyOptions(CTListCtrlReport::OptGridLines, 0x1F0);
        // The order is the pane's own (day, then slot kind), never the list-view's text order.
        report.ModifyStyle(LVS_SORTASCENDING | LVS_SORTDESCENDING, 0, 0);
        // The tick boxes are the editor's own cells, so the list's state-image boxes stay off.
        ListView_SetExtendedListViewStyleEx(report.m_hWnd, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                                            LVS_EX_FULLROWSELECT);
        const CTListCtrlReportEx::ToolbarButton buttons[] = {
            {kCmdSelect, 0, static_cast<int>(kStrSelect), static_cast<BYTE>(BTNS_WHOLEDROPDOWN | BTNS_DROPDOWN)},
            {kCmdNew, CTListCtrlReportEx::kStandardImage, static_cast<int>(kStrNew), BTNS_BUTTON},
            {kCmdDelete, CTListCtrlReportEx::kStandardImage, static_cast<int>(kStrDelete), BTNS_BUTTON},
        };
        m_list.CreateToolbar(this, 3, 3, buttons);
        CTWndToolbar& toolbar = report.m_toolbar;
        if (toolbar.m_hWnd && toolbar.m_images) {
            int cx = 16, cy = 16;
            ImageList_GetIconSize(toolbar.m_images, &cx, &cy);
            HICON icon = static_cast<HICON>(
                LoadImageW(ModuleOf(RT_GROUP_ICON, kIconSelect), MAKEINTRESOURCEW(kIconSelect), IMAGE_ICON, cx, cy, 0));
            if (icon) {
                TBBUTTONINFOW info = {};
                info.cbSize = sizeof(info);
                info.dwMask = TBIF_IMAGE;
                info.iImage = ImageList_AddIcon(toolbar.m_images, icon);
                DestroyIcon(icon);
                ::SendMessageW(toolbar.m_hWnd, TB_SETBUTTONINFOW, kCmdSelect, reinterpret_cast<LPARAM>(&info));
            }
        }
        report.SetEmptyText(CTString(L"No Deployment Slots"));
        // Re-stretch the columns.
        RECT rc = {};
        GetWindowRect(m_list.m_hWnd, &rc);
        SetWindowPos(m_list.m_hWnd, nullptr, 0, 0, rc.right - rc.left - 1, rc.bottom - rc.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(m_list.m_hWnd, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        m_editor.Attach(kIdList, &report, &ValueChangedThunk, &FillChoicesThunk, this);
    }
    SetModified(false);
    Refresh();
}

void DlgScheduleGroupWin::ValueChangedThunk(void* context, int item, int column, CAttribute* value)
{
    if (context && value)
        static_cast<DlgScheduleGroupWin*>(context)->OnValueChanged(item, column, *value);
}

void DlgScheduleGroupWin::FillChoicesThunk(void* context, const CTString* listName, CTListCtrlEdit::Choices* entries)
{
    if (context && listName && entries)
        static_cast<DlgScheduleGroupWin*>(context)->FillChoices(*listName, *entries);
}

void DlgScheduleGroupWin::SetModified(bool on)
{
    if (!m_hWnd)
        return;
    EnableWindow(GetDlgItem(m_hWnd, kIdSave), on);
    EnableWindow(GetDlgItem(m_hWnd, kIdCancel), on);
}

CTString DlgScheduleGroupWin::StatusText() const
{
    CTString format;
    if (!format.LoadString(kStrStatus))
        format = L"%d/%d Selected";
    CTString text;
    text.Format(format.GetBuffer(), m_tickedCount, m_rowCount);
    return text;
}

void DlgScheduleGroupWin::UpdateStatusText()
{
    // The report claims its own deletion notices, so the count is read from the list itself.
    m_rowCount = m_list.m_report.m_hWnd ? m_list.m_report.GetItemCount() : 0;
    if (m_owner)
        m_owner->SetPaneStatusText(m_route, StatusText());
}

void DlgScheduleGroupWin::ShowSelectMenu()
{
    HWND toolbar = m_list.m_report.m_toolbar.m_hWnd;
    RECT rc = {};
    if (toolbar) {
        int index = static_cast<int>(::SendMessageW(toolbar, TB_COMMANDTOINDEX, kCmdSelect, 0));
        ::SendMessageW(toolbar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc));
        MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&rc), 2);
        ::SendMessageW(toolbar, TB_SETSTATE, kCmdSelect, TBSTATE_ENABLED | TBSTATE_PRESSED);
    }
    m_selectMenu.Destroy();
    UINT command = 0;
    if (m_selectMenu.Load(ModuleOf(RT_MENU, kMenuSelect), MAKEINTRESOURCEW(kMenuSelect))) {
        m_selectMenu.MakeOwnerDrawn();
        command = m_selectMenu.Track(true, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTALIGN, rc.right, rc.bottom, m_hWnd);
    }
    if (toolbar)
        ::SendMessageW(toolbar, TB_SETSTATE, kCmdSelect, TBSTATE_ENABLED);
    if (command) {
        LRESULT ignored = 0;
        OnCommand(command, 0, &ignored);
    }
}

bool DlgScheduleGroupWin::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    switch (LOWORD(wParam)) {
    case kCmdClose:
        Close();
        return true;
    case kCmdSelect:
        ShowSelectMenu();
        return true;
    case kCmdNew:
        AddSlots();
        return true;
    case kCmdDelete:
        DeleteSelected();
        return true;
    case kIdCancel:
        Refresh();
        return true;
    case kIdSave:
        EnableWindow(GetDlgItem(m_hWnd, kIdSave), FALSE);
        if (m_savingKey == 0)
            Save();
        return true;
    case kCmdAll:
    case kCmdNone:
    case kCmdInvert:
    case kCmdUnusedExpired:
    case kCmdCalendaredDays:
    case kCmdDateRange:
        SelectRows(LOWORD(wParam));
        return true;
    default:
        return false;
    }
}

bool DlgScheduleGroupWin::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    (void)wParam;
    if (!hdr || hdr->idFrom != static_cast<UINT_PTR>(kIdList))
        return false;
    m_editor.OnNotify(kIdList, hdr, result);
    switch (hdr->code) {
    case CTListCtrlReportEx::CodeInsert:
        AddSlots();
        *result = 0;
        return true;
    case CTListCtrlReportEx::CodeDelete:
        DeleteSelected();
        *result = 0;
        return true;
    case CTListCtrlReportEx::CodeConfirmDelete: {
        auto* info = reinterpret_cast<DeleteConfirmInfo*>(hdr);
        if (info->count == 1) {
            info->icon = reinterpret_cast<HICON>(::SendMessageW(m_hWnd, WM_GETICON, ICON_SMALL, 0));
        } else {
            CTString format;
            if (!format.LoadString(kStrDeleteMany))
                format = L"Are you sure you want to delete these %d items?";
            info->text.Format(format.GetBuffer(), info->count);
        }
        *result = 0;
        return true;
    }
    case CTListCtrlReportEx::CodeDropDownMenu: {
        auto* info = reinterpret_cast<ReportCommandInfo*>(hdr);
        *result = 0;
        if (info->id != kCmdSelect)
            return true;
        if (ListView_GetNextItem(m_list.m_report.m_hWnd, -1, LVNI_SELECTED) < 0)
            return true;
        m_selectMenu.Destroy();
        if (m_selectMenu.Load(ModuleOf(RT_MENU, kMenuSelect), MAKEINTRESOURCEW(kMenuSelect)))
            *result = reinterpret_cast<LRESULT>(GetSubMenu(m_selectMenu.m_menu, 0));
        return true;
    }
    case TBN_DROPDOWN: {
        auto* drop = reinterpret_cast<NMTOOLBARW*>(hdr);
        if (drop->iItem != kCmdSelect)
            return false;
        ShowSelectMenu();
        *result = TBDDRET_DEFAULT;
        return true;
    }
    case LVN_KEYDOWN: {
        auto* key = reinterpret_cast<NMLVKEYDOWN*>(hdr);
        if (key->wVKey == 'A' && (GetKeyState(VK_CONTROL) & 0x8000)) {
            SelectRows(kCmdAll);
            *result = 0;
            return true;
        }
        return false;
    }
    case LVN_INSERTITEM:
    case LVN_DELETEITEM:
        if (!m_filling)
            UpdateStatusText();
        return false;
    default:
        return false;
    }
}

bool DlgScheduleGroupWin::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    LRESULT editorResult = 0;
    if (m_editor.OnMessage(msg, wParam, lParam, &editorResult) && !handled) {
        *result = editorResult;
        handled = true;
    }
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = TRUE;
        return true;
    case WM_WINDOWPOSCHANGING: {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (pos && TrackVisibility(*pos) == Shown && m_refreshPending)
            Refresh();
        break;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        *result = reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        return true;
    case kMsgSitePicked:
    case kMsgSitePickState:
        OnSitePickerMessage(msg, wParam, lParam);
        *result = 0;
        return true;
    case kMsgReload:
        Refresh();
        *result = 0;
        return true;
    case kMsgAddSlots:
        if (lParam == 0)
            SortRows();
        else
            ApplyAddSlotsRequest(*reinterpret_cast<const AddSlotsRequest*>(lParam));
        *result = 0;
        return true;
    default:
        break;
    }
    if (handled)
        return true;
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}
