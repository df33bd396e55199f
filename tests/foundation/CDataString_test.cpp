// The tagged binary stream: byte layouts, reads, failure and recovery, compression, hostile input.
#include "foundation/CDataString.h"
#include "foundation/CAttribute.h"
#include "foundation/CTTime.h"
#include "foundation/CTString.h"
#include "foundation/Lzo.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <string.h>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

Bytes Of(const CTByteArray& a)
{
    return Bytes(a.GetData(), a.GetData() + a.GetSize());
}

CDataString Raw(const Bytes& bytes)
{
    CDataString s;
    if (!bytes.empty())
        memcpy(s.Extend(static_cast<unsigned>(bytes.size())), bytes.data(), bytes.size());
    return s;
}

void PutU32(Bytes& b, unsigned v)
{
    for (int i = 0; i < 4; i++)
        b.push_back(static_cast<BYTE>(v >> (8 * i)));
}

// A compressed-block field holding the given bytes, as a writer would make it.
Bytes Block(const Bytes& content)
{
    Bytes packed(LzoWorstCaseSize(static_cast<unsigned>(content.size())));
    unsigned len = 0;
    LzoCompress(content.data(), static_cast<unsigned>(content.size()), packed.data(), &len);
    Bytes b{132};
    PutU32(b, len + 4);
    PutU32(b, static_cast<unsigned>(content.size()));
    b.insert(b.end(), packed.begin(), packed.begin() + len);
    return b;
}

std::wstring S(const CTString& s)
{
    return s.GetBuffer() ? std::wstring(s.GetBuffer(), s.GetLength()) : std::wstring();
}

struct RecordingStream : CDataString {
    std::vector<int> changes;
    void OnWrite(int sizeChange) override { changes.push_back(sizeChange); }
};

// A long stream of typical fields that compresses well.
void WriteRecords(CDataString& s, int count)
{
    for (int i = 0; i < count; i++) {
        s.WriteInt32(i);
        s.WriteString(CTString(L"Computer name in the staging sheet"));
        s.WriteInt64(1700000000000LL + i);
        s.WriteSectionMark();
    }
}

void ExpectRecords(CDataString& s, int count)
{
    for (int i = 0; i < count; i++) {
        int n = -1;
        CTString text;
        __int64 big = 0;
        int mark = 0;
        ASSERT_TRUE(s.ReadInt32(n)) << i;
        ASSERT_TRUE(s.ReadString(text)) << i;
        ASSERT_TRUE(s.ReadInt64(big)) << i;
        ASSERT_TRUE(s.ReadByte(mark)) << i;
        ASSERT_EQ(i, n);
        ASSERT_EQ(L"Computer name in the staging sheet", S(text));
        ASSERT_EQ(1700000000000LL + i, big);
        ASSERT_EQ('a', mark);
    }
    EXPECT_EQ(0, s.PeekTag());
}

} // namespace

TEST(CDataString, NewAndResetStreamsKeepTheirBlock)
{
    CDataString s;
    EXPECT_EQ(0u, s.GetSize());
    EXPECT_EQ(256u, s.GetCapacity());
    EXPECT_EQ(2048u, s.GetGrowStep());
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_TRUE(s.IsValid());
    EXPECT_EQ(129, s.GetFailureTag());

    WriteRecords(s, 100);   // 8900 bytes
    EXPECT_EQ(10240u, s.GetCapacity()) << "fixed 2048-byte steps";
    __int64 n;
    s.ReadInt64(n);
    EXPECT_TRUE(s.HasFailed());
    s.Reset();
    EXPECT_EQ(0u, s.GetSize());
    EXPECT_EQ(10240u, s.GetCapacity());
    EXPECT_FALSE(s.HasFailed());
    EXPECT_EQ(129, s.GetFailureTag());
    EXPECT_EQ(0u, s.GetReadOffset());
}

