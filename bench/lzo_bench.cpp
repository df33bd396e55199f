// LZO compression and expansion throughput on a 64 MB buffer, next to a plain copy of the same bytes.
// Run under Wine: wine build/bench/lzo_bench.exe
#include "foundation/CTByteArray.h"
#include "foundation/Lzo.h"

#include <stdio.h>
#include <string.h>
#include "BenchTimer.h"

namespace {

template <class F> double Best(int rounds, F work)
{
    double best = 1e30;
    for (int i = 0; i < rounds; i++) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        work();
        QueryPerformanceCounter(&b);
        double s = Seconds(a, b);
        if (s < best)
            best = s;
    }
    return best;
}

// Record-like text with some noise: roughly what tagged streams and staging data look like.
void Fill(BYTE* p, unsigned n)
{
    unsigned seed = 12345, i = 0, record = 0;
    while (i < n) {
        char line[96];
        int len = _snprintf(line, sizeof(line), "\x85Tavik-PC-%05u;OU=Staging;Slot=%u;", record % 40000, record & 0xFF);
        for (int k = 0; k < len && i < n; k++)
            p[i++] = static_cast<BYTE>(line[k]);
        for (unsigned k = 0; k < record % 5 && i < n; k++) {
            seed = seed * 1103515245u + 12345u;
            p[i++] = static_cast<BYTE>(seed >> 16);
        }
        record++;
    }
}

} // namespace

int wmain()
{
    const unsigned size = 64u << 20;
    CTByteArray plain, copy, packed, expanded;
    plain.SetSize(size);
    copy.SetSize(size);
    packed.SetSize(LzoWorstCaseSize(size));
    expanded.SetSize(size);
    Fill(plain.GetData(), size);

    const int rounds = 3;
    double copySeconds = Best(rounds, [&] { memcpy(copy.GetData(), plain.GetData(), size); });
    unsigned packedSize = 0;
    double compressSeconds = Best(rounds, [&] { LzoCompress(plain.GetData(), size, packed.GetData(), &packedSize); });
    unsigned expandedSize = 0;
    double expandSeconds = Best(rounds, [&] {
        expandedSize = size;
        LzoDecompress(packed.GetData(), packedSize, expanded.GetData(), &expandedSize);
    });
    bool same = expandedSize == size && memcmp(plain.GetData(), expanded.GetData(), size) == 0;

    double mb = size / 1048576.0;
    printf("buffer      %.0f MB, compressed to %.1f%%, round trip %s\n", mb, 100.0 * packedSize / size,
           same ? "identical" : "DIFFERENT");
    printf("copy        %8.1f MB/s\n", mb / copySeconds);
    printf("compress    %8.1f MB/s   %.2fx the copy time\n", mb / compressSeconds, compressSeconds / copySeconds);
    printf("expand      %8.1f MB/s   %.2fx the copy time\n", mb / expandSeconds, expandSeconds / copySeconds);
    return same ? 0 : 1;
}
