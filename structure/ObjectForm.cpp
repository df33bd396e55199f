#include "structure/ObjectForm.h"

#include "app/App.h"
#include "foundation/TiXmlElement.h"
#include "framework/CTApp.h"
#include "session/FormHelpers.h"

App* ObjectForm::GetApp() { return App::Instance(); }

void ObjectForm::SetFormLayout(const wchar_t* placementName, int minHeight)
{
    m_templateId = 170;
    m_headerId = 105;
    m_tabId = 1187;
    m_confirmCloseId = 112;
    m_minWidth = 425;
    m_minHeight = minHeight;
    m_placementName = placementName;
}

bool ObjectForm::Open()
{
    if (!IsWindow() && !OpenWindow()) return false;
    return Load(m_key);
}

bool ObjectForm::CreateFormWindow(const wchar_t* placementName)
{
    if (!Create(nullptr, IconModule(2), 2, placementName)) return false;
    ApplyHeaderColours(m_header);
    m_header.Invalidate(true);
    m_pages.DeleteAll();
    return true;
}

bool ObjectForm::RequestObject()
{
    m_object.Clear();
    m_object.id = static_cast<__int64>(m_key);
    App* app = GetApp();
    if (!app) return false;
    app->m_db.ObjGet(static_cast<unsigned>(m_key), false, false, MakeRoute(kReqObject));
    return true;
}

bool ObjectForm::SavePagesAndChanges()
{
    if (!m_modified) return true;
    bool accepted = SavePages();
    SendChanges(CAttributes());
    return accepted;
}

HINSTANCE ObjectForm::IconModule(UINT id)
{
    CTApp* app = CTApp::Instance();
    if (app && app->GetLanguageModule() && FindResourceW(app->GetLanguageModule(), MAKEINTRESOURCEW(id), RT_GROUP_ICON))
        return app->GetLanguageModule();
    return app && app->GetModule() ? app->GetModule() : GetModuleHandleW(nullptr);
}

RequestRoute ObjectForm::MakeRoute(int requestId, __int64 param2) const
{
    RequestRoute route;
    route.targetType = m_type;
    route.targetKey = m_key;
    route.requestId = requestId;
    route.param2 = param2;
    return route;
}

bool ObjectForm::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_INITDIALOG && m_readOnly) {
        // Requests were pending before the window existed: the new window starts read-only too.
        if (HWND ok = GetDlgItem(m_hWnd, IDOK)) EnableWindow(ok, FALSE);
        if (HWND apply = GetDlgItem(m_hWnd, kApplyId)) EnableWindow(apply, FALSE);
        UpdatePages();
    }
    return CWMForm::OnMessage(msg, wParam, lParam, result);
}

void ObjectForm::OnOK()
{
    if (Save()) Destroy();
}

void ObjectForm::OnDestroy()
{
    if (!m_savePending) {
        CWMForm::OnDestroy();
        return;
    }
    // As the base, but the entry stays registered for the save reply.
    m_pagesReady = false;
    m_tab.Destroy();
    for (auto* item = m_pages.GetHead(); item; item = item->GetNext())
        static_cast<CWindowManager::CWMFormPage*>(item)->Destroy();
    SavePlacement(m_placementName.GetBuffer());
}

void ObjectForm::Activate()
{
    if (IsWindow()) BringToFront();
    else Open();
}

void ObjectForm::Close()
{
    m_savePending = false;
    CWMForm::Close();
}

void ObjectForm::TakeTreeImageIcon()
{
    App* app = GetApp();
    CAttribute image;
    m_object.GetAttribute(image, CTString(L"tree_image"));
    HICON icon = app ? app->GetIcon(1, image.GetString(), MakeRoute(kReqIcon)) : nullptr;
    if (!icon) return;
    m_icon.Attach(icon);
    if (!m_hWnd) return;
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon.GetHandle()));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon.GetHandle()));
    if (m_header.m_hWnd) {
        m_header.SetIcon(m_icon.GetHandle());
        m_header.Invalidate(true);
    }
}

CTString ObjectForm::BuildSubtitle(const Object& object)
{
    CTString text;
    text.Format(L"ID: %d ", static_cast<int>(object.id));
    text.AppendText(L" Created: ");
    text.AppendText(object.created.GetText());
    text.AppendText(L" Updated: ");
    text.AppendText(object.updated.GetText());
    return text;
}

void ObjectForm::SendChanges(const CAttributes& privileges)
{
    CAttributes changes;
    m_object.ApplyConsoleDisplayName();
    m_object.CollectChanges(changes, true);
    App* app = GetApp();
    if (!app) return;
    app->m_db.ObjSet(static_cast<unsigned>(m_object.id), static_cast<unsigned>(m_object.serial), CTString(m_object.name),
                     changes, privileges, MakeRoute(kReqSave));
    m_savePending = true;
}

void ObjectForm::OnSaveAccepted()
{
    m_savePending = false;
    if (App* app = GetApp()) {
        for (int console : m_noticeConsoles) {
            RequestResult notice;
            notice.route.targetType = kMainWindowType;
            notice.route.consoleType = console;
            notice.route.requestId = kNoticeChanged;
            notice.route.param2 = m_object.id ? m_object.id : static_cast<__int64>(m_key);
            notice.kind = 6;
            app->m_windows.NotifyWindows(kMainWindowType, 0, &notice);
        }
    }
    if (!IsWindow()) Unregister();
}

TiXmlElement* ObjectForm::ReplyElement(const RequestResult& reply, const wchar_t* name)
{
    TiXmlElement* root = const_cast<TiXmlDocument&>(reply.document).FirstChildElementNamed(L"result");
    return root ? root->FirstChildElementNamed(name) : nullptr;
}

__int64 ObjectForm::ReplyId(const RequestResult& reply)
{
    TiXmlElement* parameters = ReplyElement(reply, L"parameters");
    if (!parameters) return 0;
    return ReadDecimal64(parameters->GetAttribute(L"ID"));
}
