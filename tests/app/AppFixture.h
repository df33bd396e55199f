#pragma once
// An application object wired to a recording transport, windows that record what reaches them, a
// message-box recorder, and replies built as the server client hands them to the pump.
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>
#include "app/App.h"
#include "app/AppWindows.h"
#include "app/CTWndConsole.h"
#include "app/MainWindow.h"
#include "framework/CTWndMessageBox.h"
#include "framework/MessageBoxAnswerer.h"

namespace apptest {

inline std::string Narrow(const CTString& text)
{
    std::string out;
    for (unsigned i = 0; i < text.GetLength(); ++i)
        out.push_back(static_cast<char>(text.GetBuffer()[i]));
    return out;
}

inline std::wstring Wide(const CTString& text)
{
    return text.GetBuffer() ? std::wstring(text.GetBuffer()) : std::wstring();
}

struct Sent {
    std::string verb;
    std::string path;
    std::string body;
    IHttpTransport::Completion completion;
};

class RecordingTransport : public IHttpTransport {
public:
    void OpenSession(const CTString&) override {}
    bool Connect(const CTString& url) override
    {
        m_url = Narrow(url);
        return true;
    }
    void Send(const CTString& verb, const CTString& path, const HeaderList&, CTByteArray* body, int,
              Completion completion) override
    {
        Sent sent;
        sent.verb = Narrow(verb);
        sent.path = Narrow(path);
        if (body) {
            sent.body.assign(reinterpret_cast<const char*>(body->GetData()), body->GetSize());
            body->SetSize(0);
        }
        sent.completion = std::move(completion);
        m_sent.push_back(std::move(sent));
    }
    void Close() override
    {
        ++m_closed;
        ++m_dropped;
    }
    void Listen(const wchar_t*, Listener) override {}
    void DropWaiting() override { ++m_dropped; }
    int GetPendingCount() override { return m_pending; }
    int GetBytesReceived() override { return 0; }
    int GetQueuedCallbackCount() override { return 0; }

    size_t CountPath(const std::string& path) const
    {
        size_t n = 0;
        for (const Sent& sent : m_sent)
            n += sent.path == path;
        return n;
    }

    std::string m_url;
    std::vector<Sent> m_sent;
    int m_closed = 0;
    int m_dropped = 0;
    int m_pending = 0;
};

// Answers every box with OK and keeps its text; boxes may come from the transport's worker thread.
class BoxRecorder : public MessageBoxAnswerer {
public:
    BoxRecorder() { MessageBoxAnswerer::Install(this); }
    ~BoxRecorder() override { MessageBoxAnswerer::Install(nullptr); }
    void OnMessageBox(CTWndMessageBox& box, HWND) override
    {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            texts.push_back(box.m_text ? box.m_text : L"");
            captions.push_back(box.m_caption ? box.m_caption : L"");
        }
        box.Press(IDOK);
    }
    std::vector<std::wstring> Texts()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return texts;
    }
    std::vector<std::wstring> texts;
    std::vector<std::wstring> captions;

private:
    std::mutex m_lock;
};

// What a recording window was handed.
struct Received {
    RequestRoute route;
    int kind = 0;
    int resultCode = 0;
    int returnCode = 0;
    std::wstring statusText;
    std::wstring bodyText;           // the CDataString text of list notices
    std::vector<__int64> objectIds;  // an attached branch's children
    bool hasDocument = false;
    std::wstring document;
};

