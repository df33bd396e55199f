#include "app/ColourScheme.h"

#include "controls/CGDIManager.h"
#include "framework/CTColour.h"
#include "framework/CTIcon.h"
#include "framework/CTREngine.h"
#include "framework/CTREngineDraw.h"

namespace {

// The engine's custom text colour when it has custom colours, else the menu text colour.
COLORREF TextColour()
{
    CTREngine* engine = CTREngine::Instance();
    return engine->m_colorsSet ? engine->m_textColour : engine->SysColor(COLOR_MENUTEXT);
}

void AddEmfEntry(CGDIManager& gdi, int id, UINT picture, int size, bool recolour)
{
    CTIcon icon(LoadEmfIcon(picture, size, size));
    if (recolour && icon.IsValid())
        icon.Colorize(TextColour());
    gdi.AddIconCopy(id, icon.icon);
}

bool ParseColour(const wchar_t* text, COLORREF& out)
{
    if (!text || text[0] != L'#')
        return false;
    CTString(text).GetColour(out);
    return true;
}

void AppendAttribute(CTString& out, const wchar_t* name, const wchar_t* value)
{
    out.AppendChar(L' ');
    out.AppendText(name);
    out.AppendText(L"=\"");
    out.AppendText(value);
    out.AppendChar(L'"');
}

CTString Html(COLORREF colour)
{
    CTString text;
    text.AppendHtmlColour(&colour);
    return text;
}

} // namespace

COLORREF ColourScheme::Get(CGDIManager& gdi, int id)
{
    CGDIManager::CObject* entry = gdi.Find(id);
    return entry ? static_cast<COLORREF>(entry->Get()) : 0;
}

void ColourScheme::Replace(CGDIManager& gdi, int id, COLORREF value)
{
    gdi.Release(id);
    CGDIManager::CObject* entry = gdi.AddColour(id, value);
    // Another user may still hold the entry: the value changes for everyone.
    if (auto* colour = dynamic_cast<CGDIManager::CColour*>(entry))
        colour->colour = value;
}

COLORREF ColourScheme::LighterTitleBar(COLORREF titleBar)
{
    BYTE rgb[3] = {GetRValue(titleBar), GetGValue(titleBar), GetBValue(titleBar)};
    BYTE hue = 0, lightness = 0, saturation = 0;
    RgbToHls(rgb, &hue, &lightness, &saturation);
    if (lightness <= 220)
        return MixColours(titleBar, RGB(255, 255, 255), 0.5);
    return MixColours(titleBar, RGB(0, 0, 0), 0.8);
}

void ColourScheme::AddEntries(CGDIManager& gdi, int dpiX, int dpiY)
{
    int small = GetSystemMetrics(SM_CXSMICON);
    gdi.AddIcon(1, 142, small);
    gdi.AddIcon(2, 139, small);
    gdi.AddIcon(4, 138, small);
    gdi.AddIcon(3, 140, small);
    gdi.AddIcon(15, 194, small);
    gdi.AddIcon(16, 193, MulDiv(small, dpiX, 96));
    gdi.AddIcon(19, 207, small);
    gdi.AddFont(7, 700, 0, 0, 0);
    gdi.AddFont(5, 500, -MulDiv(11, dpiX, 96), 2700, 2700);
    gdi.AddFont(6, 900, -MulDiv(18, dpiX, 96), 2700, 2700);
    gdi.AddColour(TitleBar, kDefaultTitleBar);
    // Darker than the mid grey the palette once had, so that its white text reads (4.9 : 1).
    gdi.AddColour(TabBackground, 0x707070);
    gdi.AddColour(TitleBarLight, MixColours(kDefaultTitleBar, RGB(255, 255, 255), 0.5));
    gdi.AddColour(TitleBarText, 0xFFFFFF);
    gdi.AddColour(TabText, 0xFFFFFF);
    gdi.AddColour(38, 0x0F0F0F);
    gdi.AddColour(ItemHighlight, 0x50AF4C);
    COLORREF menuText = CTREngine::Instance()->SysColor(COLOR_MENUTEXT);
    gdi.AddColour(26, menuText);
    gdi.AddColour(27, MixColours(menuText, RGB(255, 255, 255), 0.5));
    gdi.AddColour(29, 0xB6B6B6);
    gdi.AddColour(30, 0x50AF4C);
    gdi.AddColour(31, 0xEAD4C7);
    gdi.AddColour(32, 0xE3DBAB);
    gdi.AddColour(33, 0xDBC3C6);
    gdi.AddColour(34, 0x77DDFF);
    gdi.AddColour(36, 0xFFFFFF);
    gdi.AddColour(35, 0x889600);
    gdi.AddColour(37, 0x8282FF);
    gdi.AddColour(39, 0x147F14);
    gdi.AddPen(13, Get(gdi, 29), 1);
    gdi.AddBrush(8, CreateSolidBrush(Get(gdi, TitleBar)));
    int emf = MulDiv(16, dpiX, 96);
    (void)dpiY;
    AddEmfEntry(gdi, 44, 252, emf, false);
    AddEmfEntry(gdi, 45, 253, emf, false);
    AddEmfEntry(gdi, 46, 256, emf, true);
}

