#pragma once
// A transport for the server client that sends nothing: it records every request (verb, path,
// header lines, body, flags) with its completion, and the channel listeners, for the test to
// inspect and complete by hand.
#include <map>
#include <string>
#include <vector>
#include "session/IHttpTransport.h"

inline std::string Narrow(const CTString& text)
{
    std::string out;
    for (unsigned i = 0; i < text.GetLength(); ++i)
        out.push_back(static_cast<char>(text.GetBuffer()[i]));
    return out;
}

inline std::string BytesOf(const CTByteArray& bytes)
{
    return std::string(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetSize());
}

struct Sent {
    std::string verb;
    std::string path;
    std::vector<std::string> headers;
    std::string body;
    int flags = 0;
    IHttpTransport::Completion completion;
};

class RecordingTransport : public IHttpTransport {
public:
    void OpenSession(const CTString& agent) override { m_agent = Narrow(agent); }
    bool Connect(const CTString& url) override
    {
        m_url = Narrow(url);
        return true;
    }
    void Send(const CTString& verb, const CTString& path, const HeaderList& headers, CTByteArray* body, int flags,
              Completion completion) override
    {
        Sent sent;
        sent.verb = Narrow(verb);
        sent.path = Narrow(path);
        for (const CTString& line : headers)
            sent.headers.push_back(Narrow(line));
        if (body) {
            sent.body = BytesOf(*body);
            body->SetSize(0);   // taken over
        }
        sent.flags = flags;
        sent.completion = std::move(completion);
        m_sent.push_back(std::move(sent));
    }
    void Close() override { ++m_closed; }
    void Listen(const wchar_t* notice, Listener listener) override { m_listeners[Narrow(CTString(notice))] = listener; }
    int GetPendingCount() override { return m_pending; }
    int GetBytesReceived() override { return m_bytes; }
    int GetQueuedCallbackCount() override { return m_queued; }

    std::string m_agent;
    std::string m_url;
    std::vector<Sent> m_sent;
    std::map<std::string, Listener> m_listeners;
    int m_closed = 0;
    int m_pending = 0;
    int m_bytes = 0;
    int m_queued = 0;
};

