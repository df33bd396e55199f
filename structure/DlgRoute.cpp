#include "structure/DlgRoute.h"

#include "app/App.h"
#include "foundation/TiXmlElement.h"
#include "session/FormHelpers.h"

DlgRoute::DlgRoute()
{
    SetFormLayout(L"DlgRoute", 425);
    m_noticeConsoles = {kTransferConsole};
}

bool DlgRoute::OpenWindow()
{
    if (!CreateFormWindow(L"DlgRoute")) return false;
    m_general = new CGeneralPage(this);
    AddPage(m_general);
    ShowPages();
    return true;
}

bool DlgRoute::Load(UINT64) { return RequestObject(); }

void DlgRoute::RefreshHeader()
{
    if (!IsWindow()) return;
    TakeTreeImageIcon();
    const wchar_t* name = m_object.name.GetBuffer() ? m_object.name.GetBuffer() : L"";
    m_header.SetText(CTString(name));
    m_header.SetSubtitle(BuildSubtitle(m_object));
    ::SetWindowTextW(m_hWnd, name);
    LoadPages();
    // Either path may come from the cache inside the call.
    if (App* app = GetApp()) {
        CAttribute destination;
        m_object.GetAttribute(destination, CTString(L"link_asset_location"));
        app->IDToPath(m_object.parent, MakeRoute(kReqPath, kFromPath));
        app->IDToPath(destination.GetValue(), MakeRoute(kReqPath, kToPath));
    }
    SetModified(m_key == 0);
}

bool DlgRoute::Save() { return SavePagesAndChanges(); }

void DlgRoute::OnRouteReply(RequestResult& reply)
{
    if (ReplyId(reply) != m_object.id || m_object.id == 0) return;
    TiXmlElement* object = ReplyElement(reply, L"object");
    if (reply.route.requestId == kReqSave && !object) return;
    m_object.Clear();
    m_object.ReadFromXml(object, true);
    m_object.id = static_cast<__int64>(m_key);
    RefreshHeader();
}

void DlgRoute::Notify(void* param)
{
    auto* reply = static_cast<RequestResult*>(param);
    if (!reply) return;
    switch (reply->route.requestId) {
    case kReqBusy:
        SetReadOnly(reply->returnCode != 0);
        break;
    case kReqIcon:
        if (IsWindow()) TakeTreeImageIcon();
        break;
    case kReqPath: {
        const __int64 second = reply->route.param2;
        TiXmlElement* value = ReplyElement(*reply, L"value");
        if (reply->returnCode != 0 || !value || !m_general || !m_general->m_hWnd) break;
        if (second != kFromPath && second != kToPath) break;
        const wchar_t* path = value->GetAttribute(L"path");
        SetDlgItemTextW(m_general->m_hWnd, second == kFromPath ? CGeneralPage::kFrom : CGeneralPage::kTo,
                        path ? path : L"");
        break;
    }
    case kReqSave:
        if (!Succeeded(*reply)) break;
        OnRouteReply(*reply);
        OnSaveAccepted();
        break;
    case kReqObject:
        if (Succeeded(*reply)) OnRouteReply(*reply);
        break;
    default:
        break;
    }
}

// ---- page --------------------------------------------------------------------------------------

DlgRoute::CGeneralPage::CGeneralPage(DlgRoute* form) : m_route(form) { m_title = L"General"; }

bool DlgRoute::CGeneralPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result)) return true;
    if (msg != WM_INITDIALOG) return false;
    Init(m_hWnd, false, 300, 150, false);
    AddItem(GetDlgItem(m_hWnd, kFrom), RightToRight);
    AddItem(GetDlgItem(m_hWnd, kTo), RightToRight);
    *result = TRUE;
    return true;
}

bool DlgRoute::CGeneralPage::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    const int id = LOWORD(wParam);
    if (id != kEnabled && id != kDefault) return false;
    const int code = HIWORD(wParam);
    if (code == 0 || code == 1 || code == 768) m_form->SetModified(true);
    *result = 0;
    return true;
}

bool DlgRoute::CGeneralPage::Load()
{
    if (!m_hWnd) return true;
    for (auto [id, name] : {std::pair<int, const wchar_t*>{kEnabled, L"enable"}, {kDefault, L"default"}}) {
        CAttribute value;
        m_route->m_object.GetAttribute(value, CTString(name));
        CheckDlgButton(m_hWnd, id, value.GetValue() != 0 ? BST_CHECKED : BST_UNCHECKED);
    }
    return true;
}

bool DlgRoute::CGeneralPage::Save()
{
    if (!m_hWnd) return true;
    for (auto [id, name] : {std::pair<int, const wchar_t*>{kEnabled, L"enable"}, {kDefault, L"default"}})
        m_route->m_object.SetAttribute(CTString(name),
                                       CAttribute(CAttribute::Integer, IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED ? 1 : 0));
    return true;
}
