// The left-hand panels of the deployments view: the day list across daylight-saving changes and its
// registry encoding, status counts, tags merged ignoring case, the header and panel menu, the
// stored panel and which entries take a drop.
// ctest-env: TZ=Europe/Berlin
// ctest-env: TZ=America/New_York
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ViewFixture.h"
#include "foundation/UnixClock.h"
#include "framework/PopupMenuDriver.h"

using namespace viewtest;

namespace {

constexpr __int64 kG1 = 52;
constexpr __int64 kSunday = 1792281600;   // Sunday 18 October 2026, 00:00 UTC
constexpr __int64 kBusyDay = 1792972800;  // Monday 26 October 2026, after Europe's change
constexpr __int64 kDay = 86400;

__int64 g_now = 0;
__int64 FixedNow() { return g_now; }

struct MenuRecorder : PopupMenuDriver {
    std::vector<std::wstring> items;
    std::vector<bool> checked;
    UINT choose = 0;
    UINT ChooseCommand(HMENU menu, UINT, int, int, HWND) override
    {
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[64] = {};
            MENUITEMINFOW info = {sizeof(info)};
            info.fMask = MIIM_STRING | MIIM_STATE | MIIM_DATA;
            info.dwTypeData = text;
            info.cch = 64;
            GetMenuItemInfoW(menu, i, TRUE, &info);
            CTString owned;
            int image = 0;
            (void)image;
            items.push_back(text);
            checked.push_back((info.fState & MFS_CHECKED) != 0);
        }
        return choose;
    }
};

class DeploymentsPanels : public ViewFixture {
protected:
    void SetUp() override
    {
        ViewFixture::SetUp();
        // Wednesday 21 October 2026, noon UTC: the same date in both zones of the runs.
        g_now = kSunday + 3 * kDay + 12 * 3600;
        previousClock = UnixClock::Replace(&FixedNow);
    }
    void TearDown() override
    {
        UnixClock::Replace(previousClock);
        PopupMenuDriver::Install(nullptr);
        ViewFixture::TearDown();
    }

    // One group with a slot ending on the busy day, two deployments in it, one without a slot.
    void OpenLoaded(const std::vector<std::vector<Field>>& extra = {})
    {
        ASSERT_NE(Open(), nullptr);
        AnswerGroups({{kG1, "Spring"}});
        std::string objects = Xml(1030, kSlotType, 1050, "Slot", {{"end_date", "value_date", std::to_string(kBusyDay)}});
        const std::vector<std::vector<Field>> fields = extra.empty()
            ? std::vector<std::vector<Field>>{{{"link_deployment_slot", "value_iddirectory", "1030"}, {"deployment_status", "value_int", "1"}},
                                              {{"link_deployment_slot", "value_iddirectory", "1030"}, {"deployment_status", "value_int", "1"}},
                                              {{"deployment_status", "value_int", "4"}}}
            : extra;
        for (size_t i = 0; i < fields.size(); ++i)
            objects += DeploymentXml({2001 + static_cast<__int64>(i), kG1, fields[i]});
        ReplyNth("api/api_objGet.php", 0, Ok(objects));
    }

    DlgDeployments::DlgLHSSlot* Slot()
    {
        return static_cast<DlgDeployments::DlgLHSSlot*>(view->Host().Find(DlgDeployments::kKindSchedule));
    }
    std::vector<UINT32> SlotValues()
    {
        std::vector<UINT32> values;
        HWND list = Slot()->List();
        const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i)
            values.push_back(static_cast<UINT32>(::SendMessageW(list, LB_GETITEMDATA, i, 0)));
        return values;
    }

    UnixClock::Function previousClock = nullptr;
};

