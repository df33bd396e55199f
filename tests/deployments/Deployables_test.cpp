// The deployables pane on a main window with a recording server client: editors from the whole
// edit rule, the View menu with its command cap, three adjacent rows deleted, changes saved one
// request at a time with a failed row sent again, and the export holding unsaved rows.
#include <gtest/gtest.h>
#include <fstream>
#include <sstream>
#include "app/AppFixture.h"
#include <commctrl.h>
#include "deployments/DeploymentWindows.h"
#include "deployments/DlgListDeployables.h"
#include "foundation/CTOpenFile.h"
#include "framework/PopupMenuDriver.h"

using namespace apptest;

namespace {

std::string Attrib(int id, const char* name, const char* type, const char* edit, const std::string& value)
{
    return "<attrib id=\"" + std::to_string(id) + "\" name=\"" + name + "\" edit=\"" + edit +
           "\" default=\"0\" inherit=\"0\" type=\"" + type + "\">" + value + "</attrib>";
}

std::string Component(int id, int type, const std::string& name, const char* size = "1")
{
    return "<object id=\"" + std::to_string(id) + "\" type=\"" + std::to_string(type) + "\" parent=\"8\" serial=\"" +
           std::to_string(id) + "\" name=\"" + name + "\" created=\"1700000000\" updated=\"1700000000\">" +
           Attrib(71, "size", "value_int", "VALUES=Small,Large", size) +
           Attrib(72, "notes", "value_varchar", "type=multiline", "n") + "</object>";
}

Object Type(__int64 number, const wchar_t* text)
{
    Object type;
    type.id = type.type = number;
    type.name = text;
    Object::Attribute& list = type.attributes[5];
    list.SetText(CAttribute::Text, CTString(L"name|size|notes"));
    list.name = L"console_edit_attribs";
    Object::Attribute& caption = type.attributes[6];
    caption.SetText(CAttribute::Text, CTString(text));
    caption.name = L"type";
    return type;
}

std::wstring g_exportPath;
BOOL WINAPI ExportDialog(OPENFILENAMEW* ofn)
{
    wcsncpy(ofn->lpstrFile, g_exportPath.c_str(), ofn->nMaxFile - 1);
    return TRUE;
}

class MenuChoice : public PopupMenuDriver {
public:
    UINT command = 0;
    std::vector<UINT> commands;
    MenuChoice() { PopupMenuDriver::Install(this); }
    ~MenuChoice() override { PopupMenuDriver::Install(nullptr); }
    UINT ChooseCommand(HMENU menu, UINT, int, int, HWND) override
    {
        commands.clear();
        for (int i = 0; i < GetMenuItemCount(menu); ++i)
            commands.push_back(GetMenuItemID(menu, i));
        return command;
    }
};

struct Pane : TestApp {
    BoxRecorder boxes;
    DlgListDeployables* pane = nullptr;
    explicit Pane(int types = 2)
    {
        RegisterDeploymentWindows(app->m_catalogue);
        MainWindowCache& cache = app->m_mainWindow->m_cache;
        cache.folderIds[MainWindowCache::FolderDeployable] = 8;
        cache.administrator.id = 90;
        cache.administrator.privileges[1] = {L"QELConsoleSetup", false, true};
        std::wstring ids = L"/";
        for (int i = 0; i < types; ++i) {
            cache.types.push_back(Type(50 + i, i == 0 ? L"Software" : L"Hardware"));
            ids += std::to_wstring(50 + i) + L"/";
        }
        Object::Attribute& available = cache.systemSettings.attributes[90];
        available.SetText(CAttribute::Text, CTString(ids.c_str()));
        available.name = L"deployable_available";
        available.flags = Object::Attribute::LinkArray;
        cache.loaded |= MainWindowCache::LoadTypes;
        app->m_mainWindow->ShowConsole(DlgListDeployables::kConsoleType, 0, false);
        Pump();
        pane = dynamic_cast<DlgListDeployables*>(app->m_mainWindow->FindConsole(DlgListDeployables::kConsoleType, 0));
    }
    void Reply(const std::string& path, const std::string& inner) { Answer(path, XmlHeaders(), Doc(inner)); }
    int Kind(int item, int column)
    {
        auto* row = pane->Report().GetRowData(item);
        auto found = pane->m_editor.m_rowMap.find(row);
        if (found == pane->m_editor.m_rowMap.end())
            return -1;
        CTListCtrlEdit::Cell* cell = found->second->GetCell(column);
        return cell ? cell->m_kind : -1;
    }
};

} // namespace

