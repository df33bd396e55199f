#include "calendars/CTWndSchedule.h"

#include <time.h>
#include <algorithm>

#include "app/App.h"
#include "calendars/CTWndScheduleEntry.h"
#include "controls/CGDIManager.h"
#include "foundation/UnixClock.h"
#include "framework/CTREngine.h"

namespace {

constexpr COLORREF kColumnGrey = RGB(0xF2, 0xF2, 0xF2);
constexpr COLORREF kMarkedGrey = RGB(0xAF, 0xAF, 0xAF);

int DpiX(int value) { return CTREngine::Instance()->m_dpi.Scale(value); }
int DpiY(int value) { return CTREngine::Instance()->m_dpi.ScaleY(value); }

template <class T> T Gdi(int id)
{
    CGDIManager::CObject* entry = CGDIManager::Instance()->Find(id);
    return entry ? reinterpret_cast<T>(entry->Get()) : nullptr;
}

COLORREF GdiColour(int id)
{
    CGDIManager::CObject* entry = CGDIManager::Instance()->Find(id);
    return entry ? static_cast<COLORREF>(entry->Get()) : 0;
}

__int64 NumberOf(const Object& task, const wchar_t* name)
{
    CAttribute value;
    task.GetAttribute(value, CTString(name));
    return value.GetValue();   // 0 when absent or a text
}

// Width and height of a single line of text in a font.
SIZE MeasureText(HDC dc, HFONT font, const wchar_t* text, UINT extraFlags)
{
    HGDIOBJ old = SelectObject(dc, font);
    RECT rc = {0, 0, 1000, 1000};
    DrawTextW(dc, text, -1, &rc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX | extraFlags);
    SelectObject(dc, old);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

bool IsEntry(CGfxObject* object)
{
    return dynamic_cast<CTWndSchedule::CGfxEntry*>(object) != nullptr;
}

} // namespace

__int64 ScheduleToday(__int64 now)
{
    // The local calendar date of now, as 00:00 UTC of that date.
    __time64_t t = now;
    struct tm local = {};
    if (_localtime64_s(&local, &t) != 0)
        return now / CTWndSchedule::kDay * CTWndSchedule::kDay;
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    local.tm_isdst = 0;
    return _mkgmtime64(&local);
}

// ---- chart ---------------------------------------------------------------------------------------

CTWndSchedule::~CTWndSchedule()
{
    m_root.BaseCreateResources(nullptr, false);
    ReleaseChartResources();
}

int CTWndSchedule::DayWidth() const
{
    return DpiX(kColumnWidth) / 7;
}

bool CTWndSchedule::Create(HWND parent, HINSTANCE module, int id, bool fitFirstChild, DWORD style)
{
    if (!CTWndGfx::Create(parent, module, id, fitFirstChild, style | WS_TABSTOP))
        return false;
    LONG_PTR ex = GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE);
    SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, ex | WS_EX_CONTROLPARENT | WS_EX_TOOLWINDOW);
    return true;
}

void CTWndSchedule::CreateResources(HDC dc, bool create)
{
    CTWndGfx::CreateResources(dc, create);
    if (create) {
        if (m_resourcesHeld)
            return;
        CGDIManager* gdi = CGDIManager::Instance();
        gdi->AddBrush(BrushMarkedHeader, CreateSolidBrush(kColumnGrey));
        gdi->AddColour(ColourColumn, kColumnGrey);
        gdi->AddBrush(BrushColumn, CreateSolidBrush(kColumnGrey));
        gdi->AddBrush(BrushMarkedDay, CreateSolidBrush(kMarkedGrey));
        m_resourcesHeld = true;
    } else {
        ReleaseChartResources();
    }
}

void CTWndSchedule::ReleaseChartResources()
{
    if (!m_resourcesHeld)
        return;
    CGDIManager* gdi = CGDIManager::Instance();
    for (int id : {BrushMarkedHeader, BrushColumn, BrushMarkedDay, ColourColumn})
        gdi->Release(id);
    m_resourcesHeld = false;
}

void CTWndSchedule::Clear()
{
    m_runningX = 0;
    m_focus = nullptr;
    m_root.DeleteChildren();
}

int CTWndSchedule::GetHeight()
{
    int height = m_columnHeight;
    if (m_hWnd && (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_HSCROLL))
        height += GetSystemMetrics(SM_CYHSCROLL);
    return height;
}

