#include "session/CWinHttp2.h"
#include "foundation/CAttribute.h"
#include <wincrypt.h>
#include <vector>

// Threads. WinHTTP's callback threads run StatusCallback/OnStatus only. The worker runs
// HandleStatus, completions of requests with flag 4 and restarts of waiting requests. The thread
// that opened the session (it owns the marshalling window) runs everything else.
//
// WebSocket upgrade: the upgrade is completed when the response headers are in and the status is
// 101, and the upgraded request is not read as an ordinary response. Completing it right after
// WinHttpReceiveResponse, before the 101 has been read, leaves WinHTTP reading the response on the
// same connection, which then ends the request and with it the socket.

namespace {

constexpr DWORD kErrInvalidServerResponse = 12152;   // ERROR_WINHTTP_INVALID_SERVER_RESPONSE

const wchar_t* const kWsStatus = L"ws_status";
const wchar_t* const kRequestCount = L"request_count";
const wchar_t* const kDataAvailable = L"request_data_available";

// FILETIME to Unix seconds; a year before 1900 gives 0.
__int64 UnixSeconds(const FILETIME& time)
{
    SYSTEMTIME st{};
    if (!FileTimeToSystemTime(&time, &st) || st.wYear < 1900)
        return 0;
    ULARGE_INTEGER value{};
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return (static_cast<__int64>(value.QuadPart) - 116444736000000000LL) / 10000000LL;
}

// Whether the server certificate of a request passes the checks a validating request makes: a
// chain to a trusted root, the dates, the usage and the host name.
bool IsServerCertificateTrusted(HINTERNET request, const CTString& host)
{
    const CERT_CONTEXT* certificate = nullptr;
    DWORD size = sizeof(certificate);
    if (!WinHttpQueryOption(request, WINHTTP_OPTION_SERVER_CERT_CONTEXT, &certificate, &size) || !certificate)
        return false;
    bool trusted = false;
    CERT_CHAIN_PARA chainPara{};
    chainPara.cbSize = sizeof(chainPara);
    LPSTR usage = const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH);
    chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = &usage;
    const CERT_CHAIN_CONTEXT* chain = nullptr;
    if (CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara, 0, nullptr,
                                &chain) &&
        chain) {
        SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
        ssl.cbSize = sizeof(ssl);
        ssl.dwAuthType = AUTHTYPE_SERVER;
        ssl.pwszServerName = const_cast<wchar_t*>(host.GetBuffer() ? host.GetBuffer() : L"");
        CERT_CHAIN_POLICY_PARA policyPara{};
        policyPara.cbSize = sizeof(policyPara);
        policyPara.pvExtraPolicyPara = &ssl;
        CERT_CHAIN_POLICY_STATUS status{};
        status.cbSize = sizeof(status);
        trusted = CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policyPara, &status) &&
                  status.dwError == 0;
        CertFreeCertificateChain(chain);
    }
    CertFreeCertificateContext(certificate);
    return trusted;
}

DWORD ReadDword(const CTByteArray& buffer)
{
    DWORD value = 0;
    if (buffer.GetSize() >= sizeof(value))
        memcpy(&value, buffer.GetData(), sizeof(value));
    return value;
}

} // namespace

// ---- bags ----

GUID CWinHttp2::ReqEvent::GetTypeId() const
{
    return GUID{0x81CDD3B1, 0x6E3F, 0x40E4, {0x85, 0xEF, 0x72, 0xC6, 0xC6, 0x78, 0x43, 0x28}};
}

GUID CWinHttp2::HttpEvent::GetTypeId() const
{
    return GUID{0xEA25170D, 0xC760, 0x4A0D, {0xB5, 0x79, 0x99, 0xA2, 0xC3, 0xA2, 0x78, 0x63}};
}

GUID CWinHttp2::MsgAvailable::GetTypeId() const
{
    return GUID{0x4140319A, 0x904B, 0x45A4, {0xA4, 0x35, 0x89, 0x5A, 0x85, 0xEA, 0xC3, 0xED}};
}

bool CWinHttp2::ChannelLess::operator()(const CTString& a, const CTString& b) const
{
    return lstrcmpW(a.GetBuffer() ? a.GetBuffer() : L"", b.GetBuffer() ? b.GetBuffer() : L"") < 0;
}

