#include "calendars/model/DeploymentWin.h"

#include <stdlib.h>
#include <commctrl.h>
#include <algorithm>
#include "foundation/CTTime.h"
#include "foundation/UnixClock.h"
#include "framework/CTREngine.h"

namespace {

int ReadInt(const TiXmlElement* e, const wchar_t* name)
{
    const wchar_t* text = e->GetAttribute(name);
    return text ? static_cast<int>(wcstol(text, nullptr, 10)) : 0;
}

__int64 ReadInt64(const TiXmlElement* e, const wchar_t* name)
{
    const wchar_t* text = e->GetAttribute(name);
    return text ? _wcstoi64(text, nullptr, 10) : 0;
}

void ReadSlot(DB::Slot& update, __int64& id, __int64& used, __int64& capacity)
{
    update.GetInt64(1u, id);
    update.GetInt64(2u, used);
    update.GetInt64(3u, capacity);
}

// The user locale's abbreviated name of the weekday of the day key's UTC date.
CTString WeekdayText(unsigned __int64 day)
{
    __int64 days = static_cast<__int64>(day) / 86400;
    if (static_cast<__int64>(day) % 86400 < 0)
        --days;
    const int weekday = static_cast<int>(((days % 7) + 7 + 4) % 7);   // 0 Sunday
    wchar_t name[81] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVDAYNAME1 + (weekday + 6) % 7, name, 81);
    return CTString(name);
}

CTString DateText(unsigned __int64 day)
{
    const int32_t t = static_cast<int32_t>(day);
    CTString out;
    FormatUnixDate(&t, out);
    return out;
}

CTString CountText(int used, int capacity)
{
    wchar_t text[32];
    _snwprintf(text, 32, L"%d/%d", used, capacity);
    text[31] = L'\0';
    return CTString(text);
}

const wchar_t* Text(const CTString& s) { return s.GetBuffer() ? s.GetBuffer() : L""; }

int TextWidth(HDC dc, const CTString& text)
{
    SIZE size = {};
    GetTextExtentPoint32W(dc, Text(text), text.GetLength(), &size);
    return size.cx;
}

} // namespace

bool DeploymentWin::IsClosed(const Window& window, __int64 now)
{
    const unsigned __int64 n = static_cast<unsigned __int64>(now);
    return (window.lockMin != 0 && n >= static_cast<unsigned __int64>(window.lockMin)) ||
           (window.lockMax != 0 && n <= static_cast<unsigned __int64>(window.lockMax));
}

void DeploymentWin::Clear()
{
    EraseDays();
    m_usedTotal = m_capacityTotal = m_freeTotal = 0;
    m_codeWidth = 0;
    m_groupWindowId = 0;
}

void DeploymentWin::ReadReply(const TiXmlDocument& reply, HDC dc)
{
    int saved = 0;
    if (dc) {
        saved = SaveDC(dc);
        SelectObject(dc, CTREngine::Instance()->m_menuFont ? CTREngine::Instance()->m_menuFont
                                                           : GetStockObject(DEFAULT_GUI_FONT));
    }
    if (TiXmlElement* result = reply.FirstChildElementNamed(L"result")) {
        m_groupWindowId = 0;
        if (TiXmlElement* rc = result->FirstChildElementNamed(L"RC"))
            m_groupWindowId = ReadInt64(rc, L"depwinid");
        const __int64 now = UnixClock::Now();
        for (TiXmlElement* e = result->FirstChildElementNamed(L"day"); e; e = e->NextSiblingElementNamed(L"day")) {
            // The day key is a 32-bit value widened with its sign.
            const unsigned __int64 key = static_cast<unsigned __int64>(static_cast<__int64>(ReadInt(e, L"date")));
            Window& w = m_days[key][ReadInt(e, L"display_order")];
            w.id = ReadInt(e, L"id");
            w.used = ReadInt(e, L"used_days");
            w.capacity = ReadInt(e, L"max_deployments");
            w.isDay = ReadInt(e, L"is_day");
            w.lockMin = ReadInt64(e, L"slot_lock_min");
            w.lockMax = ReadInt64(e, L"slot_lock_max");
            const wchar_t* code = e->GetAttribute(L"code");
            w.code = code ? code : L"";
            const wchar_t* description = e->GetAttribute(L"description");
            w.description = CTStringLocale(description ? description : L"");
            m_usedTotal += w.used;
            m_capacityTotal += w.capacity;
            if (w.capacity > w.used && !IsClosed(w, now))
                m_freeTotal += w.capacity - w.used;
            if (dc) {
                m_weekdayWidth = std::max(m_weekdayWidth, TextWidth(dc, WeekdayText(key)));
                m_dateWidth = std::max(m_dateWidth, TextWidth(dc, DateText(key)));
                if (!w.code.IsEmpty())
                    m_codeWidth = std::max(m_codeWidth, TextWidth(dc, w.code));
                m_countWidth = std::max(m_countWidth, TextWidth(dc, CountText(w.used, w.capacity)));
            }
        }
        if (dc)
            m_blankWidth = TextWidth(dc, CTString(L" "));
    }
    if (dc)
        RestoreDC(dc, saved);
    m_loaded = true;
}

