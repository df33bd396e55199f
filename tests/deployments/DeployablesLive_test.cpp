// The deployables pane on a main window signed in to the fixture server: the types the system
// settings offer, editors by the whole edit rule, three adjacent rows deleted and an edit saved one
// request at a time through the real transport, and the reloaded list shows what was saved.
#include <gtest/gtest.h>

#include "app/SignedInSession.h"
#include <commctrl.h>
#include "deployments/DeploymentWindows.h"
#include "deployments/DlgListDeployables.h"

namespace {

int Kind(DlgListDeployables& pane, DlgListDeployables::Row* row, int column)
{
    auto found = pane.m_editor.m_rowMap.find(row);
    if (found == pane.m_editor.m_rowMap.end())
        return -1;
    CTListCtrlEdit::Cell* cell = found->second->GetCell(column);
    return cell ? cell->m_kind : -1;
}

DlgListDeployables::Row* RowOf(DlgListDeployables& pane, __int64 id)
{
    for (auto* row = static_cast<DlgListDeployables::Row*>(pane.m_rows.GetHead()); row;
         row = static_cast<DlgListDeployables::Row*>(row->GetNext()))
        if (row->object.id == id)
            return row;
    return nullptr;
}

// The sample's own deployables (1300-1304); the folder holds other components too.
size_t OwnRows(DlgListDeployables& pane)
{
    size_t count = 0;
    for (__int64 id = 1300; id <= 1304; ++id)
        count += RowOf(pane, id) != nullptr;
    return count;
}

// The View command of a type, by its place among the types the settings offer.
WPARAM ViewOf(DlgListDeployables& pane, __int64 typeId)
{
    for (size_t i = 0; i < pane.m_types.size(); ++i)
        if (pane.m_types[i].id == typeId)
            return DlgListDeployables::kCmdFirstType + static_cast<WPARAM>(i);
    return 0;
}

} // namespace

TEST(DeployablesLive, EditsDeletesAndSavesThroughTheServer)
{
    App* app = signedin::SignIn();
    ASSERT_NE(app, nullptr);
    RegisterDeploymentWindows(app->m_catalogue);
    MainWindow* main = app->m_mainWindow;
    // The page made at sign-in, before this module was registered, gives way to the pane.
    main->CloseConsole(DlgListDeployables::kConsoleType, 0);
    signedin::Settle(*app);
    main->ShowConsole(DlgListDeployables::kConsoleType, 0, false);
    signedin::Settle(*app);
    auto* pane = dynamic_cast<DlgListDeployables*>(main->FindConsole(DlgListDeployables::kConsoleType, 0));
    ASSERT_NE(pane, nullptr);
    signedin::PumpUntil(*app, [&] { return OwnRows(*pane) == 5; });
    const WPARAM packages = ViewOf(*pane, 65), kits = ViewOf(*pane, 66);
    ASSERT_NE(packages, 0u);
    ASSERT_NE(kits, 0u);
    CTListCtrlReportEx& report = pane->Report();
    SendMessageW(pane->m_hWnd, WM_COMMAND, packages, 0);
    ASSERT_EQ(report.GetItemCount(), 4);   // the software packages

    // Columns: package_version, licensed, install_notes, size_class.
    DlgListDeployables::Row* office = RowOf(*pane, 1300);
    ASSERT_NE(office, nullptr);
    EXPECT_EQ(Kind(*pane, office, 1), CTListCtrlEdit::KindText);
    EXPECT_EQ(Kind(*pane, office, 2), CTListCtrlEdit::KindCheck);
    EXPECT_EQ(Kind(*pane, office, 3), CTListCtrlEdit::KindMultiLine);
    EXPECT_EQ(Kind(*pane, office, 4), CTListCtrlEdit::KindChoice);
    // The hardware kits: a check-box rule with VALUES is a drop-down.
    SendMessageW(pane->m_hWnd, WM_COMMAND, kits, 0);
    ASSERT_EQ(report.GetItemCount(), 1);
    EXPECT_EQ(Kind(*pane, RowOf(*pane, 1304), 2), CTListCtrlEdit::KindChoice);
    SendMessageW(pane->m_hWnd, WM_COMMAND, packages, 0);
    ASSERT_EQ(report.GetItemCount(), 4);

    // Three rows deleted at once, one edited; the save sends them one after another.
    for (__int64 id : {1301, 1302, 1303})
        ListView_SetItemState(report.m_hWnd, report.FindRowByData(RowOf(*pane, id)), LVIS_SELECTED, LVIS_SELECTED);
    SendMessageW(pane->m_hWnd, WM_COMMAND, DlgListDeployables::kCmdDelete, 0);
    EXPECT_EQ(report.GetItemCount(), 1);
    CAttribute version(CAttribute::Text, L"17.0");
    pane->m_editor.m_valueChanged(pane, report.FindRowByData(office), 1, &version);
    EXPECT_TRUE(pane->SaveChanges());
    signedin::PumpUntil(*app, [&] { return OwnRows(*pane) == 2 && office->state == DlgListDeployables::Unchanged; });
    signedin::Settle(*app);
    EXPECT_EQ(OwnRows(*pane), 2u);
    EXPECT_FALSE(pane->SaveChanges());

    // Reloaded from the server.
    SendMessageW(pane->m_hWnd, WM_COMMAND, DlgListDeployables::kCmdRefresh, 0);
    signedin::PumpUntil(*app, [&] { return OwnRows(*pane) == 2 && RowOf(*pane, 1300) != nullptr; });
    signedin::Settle(*app);
    DlgListDeployables::Row* saved = RowOf(*pane, 1300);
    ASSERT_NE(saved, nullptr);
    CAttribute stored;
    saved->object.GetAttribute(stored, CTString(L"package_version"));
    EXPECT_EQ(std::wstring(stored.GetText()), L"17.0");
    EXPECT_EQ(RowOf(*pane, 1302), nullptr);

    signedin::SignOut(app);
}
