#pragma once
// The deployment-window editor (console type 1062, key = the deployment-window object's id): the
// slots of one window in an editable list, one row per slot, with tick boxes to edit several rows at
// once, a summary of the group's T0 date and booked places, and Save and Cancel. Every edit stays in
// the pane's slot entries until Save; Cancel reloads.
//
// A load is a chain: the window object with its parent group and its slots, then the sites the slots
// name, then the group's deployment windows from the application's reply cache, then the list. Each
// load carries a generation: completions and replies of a load that a later one replaced are
// ignored, so a reload never mixes two loads.
#include <windows.h>
#include <map>
#include <memory>
#include <vector>
#include "app/CTWndConsole.h"
#include "app/PaneKey.h"
#include "calendars/AddSlotsRequest.h"
#include "calendars/model/DeploymentWin.h"
#include "calendars/model/ProjectCalendar.h"
#include "controls/CTListCtrlEdit.h"
#include "controls/CTWndDraw.h"
#include "controls/CTWndHeader.h"
#include "controls/CTWndListCtrlEx2.h"
#include "foundation/CTString.h"
#include "foundation/CTStringLocale.h"
#include "framework/CTMenu.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"
#include "session/DB.h"
#include "session/Object.h"

class DlgScheduleGroupWin : public CTWnd2, public CTWndSize, public CTWndConsole {
public:
    enum : int { kConsoleType = 1062, kTemplate = 436 };
    enum : int { kIdHeader = 105, kIdSummary = 1197, kIdSave = 1015, kIdCancel = 1014, kIdList = 1016 };
    enum : int {
        kCmdClose = 8,
        kCmdSelect = 122,
        kCmdNew = 257,
        kCmdDelete = 258,
        kCmdAll = 32808,
        kCmdNone = 32809,
        kCmdInvert = 32810,
        kCmdUnusedExpired = 32830,
        kCmdCalendaredDays = 32832,
        kCmdDateRange = 32834,
    };
    enum : UINT { kMsgSitePicked = 1039, kMsgSitePickState = 1040, kMsgReload = 1054, kMsgAddSlots = 1059 };
    enum : int { kReqSave = 1006, kReqIcon = 1022, kReqPath = 1028, kReqWindows = 1063 };
    enum : UINT {
        kMenuSelect = 206,
        kIconSelect = 188,
        kStrNew = 107,
        kStrDelete = 108,
        kStrSelect = 146,
        kStrStatus = 156,
        kStrDeleteMany = 139,
    };
    static constexpr int kSitePickerType = 37;
    static constexpr int kAddSlotsType = 50;
    // Notice to the schedule-group view (console 1026, keyed by the group) that its windows changed.
    enum : int { kGroupConsoleType = 1026, kNoticeWindowsChanged = 1106 };
    // Site choice keys ahead of the site ids.
    enum : unsigned { kChoiceInherit = 1, kChoiceSelectSite = 2 };
    // Colour keys of the slot list.
    enum : BYTE {
        kColourNotCalendar = 2,
        kColourClosed = 3,
        kColourFull = 4,
        kColourNew = 5,
        kColourChanged = 6,
        kColourDeleted = 7,
    };
    enum EntryState : int { StateLoaded = 0, StateNew = 1, StateDeleted = 2, StateChanged = 3 };
    enum PickState : int { PickAsked = 1, PickOpen = 2, PickCancelled = 3, PickClosed = 4 };

    // The pane's record of one slot.
    struct SlotEntry {
        int state = StateLoaded;
        bool pending = false;
        bool refreshSite = false;
        Object object;
        // From the group's deployment-window reply.
        int id = 0;
        int used = 0;
        int capacity = 0;
        int isDay = 0;
        __int64 lockMin = 0;
        __int64 lockMax = 0;
        CTString code;
        CTStringLocale description;
    };
    // A slot an add request creates, with the day-name index of its day (0 Monday ... 6 Sunday).
    struct PlannedSlot {
        SlotEntry entry;
        int dayName = 0;
    };
    struct SitePick {
        int row = -1;
        int state = 0;
    };

    CTWndHeader m_header;
    CTWndDraw m_summary;
    CTWndListCtrlEx2 m_list;
    CTListCtrlEdit m_editor;
    int m_tickedCount = 0;
    int m_rowCount = 0;
    Object m_window;
    Object m_group;
    DeploymentWin m_slotCache;
    __int64 m_rowKeyCounter = 0;
    std::map<int, CTString> m_dayNames;   // 0 Monday ... 6 Sunday
    CTMenu m_selectMenu;
    int m_iconIndex = 0;
    std::map<__int64, SlotEntry> m_slots;  // by row key, in load order
    std::vector<CTString> m_columnNames;   // slot attribute of each list column; 0 is the tick box
    std::vector<__int64> m_siteIds;        // ascending, no repeats
    PaneKey m_route;
    std::vector<int> m_readOnlyColumns;
    bool m_filling = false;
    __int64 m_now = 0;                     // Unix time of the last fill
    int m_usedColumn = 3;
    int m_maxColumn = 4;
    int m_siteColumn = 5;
    bool m_propagating = false;
    int m_tickAnchor = -1;
    std::map<__int64, int> m_slotDataOrder;   // slot kind id -> display_order
    std::map<__int64, SitePick> m_sitePicks;  // by pick key
    // Tags the current load; a completion or reply carrying an older one is dropped.
    unsigned m_loadGeneration = 0;
    // Row key of the save step whose reply is awaited; 0 when no save runs.
    __int64 m_savingKey = 0;
    // Outlives the pane: a completion that runs after the pane is gone finds it expired.
    std::shared_ptr<DlgScheduleGroupWin*> m_alive;

