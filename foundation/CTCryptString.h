#pragma once
#include <windows.h>
#include "foundation/CTString.h"

// A string whose text is either a plain text or its enciphered stored form (the saved connection
// passwords); the caller keeps track of which. The stored form is the platform's per-user data
// protection of the text, Base64 encoded behind a fixed prefix, so a value copied to another account
// or machine cannot be read there.
class CTCryptString : public CTString {
public:
    static constexpr const wchar_t* kPrefix = L"QELDP1:";

    CTCryptString() = default;
    explicit CTCryptString(const wchar_t* text) { AssignText(text); }
    ~CTCryptString() override = default;

    using CTString::operator=;
    CTString& Assign(const CTString& other) override { return CTString::Assign(other); }

    // Replaces the plain text with its stored form; false (text unchanged) when protection fails.
    bool Encipher();
    // Replaces a stored form with its plain text; false, with the text unchanged, for any text that is
    // not a stored form this account can read (including altered ones).
    bool Decipher();
};
