// The site pane against a recording transport: the drawn panel's text as written, the address
// composition, the linked objects fetched once and kept when their fetch fails, survey links
// opened through the shell launcher, and a hidden pane that waits until it is shown.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "StructureFixture.h"
#include "structure/DlgSite.h"

using namespace structuretest;

namespace {

constexpr int kSiteType = 4, kOrganisationType = 2, kPersonType = 5, kSurveyType = 40;
constexpr __int64 kSite = 2010, kOwner = 2011, kPrimary = 2012, kSecondary = 2013;

Object Linked(__int64 id, const wchar_t* name)
{
    Object object;
    object.id = id;
    object.name = name;
    return object;
}

Object SiteWith(__int64 owner, __int64 primary, __int64 secondary)
{
    Object site;
    site.id = kSite;
    const std::pair<const wchar_t*, __int64> links[] = {
        {L"link_organisation", owner}, {L"link_primary_contact", primary}, {L"link_secondary_contact", secondary}};
    int id = 140;
    for (const auto& [name, value] : links) {
        Object::Attribute& attribute = site.attributes[id++];
        attribute.name = name;
        attribute.Assign(CAttribute(CAttribute::Integer, value));
    }
    return site;
}

const std::wstring kSets =
    L"<Attribs><Attrib id=\"Heading-2\" font-size=\"12\" font-weight=\"500\" color=\"#003C6B\" />"
    L"<Attrib id=\"Heading-Hottrack\" font-size=\"12\" color=\"#003C6B\" hot-track=\"#102030\" />"
    L"<Attrib id=\"Label\" font-size=\"11\" padding-right=\"8\" text-align=\"right\" color=\"#4C4C4C\" /></Attribs>";

std::wstring Row(const wchar_t* label, __int64 id, const wchar_t* name)
{
    return std::wstring(L"<Text attrib=\"Label\" column=\"1\">") + label +
           L"</Text><Text attrib=\"Heading-Hottrack\" on-click=\"" + std::to_wstring(id) + L"\" >" + name +
           L"</Text><BR />";
}

std::wstring Text(const CTString& text) { return text.GetBuffer() ? text.GetBuffer() : L""; }

} // namespace

TEST(SitePanel, MarkupIsWrittenExactly)
{
    const COLORREF highlight = RGB(0, 120, 215), hot = RGB(0x10, 0x20, 0x30);
    const Object site = SiteWith(kOwner, kPrimary, kSecondary);
    // No linked object yet: the sets and an empty Div.
    EXPECT_EQ(Text(DlgSite::BuildPanelMarkup(site, {}, highlight, &hot)), kSets + L"<Div></Div>");
    // Rows in fixed order whatever order the objects came in; names escaped.
    const std::vector<Object> linked = {Linked(kSecondary, L"Sam \"S\""), Linked(kOwner, L"A<B & Co"),
                                        Linked(kPrimary, L"Pat")};
    EXPECT_EQ(Text(DlgSite::BuildPanelMarkup(site, linked, highlight, &hot)),
              kSets + L"<Div>" + Row(L"Owner:", kOwner, L"A&lt;B &amp; Co") + Row(L"Primary Contact:", kPrimary, L"Pat") +
                  Row(L"Secondary Contact:", kSecondary, L"Sam &quot;S&quot;") + L"</Div>");
    // A link whose object is not among the linked ones writes no row; no hot-track entry is black.
    const std::wstring noHot = Text(DlgSite::BuildPanelMarkup(SiteWith(kOwner, 0, 99), {Linked(kOwner, L"Acme")}, highlight, nullptr));
    EXPECT_NE(noHot.find(L"hot-track=\"#000000\""), std::wstring::npos);
    EXPECT_EQ(noHot.substr(noHot.find(L"<Div>")), L"<Div>" + Row(L"Owner:", kOwner, L"Acme") + L"</Div>");
}