void CTWndSchedule::AddWeek(const CTString& title, const CTString& caption, const CTString& tLabel, int value,
                            int start, int t0)
{
    auto* label = new CGfxTTitle();
    label->m_text = tLabel;
    m_root.AddChild(label);

    auto* week = new CGfxWeek();
    week->m_title = title;
    week->m_caption = caption;
    week->m_value = value;
    week->m_start = start;
    m_root.AddChild(week);
    const int columnWidth = DpiX(kColumnWidth);
    week->SetBounds(m_runningX, 0, columnWidth, GetHeight());

    {
        HWND hwnd = m_hWnd;
        HDC dc = GetDC(hwnd);
        SIZE size = MeasureText(dc, Gdi<HFONT>(FontTLabel), label->m_text.GetBuffer() ? label->m_text.GetBuffer() : L"",
                                DT_WORDBREAK);
        label->SetBounds(m_runningX - size.cx / 2, 0, size.cx, size.cy);
        ReleaseDC(hwnd, dc);
    }

    if (start != 0) {
        const __int64 today = ScheduleToday(UnixClock::Now());
        if (today >= start && today < start + kWeek) {
            week->m_todayOffset = DayWidth() * static_cast<int>((today - start) / kDay);
            m_todayX = m_runningX + week->m_todayOffset;
        }
        if (t0 != 0 && static_cast<__int64>(start) <= t0 && t0 < start + kWeek)
            week->m_t0Offset = static_cast<int>((static_cast<__int64>(t0) - start) / kDay) * DayWidth();
    }

    m_runningX += columnWidth;
    m_root.m_bounds.right = m_runningX;

    // T-labels go after the columns, keeping their order, so that they paint on top.
    std::vector<CGfxObject*> labels;
    for (CGfxObject* child = m_root.FirstChild(); child; child = child->Next())
        if (dynamic_cast<CGfxTTitle*>(child))
            labels.push_back(child);
    for (CGfxObject* moved : labels) {
        m_root.m_children.Remove(moved);
        m_root.m_children.AddTail(moved);
    }

    int width, height;
    ClientSize(&width, &height);
    Layout(width, height);
}

CTWndSchedule::CGfxWeek* CTWndSchedule::FindWeek(__int64 date, int tDate, int mode)
{
    for (CGfxObject* child = m_root.FirstChild(); child; child = child->Next()) {
        auto* week = dynamic_cast<CGfxWeek*>(child);
        if (!week)
            continue;
        if (date != 0) {
            const __int64 s = week->m_start;
            if (s != 0 && s + 1 <= date && date < s + kWeek + 1)
                return week;
        } else if (week->m_start == 0) {
            const __int64 next = static_cast<__int64>(tDate) + 1;
            if (mode == 0 ? (week->m_value - 6 <= next && next <= week->m_value) : week->m_value == next)
                return week;
        }
    }
    return nullptr;
}

CTWndSchedule::CGfxWeek* CTWndSchedule::FindWeekOf(const Object& task, int mode)
{
    return FindWeek(NumberOf(task, L"end_date"), static_cast<int>(NumberOf(task, L"T_date")), mode);
}

void CTWndSchedule::AddTask(const Object& task, int mode)
{
    m_mode = mode;
    if (CGfxWeek* week = FindWeekOf(task, mode))
        week->AddTask(task);
}

void CTWndSchedule::AddTaskGroup(const CTString& prefix, int day, const std::vector<Object>& tasks, int mode,
                                 __int64 suffix)
{
    if (tasks.size() < 2)
        return;
    m_mode = mode;
    App* app = App::Instance();
    if (!app)
        return;
    const __int64 key = app->GetDayKeyId(prefix, day, suffix);
    app->SetKeyedList(key, tasks);
    CGfxWeek* week = day != 0 ? FindWeek(day, 0, mode)
                              : FindWeek(0, static_cast<int>(NumberOf(tasks.front(), L"T_date")), mode);
    if (week)
        week->AddGroup(key);
}

void CTWndSchedule::UpdateTask(const Object& task)
{
    // An undated task is looked for where placing put it: by the T-day rule of the last fill.
    if (CGfxWeek* week = FindWeekOf(task, m_mode))
        week->UpdateTask(task);
}

void CTWndSchedule::LayoutWeeks()
{
    int tallest = 0;
    int contentWidth = 0;
    for (CGfxObject* child = m_root.FirstChild(); child; child = child->Next()) {
        if (auto* week = dynamic_cast<CGfxWeek*>(child)) {
            tallest = std::max(tallest, week->m_rowsHeight + kHeaderHeight);
            contentWidth += week->GetWidth() + 1;
        }
    }
    m_columnHeight = DpiY(std::max(kMinimumHeight, tallest));
    for (CGfxObject* child = m_root.FirstChild(); child; child = child->Next())
        if (auto* week = dynamic_cast<CGfxWeek*>(child))
            if (week->GetHeight() != m_columnHeight)
                week->SetHeight(m_columnHeight);
    m_contentWidth = contentWidth;
    m_contentHeight = 0;
}

