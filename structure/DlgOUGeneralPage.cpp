#include "structure/DlgOUGeneralPage.h"
#include "structure/SurveyList.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/MainWindow.h"
#include "controls/CGDIManager.h"
#include "foundation/TiXmlElement.h"
#include "session/FormHelpers.h"
#include "structure/PopupRequest.h"

using GeneralPage = DlgOU::CGeneralPage;

const GeneralPage::Link GeneralPage::kLinks[kLinkCount] = {
    {L"link_organisation", 1128, 1335, 1129},
    {L"link_project_manager", 1122, 1057, 1123},
    {L"link_primary_contact", 1124, 1058, 1125},
    {L"link_secondary_contact", 1126, 1059, 1127},
    {L"link_site", 1131, 1063, 1133},
};

namespace {

constexpr int kName = 1017, kDescription = 1194, kDisplayName = 1249, kSurvey = 1089, kGrid = 1185, kSettings = 1311;
constexpr int kDescriptionToggle = 1062, kDisplayNameToggle = 1060, kSurveyToggle = 1061, kSiteLabel = 1004;
constexpr int kGdiToggleIcon = 19;
constexpr int kOrganisation = 0, kSite = 4;
constexpr __int64 kShownBits = GeneralPage::kDisplayAdminTree | GeneralPage::kTestOU;

CTString ItemText(HWND dialog, int id)
{
    CTString text;
    GetWindowTextString(GetDlgItem(dialog, id), text);
    return text;
}

CAttribute Value(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return value;
}

int CurrentType(const Object& object, const wchar_t* name)
{
    const Object::Attribute* attribute = object.FindAttribute(CTString(name));
    return attribute ? attribute->GetType() : CAttribute::Text;
}

} // namespace

GeneralPage::CGeneralPage(DlgOU* form) : m_ou(form)
{
    m_title = L"General";
    CTWndSettings::RegisterClass(FindDialogTemplateModule(kTemplateId));
}

GeneralPage::~CGeneralPage() = default;

bool GeneralPage::IsChecked(int id) const
{
    return m_hWnd && IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED;
}

void GeneralPage::OnInitDialog()
{
    Init(m_hWnd, false, 300, 150, false);
    for (int id : {kName, kDescription, kDisplayName, kSurvey})
        AddItem(GetDlgItem(m_hWnd, id), RightToRight);
    for (const Link& link : kLinks) {
        AddItem(GetDlgItem(m_hWnd, link.hyperlink), RightToRight);
        AddItem(GetDlgItem(m_hWnd, link.toggle), LeftToRight | RightToRight);
        AddItem(GetDlgItem(m_hWnd, link.chooser), LeftToRight | RightToRight);
    }
    for (int id : {kDescriptionToggle, kDisplayNameToggle, kSurveyToggle})
        AddItem(GetDlgItem(m_hWnd, id), LeftToRight | RightToRight);
    AddItem(GetDlgItem(m_hWnd, kGrid), RightToRight | BottomToBottom);
    AddItem(GetDlgItem(m_hWnd, kSettings), RightToRight | TopToBottom | BottomToBottom);

    // The links only report clicks: the page opens the linked object itself.
    for (int i = 0; i < kLinkCount; ++i) {
        m_links[i].ClearStyle(CTHyperLink::SizeToFit);
        m_links[i].m_linkStyle |= CTHyperLink::CommandOnly;
        m_links[i].AttachDlgItem(m_hWnd, kLinks[i].hyperlink);
        if (i == 1) GetWindowTextString(m_links[i].m_hWnd, m_notAssigned);
    }
    m_displayName.AttachDlgItem(kDisplayName, m_hWnd);
    m_description.AttachDlgItem(kDescription, m_hWnd);

    static const CTWndSettings::ToolbarButton buttons[] = {{CTWndSettings::kInheritCommand, 0xFFFF, 158, BTNS_CHECK}};
    CTWndSettings::ToolbarDesc desc;
    desc.module = GetTemplateModule();
    desc.buttonCount = 1;
    desc.buttons = buttons;
    if (m_settings.Create(m_hWnd, kSettings, desc)) {
        int image = m_settings.AddToolbarIcon(GetTemplateModule());
        if (image >= 0) m_settings.SetCheckButtonImage(image);
        m_settings.AddItem(nullptr, {}, CTWndSettings::KindCheck, CTString(L"Display Admin Tree"), 0, 0, kDisplayAdminTree);
        m_settings.AddItem(nullptr, {}, CTWndSettings::KindCheck, CTString(L"Test OU"), 0, 0, kTestOU);
        m_settings.Invalidate(true);
    }

    CGDIManager::CObject* icon = CGDIManager::Instance()->Find(kGdiToggleIcon);
    for (int id : {kDescriptionToggle, kDisplayNameToggle, 1335, 1057, 1058, 1059, 1063, kSurveyToggle})
        ::SendDlgItemMessageW(m_hWnd, id, BM_SETIMAGE, IMAGE_ICON, icon ? static_cast<LPARAM>(icon->Get()) : 0);
    m_grid.Create(kGrid, m_hWnd);
}

