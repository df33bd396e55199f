#include "framework/CTApp.h"
#include "foundation/CTStringLocale.h"
#include <htmlhelp.h>
#include <cstdlib>
#include <cwchar>

namespace {

CTApp* g_app = nullptr;
std::map<std::wstring, LCID>* g_fillingLocales = nullptr; // target of the locale enumeration

void DeleteInstance()
{
    delete g_app;
}

bool FileExists(const wchar_t* path)
{
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

// The executable's full path, and the offset of its file name within it.
void ExecutablePath(HINSTANCE module, CTString& path, size_t& nameOffset)
{
    wchar_t buffer[MAX_PATH * 2] = {};
    GetModuleFileNameW(module, buffer, static_cast<DWORD>(std::size(buffer)));
    path.AssignText(buffer);
    const wchar_t* slash = wcsrchr(buffer, L'\\');
    nameOffset = slash ? static_cast<size_t>(slash - buffer) + 1 : 0;
}

// "<exe folder>\<locale>\<exe name>.mtf"; empty when the locale has no name.
bool LanguageModulePath(HINSTANCE module, LCID lcid, CTString& out)
{
    CTString locale;
    FormatLocaleName(lcid, locale);
    if (locale.IsEmpty()) return false;
    CTString exe;
    size_t nameOffset = 0;
    ExecutablePath(module, exe, nameOffset);
    out.Empty();
    CTString folder;
    exe.Left(folder, static_cast<unsigned>(nameOffset)); // keeps the trailing backslash
    out.Append(folder);
    out.Append(locale);
    out.AppendChar(L'\\');
    out.AppendText(exe.GetBuffer() + nameOffset);
    out.AppendText(L".mtf");
    return true;
}

struct Caption {
    UINT id;
    const wchar_t* english;
    const wchar_t* german;     // null: English
    const wchar_t* portuguese; // null: English
};

const Caption kCaptions[] = {
    {1, L"&OK", L"&OK", L"&OK"},
    {2, L"&Cancel", L"Abbrechen", L"&Cancelar"},
    {3, L"Abort", L"Abbruch", L"Abortar"},
    {4, L"Retry", L"Wiederholen", L"Repetir"},
    {5, L"&Ignore", L"&Ignoriere", L"&Ignorar"},
    {6, L"&Yes", L"Ja", L"Sim"},
    {7, L"&No", L"&Nein", L"&N\u00e3o"},
    {8, L"Close", L"Schlie\u00dfen", L"Fechar"},
    {9, L"Help", L"Hilfe", L"Ajuda"},
    {10, L"Try again", L"Erneut versuchen", L"Tentar novamente"},
    {11, L"Continue", L"Fortfahren", L"Continuar"},
    {14, L"Skip", L"\u00dcberspringen", L"Pular"},
    {15, L"Skip all", L"Alle \u00fcberspringen", L"Pular todos"},
    {16, L"Ignore all", L"Alle ignorieren", L"Ignorar todos"},
    {19, L"Yes to all", L"Ja zu Allem", L"Sim para todos"},
    {20, L"No to all", L"Nein zu Allem", L"N\u00e3o para todos"},
    {21, L"&Delete", L"Entfernen", L"Deletar"},
    {22, L"&Save", L"&Speichern", L"&Salvar"},
    {400, L"Add", L"Hinzuf\u00fcgen", L"Adicionar"},
    {401, L"Remove", L"Entfernen", L"Remover"},
    {402, L"Lock Columns", L"Spalten sperren", L"Bloquear Colunas"},
    {403, L"Auto Size", L"Automatische Gr\u00f6\u00dfe", nullptr},
    {404, L"Minimise", nullptr, nullptr},
    {405, L"Maximise", nullptr, nullptr},
    {406, L"Restore Down", nullptr, nullptr},
    {0x1000000, L"Do not show again", L"Nie wieder anzeigen", L"N\u00e3o mostrar novemente"},
};

} // namespace

CTApp::CTApp()
{
    g_app = this;
}

CTApp::~CTApp()
{
    if (m_largeIcon) DestroyIcon(m_largeIcon);
    if (m_smallIcon) DestroyIcon(m_smallIcon);
    if (m_resourceModule) FreeLibrary(m_resourceModule);
    if (m_languageModule) FreeLibrary(m_languageModule);
    FreeLanguageModules();
    for (CLinkedListObject* item = m_accelerators.GetHead(); item; item = item->m_next)
        DestroyAcceleratorTable(static_cast<AccelWnd*>(item)->accel);
    m_accelerators.DeleteAll();
    if (g_app == this) g_app = nullptr;
}

CTApp* CTApp::Instance()
{
    if (!g_app) {
        new CTApp(); // the constructor sets the global pointer
        std::atexit(DeleteInstance);
    }
    return g_app;
}

bool CTApp::Init(HINSTANCE module, const wchar_t* commandLine, int showCmd, const wchar_t* name)
{
    m_module = module;
    m_commandLine = commandLine;
    m_showCmd = showCmd;
    for (LCID lcid : {1033, 1036, 1031, 1040, 1046, 2070, 3082, 1053}) m_supported.push_back(lcid);

    CTString path;
    size_t nameOffset = 0;
    ExecutablePath(module, path, nameOffset);
    path.AppendText(L".mtf");
    if (FileExists(path.GetBuffer())) m_resourceModule = LoadLibraryW(path.GetBuffer());

    LoadLanguageModules();

    HMODULE iconModule = FindResourceModule(RT_GROUP_ICON, MAKEINTRESOURCEW(2));
    m_largeIcon = static_cast<HICON>(LoadImageW(iconModule, MAKEINTRESOURCEW(2), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
    m_smallIcon = static_cast<HICON>(LoadImageW(iconModule, MAKEINTRESOURCEW(2), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));

    if (IS_INTRESOURCE(name)) {
        UINT id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name));
        m_name.LoadString(id, FindResourceModule(RT_STRING, MAKEINTRESOURCEW(id)));
    } else {
        m_name.AssignText(name);
    }
    return true;
}

void CTApp::FreeLanguageModules()
{
    for (auto& entry : m_languageModules) FreeLibrary(entry.second);
    m_languageModules.clear();
}

void CTApp::LoadLanguageModules()
{
    if (m_languageModule) FreeLibrary(m_languageModule);
    m_languageModule = nullptr;

    CTString path;
    if (LanguageModulePath(m_module, GetUserDefaultLCID(), path) && FileExists(path.GetBuffer()))
        m_languageModule = LoadLibraryW(path.GetBuffer());

    FreeLanguageModules();
    for (LCID lcid : m_supported) {
        CTString modulePath;
        if (!LanguageModulePath(m_module, lcid, modulePath) || !FileExists(modulePath.GetBuffer())) continue;
        if (HMODULE loaded = LoadLibraryW(modulePath.GetBuffer())) m_languageModules[lcid] = loaded;
    }
}

HMODULE CTApp::FindResourceModule(const wchar_t* type, const wchar_t* name) const
{
    if (!m_resourceModule && !m_languageModule) return m_module;
    if (type == RT_STRING && IS_INTRESOURCE(name)) {
        UINT id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name));
        name = MAKEINTRESOURCEW(id / 16 + 1); // the block that holds the string
    }
    if (m_languageModule && FindResourceW(m_languageModule, name, type)) return m_languageModule;
    if (m_resourceModule && FindResourceW(m_resourceModule, name, type)) return m_resourceModule;
    return m_module;
}