// ---- callbacks ----

CWinHttp2::Request_::~Request_()
{
    CloseHandles();
}

void CWinHttp2::Request_::CloseHandles()
{
    // No notification of a handle being closed may reach a client that is going away.
    if (m_socket) {
        WinHttpSetStatusCallback(m_socket, nullptr, WINHTTP_CALLBACK_FLAG_ALL_NOTIFICATIONS, 0);
        WinHttpCloseHandle(m_socket);
        m_socket = nullptr;
    }
    if (m_request) {
        WinHttpSetStatusCallback(m_request, nullptr, WINHTTP_CALLBACK_FLAG_ALL_NOTIFICATIONS, 0);
        WinHttpCloseHandle(m_request);
        m_request = nullptr;
    }
}

void CWinHttp2::Request_::Run()
{
    if (m_completion)
        m_completion(m_event);
}

void CWinHttp2::WinHttpEvent::Run()
{
    m_info.Rewind();
    m_client->HandleStatus(m_handle, m_code, m_info);
}

void CWinHttp2::WebSockMessage_::Run()
{
    if (m_completion)
        m_completion(m_event);
}

void CWinHttp2::ChannelEvent::Run()
{
    if (!m_channels)
        return;
    auto it = m_channels->find(m_name);
    if (it != m_channels->end() && it->second)
        it->second(m_event);
}

void CWinHttp2::RetryMessage_::Run()
{
    Request_* r = m_request;
    Completion completion = r->m_completion;
    m_client->Send(r->m_verb, r->m_path, r->m_headers, &r->m_body, r->m_flags, completion);
}

bool CWinHttp2::MarshallWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == kMsgSetClient) {
        m_client = reinterpret_cast<CWinHttp2*>(lParam);
        *result = 1;
        return true;
    }
    if (msg == kMsgRunQueue) {
        if (m_client) {
            while (auto* callback = static_cast<Callback_*>(m_client->m_uiQueue.RemoveHead())) {
                callback->Run();
                delete callback;
            }
        }
        *result = 1;
        return true;
    }
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

// ---- client ----

CWinHttp2::CWinHttp2()
{
    m_wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    m_socketClosed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_winhttp = LoadLibraryW(L"Winhttp.dll");
    if (m_winhttp) {
        m_wsSend = reinterpret_cast<decltype(m_wsSend)>(GetProcAddress(m_winhttp, "WinHttpWebSocketSend"));
        m_wsShutdown = reinterpret_cast<decltype(m_wsShutdown)>(GetProcAddress(m_winhttp, "WinHttpWebSocketShutdown"));
        m_wsClose = reinterpret_cast<decltype(m_wsClose)>(GetProcAddress(m_winhttp, "WinHttpWebSocketClose"));
        m_wsReceive = reinterpret_cast<decltype(m_wsReceive)>(GetProcAddress(m_winhttp, "WinHttpWebSocketReceive"));
        m_wsCompleteUpgrade = reinterpret_cast<decltype(m_wsCompleteUpgrade)>(
            GetProcAddress(m_winhttp, "WinHttpWebSocketCompleteUpgrade"));
    }
}

CWinHttp2::~CWinHttp2()
{
    Close();
    if (m_winhttp)
        FreeLibrary(m_winhttp);
    if (m_wake)
        CloseHandle(m_wake);
    if (m_socketClosed)
        CloseHandle(m_socketClosed);
}

