#include "deployments/DlgDeployment.h"

#include <commctrl.h>
#include <map>
#include "app/App.h"
#include "app/HeadingMarkup.h"
#include "app/MainWindow.h"
#include "deployments/DeploymentLinks.h"
#include "deployments/DlgDeploymentPages.h"
#include "foundation/CTTime.h"
#include "foundation/TiXmlElement.h"
#include "session/DeploymentWorkflow.h"
#include "session/FormHelpers.h"
#include "session/ObjectBranch.h"
#include "session/RequestResult.h"

void DlgDeployment::Reload()
{
    EnableItem(kIdNotes, true);
    EnableItem(kIdSave, false);
    EnableItem(kIdCancel, false);
    m_modified = false;
    const __int64 previousParent = GetSlot(SlotDeployment).parent;
    m_objects.clear();
    App* app = GetApp();
    if (!app || m_key == 0)
        return;
    app->m_dir.RequestObject(m_key, Dir::WithChildren | Dir::WithParents, Route(0),
                             [this, previousParent] { OnDeploymentLoaded(previousParent); }, nullptr);
}

void DlgDeployment::SetHeading(const CTString& title, const CTString& subtitle)
{
    CTString markup;
    AppendHeadingMarkup(title, subtitle, markup);
    m_header.SetText(markup);
}

void DlgDeployment::UpdateHeaderIcon()
{
    App* app = GetApp();
    if (!app || !m_header.m_hWnd)
        return;
    CTString name = AttributeText(GetSlot(SlotDeployment), L"tree_image");
    if (HICON icon = app->GetIcon(1, name, Route(kReqIcon, kHeaderIcon))) {
        m_header.SetIcon(icon);
        DestroyIcon(icon);
        m_header.Invalidate(true);
    }
}

