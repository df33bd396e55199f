#pragma once
// What the person and computer panes offer the pages on their tabs, besides CWMFormHost: the shown
// object, routes back to the pane, and the pane's own actions. A pane mixes it in next to
// CWMFormHost; its pages find it through their host.
#include "session/Object.h"
#include "session/RequestRoute.h"

class RecordPageHost {
public:
    virtual ~RecordPageHost() = default;
    // The person or computer the pane shows; the pages read it and change it in place.
    virtual Object& GetShownObject() = 0;
    // A route to the pane: the main window's type and key, the pane's console type and key.
    virtual RequestRoute GetPageRoute(int requestId, __int64 param2) = 0;
    // Creates a deployment for the shown person (user pane of an existing person only).
    virtual void NewDeployment() {}
    // The tab image a page listing exceptions shows.
    virtual int GetWarningImage() { return 0; }
};
