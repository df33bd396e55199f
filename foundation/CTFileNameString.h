#pragma once
#include <windows.h>
#include <shlobj.h>
#include "foundation/CTString.h"

// A Windows path ('\' is the only separator looked for) that can be taken apart and acted on in the
// file system. Failures are reported only through the results.
class CTFileNameString : public CTString {
public:
    CTFileNameString() = default;
    CTFileNameString(const wchar_t* path) : CTString(path) {}
    CTFileNameString(const CTString& path) : CTString(path) {}
    CTFileNameString(const CTFileNameString& path) : CTString(path) {}
    CTFileNameString& operator=(const CTFileNameString& other) { Assign(other); return *this; }

    // Taking the path apart; the path itself is not changed.
    bool GetDirectory(CTString& out) const;            // text before the last '\'
    CTFileNameString& GetParent(CTFileNameString& out) const;
    CTString GetFileName() const;                      // text after the last '\'; empty without one
    bool GetFileName(CTString& out) const;
    bool GetTitle(CTString& out) const;                // file name up to its last '.'
    bool GetExtension(CTString& out) const;            // text after the file name's last '.'

    // File-system queries and actions.
    bool Exists() const;
    bool IsDirectory() const;
    DWORD GetAttributes() const;
    bool SetAttributes(DWORD attributes) const;
    bool SetModuleFileName(HMODULE module);            // null: the program's own executable
    bool SetKnownFolder(const KNOWNFOLDERID* id);      // falls back to the documents folder
    bool SetDocumentsFolder();
    bool CreateTempFileName(const CTString& folder);   // empty folder: the temporary folder
    bool CreateFolderPath() const;                     // creates every missing folder of the path
    static DWORD CreateFolders(const wchar_t* base, const wchar_t* rest);   // 0 or a system error code
    bool DeletePath(bool clearReadOnly) const;         // true when nothing is left at the path
    static bool DeleteFolderContents(const CTString& folder);              // always false
    // Creates the file (hidden, read-only) holding a byte-order mark and the text as UTF-8.
    // Returns 0 or the system error code of the creation. Writing the same path again is denied.
    DWORD WriteUtf8File(const CTString& text) const;
};

typedef HRESULT(WINAPI* SHGetKnownFolderPathProc)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
typedef HRESULT(WINAPI* SHGetFolderPathWProc)(HWND, int, HANDLE, DWORD, LPWSTR);

// Bound on first use; the module stays loaded for the life of the process. Null when missing.
SHGetKnownFolderPathProc LoadSHGetKnownFolderPath();
SHGetFolderPathWProc LoadSHGetFolderPathW();