TEST(DlgListDeployables, EditorKindFollowsTheWholeEditRule)
{
    const CAttribute number(CAttribute::Integer, 1ll), text(CAttribute::Text, L"x"), day(CAttribute::Date, 0ll);
    struct Case {
        const CAttribute* value;
        const wchar_t* spec;
        int kind;
    };
    const Case cases[] = {
        {&number, L"", CTListCtrlEdit::KindNumber},
        {&number, L"TYPE=Checkbox", CTListCtrlEdit::KindCheck},
        {&number, L"type=checkbox", CTListCtrlEdit::KindCheck},
        {&number, L"TYPE=Checkbox|VALUES=No,Yes", CTListCtrlEdit::KindChoice},
        {&number, L"VALUES=Small,Large", CTListCtrlEdit::KindChoice},
        {&text, L"TYPE=MultiLine", CTListCtrlEdit::KindMultiLine},
        {&text, L"type=multiline", CTListCtrlEdit::KindText},
        {&text, L"TYPE=Locale", CTListCtrlEdit::KindLocale},
        {&text, L"", CTListCtrlEdit::KindText},
        {&day, L"", CTListCtrlEdit::KindDate},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DlgListDeployables::EditorKind(*c.value, CTString(c.spec)), c.kind) << Narrow(CTString(c.spec));

    CTListCtrlEdit::Choices choices;
    DlgListDeployables::FillChoicesFromValues(CTString(L"TYPE=Checkbox|VALUES='No',Yes"), choices);
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(std::wstring(choices[0].GetBuffer()), L"No");
    EXPECT_EQ(std::wstring(choices[1].GetBuffer()), L"Yes");
    choices.clear();
    DlgListDeployables::FillChoicesFromValues(CTString(L"TYPE='Site'"), choices);
    EXPECT_TRUE(choices.empty());
}

