// Byte layouts: the route record, the message bag and its record, the HTTP text parser, the
// certificate record.
#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "session/TxRx.h"
#include "session/DBEvents.h"
#include "session/RequestRoute.h"
#include "session/CHTTP.h"
#include "session/CCertificateInfo.h"
#include "session/CWinHttp2.h"
#include "foundation/CAttribute.h"

namespace {

std::vector<BYTE> Bytes(const CTByteArray& a)
{
    return std::vector<BYTE>(a.GetData(), a.GetData() + a.GetSize());
}

std::vector<BYTE> Hex(const char* text)
{
    std::vector<BYTE> out;
    for (const char* p = text; *p;) {
        if (*p == ' ') { ++p; continue; }
        unsigned v = 0;
        sscanf(p, "%2x", &v);
        out.push_back(static_cast<BYTE>(v));
        p += 2;
    }
    return out;
}

std::wstring Str(const CTString& s) { return s.GetBuffer() ? s.GetBuffer() : L""; }

} // namespace

TEST(RequestRoute, AllZeroRouteIsTheDocumented44Bytes)
{
    CDataString stream;
    stream.WriteInt32(99);   // WriteRoute starts afresh
    WriteRoute(stream, RequestRoute{});
    EXPECT_EQ(Hex("01 00000000 04 0000000000000000 01 00000000 04 0000000000000000 01 00000000 04 0000000000000000 02 00"),
              Bytes(stream));
}

TEST(RequestRoute, RoundTripsEveryField)
{
    RequestRoute route;
    route.targetType = 0xffff;
    route.targetKey = 0x1122334455667788ull;
    route.consoleType = 1009;
    route.consoleKey = -2;
    route.requestId = 1051;
    route.param2 = 7;
    route.silent = true;
    CDataString stream;
    WriteRoute(stream, route);
    ASSERT_EQ(44u, stream.GetSize());
    EXPECT_EQ(Hex("01 ffff0000 04 8877665544332211 01 f1030000 04 feffffffffffffff 01 1b040000 04 0700000000000000 02 01"),
              Bytes(stream));
    RequestRoute back;
    back.requestId = 5;
    stream.Rewind();
    ReadRoute(stream, back);
    EXPECT_EQ(0xffff, back.targetType);
    EXPECT_EQ(0x1122334455667788ull, back.targetKey);
    EXPECT_EQ(1009, back.consoleType);
    EXPECT_EQ(-2, back.consoleKey);
    EXPECT_EQ(1051, back.requestId);
    EXPECT_EQ(7, back.param2);
    EXPECT_TRUE(back.silent);
}

TEST(RequestRoute, ShortOrForeignRecordReadsZeros)
{
    RequestRoute route;
    route.targetType = 3;
    route.requestId = 1041;
    route.param2 = 9;
    route.silent = true;
    CDataString full;
    WriteRoute(full, route);
    // Cut after the request id (33 bytes).
    CDataString cut;
    cut.SetSize(33);
    memcpy(cut.GetData(), full.GetData(), 33);
    RequestRoute back;
    back.param2 = 55;
    back.silent = true;
    ReadRoute(cut, back);
    EXPECT_EQ(3, back.targetType);
    EXPECT_EQ(1041, back.requestId);
    EXPECT_EQ(0, back.param2);
    EXPECT_FALSE(back.silent);

    // A foreign record: the first field has the wrong kind, so everything reads 0.
    CDataString foreign;
    foreign.WriteInt64(12);
    foreign.WriteInt32(5);
    RequestRoute zero;
    zero.requestId = 4;
    ReadRoute(foreign, zero);
    EXPECT_EQ(0, zero.targetType);
    EXPECT_EQ(0, zero.requestId);
}

