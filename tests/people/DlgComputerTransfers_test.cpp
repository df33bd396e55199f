// The computer pane's transfers page: rows and their images, paths into the link columns, the
// route menu in text order and the transfer request with and without receiving at once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ComputerPaneFixture.h"
#include "framework/CTWndMessageBox.h"
#include "framework/MessageBoxAnswerer.h"
#include "framework/PopupMenuDriver.h"
#include "people/DlgComputerPageTransfers.h"

using namespace computertest;

namespace {

using Page = DlgComputer::CPageTransfers;

// Chooses one command of the next pop-up menu and keeps the texts of its items.
class MenuPick : public PopupMenuDriver {
public:
    explicit MenuPick(UINT command) : m_command(command) { PopupMenuDriver::Install(this); }
    ~MenuPick() override { PopupMenuDriver::Install(nullptr); }
    UINT ChooseCommand(HMENU menu, UINT, int, int, HWND) override
    {
        items.clear();
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[128] = {};
            MENUITEMINFOW info = {};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_STRING;
            info.dwTypeData = text;
            info.cch = 128;
            GetMenuItemInfoW(menu, i, TRUE, &info);
            items.push_back(text);
        }
        return m_command;
    }
    std::vector<std::wstring> items;

private:
    UINT m_command;
};

// Ticks the box's check box when it has one and presses a button; keeps what the box showed.
class SendAnswer : public MessageBoxAnswerer {
public:
    explicit SendAnswer(int button) : m_button(button) { MessageBoxAnswerer::Install(this); }
    ~SendAnswer() override { MessageBoxAnswerer::Install(nullptr); }
    void OnMessageBox(CTWndMessageBox& box, HWND dialog) override
    {
        texts.push_back(box.m_text ? box.m_text : L"");
        captions.push_back(box.m_caption ? box.m_caption : L"");
        const bool check = (box.m_style & CTWndMessageBox::kStyleCheckBox) != 0;
        checkTexts.push_back(check ? box.GetCheckText() : L"");
        if (check && GetDlgItem(dialog, CTWndMessageBox::kCheckBoxId))
            box.SetChecked(true);
        box.Press(m_button);
    }
    std::vector<std::wstring> texts, captions, checkTexts;

private:
    int m_button;
};

class ComputerTransfers : public ComputerPaneFixture {
protected:
    DlgComputer* pane = nullptr;
    Page* page = nullptr;

    void OpenOnTransfers()
    {
        pane = Open(kComputer, Computer(kComputer, kLocation));
        ASSERT_NE(pane, nullptr);
        SelectTab(pane, 2);
        page = pane->m_transfersPage;
        ASSERT_NE(page, nullptr);
        ASSERT_NE(page->m_list.m_report.m_hWnd, nullptr);
    }
    int ImageOf(__int64 id)
    {
        CTListCtrlReportEx& report = page->m_list.m_report;
        const int item = report.FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(id)));
        CTString text;
        int image = -2;
        void* data = nullptr;
        report.GetRowDetails(item, text, image, data);
        return image;
    }
    CAttribute Cell(__int64 id, int column)
    {
        CTListCtrlReportEx& report = page->m_list.m_report;
        CAttribute cell;
        report.GetCell(report.FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(id))), column, cell);
        return cell;
    }
    void LocationReply()
    {
        // The routes come in any order; their paths decide the menu's.
        Deliver(pane, DlgComputer::kReqLocation, 0,
                "<parameters ID=\"530\"/>" + ObjectXml(540, 36, 530, "To Zeta", {{"link_asset_location", "531"}}) +
                    ObjectXml(541, 36, 530, "To alpha", {{"link_asset_location", "532"}}) +
                    "<outbound id=\"540\" path=\"\\Stores\\Zeta\"/><outbound id=\"541\" path=\"\\Stores\\alpha\"/>");
    }
};

TEST_F(ComputerTransfers, RowsTakeTheirImageAndLinkColumnsTheirPartOfThePath)
{
    OpenOnTransfers();
    const std::string rows =
        ObjectXml(801, kTransferType, 540, "Transfer", {{"assets_requested", "/300/"}, {"link_user_request", "90"},
                                                        {"link_user_accept", "0"}, {"link_asset_destination", "531"}}) +
        ObjectXml(802, kTransferType, 540, "Transfer", {{"assets_requested", "/300/"}, {"assets_transferred", "/300/"},
                                                        {"completed", "1700003600"}, {"link_user_accept", "200"}}) +
        ObjectXml(803, kTransferType, 541, "Transfer", {{"assets_requested", "/300/301/"}, {"assets_transferred", "/301/"},
                                                        {"completed", "1700007200"}});
    const size_t before = Count("api/api_dirIDToPath.php");
    Deliver(pane, DlgComputer::kReqSearch, DlgComputer::kSearchTransfers, rows);
    ASSERT_EQ(3, page->m_list.m_report.GetItemCount());
    EXPECT_EQ(page->m_pendingImage, ImageOf(801));
    EXPECT_EQ(page->m_receivedImage, ImageOf(802));
    EXPECT_EQ(page->m_notReceivedImage, ImageOf(803));
    // One batched request per link column (nobody accepted 801; 802's acceptor is asked for).
    EXPECT_EQ(before + 4, Count("api/api_dirIDToPath.php"));

    Deliver(pane, DlgComputer::kReqPaths, Page::kColumnFrom, "<value ID=\"540\" path=\"\\Stores\\North\\To Zeta\"/>");
    Deliver(pane, DlgComputer::kReqPaths, Page::kColumnTo, "<value ID=\"531\" path=\"\\Stores\\North\\Bay\"/>");
    Deliver(pane, DlgComputer::kReqPaths, Page::kColumnSentBy, "<value ID=\"90\" path=\"\\System\\Admins\\admin\"/>");
    EXPECT_STREQ(L"\\Stores\\North", Cell(801, Page::kColumnFrom).GetText());
    EXPECT_STREQ(L"\\Stores\\North", Cell(802, Page::kColumnFrom).GetText());
    EXPECT_STREQ(L"\\Stores\\North\\Bay", Cell(801, Page::kColumnTo).GetText());
    EXPECT_STREQ(L"admin", Cell(801, Page::kColumnSentBy).GetText());
    EXPECT_EQ(0, Cell(801, Page::kColumnReceivedBy).GetValue());
    EXPECT_EQ(541, Cell(803, Page::kColumnFrom).GetValue());
}

