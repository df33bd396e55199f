#pragma once
// The e-mails below a person, newest first: New opens the user wizard for the person, Open the
// e-mail pane. What the user pane's page and the administrator form's page share.
#include <windows.h>
#include "people/RecordList.h"

struct RequestResult;

class EmailList {
public:
    enum : int { kConsoleEmail = 1033, kWindowUserWizard = 25 };

    static RecordList::Layout GetLayout();
    // Rebuilds the rows from a search reply (a failed transfer changes nothing).
    static void Fill(RecordList& list, RequestResult& reply, int iconKey);
    // A newly sent e-mail: listed when it lies below the person.
    static void AddSent(RecordList& list, const Object& email, __int64 personId, int iconKey);
    // Opens the user wizard keyed by the person, owned by page.
    static void OpenWizard(HWND page, __int64 personId);
    static void OpenSelected(RecordList& list);
};