TEST(CDataString, EveryWriterProducesItsByteLayout)
{
    struct Case { const char* what; void (*write)(CDataString&); Bytes expected; };
    static const GUID guid = {0x04030201, 0x0605, 0x0807, {9, 10, 11, 12, 13, 14, 15, 16}};
    const Case cases[] = {
        {"int32", [](CDataString& s) { s.WriteInt32(7); }, {1, 7, 0, 0, 0}},
        {"int32 negative", [](CDataString& s) { s << -2; }, {1, 0xFE, 0xFF, 0xFF, 0xFF}},
        {"int64", [](CDataString& s) { s.WriteInt64(0x0102030405060708LL); }, {4, 8, 7, 6, 5, 4, 3, 2, 1}},
        {"bool low byte", [](CDataString& s) { s.WriteBool(0x1FF); }, {2, 0xFF}},
        {"bool chained", [](CDataString& s) { s << true << false; }, {2, 1, 2, 0}},
        {"section mark", [](CDataString& s) { s.WriteSectionMark(); }, {5, 0x61}},
        {"version", [](CDataString& s) { s.WriteVersion(); }, {6, 1, 0}},
        {"text", [](CDataString& s) { s.WriteText(L"ab"); }, {0x85, 4, 0, 0, 0, 0x61, 0, 0x62, 0}},
        {"null text", [](CDataString& s) { s.WriteText(nullptr); }, {0x85, 0, 0, 0, 0}},
        {"string", [](CDataString& s) { s.WriteString(CTString(L"\x20AC")); }, {0x85, 2, 0, 0, 0, 0xAC, 0x20}},
        {"string without buffer", [](CDataString& s) { s << CTString(); }, {0x85, 0, 0, 0, 0}},
        {"bytes", [](CDataString& s) { CTByteArray b; b.SetSize(2); b.SetAt(0, 1); b.SetAt(1, 2); s.WriteBytes(b); },
         {0x82, 2, 0, 0, 0, 1, 2}},
        {"guid", [](CDataString& s) { s.WriteGuid(&guid); },
         {0x82, 16, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
    };
    for (const Case& c : cases) {
        RecordingStream s;
        c.write(s);
        EXPECT_EQ(c.expected, Of(s)) << c.what;
        int total = 0;
        for (int change : s.changes)
            total += change;
        EXPECT_EQ(static_cast<int>(c.expected.size()), total) << c.what << ": OnWrite hears every byte";
    }
}

TEST(CDataString, ReadsBackEveryFieldKind)
{
    CDataString s;
    CTByteArray bytes;
    memcpy(bytes.Extend(3), "xyz", 3);
    GUID guid = {0x11223344, 0x5566, 0x7788, {1, 2, 3, 4, 5, 6, 7, 8}};
    s.WriteVersion();
    s.WriteInt32(-123456);
    s.WriteInt64(-5);
    s.WriteBool(2);
    s.WriteSectionMark();
    s.WriteText(L"H\x00E9llo");
    s.WriteBytes(bytes);
    s.WriteGuid(&guid);
    s.WriteText(L"");

    short version = 0;
    int i32 = 0;
    __int64 i64 = 0;
    bool flag = false;
    int mark = 0;
    CTString text(L"old");
    CTByteArray back;
    GUID readGuid{};
    CTString empty(L"not yet");
    s >> version >> i32 >> i64 >> flag;
    EXPECT_TRUE(s.ReadByte(mark));
    s >> text >> back;
    s.ReadGuid(&readGuid);
    s >> empty;
    EXPECT_FALSE(s.HasFailed());
    EXPECT_EQ(1, version);
    EXPECT_EQ(-123456, i32);
    EXPECT_EQ(-5, i64);
    EXPECT_TRUE(flag);
    EXPECT_EQ('a', mark);
    EXPECT_EQ(L"H\x00E9llo", S(text));
    EXPECT_EQ(Of(bytes), Of(back));
    EXPECT_EQ(0, memcmp(&guid, &readGuid, 16));
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(s.GetSize(), s.GetReadOffset());
}

TEST(CDataString, ReadsTheShortInt16AndAnsiTextForms)
{
    // 3: one byte zero-extended; 129: ANSI code page (1252 under en-GB); 133 with an odd length.
    Bytes raw = {3, 0xF0, 6, 0x34, 0x12, 129, 4, 0, 0, 0, 'G', 'r', 0xFC, 0xDF,
                 129, 0, 0, 0, 0, 133, 3, 0, 0, 0, 'A', 0, 'B'};
    CDataString s = Raw(raw);
    short a = 0, b = 0;
    CTString ansi, emptied(L"x"), odd;
    EXPECT_TRUE(s.ReadInt16(a));
    EXPECT_TRUE(s.ReadInt16(b));
    EXPECT_TRUE(s.ReadString(ansi));
    EXPECT_TRUE(s.ReadString(emptied));
    EXPECT_TRUE(s.ReadString(odd));
    EXPECT_EQ(0xF0, a);
    EXPECT_EQ(0x1234, b);
    EXPECT_EQ(L"Gr\x00FC\x00DF", S(ansi));
    EXPECT_TRUE(emptied.IsEmpty());
    EXPECT_EQ(L"A", S(odd)) << "the odd last byte is ignored";
    EXPECT_EQ(s.GetSize(), s.GetReadOffset());
}

TEST(CDataString, AMismatchFailsEveryReadUntilSeekTagClearsIt)
{
    CDataString s;
    s.WriteInt32(42);
    s.WriteText(L"next");

    __int64 wide = 99;
    EXPECT_FALSE(s.ReadInt64(wide));
    EXPECT_EQ(99, wide);
    EXPECT_TRUE(s.HasFailed());
    EXPECT_EQ(1, s.GetFailureTag());
    EXPECT_EQ(0u, s.GetFailureOffset());

    int value = -1;
    EXPECT_FALSE(s.ReadInt32(value)) << "the failure blocks even the right read";
    EXPECT_EQ(-1, value);
    EXPECT_EQ(0, s.PeekTag());
    s.Rewind();
    EXPECT_TRUE(s.HasFailed()) << "Rewind keeps the failure";

    EXPECT_FALSE(s.SeekTag(133) && !s.HasFailed()) << "another tag does not clear it";
    s.Rewind();
    EXPECT_TRUE(s.SeekTag(1));
    EXPECT_FALSE(s.HasFailed());
    EXPECT_TRUE(s.ReadInt32(value));
    EXPECT_EQ(42, value);

    CTString text;
    EXPECT_TRUE(s.ReadString(text));
    EXPECT_EQ(L"next", S(text));

    // Reading past the end records no new tag: the last one recorded clears it.
    EXPECT_FALSE(s.ReadInt32(value));
    EXPECT_TRUE(s.HasFailed());
    EXPECT_EQ(1, s.GetFailureTag());
    EXPECT_EQ(s.GetSize(), s.GetFailureOffset());
    EXPECT_TRUE(s.SeekTag(1));
    EXPECT_FALSE(s.HasFailed());

    CDataString fresh;
    EXPECT_FALSE(fresh.ReadInt32(value));
    EXPECT_EQ(129, fresh.GetFailureTag());
    EXPECT_TRUE(fresh.SeekTag(129));
    EXPECT_FALSE(fresh.HasFailed());
}

TEST(CDataString, SeekTagStepsOverFieldsAndStopsSafely)
{
    CDataString s;
    s.WriteInt32(1);
    s.WriteText(L"skip me");
    Bytes unknown = {200, 3, 0, 0, 0, 9, 9, 9};   // a tag from 128 with its own length
    memcpy(s.Extend(8), unknown.data(), 8);
    s.WriteBool(1);
    s.WriteInt64(77);

    EXPECT_TRUE(s.SeekTag(4));
    __int64 v = 0;
    EXPECT_TRUE(s.ReadInt64(v));
    EXPECT_EQ(77, v);

    s.Rewind();
    EXPECT_FALSE(s.SeekTag(6)) << "missing tag";
    EXPECT_FALSE(s.HasFailed());
    EXPECT_EQ(s.GetSize(), s.GetReadOffset());

    // An undefined tag stops the walk with a failure; a length of -5 as well.
    const Bytes stoppers[] = {{1, 0, 0, 0, 0, 9, 2, 1}, {1, 0, 0, 0, 0, 130, 0xFB, 0xFF, 0xFF, 0xFF, 2, 1}};
    for (const Bytes& raw : stoppers) {
        CDataString t = Raw(raw);
        EXPECT_FALSE(t.SeekTag(2));
        EXPECT_TRUE(t.HasFailed());
        EXPECT_EQ(5u, t.GetReadOffset());
    }
}

TEST(CDataString, CompressShortStreamsNotAndLongOnesIntoOneBlock)
{
    CDataString few;
    few.WriteInt32(1);
    few.WriteText(L"ab");
    Bytes before = Of(few);
    EXPECT_FALSE(few.Compress());
    EXPECT_EQ(before, Of(few));

    RecordingStream s;
    WriteRecords(s, 200);
    unsigned plainSize = s.GetSize();
    s.changes.clear();
    ASSERT_TRUE(s.Compress());
    EXPECT_LT(s.GetSize(), plainSize / 4);
    EXPECT_EQ(132, s.GetData()[0]);
    unsigned length, expanded;
    memcpy(&length, s.GetPtr(1), 4);
    memcpy(&expanded, s.GetPtr(5), 4);
    EXPECT_EQ(s.GetSize(), 5 + length) << "one field and nothing else";
    EXPECT_EQ(plainSize, expanded);
    ASSERT_EQ(1u, s.changes.size());
    EXPECT_EQ(static_cast<int>(s.GetSize()) - static_cast<int>(plainSize), s.changes[0]);
    EXPECT_FALSE(s.Compress()) << "nothing left to compress";

    s.Rewind();
    s.changes.clear();
    ExpectRecords(s, 200);
    EXPECT_FALSE(s.HasFailed());
    EXPECT_EQ(plainSize, s.GetSize()) << "the block was expanded in place";
    ASSERT_EQ(1u, s.changes.size());
    EXPECT_EQ(static_cast<int>(plainSize) - static_cast<int>(5 + length), s.changes[0]);
}

TEST(CDataString, CompressKeepsABlockAlreadyAtTheEnd)
{
    CDataString s;
    WriteRecords(s, 50);
    ASSERT_TRUE(s.Compress());
    Bytes tail = Of(s);

    CDataString head;
    WriteRecords(head, 80);
    unsigned headSize = head.GetSize();
    head.Append(s);
    ASSERT_TRUE(head.Compress());
    Bytes all = Of(head);
    ASSERT_GE(all.size(), tail.size());
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), all.end() - tail.size())) << "old block kept as it was";
    unsigned expanded;
    memcpy(&expanded, head.GetPtr(5), 4);
    EXPECT_EQ(headSize, expanded);

    head.Rewind();
    for (int part = 0; part < 2; part++) {
        CDataString& r = head;
        int count = part == 0 ? 80 : 50;
        for (int i = 0; i < count; i++) {
            int n = -1;
            CTString text;
            __int64 big;
            int mark;
            ASSERT_TRUE(r.ReadInt32(n) && r.ReadString(text) && r.ReadInt64(big) && r.ReadByte(mark)) << part << i;
            ASSERT_EQ(i, n);
        }
    }
    EXPECT_EQ(0, head.PeekTag());
}