void CWinHttp2::OpenSession(const CTString& agent)
{
    if (m_session)
        return;
    if (m_wnd.Create(L"WinHttp2ThreadMarshallWnd", true, nullptr, 0, 0, GetModuleHandleW(nullptr), nullptr))
        m_wnd.SendMessage(kMsgSetClient, 0, reinterpret_cast<LPARAM>(this));
    m_stop = 0;
    ResetEvent(m_wake);
    // Notices of handles of an earlier session must not reach requests that reuse their values.
    m_workerQueue.DeleteAll();
    m_thread.StartThread(&CWinHttp2::WorkerThread, this, false);

    CTString userAgent(agent);
    userAgent.AppendText(L" (Windows NT 10.0; Win64; x64)");
    m_session = WinHttpOpen(userAgent.GetBuffer(), WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                            WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
    if (!m_session)
        return;
    DWORD decompression = WINHTTP_DECOMPRESSION_FLAG_GZIP | WINHTTP_DECOMPRESSION_FLAG_DEFLATE;
    WinHttpSetOption(m_session, WINHTTP_OPTION_DECOMPRESSION, &decompression, sizeof(decompression));
    WinHttpSetTimeouts(m_session, 6000, 6000, 600000, 600000);
}

bool CWinHttp2::Connect(const CTString& url)
{
    if (!m_session || m_connect)
        return false;
    unsigned capacity = 256;
    CTString scheme, host, user, password, path, extra;
    URL_COMPONENTS parts{};
    for (;;) {
        parts = URL_COMPONENTS{};
        parts.dwStructSize = sizeof(parts);
        parts.lpszScheme = scheme.Reserve(capacity);
        parts.dwSchemeLength = capacity;
        parts.lpszHostName = host.Reserve(capacity);
        parts.dwHostNameLength = capacity;
        parts.lpszUserName = user.Reserve(capacity);
        parts.dwUserNameLength = capacity;
        parts.lpszPassword = password.Reserve(capacity);
        parts.dwPasswordLength = capacity;
        parts.lpszUrlPath = path.Reserve(capacity);
        parts.dwUrlPathLength = capacity;
        parts.lpszExtraInfo = extra.Reserve(capacity);
        parts.dwExtraInfoLength = capacity;
        if (WinHttpCrackUrl(url.GetBuffer() ? url.GetBuffer() : L"", 0, ICU_DECODE, &parts))
            break;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || capacity > 65536)
            return false;
        capacity += 256;
    }
    host.ReleaseBuffer();
    m_scheme = parts.nScheme == INTERNET_SCHEME_HTTPS ? 2 : parts.nScheme == INTERNET_SCHEME_HTTP ? 1 : 0;
    m_host = host;
    WinHttpSetStatusCallback(m_session, &CWinHttp2::StatusCallback, WINHTTP_CALLBACK_FLAG_ALL_NOTIFICATIONS, 0);
    m_connect = WinHttpConnect(m_session, m_host.GetBuffer(), parts.nPort, 0);
    return m_connect != nullptr;
}

void CWinHttp2::Send(const CTString& verb, const CTString& path, const HeaderList& headers, CTByteArray* body,
                     int flags, Completion completion)
{
    if (!m_connect)
        return;
    if (static_cast<int>(m_inFlight.GetCount()) >= kMaxInFlight) {
        auto* waiting = new Queue_;
        waiting->m_verb = verb;
        waiting->m_path = path;
        waiting->m_headers = headers;
        if (body)
            waiting->m_body.Swap(*body);
        waiting->m_flags = flags;
        waiting->m_completion = std::move(completion);
        m_waiting.AddTail(waiting);
        return;
    }

    HINTERNET handle = WinHttpOpenRequest(m_connect, verb.GetBuffer(), path.GetBuffer(), nullptr, WINHTTP_NO_REFERER,
                                          WINHTTP_DEFAULT_ACCEPT_TYPES, m_scheme == 2 ? WINHTTP_FLAG_SECURE : 0);
    if (!handle) {
        if (completion) {
            ReqEvent event;
            event.SetInt64(3, GetLastError());
            completion(event);
        }
        return;
    }
    auto* request = new Request_;
    request->m_completion = std::move(completion);
    request->m_request = handle;
    request->m_flags = flags;
    request->m_verb = verb;
    request->m_path = path;
    request->m_headers = headers;
    request->m_lastActivity = GetTickCount();
    m_inFlight.AddTail(request);
    SetEvent(m_wake);   // the worker watches in-flight requests for stalls

    if ((flags & FlagIgnoreCertErrors) && m_scheme == 2) {
        DWORD security = kSecurityIgnoreFlags;
        WinHttpSetOption(handle, WINHTTP_OPTION_SECURITY_FLAGS, &security, sizeof(security));
        // WinHTTP reuses a kept-alive connection without checking its certificate again, so a
        // connection that skipped the checks must not outlive this request, unless the server's
        // certificate is known to pass them.
        if (!m_serverTrusted) {
            DWORD noKeepAlive = WINHTTP_DISABLE_KEEP_ALIVE;
            WinHttpSetOption(handle, WINHTTP_OPTION_DISABLE_FEATURE, &noKeepAlive, sizeof(noKeepAlive));
        }
    }
    for (const CTString& line : headers)
        WinHttpAddRequestHeaders(handle, line.GetBuffer() ? line.GetBuffer() : L"", static_cast<DWORD>(-1),
                                 WINHTTP_ADDREQ_FLAG_ADD);
    if (flags & FlagWebSocket)
        WinHttpSetOption(handle, WINHTTP_OPTION_UPGRADE_TO_WEB_SOCKET, nullptr, 0);
    if (body && body->GetSize())
        request->m_body.Swap(*body);
    DWORD size = request->m_body.GetSize();
    BOOL sent = m_sendRequest(handle, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                              size ? request->m_body.GetData() : WINHTTP_NO_REQUEST_DATA, size, size,
                              reinterpret_cast<DWORD_PTR>(this));
    if (!sent) {
        // Complete it with its error like any failed request, so that it frees its slot and the
        // pending count returns to zero.
        DWORD error = GetLastError();
        if (m_inFlight.Remove(request))
            Complete(request, error ? error : ERROR_WINHTTP_INTERNAL_ERROR);
    }
}

