#pragma once
// The schedule chart: a group's tasks on a horizontal time line of seven-day columns, dated
// (calendar weeks) or counted in T-days before T0, with the TODAY and T-O days marked.
#include <windows.h>
#include <vector>

#include "controls/CGfxObject.h"
#include "controls/CTWndGfx.h"
#include "foundation/CTString.h"
#include "session/Object.h"

class CTWndSchedule : public CTWndGfx {
public:
    class CGfxEntry;
    class CGfxMultiTask;

    // Message posted to the parent when the user scrolls while the chart follows today
    // (wParam 0, lParam the chart's window).
    static constexpr UINT kMsgFollowTodayEnded = 1125;

    // Lengths at 96 DPI.
    static constexpr int kColumnWidth = 252;
    static constexpr int kHeaderHeight = 18;
    static constexpr int kEntryIndent = 16;
    static constexpr int kEntryHeight = 16;
    static constexpr int kRowPitch = 17;
    static constexpr int kMinimumHeight = 90;
    static constexpr __int64 kWeek = 604800;
    static constexpr __int64 kDay = 86400;

    // Drawing-cache ids the chart registers, and the shared ones it uses.
    enum GdiId : int {
        BrushHeader = 8, BrushMarkedHeader = 9, BrushColumn = 10, ColourColumn = 11, BrushMarkedDay = 12,
        PenSeparator = 13, FontTitle = 5, FontMarker = 6, FontTLabel = 7, ColourWhite = 24, ColourTitle = 27,
    };

    // One column of seven days (or T-days); its children are the entries.
    class CGfxWeek : public CGfxObject {
    public:
        CTString m_title;
        CTString m_caption;
        int m_value = 0;          // T-day column: the T-day after its last; 0 for a dated column
        int m_start = 0;          // dated column: Unix seconds of its first day; 0 for a T-day column
        int m_todayOffset = -1;
        int m_t0Offset = -1;
        int m_rowsHeight = 0;     // kRowPitch per entry, unscaled

        void Paint(HDC dc, const RECT* clip) override;
        void SetHeight(int height) override;

        void AddTask(const Object& task);
        void AddGroup(__int64 key);
        void UpdateTask(const Object& task);
        void LayoutEntries();

    private:
        void PaintMarker(HDC dc, const RECT& column, int offset, const wchar_t* text);
    };

    // A T-label, centred on the left edge of its column at the top.
    class CGfxTTitle : public CGfxObject {
    public:
        CTString m_text;
        void Paint(HDC dc, const RECT* clip) override;
    };

    int m_runningX = 0;
    int m_columnHeight = 0;
    CGfxObject* m_focus = nullptr;
    int m_todayX = -1;
    bool m_followToday = false;
    int m_mode = 0;               // T-day mode of the last placing, which updates search by

    CTWndSchedule() = default;
    ~CTWndSchedule() override;

    bool Create(HWND parent, HINSTANCE module, int id, bool fitFirstChild, DWORD style) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    void Clear();
    void AddWeek(const CTString& title, const CTString& caption, const CTString& tLabel, int value, int start, int t0);
    void AddTask(const Object& task, int mode);
    void AddTaskGroup(const CTString& prefix, int day, const std::vector<Object>& tasks, int mode, __int64 suffix);
    void UpdateTask(const Object& task);
    void LayoutWeeks();
    void Layout(int width, int height);
    void SetFollowToday(bool on);
    int GetHeight();

    // The names the dashboard calls the same operations by.
    void RemoveAll() { Clear(); }
    void AddMultiTask(const CTString& prefix, int day, const std::vector<Object>& tasks, int mode, __int64 suffix)
    {
        AddTaskGroup(prefix, day, tasks, mode, suffix);
    }
    void FinishLayout() { LayoutWeeks(); }

    // The column a task belongs in: dated (date not 0) into (start, start + 7 days]; undated into
    // a T-day column by tDate, over seven T-days (mode 0) or only its own (mode 1). Null for none.
    CGfxWeek* FindWeek(__int64 date, int tDate, int mode);
    // The same for a task's own "end_date" and "T_date".
    CGfxWeek* FindWeekOf(const Object& task, int mode);

    // Root operations.
    void PaintRoot(HDC dc, const RECT* clip) override;
    void CreateResources(HDC dc, bool create) override;
    void OnRootLButtonDown(int x, int y) override;

private:
    bool m_resourcesHeld = false;
    int DayWidth() const;
    void ReleaseChartResources();
};

// Today as a day value: the user's local calendar date at 00:00 UTC.
__int64 ScheduleToday(__int64 now);
