#include "foundation/CTOpenFile.h"
#include <io.h>
#include <shellapi.h>

namespace {

const unsigned kBufferBytes = 8192;
const unsigned kGrowBytes = 4096;
const wchar_t kOfnProperty[] = L"OFN";

const CTOpenFileDialogs kRealDialogs = { &GetOpenFileNameW, &GetSaveFileNameW, &SHBrowseForFolderW };
const CTOpenFileDialogs* g_dialogs = &kRealDialogs;

} // namespace

const CTOpenFileDialogs* CTOpenFile::SetDialogs(const CTOpenFileDialogs* dialogs)
{
    const CTOpenFileDialogs* previous = g_dialogs;
    g_dialogs = dialogs ? dialogs : &kRealDialogs;
    return previous;
}

std::wstring CTOpenFile::ConvertFilter(const wchar_t* filter)
{
    std::wstring list = filter ? filter : L"";
    for (wchar_t& ch : list) {
        if (ch == L'|')
            ch = L'\0';
    }
    // The list ends with two NULs: the last entry's and the one from c_str(). A filter without its
    // closing "|" still gets both, so the dialog never reads past the text.
    if (!list.empty() && list.back() != L'\0')
        list.push_back(L'\0');
    return list;
}

bool CTOpenFile::ParseSelection(const wchar_t* buffer, unsigned bufferChars, unsigned fileOffset, CTString& out)
{
    if (!buffer || bufferChars == 0 || buffer[0] == L'\0')
        return false;
    if (fileOffset == 0 || fileOffset >= bufferChars || buffer[fileOffset - 1] != L'\0') {
        // One file: the buffer holds its full path.
        CTString path;
        unsigned length = 0;
        while (length < bufferChars && buffer[length])
            ++length;
        path.Reserve(length + 1);
        for (unsigned i = 0; i < length; ++i)
            path.AppendChar(buffer[i]);
        out.Assign(path);
        return true;
    }

    // Several files: the folder, then each name; the walk never leaves the buffer.
    const wchar_t* folder = buffer;
    unsigned folderLength = fileOffset - 1;
    // A root folder ("C:\") already ends with its backslash.
    const bool hasSlash = folderLength > 0 && folder[folderLength - 1] == L'\\';
    CTString joined;
    unsigned pos = fileOffset;
    while (pos < bufferChars && buffer[pos]) {
        if (!joined.IsEmpty())
            joined.AppendChar(L'|');
        for (unsigned i = 0; i < folderLength; ++i)
            joined.AppendChar(folder[i]);
        if (!hasSlash)
            joined.AppendChar(L'\\');
        while (pos < bufferChars && buffer[pos])
            joined.AppendChar(buffer[pos++]);
        ++pos;
    }
    if (joined.IsEmpty())
        return false;
    out.Assign(joined);
    return true;
}

void CTOpenFile::PrepareBuffer()
{
    m_buffer.SetSize(kBufferBytes);
}

bool CTOpenFile::ShowOpen(HWND owner, HINSTANCE module, const wchar_t* filter, const wchar_t*, DWORD extraFlags, CTString& out)
{
    PrepareBuffer();
    std::wstring filterList = ConvertFilter(filter);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.hInstance = module;
    ofn.lpstrFilter = filterList.empty() ? nullptr : filterList.c_str();
    ofn.lpstrFile = Buffer();
    ofn.nMaxFile = GetBufferChars();
    ofn.lpstrTitle = L"Open File";
    ofn.Flags = extraFlags | OFN_EXPLORER | OFN_ENABLESIZING | OFN_ENABLEHOOK;
    ofn.lpfnHook = &CTOpenFile::OpenFileHookProc;
    ofn.lCustData = reinterpret_cast<LPARAM>(this);

    if (!g_dialogs->getOpenFileName(&ofn))
        return false;
    // The hook may have moved the dialog to a grown buffer.
    return ParseSelection(ofn.lpstrFile, ofn.nMaxFile, ofn.nFileOffset, out);
}

