#include "calendars/DlgScheduleGroupWinAddSlot.h"

#include <commctrl.h>
#include <algorithm>
#include "app/App.h"
#include "app/MainWindow.h"
#include "calendars/DlgDateRange.h"
#include "foundation/CAttributes.h"
#include "framework/CTApp.h"
#include "framework/CTREngine.h"
#include "session/FormHelpers.h"
#include "session/RequestResult.h"

namespace {

constexpr __int64 kDay = 86400;

HMODULE TemplateModule()
{
    HMODULE module = CTApp::Instance()->FindResourceModule(RT_DIALOG, MAKEINTRESOURCEW(DlgScheduleGroupWinAddSlot::kTemplate));
    return module ? module : GetModuleHandleW(nullptr);
}

void* KeyData(__int64 key)
{
    return reinterpret_cast<void*>(static_cast<INT_PTR>(key));
}

int ItemNumber(HWND dialog, int id)
{
    wchar_t text[32] = {};
    GetDlgItemTextW(dialog, id, text, 31);
    return static_cast<int>(wcstoul(text, nullptr, 10));
}

} // namespace

DlgScheduleGroupWinAddSlot::DlgScheduleGroupWinAddSlot() : m_alive(std::make_shared<DlgScheduleGroupWinAddSlot*>(this))
{
    CTWndHeader::RegisterClass(TemplateModule());
    CTWndListCtrlEx2::RegisterClass(TemplateModule());
}

DlgScheduleGroupWinAddSlot::~DlgScheduleGroupWinAddSlot()
{
    *m_alive = nullptr;
    m_editor.CloseEditor();
    m_dayMenu.Destroy();
    CTWnd2::Destroy();
}

const wchar_t* DlgScheduleGroupWinAddSlot::KindLabel(int kind)
{
    static const wchar_t* const labels[] = {L"Default", L"Monday", L"Tuesday", L"Wednesday", L"Thursday", L"Friday",
                                            L"Saturday", L"Sunday", L"Weekend Day", L"Non Calendar Day"};
    if (kind < AddSlotsRequest::RowDefault || kind > AddSlotsRequest::RowNonCalendar)
        return L"";
    return labels[kind - AddSlotsRequest::RowDefault];
}

bool DlgScheduleGroupWinAddSlot::Open()
{
    if (m_hWnd)
        return true;
    auto owner = reinterpret_cast<HWND>(m_param);
    if (!CreateDialogFromResource(TemplateModule(), MAKEINTRESOURCEW(kTemplate), owner))
        return false;
    CenterOnWindow(owner);
    ::ShowWindow(m_hWnd, SW_SHOW);
    return true;
}

void DlgScheduleGroupWinAddSlot::Close()
{
    if (m_hWnd)
        DestroyWindow(m_hWnd);
    else
        Unregister();
}

void DlgScheduleGroupWinAddSlot::Notify(void* param)
{
    if (param)
        OnResult(*static_cast<RequestResult*>(param));
}

void DlgScheduleGroupWinAddSlot::RateChangedThunk(void* context, int item, int column, CAttribute* value)
{
    if (context && value)
        static_cast<DlgScheduleGroupWinAddSlot*>(context)->OnRateChanged(item, column, *value);
}

