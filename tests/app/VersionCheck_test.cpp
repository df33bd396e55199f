#include <gtest/gtest.h>

#include "app/VersionCheck.h"

namespace {

struct Case {
    const wchar_t* attribute;
    const wchar_t* own;
    VersionCheck::Outcome expected;
};

} // namespace

TEST(VersionCheck, JudgesEachVersionAgainstTheServerRange)
{
    const Case cases[] = {
        {L"4.1.0.0 4.1.51.3", L"4.1.51.3", VersionCheck::Current},
        {L"4.1.0.0 4.1.51.3", L"4.1.40.0", VersionCheck::UpdateAvailable},
        {L"4.1.0.0 4.1.51.3", L"4.1.0.0", VersionCheck::UpdateAvailable},
        {L"4.1.0.0 4.1.51.3", L"4.0.9.9", VersionCheck::UpgradeRequired},
        {L"4.1.0.0 4.1.51.3", L"4.2.0.0", VersionCheck::PreviousRequired},
        // One token: the range is that one version.
        {L"4.1.0.0", L"4.1.0.0", VersionCheck::Current},
        {L"4.1.0.0", L"4.1.0.1", VersionCheck::PreviousRequired},
        {L"4.1.0.0", L"4.0.0.0", VersionCheck::UpgradeRequired},
        // Repeated blanks separate the same way.
        {L"  4.1.0.0   4.1.51.3 ", L"4.1.51.3", VersionCheck::Current},
        // Missing parts read as 0.
        {L"4.1 4.2", L"4.2.0.0", VersionCheck::Current},
        // No range named: every console passes instead of being locked out.
        {L"", L"4.1.51.3", VersionCheck::Current},
        {L"   ", L"0.0.0.1", VersionCheck::Current},
        {nullptr, L"9.9.9.9", VersionCheck::Current},
    };
    for (const Case& c : cases) {
        VersionCheck check;
        check.ReadRange(CTString(c.attribute));
        EXPECT_EQ(c.expected, check.Judge(FileVersionNumber(CTString(c.own))))
            << (c.attribute ? c.attribute : L"(none)") << " / " << c.own;
    }
}

TEST(VersionCheck, MessagesNameBothVersions)
{
    CTString text, caption;
    UINT type = 0;
    FileVersionNumber own(4, 0, 9, 9), max(4, 1, 51, 3);

    VersionCheck::BuildMessage(VersionCheck::UpgradeRequired, own, max, text, caption, type);
    EXPECT_STREQ(L"Incompatible Version", caption.GetBuffer());
    EXPECT_EQ(49u, type);
    EXPECT_STREQ(L"Upgrade console version required\r\n\r\nThis version: \t4.0.9.9\r\n"
                 L"Required version: \t4.1.51.3\r\n\r\nDownload Now?",
                 text.GetBuffer());

    VersionCheck::BuildMessage(VersionCheck::PreviousRequired, FileVersionNumber(4, 2, 0, 0), max, text, caption,
                               type);
    EXPECT_EQ(0, text.Find(CTString(L"Previous console version required\r\n\r\n")));

    VersionCheck::BuildMessage(VersionCheck::UpdateAvailable, FileVersionNumber(4, 1, 40, 0), max, text, caption,
                               type);
    EXPECT_STREQ(L"Update Available", caption.GetBuffer());
    EXPECT_EQ(65u, type);
    EXPECT_STREQ(L"Console update available for download\r\n\r\nThis version: \t4.1.40.0\r\n"
                 L"Update version: \t4.1.51.3\r\n\r\n",
                 text.GetBuffer());

    VersionCheck::BuildMessage(VersionCheck::Current, own, max, text, caption, type);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(0u, type);
}
