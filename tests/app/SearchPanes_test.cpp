// The search pane, the change-password pane and the reset-password prompt on a main window signed
// in to the fixture server under Xvfb.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <functional>
#include <mutex>
#include <string>
#include <vector>
#include "app/App.h"
#include "app/CTWndConsole.h"
#include "app/DlgAdmin.h"
#include "app/DlgChangePassword.h"
#include "app/DlgResetPassword.h"
#include "app/DlgSearch.h"
#include "app/MainWindow.h"
#include "app/SearchFilterSettings.h"
#include "framework/CTApp.h"
#include "framework/CTWndMessageBox.h"
#include "framework/MessageBoxAnswerer.h"
#include "framework/ModalDialogDriver.h"
#include "foundation/CTTime.h"
#include "session/FixtureServer.h"

#include "SignedInSession.h"

namespace {

using signedin::PumpUntil;
using signedin::Settle;

// Answers every message box with its first button and keeps caption and text.
class BoxRecorder : public MessageBoxAnswerer {
public:
    BoxRecorder() { MessageBoxAnswerer::Install(this); }
    ~BoxRecorder() override { MessageBoxAnswerer::Install(nullptr); }
    void OnMessageBox(CTWndMessageBox& box, HWND) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        texts.push_back(std::wstring(box.m_caption ? box.m_caption : L"") + L"|" + (box.m_text ? box.m_text : L""));
        box.Press(IDOK);
    }
    std::vector<std::wstring> Texts()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return texts;
    }
    std::mutex mutex;
    std::vector<std::wstring> texts;
};

std::wstring Cell(CTListCtrlReport& list, int item, int column)
{
    wchar_t text[512] = {};
    ListView_GetItemText(list.m_hWnd, item, column, text, 511);
    return text;
}

std::vector<std::wstring> Column(CTListCtrlReport& list, int column)
{
    std::vector<std::wstring> out;
    for (int i = 0; i < list.GetItemCount(); ++i)
        out.push_back(Cell(list, i, column));
    return out;
}

// The status text the main window keeps for the search pane.
std::wstring StatusText(MainWindow& main)
{
    CTWndConsole* pane = main.FindConsole(DlgSearch::kConsoleType, 0);
    auto it = main.m_statusTexts.find(main.GetPaneKey(pane));
    return it == main.m_statusTexts.end() || !it->second.GetBuffer() ? std::wstring() : it->second.GetBuffer();
}

class SignedIn : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_app = signedin::SignIn(); }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }
    void SetUp() override
    {
        ASSERT_NE(nullptr, s_app);
        main = s_app->m_mainWindow;
        SearchFilterSettings::Instance().SetDefaults();
    }

    // Types the text into the search box and presses Enter; answers the search pane.
    DlgSearch* SearchFor(const wchar_t* text)
    {
        SetWindowTextW(main->m_search.m_edit.m_hWnd, text);
        SendMessageW(main->m_search.m_edit.m_hWnd, WM_CHAR, VK_RETURN, 0);
        auto* pane = dynamic_cast<DlgSearch*>(main->FindConsole(DlgSearch::kConsoleType, 0));
        Settle(*s_app);
        return pane;
    }

    static App* s_app;
    MainWindow* main = nullptr;
};

App* SignedIn::s_app = nullptr;

} // namespace

