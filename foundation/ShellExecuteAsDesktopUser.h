#pragma once
#include <windows.h>
#include <shobjidl.h>

// The shell view of the desktop window, from the running desktop shell.
HRESULT GetDesktopShellView(IShellView** out);

// Opens a file, program or URL through the desktop's own shell process, so that it runs as the
// interactive desktop user. Needs COM on the calling thread. The shell's ShellExecute result,
// or the error of the first step that fails (no desktop shell running, for example).
HRESULT ShellExecuteAsDesktopUser(const wchar_t* file);

// The same through an already found desktop view.
HRESULT ShellExecuteThroughView(IShellView* view, const wchar_t* file);
