#include "structure/DlgOU.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/MainWindow.h"
#include "session/FormHelpers.h"
#include "structure/DlgOUAssetLocationPage.h"
#include "structure/DlgOUDeployablePage.h"
#include "structure/DlgOUSecurityPage.h"
#include "structure/DlgOUGeneralPage.h"
#include "structure/DlgOUSitePage.h"
#include "structure/DlgOUDefaultsPage.h"
#include "structure/DlgOUSurveyPage.h"

namespace {

// The id of the type with exactly this name in the main window's list of types; 0 when unknown.
__int64 ExactTypeId(const MainWindow* main, const wchar_t* name)
{
    if (!main) return 0;
    for (const Object& type : main->m_cache.types)
        if (type.name.GetBuffer() && wcscmp(type.name.GetBuffer(), name) == 0) return type.type;
    return 0;
}

} // namespace

DlgOU::DlgOU()
{
    SetFormLayout(L"DlgOU", 600);
    m_noticeConsoles = {kStructureConsole, kTransferConsole};
}

bool DlgOU::OpenWindow()
{
    if (!CreateFormWindow(L"DlgOU")) return false;
    m_general = new CGeneralPage(this);
    m_defaults = new CDefaultsPage(this);
    m_deployable = new CDeployablePage(this);
    m_site = new CSitePage(this);
    m_survey = new CSurveyPage(this);
    m_assetLocation = new CAssetLocationPage(this);
    m_security = new CSecurityPage(this);
    for (CWindowManager::CWMFormPage* page : {static_cast<CWindowManager::CWMFormPage*>(m_general),
                                              static_cast<CWindowManager::CWMFormPage*>(m_defaults),
                                              static_cast<CWindowManager::CWMFormPage*>(m_deployable),
                                              static_cast<CWindowManager::CWMFormPage*>(m_site),
                                              static_cast<CWindowManager::CWMFormPage*>(m_survey),
                                              static_cast<CWindowManager::CWMFormPage*>(m_assetLocation),
                                              static_cast<CWindowManager::CWMFormPage*>(m_security)})
        AddPage(page);
    ShowPages();
    return true;
}

bool DlgOU::Load(UINT64)
{
    // The id is set before the requests: the path cache may answer inside IDToPath.
    m_object.Clear();
    m_object.id = static_cast<__int64>(m_key);
    App* app = GetApp();
    if (!app) return false;
    app->m_db.ObjGet(static_cast<unsigned>(m_key), false, false, MakeRoute(kReqObject));
    app->IDToPath(static_cast<__int64>(m_key), MakeRoute(kReqPath));
    return true;
}

void DlgOU::SetPageFlags()
{
    App* app = GetApp();
    const MainWindow* main = app ? app->m_mainWindow : nullptr;
    const __int64 assetLocation = ExactTypeId(main, L"Asset Location");
    const __int64 site = ExactTypeId(main, L"Site");
    const __int64 orderFolder = main ? main->GetTypeId(CTString(L"Order Folder")) : 0;
    const __int64 type = m_object.type;
    const bool isAssetLocation = assetLocation != 0 && type == assetLocation;
    const bool isSite = site != 0 && type == site;
    const bool isOrderFolder = orderFolder != 0 && type == orderFolder;
    const bool plain = !isAssetLocation && !isSite && !isOrderFolder;
    m_defaults->m_enabled = plain;
    m_deployable->m_enabled = plain;
    m_site->m_enabled = isSite;
    m_survey->m_enabled = isSite;
    m_assetLocation->m_enabled = isAssetLocation;
}

void DlgOU::RefreshHeader()
{
    if (!IsWindow()) return;
    TakeTreeImageIcon();
    m_header.SetSubtitle(BuildSubtitle(m_object));
    ::SetWindowTextW(m_hWnd, m_object.name.GetBuffer() ? m_object.name.GetBuffer() : L"");
    SetPageFlags();
    RefreshPages();
    LoadPages();
    SetModified(m_key == 0);
}

bool DlgOU::Save()
{
    if (!m_modified) return true;
    // A page that refuses stops the pages after it but not the request.
    bool accepted = SavePages();
    CAttributes privileges;
    m_object.CollectPrivilegeChanges(privileges);
    SendChanges(privileges);
    return accepted;
}

