#pragma once
// The server client's transport in production: a CWinHttp2, reached through IHttpTransport.
#include "session/IHttpTransport.h"

class CWinHttp2Transport : public IHttpTransport {
public:
    void OpenSession(const CTString& agent) override { m_http.OpenSession(agent); }
    bool Connect(const CTString& url) override { return m_http.Connect(url); }
    void Send(const CTString& verb, const CTString& path, const HeaderList& headers, CTByteArray* body, int flags,
              Completion completion) override
    {
        m_http.Send(verb, path, headers, body, flags, std::move(completion));
    }
    void Close() override { m_http.Close(); }
    void Listen(const wchar_t* notice, Listener listener) override;
    void DropWaiting() override { m_http.m_waiting.DeleteAll(); }
    int GetPendingCount() override { return m_http.GetPendingCount(); }
    int GetBytesReceived() override { return m_http.GetBytesReceived(); }
    int GetQueuedCallbackCount() override;

    CWinHttp2 m_http;
};
