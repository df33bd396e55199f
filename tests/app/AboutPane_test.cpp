// The about pane on a real main window: the program's own version block and product name, the
// server lines only while signed in, and texts that cannot break the mark-up document.
#include <gtest/gtest.h>

#include <windows.h>
#include <string>

#include "AppFixture.h"
#include "app/DlgAbout.h"
#include "app/MainWindow.h"
#include "foundation/CAttribute.h"

using namespace apptest;

namespace {

class AboutPaneTest : public testing::Test {
protected:
    void SetUp() override
    {
        main = t.app->m_mainWindow;
        ASSERT_NE(main, nullptr);
    }

    // The mark-up the pane put into its version panel.
    std::wstring ShowAbout()
    {
        EXPECT_TRUE(main->ShowConsole(DlgAbout::kConsoleType, 0, false));
        CTWndConsole* pane = main->FindConsole(DlgAbout::kConsoleType, 0);
        if (!pane || !pane->GetHwnd()) return L"<no pane>";
        EXPECT_TRUE(IsWindowVisible(pane->GetHwnd()));
        wchar_t text[2048] = {};
        GetWindowTextW(GetDlgItem(pane->GetHwnd(), DlgAbout::kIdPanel), text, 2048);
        return text;
    }

    TestApp t;
    BoxRecorder boxes;
    MainWindow* main = nullptr;
};

TEST_F(AboutPaneTest, SignedOutShowsTheProgramsOwnVersionOnly)
{
    std::wstring markup = ShowAbout();
    EXPECT_NE(markup.find(L">QEL Test Console</Text>"), std::wstring::npos) << markup;
    EXPECT_NE(markup.find(L"console v5.7.31.2<"), std::wstring::npos) << markup;
    EXPECT_EQ(markup.find(L"server v"), std::wstring::npos) << markup;
    EXPECT_EQ(main->m_current, main->FindConsole(DlgAbout::kConsoleType, 0));
}

TEST_F(AboutPaneTest, SignedInAddsTheServerAndItsVersion)
{
    t.app->m_connected = true;
    t.app->m_server = CTString(L"Main <Site> & Co");
    Object::Attribute& version = main->m_cache.systemSettings.attributes[41];
    version.name = CTString(L"version");
    version.Assign(CAttribute(CTString(L"4.2")));
    std::wstring markup = ShowAbout();
    EXPECT_NE(markup.find(L"console v5.7.31.2<"), std::wstring::npos) << markup;
    EXPECT_NE(markup.find(L">Main &lt;Site&gt; &amp; Co</Text>"), std::wstring::npos) << markup;
    EXPECT_NE(markup.find(L"server v4.2.0.0<"), std::wstring::npos) << markup;
    t.app->m_connected = false;
}

TEST(AboutMarkup, VersionsAndEscaping)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* formatted;
    } cases[] = {
        {L"1.2.3.4", L"1.2.3.4"}, {L"7", L"7.0.0.0"}, {L"", L"0.0.0.0"}, {L"3.1", L"3.1.0.0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::wstring(DlgAbout::FormatVersion(CTString(c.text)).GetBuffer()), c.formatted) << c.text;

    std::wstring markup = DlgAbout::BuildMarkup(CTString(L"A\"B"), CTString(L"1.0.0.0"), CTString(), CTString())
                              .GetBuffer();
    EXPECT_NE(markup.find(L">A&quot;B</Text>"), std::wstring::npos) << markup;
    EXPECT_EQ(markup.find(L"server v"), std::wstring::npos) << markup;
}

} // namespace
