// The back/forward history: visits, Back and Forward walks, closing entries around the cursor
// (including the entry under the cursor at the first place), and the setup-rights mask of console types.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ConsoleTypes.h"
#include "app/PaneHistory.h"

namespace {

PaneKey Key(int type, __int64 key = 0) { return PaneKey(0xffff, 0, type, key); }

// A visit as ShowConsole records it: the previous pane, then the new one, cursor on the last.
void Visit(PaneHistory& h, const PaneKey* previous, const PaneKey& next)
{
    if (previous) h.Push(*previous);
    h.Push(next);
    h.SetCursorToLast();
}

// "1009,1012,1031@1": the entries' console types and the cursor index ("@end" at the end position).
std::string Describe(const PaneHistory& h)
{
    std::string out;
    for (const PaneKey& e : h.m_entries) {
        if (!out.empty()) out += ",";
        out += std::to_string(e.consoleType);
        if (e.consoleKey) out += ":" + std::to_string(e.consoleKey);
    }
    out += h.IsAtEnd() ? "@end" : "@" + std::to_string(h.m_cursor);
    return out;
}

// Runs "v<type>" visits (from the pane at the cursor), "b" Back, "f" Forward, "c<type>" close.
std::string RunSteps(const std::vector<std::string>& steps)
{
    PaneHistory h;
    PaneKey shown;
    bool any = false;
    for (const std::string& s : steps) {
        if (s[0] == 'v') {
            PaneKey next = Key(std::stoi(s.substr(1)));
            Visit(h, any ? &shown : nullptr, next);
            shown = next;
            any = true;
        } else if (s == "b") {
            if (h.Back()) shown = *h.CursorOrLast();
        } else if (s == "f") {
            if (h.Forward()) shown = *h.CursorOrLast();
        } else if (s[0] == 'c') {
            h.Remove(std::stoi(s.substr(1)), 0);
            if (const PaneKey* now = h.CursorOrLast()) shown = *now;
        }
    }
    return Describe(h);
}

TEST(PaneHistory, Walks)
{
    struct Case {
        std::vector<std::string> steps;
        const char* expected;
    } cases[] = {
        {{}, "@end"},
        {{"v1000"}, "1000@0"},
        {{"v1009", "v1012"}, "1009,1012@1"},
        // A, B, A again: B, A with the cursor on A.
        {{"v1009", "v1012", "v1009"}, "1012,1009@1"},
        {{"v1009", "v1012", "v1031", "b"}, "1009,1012,1031@1"},
        {{"v1009", "v1012", "v1031", "b", "b"}, "1009,1012,1031@0"},
        // Back at the first entry and Forward at the last do nothing.
        {{"v1009", "v1012", "v1031", "b", "b", "b"}, "1009,1012,1031@0"},
        {{"v1009", "v1012", "f"}, "1009,1012@1"},
        {{"v1009", "v1012", "v1031", "b", "b", "f"}, "1009,1012,1031@1"},
        // A visit from the middle moves the pane left to the end, just before the new one.
        {{"v1009", "v1012", "v1031", "b", "v1002"}, "1009,1031,1012,1002@3"},
    };
    for (const Case& c : cases) EXPECT_EQ(RunSteps(c.steps), c.expected) << ::testing::PrintToString(c.steps);
}

TEST(PaneHistory, ClosingEntries)
{
    struct Case {
        std::vector<std::string> steps;
        const char* expected;
    } cases[] = {
        // The cursor's entry closes: the previous entry is on show.
        {{"v1009", "v1012", "v1031", "c1031"}, "1009,1012@1"},
        {{"v1009", "v1012", "v1031", "b", "c1012"}, "1009,1031@0"},
        // An entry before the cursor closes: the index stays, so the cursor stands one entry on.
        {{"v1009", "v1012", "v1031", "b", "c1009"}, "1012,1031@1"},
        {{"v1009", "v1012", "v1031", "c1009"}, "1012,1031@end"},
        // An entry after the cursor closes: the cursor keeps its entry.
        {{"v1009", "v1012", "v1031", "b", "b", "c1031"}, "1009,1012@0"},
        // The cursor's entry at the first place closes: the cursor stays at the start, on the
        // entry that followed, never before the first entry.
        {{"v1009", "v1012", "v1031", "b", "b", "c1009"}, "1012,1031@0"},
        {{"v1009", "c1009"}, "@end"},
        // A key that is not in the history changes nothing.
        {{"v1009", "v1012", "c1040"}, "1009,1012@1"},
    };
    for (const Case& c : cases) EXPECT_EQ(RunSteps(c.steps), c.expected) << ::testing::PrintToString(c.steps);
}

TEST(PaneHistory, ClosingTheFirstCursorEntryLeavesUsableNavigation)
{
    PaneHistory h;
    Visit(h, nullptr, Key(1009));
    Visit(h, &h.m_entries.back(), Key(1012));
    ASSERT_TRUE(h.Back());
    h.Remove(1009, 0);
    ASSERT_EQ(h.Size(), 1u);
    ASSERT_NE(h.CursorOrLast(), nullptr);
    EXPECT_EQ(h.CursorOrLast()->consoleType, 1012);
    EXPECT_FALSE(h.CanGoBack());
    EXPECT_FALSE(h.CanGoForward());
    h.Remove(1012, 0);
    EXPECT_TRUE(h.IsEmpty());
    EXPECT_EQ(h.CursorOrLast(), nullptr);
    EXPECT_FALSE(h.Back());
}

TEST(PaneHistory, EntriesDifferByKeyAndCloseByExactKey)
{
    PaneHistory h;
    Visit(h, nullptr, Key(1029, 5));
    Visit(h, &h.m_entries.back(), Key(1029, 6));
    Visit(h, &h.m_entries.back(), Key(1029, 5));
    EXPECT_EQ(Describe(h), "1029:6,1029:5@1");
    h.Remove(1029, 0); // key 0 is not a wildcard here
    EXPECT_EQ(Describe(h), "1029:6,1029:5@1");
    h.Remove(1029, 6);
    EXPECT_EQ(Describe(h), "1029:5@end");
}

TEST(PaneHistory, ButtonsFollowTheCursor)
{
    PaneHistory h;
    EXPECT_FALSE(h.CanGoBack());
    EXPECT_FALSE(h.CanGoForward());
    Visit(h, nullptr, Key(1009));
    EXPECT_FALSE(h.CanGoBack());
    EXPECT_FALSE(h.CanGoForward());
    Visit(h, &h.m_entries.back(), Key(1012));
    EXPECT_TRUE(h.CanGoBack());
    EXPECT_FALSE(h.CanGoForward());
    h.Back();
    EXPECT_FALSE(h.CanGoBack());
    EXPECT_TRUE(h.CanGoForward());
}

TEST(ConsoleTypes, SetupRightsMask)
{
    std::vector<int> refused;
    for (int type = 990; type <= 1080; ++type)
        if (NeedsSetupRights(type)) refused.push_back(type);
    EXPECT_EQ(refused, (std::vector<int>{1015, 1016, 1017, 1018, 1022, 1036, 1041, 1042, 1060}));
}

TEST(ConsoleTypes, PanesAndTabs)
{
    const int noPane[] = {999, 1011, 1018, 1025, 1044, 1050, 1053, 1058, 1060, 1064, 1065, 1068};
    for (int type : noPane) EXPECT_EQ(ConsolePaneClassName(type), nullptr) << type;
    EXPECT_STREQ(ConsolePaneClassName(1029), L"DlgDeployment");
    EXPECT_STREQ(ConsolePaneClassName(1067), L"DlgRequest");
    std::vector<int> tabs;
    for (int type = 1000; type <= 1067; ++type)
        if (IsTabConsoleType(type)) tabs.push_back(type);
    EXPECT_EQ(tabs, (std::vector<int>{1015, 1016, 1017, 1019, 1020, 1021, 1022, 1024, 1041, 1042, 1059}));
}

} // namespace
