#include "structure/DlgOUSurveyPage.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/MainWindow.h"
#include "app/OrganisationalUnitParameter.h"
#include "foundation/CAttributes.h"
#include "foundation/TiXmlDocument.h"
#include "session/RequestResult.h"

using SurveyPage = DlgOU::CSurveyPage;

namespace {

CAttribute Value(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return value;
}

__int64 LinkOf(const Object& object, const wchar_t* name)
{
    const CAttribute value = Value(object, name);
    return value.HasValue() ? value.GetValue() : 0;
}

CTString UserText(const CTStringLocale& name)
{
    CTStringLocale copy;
    copy = name;
    const wchar_t* text = copy.GetUserText();
    return CTString(text ? text : L"");
}

MainWindow* Main()
{
    App* app = App::Instance();
    return app ? app->m_mainWindow : nullptr;
}

} // namespace

SurveyPage::CSurveyPage(DlgOU* form) : m_ou(form) { m_title = L"Survey"; }

SurveyPage::~CSurveyPage() { m_surveys.m_list.Destroy(); }

bool SurveyPage::CreatePage(HWND parent)
{
    CTWndListCtrlEx2::RegisterClass(GetTemplateModule());
    CTWndListCtrlEx2::RegisterClass(GetModuleHandleW(nullptr));
    return CWMFormPage::CreatePage(parent);
}

void SurveyPage::OnInitDialog()
{
    Init(m_hWnd, false, 300, 150, false);
    for (int id : {1004, kTemplate, kUserLink, 1008})
        AddItem(GetDlgItem(m_hWnd, id), RightToRight);
    for (int id : {kPick, kCreate})
        AddItem(GetDlgItem(m_hWnd, id), LeftToRight | RightToRight);
    AddItem(GetDlgItem(m_hWnd, SurveyList::kListId), RightToRight | BottomToBottom);
    // The link only reports clicks: the page opens the person itself.
    m_userLink.ClearStyle(CTHyperLink::SizeToFit);
    m_userLink.m_linkStyle |= CTHyperLink::CommandOnly;
    m_userLink.AttachDlgItem(m_hWnd, kUserLink);
    GetWindowTextString(GetDlgItem(m_hWnd, kUserLink), m_notAssigned);
    m_surveys.Create(m_hWnd, this, true);
}

bool SurveyPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result)) return true;
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = TRUE;
        return true;
    case WM_DESTROY:
        if (App* app = App::Instance())
            for (const auto& [key, command] : m_pickers)
                app->m_windows.CloseWindows(kPersonPickerType, static_cast<UINT64>(key));
        return false;
    case WM_CTLCOLORSTATIC:
        if (m_userLink.m_hWnd && reinterpret_cast<HWND>(lParam) == m_userLink.m_hWnd) {
            *result = reinterpret_cast<LRESULT>(m_userLink.OnCtlColor(reinterpret_cast<HDC>(wParam)));
            return true;
        }
        return false;
    case kMsgPersonPicked:
        OnPicked(static_cast<__int64>(wParam), static_cast<__int64>(lParam));
        *result = 0;
        return true;
    default:
        return false;
    }
}

bool SurveyPage::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    *result = 0;
    switch (id) {
    case SurveyList::kCmdOpen:
        OpenSelected();
        return true;
    case SurveyList::kCmdSend:
        SendSelected();
        return true;
    case SurveyList::kCmdDelete:
        DeleteSelected();
        return true;
    case kCreate:
        if (code == 0) CreateSurvey();
        return true;
    case kUserLink:
        if (code == 0)
            if (MainWindow* main = Main()) main->OpenObject(m_person, true, false);
        return true;
    case kTemplate:
        if (code == CBN_SELCHANGE) {
            // The edit field still holds the old text while the selection changes.
            HWND combo = GetDlgItem(m_hWnd, kTemplate);
            const int selected = static_cast<int>(::SendMessageW(combo, CB_GETCURSEL, 0, 0));
            CTString text;
            if (selected >= 0) {
                const int length = static_cast<int>(::SendMessageW(combo, CB_GETLBTEXTLEN, selected, 0));
                std::wstring buffer(length > 0 ? length + 1 : 1, L'\0');
                ::SendMessageW(combo, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(buffer.data()));
                text = buffer.c_str();
            }
            EnableWindow(GetDlgItem(m_hWnd, kCreate), m_person.id != 0 && !text.IsEmpty());
        } else if (code == CBN_EDITCHANGE) {
            UpdateCreateButton();
        } else if (code == CBN_DROPDOWN) {
            m_ou->RequestLanguages();
        }
        return true;
    case kPick:
        if (code == 0) {
            App* app = App::Instance();
            if (!app) return true;
            const __int64 key = app->m_pickerKey++;
            m_pickers[key] = kPick;
            app->m_windows.OpenWindow(kPersonPickerType, static_cast<UINT64>(key), reinterpret_cast<INT_PTR>(m_hWnd));
        }
        return true;
    default:
        return false;
    }
}

