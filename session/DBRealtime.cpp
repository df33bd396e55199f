// The realtime socket of the server client: opening it and handing each message to the handler
// bound under its channel name.
#include "session/DB.h"
#include <nlohmann/json.hpp>
#include <string>
#include "framework/CTWndMessageBox.h"
#include "session/JsonDepth.h"

namespace {

// Names in the handler table that belong to the transport, the reply pump and the session's end.
// Their bags have another shape or they sign out, so a message naming one as its channel is dropped.
bool IsReservedName(const CTString& name)
{
    static const wchar_t* const reserved[] = {L"connection_recv", L"request_count", L"download", L"ws_status",
                                              L"ws_error", L"connection_closed", L"connection_error"};
    for (const wchar_t* item : reserved)
        if (name.Compare(item) == 0)
            return true;
    return false;
}

CTString FromAnsi(const std::string& text)
{
    CTString out;
    out.AssignAnsi(text.c_str());
    return out;
}

} // namespace

void DB::OpenRealtime(const CTString& channels, const CTString& token, const IHttpTransport::HeaderList& headers)
{
    if (m_wsChannels.IsEmpty() && !channels.IsEmpty())
        m_wsChannels = channels;
    if (m_wsToken.IsEmpty() && !token.IsEmpty())
        m_wsToken = token;
    if (m_wsHeaders.empty() && !headers.empty()) {
        m_wsHeaders = headers;
        if (!m_origin.IsEmpty())
            m_wsHeaders.push_back(m_origin);
        m_wsHeaders.push_back(CTString(L"Sec-WebSocket-Protocol: qel_io_v2"));
    }

    CTString path(L"/socket.io?channels=");
    path.Append(m_wsChannels);
    path.AppendText(L"&token=");
    path.Append(m_wsToken);
    m_transport->Send(CTString(L"GET"), path, m_wsHeaders, nullptr, CWinHttp2::FlagWebSocket,
                      [this](TxRx& event) { OnRealtimeMessage(event); });
}

void DB::OnRealtimeMessage(TxRx& event)
{
    const GUID type = event.GetTypeId();
    if (type == CWinHttp2::ReqEvent().GetTypeId()) {
        if (!IsBound(L"ws_error"))
            return;
        DBEvent bag;
        __int64 error = 0;
        event.GetInt64(3u, error);
        bag.SetInt64(9u, static_cast<unsigned __int64>(error));
        CTByteArray headers, body;
        event.SwapBytes(1u, headers);
        bag.SwapBytes(1u, headers);
        event.SwapBytes(2u, body);
        bag.SwapBytes(2u, body);
        Raise(L"ws_error", bag);
        return;
    }
    if (type != CWinHttp2::MsgAvailable().GetTypeId())
        return;

    CTByteArray bytes;
    event.SwapBytes(2u, bytes);
    // The transport ends each message with one zero byte; the text is what comes before it.
    const char* text = reinterpret_cast<const char*>(bytes.GetData());
    size_t length = bytes.GetSize();
    while (length && text[length - 1] == 0)
        --length;

    // A message that is not JSON, nests deeper than any message of the server's, has no text
    // "channel", or a "sys" error of another shape is dropped: one bad message must not end the
    // session's process.
    if (JsonNestsDeeperThan(text, length))
        return;
    CTString channel;
    CTString sysError;
    bool showSys = false;
    try {
        nlohmann::json message = nlohmann::json::parse(text, text + length);
        auto it = message.find("channel");
        if (it == message.end() || !it->is_string())
            return;
        channel = FromAnsi(it->get<std::string>());
        if (channel.Compare(L"sys") == 0) {
            auto error = message.find("error");
            if (error != message.end() && error->is_object()) {
                sysError = FromAnsi(error->dump());
                showSys = true;
            } else if (error != message.end() && error->is_string()) {
                sysError = FromAnsi(error->get<std::string>());
                showSys = true;
            }
        }
    } catch (const nlohmann::json::exception&) {
        return;
    }
    if (showSys) {
        CTWndMessageBox box;
        box.Show(nullptr, GetModuleHandleW(nullptr), sysError.GetBuffer() ? sysError.GetBuffer() : L"",
                 L"QEL Realtime Error", MB_OK);
    }
    if (IsReservedName(channel))
        return;

    DBEvent bag;
    bytes.SetSize(static_cast<unsigned>(length));
    *bytes.Extend(1) = 0;
    bag.SwapBytes(1u, bytes);
    Raise(channel.GetBuffer() ? channel.GetBuffer() : L"", bag);
}
