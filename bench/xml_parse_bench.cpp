// Parsing speed of the XML model on a generated reply of about 10 MB, side by side with a plain
// copy of the same bytes (memcpy + UTF-8 to UTF-16) and, when built, the pugixml reference
// parser on the same bytes with the same compiler. Prints MB/s and ratios; best of several
// interleaved rounds, so that load from other work on the machine falls on all of them alike.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/TiXmlDocument.h"

#ifdef QEL_BENCH_PUGIXML
#include <pugixml.hpp>
#endif
#ifdef QEL_BENCH_PUGIXML_WIDE
double PugixmlWideLoad(const wchar_t* text, size_t count, bool* ok);
#endif

namespace {

void Out(const char* format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    _vsnprintf(line, sizeof line - 1, format, args);
    va_end(args);
    line[sizeof line - 1] = 0;
    fputs(line, stdout);
    fflush(stdout);
}

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)frequency.QuadPart;
}

void Append(std::string& s, const char* format, ...) {
    char piece[1024];
    va_list args;
    va_start(args, format);
    int n = _vsnprintf(piece, sizeof piece - 1, format, args);
    va_end(args);
    if (n > 0)
        s.append(piece, (size_t)n);
}

// A reply shaped like the server's: many objects with attributes and child elements, non-ASCII
// names and texts, entities and some white space between elements.
std::string MakeReply(size_t targetBytes) {
    static const char* const names[] = {"M\xC3\xBCller", "S\xC3\xB8rensen", "\xC5\x81\xC3\xB3\x64\xC5\xBA",
                                        "\xE5\xB1\xB1\xE7\x94\xB0", "Fran\xC3\xA7oise", "Smith"};
    static const char* const places[] = {"B\xC3\xBCro 3 \xE2\x80\x93 Z\xC3\xBCrich", "Hall &amp; Annex",
                                         "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0", "Lab &lt;B&gt;"};
    std::string s;
    s.reserve(targetBytes + 4096);
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<reply rc=\"0\" version=\"4.2\">\n";
    for (unsigned i = 0; s.size() < targetBytes; ++i) {
        Append(s,
               "  <object id=\"%u\" class=\"Computer\" name=\"PC-%s-%04u\" guid=\"{%08X-1D2C-4E5F-9A0B-%012u}\" "
               "state=\"%u\" modified=\"2026-12-%02u 10:%02u:00\">\n",
               i, names[i % 6], i % 10000, i * 2654435761u, i, i % 7, 1 + i % 28, i % 60);
        Append(s, "    <attribute name=\"Location\" type=\"1\">%s</attribute>\n", places[i % 4]);
        Append(s, "    <attribute name=\"Owner\" type=\"1\">%s, %s</attribute>\n", names[(i + 1) % 6],
               names[(i + 3) % 6]);
        Append(s, "    <attribute name=\"Memory\" type=\"2\">%u</attribute>\n", 4096u << (i % 4));
        Append(s, "    <attribute name=\"Notes\" type=\"1\">Ordered %u &#x20AC; incl. VAT; see ticket #%u</attribute>\n",
               100 + i % 900, i);
        s += "    <links><link ref=\"parent\"/><link ref=\"group\" id=\"7\"/></links>\n  </object>\n";
    }
    s += "</reply>\n";
    return s;
}

std::wstring ToWide(const std::string& bytes) {
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
    std::wstring w((size_t)n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), &w[0], n);
    return w;
}

}  // namespace

