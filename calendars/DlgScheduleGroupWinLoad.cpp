// Loading the deployment-window editor: the window with its group and slots, the sites, the group's
// deployment windows, the list fill and sort, the site names and the summary.
#include "calendars/DlgScheduleGroupWin.h"

#include <commctrl.h>
#include <algorithm>
#include <list>
#include <string>
#include "app/App.h"
#include "app/HeadingMarkup.h"
#include "app/MainWindow.h"
#include "foundation/CAttributes.h"
#include "foundation/UnixClock.h"
#include "framework/CTREngine.h"
#include "session/RequestResult.h"

namespace {

const wchar_t* const kSpecPlain = L"*day_of_week|end_date|*used|max_deployments|*link_site";
const wchar_t* const kSpecKinds = L"*day_of_week|end_date|*link_deployment_slot_data|*used|max_deployments|*link_site";

const wchar_t* CaptionOf(const CTString& name)
{
    struct Caption {
        const wchar_t* name;
        const wchar_t* caption;
    };
    static const Caption captions[] = {
        {L"day_of_week", L"Day"},
        {L"end_date", L"Date"},
        {L"link_deployment_slot_data", L"Slot"},
        {L"used", L"Used"},
        {L"max_deployments", L"Max Deployments"},
        {L"link_site", L"Site"},
    };
    for (const Caption& c : captions)
        if (lstrcmpW(name.GetBuffer() ? name.GetBuffer() : L"", c.name) == 0)
            return c.caption;
    return name.GetBuffer() ? name.GetBuffer() : L"";
}

// Column names of a column text: stars and surrounding blanks and quotes removed.
std::vector<CTString> ColumnItems(const wchar_t* spec)
{
    std::vector<CTString> items;
    const wchar_t* start = spec;
    for (const wchar_t* p = spec;; ++p) {
        if (*p == L'|' || *p == 0) {
            CTString item(std::wstring(start, p).c_str());
            item.Trim(L' ');
            item.Trim(L'"');
            item.TrimLeft(L'*');
            items.push_back(item);
            if (*p == 0)
                break;
            start = p + 1;
        }
    }
    return items;
}

// Weekday of a day value's UTC date, 0 = Sunday.
int UtcWeekday(unsigned __int64 day)
{
    return static_cast<int>((day / 86400 + 4) % 7);
}

COLORREF Mix(int r, int g, int b)
{
    return RGB(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
}

} // namespace

bool DlgScheduleGroupWin::UsesSlotKinds() const
{
    std::vector<__int64> kinds;
    return !m_group.GetLinkArray(kinds, CTString(L"deployment_slot")).empty();
}

void DlgScheduleGroupWin::GetColumnSpec(CTString& out) const
{
    out = UsesSlotKinds() ? kSpecKinds : kSpecPlain;
}

void DlgScheduleGroupWin::Refresh()
{
    if (!m_hWnd)
        return;
    if (!m_visible) {
        m_refreshPending = true;
        return;
    }
    m_refreshPending = false;
    Clear();
    m_window.id = m_key;
    const unsigned generation = ++m_loadGeneration;
    App* app = GetApp();
    if (!app)
        return;
    CAttributes form;
    form.SetNumber(CTString(L"ID"), static_cast<int>(m_key));
    form.SetNumber(CTString(L"CHILDREN"), 1);
    form.SetNumber(CTString(L"PARENTS"), 1);
    std::weak_ptr<DlgScheduleGroupWin*> alive = m_alive;
    app->m_db.Post(CTString(L"api/api_objGet.php"), form, [alive, generation](DB::DBEvent& reply) {
        auto pane = alive.lock();
        if (pane && *pane)
            (*pane)->ReadObjectsReply(reply, generation);
    });
}

void DlgScheduleGroupWin::Clear()
{
    m_editor.CloseEditor();
    m_editor.RemoveAllRows();
    CTListCtrlReportEx& report = m_list.m_report;
    if (report.m_hWnd)
        report.DeleteAllRows();
    m_tickedCount = 0;
    m_rowCount = 0;
    m_tickAnchor = -1;
    m_group = Object();
    m_window = Object();
    m_slotCache.Clear();
    m_slots.clear();
    m_siteIds.clear();
    m_sitePicks.clear();
    m_rowKeyCounter = 0;
    m_filling = false;
    m_readOnlyColumns = {1, 2};
    const COLORREF menu = GetSysColor(COLOR_MENU);
    const int r = GetRValue(menu), g = GetGValue(menu), b = GetBValue(menu);
    report.SetColour(kColourClosed, RGB(255, 0, 0));
    report.SetColour(kColourFull, RGB(0, 0, 255));
    report.SetColour(kColourNotCalendar, menu);
    report.SetColour(kColourNew, Mix(static_cast<int>(0.8 * r), static_cast<int>(255 - 0.8 * (255 - g)),
                                     static_cast<int>(0.8 * b)));
    report.SetColour(kColourChanged, Mix(static_cast<int>(255 - 0.8 * (255 - r)), static_cast<int>(255 - 0.8 * (255 - g)),
                                         static_cast<int>(32 + 0.8 * (b - 32))));
    report.SetColour(kColourDeleted, Mix(static_cast<int>(255 - 0.8 * (255 - r)), static_cast<int>(0.8 * g),
                                         static_cast<int>(0.8 * b)));
    m_columnNames.clear();
    UpdateStatusText();
}

void DlgScheduleGroupWin::ReadObjects(TiXmlElement* result)
{
    if (!result)
        return;
    // Two passes: the server may list the window's parents before the window itself, and the group
    // is known only once the window's parent id is.
    for (TiXmlElement* element = result->FirstChildElementNamed(L"object"); element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object object;
        object.ReadFromXml(element, true);
        if (object.id == m_window.id && object.id != 0) {
            m_window = object;
            break;
        }
    }
    for (TiXmlElement* element = result->FirstChildElementNamed(L"object"); element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object object;
        object.ReadFromXml(element, true);
        if (object.id == m_window.id)
            continue;
        if (object.id != 0 && object.id == m_window.parent) {
            m_group = object;
        } else if (object.parent == m_window.id && m_window.id != 0) {
            SlotEntry entry;
            CAttribute site;
            object.GetAttribute(site, CTString(L"link_site"));
            m_siteIds.push_back(site.GetValue());
            entry.object = std::move(object);
            m_slots.emplace(++m_rowKeyCounter, std::move(entry));
        }
    }
    std::sort(m_siteIds.begin(), m_siteIds.end());
    m_siteIds.erase(std::unique(m_siteIds.begin(), m_siteIds.end()), m_siteIds.end());
}

void DlgScheduleGroupWin::SetUpColumns()
{
    const bool kinds = UsesSlotKinds();
    m_usedColumn = kinds ? 4 : 3;
    m_maxColumn = m_usedColumn + 1;
    m_siteColumn = m_usedColumn + 2;
    CTString spec;
    GetColumnSpec(spec);
    std::vector<CTString> items = ColumnItems(spec.GetBuffer());
    m_columnNames.assign(1, CTString());
    CTString columns(L" ");
    for (const CTString& item : items) {
        m_columnNames.push_back(item);
        CTString caption;
        caption.Format(L";\"%s\"", CaptionOf(item));
        columns.Append(caption);
    }
    if (m_list.m_report.m_hWnd)
        m_list.m_report.SetColumns(columns, 0, nullptr, nullptr);
}

void DlgScheduleGroupWin::ReadObjectsReply(DB::DBEvent& reply, unsigned generation)
{
    if (generation != m_loadGeneration)
        return;
    TiXmlDocument document;
    if (reply.ReadXmlReply(document) != 2)
        return;
    ReadObjects(document.FirstChildElementNamed(L"result"));
    m_readOnlyColumns.push_back(UsesSlotKinds() ? 4 : 3);
    SetUpColumns();

    App* app = GetApp();
    if (!app)
        return;
    CAttribute image;
    m_window.GetAttribute(image, CTString(L"tree_image"));
    CTString imageName(image.GetString());
    if (!imageName.IsEmpty()) {
        m_iconIndex = app->FindIcon(imageName);
        if (m_iconIndex == -1)
            m_iconIndex = app->AddIcon(imageName, ReplyRoute(kReqIcon));
        if (HICON icon = app->GetIcon(0, imageName, ReplyRoute(kReqIcon))) {
            m_header.SetIcon(icon);
            DestroyIcon(icon);
        }
    }
    app->IDToPath(m_window.id, ReplyRoute(kReqPath, 1));

    std::list<__int64> ids(m_siteIds.begin(), m_siteIds.end());
    app->m_dir.FetchObjects(ids, m_route, [this, generation]() { RequestDeploymentWindows(generation); }, nullptr);
}

void DlgScheduleGroupWin::RequestDeploymentWindows(unsigned generation)
{
    if (generation != m_loadGeneration)
        return;
    if (App* app = GetApp())
        app->GetDeploymentWindowsCached(static_cast<unsigned>(m_group.id), ReplyRoute(kReqWindows, generation));
}

void DlgScheduleGroupWin::OnReply(RequestResult& result)
{
    switch (result.route.requestId) {
    case kReqSave:
        OnSaveResult(result);
        return;
    case kReqIcon:
        if (result.route.param2 == m_iconIndex) {
            CAttribute image;
            m_window.GetAttribute(image, CTString(L"tree_image"));
            App* app = GetApp();
            if (app && !image.GetString().IsEmpty()) {
                if (HICON icon = app->GetIcon(0, CTString(image.GetString()), ReplyRoute(kReqIcon))) {
                    m_header.SetIcon(icon);
                    DestroyIcon(icon);
                }
            }
        }
        return;
    case kReqPath:
        if (result.route.param2 == 1 && result.returnCode == 0)
            OnPathReply(result);
        return;
    case kReqWindows:
        // A reply asked for by a load that a later one replaced would add its totals twice.
        if (result.returnCode != 0 || result.route.param2 != static_cast<__int64>(m_loadGeneration))
            return;
        m_slotCache.Clear();
        m_slotCache.ReadReply(result.document, nullptr);
        FillList();
        return;
    default:
        return;
    }
}

void DlgScheduleGroupWin::OnPathReply(RequestResult& result)
{
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    TiXmlElement* parameters = root ? root->FirstChildElementNamed(L"parameters") : nullptr;
    const wchar_t* id = parameters ? parameters->GetAttribute(L"ID") : nullptr;
    __int64 asked = id ? ReadDecimal64(id) : 0;
    if (asked == 0 || asked != m_window.id)
        return;
    TiXmlElement* value = root->FirstChildElementNamed(L"value");
    const wchar_t* path = value ? value->GetAttribute(L"path") : nullptr;
    if (path)
        m_window.path = path;
    m_header.SetText(BuildObjectHeadingMarkup(m_window, CTString(), true, true));
}

void DlgScheduleGroupWin::FillList()
{
    CTListCtrlReportEx& report = m_list.m_report;
    if (!report.m_hWnd)
        return;
    m_usedColumn = UsesSlotKinds() ? 4 : 3;
    m_maxColumn = m_usedColumn + 1;
    m_siteColumn = m_usedColumn + 2;
    m_tickAnchor = -1;
    report.EnableAutoSort(false);
    m_editor.CloseEditor();
    report.DeleteAllRows();
    m_editor.RemoveAllRows();
    m_tickedCount = 0;
    ::SendMessageW(report.m_hWnd, WM_SETREDRAW, FALSE, 0);
    m_filling = true;
    m_now = UnixClock::Now();

    // The first entry of each object id, so that each window finds its slot at once.
    std::map<__int64, __int64> keyOfId;
    for (const auto& [key, entry] : m_slots)
        keyOfId.emplace(entry.object.id, key);

    for (const auto& [day, windows] : m_slotCache.m_days) {
        const int weekday = UtcWeekday(day);
        const CTString& dayName = m_dayNames[weekday == 0 ? 6 : weekday - 1];
        for (const auto& [order, window] : windows) {
            (void)order;
            auto found = keyOfId.find(window.id);
            if (found == keyOfId.end())
                continue;
            SlotEntry& entry = m_slots[found->second];
            entry.id = window.id;
            entry.used = window.used;
            entry.capacity = window.capacity;
            entry.isDay = window.isDay;
            entry.lockMin = window.lockMin;
            entry.lockMax = window.lockMax;
            entry.code = window.code;
            entry.description = window.description;
            int item = UpdateRowItem(found->second, entry, report.GetItemCount());
            if (item < 0)
                continue;
            report.SetCellAttribute(item, 1, CAttribute(dayName));
            if (DeploymentWin::IsClosed(window, m_now) || window.used > window.capacity) {
                report.SetCellTextColour(item, m_usedColumn, kColourClosed);
                report.SetCellTextColour(item, m_maxColumn, kColourClosed);
            } else if (window.used == window.capacity) {
                report.SetCellTextColour(item, m_usedColumn, kColourFull);
                report.SetCellTextColour(item, m_maxColumn, kColourFull);
            }
            if (window.isDay == 0)
                report.SetRowColour(item, kColourNotCalendar);
        }
    }
    m_filling = false;
    SortRows();
    report.SetColumnFixedWidth(0, Scaled40());
    report.EnableAutoSort(true);
    ::SendMessageW(report.m_hWnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(report.m_hWnd, nullptr, TRUE);
    UpdateStatusText();
    UpdateSummary();

    App* app = GetApp();
    if (app) {
        std::list<__int64> ids(m_siteIds.begin(), m_siteIds.end());
        const unsigned generation = m_loadGeneration;
        app->m_dir.FetchObjects(ids, m_route, [this, generation]() {
            if (generation == m_loadGeneration)
                ShowSiteNames();
        }, nullptr);
    } else {
        ShowSiteNames();
    }
    SetModified(false);
}

int DlgScheduleGroupWin::Scaled40()
{
    ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
    if (!dpi.loaded)
        dpi.Load();
    return dpi.Scale(40);
}

void DlgScheduleGroupWin::SortRows()
{
    CTListCtrlReportEx& report = m_list.m_report;
    if (!report.m_hWnd)
        return;
    ListView_SortItems(report.m_hWnd, &CompareRows, reinterpret_cast<LPARAM>(this));
    InvalidateRect(report.m_hWnd, nullptr, TRUE);
}

int CALLBACK DlgScheduleGroupWin::CompareRows(LPARAM a, LPARAM b, LPARAM pane)
{
    auto* self = reinterpret_cast<DlgScheduleGroupWin*>(pane);
    // Each list item carries the report's copy of its row, whose data is the row key.
    auto* rowA = reinterpret_cast<CTListCtrlReport::Row*>(a);
    auto* rowB = reinterpret_cast<CTListCtrlReport::Row*>(b);
    if (!self || !rowA || !rowB)
        return 0;
    auto ea = self->m_slots.find(reinterpret_cast<__int64>(rowA->m_data));
    auto eb = self->m_slots.find(reinterpret_cast<__int64>(rowB->m_data));
    if (ea == self->m_slots.end() || eb == self->m_slots.end())
        return 0;
    return self->CompareEntries(ea->second, eb->second);
}

int DlgScheduleGroupWin::CompareEntries(const SlotEntry& a, const SlotEntry& b)
{
    const CTString endDate(L"end_date"), kind(L"link_deployment_slot_data");
    CAttribute da, db;
    a.object.GetAttribute(da, endDate);
    b.object.GetAttribute(db, endDate);
    if (da.IsGreater(db))
        return 1;
    if (da.IsLess(db))
        return -1;
    CAttribute ka, kb;
    a.object.GetAttribute(ka, kind);
    b.object.GetAttribute(kb, kind);
    const int oa = m_slotDataOrder[ka.GetValue()];
    const int ob = m_slotDataOrder[kb.GetValue()];
    if (ob < oa)
        return 1;
    if (oa < ob)
        return -1;
    return 0;
}

void DlgScheduleGroupWin::ShowSiteNames()
{
    CTListCtrlReportEx& report = m_list.m_report;
    if (!report.m_hWnd)
        return;
    // Walks the items rather than the entries, so each row is found without a search.
    const int count = report.GetItemCount();
    for (int item = 0; item < count; ++item) {
        SlotEntry* entry = EntryOfItem(item);
        if (entry)
            SetSiteCellText(item, *entry);
    }
}

void DlgScheduleGroupWin::SetSiteCellText(int item, const SlotEntry& entry)
{
    const CTString site(L"link_site");
    CAttribute value;
    entry.object.GetAttribute(value, site);
    CTString text;
    if (App* app = GetApp()) {
        if (value.GetValue() != 0) {
            const Object* found = app->m_dir.Lookup(value.GetValue());
            if (found && found->id != 0)
                text = found->name.GetBuffer() ? found->name.GetBuffer() : L"";
        }
    }
    if (entry.object.IsAttributeDefault(site))
        text.AppendText(L" <inherited>");
    m_list.m_report.SetCellAttribute(item, m_siteColumn, CAttribute(text));
}

CTString DlgScheduleGroupWin::FormatFreeSlots(int total, int used)
{
    const float percent = total ? static_cast<float>(used) / static_cast<float>(total) * 100.0f : 0.0f;
    CTString line;
    line.Format(L"%d - Allocated %d/%d (%.1f%%)", total - used, used, total, static_cast<double>(percent));
    return line;
}

CTString DlgScheduleGroupWin::BuildSummaryMarkup() const
{
    int total = 0;
    const CTString maxName(L"max_deployments");
    for (const auto& [key, entry] : m_slots) {
        (void)key;
        CAttribute capacity;
        entry.object.GetAttribute(capacity, maxName);
        total += capacity.GetValue32();
    }
    CTString text(L"<Attribs>"
                  L"<Attrib id=\"Heading-1\" font-size=\"18\" font-weight=\"600\" color=\"$HeaderColour$\" />"
                  L"<Attrib id=\"Heading-2\" font-size=\"12\" font-weight=\"500\" color=\"$HeaderColour$\" />"
                  L"<Attrib id=\"Label\" font-size=\"11\" padding-right=\"8\" text-align=\"right\" color=\"$LabelColour$\" />"
                  L"</Attribs>"
                  L"<Div>"
                  L"<Text attrib=\"Label\" column=\"1\">Schedule Group T0:</Text><Text id=\"T0\" attrib=\"Heading-1\">$T0$</Text><BR />");
    if (total != 0) {
        text.AppendText(L"<Text attrib=\"Label\" column=\"1\">Free Slots:</Text><Text>");
        text.Append(FormatFreeSlots(total, m_slotCache.m_usedTotal));
        text.AppendText(L"</Text><BR/>");
    }
    text.AppendText(L"</Div>");

    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF header = RGB(GetRValue(highlight) / 2, GetGValue(highlight) / 2, GetBValue(highlight) / 2);
    const COLORREF label = RGB(76, 76, 76);
    CTString headerText, labelText;
    headerText.AppendHtmlColour(&header);
    labelText.AppendHtmlColour(&label);
    CAttribute t0;
    m_group.GetAttribute(t0, CTString(L"T0_date"));
    CTString t0Text(L"Not Set");
    if (t0.GetValue() != 0) {
        CAttribute date(CAttribute::Date, t0.GetValue());
        t0Text = date.GetString();
    }
    text.Replace(CTString(L"$HeaderColour$"), headerText, true);
    text.Replace(CTString(L"$LabelColour$"), labelText, true);
    text.Replace(CTString(L"$T0$"), t0Text, true);
    return text;
}

void DlgScheduleGroupWin::UpdateSummary()
{
    if (!m_summary.m_hWnd)
        return;
    CTString text = BuildSummaryMarkup();
    ::SendMessageW(m_summary.m_hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.GetBuffer()));
    m_summary.ParseText();
}
