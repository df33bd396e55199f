// Under Xvfb: the component-defaults and tasks pages of the schedule-group form, and the task
// editor beside the tasks list, on a main window signed in to the fixture server.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/App.h"
#include "app/MainWindow.h"
#include "framework/CTRegKey.h"
#include "framework/CTWndMessageBox.h"
#include "framework/MessageBoxAnswerer.h"
#include "framework/PopupMenuDriver.h"
#include "schedulegroups/DlgScheduleGroupDlg.h"
#include "schedulegroups/DlgScheduleGroupDlgDeployablePage.h"
#include "schedulegroups/DlgScheduleGroupDlgT0Page.h"
#include "schedulegroups/DlgScheduleGroupDlgTasksPage.h"
#include "schedulegroups/ScheduleGroupWindows.h"

#include "app/SignedInSession.h"
#include "schedulegroups/FormRequests.h"

namespace {

using namespace formrequests;
using signedin::PumpUntil;
using signedin::Settle;
using Components = DlgScheduleGroupDlg::CDeployablePage;
using Tasks = DlgScheduleGroupDlg::CTasksPage;

// Sample data (tests/fixtures/sample/directory.json): group 1400 with own component marks and the
// tasks 1401 (survey), 1402 (call) and 1403 (not on the dashboard); group 1404 inheriting its marks,
// without tasks; template 1405 with one survey task; components 1410, 1411 (software) and 1412,
// 1413 (peripherals).
constexpr __int64 kPilot = 1400, kInherited = 1404, kTemplate = 1405;
constexpr int kSoftware = 70, kPeripheral = 71, kSurveyTask = 72, kCallTask = 73;

// Picks the menu command at a position (or none) and remembers how many menus it saw.
class MenuPicker : public PopupMenuDriver {
public:
    int position = -1;
    int menus = 0;
    MenuPicker() { PopupMenuDriver::Install(this); }
    ~MenuPicker() override { PopupMenuDriver::Install(nullptr); }
    UINT ChooseCommand(HMENU menu, UINT, int, int, HWND) override
    {
        ++menus;
        return position >= 0 ? GetMenuItemID(menu, position) : 0;
    }
};

// Answers every box with one button and keeps its style and text.
class BoxAnswer : public MessageBoxAnswerer {
public:
    int answer = 0;
    std::vector<DWORD> styles;
    std::vector<std::wstring> texts;
    explicit BoxAnswer(int button) : answer(button) { MessageBoxAnswerer::Install(this); }
    ~BoxAnswer() override { MessageBoxAnswerer::Install(nullptr); }
    void OnMessageBox(CTWndMessageBox& box, HWND) override
    {
        styles.push_back(box.m_style);
        texts.push_back(box.m_text ? box.m_text : L"");
        box.Press(answer);
    }
};

class ScheduleGroupFormPagesLive : public ::testing::Test {
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
        RequestsSince(mark);
    }

    DlgScheduleGroupDlg* Find(__int64 id)
    {
        return dynamic_cast<DlgScheduleGroupDlg*>(s_app->m_windows.FindWindow(DlgScheduleGroupDlg::kWindowType, id));
    }

    DlgScheduleGroupDlg* Open(__int64 id)
    {
        s_app->m_windows.OpenWindow(DlgScheduleGroupDlg::kWindowType, static_cast<UINT64>(id),
                                    reinterpret_cast<INT_PTR>(s_app->GetMainHwnd()));
        Settle(*s_app);
        DlgScheduleGroupDlg* form = Find(id);
        EXPECT_TRUE(form && form->IsWindow());
        return form;
    }

    void Close(__int64 id)
    {
        if (DlgScheduleGroupDlg* form = Find(id)) {
            form->m_modified = false;
            if (form->IsWindow())
                form->Destroy();
        }
        Settle(*s_app);
    }

    static void Command(HWND window, int id)
    {
        ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }

    void Apply(DlgScheduleGroupDlg& form)
    {
        RequestsSince(mark);
        Command(form.m_hWnd, CWindowManager::CWMForm::kApplyId);
        Settle(*s_app);
    }

