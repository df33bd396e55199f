// The directory cache's fetches as the server client sends them.
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>
#include "session/DirDbServer.h"

namespace {

std::string Narrow(const CTString& text)
{
    std::string out;
    for (unsigned i = 0; i < text.GetLength(); ++i)
        out.push_back(static_cast<char>(text.GetBuffer()[i]));
    return out;
}

class RecordingTransport : public IHttpTransport {
public:
    void OpenSession(const CTString&) override {}
    bool Connect(const CTString&) override { return true; }
    void Send(const CTString&, const CTString& path, const HeaderList&, CTByteArray* body, int, Completion) override
    {
        std::string text = Narrow(path) + " ";
        if (body) {
            text.append(reinterpret_cast<const char*>(body->GetData()), body->GetSize());
            body->SetSize(0);
        }
        sent.push_back(text);
    }
    void Close() override {}
    void Listen(const wchar_t*, Listener) override {}
    int GetPendingCount() override { return 0; }
    int GetBytesReceived() override { return 0; }
    int GetQueuedCallbackCount() override { return 0; }

    std::vector<std::string> sent;
};

} // namespace

TEST(DirDbServer, FetchesGoOutAsObjectPageForms)
{
    auto owned = std::make_unique<RecordingTransport>();
    RecordingTransport* transport = owned.get();
    DB db(std::move(owned));
    db.Connect(CTString(L"srv"));
    DirDbServer server(db);
    Dir dir;
    dir.SetServer(&server);

    RequestRoute window;
    window.targetType = 7;
    dir.RequestObject(5, Dir::WithChildren, window, [] {}, nullptr);
    std::list<__int64> ids{15, 12};
    dir.FetchObjects(ids, window, [] {}, nullptr);
    Object cached;
    cached.id = 5;
    cached.serial = 1;
    dir.StoreObject(cached, 0);
    dir.RefreshCached(5);

    ASSERT_EQ(transport->sent.size(), 3u);
    EXPECT_NE(transport->sent[0].find("api/api_objGet.php ID=5&CHILDREN=1&PARENTS=0"), std::string::npos) << transport->sent[0];
    EXPECT_NE(transport->sent[1].find("api/api_objGet.php IDS=12%2C15&SERIALS=&PASSIVE=1"), std::string::npos) << transport->sent[1];
    EXPECT_NE(transport->sent[2].find("api/api_objGet.php ID=5&PASSIVE=1"), std::string::npos) << transport->sent[2];
}
