#include <gtest/gtest.h>
#include <functional>
#include <vector>
#include "framework/CTMenu.h"
#include "framework/CTREngine.h"
#include "framework/PopupMenuDriver.h"
#include "MemoryBitmap.h"

namespace {
constexpr UINT kOpen = 10, kChecked = 11, kForeign = 12, kPlain = 13, kInner = 20;
constexpr ULONG_PTR kForeignData = 0x1234;

// The owner's own procedure records what reaches it past the menu.
std::vector<UINT> g_ownerMessages;
LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DRAWITEM || msg == WM_MEASUREITEM || msg == WM_DESTROY || msg == WM_NCDESTROY)
        g_ownerMessages.push_back(msg);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND MakeOwner()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"CTMenuTestOwner";
        RegisterClassW(&wc);
        registered = true;
    }
    return CreateWindowExW(0, L"CTMenuTestOwner", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

HIMAGELIST MakeImages(int size, int count)
{
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, count, 1);
    for (int i = 0; i < count; ++i) {
        MemoryBitmap bmp(size, size, RGB(200, 0, 0));
        SelectObject(bmp.dc, bmp.old); // the list needs the bitmap out of the DC
        ImageList_AddMasked(list, bmp.bitmap, RGB(255, 0, 255));
        bmp.old = SelectObject(bmp.dc, bmp.bitmap);
    }
    return list;
}

ULONG_PTR ItemData(HMENU menu, UINT command)
{
    MENUITEMINFOW mii = {sizeof(mii)};
    mii.fMask = MIIM_DATA;
    GetMenuItemInfoW(menu, command, FALSE, &mii);
    return mii.dwItemData;
}

UINT ItemType(HMENU menu, UINT item, bool byPosition)
{
    MENUITEMINFOW mii = {sizeof(mii)};
    mii.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(menu, item, byPosition, &mii);
    return mii.fType;
}

COLORREF PenColour(HPEN pen)
{
    LOGPEN lp = {};
    GetObjectW(pen, sizeof(lp), &lp);
    return lp.lopnColor;
}

COLORREF BrushColour(HBRUSH brush)
{
    LOGBRUSH lb = {};
    GetObjectW(brush, sizeof(lb), &lb);
    return lb.lbColor;
}

// A popup with an item with accelerator, a separator, a checked item, an item carrying someone
// else's data, a plain item and a sub-menu.
struct TestMenu : CTMenu {
    HIMAGELIST images = nullptr;
    explicit TestMenu(int imageSize = 16)
    {
        CreatePopup();
        AppendMenuW(m_menu, MF_STRING, kOpen, L"Open\tCtrl+O");
        AppendMenuW(m_menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(m_menu, MF_STRING | MF_CHECKED, kChecked, L"Checked");
        AppendMenuW(m_menu, MF_STRING, kForeign, L"Foreign");
        MENUITEMINFOW mii = {sizeof(mii)};
        mii.fMask = MIIM_DATA;
        mii.dwItemData = kForeignData;
        SetMenuItemInfoW(m_menu, kForeign, FALSE, &mii);
        AppendMenuW(m_menu, MF_STRING, kPlain, L"Plain");
        HMENU sub = CreatePopupMenu();
        AppendMenuW(sub, MF_STRING, kInner, L"Inner");
        AppendMenuW(m_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"More");
        images = MakeImages(imageSize, 2);
        SetImageList(images);
        SetItemImageByCommand(kOpen, 1);
        MakeOwnerDrawn();
    }
    ~TestMenu() { ImageList_Destroy(images); }
};

class MenuDriver : public PopupMenuDriver {
public:
    explicit MenuDriver(std::function<UINT(HMENU, HWND)> choose) : m_choose(std::move(choose)) { Install(this); }
    ~MenuDriver() override { Install(nullptr); }
    UINT ChooseCommand(HMENU menu, UINT, int, int, HWND owner) override
    {
        ++calls;
        return m_choose(menu, owner);
    }
    int calls = 0;

private:
    std::function<UINT(HMENU, HWND)> m_choose;
};

class CTMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_ownerMessages.clear();
        owner = MakeOwner();
        ASSERT_NE(nullptr, owner);
    }
    void TearDown() override
    {
        if (IsWindow(owner)) DestroyWindow(owner);
    }
    HWND owner = nullptr;
};
} // namespace

