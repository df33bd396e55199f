#pragma once
// The one seam between the server client and its HTTPS transport. Production uses
// CWinHttp2Transport; tests put a recording transport in its place.
#include "session/CWinHttp2.h"

class IHttpTransport {
public:
    using Completion = CWinHttp2::Completion;
    using Listener = CWinHttp2::Listener;
    using HeaderList = CWinHttp2::HeaderList;

    virtual ~IHttpTransport() = default;

    virtual void OpenSession(const CTString& agent) = 0;
    virtual bool Connect(const CTString& url) = 0;
    // Takes the body's bytes over (the caller's buffer is empty afterwards); flags as CWinHttp2.
    virtual void Send(const CTString& verb, const CTString& path, const HeaderList& headers, CTByteArray* body,
                      int flags, Completion completion) = 0;
    virtual void Close() = 0;
    // Binds a channel notice ("request_count", "request_data_available", "ws_status", ...).
    virtual void Listen(const wchar_t* notice, Listener listener) = 0;
    // Deletes the requests waiting for a free transfer slot; they are never sent nor completed.
    virtual void DropWaiting() {}
    // Requests in flight or waiting.
    virtual int GetPendingCount() = 0;
    virtual int GetBytesReceived() = 0;
    // Completions still queued for the worker and user-interface threads.
    virtual int GetQueuedCallbackCount() = 0;
};
