#include "session/DirDbServer.h"

void DirDbServer::ObjGet(UINT32 objectId, bool children, bool parents, const RequestRoute& route)
{
    m_db.ObjGet(objectId, children, parents, route);
}

void DirDbServer::ObjGetIds(const CTString& ids, const CTString& serials, int flags, const RequestRoute& route)
{
    m_db.ObjGetIds(ids, serials, flags, route);
}

void DirDbServer::ObjGetPassive(UINT32 objectId, const RequestRoute& route)
{
    m_db.ObjGetPassive(objectId, route);
}