bool GeneralPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result)) return true;
    bool handled = m_grid.OnParentMessage(msg, wParam, lParam, result);
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = TRUE;
        return true;
    case WM_SIZE:
        CloseDropDown();
        break;
    case WM_DESTROY: {
        CloseDropDown();
        App* app = App::Instance();
        if (app)
            for (const auto& [key, chooser] : m_pickers)
                app->m_windows.CloseWindows(chooser == 1133 ? kSitePickerType : kPersonPickerType, static_cast<UINT64>(key));
        break;
    }
    case WM_CTLCOLORSTATIC:
        for (CTHyperLink& link : m_links)
            if (link.m_hWnd && reinterpret_cast<HWND>(lParam) == link.m_hWnd) {
                *result = reinterpret_cast<LRESULT>(link.OnCtlColor(reinterpret_cast<HDC>(wParam)));
                return true;
            }
        break;
    case kMsgDropPlace:
        *result = OnDropDownPlace(lParam);
        return true;
    case kMsgDropSetup:
        if (auto* request = reinterpret_cast<PopupRequest*>(lParam)) {
            App* app = App::Instance();
            request->lookup.Format(L"TYPE='%s'|RETURNPATH=0", L"Organisation");
            request->parentId = app && app->m_mainWindow
                                    ? static_cast<int>(app->m_mainWindow->GetSystemFolderId(MainWindowCache::FolderOrganisations))
                                    : 0;
            request->addExtra = true;
            request->extraText = m_notAssigned;
            request->preselect = static_cast<int>(m_linked[kOrganisation].id);
            request->eraseBackground = false;
        }
        *result = 1;
        return true;
    case kMsgDropAnswer:
        OnDropDownAnswer(wParam != 0, static_cast<__int64>(lParam));
        return true;
    case kMsgPersonPicked:
        OnPicked(static_cast<__int64>(wParam), static_cast<__int64>(lParam), false);
        return true;
    case kMsgSitePicked:
        OnPicked(static_cast<__int64>(wParam), static_cast<__int64>(lParam), true);
        return true;
    default:
        break;
    }
    return handled;
}

bool GeneralPage::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (wParam == kSettings && hdr && hdr->code == CTWndSettings::NotifyToggled) {
        m_form->SetModified(true);
        *result = 1;
        return true;
    }
    return false;
}

