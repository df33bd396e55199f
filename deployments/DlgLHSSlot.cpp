// The "Schedule" panel: "<all deployments>", "<not assigned>" and five weeks of days, each with the
// number of deployments whose slot ends that day. Days are day values (00:00 UTC of the date), so
// a listed day and its count agree in every time zone and across daylight-saving changes.
#include "deployments/DlgDeploymentsPanels.h"

#include "app/MainWindow.h"
#include "foundation/CTTime.h"
#include "foundation/UnixClock.h"
#include "framework/CTREngine.h"
#include "framework/CTRegKey.h"
#include "framework/CWMForm.h"

namespace {

__int64 LinkOf(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return CAttribute::IsTextType(value.GetType()) ? 0 : value.GetValue();
}

// The day value of a time: 00:00 UTC of its UTC date.
__int64 DayOf(__int64 t)
{
    __int64 day = t / 86400 * 86400;
    return day > t ? day - 86400 : day;
}

} // namespace

__int64 DlgDeployments::DlgLHSSlot::FirstSundayOfThisWeek()
{
    // Today is the local calendar date, as a day value; its weekday is that of the UTC date.
    SYSTEMTIME local = {};
    CTTime(UnixClock::Now()).ToSystemTime(local, true);
    local.wHour = local.wMinute = local.wSecond = local.wMilliseconds = 0;
    FILETIME file = {};
    SystemTimeToFileTime(&local, &file);
    const __int64 ticks = (static_cast<__int64>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
    const __int64 today = ticks / 10000000 - 11644473600LL;
    const int weekday = static_cast<int>(((today / kDay) % 7 + 11) % 7); // 1970-01-01 was a Thursday
    return today - weekday * kDay;
}

DlgDeployments::DlgLHSSlot::DlgLHSSlot(DlgDeployments* owner, HWND parent) : DlgLHSBase(owner, L"Schedule")
{
    m_choice = kAll;
    HMODULE module = FindDialogTemplateModule(kTemplate);
    CreateDialogFromResource(module ? module : GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kTemplate), parent);
}

DlgDeployments::DlgLHSSlot::~DlgLHSSlot()
{
    CTWnd2::Destroy();
}

int DlgDeployments::DlgLHSSlot::CountOn(__int64 day) const
{
    auto it = m_days.find(day);
    return it == m_days.end() ? 0 : static_cast<int>(it->second.size());
}

bool DlgDeployments::DlgLHSSlot::Accepts(const Object& object)
{
    if (object.type == 0 || object.type != m_owner->DeploymentTypeId())
        return false;
    const UINT32 choice = static_cast<UINT32>(m_choice);
    if (choice == kAll)
        return true;
    if (choice == kUnassigned)
        return LinkOf(object, L"link_deployment_slot") == 0;
    auto it = m_days.find(static_cast<__int64>(static_cast<INT32>(choice)));
    if (it == m_days.end())
        return false;
    for (__int64 id : it->second)
        if (id == object.id)
            return true;
    return false;
}

void DlgDeployments::DlgLHSSlot::Rebuild()
{
    HWND list = List();
    if (list)
        ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    m_days.clear();
    const __int64 deploymentType = m_owner->DeploymentTypeId();
    for (const Object& object : m_owner->Loaded()) {
        if (!Counted(object, deploymentType))
            continue;
        const __int64 slotId = LinkOf(object, L"link_deployment_slot");
        const Object* slot = slotId ? m_owner->FindLoaded(slotId) : nullptr;
        if (!slot)
            continue;
        m_days[DayOf(LinkOf(*slot, L"end_date"))].push_back(object.id);
    }
    if (!list)
        return;

    LRESULT selected = ::SendMessageW(list, LB_GETCURSEL, 0, 0);
    const UINT32 noted = selected != LB_ERR ? static_cast<UINT32>(::SendMessageW(list, LB_GETITEMDATA, selected, 0))
                                            : static_cast<UINT32>(m_choice);
    const LRESULT top = ::SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    auto add = [&](UINT32 value) {
        const LRESULT index = ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L""));
        ::SendMessageW(list, LB_SETITEMDATA, index, value);
        return index;
    };
    LRESULT index = add(kAll);
    if (noted == kAll || noted == 0xFFFFFFFFu)
        ::SendMessageW(list, LB_SETCURSEL, index, 0);
    index = add(kUnassigned);
    if (noted == kUnassigned)
        ::SendMessageW(list, LB_SETCURSEL, index, 0);
    if (m_firstDay == 0)
        m_firstDay = FirstSundayOfThisWeek();
    for (int k = 0; k < kDays; ++k) {
        const UINT32 value = static_cast<UINT32>(m_firstDay + k * kDay);
        index = add(value);
        if (value == noted)
            ::SendMessageW(list, LB_SETCURSEL, index, 0);
    }
    ::SendMessageW(list, LB_SETTOPINDEX, top, 0);
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void DlgDeployments::DlgLHSSlot::MoveWeeks(int weeks)
{
    if (m_firstDay == 0)
        m_firstDay = FirstSundayOfThisWeek();
    m_firstDay += weeks * 7 * kDay;
    Rebuild();
}

