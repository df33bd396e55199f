// The unit form's Survey page against a recording transport: the person names of the survey list,
// the Create button's rule, a created survey shown at once, deletions confirmed once, Send handing
// the survey to the user wizard, and survey links opened through the shell launcher.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <string>
#include <vector>
#include "StructureFixture.h"
#include "app/OrganisationalUnitParameter.h"
#include "framework/FakeSeams.h"
#include "structure/DlgOU.h"
#include "structure/DlgOUSurveyPage.h"

using namespace structuretest;

namespace {

constexpr int kSiteType = 4, kPersonType = 5, kSurveyType = 40;
constexpr __int64 kSite = 2050, kManager = 2051, kOther = 2052;

// Stands in for the user wizard: records the organisational-unit id it is given.
class WizardStandIn : public apptest::RecordingWindow, public OrganisationalUnitParameter {
public:
    void SetOrganisationalUnitId(__int64 id) override { unitId = id; }
    __int64 unitId = 0;
};

// Answers the delete confirmation with Delete and keeps its texts.
class DeleteAnswerer : public MessageBoxAnswerer {
public:
    DeleteAnswerer() { MessageBoxAnswerer::Install(this); }
    ~DeleteAnswerer() override { MessageBoxAnswerer::Install(nullptr); }
    void OnMessageBox(CTWndMessageBox& box, HWND) override
    {
        captions.push_back(box.m_caption ? box.m_caption : L"");
        texts.push_back(box.m_text ? box.m_text : L"");
        box.Press(CTListCtrlReportEx::kDeleteButton);
    }
    std::vector<std::wstring> captions, texts;
};

struct SurveyPageTest : ::testing::Test {
    apptest::TestApp t;
    RecordingLauncher launcher;
    DlgOU* form = nullptr;
    DlgOU::CSurveyPage* page = nullptr;

    SurveyPageTest()
    {
        RegisterStructureWindows(t.app->m_catalogue);
        DefineStructureType(*t.app, kSiteType, L"Site");
        DefineStructureType(*t.app, kPersonType, L"Schedule User");
        Object& survey = DefineStructureType(*t.app, kSurveyType, L"Survey Result");
        int id = 128;
        for (const wchar_t* name : {L"link_site", L"link_user", L"survey_page"}) {
            Object::Attribute& attribute = survey.attributes[id++];
            attribute.name = name;
            attribute.Assign(CAttribute(CTString()));
        }
        CTString lower(L"survey result");
        t.app->m_mainWindow->m_cache.typeNames[lower] = survey;
        Object& settings = t.app->m_mainWindow->m_cache.systemSettings;
        Object::Attribute& web = settings.attributes[169];
        web.name = L"web_address";
        web.Assign(CAttribute(CTString(L"https://s.example.test")));
        t.app->m_catalogue.RegisterWindow(DlgOU::CSurveyPage::kUserWizardType,
                                          [](int, UINT64) -> CWindowManager::CWindow* { return new WizardStandIn(); });
    }

    void Open(const std::string& extra)
    {
        t.app->m_windows.OpenWindow(DlgOU::kWindowType, static_cast<UINT64>(kSite), 0);
        form = dynamic_cast<DlgOU*>(t.app->m_windows.FindWindow(DlgOU::kWindowType, static_cast<UINT64>(kSite)));
        ASSERT_NE(form, nullptr);
        AnswerFor(t, "api/api_objGet.php", kSite, ObjectReply(kSite, ObjectXml(kSite, kSiteType, "Leeds", extra)));
        page = form->m_survey;
        ASSERT_NE(page, nullptr);
        ASSERT_NE(page->m_hWnd, nullptr);
    }

    static std::string Survey(__int64 id, __int64 user, const std::string& access = "")
    {
        return ObjectXml(id, kSurveyType, "",
                         Attr(128, "link_site", "value_iddirectory", std::to_string(kSite)) +
                             Attr(113, "link_user", "value_iddirectory", std::to_string(user)) +
                             Attr(173, "survey_page", "value_varchar", "Welcome") +
                             (access.empty() ? "" : Attr(160, "linkaccess_id", "value_varchar", access)),
                         user);
    }