bool CTOpenFile::ShowSave(HINSTANCE module, HWND owner, const wchar_t* filter, const wchar_t* title, const wchar_t*, CTString& out)
{
    PrepareBuffer();
    std::wstring filterList = ConvertFilter(filter);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hInstance = module;
    ofn.hwndOwner = owner;
    ofn.lpstrFile = Buffer();
    ofn.nMaxFile = GetBufferChars();
    ofn.lpstrFilter = filterList.empty() ? nullptr : filterList.c_str();
    ofn.lpstrTitle = title;
    ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_PATHMUSTEXIST | OFN_ENABLEHOOK;
    ofn.lpfnHook = &CTOpenFile::OpenFileHookProc;
    ofn.lCustData = reinterpret_cast<LPARAM>(this);

    if (!g_dialogs->getSaveFileName(&ofn) || !ofn.lpstrFile || ofn.lpstrFile[0] == L'\0')
        return false;
    const unsigned limit = ofn.nMaxFile < 4096 ? ofn.nMaxFile : 4096;
    CTString path;
    for (unsigned i = 0; i < limit && ofn.lpstrFile[i]; ++i)
        path.AppendChar(ofn.lpstrFile[i]);
    out.Assign(path);
    return true;
}

bool CTOpenFile::BrowseForFolder(HWND owner, const wchar_t* startFolder, CTString& out)
{
    m_startFolder.AssignText(startFolder);
    m_owner = owner;

    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = &CTOpenFile::BrowseFolderCallback;
    info.lParam = reinterpret_cast<LPARAM>(this);
    PIDLIST_ABSOLUTE item = g_dialogs->browseForFolder(&info);

    out.Empty();
    bool chosen = false;
    if (item) {
        wchar_t path[520] = {};
        if (SHGetPathFromIDListW(item, path) && path[0]) {
            out.AssignText(path);
            chosen = true;
        }
        IMalloc* malloc = nullptr;
        if (SUCCEEDED(SHGetMalloc(&malloc)) && malloc) {
            malloc->Free(item);
            malloc->Release();
        }
    }
    return chosen;
}

UINT_PTR CALLBACK CTOpenFile::OpenFileHookProc(HWND hook, UINT message, WPARAM, LPARAM lParam)
{
    HWND dialog = GetParent(hook);
    switch (message) {
    case WM_INITDIALOG:
        SetPropW(dialog, kOfnProperty, reinterpret_cast<HANDLE>(lParam));
        break;
    case WM_DESTROY:
        RemovePropW(dialog, kOfnProperty);
        break;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header || header->code != static_cast<UINT>(CDN_SELCHANGE))
            break;
        LRESULT needed = SendMessageW(dialog, CDM_GETSPEC, 0, 0);
        auto* ofn = static_cast<OPENFILENAMEW*>(GetPropW(dialog, kOfnProperty));
        if (!ofn || !ofn->lCustData)
            break;
        CTOpenFile* self = reinterpret_cast<CTOpenFile*>(ofn->lCustData);
        const unsigned long long wanted = (needed > 0 ? static_cast<unsigned long long>(needed) : 0) + MAX_PATH;
        // Grown while the user selects, so that the dialog can return every chosen name.
        while (self->GetBufferChars() < wanted)
            self->m_buffer.SetSize(self->m_buffer.GetSize() + kGrowBytes);
        ofn->lpstrFile = self->Buffer();
        ofn->nMaxFile = self->GetBufferChars();
        break;
    }
    }
    return 0;
}

int CALLBACK CTOpenFile::BrowseFolderCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM data)
{
    CTOpenFile* self = reinterpret_cast<CTOpenFile*>(data);
    switch (message) {
    case BFFM_INITIALIZED:
        if (self && self->m_owner) {
            HWND top = self->m_owner;
            while (HWND next = GetWindow(top, GW_OWNER))
                top = next;
            RECT ownerRect, dialogRect;
            if (GetWindowRect(top, &ownerRect) && GetWindowRect(dialog, &dialogRect)) {
                int x = (ownerRect.left + ownerRect.right) / 2 - (dialogRect.right - dialogRect.left) / 2;
                int y = (ownerRect.top + ownerRect.bottom) / 2 - (dialogRect.bottom - dialogRect.top) / 2;
                SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
        }
        if (self && !self->m_startFolder.IsEmpty())
            SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(self->m_startFolder.GetBuffer()));
        break;
    case BFFM_SELCHANGED: {
        auto item = reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam);
        wchar_t path[MAX_PATH] = {};
        SHFILEINFOW info{};
        bool usable = item && SHGetPathFromIDListW(item, path) && path[0] && _waccess(path, 0) == 0
            && SHGetFileInfoW(reinterpret_cast<LPCWSTR>(item), 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_ATTRIBUTES)
            && !(info.dwAttributes & SFGAO_LINK);
        if (!usable)
            EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
        break;
    }
    }
    return 0;
}