bool GeneralPage::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    *result = 0;
    switch (id) {
    case kName:
    case kSurvey:
    case kDescription:
    case kDisplayName:
        if (id == kSurvey && code == CBN_DROPDOWN) {
            m_ou->RequestLanguages();
            return true;
        }
        if (code == 0 || code == 1 || code == 5 || code == CTWndPropertyList::kNotifyChanged || code == EN_CHANGE) {
            m_form->SetModified(true);
            UpdateControls();
        }
        return true;
    case kSettings:
        if (code == CTWndSettings::kInheritCommand) {
            m_form->SetModified(true);
            UpdateControls();
        }
        return true;
    case kGrid:
        // A selection change alone is no edit.
        if (code == 0 || code == CTWndPropertyList::kNotifyChanged || code == EN_CHANGE) m_form->SetModified(true);
        return true;
    case 1123:
    case 1125:
    case 1127:
    case 1133:
        if (code == 0) OpenPicker(id);
        return true;
    case 1129:
        if (code == 0) OpenDropDown();
        return true;
    default:
        break;
    }
    if (code == 0 && ((id >= 1057 && id <= 1063) || id == 1335)) {
        m_form->SetModified(true);
        UpdateControls();
        return true;
    }
    for (int i = 0; i < kLinkCount; ++i)
        if (id == kLinks[i].hyperlink) {
            App* app = App::Instance();
            // A link never fetched has no type: nothing to open.
            if (code == 0 && app && app->m_mainWindow && m_linked[i].id != 0 && m_linked[i].type != 0)
                app->m_mainWindow->OpenObject(m_linked[i], true, false);
            return true;
        }
    return false;
}

void GeneralPage::RequestLinked(int index)
{
    App* app = App::Instance();
    if (!app || m_linked[index].id == 0) return;
    RequestRoute route = m_ou->MakeRoute(DlgOU::kReqObject, index + 1);
    app->m_db.ObjGet(static_cast<unsigned>(m_linked[index].id), false, false, route);
}

void GeneralPage::ShowLinkText(int index)
{
    if (m_links[index].m_hWnd) m_links[index].SetText(m_notAssigned.GetBuffer() ? m_notAssigned.GetBuffer() : L"");
}

bool GeneralPage::Load()
{
    if (!m_hWnd) return true;
    Object& object = Obj();
    for (int i = 0; i < kLinkCount; ++i) {
        __int64 id = Value(object, kLinks[i].attribute).GetValue();
        if (m_linked[i].id != id) {
            m_linked[i].Clear();
            m_linked[i].id = id;
        }
        // A cleared link shows so at once; a set one shows its name when the object arrives.
        if (id == 0) ShowLinkText(i);
        else RequestLinked(i);
    }
    SetDlgItemTextW(m_hWnd, kSurvey, Value(object, L"site_survey_page").GetText());
    const std::pair<int, const wchar_t*> toggles[] = {
        {kDescriptionToggle, L"description"}, {1335, L"link_organisation"}, {1057, L"link_project_manager"},
        {1058, L"link_primary_contact"}, {1059, L"link_secondary_contact"}, {1063, L"link_site"},
        {kDisplayNameToggle, L"display_name"}, {kSurveyToggle, L"site_survey_page"}};
    for (const auto& [id, name] : toggles)
        CheckDlgButton(m_hWnd, id, object.IsAttributeDefault(CTString(name)) ? BST_CHECKED : BST_UNCHECKED);
    // Objects that carry no "name" attribute show their own name.
    CTString name = object.HasAttribute(CTString(L"name")) ? Value(object, L"name").GetString() : CTString(object.name);
    SetDlgItemTextW(m_hWnd, kName, name.GetBuffer() ? name.GetBuffer() : L"");
    SetDlgItemTextW(m_hWnd, kDescription, Value(object, L"description").GetText());
    SetDlgItemTextW(m_hWnd, kDisplayName, Value(object, L"display_name").GetText());

    App* app = App::Instance();
    if (app && app->m_mainWindow)
        app->m_mainWindow->FillAttributeEditor(m_grid, &OnGridEdit, m_hWnd, m_ou->MakeRoute(DlgOU::kReqChoices), object);

    // Every item follows its bit, set or clear.
    const __int64 bits = Value(object, L"ou_attribs").GetValue();
    for (auto* item = m_settings.m_items.GetHead(); item; item = item->GetNext()) {
        auto* setting = static_cast<CTWndSettings::CItem*>(item);
        setting->value = (bits & setting->data) != 0 ? 1 : 0;
        m_settings.RefreshItem(setting);
    }
    if (HWND toolbar = m_settings.m_toolbar.m_hWnd) {
        LRESULT state = ::SendMessageW(toolbar, TB_GETSTATE, CTWndSettings::kInheritCommand, 0);
        if (state != -1) {
            state = object.IsAttributeDefault(CTString(L"ou_attribs")) ? (state | TBSTATE_CHECKED) : (state & ~TBSTATE_CHECKED);
            ::SendMessageW(toolbar, TB_SETSTATE, CTWndSettings::kInheritCommand, MAKELPARAM(state, 0));
        }
    }
    m_form->SetModified(false);
    UpdateControls();
    return true;
}

