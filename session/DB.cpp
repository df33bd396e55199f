#include "session/DB.h"
#include "foundation/CFileVersion.h"
#include "framework/CTWndMessageBox.h"
#include "session/CHTTP.h"
#include "session/CWinHttp2Transport.h"
#include <cwchar>

const wchar_t* const DB::kFormContentType = L"Content-Type: application/x-www-form-urlencoded; charset=UTF-8";

namespace {

// Handler lock held for one lookup or change of the table.
class HandlerLock {
public:
    explicit HandlerLock(CCriticalSection& section) : m_section(section) { m_section.Enter(); }
    ~HandlerLock() { m_section.Leave(); }
    HandlerLock(const HandlerLock&) = delete;
    HandlerLock& operator=(const HandlerLock&) = delete;

private:
    CCriticalSection& m_section;
};

const wchar_t* TextOf(const CTString& text)
{
    return text.GetBuffer() ? text.GetBuffer() : L"";
}

// The response status line and headers kept in key 7, parsed; the key stays as it is.
void ParseHeaders(TxRx& event, CHTTP& http)
{
    auto it = event.m_map.find(TxRxKey(static_cast<unsigned>(::DBEvent::KeyHeaders)));
    if (it != event.m_map.end())
        http.Assign(it->second.m_data);
    http.Parse();
}

} // namespace

bool DB::NameLess::operator()(const CTString& a, const CTString& b) const
{
    return lstrcmpW(TextOf(a), TextOf(b)) < 0;
}

DB::DB() : DB(nullptr) {}

DB::DB(std::unique_ptr<IHttpTransport> transport) : m_transport(std::move(transport))
{
    if (!m_transport)
        m_transport = std::make_unique<CWinHttp2Transport>();
    m_lastDownload = m_tick();
}

DB::~DB()
{
    Disconnect();
    {
        HandlerLock lock(m_handlerLock);
        m_handlers.clear();
    }
    m_transport.reset();
}

int DB::Connect(const CTString& server)
{
    {
        HandlerLock lock(m_handlerLock);
        m_handlers.clear();
    }

    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    CFileVersion version(exe);
    CTString agent;
    agent.Format(L"QELConsole/%d.%d.%d.%d", version.fileVersion.major, version.fileVersion.minor,
                 version.fileVersion.build, version.fileVersion.revision);
    m_transport->OpenSession(agent);

    m_transport->Listen(L"request_count", [this](CWinHttp2::HttpEvent&) { OnRequestCount(); });
    m_transport->Listen(L"request_data_available", [this](CWinHttp2::HttpEvent&) { OnDataAvailable(); });
    m_transport->Listen(L"ws_status", [this](CWinHttp2::HttpEvent& notice) { OnWsStatus(notice); });

    CTString scheme;
    server.Left(scheme, 4);
    if (scheme.GetLength() == 4 && lstrcmpiW(scheme.GetBuffer(), L"http") == 0) {
        m_baseUrl = server;
    } else {
        m_baseUrl = L"https://";
        m_baseUrl.Append(server);
    }
    m_baseUrl.TrimRight(L'/');

    m_origin = L"Origin: ";
    m_origin.Append(m_baseUrl);

    m_transport->Connect(m_baseUrl);
    m_sendState = 1;
    return 0;
}

void DB::Disconnect()
{
    {
        DBEvent empty;
        Raise(L"request_count", empty);
    }
    {
        DBEvent empty;
        Raise(L"download", empty);
    }
    m_transport->Close();
    m_origin.Empty();
    m_wsChannels.Empty();
    m_wsToken.Empty();
    m_wsHeaders.clear();
}

bool DB::SendRequest(const wchar_t* verb, const CTString& path, const CTString& header, CTByteArray* body,
                     const RequestRoute& route)
{
    return SendRouted(verb, path, header, body, route, 0);
}

