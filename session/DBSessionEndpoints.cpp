// The session and directory pages of the server API.
#include "session/DB.h"
#include "framework/CTApp.h"

namespace {

CTString Key(const wchar_t* format, int n)
{
    CTString key;
    key.Format(format, n);
    return key;
}

CTString Key(const wchar_t* format, int n, int k)
{
    CTString key;
    key.Format(format, n, k);
    return key;
}

// The user's default locale as "ll-CC".
CTString UserLocaleName()
{
    wchar_t language[16] = {};
    wchar_t country[16] = {};
    CTString name;
    LCID lcid = GetUserDefaultLCID();
    if (GetLocaleInfoW(lcid, LOCALE_SISO639LANGNAME, language, 16) &&
        GetLocaleInfoW(lcid, LOCALE_SISO3166CTRYNAME, country, 16)) {
        name = language;
        name.AppendChar(L'-');
        name.AppendText(country);
    }
    return name;
}

} // namespace

void DB::Logon(const CTString& email, const CTString& password, const RequestRoute& route)
{
    CAttributes form;
    form.SetText(L"Email", email);
    form.SetText(L"Passwd", password);
    form.SetText(L"PRIVILEGE", L"QELConsole");
    // A sign-in reply is a few kilobytes: anything near a megabyte is no answer of the server's.
    CTByteArray body;
    form.FormEncode(body);
    SendRouted(L"POST", CTString(L"api/api_logon.php"), CTString(kFormContentType), &body, route,
               CWinHttp2::FlagSmallReply);
}

void DB::DirGetLookup(unsigned parentId, const CTString& lookup, const RequestRoute& route)
{
    CAttributes form;
    form.SetText(L"EDIT", lookup);
    form.SetNumber(L"PARENT", parentId);
    SendForm(L"api/api_dirGetLookup.php", form, route);
}

void DB::DirGetLookupValues(const std::vector<LookupField>& fields, const RequestRoute& route)
{
    CAttributes form;
    CTString locale = UserLocaleName();
    if (!locale.IsEmpty() && wcscmp(locale.GetBuffer(), L"en-GB") != 0 && CTApp::Instance()->IsLocaleSupported(locale.GetBuffer()))
        form.SetText(L"LOCALE", locale);
    int n = 0;
    for (const LookupField& field : fields) {
        form.SetNumber(Key(L"PARENT_%d", n), static_cast<unsigned>(field.parent));
        form.SetText(Key(L"ATTRIB_%d", n), field.attrib);
        form.SetText(Key(L"SGLINK_%d", n), field.sgLink);
        form.SetText(Key(L"FIELD_%d", n), field.field);
        form.SetText(Key(L"VALUE_%d", n), field.value);
        if (!field.field2.IsEmpty() && !field.value2.IsEmpty()) {
            form.SetText(Key(L"FIELD2_%d", n), field.field2);
            form.SetText(Key(L"VALUE2_%d", n), field.value2);
        }
        if (field.cookie != 0)
            form.SetNumber(Key(L"COOKIE_%d", n), static_cast<unsigned>(field.cookie));
        ++n;
    }
    SendForm(L"api/api_dirGetLookupValues.php", form, route);
}

void DB::DirChangePassword(const CTString& oldPassword, const CTString& newPassword, const CTString& confirm,
                           const RequestRoute& route)
{
    CAttributes form;
    form.SetText(L"OldPasswd", oldPassword);
    form.SetText(L"NewPasswd", newPassword);
    form.SetText(L"ConfirmPasswd", confirm);
    SendForm(L"api/api_dirChangePassword.php", form, route);
}

void DB::DirResetPassword(unsigned id, const CTString& password, const RequestRoute& route)
{
    CAttributes form;
    form.SetText(L"NewPasswd", password);
    form.SetNumber(L"ID", id);
    SendForm(L"api/api_dirResetPassword.php", form, route);
}

void DB::DirPathToID(const std::vector<CTString>& paths, const RequestRoute& route)
{
    unsigned total = 0;
    for (const CTString& path : paths)
        total += path.GetLength() + 1;
    CTString joined;
    joined.Reserve(total + 1);
    bool first = true;
    for (const CTString& path : paths) {
        if (!first)
            joined.AppendChar(kPathJoiner);
        first = false;
        unsigned start = 0;
        while (start < path.GetLength() && path.GetBuffer()[start] == L'\\')
            ++start;
        if (start < path.GetLength())
            joined.AppendText(path.GetBuffer() + start);
    }
    CAttributes form;
    form.SetText(L"PATH", joined);
    SendForm(L"api/api_dirPathToID.php", form, route);
}

void DB::DirPathToIDUnder(const CTString& path, const RequestRoute& route)
{
    CAttributes form;
    form.SetText(L"PATH", path);
    form.SetNumber(L"PARENT", 0);
    SendForm(L"api/api_dirPathToID.php", form, route);
}

void DB::DirIDToPath(unsigned id, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    SendForm(L"api/api_dirIDToPath.php", form, route);
}

void DB::DirIDsToPaths(const std::vector<__int64>& ids, const RequestRoute& route)
{
    CAttributes form;
    int n = 0;
    for (__int64 id : ids) {
        form.SetNumber(Key(L"ID_%d", ++n), id);
        if (n == static_cast<int>(kPathBatch)) {
            SendForm(L"api/api_dirIDToPath.php", form, route);
            form.Clear();
            n = 0;
        }
    }
    // The rest, or the one empty request of an empty list.
    if (n > 0 || ids.empty())
        SendForm(L"api/api_dirIDToPath.php", form, route);
}

void DB::DirGetLookupUnique(const std::vector<CTString>& fieldNames, const std::vector<UniqueEntry>& entries,
                            const RequestRoute& route)
{
    CAttributes form;
    int n = 0;
    for (const CTString& name : fieldNames)
        form.SetText(Key(L"FIELD_%d", n++), name);
    int m = 0;
    for (const UniqueEntry& entry : entries) {
        form.SetNumber(Key(L"COOKIE_%d", m), entry.cookie);
        int k = 0;
        for (const CTString& value : entry.values)
            form.SetText(Key(L"VALUE_%d_%d", m, k++), value);
        ++m;
    }
    if (form.GetCount() > kMaxFormKeys) {
        unsigned total = 0;
        for (CAttributes::CItem* item = form.GetHead(); item; item = item->GetNextItem())
            total += item->m_name.GetLength() + item->GetTextLength() + 2;
        CTString fat;
        fat.Reserve(total + 1);
        for (CAttributes::CItem* item = form.GetHead(); item; item = item->GetNextItem()) {
            if (item != form.GetHead())
                fat.AppendChar(L'|');
            fat.Append(item->m_name);
            fat.AppendChar(kFatNameSeparator);
            fat.AppendText(item->GetText());
        }
        form.Clear();
        form.SetText(L"FATPARAM", fat);
    }
    SendForm(L"api/api_dirGetLookupUnique.php", form, route);
}

void DB::DirGetCount(unsigned id, const CTString& type, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    form.SetText(L"TYPE", type);
    SendForm(L"api/api_dirGetCount.php", form, route);
}

void DB::DirGetLookupTree(const CTString& type, const RequestRoute& route)
{
    CAttributes form;
    form.SetText(L"TYPE", type);
    form.SetNumber(L"PARENTS", 0);
    SendForm(L"api/api_dirGetLookupTree.php", form, route);
}