TEST(TxRx, KeysOrderEmptyThenIntegersUnsignedThenTexts)
{
    TxRx bag;
    bag.SetInt64(TxRxKey(L"1"), 10);
    bag.SetInt64(TxRxKey(2147483648u), 20);
    bag.SetInt64(TxRxKey(1u), 30);
    bag.SetInt64(TxRxKey(L"a"), 40);
    EXPECT_EQ(4u, bag.m_map.size());   // integer 1 and text "1" are different entries
    std::vector<unsigned __int64> order;
    for (auto& [key, value] : bag.m_map) {
        (void)key;
        order.push_back(value.AsInt());
    }
    EXPECT_EQ((std::vector<unsigned __int64>{30, 20, 10, 40}), order);
}

TEST(TxRx, TypedGettersFollowTheKinds)
{
    TxRx bag;
    bag.SetInt64(1u, 0x1234567890ull);
    unsigned low = 0;
    EXPECT_TRUE(bag.GetInt(1u, low));
    EXPECT_EQ(0x34567890u, low);

    bag.SetAttribute(2u, CAttribute(CAttribute::ByteSize, static_cast<__int64>(4096)));
    EXPECT_FALSE(bag.GetInt(2u, low));
    EXPECT_EQ(4096u, bag.GetValue(2u).AsInt());

    bag.SetText(3u, CTString(L"hello"));
    EXPECT_EQ(L"hello", Str(bag.GetValue(3u).AsText()));
    EXPECT_EQ(0u, bag.GetValue(3u).AsInt());

    // Reading a missing key through GetValue creates an empty entry.
    EXPECT_FALSE(bag.Has(9u));
    EXPECT_EQ(0, bag.GetValue(9u).m_kind);
    EXPECT_TRUE(bag.Has(9u));
    __int64 big = 5;
    EXPECT_FALSE(bag.GetInt64(9u, big));
    EXPECT_EQ(5, big);
}

TEST(TxRx, SetBytesAndSwapBytesAreDifferentForms)
{
    TxRx bag;
    CTByteArray data;
    memcpy(data.Extend(3), "abc", 3);
    bag.SetBytes(1u, data);
    CTByteArray out;
    EXPECT_TRUE(bag.GetBytes(1u, out));
    EXPECT_EQ(Bytes(data), Bytes(out));

    CTByteArray moved;
    memcpy(moved.Extend(4), "wxyz", 4);
    const BYTE* block = moved.GetData();
    bag.SwapBytes(2u, moved);
    EXPECT_EQ(0u, moved.GetSize());   // moved, not copied
    CTByteArray untouched;
    memcpy(untouched.Extend(1), "q", 1);
    EXPECT_TRUE(bag.GetBytes(2u, untouched));   // bare bytes are no framed field
    EXPECT_EQ(std::vector<BYTE>{'q'}, Bytes(untouched));
    CTByteArray back;
    bag.SwapBytes(2u, back);
    EXPECT_EQ(block, back.GetData());
    EXPECT_EQ((std::vector<BYTE>{'w', 'x', 'y', 'z'}), Bytes(back));
    EXPECT_TRUE(bag.Has(2u));
}

TEST(TxRx, RecordRoundTripAndLayout)
{
    DBSlot slot;
    slot.SetInt64(1u, 77);
    slot.SetInt64(2u, 3);
    slot.SetInt64(3u, 10);
    slot.SetText(L"k", CTString(L"v"));
    CDataString stream;
    WriteTxRx(stream, slot);
    const BYTE* p = stream.GetData();
    // Version, then the class id in GUID memory order, then the count.
    EXPECT_EQ(Hex("06 0100 82 10000000 f326bc82 768e 0b44 8c5669e5f6f67c58 01 04000000"),
              std::vector<BYTE>(p, p + 3 + 21 + 5));
    // First entry: key 1, kind 6, payload = the int64 field.
    EXPECT_EQ(Hex("01 01000000 01 06000000 82 09000000 04 4d00000000000000"),
              std::vector<BYTE>(p + 29, p + 29 + 24));

    TxRx plain;   // the stored class id is ignored
    plain.SetInt64(99u, 1);
    stream.Rewind();
    ReadTxRx(stream, plain);
    EXPECT_FALSE(plain.Has(99u));
    __int64 v = 0;
    EXPECT_TRUE(plain.GetInt64(1u, v));
    EXPECT_EQ(77, v);
    EXPECT_TRUE(plain.GetInt64(3u, v));
    EXPECT_EQ(10, v);
    EXPECT_EQ(L"v", Str(plain.GetValue(L"k").AsText()));
    EXPECT_EQ(GUID{}, plain.GetTypeId());
}

