#pragma once
// The exceptions list that the deployment, person and computer panes show: one row per id of the
// object's "exceptions" link array that an enabled cached Exception describes, and the clearing of
// the persistent ones among the selected rows.
#include <windows.h>
#include "controls/CTListCtrlReport.h"
#include "session/Object.h"

class MainWindowCache;

class ExceptionList {
public:
    // The system's small warning icon: user32's own, else the shared one. The caller destroys it.
    static HICON LoadWarningIcon();
    // Empties the list and adds a row (image 0, data = the id) per described exception id.
    static void Fill(CTListCtrlReport& list, const Object& object, const MainWindowCache& cache);
    // Removes every selected persistent exception from the object (every occurrence of its id) and
    // its row; true when any was removed.
    static bool ClearSelected(CTListCtrlReport& list, Object& object, const MainWindowCache& cache);
};
