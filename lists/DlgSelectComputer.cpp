#include "lists/DlgSelectComputer.h"

#include <algorithm>
#include <commctrl.h>
#include <list>
#include "app/App.h"
#include "app/MainWindow.h"
#include "foundation/TiXmlDocument.h"
#include "framework/CTApp.h"
#include "framework/CTRegKey.h"
#include "session/FormHelpers.h"

namespace {

const wchar_t* const kColumns8 = L"Name;Make;Model;Serial Number;Asset Tag;Type;Status;User";
const wchar_t* const kColumns9 = L"Name;Make;Model;Serial Number;Asset Tag;Type;Status;User;Locked";

CTString Lower(const CTString& text)
{
    CTString lower(text);
    lower.MakeLower();
    return lower;
}

CTString AttributeText(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return CTString(value.GetText());
}

__int64 AttributeValue(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return value.GetValue();
}

// The ids of a "/1/22/" list.
std::vector<__int64> IdList(const CTString& text)
{
    std::vector<__int64> ids;
    __int64 current = 0;
    bool digits = false;
    for (const wchar_t* p = text.GetBuffer(); p && *p; ++p) {
        if (*p >= L'0' && *p <= L'9') {
            current = current * 10 + (*p - L'0');
            digits = true;
        } else {
            if (digits && current != 0)
                ids.push_back(current);
            current = 0;
            digits = false;
        }
    }
    if (digits && current != 0)
        ids.push_back(current);
    return ids;
}

int ComboItemData(HWND combo)
{
    LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return -1;
    return static_cast<int>(::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

} // namespace

CTString DlgSelectComputer::SettingsPath()
{
    CTString path(L"Settings\\");
    if (App* app = App::Instance())
        path.Append(app->m_server);
    path.AppendText(L"\\DlgSelectComputer");
    return path;
}

const wchar_t* DlgSelectComputer::ColumnSpec() const
{
    return m_showLocked ? kColumns9 : kColumns8;
}

void DlgSelectComputer::AddExtraItems()
{
    if (HWND location = GetDlgItem(m_hWnd, kIdLocation))
        AddItem(location, CTWndSize::RightToRight);
    if (HWND create = GetDlgItem(m_hWnd, kIdNew))
        AddItem(create, CTWndSize::RightToRight | CTWndSize::LeftToRight);
}

BOOL DlgSelectComputer::OnInitDialog()
{
    DlgPicker::OnInitDialog();
    // The record first: it says which controls and presets the picker shows.
    ::SendMessageW(Owner(), kMsgChoice, static_cast<WPARAM>(m_key), reinterpret_cast<LPARAM>(&m_choice));
    ::ShowWindow(GetDlgItem(m_hWnd, kIdNone), m_choice.noneAllowed ? SW_SHOW : SW_HIDE);
    // The list picks one computer.
    m_list.ModifyStyle(0, LVS_SINGLESEL, 0);

    Object definition;
    if (MainWindow* main = GetMainWindow())
        main->GetTypeByName(definition, CTString(L"Computer"));
    definition.SetAttribute(CTString(L"computer_type"), m_choice.computerType);
    definition.SetAttribute(CTString(L"asset_type"), m_choice.assetType);
    FillComboFromAttributeValues(GetDlgItem(m_hWnd, kIdComputerType), CTString(L"computer_type"), definition, true);
    FillComboFromAttributeValues(GetDlgItem(m_hWnd, kIdStatus), CTString(L"asset_type"), definition, true);

    if (App* app = GetApp())
        app->m_db.DirGetLookup(0, CTString(L"CUSTOMLOOKUP=GlobalAssetLocations"), Route(kReqLookup, kLookupLocations));
    UpdateOkState();
    ::SetFocus(GetDlgItem(m_hWnd, kIdSearchEdit));
    return FALSE;
}

bool DlgSelectComputer::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (LOWORD(wParam) == kIdNew) {
        *result = 0;
        if (HIWORD(wParam) == BN_CLICKED)
            NewComputer();
        return true;
    }
    return DlgPicker::OnCommand(wParam, lParam, result);
}

int DlgSelectComputer::ComboData(int id)
{
    return ComboItemData(GetDlgItem(m_hWnd, id));
}

void DlgSelectComputer::OnLocations(RequestResult& result)
{
    if (result.returnCode != 0)
        return;
    HWND combo = GetDlgItem(m_hWnd, kIdLocation);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    for (TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr; element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object location;
        location.ReadFromXml(element, true);
        LRESULT item = ::SendMessageW(combo, CB_ADDSTRING, 0,
                                      reinterpret_cast<LPARAM>(location.path.GetBuffer() ? location.path.GetBuffer() : L""));
        ::SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(location.id));
    }
    // Then the record's own locations, which the global list may lack.
    if (App* app = GetApp()) {
        std::vector<__int64> ids = m_choice.locationIds;
        app->IDsToPaths(ids, Route(kReqPath));
    }
}

