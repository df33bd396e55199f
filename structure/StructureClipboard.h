#pragma once
// The id block that Cut and Copy put on the clipboard beside its text: a 32-bit little-endian size
// of the whole block (4 + 4n) followed by n 32-bit little-endian object ids. Ids travel as 32 bits
// like every id field the server client sends.
#include <windows.h>
#include <vector>
#include "foundation/CTString.h"

namespace StructureClipboard {

std::vector<BYTE> EncodeIds(const std::vector<__int64>& ids);
// "ID=12,ID=34".
CTString IdsText(const std::vector<__int64>& ids);
// The ids of a block of available bytes (the global block's size). False, leaving ids empty, unless
// the stated size is at least 8, a multiple of 4 and within the available bytes.
bool DecodeIds(const BYTE* data, size_t available, std::vector<__int64>& ids);

} // namespace StructureClipboard
