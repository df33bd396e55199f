#include "structure/DlgSite.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/HeadingMarkup.h"
#include "app/MainWindow.h"
#include "controls/CGDIManager.h"
#include "foundation/TiXmlDocument.h"
#include "session/FormHelpers.h"
#include "session/RequestResult.h"

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

TiXmlElement* ResultOf(RequestResult& result)
{
    return result.document.FirstChildElementNamed(L"result");
}

bool Failed(const RequestResult& result) { return result.resultCode != 0 || result.returnCode != 0; }

struct PanelRow {
    const wchar_t* attribute;
    const wchar_t* prefix;
};

const PanelRow kPanelRows[] = {
    {L"link_organisation",
     L"<Text attrib=\"Label\" column=\"1\">Owner:</Text><Text attrib=\"Heading-Hottrack\" on-click=\""},
    {L"link_primary_contact",
     L"<Text attrib=\"Label\" column=\"1\">Primary Contact:</Text><Text attrib=\"Heading-Hottrack\" on-click=\""},
    {L"link_secondary_contact",
     L"<Text attrib=\"Label\" column=\"1\">Secondary Contact:</Text><Text attrib=\"Heading-Hottrack\" on-click=\""},
};

const wchar_t* const kLinkedAttributes[] = {L"link_organisation", L"link_primary_contact", L"link_secondary_contact",
                                            L"link_project_manager"};

void ReplaceAll(CTString& text, const wchar_t* variable, const CTString& value)
{
    std::wstring s = text.GetBuffer() ? text.GetBuffer() : L"";
    const std::wstring what = variable, with = value.GetBuffer() ? value.GetBuffer() : L"";
    for (size_t at = s.find(what); at != std::wstring::npos; at = s.find(what))
        s.replace(at, what.size(), with);
    text = s.c_str();
}

} // namespace

DlgSite::DlgSite() : ObjectPane(kTemplate, kConsoleType)
{
    CTWndDraw::RegisterClass(TemplateModule());
    CTWndListCtrlEx2::RegisterClass(GetModuleHandleW(nullptr));
}

DlgSite::~DlgSite() { m_surveys.m_list.Destroy(); }

void DlgSite::OnInitDialog()
{
    CTWndSize::Init(m_hWnd, false, 100, 100, false);
    AttachHeader(kHeader);
    for (int id : {kDescription, kPanel})
        AddItem(GetDlgItem(m_hWnd, id), RightToRight);
    for (int id : {1005, static_cast<int>(kAddress)})
        AddItem(GetDlgItem(m_hWnd, id), LeftToRight | RightToRight);
    AddItem(GetDlgItem(m_hWnd, kAttributes), RightToRight | BottomToBottom);
    AddItem(GetDlgItem(m_hWnd, SurveyList::kListId), LeftToRight | RightToRight | BottomToBottom);
    m_panel.AttachDlgItem(m_hWnd, kPanel, 0);
    m_description.AttachDlgItem(kDescription, m_hWnd);
    m_attributes.Create(kAttributes, m_hWnd);
    m_surveys.Create(m_hWnd, this, false);
    Refresh();
}

void DlgSite::SendRequests()
{
    App* app = GetApp();
    if (!app) return;
    CTString ids;
    ids.Format(L"/%I64d/", m_key);
    app->m_db.ObjSearchIds(ids, true, Route(kReqObject, kSiteTag));
    CTString search;
    search.Format(L"%I64d", m_key);
    app->m_db.ObjSearch(CTString(L"Survey Result"), DB::kParentAll, CTString(L"link_site"), search, false, DB::kNoMax,
                        Route(kReqSearch, kSurveysTag));
}

void DlgSite::OnReply(RequestResult& result)
{
    const __int64 second = result.route.param2;
    switch (result.route.requestId) {
    case kReqIcon:
        TakeHeadingIcon(m_site);
        break;
    case SurveyList::kReqNames:
        m_surveys.OnNames(result);
        break;
    case kReqSearch:
        if (second == kSurveysTag && !Failed(result)) m_surveys.Fill(result.document, Route(SurveyList::kReqNames, 0));
        break;
    case kReqObject:
        if (second == kSiteTag) {
            if (Failed(result)) ReportObjectGone(result.statusText);
            else OnSiteReply(result);
        } else if (second == kLinkedTag && !Failed(result)) {
            // Without the linked objects the pane stays, showing the site without those rows.
            OnLinkedReply(result);
        }
        break;
    default:
        break;
    }
}

void DlgSite::OnSiteReply(RequestResult& result)
{
    TiXmlElement* root = ResultOf(result);
    TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr;
    if (!element) return;
    Object site;
    site.ReadFromXml(element, true);
    if (site.id != m_key) return;
    // The linked objects fetched before stay: they are not asked for again.
    std::vector<Object> linked = std::move(m_site.children);
    m_site.Clear();
    m_site.ReadFromXml(element, true);
    m_site.children = std::move(linked);
    ShowSite();
    CTString wanted;
    for (const wchar_t* attribute : kLinkedAttributes) {
        const __int64 id = LinkOf(m_site, attribute);
        if (id == 0 || FindLinked(id)) continue;
        CTString part;
        part.Format(L"%I64d/", id);
        if (wanted.IsEmpty()) wanted = L"/";
        wanted.Append(part);
    }
    if (!wanted.IsEmpty())
        if (App* app = GetApp()) app->m_db.ObjSearchIds(wanted, false, Route(kReqObject, kLinkedTag));
}