void DlgDeployment::OnDeploymentLoaded(__int64 previousParent)
{
    App* app = GetApp();
    if (!app)
        return;
    Object& deployment = m_objects[SlotDeployment];
    deployment = *app->m_dir.Lookup(m_key);
    m_loaded = deployment;
    // Moved to another schedule group since the pane last showed it.
    if (previousParent != 0 && previousParent != m_loaded.parent) {
        Close();
        return;
    }

    Object type;
    if (m_owner)
        m_owner->GetTypeById(type, deployment.type);
    SetHeading(HeadingTitle(m_path, deployment), CTString(type.name.GetBuffer() ? type.name.GetBuffer() : L""));
    UpdateHeaderIcon();
    app->IDToPath(m_key, Route(kReqPath));
    m_objects[SlotParent] = *app->m_dir.Lookup(deployment.parent);

    const __int64 location = LinkId(deployment, L"link_deployment_location");
    if (location != 0)
        app->IDToPath(location, Route(kReqPath, kPathOfLocation));

    // Linked objects, each once the cache holds it. A reload without a legacy computer or
    // administrator clears their lines rather than leaving the last deployment's names.
    const __int64 legacy = LinkId(deployment, L"link_legacy_computer");
    if (legacy == 0) {
        SetLinkText(m_legacyLink, m_noComputerText.GetBuffer());
        ShowWarning(kIdLegacyWarning, false);
    }
    app->m_dir.RequestObject(legacy, 0, Route(0), [this] { OnLegacyComputerLoaded(); }, nullptr);
    const __int64 deployed = LinkId(deployment, L"link_deployed_computer");
    if (deployed == 0)
        SetLinkText(m_deployedLink, m_noComputerText.GetBuffer());
    app->m_dir.RequestObject(deployed, 0, Route(0), [this] { OnDeployedComputerLoaded(); }, nullptr);
    const __int64 administrator = LinkId(deployment, L"link_administrator");
    if (administrator == 0)
        SetLinkText(m_administratorLink, L"");
    app->m_dir.RequestObject(administrator, 0, Route(0), [this] { OnAdministratorLoaded(); }, nullptr);
    app->m_dir.RequestObject(LinkId(deployment, L"link_user"), 0, Route(0), [this] { OnUserLoaded(); },
                             [this] { ShowNoUser(); });

    if (m_tags.m_hWnd)
        ::SetWindowTextW(m_tags.m_hWnd, AttributeText(deployment, L"tag").GetBuffer());

    if (location != 0)
        app->m_db.QelGetDeploymentRoutes(static_cast<unsigned>(location), Route(kReqRoutes));

    // Deployment types the deployment may take, in stored order.
    HWND typeList = GetDlgItem(m_hWnd, kIdType);
    ::SendMessageW(typeList, CB_RESETCONTENT, 0, 0);
    std::vector<__int64> types;
    deployment.GetLinkArray(types, CTString(L"deployment_type_available"));
    const __int64 currentType = LinkId(deployment, L"link_deployment_type");
    for (__int64 id : types) {
        CTString name;
        if (m_owner)
            m_owner->m_cache.GetDeploymentTypeName(name, id);
        if (name.IsEmpty())
            name = DeploymentTypeObjectName(m_owner, id);
        int index = static_cast<int>(::SendMessageW(typeList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.GetBuffer() ? name.GetBuffer() : L"")));
        ::SendMessageW(typeList, CB_SETITEMDATA, index, static_cast<LPARAM>(id));
        if (id == currentType)
            ::SendMessageW(typeList, CB_SETCURSEL, index, 0);
    }

    // Fail codes: the enabled ones and the deployment's own.
    HWND failList = GetDlgItem(m_hWnd, kIdFailCode);
    ::SendMessageW(failList, CB_RESETCONTENT, 0, 0);
    int none = static_cast<int>(::SendMessageW(failList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"<none>")));
    ::SendMessageW(failList, CB_SETITEMDATA, none, 0);
    ::SendMessageW(failList, CB_SETCURSEL, none, 0);
    const __int64 failCode = LinkId(deployment, L"link_fail_code");
    if (m_owner) {
        for (const Object& code : m_owner->m_cache.settings[MainWindowCache::FailCode]) {
            CAttribute enable;
            code.GetAttribute(enable, CTString(L"enable"));
            if (!(enable.GetValue() > 0 || (code.id == failCode && failCode != 0)))
                continue;
            CTStringLocale name(code.name);
            int index = static_cast<int>(::SendMessageW(failList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.GetUserText())));
            ::SendMessageW(failList, CB_SETITEMDATA, index, static_cast<LPARAM>(code.id));
            if (code.id == failCode)
                ::SendMessageW(failList, CB_SETCURSEL, index, 0);
        }
    }

    CAttribute completed;
    deployment.GetAttribute(completed, CTString(L"completed"));
    if (completed.GetValue() != 0) {
        CTString text;
        int32_t when = static_cast<int32_t>(completed.GetValue());
        FormatUnixDateTime(&when, text, true);
        SetItemText(kIdCompleted, text.GetBuffer() ? text.GetBuffer() : L"");
        AddDeploymentStatusIcons(deployment, m_statusIcon);
        SendDlgItemMessageW(m_hWnd, kIdStatusIcon, STM_SETICON, reinterpret_cast<WPARAM>(m_statusIcon.GetHandle()), 0);
    } else {
        SetItemText(kIdCompleted, L"");
    }

    app->m_db.DirGetCount(static_cast<unsigned>(m_key), CTString(L"Note"), Route(kReqNotes));
    app->GetDeploymentWindowsCached(static_cast<unsigned>(deployment.parent), Route(kReqWindows));
    std::vector<__int64> deployables;
    deployment.GetLinkArray(deployables, CTString(L"deployable_available"));
    app->RequestObjects(deployables, Route(kReqDeployables, 0));

    const std::pair<CWMFormPage*, DWORD> pages[] = {
        {m_deploymentPage, TypeShowDetails}, {m_deployablePage, TypeShowComponents}, {m_emailsPage, TypeShowEmails},
        {m_exceptionsPage, TypeShowExceptions}, {m_tasksPage, TypeShowTasks}, {m_settingsPage, TypeShowSettings}};
    for (const auto& [page, flag] : pages)
        if (page)
            page->SetEnabled(HasTypeFlag(flag));
    EnableItem(kIdSave, false);
    EnableItem(kIdCancel, false);
    m_modified = false;
    RefreshPages();
    LoadPages();

    CAttributes form;
    CTString item;
    item.Format(L"ATTRIBID_%d", deployment.GetAttributeId(CTString(L"linkaccess_id")));
    form.SetNumber(item, 0);
    app->m_db.ObjGetAttrib(static_cast<unsigned>(m_key), form, Route(kReqLinkAccess));

    UpdateControls();
}

