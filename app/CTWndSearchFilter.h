#pragma once
// The search filter dialog behind the filter button next to the search box (template 247): limit
// the search to chosen object types, limit the number of results. It edits a working copy of the
// application's SearchFilterSettings; only OK adopts and saves it, so Cancel (also after "reset")
// leaves the settings exactly as they were.
#include <windows.h>
#include <vector>
#include "app/SearchFilterSettings.h"
#include "controls/CTListCtrlEdit.h"
#include "controls/CTListCtrlReport.h"
#include "foundation/CTString.h"
#include "framework/CTHyperLink.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"
#include "session/Object.h"

class CTWndSearchFilter : public CTWnd2, public CTWndSize {
public:
    enum : int { kTemplate = 247 };
    enum : int { kIdTypeLimit = 1057, kIdTypes = 1017, kIdLimit = 1056, kIdLimitEdit = 1313, kIdReset = 1314 };
    // Types whose "console_setup_navigation" holds this bit are offered.
    static constexpr int kSearchableTypeBit = 4;

    CTListCtrlReport m_list;
    CTListCtrlEdit m_checks;                      // the check-box cells of the type list
    HWND m_toolbar = nullptr;                     // holds the filter button the dialog drops from
    CTHyperLink m_reset;
    const std::vector<Object>* m_types = nullptr; // the main window's object type definitions
    SearchFilterSettings m_settings;              // the working copy the controls edit
    CTString m_connection;                        // where OK saves
    bool m_loading = false;                       // the controls are being filled

    // Runs the dialog modally over owner; on OK the application's settings take the choices and are
    // saved for the connection. Answers 1 for OK, 0 otherwise.
    static INT_PTR Run(HWND owner, HWND toolbar, const std::vector<Object>& types, const CTString& connection);

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    void LoadControls();
    void UpdateEnabled();
    // The choices shown, as settings (types in list order).
    SearchFilterSettings ReadControls();

private:
    static void OnCheckChanged(void* context, int item, int column, CAttribute* value);
    void OnInitDialog();
    void PlaceUnderButton();
};
