#pragma once
// The tabbed object editor: a dialog with a header band, a tab control whose tabs are pages, and
// OK, Cancel and Apply; it keeps the modified and read-only states with their button rules, asks
// before closing a modified form, and remembers its placement. Derived forms add the object.
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"
#include "framework/CWindowManager.h"
#include "controls/CTWndHeader.h"

class CWindowManager::CWMForm : public CTWnd2, public CWindowManager::CWindow, public CTWndSize {
public:
    static constexpr UINT kApplyId = 32807;

    CTWnd2 m_tab;
    CTWndHeader m_header;
    DWORD m_templateId = 0;
    DWORD m_tabId = 0;
    DWORD m_headerId = 0;
    DWORD m_extraId = 0;
    DWORD m_confirmCloseId = 0;
    HMODULE m_resourceModule = nullptr;
    int m_minHeight = 350;
    int m_minWidth = 240;
    CLinkedList m_pages; // of CWMFormPage, owned
    bool m_modified = false;
    bool m_pagesReady = false;
    bool m_readOnly = false;
    CTString m_placementName = L"CWMForm";

    ~CWMForm() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    virtual bool Load(UINT64 key) { (void)key; return false; }
    virtual void* GetObject() { return nullptr; }
    virtual void AdjustPageRect(CWMFormPage* page, RECT* rc) { (void)page; (void)rc; }
    virtual bool Create(HWND parent, HINSTANCE iconModule, UINT iconId, const wchar_t* placementName);
    virtual bool Reserved() { return false; }
    virtual bool Save() { return false; }
    virtual void OnCancel();
    virtual void OnOK();
    virtual void OnApply();
    virtual void OnClose();
    virtual void OnSize(int width, int height);
    virtual void OnDestroy();
    virtual void OnActivate(bool active);
    virtual bool OnEraseBackground(HDC hdc) { (void)hdc; return false; }
    virtual void OnInitForm() {}
    virtual void OnPageChanging();
    virtual void OnPageChanged();
    virtual void OnModifiedChanged() {}
    virtual void UpdatePages();
    virtual void OnSysColorChange() {}
    virtual void OnHelp(HELPINFO* info) { (void)info; }

    void Activate() override { BringToFront(); }
    void Close() override;

    CWMFormPage* AddPage(CWMFormPage* page);
    bool ShowPages();
    bool RefreshPages();
    bool LoadPages();
    bool SavePages();
    void SetModified(bool value);
    void SetReadOnly(bool value);
    bool IsModified() const { return m_modified; }

    using CTWnd2::Create;

private:
    CWMFormPage* SelectedPage();
    void PlaceSelectedPage();
    void EnableItem(int id, bool enable);
};

class CWindowManager::CWMFormPage : public CTWnd2, public CTWndSize, public CLinkedListObject {
public:
    CWMForm* m_form = nullptr;
    CTString m_title; // the tab text; empty: the dialog's caption

    virtual bool Load() = 0;
    virtual bool Save() = 0;
    virtual bool Reserved() { return false; }
    virtual UINT GetTemplateId() = 0;
    virtual HMODULE GetTemplateModule();
    virtual const wchar_t* GetTitle() { return m_title.GetBuffer() ? m_title.GetBuffer() : L""; }
    virtual bool CreatePage(HWND parent);
    virtual void UpdateControls(bool readOnly) { (void)readOnly; }
    virtual bool IsEnabled() { return true; }

    using CTWnd2::Create;
};

// Turns a dialog template into a child page's: caption, frame and pop-up style removed, control
// parent added. Works on plain and extended templates; false when the buffer is too small.
bool MakeChildDialogTemplate(BYTE* data, size_t size);

// Creates a child page dialog (shared CTWnd2 dialog procedure, wnd as creation parameter) from a
// restyled copy of dialog template templateId in module; null when missing or not created.
HWND CreateChildDialog(HMODULE module, UINT templateId, HWND parent, CTWnd2* wnd);

// The module that holds dialog template id: the language module when it has it, else the main
// resource module when it has it, else the executable (at once when neither module is loaded).
HMODULE FindDialogTemplateModule(UINT id);