void DlgDeployment::OnLegacyComputerLoaded()
{
    App* app = GetApp();
    if (!app)
        return;
    Object& computer = m_objects[SlotLegacy];
    computer = *app->m_dir.Lookup(LinkId(GetSlot(SlotDeployment), L"link_legacy_computer"));
    if (!computer.name.IsEmpty()) {
        SetLinkName(m_legacyLink, computer);
        ShowWarning(kIdLegacyWarning, IsLegacyElsewhere());
    }
}

void DlgDeployment::OnDeployedComputerLoaded()
{
    App* app = GetApp();
    if (!app)
        return;
    Object& computer = m_objects[SlotDeployed];
    computer = *app->m_dir.Lookup(LinkId(GetSlot(SlotDeployment), L"link_deployed_computer"));
    SetLinkName(m_deployedLink, computer);
    ShowWarning(kIdDeployedWarning, IsDeployedElsewhere());
}

void DlgDeployment::OnAdministratorLoaded()
{
    App* app = GetApp();
    if (!app)
        return;
    Object& administrator = m_objects[SlotAdministrator];
    administrator = *app->m_dir.Lookup(LinkId(GetSlot(SlotDeployment), L"link_administrator"));
    const Object& deployment = GetSlot(SlotDeployment);
    if (DeploymentStatusIsSucceeded(deployment) || DeploymentStatusIsFailed(deployment))
        SetLinkName(m_administratorLink, administrator);
    else
        SetLinkText(m_administratorLink, L"");
}

void DlgDeployment::OnUserLoaded()
{
    App* app = GetApp();
    if (!app)
        return;
    Object& user = m_objects[SlotUser];
    user = *app->m_dir.Lookup(LinkId(GetSlot(SlotDeployment), L"link_user"));
    SetLinkName(m_userLink, user);
    ShowWarning(kIdUserWarning, user.parent != GetSlot(SlotDeployment).parent);
    SetLinkAccessText();
}

void DlgDeployment::ShowNoUser()
{
    SetLinkText(m_userLink, m_noUserText.GetBuffer());
    ShowWarning(kIdUserWarning, false);
    SetLinkText(m_linkAccessLink, m_noLinkAccessText.GetBuffer());
}

void DlgDeployment::SetLinkAccessText()
{
    const Object& user = GetSlot(SlotUser);
    if (user.id == 0 || !HasLinkAccess(&user)) {
        SetLinkText(m_linkAccessLink, m_noLinkAccessText.GetBuffer());
        return;
    }
    CTString link = m_owner ? AttributeText(m_owner->m_cache.systemSettings, L"web_address") : CTString(L"");
    link.AppendText(L"/=");
    link.Append(m_linkAccessId);
    SetLinkText(m_linkAccessLink, link.GetBuffer());
}

