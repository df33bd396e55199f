// Byte buffer growth, zero-filling, borrowed blocks and the COM stream copy.
#include "foundation/CTByteArray.h"

#include <gtest/gtest.h>
#include <string.h>
#include <vector>

namespace {

CTByteArray Bytes(const char* text)
{
    CTByteArray a;
    unsigned n = static_cast<unsigned>(strlen(text));
    if (n)
        memcpy(a.Extend(n), text, n);
    return a;
}

std::string Text(const CTByteArray& a)
{
    return std::string(reinterpret_cast<const char*>(a.GetData()), a.GetSize());
}

bool AllZero(const BYTE* p, unsigned n)
{
    for (unsigned i = 0; i < n; i++)
        if (p[i])
            return false;
    return true;
}

// Counts what goes through the allocation slots, as subclasses may replace them.
struct CountingArray : CTByteArray {
    int allocations = 0;
    int frees = 0;
    BYTE* Allocate(unsigned bytes) override { allocations++; return CTByteArray::Allocate(bytes); }
    void Free(BYTE* block) override { if (block) frees++; CTByteArray::Free(block); }
};

} // namespace

TEST(CTByteArray, AutomaticGrowthFollowsUsedSizeClampedTo4And1024)
{
    struct Case { unsigned used; unsigned expectedCapacity; };
    const Case cases[] = {
        {10, 14},          // 10 / 8 below 4: +4
        {4000, 4500},      // +500
        {10000, 11024},    // capped at +1024
    };
    for (const Case& c : cases) {
        CTByteArray a;
        a.SetSize(c.used);
        EXPECT_EQ(c.used, a.GetCapacity()) << "first block is exact";
        a.SetSize(c.used + 1);
        EXPECT_EQ(c.expectedCapacity, a.GetCapacity()) << c.used;
        EXPECT_EQ(c.used + 1, a.GetSize());
    }

    CTByteArray big;
    big.SetSize(100);
    big.SetSize(5000);   // a request beyond capacity + increment is taken as it is
    EXPECT_EQ(5000u, big.GetCapacity());
}

TEST(CTByteArray, GrowStepReachesTheStepThenAddsIt)
{
    CTByteArray a;
    a.SetSize(256, 2048);
    EXPECT_EQ(256u, a.GetCapacity());
    a.SetSize(257);
    EXPECT_EQ(2048u, a.GetCapacity());
    a.SetSize(2049);
    EXPECT_EQ(4096u, a.GetCapacity());
    EXPECT_EQ(2048u, a.GetGrowStep());
}

TEST(CTByteArray, NewBytesAreZeroEvenAfterShrinkingOverStaleBytes)
{
    CTByteArray a;
    a.SetSize(64);
    EXPECT_TRUE(AllZero(a.GetData(), 64));
    memset(a.GetData(), 0xAB, 64);
    a.SetSize(8);                      // keeps the block, bytes 8..63 are stale
    EXPECT_EQ(64u, a.GetCapacity());
    a.SetSize(40);                     // regrown within capacity: zeroed again
    EXPECT_TRUE(AllZero(a.GetData() + 8, 32));
    EXPECT_EQ(0xAB, a.GetData()[7]);

    memset(a.GetData(), 0xCD, 40);
    a.SetSize(500);                    // reallocated: old bytes copied, the rest zero
    EXPECT_EQ(0xCD, a.GetData()[39]);
    EXPECT_TRUE(AllZero(a.GetData() + 40, a.GetCapacity() - 40));
}

TEST(CTByteArray, SizeZeroFreesButRemoveAllKeepsTheBlock)
{
    CountingArray a;
    a.SetSize(32);
    a.RemoveAll();
    EXPECT_EQ(0u, a.GetSize());
    EXPECT_EQ(32u, a.GetCapacity());
    EXPECT_NE(nullptr, a.GetData());
    EXPECT_EQ(0, a.frees);
    a.SetSize(0);
    EXPECT_EQ(nullptr, a.GetData());
    EXPECT_EQ(0u, a.GetCapacity());
    EXPECT_EQ(1, a.frees);
}

