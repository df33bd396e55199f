#pragma once
// Mixed into the console panes that show their object on tabbed pages (computer, deployment, order
// and user panes): owns the pages and drives the pane's standard tab control. Each tab item carries
// its page in lParam. Pages that become disabled lose their tab and window; enabled ones get them
// back at their place in the page order.
#include <windows.h>
#include "foundation/CLinkedList.h"

class CWMFormPage;

class CWMFormHost {
public:
    CLinkedList m_pages;  // of CWMFormPage, in the order of adding; owned
    HWND m_tab = nullptr; // the pane's tab control, set once the pane's dialog exists

    CWMFormHost() = default;
    virtual ~CWMFormHost();
    CWMFormHost(const CWMFormHost&) = delete;
    CWMFormHost& operator=(const CWMFormHost&) = delete;

    // Enables or disables the pane's save buttons as the object has unsaved changes or not.
    virtual void SetModified(bool modified) = 0;
    virtual __int64 GetObjectId() { return 0; }

    // Takes the page; an enabled page whose window can be created gets a tab after the others.
    CWMFormPage* AddPage(HWND parent, CWMFormPage* page);
    // Once all pages are added: themed tab texture, tab 0 selected and shown, then laid out.
    bool ShowPages(HWND parent);
    // Places the selected page in the tab control's display area: -1 when no tab is selected,
    // 0 when the item cannot be read.
    int LayoutSelectedPage(HWND parent);
    void HideSelectedPage();                 // on TCN_SELCHANGING
    void ShowSelectedPage(HWND parent);      // on TCN_SELCHANGE: place, show, load if pending
    // After the pane set its pages' enabled flags for a (re)read object: removes the tabs of
    // disabled pages, adds tabs for enabled pages without a window, keeps a valid selection.
    void RefreshPages();
    // Load on every enabled page (hidden ones only mark themselves pending); false when any failed.
    bool LoadPages();
    CWMFormPage* GetSelectedPage();

private:
    CWMFormPage* PageAt(int index);
    int TabCount();
    bool PlacePage(HWND parent, CWMFormPage* page);
    void InsertTab(int index, CWMFormPage* page, bool withImage);
};
