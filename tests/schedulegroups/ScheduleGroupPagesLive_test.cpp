// Under Xvfb, signed in to the fixture server: the schedule-group pages' list with its columns,
// overlays, delete confirmation, settings and row drops, on the computers page of the fixture's
// group 1800 opened from the main window.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <set>
#include <string>
#include <vector>

#include "app/App.h"
#include "app/MainWindow.h"
#include "framework/CTApp.h"
#include "framework/CTWndMessageBox.h"
#include "framework/MessageBoxAnswerer.h"
#include "schedulegroups/DlgScheduleGroup.h"
#include "schedulegroups/ScheduleGroupPage.h"
#include "schedulegroups/ScheduleGroupPageComputers.h"
#include "schedulegroups/ScheduleGroupPanels.h"
#include "schedulegroups/ScheduleGroupWindows.h"

#include "schedulegroups/FormRequests.h"
#include "app/SignedInSession.h"

namespace {

using View = DlgScheduleGroup;
using signedin::Settle;
using namespace formrequests;

// Group 1800 (tests/fixtures/sample/directory.json) with deployment locations 1820 (a legacy and an
// other route) and 1823 (a legacy route), and its computers: 1801 at 1820 with asset type 1, 1802 at
// 1823 with asset type 1, 1803 at 1823, 1804 at 1825 (no location), 1805 a "Laptop", 1806 a child of
// the group.
constexpr __int64 kGroup = 1800;

// Answers message boxes with a chosen button and keeps their texts.
class BoxAnswer : public MessageBoxAnswerer {
public:
    explicit BoxAnswer(int button) : press(button) { MessageBoxAnswerer::Install(this); }
    ~BoxAnswer() override { MessageBoxAnswerer::Install(nullptr); }
    void OnMessageBox(CTWndMessageBox& box, HWND) override
    {
        texts.push_back(box.m_text ? box.m_text : L"");
        captions.push_back(box.m_caption ? box.m_caption : L"");
        box.Press(press);
    }
    int press = IDCANCEL;
    std::vector<std::wstring> texts;
    std::vector<std::wstring> captions;
};

// A panel that records where the drag reported the cursor.
class RecordingPanel : public View::DlgLHSBase {
public:
    RecordingPanel(HWND host, View::CPageBase* owner) : DlgLHSBase(owner, CTString(L"Recording"))
    {
        m_window = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 0, 0, host, nullptr, GetModuleHandleW(nullptr),
                                   nullptr);
    }
    ~RecordingPanel() override { DestroyWindow(m_window); }
    HWND GetHwnd() override { return m_window; }
    bool Accepts(const Object&) override
    {
        waits.push_back(CTApp::Instance() ? CTApp::Instance()->m_waitCount : -1);
        return true;
    }
    int GetKind() override { return 7; }
    int DragOver(bool tracking, POINT point) override
    {
        if (tracking)
            points.push_back(point);
        return 0;
    }
    HWND m_window = nullptr;
    std::vector<POINT> points;
    std::vector<int> waits;   // the wait-cursor count while the page asked
};

void Put(Object& object, int id, const wchar_t* name, const CAttribute& value, DWORD flags = 0,
         const wchar_t* edit = L"")
{
    Object::Attribute& attribute = object.attributes[id];
    attribute.Assign(value);
    attribute.name = name;
    attribute.flags = flags;
    attribute.editSpec = edit;
}

Object Mapping(const wchar_t* caption, const wchar_t* attribute, const wchar_t* list = L"")
{
    Object mapping;
    mapping.id = 1;
    mapping.name = caption;
    Put(mapping, 1, L"attrib_name", CAttribute(CTString(attribute)));
    Put(mapping, 2, L"attrib_list_name", CAttribute(CTString(list)));
    return mapping;
}

std::wstring PageKey(App* app, const wchar_t* page)
{
    return std::wstring(L"Software\\TAVIK\\QEL\\Settings\\") + app->m_server.GetBuffer() + L"\\" + page;
}

bool ReadDword(const std::wstring& key, const wchar_t* name, DWORD& value)
{
    DWORD size = sizeof(value);
    return RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) ==
           ERROR_SUCCESS;
}