    std::map<std::string, Form> Sets(const std::vector<Request>& sent)
    {
        std::map<std::string, Form> sets;
        for (const Form& form : Of(sent, "api_objSet.php"))
            sets[Get(form, "ID")] = form;
        return sets;
    }

    // The shown rows' component ids in list order.
    static std::vector<__int64> Rows(Components& page)
    {
        std::vector<__int64> ids;
        for (int item = 0; item < page.m_list.m_report.GetItemCount(); ++item)
            ids.push_back(static_cast<__int64>(reinterpret_cast<INT_PTR>(page.m_list.m_report.GetRowData(item))));
        return ids;
    }

    static int ItemOf(Components& page, __int64 id)
    {
        return page.m_list.m_report.FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(id)));
    }

    // Shows one component type through the view menu (All, separator, then the types).
    static void ShowType(Components& page, __int64 type)
    {
        auto found = std::find(page.m_types.begin(), page.m_types.end(), type);
        ASSERT_NE(page.m_types.end(), found);
        MenuPicker picker;
        picker.position = 2 + static_cast<int>(found - page.m_types.begin());
        Command(page.m_hWnd, Components::CmdView);
        ASSERT_EQ(type, page.m_viewFilter);
    }

    // A click on a check-box cell as the cell editor reports it.
    static void Click(Components& page, __int64 id, int column)
    {
        const int item = ItemOf(page, id);
        ASSERT_GE(item, 0);
        page.m_editor.SetValue(page.m_list.m_report.GetRowData(item), column,
                               CAttribute(CAttribute::Integer, static_cast<__int64>(page.Mark(item, column) ? 0 : 1)));
        page.ApplyRowMarks(item, true);
    }

    static std::wstring Caption(Components& page)
    {
        wchar_t text[128] = {};
        GetWindowTextW(page.m_list.m_hWnd, text, 128);
        return text;
    }

    static void ShowAllTypes(Components& page) { Command(page.m_hWnd, Components::CmdViewAll); }

    static std::vector<__int64> TaskIds(Tasks& page)
    {
        std::vector<__int64> ids;
        for (const ObjectList::Row& row : page.m_tasks.rows)
            ids.push_back(row.object.id);
        return ids;
    }

    static void Select(Tasks& page, __int64 task)
    {
        HWND report = page.m_list.m_report.m_hWnd;
        for (int item = 0; item < ListView_GetItemCount(report); ++item)
            if (page.m_tasks.GetRowId(page.m_list.m_report, item) == task) {
                ListView_SetItemState(report, -1, 0, LVIS_SELECTED);
                ListView_SetItemState(report, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
                return;
            }
        ADD_FAILURE() << "task " << task << " not listed";
    }

    static App* s_app;
    int mark = 0;
};

App* ScheduleGroupFormPagesLive::s_app = nullptr;