void DlgScheduleGroupWinAddSlot::OnInitDialog()
{
    HWND owner = reinterpret_cast<HWND>(m_param);
    CenterOnWindow(owner);
    HWND top = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
    if (top) {
        ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, ::SendMessageW(top, WM_GETICON, ICON_BIG, 0));
        ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, ::SendMessageW(top, WM_GETICON, ICON_SMALL, 0));
    }
    ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
    if (!dpi.loaded)
        dpi.Load();
    CTWndSize::Init(m_hWnd, true, dpi.Scale(480), dpi.ScaleY(200), false);
    AddItem(GetDlgItem(m_hWnd, kIdHeader), CTWndSize::RightToRight);
    AddItem(GetDlgItem(m_hWnd, IDOK), 15);
    AddItem(GetDlgItem(m_hWnd, IDCANCEL), 15);
    AddItem(GetDlgItem(m_hWnd, kIdList), CTWndSize::RightToRight | CTWndSize::BottomToBottom);

    if (m_header.Attach(m_hWnd, kIdHeader))
        ApplyHeaderColours(m_header);
    ShowHeaderIcon();

    if (m_list.Create(m_hWnd, kIdList, true, LVS_SINGLESEL | LVS_NOSORTHEADER)) {
        CTListCtrlReportEx& report = m_list.m_report;
        report.ModifyOptions(0x12, 0x1E0);
        // Rows keep the order they were added in: no sorting by the list nor by the list-view.
        report.ModifyStyle(LVS_SORTASCENDING | LVS_SORTDESCENDING, 0, 0);
        report.EnableAutoSort(false);
        const CTListCtrlReportEx::ToolbarButton buttons[] = {
            {kCmdNew, CTListCtrlReportEx::kStandardImage, static_cast<int>(kStrNew), BTNS_WHOLEDROPDOWN},
            {kCmdDelete, CTListCtrlReportEx::kStandardImage, static_cast<int>(kStrDelete), BTNS_BUTTON},
        };
        m_list.CreateToolbar(this, 3, 2, buttons);
        m_editor.Attach(kIdList, &report, &RateChangedThunk, nullptr, this);
    }
    RestorePlacement(kPlacement, 0);

    HWND unit = GetDlgItem(m_hWnd, kIdPeriodUnit);
    int day = static_cast<int>(::SendMessageW(unit, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Day")));
    ::SendMessageW(unit, CB_SETITEMDATA, day, 1);
    int week = static_cast<int>(::SendMessageW(unit, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Week")));
    ::SendMessageW(unit, CB_SETITEMDATA, week, 2);
    ::SendMessageW(unit, CB_SETCURSEL, week, 0);
    CheckDlgButton(m_hWnd, kIdDateRange, BST_CHECKED);
    CheckDlgButton(m_hWnd, kIdEndDate, BST_CHECKED);
    SetDlgItemInt(m_hWnd, kIdPeriodCount, 1, FALSE);
    UpdateControls();
    RequestObject();
}

void DlgScheduleGroupWinAddSlot::ShowHeaderIcon()
{
    App* app = App::Instance();
    if (!app || !app->m_mainWindow || !m_header.m_hWnd)
        return;
    Object type;
    app->m_mainWindow->GetTypeByName(type, CTString(L"Deployment Window"));
    CAttribute image;
    type.GetAttribute(image, CTString(L"tree_image"));
    CTString name(image.GetText());
    if (name.IsEmpty())
        return;
    RequestRoute route;
    route.targetType = kWindowType;
    route.targetKey = m_key;
    route.requestId = kReqIcon;
    m_iconIndex = app->FindIcon(name);
    if (m_iconIndex == -1)
        m_iconIndex = app->AddIcon(name, route);
    if (HICON icon = app->GetIcon(1, name, route)) {
        m_header.SetIcon(icon);
        DestroyIcon(icon);
    }
}

void DlgScheduleGroupWinAddSlot::OnResult(const RequestResult& result)
{
    if (result.route.requestId == kReqIcon && result.route.param2 == m_iconIndex) {
        ShowHeaderIcon();
        if (m_header.m_hWnd)
            InvalidateRect(m_header.m_hWnd, nullptr, TRUE);
    }
}

void DlgScheduleGroupWinAddSlot::UpdateControls()
{
    const bool range = IsDlgButtonChecked(m_hWnd, kIdDateRange) == BST_CHECKED;
    const bool period = IsDlgButtonChecked(m_hWnd, kIdPeriod) == BST_CHECKED;
    EnableWindow(GetDlgItem(m_hWnd, kIdEndDate), range);
    EnableWindow(GetDlgItem(m_hWnd, kIdPeriod), range);
    EnableWindow(GetDlgItem(m_hWnd, kIdEnd), range && !period);
    EnableWindow(GetDlgItem(m_hWnd, kIdPeriodCount), range && period);
    EnableWindow(GetDlgItem(m_hWnd, kIdPeriodUnit), range && period);
    EnableWindow(GetDlgItem(m_hWnd, IDOK), TRUE);
    EnableWindow(GetDlgItem(m_hWnd, IDCANCEL), TRUE);
}

void DlgScheduleGroupWinAddSlot::RequestObject()
{
    App* app = App::Instance();
    if (!app)
        return;
    CAttributes form;
    form.SetNumber(CTString(L"ID"), static_cast<int>(m_key));
    std::weak_ptr<DlgScheduleGroupWinAddSlot*> alive = m_alive;
    app->m_db.Post(CTString(L"api/api_objGet.php"), form, [alive](DB::DBEvent& reply) {
        auto window = alive.lock();
        if (!window || !*window)
            return;
        TiXmlDocument document;
        if (reply.ReadXmlReply(document) != 2)
            return;
        TiXmlElement* root = document.FirstChildElementNamed(L"result");
        TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr;
        if (!element)
            return;
        (*window)->m_object.ReadFromXml(element, true);
        (*window)->BuildRateList();
    });
}

void DlgScheduleGroupWinAddSlot::SetGroup(const Object& group)
{
    m_group = group;
    m_hasGroup = group.id != 0;
    if (m_built)
        BuildRateList();
}

void DlgScheduleGroupWinAddSlot::BuildRateList()
{
    CTListCtrlReportEx& report = m_list.m_report;
    m_editor.CloseEditor();
    m_editor.RemoveAllRows();
    if (report.m_hWnd)
        report.DeleteAllRows();
    m_request.columns.clear();
    m_request.rows.clear();
    m_request.nextRowId = 1;
    m_built = true;

    App* app = App::Instance();
    Object group;
    if (m_hasGroup && (m_group.id == m_object.parent || m_object.id == 0)) {
        group = m_group;
    } else if (app) {
        if (const Object* cached = app->m_dir.Lookup(m_object.parent))
            group = *cached;
    }
    CAttribute runRate;
    group.GetAttribute(runRate, CTString(L"max_deployments"));
    const __int64 rate = CAttribute::IsTextType(runRate.GetType()) ? _wtoi64(runRate.GetText()) : runRate.GetValue();
    SetDlgItemInt(m_hWnd, kIdRunRate, static_cast<UINT>(rate < 0 ? 0 : rate), FALSE);

    CTString spec(L"Day,120");
    m_request.columns.push_back(AddSlotsRequest::Column{});
    std::vector<__int64> kinds;
    group.GetLinkArray(kinds, CTString(L"deployment_slot"));
    if (kinds.empty()) {
        spec.AppendText(L";Rate,50");
        AddSlotsRequest::Column column;
        column.kind = AddSlotsRequest::ColumnRate;
        m_request.columns.push_back(column);
    } else {
        std::vector<Object> held;
        if (app && app->m_mainWindow && (app->m_mainWindow->GetStartupMask() & MainWindowCache::LoadSlotData))
            held = app->m_mainWindow->m_cache.slotData;
        held.erase(std::remove_if(held.begin(), held.end(),
                                  [&](const Object& kind) {
                                      return std::find(kinds.begin(), kinds.end(), kind.id) == kinds.end();
                                  }),
                   held.end());
        const CTString order(L"display_order");
        std::stable_sort(held.begin(), held.end(), [&](const Object& a, const Object& b) {
            CAttribute oa, ob;
            a.GetAttribute(oa, order);
            b.GetAttribute(ob, order);
            return oa.IsLess(ob);
        });
        for (const Object& kind : held) {
            spec.AppendText(L";");
            spec.AppendText(kind.name.GetBuffer() ? kind.name.GetBuffer() : L"");
            spec.AppendText(L",50");
            AddSlotsRequest::Column column;
            column.kind = AddSlotsRequest::ColumnSlotKind;
            column.object = kind;
            m_request.columns.push_back(column);
        }
    }
    if (report.m_hWnd) {
        report.SetColumns(spec, 0, nullptr, nullptr);
        // Rows stay in the order they are added.
        report.EnableAutoSort(false);
    }
    AddRateRow(AddSlotsRequest::RowDefault);
}

void DlgScheduleGroupWinAddSlot::AddRateRow(int kind)
{
    const auto rate = static_cast<int>(GetDlgItemInt(m_hWnd, kIdRunRate, nullptr, FALSE));
    AddSlotsRequest::RateRow row;
    row.kind = kind;
    row.id = m_request.nextRowId++;
    CTListCtrlReport::Row shown(KeyData(row.id));
    CTListCtrlEdit::Row editable(KeyData(row.id));
    if (!m_request.columns.empty()) {
        shown.AddText(CTString(KindLabel(kind)));
        editable.AddCell(CTListCtrlEdit::KindReadOnly).SetText(CTString(KindLabel(kind)));
    }
    const int rateColumns = static_cast<int>(m_request.columns.size()) - 1;
    int given = 0;
    for (int i = 0; i < rateColumns; ++i) {
        // The last column takes the remainder, so the cells add up to the run rate.
        const int value = i == rateColumns - 1 ? rate - given : rate / rateColumns;
        given += value;
        shown.AddNumber(value);
        editable.AddCell(CTListCtrlEdit::KindNumber).SetValue(CAttribute(CAttribute::Integer, static_cast<__int64>(value)));
        row.objects.push_back(m_request.columns[static_cast<size_t>(i) + 1].object);
        row.rates.push_back(value);
    }
    CTListCtrlReportEx& report = m_list.m_report;
    if (report.m_hWnd && !m_request.columns.empty()) {
        report.AddRow(-1, shown);
        m_editor.AddRow(editable);
        m_editor.SetReadOnly(KeyData(row.id), 0, true);
    }
    m_request.rows.push_back(row);
}

AddSlotsRequest::RateRow* DlgScheduleGroupWinAddSlot::FindRow(__int64 id)
{
    for (AddSlotsRequest::RateRow& row : m_request.rows)
        if (row.id == id)
            return &row;
    return nullptr;
}

bool DlgScheduleGroupWinAddSlot::HasRow(int kind) const
{
    for (const AddSlotsRequest::RateRow& row : m_request.rows)
        if (row.kind == kind)
            return true;
    return false;
}

void DlgScheduleGroupWinAddSlot::OnRateChanged(int item, int column, const CAttribute& value)
{
    auto id = static_cast<__int64>(reinterpret_cast<INT_PTR>(m_list.m_report.GetRowData(item)));
    AddSlotsRequest::RateRow* row = FindRow(id);
    if (!row || column < 1 || column > static_cast<int>(row->rates.size()))
        return;
    row->rates[static_cast<size_t>(column) - 1] = CAttribute::IsTextType(value.GetType()) ? 0 : value.GetValue32();
}

HMENU DlgScheduleGroupWinAddSlot::BuildDayMenu()
{
    HMENU menu = CreatePopupMenu();
    for (int kind = AddSlotsRequest::RowMonday; kind <= AddSlotsRequest::RowSunday; ++kind)
        if (!HasRow(kind))
            AppendMenuW(menu, MF_STRING, kCmdFirstKind + kind, KindLabel(kind));
    if (GetMenuItemCount(menu) > 0)
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    for (int kind : {static_cast<int>(AddSlotsRequest::RowWeekend), static_cast<int>(AddSlotsRequest::RowNonCalendar)})
        if (!HasRow(kind))
            AppendMenuW(menu, MF_STRING, kCmdFirstKind + kind, KindLabel(kind));
    return menu;
}

void DlgScheduleGroupWinAddSlot::ShowDayMenu()
{
    HWND toolbar = m_list.m_report.m_toolbar.m_hWnd;
    RECT rc = {};
    if (toolbar) {
        ::SendMessageW(toolbar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rc));
        MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    }
    m_dayMenu.Destroy();
    m_dayMenu.m_menu = BuildDayMenu();
    m_dayMenu.MakeOwnerDrawn();
    UINT command = m_dayMenu.Track(false, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTALIGN, rc.right, rc.bottom, m_hWnd);
    if (command)
        PostMessageW(m_hWnd, WM_COMMAND, command, 0);
}

void DlgScheduleGroupWinAddSlot::DeleteSelectedRow()
{
    CTListCtrlReportEx& report = m_list.m_report;
    int item = report.m_hWnd ? ListView_GetNextItem(report.m_hWnd, -1, LVNI_SELECTED) : -1;
    if (item < 0)
        return;
    auto id = static_cast<__int64>(reinterpret_cast<INT_PTR>(report.GetRowData(item)));
    AddSlotsRequest::RateRow* row = FindRow(id);
    if (!row || row->kind == AddSlotsRequest::RowDefault)
        return;
    m_editor.RemoveRow(KeyData(id));
    report.DeleteRow(item);
    m_request.rows.erase(m_request.rows.begin() + (row - m_request.rows.data()));
}

void DlgScheduleGroupWinAddSlot::SetPicker(int id, __int64 day)
{
    SYSTEMTIME date = DlgDateRange::ToSystemTime(day);
    ::SendDlgItemMessageW(m_hWnd, id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&date));
}

__int64 DlgScheduleGroupWinAddSlot::ReadPicker(int id)
{
    SYSTEMTIME date = {};
    if (::SendDlgItemMessageW(m_hWnd, id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date)) != GDT_VALID)
        return 0;
    return DlgDateRange::FromSystemTime(date);
}

