#include "lists/ListRowSaver.h"

#include "app/App.h"
#include "foundation/CAttributes.h"
#include "foundation/TiXmlDocument.h"
#include "session/RequestResult.h"

void ListRowSaver::Send(DB& db, Object& object, Kind kind, __int64 parent, const RequestRoute& route)
{
    if (kind == Remove) {
        db.ObjDelete(static_cast<unsigned>(object.id), static_cast<unsigned>(object.serial), route);
        return;
    }
    if (kind == Create) {
        object.ApplyConsoleDisplayName();
        object.parent = parent;
    }
    Object sending(object);
    CAttributes changes, privileges;
    sending.CollectChanges(changes, true);
    sending.CollectPrivilegeChanges(privileges);
    if (kind == Create)
        db.ObjNew(static_cast<unsigned>(sending.type), static_cast<unsigned>(parent), sending.name, changes, privileges,
                  route);
    else
        db.ObjSet(static_cast<unsigned>(sending.id), static_cast<unsigned>(sending.serial), sending.name, changes,
                  privileges, route);
}

bool ListRowSaver::Succeeded(const RequestResult& result)
{
    return result.kind == RequestResult::KindServerAnswer && result.returnCode == 0 &&
           result.resultCode == RequestResult::CodeOk;
}

bool ListRowSaver::ReadInsertId(TiXmlDocument& reply, __int64& id)
{
    TiXmlElement* root = reply.RootElement();
    if (root && lstrcmpW(root->Value(), L"result") != 0)
        root = root->FirstChildElementNamed(L"result");
    TiXmlElement* insertId = root ? root->FirstChildElementNamed(L"insert_id") : nullptr;
    const TiXmlNode* text = insertId ? insertId->FirstChild() : nullptr;
    if (!text || text->GetType() != TiXmlNode::TEXT)
        return false;
    id = ReadDecimal64(text->Value());
    return true;
}

bool ListRowSaver::MayResendUnanswered(App* app)
{
    return app && (!app->m_db.m_transport || app->m_db.m_transport->GetPendingCount() == 0);
}
