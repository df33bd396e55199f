#include "app/HeadingMarkup.h"

#include "app/App.h"
#include "app/MainWindow.h"

#include "controls/CGDIManager.h"
#include "foundation/CTStringLocale.h"
#include "session/Object.h"

namespace {

// Fixed fragments; panes and the renderer's style rules rely on them character for character.
constexpr const wchar_t* kTitleOpen =
    L"<Div vertical-align=\"middle\" padding-left=\"8\"><Text line-spacing=\"1\" font-size=\"14\" color=\"";
constexpr const wchar_t* kSubtitleOpen =
    L"<BR /><Text line-spacing=\"1\" font-size=\"11\" font-family=\"Tahoma\" font-weight=\"";
constexpr const wchar_t* kObjectOpen =
    L"<Div vertical-align=\"middle\" padding-left=\"8\"><Text font-size=\"14\" line-spacing=\"1\" color=\"";
constexpr const wchar_t* kTypeAfterPath =
    L"<BR /><Text font-size=\"11\" line-spacing=\"1\" font-family=\"Tahoma\" font-weight=\"";
constexpr const wchar_t* kTypeLine = L"<Text font-size=\"11\" line-spacing=\"1\" font-family=\"Tahoma\" font-weight=\"";
constexpr const wchar_t* kPathLine = L"<Text font-size=\"10\" line-spacing=\"1\" font-family=\"Tahoma\" color=\"";
constexpr const wchar_t* kDateLine = L"<Text font-size=\"10\" line-spacing=\"1\" color=\"";
constexpr const wchar_t* kColourAttr = L"\" color=\"";
constexpr const wchar_t* kCreated = L"\" > created: ";
constexpr const wchar_t* kUpdated = L"\" > updated: ";
constexpr const wchar_t* kTagEnd = L"\" >";
constexpr const wchar_t* kTextEnd = L"</Text>";
constexpr const wchar_t* kTextEndSpaced = L"  </Text>";
constexpr const wchar_t* kBreak = L"<BR />";
constexpr const wchar_t* kDivEnd = L"</Div>";
constexpr const wchar_t* kBold = L"700";
constexpr int kHeadingColourEntry = 24;

// Colour of all heading text: the shared palette's entry 24 (black when the entry is missing).
COLORREF HeadingColour()
{
    CGDIManager::CObject* entry = CGDIManager::Instance()->Find(kHeadingColourEntry);
    return entry ? static_cast<COLORREF>(entry->Get()) : 0;
}

void AppendEscaped(CTString& out, const CTString& text)
{
    CTString escaped(text);
    out.Append(escaped.XmlEscape());
}

void AppendEscaped(CTString& out, const wchar_t* text)
{
    AppendEscaped(out, CTString(text ? text : L""));
}

void AppendDateLines(CTString& out, const Object& object, const COLORREF& colour)
{
    if (!object.created.IsEmpty()) {
        out.AppendText(kDateLine).AppendHtmlColour(&colour).AppendText(kCreated);
        AppendEscaped(out, object.created.GetString());
        out.AppendText(kTextEnd);
    }
    if (!object.updated.IsEmpty()) {
        out.AppendText(kDateLine).AppendHtmlColour(&colour).AppendText(kUpdated);
        AppendEscaped(out, object.updated.GetString());
        out.AppendText(kTextEnd);
    }
}

} // namespace

void AppendHeadingMarkup(const CTString& title, const CTString& subtitle, CTString& out)
{
    const COLORREF colour = HeadingColour();
    out.AppendText(kTitleOpen).AppendHtmlColour(&colour).AppendText(kTagEnd);
    AppendEscaped(out, title);
    out.AppendText(kTextEnd);
    if (!subtitle.IsEmpty()) {
        out.AppendText(kSubtitleOpen).AppendText(kBold).AppendText(kColourAttr).AppendHtmlColour(&colour).AppendText(kTagEnd);
        AppendEscaped(out, subtitle);
        out.AppendText(kTextEnd);
    }
    out.AppendText(kDivEnd);
}

CTString BuildObjectHeadingMarkupWithType(const Object& object, const CTString& typeName,
                                          const CTString& attributeName, bool showPath, bool showDates)
{
    CTString out;
    const COLORREF colour = HeadingColour();
    CAttribute value;
    object.GetAttribute(value, attributeName);
    const bool typed = object.type != 0;

    if (value.GetTextLength() == 0) {
        // No heading text: the path heads the mark-up and showPath has nothing to add.
        out.AppendText(kObjectOpen).AppendHtmlColour(&colour).AppendText(kTagEnd);
        AppendEscaped(out, object.path);
        out.AppendText(kTextEnd);
        if (typed) {
            out.AppendText(kTypeAfterPath).AppendText(kBold).AppendText(kColourAttr).AppendHtmlColour(&colour).AppendText(kTagEnd);
            AppendEscaped(out, typeName);
            out.AppendText(kTextEnd);
            if (showDates) AppendDateLines(out, object, colour);
        }
        out.AppendText(kDivEnd);
        return out;
    }

    CTStringLocale heading(value.GetString());
    out.AppendText(kObjectOpen).AppendHtmlColour(&colour).AppendText(kTagEnd);
    AppendEscaped(out, heading.GetUserText());
    out.AppendText(kTextEnd).AppendText(kBreak);
    if (typed) {
        out.AppendText(kTypeLine).AppendText(kBold).AppendText(kColourAttr).AppendHtmlColour(&colour).AppendText(kTagEnd);
        AppendEscaped(out, typeName);
        out.AppendText(kTextEndSpaced);
    }
    if (showPath) {
        out.AppendText(kPathLine).AppendHtmlColour(&colour).AppendText(kTagEnd);
        AppendEscaped(out, object.path);
        out.AppendText(kTextEnd);
    }
    if (showDates) AppendDateLines(out, object, colour);
    out.AppendText(kDivEnd);
    return out;
}

CTString BuildObjectHeadingMarkup(const Object& object, const CTString& attributeName, bool showPath, bool showDates)
{
    Object type;
    App* app = App::Instance();
    if (app && app->m_mainWindow) app->m_mainWindow->GetTypeById(type, object.type);
    return BuildObjectHeadingMarkupWithType(object, type.name, attributeName, showPath, showDates);
}
