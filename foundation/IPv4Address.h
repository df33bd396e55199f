#pragma once
#include "foundation/CTString.h"

// Dotted-quad text to a 32-bit address, the first part in the high byte. Each part is 1 to 3
// decimal digits up to 255 ("010" reads as 10). False, with out untouched, for anything else.
bool ParseIPv4Address(const CTString& text, unsigned* out);