TEST(CDataString, SurvivesTheTripThroughBase64)
{
    CDataString s;
    WriteRecords(s, 120);
    ASSERT_TRUE(s.Compress());
    CTString text;
    s.Base64Encode(text);

    CDataString back;
    ASSERT_TRUE(text.Base64Decode(back));
    EXPECT_EQ(Of(s), Of(back));
    ExpectRecords(back, 120);
}

TEST(CDataString, ReadGuidZeroesWithoutAFieldAndPadsAShortOne)
{
    CDataString s;
    s.WriteInt32(3);
    GUID out;
    memset(&out, 0xAA, sizeof(out));
    s.ReadGuid(&out);
    GUID zero{};
    EXPECT_EQ(0, memcmp(&zero, &out, 16));
    EXPECT_TRUE(s.HasFailed());
    EXPECT_EQ(1, s.GetFailureTag());

    CDataString shortField = Raw({130, 2, 0, 0, 0, 0x7F, 0x7E});
    memset(&out, 0xAA, sizeof(out));
    shortField.ReadGuid(&out);
    BYTE* b = reinterpret_cast<BYTE*>(&out);
    EXPECT_EQ(0x7F, b[0]);
    EXPECT_EQ(0x7E, b[1]);
    EXPECT_EQ(0, b[2]);
    EXPECT_EQ(0, b[15]);
}

