// The XML benchmark's second reference: pugixml building a UTF-16 tree from the same UTF-16 text
// the XML model reads. Its own file, since the wide-character build has its own types (namespace
// pugiw, see scripts/setup.sh).
#define PUGIXML_WCHAR_MODE
#define pugi pugiw
#include <pugixml.hpp>

#include <windows.h>

// Seconds for one load of text (count units); false in ok when it did not parse.
double PugixmlWideLoad(const wchar_t* text, size_t count, bool* ok)
{
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    auto* doc = new pugi::xml_document();
    QueryPerformanceCounter(&a);
    pugi::xml_parse_result r = doc->load_buffer(text, count * sizeof(wchar_t), pugi::parse_default, pugi::encoding_wchar);
    QueryPerformanceCounter(&b);
    *ok = static_cast<bool>(r);
    delete doc;
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}
