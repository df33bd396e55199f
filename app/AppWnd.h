#pragma once
// The application's hidden message window (class "QELCONSOLE"): message 1056 runs the reply pump.
#include <windows.h>
#include "framework/CTWnd2.h"

class App;

class AppWnd : public CTWnd2 {
public:
    static constexpr const wchar_t* kClassName = L"QELCONSOLE";

    App* m_app = nullptr;

    bool Create(App* app);
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