bool SurveyPage::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!hdr || static_cast<int>(wParam) != SurveyList::kListId) return false;
    switch (hdr->code) {
    case CTListCtrlReportEx::CodeDelete:
        DeleteSelected();
        *result = 0;
        return true;
    case CTListCtrlReportEx::CodeActivate:
    case NM_DBLCLK:
        OpenSelected();
        *result = 0;
        return true;
    case CTListCtrlReportEx::CodeConfirmDelete:
        FillDeleteTexts(*reinterpret_cast<DeleteConfirmInfo*>(hdr));
        *result = 0;
        return true;
    case LVN_ITEMCHANGED: {
        auto* change = reinterpret_cast<NMLISTVIEW*>(hdr);
        if (!(change->uChanged & LVIF_STATE)) break;
        OnSelectionChanged(change->iItem);
        *result = 1;
        return true;
    }
    default:
        break;
    }
    return m_surveys.Report().m_hWnd && m_surveys.Report().OnParentNotify(hdr, result);
}

CTString SurveyPage::TemplateText() const
{
    CTString text;
    if (m_hWnd) GetWindowTextString(GetDlgItem(m_hWnd, kTemplate), text);
    return text;
}

void SurveyPage::UpdateCreateButton()
{
    if (!m_hWnd) return;
    EnableWindow(GetDlgItem(m_hWnd, kCreate), m_person.id != 0 && !TemplateText().IsEmpty());
}

bool SurveyPage::Load()
{
    if (!m_hWnd) return true;
    const Object& site = m_ou->m_object;
    const CTString wanted(Value(site, L"site_survey_page").GetText());
    if (TemplateText().Compare(wanted.GetBuffer() ? wanted.GetBuffer() : L"") != 0)
        SetDlgItemTextW(m_hWnd, kTemplate, wanted.GetBuffer() ? wanted.GetBuffer() : L"");
    if (m_person.id == 0) {
        m_person.id = LinkOf(site, L"link_project_manager");
        if (m_person.id != 0) RequestPerson();
    }
    if (App* app = App::Instance()) {
        CTString search;
        search.Format(L"%I64d", site.id);
        app->m_db.ObjSearch(CTString(L"Survey Result"), DB::kParentAll, CTString(L"link_site"), search, false, DB::kNoMax,
                            m_ou->MakeRoute(DlgOU::kReqSearch, kTag));
    }
    UpdateCreateButton();
    return true;
}

void SurveyPage::RequestPerson()
{
    if (App* app = App::Instance())
        app->m_db.ObjGet(static_cast<unsigned>(m_person.id), false, false, m_ou->MakeRoute(ObjectForm::kReqObject, kPersonTag));
}

void SurveyPage::ShowPerson()
{
    if (!m_userLink.m_hWnd) return;
    if (m_person.id == 0) m_userLink.SetText(m_notAssigned.GetBuffer() ? m_notAssigned.GetBuffer() : L"");
    else m_userLink.SetText(UserText(m_person.name).GetBuffer() ? UserText(m_person.name).GetBuffer() : L"");
}

void SurveyPage::OnPicked(__int64 key, __int64 id)
{
    auto found = m_pickers.find(key);
    if (found == m_pickers.end() || found->second != kPick) return;
    m_person.Clear();
    m_person.id = id;
    if (id != 0) RequestPerson();
    else ShowPerson();
    UpdateCreateButton();
}

void SurveyPage::OnPersonReply(RequestResult& reply)
{
    if (!ObjectForm::Succeeded(reply)) return;
    TiXmlElement* element = ObjectForm::ReplyElement(reply, L"object");
    if (!element) return;
    Object person;
    person.ReadFromXml(element, true);
    if (person.id == 0 || person.id != m_person.id) return;
    m_person = person;
    ShowPerson();
    UpdateCreateButton();
}

void SurveyPage::OnSelectionChanged(int item)
{
    CTListCtrlReportEx& report = m_surveys.Report();
    if (!report.m_hWnd || item < 0) return;
    const Object* survey = m_surveys.FindSurvey(static_cast<__int64>(reinterpret_cast<INT_PTR>(report.GetRowData(item))));
    if (survey) {
        SetDlgItemTextW(m_hWnd, kTemplate, Value(*survey, L"survey_page").GetText());
        const __int64 user = LinkOf(*survey, L"link_user");
        if (user != 0 && user != m_person.id) {
            if (m_userLink.m_hWnd) m_userLink.SetText(L"");
            m_person.Clear();
            m_person.id = user;
            RequestPerson();
        }
    }
    UpdateCreateButton();
}

