#include "structure/ObjectPane.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "framework/CTApp.h"
#include "session/FormHelpers.h"

ObjectPane::ObjectPane(UINT templateId, int consoleType) : m_templateId(templateId), m_consoleType(consoleType)
{
    CTWndHeader::RegisterClass(TemplateModule());
}

ObjectPane::~ObjectPane() { CTWnd2::Destroy(); }

HMODULE ObjectPane::TemplateModule() const
{
    CTApp* app = CTApp::Instance();
    HMODULE module = app ? app->FindResourceModule(RT_DIALOG, MAKEINTRESOURCEW(m_templateId)) : nullptr;
    return module ? module : GetModuleHandleW(nullptr);
}

bool ObjectPane::Create()
{
    if (!CreateDialogFromResource(TemplateModule(), MAKEINTRESOURCEW(m_templateId), GetOwnerHwnd())) return false;
    ::ShowWindow(m_hWnd, SW_SHOW);
    return true;
}

void ObjectPane::Destroy() { CTWnd2::Destroy(); }

void ObjectPane::Refresh()
{
    if (!m_visible) {
        m_refreshPending = true;
        return;
    }
    m_refreshPending = false;
    SendRequests();
}

RequestRoute ObjectPane::Route(int requestId, __int64 param2) const
{
    RequestRoute route;
    if (m_owner) {
        route = m_owner->GetPaneKey(const_cast<ObjectPane*>(this));
    } else {
        route.targetType = kMainWindowType;
        route.consoleType = m_consoleType;
        route.consoleKey = m_key;
    }
    route.requestId = requestId;
    route.param2 = param2;
    route.silent = requestId == kReqObject;
    return route;
}

MainWindow* ObjectPane::Main() const
{
    if (m_owner) return m_owner;
    App* app = GetApp();
    return app ? app->m_mainWindow : nullptr;
}

void ObjectPane::AttachHeader(int id)
{
    AddItem(GetDlgItem(m_hWnd, id), RightToRight);
    if (!m_header.Attach(m_hWnd, id)) return;
    m_header.SetMarkupMode();
    ApplyHeaderColours(m_header);
}

void ObjectPane::TakeHeadingIcon(const Object& object)
{
    App* app = GetApp();
    if (!app || !m_header.m_hWnd) return;
    CAttribute image;
    object.GetAttribute(image, CTString(L"tree_image"));
    HICON icon = app->GetIcon(1, image.GetString(), Route(kReqIcon, 0));
    if (!icon) return;
    m_header.SetIcon(icon);
    m_header.Invalidate(true);
    DestroyIcon(icon);
}

void ObjectPane::OnWindowPosChanging(LPARAM lParam)
{
    if (lParam && TrackVisibility(*reinterpret_cast<WINDOWPOS*>(lParam)) == Shown && m_refreshPending) Refresh();
}