void CTWndSchedule::Layout(int width, int height)
{
    LayoutWeeks();
    UpdateScrollBars(width, height);
    if (!m_hWnd)
        return;
    const bool scrollBar = (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_HSCROLL) != 0;
    if (m_followToday && m_todayX != -1 && scrollBar) {
        int clientWidth, clientHeight;
        ClientSize(&clientWidth, &clientHeight);
        int target = m_todayX - width / 2;
        target = std::min(target, m_contentWidth - clientWidth);
        target = std::max(target, 0);
        if (target != m_scrollX) {
            m_scrollX = target;
            SCROLLINFO si = {sizeof(si), SIF_POS};
            si.nPos = target;
            SetScrollInfo(m_hWnd, SB_HORZ, &si, TRUE);
            m_root.OnScroll();
        }
    }
    InvalidateRect(m_hWnd, nullptr, TRUE);
    UpdateWindow(m_hWnd);
}

void CTWndSchedule::SetFollowToday(bool on)
{
    if (m_followToday == on)
        return;
    m_followToday = on;
    if (on) {
        int width, height;
        ClientSize(&width, &height);
        Layout(width, height);
    }
}

bool CTWndSchedule::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_SIZE) {
        Layout(LOWORD(lParam), HIWORD(lParam));
        *result = 0;
        return true;
    }
    const bool handled = CTWndGfx::OnMessage(msg, wParam, lParam, result);
    switch (msg) {
    case WM_SETFOCUS:
        if (!m_focus)
            m_focus = m_root.FirstChild();
        if (m_focus)
            m_focus->ModifyState(CGfxObject::StateFocused, 0);
        break;
    case WM_KILLFOCUS:
        if (m_focus)
            m_focus->ModifyState(0, CGfxObject::StateFocused | CGfxObject::StateFocusCue);
        break;
    case WM_HSCROLL:
        if (m_followToday) {
            m_followToday = false;
            ::PostMessageW(::GetParent(m_hWnd), kMsgFollowTodayEnded, 0, reinterpret_cast<LPARAM>(m_hWnd));
        }
        break;
    default:
        break;
    }
    return handled;
}

void CTWndSchedule::PaintRoot(HDC dc, const RECT* clip)
{
    RECT common;
    if (m_root.m_visible && (!clip || IntersectRect(&common, &m_root.m_bounds, clip)))
        FillRect(dc, &m_root.m_bounds, GetSysColorBrush(COLOR_BTNFACE));
    m_root.PaintChildren(dc, clip);
}

void CTWndSchedule::OnRootLButtonDown(int, int)
{
    // The press only takes the focus; entries answer the release.
    if (m_hWnd)
        ::SetFocus(m_hWnd);
}

// ---- columns -------------------------------------------------------------------------------------

void CTWndSchedule::CGfxWeek::PaintMarker(HDC dc, const RECT& column, int offset, const wchar_t* text)
{
    const int header = DpiY(kHeaderHeight);
    const int day = DpiX(kColumnWidth) / 7;
    RECT marked = {column.left + offset, column.top + header, column.left + offset + day, column.bottom};
    FillRect(dc, &marked, Gdi<HBRUSH>(BrushMarkedDay));
    RECT band = {marked.left, column.top, marked.right, column.top + header};
    FillRect(dc, &band, Gdi<HBRUSH>(BrushMarkedHeader));
    HFONT font = Gdi<HFONT>(FontMarker);
    SIZE size = MeasureText(dc, font, text, 0);
    const int cx = marked.right - (marked.right - marked.left) / 2;
    const int cy = marked.top + (marked.bottom - marked.top) / 2;
    RECT label;
    label.left = cx + size.cy / 2;
    label.right = label.left - size.cy;
    label.top = cy - size.cx / 2;
    label.bottom = marked.bottom;
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GdiColour(ColourWhite));
    DrawTextW(dc, text, -1, &label, DT_SINGLELINE | DT_NOCLIP);
    SelectObject(dc, old);
}

