#pragma once
#include <windows.h>

// The only calls into the LZO library (LZO1X family) that the system makes.

// LZO1X-1 compression of src into dst, which must hold LzoWorstCaseSize(srcLen) bytes.
// *outLen receives the compressed length; true only when it is shorter than srcLen.
bool LzoCompress(const BYTE* src, unsigned srcLen, BYTE* dst, unsigned* outLen);

// Bounds-checked LZO1X expansion. *inOutDstLen is dst's capacity on entry and the count produced on
// return. False for corrupt or truncated input or a too small destination.
bool LzoDecompress(const BYTE* src, unsigned srcLen, BYTE* dst, unsigned* inOutDstLen);

// n + n / 64 + 19; saturates at 0xFFFFFFFF instead of wrapping.
unsigned LzoWorstCaseSize(unsigned n);
