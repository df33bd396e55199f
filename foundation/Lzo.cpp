#include "foundation/Lzo.h"

#include <minilzo.h>

namespace {
// The compressor's dictionary: 16384 pointers on 64-bit.
constexpr SIZE_T kWorkArea = 0x20000;
static_assert(LZO1X_1_MEM_COMPRESS <= kWorkArea, "LZO work area too small");
}

bool LzoCompress(const BYTE* src, unsigned srcLen, BYTE* dst, unsigned* outLen)
{
    lzo_init();   // configuration check; its answer changes nothing here
    void* work = HeapAlloc(GetProcessHeap(), HEAP_GENERATE_EXCEPTIONS, kWorkArea);
    lzo_uint produced = 0;
    int rc = lzo1x_1_compress(src, srcLen, dst, &produced, work);
    HeapFree(GetProcessHeap(), 0, work);
    if (outLen)
        *outLen = static_cast<unsigned>(produced);
    return rc == LZO_E_OK && produced < srcLen;
}

bool LzoDecompress(const BYTE* src, unsigned srcLen, BYTE* dst, unsigned* inOutDstLen)
{
    lzo_init();
    lzo_uint produced = *inOutDstLen;
    int rc = lzo1x_decompress_safe(src, srcLen, dst, &produced, nullptr);
    *inOutDstLen = static_cast<unsigned>(produced);
    return rc == LZO_E_OK;
}

unsigned LzoWorstCaseSize(unsigned n)
{
    unsigned long long size = static_cast<unsigned long long>(n) + n / 64 + 19;
    return size > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<unsigned>(size);
}