TEST_F(CTMenuTest, RecordsForEveryItemButForeignOnes)
{
    TestMenu menu;
    CTString text;
    int image = 0;
    ASSERT_TRUE(menu.GetItemInfo(kOpen, text, image));
    EXPECT_STREQ(L"Open\tCtrl+O", text.GetBuffer());
    EXPECT_EQ(1, image);
    EXPECT_TRUE(ItemType(menu.m_menu, kOpen, false) & MFT_OWNERDRAW);
    EXPECT_TRUE(ItemType(menu.m_menu, 1, true) & MFT_OWNERDRAW);

    MENUITEMINFOW mii = {sizeof(mii)};
    mii.fMask = MIIM_DATA;
    GetMenuItemInfoW(menu.m_menu, 1, TRUE, &mii);
    CTMenuItemData* sepRecord = menu.FindRecord(mii.dwItemData);
    ASSERT_NE(nullptr, sepRecord);
    EXPECT_EQ(static_cast<DWORD>(CTMenuItemData::Separator), sepRecord->kind);
    EXPECT_EQ(CTMenuItemData::kTag, sepRecord->tag);

    // The item with someone else's data is left alone: no record, not owner-drawn.
    EXPECT_EQ(kForeignData, ItemData(menu.m_menu, kForeign));
    EXPECT_FALSE(ItemType(menu.m_menu, kForeign, false) & MFT_OWNERDRAW);
    EXPECT_FALSE(menu.GetItemInfo(kForeign, text, image));

    // The sub-menu's items got records too.
    HMENU sub = GetSubMenu(menu.m_menu, 5);
    CTMenuItemData* inner = menu.FindRecord(ItemData(sub, kInner));
    ASSERT_NE(nullptr, inner);
    EXPECT_STREQ(L"Inner", inner->text.GetBuffer());
    EXPECT_EQ(-1, inner->image);

    // Six items in the menu, one in the sub-menu, one of them foreign.
    EXPECT_EQ(6u, menu.m_records.GetCount());

    // Setting an image on an item with a record keeps the record; on the foreign item it replaces the data.
    ULONG_PTR before = ItemData(menu.m_menu, kOpen);
    EXPECT_TRUE(menu.SetItemImageByCommand(kOpen, 0));
    EXPECT_EQ(before, ItemData(menu.m_menu, kOpen));
    EXPECT_TRUE(menu.SetItemImageByCommand(kForeign, 1));
    EXPECT_NE(nullptr, menu.FindRecord(ItemData(menu.m_menu, kForeign)));
    EXPECT_EQ(7u, menu.m_records.GetCount());
}

TEST_F(CTMenuTest, TrackSubclassesTheOwnerOnlyWhileTheMenuIsShown)
{
    TestMenu menu;
    WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(owner, GWLP_WNDPROC));
    MEASUREITEMSTRUCT measured = {};
    bool drawHandled = false, foreignHandled = true;
    UINT nested = 99;
    TestMenu other;
    MenuDriver driver([&](HMENU shown, HWND o) -> UINT {
        EXPECT_EQ(menu.m_menu, shown);
        EXPECT_EQ(owner, o);
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(CTMenu::OwnerWindowProc), GetWindowLongPtrW(o, GWLP_WNDPROC));
        EXPECT_EQ(&menu, GetPropW(o, CTMenu::kPropName));
        // The owner's item messages reach the menu.
        measured.CtlType = ODT_MENU;
        measured.itemID = kOpen;
        measured.itemData = ItemData(menu.m_menu, kOpen);
        EXPECT_EQ(TRUE, SendMessageW(o, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measured)));
        MemoryBitmap bmp(200, 30);
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_MENU;
        dis.itemID = kOpen;
        dis.hDC = bmp.dc;
        dis.rcItem = {0, 0, 200, 30};
        dis.itemData = measured.itemData;
        drawHandled = SendMessageW(o, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis)) == TRUE;
        dis.itemData = kForeignData;
        foreignHandled = SendMessageW(o, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis)) == TRUE;
        // Only one menu is tracked at a time.
        nested = other.Track(false, TPM_RETURNCMD, 0, 0, o);
        return kChecked;
    });
    EXPECT_EQ(kChecked, menu.Track(false, TPM_RETURNCMD, 10, 10, owner));
    EXPECT_EQ(1, driver.calls);
    EXPECT_GT(measured.itemHeight, 0u);
    EXPECT_GT(measured.itemWidth, 0u);
    EXPECT_TRUE(drawHandled);
    EXPECT_FALSE(foreignHandled);
    EXPECT_EQ(0u, nested);
    // Only the foreign item's drawing went on to the owner.
    ASSERT_EQ(1u, g_ownerMessages.size());
    EXPECT_EQ(static_cast<UINT>(WM_DRAWITEM), g_ownerMessages[0]);

    // Afterwards the owner is its own again, and another menu can be tracked.
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(original), GetWindowLongPtrW(owner, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, GetPropW(owner, CTMenu::kPropName));
    EXPECT_EQ(nullptr, menu.m_owner);

    // The first sub-menu, with the command posted when TPM_RETURNCMD is absent.
    MenuDriver second([&](HMENU shown, HWND) -> UINT {
        EXPECT_EQ(GetSubMenu(other.m_menu, 0), shown);
        return 0;
    });
    HMENU wrapper = CreatePopupMenu();
    AppendMenuW(wrapper, MF_POPUP, reinterpret_cast<UINT_PTR>(other.Detach()), L"All");
    other.m_menu = wrapper;
    EXPECT_EQ(0u, other.Track(true, 0, 0, 0, owner));
    EXPECT_EQ(1, second.calls);
}

