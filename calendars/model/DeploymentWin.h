#pragma once
// The deployment windows (booking slots) of one schedule group as the deployment-window reply lists
// them: one "result" element with an "RC" element (attribute "depwinid") and one "day" element per
// window. Reads the reply into a day map with totals and column widths, fills owner-drawn list and
// combo boxes with one entry per window, draws the entries and applies realtime "slots" updates.
#include <windows.h>
#include <map>
#include "foundation/CAttribute.h"
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "foundation/CTStringLocale.h"
#include "foundation/TiXmlDocument.h"
#include "session/DB.h"

class DeploymentWin : public CLinkedListObject {
public:
    struct Window {
        int id = 0;
        int used = 0;
        int capacity = 0;
        int isDay = 0;
        __int64 lockMin = 0;
        __int64 lockMax = 0;
        CTString code;
        CTStringLocale description;
    };
    // Windows of one day by display order; days by their day key (00:00 UTC, unsigned order).
    using Day = std::map<int, Window>;
    using DayMap = std::map<unsigned __int64, Day>;

    static constexpr int kAllDeployments = -2;
    static constexpr int kNotAssigned = -3;

    DeploymentWin() = default;
    ~DeploymentWin() override { EraseDays(); }

    void EraseDays() { m_days.clear(); }
    // Empties the day map; totals, code width and group window id back to 0.
    void Clear();
    // Adds the reply's windows (without clearing first) and, with a device context, widens the
    // column widths in the menu font.
    void ReadReply(const TiXmlDocument& reply, HDC dc);
    // Clears, reads and refills; select 0 keeps the current selection. The top index is kept.
    void FillListBox(const TiXmlDocument& reply, HWND list, int select);
    void FillComboBox(const TiXmlDocument& reply, HWND combo, const CAttribute& select);

    CTString CodeOfWindow(__int64 windowId) const;
    // A date attribute holding the window's day key; an integer 0 for id 0 or an unknown id.
    CAttribute DateOfWindow(__int64 windowId) const;
    // The first window with the update's id in every day gets its figures; totals stay.
    void ApplySlotUpdate(DB::Slot& update, HWND list);

    // WM_DRAWITEM and WM_MEASUREITEM for the control last filled; true when measured.
    bool OnOwnerDraw(UINT message, WPARAM controlId, LPARAM record);
    void DrawItem(HDC dc, int data, const RECT& rect, UINT state);
    // While dragging: highlights the entry under the screen point and answers its item data when it
    // changed (0 otherwise). At the end: answers the last highlighted entry's data (0 for none).
    int DragOverFeedback(bool dragging, POINT screenPoint);

    // Closed when a lock minimum has been reached or a lock maximum not yet passed.
    static bool IsClosed(const Window& window, __int64 now);

    // The schedule group whose windows these are, set by owners that keep one record per group
    // (the deployment wizards); the record itself never reads it.
    int m_groupId = 0;
    DayMap m_days;
    int m_usedTotal = 0;
    int m_capacityTotal = 0;
    int m_freeTotal = 0;
    bool m_showAll = false;
    bool m_showNotAssigned = false;
    int m_weekdayWidth = 15;
    int m_dateWidth = 40;
    int m_codeWidth = 0;
    int m_countWidth = 0;
    int m_blankWidth = 0;
    int m_controlId = 0;
    __int64 m_groupWindowId = 0;
    bool m_loaded = false;
    HWND m_list = nullptr;
    int m_hoverIndex = -1;
    int m_hoverData = -1;

private:
    const Window* FindLastWindow(int id, unsigned __int64& day) const;
};

// Applies a realtime "slots" update (1 window id, 2 used, 3 maximum) to a cached reply: the first
// "day" whose "id" is the window's gets the new figures. Answers the window id, 0 when no day
// matched (the reply is then unchanged).
int ApplySlotUpdateToReply(TiXmlDocument& reply, DB::Slot& update);
