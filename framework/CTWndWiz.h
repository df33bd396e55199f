#pragma once
// A modeless property sheet in wizard mode adopted into the framework: centred over its owner
// once, optionally resizable with anchored buttons and a remembered size, with Cancel, Finish and
// the close box turned into virtual calls. CTWndWizPage is one of its pages.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"

#ifndef PSH_RESIZABLE
#define PSH_RESIZABLE 0x04000000
#endif

class CTWndWizPage;

class CTWndWiz : public CTWnd2, public CTWndSize {
public:
    HWND m_owner = nullptr; // centred over this window
    bool m_centred = false;
    bool m_sizingReady = false;
    RECT m_pageRect = {};
    PROPSHEETHEADERW m_header = {};
    CLinkedList m_pages; // owned
    HFONT m_titleFont = nullptr;

    CTWndWiz();
    ~CTWndWiz() override;

    INT_PTR Run();
    bool Resizable() const { return (m_header.dwFlags & PSH_RESIZABLE) != 0; }
    // "class <Name>" of the derived wizard: its placement value name.
    CTString PlacementName() const;

    void Destroy() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    virtual void OnPreCreate(DLGTEMPLATE* tmpl);
    virtual void OnInitialized() {}
    virtual void OnDestroy() {}
    virtual void OnActivate(bool active) { (void)active; }
    virtual void OnFinish() {}
    virtual void OnCancel() {}

    static int CALLBACK PropSheetProc(HWND hwnd, UINT msg, LPARAM lParam);
};

class CTWndWizPage : public CTWndSize, public CLinkedListObject {
public:
    enum : int { kBack = 1, kNext = 2, kFinish = 3 };
    HWND m_hWnd = nullptr;
    CTWndWizPage** m_state = nullptr; // shared record of the current page, when the wizard keeps one
    int m_navigation = 0;
    PROPSHEETPAGEW m_psp = {};
    HPROPSHEETPAGE m_page = nullptr;
    bool m_first = false;
    bool m_last = false;
    bool m_finishAllowed = false;
    bool m_forwardAllowed = true;
    bool m_backAllowed = true;
    CTString m_finishText;
    CTString m_headerTitle;
    CTString m_headerSubtitle;
    CTString m_title;
    CTWndWiz* m_wizard = nullptr;

    CTWndWizPage();

    virtual HPROPSHEETPAGE CreateSheetPage(CTWndWiz* wizard);
    virtual bool OnSetActive() { return true; }
    virtual bool OnKillActive() { return true; }
    virtual bool OnWizardFinish() { return true; }
    virtual void OnNavigate() {}
    virtual void OnReset() {}
    virtual INT_PTR OnInitPage() { return 0; }
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result);
    virtual bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual void UpdateButtons();

    void SetForwardAllowed(bool allowed);
    // The PSWIZB_* flags UpdateButtons posts.
    DWORD ButtonFlags() const;

    static INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};
