#pragma once
// What the site and organisation panes share: a child dialog made from the pane's template and
// shown at once, requests routed back to the pane (the object fetch silent), a refresh that waits
// while the pane is hidden and runs when it shows, the main window at hand, and the heading icon
// taken from the shown object's "tree_image".
#include <windows.h>
#include "app/CTWndConsole.h"
#include "controls/CTWndHeader.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"
#include "session/Object.h"
#include "session/RequestRoute.h"

class ObjectPane : public CTWnd2, public CTWndSize, public CTWndConsole {
public:
    static constexpr int kReqIcon = 1022;
    static constexpr int kReqObject = 1052;

    CTWndHeader m_header;

    ObjectPane(UINT templateId, int consoleType);
    ~ObjectPane() override;

    bool Create() override;
    void Destroy() override;
    HWND GetHwnd() override { return m_hWnd; }
    int GetConsoleType() override { return m_consoleType; }
    bool IsTabPane() override { return false; }
    // Sends the pane's requests while it is visible; marks them pending while it is hidden.
    void Refresh() override;

    // The route of a request of this pane; the object fetch (kReqObject) is silent.
    RequestRoute Route(int requestId, __int64 param2) const;
    MainWindow* Main() const;
    // Takes the large icon named by the object's "tree_image" into the heading.
    void TakeHeadingIcon(const Object& object);
    // Anchors the heading and gives it mark-up mode and the shared heading colours.
    void AttachHeader(int id);
    // Follows WM_WINDOWPOSCHANGING: a pane shown with a refresh pending refreshes.
    void OnWindowPosChanging(LPARAM lParam);

    using CTWnd2::Create;

protected:
    virtual void SendRequests() = 0;
    HMODULE TemplateModule() const;

private:
    UINT m_templateId = 0;
    int m_consoleType = 0;
};