void DlgSelectComputer::OnPathReply(RequestResult& result)
{
    if (result.returnCode != 0)
        return;
    HWND combo = GetDlgItem(m_hWnd, kIdLocation);
    auto findData = [combo](LPARAM data) {
        int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i)
            if (::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == data)
                return i;
        return -1;
    };
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    for (TiXmlElement* value = root ? root->FirstChildElementNamed(L"value") : nullptr; value;
         value = value->NextSiblingElementNamed(L"value")) {
        int64_t id = 0;
        if (!value->GetAttributeInt64(L"ID", &id) || id == 0 || findData(static_cast<LPARAM>(id)) >= 0)
            continue;
        const wchar_t* path = value->GetAttribute(L"path");
        LRESULT item = ::SendMessageW(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(path ? path : L""));
        ::SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(id));
    }
    ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
    CTRegKey settings(kLayoutRoot, nullptr, SettingsPath().GetBuffer());
    DWORD remembered = settings.ReadDword(L"", 0);
    int item = remembered ? findData(static_cast<LPARAM>(remembered)) : -1;
    if (item >= 0)
        ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
}

CTString DlgSelectComputer::LookupText(int assetType, bool showLocked) const
{
    CTString text, part;
    text.Format(L"CUSTOMLOOKUP=SelectComputer|INCID=%d", static_cast<int>(m_choice.computer.id));
    if (assetType != -1) {
        part.Format(L"|ASSET_TYPE=%d", assetType);
        text.Append(part);
    }
    if (showLocked)
        text.AppendText(L"|SHOW_LOCKED=1");
    return text;
}

void DlgSelectComputer::SendSearch(App& app, const RequestRoute& route)
{
    (void)route;
    m_searchLocation = ComboData(kIdLocation);
    m_searchAssetType = ComboData(kIdStatus);
    m_showLocked = IsDlgButtonChecked(m_hWnd, kIdShowLocked) == BST_CHECKED;
    m_list.SetColumns(CTString(ColumnSpec()), kLayoutRoot, nullptr, LayoutName());
    m_computers.clear();
    m_haystacks.clear();
    // The search text is not sent: it filters on this side.
    app.m_db.DirGetLookup(static_cast<unsigned>(m_searchLocation), LookupText(m_searchAssetType, m_showLocked),
                          Route(kReqLookup, kLookupComputers));
}

CTString DlgSelectComputer::Haystack(const Object& computer)
{
    // Every attribute value once, separated so that no match spans two values.
    CTString text;
    for (const auto& entry : computer.attributes) {
        text.Append(Lower(CTString(entry.second.GetText())));
        text.AppendChar(L'\x01');
    }
    return text;
}

void DlgSelectComputer::OnComputers(RequestResult& result)
{
    if (result.returnCode != 0)
        return;
    m_computers.clear();
    m_haystacks.clear();
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    for (TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr; element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object& computer = m_computers.emplace_back();
        computer.ReadFromXml(element, true);
        m_haystacks.push_back(Haystack(computer));
    }
    FillList();
}

int DlgSelectComputer::AddComputerRow(const Object& computer, bool withUser, std::list<__int64>* ids)
{
    CTListCtrlReport::Row row(reinterpret_cast<void*>(static_cast<INT_PTR>(computer.id)));
    CAttribute type, status, user, lock;
    computer.GetAttributeValueText(type, CTString(L"computer_type"));
    computer.GetAttributeValueText(status, CTString(L"asset_type"));
    row.AddText(CTString(computer.name))
        .AddText(AttributeText(computer, L"vendor"))
        .AddText(AttributeText(computer, L"model"))
        .AddText(AttributeText(computer, L"serial_number"))
        .AddText(AttributeText(computer, L"asset_tag"))
        .AddText(CTString(type.GetText()))
        .AddText(CTString(status.GetText()));
    __int64 userId = withUser ? AttributeValue(computer, L"link_user") : 0;
    CTString userText;
    if (userId != 0)
        userText.Format(L"%I64d", userId);
    row.AddText(userText);
    if (m_showLocked) {
        __int64 lockId = AttributeValue(computer, L"link_deployment_lock");
        CTString lockText;
        if (lockId != 0)
            lockText.Format(L"%I64d", lockId);
        row.AddText(lockText);
        if (ids && lockId != 0)
            ids->push_back(lockId);
    }
    if (ids && userId != 0)
        ids->push_back(userId);
    return m_list.AddRow(ImageFor(computer), row);
}