TEST(SitePanel, AddressLeavesOutEmptyLines)
{
    struct Case {
        std::vector<std::pair<const wchar_t*, const wchar_t*>> values;
        std::wstring expected;
    } cases[] = {
        {{{L"country", L"France"}}, L"France"},
        {{{L"address_line_1", L"1 Fleet Street"}}, L"1 Fleet Street\r\n"},
        {{{L"address_line_1", L"1 Fleet Street"}, {L"address_line_2", L""}, {L"city", L"London"}, {L"post_code", L"EC4"},
          {L"country", L"UK"}},
         L"1 Fleet Street\r\nLondon\r\nEC4\r\nUK"},
    };
    for (const Case& c : cases) {
        Object site;
        int id = 175;
        for (const auto& [name, value] : c.values) {
            Object::Attribute& attribute = site.attributes[id++];
            attribute.name = name;
            attribute.Assign(CAttribute(CTString(value)));
        }
        EXPECT_EQ(Text(DlgSite::BuildAddress(site)), c.expected);
    }
}

namespace {

struct SitePaneTest : ::testing::Test {
    apptest::TestApp t;
    apptest::BoxRecorder boxes;
    RecordingLauncher launcher;

    SitePaneTest()
    {
        RegisterStructureWindows(t.app->m_catalogue);
        DefineStructureType(*t.app, kSiteType, L"Site");
        DefineStructureType(*t.app, kOrganisationType, L"Organisation");
        DefineStructureType(*t.app, kPersonType, L"Schedule User");
        DefineStructureType(*t.app, kSurveyType, L"Survey Result");
        Object& settings = t.app->m_mainWindow->m_cache.systemSettings;
        settings.id = 6;
        Object::Attribute& web = settings.attributes[169];
        web.name = L"web_address";
        web.Assign(CAttribute(CTString(L"https://surveys.example.test")));
    }

    DlgSite* Show(__int64 id)
    {
        t.app->m_mainWindow->ShowConsole(DlgSite::kConsoleType, id, false);
        t.Pump();
        return dynamic_cast<DlgSite*>(t.app->m_mainWindow->FindConsole(DlgSite::kConsoleType, id));
    }

    static std::string SiteXml(const std::string& extra = "")
    {
        return ObjectXml(kSite, kSiteType, "Leeds",
                         Attr(140, "link_organisation", "value_iddirectory", std::to_string(kOwner)) +
                             Attr(129, "link_primary_contact", "value_iddirectory", std::to_string(kPrimary)) +
                             Attr(164, "link_secondary_contact", "value_iddirectory", std::to_string(kSecondary)) +
                             Attr(175, "address_line_1", "value_varchar", "1 Park Row") +
                             Attr(180, "country", "value_varchar", "UK") + extra);
    }

    static std::string Survey(__int64 id, __int64 user, const std::string& access)
    {
        return ObjectXml(id, kSurveyType, "", Attr(128, "link_site", "value_iddirectory", std::to_string(kSite)) +
                                                  Attr(113, "link_user", "value_iddirectory", std::to_string(user)) +
                                                  (access.empty() ? "" : Attr(160, "linkaccess_id", "value_varchar", access)));
    }

    void AnswerSearch(size_t which, const std::string& objects)
    {
        t.Answer("api/api_objSearch.php", apptest::XmlHeaders(),
                 apptest::Doc("<RC id=\"0\" text=\"\"/><parameters PARENT=\"\"/>" + objects), static_cast<int>(which));
    }
};

} // namespace