TEST(TxRx, RecordWithUnknownVersionReadsEmpty)
{
    CDataString stream;
    stream.WriteVersion();
    stream.GetData()[1] = 2;
    GUID id{};
    stream.WriteGuid(&id);
    stream.WriteInt32(0);
    TxRx bag;
    bag.SetInt64(1u, 1);
    ReadTxRx(stream, bag);
    EXPECT_TRUE(bag.m_map.empty());
}

TEST(TxRx, ClassIds)
{
    auto bytes = [](const GUID& g) {
        const BYTE* p = reinterpret_cast<const BYTE*>(&g);
        return std::vector<BYTE>(p, p + 16);
    };
    EXPECT_EQ(Hex("ce dd 65 05 0b 2b e0 4c b3 21 e0 75 00 21 ea 1b"), bytes(DBEvent().GetTypeId()));
    EXPECT_EQ(Hex("8f6b09bf c599 fc45 bc693a4e05ed2459"), bytes(DBNewObjEvent().GetTypeId()));
    EXPECT_EQ(Hex("b1d3cd81 3f6e e440 85ef72c6c6784328"), bytes(CWinHttp2::ReqEvent().GetTypeId()));
    EXPECT_EQ(Hex("0d1725ea 60c7 0d4a b57999a2c3a27863"), bytes(CWinHttp2::HttpEvent().GetTypeId()));
    EXPECT_EQ(Hex("9a314041 4b90 a445 a435895a85eac3ed"), bytes(CWinHttp2::MsgAvailable().GetTypeId()));
    EXPECT_EQ(std::vector<BYTE>(16, 0), bytes(TxRx().GetTypeId()));
}

namespace {

void SetRaw(CHTTP& http, const wchar_t* text)
{
    unsigned bytes = static_cast<unsigned>(wcslen(text) * 2);
    http.SetSize(bytes);
    memcpy(http.GetData(), text, bytes);
}

} // namespace

TEST(CHTTP, StartLineTable)
{
    struct Case { const wchar_t* line; int method; const wchar_t* path; int status; const wchar_t* text; int cls; };
    const Case cases[] = {
        {L"HTTP/1.1 404 Not Found\r\n\r\n", 0, L"404", 404, L"Not Found", 9},
        {L"HTTP/1.1 200 OK\r\n\r\n", 0, L"200", 200, L"OK", 2},
        {L"HTTP/1.1 206 Partial Content\r\n\r\n", 0, L"206", 206, L"Partial Content", 16},
        {L"HTTP/1.1 418 I'm a teapot\r\n\r\n", 0, L"418", 418, L"I'm a teapot", 17},
        {L"GET /x HTTP/1.1\r\n\r\n", 2, L"/x", 0, L"HTTP/1.1", 0},
        {L"post /api/a.php HTTP/1.1\r\n\r\n", 4, L"/api/a.php", 0, L"HTTP/1.1", 0},
        {L"HTTP/1.1 abc\r\n\r\n", 0, L"abc", 0, L"", 0},
    };
    for (const Case& c : cases) {
        CHTTP http;
        SetRaw(http, c.line);
        http.Parse();
        EXPECT_EQ(c.method, http.m_method) << c.line;
        EXPECT_EQ(c.path, Str(http.m_path)) << c.line;
        EXPECT_EQ(c.status, http.m_statusCode) << c.line;
        EXPECT_EQ(c.text, Str(http.m_statusText)) << c.line;
        EXPECT_EQ(c.cls, http.GetStatusClass()) << c.line;
    }
}

