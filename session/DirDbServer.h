#pragma once
// Connects the directory cache to the server client: the cache's fetches become DB's object-page
// requests on the route the cache gives.
#include "session/DB.h"
#include "session/Dir.h"

class DirDbServer : public Dir::Server {
public:
    explicit DirDbServer(DB& db) : m_db(db) {}

    void ObjGet(UINT32 objectId, bool children, bool parents, const RequestRoute& route) override;
    void ObjGetIds(const CTString& ids, const CTString& serials, int flags, const RequestRoute& route) override;
    void ObjGetPassive(UINT32 objectId, const RequestRoute& route) override;

private:
    DB& m_db;
};
