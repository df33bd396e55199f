#include "app/DlgAdmin.h"

#include "app/App.h"
#include "app/HeadingMarkup.h"
#include "app/MainWindow.h"
#include "foundation/CAttributes.h"
#include "foundation/CTTime.h"
#include "framework/CTApp.h"
#include "session/FormHelpers.h"
#include "session/RequestResult.h"

namespace {

HMODULE PaneModule()
{
    HMODULE module = CTApp::Instance()->FindResourceModule(RT_DIALOG, MAKEINTRESOURCEW(DlgAdmin::kTemplate));
    return module ? module : GetModuleHandleW(nullptr);
}

// Never null: an absent or empty attribute gives "".
CTString AttributeText(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    CTString text(value.GetText());
    if (!text.GetBuffer())
        text.AssignText(L"");
    return text;
}

} // namespace

DlgAdmin::DlgAdmin()
{
    CTWndHeader::RegisterClass(PaneModule());
}

DlgAdmin::~DlgAdmin()
{
    CTWnd2::Destroy();
}

RequestRoute DlgAdmin::Route(int request, bool silent) const
{
    return RequestRoute{MainWindow::kWindowType, 0, kConsoleType, m_key, request, 0, silent};
}

bool DlgAdmin::Create()
{
    return CreateDialogFromResource(PaneModule(), MAKEINTRESOURCEW(kTemplate), GetOwnerHwnd());
}

void DlgAdmin::Destroy()
{
    CTWnd2::Destroy();
}

void DlgAdmin::OnInitDialog()
{
    CTWndSize::Init(m_hWnd, false, 100, 100, false);
    AddItem(GetDlgItem(m_hWnd, kIdHeader), 8);
    AddItem(GetDlgItem(m_hWnd, kIdEdit), 9);
    if (m_header.Attach(m_hWnd, kIdHeader)) {
        m_header.ApplyStyle();
        m_header.SetMarkupMode();
        ApplyHeaderColours(m_header);
    }
    m_edit.ClearStyle(4);
    m_edit.m_linkStyle |= CTHyperLink::CommandOnly;
    m_edit.AttachDlgItem(m_hWnd, kIdEdit);
    Refresh();
}

void DlgAdmin::Refresh()
{
    m_refreshPending = !m_visible;
    if (m_refreshPending)
        return;
    m_object.id = m_key;
    if (App* app = GetApp()) {
        app->IDToPath(m_key, Route(kReqPath, false));
        app->m_db.ObjGet(static_cast<unsigned>(m_key), false, false, Route(kReqObject, true));
    }
    bool superUser = m_owner && m_owner->m_cache.administrator.GetPrivilege(CTString(L"SuperUser"));
    ::ShowWindow(GetDlgItem(m_hWnd, kIdEdit), superUser ? SW_SHOW : SW_HIDE);
}

void DlgAdmin::SetHeading()
{
    m_header.SetText(BuildObjectHeadingMarkup(m_object, CTString(L"display_name"), true, false));
}

void DlgAdmin::UpdateIcon()
{
    App* app = GetApp();
    if (!app)
        return;
    CTString name = AttributeText(m_object, L"tree_image");
    RequestRoute route = Route(kReqIcon, false);
    if (HICON icon = app->GetIcon(1, name, route)) {
        m_header.SetIcon(icon);   // keeps a copy of its own
        DestroyIcon(icon);
    }
}

void DlgAdmin::OnReply(RequestResult& result)
{
    switch (result.route.requestId) {
    case kReqObject:
        if (result.resultCode != 0 || result.returnCode != 0)
            ReportObjectGone(result.statusText);
        else
            Fill(result.document);
        break;
    case kReqPath: {
        if (result.returnCode != 0)
            break;
        TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
        TiXmlElement* parameters = root ? root->FirstChildElementNamed(L"parameters") : nullptr;
        int id = 0;
        if (parameters)
            parameters->GetAttributeInt(L"ID", &id);
        if (id == 0)
            break;
        TiXmlElement* value = root->FirstChildElementNamed(L"value");
        if (value) {
            const wchar_t* path = value->GetAttribute(L"path");
            m_object.path.AssignText(path ? path : L"");
        }
        SetHeading();
        UpdateIcon();
        break;
    }
    case kReqIcon:
        UpdateIcon();
        if (m_header.m_hWnd)
            InvalidateRect(m_header.m_hWnd, nullptr, TRUE);
        break;
    default:
        break;
    }
}