TEST_F(SignedIn, SearchFillsThePaneWithPathsAndOpensAResult)
{
    DlgSearch* pane = SearchFor(L"Wave");
    ASSERT_NE(nullptr, pane);
    EXPECT_EQ(pane, dynamic_cast<DlgSearch*>(main->m_current));
    // Paths show "?" until the parent's path arrives.
    auto pathsKnown = [&] {
        std::vector<std::wstring> paths = Column(pane->m_list, 0);
        return pane->m_list.GetItemCount() >= 3 &&
               std::find(paths.begin(), paths.end(), L"?") == paths.end();
    };
    ASSERT_TRUE(PumpUntil(*s_app, pathsKnown, 5000)) << [&] {
        std::string out;
        for (const std::wstring& path : Column(pane->m_list, 0))
            out += std::string(path.begin(), path.end()) + "|";
        for (auto& entry : pane->m_paths)
            out += " " + std::to_string(entry.first) + "=" + std::to_string(entry.second.GetLength());
        for (auto& object : pane->m_results)
            out += " o" + std::to_string(object.id) + "p" + std::to_string(object.parent);
        return out;
    }();
    std::vector<std::wstring> names = Column(pane->m_list, 1), types = Column(pane->m_list, 2);
    std::vector<std::wstring> paths = Column(pane->m_list, 0);
    int found = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == L"Wave 1 link") {
            ++found;
            EXPECT_EQ(L"Link [SG]", types[i]);
            EXPECT_NE(std::wstring::npos, paths[i].find(L"admin")) << paths[i];
        } else if (names[i] == L"Wave 1" || names[i] == L"Wave 2") {
            ++found;
            EXPECT_EQ(L"Schedule Group", types[i]) << names[i];
            EXPECT_EQ(L"\\System\\Groups", paths[i]);
        }
    }
    EXPECT_EQ(3, found);
    std::wstring status = L" " + std::to_wstring(pane->m_list.GetItemCount()) + L" results in ";
    EXPECT_EQ(0u, StatusText(*main).find(status)) << std::string(StatusText(*main).begin(), StatusText(*main).end());
    // The search is outside the history, and the box remembers the text.
    EXPECT_STREQ(L"Wave", main->m_search.m_recent.front().GetBuffer());

    // One result: selected and focused, so a double click opens it at once.
    pane = SearchFor(L"Acme");
    ASSERT_EQ(1, pane->m_list.GetItemCount());
    EXPECT_EQ(LVIS_SELECTED | LVIS_FOCUSED,
              ListView_GetItemState(pane->m_list.m_hWnd, 0, LVIS_SELECTED | LVIS_FOCUSED));
    NMITEMACTIVATE click = {};
    click.hdr.hwndFrom = pane->m_list.m_hWnd;
    click.hdr.idFrom = DlgSearch::kIdList;
    click.hdr.code = NM_DBLCLK;
    click.iItem = 0;
    SendMessageW(pane->m_hWnd, WM_NOTIFY, DlgSearch::kIdList, reinterpret_cast<LPARAM>(&click));
    ASSERT_NE(nullptr, main->m_current);
    EXPECT_EQ(1023, main->m_current->GetConsoleType());   // the organisation pane
    EXPECT_EQ(10, main->m_current->m_key);

    // Nothing found: an empty list and 0 results.
    pane = SearchFor(L"no such thing");
    EXPECT_EQ(0, pane->m_list.GetItemCount());
    EXPECT_EQ(0u, StatusText(*main).find(L" 0 results in ")) << StatusText(*main);
}

TEST_F(SignedIn, AnEarlierSearchsAnswerNeverJoinsALaterOne)
{
    DlgSearch* pane = SearchFor(L"PC-00");
    ASSERT_NE(nullptr, pane);
    // Two searches in flight: only the second one's objects are shown.
    pane->Search(CTString(L"Wave"));
    pane->Search(CTString(L"Berlin"));
    Settle(*s_app);
    EXPECT_EQ((std::vector<std::wstring>{L"Berlin"}), Column(pane->m_list, 1));
    EXPECT_EQ(1u, pane->m_results.size());
}

