#pragma once
// The console pane interface: every view the main window shows in its client area is a child
// window that is also a CTWndConsole. The main window keeps its panes in a list (hence the list
// link base), finds them by (console type, key), routes replies to them, tells them of start-up
// progress and closes them when they ask. It owns no window itself.
#include <windows.h>
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "session/RequestRoute.h"

class App;
class MainWindow;
struct RequestResult;

class CTWndConsole : public CLinkedListObject {
public:
    enum : UINT { kMsgCloseConsole = 1027 };
    enum : int { kMainWindowType = 0xffff };

    MainWindow* m_owner = nullptr; // set by the pane factory before Create
    __int64 m_key = 0;             // object id, 0 for singleton views, page handle for the web pane

    // A route for a reply to this pane: the main window, then the given console type and this
    // pane's key.
    RequestRoute PaneRoute(int consoleType, int request, __int64 param2, bool silent = false) const;
    bool m_visible = false;        // the pane's window is shown (see TrackVisibility)
    bool m_refreshPending = false; // a refresh asked for while hidden waits until the pane shows

    CTWndConsole() = default;
    ~CTWndConsole() override = default;

    // Creates the pane's child window under the owner.
    virtual bool Create() = 0;
    // Asks the owner to close the pane (posted, so a pane may call it from its own handlers).
    virtual void Close();
    virtual void Destroy();
    virtual void SetFocus();
    virtual HWND GetHwnd() = 0;
    // The type equals the pane's and the key is 0 or the pane's key.
    virtual bool Matches(int consoleType, __int64 key);
    virtual int GetConsoleType() = 0;
    virtual int GetOwnerWindowType() { return kMainWindowType; }
    virtual bool IsTabPane() { return true; }
    virtual void OnReply(RequestResult& result) { (void)result; }
    // Called on every pane once all start-up loads have arrived.
    virtual void Refresh() {}
    // Called for every start-up load reply with its bit and the loads received before it.
    virtual void OnStartupProgress(int bit, int mask) { (void)bit; (void)mask; }
    // The owner has read the system folder ids: a pane listing a folder's objects takes its own.
    virtual void OnSystemFolders() {}

    enum Visibility : int { Hidden = -1, Unchanged = 0, Shown = 1 };
    // Follows the pane's window from a WM_WINDOWPOSCHANGING record: keeps m_visible and tells
    // whether the window has just been shown or hidden.
    Visibility TrackVisibility(const WINDOWPOS& pos);

    void Move(int left, int top, int right, int bottom);
    // Tells the user that the object shown is gone, then closes the pane.
    void ReportObjectGone(const CTString& name);

    HWND GetOwnerHwnd() const;
    // The owner's application, or the process's one for a pane without an owner.
    App* GetApp() const;
};