void GeneralPage::UpdateControls()
{
    if (!m_hWnd) return;
    for (const Link& link : kLinks)
        EnableWindow(GetDlgItem(m_hWnd, link.chooser), !IsChecked(link.toggle));
    EnableWindow(GetDlgItem(m_hWnd, kSurvey), !IsChecked(kSurveyToggle));
    EnableWindow(GetDlgItem(m_hWnd, kDisplayName), !IsChecked(kDisplayNameToggle));
    EnableWindow(GetDlgItem(m_hWnd, kDescription), !IsChecked(kDescriptionToggle));
    const int show = Obj().HasAttribute(CTString(L"link_site")) ? SW_SHOW : SW_HIDE;
    for (int id : {kLinks[kSite].hyperlink, kSiteLabel, kLinks[kSite].chooser, kLinks[kSite].toggle})
        ::ShowWindow(GetDlgItem(m_hWnd, id), show);
    const bool inherited = (m_settings.GetCheckButtonState() & TBSTATE_CHECKED) != 0;
    for (auto* item = m_settings.m_items.GetHead(); item; item = item->GetNext())
        m_settings.SetItemEnabled(static_cast<CTWndSettings::CItem*>(item), !inherited);
}

bool GeneralPage::Save()
{
    if (!m_hWnd) return true;
    Object& object = Obj();
    for (const Link& link : kLinks)
        SetAttributeInherited(IsChecked(link.toggle) ? 1 : 0, object, CTString(link.attribute));
    if (SetAttributeInherited(IsChecked(kSurveyToggle) ? 1 : 0, object, CTString(L"site_survey_page")))
        object.SetAttribute(CTString(L"site_survey_page"), CAttribute(CAttribute::Text, ItemText(m_hWnd, kSurvey)));
    CTString name = ItemText(m_hWnd, kName);
    if (object.HasAttribute(CTString(L"name")))
        object.SetAttribute(CTString(L"name"), CAttribute(CurrentType(object, L"name"), name));
    else
        object.name.Assign(name);   // sent as the object's name
    if (SetAttributeInherited(IsChecked(kDescriptionToggle) ? 1 : 0, object, CTString(L"description")))
        object.SetAttribute(CTString(L"description"),
                            CAttribute(CurrentType(object, L"description"), ItemText(m_hWnd, kDescription)));
    if (SetAttributeInherited(IsChecked(kDisplayNameToggle) ? 1 : 0, object, CTString(L"display_name")))
        object.SetAttribute(CTString(L"display_name"), CAttribute(CAttribute::Text, ItemText(m_hWnd, kDisplayName)));
    SaveGridRows();
    const bool inherited = (m_settings.GetCheckButtonState() & TBSTATE_CHECKED) != 0;
    if (SetAttributeInherited(inherited ? 1 : 0, object, CTString(L"ou_attribs"))) {
        // The bits the tree does not show are kept as they are.
        __int64 bits = Value(object, L"ou_attribs").GetValue() & ~kShownBits;
        for (auto* item = m_settings.m_items.GetHead(); item; item = item->GetNext()) {
            auto* setting = static_cast<CTWndSettings::CItem*>(item);
            if (setting->value) bits |= setting->data;
        }
        object.SetAttribute(CTString(L"ou_attribs"), CAttribute(CurrentType(object, L"ou_attribs"), bits));
    }
    return true;
}