bool DB::SendRouted(const wchar_t* verb, const CTString& path, const CTString& header, CTByteArray* body,
                    const RequestRoute& route, int extraFlags)
{
    if (m_sendState != 1)
        return true;
    IHttpTransport::HeaderList headers;
    if (!header.IsEmpty())
        headers.push_back(header);
    if (!m_origin.IsEmpty())
        headers.push_back(m_origin);
    CTString pathCopy(path);
    m_transport->Send(CTString(verb), path, headers, body,
                      CWinHttp2::FlagIgnoreCertErrors | CWinHttp2::FlagRunOnWorker | extraFlags,
                      [this, route, pathCopy](TxRx& result) { OnRequestComplete(result, route, pathCopy); });
    return true;
}

void DB::OnRequestComplete(TxRx& result, const RequestRoute& route, const CTString& path)
{
    __int64 error = 0;
    result.GetInt64(3u, error);

    DBEvent event;
    CTByteArray bytes;
    result.SwapBytes(1u, bytes);
    event.SwapBytes(::DBEvent::KeyHeaders, bytes);
    CTByteArray body;
    result.SwapBytes(2u, body);
    event.SwapBytes(::DBEvent::KeyBody, body);
    CDataString routeRecord;
    WriteRoute(routeRecord, route);
    event.SwapBytes(::DBEvent::KeyRoute, routeRecord);
    event.SetText(::DBEvent::KeyPath, path);

    CHTTP response;
    ParseHeaders(event, response);

    if (!IsBound(L"connection_recv"))
        return;
    if (error != 0 && route.silent)
        event.SetInt64(::DBEvent::KeyTransportError, static_cast<unsigned __int64>(error));
    event.SetInt64(::DBEvent::KeyResult, response.GetStatusClass() == 2 ? 0 : 5007);
    Raise(L"connection_recv", event);
}

void DB::PostForm(const CTString& path, CAttributes& form, const RequestRoute& route)
{
    CTByteArray body;
    form.FormEncode(body);
    SendRequest(L"POST", path, CTString(kFormContentType), &body, route);
}

void DB::SendForm(const wchar_t* path, CAttributes& form, const RequestRoute& route)
{
    PostForm(CTString(path), form, route);
}

void DB::AppendItems(CAttributes& form, const CAttributes& items)
{
    for (CAttributes::CItem* item = items.GetHead(); item; item = item->GetNextItem())
        form.Set(item->m_name, *item);
}

void DB::Get(const CTString& url, const RequestRoute& route)
{
    if (url.IsEmpty())
        return;
    GetUrl(url, route);
}

void DB::GetUrl(const CTString& url, const RequestRoute& route)
{
    SendRequest(L"GET", url, CTString(), nullptr, route);
}

void DB::Post(const CTString& path, CAttributes& form, Callback callback)
{
    CTByteArray body;
    form.FormEncode(body);
    if (m_sendState != 1) {
        DBEvent event;
        event.SetInt64(::DBEvent::KeyTransportError, 111);
        if (callback)
            callback(event);
        return;
    }
    IHttpTransport::HeaderList headers;
    headers.push_back(CTString(kFormContentType));
    if (!m_origin.IsEmpty())
        headers.push_back(m_origin);
    CTString pathCopy(path);
    m_transport->Send(CTString(L"POST"), path, headers, &body, 0,
                      [pathCopy, callback](TxRx& result) {
                          DBEvent event;
                          CTByteArray bytes;
                          result.SwapBytes(1u, bytes);
                          event.SwapBytes(::DBEvent::KeyHeaders, bytes);
                          CTByteArray reply;
                          result.SwapBytes(2u, reply);
                          event.SwapBytes(::DBEvent::KeyBody, reply);
                          event.SetText(::DBEvent::KeyPath, pathCopy);
                          if (callback)
                              callback(event);
                      });
}

int DB::GetBusyCount()
{
    return m_transport->GetPendingCount() + m_transport->GetQueuedCallbackCount();
}

void DB::Bind(const CTString& name, Handler handler)
{
    HandlerLock lock(m_handlerLock);
    m_handlers[name] = std::move(handler);
}

void DB::Unbind(const CTString& name)
{
    HandlerLock lock(m_handlerLock);
    m_handlers.erase(name);
}

