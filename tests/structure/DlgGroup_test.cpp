// The group form against a recording transport, the group and its people in the directory cache:
// members and their parents' paths, the save with the flush only after a membership change has
// been accepted, completion on both the object save and the rights, unresolvable members kept,
// and a cache change during a save held back until the save ends.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "StructureFixture.h"
#include "structure/DlgGroup.h"

using namespace structuretest;

namespace {

constexpr __int64 kGroup = 1680, kTeam = 1681, kAda = 1682, kBob = 1683, kGone = 1699;
constexpr int kGroupType = 12, kPersonType = 5;

Object Cached(__int64 id, int type, const wchar_t* name, __int64 parent, const std::wstring& users = L"")
{
    Object object;
    object.id = id;
    object.type = type;
    object.parent = parent;
    object.serial = 4;
    object.name = name;
    if (!users.empty() || type == kGroupType) {
        Object::Attribute& a = object.attributes[190];
        a.CAttribute::Assign(CAttribute(CAttribute::Text, users.c_str()));
        a.name = L"users";
        a.flags = Object::Attribute::LinkArray;
    }
    return object;
}

struct GroupForm : ::testing::Test {
    apptest::TestApp t;
    apptest::BoxRecorder boxes;
    DlgGroup* form = nullptr;

    GroupForm() { RegisterStructureWindows(t.app->m_catalogue); }

    void Open(const std::wstring& users)
    {
        t.app->m_dir.StoreObject(Cached(kAda, kPersonType, L"Ada", kTeam), 0);
        t.app->m_dir.StoreObject(Cached(kBob, kPersonType, L"Bob", kTeam), 0);
        t.app->m_dir.StoreObject(Cached(kGroup, kGroupType, L"Helpdesk", 8, users), 0);
        t.app->m_windows.OpenWindow(DlgGroup::kWindowType, kGroup, 0);
        form = dynamic_cast<DlgGroup*>(t.app->m_windows.FindWindow(DlgGroup::kWindowType, kGroup));
        ASSERT_NE(form, nullptr);
    }

    std::wstring Cell(__int64 id, int column)
    {
        CTListCtrlReport& report = form->m_general->m_list.m_report;
        int item = report.FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(id)));
        if (item < 0) return L"<no row>";
        CAttribute value;
        report.GetCell(item, column, value);
        return value.GetText();
    }

    void Apply()
    {
        SendMessageW(form->m_hWnd, WM_COMMAND, DlgGroup::kApplyId, 0);
        t.Pump();
    }

    void AcceptSave()
    {
        AnswerFor(t, "api/api_objSet.php", kGroup, ObjectReply(kGroup, ObjectXml(kGroup, kGroupType, "Helpdesk", "", 8)));
    }

    void RemoveMember(__int64 id)
    {
        CTListCtrlReport& report = form->m_general->m_list.m_report;
        int item = report.FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(id)));
        ASSERT_GE(item, 0);
        ListView_SetItemState(report.m_hWnd, item, LVIS_SELECTED, LVIS_SELECTED);
        SendMessageW(form->m_general->m_hWnd, WM_COMMAND, DlgGroup::CGeneralPage::kCmdDelete, 0);
    }
};

} // namespace

TEST_F(GroupForm, MembersAskForTheirParentsPathOnce)
{
    Open(L"/1682/1683/");
    ASSERT_EQ(form->m_general->m_members.size(), 2u);
    std::vector<Fields> paths = Sent(t, "api/api_dirIDToPath.php");
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0]["ID"], std::to_string(kTeam));
    EXPECT_EQ(Cell(kAda, 0), L"");
    EXPECT_EQ(Cell(kBob, 0), L"?");
    t.Answer("api/api_dirIDToPath.php", apptest::XmlHeaders(),
             apptest::Doc("<RC id=\"0\" text=\"\"/><parameters ID=\"1681\"/><value path=\"\\Acme\\Team\"/>"));
    EXPECT_EQ(Cell(kAda, 0), L"\\Acme\\Team");
    EXPECT_EQ(Cell(kBob, 0), L"\\Acme\\Team");
    EXPECT_EQ(Cell(kBob, 1), L"Bob");
}