TEST_F(CTMenuTest, SecondMenuCannotSubclassTheSameOwner)
{
    TestMenu first, second;
    first.m_owner = owner;
    second.m_owner = owner;
    EXPECT_TRUE(first.SubclassOwner(true));
    EXPECT_FALSE(first.SubclassOwner(true)); // already subclassing
    EXPECT_FALSE(second.SubclassOwner(true));
    EXPECT_FALSE(second.SubclassOwner(false)); // nothing of its own to undo
    EXPECT_EQ(&first, GetPropW(owner, CTMenu::kPropName));
    EXPECT_TRUE(first.SubclassOwner(false));
    EXPECT_EQ(nullptr, GetPropW(owner, CTMenu::kPropName));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(OwnerProc), GetWindowLongPtrW(owner, GWLP_WNDPROC));
}

TEST_F(CTMenuTest, OwnerDestroyedWhileTrackingGetsItsProcedureBack)
{
    TestMenu menu;
    MenuDriver driver([&](HMENU, HWND o) -> UINT {
        DestroyWindow(o);
        return 0;
    });
    EXPECT_EQ(0u, menu.Track(false, TPM_RETURNCMD, 0, 0, owner));
    EXPECT_FALSE(IsWindow(owner));
    // The owner's own procedure saw its destruction to the end.
    ASSERT_EQ(2u, g_ownerMessages.size());
    EXPECT_EQ(static_cast<UINT>(WM_DESTROY), g_ownerMessages[0]);
    EXPECT_EQ(static_cast<UINT>(WM_NCDESTROY), g_ownerMessages[1]);
    EXPECT_EQ(nullptr, menu.m_prevProc);
}

TEST_F(CTMenuTest, MeasuringAndTheGrowingIconColumn)
{
    TestMenu menu(16);
    const int check = GetSystemMetrics(SM_CXMENUCHECK);
    EXPECT_EQ(0, menu.m_iconColumn);

    MEASUREITEMSTRUCT mis = {};
    mis.CtlType = ODT_MENU;
    mis.itemData = ItemData(menu.m_menu, kPlain);
    ASSERT_TRUE(menu.MeasureItem(&mis));
    const int column16 = check > 16 ? check : 16;
    EXPECT_EQ(column16, menu.m_iconColumn);
    const UINT plainWidth = mis.itemWidth;
    EXPECT_GT(plainWidth, static_cast<UINT>(column16 + 12));
    UINT height = mis.itemHeight;
    EXPECT_GE(height, static_cast<UINT>(GetSystemMetrics(SM_CYMENUCHECK) + 6));

    // A larger image list widens the column for items measured later.
    HIMAGELIST big = MakeImages(40, 1);
    menu.SetImageList(big);
    mis.itemData = ItemData(menu.m_menu, kChecked);
    ASSERT_TRUE(menu.MeasureItem(&mis));
    EXPECT_EQ(40, menu.m_iconColumn);
    EXPECT_EQ(46u, mis.itemHeight); // the 40-pixel icon + 6
    // It never shrinks back.
    menu.SetImageList(menu.images);
    mis.itemData = ItemData(menu.m_menu, kPlain);
    ASSERT_TRUE(menu.MeasureItem(&mis));
    EXPECT_EQ(40, menu.m_iconColumn);
    EXPECT_EQ(plainWidth + (40 - column16), mis.itemWidth);
    ImageList_Destroy(big);

    // Separators are 3 high; items without a record are not measured; heights by position.
    MENUITEMINFOW mii = {sizeof(mii)};
    mii.fMask = MIIM_DATA;
    GetMenuItemInfoW(menu.m_menu, 1, TRUE, &mii);
    mis.itemData = mii.dwItemData;
    ASSERT_TRUE(menu.MeasureItem(&mis));
    EXPECT_EQ(3u, mis.itemHeight);
    EXPECT_EQ(0u, mis.itemWidth);
    mis.itemData = kForeignData;
    EXPECT_FALSE(menu.MeasureItem(&mis));
    EXPECT_EQ(3, menu.GetItemHeight(1));
    EXPECT_EQ(-1, menu.GetItemHeight(3)); // the foreign item
    EXPECT_EQ(static_cast<int>(height), menu.GetItemHeight(4));
}