void DlgOU::RequestLanguages()
{
    if (m_languagesRequested) return;
    m_languagesRequested = true;
    if (App* app = GetApp()) app->m_db.QelLangSearch(CTString(), MakeRoute(kReqLanguages));
}

void DlgOU::OnPathReply(RequestResult& reply)
{
    __int64 id = ReplyId(reply);
    TiXmlElement* value = ReplyElement(reply, L"value");
    if (id == 0 || id != m_object.id || !value || !m_header.m_hWnd) return;
    const wchar_t* path = value->GetAttribute(L"path");
    m_header.SetText(CTString(path ? path : L""));
    if (m_icon.IsValid()) m_header.SetIcon(m_icon.GetHandle());
}

void DlgOU::OnObjectReply(RequestResult& reply)
{
    if (ReplyId(reply) != m_object.id) return;
    m_object.Clear();
    m_object.ReadFromXml(ReplyElement(reply, L"object"), true);
    m_object.id = static_cast<__int64>(m_key);
    RefreshHeader();
}

void DlgOU::OnSaveReply(RequestResult& reply)
{
    TiXmlElement* object = ReplyElement(reply, L"object");
    if (ReplyId(reply) == m_object.id && m_object.id != 0) {
        if (object) m_object.ReadFromXml(object, false);
        RefreshHeader();
    }
    SetModified(false);
    OnSaveAccepted();
}

void DlgOU::Notify(void* param)
{
    auto* reply = static_cast<RequestResult*>(param);
    if (!reply) return;
    if (m_defaults) m_defaults->OnReply(*reply);
    const __int64 second = reply->route.param2;
    switch (reply->route.requestId) {
    case kReqBusy:
        SetReadOnly(reply->returnCode != 0);
        break;
    case kReqIcon:
        // The form icon may be the one that arrived.
        if (IsWindow()) TakeTreeImageIcon();
        if (m_deployable) m_deployable->OnReply(*reply);
        if (m_security) m_security->OnResult(*reply);
        break;
    case kReqPath:
        if (reply->returnCode == 0 && second != 6 && second != 13) OnPathReply(*reply);
        if (second == CSecurityPage::kPathTag && m_security) m_security->OnResult(*reply);
        break;
    case kReqNames:
        if (m_survey) m_survey->OnResult(*reply);
        break;
    case kReqCreate:
    case kReqDelete:
        if (second == CSurveyPage::kTag && m_survey) m_survey->OnResult(*reply);
        break;
    case kReqSearch:
        if (second == CSurveyPage::kTag && m_survey) m_survey->OnResult(*reply);
        else if (second == CAssetLocationPage::kSearchTag && m_assetLocation) m_assetLocation->OnResult(*reply);
        else if (second == CDeployablePage::kSearchTag && m_deployable) m_deployable->OnReply(*reply);
        break;
    case kReqSave:
        if (Succeeded(*reply)) OnSaveReply(*reply);
        break;
    case kReqObject:
        if (second >= 1 && second <= 5) {
            if (m_general) m_general->OnLinkReply(*reply);
        } else if (second == CAssetLocationPage::kAdministratorTag) {
            if (m_assetLocation) m_assetLocation->OnResult(*reply);
        } else if (second == CSurveyPage::kPersonTag) {
            if (m_survey) m_survey->OnResult(*reply);
        } else if (second == 6 || second == 11 || second == 12) {
            // Replies of pages other modules fill.
        } else {
            OnObjectReply(*reply);
        }
        break;
    case kReqLanguages:
        if (Succeeded(*reply) && m_general) m_general->AddSurveyChoices(reply->document);
        if (Succeeded(*reply) && m_survey) m_survey->FillFromReply(reply->document);
        break;
    case kReqChoices:
        if (m_general) m_general->RefillChoices(second);
        break;
    default:
        break;
    }
}

bool DlgOU::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_WINDOWPOSCHANGING && m_general && m_general->IsWindow() && ::IsWindowVisible(m_general->m_hWnd)) {
        auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (pos && (pos->flags & SWP_HIDEWINDOW)) m_general->CloseDropDown();
    }
    return ObjectForm::OnMessage(msg, wParam, lParam, result);
}