TEST_F(ScheduleGroupFormPagesLive, ComponentsOpenOnTheFirstTypeWithTheGroupsMarks)
{
    DlgScheduleGroupDlg* form = Open(kPilot);
    ASSERT_NE(nullptr, form);
    Components& page = *form->m_deployablePage;
    // One search of the deployable folder per load.
    std::vector<Form> searches;
    for (const Form& search : Of(RequestsSince(mark), "api_objSearch.php"))
        if (Get(search, "TYPE") == "<absent>" || Get(search, "TYPE").empty())
            searches.push_back(search);
    ASSERT_EQ(1u, searches.size());
    EXPECT_EQ("8", Get(searches[0], "PARENT"));
    // The first fill shows the first type of the folder only. The folder holds other components too,
    // so the group's own types are chosen from the view menu: All, separator, then the types.
    ASSERT_FALSE(page.m_types.empty());
    EXPECT_EQ(page.m_types.front(), page.m_viewFilter);
    auto entry = [&](__int64 type) {
        auto found = std::find(page.m_types.begin(), page.m_types.end(), type);
        return found == page.m_types.end() ? -1 : 2 + static_cast<int>(found - page.m_types.begin());
    };
    MenuPicker picker;
    picker.position = entry(kSoftware);
    Command(page.m_hWnd, Components::CmdView);
    EXPECT_EQ(kSoftware, page.m_viewFilter);
    EXPECT_EQ(L"Software", Caption(page));
    EXPECT_EQ((std::vector<__int64>{1411, 1410}), Rows(page));   // by name
    const int office = ItemOf(page, 1410), mail = ItemOf(page, 1411);
    EXPECT_TRUE(page.Mark(office, Components::ColumnAvailable) && page.Mark(office, Components::ColumnDefault) &&
                page.Mark(office, Components::ColumnMandatory));
    EXPECT_FALSE(page.Mark(mail, Components::ColumnAvailable));
    // Default and mandatory wait for the mark before them.
    void* mailKey = page.m_list.m_report.GetRowData(mail);
    EXPECT_TRUE(page.m_editor.IsReadOnly(mailKey, Components::ColumnDefault));
    EXPECT_TRUE(page.m_editor.IsReadOnly(mailKey, Components::ColumnMandatory));
    EXPECT_FALSE(page.IsInheritChecked());
    EXPECT_FALSE(form->IsModified());
    // A type's entry shows only its rows.
    picker.position = entry(kPeripheral);
    Command(page.m_hWnd, Components::CmdView);
    EXPECT_EQ(2, picker.menus);
    EXPECT_EQ(kPeripheral, page.m_viewFilter);
    EXPECT_EQ((std::vector<__int64>{1412, 1413}), Rows(page));
    ShowAllTypes(page);
    EXPECT_EQ(L"All", Caption(page));
    const std::vector<__int64> all = Rows(page);
    for (__int64 id : {1410, 1411, 1412, 1413})
        EXPECT_NE(all.end(), std::find(all.begin(), all.end(), id)) << id;
    Close(kPilot);
}