void DlgScheduleGroupWinAddSlot::UpdateEndDate()
{
    m_request.firstDay = ReadPicker(kIdStart);
    if (IsDlgButtonChecked(m_hWnd, kIdSingleDay) == BST_CHECKED) {
        SetPicker(kIdEnd, m_request.firstDay);
        return;
    }
    const __int64 n = ItemNumber(m_hWnd, kIdPeriodCount);
    const int unit = static_cast<int>(::SendDlgItemMessageW(m_hWnd, kIdPeriodUnit, CB_GETCURSEL, 0, 0));
    if (unit == 0)
        SetPicker(kIdEnd, m_request.firstDay + (n - 1) * kDay);
    else if (unit == 1)
        SetPicker(kIdEnd, m_request.firstDay + (7 * n - 1) * kDay);
}

void DlgScheduleGroupWinAddSlot::SetDeploymentWindows(const DeploymentWin& windows)
{
    if (windows.m_days.empty()) {
        m_request.lastDay = 0;
        return;
    }
    const auto last = static_cast<__int64>(windows.m_days.rbegin()->first);
    m_request.lastDay = last;
    SetPicker(kIdStart, last + kDay);
    SetPicker(kIdEnd, last + 7 * kDay);
}

bool DlgScheduleGroupWinAddSlot::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    switch (id) {
    case IDOK: {
        m_request.firstDay = ReadPicker(kIdStart);
        m_request.lastDay = ReadPicker(kIdEnd);
        HWND owner = reinterpret_cast<HWND>(m_param);
        if (owner) {
            ::SendMessageW(owner, kMsgAddSlots, 0, reinterpret_cast<LPARAM>(&m_request));
            PostMessageW(owner, kMsgAddSlots, 0, 0);
        }
        DestroyWindow(m_hWnd);
        return true;
    }
    case IDCANCEL:
        DestroyWindow(m_hWnd);
        return true;
    case kCmdNew:
        if (HWND toolbar = m_list.m_report.m_toolbar.m_hWnd) {
            ::SendMessageW(toolbar, TB_PRESSBUTTON, kCmdNew, TRUE);
            ::SendMessageW(toolbar, TB_PRESSBUTTON, kCmdNew, FALSE);
        }
        return true;
    case kCmdDelete:
        DeleteSelectedRow();
        return true;
    case kIdSingleDay:
    case kIdDateRange:
    case kIdEndDate:
    case kIdPeriod:
        UpdateControls();
        if (id == kIdSingleDay || id == kIdPeriod)
            UpdateEndDate();
        return true;
    case kIdPeriodCount:
    case kIdPeriodUnit:
        if (code == 0 || code == CBN_SELCHANGE || code == EN_CHANGE)
            UpdateEndDate();
        return true;
    default:
        if (id >= kCmdFirstKind && id <= kCmdLastKind) {
            AddRateRow(id - kCmdFirstKind);
            return true;
        }
        return false;
    }
}