void DlgDeployments::DlgLHSSlot::Update(const Object& object, const Object* previous)
{
    if (object.type == 0 || object.type != m_owner->DeploymentTypeId())
        return;
    CAttribute now, before;
    object.GetAttribute(now, CTString(L"link_deployment_slot"));
    if (previous)
        previous->GetAttribute(before, CTString(L"link_deployment_slot"));
    if (!previous || now.IsNotEqual(before))
        Rebuild();
}

void DlgDeployments::DlgLHSSlot::LoadChoice(CTRegKey& key)
{
    m_choice = key.ReadDword(L"DlgLHSSlot", static_cast<DWORD>(m_choice));
    m_firstDay = static_cast<INT32>(key.ReadDword(L"DlgLHSSlotStart", static_cast<DWORD>(m_firstDay)));
}

void DlgDeployments::DlgLHSSlot::SaveChoice(CTRegKey& key)
{
    key.WriteDword(L"DlgLHSSlot", static_cast<DWORD>(m_choice));
    key.WriteDword(L"DlgLHSSlotStart", static_cast<DWORD>(m_firstDay));
}

void DlgDeployments::DlgLHSSlot::Reset()
{
    m_choice = kAll;
    if (HWND list = List())
        ::SendMessageW(list, LB_SETCURSEL, 0, 0);
}

UINT32 DlgDeployments::DlgLHSSlot::DragOver(bool dragging, const POINT* screen)
{
    HWND list = List();
    if (!list)
        return 0;
    if (!dragging) {
        if (m_hoverIndex < 0)
            return 0;
        const UINT32 value = m_hoverValue;
        const int index = m_hoverIndex;
        m_hoverIndex = -1;
        m_hoverValue = static_cast<UINT32>(-1);
        RECT rc = {};
        if (::SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc)) != LB_ERR)
            InvalidateRect(list, &rc, TRUE);
        return value;
    }
    int index = -1;
    RECT client = {};
    GetClientRect(list, &client);
    POINT pt = screen ? *screen : POINT{};
    ScreenToClient(list, &pt);
    if (PtInRect(&client, pt)) {
        index = LOWORD(::SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(pt.x, pt.y)));
        if (index == 0)
            index = -1;   // "<all deployments>" is no drop target
    }
    if (index == m_hoverIndex)
        return 0;
    const int old = m_hoverIndex;
    m_hoverIndex = index;
    m_hoverValue = index >= 0 ? static_cast<UINT32>(::SendMessageW(list, LB_GETITEMDATA, index, 0)) : static_cast<UINT32>(-1);
    ImageList_DragShowNolock(FALSE);
    for (int item : {old, index}) {
        RECT rc = {};
        if (item >= 0 && ::SendMessageW(list, LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rc)) != LB_ERR)
            RedrawWindow(list, &rc, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    }
    ImageList_DragShowNolock(TRUE);
    return m_hoverValue;
}

