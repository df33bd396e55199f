#pragma once
// Asynchronous HTTPS client on WinHTTP with one realtime WebSocket. WinHTTP's callback threads only
// copy notifications into the worker's queue; the worker drives every request and produces
// callback objects, which it runs itself (flag 4) or hands to the user-interface thread through a
// hidden marshalling window. At most kMaxInFlight requests are in flight; the rest wait in order.
#include <windows.h>
#include <winhttp.h>
#include <functional>
#include <map>
#include <vector>
#include "foundation/CLinkedList.h"
#include "foundation/CTByteArray.h"
#include "foundation/CTString.h"
#include "foundation/CDataString.h"
#include "foundation/CThread.h"
#include "framework/CTWnd2.h"
#include "session/TxRx.h"
#include "session/CCertificateInfo.h"

class CWinHttp2 {
public:
    // Request flags.
    enum : int {
        FlagIgnoreCertErrors = 1,   // https: accept any server certificate
        FlagWebSocket = 2,          // ask for the WebSocket upgrade
        FlagRunOnWorker = 4,        // completion runs on the worker thread
        FlagSmallReply = 8,         // a reply larger than kMaxSmallReplyBytes is refused (sign-in)
    };
    static constexpr int kMaxInFlight = 9;
    static constexpr int kRestartBelowAfterSuccess = 8;
    static constexpr int kRestartBelowAfterError = 4;
    static constexpr unsigned kMaxRetries = 100;      // the 100th 12152 of a session completes its request
    static constexpr DWORD kSecurityIgnoreFlags = 0x3300;
    // Replies are held whole in memory: a larger one fails with kErrReplyTooLarge.
    static constexpr unsigned kMaxReplyBytes = 256u << 20;
    static constexpr unsigned kMaxSmallReplyBytes = 1u << 20;
    static constexpr DWORD kErrReplyTooLarge = ERROR_WINHTTP_RESPONSE_DRAIN_OVERFLOW;
    // A reply that ends before the length its headers announced fails with this.
    static constexpr DWORD kErrReplyCutShort = ERROR_WINHTTP_CONNECTION_ERROR;
    static constexpr DWORD kDefaultStallLimit = 600000;   // the session's receive time-out
    static constexpr DWORD kSocketCloseWait = 2000;       // ms Close waits for the server's close frame
    static constexpr UINT kMsgSetClient = WM_USER + 1;   // 1025
    static constexpr UINT kMsgRunQueue = WM_USER + 4;    // 1028

    // A request's outcome: 1 raw headers (UTF-16 bytes), 2 body, 3 WinHTTP error (only after one).
    class ReqEvent : public TxRx {
    public:
        using TxRx::TxRx;
        GUID GetTypeId() const override;
    };
    // A channel notice: "ws_status" carries 1 = 1 opened, 0 closed or failed.
    class HttpEvent : public TxRx {
    public:
        using TxRx::TxRx;
        GUID GetTypeId() const override;
    };
    // A WebSocket text message: 2 = its UTF-8 bytes and one zero byte.
    class MsgAvailable : public TxRx {
    public:
        using TxRx::TxRx;
        GUID GetTypeId() const override;
    };

    using Completion = std::function<void(TxRx&)>;
    using Listener = std::function<void(HttpEvent&)>;
    using HeaderList = std::vector<CTString>;

    struct ChannelLess {
        bool operator()(const CTString& a, const CTString& b) const;
    };
    using ChannelMap = std::map<CTString, Listener, ChannelLess>;

    // Work handed between threads; deleted after it has run.
    class Callback_ : public CLinkedListObject {
    public:
        virtual void Run() = 0;
        virtual bool HasFlags(int mask) = 0;
    };

    class Request_ : public Callback_ {
    public:
        ~Request_() override;
        void Run() override;
        bool HasFlags(int mask) override { return (m_flags & mask) != 0; }
        void CloseHandles();

        Completion m_completion;
        HINTERNET m_request = nullptr;
        HINTERNET m_socket = nullptr;
        ReqEvent m_event;
        CTByteArray m_body;
        CTByteArray m_response;
        CTByteArray m_read;
        int m_flags = 0;
        CTString m_verb;
        CTString m_path;
        HeaderList m_headers;
        DWORD m_lastActivity = 0;     // tick of the last notice handled (worker)
        __int64 m_expectedBytes = -1; // the announced body length; -1 unknown
    };

    class Queue_ : public CLinkedListObject {
    public:
        CTString m_verb;
        CTString m_path;
        HeaderList m_headers;
        CTByteArray m_body;
        int m_flags = 0;
        Completion m_completion;
    };

    class WinHttpEvent : public Callback_ {
    public:
        void Run() override;
        bool HasFlags(int mask) override { return (mask & FlagRunOnWorker) != 0; }

