#pragma once
// Escaping of form bodies: the blank becomes "+", the bytes of *-.0-9@A-Z_a-z stay, every other byte
// (controls, 0x7F, "~", all bytes from 0x80) becomes "%" and two upper-case hexadecimal digits.
// text is NUL-terminated UTF-8; a null out only counts. Returns the characters written or counted,
// without a terminator (none is written).
int FormUrlEncode(char* out, const char* text);