TEST(CTByteArray, BorrowedBlockIsUsedInPlaceAndNeverFreed)
{
    BYTE outside[8] = {'a', 'b', 'c', 0, 0, 0, 0, 0};
    {
        CountingArray a;
        a.Borrow(outside, 3, sizeof(outside));
        EXPECT_TRUE(a.IsBorrowed());
        a.SetAt(0, 'x');
        EXPECT_EQ('x', outside[0]);
        a.SetSize(8);                  // fits: still the outside block
        EXPECT_EQ(outside, a.GetData());
        a.SetSize(20);                 // reallocation leaves the block to its owner
        EXPECT_FALSE(a.IsBorrowed());
        EXPECT_NE(outside, a.GetData());
        EXPECT_EQ('x', a.GetData()[0]);
        EXPECT_EQ(1, a.allocations);
    }
    {
        // Destroying an array that still borrows must not hand the block to the heap.
        CTByteArray b;
        b.Borrow(outside, 8, sizeof(outside));
    }
    EXPECT_EQ('x', outside[0]);
}

TEST(CTByteArray, AppendInsertRemoveAndTerminate)
{
    CTByteArray a = Bytes("abc");
    EXPECT_EQ(3u, a.Append(Bytes("de")));
    EXPECT_EQ("abcde", Text(a));
    EXPECT_EQ(5u, a.Append(CTByteArray()));
    EXPECT_EQ(5u, a.Append(a));                       // appending itself
    EXPECT_EQ("abcdeabcde", Text(a));

    CTByteArray src = Bytes("xyz");
    EXPECT_EQ(0xFFFFFFFFu, a.AppendPart(src, 5));     // short source: nothing changes
    EXPECT_EQ(10u, a.GetSize());
    EXPECT_EQ(10u, a.AppendPart(src, 2));
    EXPECT_EQ("abcdeabcdexy", Text(a));
    EXPECT_EQ(12u, a.AppendZero());
    EXPECT_EQ(13u, a.GetSize());

    CTByteArray b = Bytes("hello");
    b.InsertAt(1, Bytes("XY"));
    EXPECT_EQ("hXYello", Text(b));
    b.InsertAt(0, b);
    EXPECT_EQ("hXYellohXYello", Text(b));
    b.RemoveAt(2, 10);
    EXPECT_EQ("hXlo", Text(b));
    b.RemoveAt(3, 100);                               // clipped to the end
    EXPECT_EQ("hXl", Text(b));

    CTByteArray t = Bytes("0123456789");
    t.TerminateAt(3);
    EXPECT_EQ(10u, t.GetSize());
    EXPECT_EQ(0, t.GetData()[3]);
    CTByteArray s = Bytes("01");
    s.TerminateAt(3);
    EXPECT_EQ(4u, s.GetSize());
    EXPECT_EQ(0, s.GetData()[3]);
}

TEST(CTByteArray, CopiesCopyBytesAndSwapMovesBlocks)
{
    CTByteArray a = Bytes("payload");
    CTByteArray copy(a);
    EXPECT_NE(a.GetData(), copy.GetData());
    EXPECT_EQ("payload", Text(copy));
    CTByteArray assigned;
    assigned = a;
    EXPECT_EQ("payload", Text(assigned));

    CTByteArray other = Bytes("z");
    other.SetSize(1, 64);
    BYTE* block = a.GetData();
    a.Swap(other);
    EXPECT_EQ(block, other.GetData());
    EXPECT_EQ("payload", Text(other));
    EXPECT_EQ("z", Text(a));
    EXPECT_EQ(64u, a.GetGrowStep());
}

TEST(CTByteArray, CreateStreamCopiesBytesAndRefusesAnOccupiedPointer)
{
    CTByteArray a = Bytes("stream bytes");
    IStream* stream = nullptr;
    ASSERT_TRUE(a.CreateStream(&stream));
    ASSERT_NE(nullptr, stream);
    char buffer[32] = {};
    ULONG read = 0;
    ASSERT_EQ(S_OK, stream->Read(buffer, sizeof(buffer), &read));
    EXPECT_EQ(12u, read);
    EXPECT_EQ("stream bytes", std::string(buffer, read));

    IStream* held = stream;
    EXPECT_FALSE(a.CreateStream(&stream));
    EXPECT_EQ(held, stream);
    stream->Release();
}
