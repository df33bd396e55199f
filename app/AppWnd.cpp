#include "app/AppWnd.h"
#include "app/App.h"

bool AppWnd::Create(App* app)
{
    m_app = app;
    // Never shown: it only receives the pump's message.
    return CTWnd2::Create(kClassName, true, nullptr, 0, 0, GetModuleHandleW(nullptr), nullptr);
}

bool AppWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case App::kMsgResultsQueued:
        if (m_app)
            m_app->ProcessResults();
        *result = 0;
        return true;
    case App::kMsgNoop:
        *result = 0;
        return true;
    }
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}
