// Under Xvfb, signed in to the fixture server for its types, statuses and fail codes: the fail-code,
// administrators, exceptions and tags panels of the schedule-group pages: which objects each entry
// passes, the counts, the tag merging, the administrators' rows after path replies, the row
// mark-up and the choices kept in the registry.
#include <gtest/gtest.h>

#include <windows.h>
#include <memory>
#include <string>
#include <vector>

#include "app/App.h"
#include "app/MainWindow.h"
#include "schedulegroups/DlgScheduleGroup.h"
#include "schedulegroups/ScheduleGroupPage.h"
#include "schedulegroups/ScheduleGroupPanels.h"
#include "schedulegroups/ScheduleGroupWindows.h"
#include "session/RequestResult.h"

#include "app/SignedInSession.h"

namespace {

using View = DlgScheduleGroup;

void Put(Object& object, int id, const wchar_t* name, const CAttribute& value, DWORD flags = 0)
{
    Object::Attribute& attribute = object.attributes[id];
    attribute.Assign(value);
    attribute.name = name;
    attribute.flags = flags;
}

Object Make(__int64 id, __int64 type, __int64 parent, const wchar_t* name)
{
    Object object;
    object.id = id;
    object.type = type;
    object.parent = parent;
    object.serial = 1;
    object.name = name;
    return object;
}

class ScheduleGroupPanelsLive : public ::testing::Test {
public:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (s_app)
            RegisterScheduleGroupWindows(s_app->m_catalogue);
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }

    void SetUp() override
    {
        ASSERT_NE(nullptr, s_app);
        main = s_app->m_mainWindow;
        host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 300, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        view = std::make_unique<View>();
        view->m_owner = main;
        view->m_key = 52;
        page = std::make_unique<View::CPageBase>(View::PageDeployments);
        page->m_view = view.get();

        const __int64 deployment = Type(L"Deployment"), computer = Type(L"Computer");
        // 300 failed with 113 by administrator 91; 301 succeeded, also with 113, by 90; 302 scheduled by 90.
        Object failed = Make(300, deployment, 52, L"Failed");
        Put(failed, 1, L"deployment_status", CAttribute(CAttribute::Integer, 4));
        Put(failed, 2, L"link_fail_code", CAttribute(CAttribute::Integer, 113), Object::Attribute::Link);
        Put(failed, 3, L"link_administrator", CAttribute(CAttribute::Integer, 91), Object::Attribute::Link);
        Put(failed, 4, L"exceptions", CAttribute(CTString(L"/900/")), Object::Attribute::LinkArray);
        Put(failed, 5, L"tag", CAttribute(CTString(L"VIP, a")));
        Object succeeded = Make(301, deployment, 52, L"Succeeded");
        Put(succeeded, 1, L"deployment_status", CAttribute(CAttribute::Integer, 2));
        Put(succeeded, 2, L"link_fail_code", CAttribute(CAttribute::Integer, 113), Object::Attribute::Link);
        Put(succeeded, 3, L"link_administrator", CAttribute(CAttribute::Integer, 90), Object::Attribute::Link);
        Put(succeeded, 5, L"tag", CAttribute(CTString(L" \"vip\" ")));
        Object scheduled = Make(302, deployment, 52, L"Scheduled");
        Put(scheduled, 1, L"deployment_status", CAttribute(CAttribute::Integer, 1));
        Put(scheduled, 3, L"link_administrator", CAttribute(CAttribute::Integer, 90), Object::Attribute::Link);
        Put(scheduled, 5, L"tag", CAttribute(CTString(L"b,,c")));
        Object pc = Make(230, computer, 22, L"PC");
        Put(pc, 4, L"exceptions", CAttribute(CTString(L"/901/")), Object::Attribute::LinkArray);
        Put(pc, 5, L"tag", CAttribute(CTString(L"Vip")));
        for (const Object* object : {&failed, &succeeded, &scheduled, &pc})
            view->m_objects[object->id] = *object;
    }

