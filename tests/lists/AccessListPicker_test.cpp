// The access-list picker for a recording owner on an application signed in to the fixture server
// under Xvfb.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <vector>
#include "app/App.h"
#include "framework/PopupMenuDriver.h"
#include "lists/DlgSelectAccessList.h"
#include "lists/ListWindows.h"

#include "app/SignedInSession.h"
#include "lists/PickerOwner.h"

namespace {

using signedin::PumpUntil;
using signedin::Settle;

class MenuChoice : public PopupMenuDriver {
public:
    explicit MenuChoice(UINT command) : m_command(command) { Install(this); }
    ~MenuChoice() override { Install(nullptr); }
    UINT ChooseCommand(HMENU, UINT, int, int, HWND) override
    {
        ++shown;
        return m_command;
    }
    UINT m_command;
    int shown = 0;
};

class AccessListPicker : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (s_app)
            RegisterListWindows(s_app->m_catalogue);
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }
    void SetUp() override
    {
        ASSERT_NE(nullptr, s_app);
        // The form that opens the picker sits inside the owner: the answer goes to the top window.
        field = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, owner.hwnd, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        owner.handler = [this](UINT msg, WPARAM, LPARAM lParam) -> LRESULT {
            if (msg == DlgSelectAccessList::kMsgChanged) {
                auto* picker = dynamic_cast<DlgSelectAccessList*>(
                    s_app->m_windows.FindWindow(DlgSelectAccessList::kType, static_cast<UINT64>(lParam)));
                read.push_back(picker ? picker->m_ids : std::vector<__int64>{-1});
            }
            return 0;
        };
    }
    void TearDown() override
    {
        s_app->m_windows.CloseWindows(DlgSelectAccessList::kType, 0);
        Settle(*s_app);
    }

    DlgSelectAccessList* Open(UINT64 key, const std::vector<__int64>& ids)
    {
        s_app->m_windows.OpenWindow(DlgSelectAccessList::kType, key, reinterpret_cast<INT_PTR>(field));
        auto* picker = dynamic_cast<DlgSelectAccessList*>(s_app->m_windows.FindWindow(DlgSelectAccessList::kType, key));
        if (!picker)
            return nullptr;
        picker->Show(CTString(L"Requesters"), ids);
        PumpUntil(*s_app, [&] { return picker->m_list.m_report.GetItemCount() > 0; }, 10000);
        Settle(*s_app);
        return picker;
    }
    static int RowOf(DlgSelectAccessList* picker, __int64 id)
    {
        return picker->m_list.m_report.FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(id)));
    }
    // Clicks the Enable box of a row as a person does.
    static void Toggle(DlgSelectAccessList* picker, __int64 id)
    {
        NMITEMACTIVATE act = {};
        act.hdr.hwndFrom = picker->m_list.m_hWnd;
        act.hdr.idFrom = DlgSelectAccessList::kIdList;
        act.hdr.code = CTListCtrlReportEx::CodeActivate;
        act.iItem = RowOf(picker, id);
        act.iSubItem = DlgSelectAccessList::kEnableColumn;
        picker->m_list.m_report.m_focusedColumn = -1;
        SendMessageW(picker->m_hWnd, WM_NOTIFY, DlgSelectAccessList::kIdList, reinterpret_cast<LPARAM>(&act));
    }
    static bool OkEnabled(DlgSelectAccessList* picker) { return IsWindowEnabled(GetDlgItem(picker->m_hWnd, IDOK)); }
    void Command(DlgSelectAccessList* picker, int id)
    {
        SendMessageW(picker->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        Settle(*s_app);
    }
    std::vector<Answer> Changes() const
    {
        std::vector<Answer> out;
        for (const Answer& a : owner.answers)
            if (a.msg == DlgSelectAccessList::kMsgChanged)
                out.push_back(a);
        return out;
    }

    static App* s_app;
    RecordingOwner owner;
    HWND field = nullptr;
    std::vector<std::vector<__int64>> read;
};

App* AccessListPicker::s_app = nullptr;

} // namespace

TEST_F(AccessListPicker, ListsEveryCandidateTickedAsGivenAndAnswersOnlyAChange)
{
    struct Case {
        std::vector<__int64> given;
        bool changed;
    };
    // The same set ticked again: unchanged when given in order, changed when given unsorted.
    UINT64 key = 900;
    for (const Case& c : {Case{{30, 200}, false}, Case{{200, 30}, true}}) {
        owner.answers.clear();
        read.clear();
        DlgSelectAccessList* picker = Open(++key, c.given);
        ASSERT_NE(nullptr, picker);
        CTListCtrlReport& report = picker->m_list.m_report;
        ASSERT_GE(RowOf(picker, 90), 0);
        ASSERT_GE(RowOf(picker, 209), 0);
        EXPECT_EQ((std::vector<__int64>{30, 200}), picker->TickedIds());
        CAttribute type;
        report.GetCell(RowOf(picker, 90), 1, type);
        EXPECT_STREQ(L"Administrator", type.GetText());
        EXPECT_FALSE(OkEnabled(picker));
        Toggle(picker, 31);
        EXPECT_TRUE(OkEnabled(picker));
        EXPECT_EQ((std::vector<__int64>{30, 31, 200}), picker->TickedIds());
        Toggle(picker, 31);
        EXPECT_TRUE(OkEnabled(picker)); // a change undone still lets OK compare
        Command(picker, IDOK);
        if (c.changed) {
            EXPECT_EQ((std::vector<Answer>{{1045, 0, static_cast<LPARAM>(key), true}}), Changes());
            EXPECT_EQ((std::vector<std::vector<__int64>>{{30, 200}}), read);
        } else {
            EXPECT_TRUE(Changes().empty());
        }
        EXPECT_EQ(nullptr, s_app->m_windows.FindWindow(DlgSelectAccessList::kType, key));
    }
}

TEST_F(AccessListPicker, SelectMenuTicksAllNoneOrTheOthers)
{
    DlgSelectAccessList* picker = Open(910, {30});
    ASSERT_NE(nullptr, picker);
    int rows = picker->m_list.m_report.GetItemCount();
    {
        MenuChoice invert(DlgSelectAccessList::kCmdInvert);
        Command(picker, DlgSelectAccessList::kCmdSelect);
        EXPECT_EQ(1, invert.shown);
    }
    std::vector<__int64> ticked = picker->TickedIds();
    EXPECT_EQ(static_cast<size_t>(rows - 1), ticked.size());
    EXPECT_EQ(ticked.end(), std::find(ticked.begin(), ticked.end(), 30));
    EXPECT_TRUE(OkEnabled(picker));
    Command(picker, DlgSelectAccessList::kCmdNone);
    EXPECT_TRUE(picker->TickedIds().empty());
    Command(picker, DlgSelectAccessList::kCmdAll);
    EXPECT_EQ(static_cast<size_t>(rows), picker->TickedIds().size());
    Command(picker, IDOK);
    ASSERT_EQ(1u, read.size());
    EXPECT_EQ(static_cast<size_t>(rows), read[0].size());

    // Cancel answers nothing, whatever was changed.
    read.clear();
    picker = Open(911, {30});
    ASSERT_NE(nullptr, picker);
    Command(picker, DlgSelectAccessList::kCmdAll);
    Command(picker, IDCANCEL);
    EXPECT_TRUE(read.empty());
}