void CTWndSchedule::CGfxWeek::Paint(HDC dc, const RECT* clip)
{
    if (!m_visible)
        return;
    RECT c = ClientBounds();
    RECT common;
    if (!clip || IntersectRect(&common, &c, clip)) {
        const int header = DpiY(kHeaderHeight);
        FillRect(dc, &c, Gdi<HBRUSH>(BrushColumn));
        RECT band = {c.left, c.top, c.right, c.top + header};
        FillRect(dc, &band, Gdi<HBRUSH>(BrushHeader));
        HGDIOBJ oldPen = SelectObject(dc, Gdi<HPEN>(PenSeparator));
        MoveToEx(dc, c.left, c.top + header, nullptr);
        LineTo(dc, c.left, c.bottom);
        SelectObject(dc, oldPen);

        if (m_todayOffset != -1)
            PaintMarker(dc, c, m_todayOffset, L"TODAY");
        if (m_t0Offset != -1)
            PaintMarker(dc, c, m_t0Offset, L"T-O");

        SetBkMode(dc, TRANSPARENT);
        const wchar_t* title = m_title.GetBuffer() ? m_title.GetBuffer() : L"";
        HFONT titleFont = Gdi<HFONT>(FontTitle);
        SIZE size = MeasureText(dc, titleFont, title, 0);
        RECT titleRect = {c.left + size.cy, (c.top + header) + ((c.bottom - (c.top + header)) / 2 - size.cx / 2),
                          c.left, c.bottom};
        HGDIOBJ oldFont = SelectObject(dc, titleFont);
        SetTextColor(dc, GdiColour(ColourTitle));
        DrawTextW(dc, title, -1, &titleRect, DT_SINGLELINE | DT_NOCLIP);

        const wchar_t* caption = m_caption.GetBuffer() ? m_caption.GetBuffer() : L"";
        HFONT guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        size = MeasureText(dc, guiFont, caption, 0);
        RECT captionRect = {c.left + (c.right - c.left) / 2 - size.cx / 2, c.top, c.right, c.bottom};
        SelectObject(dc, guiFont);
        SetTextColor(dc, GdiColour(ColourWhite));
        DrawTextW(dc, caption, -1, &captionRect, DT_SINGLELINE);
        SelectObject(dc, oldFont);
    }
    PaintChildren(dc, clip);
}

void CTWndSchedule::CGfxWeek::SetHeight(int height)
{
    Redraw(true);
    m_bounds.bottom = m_bounds.top + height;
}

void CTWndSchedule::CGfxWeek::LayoutEntries()
{
    m_rowsHeight = 0;
    int left = 0;
    GetBounds(&left, nullptr, nullptr, nullptr);
    const int columnWidth = DpiX(kColumnWidth);
    for (CGfxObject* child = FirstChild(); child; child = child->Next()) {
        if (!IsEntry(child))
            continue;
        child->SetBounds(left + DpiX(kEntryIndent), DpiY(kHeaderHeight) + DpiY(m_rowsHeight),
                         columnWidth - DpiX(kEntryIndent), DpiX(kEntryHeight));
        child->Redraw(true);
        m_rowsHeight += kRowPitch;
    }
}

void CTWndSchedule::CGfxWeek::AddTask(const Object& task)
{
    auto* entry = new CGfxEntry();
    AddChild(entry);
    LayoutEntries();
    entry->m_task = task;
    entry->SetText(entry->m_task.name);
}

void CTWndSchedule::CGfxWeek::AddGroup(__int64 key)
{
    App* app = App::Instance();
    if (!app)
        return;
    auto it = app->m_keyedLists.find(key);
    if (it == app->m_keyedLists.end() || it->second.empty())
        return;
    Object first = it->second.front();
    auto* group = new CGfxMultiTask();
    CGfxObject* before = nullptr;
    for (CGfxObject* child = FirstChild(); child; child = child->Next()) {
        auto* entry = dynamic_cast<CGfxEntry*>(child);
        if (entry && !ObjectSortsBefore(entry->m_task, first)) {
            before = child;
            break;
        }
    }
    if (before)
        InsertChild(group, before);
    else
        AddChild(group);
    LayoutEntries();
    group->m_task = first;
    group->m_key = key;
    group->SetText(first.name);
}

void CTWndSchedule::CGfxWeek::UpdateTask(const Object& task)
{
    for (CGfxObject* child = FirstChild(); child; child = child->Next()) {
        auto* entry = dynamic_cast<CGfxEntry*>(child);
        if (entry && entry->Holds(task.id)) {
            entry->UpdateObject(task);
            return;
        }
    }
}

// ---- T-labels ------------------------------------------------------------------------------------

void CTWndSchedule::CGfxTTitle::Paint(HDC dc, const RECT* clip)
{
    if (!m_visible)
        return;
    RECT rc = ClientBounds();
    RECT common;
    if (clip && !IntersectRect(&common, &rc, clip))
        return;
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, Gdi<HFONT>(FontTLabel));
    SetTextColor(dc, GdiColour(ColourWhite));
    DrawTextW(dc, m_text.GetBuffer() ? m_text.GetBuffer() : L"", -1, &rc, DT_SINGLELINE);
    SelectObject(dc, old);
}