TEST_F(CTMenuTest, DrawingLabelAcceleratorCheckBoxAndSeparator)
{
    CTREngine* engine = CTREngine::Instance();
    TestMenu menu(16);
    MEASUREITEMSTRUCT mis = {};
    mis.CtlType = ODT_MENU;
    mis.itemData = ItemData(menu.m_menu, kPlain);
    menu.MeasureItem(&mis);
    const int K = menu.m_iconColumn;
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const int W = 260, H = 24;

    auto draw = [&](MemoryBitmap& bmp, ULONG_PTR data, UINT state) {
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_MENU;
        dis.hDC = bmp.dc;
        dis.rcItem = {0, 0, W, H};
        dis.itemData = data;
        dis.itemState = state;
        SetTextColor(bmp.dc, RGB(0, 0, 0));
        return menu.DrawItem(&dis);
    };
    auto inkColumns = [&](MemoryBitmap& bmp, COLORREF background, int& first, int& last) {
        first = -1;
        last = -1;
        for (int x = 0; x < W; ++x)
            for (int y = 0; y < H; ++y)
                if (!Near(bmp.At(x, y), background, 8)) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
    };

    // A label with an accelerator: the label after the icon column, the accelerator right-aligned
    // short of the column's width from the right edge.
    auto* record = menu.FindRecord(ItemData(menu.m_menu, kOpen));
    ASSERT_NE(nullptr, record);
    record->image = -1;
    {
        MemoryBitmap bmp(W, H, RGB(1, 2, 3));
        ASSERT_TRUE(draw(bmp, ItemData(menu.m_menu, kOpen), 0));
        EXPECT_TRUE(ColourNear(bmp.At(1, 1), window, 0));
        int first = 0, last = 0;
        inkColumns(bmp, window, first, last);
        EXPECT_GE(first, K + 12);
        EXPECT_LT(first, K + 12 + 4);
        EXPECT_LE(last, W - K);
        EXPECT_GT(last, W - K - 8);
        // Nothing drawn between the label and the accelerator's start.
        int gapInk = 0;
        for (int x = W / 2 - 10; x < W / 2 + 10; ++x)
            for (int y = 0; y < H; ++y) gapInk += !Near(bmp.At(x, y), window, 8);
        EXPECT_EQ(0, gapInk);
    }

    // Selected: filled with the hot brush.
    {
        MemoryBitmap bmp(W, H);
        ASSERT_TRUE(draw(bmp, ItemData(menu.m_menu, kPlain), ODS_SELECTED));
        EXPECT_TRUE(ColourNear(bmp.At(W - 3, 2), BrushColour(engine->m_hotBrush), 0));
    }

    // A checked item without an image still gets its framed check box.
    {
        MemoryBitmap bmp(W, H);
        ASSERT_TRUE(draw(bmp, ItemData(menu.m_menu, kChecked), ODS_CHECKED));
        int boxLeft = (K - GetSystemMetrics(SM_CXMENUCHECK)) / 2 + 5;
        EXPECT_TRUE(ColourNear(bmp.At(boxLeft - 1, 3), PenColour(engine->m_highlightPen), 0));
        EXPECT_TRUE(ColourNear(bmp.At(boxLeft - 1, 3 + GetSystemMetrics(SM_CYMENUCHECK) / 2),
                               PenColour(engine->m_highlightPen), 0));
    }

    // The separator: a line at the middle from the end of the icon column.
    {
        MENUITEMINFOW mii = {sizeof(mii)};
        mii.fMask = MIIM_DATA;
        GetMenuItemInfoW(menu.m_menu, 1, TRUE, &mii);
        MemoryBitmap bmp(W, H);
        ASSERT_TRUE(draw(bmp, mii.dwItemData, 0));
        EXPECT_TRUE(ColourNear(bmp.At(K + 14, H / 2), GetSysColor(COLOR_BTNSHADOW), 0));
        EXPECT_TRUE(ColourNear(bmp.At(W - 1, H / 2), GetSysColor(COLOR_BTNSHADOW), 0));
        EXPECT_TRUE(ColourNear(bmp.At(K + 10, H / 2), window, 0));
    }

    // An item with an image shows it in the icon column.
    {
        record->image = 1;
        MemoryBitmap bmp(W, H);
        ASSERT_TRUE(draw(bmp, ItemData(menu.m_menu, kOpen), 0));
        int cx = 5 + K / 2, cy = 3 + (H - 3) / 2;
        EXPECT_TRUE(ColourNear(bmp.At(cx, cy), RGB(200, 0, 0), 0));
    }

    // Someone else's data is never drawn.
    MemoryBitmap bmp(W, H);
    EXPECT_FALSE(draw(bmp, kForeignData, 0));
    EXPECT_TRUE(ColourNear(bmp.At(W / 2, H / 2), RGB(255, 255, 255), 0));
}
