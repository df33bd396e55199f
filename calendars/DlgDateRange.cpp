#include "calendars/DlgDateRange.h"

#include <commctrl.h>
#include "foundation/UnixClock.h"
#include "framework/CTApp.h"

namespace {

constexpr __int64 kDay = 86400;
// 1601-01-01 to 1970-01-01 in 100-nanosecond units.
constexpr __int64 kEpochOffset = 116444736000000000LL;

} // namespace

DlgDateRange::~DlgDateRange()
{
    m_hWnd = nullptr;
}

SYSTEMTIME DlgDateRange::ToSystemTime(__int64 day)
{
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<ULONGLONG>((day - day % kDay) * 10000000LL + kEpochOffset);
    FILETIME file = {ticks.LowPart, ticks.HighPart};
    SYSTEMTIME out = {};
    FileTimeToSystemTime(&file, &out);
    return out;
}

__int64 DlgDateRange::FromSystemTime(const SYSTEMTIME& date)
{
    if (date.wYear < 1900)
        return 0;
    SYSTEMTIME midnight = {};
    midnight.wYear = date.wYear;
    midnight.wMonth = date.wMonth;
    midnight.wDay = date.wDay;
    FILETIME file = {};
    if (!SystemTimeToFileTime(&midnight, &file))
        return 0;
    ULARGE_INTEGER ticks;
    ticks.LowPart = file.dwLowDateTime;
    ticks.HighPart = file.dwHighDateTime;
    return (static_cast<__int64>(ticks.QuadPart) - kEpochOffset) / 10000000LL;
}

__int64 DlgDateRange::Today()
{
    // The local calendar date of now, taken as a UTC day.
    const __int64 now = UnixClock::Now();
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<ULONGLONG>(now * 10000000LL + kEpochOffset);
    FILETIME utc = {ticks.LowPart, ticks.HighPart}, local = {};
    SYSTEMTIME date = {};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &date))
        return now - now % kDay;
    return FromSystemTime(date);
}

bool DlgDateRange::Run(HWND owner)
{
    HMODULE module = CTApp::Instance()->FindResourceModule(RT_DIALOG, MAKEINTRESOURCEW(kTemplate));
    if (!module)
        module = GetModuleHandleW(nullptr);
    m_isDialog = true;
    m_isModal = true;
    INT_PTR result = DialogBoxParamW(module, MAKEINTRESOURCEW(kTemplate), owner, CTWnd2::DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result == 1;
}

void DlgDateRange::SetPicker(int id, __int64 day)
{
    SYSTEMTIME date = ToSystemTime(day);
    ::SendDlgItemMessageW(m_hWnd, id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&date));
}

__int64 DlgDateRange::ReadPicker(int id)
{
    SYSTEMTIME date = {};
    if (::SendDlgItemMessageW(m_hWnd, id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date)) != GDT_VALID)
        return 0;
    return FromSystemTime(date);
}

bool DlgDateRange::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)wParam;
    (void)lParam;
    if (msg == WM_INITDIALOG) {
        if (m_start == 0)
            m_start = Today();
        SetPicker(kIdStart, m_start);
        m_end = m_start + kWeek;
        SetPicker(kIdEnd, m_end);
        CenterOnWindow(GetParent(m_hWnd));
        *result = 0;
        return true;
    }
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

bool DlgDateRange::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    if (HIWORD(wParam) != 0)
        return false;
    if (LOWORD(wParam) == IDOK) {
        m_start = ReadPicker(kIdStart);
        m_end = ReadPicker(kIdEnd);
        EndDialog(1);
        return true;
    }
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(0);
        return true;
    }
    return false;
}