void CWinHttp2::Close()
{
    m_channels.clear();
    bool closing = false;
    ResetEvent(m_socketClosed);
    {
        CLinkedListMTLock lock(m_inFlight);
        for (auto* item = m_inFlight.m_head; item; item = item->m_next) {
            auto* request = static_cast<Request_*>(item);
            if ((request->m_flags & FlagWebSocket) && request->m_socket) {
                // No shutdown first: its status 0 is no valid close status, and the server takes
                // that frame for a protocol error instead of the close. WinHttpWebSocketClose
                // sends the close frame with status 1000 and awaits the server's.
                if (m_wsClose &&
                    m_wsClose(request->m_socket, WINHTTP_WEB_SOCKET_SUCCESS_CLOSE_STATUS, nullptr, 0) == NO_ERROR)
                    closing = true;
            }
        }
    }
    // The close runs asynchronously: closing the handles at once would drop the close frame
    // before it is sent, so the server would see the connection vanish instead of a close.
    if (closing)
        WaitForSingleObject(m_socketClosed, kSocketCloseWait);
    m_stop = 1;
    // The worker may be inside HandleStatus with a request it looked up, or about to run a
    // completion: stop it before anything it may touch is freed.
    SetEvent(m_wake);
    m_thread.Wait(INFINITE);

    m_uiQueue.DeleteAll();
    m_workerQueue.DeleteAll();
    m_inFlight.DeleteAll();
    // Requests still waiting belong to this session and must not start in the next one.
    m_waiting.DeleteAll();
    {
        CLinkedListMTLock lock(m_inFlight);
        m_certificate.Clear();
    }
    if (m_connect) {
        WinHttpCloseHandle(m_connect);
        m_connect = nullptr;
    }
    if (m_session) {
        WinHttpSetStatusCallback(m_session, nullptr, WINHTTP_CALLBACK_FLAG_ALL_NOTIFICATIONS, 0);
        WinHttpCloseHandle(m_session);
        m_session = nullptr;
    }
    if (m_wnd.m_hWnd)
        m_wnd.Destroy();
    m_wnd.m_client = nullptr;
    m_scheme = 0;
    m_retries = 0;
    m_serverTrusted = 0;
}

int CWinHttp2::GetPendingCount()
{
    int count = 0;
    {
        CLinkedListMTLock lock(m_inFlight);
        for (auto* item = m_inFlight.m_head; item; item = item->m_next)
            if (!(static_cast<Request_*>(item)->m_flags & FlagWebSocket))
                ++count;
    }
    return count + static_cast<int>(m_waiting.GetCount());
}

int CWinHttp2::GetBytesReceived()
{
    CLinkedListMTLock lock(m_inFlight);
    unsigned total = 0;
    for (auto* item = m_inFlight.m_head; item; item = item->m_next) {
        auto* request = static_cast<Request_*>(item);
        if (!(request->m_flags & FlagWebSocket))
            total += request->m_response.GetSize();
    }
    return static_cast<int>(total);
}