void GeneralPage::SaveGridRows()
{
    Object& object = Obj();
    CTString text;
    __int64 data = 0;
    for (int row = 0; m_grid.GetValueText(row, text, data); ++row) {
        CTString name;
        if (data == 0 || !object.GetAttributeNameById(static_cast<int>(data), name)) continue;
        if (!SetAttributeInherited(m_grid.IsChecked(row) ? 1 : 0, object, name) || m_grid.IsReadOnly(row)) continue;
        const Object::Attribute* current = object.FindAttribute(name);
        if (!current) continue;
        const int type = current->GetType();
        CAttribute value;
        m_grid.GetValue(row, value);
        CAttribute values;
        object.GetEditSpecItem(values, name, CTString(L"VALUES"));
        __int64 position = 0;
        const CTWndPropertyList::CItem* item = m_grid.GetItem(row);
        if (values.GetTextLength() && object.FindAllowedValueIndex(name, text, position)) {
            // A listed text stores its position; only text not in the list is read as a number.
            value = CAttribute(CAttribute::Integer, position);
        } else if (type == CAttribute::Integer) {
            // A chosen entry carries its number (a linked id); typed text is read as one.
            bool chosen = item && item->m_kind == CTWndPropertyList::KindChoice && !values.GetTextLength() &&
                          !CAttribute::IsTextType(value.GetType());
            value = CAttribute(CAttribute::Integer, chosen ? value.GetValue() : ReadDecimal64(text.GetBuffer()));
        } else if (CAttribute::IsTextType(type)) {
            value = CAttribute(type, text);
        } else {
            value.SetValue(type, value.GetValue());
        }
        object.SetAttribute(name, value);
    }
}

int GeneralPage::OnGridEdit(void* context, HWND, int, __int64)
{
    if (auto* page = dynamic_cast<GeneralPage*>(CTWnd2::FromHandle(static_cast<HWND>(context))))
        page->m_form->SetModified(true);
    return CTWndPropertyList::kTakeValue;
}

void GeneralPage::OpenPicker(int chooser)
{
    App* app = App::Instance();
    if (!app) return;
    const __int64 key = app->m_pickerKey++;
    m_pickers[key] = chooser;
    app->m_windows.OpenWindow(chooser == 1133 ? kSitePickerType : kPersonPickerType, static_cast<UINT64>(key),
                              reinterpret_cast<INT_PTR>(m_hWnd));
}

void GeneralPage::OpenDropDown()
{
    App* app = App::Instance();
    if (!app) return;
    if (m_dropDownKey == 0) m_dropDownKey = app->m_popupKey++;
    app->m_windows.OpenWindow(kDropDownType, static_cast<UINT64>(m_dropDownKey), reinterpret_cast<INT_PTR>(m_hWnd));
}

LRESULT GeneralPage::OnDropDownPlace(LPARAM which)
{
    HWND link = GetDlgItem(m_hWnd, kLinks[kOrganisation].hyperlink);
    HWND button = GetDlgItem(m_hWnd, kLinks[kOrganisation].chooser);
    ::ShowWindow(link, SW_HIDE);
    ::ShowWindow(button, SW_HIDE);
    RECT l = {}, b = {};
    GetWindowRect(link, &l);
    GetWindowRect(button, &b);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&l), 2);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&b), 2);
    if (which == 0) return MAKELONG(l.left, l.top - 2);
    return MAKELONG(b.right - l.left, b.bottom - l.top + 4);
}

void GeneralPage::OnDropDownAnswer(bool chosen, __int64 id)
{
    if (chosen) {
        Object& object = Obj();
        const CTString name(kLinks[kOrganisation].attribute);
        object.SetAttribute(name, CAttribute(CAttribute::Integer, id));
        m_linked[kOrganisation].Clear();
        m_linked[kOrganisation].id = Value(object, kLinks[kOrganisation].attribute).GetValue();
        if (m_linked[kOrganisation].id != 0) {
            RequestLinked(kOrganisation);
        } else {
            ShowLinkText(kOrganisation);
            object.SetAttribute(name, CAttribute(CAttribute::Text, CTString()));
        }
        m_form->SetModified(true);
    }
    CloseDropDown();
    ::SetFocus(m_hWnd);
}