        CWinHttp2* m_client = nullptr;
        HINTERNET m_handle = nullptr;
        DWORD m_code = 0;
        DWORD m_length = 0;
        CDataString m_info;   // int32 fields
    };

    class WebSockMessage_ : public Callback_ {
    public:
        void Run() override;
        bool HasFlags(int) override { return false; }

        MsgAvailable m_event;
        // A copy of the socket request's completion: the request may end before this runs.
        Completion m_completion;
    };

    class ChannelEvent : public Callback_ {
    public:
        void Run() override;
        bool HasFlags(int) override { return false; }

        CTString m_name;
        HttpEvent m_event;
        ChannelMap* m_channels = nullptr;
    };

    class RetryMessage_ : public Callback_ {
    public:
        ~RetryMessage_() override { delete m_request; }
        void Run() override;
        bool HasFlags(int) override { return false; }

        Request_* m_request = nullptr;
        CWinHttp2* m_client = nullptr;
    };

    class MarshallWnd : public CTWnd2 {
    public:
        bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
        CWinHttp2* m_client = nullptr;
    };

    CWinHttp2();
    virtual ~CWinHttp2();
    CWinHttp2(const CWinHttp2&) = delete;
    CWinHttp2& operator=(const CWinHttp2&) = delete;

    void OpenSession(const CTString& agent);
    bool Connect(const CTString& url);
    void Send(const CTString& verb, const CTString& path, const HeaderList& headers, CTByteArray* body,
              int flags, Completion completion);
    void Close();

    int GetPendingCount();
    int GetBytesReceived();
    static bool QueryOptionBuffer(HINTERNET handle, DWORD option, CTByteArray& buffer);
    Request_* FindRequest(HINTERNET handle);

    HINTERNET m_session = nullptr;
    HINTERNET m_connect = nullptr;
    int m_scheme = 0;                 // 0 none, 1 http, 2 https
    CCertificateInfo m_certificate;   // written under the in-flight lock

    HMODULE m_winhttp = nullptr;
    decltype(&WinHttpWebSocketSend) m_wsSend = nullptr;   // looked up, never called: the client only receives
    decltype(&WinHttpWebSocketShutdown) m_wsShutdown = nullptr;   // looked up, not called: see Close
    decltype(&WinHttpWebSocketClose) m_wsClose = nullptr;
    decltype(&WinHttpWebSocketReceive) m_wsReceive = nullptr;
    decltype(&WinHttpWebSocketCompleteUpgrade) m_wsCompleteUpgrade = nullptr;

    ChannelMap m_channels;
    CLinkedListMT m_inFlight;     // Request_
    CLinkedListMT m_waiting;      // Queue_
    CLinkedListMT m_workerQueue;  // Callback_
    CLinkedListMT m_uiQueue;      // Callback_
    unsigned m_retries = 0;

    MarshallWnd m_wnd;
    CThread m_thread;
    HANDLE m_wake = nullptr;      // auto-reset
    volatile BYTE m_stop = 0;
    CTString m_host;

    // A request that hears nothing from WinHTTP for this long (ms) fails with ERROR_WINHTTP_TIMEOUT:
    // a connection that the server closes or resets without answering may otherwise never report.
    // Open sockets are exempt. Tests shorten it.
    DWORD m_stallLimit = kDefaultStallLimit;
    HANDLE m_socketClosed = nullptr;   // manual-reset: the close handshake of a socket has completed
    // Whether the certificate captured for this connection passes the checks of a validating
    // request; until it is known, requests that skip the checks keep no connection alive.
    volatile LONG m_serverTrusted = 0;

    // WinHttpSendRequest; tests replace it to make a send fail at once.
    using SendRequestFn = BOOL(WINAPI*)(HINTERNET, LPCWSTR, DWORD, LPVOID, DWORD, DWORD, DWORD_PTR);
    SendRequestFn m_sendRequest = &WinHttpSendRequest;

private:
    static void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD code, void* info, DWORD length);
    void OnStatus(HINTERNET handle, DWORD code, void* info, DWORD length);
    void HandleStatus(HINTERNET handle, DWORD code, CDataString& info);
    static unsigned __stdcall WorkerThread(void* client);
    void WorkerLoop();

    void Queue(Callback_* callback);
    void QueueChannel(const wchar_t* name, int status = -1);
    void Complete(Request_* request, DWORD error);
    void FailNow(Request_* request, DWORD error);
    void Abandon(Request_* request, DWORD error);
    void ExpireStalled();
    bool CheckAnnouncedLength(Request_* request);
    static unsigned ReplyLimit(const Request_* request);
    void RestartWaiting(int below);
    void CaptureCertificate(HINTERNET request);
    void ArmReceive(Request_* request);
    void AppendResponse(Request_* request, const BYTE* data, unsigned count);
};
