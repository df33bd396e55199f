#pragma once
// The save steps every editable object list shares: one row's change sent to the server, a reply
// judged, the id a create got, and whether a row left unanswered may go again.
#include "session/DB.h"
#include "session/Object.h"
#include "session/RequestRoute.h"

class App;
class TiXmlDocument;
struct RequestResult;

class ListRowSaver {
public:
    enum Kind : int { Create, Change, Remove };

    // Sends the row object's change with route (whose second parameter names the row): objDelete,
    // or objNew / objSet of the changes collected from a copy, so the row keeps its marks until
    // the server confirms them and a failed save sends them again. A new object goes into parent.
    static void Send(DB& db, Object& object, Kind kind, __int64 parent, const RequestRoute& route);
    // The server stored the change: complete, return code 0, no error.
    static bool Succeeded(const RequestResult& result);
    // The number in the reply's "insert_id"; false without one.
    static bool ReadInsertId(TiXmlDocument& reply, __int64& id);
    // A row whose request went out and was never answered (the pump showed the error instead) goes
    // again with the next save, unless requests are still on their way and its reply may yet come.
    static bool MayResendUnanswered(App* app);
};