    // Whether the user holds Shift while clicking a tick box; tests replace it.
    static bool (*s_isShiftDown)();
    // The days of the date-range selection; tests replace it. False when the user cancelled.
    static bool (*s_askDateRange)(HWND owner, __int64& start, __int64& end);

    DlgScheduleGroupWin();
    ~DlgScheduleGroupWin() override;

    // CTWndConsole
    bool Create() override;
    void Destroy() override;
    HWND GetHwnd() override { return m_hWnd; }
    int GetConsoleType() override { return kConsoleType; }
    bool IsTabPane() override { return false; }
    void OnReply(RequestResult& result) override;
    void Refresh() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Enables or disables Save and Cancel together.
    virtual void SetModified(bool on);
    virtual void FillChoicesByType(const CTString& listName, const CTString& typeValue, CTListCtrlEdit::Choices& map);
    virtual void FillChoices(const CTString& listName, CTListCtrlEdit::Choices& map);
    virtual void AddSlots();
    virtual void DeleteSelected();
    // Sends the next change, or ends the save; true when nothing was left to send.
    virtual bool Save();

    // Adding, deleting and saving slots.
    void ApplyAddSlotsRequest(const AddSlotsRequest& request);
    // The slots a request adds: days first to last, each counted rate column, the last matching
    // rate row winning, the default row only on calendar days, no second slot of one kind a day.
    // Weekdays are those of the days' UTC dates, as in the calendar.
    static std::vector<PlannedSlot> PlanAddedSlots(const AddSlotsRequest& request, const Object& slotType,
                                                   const ProjectCalendar& calendar,
                                                   const std::map<__int64, SlotEntry>& existing);
    void MarkRowDeleted(int item);
    bool SendNextChange(__int64 windowId, RequestRoute route);
    void OnSaveReply(TiXmlDocument& reply, __int64 key);

    void Clear();
    void UpdateStatusText();
    CTString StatusText() const;

    // Loading.
    void ReadObjectsReply(DB::DBEvent& reply, unsigned generation);
    // Reads the objGet reply's objects into the window, the group and the slot entries.
    void ReadObjects(TiXmlElement* result);
    void RequestDeploymentWindows(unsigned generation);
    void FillList();
    void SortRows();
    static int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM pane);
    int CompareEntries(const SlotEntry& a, const SlotEntry& b);
    void ShowSiteNames();
    void UpdateSummary();
    CTString BuildSummaryMarkup() const;
    void GetColumnSpec(CTString& out) const;
    bool UsesSlotKinds() const;

    // Rows and editing.
    int UpdateRowItem(__int64 key, const SlotEntry& entry, int knownItem = -1);
    int AddNewRow(const SlotEntry& entry);
    void OnValueChanged(int item, int column, const CAttribute& value);
    void ApplyCellValue(int item, int column, const CAttribute& value, bool inherit);
    void SelectRows(int command);
    void FillSiteChoices(CTListCtrlEdit::Choices& map);
    void OnSitePicked(int row, __int64 key, int column, __int64 siteId);
    void OnSitePickerMessage(UINT msg, WPARAM key, LPARAM value);

    // Lookups.
    SlotEntry* EntryOfItem(int item, __int64* keyOut = nullptr);
    bool IsTicked(int item);
    void SetTick(int item, bool on);

    // The free-slots line of the summary.
    static CTString FormatFreeSlots(int total, int used);
    // Whether a selection command ticks a row (tick t, entry e); start and end for the date range.
    static bool SelectionTicks(int command, bool ticked, const SlotEntry& entry, __int64 now, __int64 start,
                               __int64 end);
    // Builds the list columns; public for the benchmark, which fills without a server.
    void SetUpColumns();

private:
    void OnInitDialog();
    void ShowSelectMenu();
    void PropagateValue(int item, int column, const CAttribute& value, bool inherit);
    void SetSiteCellText(int item, const SlotEntry& entry);
    void OnPathReply(RequestResult& result);
    void OnSaveResult(RequestResult& result);
    RequestRoute ReplyRoute(int requestId, __int64 param2 = 0) const;
    static int Scaled40();
    static void ValueChangedThunk(void* context, int item, int column, CAttribute* value);
    static void FillChoicesThunk(void* context, const CTString* listName, CTListCtrlEdit::Choices* entries);
};