bool DlgScheduleGroupWinAddSlot::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    (void)wParam;
    if (!hdr)
        return false;
    if (m_editor.OnNotify(kIdList, hdr, result))
        return true;
    if (hdr->idFrom == static_cast<UINT_PTR>(kIdList)) {
        switch (hdr->code) {
        case CTListCtrlReportEx::CodeDelete:
            DeleteSelectedRow();
            *result = 0;
            return true;
        case CTListCtrlReportEx::CodeDropDownMenu:
            if (reinterpret_cast<ReportCommandInfo*>(hdr)->id == kCmdNew) {
                m_dayMenu.Destroy();
                m_dayMenu.m_menu = BuildDayMenu();
                *result = reinterpret_cast<LRESULT>(m_dayMenu.m_menu);
                return true;
            }
            return false;
        case TBN_DROPDOWN:
            if (reinterpret_cast<NMTOOLBARW*>(hdr)->iItem != kCmdNew)
                return false;
            ShowDayMenu();
            *result = TBDDRET_DEFAULT;
            return true;
        case CTListCtrlReportEx::CodeInsert:
            ShowDayMenu();
            *result = 0;
            return true;
        case LVN_ITEMCHANGED: {
            auto* change = reinterpret_cast<NMLISTVIEW*>(hdr);
            if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED)) {
                auto id = static_cast<__int64>(reinterpret_cast<INT_PTR>(m_list.m_report.GetRowData(change->iItem)));
                AddSlotsRequest::RateRow* row = FindRow(id);
                const bool isDefault = row && row->kind == AddSlotsRequest::RowDefault;
                if (HWND toolbar = m_list.m_report.m_toolbar.m_hWnd)
                    ::SendMessageW(toolbar, TB_ENABLEBUTTON, kCmdDelete, !isDefault);
            }
            return false;
        }
        default:
            return false;
        }
    }
    if (hdr->idFrom == static_cast<UINT_PTR>(kIdStart) &&
        (hdr->code == static_cast<UINT>(DTN_DATETIMECHANGE) || hdr->code == static_cast<UINT>(-749))) {
        UpdateEndDate();
        return false;
    }
    return false;
}

bool DlgScheduleGroupWinAddSlot::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
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
    case WM_DESTROY:
        SavePlacement(kPlacement);
        if (m_activeDialog && *m_activeDialog == m_hWnd)
            *m_activeDialog = nullptr;
        Unregister();
        break;
    case WM_ACTIVATE:
        if (m_activeDialog) {
            if (LOWORD(wParam) != WA_INACTIVE)
                *m_activeDialog = m_hWnd;
            else if (*m_activeDialog == m_hWnd)
                *m_activeDialog = nullptr;
        }
        break;
    default:
        break;
    }
    if (handled)
        return true;
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}