void DlgDeployments::DlgLHSSlot::DrawItem(DRAWITEMSTRUCT* dis)
{
    if (!dis || dis->itemID == static_cast<UINT>(-1))
        return;
    HDC dc = dis->hDC;
    RECT rc = dis->rcItem;
    const UINT32 value = static_cast<UINT32>(dis->itemData);
    const bool selected = (dis->itemState & ODS_SELECTED) != 0;
    const bool dropTarget = value == m_hoverValue && m_hoverIndex >= 0;
    COLORREF text = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    int back = selected ? COLOR_HIGHLIGHT : COLOR_WINDOW;

    CTString first, date, count;
    if (value == kAll) {
        first = L"<all deployments>";
    } else if (value == kUnassigned) {
        first = L"<not assigned>";
    } else {
        const __int64 day = static_cast<INT32>(value);
        const int weekday = static_cast<int>(((day / kDay) % 7 + 10) % 7); // 0 Monday .. 6 Sunday
        wchar_t name[32] = {};
        GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVDAYNAME1 + weekday, name, 32);
        first = name;
        if (weekday >= 5 && !selected)
            back = COLOR_MENU;
        const int32_t t = static_cast<int32_t>(day);
        FormatUnixDate(&t, date);
        if (const int n = CountOn(day))
            count.Format(L"%d", n);
    }
    if (dropTarget) {
        const COLORREF h = GetSysColor(COLOR_HIGHLIGHT);
        HBRUSH brush = CreateSolidBrush(RGB((GetRValue(h) * 3 + 255 * 7) / 10, (GetGValue(h) * 3 + 255 * 7) / 10,
                                            (GetBValue(h) * 3 + 255 * 7) / 10));
        FillRect(dc, &rc, brush);
        DeleteObject(brush);
        SetBkMode(dc, TRANSPARENT);
    } else {
        FillRect(dc, &rc, GetSysColorBrush(back));
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, GetSysColor(back));
    }
    SetTextColor(dc, text);
    SIZE size = {};
    GetTextExtentPoint32W(dc, L"0", 1, &size);
    const int x = GetSystemMetrics(SM_CXBORDER) + LOWORD(GetDialogBaseUnits()) / 4;
    const int y = (rc.top + rc.bottom - size.cy) / 2;
    auto draw = [&](int left, const CTString& s) {
        if (s.IsEmpty())
            return;
        RECT clip = rc;
        clip.left = left;
        ExtTextOutW(dc, rc.left + left, y, ETO_CLIPPED | (dropTarget ? 0 : ETO_OPAQUE), &clip, s.GetBuffer(), s.GetLength(), nullptr);
    };
    draw(x, first);
    draw(x + 30, date);
    draw(x + 110, count);
    if (dis->itemState & ODS_FOCUS)
        DrawFocusRect(dc, &rc);
}

bool DlgDeployments::DlgLHSSlot::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result))
        return true;
    switch (msg) {
    case WM_INITDIALOG: {
        SetThemeClass(L"Treeview");
        RECT rc = {};
        GetClientRect(m_hWnd, &rc);
        CTWndSize::Init(m_hWnd, false, rc.right, rc.bottom, false);
        AddItem(GetDlgItem(m_hWnd, kIdPrevious), CTWndSize::RightToRight);
        AddItem(GetDlgItem(m_hWnd, kIdNext), CTWndSize::RightToRight | CTWndSize::TopToBottom);
        AddItem(GetDlgItem(m_hWnd, kIdList), CTWndSize::RightToRight | CTWndSize::BottomToBottom);
        const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
        if (m_previousIcon.Load(kIconPrevious, cx, cy))
            SendDlgItemMessageW(m_hWnd, kIdPrevious, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_previousIcon.GetHandle()));
        if (m_nextIcon.Load(kIconNext, cx, cy))
            SendDlgItemMessageW(m_hWnd, kIdNext, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_nextIcon.GetHandle()));
        *result = TRUE;
        return true;
    }
    case WM_DRAWITEM:
        if (wParam == static_cast<WPARAM>(kIdList)) {
            DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
            *result = TRUE;
            return true;
        }
        break;
    default:
        break;
    }
    return CTWndTheme::OnMessage(msg, wParam, lParam, result);
}

bool DlgDeployments::DlgLHSSlot::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (id == kIdList && code == LBN_SELCHANGE) {
        const LRESULT index = ::SendMessageW(List(), LB_GETCURSEL, 0, 0);
        if (index != LB_ERR) {
            m_choice = static_cast<UINT32>(::SendMessageW(List(), LB_GETITEMDATA, index, 0));
            m_owner->Fill(0, GetKind());
        }
        *result = 0;
        return true;
    }
    if ((id == kIdNext || id == kIdPrevious) && code == BN_CLICKED) {
        MoveWeeks(id == kIdNext ? 1 : -1);
        *result = 0;
        return true;
    }
    return CTWndTheme::OnCommand(wParam, lParam, result);
}
