#pragma once
// The request notifications of the main window: the pending-request list (every open request that
// concerns the signed-in administrator) and the attention list (those waiting for them to act), how
// one request is judged into them, the badge text, the realtime "requests" message and the request
// actions. The windows that list requests come with the request windows; the main window reaches
// them only through the two small interfaces below.
#include <windows.h>
#include <string>
#include <vector>
#include "foundation/CAttributes.h"
#include "foundation/CTString.h"

class Object;

// What the main window needs of the request pop-up (window type 54).
class IRequestPopup {
public:
    virtual ~IRequestPopup() = default;
    // The toolbar it drops from and the two lists it shows (owned by the main window).
    virtual void SetRequestLists(HWND toolbar, const std::vector<__int64>* pending,
                                 const std::vector<__int64>* attention) = 0;
    // Fills its list with the pending requests.
    virtual void Refresh() = 0;
    virtual HWND GetPopupHwnd() = 0;
    // The row whose item value is the request id, or -1.
    virtual int FindRequestRow(__int64 requestId) = 0;
    virtual void DeleteRequestRow(int row) = 0;
    virtual int GetRequestRowCount() = 0;
    // Repaints one row at once.
    virtual void RedrawRequestRow(int row) = 0;
};

// What the main window needs of the requests pane (console type 1066).
class IRequestsPane {
public:
    virtual ~IRequestsPane() = default;
    // Rebuilds the request's row from the object; adds the ids of referenced objects not cached.
    virtual void SetRequestRow(const Object& request, std::vector<__int64>& missing) = 0;
};

struct RequestNotifications {
    enum Action : int { Cancel = 1, Assign = 2, Complete = 3, Acknowledge = 4 };
    static constexpr DWORD kClosedFlags = 0x10000 | 0x20000;
    static constexpr int kBadgeSize = 17;   // pixels at 96 DPI, both ways

    // The facts of one request as the judgement reads them.
    struct Facts {
        __int64 administrator = 0;   // the signed-in administrator (A)
        __int64 raisedBy = 0;        // "link_user_request" (R)
        __int64 acceptedBy = 0;      // "link_user_accept" (C), 0 when nobody has
        bool completed = false;      // "completed" (D)
        bool closed = false;         // "request_attribs" has 0x10000 or 0x20000
        bool isAssignee = false;     // A is one of the Request Type's assignees
    };
    struct Verdict {
        bool needsAttention = false;
        bool concerns = false;
    };

    std::vector<__int64> pending;     // shown in the Notifications drop-down
    std::vector<__int64> attention;   // counted by the badge

    static Verdict Judge(const Facts& facts);
    // Reads the facts of a request (links of a text type or missing count as 0).
    static Facts ReadFacts(const Object& request, __int64 administrator, bool isAssignee);
    // Adds or removes id in both lists as the verdict says.
    void Apply(__int64 id, const Verdict& verdict);
    bool IsPending(__int64 id) const;
    void Clear();

    // The badge label for n requests needing attention: n up to 99, else "∞".
    static CTString BadgeLabel(size_t n);
    // The badge mark-up, width x height pixels, in the item-highlight and text colours.
    static void BuildBadgeMarkup(size_t n, int width, int height, COLORREF highlight, COLORREF text, CTString& out);

    // The ids a realtime "requests" message adds or updates, joined with "," in member order; false
    // when the text is no JSON object (nothing to fetch). Members that cannot be read are skipped.
    static bool ReadMessageIds(const char* text, size_t length, CTString& ids);
    // The form of a request action; false (nothing to send) for an unknown action.
    static bool BuildActionForm(__int64 requestId, int action, CAttributes& form);
};