TEST_F(SignedIn, FilterByTypeAndLimit)
{
    SearchFilterSettings& settings = SearchFilterSettings::Instance();
    DlgSearch* pane = SearchFor(L"e");   // many names hold an "e"
    ASSERT_NE(nullptr, pane);
    // The sample holds more names with an "e" than the default limit lets through.
    int byDefault = pane->m_list.GetItemCount();
    EXPECT_EQ(settings.Limit, byDefault);

    // Only schedule groups and sites.
    settings.EnableTypeLimit = true;
    settings.Types = {7, 4};
    EXPECT_STREQ(L"Schedule Group,Site", pane->BuildTypeText().GetBuffer());
    pane = SearchFor(L"e");
    // Other tests may add or rename objects of the shared fixture: only those types come back.
    std::vector<std::wstring> names = Column(pane->m_list, 1), types = Column(pane->m_list, 2);
    for (const wchar_t* name : {L"Berlin", L"Wave 1", L"Wave 2"})
        EXPECT_NE(names.end(), std::find(names.begin(), names.end(), name)) << name;
    for (const std::wstring& type : types)
        EXPECT_TRUE(type == L"Schedule Group" || type == L"Site") << type;

    // A type limit without types restricts nothing; the count limit caps the answer.
    settings.Types.clear();
    EXPECT_TRUE(pane->BuildTypeText().IsEmpty());
    settings.Limit = 2;
    pane = SearchFor(L"e");
    EXPECT_EQ(2, pane->m_list.GetItemCount());
    settings.EnableLimit = false;
    pane = SearchFor(L"e");
    EXPECT_GT(pane->m_list.GetItemCount(), byDefault);
}

TEST_F(SignedIn, ChangePasswordSucceedsOrShowsTheRefusalWithItsRules)
{
    BoxRecorder boxes;
    ASSERT_TRUE(main->ShowConsole(DlgChangePassword::kConsoleType, 0, false));
    auto* pane = dynamic_cast<DlgChangePassword*>(main->m_current);
    ASSERT_NE(nullptr, pane);
    auto fill = [&](const wchar_t* previous, const wchar_t* next, const wchar_t* confirm) {
        SetDlgItemTextW(pane->m_hWnd, DlgChangePassword::kIdPrevious, previous);
        SetDlgItemTextW(pane->m_hWnd, DlgChangePassword::kIdNew, next);
        SetDlgItemTextW(pane->m_hWnd, DlgChangePassword::kIdConfirm, confirm);
        SendMessageW(pane->m_hWnd, WM_COMMAND, DlgChangePassword::kIdChange, 0);
    };

    // Refused with a rules reference: one box, after the rules arrived, with both texts.
    fill(L"secret", L"ab", L"ab");
    ASSERT_TRUE(PumpUntil(*s_app, [&] { return boxes.Texts().size() == 1; })) << boxes.Texts().size();
    Settle(*s_app);
    ASSERT_EQ(1u, boxes.Texts().size());
    // The server's refusal (as the status text carries it), a blank line, the rules.
    EXPECT_EQ(0u, boxes.Texts()[0].find(L"Change Password|")) << boxes.Texts()[0];
    EXPECT_NE(std::wstring::npos,
              boxes.Texts()[0].find(L"The password breaks the rules\r\n\r\nAt least 4 characters."))
        << boxes.Texts()[0];
    EXPECT_EQ(pane, dynamic_cast<DlgChangePassword*>(main->FindConsole(DlgChangePassword::kConsoleType, 0)));

    // Refused without a reference: the server's text at once; the pane stays.
    fill(L"wrong", L"longer", L"longer");
    ASSERT_TRUE(PumpUntil(*s_app, [&] { return boxes.Texts().size() == 2; }));
    EXPECT_NE(std::wstring::npos, boxes.Texts()[1].find(L"The previous password is not correct")) << boxes.Texts()[1];
    EXPECT_EQ(std::wstring::npos, boxes.Texts()[1].find(L"\r\n\r\n"));
    WCHAR typed[64] = {};
    GetDlgItemTextW(pane->m_hWnd, DlgChangePassword::kIdNew, typed, 64);
    EXPECT_STREQ(L"longer", typed);

    // Success: "Password Set" and the pane closes; opened again it starts empty.
    fill(L"secret", L"longer", L"longer");
    ASSERT_TRUE(PumpUntil(*s_app, [&] { return boxes.Texts().size() == 3; }));
    EXPECT_EQ(L"Change Password|Password Set", boxes.Texts()[2]);
    ASSERT_TRUE(PumpUntil(*s_app, [&] { return main->FindConsole(DlgChangePassword::kConsoleType, 0) == nullptr; }));
    ASSERT_TRUE(main->ShowConsole(DlgChangePassword::kConsoleType, 0, false));
    pane = dynamic_cast<DlgChangePassword*>(main->m_current);
    ASSERT_NE(nullptr, pane);
    GetDlgItemTextW(pane->m_hWnd, DlgChangePassword::kIdNew, typed, 64);
    EXPECT_STREQ(L"", typed);
    SendMessageW(pane->m_hWnd, WM_COMMAND, DlgChangePassword::kIdCancel, 0);
    Settle(*s_app);
}