// A managed window that opens no real window and records every notice.
class RecordingWindow : public CWindowManager::CWindow {
public:
    std::vector<Received> received;
    void Close() override { Unregister(); }
    void Notify(void* param) override
    {
        auto* result = static_cast<RequestResult*>(param);
        Received r;
        r.route = result->route;
        r.kind = result->kind;
        r.resultCode = result->resultCode;
        r.returnCode = result->returnCode;
        r.statusText = Wide(result->statusText);
        if (result->body.GetSize()) {
            CDataString body;
            body.Append(result->body);
            body.Rewind();
            CTString text;
            if (body.ReadString(text))
                r.bodyText = Wide(text);
        }
        if (result->attached && result->route.requestId == 1001)
            for (const Object& child : static_cast<ObjectBranch*>(result->attached)->children)
                r.objectIds.push_back(child.id);
        if (TiXmlElement* root = result->document.FirstChildElementNamed(L"result")) {
            r.hasDocument = true;
            TiXmlString text;
            TiXmlNode::AppendToString(text, *root);
            // Without the printer's line breaks and indentation.
            for (const wchar_t* c = text.c_str(); *c; ++c) {
                if (*c == L'\n' || (*c == L' ' && (r.document.empty() || r.document.back() == L'>' || r.document.back() == L' ')))
                    continue;
                r.document.push_back(*c);
            }
        }
        received.push_back(r);
    }
};

// What the main window was handed, recorded on its way through the window manager, so that the
// tests need nothing of the main window itself.
struct MainNotice {
    int requestId = 0;
    int consoleType = 0;
    int returnCode = 0;
    int resultCode = 0;
    int kind = 0;
};

class MainNotices {
public:
    explicit MainNotices(App& app)
    {
        Current() = this;
        app.m_windows.m_event = &Record;
    }
    ~MainNotices() { Current() = nullptr; }
    std::vector<MainNotice> list;

private:
    static MainNotices*& Current()
    {
        static MainNotices* current = nullptr;
        return current;
    }
    static void Record(void* user, CWindowManager::CWindow* window, int code, void* param)
    {
        if (code == CWindowManager::kEventNotify && window->m_type == App::kMainWindowType && Current()) {
            auto* result = static_cast<RequestResult*>(param);
            MainNotice notice;
            notice.requestId = result->route.requestId;
            notice.consoleType = result->route.consoleType;
            notice.returnCode = result->returnCode;
            notice.resultCode = result->resultCode;
            notice.kind = result->kind;
            Current()->list.push_back(notice);
        }
        App::OnWindowEvent(user, window, code, param);
    }
};

// The console the main window shows.
inline int ShownConsole(App& app)
{
    return app.m_mainWindow && app.m_mainWindow->m_current ? app.m_mainWindow->m_current->GetConsoleType() : 0;
}

// Object-type definitions and the signed-in user as the main window keeps them.
inline void DefineType(App& app, __int64 id, const wchar_t* name)
{
    Object definition;
    definition.id = id;
    definition.type = id;
    definition.name = name;
    std::vector<Object>& types = app.m_mainWindow->m_cache.types;
    std::erase_if(types, [&](const Object& known) { return known.type == id; });
    types.push_back(definition);
}

inline void SetLogonUserId(App& app, __int64 id)
{
    app.m_mainWindow->m_cache.administrator.id = id;
}

// Types from 100 up open recording windows; the rest go to the application's factory.
inline CWindowManager::CWindow* TestFactory(void* user, int type, UINT64 key)
{
    if (type >= 100 && type < 200)
        return new RecordingWindow();
    return App::CreateWindowOfType(user, type, key);
}

inline CTByteArray Utf16Bytes(const std::wstring& text)
{
    CTByteArray bytes;
    if (!text.empty())
        memcpy(bytes.Extend(static_cast<unsigned>(text.size() * 2)), text.data(), text.size() * 2);
    return bytes;
}

inline CTByteArray Bytes(const std::string& text)
{
    CTByteArray bytes;
    if (!text.empty())
        memcpy(bytes.Extend(static_cast<unsigned>(text.size())), text.data(), text.size());
    return bytes;
}

// An application whose server client records what it sends; Init has run (main window open).
struct TestApp {
    std::unique_ptr<App> app = std::make_unique<App>();
    MainNotices notices{*app};
    RecordingTransport* transport = nullptr;

