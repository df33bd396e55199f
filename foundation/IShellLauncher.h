#pragma once
#include <windows.h>

// Every place that opens a document, link or mail address goes through the installed launcher,
// so that tests can record what would have been opened instead of opening it.
class IShellLauncher {
public:
    virtual ~IShellLauncher() = default;
    virtual HRESULT Open(const wchar_t* file) = 0;
};

// The real launcher: through the desktop shell as the desktop user, or with a plain
// ShellExecuteW where no desktop shell view can be had.
class CDesktopShellLauncher : public IShellLauncher {
public:
    HRESULT Open(const wchar_t* file) override;
};

IShellLauncher* GetShellLauncher();
// Installs a launcher (not owned) and answers the previous one; null reinstalls the real one.
IShellLauncher* SetShellLauncher(IShellLauncher* launcher);

// Opens a file, program or URL with the installed launcher.
HRESULT OpenAsDesktopUser(const wchar_t* file);