    void AnswerSurveys(const std::string& objects)
    {
        t.Answer("api/api_objSearch.php", apptest::XmlHeaders(), apptest::Doc("<RC id=\"0\" text=\"\"/>" + objects));
    }

    CTListCtrlReportEx& Report() { return page->m_surveys.Report(); }

    std::wstring Cell(__int64 id, int column)
    {
        CAttribute value;
        Report().GetCell(Report().FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(id))), column, value);
        return value.GetText();
    }

    void Select(std::vector<__int64> ids)
    {
        ListView_SetItemState(Report().m_hWnd, -1, 0, LVIS_SELECTED);
        for (__int64 id : ids)
            ListView_SetItemState(Report().m_hWnd, Report().FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(id))),
                                  LVIS_SELECTED, LVIS_SELECTED);
        t.Pump();
    }

    bool CreateEnabled() { return IsWindowEnabled(GetDlgItem(page->m_hWnd, DlgOU::CSurveyPage::kCreate)) != FALSE; }
};

} // namespace

TEST_F(SurveyPageTest, PersonNamesComeFromThePathCacheOrTheirReply)
{
    t.app->m_paths[kManager] = L"\\Acme\\Leeds\\Mary Major";
    Open("");
    std::vector<Fields> searches = Sent(t, "api/api_objSearch.php");
    ASSERT_FALSE(searches.empty());
    EXPECT_EQ(searches.back(), (Fields{{"TYPE", "Survey Result"}, {"PARENT", "ALL"}, {"ATTRIB", "link_site"},
                                       {"SEARCH", "2050"}, {"RETURNPATH", "0"}}));
    AnswerSurveys(Survey(2060, kManager) + Survey(2061, kOther) + Survey(2062, 2053));
    ASSERT_EQ(Report().GetItemCount(), 3);
    EXPECT_EQ(Cell(2060, 2), L"Mary Major");
    EXPECT_EQ(Cell(2061, 2), L"2052") << "the id until its name arrives";
    std::vector<Fields> names = Sent(t, "api/api_dirIDToPath.php");
    ASSERT_EQ(names.size(), 2u) << "the form's own path, then the names";
    EXPECT_EQ(names[1], (Fields{{"ID_1", "2052"}, {"ID_2", "2053"}}));
    t.Answer("api/api_dirIDToPath.php", apptest::XmlHeaders(),
             apptest::Doc("<RC id=\"0\" text=\"\"/><value ID=\"2052\" path=\"\\Acme\\Leeds\\Olly Other\"/>"
                          "<value ID=\"2053\" path=\"Solo\"/>"));
    EXPECT_EQ(Cell(2061, 2), L"Olly Other");
    EXPECT_EQ(Cell(2062, 2), L"Solo") << "a path without a backslash is shown whole";
}

