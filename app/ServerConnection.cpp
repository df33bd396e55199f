#include "app/ServerConnection.h"
#include <cwchar>
#include "framework/CTRegKey.h"

namespace {
bool IsStoredForm(const CTString& text)
{
    const wchar_t* buffer = text.GetBuffer();
    size_t prefix = wcslen(CTCryptString::kPrefix);
    return buffer && wcsncmp(buffer, CTCryptString::kPrefix, prefix) == 0;
}
} // namespace

bool ServerConnection::SetPassword(const CTString& plain)
{
    password.Empty();
    if (plain.IsEmpty())
        return true;
    password = plain;
    if (password.Encipher())
        return true;
    // Never keep a password in clear when it cannot be protected.
    password.Empty();
    return false;
}

CTString& ServerConnection::GetPassword(CTString& plain) const
{
    plain.Empty();
    if (password.IsEmpty())
        return plain;
    CTCryptString copy;
    copy = password;
    if (copy.Decipher())
        plain = copy;
    return plain;
}

void ServerConnection::Read(CTRegKey& key)
{
    int ignored = 0;
    key.ReadNextString(name).ReadNextString(server).ReadNextString(email).ReadNextString(password);
    key.ReadNextInt(ignored).ReadNextBool(savePassword).ReadNextBool(shortcut);
}

void ServerConnection::Write(CTRegKey& key) const
{
    // The stored form only: a plain text that reached the field is enciphered before it is written,
    // and one that cannot be is not written at all.
    CTCryptString stored;
    stored = password;
    if (!stored.IsEmpty() && !IsStoredForm(stored) && !stored.Encipher())
        stored.Empty();
    key.WriteNextString(name).WriteNextString(server).WriteNextString(email).WriteNextString(stored);
    key.WriteNextInt(0).WriteNextBool(savePassword).WriteNextBool(shortcut);
}
