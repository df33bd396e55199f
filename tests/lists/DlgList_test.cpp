// The object list panes on a signed-in main window with a recording server client: the type is
// asked before the rows, hidden refreshes wait for the pane to show, edits and deletions (after the
// confirmation box) are saved one request at a time, exports hold the rows waiting for deletion,
// administrators hide super users and fetch last logons in batches, reports copy and paste.
#include <gtest/gtest.h>
#include <fstream>
#include <sstream>
#include "app/AppFixture.h"
#include "foundation/CTOpenFile.h"
#include "lists/DlgList.h"
#include "lists/DlgListKinds.h"
#include "lists/ListWindows.h"

using namespace apptest;

namespace {

// Presses Delete on the report's confirmation box and keeps its texts.
class DeleteAnswerer : public MessageBoxAnswerer {
public:
    DeleteAnswerer() { MessageBoxAnswerer::Install(this); }
    ~DeleteAnswerer() override { MessageBoxAnswerer::Install(nullptr); }
    void OnMessageBox(CTWndMessageBox& box, HWND) override
    {
        captions.push_back(box.m_caption ? box.m_caption : L"");
        texts.push_back(box.m_text ? box.m_text : L"");
        box.Press(CTListCtrlReportEx::kDeleteButton);
    }
    std::vector<std::wstring> captions, texts;
};

std::string TypeXml(int number, const char* name, const char* columns, const char* extra = "")
{
    return "<type id=\"" + std::to_string(number) + "\" type=\"" + std::to_string(number) +
           "\" parent=\"0\" serial=\"1\" name=\"" + name +
           "\"><attrib id=\"5\" name=\"console_edit_attribs\" edit=\"\" type=\"value_varchar\">" + columns +
           "</attrib>" + extra + "</type>";
}

std::string ObjectXml(int id, int type, int parent, const std::string& name, const std::string& inner = "")
{
    return "<object id=\"" + std::to_string(id) + "\" type=\"" + std::to_string(type) + "\" parent=\"" +
           std::to_string(parent) + "\" serial=\"" + std::to_string(id) + "\" name=\"" + name +
           "\" created=\"1700000000\" updated=\"1700000000\">" + inner + "</object>";
}

std::string Description(const char* text)
{
    return std::string("<attrib id=\"124\" name=\"description\" edit=\"\" default=\"0\" inherit=\"0\" "
                       "type=\"value_varchar\">") + text + "</attrib>";
}

std::string ReadFileBytes(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::wstring g_exportPath;
BOOL WINAPI ExportDialog(OPENFILENAMEW* ofn)
{
    wcsncpy(ofn->lpstrFile, g_exportPath.c_str(), ofn->nMaxFile - 1);
    return TRUE;
}

struct Panes : TestApp {
    DeleteAnswerer boxes;
    Panes()
    {
        RegisterListWindows(app->m_catalogue);
        MainWindowCache& cache = app->m_mainWindow->m_cache;
        cache.administrator.id = 90;
        cache.administrator.privileges[1] = {L"QELConsoleSetup", false, true};
        cache.systemSettings.id = 300;
        cache.systemSettings.parent = 6;   // the settings folder holds the fail codes
        auto define = [&](__int64 number, const wchar_t* name, const wchar_t* valuesOfLogon) {
            Object type;
            type.id = type.type = number;
            type.name = name;
            if (valuesOfLogon) {
                Object::Attribute& a = type.attributes[4];
                a.name = L"logon_event";
                a.editSpec = valuesOfLogon;
            }
            cache.types.push_back(type);
            CTString lower(name);
            lower.MakeLower();
            cache.typeNames[lower] = type;
        };
        define(41, L"Fail Code", nullptr);
        define(9, L"Administrator", nullptr);
        define(25, L"Logon", L"TYPE=Combo|VALUES=logoff,logon,failed");
        cache.loaded |= MainWindowCache::LoadTypes;
    }
    DlgList* Show(int consoleType)
    {
        app->m_mainWindow->ShowConsole(consoleType, 0, false);
        Pump();
        return dynamic_cast<DlgList*>(app->m_mainWindow->FindConsole(consoleType, 0));
    }
    std::vector<std::string> Paths() const
    {
        std::vector<std::string> out;
        for (const Sent& sent : transport->m_sent)
            out.push_back(sent.path);
        return out;
    }
    void Reply(const std::string& path, const std::string& inner) { Answer(path, XmlHeaders(), Doc(inner)); }
};

const std::string kFailCodeType = TypeXml(41, "Fail Code", "Name|description");

} // namespace

TEST(DlgList, FailCodesLoadAfterTheirTypeEditDeleteExportAndSave)
{
    Panes t;
    DlgList* pane = t.Show(1015);
    ASSERT_NE(pane, nullptr);
    // At creation the type is asked, and nothing is loaded.
    ASSERT_EQ(t.Paths(), (std::vector<std::string>{"api/api_objType.php"}));
    EXPECT_EQ(t.transport->m_sent[0].body, "TYPE=Fail+Code");
    t.Reply("api/api_objType.php", kFailCodeType);
    EXPECT_EQ(t.transport->CountPath("api/api_objSearch.php"), 0u);

    // A refresh asks the type again, then the rows of the settings folder.
    static_cast<CTWndConsole*>(pane)->Refresh();
    ASSERT_EQ(t.transport->CountPath("api/api_objType.php"), 2u);
    EXPECT_EQ(t.transport->CountPath("api/api_objSearch.php"), 0u);
    t.Reply("api/api_objType.php", kFailCodeType);
    ASSERT_EQ(t.transport->CountPath("api/api_objSearch.php"), 1u);
    EXPECT_NE(t.transport->m_sent.back().body.find("PARENT=6"), std::string::npos) << t.transport->m_sent.back().body;
    t.Reply("api/api_objSearch.php", ObjectXml(113, 41, 6, "Disk failure", Description("disk")) +
                                         ObjectXml(114, 41, 6, "User absent", Description("away")));
    CTListCtrlReportEx& report = pane->Report();
    ASSERT_EQ(report.GetItemCount(), 2);

    // Hidden, any number of refreshes wait and run once when the pane shows again.
    ShowWindow(pane->GetHwnd(), SW_HIDE);
    const size_t sent = t.transport->m_sent.size();
    static_cast<CTWndConsole*>(pane)->Refresh();
    static_cast<CTWndConsole*>(pane)->Refresh();
    EXPECT_EQ(t.transport->m_sent.size(), sent);
    ShowWindow(pane->GetHwnd(), SW_SHOW);
    EXPECT_EQ(t.transport->m_sent.size(), sent + 1);
    EXPECT_EQ(t.transport->m_sent.back().path, "api/api_objType.php");
    t.Reply("api/api_objType.php", kFailCodeType);
    t.Reply("api/api_objSearch.php", ObjectXml(113, 41, 6, "Disk failure", Description("disk")) +
                                         ObjectXml(114, 41, 6, "User absent", Description("away")));
    ASSERT_EQ(report.GetItemCount(), 2);

    // Edit one row, delete the other after the confirmation that names it.
    ObjectList::Row& disk = pane->rows.front();
    ObjectList::Row& absent = pane->rows.back();
    pane->SetCellValue(disk, 2, CAttribute(CAttribute::Text, L"disk broken"));
    ListView_SetItemState(report.m_hWnd, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(report.m_hWnd, report.FindRowByData(&absent), LVIS_SELECTED, LVIS_SELECTED);
    report.NotifyDelete();
    ASSERT_EQ(t.boxes.captions.size(), 1u);
    EXPECT_EQ(t.boxes.captions[0], L"Delete Fail Code");
    EXPECT_EQ(t.boxes.texts[0], L"Are you sure you want to delete Fail Code 'User absent'?");
    EXPECT_EQ(report.GetItemCount(), 1);
    EXPECT_EQ(absent.operation, ObjectList::OpDelete);

    // The export still holds the row waiting for deletion, in model order.
    g_exportPath = std::wstring(_wgetenv(L"TEMP") ? _wgetenv(L"TEMP") : L".") + L"\\qel_dlglist_export.xml";
    static const CTOpenFileDialogs dialogs = {nullptr, &ExportDialog, nullptr};
    CTOpenFile::SetDialogs(&dialogs);
    pane->Export();
    CTOpenFile::SetDialogs(nullptr);
    const std::string file = ReadFileBytes(g_exportPath);
    const size_t first = file.find("<Fail_Code name=\"Disk failure\">");
    const size_t second = file.find("<Fail_Code name=\"User absent\">");
    EXPECT_NE(first, std::string::npos) << file;
    EXPECT_NE(second, std::string::npos) << file;
    EXPECT_LT(first, second);
    DeleteFileW(g_exportPath.c_str());

    // Saved one request at a time; a failed reply stops the chain and the next save sends it again.
    EXPECT_FALSE(pane->SaveChanges());
    ASSERT_EQ(t.transport->m_sent.back().path, "api/api_objSet.php");
    EXPECT_NE(t.transport->m_sent.back().body.find("ID=113"), std::string::npos);
    t.Answer("api/api_objSet.php", XmlHeaders(), Doc("").replace(Doc("").find("<result>") + 8, 0,
                                                                  "<RC id=\"569\" text=\"Changed elsewhere\"/>"));
    EXPECT_EQ(t.transport->CountPath("api/api_objDelete.php"), 0u);
    ASSERT_EQ(t.boxes.texts.size(), 2u);   // the error was shown, not handed back
    EXPECT_FALSE(pane->SaveChanges());
    ASSERT_EQ(t.transport->CountPath("api/api_objSet.php"), 2u);
    t.Reply("api/api_objSet.php", ObjectXml(113, 41, 6, "Disk failure", Description("disk broken")));
    ASSERT_EQ(t.transport->CountPath("api/api_objDelete.php"), 1u);
    EXPECT_EQ(t.transport->m_sent.back().body, "ID=114&SERIAL=114");
    t.Reply("api/api_objDelete.php", "");
    EXPECT_EQ(pane->rows.size(), 1u);
    EXPECT_TRUE(pane->SaveChanges());   // nothing left
}

TEST(DlgList, AdministratorsHideSuperUsersAndAskLastLogonsInBatches)
{
    Panes t;
    DlgList* pane = t.Show(1016);
    ASSERT_NE(pane, nullptr);
    const std::string type = TypeXml(9, "Administrator", "Name|*last_logon");
    t.Reply("api/api_objType.php", type);
    static_cast<CTWndConsole*>(pane)->Refresh();
    t.Reply("api/api_objType.php", type);
    ASSERT_EQ(t.transport->CountPath("api/api_objSearch.php"), 1u);
    EXPECT_NE(t.transport->m_sent.back().body.find("PARENT=ALL"), std::string::npos);

    // 203 administrators, one of them a super user: 202 rows, so one query of 201 while the rows
    // are added and one of the last at the end.
    std::string objects;
    for (int i = 0; i < 203; ++i)
        objects += ObjectXml(1000 + i, 9, 7, "admin" + std::to_string(i),
                             i == 5 ? "<priv id=\"1\" name=\"SuperUser\" value=\"1\"/>" : "");
    t.Reply("api/api_objSearch.php", objects);
    EXPECT_EQ(pane->Report().GetItemCount(), 202);
    Object gone;
    EXPECT_EQ(pane->GetRowObject(gone, 1005).id, 0);
    ASSERT_EQ(t.transport->CountPath("api/api_qelEventQuery.php"), 2u);
    std::vector<std::string> bodies;
    for (const Sent& s : t.transport->m_sent)
        if (s.path == "api/api_qelEventQuery.php")
            bodies.push_back(s.body);
    EXPECT_EQ(bodies[0].rfind("TYPE=Logon&RETURNTYPE=OBJECT&ATTRIBS=link_user%3D1000%2C1001%2C", 0), 0u) << bodies[0];
    EXPECT_NE(bodies[0].find("%2C1201%7Clogon_event%3D1&MAXGROUPBY=link_user"), std::string::npos) << bodies[0];
    EXPECT_EQ(bodies[0].find("1005%2C"), std::string::npos);
    EXPECT_EQ(bodies[1], "TYPE=Logon&RETURNTYPE=OBJECT&ATTRIBS=link_user%3D1202%7Clogon_event%3D1&MAXGROUPBY=link_user");

    // The last logon of the last administrator arrives into its cell.
    t.Reply("api/api_qelEventQuery.php",
            "<object id=\"5000\" type=\"25\" parent=\"1\" serial=\"1\" name=\"logon\" created=\"1700000000\" "
            "updated=\"1700000000\"><attrib id=\"113\" name=\"link_user\" edit=\"\" type=\"value_iddirectory\">1202"
            "</attrib></object>");
    ObjectList::Row& last = pane->rows.back();
    CAttribute cell;
    pane->Report().GetCell(pane->Report().FindRowByData(&last), 2, cell);
    EXPECT_EQ(cell.GetValue(), 1700000000);

    // The delete confirmation names the pane.
    ListView_SetItemState(pane->Report().m_hWnd, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(pane->Report().m_hWnd, 0, LVIS_SELECTED, LVIS_SELECTED);
    pane->Report().NotifyDelete();
    ASSERT_EQ(t.boxes.captions.size(), 1u);
    EXPECT_EQ(t.boxes.captions[0], L"Delete Admins");
}

TEST(DlgList, ReportsCopyBothFormatsAndPasteOnlyWhatWasCopied)
{
    Panes t;
    auto* pane = dynamic_cast<DlgListReports*>(t.Show(1059));
    ASSERT_NE(pane, nullptr);
    t.app->m_mainWindow->m_cache.folderIds[MainWindowCache::FolderReports] = 77;

    // Nothing of ours on the clipboard: nothing is copied.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    const size_t sent = t.transport->m_sent.size();
    pane->PasteItem();
    EXPECT_EQ(t.transport->m_sent.size(), sent);

    pane->CopyItem(4321);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE id = GetClipboardData(RegisterClipboardFormatW(L"TavikDlgReport"));
    HANDLE text = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(id, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(*static_cast<const __int64*>(GlobalLock(id)), 4321);
    GlobalUnlock(id);
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(GlobalLock(text))), L"ID=4321");
    GlobalUnlock(text);
    CloseClipboard();

    pane->PasteItem();
    ASSERT_EQ(t.transport->CountPath("api/api_objCopy.php"), 1u);
    EXPECT_NE(t.transport->m_sent.back().body.find("4321"), std::string::npos);
    EXPECT_NE(t.transport->m_sent.back().body.find("77"), std::string::npos) << t.transport->m_sent.back().body;
}

TEST(DlgList, OpenPanesTakeTheirFoldersWhenTheSystemFolderReplyArrives)
{
    Panes t;
    DlgList* organisations = t.Show(1022);
    DlgList* administrators = t.Show(1016);
    ASSERT_NE(organisations, nullptr);
    ASSERT_NE(administrators, nullptr);
    EXPECT_EQ(organisations->m_parentId, 0);

    // The administrators' type (asked last) before the start-up loads ask for every type.
    t.Reply("api/api_objType.php", TypeXml(9, "Administrator", "Name"));
    t.app->m_mainWindow->StartStartupLoads();
    t.Reply("api/api_dirPathToID.php", "<value id=\"1791\" path=\"\\System\\Users\"/>"
                                       "<value id=\"1790\" path=\"\\System\\Organisations\"/>");
    EXPECT_EQ(organisations->m_parentId, 1790);
    EXPECT_EQ(administrators->m_parentId, 1791);

    // New administrators are created in the users folder, though the list shows every administrator.
    ASSERT_GE(administrators->AddNew(), 0);
    ASSERT_FALSE(administrators->SaveChanges());
    ASSERT_EQ(t.transport->m_sent.back().path, "api/api_objNew.php");
    EXPECT_NE(t.transport->m_sent.back().body.find("PARENT=1791"), std::string::npos)
        << t.transport->m_sent.back().body;
}

TEST(DlgList, ChangesMadeElsewhereReachTheRowsOfThePanesFolder)
{
    Panes t;
    DlgList* pane = t.Show(1015);
    ASSERT_NE(pane, nullptr);
    static_cast<CTWndConsole*>(pane)->Refresh();
    t.Reply("api/api_objType.php", kFailCodeType);
    t.Reply("api/api_objSearch.php", ObjectXml(1713, 41, 6, "Disk failure", Description("disk")) +
                                         ObjectXml(1714, 41, 6, "User absent", Description("away")));
    ASSERT_EQ(pane->rows.size(), 2u);
    auto nameOf = [&](__int64 id) {
        Object row;
        pane->GetRowObject(row, id);
        return row.id == id ? Wide(row.name) : std::wstring(L"<no row>");
    };
    // Unsaved edits are not overwritten by a directory notice.
    pane->SetCellValue(pane->rows.back(), 2, CAttribute(CAttribute::Text, L"on leave"));

    // A directory notice: rows of the changed ids take the cached objects; other ids add nothing.
    for (auto [id, name] : {std::pair<__int64, const wchar_t*>{1713, L"Disk gone"}, {1714, L"Absent user"},
                            {1715, L"Elsewhere"}}) {
        Object changed;
        changed.id = id;
        changed.type = 41;
        changed.parent = 6;
        changed.name = name;
        t.app->m_dir.StoreObject(changed, 0);
    }
    t.app->m_dir.NotifySubscribers({1713, 1714, 1715});
    t.Pump();
    EXPECT_EQ(pane->rows.size(), 2u);
    EXPECT_EQ(nameOf(1713), L"Disk gone");
    EXPECT_EQ(nameOf(1714), L"User absent");

    // A form's save notice: an object of the pane's folder is added, one of another folder ignored.
    for (auto [id, parent] : {std::pair<__int64, __int64>{1716, 6}, {1717, 99}}) {
        Object saved;
        saved.id = id;
        saved.type = 41;
        saved.parent = parent;
        saved.name = L"Saved elsewhere";
        RequestResult notice;
        notice.route = pane->PaneRoute(DlgList::kReqNotice);
        notice.attached = &saved;
        pane->OnReply(notice);
    }
    EXPECT_EQ(nameOf(1716), L"Saved elsewhere");
    EXPECT_EQ(nameOf(1717), L"<no row>");
    EXPECT_EQ(pane->Report().GetItemCount(), 3);
}