TEST_F(SitePaneTest, LinkedObjectsAreFetchedOnceAndAFailedFetchKeepsThePaneOpen)
{
    DlgSite* pane = Show(kSite);
    ASSERT_NE(pane, nullptr);
    std::vector<Fields> searches = Sent(t, "api/api_objSearch.php");
    ASSERT_EQ(searches.size(), 2u);
    EXPECT_EQ(searches[0], (Fields{{"IDARRAY", "/2010/"}, {"RETURNPATH", "1"}}));
    EXPECT_EQ(searches[1], (Fields{{"TYPE", "Survey Result"}, {"PARENT", "ALL"}, {"ATTRIB", "link_site"},
                                   {"SEARCH", "2010"}, {"RETURNPATH", "0"}}));
    AnswerSearch(0, SiteXml());
    EXPECT_EQ(ItemText(pane->m_hWnd, DlgSite::kAddress), L"1 Park Row\r\nUK");
    searches = Sent(t, "api/api_objSearch.php");
    ASSERT_EQ(searches.size(), 3u);
    EXPECT_EQ(searches[2], (Fields{{"IDARRAY", "/2011/2012/2013/"}, {"RETURNPATH", "0"}}));

    // The linked objects' fetch fails: the pane stays, its panel without rows, and no box shows.
    t.Answer("api/api_objSearch.php", apptest::XmlHeaders(), apptest::Doc("<RC id=\"1001\" text=\"Object not found\"/>"), 2);
    ASSERT_EQ(dynamic_cast<DlgSite*>(t.app->m_mainWindow->FindConsole(DlgSite::kConsoleType, kSite)), pane);
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(ItemText(pane->m_hWnd, DlgSite::kPanel).find(L"on-click"), std::wstring::npos);

    // A refresh asks again, and then the rows appear in fixed order.
    pane->Refresh();
    AnswerSearch(3, SiteXml());
    ASSERT_EQ(Sent(t, "api/api_objSearch.php").size(), 6u);
    AnswerSearch(5, ObjectXml(kSecondary, kPersonType, "Sam", "") + ObjectXml(kOwner, kOrganisationType, "Acme & Co", "") +
                        ObjectXml(kPrimary, kPersonType, "Pat", ""));
    const std::wstring panel = ItemText(pane->m_hWnd, DlgSite::kPanel);
    EXPECT_LT(panel.find(L"Acme &amp; Co"), panel.find(L">Pat<"));
    EXPECT_LT(panel.find(L">Pat<"), panel.find(L">Sam<"));

    // Fetched once: a later refresh asks for the site and surveys only.
    pane->Refresh();
    AnswerSearch(6, SiteXml());
    EXPECT_EQ(Sent(t, "api/api_objSearch.php").size(), 8u);
}

TEST_F(SitePaneTest, AFailedSiteFetchClosesThePane)
{
    ASSERT_NE(Show(kSite), nullptr);
    t.Answer("api/api_objSearch.php", apptest::XmlHeaders(), apptest::Doc("<RC id=\"1001\" text=\"Object not found\"/>"), 0);
    t.Pump();
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0].rfind(L"Object no longer available:\r\n", 0), 0u);
    EXPECT_NE(boxes.Texts()[0].find(L"Object not found"), std::wstring::npos);
    EXPECT_EQ(t.app->m_mainWindow->FindConsole(DlgSite::kConsoleType, kSite), nullptr);
}

TEST_F(SitePaneTest, SurveysOpenTheirLinkThroughTheLauncher)
{
    DlgSite* pane = Show(kSite);
    ASSERT_NE(pane, nullptr);
    AnswerSearch(1, Survey(2020, 0, "abc123") + Survey(2021, 0, ""));
    CTListCtrlReportEx& report = pane->m_surveys.Report();
    ASSERT_EQ(report.GetItemCount(), 2);
    for (const __int64 id : {2020, 2021}) {
        const int item = report.FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(id)));
        ListView_SetItemState(report.m_hWnd, -1, 0, LVIS_SELECTED);
        ListView_SetItemState(report.m_hWnd, item, LVIS_SELECTED, LVIS_SELECTED);
        SendMessageW(pane->m_hWnd, WM_COMMAND, SurveyList::kCmdOpen, 0);
    }
    EXPECT_EQ(launcher.opened, (std::vector<std::wstring>{L"https://surveys.example.test/=abc123",
                                                          L"https://surveys.example.test/="}));
}

TEST_F(SitePaneTest, AHiddenPaneSendsNothingUntilShown)
{
    DlgSite* pane = Show(kSite);
    ASSERT_NE(pane, nullptr);
    t.app->m_mainWindow->ShowConsole(DlgSite::kConsoleType, kSite + 1, false);
    t.Pump();
    ASSERT_FALSE(pane->m_visible);
    const size_t before = t.transport->m_sent.size();
    pane->Refresh();
    EXPECT_EQ(t.transport->m_sent.size(), before);
    Show(kSite);
    EXPECT_EQ(Sent(t, "api/api_objSearch.php").size(), 6u) << "two of each pane, then the shown pane's two";
}