void DlgDeployment::OnLinkedObjectReply(RequestResult& result, int kind)
{
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr;
    if (!element)
        return;
    Object read;
    read.ReadFromXml(element, true);
    const bool legacy = kind == kLegacyReread;
    if (!legacy && kind != kDeployedReread)
        return;
    Object& slot = m_objects[legacy ? SlotLegacy : SlotDeployed];
    if (slot.id != read.id)
        return;
    slot = read;
    if (slot.id != 0 && !slot.name.IsEmpty()) {
        SetLinkName(legacy ? m_legacyLink : m_deployedLink, slot);
        if (legacy)
            ShowWarning(kIdLegacyWarning, IsLegacyElsewhere());
        else
            ShowWarning(kIdDeployedWarning, IsDeployedElsewhere());
    }
    UpdateControls();
}

void DlgDeployment::OnLinkAccessReply(RequestResult& result)
{
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    TiXmlElement* parameters = root ? root->FirstChildElementNamed(L"parameters") : nullptr;
    if (parameters && ReadDecimal64(parameters->GetAttribute(L"ID")) == m_key) {
        const int attributeId = GetSlot(SlotDeployment).GetAttributeId(CTString(L"linkaccess_id"));
        for (TiXmlElement* attrib = root->FirstChildElementNamed(L"attrib"); attrib;
             attrib = attrib->NextSiblingElementNamed(L"attrib")) {
            if (ReadDecimal32(attrib->GetAttribute(L"id")) != attributeId)
                continue;
            const wchar_t* value = attrib->GetAttribute(L"value");
            m_linkAccessId.AssignText(value ? value : L"");
        }
    }
    SetLinkAccessText();
}

void DlgDeployment::FillNewModels(ObjectBranch* branch)
{
    if (!branch)
        return;
    m_objects.erase(SlotModel);
    std::map<int, CTString> models;
    models[0] = L"<none>";
    const __int64 stockType = m_owner ? m_owner->GetTypeId(CTString(L"Computer Stock")) : 0;
    for (const Object& child : branch->children) {
        if (stockType == 0 || child.type != stockType)
            continue;
        CTStringLocale name(child.name);
        models[static_cast<int>(child.id)] = name.GetUserText();
    }
    HWND list = GetDlgItem(m_hWnd, kIdNewModel);
    ::SendMessageW(list, CB_RESETCONTENT, 0, 0);
    const __int64 model = LinkId(GetSlot(SlotDeployment), L"link_deploy_model");
    for (const auto& [id, name] : models) {
        int index = static_cast<int>(::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.GetBuffer() ? name.GetBuffer() : L"")));
        ::SendMessageW(list, CB_SETITEMDATA, index, static_cast<LPARAM>(id));
        if (id == model)
            ::SendMessageW(list, CB_SETCURSEL, index, 0);
    }
    if (App* app = GetApp())
        for (const Object& cached : app->m_objects.children)
            if (cached.id == model && model != 0)
                m_objects[SlotModel] = cached;
    if (m_deployablePage)
        m_deployablePage->SetModelRestriction(GetSlot(SlotModel));
}

void DlgDeployment::AddEmailRow(const Object& email)
{
    if (m_emailsPage)
        m_emailsPage->AddRow(email, m_emailIcon);
}

void DlgDeployment::RefreshLinkedObjects(const std::vector<int>& slots)
{
    for (int slot : slots) {
        switch (slot) {
        case SlotParent:
            if (App* app = GetApp())
                m_objects[SlotParent] = *app->m_dir.Lookup(GetSlot(SlotDeployment).parent);
            break;
        case SlotUser:
            OnUserLoaded();
            break;
        case SlotAdministrator:
            OnAdministratorLoaded();
            break;
        case SlotLegacy:
            OnLegacyComputerLoaded();
            break;
        case SlotDeployed:
            OnDeployedComputerLoaded();
            break;
        default:
            break;
        }
    }
    ShowWarning(kIdUserWarning, GetSlot(SlotUser).id != 0 && GetSlot(SlotUser).parent != GetSlot(SlotDeployment).parent);
    UpdateControls();
}
