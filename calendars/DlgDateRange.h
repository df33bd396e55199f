#pragma once
// The "Date Range" dialog of the deployment-window editor's selection commands: a first and a last
// day, each answered as 00:00 UTC of the chosen date. It opens on today and the day a week later.
#include <windows.h>
#include "framework/CTWnd2.h"

class DlgDateRange : public CTWnd2 {
public:
    enum : int { kTemplate = 438, kIdStart = 1028, kIdEnd = 1027 };
    static constexpr __int64 kWeek = 604800;

    __int64 m_start = 0;   // Unix seconds, 00:00 UTC; 0 until set, and then today is shown
    __int64 m_end = 0;

    ~DlgDateRange() override;

    // Shows the dialog modally; true for OK, when m_start and m_end hold the chosen days.
    bool Run(HWND owner);

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // The picker date of a day value, and the day value of a picker date (0 before 1900).
    static SYSTEMTIME ToSystemTime(__int64 day);
    static __int64 FromSystemTime(const SYSTEMTIME& date);
    // Today as a day value: the user's local calendar date at 00:00 UTC.
    static __int64 Today();

private:
    void SetPicker(int id, __int64 day);
    __int64 ReadPicker(int id);
};
