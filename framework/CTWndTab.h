#pragma once
// Base of the tabs of the settings window: a child dialog with anchoring, an owner and a caption,
// which defers a refresh asked for while hidden until it is shown again.
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"

class CTWndTab : public CTWnd2, public CTWndSize, public CLinkedListObject {
public:
    CTString m_caption;
    CTWnd2* m_owner = nullptr;  // the console window hosting the tab
    bool m_visible = false;
    bool m_refreshPending = false;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    virtual void SetOwner(CTWnd2* owner) { m_owner = owner; }
    virtual int GetTabId() = 0;
    // Derived tabs reload when visible, otherwise set m_refreshPending.
    virtual void Refresh() {}
    virtual bool Reserved1() { return false; }
    virtual bool Reserved2() { return false; }
    virtual void Reserved3() {}
    virtual void OnWindowPosChanging(WINDOWPOS* pos);
    virtual bool OnInitTab();
    // Passes the mark on to the owner's tab strip when the owner is a strip page.
    virtual void SetModified(bool modified);
};
