#include "session/RealtimeHandlers.h"
#include <nlohmann/json.hpp>
#include <string>
#include "foundation/CTErrorString.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndMessageBox.h"
#include "framework/CWindowManager.h"
#include "session/CHTTP.h"
#include "session/Dir.h"
#include "session/JsonDepth.h"

namespace {

constexpr __int64 kConnectionError = 12030;        // ERROR_WINHTTP_CONNECTION_ERROR
constexpr __int64 kInvalidServerResponse = 12152;  // ERROR_WINHTTP_INVALID_SERVER_RESPONSE
constexpr __int64 kSocketReset = 10054;            // WSAECONNRESET
constexpr __int64 kSocketAborted = 10053;          // WSAECONNABORTED
constexpr __int64 kConnectionAborted = 1236;       // ERROR_CONNECTION_ABORTED

const wchar_t* const kResetText =
    L"The connection with the server has been reset or terminated, or an incompatible SSL protocol was "
    L"encountered.";

// The message text of a handler's bag (key 1, ending in one zero byte) parsed; false when it is
// missing, not JSON or nested too deep.
bool ParseMessage(DB::DBEvent& event, nlohmann::json& out)
{
    if (!event.Has(1u))
        return false;
    // The bytes were moved in raw (SwapBytes), so they are read the same way and put back.
    CTByteArray bytes;
    event.SwapBytes(1u, bytes);
    const char* text = reinterpret_cast<const char*>(bytes.GetData());
    size_t length = bytes.GetSize();
    while (length && text[length - 1] == 0)
        --length;
    const bool tooDeep = JsonNestsDeeperThan(text, length);
    if (!tooDeep)
        out = nlohmann::json::parse(text, text + length, nullptr, false);
    event.SwapBytes(1u, bytes);
    return !tooDeep && !out.is_discarded();
}

// A member name of "data": an object id in unsigned decimal, digits only.
bool ParseObjectId(const std::string& name, unsigned __int64& id)
{
    if (name.empty() || name.size() > 20)
        return false;
    unsigned __int64 value = 0;
    for (char c : name) {
        if (c < '0' || c > '9')
            return false;
        unsigned digit = static_cast<unsigned>(c - '0');
        if (value > (~0ull - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    id = value;
    return true;
}

// A "slots" figure: signed decimal text in the 32-bit range.
bool ParseInt32(const nlohmann::json& message, const char* name, int& out)
{
    auto it = message.find(name);
    if (it == message.end() || !it->is_string())
        return false;
    const std::string& text = it->get_ref<const std::string&>();
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i == text.size())
        return false;
    __int64 value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
        if (value > 0x80000000LL)
            return false;
    }
    if (negative)
        value = -value;
    if (value > 0x7FFFFFFFLL)
        return false;
    out = static_cast<int>(value);
    return true;
}

CTString FromAnsi(const char* text)
{
    CTString out;
    out.AssignAnsi(text);
    return out;
}

CTString BadName(const std::string& name)
{
    CTString text = FromAnsi("invalid object id: ");
    text.Append(FromAnsi(name.c_str()));
    return text;
}

} // namespace

RealtimeHandlers::RealtimeHandlers(DB& db, Dir* dir) : m_db(db), m_dir(dir) {}

void RealtimeHandlers::Bind()
{
    m_db.Bind(CTString(L"events"), [this](DB::DBEvent& e) { on_events(e); });
    m_db.Bind(CTString(L"slots"), [this](DB::DBEvent& e) { on_slots(e); });
    m_db.Bind(CTString(L"dirupdates"), [this](DB::DBEvent& e) { on_dirupdates(e); });
    m_db.Bind(CTString(L"logupdates"), [this](DB::DBEvent& e) { on_logupdates(e); });
    m_db.Bind(CTString(L"ws_error"), [this](DB::DBEvent& e) { on_ws_error(e); });
    m_db.Bind(CTString(L"connection_closed"), [this](DB::DBEvent& e) { on_connection_closed(e); });
    m_db.Bind(CTString(L"connection_error"), [this](DB::DBEvent& e) { on_connection_error(e); });
}

bool RealtimeHandlers::IsConnectionReset(__int64 error)
{
    return error == kConnectionError || error == kSocketReset || error == kInvalidServerResponse ||
           error == kSocketAborted || error == kConnectionAborted;
}

HWND RealtimeHandlers::Owner()
{
    if (m_hooks.ownerWindow)
        return m_hooks.ownerWindow();
    CWindowManager* manager = CWindowManager::Instance();
    if (!manager)
        return nullptr;
    auto* window = dynamic_cast<CTWnd2*>(manager->FindWindow(kMainWindowType, 0));
    return window ? window->m_hWnd : nullptr;
}

void RealtimeHandlers::ShowBox(const CTString& text, const wchar_t* caption)
{
    CTWndMessageBox box;
    box.Show(Owner(), GetModuleHandleW(nullptr), text.GetBuffer() ? text.GetBuffer() : L"", caption, MB_OK);
}

void RealtimeHandlers::Notify(int consoleType, __int64 consoleKey, int requestId, __int64 param2, CDataString* body)
{
    RequestResult record;
    record.route.targetType = kMainWindowType;
    record.route.consoleType = consoleType;
    record.route.consoleKey = consoleKey;
    record.route.requestId = requestId;
    record.route.param2 = param2;
    if (body)
        record.body.Swap(*body);
    if (m_hooks.notify) {
        m_hooks.notify(kMainWindowType, 0, &record);
        return;
    }
    if (CWindowManager* manager = CWindowManager::Instance())
        manager->NotifyWindows(kMainWindowType, 0, &record);
}

void RealtimeHandlers::on_events(DB::DBEvent& event)
{
    nlohmann::json message;
    if (!ParseMessage(event, message))
        return;
    auto data = message.find("data");
    if (data == message.end() || !data->is_object())
        return;
    for (const auto& member : data->items()) {
        CTString failure;
        unsigned __int64 id = 0;
        std::string action;
        try {
            if (!ParseObjectId(member.key(), id))
                failure = BadName(member.key());
            else
                action = member.value().at("a").get<std::string>();
        } catch (const nlohmann::json::exception& e) {
            failure = FromAnsi(e.what());
        }
        if (!failure.IsEmpty()) {
            ShowBox(failure, L"QELConsole - on_events ParseError");
            continue;
        }
        if (action == "a")
            Notify(kDashboardConsole, 0, kRequestEventAdded, static_cast<__int64>(id), nullptr);
        else if (action == "u")
            Notify(kDashboardConsole, 0, kRequestEventUpdated, static_cast<__int64>(id), nullptr);
    }
}

void RealtimeHandlers::on_slots(DB::DBEvent& event)
{
    m_retries = 0;
    nlohmann::json message;
    if (!ParseMessage(event, message) || !message.is_object())
        return;
    // Figures that are missing, not texts or not numbers drop the message.
    int windowId = 0, used = 0, max = 0;
    try {
        if (!ParseInt32(message, "id", windowId) || !ParseInt32(message, "used", used) ||
            !ParseInt32(message, "max", max))
            return;
    } catch (const nlohmann::json::exception&) {
        return;
    }
    DB::Slot slot;
    slot.SetInt64(1u, static_cast<unsigned __int64>(static_cast<__int64>(windowId)));
    slot.SetInt64(2u, static_cast<unsigned __int64>(static_cast<__int64>(used)));
    slot.SetInt64(3u, static_cast<unsigned __int64>(static_cast<__int64>(max)));
    if (!m_hooks.applySlotUpdate)
        return;
    __int64 groupId = 0;
    __int64 found = m_hooks.applySlotUpdate(slot, groupId);
    if (!found || !groupId)
        return;
    CDataString body;
    WriteTxRx(body, slot);
    Notify(kScheduleGroupConsole, groupId, kRequestSlot, found, &body);
}

void RealtimeHandlers::on_dirupdates(DB::DBEvent& event)
{
    m_retries = 0;
    nlohmann::json message;
    if (!ParseMessage(event, message))
        return;
    auto data = message.find("data");
    if (data == message.end() || !data->is_object())
        return;
    for (const auto& member : data->items()) {
        CTString failure;
        unsigned __int64 id = 0;
        std::string action;
        __int64 parent = 0, type = 0, serial = 0;
        try {
            if (!ParseObjectId(member.key(), id)) {
                failure = BadName(member.key());
            } else {
                const nlohmann::json& value = member.value();
                action = value.at("a").get<std::string>();
                if (action == "a") {
                    if (value.contains("p"))
                        parent = value.at("p").get<__int64>();
                    if (value.contains("t"))
                        type = value.at("t").get<__int64>();
                } else if (action == "u") {
                    serial = value.at("s").get<__int64>();
                }
            }
        } catch (const nlohmann::json::exception& e) {
            failure = FromAnsi(e.what());
        }
        if (!failure.IsEmpty()) {
            ShowBox(failure, L"QELConsole - on_dirupdates ParseError");
            continue;
        }
        const __int64 objectId = static_cast<__int64>(id);
        if (action == "a") {
            if (m_dir)
                m_dir->RefreshNewChild(objectId, parent);
            DB::NewObjEvent added;
            added.SetInt64(1u, id);
            added.SetInt64(2u, static_cast<unsigned __int64>(parent));
            added.SetInt64(3u, static_cast<unsigned __int64>(type));
            CDataString body;
            WriteTxRx(body, added);
            Notify(0, 0, kRequestNewObject, 0, &body);
        } else if (action == "u") {
            if (serial != 0 && m_dir)
                m_dir->RefreshCached(objectId);
        } else if (action == "d") {
            if (m_dir)
                m_dir->Remove(objectId);
        }
    }
}

void RealtimeHandlers::on_logupdates(DB::DBEvent& event)
{
    m_retries = 0;
    nlohmann::json message;
    ParseMessage(event, message);
}

void RealtimeHandlers::on_ws_error(DB::DBEvent& event)
{
    __int64 error = 0;
    event.GetInt64(9u, error);

    if (IsConnectionReset(error)) {
        ++m_retries;
        if (m_retries <= kMaxReopens) {
            m_db.OpenRealtime(CTString(), CTString(), IHttpTransport::HeaderList());
            return;
        }
        ShowBox(CTString(kResetText), L"Realtime Socket Error");
        return;
    }

    CTByteArray headers, body;
    if (event.Has(1u))
        event.SwapBytes(1u, headers);
    if (event.Has(2u))
        event.SwapBytes(2u, body);
    if (headers.GetSize() && !body.GetSize()) {
        // A socket that opened and later failed still carries the headers of its 101 answer: that
        // is no page of the server's, so the failure is reported by its code.
        CHTTP response;
        response.SwapRaw(headers);
        response.Parse();
        if (response.m_statusCode == 101)
            headers.RemoveAll();
        else
            response.SwapRaw(headers);
    }
    if (headers.GetSize() || body.GetSize()) {
        // The server answered the upgrade with an ordinary page: show it.
        CTString page;
        int count = body.GetSize() ? MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(body.GetData()),
                                                         static_cast<int>(body.GetSize()), nullptr, 0)
                                   : 0;
        if (count > 0) {
            wchar_t* buffer = page.Reserve(static_cast<unsigned>(count) + 1);
            MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(body.GetData()),
                                static_cast<int>(body.GetSize()), buffer, count);
            buffer[count] = 0;
            page.SetLength(static_cast<unsigned>(count));
        }
        if (m_hooks.showErrorPage)
            m_hooks.showErrorPage(page, CTString(L"Realtime Socket Error"));
        return;
    }

    CTErrorString text(static_cast<DWORD>(error));
    ShowBox(text, L"Realtime Socket Error");
}

void RealtimeHandlers::on_connection_closed(DB::DBEvent&)
{
    m_retries = 0;
}

void RealtimeHandlers::on_connection_error(DB::DBEvent&)
{
    if (m_hooks.logoff)
        m_hooks.logoff();
    ShowBox(CTString(L"on_connection_error"), L"System Error");
}