void DlgAdmin::Fill(TiXmlDocument& document)
{
    TiXmlElement* root = document.FirstChildElementNamed(L"result");
    if (!root)
        return;
    TiXmlElement* parameters = root->FirstChildElementNamed(L"parameters");
    int id = 0;
    if (parameters)
        parameters->GetAttributeInt(L"ID", &id);
    if (id != m_key)
        return;
    TiXmlElement* element = root->FirstChildElementNamed(L"object");
    if (!element)
        return;
    CTString path = m_object.path;
    m_object.ReadFromXml(element, true);
    m_object.path = path;
    SetHeading();
    SetItemText(kIdName, m_object.name.GetBuffer() ? m_object.name.GetBuffer() : L"");
    SetItemText(kIdEmail, AttributeText(m_object, L"email_address").GetBuffer());
    SetItemText(kIdPhone, AttributeText(m_object, L"primary_telephone").GetBuffer());
    QueryLastLogon();
    UpdateIcon();
}

void DlgAdmin::QueryLastLogon()
{
    App* app = GetApp();
    if (!app)
        return;
    __int64 position = 0;
    if (m_owner) {
        Object logon;
        m_owner->GetTypeByName(logon, CTString(L"Logon"));
        if (!logon.FindAllowedValueIndex(CTString(L"logon_event"), CTString(L"logon"), position))
            position = 0;
    }
    CTString filter;
    filter.Format(L"link_user=%d|logon_event=%d", static_cast<int>(m_object.id), static_cast<int>(position));
    CAttributes form;
    form.SetText(CTString(L"TYPE"), CTString(L"Logon"));
    form.SetText(CTString(L"RETURNTYPE"), CTString(L"OBJECT"));
    form.SetText(CTString(L"ATTRIBS"), filter);
    form.SetNumber(CTString(L"LIMIT"), 1);
    // The card may be gone when the reply comes: it is found again by its key.
    MainWindow* owner = m_owner;
    __int64 key = m_key;
    app->m_db.Post(CTString(L"api/api_qelEventQuery.php"), form, [owner, key](DB::DBEvent& reply) {
        if (!owner)
            return;
        if (auto* card = static_cast<DlgAdmin*>(owner->FindConsole(kConsoleType, key)))
            card->OnLastLogon(reply);
    });
}

void DlgAdmin::OnLastLogon(DB::DBEvent& reply)
{
    TiXmlDocument doc;
    if (reply.ReadXmlReply(doc) != 2)
        return;
    TiXmlElement* root = doc.FirstChildElementNamed(L"result");
    TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr;
    if (!element)
        return;
    Object event;
    event.ReadFromXml(element, true);
    CTString text;
    int32_t created = static_cast<int32_t>(event.created.GetValue());
    if (created != 0) {
        FormatUnixDateTime(&created, text, false);
    } else {
        CTApp* ctApp = CTApp::Instance();
        text.LoadString(147, ctApp->FindResourceModule(RT_STRING, MAKEINTRESOURCEW(147)));
    }
    SetItemText(kIdLastLogon, text.GetBuffer() ? text.GetBuffer() : L"");
}

bool DlgAdmin::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    switch (LOWORD(wParam)) {
    case 8:
        Close();
        return true;
    case kIdEdit:
        if (HIWORD(wParam) == 0) {
            if (App* app = GetApp())
                app->m_windows.OpenWindow(kAdministratorForm, static_cast<UINT64>(m_key),
                                          reinterpret_cast<INT_PTR>(m_hWnd));
        }
        return true;
    default:
        return false;
    }
}

bool DlgAdmin::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = TRUE;
        return true;
    case WM_WINDOWPOSCHANGING:
        if (TrackVisibility(*reinterpret_cast<WINDOWPOS*>(lParam)) == Shown && m_refreshPending)
            Refresh();
        break;
    case WM_CTLCOLORSTATIC:
        if (m_edit.m_hWnd && reinterpret_cast<HWND>(lParam) == m_edit.m_hWnd) {
            *result = reinterpret_cast<LRESULT>(m_edit.OnCtlColor(reinterpret_cast<HDC>(wParam)));
            return true;
        }
        break;
    default:
        break;
    }
    if (handled)
        return true;
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}
