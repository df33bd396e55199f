#pragma once
// The framework's process-wide application object: executable and resource modules (every
// resource lookup goes language module, main resource module, executable), icons, name,
// accelerators, wait cursor, locale tables and the captions of standard buttons.
#include <windows.h>
#include <map>
#include <string>
#include <vector>
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"

class CTApp {
public:
    struct AccelWnd : CLinkedListObject {
        HWND hwnd = nullptr;
        HACCEL accel = nullptr;
    };
    struct HelpFile {
        CTString file;
        CTString folder;
        bool resolved = false;
    };

    HINSTANCE m_module = nullptr;
    HMODULE m_resourceModule = nullptr; // "<exe full path>.mtf"
    HMODULE m_languageModule = nullptr; // "<exe folder>\<ll-CC>\<exe name>.mtf"
    HICON m_largeIcon = nullptr;
    HICON m_smallIcon = nullptr;
    const wchar_t* m_commandLine = nullptr; // not copied
    int m_showCmd = 0;
    CTString m_name;
    std::map<int, HelpFile> m_help;
    int m_waitCount = 0;
    HCURSOR m_restoreCursor = nullptr;
    CLinkedList m_accelerators; // of AccelWnd
    std::map<LCID, HMODULE> m_languageModules;
    std::map<std::wstring, LCID> m_localeNames;
    std::vector<LCID> m_supported;

    CTApp();
    ~CTApp();
    CTApp(const CTApp&) = delete;
    CTApp& operator=(const CTApp&) = delete;

    static CTApp* Instance();

    // name: a string resource id (MAKEINTRESOURCE) or a text.
    bool Init(HINSTANCE module, const wchar_t* commandLine, int showCmd, const wchar_t* name);
    void LoadLanguageModules();
    HMODULE FindResourceModule(const wchar_t* type, const wchar_t* name) const;

    bool AddAcceleratorWindow(HWND hwnd);
    bool TranslateAccelerators(MSG* msg);

    void AddWaitCursor(int delta);
    bool SetWaitCursor();

    bool LookupLocale(const wchar_t* name, LCID* out);
    bool SetSupportedLocales(const std::vector<const wchar_t*>& names);
    bool IsLocaleSupported(const wchar_t* name);
    bool GetSupportedLocale(size_t index, LCID* out, CTString& name) const;

    static const wchar_t* GetButtonCaption(UINT id);
    bool ShowHelp(HWND caller);

    HINSTANCE GetModule() const { return m_module; }
    HMODULE GetResourceModule() const { return m_resourceModule; }
    HMODULE GetLanguageModule() const { return m_languageModule; }
    HICON GetLargeIcon() const { return m_largeIcon; }
    HICON GetSmallIcon() const { return m_smallIcon; }
    const wchar_t* GetCommandLine() const { return m_commandLine; }
    int GetShowCmd() const { return m_showCmd; }
    const CTString& GetName() const { return m_name; }

private:
    void FreeLanguageModules();
    static BOOL CALLBACK OnSystemLocale(LPWSTR text);
};