    void TearDown() override
    {
        page.reset();
        view.reset();
        if (host)
            DestroyWindow(host);
    }

    std::vector<__int64> Passing(View::DlgLHSBase& panel)
    {
        std::vector<__int64> ids;
        for (const auto& [id, object] : view->m_objects)
            if (panel.Accepts(object))
                ids.push_back(id);
        return ids;
    }

    __int64 Type(const wchar_t* name) { return main->GetTypeId(CTString(name)); }

    static App* s_app;
    MainWindow* main = nullptr;
    HWND host = nullptr;
    std::unique_ptr<View> view;
    std::unique_ptr<View::CPageBase> page;
};

App* ScheduleGroupPanelsLive::s_app = nullptr;

TEST_F(ScheduleGroupPanelsLive, EntriesPassTheirObjects)
{
    View::DlgLHSFailCode failCode(host, page.get());
    View::DlgLHSAdministrator administrators(host, page.get());
    View::DlgLHSExcept exceptions(host, page.get(), CTString(L"Deployment"), CTString(L"<All Deployments>"));
    View::DlgLHSTag tags(host, page.get(), Type(L"Deployment"), CTString(L"<All Deployments>"));
    struct Case {
        View::DlgLHSBase* panel;
        unsigned __int64 choice;
        const wchar_t* tag;
        std::vector<__int64> passing;
    } cases[] = {
        {&failCode, 0, nullptr, {300, 301, 302}},
        {&failCode, 113, nullptr, {300}},   // failed only, though both carry the code
        {&failCode, 114, nullptr, {}},
        {&administrators, 0, nullptr, {300, 301, 302}},
        {&administrators, 90, nullptr, {301, 302}},
        {&exceptions, 0, nullptr, {300, 301, 302}},
        {&exceptions, 900, nullptr, {300}},
        {&exceptions, 901, nullptr, {}},   // the computer's exception: another type
        {&tags, 0, L"", {230, 300, 301, 302}},
        {&tags, 0, L"vip", {230, 300, 301}},   // any letter case, trimmed
        {&tags, 0, L"c", {302}},               // after an empty item: filtered, not counted
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_wstring(c.panel->GetKind()) + L" " + std::to_wstring(c.choice) + L" " +
                     (c.tag ? c.tag : L""));
        c.panel->m_choice = c.choice;
        if (c.tag)
            tags.m_current = c.tag;
        EXPECT_EQ(c.passing, Passing(*c.panel));
    }
}

