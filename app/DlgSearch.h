#pragma once
// The search pane (console type 1035): the result of a free-text search over the whole directory,
// one row per object with its path, name, type and icon, and the count with the elapsed time in
// the main window's status bar. A double click opens the object. The main window shows the pane
// (outside the back/forward history) and hands it the search box's text.
#include <windows.h>
#include <deque>
#include <map>
#include <set>
#include <vector>
#include "app/CTWndConsole.h"
#include "controls/CTListCtrlReport.h"
#include "controls/CTWndHeader.h"
#include "foundation/CTString.h"
#include "framework/CTIcon.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"
#include "session/Object.h"

class App;
class TiXmlDocument;

class DlgSearch : public CTWnd2, public CTWndSize, public CTWndConsole {
public:
    enum : int { kConsoleType = 1035, kTemplate = 302, kIdHeader = 105, kIdList = 1016, kCmdHeaderClose = 8 };
    enum : int { kReqSearch = 1047, kReqIcon = 1022, kReqPath = 1028 };
    enum : UINT { kStrStatus = 188 };

    CTWndHeader m_header;
    CTIcon m_icon;
    CTListCtrlReport m_list;
    std::deque<Object> m_results;            // in arrival order; read in place, never moved
    std::set<__int64> m_resultIds;           // the ids in m_results, for the duplicate check
    std::map<__int64, CTString> m_paths;     // parent id -> path text ("?" while being fetched)
    ULONGLONG m_sentAt = 0;                  // tick count of the current search
    __int64 m_searchSerial = 0;              // tags the current search's request
    CTString m_emptyText;                    // shown by the list while it has no rows

    DlgSearch();
    ~DlgSearch() override;

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

    // Empties the pane and sends the search with the current filter settings.
    void Search(const CTString& text);
    // The type restriction of the filter settings: type names joined by ",", empty for none.
    CTString BuildTypeText() const;
    // Adds the objects of a search answer; answers the number of rows added. Public for the bench.
    int FillResults(TiXmlDocument& document);
    // The status text for the rows in the list and the elapsed milliseconds.
    static CTString FormatStatus(int rows, ULONGLONG elapsedMs);

private:
    void OnInitDialog();
    void OnSearchReply(RequestResult& result);
    void OnPathReply(RequestResult& result);
    void OnIconReply(RequestResult& result);
    void SetStatusText(const CTString& text);
    void SetEmptyText(const wchar_t* text);
    void OpenSelected();
    bool IsHiddenParent(__int64 parent) const;
    int ImageFor(const Object& object);
};
