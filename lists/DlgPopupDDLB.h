#pragma once
// The drop-down list pop-up (window type 3): a child of a form laid over one of its fields, a
// drop-down list of directory objects with a tick and a cross at its right. It asks the form by
// sent messages where to stand (1025), what to look up (1026) and what to leave out (1028), and
// answers with one posted 1027: TRUE and the chosen entry's item data, or FALSE and 0.
#include <windows.h>
#include <vector>
#include "foundation/CTString.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"
#include "framework/CTWndToolbar.h"
#include "framework/CWindowManager.h"
#include "session/RequestResult.h"

class DlgPopupDDLB : public CTWnd2, public CWindowManager::CWindow, public CTWndSize {
public:
    enum : int { kType = 3 };
    enum : UINT {
        kTemplate = 141,
        kMsgPlace = 1025,   // lParam 0: position, 1: size; answered as two 16-bit halves
        kMsgRequest = 1026, // lParam: the Request to fill
        kMsgAnswer = 1027,
        kMsgLeaveOut = 1028, // wParam: a std::vector<__int64> to add ids to
    };
    enum : int { kIdList = 1025, kIdPlaceholder = 1004, kReqLookup = 1036 };
    enum : UINT { kStrOk = 116, kStrCancel = 117 };

    // What the form asks for; the defaults are set before the form is asked.
    struct Request {
        bool autoWidth = false;
        bool eraseBackground = true;
        CTString lookup;          // EDIT of the lookup
        CTString extraText;       // an entry with item data 0
        bool addExtra = false;
        int preselect = 0;        // item data to select; -1 the first entry
        int parent = 0;           // PARENT of the lookup
        std::vector<__int64> included; // when not empty, only these ids are offered
    };

    CTWndToolbar m_toolbar;
    Request m_request;

    DlgPopupDDLB() = default;
    ~DlgPopupDDLB() override;

    bool Open() override;
    void Close() override;
    void Activate() override { BringToFront(); }
    void Notify(void* param) override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    HWND Owner() const { return reinterpret_cast<HWND>(m_param); }

private:
    void OnInitDialog();
    void CreateToolbar();
    void OnLookupReply(RequestResult& result);
    void Answer(bool ok);
    bool m_answered = false;
};