TEST_F(GroupForm, SaveSortsAndFlushesOnlyAfterAnAcceptedMembershipChange)
{
    Open(L"/1683/1682/");
    SetDlgItemTextW(form->m_general->m_hWnd, DlgGroup::CGeneralPage::kName, L"Service desk");
    Apply();
    std::vector<Fields> saves = Sent(t, "api/api_objSet.php");
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0]["NAME"], "Service desk");
    EXPECT_EQ(saves[0]["ATTRIBID_190"], "/1682/1683/") << "rewritten in the system's order";
    EXPECT_TRUE(Sent(t, "api/api_objAccessFlush.php").empty()) << "not before the save is accepted";
    AcceptSave();
    std::vector<Fields> flushes = Sent(t, "api/api_objAccessFlush.php");
    ASSERT_EQ(flushes.size(), 1u);
    EXPECT_EQ(flushes[0]["ID"], std::to_string(kGroup));
}

TEST_F(GroupForm, UnchangedMembersSendNoFlush)
{
    Open(L"/1682/1683/");
    SetDlgItemTextW(form->m_general->m_hWnd, DlgGroup::CGeneralPage::kName, L"Service desk");
    Apply();
    AcceptSave();
    ASSERT_EQ(Sent(t, "api/api_objSet.php").size(), 1u);
    EXPECT_EQ(Sent(t, "api/api_objSet.php")[0].count("ATTRIBID_190"), 0u);
    EXPECT_TRUE(Sent(t, "api/api_objAccessFlush.php").empty());
}

TEST_F(GroupForm, PickedMemberAlreadyListedChangesNothing)
{
    Open(L"/1682/");
    SendMessageW(form->m_general->m_hWnd, DlgGroup::CGeneralPage::kMsgPersonPicked, 1, kAda);
    EXPECT_FALSE(form->IsModified());
    EXPECT_EQ(form->m_general->m_members.size(), 1u);
    SendMessageW(form->m_general->m_hWnd, DlgGroup::CGeneralPage::kMsgPersonPicked, 1, kBob);
    EXPECT_TRUE(form->IsModified());
    EXPECT_EQ(form->m_general->m_members.size(), 2u);
}

TEST_F(GroupForm, UnresolvableMemberSurvivesASave)
{
    Open(L"/1699/1682/");
    // The cache holds no such person: the fetch is answered without it.
    std::vector<Fields> fetches = Sent(t, "api/api_objGet.php");
    ASSERT_EQ(fetches.size(), 1u);
    EXPECT_EQ(fetches[0]["IDS"], "1699");
    t.Answer("api/api_objGet.php", apptest::XmlHeaders(), apptest::Doc("<RC id=\"0\" text=\"\"/><parameters ID=\"0\"/>"));
    ASSERT_EQ(form->m_general->m_members.size(), 2u);
    EXPECT_EQ(Cell(kGone, 1), L"1699");
    RemoveMember(kAda);
    Apply();
    std::vector<Fields> saves = Sent(t, "api/api_objSet.php");
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0]["ATTRIBID_190"], "/1699/");
}

TEST_F(GroupForm, OkClosesOnlyOnceTheSaveIsAcceptedAndAFailureKeepsItOpen)
{
    Open(L"/1682/");
    RemoveMember(kAda);
    HWND window = form->m_hWnd;
    SendMessageW(window, WM_COMMAND, IDOK, 0);
    t.Pump();
    ASSERT_EQ(Sent(t, "api/api_objSet.php").size(), 1u);
    EXPECT_TRUE(IsWindow(window)) << "open until the reply";
    t.Answer("api/api_objSet.php", apptest::XmlHeaders(), apptest::Doc("<RC id=\"9\" text=\"Refused\"/><parameters ID=\"1680\"/>"));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(form->IsModified());

    SendMessageW(window, WM_COMMAND, IDOK, 0);
    t.Pump();
    ASSERT_EQ(Sent(t, "api/api_objSet.php").size(), 2u);
    AcceptSave();
    t.Pump();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(t.app->m_windows.FindWindow(DlgGroup::kWindowType, kGroup), nullptr);
}

TEST_F(GroupForm, ApplyNeverClosesAndACacheChangeWaitsForTheSave)
{
    Open(L"/1682/");
    RemoveMember(kAda);
    Apply();
    ASSERT_TRUE(form->m_saving);
    t.app->m_dir.NotifySubscribers({kGroup});
    EXPECT_TRUE(form->m_reloadWaiting);
    EXPECT_TRUE(form->IsModified()) << "no reload while the save is out";
    EXPECT_TRUE(form->m_general->m_members.empty());
    AcceptSave();
    t.Pump();
    EXPECT_TRUE(IsWindow(form->m_hWnd));
    EXPECT_FALSE(form->IsModified());
    EXPECT_FALSE(form->m_reloadWaiting);
}
