#pragma once
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>
#include <string>
#include "foundation/CTString.h"
#include "foundation/CTByteArray.h"

// The common dialogs reached through one table, so that tests can stand in for the modal dialogs.
struct CTOpenFileDialogs {
    BOOL (WINAPI *getOpenFileName)(OPENFILENAMEW*);
    BOOL (WINAPI *getSaveFileName)(OPENFILENAMEW*);
    PIDLIST_ABSOLUTE (WINAPI *browseForFolder)(BROWSEINFOW*);
};

// The Open and Save As dialogs and the shell's folder browser. Filters are written as one text,
// "description|pattern|...|"; several chosen files come back as full paths joined by "|".
class CTOpenFile {
public:
    CTOpenFile() = default;
    virtual ~CTOpenFile() = default;

    // Pass OFN_ALLOWMULTISELECT in extraFlags to let the user choose several files.
    bool ShowOpen(HWND owner, HINSTANCE module, const wchar_t* filter, const wchar_t* unused, DWORD extraFlags, CTString& out);
    bool ShowSave(HINSTANCE module, HWND owner, const wchar_t* filter, const wchar_t* title, const wchar_t* unused, CTString& out);
    // Opens at the start folder when it is given; out is empty when nothing was chosen.
    bool BrowseForFolder(HWND owner, const wchar_t* startFolder, CTString& out);

    // "a|b|" as the dialogs take it: every "|" a NUL, and the list closed by a further NUL.
    static std::wstring ConvertFilter(const wchar_t* filter);
    // The dialog's result buffer: one full path, or a folder, NUL, names each followed by NUL,
    // and an empty name. Several names give "folder\name" paths joined by "|".
    static bool ParseSelection(const wchar_t* buffer, unsigned bufferChars, unsigned fileOffset, CTString& out);

    static UINT_PTR CALLBACK OpenFileHookProc(HWND hook, UINT message, WPARAM wParam, LPARAM lParam);
    static int CALLBACK BrowseFolderCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM data);

    // Installs the dialog functions (not copied: the table must outlive its use); null restores the real ones.
    static const CTOpenFileDialogs* SetDialogs(const CTOpenFileDialogs* dialogs);

    unsigned GetBufferChars() const { return m_buffer.GetSize() / sizeof(wchar_t); }

private:
    void PrepareBuffer();
    wchar_t* Buffer() { return reinterpret_cast<wchar_t*>(m_buffer.GetPtr(0)); }

    CTByteArray m_buffer;
    CTString m_startFolder;
    HWND m_owner = nullptr;
};