TEST_F(DeploymentsPanels, ScheduleListsWholeDaysFromSundayAcrossDaylightSaving)
{
    OpenLoaded();
    std::vector<UINT32> values = SlotValues();
    ASSERT_EQ(values.size(), 37u);
    EXPECT_EQ(values[0], 0xFFFFFFFEu);
    EXPECT_EQ(values[1], 0xFFFFFFFDu);
    EXPECT_EQ(values[2], static_cast<UINT32>(kSunday));
    for (size_t i = 3; i < values.size(); ++i)
        EXPECT_EQ(values[i] - values[i - 1], static_cast<UINT32>(kDay)) << i;
    EXPECT_EQ(Slot()->CountOn(kBusyDay), 2);

    // A day chosen shows only its deployments; the other panels are rebuilt, this one is not.
    HWND list = Slot()->List();
    ASSERT_TRUE(view->Host().SelectPanel(DlgDeployments::kKindSchedule));
    ::SendMessageW(list, LB_SETCURSEL, 2 + 8, 0);
    ::SendMessageW(Slot()->m_hWnd, WM_COMMAND, MAKEWPARAM(DlgDeployments::DlgLHSSlot::kIdList, LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(Slot()->m_choice, static_cast<UINT64>(kBusyDay));
    EXPECT_EQ(RowIds(), (std::vector<__int64>{2001, 2002}));
    ::SendMessageW(list, LB_SETCURSEL, 1, 0);
    ::SendMessageW(Slot()->m_hWnd, WM_COMMAND, MAKEWPARAM(DlgDeployments::DlgLHSSlot::kIdList, LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(RowIds(), (std::vector<__int64>{2003}));

    // The next week: seven whole days on, the choice kept and the rows unchanged.
    ::SendMessageW(Slot()->m_hWnd, WM_COMMAND, MAKEWPARAM(DlgDeployments::DlgLHSSlot::kIdNext, BN_CLICKED), 0);
    values = SlotValues();
    ASSERT_EQ(values.size(), 37u);
    EXPECT_EQ(values[2], static_cast<UINT32>(kSunday + 7 * kDay));
    EXPECT_EQ(Slot()->m_choice, 0xFFFFFFFDu);
    EXPECT_EQ(RowIds(), (std::vector<__int64>{2003}));
}

TEST_F(DeploymentsPanels, ScheduleChoiceIsStoredAsThirtyTwoBits)
{
    ASSERT_NE(Open(), nullptr);
    struct Case {
        UINT32 choice;
        DWORD stored;
    };
    for (const Case& c : {Case{0xFFFFFFFEu, 4294967294u}, Case{0xFFFFFFFDu, 4294967293u},
                          Case{static_cast<UINT32>(kBusyDay), static_cast<DWORD>(kBusyDay)}}) {
        Slot()->m_choice = c.choice;
        Slot()->m_firstDay = kSunday;
        CTRegKey key;
        Slot()->SaveChoice(ViewKey(key));
        EXPECT_EQ(key.ReadDword(L"DlgLHSSlot", 0), c.stored);
        EXPECT_EQ(key.ReadDword(L"DlgLHSSlotStart", 0), static_cast<DWORD>(kSunday));
        Slot()->m_choice = 0;
        Slot()->LoadChoice(key);
        EXPECT_EQ(Slot()->m_choice, c.choice);
    }
}

TEST_F(DeploymentsPanels, StatusRowsCountTheirDeployments)
{
    OpenLoaded();
    auto* status = static_cast<DlgDeployments::DlgLHSDepStatus*>(view->Host().Find(DlgDeployments::kKindStatus));
    EXPECT_EQ(status->m_counts[80], 2);
    EXPECT_EQ(status->m_counts[83], 1);
    CTString markup;
    status->GetItemMarkup(80, CTString(L"Scheduled"), 0, markup);
    EXPECT_NE(std::wstring(markup.GetBuffer()).find(L"background-color=\"#1163AF\"> 2 </Text>"), std::wstring::npos);
    markup.Empty();
    status->GetItemMarkup(0, CTString(L"&lt;all deployments&gt;"), 0, markup);
    EXPECT_EQ(std::wstring(markup.GetBuffer()).find(L"#1163AF"), std::wstring::npos);

    ASSERT_TRUE(view->Host().SelectPanel(DlgDeployments::kKindStatus));
    status->OnSelectionChanged(83);
    EXPECT_EQ(RowIds(), (std::vector<__int64>{2003}));
}

TEST_F(DeploymentsPanels, TagsDifferingInCaseShareOneRow)
{
    OpenLoaded({{{"tag", "value_varchar", "VIP"}},
                {{"tag", "value_varchar", "vip, Floor 2"}},
                {{"tag", "value_varchar", " VIP "}},
                {}});
    auto* tags = static_cast<DlgDeployments::DlgLHSTag*>(view->Host().Find(DlgDeployments::kKindTags));
    ASSERT_EQ(tags->m_tags.size(), 2u);
    auto vip = tags->m_tags.find(L"vIp");
    ASSERT_NE(vip, tags->m_tags.end());
    EXPECT_EQ(vip->first, L"VIP");
    EXPECT_EQ(vip->second.count, 3);

    ASSERT_TRUE(view->Host().SelectPanel(DlgDeployments::kKindTags));
    tags->OnSelectionChanged(static_cast<unsigned __int64>(vip->second.rowKey));
    EXPECT_EQ(RowIds(), (std::vector<__int64>{2001, 2002, 2003}));
    CTRegKey key;
    tags->SaveChoice(ViewKey(key));
    CTString stored;
    EXPECT_STREQ(key.ReadString(stored, L"LHSTag", L"").GetBuffer(), L"VIP");
}

TEST_F(DeploymentsPanels, HeaderNamesThePanelAndItsMenuSwitchesPanels)
{
    ASSERT_NE(Open(), nullptr);
    const std::wstring markup = DlgDeployments::DlgLHS::BuildHeaderMarkup(CTString(L"Schedule Groups")).GetBuffer();
    EXPECT_EQ(markup.rfind(L"<Attribs><Attrib id=\"Heading-Hottrack\" font-size=\"14\" color=\"#", 0), 0u) << markup;
    EXPECT_NE(markup.find(L"hot-track=\"#"), std::wstring::npos);
    EXPECT_EQ(markup.find(L'$'), std::wstring::npos);
    const std::wstring tail = L"on-click=\"1\" >Schedule Groups</Text></Div>";
    EXPECT_EQ(markup.substr(markup.size() - tail.size()), tail);

    MenuRecorder menu;
    menu.choose = 5000 + DlgDeployments::kKindTags;
    PopupMenuDriver::Install(&menu);
    NMHDR click = {view->Host().m_header.m_hWnd, DlgDeployments::DlgLHS::kIdHeader, static_cast<UINT>(-20)};
    ::SendMessageW(view->Host().m_hWnd, WM_NOTIFY, click.idFrom, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(menu.items, (std::vector<std::wstring>{L"Schedule Groups", L"Schedule", L"Status", L"Tags"}));
    EXPECT_EQ(menu.checked, (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(view->GetPanelKind(), DlgDeployments::kKindTags);
    EXPECT_FALSE(view->Host().SelectPanel(DlgDeployments::kKindTags)) << "the current panel is chosen again";
}

TEST_F(DeploymentsPanels, StoredPanelKindIsShownAndAnUnknownOneShowsScheduleGroups)
{
    for (auto [stored, shown] : {std::pair{6, DlgDeployments::kKindTags}, std::pair{99, DlgDeployments::kKindGroups}}) {
        SCOPED_TRACE(stored);
        if (view)
            main->CloseConsole(DlgDeployments::kConsoleType, 0);
        t.Pump();
        CTRegKey key;
        ViewKey(key).WriteDword(L"LHSDlg", static_cast<DWORD>(stored));
        ASSERT_NE(Open(), nullptr);
        EXPECT_EQ(view->GetPanelKind(), shown);
        ASSERT_NE(view->Host().m_current, nullptr);
    }
}

TEST_F(DeploymentsPanels, AllEntriesTakeNoDropAndNotAssignedDoes)
{
    OpenLoaded();
    ASSERT_TRUE(view->Host().SelectPanel(DlgDeployments::kKindSchedule));
    HWND list = Slot()->List();
    auto pointOf = [&](int index) {
        RECT rc = {};
        ::SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc));
        POINT pt = {rc.left + 2, (rc.top + rc.bottom) / 2};
        ClientToScreen(list, &pt);
        return pt;
    };
    POINT all = pointOf(0), unassigned = pointOf(1);
    EXPECT_EQ(Slot()->DragOver(true, &all), 0u);
    EXPECT_EQ(Slot()->m_hoverIndex, -1) << "not highlighted";
    EXPECT_EQ(Slot()->DragOver(false, nullptr), 0u);
    EXPECT_EQ(Slot()->DragOver(true, &unassigned), 0xFFFFFFFDu);
    EXPECT_EQ(Slot()->DragOver(true, &unassigned), 0u) << "no change";
    EXPECT_EQ(Slot()->DragOver(false, nullptr), 0xFFFFFFFDu);
}

} // namespace