bool DB::IsBound(const CTString& name)
{
    HandlerLock lock(m_handlerLock);
    auto it = m_handlers.find(name);
    return it != m_handlers.end() && it->second;
}

bool DB::Raise(const wchar_t* name, DBEvent& event)
{
    Handler handler;
    {
        // Copied out so that a handler may bind or unbind, and the user-interface thread may bind
        // while the worker runs a long handler.
        HandlerLock lock(m_handlerLock);
        auto it = m_handlers.find(CTString(name));
        if (it == m_handlers.end() || !it->second)
            return false;
        handler = it->second;
    }
    handler(event);
    return true;
}

void DB::RaiseDownload()
{
    if (!IsBound(L"download"))
        return;
    DBEvent event;
    event.SetAttribute(::DBEvent::KeyDownload, CAttribute(CAttribute::ByteSize, static_cast<__int64>(m_transport->GetBytesReceived())));
    Raise(L"download", event);
}

void DB::OnRequestCount()
{
    if (IsBound(L"request_count")) {
        DBEvent event;
        event.SetInt64(::DBEvent::KeyRequestCount, static_cast<unsigned __int64>(m_transport->GetPendingCount()));
        Raise(L"request_count", event);
    }
    RaiseDownload();
}

void DB::OnDataAvailable()
{
    DWORD now = m_tick();
    if (static_cast<DWORD>(m_lastDownload + m_downloadInterval) >= now)
        return;
    m_lastDownload = now;
    RaiseDownload();
}

void DB::OnWsStatus(TxRx& notice)
{
    if (!IsBound(L"ws_status"))
        return;
    DBEvent event;
    event.At(::DBEvent::KeySocketStatus) = notice.GetValue(1u);
    Raise(L"ws_status", event);
}

void DB::ParseXmlBody(CTByteArray& body, TiXmlDocument& doc, CTString& text)
{
    body.AppendZero();
    const char* utf8 = reinterpret_cast<const char*>(body.GetData());
    text.Empty();
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (length > 0) {
        wchar_t* buffer = text.Reserve(static_cast<unsigned>(length));
        MultiByteToWideChar(CP_UTF8, 0, utf8, -1, buffer, length);
        text.ReleaseBuffer();
    }
    TiXmlBase::SetCondenseWhiteSpace(false);
    doc.Parse(TextOf(text), nullptr, TIXML_ENCODING_UNKNOWN);
}

int DB::DBEvent::ReadXmlReply(TiXmlDocument& doc)
{
    CHTTP response;
    ParseHeaders(*this, response);
    int statusClass = response.GetStatusClass();
    if (statusClass != 2)
        return statusClass;

    CTByteArray body;
    SwapBytes(::DBEvent::KeyBody, body);
    CTString contentType;
    response.GetHeader(CHTTP::ContentType, contentType);
    contentType.TrimRight(L'\n');
    contentType.TrimRight(L'\r');
    if (body.GetSize() == 0 || wcscmp(TextOf(contentType), L"application/xml") != 0)
        return statusClass;

    CTString text;
    ParseXmlBody(body, doc, text);

    if (wcsncmp(TextOf(text), L"<?xml", 5) != 0) {
        // A server warning printed ahead of the document, or a reply that is no document at all.
        int declaration = text.Find(CTString(L"<?xml"));
        CTString shown;
        if (declaration > 0)
            text.Left(shown, static_cast<unsigned>(declaration));
        else
            shown = text;
        CTWndMessageBox box;
        box.Show(nullptr, GetModuleHandleW(nullptr), TextOf(shown), L"System Error", MB_OK);
    }
    return statusClass;
}

bool DB::DBEvent::ReadObject(Object& out)
{
    TiXmlDocument doc;
    if (ReadXmlReply(doc) != 2)
        return false;
    TiXmlElement* result = doc.FirstChildElementNamed(L"result");
    TiXmlElement* object = result ? result->FirstChildElementNamed(L"object") : nullptr;
    if (!object)
        return false;
    out.ReadFromXml(object, true);
    return true;
}
