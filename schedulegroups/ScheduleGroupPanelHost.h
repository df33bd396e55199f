#pragma once
// The left-hand host of a schedule-group page: a heading naming the current filter panel, pressed
// to choose another from a menu of the page's panels, and the panel itself below it.
#include <windows.h>
#include <map>
#include "controls/CTWndDraw.h"
#include "foundation/CLinkedList.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"
#include "schedulegroups/DlgScheduleGroup.h"

class DlgScheduleGroup::DlgLHS : public CTWnd2, public CTWndSize {
public:
    enum : int { kTemplate = 375, kIdHeading = 1197, kIdPlaceholder = 1199 };
    enum : UINT { kMenuBase = 5000 };

    CTWndDraw m_heading;
    CLinkedList m_panels;             // of DlgLHSBase, in the order the page added them; owned
    DlgLHSBase* m_current = nullptr;
    CPageBase* m_owner = nullptr;     // not owned

    DlgLHS();
    ~DlgLHS() override;

    bool Create(HWND parent);
    void AddPanel(DlgLHSBase* panel, int key);
    // False when that panel is already current or none has the key.
    bool SelectPanel(int key);
    void RebuildAll();
    DlgLHSBase* FindPanel(int key) const;
    // The heading's mark-up for a panel name.
    static CTString HeadingMarkup(const CTString& name);
    // The menu entries: command (5000 + key) -> (name, checked).
    std::map<UINT, std::pair<CTString, bool>> MenuEntries() const;
    void ShowPanelMenu();

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
