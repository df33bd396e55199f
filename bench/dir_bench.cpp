// Reading a large object reply into the directory cache, next to parsing the same reply's XML alone.
// The reply holds 50,000 objects (about 30 MB of text); a half-size reply shows how the cost grows.
// Run under Wine: scripts/bench.sh, or wine build/bench/bench_dir.exe
#include "foundation/TiXmlDocument.h"
#include "session/Dir.h"

#include <stdio.h>
#include <string>

namespace {

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

template <class F> double Best(int rounds, F work)
{
    double best = 1e30;
    for (int i = 0; i < rounds; i++) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        work();
        QueryPerformanceCounter(&b);
        double s = Seconds(a, b);
        if (s < best)
            best = s;
    }
    return best;
}

// A reply as the server sends a folder with its children: a tree of objects with typical attributes.
std::wstring MakeReply(int count)
{
    std::wstring xml = L"<?xml version=\"1.0\" encoding=\"UTF-8\"?><result><RC id=\"0\"/><parameters ID=\"1\"/>";
    xml.reserve(static_cast<size_t>(count) * 640 + 256);
    wchar_t buffer[1024];
    for (int i = 1; i <= count; ++i) {
        int parent = i == 1 ? 0 : 1 + (i - 2) / 8;
        _snwprintf(buffer, 1024,
                   L"<object id=\"%d\" type=\"12\" parent=\"%d\" serial=\"%d\" name=\"Computer &amp;amp; %05d\" "
                   L"path=\"\\Company\\Site %d\\Computer %05d\" created=\"1600000000\" updated=\"1650000000\">"
                   L"<attrib id=\"101\" name=\"display_name\" type=\"value_varchar\">Workstation %05d</attrib>"
                   L"<attrib id=\"102\" name=\"display_order\" type=\"value_int\">%d</attrib>"
                   L"<attrib id=\"103\" name=\"status\" edit=\"VALUES=Active,Retired,'On hold'\" type=\"value_int\">1</attrib>"
                   L"<attrib id=\"104\" name=\"end_date\" default=\"1\" type=\"value_date\">1700000000</attrib>"
                   L"<attrib id=\"105\" name=\"link_site\" type=\"value_iddirectory\">%d</attrib>"
                   L"<attrib id=\"106\" name=\"members\" inherit=\"1\" type=\"value_iddirectory_array\">/1/22/333/</attrib>"
                   L"<priv id=\"1\" name=\"Read\" value=\"1\"/><priv id=\"2\" name=\"Write\" value=\"0\"/></object>",
                   i, parent, i % 97, i, i % 50, i, i, i % 1000, parent);
        xml.append(buffer);
    }
    xml.append(L"</result>");
    return xml;
}

struct Figures {
    double parse = 0;
    double read = 0;   // the cache's own step, on a parsed reply
    size_t objects = 0;
};

Figures Measure(int count)
{
    std::wstring xml = MakeReply(count);
    Figures figures;
    TiXmlBase::SetCondenseWhiteSpace(false);
    figures.parse = Best(3, [&] {
        TiXmlDocument doc;
        doc.Parse(xml.c_str(), nullptr, 0);
    });
    RequestResult reply;
    reply.route.targetType = Dir::kWindowType;
    reply.route.requestId = Dir::kRequestId;
    reply.document.Parse(xml.c_str(), nullptr, 0);
    figures.read = 1e30;
    for (int round = 0; round < 3; ++round) {
        Dir dir;   // destroyed after the timing: tearing the cache down is not part of reading
        double s = Best(1, [&] { dir.OnResult(reply); });
        figures.read = s < figures.read ? s : figures.read;
        figures.objects = dir.GetObjectCount();
    }
    int utf8 = WideCharToMultiByte(CP_UTF8, 0, xml.c_str(), static_cast<int>(xml.size()), nullptr, 0, nullptr, nullptr);
    printf("%6d objects, %5.1f MB reply: parse %.3f s, read into the cache %.3f s; parse and read / parse alone = %.2f\n",
           count, utf8 / 1e6, figures.parse, figures.read, (figures.parse + figures.read) / figures.parse);
    return figures;
}

} // namespace

int wmain()
{
    Figures half = Measure(25000);
    Figures full = Measure(50000);
    if (full.objects != 50000)
        printf("cache holds %zu objects, expected 50000\n", full.objects);
    printf("growth from 25,000 to 50,000 objects: parse x%.2f, cache read x%.2f (2.00 is linear)\n",
           full.parse / half.parse, full.read / half.read);
    return 0;
}