int wmain() {
    const int runs = 9;
    const std::string bytes = MakeReply(10u * 1024 * 1024);
    const double mb = (double)bytes.size() / (1024.0 * 1024.0);
    const std::wstring wide = ToWide(bytes);
    TiXmlBase::SetCondenseWhiteSpace(false);  // as every caller reads replies

    // Check once that the document reads completely.
    size_t objects = 0;
    {
        TiXmlDocument doc;
        doc.Parse(wide.c_str(), nullptr, 0);
        if (doc.Error()) {
            Out("parse error %d at %d,%d\n", doc.ErrorId(), doc.ErrorRow(), doc.ErrorCol());
            return 1;
        }
        for (TiXmlElement* o = doc.RootElement()->FirstChildElementNamed(L"object"); o;
             o = o->NextSiblingElementNamed(L"object"))
            ++objects;
    }
    Out("XML parse benchmark: %.1f MB of UTF-8 (%u UTF-16 units), %u objects, best of %d interleaved rounds\n", mb,
        (unsigned)wide.size(), (unsigned)objects, runs);

    std::vector<char> copy(bytes.size());
    std::vector<wchar_t> units(wide.size() + 1);
    // Reference: copying the bytes and converting them to UTF-16 (what every reply costs anyway).
    auto copyRun = [&] {
        double t0 = Now();
        memcpy(copy.data(), bytes.data(), bytes.size());
        MultiByteToWideChar(CP_UTF8, 0, copy.data(), (int)copy.size(), units.data(), (int)units.size());
        return Now() - t0;
    };
    // Ours: the tree from the UTF-16 text, and the same including the conversion from UTF-8.
    double tFree = 1e30;
    auto parseRun = [&] {
        auto* doc = new TiXmlDocument();
        double t0 = Now();
        doc->Parse(wide.c_str(), nullptr, 0);
        double t = Now() - t0;
        double f0 = Now();
        delete doc;
        tFree = std::min(tFree, Now() - f0);
        return t;
    };
    auto convertParseRun = [&] {
        auto* doc = new TiXmlDocument();
        double t0 = Now();
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), units.data(), (int)units.size());
        units[wide.size()] = 0;
        doc->Parse(units.data(), nullptr, 0);
        double t = Now() - t0;
        delete doc;
        return t;
    };
#ifdef QEL_BENCH_PUGIXML
    auto pugiRun = [&] {
        auto* doc = new pugi::xml_document();
        double t0 = Now();
        pugi::xml_parse_result r = doc->load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_utf8);
        double t = Now() - t0;
        if (!r)
            Out("pugixml: %s\n", r.description());
        delete doc;
        return t;
    };
    double tPugi = 1e30;
#endif
#ifdef QEL_BENCH_PUGIXML_WIDE
    double tPugiWide = 1e30;
#endif
    double tCopy = 1e30, tParse = 1e30, tConvertParse = 1e30;
    for (int round = 0; round < runs; ++round) {
        tCopy = std::min(tCopy, copyRun());
        tParse = std::min(tParse, parseRun());
        tConvertParse = std::min(tConvertParse, convertParseRun());
#ifdef QEL_BENCH_PUGIXML
        tPugi = std::min(tPugi, pugiRun());
#endif
#ifdef QEL_BENCH_PUGIXML_WIDE
        bool ok = true;
        tPugiWide = std::min(tPugiWide, PugixmlWideLoad(wide.data(), wide.size(), &ok));
        if (!ok)
            Out("pugixml (UTF-16 tree): parse error\n");
#endif
    }

    Out("%-44s %9s %9s\n", "", "MB/s", "ms");
    Out("%-44s %9.1f %9.1f\n", "copy + UTF-8 -> UTF-16 (reference)", mb / tCopy, tCopy * 1000);
    Out("%-44s %9.1f %9.1f\n", "TiXmlDocument::Parse (UTF-16 text)", mb / tParse, tParse * 1000);
    Out("%-44s %9.1f %9.1f\n", "UTF-8 -> UTF-16 + TiXmlDocument::Parse", mb / tConvertParse, tConvertParse * 1000);
    Out("%-44s %9s %9.1f\n", "deleting the tree", "", tFree * 1000);
    {
        // The heap's share: the blocks the tree holds (nodes, attributes, strings past the inline
        // buffer, at their sizes), allocated and freed in a plain loop in the parse's order.
        TiXmlDocument doc;
        doc.Parse(wide.c_str(), nullptr, 0);
        std::vector<size_t> sizes;
        auto string = [&](const TiXmlString& t) {
            if (t.Capacity() > TiXmlString::kInlineCapacity)
                sizes.push_back(t.Capacity() * sizeof(wchar_t));
        };
        for (const TiXmlNode* n = doc.FirstChild(); n;) {
            sizes.push_back(n->ToElement() ? sizeof(TiXmlElement) : sizeof(TiXmlText));
            string(n->value);
            if (const TiXmlElement* e = n->ToElement())
                for (const TiXmlAttribute* a = e->FirstAttribute(); a; a = a->Next()) {
                    sizes.push_back(sizeof(TiXmlAttribute));
                    string(a->name);
                    string(a->value);
                }
            if (n->FirstChild()) {
                n = n->FirstChild();
                continue;
            }
            while (n && !n->NextSibling())
                n = n->Parent() == &doc ? nullptr : n->Parent();
            if (n)
                n = n->NextSibling();
        }
        std::vector<void*> blocks(sizes.size());
        double tHeap = 1e30;
        for (int round = 0; round < 3; ++round) {
            double t0 = Now();
            for (size_t i = 0; i < sizes.size(); ++i)
                blocks[i] = malloc(sizes[i]);
            for (void* b : blocks)
                free(b);
            tHeap = std::min(tHeap, Now() - t0);
        }
        Out("%-44s %9s %9.1f\n", "malloc + free of the tree's blocks alone", "", tHeap * 1000);
        Out("  (%u blocks; the heap's share of parse + delete: %.0f%%)\n", (unsigned)sizes.size(),
            100.0 * tHeap / (tParse + tFree));
    }