TEST_F(ScheduleGroupPanelsLive, RebuildsCountEveryObjectOfTheirTypes)
{
    View::DlgLHSFailCode failCode(host, page.get());
    failCode.Rebuild();
    EXPECT_EQ(2, failCode.m_counts[113]);   // failed and succeeded alike
    EXPECT_EQ(1, failCode.m_counts[0]);

    std::vector<Object> saved = main->m_cache.settings[MainWindowCache::Exception];
    Object exception = Make(900, 0, 6, L"Cable");
    Put(exception, 1, L"enable", CAttribute(CAttribute::Integer, 1));
    Put(exception, 2, L"type", CAttribute(CTString(L"Deployment")));
    Put(exception, 3, L"description", CAttribute(CTString(L"Missing cable")));
    main->m_cache.settings[MainWindowCache::Exception] = {exception};
    View::DlgLHSExcept exceptions(host, page.get(), CTString(L"Deployment"), CTString(L"<All Deployments>"));
    exceptions.Rebuild();
    EXPECT_EQ(1, exceptions.m_counts[900]);
    EXPECT_EQ(0u, exceptions.m_counts.count(901));
    main->m_cache.settings[MainWindowCache::Exception] = saved;

    // Tags merge without regard to case, in the case first met; rows are numbered in that order.
    View::DlgLHSTag tags(host, page.get(), Type(L"Deployment"), CTString(L"<All Deployments>"));
    tags.m_current = L"VIP";
    tags.Rebuild();
    ASSERT_EQ(3u, tags.m_tags.size());
    EXPECT_STREQ(L"VIP", tags.m_tags[L"vip"].text.GetBuffer());
    EXPECT_EQ(2, tags.m_tags[L"vip"].count);
    EXPECT_EQ(1, tags.m_tags[L"a"].count);
    EXPECT_EQ(1, tags.m_tags[L"b"].count);
    EXPECT_EQ(0u, tags.m_tags.count(L"c"));
    EXPECT_EQ(3, tags.m_tags[L"vip"].rowKey);
    EXPECT_EQ(3u, tags.m_selectedKey);

    // A new tag sorting first renumbers the rows; the chosen one stays selected.
    Object added = Make(303, Type(L"Deployment"), 52, L"Added");
    Put(added, 5, L"tag", CAttribute(CTString(L"AAA")));
    view->m_objects[303] = added;
    tags.OnObjectChanged(added, nullptr);
    EXPECT_EQ(4, tags.m_tags[L"vip"].rowKey);
    EXPECT_EQ(4u, tags.m_selectedKey);
    ASSERT_NE(nullptr, tags.FindByRowKey(2));
    EXPECT_STREQ(L"AAA", tags.FindByRowKey(2)->text.GetBuffer());

    // A chosen tag that is gone marks no row; one differing in case only marks none either.
    tags.m_current = L"gone";
    tags.Rebuild();
    EXPECT_EQ(View::DlgLHSTag::kNoRow, tags.m_selectedKey);
    tags.m_current = L"vip";
    tags.Rebuild();
    EXPECT_EQ(View::DlgLHSTag::kNoRow, tags.m_selectedKey);
    tags.OnSelectionChanged(0);
    EXPECT_TRUE(tags.m_current.IsEmpty());
    tags.OnSelectionChanged(4);
    EXPECT_STREQ(L"VIP", tags.m_current.GetBuffer());
}

TEST_F(ScheduleGroupPanelsLive, AdministratorsAreListedOnceWhateverThePathRepliesDo)
{
    s_app->m_paths.erase(90);
    s_app->m_paths.erase(91);
    View::DlgLHSAdministrator administrators(host, page.get());
    administrators.Rebuild();
    administrators.Rebuild();   // a second rebuild before the first path reply
    EXPECT_EQ(1, administrators.m_counts[91]);
    EXPECT_EQ(2, administrators.m_counts[90]);

    RequestResult reply;
    reply.route.requestId = View::ReqPanelPaths;
    reply.document.Parse(L"<result><RC id=\"0\"/><value ID=\"90\" path=\"\\System\\Administrators\\admin\"/>"
                         L"<value ID=\"91\" path=\"helpdesk\"/><value ID=\"77\" path=\"\\Other\"/></result>",
                         nullptr, 0);
    administrators.OnResult(reply);
    administrators.OnResult(reply);
    EXPECT_EQ((std::vector<__int64>{90, 91}), administrators.m_listed);   // 77 counts nothing

    RequestResult refused;
    refused.route.requestId = View::ReqPanelPaths;
    refused.returnCode = 1001;
    refused.document.Parse(L"<result><RC id=\"1001\"/><value ID=\"90\" path=\"x\"/></result>", nullptr, 0);
    administrators.Rebuild();
    administrators.OnResult(refused);
    EXPECT_TRUE(administrators.m_listed.empty());

    EXPECT_STREQ(L"admin", View::DlgLHSAdministrator::LastPart(L"\\System\\Administrators\\admin").GetBuffer());
    EXPECT_STREQ(L"helpdesk", View::DlgLHSAdministrator::LastPart(L"helpdesk").GetBuffer());
}