void DlgSelectComputer::FillList()
{
    m_list.EnableAutoSort(false);
    m_list.DeleteAllRows();
    CTString search;
    GetItemText(kIdSearchEdit, search);
    search = Lower(search);
    int typeFilter = ComboData(kIdComputerType);
    std::list<__int64> ids;
    for (size_t i = 0; i < m_computers.size(); ++i) {
        const Object& computer = m_computers[i];
        if (typeFilter != -1 && AttributeValue(computer, L"computer_type") != typeFilter)
            continue;
        if (!search.IsEmpty() && !wcsstr(m_haystacks[i].GetBuffer() ? m_haystacks[i].GetBuffer() : L"", search.GetBuffer()))
            continue;
        AddComputerRow(computer, true, &ids);
    }
    m_list.EnableAutoSort(true);
    if (m_list.m_sortColumn >= 0)
        m_list.SortBy(m_list.m_sortColumn, m_list.m_ascending);
    m_list.SetEmptyText(CTString(L"No Computers Found"));
    App* app = GetApp();
    if (app && !ids.empty()) {
        std::shared_ptr<bool> alive = m_alive;
        app->m_dir.FetchObjects(ids, Route(kReqNames), [this, alive] {
            if (*alive)
                ShowNames();
        }, nullptr);
    }
    SelectOnlyRow();
}

void DlgSelectComputer::ShowNames()
{
    App* app = GetApp();
    if (!app || !m_list.m_hWnd)
        return;
    std::vector<int> columns{kUserColumn};
    if (m_showLocked)
        columns.push_back(kLockColumn);
    bool autoSort = m_list.m_autoSort;
    m_list.EnableAutoSort(false);
    int count = m_list.GetItemCount();
    for (int item = 0; item < count; ++item) {
        for (int column : columns) {
            CAttribute cell;
            m_list.GetCell(item, column, cell);
            __int64 id = _wtoi64(cell.GetText() ? cell.GetText() : L"");
            if (id == 0)
                continue;
            const Object* object = app->m_dir.Lookup(id);
            if (object)
                m_list.SetCell(item, column, CTListCtrlReport::Cell(CAttribute::Text, CTString(object->name)));
        }
    }
    m_list.EnableAutoSort(autoSort);
}

void DlgSelectComputer::NewComputer()
{
    m_choice.locationId = ComboData(kIdLocation);
    if (m_modelsLoaded) {
        RunNew();
        return;
    }
    App* app = GetApp();
    if (!app)
        return;
    std::vector<__int64> ids = IdList(AttributeText(m_choice.deployment, L"deployable_available"));
    app->RequestObjects(ids, Route(kReqModels, 0));
}

void DlgSelectComputer::OnModels(RequestResult& result)
{
    if (result.returnCode != 0 || result.route.param2 != 0 || !result.attached)
        return;
    auto* branch = static_cast<ObjectBranch*>(result.attached);
    Object stock;
    if (MainWindow* main = GetMainWindow())
        main->GetTypeByName(stock, CTString(L"Computer Stock"));
    m_models.clear();
    for (const Object& child : branch->children)
        if (stock.type != 0 && child.type == stock.type)
            m_models.push_back(child);
    m_modelsLoaded = true;
    RunNew();
}

void DlgSelectComputer::RunNew()
{
    DlgNew dialog(this);
    dialog.m_modelId = CAttribute(CAttribute::Integer, m_choice.modelId);
    if (!dialog.Run(m_hWnd))
        return;
    App* app = GetApp();
    if (!app)
        return;
    CAttributes changes;
    dialog.m_computer.CollectChanges(changes, false);
    CTString name(dialog.m_computer.name);
    app->m_db.ObjNew(static_cast<unsigned>(dialog.m_computer.type), static_cast<unsigned>(m_choice.locationId), name,
                     changes, CAttributes(), Route(kReqCreate));
}

void DlgSelectComputer::OnCreated(RequestResult& result)
{
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr;
    if (!element)
        return;
    Object& computer = m_computers.emplace_back();
    computer.ReadFromXml(element, true);
    m_haystacks.push_back(Haystack(computer));
    // Shown at the end, not selected, with no user.
    bool autoSort = m_list.m_autoSort;
    m_list.EnableAutoSort(false);
    AddComputerRow(computer, false, nullptr);
    m_list.EnableAutoSort(autoSort);
}

void DlgSelectComputer::OnOtherReply(RequestResult& result)
{
    switch (result.route.requestId) {
    case kReqLookup:
        if (result.route.param2 == kLookupLocations)
            OnLocations(result);
        else if (result.route.param2 == kLookupComputers)
            OnComputers(result);
        break;
    case kReqModels: OnModels(result); break;
    case kReqCreate: OnCreated(result); break;
    default: break;
    }
}

