#include "foundation/CTCryptString.h"
#include <wincrypt.h>
#include <cwchar>

namespace {

// Ties stored forms to this use, so that data protected by other programs is not accepted.
BYTE g_entropyBytes[] = {'Q', 'e', 'l', ' ', 'c', 'o', 'n', 's', 'o', 'l', 'e', ' ', 'p', 'w', 'd', 1};

DATA_BLOB Entropy()
{
    return DATA_BLOB{sizeof(g_entropyBytes), g_entropyBytes};
}

void FreeWiped(DATA_BLOB& blob)
{
    if (blob.pbData) {
        SecureZeroMemory(blob.pbData, blob.cbData);
        LocalFree(blob.pbData);
    }
    blob = DATA_BLOB{};
}

} // namespace

bool CTCryptString::Encipher()
{
    DATA_BLOB plain{GetLength() * static_cast<DWORD>(sizeof(wchar_t)), reinterpret_cast<BYTE*>(GetBuffer())};
    DATA_BLOB entropy = Entropy();
    DATA_BLOB sealed{};
    if (!CryptProtectData(&plain, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &sealed))
        return false;

    bool ok = false;
    DWORD chars = 0;
    const DWORD flags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
    if (CryptBinaryToStringW(sealed.pbData, sealed.cbData, flags, nullptr, &chars) && chars > 0) {
        CTString stored(kPrefix);
        unsigned prefix = stored.GetLength();
        wchar_t* buffer = stored.Reserve(prefix + chars + 1);
        if (CryptBinaryToStringW(sealed.pbData, sealed.cbData, flags, buffer + prefix, &chars)) {
            buffer[prefix + chars] = 0;
            stored.ReleaseBuffer();
            // Empty wipes the plain text before the stored form takes its place.
            Empty();
            Swap(stored);
            ok = true;
        }
    }
    FreeWiped(sealed);
    return ok;
}

bool CTCryptString::Decipher()
{
    const size_t prefix = wcslen(kPrefix);
    if (GetLength() <= prefix || wcsncmp(GetBuffer(), kPrefix, prefix) != 0)
        return false;
    const wchar_t* encoded = GetBuffer() + prefix;
    const DWORD encodedChars = GetLength() - static_cast<DWORD>(prefix);
    // Only the Base64 alphabet Encipher writes: the decoder would also skip blanks and line ends.
    for (DWORD i = 0; i < encodedChars; ++i) {
        const wchar_t ch = encoded[i];
        if (!((ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z') || (ch >= L'0' && ch <= L'9') ||
              ch == L'+' || ch == L'/' || ch == L'='))
            return false;
    }

    DWORD size = 0;
    if (!CryptStringToBinaryW(encoded, encodedChars, CRYPT_STRING_BASE64, nullptr, &size, nullptr, nullptr) ||
        size == 0)
        return false;
    BYTE* bytes = new BYTE[size];
    bool ok = false;
    if (CryptStringToBinaryW(encoded, encodedChars, CRYPT_STRING_BASE64, bytes, &size, nullptr, nullptr)) {
        DATA_BLOB sealed{size, bytes};
        DATA_BLOB entropy = Entropy();
        DATA_BLOB plain{};
        if (CryptUnprotectData(&sealed, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &plain)) {
            if (plain.cbData % sizeof(wchar_t) == 0) {
                const unsigned chars = plain.cbData / sizeof(wchar_t);
                CTString text;
                wchar_t* buffer = text.Reserve(chars + 1);
                memcpy(buffer, plain.pbData, plain.cbData);
                buffer[chars] = 0;
                text.SetLength(chars);
                Empty();
                Swap(text);
                ok = true;
            }
            FreeWiped(plain);
        }
    }
    SecureZeroMemory(bytes, size);
    delete[] bytes;
    return ok;
}
