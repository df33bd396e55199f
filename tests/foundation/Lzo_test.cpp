// LZO wrappers: round trips, reference vectors made by the native library, damaged input.
#include "foundation/Lzo.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

std::wstring FixturePath(const wchar_t* name)
{
    wchar_t root[MAX_PATH] = {};
    GetEnvironmentVariableW(L"QEL_SOURCE_DIR", root, MAX_PATH);
    std::wstring path = std::wstring(L"Z:") + root + L"/tests/fixtures/lzo/" + name;
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

bool ReadFixture(const wchar_t* name, Bytes& out)
{
    HANDLE file = CreateFileW(FixturePath(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD size = GetFileSize(file, nullptr);
    out.assign(size, 0);
    DWORD read = 0;
    bool ok = size == 0 || (ReadFile(file, out.data(), size, &read, nullptr) && read == size);
    CloseHandle(file);
    return ok;
}

Bytes Compress(const Bytes& in, bool* shorter = nullptr)
{
    Bytes out(LzoWorstCaseSize(static_cast<unsigned>(in.size())));
    unsigned len = 0;
    bool result = LzoCompress(in.data(), static_cast<unsigned>(in.size()), out.data(), &len);
    if (shorter)
        *shorter = result;
    EXPECT_LE(len, out.size());
    out.resize(len);
    return out;
}

bool Expand(const Bytes& packed, unsigned capacity, Bytes& out)
{
    out.assign(capacity, 0);
    unsigned len = capacity;
    bool ok = LzoDecompress(packed.data(), static_cast<unsigned>(packed.size()), out.data(), &len);
    out.resize(ok ? len : 0);
    return ok;
}

Bytes Pseudorandom(size_t n, unsigned seed)
{
    Bytes b(n);
    for (size_t i = 0; i < n; i++) {
        seed = seed * 1103515245u + 12345u;
        b[i] = static_cast<BYTE>(seed >> 16);
    }
    return b;
}

Bytes Repetitive(size_t n)
{
    static const char pattern[] = "Schedule group 12, slot 4; ";
    Bytes b(n);
    for (size_t i = 0; i < n; i++)
        b[i] = static_cast<BYTE>(pattern[i % (sizeof(pattern) - 1)] + (i / 5000) % 3);
    return b;
}

} // namespace

TEST(Lzo, WorstCaseSize)
{
    EXPECT_EQ(19u, LzoWorstCaseSize(0));
    EXPECT_EQ(669u, LzoWorstCaseSize(640));
    EXPECT_EQ(0xFFFFFFFFu, LzoWorstCaseSize(0xFFFFFF00u));
}

TEST(Lzo, RoundTripsAcrossSizesAndBlockBoundaries)
{
    const size_t sizes[] = {0, 1, 2, 49151, 49152, 49153, 1 << 20};
    for (size_t n : sizes) {
        for (int kind = 0; kind < 2; kind++) {
            Bytes in = kind ? Pseudorandom(n, static_cast<unsigned>(n)) : Repetitive(n);
            bool shorter = false;
            Bytes packed = Compress(in, &shorter);
            EXPECT_EQ(shorter, packed.size() < in.size()) << n;
            if (kind == 0 && n > 100) {
                EXPECT_TRUE(shorter) << "repetitive input compresses, size " << n;
            }
            if (kind == 1 && n > 0) {
                EXPECT_FALSE(shorter) << "random input does not compress, size " << n;
            }
            Bytes out;
            ASSERT_TRUE(Expand(packed, static_cast<unsigned>(n), out)) << n << " kind " << kind;
            EXPECT_TRUE(out == in) << n << " kind " << kind;
        }
    }
}

TEST(Lzo, EmptyInputGivesTheEndMarkerAndReportsNoGain)
{
    bool shorter = true;
    Bytes packed = Compress(Bytes(), &shorter);
    EXPECT_FALSE(shorter);
    EXPECT_EQ((Bytes{17, 0, 0}), packed);
}

// The vectors were made by the native library (tests/fixtures/lzo/make_vectors.py). Our expansion
// reads them, and our compressor produces the very same bytes, which the native library expands.
TEST(Lzo, MatchesTheNativeLibraryBothWays)
{
    const wchar_t* names[] = {L"empty", L"one", L"text", L"random", L"large"};
    for (const wchar_t* name : names) {
        Bytes plain, packed;
        ASSERT_TRUE(ReadFixture((std::wstring(name) + L".bin").c_str(), plain)) << FixturePath(name).c_str();
        ASSERT_TRUE(ReadFixture((std::wstring(name) + L".lzo").c_str(), packed));
        Bytes out;
        ASSERT_TRUE(Expand(packed, static_cast<unsigned>(plain.size()), out));
        EXPECT_TRUE(out == plain);
        EXPECT_TRUE(Compress(plain) == packed);
    }
}

TEST(Lzo, TruncatedCorruptedOrOversizedInputFailsCleanly)
{
    Bytes in = Repetitive(100000);
    Bytes packed = Compress(in);
    Bytes out;

    // Every truncation point: never a success, never a write past the destination.
    for (size_t cut = 0; cut < packed.size(); cut += (cut < 64 ? 1 : 97)) {
        Bytes part(packed.begin(), packed.begin() + cut);
        EXPECT_FALSE(Expand(part, static_cast<unsigned>(in.size()), out)) << cut;
    }

    // A destination one byte short is refused.
    EXPECT_FALSE(Expand(packed, static_cast<unsigned>(in.size() - 1), out));

    // Flipped bytes: either refused, or expanded within bounds (LZO carries no checksum).
    for (size_t pos = 0; pos < packed.size(); pos += 53) {
        Bytes bad = packed;
        bad[pos] ^= 0x5A;
        Bytes guard(in.size() + 64, 0xEE);
        unsigned len = static_cast<unsigned>(in.size());
        LzoDecompress(bad.data(), static_cast<unsigned>(bad.size()), guard.data(), &len);
        EXPECT_LE(len, in.size());
        for (size_t i = in.size(); i < guard.size(); i++)
            ASSERT_EQ(0xEE, guard[i]) << "write past the destination, byte flipped at " << pos;
    }

    // Trailing garbage after the end marker is not accepted.
    Bytes extra = packed;
    extra.push_back(0);
    EXPECT_FALSE(Expand(extra, static_cast<unsigned>(in.size()), out));
}
