#pragma once
// Client side of tests/fixtures/fixture_server.py for test programs: where it listens, its test CA
// in the prefix's Root store, and its plain-HTTP control endpoints (scripts, gates, request record).
// ctest starts the server before the program (see tests/session/CMakeLists.txt). Programs running at
// the same time share it, so each test keeps to its own path prefix (scripts, gates and the
// request record are per path) and never resets the whole server.
#include <windows.h>
#include <winhttp.h>
#include <wincrypt.h>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include <nlohmann/json.hpp>

namespace fixture {

struct Info {
    int httpsPort = 0;
    int untrustedPort = 0;
    int httpPort = 0;
    std::wstring caDer;   // Windows path of the CA certificate
    bool ok = false;
};

inline std::wstring Widen(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

// Reads <QEL_BINARY_DIR>/fixture/info.txt, written by the server once it listens.
inline Info Load()
{
    Info info;
    char dir[1024] = {};
    if (!GetEnvironmentVariableA("QEL_BINARY_DIR", dir, sizeof(dir)))
        return info;
    std::string path = std::string("Z:") + dir + "/fixture/info.txt";
    for (char& c : path)
        if (c == '/') c = '\\';
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return info;
    char buffer[4096] = {};
    DWORD read = 0;
    ReadFile(file, buffer, sizeof(buffer) - 1, &read, nullptr);
    CloseHandle(file);
    std::map<std::string, std::string> values;
    std::string text(buffer, read);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        size_t eq = line.find('=');
        if (eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
        start = end + 1;
    }
    info.httpsPort = atoi(values["https_port"].c_str());
    info.untrustedPort = atoi(values["untrusted_port"].c_str());
    info.httpPort = atoi(values["http_port"].c_str());
    std::string ca = "Z:" + values["ca_der"];
    for (char& c : ca)
        if (c == '/') c = '\\';
    info.caDer = Widen(ca);
    info.ok = info.httpsPort && info.untrustedPort && info.httpPort;
    return info;
}

// Puts the fixture's CA into the current user's Root store, so that validating requests trust it.
inline bool ImportCa(const Info& info)
{
    HANDLE file = CreateFileW(info.caDer.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::vector<BYTE> der(16384);
    DWORD read = 0;
    ReadFile(file, der.data(), static_cast<DWORD>(der.size()), &read, nullptr);
    CloseHandle(file);
    return CertAddEncodedCertificateToSystemStoreW(L"Root", der.data(), read) != FALSE;
}

// The server's info, loaded once per program, with its CA imported.
inline const Info& Shared()
{
    static Info info = [] {
        Info loaded = Load();
        if (loaded.ok)
            ImportCa(loaded);
        return loaded;
    }();
    return info;
}

// One synchronous request to the control port; returns the body ("" on failure).
inline std::string Control(const Info& info, const wchar_t* verb, const std::wstring& path, const std::string& body = {})
{
    std::string out;
    HINTERNET session = WinHttpOpen(L"fixture-control", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
    if (!session)
        return out;
    WinHttpSetTimeouts(session, 5000, 5000, 10000, 10000);
    HINTERNET connect = WinHttpConnect(session, L"127.0.0.1", static_cast<INTERNET_PORT>(info.httpPort), 0);
    HINTERNET request = connect ? WinHttpOpenRequest(connect, verb, path.c_str(), nullptr, nullptr, nullptr, 0) : nullptr;
    if (request &&
        WinHttpSendRequest(request, nullptr, 0, body.empty() ? nullptr : const_cast<char*>(body.data()),
                           static_cast<DWORD>(body.size()), static_cast<DWORD>(body.size()), 0) &&
        WinHttpReceiveResponse(request, nullptr)) {
        for (;;) {
            DWORD available = 0;
            if (!WinHttpQueryDataAvailable(request, &available) || available == 0)
                break;
            std::string chunk(available, '\0');
            DWORD got = 0;
            if (!WinHttpReadData(request, chunk.data(), available, &got) || got == 0)
                break;
            out.append(chunk.data(), got);
        }
    }
    if (request) WinHttpCloseHandle(request);
    if (connect) WinHttpCloseHandle(connect);
    WinHttpCloseHandle(session);
    return out;
}

inline void Script(const Info& info, const std::string& path, const nlohmann::json& replies)
{
    Control(info, L"POST", L"/control/script", nlohmann::json{{"path", path}, {"replies", replies}}.dump());
}

// Actions for the WebSocket that opens on path (a later connection on the same path takes what is left).
inline void WebSocketActions(const Info& info, const std::string& path, const nlohmann::json& actions)
{
    Control(info, L"POST", L"/control/ws?path=" + Widen(path), actions.dump());
}

inline nlohmann::json Requests(const Info& info, const std::string& prefix)
{
    std::string text = Control(info, L"GET", L"/control/requests?prefix=" + Widen(prefix));
    nlohmann::json parsed = nlohmann::json::parse(text, nullptr, false);
    return parsed.is_discarded() ? nlohmann::json::array() : parsed;
}

inline int Held(const Info& info, const std::string& gate)
{
    return atoi(Control(info, L"GET", L"/control/held?gate=" + Widen(gate)).c_str());
}

inline void Release(const Info& info, const std::string& gate, int count = -1)
{
    std::wstring path = L"/control/release?gate=" + Widen(gate);
    if (count >= 0)
        path += L"&count=" + std::to_wstring(count);
    Control(info, L"POST", path);
}

inline std::string Base64Decode(const std::string& in)
{
    static const std::string chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    int value = 0, bits = -8;
    for (char c : in) {
        size_t pos = chars.find(c);
        if (pos == std::string::npos) break;
        value = (value << 6) + static_cast<int>(pos);
        bits += 6;
        if (bits >= 0) {
            out.push_back(static_cast<char>((value >> bits) & 0xFF));
            bits -= 8;
        }
    }
    return out;
}

// Runs the calling thread's messages until done() holds or the time is up.
inline bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 20000)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > milliseconds)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

} // namespace fixture
