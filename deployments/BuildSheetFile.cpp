#include "deployments/BuildSheetFile.h"

#include <knownfolders.h>
#include <cwctype>
#include <string>
#include "foundation/CTFileNameString.h"

namespace {

const wchar_t kDefaultName[] = L"buildsheet";

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

std::wstring Trim(const std::wstring& text, const wchar_t* characters)
{
    size_t first = text.find_first_not_of(characters);
    if (first == std::wstring::npos)
        return std::wstring();
    size_t last = text.find_last_not_of(characters);
    return text.substr(first, last - first + 1);
}

bool IsReservedDeviceName(const std::wstring& name)
{
    // The device names apply to the part before the first dot ("con.pdf" is the console too).
    std::wstring stem = Lower(Trim(name.substr(0, name.find(L'.')), L" "));
    static const wchar_t* const kDevices[] = {L"con", L"prn", L"aux", L"nul", L"conin$", L"conout$", L"clock$"};
    for (const wchar_t* device : kDevices)
        if (stem == device)
            return true;
    if (stem.size() == 4 && (stem.compare(0, 3, L"com") == 0 || stem.compare(0, 3, L"lpt") == 0))
        return (stem[3] >= L'0' && stem[3] <= L'9') || stem[3] == L'\u00b9' || stem[3] == L'\u00b2' || stem[3] == L'\u00b3';
    return false;
}

} // namespace

BuildSheetFile::FolderFn BuildSheetFile::s_downloadsFolder = &BuildSheetFile::DownloadsFolder;

CTString BuildSheetFile::NameFromContentDisposition(const CTString& header)
{
    std::wstring text;
    for (unsigned i = 0; i < header.GetLength(); ++i) {
        wchar_t c = header.GetBuffer()[i];
        if (c != L'\r' && c != L'\n')
            text.push_back(c);
    }
    text = Lower(text);
    size_t at = text.find(L"filename");
    std::wstring name;
    if (at != std::wstring::npos) {
        size_t equals = text.find(L'=', at);
        if (equals != std::wstring::npos) {
            size_t next = text.find(L'=', equals + 1);
            name = Trim(text.substr(equals + 1, next == std::wstring::npos ? std::wstring::npos : next - equals - 1),
                        L" \"");
        }
    }
    return CTString(name.empty() ? kDefaultName : name.c_str());
}

CTString BuildSheetFile::MakeSafeName(const CTString& name)
{
    std::wstring text(name.GetBuffer() ? name.GetBuffer() : L"");
    size_t slash = text.find_last_of(L"\\/");
    if (slash != std::wstring::npos)
        text.erase(0, slash + 1);
    std::wstring clean;
    for (wchar_t c : text) {
        if (c < 32 || wcschr(L"<>:\"/\\|?*", c))
            continue;
        clean.push_back(c);
    }
    clean = Trim(clean, L" .");
    if (clean.empty() || IsReservedDeviceName(clean))
        return CTString(kDefaultName);
    if (clean.size() > 200)
        clean.erase(0, clean.size() - 200);
    return CTString(clean.c_str());
}

bool BuildSheetFile::MayOpen(const CTString& name)
{
    std::wstring text = Lower(name.GetBuffer() ? name.GetBuffer() : L"");
    size_t dot = text.rfind(L'.');
    if (dot == std::wstring::npos)
        return true;
    std::wstring extension = text.substr(dot + 1);
    static const wchar_t* const kRunnable[] = {
        L"exe", L"com", L"bat", L"cmd", L"scr", L"pif", L"cpl", L"msi", L"msp", L"mst", L"msc", L"dll",
        L"ocx", L"sys", L"drv", L"lnk", L"url", L"website", L"scf", L"inf", L"reg", L"hta", L"chm",
        L"vb", L"vbs", L"vbe", L"js", L"jse", L"wsf", L"wsh", L"ws", L"wsc", L"sct", L"ps1", L"ps1xml",
        L"ps2", L"psm1", L"psd1", L"psc1", L"jar", L"application", L"appref-ms", L"gadget", L"settingcontent-ms",
        L"library-ms", L"search-ms", L"searchconnector-ms", L"diagcab", L"msix", L"appx", L"appinstaller"};
    for (const wchar_t* runnable : kRunnable)
        if (extension == runnable)
            return false;
    return true;
}

bool BuildSheetFile::Write(const CTString& folder, const CTString& name, const CTByteArray& body, CTString& path)
{
    path = folder;
    if (!path.IsEmpty() && path.GetBuffer()[path.GetLength() - 1] != L'\\')
        path.AppendChar(L'\\');
    path.Append(name);
    HANDLE file = CreateFileW(path.GetBuffer(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = TRUE;
    if (body.GetSize())
        ok = WriteFile(file, body.GetData(), body.GetSize(), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != body.GetSize()) {
        DeleteFileW(path.GetBuffer());
        return false;
    }
    return true;
}

bool BuildSheetFile::DownloadsFolder(CTString& folder)
{
    CTFileNameString name;
    if (!name.SetKnownFolder(&FOLDERID_Downloads))
        return false;
    folder = name;
    return !folder.IsEmpty();
}
