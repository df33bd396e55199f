// The window factory (the catalogue's window types, placeholders for the rest) and the window-event
// callback the application installs in the window manager.
#include "app/App.h"
#include "app/MainWindow.h"
#include "app/PlaceholderWindow.h"
#include "framework/CTWndMessageBox.h"

namespace {

enum : int { Plain = PlaceholderWindow::KindPlain, Form = PlaceholderWindow::KindForm, InPlace = PlaceholderWindow::KindInPlace };

// What each window type nobody registered is built as, a placeholder of its kind; types missing
// here (2, 17 to 24, 48, beyond 54) build nothing.
struct TypeEntry {
    int type;
    int kind;
    bool flagA;
    bool flagB;
    int width;   // forms: default width
};
const TypeEntry kTypes[] = {
    {1, Form, false, false, 425},    // template
    {3, InPlace, false, false, 0},   // pop-up drop-down list
    {4, Form, false, false, 425},    // schedule group
    {5, Form, false, false, 425},    // administrator
    {6, Form, false, false, 600},    // organisational unit
    {7, Plain, false, false, 0},     // import wizard
    {8, Plain, false, false, 0},     // list import wizard
    {9, Plain, false, false, 0},     // user wizard
    {10, Plain, false, false, 0},    // deployment wizard
    {11, Plain, false, false, 0},    // person picker
    {12, Plain, false, false, 0},    // computer picker
    {13, Plain, false, false, 0},    // user picker
    {14, Plain, false, false, 0},    // route picker
    {15, Plain, false, false, 0},    // object picker
    {16, Plain, false, false, 0},    // asset picker
    {25, Plain, true, false, 0},     // user wizard
    {26, Plain, true, false, 0},     // deployment wizard
    {27, Plain, false, true, 0},     // deployment wizard
    {28, Plain, false, false, 0},    // administrator wizard
    {29, Form, false, false, 425},   // route
    {30, Form, false, false, 425},   // computer stock
    {31, Plain, false, false, 0},    // plug-in file open wizard
    {32, Plain, false, false, 0},    // plug-in file save wizard
    {33, Plain, false, false, 0},    // multi-deployment wizard
    {34, Plain, false, false, 0},    // location picker
    {35, Form, false, false, 425},   // template set
    {36, Plain, false, false, 0},    // data import
    {37, Plain, false, false, 0},    // site picker
    {38, Plain, false, true, 0},     // user wizard
    {39, Form, false, false, 425},   // deployment type
    {40, Form, false, false, 425},   // user portal
    {41, Form, false, false, 425},   // staging template
    {42, Plain, false, false, 0},    // staging import wizard
    {43, Form, false, false, 425},   // deployment status
    {44, Plain, false, false, 0},    // order wizard
    {45, Plain, true, false, 0},     // order wizard
    {46, Form, false, false, 425},   // directory synchronisation
    {47, Form, false, false, 425},   // admin portal
    {49, Form, false, false, 425},   // report
    {50, Plain, false, false, 0},    // add deployment slots
    {51, Form, false, false, 425},   // group
    {52, Form, false, false, 425},   // request type
    {53, Plain, false, false, 0},    // access-list picker
    {54, InPlace, false, false, 0},  // requests pop-up
};

// The settings every object form gets from the factory.
constexpr DWORD kFormTemplate = 170;
constexpr DWORD kFormTab = 1187;
constexpr DWORD kFormHeader = 105;
constexpr DWORD kFormConfirmClose = 112;
constexpr int kFormHeight = 425;

} // namespace

CWindowManager::CWindow* App::CreateWindowOfType(void* user, int type, UINT64 key)
{
    if (type == kMainWindowType)
        return new MainWindow();
    if (auto* app = static_cast<App*>(user))
        if (CWindowManager::CWindow* window = app->m_catalogue.MakeWindow(type, key))
            return window;
    for (const TypeEntry& entry : kTypes) {
        if (entry.type != type)
            continue;
        auto* window = new PlaceholderWindow();
        window->m_kind = entry.kind;
        window->m_flagA = entry.flagA;
        window->m_flagB = entry.flagB;
        if (entry.kind == Form) {
            window->m_templateId = kFormTemplate;
            window->m_tabId = kFormTab;
            window->m_headerId = kFormHeader;
            window->m_confirmCloseId = kFormConfirmClose;
            window->m_defaultWidth = entry.width;
            window->m_defaultHeight = kFormHeight;
        }
        if (entry.kind == InPlace)
            window->m_restoreFocus = true;
        return window;
    }
    return nullptr;
}

void App::OnWindowEvent(void* user, CWindowManager::CWindow* window, int code, void* param)
{
    auto* app = static_cast<App*>(user);
    if (!app || !window)
        return;
    switch (code) {
    case CWindowManager::kEventNotify: {
        auto* result = static_cast<RequestResult*>(param);
        if (result && result->route.requestId == kReqObjectSave && result->returnCode == 569) {
            CTWndMessageBox box(app->GetMainHwnd(), GetModuleHandleW(nullptr),
                                L"Error Object Requires Synchronisation - please Refresh", L"Object Save Error", 0,
                                nullptr, nullptr);
            box.Run();
        }
        break;
    }
    case CWindowManager::kEventOpened:
        if (window->m_type == kMainWindowType) {
            app->m_mainWindow = static_cast<MainWindow*>(window);
            app->m_mainHwnd = app->m_mainWindow->m_hWnd;
        }
        break;
    case CWindowManager::kEventClosed: {
        auto* deleteNow = static_cast<BYTE*>(param);
        app->m_dir.UnsubscribeWindow(window->m_type, window->m_key);
        RequestRoute route;
        route.targetType = window->m_type;
        route.targetKey = window->m_key;
        app->m_dir.CancelRequests(route);
        bool idle = app->m_db.GetBusyCount() == 0;
        if (deleteNow)
            *deleteNow = idle ? 1 : 0;
        if (window->m_type == kMainWindowType && static_cast<CWindowManager::CWindow*>(app->m_mainWindow) == window) {
            app->m_mainWindow = nullptr;
            app->m_mainHwnd = nullptr;
            app->CloseAll();
        }
        if (idle && app->m_mainWindow)
            PostMessageW(app->m_mainWindow->m_hWnd, kMsgDeleteClosed, 0, 0);
        break;
    }
    default:
        break;
    }
}
