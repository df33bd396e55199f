// ctest-env: LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8
#include <gtest/gtest.h>
#include "framework/CTApp.h"
#include "framework/CTWnd2.h"

namespace {

std::wstring Text(const CTString& s)
{
    return s.GetBuffer() ? std::wstring(s.GetBuffer()) : std::wstring();
}

class CTAppTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CTApp::Instance()->Init(GetModuleHandleW(nullptr), GetCommandLineW(), SW_SHOWNORMAL, MAKEINTRESOURCEW(103));
    }
    CTApp* app = CTApp::Instance();
};

TEST_F(CTAppTest, InitLoadsBothLanguageModulesAndTheNameFromTheStringTable)
{
    EXPECT_NE(app->GetResourceModule(), nullptr);
    EXPECT_NE(app->GetLanguageModule(), nullptr);
    EXPECT_EQ(app->GetModule(), GetModuleHandleW(nullptr));
    EXPECT_EQ(app->GetShowCmd(), SW_SHOWNORMAL);
    EXPECT_EQ(Text(app->GetName()), L"Test Console");
}

TEST_F(CTAppTest, ResourcesComeFromTheLanguageModuleThenTheMainModuleThenTheProgram)
{
    struct Case {
        UINT id;
        const wchar_t* text;
        HMODULE module;
    } cases[] = {
        {200, L"language 200", app->GetLanguageModule()}, // in all three
        {220, L"main 220", app->GetResourceModule()},      // in the main module and the program
        {240, L"exe 240", app->GetModule()},               // only in the program
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(app->FindResourceModule(RT_STRING, MAKEINTRESOURCEW(c.id)), c.module);
        EXPECT_EQ(Text(CTString(c.id)), c.text);
        CTString loaded(L"old");
        EXPECT_TRUE(loaded.LoadString(c.id));
        EXPECT_EQ(Text(loaded), c.text);
    }
    EXPECT_EQ(app->FindResourceModule(RT_ACCELERATOR, MAKEINTRESOURCEW(109)), app->GetResourceModule());
}

TEST_F(CTAppTest, WithoutLanguageModulesEveryResourceComesFromTheProgram)
{
    HMODULE language = app->m_languageModule, main = app->m_resourceModule;
    app->m_languageModule = nullptr;
    app->m_resourceModule = nullptr;
    EXPECT_EQ(app->FindResourceModule(RT_STRING, MAKEINTRESOURCEW(200)), app->GetModule());
    EXPECT_EQ(Text(CTString(200u)), L"exe 200");
    app->m_languageModule = language;
    app->m_resourceModule = main;
}

TEST_F(CTAppTest, MissingStringsLeaveTheStringAsTheOperationSays)
{
    CTString missing(999u);
    EXPECT_EQ(missing.GetBuffer(), nullptr);

    CTString kept(L"kept");
    EXPECT_FALSE(kept.LoadString(999u));
    EXPECT_EQ(Text(kept), L"kept");

    CTString formatted(L"old");
    formatted.FormatResource(999u, 1);
    EXPECT_TRUE(formatted.IsEmpty());

    formatted.FormatResource(160u, L"Ann", 3);
    EXPECT_EQ(Text(formatted), L"Hello Ann, you have 3 items");
}

struct CommandRecorder : CTWnd2 {
    std::vector<int> commands;
    bool OnCommand(WPARAM wParam, LPARAM, LRESULT* result) override
    {
        commands.push_back(LOWORD(wParam));
        *result = 0;
        return true;
    }
};