bool CTApp::AddAcceleratorWindow(HWND hwnd)
{
    HMODULE module = FindResourceModule(RT_ACCELERATOR, MAKEINTRESOURCEW(109));
    HACCEL accel = LoadAcceleratorsW(module, MAKEINTRESOURCEW(109));
    if (!accel) return false;
    auto* rec = new AccelWnd();
    rec->hwnd = hwnd;
    rec->accel = accel;
    m_accelerators.AddTail(rec);
    return true;
}

bool CTApp::TranslateAccelerators(MSG* msg)
{
    for (CLinkedListObject* item = m_accelerators.GetHead(); item; item = item->m_next) {
        auto* rec = static_cast<AccelWnd*>(item);
        if (TranslateAcceleratorW(rec->hwnd, rec->accel, msg)) return true;
    }
    return false;
}

void CTApp::AddWaitCursor(int delta)
{
    int before = m_waitCount;
    m_waitCount += delta;
    if (before == 0 && delta == 1) {
        m_restoreCursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    } else if (m_waitCount <= 0) {
        m_waitCount = 0;
        if (m_restoreCursor) SetCursor(m_restoreCursor);
        m_restoreCursor = nullptr;
    }
}

bool CTApp::SetWaitCursor()
{
    if (m_waitCount <= 0) return false;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return true;
}