bool ColourScheme::ApplyServerColours(CGDIManager& gdi, const ServerColours& colours)
{
    bool applied = false;
    COLORREF value = 0;
    if (ParseColour(colours.titleBar, value)) {
        gdi.AddColour(SavedTitleBar, Get(gdi, TitleBar));
        Replace(gdi, TitleBar, value);
        Replace(gdi, TitleBarLight, LighterTitleBar(value));
        applied = true;
    }
    struct Pair {
        const wchar_t* text;
        int id;
        int saved;
    };
    const Pair pairs[] = {{colours.titleBarText, TitleBarText, SavedTitleBarText},
                          {colours.mainText, MainText, SavedMainText},
                          {colours.itemHighlight, ItemHighlight, SavedItemHighlight}};
    for (const Pair& pair : pairs) {
        if (!ParseColour(pair.text, value))
            continue;
        gdi.AddColour(pair.saved, Get(gdi, pair.id));
        Replace(gdi, pair.id, value);
        applied = true;
    }
    return applied;
}

bool ColourScheme::RestoreDefaults(CGDIManager& gdi)
{
    bool restored = false;
    if (gdi.Find(SavedTitleBar)) {
        COLORREF titleBar = Get(gdi, SavedTitleBar);
        Replace(gdi, TitleBar, titleBar);
        gdi.Release(SavedTitleBar);
        Replace(gdi, TitleBarLight, MixColours(titleBar, RGB(255, 255, 255), 0.5));
        restored = true;
    }
    const int pairs[][2] = {{SavedTitleBarText, TitleBarText}, {SavedItemHighlight, ItemHighlight},
                            {SavedMainText, MainText}};
    for (const auto& pair : pairs) {
        if (!gdi.Find(pair[0]))
            continue;
        Replace(gdi, pair[1], Get(gdi, pair[0]));
        gdi.Release(pair[0]);
        restored = true;
    }
    return restored;
}

void ColourScheme::BuildPendingMarkup(unsigned n, COLORREF text, COLORREF highlight, CTString& out)
{
    out.Empty();
    CTString number;
    if (n <= 99)
        number.AppendInt(static_cast<int>(n));
    else
        number.AssignText(L"\x221E");
    CTString pos;
    pos.AppendInt(static_cast<int>(n < 10 ? n : 10));
    out.AppendText(L"<Progress");
    AppendAttribute(out, L"type", L"vertical text");
    AppendAttribute(out, L"padding-top", L"1");
    AppendAttribute(out, L"padding-bottom", L"2");
    AppendAttribute(out, L"padding-right", L"2");
    AppendAttribute(out, L"pos", pos.GetBuffer());
    AppendAttribute(out, L"max", L"10");
    AppendAttribute(out, L"width", L"20");
    AppendAttribute(out, L"height", L"100%");
    AppendAttribute(out, L"align", L"center");
    AppendAttribute(out, L"text-align", L"center");
    AppendAttribute(out, L"vertical-align", L"top");
    AppendAttribute(out, L"color", Html(text).GetBuffer());
    out.AppendChar(L' ');
    AppendAttribute(out, L"background-color", Html(highlight).GetBuffer());
    out.AppendChar(L' ');
    AppendAttribute(out, L"value", number.GetBuffer());
    out.AppendText(L" />");
}
