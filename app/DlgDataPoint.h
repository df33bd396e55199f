#pragma once
// The data point pane (console type 1061, key = the data point's id): the data point's heading
// with its dates, its items and values in a small list and, below, every object linked to it with
// the time of the link, the object's name and its type. A double click opens a linked object; a
// right click on an item cell offers to copy the cell's text.
#include <windows.h>
#include <vector>
#include "app/CTWndConsole.h"
#include "controls/CTListCtrlReport.h"
#include "controls/CTWndHeader.h"
#include "controls/CTWndListCtrlEx2.h"
#include "framework/CTIcon.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"
#include "session/Object.h"
#include "session/RequestRoute.h"

class App;

class DlgDataPoint : public CTWnd2, public CTWndSize, public CTWndConsole {
public:
    enum : int { kConsoleType = 1061, kTemplate = 434 };
    enum : int { kIdHeader = 105, kIdLinks = 1016, kIdItems = 1218, kCmdHeaderClose = 8 };
    enum : int { kReqLinks = 1047 };
    enum : UINT { kCmdCopy = 32779, kStrCopy = 113, kPicture = 250, kItemIcon = 142 };
    // Characters of a cell that a copy reads, the terminating NUL included.
    static constexpr int kCopyBuffer = 260;

    CTIcon m_icon;
    CTWndHeader m_header;
    CTWndListCtrlEx2 m_links;
    CTListCtrlReport m_items;
    int m_option = 0;               // handed to the item filler
    std::vector<Object> m_linkObjects; // of the last search reply, in reply order

    DlgDataPoint();
    ~DlgDataPoint() override;

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

    // One row per link object: the link's time, the linked object's name and type.
    void FillLinks();
    // Puts the text of an item-list cell on the clipboard; false when nothing was copied.
    bool CopyCell(int item, int subItem);

private:
    RequestRoute DirRoute() const;
    void OnInitDialog();
    void ShowCopyMenu(const NMITEMACTIVATE& click);
    void OpenLink(int item);
};
