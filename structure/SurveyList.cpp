#include "structure/SurveyList.h"

#include <commctrl.h>
#include <vector>
#include "app/App.h"
#include "foundation/IShellLauncher.h"
#include "foundation/TiXmlDocument.h"
#include "framework/CTApp.h"
#include "session/RequestResult.h"

namespace {

constexpr UINT kLayoutRoot = 104;
constexpr int kStrOpen = 135, kStrSend = 184, kStrDelete = 108;

void* Key(__int64 id) { return reinterpret_cast<void*>(static_cast<INT_PTR>(id)); }
__int64 IdOf(void* key) { return static_cast<__int64>(reinterpret_cast<INT_PTR>(key)); }

CAttribute Value(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return value;
}

TiXmlElement* ResultOf(TiXmlDocument& document)
{
    TiXmlElement* root = document.RootElement();
    if (root && wcscmp(root->Value(), L"result") == 0) return root;
    return document.FirstChildElementNamed(L"result");
}

HMODULE ModuleOf(LPCWSTR kind, UINT id)
{
    CTApp* app = CTApp::Instance();
    HMODULE module = app ? app->FindResourceModule(kind, MAKEINTRESOURCEW(id)) : nullptr;
    return module ? module : GetModuleHandleW(nullptr);
}

} // namespace