BOOL CALLBACK CTApp::OnSystemLocale(LPWSTR text)
{
    LCID lcid = static_cast<LCID>(wcstoul(text, nullptr, 16));
    CTString name;
    FormatLocaleName(lcid, name);
    if (!name.IsEmpty() && g_fillingLocales) (*g_fillingLocales)[name.GetBuffer()] = lcid;
    return TRUE;
}

bool CTApp::LookupLocale(const wchar_t* name, LCID* out)
{
    if (m_localeNames.empty()) {
        g_fillingLocales = &m_localeNames;
        EnumSystemLocalesW(OnSystemLocale, LCID_SUPPORTED);
        g_fillingLocales = nullptr;
    }
    if (!name) return false;
    auto found = m_localeNames.find(name);
    if (found == m_localeNames.end()) return false;
    if (out) *out = found->second;
    return true;
}

bool CTApp::SetSupportedLocales(const std::vector<const wchar_t*>& names)
{
    std::vector<LCID> lcids;
    for (const wchar_t* name : names) {
        LCID lcid = 0;
        if (!LookupLocale(name, &lcid)) return false;
        if (lcid != 2057) lcids.push_back(lcid); // the default language is never listed
    }
    m_supported = lcids;
    return true;
}

bool CTApp::IsLocaleSupported(const wchar_t* name)
{
    LCID lcid = 2057;
    if (!LookupLocale(name, &lcid)) lcid = 2057;
    for (LCID supported : m_supported)
        if (supported == lcid) return true;
    return false;
}

bool CTApp::GetSupportedLocale(size_t index, LCID* out, CTString& name) const
{
    if (index >= m_supported.size()) return false;
    if (out) *out = m_supported[index];
    FormatLocaleName(m_supported[index], name);
    return true;
}

const wchar_t* CTApp::GetButtonCaption(UINT id)
{
    LCID lcid = GetUserDefaultLCID();
    for (const Caption& caption : kCaptions) {
        if (caption.id != id) continue;
        if (lcid == 1031 && caption.german) return caption.german;
        if (lcid == 1046 && caption.portuguese) return caption.portuguese;
        return caption.english;
    }
    return nullptr;
}

bool CTApp::ShowHelp(HWND caller)
{
    HelpFile& help = m_help[0];
    if (help.file.IsEmpty()) return false;
    if (!help.resolved) {
        CTString folder;
        if (!help.folder.IsEmpty()) {
            folder.Assign(help.folder);
        } else {
            CTString exe;
            size_t nameOffset = 0;
            ExecutablePath(m_module, exe, nameOffset);
            if (nameOffset > 0) exe.Left(folder, static_cast<unsigned>(nameOffset - 1));
        }
        CTString locale;
        FormatLocaleName(GetUserDefaultLCID(), locale);
        CTString candidate;
        if (!locale.IsEmpty()) {
            candidate.Assign(folder);
            candidate.AppendChar(L'\\');
            candidate.Append(locale);
            candidate.AppendChar(L'\\');
            candidate.Append(help.file);
        }
        if (candidate.IsEmpty() || !FileExists(candidate.GetBuffer())) {
            candidate.Assign(folder);
            candidate.AppendChar(L'\\');
            candidate.Append(help.file);
        }
        help.file.Assign(candidate);
        help.resolved = true;
    }
    CTString topic;
    topic.Assign(help.file);
    topic.AppendText(L"::/VRN_Console.htm>mainwin");
    if (!HtmlHelpW(caller, topic.GetBuffer(), HH_DISPLAY_TOPIC, 0)) {
        MessageBeep(MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}