void DlgSelectComputer::Answer(__int64 id, bool none)
{
    Object* chosen = nullptr;
    if (!none) {
        for (Object& computer : m_computers)
            if (computer.id == id) {
                chosen = &computer;
                break;
            }
    }
    // Sent: the computer lives in this picker until the call returns.
    ::SendMessageW(Owner(), kMsgAnswer, static_cast<WPARAM>(m_key), reinterpret_cast<LPARAM>(chosen));
}

void DlgSelectComputer::EnableSearchControls(bool enable)
{
    for (int id : {static_cast<int>(kIdList), static_cast<int>(kIdNew), static_cast<int>(kIdGo),
                   static_cast<int>(kIdSearchEdit), static_cast<int>(kIdLocation), static_cast<int>(kIdShowLocked)})
        EnableWindow(GetDlgItem(m_hWnd, id), enable);
}

void DlgSelectComputer::OnDestroyWork()
{
    *m_alive = false;
    int location = ComboData(kIdLocation);
    if (location >= 0) {
        CTRegKey settings(kLayoutRoot, nullptr, SettingsPath().GetBuffer());
        settings.WriteDword(L"", static_cast<DWORD>(location));
    }
}

// ---------------------------------------------------------------------------------------------
// DlgNew

DlgSelectComputer::DlgNew::~DlgNew()
{
    m_hWnd = nullptr;
}

bool DlgSelectComputer::DlgNew::Run(HWND owner)
{
    HMODULE module = nullptr;
    if (CTApp* app = CTApp::Instance())
        module = app->FindResourceModule(RT_DIALOG, MAKEINTRESOURCEW(kTemplate));
    if (!module)
        module = GetModuleHandleW(nullptr);
    m_isDialog = true;
    m_isModal = true;
    INT_PTR result = DialogBoxParamW(module, MAKEINTRESOURCEW(kTemplate), owner, CTWnd2::DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result == 1;
}

void DlgSelectComputer::DlgNew::OnOk()
{
    HWND models = GetDlgItem(m_hWnd, kIdModel);
    int modelId = ComboItemData(models);
    const Object* model = nullptr;
    for (const Object& candidate : m_picker->m_models)
        if (candidate.id == modelId)
            model = &candidate;
    if (!model)
        return;
    Object definition;
    if (MainWindow* main = m_picker->GetMainWindow())
        main->GetTypeByName(definition, CTString(L"Computer"));
    m_computer = definition;
    m_computer.id = 0;
    CTString name, serial, tag;
    GetItemText(kIdName, name);
    GetItemText(kIdSerial, serial);
    GetItemText(kIdAssetTag, tag);
    // Named by its computer name, not by the type definition it was copied from; a display rule of
    // the type may still rename it below.
    m_computer.name = name;
    m_computer.SetAttribute(CTString(L"computer_name"), CAttribute(CAttribute::Text, name));
    m_computer.SetAttribute(CTString(L"serial_number"), CAttribute(CAttribute::Text, serial));
    m_computer.SetAttribute(CTString(L"asset_tag"), CAttribute(CAttribute::Text, tag));
    m_computer.SetAttribute(CTString(L"model"), CAttribute(CAttribute::Text, AttributeText(*model, L"model")));
    m_computer.SetAttribute(CTString(L"vendor"), CAttribute(CAttribute::Text, AttributeText(*model, L"vendor")));
    m_computer.ApplyConsoleDisplayName();
    EndDialog(1);
}

bool DlgSelectComputer::DlgNew::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    if (id == IDOK && code == BN_CLICKED) {
        OnOk();
        return true;
    }
    if (id == IDCANCEL && code == BN_CLICKED) {
        EndDialog(0);
        return true;
    }
    if ((id == kIdName || id == kIdSerial || id == kIdAssetTag) && code == EN_CHANGE) {
        CTString name, serial;
        GetItemText(kIdName, name);
        GetItemText(kIdSerial, serial);
        EnableWindow(GetDlgItem(m_hWnd, IDOK), !name.IsEmpty() && !serial.IsEmpty());
        return true;
    }
    return false;
}

bool DlgSelectComputer::DlgNew::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_INITDIALOG) {
        HWND models = GetDlgItem(m_hWnd, kIdModel);
        int selected = -1;
        for (const Object& model : m_picker->m_models) {
            CTString name(model.name);
            LRESULT item = ::SendMessageW(models, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.GetBuffer() ? name.GetBuffer() : L""));
            ::SendMessageW(models, CB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(model.id));
            if (model.id == m_modelId.GetValue())
                selected = static_cast<int>(item);
        }
        ::SendMessageW(models, CB_SETCURSEL, static_cast<WPARAM>(selected >= 0 ? selected : 0), 0);
        EnableWindow(GetDlgItem(m_hWnd, IDOK), FALSE);
        CenterOnWindow(GetParent(m_hWnd));
        *result = TRUE;
        return true;
    }
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}
