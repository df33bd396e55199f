// The editable Security page on a stand-in form against a recording transport: nothing asked
// until the page is shown, the exact rights stores for adds, removals and edits, completion once
// every store is answered, and a failed store that leaves the save incomplete.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "StructureFixture.h"
#include "structure/AccessRightsPage.h"
#include "structure/ObjectForm.h"
#include "structure/StandInPage.h"

using namespace structuretest;

namespace {

constexpr int kHostType = 51;
constexpr __int64 kGroup = 1670;

// A form with a plain first page and the rights page, the rights page's completions recorded.
class RightsHost : public ObjectForm {
public:
    AccessRightsPage* m_rights = nullptr;
    std::vector<int> m_bits;

    RightsHost()
    {
        m_templateId = 170;
        m_headerId = 105;
        m_tabId = 1187;
        m_minWidth = 425;
        m_minHeight = 425;
        m_placementName = L"RightsHost";
    }
    bool Open() override
    {
        if (!IsWindow() && !OpenWindow()) return false;
        m_object.id = static_cast<__int64>(m_key);
        LoadPages();
        return true;
    }
    bool Save() override
    {
        SavePages();
        return true;
    }
    void Notify(void* param) override
    {
        auto* reply = static_cast<RequestResult*>(param);
        if (reply && m_rights) m_rights->OnResult(*reply);
    }

protected:
    bool OpenWindow() override
    {
        if (!Create(nullptr, IconModule(2), 2, L"RightsHost")) return false;
        m_rights = new AccessRightsPage(0, L"DirectoryDlg::CSecurityPage::ctrlList_");
        m_rights->m_markSaved = [this](int bit) { m_bits.push_back(bit); };
        AddPage(new StandInPage(L"General", true));
        AddPage(m_rights);
        ShowPages();
        return true;
    }
};

struct RightsPage : ::testing::Test {
    apptest::TestApp t;
    RightsHost* form = nullptr;
    AccessRightsPage* page = nullptr;

    RightsPage()
    {
        t.app->m_catalogue.RegisterWindow<RightsHost>(kHostType);
        t.app->m_windows.OpenWindow(kHostType, kGroup, 0);
        form = dynamic_cast<RightsHost*>(t.app->m_windows.FindWindow(kHostType, kGroup));
        page = form ? form->m_rights : nullptr;
    }

    void ShowSecurity()
    {
        SendMessageW(form->m_tab.m_hWnd, TCM_SETCURSEL, 1, 0);
        form->OnPageChanged();
        t.Pump();
    }

    static std::string Granted(__int64 id, const char* acl)
    {
        return "<object id=\"" + std::to_string(id) + "\" type=\"3\" parent=\"10\" name=\"Unit " + std::to_string(id) +
               "\" acl=\"" + acl + "\"/>";
    }

    // Shows the page and answers its load with two rows: 20 (Read, Write) and 21 (Read).
    void Loaded()
    {
        ShowSecurity();
        t.Answer("api/api_objAccessGet.php", apptest::XmlHeaders(),
                 apptest::Doc("<RC id=\"0\" text=\"\"/><parameters ID=\"1670\"/>" + Granted(20, "3") + Granted(21, "1")));
    }

    // The stores sent since index from, as "id:RWPV" texts.
    std::vector<std::string> Stores(size_t from = 0)
    {
        std::vector<std::string> out;
        std::vector<Fields> sent = Sent(t, "api/api_objAccessSet.php");
        for (size_t i = from; i < sent.size(); ++i) {
            Fields& f = sent[i];
            EXPECT_EQ(f["GRANTID"], std::to_string(kGroup));
            out.push_back(f["ID"] + ":" + f["READ"] + f["WRITE"] + f["PERM"] + f["PRIV"]);
        }
        return out;
    }

    void Tick(__int64 id, int column, bool on)
    {
        CTListCtrlReport& report = page->m_list.m_report;
        int item = report.FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(id)));
        ASSERT_GE(item, 0);
        CTListCtrlEdit::Cell* cell = page->m_editor.FindCell(item, column);
        ASSERT_NE(cell, nullptr);
        cell->m_value.Assign(CAttribute(CAttribute::Integer, static_cast<__int64>(on ? 1 : 0)));
        page->m_editor.NotifyChanged(item, column, *cell);
    }

    void Select(__int64 id)
    {
        CTListCtrlReport& report = page->m_list.m_report;
        int item = report.FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(id)));
        ASSERT_GE(item, 0);
        ListView_SetItemState(report.m_hWnd, item, LVIS_SELECTED, LVIS_SELECTED);
    }

    void Pick(__int64 id)
    {
        Object object;
        object.id = id;
        object.type = 3;
        object.name = L"Picked";
        SendMessageW(page->m_hWnd, AccessRightsPage::kMsgPickerAnswer, static_cast<WPARAM>(id),
                     reinterpret_cast<LPARAM>(&object));
    }

    void AnswerStores()
    {
        std::vector<Fields> sent = Sent(t, "api/api_objAccessSet.php");
        for (size_t i = 0; i < sent.size(); ++i)
            t.Answer("api/api_objAccessSet.php", apptest::XmlHeaders(),
                     apptest::Doc("<RC id=\"0\" text=\"\"/><parameters ID=\"" + sent[i]["ID"] + "\"/>"));
    }
};

} // namespace