    explicit TestApp(bool init = true)
    {
        auto owned = std::make_unique<RecordingTransport>();
        transport = owned.get();
        app->m_db.m_transport = std::move(owned);
        app->m_windows.m_factory = &TestFactory;
        RegisterAppWindows(app->m_catalogue);
        if (init)
            app->Init();
        app->m_db.Connect(CTString(L"srv"));
        app->m_db.Bind(CTString(L"connection_recv"), [this](DB::DBEvent& event) { app->on_connection_recv(event); });
    }
    ~TestApp()
    {
        if (app) {
            app->m_windows.CloseAllWindows();
            app->m_windows.DeleteClosedWindows();
            Pump();
        }
    }

    // Runs the loop's steps for every waiting message.
    void Pump()
    {
        MSG msg;
        for (int round = 0; round < 50; ++round) {
            bool any = false;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                any = true;
                if (msg.message == WM_QUIT)
                    continue;
                app->RouteMessage(msg);
            }
            if (!any)
                break;
        }
    }

    RecordingWindow* Open(int type, UINT64 key = 0)
    {
        app->m_windows.OpenWindow(type, key, 0);
        return static_cast<RecordingWindow*>(app->m_windows.FindWindow(type, key));
    }

    // Completes the last request sent to path as the server client does: status line, headers
    // and body; the route and path are the ones the request was sent with.
    void Answer(const std::string& path, const std::wstring& headers, const std::string& body, int which = -1)
    {
        int index = -1;
        for (int i = 0; i < static_cast<int>(transport->m_sent.size()); ++i)
            if (transport->m_sent[i].path == path) {
                index = i;
                if (which >= 0 && --which < 0)
                    break;
            }
        ASSERT_GE(index, 0) << path;
        TxRx result;
        CTByteArray headerBytes = Utf16Bytes(headers), bodyBytes = Bytes(body);
        result.SwapBytes(1u, headerBytes);
        result.SwapBytes(2u, bodyBytes);
        transport->m_sent[index].completion(result);
        Pump();
    }
};

// The colour at the centre of an image-list image, drawn on white.
inline COLORREF CentreColour(HIMAGELIST list, int index)
{
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list, &cx, &cy);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, cx, cy);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT rc = {0, 0, cx, cy};
    FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(list, index, dc, 0, 0, ILD_NORMAL);
    COLORREF colour = GetPixel(dc, cx / 2, cy / 2);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return colour;
}

// A reply of the server: HTTP 200, Content-Type application/xml and a result document.
inline std::wstring XmlHeaders(const std::wstring& extra = L"")
{
    return L"HTTP/1.1 200 OK\r\nContent-Type: application/xml\r\n" + extra + L"\r\n";
}

inline std::string Doc(const std::string& inner)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<result>" + inner + "</result>\n";
}

// Queues a reply for route as the server client would, and pumps.
inline void Deliver(TestApp& t, const RequestRoute& route, const std::wstring& path, const std::wstring& headers,
                    const std::string& body, __int64 transportError = 0)
{
    DB::DBEvent event;
    CTByteArray headerBytes = Utf16Bytes(headers), bodyBytes = Bytes(body);
    event.SwapBytes(::DBEvent::KeyHeaders, headerBytes);
    event.SwapBytes(::DBEvent::KeyBody, bodyBytes);
    CDataString routeRecord;
    WriteRoute(routeRecord, route);
    event.SwapBytes(::DBEvent::KeyRoute, routeRecord);
    event.SetText(::DBEvent::KeyPath, CTString(path.c_str()));
    CHTTP response;
    CTByteArray raw = Utf16Bytes(headers);
    response.Assign(raw);
    response.Parse();
    if (transportError)
        event.SetInt64(::DBEvent::KeyTransportError, static_cast<unsigned __int64>(transportError));
    event.SetInt64(::DBEvent::KeyResult, response.GetStatusClass() == 2 ? 0 : 5007);
    t.app->on_connection_recv(event);
    t.Pump();
}

inline RequestRoute Route(int type, int requestId, bool silent = false, __int64 param2 = 0)
{
    RequestRoute route;
    route.targetType = type;
    route.requestId = requestId;
    route.silent = silent;
    route.param2 = param2;
    return route;
}

} // namespace apptest