TEST_F(CTAppTest, AcceleratorsTranslateForTheirWindowAndAMissingTableRegistersNothing)
{
    CommandRecorder wnd;
    ASSERT_TRUE(wnd.Create(L"CTAppTestAccel", true, nullptr, WS_OVERLAPPEDWINDOW, 0, GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(app->AddAcceleratorWindow(wnd.m_hWnd));

    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    MSG msg = {wnd.m_hWnd, WM_KEYDOWN, 'Q', 0x00100001};
    EXPECT_TRUE(app->TranslateAccelerators(&msg));
    ASSERT_EQ(wnd.commands.size(), 1u);
    EXPECT_EQ(wnd.commands[0], 40001);

    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_FALSE(app->TranslateAccelerators(&msg));
    EXPECT_EQ(wnd.commands.size(), 1u);

    // Only the main module carries table 109: without it nothing is registered.
    HMODULE main = app->m_resourceModule;
    app->m_resourceModule = nullptr;
    unsigned before = app->m_accelerators.GetCount();
    EXPECT_FALSE(app->AddAcceleratorWindow(wnd.m_hWnd));
    EXPECT_EQ(app->m_accelerators.GetCount(), before);
    app->m_resourceModule = main;

    app->m_accelerators.DeleteAll(); // the tables die with the application object
}

TEST_F(CTAppTest, WaitCursorNests)
{
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW), wait = LoadCursorW(nullptr, IDC_WAIT);
    SetCursor(arrow);
    EXPECT_FALSE(app->SetWaitCursor());
    app->AddWaitCursor(+1);
    EXPECT_EQ(GetCursor(), wait);
    app->AddWaitCursor(+1);
    app->AddWaitCursor(-1);
    EXPECT_EQ(GetCursor(), wait);
    EXPECT_TRUE(app->SetWaitCursor());
    app->AddWaitCursor(-1);
    EXPECT_EQ(GetCursor(), arrow);
    EXPECT_FALSE(app->SetWaitCursor());
    app->AddWaitCursor(-1); // below zero counts as zero
    EXPECT_EQ(app->m_waitCount, 0);
}

TEST_F(CTAppTest, SupportedLocales)
{
    LCID lcid = 0;
    EXPECT_TRUE(app->LookupLocale(L"de-DE", &lcid));
    EXPECT_EQ(lcid, 1031u);
    EXPECT_FALSE(app->LookupLocale(L"de-de", &lcid)); // exact, case-sensitive
    EXPECT_FALSE(app->LookupLocale(L"xx-YY", &lcid));

    std::vector<LCID> initial = app->m_supported;
    EXPECT_EQ(initial, (std::vector<LCID>{1033, 1036, 1031, 1040, 1046, 2070, 3082, 1053}));
    EXPECT_FALSE(app->SetSupportedLocales({L"de-DE", L"xx-YY"}));
    EXPECT_EQ(app->m_supported, initial);

    EXPECT_TRUE(app->SetSupportedLocales({L"fr-FR", L"en-GB", L"de-DE"}));
    EXPECT_EQ(app->m_supported, (std::vector<LCID>{1036, 1031}));
    EXPECT_TRUE(app->IsLocaleSupported(L"de-DE"));
    EXPECT_FALSE(app->IsLocaleSupported(L"en-GB"));
    EXPECT_FALSE(app->IsLocaleSupported(L"xx-YY"));

    CTString name;
    EXPECT_TRUE(app->GetSupportedLocale(1, &lcid, name));
    EXPECT_EQ(lcid, 1031u);
    EXPECT_EQ(Text(name), L"de-DE");
    EXPECT_FALSE(app->GetSupportedLocale(2, &lcid, name));
    app->m_supported = initial;
}

TEST_F(CTAppTest, ButtonCaptionsFollowTheUserLanguage)
{
    const bool german = GetUserDefaultLCID() == 1031;
    wchar_t lang[32] = {};
    GetEnvironmentVariableW(L"LANG", lang, 32);
    EXPECT_EQ(german, wcsncmp(lang, L"de_DE", 5) == 0); // the German run really is German
    struct Case {
        UINT id;
        const wchar_t* english;
        const wchar_t* german;
    } cases[] = {
        {1, L"&OK", L"&OK"},
        {2, L"&Cancel", L"Abbrechen"},
        {7, L"&No", L"&Nein"},
        {14, L"Skip", L"\u00dcberspringen"},
        {19, L"Yes to all", L"Ja zu Allem"},
        {403, L"Auto Size", L"Automatische Gr\u00f6\u00dfe"},
        {404, L"Minimise", L"Minimise"}, // no German caption: English
        {0x1000000, L"Do not show again", L"Nie wieder anzeigen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const wchar_t* caption = CTApp::GetButtonCaption(c.id);
        ASSERT_NE(caption, nullptr);
        EXPECT_STREQ(caption, german ? c.german : c.english);
    }
    EXPECT_EQ(CTApp::GetButtonCaption(12), nullptr);
    EXPECT_EQ(CTApp::GetButtonCaption(0), nullptr);
}

TEST_F(CTAppTest, HelpWithoutAFileDoesNothing)
{
    EXPECT_FALSE(app->ShowHelp(nullptr));
}

} // namespace
