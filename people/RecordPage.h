#pragma once
// Base of the pages of the person and computer panes: the host's shown object and routes, the
// visibility test of lazy loading, and the page's own tab image.
#include "app/CWMFormPage.h"
#include "people/RecordPageHost.h"

class App;
class CTListCtrlReport;
class MainWindow;
struct RequestResult;

class RecordPage : public CWMFormPage {
public:
    RecordPageHost* GetPageHost() const;
    // The shown object; null without a host that offers one.
    Object* GetShown() const;
    __int64 GetShownId() const;
    RequestRoute Route(int requestId, __int64 param2) const;
    // The size handling, and BuildPage once the dialog is up.
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // Makes the page's controls (WM_INITDIALOG), after the anchoring has started.
    virtual void BuildPage() {}
    // Registers the list frame class the templates use, then makes the page.
    bool CreatePage(HWND parent) override;
    bool IsShown() const { return m_hWnd && IsWindowVisible(m_hWnd); }
    void MarkModified();
    static App* GetApp();
    static MainWindow* GetMain();
    // Adds the program's icon resource at the small-icon size (shared) to the list's images; its
    // index, or -1 when the icon is missing.
    static int AddSmallIcon(CTListCtrlReport& list, UINT iconId);
    // Sets the image of this page's tab (-1 none); with onlyOnChange an equal image is left alone.
    // Lays the page area out again when it wrote the image; true then.
    bool SetTabImage(int image, bool onlyOnChange);
};