const wchar_t kComputerSpec[] =
    L"Name,100,1;Exceptions,20,1;VIM,20,0;User,100,1;Asset Type,100,1;Asset Tag,100,1;Serial Number,100,1;"
    L"Make,20,1;Model,100,1;Type,100,1;Locked,100,1;Deployments,100,1";

TEST(ScheduleGroupPageColumns, ComputersColumnListWithAndWithoutCustomColumns)
{
    View::CPageComputers page;
    std::vector<View::ColHeading> columns = page.FixedColumns();
    EXPECT_STREQ(kComputerSpec, View::CPageBase::ColumnSpec(columns).GetBuffer());
    EXPECT_STREQ(L"deployment_id", columns[10].secondKey.GetBuffer());

    Object definition;
    Put(definition, 1, L"site_code", CAttribute(CTString(L"")));
    Put(definition, 2, L"region", CAttribute(CTString(L"")));
    Put(definition, 3, L"docked", CAttribute(CAttribute::Integer, 0LL), 0, L"TYPE=checkbox");
    Put(definition, 4, L"count", CAttribute(CAttribute::Integer, 0LL));
    Put(definition, 5, L"due", CAttribute(CAttribute::DateTime, 0LL), 0, L"TYPE=Date");
    Put(definition, 6, L"seen", CAttribute(CAttribute::DateTime, 0LL));
    Put(definition, 7, L"ratio", CAttribute(CAttribute::Percentage, 0LL));
    Put(definition, 8, L"link_owner", CAttribute(CAttribute::Integer, 0LL), Object::Attribute::Link);
    const std::vector<Object> mappings = {
        Mapping(L"Site", L"site_code"),       Mapping(L"Region", L"region", L"Regions"),
        Mapping(L"Docked", L"docked"),        Mapping(L"Count", L"count"),
        Mapping(L"Due", L"due"),              Mapping(L"Seen", L"seen"),
        Mapping(L"Ratio", L"ratio"),          Mapping(L"Owner", L"link_owner"),
        Mapping(L"Other case", L"Site_code"), Mapping(L"Missing", L"missing"),
    };
    View::CPageBase::AppendCustomColumns(definition, mappings, columns);
    struct Expected {
        const wchar_t* caption;
        int width;
        int kind;
    } expected[] = {{L"Site", 100, 0},   {L"Region", 100, 10}, {L"Docked", 20, 1},
                    {L"Count", 100, 0},  {L"Due", 100, 17},    {L"Seen", 100, 0}};
    ASSERT_EQ(12u + std::size(expected), columns.size());
    for (size_t i = 0; i < std::size(expected); ++i) {
        const View::ColHeading& column = columns[12 + i];
        SCOPED_TRACE(expected[i].caption);
        EXPECT_STREQ(expected[i].caption, column.caption.GetBuffer());
        EXPECT_EQ(expected[i].width, column.width);
        EXPECT_EQ(expected[i].kind, column.kind);
        EXPECT_FALSE(column.visible);
    }
    EXPECT_EQ(std::wstring(kComputerSpec) + L";Site,100,0;Region,100,0;Docked,20,0;Count,100,0;Due,100,0;Seen,100,0",
              std::wstring(View::CPageBase::ColumnSpec(columns).GetBuffer()));
}

TEST(ScheduleGroupPageColumns, ComputerOverlayByAssetTypeAndRouteMaps)
{
    const std::map<__int64, Object> legacy = {{530, Object()}, {531, Object()}};
    const std::map<__int64, Object> other = {{530, Object()}};
    struct Case {
        __int64 parent;
        int assetType;
        bool overlay;
    } cases[] = {
        {0, 0, false},      // no parent
        {kGroup, 1, false}, // the group itself
        {530, 1, false},    // in the other routes
        {531, 1, true},     // only in the legacy routes: asset type 1 looks at the other ones
        {531, 0, false},
        {531, 2, false},
        {22, 0, true},
        {22, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.parent) + " " + std::to_string(c.assetType));
        Object computer;
        computer.id = 9;
        computer.parent = c.parent;
        Put(computer, 1, L"asset_type", CAttribute(CAttribute::Integer, static_cast<__int64>(c.assetType)));
        EXPECT_EQ(c.overlay, View::CPageComputers::NeedsOverlay(computer, legacy, other, kGroup));
    }
}