TEST(DlgListDeployables, DeletesAdjacentRowsSavesOneAtATimeAndExportsUnsavedRows)
{
    Pane t;
    ASSERT_NE(t.pane, nullptr);
    ASSERT_EQ(t.transport->CountPath("api/api_objSearch.php"), 1u);
    EXPECT_NE(t.transport->m_sent.back().body.find("PARENT=8"), std::string::npos) << t.transport->m_sent.back().body;
    t.Reply("api/api_objSearch.php", Component(601, 50, "Office") + Component(602, 51, "Dock") +
                                         Component(603, 50, "Browser") + Component(604, 50, "Viewer") +
                                         Component(605, 50, "Editor"));
    CTListCtrlReportEx& report = t.pane->Report();
    ASSERT_EQ(report.GetItemCount(), 4);   // the shown type's rows only
    EXPECT_EQ(t.Kind(0, 2), CTListCtrlEdit::KindChoice);
    EXPECT_EQ(t.Kind(0, 3), CTListCtrlEdit::KindText);   // "type=multiline" is no multi-line rule
    auto* office = static_cast<DlgListDeployables::Row*>(t.pane->m_rows.GetHead());
    CAttribute shown;
    ASSERT_TRUE(report.GetCell(report.FindRowByData(office), 2, shown));
    EXPECT_EQ(std::wstring(shown.GetText()), L"Large");

    // The View menu lists the types; the second shows its rows, which keep their changes.
    MenuChoice menu;
    menu.command = 5001;
    SendMessageW(t.pane->m_hWnd, WM_COMMAND, DlgListDeployables::kCmdView, 0);
    EXPECT_EQ(menu.commands, (std::vector<UINT>{5000, 5001}));
    EXPECT_EQ(report.GetItemCount(), 1);
    SendMessageW(t.pane->m_hWnd, WM_COMMAND, 5000, 0);
    ASSERT_EQ(report.GetItemCount(), 4);

    // Three adjacent rows deleted at once, one row edited, one added.
    for (int item = 0; item < 4; ++item)
        ListView_SetItemState(report.m_hWnd, item, item >= 1 ? LVIS_SELECTED : 0, LVIS_SELECTED);
    std::vector<DlgListDeployables::Row*> deleted;
    for (int item = 1; item < 4; ++item)
        deleted.push_back(static_cast<DlgListDeployables::Row*>(report.GetRowData(item)));
    auto* kept = static_cast<DlgListDeployables::Row*>(report.GetRowData(0));
    SendMessageW(t.pane->m_hWnd, WM_COMMAND, DlgListDeployables::kCmdDelete, 0);
    EXPECT_EQ(report.GetItemCount(), 1);
    for (auto* row : deleted)
        EXPECT_EQ(row->state, DlgListDeployables::Deleted);
    CAttribute small(CAttribute::Integer, 0ll);
    t.pane->m_editor.m_valueChanged(t.pane, 0, 2, &small);
    EXPECT_EQ(kept->state, DlgListDeployables::Changed);

    // The export still holds the deleted rows.
    g_exportPath = std::wstring(_wgetenv(L"TEMP") ? _wgetenv(L"TEMP") : L".") + L"\\qel_deployables_export.xml";
    static const CTOpenFileDialogs dialogs = {nullptr, &ExportDialog, nullptr};
    CTOpenFile::SetDialogs(&dialogs);
    t.pane->Export();
    CTOpenFile::SetDialogs(nullptr);
    std::ifstream in(g_exportPath.c_str(), std::ios::binary);
    std::stringstream file;
    file << in.rdbuf();
    in.close();
    for (const char* name : {"Office", "Browser", "Viewer", "Editor"})
        EXPECT_NE(file.str().find(std::string("name=\"") + name + "\""), std::string::npos) << name;
    EXPECT_EQ(file.str().find("Dock"), std::string::npos);
    DeleteFileW(g_exportPath.c_str());

    // Saved one request at a time: the edit first; its failure stops the chain, and the next save
    // sends it again before the deletions.
    EXPECT_TRUE(t.pane->SaveChanges());
    ASSERT_EQ(t.transport->CountPath("api/api_objSet.php"), 1u);
    EXPECT_NE(t.transport->m_sent.back().body.find("ID=" + std::to_string(kept->object.id)), std::string::npos);
    t.Answer("api/api_objSet.php", XmlHeaders(), "<?xml version=\"1.0\"?><result><RC id=\"569\" text=\"No\"/></result>");
    EXPECT_EQ(t.transport->CountPath("api/api_objDelete.php"), 0u);
    EXPECT_TRUE(t.pane->SaveChanges());
    ASSERT_EQ(t.transport->CountPath("api/api_objSet.php"), 2u);
    t.Reply("api/api_objSet.php", "");
    for (int done = 1; done <= 3; ++done) {
        ASSERT_EQ(t.transport->CountPath("api/api_objDelete.php"), static_cast<size_t>(done));
        t.Reply("api/api_objDelete.php", "");
    }
    EXPECT_FALSE(t.pane->SaveChanges());
    EXPECT_EQ(t.pane->m_rows.GetCount(), 2u);
    EXPECT_EQ(kept->state, DlgListDeployables::Unchanged);
}

TEST(DlgListDeployables, TheViewMenuStopsAtItsLastCommand)
{
    Pane t(201);
    ASSERT_NE(t.pane, nullptr);
    MenuChoice menu;
    SendMessageW(t.pane->m_hWnd, WM_COMMAND, DlgListDeployables::kCmdView, 0);
    ASSERT_EQ(menu.commands.size(), 201u);
    EXPECT_EQ(menu.commands[198], 5198u);
    // Commands past 5198 choose nothing.
    SendMessageW(t.pane->m_hWnd, WM_COMMAND, 5199, 0);
    EXPECT_EQ(t.pane->m_shownType.type, 50);
    SendMessageW(t.pane->m_hWnd, WM_COMMAND, 5198, 0);
    EXPECT_EQ(t.pane->m_shownType.type, 50 + 198);
}