namespace {

class ResetDriver : public ModalDialogDriver {
public:
    std::function<void(HWND)> steps;
    ResetDriver() { Install(this); }
    ~ResetDriver() override { Install(nullptr); }
    void OnModalDialog(CTWnd2&, HWND dialog) override { steps(dialog); }
};

void Type(HWND dialog, int id, const wchar_t* text)
{
    SetDlgItemTextW(dialog, id, text);   // the edit reports EN_CHANGE itself
}

} // namespace

TEST_F(SignedIn, ResetPromptAllowsOkOnlyForEqualEntries)
{
    ResetDriver driver;
    std::vector<bool> okStates;
    driver.steps = [&](HWND dialog) {
        HWND ok = GetDlgItem(dialog, IDOK);
        okStates.push_back(IsWindowEnabled(ok));                     // untouched
        Type(dialog, DlgResetPassword::kIdNew, L"Secret1");
        okStates.push_back(IsWindowEnabled(ok));                     // confirmation empty
        Type(dialog, DlgResetPassword::kIdConfirm, L"secret1");
        okStates.push_back(IsWindowEnabled(ok));                     // differs in case
        Type(dialog, DlgResetPassword::kIdConfirm, L"Secret1");
        okStates.push_back(IsWindowEnabled(ok));                     // equal
        Type(dialog, DlgResetPassword::kIdNew, L"");
        okStates.push_back(IsWindowEnabled(ok));                     // cleared
        Type(dialog, DlgResetPassword::kIdNew, L"Secret1");
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    };
    DlgResetPassword prompt;
    ASSERT_TRUE(prompt.Run(main->m_hWnd));
    EXPECT_EQ((std::vector<bool>{false, false, false, true, false}), okStates);
    EXPECT_STREQ(L"Secret1", prompt.m_password.GetBuffer());

    // Cancel answers false.
    driver.steps = [](HWND dialog) { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); };
    DlgResetPassword cancelled;
    EXPECT_FALSE(cancelled.Run(main->m_hWnd));
}

// The fixture's administrator (id 90) has logons, a failed logon and a later logoff: the card
// shows the newest event of the "logon" kind.
TEST_F(SignedIn, AdministratorCardShowsTheObjectAndItsLastLogon)
{
    constexpr __int64 kAdmin = 90;
    ASSERT_TRUE(main->ShowConsole(DlgAdmin::kConsoleType, kAdmin, false));
    auto* card = dynamic_cast<DlgAdmin*>(main->FindConsole(DlgAdmin::kConsoleType, kAdmin));
    ASSERT_NE(nullptr, card);
    auto item = [&](int id) {
        wchar_t text[256] = {};
        GetDlgItemTextW(card->GetHwnd(), id, text, 256);
        return std::wstring(text);
    };
    PumpUntil(*s_app, [&] { return !item(DlgAdmin::kIdLastLogon).empty(); }, 10000);
    Settle(*s_app);
    EXPECT_EQ(L"admin", item(DlgAdmin::kIdName));
    EXPECT_EQ(L"admin@example.test", item(DlgAdmin::kIdEmail));
    EXPECT_EQ(L"+44 20 0000 0000", item(DlgAdmin::kIdPhone));
    int32_t newestLogon = 1700000000 + 7200;
    CTString expected;
    FormatUnixDateTime(&newestLogon, expected, false);
    EXPECT_STREQ(expected.GetBuffer(), item(DlgAdmin::kIdLastLogon).c_str());
    // The signed-in administrator is a super user: the edit link shows.
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(card->GetHwnd(), DlgAdmin::kIdEdit)));
    main->CloseConsole(DlgAdmin::kConsoleType, kAdmin);
    Settle(*s_app);
}
