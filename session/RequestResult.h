#pragma once
// A reply as its receiver sees it: the route, what kind of result it is, the HTTP response and its
// parsed document. Built empty; owned by whoever built it; receivers copy what they keep.
#include "session/RequestRoute.h"
#include "session/CHTTP.h"
#include "foundation/CTString.h"
#include "foundation/CTByteArray.h"
#include "foundation/TiXmlDocument.h"

struct RequestResult {
    enum Kind : int { KindServerAnswer = 4 };
    enum Code : int { CodeOk = 0, CodeFailed = 5007, CodeNotFound = 5009 };

    RequestResult() = default;
    ~RequestResult() = default;
    RequestResult(const RequestResult&) = delete;
    RequestResult& operator=(const RequestResult&) = delete;

    RequestRoute route;
    int kind = 0;                // 4: a complete answer of the server
    int resultCode = 0;          // 0, 5007 or 5009
    CHTTP response;
    CTString statusText;
    TiXmlDocument document;
    CTByteArray body;
    int returnCode = 0;          // the id of the reply's RC element
    void* attached = nullptr;    // not owned; only in results the system builds itself
};