TEST(CHTTP, RepeatedHeadersKeepTheirOrderAndNamesIgnoreCase)
{
    CHTTP http;
    SetRaw(http, L"HTTP/1.1 200 OK\r\nSet-Cookie: SID=1\r\ncontent-type:   application/xml  \r\n"
                 L"Set-Cookie: LANG=en gb\r\n: skipped\r\nX-Empty:\r\n\r\n");
    http.Parse();
    CTString out(L"unchanged");
    EXPECT_TRUE(http.GetHeader(29, out, 1));
    EXPECT_EQ(L"SID=1", Str(out));
    EXPECT_TRUE(http.GetHeader(29, out, 2));
    EXPECT_EQ(L"LANG=en gb", Str(out));
    out = L"unchanged";
    EXPECT_FALSE(http.GetHeader(29, out, 3));
    EXPECT_EQ(L"unchanged", Str(out));
    EXPECT_TRUE(http.GetHeader(38, out));
    EXPECT_EQ(L"application/xml", Str(out));
    EXPECT_FALSE(http.GetHeader(50, out));
    EXPECT_FALSE(http.GetHeader(51, out));
    EXPECT_EQ(4u, http.m_headers.GetCount());
}

TEST(CHTTP, BodyRules)
{
    // Content-Length matching the rest exactly: body complete.
    CHTTP exact;
    SetRaw(exact, L"HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nab");   // "ab" is 4 bytes of UTF-16
    exact.Parse();
    EXPECT_TRUE(exact.m_complete);
    EXPECT_EQ(4u, exact.m_body.GetSize());

    CHTTP mismatch;
    SetRaw(mismatch, L"HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nab");
    mismatch.Parse();
    EXPECT_FALSE(mismatch.m_complete);
    EXPECT_EQ(0u, mismatch.m_body.GetSize());

    CHTTP get;
    SetRaw(get, L"GET / HTTP/1.1\r\nHost: x\r\n\r\n");
    get.Parse();
    EXPECT_TRUE(get.m_complete);

    CHTTP post;
    SetRaw(post, L"POST / HTTP/1.1\r\nHost: x\r\n\r\n");
    post.Parse();
    EXPECT_FALSE(post.m_complete);

    // Chunked: sizes count bytes of the raw text.
    CHTTP chunked;
    SetRaw(chunked, L"HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n4\r\nab\r\n2\r\nc\r\n0\r\n\r\n");
    chunked.Parse();
    EXPECT_TRUE(chunked.m_complete);
    ASSERT_EQ(6u, chunked.m_body.GetSize());
    EXPECT_EQ(0, memcmp(chunked.m_body.GetData(), L"abc", 6));
}

TEST(CHTTP, ParsesOnlyAfterTheBytesChange)
{
    CHTTP http;
    SetRaw(http, L"HTTP/1.1 500 Error\r\n\r\n");
    http.Parse();
    EXPECT_EQ(500, http.m_statusCode);
    http.m_statusCode = 1;
    http.Parse();   // nothing changed: no parse
    EXPECT_EQ(1, http.m_statusCode);
    http.SetSize(http.GetSize());   // same size still counts as a change
    http.Parse();
    EXPECT_EQ(500, http.m_statusCode);
    EXPECT_STREQ(L"Set-Cookie", CHTTP::HeaderName(29));
    EXPECT_STREQ(L"Content-Disposition", CHTTP::HeaderName(50));
    EXPECT_STREQ(L"CONNECT", CHTTP::MethodName(8));
    EXPECT_EQ(nullptr, CHTTP::MethodName(9));
}

TEST(CCertificateInfo, GetTextTakesTheLastLine)
{
    CCertificateInfo info;
    info.SetText(L"SUBJECT", CTString(L"GB\r\nCounty\r\nTown\r\nOrg\r\n  \"host.example\" \r\n"));
    EXPECT_EQ(L"host.example", Str(info.GetText(L"SUBJECT")));
    EXPECT_EQ(L"", Str(info.GetText(L"ISSUER")));
}

