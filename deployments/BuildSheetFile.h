#pragma once
// The build sheet a deployment's server page sends back: the file name it proposes in its
// Content-Disposition header, made safe as a plain name in the user's Downloads folder, the bytes
// written there, and whether the saved file may be opened by the shell. A server-chosen name never
// leaves the folder, never names a device or a stream, and a program, script or shortcut is saved
// but not opened.
#include <windows.h>
#include "foundation/CTByteArray.h"
#include "foundation/CTString.h"

class BuildSheetFile {
public:
    // Where sheets are saved; the Downloads known folder unless a test put its own folder here.
    using FolderFn = bool (*)(CTString& folder);
    static FolderFn s_downloadsFolder;

    // The lower-cased name after "filename=" of the header, trimmed of blanks and double quotes;
    // "buildsheet" when the header is empty or names no file.
    static CTString NameFromContentDisposition(const CTString& header);
    // A plain file name: the last path component, without characters a file name may not hold, a
    // trailing dot or blank, or a device name; "buildsheet" when nothing is left.
    static CTString MakeSafeName(const CTString& name);
    // False for names that run something when opened (programs, scripts, shortcuts, installers).
    static bool MayOpen(const CTString& name);
    // Writes the bytes to folder\name, replacing a file of that name; the full path in path.
    static bool Write(const CTString& folder, const CTString& name, const CTByteArray& body, CTString& path);
    // The Downloads known folder.
    static bool DownloadsFolder(CTString& folder);
};