TEST_F(RightsPage, NothingIsAskedUntilTheTabIsShown)
{
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(Sent(t, "api/api_objAccessGet.php").empty());
    ShowSecurity();
    std::vector<Fields> loads = Sent(t, "api/api_objAccessGet.php");
    ASSERT_EQ(loads.size(), 1u);
    EXPECT_EQ(loads[0]["ID"], std::to_string(kGroup));
}

TEST_F(RightsPage, EditsBecomeTheExactStores)
{
    ASSERT_NE(page, nullptr);
    struct Case {
        const char* name;
        void (*act)(RightsPage&);
        std::vector<std::string> stores;
    } cases[] = {
        {"a tick: every loaded row counts as changed", [](RightsPage& p) { p.Tick(21, 3, true); }, {"20:1100", "21:1010"}},
        {"a loaded row removed is stored with no rights", [](RightsPage& p) { p.Select(21); p.page->RemoveSelected(); },
         {"20:1100", "21:0000"}},
        {"a new row is Read and Write", [](RightsPage& p) { p.Pick(30); }, {"20:1100", "21:1000", "30:1100"}},
        {"a new row removed again sends nothing", [](RightsPage& p) { p.Pick(30); p.Select(30); p.page->RemoveSelected(); },
         {"20:1100", "21:1000"}},
        {"a removed row picked again comes back", [](RightsPage& p) { p.Select(21); p.page->RemoveSelected(); p.Pick(21); },
         {"20:1100", "21:1100"}},
        {"a picked row already listed changes nothing", [](RightsPage& p) { p.Pick(20); }, {"20:1100", "21:1000"}},
    };
    for (const Case& c : cases) {
        form->Close();
        t.Pump();
        t.transport->m_sent.clear();
        t.app->m_windows.OpenWindow(kHostType, kGroup, 0);
        form = dynamic_cast<RightsHost*>(t.app->m_windows.FindWindow(kHostType, kGroup));
        ASSERT_NE(form, nullptr);
        page = form->m_rights;
        Loaded();
        c.act(*this);
        EXPECT_TRUE(form->IsModified()) << c.name;
        form->Save();
        EXPECT_EQ(Stores(), c.stores) << c.name;
        EXPECT_TRUE(form->m_bits.empty()) << c.name;
        AnswerStores();
        EXPECT_EQ(form->m_bits, std::vector<int>{8}) << c.name;
    }
}

TEST_F(RightsPage, NothingChangedCompletesAtOnceAndStoredRowsAreNotSentAgain)
{
    ASSERT_NE(page, nullptr);
    Loaded();
    form->Save();
    EXPECT_TRUE(Stores().empty());
    EXPECT_EQ(form->m_bits, std::vector<int>{8});

    Tick(20, 4, true);
    form->Save();
    EXPECT_EQ(Stores(), (std::vector<std::string>{"20:1101", "21:1000"}));
    AnswerStores();
    Tick(21, 2, true);
    form->Save();
    EXPECT_EQ(Stores(2), (std::vector<std::string>{"21:1100"})) << "only what changed since";
}

TEST_F(RightsPage, AFailedStoreLeavesTheSaveIncomplete)
{
    ASSERT_NE(page, nullptr);
    apptest::BoxRecorder boxes;
    Loaded();
    Tick(20, 4, true);
    form->m_bits.clear();
    form->Save();
    ASSERT_EQ(Stores().size(), 2u);
    t.Answer("api/api_objAccessSet.php", apptest::XmlHeaders(),
             apptest::Doc("<RC id=\"3\" text=\"Denied\"/><parameters ID=\"20\"/>"));
    t.Answer("api/api_objAccessSet.php", apptest::XmlHeaders(), apptest::Doc("<RC id=\"0\" text=\"\"/><parameters ID=\"21\"/>"));
    EXPECT_TRUE(form->m_bits.empty());
    ASSERT_NE(page->FindRow(20), nullptr);
    EXPECT_TRUE(page->FindRow(20)->changed);
}
