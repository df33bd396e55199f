#pragma once
// Common frame of the list pickers: a small resizable modeless dialog that an owner opens through
// the window manager with a fresh key and its own HWND, which searches the server, lists the
// results and answers the owner with one message before destroying itself. The kinds say which
// template, columns, search, answer message and end-of-life work they have.
#include <windows.h>
#include <deque>
#include <map>
#include <set>
#include "controls/CTListCtrlReportEx.h"
#include "controls/CTWndHeader.h"
#include "foundation/CTString.h"
#include "framework/CTIcon.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"
#include "framework/CWindowManager.h"
#include "session/Object.h"
#include "session/RequestResult.h"

class App;
class MainWindow;
class TiXmlDocument;

class DlgPicker : public CTWnd2, public CWindowManager::CWindow, public CTWndSize {
public:
    // Window types of the pickers.
    enum : int { kTypePerson = 11, kTypeRoute = 14, kTypeUser = 13, kTypeLocation = 34, kTypeSite = 37 };
    // Messages to the owner.
    enum : UINT {
        kMsgGroupToSelect = 1035, // sent by the user picker: which schedule group to preselect
        kMsgPerson = 1037,
        kMsgRoute = 1038,
        kMsgSite = 1039,
        kMsgSiteState = 1040,     // lParam: 2 started, 3 cancelled, 4 gone
        kMsgLocation = 1044,
    };
    enum : LPARAM { kSiteStarted = 2, kSiteCancelled = 3, kSiteGone = 4 };
    // Dialog items.
    enum : int {
        kIdHeader = 105,
        kIdList = 1016,
        kIdNone = 1056,
        kIdSearchEdit = 1120,
        kIdGo = 1121,
    };
    // Request ids of the replies a picker handles.
    enum : int { kReqGroups = 1036, kReqSearch = 1047, kReqIcon = 1022, kReqPath = 1028 };
    static constexpr UINT kLayoutRoot = 104; // string resource holding the settings root

    CTWndHeader m_header;
    CTIcon m_headerIcon;
    CTListCtrlReportEx m_list;
    std::deque<Object> m_results;        // one per received object, in arrival order; never moved
    std::set<__int64> m_resultIds;
    std::map<__int64, CTString> m_paths; // id -> path text ("?" while being fetched)
    __int64 m_searchSerial = 0;          // tags the current search: late answers of earlier ones are dropped
    bool m_answered = false;             // a picker answers at most once

    DlgPicker();
    ~DlgPicker() override;

    // CWindowManager::CWindow
    bool Open() override;
    void Close() override;
    void Activate() override { BringToFront(); }
    void Notify(void* param) override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    virtual BOOL OnInitDialog();

    HWND Owner() const { return reinterpret_cast<HWND>(m_param); }
    // Empties the list and sends the kind's search.
    void Search();
    // The ids of the selected rows in list order.
    __int64 FirstSelectedId();
    bool IsNoneTicked();
    // Clears the list, the results and the path map and shows "Searching...".
    void ClearResults();

protected:
    // What the kinds say.
    virtual UINT TemplateId() const = 0;
    virtual const wchar_t* PlacementName() const = 0;
    virtual const wchar_t* ColumnSpec() const { return L"Path;Name;Type"; }
    virtual const wchar_t* LayoutName() const { return L"DlgSearch"; }
    virtual bool SortsByFirstColumn() const { return true; }
    virtual bool CopiesOwnerIcons() const { return true; }
    virtual bool SelectsSingleResult() const { return true; }
    // Anchoring of the kind's extra controls.
    virtual void AddExtraItems() {}
    // Sends the kind's search request with the route.
    virtual void SendSearch(App& app, const RequestRoute& route) = 0;
    // False to show no row for the object (it stays among the results).
    virtual bool ShowsObject(const Object& object) { (void)object; return true; }
    // The cells after the path cell.
    virtual void AddCells(CTListCtrlReport::Row& row, const Object& object) = 0;
    // The kind's search answer; the common one fills rows with a parent-path first column.
    virtual void OnSearchReply(RequestResult& result);
    virtual void OnPathReply(RequestResult& result);
    virtual void OnOtherReply(RequestResult& result) { (void)result; }
    // Posts or sends the answer; id 0 for "none".
    virtual void Answer(__int64 id, bool none) = 0;
    // OK with no row selected and the box not ticked: the kinds that answer 0 then.
    virtual bool AnswersWithoutSelection() const { return true; }
    virtual void OnCancel() {}
    // Controls switched by "Set to not assigned" besides the list.
    virtual void EnableSearchControls(bool enable);
    virtual void OnDestroyWork() {}

    App* GetApp() const;
    MainWindow* GetMainWindow() const;
    RequestRoute Route(int requestId, __int64 param2 = 0, bool silent = false) const;
    // The icon image in the list for the object's "tree_image" (0 the default).
    int ImageFor(const Object& object);
    // The parent-path cell; asks for the path when nothing is known for the parent yet.
    CTString PathCell(const Object& object, bool& ask);
    void SelectOnlyRow();
    void UpdateOkState();
    void SetDefaultButton(int id);
    // OK, a double-click and Enter on the list.
    void Choose();

private:
    void OnIconReply(RequestResult& result);
    void CopyOwnerIcons();
};