void SurveyPage::OnResult(RequestResult& reply)
{
    const __int64 second = reply.route.param2;
    switch (reply.route.requestId) {
    case SurveyList::kReqNames:
        m_surveys.OnNames(reply);
        break;
    case DlgOU::kReqSearch:
        if (second == kTag && ObjectForm::Succeeded(reply))
            m_surveys.Fill(reply.document, m_ou->MakeRoute(SurveyList::kReqNames));
        break;
    case kReqCreate:
        if (second == kTag && reply.resultCode == 0)
            if (TiXmlElement* element = ObjectForm::ReplyElement(reply, L"object")) {
                Object survey;
                survey.ReadFromXml(element, true);
                const bool forChosen = m_person.id != 0 && LinkOf(survey, L"link_user") == m_person.id;
                const CTString name = UserText(m_person.name);
                m_surveys.AddSurvey(survey, forChosen ? &name : nullptr);
            }
        break;
    case kReqDelete:
        if (second == kTag && reply.resultCode == 0) {
            TiXmlElement* root = ObjectForm::ReplyElement(reply, L"object");
            for (TiXmlElement* element = root; element; element = element->NextSiblingElementNamed(L"object")) {
                Object gone;
                gone.ReadFromXml(element, true);
                m_surveys.RemoveSurvey(gone.id);
            }
        }
        break;
    case ObjectForm::kReqObject:
        if (second == kPersonTag) OnPersonReply(reply);
        break;
    default:
        break;
    }
}

void SurveyPage::FillFromReply(TiXmlDocument& document)
{
    if (m_hWnd) SurveyList::AddTemplateChoices(document, GetDlgItem(m_hWnd, kTemplate));
}

void SurveyPage::CreateSurvey()
{
    App* app = App::Instance();
    MainWindow* main = Main();
    if (!app || !main || m_person.id == 0) return;
    Object survey;
    main->GetTypeByName(survey, CTString(L"Survey Result"));
    const __int64 type = survey.type != 0 ? survey.type : survey.id;
    survey.SetAttribute(CTString(L"link_site"), CAttribute(CAttribute::Integer, m_ou->m_object.id));
    survey.SetAttribute(CTString(L"link_user"), CAttribute(CAttribute::Integer, m_person.id));
    survey.SetAttribute(CTString(L"survey_page"), CAttribute(TemplateText()));
    CAttributes form;
    survey.CollectChanges(form, true);
    app->m_db.ObjNew(static_cast<unsigned>(type), static_cast<unsigned>(m_person.id), CTString(), form, CAttributes(),
                     m_ou->MakeRoute(kReqCreate, kTag));
}

void SurveyPage::DeleteSelected()
{
    App* app = App::Instance();
    CTListCtrlReportEx& report = m_surveys.Report();
    if (!app || !report.m_hWnd) return;
    for (int item = ListView_GetNextItem(report.m_hWnd, -1, LVNI_SELECTED); item >= 0;
         item = ListView_GetNextItem(report.m_hWnd, item, LVNI_SELECTED)) {
        const Object* survey = m_surveys.FindSurvey(static_cast<__int64>(reinterpret_cast<INT_PTR>(report.GetRowData(item))));
        if (survey)
            app->m_db.ObjDelete(static_cast<unsigned>(survey->id), static_cast<unsigned>(survey->serial),
                                m_ou->MakeRoute(kReqDelete, kTag));
    }
}

void SurveyPage::FillDeleteTexts(DeleteConfirmInfo& info)
{
    CTString typeName;
    if (MainWindow* main = Main()) {
        Object definition;
        main->GetTypeByName(definition, CTString(L"Survey Result"));
        typeName = UserText(definition.name);
    }
    const wchar_t* noun = typeName.GetBuffer() ? typeName.GetBuffer() : L"";
    if (info.count == 1) {
        HICON own = reinterpret_cast<HICON>(::SendMessageW(m_hWnd, WM_GETICON, ICON_SMALL, 0));
        // The box destroys the icon it is given: it gets a copy.
        if (info.icon) DestroyIcon(info.icon);
        info.icon = own ? CopyIcon(own) : nullptr;
        const Object* survey = m_surveys.FirstSelected();
        const CTString name = survey ? UserText(survey->name) : CTString();
        info.caption.FormatResource(136, noun);
        info.text.FormatResource(137, noun, name.GetBuffer() ? name.GetBuffer() : L"");
    } else {
        info.caption.FormatResource(138, noun);
        info.text.FormatResource(139, info.count);
    }
}

void SurveyPage::SendSelected()
{
    App* app = App::Instance();
    const Object* survey = m_surveys.FirstSelected();
    if (!app || !survey) return;
    const __int64 surveyId = survey->id;
    const UINT64 key = static_cast<UINT64>(LinkOf(*survey, L"link_user"));
    app->m_windows.OpenWindow(kUserWizardType, key, reinterpret_cast<INT_PTR>(m_hWnd));
    if (auto* wizard = dynamic_cast<OrganisationalUnitParameter*>(app->m_windows.FindWindow(kUserWizardType, key)))
        wizard->SetOrganisationalUnitId(surveyId);
}

void SurveyPage::OpenSelected()
{
    MainWindow* main = Main();
    if (main) m_surveys.OpenSelected(main->m_cache.systemSettings);
}