TEST_F(ComputerTransfers, PathTextsPerColumn)
{
    const std::tuple<const wchar_t*, int, const wchar_t*> cases[] = {
        {L"\\A\\B\\C", Page::kColumnFrom, L"\\A\\B"},     {L"\\A\\B\\C", Page::kColumnTo, L"\\A\\B\\C"},
        {L"\\A\\B\\C", Page::kColumnSentBy, L"C"},        {L"\\A\\B\\C", Page::kColumnReceivedBy, L"C"},
        {L"Plain", Page::kColumnFrom, L"Plain"},          {L"Plain", Page::kColumnSentBy, L"Plain"}};
    for (const auto& [path, column, expected] : cases)
        EXPECT_STREQ(expected, Page::PathForColumn(CTString(path), column).GetBuffer()) << path << " " << column;
}

TEST_F(ComputerTransfers, RoutesAreOfferedInTextOrderAndTheBoxOffersReceivingOnlyWhereAllowed)
{
    OpenOnTransfers();
    ASSERT_EQ(1u, Count("pageAsset/api_qelGetAssetLocation.php"));
    EXPECT_EQ((Fields{{"ID", "530"}}), Forms("pageAsset/api_qelGetAssetLocation.php")[0]);
    LocationReply();
    // A late reply for another location changes nothing.
    Deliver(pane, DlgComputer::kReqLocation, 0, "<parameters ID=\"999\"/><outbound id=\"9\" path=\"\\Other\"/>");
    // The administrator may receive at 532 only.
    main->m_cache.links[0] = {ObjectOf(ObjectXml(96, 19, 90, "link", {{"link_asset_location", "532"}}))};
    main->m_cache.links[0][0].SetAttributeById(900, CAttribute(CAttribute::Integer, static_cast<__int64>(1)));
    main->m_cache.links[0][0].attributes[900].name = L"receive";

    struct Case {
        UINT command;
        const wchar_t* path;
        bool offered;
        Fields expected;
    };
    const Case cases[] = {
        {Page::kCmdFirstRoute, L"\\Stores\\alpha", true,
         {{"ROUTEID", "541"}, {"RECORDID", "0"}, {"AUTORECEIVE", "1"}, {"ATTRIBID_153", "/300/"}, {"ATTRIBID_154", "/300/"}}},
        {Page::kCmdFirstRoute + 1, L"\\Stores\\Zeta", false,
         {{"ROUTEID", "540"}, {"RECORDID", "0"}, {"AUTORECEIVE", "0"}, {"ATTRIBID_153", "/300/"}}},
    };
    for (const Case& c : cases) {
        MenuPick menu(c.command);
        SendAnswer answer(11);
        page->ShowRouteMenu();
        t.Pump();
        EXPECT_EQ((std::vector<std::wstring>{L"\\Stores\\alpha", L"\\Stores\\Zeta"}), menu.items);
        ASSERT_EQ(1u, answer.texts.size());
        EXPECT_EQ(std::wstring(L"Are you sure you want to send asset to '") + c.path + L"'", answer.texts[0]);
        EXPECT_EQ(L"Send Assets", answer.captions[0]);
        EXPECT_EQ(c.offered ? L"Automatically Receive Assets" : L"", answer.checkTexts[0]);
        EXPECT_EQ(c.expected, Forms("api/api_qelAssetTransfer.php").back()) << c.path;
        EXPECT_TRUE(page->m_routeMenu.empty());
    }

    // Abort sends nothing; a dismissed menu neither.
    const size_t sent = Count("api/api_qelAssetTransfer.php");
    {
        MenuPick menu(Page::kCmdFirstRoute);
        SendAnswer answer(IDABORT);
        page->ShowRouteMenu();
        t.Pump();
    }
    {
        MenuPick menu(0);
        page->ShowRouteMenu();
        t.Pump();
    }
    EXPECT_EQ(sent, Count("api/api_qelAssetTransfer.php"));
}

TEST_F(ComputerTransfers, ASentTransferRefreshesThePaneAndARefusedOneSaysWhy)
{
    OpenOnTransfers();
    t.app->m_paths[kComputer] = L"\\Stores\\PC-300";
    const size_t fetches = Count("api/api_objGet.php");
    Deliver(pane, DlgComputer::kReqTransfer, 0, "<insert_id>810</insert_id>");
    EXPECT_EQ(0u, t.app->m_paths.count(kComputer));
    // The pane is still open and shows the computer again.
    EXPECT_EQ(pane, main->FindConsole(DlgComputer::kConsoleType, kComputer));
    EXPECT_GE(Count("api/api_objGet.php"), fetches);

    boxes.texts.clear();
    Deliver(pane, DlgComputer::kReqTransfer, 0, "", 1050);
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(L"Warning", boxes.captions.back());
}

} // namespace