void GeneralPage::CloseDropDown()
{
    if (m_dropDownKey == 0) return;
    const __int64 key = m_dropDownKey;
    m_dropDownKey = 0;
    if (App* app = App::Instance()) app->m_windows.CloseWindows(kDropDownType, static_cast<UINT64>(key));
    if (m_hWnd) {
        ::ShowWindow(GetDlgItem(m_hWnd, kLinks[kOrganisation].hyperlink), SW_SHOW);
        ::ShowWindow(GetDlgItem(m_hWnd, kLinks[kOrganisation].chooser), SW_SHOW);
        ::SetFocus(m_hWnd);
    }
}

void GeneralPage::OnPicked(__int64 key, __int64 id, bool site)
{
    auto found = m_pickers.find(key);
    if (found == m_pickers.end()) return;
    int index = -1;
    switch (found->second) {
    case 1123: index = site ? -1 : 1; break;
    case 1125: index = site ? -1 : 2; break;
    case 1127: index = site ? -1 : 3; break;
    case 1133: index = site ? kSite : -1; break;
    default: break;
    }
    if (index < 0) return;
    m_linked[index].Clear();
    m_linked[index].id = id;
    Obj().SetAttribute(CTString(kLinks[index].attribute), CAttribute(CAttribute::Integer, id));
    if (id != 0) RequestLinked(index);
    else ShowLinkText(index);
    m_form->SetModified(true);
}

void GeneralPage::OnLinkReply(RequestResult& reply)
{
    if (reply.route.requestId != DlgOU::kReqObject || !DlgOU::Succeeded(reply)) return;
    const __int64 index = reply.route.param2 - 1;
    if (index < 0 || index >= kLinkCount) return;
    Object arrived;
    arrived.ReadFromXml(DlgOU::ReplyElement(reply, L"object"), true);
    // An answer for an earlier choice is dropped.
    if (arrived.id == 0 || arrived.id != m_linked[index].id) return;
    m_linked[index].Assign(arrived);
    App* app = App::Instance();
    const MainWindow* main = app ? app->m_mainWindow : nullptr;
    const __int64 user = main ? main->GetTypeId(CTString(L"Schedule User")) : 0;
    const __int64 administrator = main ? main->GetTypeId(CTString(L"Administrator")) : 0;
    const bool person = (user != 0 && arrived.type == user) || (administrator != 0 && arrived.type == administrator);
    CTStringLocale text = person || !arrived.HasAttribute(CTString(L"name"))
                              ? CTStringLocale(arrived.name)
                              : CTStringLocale(Value(arrived, L"name").GetString());
    const wchar_t* shown = text.GetUserText();
    if (m_links[index].m_hWnd) m_links[index].SetText(shown ? shown : L"");
}

void GeneralPage::AddSurveyChoices(TiXmlDocument& document)
{
    if (m_hWnd) SurveyList::AddTemplateChoices(document, GetDlgItem(m_hWnd, kSurvey));
}

void GeneralPage::RefillChoices(__int64 attributeId)
{
    App* app = App::Instance();
    if (!app || !app->m_mainWindow || !m_grid.m_hWnd) return;
    const Object& object = Obj();
    std::vector<Object> definitions;
    app->m_mainWindow->GetCustomAttributes(object, definitions);
    for (const Object& definition : definitions) {
        CTString attribute = Value(definition, L"attrib_name").GetString();
        if (!object.HasAttribute(attribute) || object.GetAttributeId(attribute) != attributeId) continue;
        CTString listName = Value(definition, L"attrib_list_name").GetString();
        App::LookupList items;
        const RequestRoute route = m_ou->MakeRoute(DlgOU::kReqChoices, attributeId);
        bool have = !listName.IsEmpty() ? app->GetCommsList(CAttribute(listName), items, route)
                                        : app->ParseLookup(attribute, attribute, items, route);
        if (have) {
            CTWndPropertyList::ChoiceMap choices;
            for (const auto& [key, text] : items) choices[key] = text;
            m_grid.SetChoices(CTString(definition.name), choices);
        }
        return;
    }
}
