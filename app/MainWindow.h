#pragma once
// The main window (window type 0xffff), kept minimal here: a top-level frame that remembers which
// console it shows, hands replies to the current console, signs out on request and deletes closed
// windows when the server client is idle. The full window with its panes replaces it.
#include <windows.h>
#include <vector>
#include "foundation/CTString.h"
#include "framework/CTWnd2.h"
#include "framework/CWindowManager.h"
#include <map>
#include "session/Object.h"
#include "session/RequestResult.h"

class App;

class MainWindow : public CTWnd2, public CWindowManager::CWindow {
public:
    static constexpr const wchar_t* kClassName = L"TavikQELConsole";
    enum : UINT { kMsgDeleteClosed = 1057 };

    // What the window was told, in order; the shown console and its key.
    struct Notice {
        int requestId = 0;
        int consoleType = 0;
        int returnCode = 0;
        int resultCode = 0;
        int kind = 0;
    };

    App* m_app = nullptr;
    int m_console = 0;          // the console type shown
    UINT64 m_consoleKey = 0;
    std::vector<Notice> m_notices;
    Object m_logonUser;                     // the signed-in administrator
    std::map<__int64, Object> m_types;      // object-type definitions by type number

    MainWindow();
    ~MainWindow() override;

    bool Open() override;
    void Close() override;
    void Activate() override { BringToFront(); }
    void Notify(void* param) override;

    bool ShowConsole(int consoleType, UINT64 key, bool noHistory);
    bool CloseConsole(int consoleType, UINT64 key);

    Object GetLogonUser() const { return m_logonUser; }
    // The object-type definition with that number, else an empty object.
    Object& GetTypeById(Object& out, __int64 type) const;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