// Lengths in the data are not trusted: each of these must fail cleanly, leave the output alone and
// never read past the data or allocate what the data asks for.
TEST(CDataString, HostileLengthsFailWithoutReadingPastTheData)
{
    Bytes packed = Block({1, 5, 0, 0, 0});
    Bytes corrupt = packed;
    corrupt[9] ^= 0xFF;
    corrupt[10] ^= 0x55;
    Bytes shortExpansion = packed;
    shortExpansion[5] = 6;                                  // claims 6 bytes, holds 5

    Bytes hugeLength = {130};
    PutU32(hugeLength, 0xFFFFFFFCu);                        // 5 + length wraps to 1 in 32 bits
    hugeLength.insert(hugeLength.end(), {1, 2, 3});
    Bytes textPastEnd = {133, 40, 0, 0, 0, 'a', 0};
    Bytes lengthCut = {130, 5, 0};
    Bytes blockBelowMinimum = {132, 2, 0, 0, 0, 0, 0, 0, 0, 0x11, 0, 0};
    Bytes blockHugeExpansion = {132};
    PutU32(blockHugeExpansion, 7);
    PutU32(blockHugeExpansion, 0xFFFFFFFFu);
    blockHugeExpansion.insert(blockHugeExpansion.end(), {0x11, 0, 0});
    Bytes blockTruncated(packed.begin(), packed.end() - 2);
    Bytes blockOverRatio = packed;
    blockOverRatio[5] = 0; blockOverRatio[6] = 0; blockOverRatio[7] = 0x10; blockOverRatio[8] = 0;  // 1 MB from a few bytes
    Bytes blockHeaderCut = {132, 8, 0, 0};

    struct Case { const char* what; Bytes raw; bool recordsFailure; };
    const Case cases[] = {
        {"byte length 0xFFFFFFFC", hugeLength, true},
        {"text longer than the data", textPastEnd, true},
        {"length cut off", lengthCut, true},
        {"block length below 4", blockBelowMinimum, true},
        {"block expanding to 4 GB", blockHugeExpansion, true},
        {"block beyond the data", blockTruncated, true},
        {"block expanding far beyond its bytes", blockOverRatio, true},
        {"block header cut off", blockHeaderCut, true},
        {"block with corrupt data", corrupt, false},
        {"block expanding short", shortExpansion, false},
    };
    for (const Case& c : cases) {
        CDataString s = Raw(c.raw);
        Bytes before = Of(s);
        CTByteArray bytes;
        bytes.SetSize(1);
        CTString text(L"unchanged");
        int value = 7;
        EXPECT_FALSE(s.ReadBytes(bytes)) << c.what;
        EXPECT_FALSE(s.ReadString(text)) << c.what;
        EXPECT_FALSE(s.ReadInt32(value)) << c.what;
        EXPECT_EQ(1u, bytes.GetSize()) << c.what;
        EXPECT_EQ(L"unchanged", S(text)) << c.what;
        EXPECT_EQ(7, value) << c.what;
        EXPECT_EQ(c.recordsFailure, s.HasFailed()) << c.what;
        EXPECT_EQ(0u, s.GetReadOffset()) << c.what;
        EXPECT_EQ(0, s.PeekTag()) << c.what;
        EXPECT_EQ(before, Of(s)) << c.what << ": the data is left as it was";

        // Walking over it ends at the end of the data or with a failure, never beyond.
        s.Rewind();
        s.SeekTag(2);
        EXPECT_LE(s.GetReadOffset(), s.GetSize()) << c.what;
    }
}