bool CWinHttp2::QueryOptionBuffer(HINTERNET handle, DWORD option, CTByteArray& buffer)
{
    if (!handle)
        return false;
    for (unsigned size = 32; size <= 4096; size *= 2) {
        buffer.SetSize(size);
        DWORD length = size;
        if (WinHttpQueryOption(handle, option, buffer.GetData(), &length)) {
            if (length < size)
                buffer.SetSize(length ? length : size);
            return true;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return false;
    }
    return false;
}

CWinHttp2::Request_* CWinHttp2::FindRequest(HINTERNET handle)
{
    if (!handle)
        return nullptr;
    CLinkedListMTLock lock(m_inFlight);
    for (auto* item = m_inFlight.m_head; item; item = item->m_next) {
        auto* request = static_cast<Request_*>(item);
        if (request->m_request == handle || request->m_socket == handle)
            return request;
    }
    return nullptr;
}

// ---- notifications ----

void CALLBACK CWinHttp2::StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD code, void* info, DWORD length)
{
    if (context)
        reinterpret_cast<CWinHttp2*>(context)->OnStatus(handle, code, info, length);
}

void CWinHttp2::OnStatus(HINTERNET handle, DWORD code, void* info, DWORD length)
{
    auto* event = new WinHttpEvent;
    event->m_client = this;
    event->m_handle = handle;
    event->m_code = code;
    event->m_length = length;
    switch (code) {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
        event->m_info.WriteInt32(0);
        break;
    case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
        event->m_info.WriteInt32(info ? static_cast<int>(*static_cast<DWORD*>(info)) : 0);
        break;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE: {
        bool isSocket = false;
        {
            CLinkedListMTLock lock(m_inFlight);
            for (auto* item = m_inFlight.m_head; item; item = item->m_next)
                if (static_cast<Request_*>(item)->m_socket == handle)
                    isSocket = true;
        }
        if (!isSocket || !info) {
            delete event;
            return;
        }
        auto* status = static_cast<WINHTTP_WEB_SOCKET_STATUS*>(info);
        event->m_info.WriteInt32(static_cast<int>(status->eBufferType));
        event->m_info.WriteInt32(static_cast<int>(status->dwBytesTransferred));
        break;
    }
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        event->m_info.WriteInt32(info ? static_cast<int>(static_cast<WINHTTP_ASYNC_RESULT*>(info)->dwError) : 0);
        break;
    case WINHTTP_CALLBACK_STATUS_CLOSE_COMPLETE:
        SetEvent(m_socketClosed);
        delete event;
        return;
    default:
        delete event;
        return;
    }
    m_workerQueue.AddTail(event);
    SetEvent(m_wake);
}

void CWinHttp2::Queue(Callback_* callback)
{
    m_workerQueue.AddTail(callback);
    SetEvent(m_wake);
}

void CWinHttp2::QueueChannel(const wchar_t* name, int status)
{
    auto* event = new ChannelEvent;
    event->m_name = name;
    event->m_channels = &m_channels;
    if (status >= 0)
        event->m_event.SetInt64(1, static_cast<unsigned __int64>(status));
    Queue(event);
}

void CWinHttp2::Complete(Request_* request, DWORD error)
{
    if (request->m_socket)
        QueueChannel(kWsStatus, 0);
    request->m_event.SetInt64(3, error);
    const bool counted = !(request->m_flags & FlagWebSocket);
    Queue(request);
    // A failed request leaves the pending count as surely as an answered one: tell the owner.
    if (counted)
        QueueChannel(kRequestCount);
}

void CWinHttp2::FailNow(Request_* request, DWORD error)
{
    // A call that fails at once sends no notification: end the request here, as a request error
    // would, so that it cannot hold its slot for ever.
    if (!m_inFlight.Remove(request))
        return;
    Complete(request, error ? error : ERROR_WINHTTP_INTERNAL_ERROR);
    RestartWaiting(kRestartBelowAfterError);
}

void CWinHttp2::Abandon(Request_* request, DWORD error)
{
    // Closing the handle first stops the transfer and keeps the connection out of the pool.
    {
        CLinkedListMTLock lock(m_inFlight);
        if (request->m_request) {
            WinHttpSetStatusCallback(request->m_request, nullptr, WINHTTP_CALLBACK_FLAG_ALL_NOTIFICATIONS, 0);
            WinHttpCloseHandle(request->m_request);
            request->m_request = nullptr;
        }
    }
    FailNow(request, error);
}

