#include "schedulegroups/DlgScheduleGroupDlgT0Page.h"

#include <commctrl.h>
#include <time.h>

#include "app/App.h"
#include "app/MainWindow.h"

namespace {

constexpr __int64 kDay = 86400;
constexpr __int64 kWeek = 7 * kDay;
constexpr int kForwardLimit = 100000;

__int64 NumberOf(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return value.GetValue();   // 0 when absent or a text
}

// Stores value into a copy of the attribute (keeping its type) and back into the object.
void StoreNumber(Object& object, const wchar_t* name, __int64 value)
{
    CAttribute copy;
    object.GetAttribute(copy, CTString(name));
    copy.SetValue(copy.GetType(), value);
    copy.UpdateText();
    object.SetAttribute(CTString(name), copy);
}

// t working days before t0; a negative t counts forward from t0.
__int64 WorkingDaysBefore(const ProjectCalendar& calendar, __int64 t0, __int64 t)
{
    if (t >= 0)
        return calendar.SubtractWorkingDays(static_cast<time_t>(t0), static_cast<unsigned __int64>(t));
    __int64 day = t0;
    for (int steps = 0; t < 0 && steps < kForwardLimit; ++steps) {
        day += kDay;
        if (calendar.IsWorkingDay(static_cast<time_t>(day)))
            ++t;
    }
    return day;
}

} // namespace

SYSTEMTIME DlgScheduleGroupDlg::CT0Page::DayToSystemTime(__int64 day)
{
    SYSTEMTIME out = {};
    __time64_t t = day;
    struct tm utc = {};
    if (_gmtime64_s(&utc, &t) == 0) {
        out.wYear = static_cast<WORD>(utc.tm_year + 1900);
        out.wMonth = static_cast<WORD>(utc.tm_mon + 1);
        out.wDayOfWeek = static_cast<WORD>(utc.tm_wday);
        out.wDay = static_cast<WORD>(utc.tm_mday);
    }
    return out;
}

__int64 DlgScheduleGroupDlg::CT0Page::SystemTimeToDay(const SYSTEMTIME& date)
{
    struct tm utc = {};
    utc.tm_year = date.wYear - 1900;
    utc.tm_mon = date.wMonth - 1;
    utc.tm_mday = date.wDay;
    return _mkgmtime64(&utc);
}

void DlgScheduleGroupDlg::CT0Page::MoveTaskEndDates(ObjectBranch& group, __int64 t0, bool weeks,
                                                   const ProjectCalendar& calendar)
{
    for (Object& child : group.children) {
        if (child.parent != group.id || NumberOf(child, L"dashboard_display") == 0)
            continue;
        const __int64 t = NumberOf(child, L"T_date");
        const __int64 end = weeks ? t0 - t * kWeek : WorkingDaysBefore(calendar, t0, t);
        StoreNumber(child, L"end_date", end);
    }
}

bool DlgScheduleGroupDlg::CT0Page::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result))
        return true;
    if (msg == WM_INITDIALOG) {
        Init(m_hWnd, false, 300, 150, false);
        AddItem(GetDlgItem(m_hWnd, IdCalendar), 0x1001);
        AddItem(GetDlgItem(m_hWnd, IdNotSet), 8);
        AddItem(GetDlgItem(m_hWnd, IdAlreadySet), 8);
        AddItem(GetDlgItem(m_hWnd, IdClear), 0x1001);
    }
    return CWMFormPage::OnMessage(msg, wParam, lParam, result);
}

bool DlgScheduleGroupDlg::CT0Page::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (hdr && hdr->idFrom == IdCalendar && hdr->code == MCN_SELCHANGE) {
        m_form->SetModified(true);
        m_dateChanged = true;
        m_dateCleared = false;
    }
    return CWMFormPage::OnNotify(wParam, hdr, result);
}

bool DlgScheduleGroupDlg::CT0Page::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (LOWORD(wParam) == IdClear && HIWORD(wParam) == BN_CLICKED) {
        m_form->SetModified(true);
        m_dateChanged = true;
        m_dateCleared = true;
        return true;
    }
    return CWMFormPage::OnCommand(wParam, lParam, result);
}

bool DlgScheduleGroupDlg::CT0Page::Load()
{
    if (!m_hWnd)
        return true;
    m_t0 = NumberOf(Form()->GetGroup(), L"T0_date");
    if (m_t0 != 0) {
        SYSTEMTIME day = DayToSystemTime(m_t0);
        ::SendMessageW(GetDlgItem(m_hWnd, IdCalendar), MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&day));
    }
    ::ShowWindow(GetDlgItem(m_hWnd, IdNotSet), m_t0 == 0 ? SW_SHOW : SW_HIDE);
    ::ShowWindow(GetDlgItem(m_hWnd, IdAlreadySet), m_t0 != 0 ? SW_SHOW : SW_HIDE);
    EnableWindow(GetDlgItem(m_hWnd, IdClear), m_t0 != 0);
    m_dateChanged = false;
    return true;
}

bool DlgScheduleGroupDlg::CT0Page::Save()
{
    if (!m_dateChanged)
        return true;
    ObjectBranch& group = Form()->GetGroup();
    if (m_dateCleared) {
        m_t0 = 0;
        group.ResetAttribute(CTString(L"T0_date"));
    } else {
        SYSTEMTIME picked = {};
        if (m_hWnd && ::SendMessageW(GetDlgItem(m_hWnd, IdCalendar), MCM_GETCURSEL, 0,
                                     reinterpret_cast<LPARAM>(&picked))) {
            const __int64 day = SystemTimeToDay(picked);
            if (day != m_t0) {
                bool weeks = false;
                App* app = App::Instance();
                if (app && app->m_mainWindow)
                    weeks = NumberOf(app->m_mainWindow->m_cache.systemSettings, L"t_date_units") != 0;
                CAttribute calendarText;
                group.GetAttribute(calendarText, CTString(L"calendar"));
                ProjectCalendar calendar;
                calendar.ReadXml(calendarText.GetString());
                m_t0 = day;
                StoreNumber(group, L"T0_date", day);
                MoveTaskEndDates(group, day, weeks, calendar);
            }
        }
    }
    m_dateChanged = false;
    m_dateCleared = false;
    return true;
}
