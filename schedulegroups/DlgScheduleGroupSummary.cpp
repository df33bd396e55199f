// The summary above the schedule-group pages: T0, contacts, counts, deployment-window totals,
// locations, site and link expiry, written as mark-up together with the table of its links.
#include "schedulegroups/DlgScheduleGroup.h"

#include <algorithm>
#include "app/App.h"
#include "app/MainWindow.h"
#include "calendars/model/DeploymentWin.h"
#include "controls/CGDIManager.h"
#include "foundation/UnixClock.h"
#include "session/DeploymentWorkflow.h"

namespace {

// Today as a day value: the local calendar date at 00:00 UTC.
__int64 LocalToday()
{
    const __int64 now = UnixClock::Now();
    ULARGE_INTEGER value;
    value.QuadPart = static_cast<ULONGLONG>(now + 11644473600LL) * 10000000ULL;
    FILETIME utc = {value.LowPart, value.HighPart}, local = {};
    SYSTEMTIME day = {};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &day))
        return now - now % 86400;
    day.wHour = day.wMinute = day.wSecond = day.wMilliseconds = 0;
    FILETIME midnight = {};
    SystemTimeToFileTime(&day, &midnight);
    value.LowPart = midnight.dwLowDateTime;
    value.HighPart = midnight.dwHighDateTime;
    return static_cast<__int64>(value.QuadPart / 10000000ULL) - 11644473600LL;
}

COLORREF Mix(COLORREF c, COLORREF a, double share)
{
    auto channel = [share](int cv, int av) { return static_cast<int>((cv - av) * share + av); };
    return RGB(channel(GetRValue(c), GetRValue(a)), channel(GetGValue(c), GetGValue(a)),
               channel(GetBValue(c), GetBValue(a)));
}

CTString HtmlColour(COLORREF colour)
{
    CTString text;
    text.AppendHtmlColour(&colour);
    return text;
}

CTString Escaped(const wchar_t* text)
{
    CTString out(text ? text : L"");
    out.XmlEscape();
    return out;
}

CTString Number(__int64 value)
{
    wchar_t text[32];
    _snwprintf(text, 32, L"%I64d", value);
    return CTString(text);
}

} // namespace

__int64 (*DlgScheduleGroup::s_startOfToday)() = &LocalToday;

void DlgScheduleGroup::BuildSummary()
{
    CTString markup;
    if (!BuildSummaryMarkup(markup))
        return;
    if (m_summary.m_hWnd) {
        m_summary.SetText(markup);
        m_summary.ParseText();
    }
}

