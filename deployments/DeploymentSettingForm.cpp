#include "deployments/DeploymentSettingForm.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "foundation/TiXmlElement.h"
#include "lists/DlgListTab.h"
#include "lists/ListTabHost.h"
#include "session/FormHelpers.h"

namespace {
int CurrentType(const Object& object, const wchar_t* name, int fallback)
{
    const Object::Attribute* attribute = object.FindAttribute(CTString(name));
    return attribute ? attribute->GetType() : fallback;
}
} // namespace

DeploymentSettingForm::DeploymentSettingForm(int listTabId, const wchar_t* placementName) : m_listTabId(listTabId)
{
    m_templateId = 170;
    m_headerId = 105;
    m_tabId = 1187;
    m_confirmCloseId = 112;
    m_minWidth = 425;
    m_minHeight = 425;
    m_placementName = placementName;
}

bool DeploymentSettingForm::Open()
{
    if (!IsWindow() && !OpenWindow())
        return false;
    return Load(m_key);
}

bool DeploymentSettingForm::OpenWindow()
{
    if (!Create(nullptr, IconModule(2), 2, m_placementName.GetBuffer()))
        return false;
    ApplyHeaderColours(m_header);
    m_header.Invalidate(true);
    m_pages.DeleteAll();
    AddPages();
    ShowPages();
    return true;
}

bool DeploymentSettingForm::Load(UINT64)
{
    App* app = GetApp();
    DlgListTab* tab = app ? ListTabHost::FindSettingsTab(app->m_mainWindow, m_listTabId) : nullptr;
    if (!tab)
        return true;
    m_object.Clear();
    tab->GetRowObject(m_object, static_cast<__int64>(m_key));
    m_object.id = static_cast<__int64>(m_key);
    UpdateHeader();
    app->m_db.ObjGet(static_cast<unsigned>(m_key), false, false, MakeRoute(kReqObject));
    return true;
}

void DeploymentSettingForm::UpdateHeader()
{
    if (!IsWindow())
        return;
    TakeTreeImageIcon();
    const wchar_t* name = m_object.name.GetBuffer() ? m_object.name.GetBuffer() : L"";
    m_header.SetText(CTString(name));
    m_header.SetSubtitle(BuildSubtitle(m_object));
    ::SetWindowTextW(m_hWnd, name);
    LoadPages();
    SetModified(m_key == 0);
}

bool DeploymentSettingForm::Save()
{
    if (!m_modified)
        return true;
    const bool accepted = SavePages();
    SendChanges(CAttributes());
    return accepted;
}

void DeploymentSettingForm::OnOK()
{
    if (!m_modified) {
        Destroy();
        return;
    }
    m_closeAfterSave = true;
    Save();
}

void DeploymentSettingForm::OnObjectReply(RequestResult& reply)
{
    TiXmlElement* object = ReplyElement(reply, L"object");
    if (ReplyId(reply) != m_object.id || m_object.id == 0 || !object)
        return;
    m_object.Clear();
    m_object.ReadFromXml(object, true);
    UpdateHeader();
}

void DeploymentSettingForm::Notify(void* param)
{
    auto* reply = static_cast<RequestResult*>(param);
    if (!reply)
        return;
    switch (reply->route.requestId) {
    case kReqBusy:
        SetReadOnly(reply->returnCode != 0);
        break;
    case kReqIcon:
        if (IsWindow())
            TakeTreeImageIcon();
        break;
    case kReqSave: {
        if (!Succeeded(*reply) || ReplyId(*reply) != m_object.id)
            break;
        OnObjectReply(*reply);
        // The settings list shows the saved object at once.
        if (App* app = GetApp()) {
            RequestResult notice;
            notice.route.targetType = kMainWindowType;
            notice.route.consoleType = kSettingsConsole;
            notice.route.consoleKey = m_listTabId;
            notice.route.requestId = kReqNotice;
            notice.attached = &m_object;
            app->m_windows.NotifyWindows(kMainWindowType, 0, &notice);
        }
        OnSaveAccepted();
        if (m_closeAfterSave && IsWindow()) {
            m_closeAfterSave = false;
            Destroy();
        }
        break;
    }
    case kReqObject:
        if (Succeeded(*reply))
            OnObjectReply(*reply);
        break;
    default:
        break;
    }
}

void DeploymentSettingForm::StoreText(Object& object, const wchar_t* name, HWND dialog, int id)
{
    CTString text;
    GetWindowTextString(GetDlgItem(dialog, id), text);
    object.SetAttribute(CTString(name), CAttribute(CurrentType(object, name, CAttribute::Text), text.GetBuffer()));
}

void DeploymentSettingForm::StoreNumber(Object& object, const wchar_t* name, __int64 value)
{
    int type = CurrentType(object, name, CAttribute::Integer);
    if (CAttribute::IsTextType(type))
        type = CAttribute::Integer;
    object.SetAttribute(CTString(name), CAttribute(type, value));
}

void DeploymentSettingForm::StoreNumber(Object& object, const wchar_t* name, HWND dialog, int id)
{
    CTString text;
    GetWindowTextString(GetDlgItem(dialog, id), text);
    StoreNumber(object, name, text.GetBuffer() ? _wtoi64(text.GetBuffer()) : 0);
}

void DeploymentSettingForm::ShowText(const Object& object, const wchar_t* name, HWND dialog, int id)
{
    CTString text;
    if (const Object::Attribute* attribute = object.FindAttribute(CTString(name))) {
        if (CAttribute::IsTextType(attribute->GetType()))
            text = attribute->GetText();
        else
            text.Format(L"%I64d", attribute->GetValue());
    }
    SetDlgItemTextW(dialog, id, text.GetBuffer() ? text.GetBuffer() : L"");
}