TEST(CDataString, ABlockThatCannotBeExpandedCanBeSteppedOver)
{
    Bytes raw = Block({1, 5, 0, 0, 0});
    raw[9] ^= 0xFF;
    raw[10] ^= 0x55;
    raw.insert(raw.end(), {1, 9, 0, 0, 0});
    CDataString s = Raw(raw);

    int value = 0;
    EXPECT_FALSE(s.ReadInt32(value));
    EXPECT_FALSE(s.HasFailed());
    EXPECT_TRUE(s.SeekTag(1));
    EXPECT_TRUE(s.ReadInt32(value));
    EXPECT_EQ(9, value);
}

TEST(CDataString, AttributesKeepTypeAndValueAndRegenerateTheirText)
{
    CDataString s;
    s.WriteAttribute(CAttribute(CAttribute::Date, static_cast<__int64>(86400)));
    s << CAttribute(CTString(L"Name"));
    s.WriteAttribute(CAttribute(CAttribute::Text2, L""));
    s.WriteAttribute(CAttribute(CAttribute::Integer, static_cast<__int64>(-9)));
    Bytes expectedText = {1, 0, 0, 0, 0, 0x85, 8, 0, 0, 0, 'N', 0, 'a', 0, 'm', 0, 'e', 0};
    Bytes all = Of(s);
    EXPECT_TRUE(std::search(all.begin(), all.end(), expectedText.begin(), expectedText.end()) != all.end());

    CAttribute date, name, empty, number;
    s >> date >> name;
    s.ReadAttribute(empty).ReadAttribute(number);
    EXPECT_FALSE(s.HasFailed());
    EXPECT_EQ(CAttribute::Date, date.GetType());
    EXPECT_EQ(86400, date.GetValue());
    CTString dateText;
    int32_t day = 86400;
    FormatUnixDate(&day, dateText);
    EXPECT_FALSE(dateText.IsEmpty());
    EXPECT_STREQ(dateText.GetBuffer(), date.GetText()) << "the date text is made again";
    EXPECT_EQ(0, name.GetType());
    EXPECT_STREQ(L"Name", name.GetText());
    EXPECT_EQ(7, empty.GetType());
    EXPECT_STREQ(L"", empty.GetText());
    EXPECT_EQ(-9, number.GetValue());
    EXPECT_STREQ(L"-9", number.GetText());

    CDataString nothing;
    CAttribute fromNothing(CAttribute::Integer, static_cast<__int64>(5));
    nothing.ReadAttribute(fromNothing);
    EXPECT_EQ(0, fromNothing.GetType());
    EXPECT_STREQ(L"", fromNothing.GetText());
    EXPECT_TRUE(nothing.HasFailed());

    CAttribute untouched(CAttribute::Integer, static_cast<__int64>(5));
    nothing.ReadAttribute(untouched);
    EXPECT_EQ(5, untouched.GetValue()) << "a stream already failed leaves the output alone";
}