void DeploymentWin::FillListBox(const TiXmlDocument& reply, HWND list, int select)
{
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    if (select == 0) {
        const LRESULT current = SendMessageW(list, LB_GETCURSEL, 0, 0);
        select = current == LB_ERR ? -1 : static_cast<int>(SendMessageW(list, LB_GETITEMDATA, current, 0));
    }
    const LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    Clear();
    m_list = list;
    m_controlId = GetDlgCtrlID(list);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    auto add = [list](int data, bool selected) {
        const LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L""));
        SendMessageW(list, LB_SETITEMDATA, index, data);
        if (selected)
            SendMessageW(list, LB_SETCURSEL, index, 0);
    };
    if (m_showAll)
        add(kAllDeployments, select == kAllDeployments || select == -1);
    if (m_showNotAssigned)
        add(kNotAssigned, select == kNotAssigned);
    HDC dc = GetDC(list);
    ReadReply(reply, dc);
    ReleaseDC(list, dc);
    if (m_codeWidth > 100)
        m_codeWidth = 100;
    for (const auto& [key, day] : m_days)
        for (const auto& [order, w] : day)
            add(w.id, w.id == select);
    SendMessageW(list, LB_SETTOPINDEX, top == LB_ERR ? 0 : top, 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void DeploymentWin::FillComboBox(const TiXmlDocument& reply, HWND combo, const CAttribute& select)
{
    Clear();
    m_list = combo;
    m_controlId = GetDlgCtrlID(combo);
    SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    const __int64 wanted = select.GetValue();
    auto add = [combo](int data, bool selected) {
        const LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L""));
        SendMessageW(combo, CB_SETITEMDATA, index, data);
        if (selected)
            SendMessageW(combo, CB_SETCURSEL, index, 0);
    };
    if (m_showNotAssigned)
        add(kNotAssigned, true);
    HDC dc = GetDC(combo);
    ReadReply(reply, dc);
    ReleaseDC(combo, dc);
    if (m_codeWidth > 100)
        m_codeWidth = 100;
    for (const auto& [key, day] : m_days)
        for (const auto& [order, w] : day)
            add(w.id, w.id == wanted);
    SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(combo, nullptr, FALSE);
}

CTString DeploymentWin::CodeOfWindow(__int64 windowId) const
{
    if (windowId != 0)
        for (const auto& [key, day] : m_days)
            for (const auto& [order, w] : day)
                if (w.id == windowId)
                    return w.code;
    return CTString(L"");
}

CAttribute DeploymentWin::DateOfWindow(__int64 windowId) const
{
    if (windowId != 0)
        for (const auto& [key, day] : m_days)
            for (const auto& [order, w] : day)
                if (w.id == windowId)
                    return CAttribute(CAttribute::Date, static_cast<__int64>(key));
    return CAttribute(CAttribute::Integer, static_cast<__int64>(0));
}

void DeploymentWin::ApplySlotUpdate(DB::Slot& update, HWND list)
{
    __int64 id = 0, used = 0, capacity = 0;
    ReadSlot(update, id, used, capacity);
    for (auto& [key, day] : m_days) {
        for (auto& [order, w] : day) {
            if (w.id == id) {
                w.used = static_cast<int>(used);
                w.capacity = static_cast<int>(capacity);
                if (list)
                    InvalidateRect(list, nullptr, FALSE);
                break;
            }
        }
    }
}

const DeploymentWin::Window* DeploymentWin::FindLastWindow(int id, unsigned __int64& dayKey) const
{
    const Window* found = nullptr;
    dayKey = 0;
    for (const auto& [key, day] : m_days)
        for (const auto& [order, w] : day)
            if (w.id == id) {
                found = &w;
                dayKey = key;
                break;
            }
    return found;
}

bool DeploymentWin::OnOwnerDraw(UINT message, WPARAM controlId, LPARAM record)
{
    if (static_cast<int>(controlId) != m_controlId)
        return false;
    if (message == WM_DRAWITEM) {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(record);
        DrawItem(item->hDC, static_cast<int>(item->itemData), item->rcItem, item->itemState);
        return false;
    }
    if (message == WM_MEASUREITEM) {
        MEASUREITEMSTRUCT* item = reinterpret_cast<MEASUREITEMSTRUCT*>(record);
        item->itemHeight = static_cast<UINT>(CTREngine::Instance()->m_dpi.ScaleY(static_cast<int>(item->itemHeight)));
        return true;
    }
    return false;
}

