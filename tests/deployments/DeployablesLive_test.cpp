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
    signedin::PumpUntil(*app, [&] { return pane->m_rows.GetCount() == 5; });
    ASSERT_EQ(pane->m_types.size(), 2u);
    CTListCtrlReportEx& report = pane->Report();
    ASSERT_EQ(report.GetItemCount(), 4);   // the software packages

    // Columns: package_version, licensed, install_notes, size_class.
    DlgListDeployables::Row* office = RowOf(*pane, 1300);
    ASSERT_NE(office, nullptr);
    EXPECT_EQ(Kind(*pane, office, 1), CTListCtrlEdit::KindText);
    EXPECT_EQ(Kind(*pane, office, 2), CTListCtrlEdit::KindCheck);
    EXPECT_EQ(Kind(*pane, office, 3), CTListCtrlEdit::KindMultiLine);
    EXPECT_EQ(Kind(*pane, office, 4), CTListCtrlEdit::KindChoice);
    // The hardware kits: a check-box rule with VALUES is a drop-down.
    SendMessageW(pane->m_hWnd, WM_COMMAND, DlgListDeployables::kCmdFirstType + 1, 0);
    ASSERT_EQ(report.GetItemCount(), 1);
    EXPECT_EQ(Kind(*pane, RowOf(*pane, 1304), 2), CTListCtrlEdit::KindChoice);
    SendMessageW(pane->m_hWnd, WM_COMMAND, DlgListDeployables::kCmdFirstType, 0);
    ASSERT_EQ(report.GetItemCount(), 4);

    // Three rows deleted at once, one edited; the save sends them one after another.
    for (__int64 id : {1301, 1302, 1303})
        ListView_SetItemState(report.m_hWnd, report.FindRowByData(RowOf(*pane, id)), LVIS_SELECTED, LVIS_SELECTED);
    SendMessageW(pane->m_hWnd, WM_COMMAND, DlgListDeployables::kCmdDelete, 0);
    EXPECT_EQ(report.GetItemCount(), 1);
    CAttribute version(CAttribute::Text, L"17.0");
    pane->m_editor.m_valueChanged(pane, report.FindRowByData(office), 1, &version);
    EXPECT_TRUE(pane->SaveChanges());
    signedin::PumpUntil(*app, [&] { return pane->m_rows.GetCount() == 2 && office->state == DlgListDeployables::Unchanged; });
    signedin::Settle(*app);
    EXPECT_EQ(pane->m_rows.GetCount(), 2u);
    EXPECT_FALSE(pane->SaveChanges());

    // Reloaded from the server.
    SendMessageW(pane->m_hWnd, WM_COMMAND, DlgListDeployables::kCmdRefresh, 0);
    signedin::PumpUntil(*app, [&] { return pane->m_rows.GetCount() == 2 && RowOf(*pane, 1300) != nullptr; });
    signedin::Settle(*app);
    DlgListDeployables::Row* saved = RowOf(*pane, 1300);
    ASSERT_NE(saved, nullptr);
    CAttribute stored;
    saved->object.GetAttribute(stored, CTString(L"package_version"));
    EXPECT_EQ(std::wstring(stored.GetText()), L"17.0");
    EXPECT_EQ(RowOf(*pane, 1302), nullptr);

    signedin::SignOut(app);
}
