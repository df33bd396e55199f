#pragma once
// The T0 page of the schedule-group form: the group's reference day in a month calendar, and the
// end dates of the group's dashboard tasks moved before a new T0 by weeks or working days.
#include <windows.h>

#include "calendars/model/ProjectCalendar.h"
#include "schedulegroups/DlgScheduleGroupDlg.h"

class DlgScheduleGroupDlg::CT0Page : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 289;
    enum Control : int { IdCalendar = 1026, IdNotSet = 1004, IdAlreadySet = 1008, IdClear = 1155 };

    __int64 m_t0 = 0;
    bool m_dateChanged = false;
    bool m_dateCleared = false;

    CT0Page() { m_title = L"T0"; }

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Load() override;
    bool Save() override;
    UINT GetTemplateId() override { return kTemplateId; }

    // Each of the group's own tasks with "dashboard_display" gets its end date t ("T_date") weeks
    // (weeks set) or working days of the calendar before t0.
    static void MoveTaskEndDates(ObjectBranch& group, __int64 t0, bool weeks, const ProjectCalendar& calendar);
    // A day value (00:00 UTC) as the calendar's date, and back.
    static SYSTEMTIME DayToSystemTime(__int64 day);
    static __int64 SystemTimeToDay(const SYSTEMTIME& date);

private:
    DlgScheduleGroupDlg* Form() { return static_cast<DlgScheduleGroupDlg*>(m_form); }
};
