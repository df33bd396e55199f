// The route form against a recording transport: the flags it sends, the route read again from
// the save reply, the change notice after the reply, and both paths, from the cache or not.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "StructureFixture.h"
#include "structure/DlgRoute.h"

using namespace structuretest;

namespace {

constexpr int kRouteType = 36;
constexpr __int64 kRoute = 540;

std::string RouteAttribs(int destination, int enable, int isDefault)
{
    return Attr(137, "link_asset_location", "value_iddirectory", std::to_string(destination)) +
           Attr(121, "enable", "value_int", std::to_string(enable)) +
           Attr(138, "default", "value_int", std::to_string(isDefault));
}

struct RouteForm : ::testing::Test {
    apptest::TestApp t;

    RouteForm()
    {
        RegisterStructureWindows(t.app->m_catalogue);
        DefineStructureType(*t.app, kRouteType, L"Route [AT]");
    }

    DlgRoute* Open(const std::string& attribs)
    {
        t.app->m_windows.OpenWindow(DlgRoute::kWindowType, kRoute, 0);
        auto* form = dynamic_cast<DlgRoute*>(t.app->m_windows.FindWindow(DlgRoute::kWindowType, kRoute));
        if (form)
            AnswerFor(t, "api/api_objGet.php", kRoute,
                      ObjectReply(kRoute, ObjectXml(kRoute, kRouteType, "Warehouse to Manchester", attribs, 530)));
        return form;
    }

    size_t Notices()
    {
        size_t n = 0;
        for (const apptest::MainNotice& notice : t.notices.list)
            n += notice.requestId == 1017 && notice.consoleType == 1021;
        return n;
    }
};

} // namespace

TEST_F(RouteForm, ApplySendsTheTickedFlagAndRereadsTheRouteFromTheReply)
{
    DlgRoute* form = Open(RouteAttribs(531, 0, 1));
    HWND page = form->m_general->m_hWnd;
    EXPECT_EQ(IsDlgButtonChecked(page, 1140), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(page, 1141), BST_CHECKED);
    CheckDlgButton(page, 1140, BST_CHECKED);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(1140, BN_CLICKED), 0);
    ASSERT_TRUE(form->IsModified());
    SendMessageW(form->m_hWnd, WM_COMMAND, DlgRoute::kApplyId, 0);
    t.Pump();
    std::vector<Fields> saves = Sent(t, "api/api_objSet.php");
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0]["ID"], "540");
    EXPECT_EQ(WithPrefix(saves[0], "ATTRIB"), (Fields{{"ATTRIBID_121", "1"}}));
    EXPECT_TRUE(WithPrefix(saves[0], "PRIVID").empty());
    EXPECT_EQ(Notices(), 0u) << "no notice before the server accepted the save";

    AnswerFor(t, "api/api_objSet.php", kRoute,
              ObjectReply(kRoute, ObjectXml(kRoute, kRouteType, "Renamed route", RouteAttribs(531, 1, 0), 530)));
    EXPECT_FALSE(form->IsModified());
    EXPECT_EQ(IsDlgButtonChecked(page, 1141), BST_UNCHECKED) << "read again from the reply";
    wchar_t caption[64] = {};
    GetWindowTextW(form->m_hWnd, caption, 64);
    EXPECT_STREQ(caption, L"Renamed route");
    EXPECT_EQ(Notices(), 1u);
}

TEST_F(RouteForm, UnchangedOkClosesWithoutARequest)
{
    DlgRoute* form = Open(RouteAttribs(531, 1, 1));
    HWND window = form->m_hWnd;
    SendMessageW(window, WM_COMMAND, IDOK, 0);
    t.Pump();
    EXPECT_TRUE(Sent(t, "api/api_objSet.php").empty());
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(RouteForm, PathsOfBothEndsLandInTheirEdits)
{
    // From the cache, inside the header refresh.
    t.app->m_paths[530] = L"\\Acme\\Central warehouse";
    t.app->m_paths[531] = L"\\Acme\\Manchester stores";
    DlgRoute* form = Open(RouteAttribs(531, 1, 1));
    HWND page = form->m_general->m_hWnd;
    EXPECT_EQ(ItemText(page, 1142), L"\\Acme\\Central warehouse");
    EXPECT_EQ(ItemText(page, 1143), L"\\Acme\\Manchester stores");
    EXPECT_TRUE(Sent(t, "api/api_dirIDToPath.php").empty());
}

TEST_F(RouteForm, DestinationZeroIsStillAskedFor)
{
    DlgRoute* form = Open(RouteAttribs(0, 1, 0));
    std::vector<Fields> asked = Sent(t, "api/api_dirIDToPath.php");
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0]["ID"], "530");
    EXPECT_EQ(asked[1]["ID"], "0");
    AnswerFor(t, "api/api_dirIDToPath.php", 530,
              apptest::Doc("<RC id=\"0\"/><parameters ID=\"530\"/><value ID=\"530\" path=\"\\Acme\\Central warehouse\"/>"));
    EXPECT_EQ(ItemText(form->m_general->m_hWnd, 1142), L"\\Acme\\Central warehouse");
    EXPECT_EQ(ItemText(form->m_general->m_hWnd, 1143), L"");
}