class ScheduleGroupPagesLive : public ::testing::Test {
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
        main = s_app->m_mainWindow;
        RequestsSince(mark);
    }

    View* Open(__int64 id)
    {
        EXPECT_TRUE(main->ShowConsole(View::kConsoleType, id, false));
        Settle(*s_app);
        return dynamic_cast<View*>(main->FindConsole(View::kConsoleType, id));
    }

    static std::vector<__int64> Rows(View::CPageBase& page)
    {
        std::vector<__int64> ids;
        for (int item = 0; item < page.m_list.GetItemCount(); ++item)
            ids.push_back(reinterpret_cast<__int64>(page.m_list.GetRowData(item)));
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    static void Select(View::CPageBase& page, const std::vector<__int64>& ids)
    {
        HWND list = page.m_list.m_hWnd;
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
        for (__int64 id : ids)
            ListView_SetItemState(list, page.m_list.FindRowByData(reinterpret_cast<void*>(id)), LVIS_SELECTED,
                                  LVIS_SELECTED);
    }

    static App* s_app;
    MainWindow* main = nullptr;
    int mark = 0;
};

App* ScheduleGroupPagesLive::s_app = nullptr;

TEST_F(ScheduleGroupPagesLive, ComputersPageListsMarksDropsAndDeletes)
{
    const std::wstring key = PageKey(s_app, L"DlgScheduleGroup::CPageComputers");
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    // A stored filter naming no panel of the page, and a width below the host's template width.
    DWORD three = 3, small = 5;
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Filter", REG_DWORD, &three, sizeof(three));
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"LHSWidth", REG_DWORD, &small, sizeof(small));

    View* view = Open(kGroup);
    ASSERT_NE(nullptr, view);
    view->ShowPage(View::PageComputers);
    Settle(*s_app);
    auto* page = dynamic_cast<View::CPageComputers*>(view->m_currentPage);
    ASSERT_NE(nullptr, page);

    // Settings: the first panel (exceptions) and at least the template width.
    ASSERT_NE(nullptr, page->CurrentPanel());
    EXPECT_EQ(View::DlgLHSBase::KindExcept, page->CurrentPanel()->GetKind());
    EXPECT_GT(page->m_panelWidth, 5);
    ASSERT_NE(nullptr, page->m_splitter.m_hWnd);

    // Exactly the "Computer" objects of the group, with the overlay where the route maps say so.
    EXPECT_EQ((std::vector<__int64>{1801, 1802, 1803, 1804, 1806}), Rows(*page));
    const std::set<__int64> marked = {1802, 1804};
    for (__int64 id : Rows(*page)) {
        const int item = page->m_list.FindRowByData(reinterpret_cast<void*>(id));
        const UINT overlay = ListView_GetItemState(page->m_list.m_hWnd, item, LVIS_OVERLAYMASK);
        EXPECT_EQ(marked.count(id) ? INDEXTOOVERLAYMASK(1) : 0u, overlay) << id;
    }
    EXPECT_STREQ(kComputerSpec, View::CPageBase::ColumnSpec(page->FixedColumns()).GetBuffer());
    auto* exceptions = dynamic_cast<View::DlgLHSExcept*>(page->CurrentPanel());
    ASSERT_NE(nullptr, exceptions);
    EXPECT_EQ(2, exceptions->m_counts[1810]);
    exceptions->OnSelectionChanged(1810);
    EXPECT_EQ((std::vector<__int64>{1801, 1804}), Rows(*page));
    // A change is not filtered: 1804 keeps its row without the exception, and its overlay though
    // its parent is now a route location; a hidden known object gets no row.
    Object moved = view->m_objects[1804];
    moved.parent = 1820;
    moved.attributes.clear();
    view->OnObjectChanged(moved);
    view->OnObjectChanged(view->m_objects[1803]);
    EXPECT_EQ((std::vector<__int64>{1801, 1804}), Rows(*page));
    EXPECT_EQ(INDEXTOOVERLAYMASK(1), ListView_GetItemState(page->m_list.m_hWnd,
                                                           page->m_list.FindRowByData(reinterpret_cast<void*>(1804)),
                                                           LVIS_OVERLAYMASK));
    exceptions->OnSelectionChanged(0);
    EXPECT_EQ(1, exceptions->m_counts[1810]);

    // Status text on the frame and in the main window's status bar.
    Select(*page, {1801, 1802});
    wchar_t caption[64] = {};
    GetWindowTextW(page->m_frame.m_hWnd, caption, 64);
    EXPECT_STREQ(L"2/5 Selected", caption);

    // The mouse position of a drag is read signed, left of and above the page.
    auto* recorder = new RecordingPanel(page->m_host.m_hWnd, page);
    page->m_host.AddPanel(recorder, 7);
    const int waiting = CTApp::Instance()->m_waitCount;
    ASSERT_TRUE(page->m_host.SelectPanel(7));
    // The rows are rebuilt under the wait cursor; a rebuild put off for pending fetches leaves it.
    ASSERT_FALSE(recorder->waits.empty());
    EXPECT_EQ(waiting + 1, recorder->waits.front());
    EXPECT_EQ(waiting, CTApp::Instance()->m_waitCount);
    recorder->waits.clear();
    ++view->m_pendingObjectRequests;
    page->FillRows();
    --view->m_pendingObjectRequests;
    EXPECT_TRUE(recorder->waits.empty());
    EXPECT_EQ(waiting, CTApp::Instance()->m_waitCount);
    page->m_dragging = true;
    SendMessageW(page->GetHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(-5, -7));
    POINT expected = {-5, -7};
    ClientToScreen(page->GetHwnd(), &expected);
    ASSERT_EQ(1u, recorder->points.size());
    EXPECT_EQ(expected.x, recorder->points[0].x);
    EXPECT_EQ(expected.y, recorder->points[0].y);
    SendMessageW(page->GetHwnd(), WM_LBUTTONUP, 0, 0);
    EXPECT_FALSE(page->m_dragging);

    // A drag from the list carries the selected rows' images, one below the other, until the list
    // loses the focus.
    auto beginDrag = [&](const std::vector<__int64>& ids) {
        Select(*page, ids);
        NMLISTVIEW begin = {};
        begin.hdr.hwndFrom = page->m_frame.m_hWnd;
        begin.hdr.idFrom = 1016;
        begin.hdr.code = LVN_BEGINDRAG;
        SendMessageW(page->GetHwnd(), WM_NOTIFY, 1016, reinterpret_cast<LPARAM>(&begin));
        int cx = 0, cy = 0;
        if (page->m_dragImage)
            ImageList_GetIconSize(page->m_dragImage, &cx, &cy);
        return cy;
    };
    const int one = beginDrag({1801});
    EXPECT_TRUE(page->m_dragging);
    EXPECT_GT(one, 0);
    EXPECT_EQ(3 * one, beginDrag({1801, 1802, 1803}));
    NMHDR killFocus = {page->m_frame.m_hWnd, 1016, static_cast<UINT>(NM_KILLFOCUS)};
    SendMessageW(page->GetHwnd(), WM_NOTIFY, 1016, reinterpret_cast<LPARAM>(&killFocus));
    EXPECT_FALSE(page->m_dragging);
    EXPECT_EQ(nullptr, page->m_dragImage);

    // A drop on a tag hands (6, key, tag) to the wizard once.
    ASSERT_TRUE(page->m_host.SelectPanel(View::DlgLHSBase::KindTag));
    auto* tags = dynamic_cast<View::DlgLHSTag*>(page->CurrentPanel());
    ASSERT_NE(nullptr, tags);
    tags->Rebuild();
    ASSERT_EQ(1u, tags->m_tags.count(L"dock"));
    EXPECT_EQ(2, tags->m_tags[L"dock"].count);   // "Dock, spare" and "dock"
    const int dock = tags->m_tags[L"dock"].rowKey;
    page->m_dragging = true;
    tags->m_dropKey = static_cast<unsigned __int64>(dock);
    SendMessageW(page->GetHwnd(), WM_LBUTTONUP, 0, 0);
    int kind = 0, dropped = 0;
    CTString text;
    page->GetDropInfo(kind, dropped, text);
    EXPECT_EQ(View::DlgLHSBase::KindTag, kind);
    EXPECT_EQ(dock, dropped);
    EXPECT_STREQ(L"Dock", text.GetBuffer());
    page->GetDropInfo(kind, dropped, text);
    EXPECT_EQ(0, dropped);
    EXPECT_STREQ(L"Dock", text.GetBuffer());
    ASSERT_TRUE(page->m_host.SelectPanel(View::DlgLHSBase::KindExcept));

    // Delete confirmations: four rows, then one, declined; nothing is sent.
    RequestsSince(mark);
    {
        BoxAnswer cancel(IDCANCEL);
        Select(*page, {1801, 1802, 1803, 1804});
        SendMessageW(page->m_list.m_hWnd, WM_KEYDOWN, VK_DELETE, 0);
        Select(*page, {1806});
        SendMessageW(page->m_list.m_hWnd, WM_KEYDOWN, VK_DELETE, 0);
        ASSERT_EQ(2u, cancel.captions.size());
        EXPECT_EQ(L"Confirm Multiple Computer Delete", cancel.captions[0]);
        EXPECT_EQ(L"Are you sure you want to delete these 4 items?", cancel.texts[0]);
        EXPECT_EQ(L"Delete Computer", cancel.captions[1]);
        EXPECT_EQ(L"Are you sure you want to delete Computer 'CHK-PC-06'?", cancel.texts[1]);
    }
    Settle(*s_app);
    EXPECT_TRUE(Of(RequestsSince(mark), "api_objDelete.php").empty());

    // Confirmed: the delete goes to the server, and the row goes when the view hears of it.
    {
        BoxAnswer confirm(CTListCtrlReportEx::kDeleteButton);
        SendMessageW(page->m_list.m_hWnd, WM_KEYDOWN, VK_DELETE, 0);
        EXPECT_EQ(1u, confirm.captions.size());
        Settle(*s_app);
    }
    const std::vector<Form> deletes = Of(RequestsSince(mark), "api_objDelete.php");
    ASSERT_EQ(1u, deletes.size());
    EXPECT_EQ("1806", Get(deletes[0], "ID"));
    EXPECT_EQ((std::vector<__int64>{1801, 1802, 1803, 1804}), Rows(*page));
    EXPECT_EQ(0u, view->m_objects.count(1806));

    // Hiding the page writes its settings at once: the splitter's position and the panel.
    const int position = page->m_splitter.GetPosition();
    view->ShowPage(View::PageUsers);
    DWORD filter = 0, width = 0;
    ASSERT_TRUE(ReadDword(key, L"Filter", filter));
    EXPECT_EQ(5u, filter);
    ASSERT_TRUE(ReadDword(key, L"LHSWidth", width));
    EXPECT_EQ(static_cast<DWORD>(position), width);
    main->CloseConsole(View::kConsoleType, kGroup);
    Settle(*s_app);
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
}