TEST_F(SurveyPageTest, CreateNeedsAPersonAndATemplateAndShowsTheNewRowAtOnce)
{
    Open(Attr(172, "link_project_manager", "value_iddirectory", std::to_string(kManager)));
    AnswerSurveys("");
    EXPECT_FALSE(CreateEnabled()) << "no template yet";
    SetDlgItemTextW(page->m_hWnd, DlgOU::CSurveyPage::kTemplate, L"Welcome");
    SendMessageW(page->m_hWnd, WM_COMMAND, MAKEWPARAM(DlgOU::CSurveyPage::kTemplate, CBN_EDITCHANGE), 0);
    EXPECT_TRUE(CreateEnabled()) << "the project manager is the default person";
    SendMessageW(page->m_hWnd, DlgOU::CSurveyPage::kMsgPersonPicked, 777, 0);
    EXPECT_TRUE(CreateEnabled()) << "an answer of a picker the page did not open is ignored";

    // The page's own fetch of the person is the first for that id (the General page asks too).
    ASSERT_EQ(Sent(t, "api/api_objGet.php")[1]["ID"], "2051");
    t.Answer("api/api_objGet.php", apptest::XmlHeaders(),
             ObjectReply(kManager, ObjectXml(kManager, kPersonType, "Mary Major", "")), 1);
    EXPECT_EQ(ItemText(page->m_hWnd, DlgOU::CSurveyPage::kUserLink), L"Mary Major");
    const size_t pathRequests = Sent(t, "api/api_dirIDToPath.php").size();
    SendMessageW(page->m_hWnd, WM_COMMAND, DlgOU::CSurveyPage::kCreate, 0);
    std::vector<Fields> created = Sent(t, "api/api_objNew.php");
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0], (Fields{{"TYPE", "40"}, {"PARENT", "2051"}, {"NAME", ""}, {"ATTRIBID_128", "2050"},
                                  {"ATTRIBID_129", "2051"}, {"ATTRIBID_130", "Welcome"}}));
    t.Answer("api/api_objNew.php", apptest::XmlHeaders(),
             apptest::Doc("<RC id=\"0\" text=\"\"/><insert_id>2070</insert_id>" + Survey(2070, kManager)));
    ASSERT_EQ(Report().GetItemCount(), 1);
    EXPECT_EQ(Cell(2070, 2), L"Mary Major");
    EXPECT_EQ(Sent(t, "api/api_dirIDToPath.php").size(), pathRequests);
}

TEST_F(SurveyPageTest, TwoSelectedSurveysAreConfirmedOnceAndDeletedByTwoRequests)
{
    DeleteAnswerer answers;
    Open("");
    AnswerSurveys(Survey(2060, kManager) + Survey(2061, kOther) + Survey(2062, kOther));
    Select({2060, 2062});
    SendMessageW(page->m_surveys.m_list.m_hWnd, WM_COMMAND, SurveyList::kCmdDelete, 0);
    t.Pump();
    ASSERT_EQ(answers.captions.size(), 1u);
    EXPECT_EQ(answers.captions[0], L"Confirm Multiple Survey Result Delete");
    EXPECT_EQ(answers.texts[0], L"Are you sure you want to delete these 2 items?");
    std::vector<Fields> deletes = Sent(t, "api/api_objDelete.php");
    ASSERT_EQ(deletes.size(), 2u);
    std::vector<std::string> ids = {deletes[0]["ID"], deletes[1]["ID"]};
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<std::string>{"2060", "2062"}));
    t.Answer("api/api_objDelete.php", apptest::XmlHeaders(), apptest::Doc("<RC id=\"0\" text=\"\"/>" + Survey(2062, kOther)));
    EXPECT_EQ(Report().GetItemCount(), 2);
    EXPECT_EQ(Report().FindRowByData(reinterpret_cast<void*>(2062)), -1);
}

TEST_F(SurveyPageTest, SendHandsTheSurveyToTheWizardAndOpenUsesTheLauncher)
{
    Open("");
    AnswerSurveys(Survey(2060, kManager, "tok-1") + Survey(2061, kOther));
    Select({2060});
    SendMessageW(page->m_hWnd, WM_COMMAND, SurveyList::kCmdSend, 0);
    auto* wizard = dynamic_cast<WizardStandIn*>(
        t.app->m_windows.FindWindow(DlgOU::CSurveyPage::kUserWizardType, static_cast<UINT64>(kManager)));
    ASSERT_NE(wizard, nullptr) << "keyed by the survey's person";
    EXPECT_EQ(wizard->unitId, 2060);

    SendMessageW(page->m_hWnd, WM_COMMAND, SurveyList::kCmdOpen, 0);
    Select({2061});
    SendMessageW(page->m_hWnd, WM_COMMAND, SurveyList::kCmdOpen, 0);
    EXPECT_EQ(launcher.opened, (std::vector<std::wstring>{L"https://s.example.test/=tok-1", L"https://s.example.test/="}));
}
