#pragma once
// The report list of a search answer, as the search pane and the pickers show it: one row per
// object (row data = the object id), the parent's path in column 0, and the object's icon from
// the application's icon cache. Path and icon replies go into the list here.
#include <deque>
#include <map>
#include "foundation/CTString.h"
#include "session/Object.h"
#include "session/RequestResult.h"
#include "session/RequestRoute.h"

class App;
class CTListCtrlReport;

class SearchResultList {
public:
    // The list's image of the object's "tree_image", fetched through the application's icon cache
    // (its arrival comes back on iconRoute); 0 without one.
    static int ImageFor(App* app, CTListCtrlReport& list, const Object& object, const RequestRoute& iconRoute);
    // A path reply for one parent (its "parameters" ID, else the route's second parameter): kept in
    // paths and shown in column 0 of every row whose object has that parent.
    static void OnPathReply(CTListCtrlReport& list, const std::deque<Object>& results,
                            std::map<__int64, CTString>& paths, RequestResult& result);
    // An icon arrived (route parameter = icon-cache index): the list's picture for it is replaced.
    static void OnIconReply(App* app, CTListCtrlReport& list, RequestResult& result);
};