// The ids of a sent link array ("/1/2/"), sorted; "<absent>" when the field was not sent.
std::vector<__int64> Ids(const std::string& text)
{
    if (text == "<absent>")
        return {-1};
    std::vector<__int64> ids;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('/', start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            ids.push_back(std::stoll(text.substr(start, end - start)));
        start = end + 1;
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

TEST_F(ScheduleGroupFormPagesLive, MarksCascadeAndSaveAsTheyStand)
{
    using Ids3 = std::vector<std::vector<__int64>>;
    const std::vector<__int64> unsent = {-1};   // the list did not change
    struct Case {
        const char* name;
        void (*act)(Components& page);
        Ids3 sent;   // available, default, mandatory; {-1}: not sent
        bool reset;  // the three sent as deletions instead
    } cases[] = {
        {"available off clears and locks the marks after it",
         [](Components& page) {
             Click(page, 1410, Components::ColumnAvailable);
             const int item = ItemOf(page, 1410);
             EXPECT_FALSE(page.Mark(item, Components::ColumnDefault));
             EXPECT_FALSE(page.Mark(item, Components::ColumnMandatory));
             void* key = page.m_list.m_report.GetRowData(item);
             EXPECT_TRUE(page.m_editor.IsReadOnly(key, Components::ColumnDefault));
             // Available again: default stays clear but may be ticked.
             Click(page, 1410, Components::ColumnAvailable);
             EXPECT_FALSE(page.Mark(item, Components::ColumnDefault));
             EXPECT_FALSE(page.m_editor.IsReadOnly(key, Components::ColumnDefault));
             EXPECT_TRUE(page.m_editor.IsReadOnly(key, Components::ColumnMandatory));
         },
         {{1410, 1412}, {}, {}}, false},   // the order changed
        {"invert swaps the shown rows only",
         [](Components& page) { Command(page.m_hWnd, Components::CmdInvert); },
         {{1411, 1412}, {}, {}}, false},
        {"none over every type",
         [](Components& page) {
             ShowAllTypes(page);
             Command(page.m_hWnd, Components::CmdNone);
         },
         {{}, {}, {}}, false},
        {"inherit checked and released stores the marks",
         [](Components& page) {
             HWND toolbar = page.m_list.m_report.m_toolbar.m_hWnd;
             ::SendMessageW(toolbar, TB_SETSTATE, Components::CmdInherit, MAKELONG(TBSTATE_ENABLED | TBSTATE_CHECKED, 0));
             Command(page.m_hWnd, Components::CmdInherit);
             ::SendMessageW(toolbar, TB_SETSTATE, Components::CmdInherit, MAKELONG(TBSTATE_ENABLED, 0));
             Command(page.m_hWnd, Components::CmdInherit);
             Click(page, 1411, Components::ColumnAvailable);
             EXPECT_FALSE(page.IsInheritChecked());
         },
         {{1410, 1411, 1412}, unsent, unsent}, false},
        {"inherit values resets all three",
         [](Components& page) {
             HWND toolbar = page.m_list.m_report.m_toolbar.m_hWnd;
             ::SendMessageW(toolbar, TB_SETSTATE, Components::CmdInherit, MAKELONG(TBSTATE_ENABLED | TBSTATE_CHECKED, 0));
             Command(page.m_hWnd, Components::CmdInherit);
         },
         {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DlgScheduleGroupDlg* form = Open(kPilot);
        ASSERT_NE(nullptr, form);
        ShowType(*form->m_deployablePage, kSoftware);
        c.act(*form->m_deployablePage);
        EXPECT_TRUE(form->IsModified());
        Apply(*form);
        std::map<std::string, Form> sets = Sets(RequestsSince(mark));
        ASSERT_EQ(1u, sets.count("1400"));
        const Form& set = sets["1400"];
        const char* fields[] = {"187", "280", "281"};
        for (int i = 0; i < 3; ++i) {
            if (c.reset)
                EXPECT_NE("<absent>", Get(set, std::string("ATTRIBIDDEL_") + fields[i])) << fields[i];
            else
                EXPECT_EQ(c.sent[i], Ids(Get(set, std::string("ATTRIBID_") + fields[i]))) << fields[i];
        }
        Close(kPilot);
        if (c.reset)
            break;
        // The sample's marks back for the next case.
        DlgScheduleGroupDlg* again = Open(kPilot);
        ASSERT_NE(nullptr, again);
        ObjectBranch& group = again->GetGroup();
        group.SetLinkArray(CTString(L"deployable_available"), {1410, 1412});
        group.SetLinkArray(CTString(L"deployable"), {1410});
        group.SetLinkArray(CTString(L"deployable_mandatory"), {1410});
        again->LoadPages();
        Settle(*s_app);
        again->SetModified(true);
        Command(again->m_hWnd, CWindowManager::CWMForm::kApplyId);
        Settle(*s_app);
        Close(kPilot);
    }
}

TEST_F(ScheduleGroupFormPagesLive, AGroupInheritingItsMarksOpensWithInheritChecked)
{
    DlgScheduleGroupDlg* form = Open(kInherited);
    ASSERT_NE(nullptr, form);
    EXPECT_TRUE(form->m_deployablePage->IsInheritChecked());
    // Saving without a change keeps the inherited marks: nothing of them is sent.
    form->SetModified(true);
    Apply(*form);
    std::map<std::string, Form> sets = Sets(RequestsSince(mark));
    for (const char* field : {"ATTRIBID_187", "ATTRIBID_280", "ATTRIBIDDEL_187", "ATTRIBIDDEL_280"})
        EXPECT_EQ("<absent>", Get(sets["1404"], field)) << field;
    Close(kInherited);
}

TEST_F(ScheduleGroupFormPagesLive, ALateComponentsReplyKeepsAnEditOfAnotherPage)
{
    DlgScheduleGroupDlg* form = Open(kPilot);
    ASSERT_NE(nullptr, form);
    const fixture::Info& server = fixture::Shared();
    const std::string body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<result><RC id=\"0\" text=\"\"/>"
                             "<object id=\"1413\" type=\"71\" parent=\"8\" serial=\"1\" name=\"Headset\" "
                             "created=\"1700000000\" updated=\"1700000000\"><attrib id=\"122\" name=\"type\" edit=\"\" "
                             "default=\"0\" inherit=\"0\" type=\"value_varchar\">Peripheral</attrib></object></result>\n";
    fixture::Script(server, "/api/api_objSearch.php",
                    nlohmann::json::array({{{"gate", "sgform-components"},
                                            {"headers", nlohmann::json::array({{"Content-Type", "application/xml"}})},
                                            {"body", body}}}));
    form->m_deployablePage->m_searchNeeded = true;
    form->m_deployablePage->Load();
    ASSERT_TRUE(PumpUntil(*s_app, [&] { return fixture::Held(server, "sgform-components") == 1; }));
    // A T0 picked while the list is out.
    HWND t0 = form->m_t0Page->m_hWnd;
    SYSTEMTIME day = {};
    day.wYear = 2026;
    day.wMonth = 10;
    day.wDay = 5;
    ::SendMessageW(GetDlgItem(t0, 1026), MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&day));
    NMSELCHANGE change = {};
    change.nmhdr.hwndFrom = GetDlgItem(t0, 1026);
    change.nmhdr.idFrom = 1026;
    change.nmhdr.code = MCN_SELCHANGE;
    ::SendMessageW(t0, WM_NOTIFY, 1026, reinterpret_cast<LPARAM>(&change));
    ASSERT_TRUE(form->IsModified());
    fixture::Release(server, "sgform-components");
    Settle(*s_app);
    EXPECT_EQ((std::vector<__int64>{1413}), Rows(*form->m_deployablePage));
    EXPECT_TRUE(form->IsModified());
    Close(kPilot);
}

TEST_F(ScheduleGroupFormPagesLive, TasksPageListsDashboardTasksAndAddsByType)
{
    DlgScheduleGroupDlg* form = Open(kPilot);
    ASSERT_NE(nullptr, form);
    Tasks& page = *form->m_tasksPage;
    EXPECT_EQ((std::vector<__int64>{1401, 1402}), TaskIds(page));
    EXPECT_EQ(2, ListView_GetItemCount(page.m_list.m_report.m_hWnd));
    // The New menu: the task types shown on the dashboard, by name.
    MenuPicker picker;
    Command(page.m_hWnd, Tasks::CmdNew);
    ASSERT_EQ(1, picker.menus);
    std::vector<int> offered;
    for (const auto& [command, item] : page.m_menuItems) {
        EXPECT_EQ(Tasks::KindNewTask, item.value1);
        offered.push_back(item.value2);
    }
    EXPECT_EQ((std::vector<int>{kCallTask, kSurveyTask}), offered);
    EXPECT_FALSE(form->IsModified());
    // The list's context menu asks for both menus again and again: their ids stay in range and apart.
    std::vector<Object> templates;
    ASSERT_TRUE(PumpUntil(*s_app, [&] { return s_app->m_mainWindow->GetTemplates(templates); }));
    Select(page, 1401);
    for (int round = 0; round < 120; ++round) {
        for (int button : {Tasks::CmdNew, Tasks::CmdApplyTemplate}) {
            ReportCommandInfo ask = {};
            ask.hdr.hwndFrom = page.m_list.m_hWnd;
            ask.hdr.idFrom = Tasks::IdList;
            ask.hdr.code = CTListCtrlReportEx::CodeDropDownMenu;
            ask.id = button;
            EXPECT_NE(0, ::SendMessageW(page.m_hWnd, WM_NOTIFY, Tasks::IdList, reinterpret_cast<LPARAM>(&ask)));
        }
        ASSERT_EQ(2u + templates.size(), page.m_menuItems.size()) << round;
        ASSERT_GE(page.m_menuItems.begin()->first, Tasks::CmdFirstItem);
        ASSERT_LE(page.m_menuItems.rbegin()->first, Tasks::CmdLastItem);
    }
    // A task added and deleted before the save sends nothing; the save still completes.
    picker.position = 1;
    Command(page.m_hWnd, Tasks::CmdNew);
    ASSERT_EQ(3u, page.m_tasks.rows.size());
    EXPECT_EQ(kSurveyTask, page.m_tasks.rows.back().object.type);
    EXPECT_TRUE(form->IsModified());
    Command(page.m_hWnd, Tasks::CmdDelete);
    EXPECT_EQ(2u, page.m_tasks.rows.size());
    Apply(*form);
    std::vector<Request> sent = RequestsSince(mark);
    EXPECT_TRUE(Of(sent, "api_objNew.php").empty());
    EXPECT_TRUE(Of(sent, "api_objDelete.php").empty());
    EXPECT_FALSE(form->IsModified());
    Close(kPilot);
}

TEST_F(ScheduleGroupFormPagesLive, ApplyTemplateAsksFirstThenReplacesTheTasks)
{
    DlgScheduleGroupDlg* form = Open(kInherited);
    ASSERT_NE(nullptr, form);
    Tasks& page = *form->m_tasksPage;
    EXPECT_TRUE(TaskIds(page).empty());
    std::vector<Object> templates;
    ASSERT_TRUE(PumpUntil(*s_app, [&] { return s_app->m_mainWindow->GetTemplates(templates); }));
    int position = -1;
    for (size_t i = 0; i < templates.size(); ++i)
        if (templates[i].id == kTemplate)
            position = static_cast<int>(i);
    ASSERT_GE(position, 0);
    MenuPicker picker;
    picker.position = position;
    {
        BoxAnswer abort(IDABORT);
        Command(page.m_hWnd, Tasks::CmdApplyTemplate);
        Settle(*s_app);
        ASSERT_EQ(1u, abort.styles.size());
        EXPECT_EQ(0x27u, abort.styles[0] & 0xFF);
        EXPECT_TRUE(Of(RequestsSince(mark), "api_qelApplyTemplate.php").empty());
    }
    BoxAnswer go(11);
    Command(page.m_hWnd, Tasks::CmdApplyTemplate);
    Settle(*s_app);
    ASSERT_EQ(1u, go.texts.size());
    EXPECT_NE(std::wstring::npos, go.texts[0].find(L"will erase all existing task data"));
    std::vector<Request> sent = RequestsSince(mark);
    std::vector<Form> applied = Of(sent, "api_qelApplyTemplate.php");
    ASSERT_EQ(1u, applied.size());
    EXPECT_EQ("1404", Get(applied[0], "ID"));
    EXPECT_EQ(std::to_string(kTemplate), Get(applied[0], "TEMPLATE"));
    EXPECT_FALSE(Of(sent, "api_objGet.php").empty());   // the form reloaded the group
    ASSERT_EQ(1u, page.m_tasks.rows.size());
    EXPECT_STREQ(L"Template survey", CTString(page.m_tasks.rows.front().object.name).GetBuffer());
    Close(kInherited);
}

TEST_F(ScheduleGroupFormPagesLive, TheSplitterStartsWhereTheSettingSays)
{
    {
        CTRegKey key(104, nullptr, Tasks::kSplitterKey);
        ASSERT_TRUE(key.WriteDword(L"SpliterPos", 180));
    }
    DlgScheduleGroupDlg* form = Open(kPilot);
    ASSERT_NE(nullptr, form);
    // The page is sized when its tab is first shown.
    ::SetWindowPos(form->m_tasksPage->m_hWnd, nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(form->m_tasksPage->m_splitterRestored);
    EXPECT_EQ(180, form->m_tasksPage->m_splitter.GetPosition());
    Close(kPilot);
    CTRegKey key(104, nullptr, Tasks::kSplitterKey);
    EXPECT_EQ(180u, key.ReadDword(L"SpliterPos", 0));
}

TEST_F(ScheduleGroupFormPagesLive, TheEditorShowsTheTasksExtendedAttributes)
{
    DlgScheduleGroupDlg* form = Open(kPilot);
    ASSERT_NE(nullptr, form);
    Tasks& page = *form->m_tasksPage;
    CTWndPropertyList& grid = page.m_editor.m_properties;
    Select(page, 1401);
    Settle(*s_app);
    // Plain names show; a starred one only when deployments have it; text only as an e-mail template.
    std::vector<std::wstring> names;
    for (int i = 0; i < grid.GetCount(); ++i)
        names.push_back(grid.GetItem(i)->GetBuffer());
    EXPECT_EQ((std::vector<std::wstring>{L"reminder_mode", L"survey_code", L"welcome_template", L"missing_number"}), names);
    CTWndPropertyList::CItem* mode = grid.GetItem(grid.FindProperty(CTString(L"reminder_mode")));
    ASSERT_NE(nullptr, mode);
    EXPECT_EQ(CTWndPropertyList::KindChoice, mode->m_kind);
    ASSERT_EQ(3u, mode->m_choices.size());
    const wchar_t* words[] = {L"Never", L"Daily", L"Weekly"};
    for (int j = 0; j < 3; ++j)
        EXPECT_STREQ(words[j], mode->m_choices[CAttribute(CAttribute::Integer, static_cast<__int64>(j))].GetBuffer());
    CTWndPropertyList::CItem* missing = grid.GetItem(grid.FindProperty(CTString(L"missing_number")));
    ASSERT_NE(nullptr, missing);
    EXPECT_EQ(CTWndPropertyList::KindText, missing->m_kind);
    EXPECT_EQ(0, missing->m_data);
    EXPECT_EQ(0, missing->m_value.GetValue());
    // One template request per form; its reply reaches a task selected afterwards.
    EXPECT_EQ(1u, Of(RequestsSince(mark), "api_qelLangSearch.php").size());
    Select(page, 1402);
    Select(page, 1401);
    Select(page, 1402);
    Settle(*s_app);
    EXPECT_TRUE(Of(RequestsSince(mark), "api_qelLangSearch.php").empty());
    CTWndPropertyList::CItem* email = grid.GetItem(grid.FindProperty(CTString(L"welcome_template")));
    ASSERT_NE(nullptr, email);
    std::map<std::wstring, std::wstring> offered;
    for (const auto& [key, text] : email->m_choices)
        offered[key.GetString().GetBuffer() ? key.GetString().GetBuffer() : L""] = text.GetBuffer() ? text.GetBuffer() : L"";
    EXPECT_EQ((std::map<std::wstring, std::wstring>{{L"1", L"en-GB"}, {L"3", L"Reminder"}}), offered);
    // An edit goes into the task's row; a row without an attribute id writes nothing.
    Select(page, 1401);
    EXPECT_FALSE(form->IsModified());
    grid.SetValue(grid.FindProperty(CTString(L"reminder_mode")), CAttribute(CAttribute::Integer, 2ll));
    ::SendMessageW(page.m_editor.m_hWnd, WM_COMMAND, MAKEWPARAM(1238, CTWndPropertyList::kNotifyChanged),
                   reinterpret_cast<LPARAM>(grid.m_hWnd));
    EXPECT_TRUE(form->IsModified());
    Object task;
    page.m_tasks.GetRowObject(task, 1401);
    CAttribute value;
    task.GetAttribute(value, CTString(L"reminder_mode"));
    EXPECT_EQ(2, value.GetValue());
    EXPECT_FALSE(task.HasAttribute(CTString(L"missing_number")));
    Close(kPilot);
}

TEST_F(ScheduleGroupFormPagesLive, ALaterReplyOfTheSameLoadKeepsTheEdits)
{
    DlgScheduleGroupDlg* form = Open(kPilot);
    ASSERT_NE(nullptr, form);
    Tasks& tasks = *form->m_tasksPage;
    Components& components = *form->m_deployablePage;
    // A task edited, one deleted, one added; a component made available.
    Select(tasks, 1401);
    CTWndPropertyList& grid = tasks.m_editor.m_properties;
    grid.SetValue(grid.FindProperty(CTString(L"reminder_mode")), CAttribute(CAttribute::Integer, 2ll));
    ::SendMessageW(tasks.m_editor.m_hWnd, WM_COMMAND, MAKEWPARAM(1238, CTWndPropertyList::kNotifyChanged),
                   reinterpret_cast<LPARAM>(grid.m_hWnd));
    Select(tasks, 1402);
    Command(tasks.m_hWnd, Tasks::CmdDelete);
    MenuPicker picker;
    picker.position = 0;
    Command(tasks.m_hWnd, Tasks::CmdNew);
    ShowAllTypes(components);
    Click(components, 1413, Components::ColumnAvailable);
    // The slots search answering last shows the group again.
    form->ShowLoadedObject();
    Settle(*s_app);
    std::vector<__int64> ids = TaskIds(tasks);
    ASSERT_EQ(3u, ids.size());
    EXPECT_EQ(2, ListView_GetItemCount(tasks.m_list.m_report.m_hWnd));   // the deleted one is not shown
    Object task;
    tasks.m_tasks.GetRowObject(task, 1401);
    CAttribute mode;
    task.GetAttribute(mode, CTString(L"reminder_mode"));
    EXPECT_EQ(2, mode.GetValue());
    EXPECT_TRUE(components.Mark(ItemOf(components, 1413), Components::ColumnAvailable));
    // A new load starts afresh.
    form->Load();
    Settle(*s_app);
    EXPECT_EQ((std::vector<__int64>{1401, 1402}), TaskIds(tasks));
    EXPECT_FALSE(components.Mark(ItemOf(components, 1413), Components::ColumnAvailable));
    Close(kPilot);
}

TEST_F(ScheduleGroupFormPagesLive, ANewT0AndATaskEditGoOutInOneSetPerTask)
{
    DlgScheduleGroupDlg* form = Open(kPilot);
    ASSERT_NE(nullptr, form);
    HWND hwnd = form->m_hWnd;
    Tasks& page = *form->m_tasksPage;
    Select(page, 1401);
    CTWndPropertyList& grid = page.m_editor.m_properties;
    grid.SetValue(grid.FindProperty(CTString(L"reminder_mode")), CAttribute(CAttribute::Integer, 0ll));
    ::SendMessageW(page.m_editor.m_hWnd, WM_COMMAND, MAKEWPARAM(1238, CTWndPropertyList::kNotifyChanged),
                   reinterpret_cast<LPARAM>(grid.m_hWnd));
    // Then a T0 of 1 September 2026, which moves the end dates of both tasks.
    HWND t0 = form->m_t0Page->m_hWnd;
    SYSTEMTIME day = {};
    day.wYear = 2026;
    day.wMonth = 9;
    day.wDay = 1;
    ::SendMessageW(GetDlgItem(t0, 1026), MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&day));
    NMSELCHANGE change = {};
    change.nmhdr.hwndFrom = GetDlgItem(t0, 1026);
    change.nmhdr.idFrom = 1026;
    change.nmhdr.code = MCN_SELCHANGE;
    ::SendMessageW(t0, WM_NOTIFY, 1026, reinterpret_cast<LPARAM>(&change));
    RequestsSince(mark);
    Command(hwnd, IDOK);
    Settle(*s_app);
    std::vector<Form> sets = Of(RequestsSince(mark), "api_objSet.php");
    int survey = 0, call = 0;
    for (const Form& set : sets) {
        if (Get(set, "ID") == "1401") {
            ++survey;
            EXPECT_EQ("0", Get(set, "ATTRIBID_284"));
            EXPECT_NE("<absent>", Get(set, "ATTRIBID_110"));
        }
        call += Get(set, "ID") == "1402";
    }
    EXPECT_EQ(1, survey);
    EXPECT_EQ(1, call);
    EXPECT_FALSE(::IsWindow(hwnd));   // every reply good: the save completed and closed the form
}

} // namespace