void DlgSite::OnLinkedReply(RequestResult& result)
{
    TiXmlElement* root = ResultOf(result);
    for (TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr; element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object linked;
        linked.ReadFromXml(element, true);
        m_site.AddChild(linked);
    }
    ShowSite();
}

const Object* DlgSite::FindLinked(__int64 id) const
{
    for (const Object& object : m_site.children)
        if (object.id == id) return &object;
    return nullptr;
}

void DlgSite::ShowSite()
{
    if (!m_hWnd) return;
    TakeHeadingIcon(m_site);
    if (m_header.m_hWnd) m_header.SetText(BuildObjectHeadingMarkup(m_site, CTString(L"display_name"), true, false));
    const CTString address = BuildAddress(m_site);
    SetDlgItemTextW(m_hWnd, kAddress, address.GetBuffer() ? address.GetBuffer() : L"");
    SetDlgItemTextW(m_hWnd, kDescription, Value(m_site, L"description").GetText());
    CGDIManager::CObject* entry = CGDIManager::Instance()->Find(kGdiHotTrack);
    const COLORREF hot = entry ? static_cast<COLORREF>(entry->Get()) : 0;
    if (m_panel.m_hWnd)
        m_panel.SetText(BuildPanelMarkup(m_site, m_site.children, GetSysColor(COLOR_HIGHLIGHT), entry ? &hot : nullptr));
    if (m_attributes.m_hWnd)
        if (MainWindow* main = Main()) {
            main->FillAttributeEditor(m_attributes, nullptr, m_hWnd, Route(kReqLookups, 0), m_site);
            m_attributes.SetListReadOnly(true);
        }
}

CTString DlgSite::ColourText(COLORREF colour)
{
    CTString text;
    text.Format(L"#%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

CTString DlgSite::BuildAddress(const Object& site)
{
    CTString text;
    for (const wchar_t* line : {L"address_line_1", L"address_line_2", L"city", L"region", L"post_code"}) {
        const CAttribute value = Value(site, line);
        if (value.GetTextLength() == 0) continue;
        text.AppendText(value.GetText());
        text.AppendText(L"\r\n");
    }
    text.AppendText(Value(site, L"country").GetText());
    return text;
}

CTString DlgSite::BuildPanelMarkup(const Object& site, const std::vector<Object>& linked, COLORREF highlight,
                                   const COLORREF* hotTrack)
{
    CTString text(L"<Attribs>"
                  L"<Attrib id=\"Heading-2\" font-size=\"12\" font-weight=\"500\" color=\"$HeaderColour$\" />"
                  L"<Attrib id=\"Heading-Hottrack\" font-size=\"12\" color=\"$HeaderColour$\" hot-track=\"$HotTrackColour$\" />"
                  L"<Attrib id=\"Label\" font-size=\"11\" padding-right=\"8\" text-align=\"right\" color=\"$LabelColour$\" />"
                  L"</Attribs>"
                  L"<Div>");
    for (const PanelRow& row : kPanelRows) {
        const __int64 id = LinkOf(site, row.attribute);
        const Object* object = nullptr;
        for (const Object& candidate : linked)
            if (id != 0 && candidate.id == id) {
                object = &candidate;
                break;
            }
        if (!object) continue;
        CTString number;
        number.Format(L"%I64u", static_cast<unsigned __int64>(object->id));
        CTString name(object->name.GetBuffer() ? object->name.GetBuffer() : L"");
        name.XmlEscape();
        text.AppendText(row.prefix);
        text.Append(number);
        text.AppendText(L"\" >");
        text.Append(name);
        text.AppendText(L"</Text><BR />");
    }
    text.AppendText(L"</Div>");
    const COLORREF heading = RGB(GetRValue(highlight) / 2, GetGValue(highlight) / 2, GetBValue(highlight) / 2);
    const BYTE grey = static_cast<BYTE>(255 - 255 * 0.7);
    ReplaceAll(text, L"$HeaderColour$", ColourText(heading));
    ReplaceAll(text, L"$HotTrackColour$", ColourText(hotTrack ? *hotTrack : RGB(0, 0, 0)));
    ReplaceAll(text, L"$LabelColour$", ColourText(RGB(grey, grey, grey)));
    return text;
}

bool DlgSite::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result)) return true;
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = TRUE;
        return true;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        *result = reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        return true;
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(lParam);
        break;
    default:
        break;
    }
    return m_attributes.m_hWnd && m_attributes.OnParentMessage(msg, wParam, lParam, result);
}

bool DlgSite::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!hdr) return false;
    const int id = static_cast<int>(wParam);
    if (id == SurveyList::kListId) {
        if (hdr->code == CTListCtrlReportEx::CodeActivate || hdr->code == NM_DBLCLK) {
            if (MainWindow* main = Main())
                m_surveys.OpenSelected(main->m_cache.systemSettings);
            *result = 0;
            return true;
        }
        return m_surveys.Report().m_hWnd && m_surveys.Report().OnParentNotify(hdr, result);
    }
    if (id == kPanel && hdr->code == static_cast<UINT>(NM_CLICK)) {
        const auto* click = reinterpret_cast<const CTWndDraw::NMDRAWCLICK*>(hdr);
        const Object* linked = FindLinked(click->clickId);
        MainWindow* main = Main();
        if (linked && main) main->OpenObject(*linked, false, false);
        *result = 0;
        return true;
    }
    return false;
}

bool DlgSite::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    *result = 0;
    switch (LOWORD(wParam)) {
    case IDCLOSE:
        Close();
        return true;
    case SurveyList::kCmdOpen:
        if (MainWindow* main = Main())
            m_surveys.OpenSelected(main->m_cache.systemSettings);
        return true;
    default:
        return false;
    }
}