bool DlgScheduleGroup::BuildSummaryMarkup(CTString& out)
{
    MainWindow* main = Main();
    App* app = GetApp();
    std::map<__int64, Link> links;
    __int64 next = 0;
    auto link = [&](__int64 value, int kind) {
        links[++next] = Link{value, kind};
        return Number(next);
    };
    auto loaded = [this](__int64 id) -> const Object* {
        auto it = m_objects.find(id);
        return id != 0 && it != m_objects.end() && it->second.id != 0 ? &it->second : nullptr;
    };
    auto numeric = [this](const wchar_t* name) {
        CAttribute value;
        m_group.GetAttribute(value, CTString(name));
        return value.HasValue() ? value.GetValue() : 0;
    };

    CTString text;
    text.AppendText(L"<Attribs>");
    text.AppendText(L"<Attrib id=\"Heading-1\" font-size=\"18\" font-weight=\"600\" color=\"$HeaderColour$\" />");
    text.AppendText(L"<Attrib id=\"Heading-2\" font-size=\"12\" font-weight=\"500\" color=\"$HeaderColour$\" />");
    text.AppendText(
        L"<Attrib id=\"Heading-Hottrack\" font-size=\"12\" color=\"$HeaderColour$\" hot-track=\"$HotTrackColour$\" />");
    text.AppendText(
        L"<Attrib id=\"Label\" font-size=\"11\" padding-right=\"8\" text-align=\"right\" color=\"$LabelColour$\" />");
    text.AppendText(L"</Attribs>");

    text.AppendText(L"<Div>");
    text.AppendText(L"<Text attrib=\"Label\" column=\"1\">T0:</Text><Text id=\"T0\" attrib=\"Heading-1\" "
                    L"hot-track=\"$HotTrackColour$\" on-click=\"");
    text.Append(link(m_group.id, LinkObject));
    text.AppendText(L"\">$T0$</Text><BR />");

    struct Contact {
        const wchar_t* attribute;
        const wchar_t* label;
    };
    static const Contact contacts[] = {
        {L"link_primary_contact", L"Primary Contact:"},
        {L"link_secondary_contact", L"Secondary Contact:"},
        {L"link_project_manager", L"PM:"},
    };
    for (const Contact& contact : contacts) {
        const Object* person = loaded(numeric(contact.attribute));
        if (!person)
            continue;
        text.AppendText(L"<Text attrib=\"Label\" column=\"1\">");
        text.AppendText(contact.label);
        text.AppendText(L"</Text><Text attrib=\"Heading-Hottrack\" on-click=\"");
        text.Append(link(person->id, LinkObject));
        text.AppendText(L"\" >");
        text.Append(Escaped(person->name.GetBuffer()));
        text.AppendText(L"</Text><BR />");
    }
    text.AppendText(L"</Div>");

    // Counts.
    const __int64 deploymentType = TypeId(L"Deployment");
    const __int64 computerType = TypeId(L"Computer");
    int deployments = 0, users = 0, computers = 0, succeeded = 0, failed = 0;
    for (const auto& [id, object] : m_objects) {
        if (object.id == 0)
            continue;
        if (deploymentType != 0 && object.type == deploymentType) {
            ++deployments;
            if (main) {
                CAttribute flags;
                main->m_cache.GetDeploymentStatusAttribute(flags, object, CTString(L"deployment_attribs"));
                const __int64 bits = flags.HasValue() ? flags.GetValue() : 0;
                if (bits & StatusSucceeded)
                    ++succeeded;
                if (bits & StatusFailed)
                    ++failed;
            }
        } else if (IsUserType(object.type)) {
            ++users;
        } else if (computerType != 0 && object.type == computerType) {
            ++computers;
        }
    }
    struct Count {
        int page;
        const wchar_t* label;
        int count;
    };
    const Count counts[] = {
        {PageDeployments, L"\">Deployments:</Text><Text>", deployments},
        {PageUsers, L"\">Users:</Text><Text>", users},
        {PageComputers, L"\">Computers:</Text><Text>", computers},
    };
    text.AppendText(L"<Div padding-top=\"4\" padding-left=\"8\">");
    for (const Count& count : counts) {
        text.AppendText(L"<Text attrib=\"Heading-Hottrack\" column=\"1\" padding-right=\"8\" on-click=\"");
        text.Append(link(count.page, LinkPage));
        text.AppendText(count.label);
        text.Append(Number(count.count));
        text.AppendText(L"</Text><BR/>");
    }
    text.AppendText(L"</Div>");

    // Deployment-window totals.
    text.AppendText(L"<Div padding-top=\"4\" padding-left=\"8\">");
    if (m_groupWindow && m_groupWindow->m_capacityTotal > 0) {
        const float used = static_cast<float>(m_groupWindow->m_usedTotal);
        const float capacity = static_cast<float>(m_groupWindow->m_capacityTotal);
        wchar_t figures[96];
        _snwprintf(figures, 96, L"%d : %d/%d (%.1f%%)", m_groupWindow->m_freeTotal, m_groupWindow->m_usedTotal,
                   m_groupWindow->m_capacityTotal, static_cast<double>(used / capacity * 100.0f));
        text.AppendText(L"<Text attrib=\"Label\" column=\"1\">Deployment Window:</Text><Text>");
        text.AppendText(figures);
        text.AppendText(L"</Text><BR/>");
        text.AppendText(L"<Text attrib=\"Label\" column=\"1\">Succeeded:</Text><Text>");
        text.Append(Number(succeeded));
        text.AppendText(L"</Text><BR/>");
        text.AppendText(L"<Text attrib=\"Label\" column=\"1\">Failed:</Text><Text>");
        text.Append(Number(failed));
        text.AppendText(L"</Text><BR/>");
    }
    text.AppendText(L"</Div>");

    // Locations; paths not cached yet are asked for once per load and the build waits for them.
    std::vector<__int64> deploy, inbound;
    CollectLocations(0, deploy);
    CollectLocations(1, inbound);
    std::vector<__int64> missing;
    for (const std::vector<__int64>* ids : {&deploy, &inbound})
        for (__int64 id : *ids)
            if (id != 0 && app && app->m_paths.count(id) == 0 &&
                std::find(m_pathsAsked.begin(), m_pathsAsked.end(), id) == m_pathsAsked.end())
                missing.push_back(id);
    if (!missing.empty() && app) {
        std::sort(missing.begin(), missing.end());
        missing.erase(std::unique(missing.begin(), missing.end()), missing.end());
        m_pathsAsked.insert(m_pathsAsked.end(), missing.begin(), missing.end());
        app->IDsToPaths(missing, ReplyRoute(ReqPaths));
        return false;
    }
    int rows = 0;
    bool open = false;
    auto locationRow = [&](__int64 id, const wchar_t* label) {
        // Groups of four rows.
        if (rows % 4 == 0) {
            if (open)
                text.AppendText(L"</Div>");
            text.AppendText(L"<Div padding-top=\"4\" padding-left=\"4\">");
            open = true;
        }
        ++rows;
        CTString locationPath;
        if (app) {
            auto cached = app->m_paths.find(id);
            if (cached != app->m_paths.end())
                locationPath = cached->second;
        }
        text.AppendText(L"<Text attrib=\"Label\" column=\"1\">");
        text.AppendText(label);
        text.AppendText(L"</Text><Text attrib=\"Heading-Hottrack\" on-click=\"");
        text.Append(link(id, LinkObject));
        text.AppendText(L"\">");
        text.Append(Escaped(locationPath.GetBuffer()));
        text.AppendText(L"</Text><BR/>");
    };
    for (__int64 id : deploy)
        locationRow(id, L"Deploy Location:");
    for (__int64 id : inbound)
        locationRow(id, L"Inbound:");
    if (open)
        text.AppendText(L"</Div>");

    // Site and link expiry.
    text.AppendText(L"<Div padding-top=\"4\" padding-left=\"4\">");
    if (const Object* site = loaded(numeric(L"link_site"))) {
        CAttribute name;
        site->GetAttribute(name, CTString(L"name"));
        if (name.GetTextLength() > 0) {
            text.AppendText(L"<Text attrib=\"Label\" column=\"1\">Site Name:</Text><Text attrib=\"Heading-Hottrack\" "
                            L"on-click=\"");
            text.Append(link(site->id, LinkObject));
            text.AppendText(L"\" >");
            text.Append(Escaped(name.GetText()));
            text.AppendText(L"</Text><BR />");
        }
    }
    CAttribute expiry;
    m_group.GetAttribute(expiry, CTString(L"linkaccess_expire"));
    if (!expiry.IsEmpty()) {
        CAttribute date(CAttribute::Date, expiry.GetValue());
        date.UpdateText();
        CTString colour;
        if (expiry.GetValue() <= s_startOfToday()) {
            colour.AppendText(L"color=\"");
            colour.Append(HtmlColour(RGB(255, 0, 0)));
            colour.AppendText(L"\"");
        }
        text.AppendText(L"<Text attrib=\"Label\" column=\"1\">Link Expires:</Text><Text ");
        text.Append(colour);
        text.AppendText(L" >");
        text.AppendText(date.GetText());
        text.AppendText(L"</Text><BR />");
    }
    text.AppendText(L"</Div>");

    CGDIManager::CObject* hot = CGDIManager::Instance()->Find(25);
    text.Replace(CTString(L"$HeaderColour$"), HtmlColour(Mix(GetSysColor(COLOR_HIGHLIGHT), RGB(0, 0, 0), 0.5)), false);
    text.Replace(CTString(L"$HotTrackColour$"), HtmlColour(hot ? static_cast<COLORREF>(hot->Get()) : 0), false);
    text.Replace(CTString(L"$LabelColour$"), HtmlColour(Mix(RGB(0, 0, 0), RGB(255, 255, 255), 0.7)), false);
    CAttribute t0;
    m_group.GetAttribute(t0, CTString(L"T0_date"));
    CTString t0Text(L"Not Set");
    if (t0.HasValue()) {
        CAttribute day(CAttribute::Date, t0.GetValue());
        day.UpdateText();
        t0Text = day.GetString();
    }
    text.Replace(CTString(L"$T0$"), t0Text, false);

    m_links = std::move(links);
    out = text;
    return true;
}