TEST_F(ScheduleGroupPagesLive, NewComputerNeedsADeploymentLocation)
{
    View* view = Open(kGroup);
    ASSERT_NE(nullptr, view);
    view->ShowPage(View::PageComputers);
    Settle(*s_app);
    auto* page = dynamic_cast<View::CPageComputers*>(view->m_currentPage);
    ASSERT_NE(nullptr, page);
    EXPECT_TRUE(View::CPageComputers::HasDeploymentLocation(view->m_group));

    // Without a location the page beeps and opens nothing.
    Object saved = view->m_group;
    view->m_group.attributes.clear();
    SendMessageW(page->GetHwnd(), WM_COMMAND, CTListCtrlReportEx::CmdNew, 0);
    Settle(*s_app);
    EXPECT_EQ(nullptr, main->FindConsole(View::CPageComputers::kNewComputerConsole, reinterpret_cast<__int64>(view)));

    view->m_group = saved;
    SendMessageW(page->GetHwnd(), WM_COMMAND, CTListCtrlReportEx::CmdNew, 0);
    Settle(*s_app);
    EXPECT_NE(nullptr, main->FindConsole(View::CPageComputers::kNewComputerConsole, reinterpret_cast<__int64>(view)));
    main->CloseConsole(View::CPageComputers::kNewComputerConsole, static_cast<UINT64>(reinterpret_cast<__int64>(view)));
    main->CloseConsole(View::kConsoleType, kGroup);
    Settle(*s_app);
}

} // namespace
