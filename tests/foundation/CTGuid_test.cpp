// Identifiers and their registry text form.
#include "foundation/CTGuid.h"
#include "foundation/CTString.h"
#include <gtest/gtest.h>

namespace {
const GUID kSample = {0x6B29FC40, 0xCA47, 0x1067, {0xB3, 0x1D, 0x00, 0xDD, 0x01, 0x06, 0x62, 0xDA}};
}

TEST(CTGuid, ToStringGivesTheRegistryForm)
{
    CTGuid id(kSample);
    CTString text;
    ASSERT_TRUE(id.ToString(text));
    EXPECT_STREQ(L"6B29FC40-CA47-1067-B31D-00DD010662DA", text.GetBuffer());
    EXPECT_EQ(36u, text.GetLength());

    CTString kept(L"kept");
    CTGuid null;
    EXPECT_TRUE(null.IsNull());
    EXPECT_FALSE(null.ToString(kept));
    EXPECT_STREQ(L"kept", kept.GetBuffer());
}

TEST(CTGuid, AssignmentCompareAndClear)
{
    CTGuid id;
    id = &kSample;
    EXPECT_TRUE(id.Equals(kSample));
    id = static_cast<const GUID*>(nullptr);
    EXPECT_TRUE(id.Equals(kSample));

    CTGuid copy(id);
    EXPECT_TRUE(copy.Equals(kSample));
    EXPECT_EQ(0, memcmp(static_cast<GUID*>(copy), &kSample, sizeof(GUID)));

    GUID other = kSample;
    other.Data4[7] ^= 1;
    EXPECT_FALSE(copy.Equals(other));

    copy.Clear();
    EXPECT_TRUE(copy.IsNull());
    EXPECT_FALSE(id.IsNull());
}