TEST(CCertificateInfo, CompareByIdThenContentWithoutServerId)
{
    CCertificateInfo a, b;
    for (CCertificateInfo* c : {&a, &b}) {
        c->SetNumber(L"ID", 5);
        c->SetText(L"SUBJECT", CTString(L"x"));
    }
    a.SetNumber(L"SERVERID", 1);
    b.SetNumber(L"SERVERID", 2);
    EXPECT_EQ(0, a.Compare(&b));
    b.SetText(L"SUBJECT", CTString(L"y"));
    EXPECT_EQ(1, a.Compare(&b));
    b.SetNumber(L"ID", 6);
    EXPECT_EQ(2, a.Compare(&b));
    CCertificateInfo none1, none2;
    EXPECT_EQ(0, none1.Compare(&none2));
}

TEST(CCertificateInfo, ItemRecordRoundTrip)
{
    CCertificateInfo info;
    info.SetText(L"SUBJECT", CTString(L"a\r\nb"));
    info.Set(L"STARTS", CAttribute(CAttribute::DateTime, static_cast<__int64>(1700000000)));
    info.SetNumber(L"BITNESS", 256);
    info.m_header4 = 0x100000002ll;
    CSLItem item;
    info.WriteTo(item);
    EXPECT_EQ(1 + 3 * 4u, item.GetFieldCount());
    // Directory: count entry, then the name of the first value (UTF-16 at data offset 0).
    EXPECT_EQ(Hex("03 00 0000 03000000 08 00 0000 00000000"), std::vector<BYTE>(item.m_fields.GetData(), item.m_fields.GetData() + 16));
    EXPECT_EQ(0, memcmp(item.m_data.GetData(), L"SUBJECT", 16));   // with its two-byte zero

    CCertificateInfo back;
    back.SetText(L"OLD", CTString(L"gone"));
    back.ReadFrom(item);
    EXPECT_TRUE(back.Equals(info));
    EXPECT_EQ(nullptr, back.Find(L"OLD"));
    EXPECT_EQ(0, back.m_header1);
    EXPECT_EQ(1, back.m_header2);
    EXPECT_EQ(1, back.m_header3);
    EXPECT_EQ(0x100000002ll, back.m_header4);
    CAttribute starts;
    ASSERT_TRUE(back.Get(L"STARTS", starts));
    EXPECT_EQ(CAttribute::DateTime, starts.GetType());
    EXPECT_EQ(1700000000, starts.GetValue());
}

TEST(CSLFile, CloseReplacesThroughTheTemporaryFile)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring base = std::wstring(folder) + L"qel_slfile_test.dat";
    auto write = [](const std::wstring& name, const char* text) {
        HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD n = 0;
        WriteFile(h, text, static_cast<DWORD>(strlen(text)), &n, nullptr);
        CloseHandle(h);
    };
    auto read = [](const std::wstring& name) {
        HANDLE h = CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return std::string("<none>");
        char buffer[64] = {};
        DWORD n = 0;
        ReadFile(h, buffer, 63, &n, nullptr);
        CloseHandle(h);
        return std::string(buffer, n);
    };
    write(base, "old");
    write(base + L".previous", "older");
    write(base + L".tmpwrite", "new");

    CSLFile file;
    file.m_name = base.c_str();
    file.m_file = CreateFileW((base + L".tmpwrite").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    file.m_writtenThroughTemp = true;
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(3u, file.m_size);
    EXPECT_EQ("new", read(base));
    EXPECT_EQ("old", read(base + L".previous"));
    EXPECT_EQ("<none>", read(base + L".tmpwrite"));

    CSLFile readOnly;   // only read: nothing moves
    readOnly.m_name = base.c_str();
    EXPECT_FALSE(readOnly.Close());
    EXPECT_EQ("new", read(base));
    DeleteFileW(base.c_str());
    DeleteFileW((base + L".previous").c_str());
}