#ifdef QEL_BENCH_PUGIXML
    Out("%-44s %9.1f %9.1f\n", "pugixml load_buffer (UTF-8, reference)", mb / tPugi, tPugi * 1000);
    Out("\nratios (throughput; above 1 is faster than the reference):\n");
    Out("  parse / pugixml                     %.2f\n", tPugi / tParse);
    Out("  convert + parse / pugixml           %.2f\n", tPugi / tConvertParse);
    Out("  parse / copy + convert              %.2f\n", tCopy / tParse);
#ifdef QEL_BENCH_PUGIXML_WIDE
    Out("pugixml building a UTF-16 tree (same UTF-16 text): %.1f MB/s, %.1f ms\n", mb / tPugiWide, tPugiWide * 1000);
    Out("  parse / pugixml UTF-16 tree         %.2f\n", tPugiWide / tParse);
#endif
#else
    Out("\n(pugixml reference not built: run scripts/setup.sh)\n");
    Out("ratios (throughput; above 1 is faster than the reference):\n");
    Out("  parse / copy + convert              %.2f\n", tCopy / tParse);
#endif

    // One element of 65,536 attributes: parsing it, copying it (Clone), and copying it the way
    // SetAttribute would, each name looked up among those already copied (the former copy).
    {
        std::wstring big = L"<e";
        for (int i = 0; i < 65536; ++i)
            big += L" a" + std::to_wstring(i) + L"=\"" + std::to_wstring(i * 7) + L"\"";
        big += L"/>";
        double tBigParse = 1e30, tBigClone = 1e30;
        for (int round = 0; round < 3; ++round) {
            TiXmlDocument doc;
            double t0 = Now();
            doc.Parse(big.c_str(), nullptr, 0);
            tBigParse = std::min(tBigParse, Now() - t0);
            t0 = Now();
            TiXmlNode* copy = doc.RootElement()->Clone();
            tBigClone = std::min(tBigClone, Now() - t0);
            delete copy;
        }
        TiXmlDocument doc;
        doc.Parse(big.c_str(), nullptr, 0);
        double t0 = Now();
        TiXmlElement slow(L"e");
        for (TiXmlAttribute* a = doc.RootElement()->FirstAttribute(); a; a = a->Next())
            slow.SetAttribute(a->Name(), a->Value());
        double tBigSlow = Now() - t0;
        Out("\nelement of 65536 attributes: parse %.1f ms, Clone %.1f ms, copy through SetAttribute %.1f ms\n",
            tBigParse * 1000, tBigClone * 1000, tBigSlow * 1000);
        Out("  Clone / parse                       %.2f\n", tBigClone / tBigParse);
        Out("  SetAttribute copy / parse           %.2f\n", tBigSlow / tBigParse);
    }
    return 0;
}