void DeploymentWin::DrawItem(HDC dc, int data, const RECT& rect, UINT state)
{
    CTREngine* engine = CTREngine::Instance();
    const int saved = SaveDC(dc);
    const bool selected = (state & ODS_SELECTED) != 0;
    const bool hover = data == m_hoverData;
    COLORREF text = engine->SysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    COLORREF back = engine->SysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    SelectObject(dc, engine->m_menuFont ? engine->m_menuFont : GetStockObject(DEFAULT_GUI_FONT));
    UINT options = ETO_CLIPPED;
    if (hover) {
        FillRect(dc, &rect, engine->m_lightBrush ? engine->m_lightBrush : GetSysColorBrush(COLOR_HIGHLIGHT));
        SetBkMode(dc, TRANSPARENT);
    } else {
        options |= ETO_OPAQUE;
    }
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    const int y = (rect.top + rect.bottom - metrics.tmHeight) / 2;
    int x = LOWORD(GetDialogBaseUnits()) / 4 + GetSystemMetrics(SM_CXBORDER);
    auto draw = [&](const CTString& s, int at) {
        RECT clip = rect;
        clip.left = at;
        ExtTextOutW(dc, at, y, options, &clip, Text(s), s.GetLength(), nullptr);
    };
    SetTextColor(dc, text);
    SetBkColor(dc, back);
    if (data == kAllDeployments && m_showAll) {
        draw(CTString(L"<all deployments>"), x);
    } else if (data == kNotAssigned && m_showNotAssigned) {
        draw(CTString(L"<not assigned>"), x);
    } else {
        unsigned __int64 key = 0;
        static const Window kNone;
        const Window* found = FindLastWindow(data, key);
        const Window& w = found ? *found : kNone;
        const bool closed = IsClosed(w, UnixClock::Now());
        if (!hover && w.isDay == 0) {
            back = engine->SysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU);
            SetBkColor(dc, back);
        }
        // The first text fills the whole entry's background when drawn opaque.
        RECT whole = rect;
        if (!hover)
            ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &whole, L"", 0, nullptr);
        draw(WeekdayText(key), x);
        x += m_weekdayWidth + m_blankWidth;
        draw(DateText(key), x);
        x += m_dateWidth + m_blankWidth;
        if (!w.code.IsEmpty()) {
            draw(w.code, x);
            x += m_codeWidth + m_blankWidth;
        }
        if (w.used > w.capacity || closed)
            SetTextColor(dc, RGB(255, 0, 0));
        else if (w.used == w.capacity)
            SetTextColor(dc, RGB(0, 0, 255));
        draw(CountText(w.used, w.capacity), x);
    }
    if (state & ODS_FOCUS)
        DrawFocusRect(dc, &rect);
    RestoreDC(dc, saved);
}

int DeploymentWin::DragOverFeedback(bool dragging, POINT screenPoint)
{
    if (!m_list)
        return 0;
    if (!dragging) {
        if (m_hoverIndex == -1)
            return 0;
        RECT r;
        if (SendMessageW(m_list, LB_GETITEMRECT, m_hoverIndex, reinterpret_cast<LPARAM>(&r)) != LB_ERR)
            InvalidateRect(m_list, &r, FALSE);
        const int data = m_hoverData;
        m_hoverIndex = m_hoverData = -1;
        return data;
    }
    int index = -1;
    POINT client = screenPoint;
    ScreenToClient(m_list, &client);
    RECT area;
    GetClientRect(m_list, &area);
    if (PtInRect(&area, client)) {
        const LRESULT hit = SendMessageW(m_list, LB_ITEMFROMPOINT, 0, MAKELPARAM(client.x, client.y));
        index = LOWORD(hit);
        if (index == 0)
            index = -1;
    }
    if (index == m_hoverIndex)
        return 0;
    const int old = m_hoverIndex;
    m_hoverIndex = index;
    m_hoverData = index == -1 ? -1 : static_cast<int>(SendMessageW(m_list, LB_GETITEMDATA, index, 0));
    ImageList_DragShowNolock(FALSE);
    for (int i : {old, index}) {
        RECT r;
        if (i != -1 && SendMessageW(m_list, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r)) != LB_ERR)
            RedrawWindow(m_list, &r, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    ImageList_DragShowNolock(TRUE);
    return m_hoverData;
}

int ApplySlotUpdateToReply(TiXmlDocument& reply, DB::Slot& update)
{
    __int64 id = 0, used = 0, capacity = 0;
    ReadSlot(update, id, used, capacity);
    TiXmlElement* result = reply.FirstChildElementNamed(L"result");
    if (!result)
        return 0;
    for (TiXmlElement* day = result->FirstChildElementNamed(L"day"); day; day = day->NextSiblingElementNamed(L"day")) {
        const wchar_t* text = day->GetAttribute(L"id");
        if (!text || _wcstoi64(text, nullptr, 10) != id)
            continue;
        day->SetAttributeInt(L"used_days", static_cast<int>(used));
        day->SetAttributeInt(L"max_deployments", static_cast<int>(capacity));
        return static_cast<int>(id);
    }
    return 0;
}
