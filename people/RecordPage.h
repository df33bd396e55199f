#pragma once
// Base of the pages of the person and computer panes: the host's shown object and routes, the
// visibility test of lazy loading, and the page's own tab image.
#include "app/CWMFormPage.h"
#include "people/RecordPageHost.h"

class App;
class MainWindow;
struct RequestResult;

class RecordPage : public CWMFormPage {
public:
    RecordPageHost* GetPageHost() const;
    // The shown object; null without a host that offers one.
    Object* GetShown() const;
    __int64 GetShownId() const;
    RequestRoute Route(int requestId, __int64 param2) const;
    // Registers the list frame class the templates use, then makes the page.
    bool CreatePage(HWND parent) override;
    bool IsShown() const { return m_hWnd && IsWindowVisible(m_hWnd); }
    void MarkModified();
    static App* GetApp();
    static MainWindow* GetMain();
    // Sets the image of this page's tab (-1 none); with onlyOnChange an equal image is left alone.
    // Lays the page area out again when it wrote the image; true then.
    bool SetTabImage(int image, bool onlyOnChange);
};