void CWinHttp2::ExpireStalled()
{
    const DWORD now = GetTickCount();
    std::vector<Request_*> stalled;
    {
        CLinkedListMTLock lock(m_inFlight);
        for (auto* item = m_inFlight.m_head; item; item = item->m_next) {
            auto* request = static_cast<Request_*>(item);
            if (!request->m_socket && now - request->m_lastActivity >= m_stallLimit)
                stalled.push_back(request);
        }
    }
    for (Request_* request : stalled)
        Abandon(request, ERROR_WINHTTP_TIMEOUT);
}

unsigned CWinHttp2::ReplyLimit(const Request_* request)
{
    return (request->m_flags & FlagSmallReply) ? kMaxSmallReplyBytes : kMaxReplyBytes;
}

bool CWinHttp2::CheckAnnouncedLength(Request_* request)
{
    request->m_expectedBytes = -1;
    wchar_t text[32] = {};
    DWORD size = sizeof(text);
    if (!WinHttpQueryHeaders(request->m_request, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX, text,
                             &size, WINHTTP_NO_HEADER_INDEX))
        return true;
    const unsigned __int64 announced = _wcstoui64(text, nullptr, 10);
    if (announced > ReplyLimit(request)) {
        Abandon(request, kErrReplyTooLarge);
        return false;
    }
    // A decoded body has a length of its own; the announced one counts the encoded bytes.
    wchar_t encoding[64] = {};
    size = sizeof(encoding);
    if (WinHttpQueryHeaders(request->m_request, WINHTTP_QUERY_CONTENT_ENCODING, WINHTTP_HEADER_NAME_BY_INDEX,
                            encoding, &size, WINHTTP_NO_HEADER_INDEX) &&
        lstrcmpiW(encoding, L"identity") != 0)
        return true;
    DWORD status = 0;
    size = sizeof(status);
    WinHttpQueryHeaders(request->m_request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                        WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
    if (status >= 200 && status != 204 && status != 304 && lstrcmpiW(request->m_verb.GetBuffer(), L"HEAD") != 0)
        request->m_expectedBytes = static_cast<__int64>(announced);
    return true;
}

void CWinHttp2::RestartWaiting(int below)
{
    while (static_cast<int>(m_inFlight.GetCount()) < below) {
        auto* waiting = static_cast<Queue_*>(m_waiting.RemoveHead());
        if (!waiting)
            break;
        Send(waiting->m_verb, waiting->m_path, waiting->m_headers, &waiting->m_body, waiting->m_flags,
             std::move(waiting->m_completion));
        delete waiting;
    }
}

void CWinHttp2::ArmReceive(Request_* request)
{
    if (!m_wsReceive || !request->m_socket)
        return;
    request->m_read.SetSize(4096);
    m_wsReceive(request->m_socket, request->m_read.GetData(), 4096, nullptr, nullptr);
}

void CWinHttp2::AppendResponse(Request_* request, const BYTE* data, unsigned count)
{
    if (!count)
        return;
    CLinkedListMTLock lock(m_inFlight);   // GetBytesReceived reads the size meanwhile
    CTByteArray& response = request->m_response;
    unsigned size = response.GetSize();
    // Grow geometrically: large replies arrive in many small pieces.
    if (size + count > response.GetCapacity()) {
        unsigned step = size < 4096 ? 4096 : size;
        response.SetSize(size + count, static_cast<int>(step));
    } else {
        response.SetSize(size + count);
    }
    memcpy(response.GetData() + size, data, count);
}

void CWinHttp2::CaptureCertificate(HINTERNET handle)
{
    CTByteArray buffer;
    if (!QueryOptionBuffer(handle, WINHTTP_OPTION_SECURITY_CERTIFICATE_STRUCT, buffer) ||
        buffer.GetSize() < sizeof(WINHTTP_CERTIFICATE_INFO))
        return;
    WINHTTP_CERTIFICATE_INFO info;
    memcpy(&info, buffer.GetData(), sizeof(info));
    m_serverTrusted = IsServerCertificateTrusted(handle, m_host) ? 1 : 0;
    CTByteArray flags, bits;
    QueryOptionBuffer(handle, WINHTTP_OPTION_SECURITY_FLAGS, flags);
    QueryOptionBuffer(handle, WINHTTP_OPTION_SECURITY_KEY_BITNESS, bits);
    {
        CLinkedListMTLock lock(m_inFlight);
        m_certificate.Clear();
        m_certificate.SetText(L"SUBJECT", CTString(info.lpszSubjectInfo ? info.lpszSubjectInfo : L""));
        m_certificate.SetText(L"ISSUER", CTString(info.lpszIssuerInfo ? info.lpszIssuerInfo : L""));
        m_certificate.Set(L"STARTS", CAttribute(CAttribute::DateTime, UnixSeconds(info.ftStart)));
        m_certificate.Set(L"EXPIRES", CAttribute(CAttribute::DateTime, UnixSeconds(info.ftExpiry)));
        m_certificate.SetNumber(L"FLAGS", ReadDword(flags));
        m_certificate.SetNumber(L"BITNESS", ReadDword(bits));
    }
    LocalFree(info.lpszSubjectInfo);
    LocalFree(info.lpszIssuerInfo);
    LocalFree(info.lpszProtocolName);
    LocalFree(info.lpszSignatureAlgName);
    LocalFree(info.lpszEncryptionAlgName);
}

void CWinHttp2::HandleStatus(HINTERNET handle, DWORD code, CDataString& info)
{
    Request_* request = FindRequest(handle);
    if (!request)
        return;
    request->m_lastActivity = GetTickCount();
    int a = 0, b = 0;
    info.ReadInt32(a);
    info.ReadInt32(b);

    switch (code) {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
        if (!WinHttpReceiveResponse(request->m_request, nullptr))
            FailNow(request, GetLastError());
        break;

    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE: {
        DWORD bytes = 0;
        WinHttpQueryHeaders(request->m_request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                            WINHTTP_NO_OUTPUT_BUFFER, &bytes, WINHTTP_NO_HEADER_INDEX);
        CTByteArray headers;
        if (bytes) {
            headers.SetSize(bytes);
            if (WinHttpQueryHeaders(request->m_request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                                    headers.GetData(), &bytes, WINHTTP_NO_HEADER_INDEX))
                headers.SetSize(bytes);
            else
                headers.RemoveAll();
        }
        request->m_event.SwapBytes(1, headers);
        if (m_scheme == 2) {
            bool empty;
            {
                CLinkedListMTLock lock(m_inFlight);
                empty = m_certificate.GetCount() == 0;
            }
            if (empty)
                CaptureCertificate(request->m_request);
        }
        if ((request->m_flags & FlagWebSocket) && !request->m_socket && m_wsCompleteUpgrade) {
            DWORD status = 0, size = sizeof(status);
            WinHttpQueryHeaders(request->m_request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
            if (status == HTTP_STATUS_SWITCH_PROTOCOLS) {
                HINTERNET socket = m_wsCompleteUpgrade(request->m_request, reinterpret_cast<DWORD_PTR>(this));
                if (socket) {
                    {
                        CLinkedListMTLock lock(m_inFlight);
                        request->m_socket = socket;
                    }
                    // The socket now owns the connection; the request handle is done.
                    HINTERNET old = request->m_request;
                    {
                        CLinkedListMTLock lock(m_inFlight);
                        request->m_request = nullptr;
                    }
                    WinHttpSetStatusCallback(old, nullptr, WINHTTP_CALLBACK_FLAG_ALL_NOTIFICATIONS, 0);
                    WinHttpCloseHandle(old);
                    ArmReceive(request);
                    QueueChannel(kWsStatus, 1);
                    break;
                }
            }
        }
        if (!CheckAnnouncedLength(request))
            break;
        if (!WinHttpQueryDataAvailable(request->m_request, nullptr))
            FailNow(request, GetLastError());
        break;
    }

    case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
        if (a > 0) {
            if (static_cast<unsigned __int64>(request->m_response.GetSize()) + static_cast<unsigned>(a) >
                ReplyLimit(request)) {
                Abandon(request, kErrReplyTooLarge);
                break;
            }
            request->m_read.SetSize(static_cast<unsigned>(a));
            DWORD got = 0;
            if (!WinHttpReadData(request->m_request, request->m_read.GetData(), static_cast<DWORD>(a), &got)) {
                FailNow(request, GetLastError());
                break;
            }
            AppendResponse(request, request->m_read.GetData(), got ? got : static_cast<unsigned>(a));
            QueueChannel(kDataAvailable);
            if (!WinHttpQueryDataAvailable(request->m_request, nullptr))
                FailNow(request, GetLastError());
        } else {
            // A connection that ends early reads as the end of the body: compare with what the
            // headers announced.
            if (request->m_expectedBytes >= 0 &&
                static_cast<__int64>(request->m_response.GetSize()) < request->m_expectedBytes) {
                Abandon(request, kErrReplyCutShort);
                break;
            }
            if (!m_inFlight.Remove(request))
                break;
            if (request->m_request) {
                WinHttpSetStatusCallback(request->m_request, nullptr, WINHTTP_CALLBACK_FLAG_ALL_NOTIFICATIONS, 0);
                WinHttpCloseHandle(request->m_request);
                request->m_request = nullptr;
            }
            request->m_event.SwapBytes(2, request->m_response);
            Queue(request);
            QueueChannel(kRequestCount);
            RestartWaiting(kRestartBelowAfterSuccess);
        }
        break;

    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE: {
        if (handle != request->m_socket)
            break;
        unsigned count = static_cast<unsigned>(b);
        if (count > request->m_read.GetSize())
            count = request->m_read.GetSize();
        switch (a) {
        case WINHTTP_WEB_SOCKET_UTF8_FRAGMENT_BUFFER_TYPE:
            AppendResponse(request, request->m_read.GetData(), count);
            break;
        case WINHTTP_WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE: {
            AppendResponse(request, request->m_read.GetData(), count);
            BYTE zero = 0;
            AppendResponse(request, &zero, 1);
            auto* message = new WebSockMessage_;
            {
                CLinkedListMTLock lock(m_inFlight);
                message->m_event.SwapBytes(2, request->m_response);
            }
            message->m_completion = request->m_completion;
            Queue(message);
            break;
        }
        case WINHTTP_WEB_SOCKET_CLOSE_BUFFER_TYPE:
            QueueChannel(kWsStatus, 0);
            break;
        default:
            // Binary messages are not handled; their bytes are dropped so that they cannot
            // corrupt the next text message.
            break;
        }
        ArmReceive(request);
        break;
    }

    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR: {
        if (!m_inFlight.Remove(request))
            break;
        DWORD error = static_cast<DWORD>(a);
        // An upgraded socket that fails is reported closed and completed, never re-sent.
        if (error == kErrInvalidServerResponse && !request->m_socket && ++m_retries < kMaxRetries) {
            auto* retry = new RetryMessage_;
            retry->m_request = request;
            retry->m_client = this;
            Queue(retry);
        } else {
            Complete(request, error);
        }
        RestartWaiting(kRestartBelowAfterError);
        break;
    }

    default:
        break;
    }
}

// ---- worker ----

unsigned __stdcall CWinHttp2::WorkerThread(void* client)
{
    static_cast<CWinHttp2*>(client)->WorkerLoop();
    return 0;
}

void CWinHttp2::WorkerLoop()
{
    while (!m_stop) {
        // While requests are in flight the worker also wakes to look for stalled ones.
        DWORD period = INFINITE;
        if (m_inFlight.GetCount()) {
            period = m_stallLimit / 4;
            period = period < 20 ? 20 : period > 1000 ? 1000 : period;
        }
        DWORD woken = WaitForSingleObject(m_wake, period);
        if (woken != WAIT_OBJECT_0 && woken != WAIT_TIMEOUT)
            break;
        while (!m_stop) {
            auto* callback = static_cast<Callback_*>(m_workerQueue.RemoveHead());
            if (!callback)
                break;
            if (callback->HasFlags(FlagRunOnWorker)) {
                callback->Run();
                delete callback;
            } else {
                m_uiQueue.AddTail(callback);
                PostMessageW(m_wnd.m_hWnd, kMsgRunQueue, 0, 0);
            }
        }
        if (!m_stop)
            ExpireStalled();
    }
}
