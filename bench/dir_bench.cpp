// Reading a large object reply into the directory cache, next to parsing the same reply's XML alone.
// The reply is the fixture server's answer to a search for people and computers with their paths
// in the sample directory grown to 50,000 of each: 50,000 objects (about 30 MB of text); the
// answer limited to 25,000 shows how the cost grows.
// Run with scripts/bench.sh (it writes the replies and runs this under Wine).
#include "foundation/TiXmlDocument.h"
#include "session/Dir.h"

#include <stdio.h>
#include <string>

#include "SampleReply.h"
#include "BenchTimer.h"

namespace {

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

struct Figures {
    double parse = 0;
    double read = 0;   // the cache's own step, on a parsed reply
    size_t objects = 0;
};

Figures Measure(const char* file)
{
    std::wstring xml = LoadSampleReply(file);
    const int count = CountElements(xml, L"<object ");
    Figures figures;
    if (count == 0)
        return figures;
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
    Figures half = Measure("dir_25000.xml");
    Figures full = Measure("dir_50000.xml");
    if (half.objects == 0 || full.objects == 0)
        return 1;
    if (full.objects != 50000)
        printf("cache holds %zu objects, expected 50000\n", full.objects);
    printf("growth from 25,000 to 50,000 objects: parse x%.2f, cache read x%.2f (2.00 is linear)\n",
           full.parse / half.parse, full.read / half.read);
    return 0;
}
