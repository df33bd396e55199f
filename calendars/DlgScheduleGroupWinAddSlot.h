#pragma once
// The add-slots window (window type 50, key = the deployment window's id, parameter = the editor's
// window, its owner): a range of days and, per kind of day, the run rate of each new slot, one rate
// column or one per slot kind of the schedule group. OK sends the request to the owner (message
// 1059 with its address), posts 1059 with 0 so the owner sorts its list, and closes. Nothing is
// written to the server from here.
#include <windows.h>
#include <memory>
#include "calendars/AddSlotsRequest.h"
#include "calendars/model/DeploymentWin.h"
#include "controls/CTListCtrlEdit.h"
#include "controls/CTWndHeader.h"
#include "controls/CTWndListCtrlEx2.h"
#include "framework/CTMenu.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"
#include "framework/CWindowManager.h"
#include "session/DB.h"
#include "session/Object.h"

struct RequestResult;

class DlgScheduleGroupWinAddSlot : public CTWnd2, public CWindowManager::CWindow, public CTWndSize {
public:
    enum : int { kWindowType = 50, kTemplate = 437 };
    enum : int {
        kIdHeader = 105,
        kIdStart = 1028,
        kIdEnd = 1027,
        kIdSingleDay = 1321,
        kIdDateRange = 1322,
        kIdEndDate = 1323,
        kIdPeriod = 1324,
        kIdPeriodCount = 1325,
        kIdPeriodUnit = 1326,
        kIdRunRate = 1029,
        kIdList = 1016,
    };
    enum : int { kCmdNew = 257, kCmdDelete = 258, kCmdFirstKind = 5000, kCmdLastKind = 5198 };
    enum : UINT { kMsgAddSlots = 1059, kStrNew = 107, kStrDelete = 108 };
    enum : int { kReqIcon = 1022 };
    static constexpr const wchar_t* kPlacement = L"DlgScheduleGroupWinAddSlot";

    CTWndHeader m_header;
    int m_iconIndex = -1;
    CTWndListCtrlEx2 m_list;
    CTListCtrlEdit m_editor;
    Object m_object;          // the deployment window, as the server answers it
    AddSlotsRequest m_request;
    CTMenu m_dayMenu;
    Object m_group;           // from the editor; the directory cache's copy when none was given
    bool m_hasGroup = false;
    bool m_built = false;     // the rate list has been built from the object
    std::shared_ptr<DlgScheduleGroupWinAddSlot*> m_alive;

    DlgScheduleGroupWinAddSlot();
    ~DlgScheduleGroupWinAddSlot() override;

    // CWindowManager::CWindow
    void Activate() override { BringToFront(); }
    void Close() override;
    bool Open() override;
    void Notify(void* param) override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    virtual void OnInitDialog();

    // The editor's slot cache: the dates continue after its last day.
    void SetDeploymentWindows(const DeploymentWin& windows);
    // The schedule group the editor holds; rebuilds the rate list when it was built already.
    void SetGroup(const Object& group);
    void OnResult(const RequestResult& result);

    void UpdateControls();
    void RequestObject();
    void BuildRateList();
    void AddRateRow(int kind);
    void OnRateChanged(int item, int column, const CAttribute& value);
    // A popup of the day kinds not in the list yet; the caller owns it.
    HMENU BuildDayMenu();
    void ShowDayMenu();
    void DeleteSelectedRow();
    void UpdateEndDate();
    static const wchar_t* KindLabel(int kind);

private:
    AddSlotsRequest::RateRow* FindRow(__int64 id);
    bool HasRow(int kind) const;
    void SetPicker(int id, __int64 day);
    __int64 ReadPicker(int id);
    void ShowHeaderIcon();
    static void RateChangedThunk(void* context, int item, int column, CAttribute* value);
};
