#pragma once
// One tabbed page of a console pane that mixes in CWMFormHost: a child dialog made from its own
// dialog template, loaded only while it is on show. (The form windows have their own page class,
// CWindowManager::CWMFormPage.)
#include <windows.h>
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"

class CWMFormHost;

class CWMFormPage : public CTWnd2, public CTWndSize, public CLinkedListObject {
public:
    int m_imageIndex = -1;         // tab image; -1 none
    bool m_loadPending = true;     // load the data when next shown
    CWMFormHost* m_host = nullptr; // set by CWMFormHost::AddPage
    CTString m_title;              // tab text; the dialog's caption when empty after creation
    bool m_enabled = true;         // a disabled page has neither tab nor window

    CWMFormPage() = default;
    ~CWMFormPage() override = default;

    // Convention of every page: when its window is not visible it only sets m_loadPending and
    // answers true; otherwise it clears m_loadPending and loads its controls from the pane's object.
    virtual bool Load() { return false; }
    virtual bool Save() { return false; }
    virtual UINT GetTemplateId() = 0;
    virtual HMODULE GetTemplateModule();
    virtual const wchar_t* GetTitle() { return m_title.GetBuffer() ? m_title.GetBuffer() : L""; }
    // Creates the page window from a copy of its template restyled as a child; false when the
    // template is missing or the dialog cannot be created.
    virtual bool CreatePage(HWND parent);
    // Loads at once when on show in the host, else leaves the load for when the page is selected.
    virtual void Reload();
    virtual bool IsEnabled() { return m_enabled; }
    // Answers whether the flag changed.
    virtual bool SetEnabled(bool enabled);

    using CTWnd2::Create;
};
