// Saving the computer pane: the edits into the computer, the save of an existing computer, the
// creation of a new one below its view's default location, the user choice and moves.
#include "people/DlgComputer.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "deployments/DeploymentLinks.h"
#include "foundation/TiXmlElement.h"
#include "schedulegroups/DlgScheduleGroup.h"
#include "session/RequestResult.h"

namespace {

enum : int { kConsoleScheduleGroup = 1026, kConsoleDeployments = 1031, kNoticeNewObject = 1003 };

} // namespace

void DlgComputer::SetComputerAttribute(const wchar_t* name, const CAttribute& value)
{
    const CTString wanted(name);
    if (m_computer.HasAttribute(wanted) || !m_owner) {
        m_computer.SetAttribute(wanted, value);
        return;
    }
    // A value the computer never had: the attribute as its type defines it.
    Object definition;
    m_owner->GetTypeById(definition, m_computer.type);
    const int id = definition.GetAttributeId(wanted);
    if (id <= 0)
        return;
    Object::Attribute& attribute = m_computer.attributes[id];
    if (attribute.name.IsEmpty())
        attribute.name = wanted;
    m_computer.SetAttributeById(id, value);
}

void DlgComputer::StoreEditField(int id, const wchar_t* attribute)
{
    CTString text;
    GetItemText(id, text);
    if (text.IsEmpty())
        m_computer.ResetAttribute(CTString(attribute));
    else
        SetComputerAttribute(attribute, CAttribute(text));
}

void DlgComputer::StoreComboChoice(int id, const wchar_t* attribute)
{
    HWND combo = GetDlgItem(m_hWnd, id);
    const LRESULT selected = combo ? ::SendMessageW(combo, CB_GETCURSEL, 0, 0) : CB_ERR;
    if (selected == CB_ERR)
        return;
    const LRESULT data = ::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
    SetComputerAttribute(attribute, CAttribute(CAttribute::Integer, static_cast<__int64>(data)));
}

void DlgComputer::Save()
{
    App* app = GetApp();
    if (!app)
        return;
    // A new computer goes below its view's location: without the view there is nowhere to put it.
    DlgScheduleGroup* view = FindView();
    if (IsNew() && !view)
        return;

    const std::pair<int, const wchar_t*> edits[] = {{kIdName, L"computer_name"}, {kIdMake, L"vendor"},
                                                    {kIdModel, L"model"}, {kIdSerial, L"serial_number"},
                                                    {kIdAssetTag, L"asset_tag"}};
    for (const auto& [id, name] : edits)
        StoreEditField(id, name);
    for (const auto& [id, name] : {std::pair<int, const wchar_t*>{kIdVim, L"vim"}, {kIdShared, L"shared"}})
        SetComputerAttribute(name, CAttribute(CAttribute::Integer,
                                              static_cast<__int64>(IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED ? 1 : 0)));
    StoreComboChoice(kIdComputerType, L"computer_type");
    StoreComboChoice(kIdAssetType, L"asset_type");
    CTString tags;
    if (m_tags.m_hWnd)
        GetWindowTextString(m_tags.m_hWnd, tags);
    SetComputerAttribute(L"tag", CAttribute(CTString(tags.GetBuffer() ? tags.GetBuffer() : L"")));
    StoreDetailsRows();

    CAttributes items, privileges;
    m_computer.CollectChanges(items, true);
    m_computer.CollectPrivilegeChanges(privileges);
    m_computer.ApplyConsoleDisplayName();

    if (!IsNew()) {
        app->m_db.ObjSet(static_cast<unsigned>(m_computer.id), static_cast<unsigned>(m_computer.serial),
                         m_computer.name, items, privileges, Route(kReqSave));
        return;
    }
    const bool secondList = LinkId(m_computer, L"asset_type") == 1;
    m_computer.parent = view->DefaultLocation(secondList ? 1 : 0);
    app->m_db.ObjNew(static_cast<unsigned>(m_computer.type), static_cast<unsigned>(m_computer.parent),
                     m_computer.name, items, privileges, Route(kReqCreate));
}

void DlgComputer::OnSaveReply(RequestResult& result)
{
    App* app = GetApp();
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    TiXmlElement* parameters = root ? root->FirstChildElementNamed(L"parameters") : nullptr;
    if (!app || !parameters || ReadDecimal64(parameters->GetAttribute(L"ID")) != m_computer.id || m_computer.id == 0)
        return;
    if (TiXmlElement* element = root->FirstChildElementNamed(L"object"))
        m_computer.ReadFromXml(element, false);
    app->m_dir.StoreObject(m_computer, 0);
}

void DlgComputer::OnCreateReply(RequestResult& result)
{
    App* app = GetApp();
    if (!app)
        return;
    Close();
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr;
    if (!element || !root->FirstChildElementNamed(L"insert_id"))
        return;
    Object created;
    created.ReadFromXml(element, true);
    const std::pair<int, __int64> targets[] = {{kConsoleScheduleGroup, m_viewKey}, {kConsoleDeployments, 0}};
    for (const auto& [console, key] : targets) {
        RequestResult notice;
        notice.route.targetType = MainWindow::kWindowType;
        notice.route.consoleType = console;
        notice.route.consoleKey = key;
        notice.route.requestId = kNoticeNewObject;
        notice.attached = &created;
        app->m_windows.NotifyWindows(MainWindow::kWindowType, 0, &notice);
    }
}

void DlgComputer::OnUserPicked(__int64 key, __int64 userId)
{
    if (key != m_personPickerKey || key == 0)
        return;
    SetComputerAttribute(L"link_user", CAttribute(CAttribute::Integer, userId));
    App* app = GetApp();
    if (userId != 0 && app)
        app->IDToPath(userId, Route(kReqUserPath));
    else
        SetLinkText(m_userLink, m_noUserText.GetBuffer());
    SetModified(true);
}

void DlgComputer::OnLocationPicked(__int64 locationId)
{
    App* app = GetApp();
    if (locationId == 0 || !app || m_computer.id == 0)
        return;
    app->m_db.ObjMove(static_cast<unsigned>(m_computer.id), static_cast<unsigned>(m_computer.serial),
                      static_cast<unsigned>(locationId), Route(kReqMove));
}

void DlgComputer::OnMoveReply(RequestResult& result)
{
    App* app = GetApp();
    if (!app)
        return;
    // A refused move leaves the computer where it was: the pane keeps it and its edits.
    if (result.returnCode != 0 || result.resultCode != 0)
        return;
    m_computer.path.Empty();
    app->m_paths.erase(m_computer.id);
    ReadObjectReply(result.document);
    app->IDToPath(m_computer.id, Route(kReqPath));
}