TEST_F(ScheduleGroupPanelsLive, RowMarkup)
{
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF heading = RGB(GetRValue(highlight) / 2, GetGValue(highlight) / 2, GetBValue(highlight) / 2);
    CTString colour;
    colour.AppendHtmlColour(&heading);
    const std::wstring head = L"<Attribs><Attrib id=\"Heading\" padding-left=\"4\" font-size=\"14\" color=\"" +
                              std::wstring(colour.GetBuffer()) + L"\" multi-line=\"1\" /></Attribs><Div id=\"";
    const std::wstring badge3 =
        L"<Text height=\"100%\" font-size=\"16\" font-weight=\"900\" padding-left=\"4\" margin=\"2\" "
        L"vertical-align=\"bottom\" text-align=\"right\" color=\"#FFFFFF\" background-color=\"#1163AF\"> 3 </Text>";
    const std::wstring empty = L"<Div><Text font-size=\"20\" width=\"20\" text-align=\"center\" "
                               L"vertical-align=\"middle\" font-size-to-fit-width=\"1\"></Text></Div>";

    CTString text(L"a <&");
    text.XmlEscape();
    EXPECT_EQ(head + L"7\" width=\"100%\" ><Text attrib=\"Heading\"  >a &lt;&amp;</Text>" + badge3 +
                  L"<Text height=\"22\" /></Div>",
              std::wstring(View::DlgLHSBase::RowMarkup(7, text, View::DlgLHSBase::W2, View::DlgLHSBase::T2,
                                                       View::DlgLHSBase::CountBadge(3))
                               .GetBuffer()));

    // The fail-code panel: a count badge for a counted code, the empty badge for the all-row.
    View::DlgLHSFailCode failCode(host, page.get());
    failCode.Rebuild();
    CTString out;
    failCode.GetItemMarkup(113, CTString(L"Disk failure"), 0, out);
    EXPECT_NE(std::wstring::npos, std::wstring(out.GetBuffer()).find(L"> 2 </Text>"));
    failCode.GetItemMarkup(0, CTString(L"&lt;all deployments&gt;"), 0, out);
    EXPECT_NE(std::wstring::npos, std::wstring(out.GetBuffer()).find(empty));

    // The exceptions panel: the all-row has the empty badge while anything is counted, none after.
    View::DlgLHSExcept exceptions(host, page.get(), CTString(L"Deployment"), CTString(L"<All Deployments>"));
    exceptions.Rebuild();
    exceptions.GetItemMarkup(0, CTString(L"x"), 0, out);
    EXPECT_NE(std::wstring::npos, std::wstring(out.GetBuffer()).find(empty));
    exceptions.m_counts.clear();
    exceptions.GetItemMarkup(0, CTString(L"x"), 0, out);
    EXPECT_EQ(std::wstring::npos, std::wstring(out.GetBuffer()).find(L"font-size=\"20\""));
}

TEST_F(ScheduleGroupPanelsLive, ChoicesRoundTripThroughTheRegistry)
{
    CTRegKey key;
    ASSERT_TRUE(key.ParsePath(L"HKCU\\Software\\QelTests\\ScheduleGroupPanels"));
    View::DlgLHSExcept exceptions(host, page.get(), CTString(L"Deployment"), CTString(L"<All Deployments>"));
    exceptions.m_choice = static_cast<unsigned __int64>(-5LL);
    exceptions.SaveChoice(key);
    exceptions.m_choice = 0;
    exceptions.LoadChoice(key);
    EXPECT_EQ(static_cast<unsigned __int64>(-5LL), exceptions.m_choice);   // signed, widened

    View::DlgLHSTag tags(host, page.get(), Type(L"Deployment"), CTString(L"<All Deployments>"));
    tags.m_current = L"VIP";
    tags.SaveChoice(key);
    tags.m_current = L"";
    tags.LoadChoice(key);
    EXPECT_STREQ(L"VIP", tags.m_current.GetBuffer());
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QelTests\\ScheduleGroupPanels");
}

} // namespace