bool SurveyList::Create(HWND dialog, void* owner, bool editable)
{
    CTWndListCtrlEx2::RegisterClass(GetModuleHandleW(nullptr));
    if (!m_list.Create(dialog, kListId, true, 0)) return false;
    CTListCtrlReportEx& report = Report();
    report.ModifyOptions(CTListCtrlReport::OptGridLines, CTListCtrlReport::OptStretch);
    ListView_SetExtendedListViewStyleEx(report.m_hWnd, LVS_EX_GRIDLINES, 0);
    report.ModifyStyle(LVS_SINGLESEL, WS_TABSTOP, 0);
    report.SetColumns(CTString(L"Date;Name;User;Updated;Complete"), kLayoutRoot, GetModuleHandleW(nullptr), kLayoutName);
    report.SortBy(0, true);
    if (editable) {
        const CTListCtrlReportEx::ToolbarButton buttons[] = {
            {kCmdOpen, CTListCtrlReportEx::kStandardImage, kStrOpen, BTNS_BUTTON},
            {kCmdSend, CTListCtrlReportEx::kStandardImage, kStrSend, BTNS_BUTTON},
            {kCmdDelete, CTListCtrlReportEx::kStandardImage, kStrDelete, BTNS_BUTTON},
        };
        m_list.CreateToolbar(owner, TBSTYLE_TOOLTIPS | TBSTYLE_LIST, 3, buttons);
        CTWndToolbar& toolbar = report.m_toolbar;
        if (toolbar.m_hWnd) {
            const int image = toolbar.AddIcon(ModuleOf(RT_GROUP_ICON, kSendIcon), kSendIcon);
            if (image >= 0) {
                TBBUTTONINFOW info = {sizeof(info), TBIF_IMAGE, 0, image};
                ::SendMessageW(toolbar.m_hWnd, TB_SETBUTTONINFOW, kCmdSend, reinterpret_cast<LPARAM>(&info));
            }
        }
        report.EnableDeleteConfirm(dialog, GetModuleHandleW(nullptr), 2, 0, true);
    } else {
        const CTListCtrlReportEx::ToolbarButton buttons[] = {
            {kCmdOpen, CTListCtrlReportEx::kStandardImage, kStrOpen, BTNS_BUTTON},
        };
        m_list.CreateToolbar(owner, TBSTYLE_TOOLTIPS | TBSTYLE_LIST, 1, buttons);
    }
    report.SetEmptyText(CTString(L"No Surveys"));
    // One pixel narrower and back, so that the inner list and the toolbar lay out.
    RECT frame = {};
    GetWindowRect(m_list.m_hWnd, &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(m_list.m_hWnd, nullptr, 0, 0, width - 1, height, flags);
    SetWindowPos(m_list.m_hWnd, nullptr, 0, 0, width, height, flags);
    return true;
}

bool SurveyList::BuildRow(const Object& survey, const CTString* userName, CTListCtrlReport::Row& row) const
{
    const CAttribute user = Value(survey, L"link_user");
    const __int64 userId = user.HasValue() ? user.GetValue() : 0;
    const CAttribute enable = Value(survey, L"enable");
    row.AddAttribute(survey.created).AddText(CTString(Value(survey, L"survey_page").GetText()));
    bool unresolved = false;
    CTString cached(L" ");
    App* app = App::Instance();
    if (userId != 0 && userName) {
        row.AddText(*userName);
    } else if (userId != 0 && app && app->GetCachedPath(userId, cached)) {
        row.AddText(LastPathPart(cached));
    } else {
        row.AddAttribute(userId != 0 ? CAttribute(CAttribute::Integer, userId) : CAttribute());
        unresolved = userId != 0;
    }
    row.AddAttribute(survey.updated).AddAttribute(CAttribute(CAttribute::Integer2, enable.HasValue() ? 1 : 0));
    return unresolved;
}

void SurveyList::Fill(TiXmlDocument& document, const RequestRoute& namesRoute)
{
    CTListCtrlReportEx& report = Report();
    if (report.m_hWnd) report.DeleteAllRows();
    m_surveys.Clear();
    std::vector<__int64> unresolved;
    TiXmlElement* root = ResultOf(document);
    for (TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr; element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object survey;
        survey.ReadFromXml(element, true);
        m_surveys.AddChild(survey);
        CTListCtrlReport::Row row(Key(survey.id));
        if (BuildRow(survey, nullptr, row)) unresolved.push_back(Value(survey, L"link_user").GetValue());
        if (report.m_hWnd) report.InsertRow(report.GetItemCount(), 0, row);
    }
    App* app = App::Instance();
    if (!app || unresolved.empty()) return;
    RequestRoute route = namesRoute;
    route.requestId = kReqNames;
    route.param2 = kUserColumn;
    app->IDsToPaths(unresolved, route);
}

void SurveyList::AddSurvey(const Object& survey, const CTString* userName)
{
    m_surveys.AddChild(survey);
    CTListCtrlReportEx& report = Report();
    if (!report.m_hWnd) return;
    CTListCtrlReport::Row row(Key(survey.id));
    BuildRow(survey, userName, row);
    report.AddRow(0, row);
}

void SurveyList::RemoveSurvey(__int64 id)
{
    CTListCtrlReportEx& report = Report();
    if (report.m_hWnd) {
        const int item = report.FindRowByData(Key(id));
        if (item >= 0) report.DeleteRow(item);
    }
    std::erase_if(m_surveys.children, [id](const Object& survey) { return survey.id == id; });
}

void SurveyList::OnNames(RequestResult& reply)
{
    CTListCtrlReportEx& report = Report();
    TiXmlElement* root = ResultOf(reply.document);
    if (reply.returnCode != 0 || !report.m_hWnd || !root) return;
    const int column = static_cast<int>(reply.route.param2);
    for (TiXmlElement* value = root->FirstChildElementNamed(L"value"); value;
         value = value->NextSiblingElementNamed(L"value")) {
        const wchar_t* idText = value->GetAttribute(L"ID");
        const wchar_t* path = value->GetAttribute(L"path");
        const __int64 id = ReadDecimal64(idText ? idText : L"");
        if (id == 0) continue;
        const CTString name = LastPathPart(CTString(path ? path : L""));
        for (int item = 0; item < report.GetItemCount(); ++item) {
            CAttribute cell;
            if (!report.GetCell(item, column, cell)) continue;
            if (!CAttribute::IsTextType(cell.GetType()) && cell.GetValue() == id)
                report.SetCell(item, column, CTListCtrlReport::Cell(CAttribute::Text, name));
        }
    }
    report.FitColumnsToContent();
}

const Object* SurveyList::FindSurvey(__int64 id) const
{
    for (const Object& survey : m_surveys.children)
        if (survey.id == id) return &survey;
    return nullptr;
}

const Object* SurveyList::FirstSelected() const
{
    auto& report = const_cast<SurveyList*>(this)->m_list.m_report;
    if (!report.m_hWnd) return nullptr;
    const int item = ListView_GetNextItem(report.m_hWnd, -1, LVNI_SELECTED);
    if (item < 0) return nullptr;
    return FindSurvey(IdOf(report.GetRowData(item)));
}

void SurveyList::OpenSelected(const Object& settings) const
{
    const Object* survey = FirstSelected();
    if (!survey) return;
    const CTString address = LinkAddress(settings, *survey);
    OpenAsDesktopUser(address.GetBuffer() ? address.GetBuffer() : L"");
}

CTString SurveyList::LinkAddress(const Object& settings, const Object& survey)
{
    CTString address(Value(settings, L"web_address").GetText());
    address.AppendText(L"/=");
    address.AppendText(Value(survey, L"linkaccess_id").GetText());
    return address;
}

CTString SurveyList::LastPathPart(const CTString& path)
{
    const wchar_t* text = path.GetBuffer() ? path.GetBuffer() : L"";
    const wchar_t* last = wcsrchr(text, L'\\');
    return CTString(last ? last + 1 : text);
}

void SurveyList::AddTemplateChoices(TiXmlDocument& document, HWND combo)
{
    TiXmlElement* root = ResultOf(document);
    if (!root || !combo) return;
    for (TiXmlElement* lang = root->FirstChildElementNamed(L"lang"); lang; lang = lang->NextSiblingElementNamed(L"lang")) {
        const wchar_t* type = lang->GetAttribute(L"type");
        const wchar_t* name = lang->GetAttribute(L"name");
        if (type && lstrcmpiW(type, L"survey") == 0)
            ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name ? name : L""));
    }
}
