#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>

#include "demo/corpus.h"
#include "demo/http_message.h"
#include "demo/site.h"
#include "probe/commands.h"
#include "tests/probe/probe_fixture.h"
#include "tests/support/loopback_server.h"
#include "tests/support/temp_run_dir.h"

namespace qingwu::probe::testing {
namespace {

using qingwu::test::LoopbackServer;
using qingwu::test::RecordedRequest;
using qingwu::test::Response;

// The demo site's own pages, served on a loopback port of the system's choosing.
class DemoSite {
  public:
    DemoSite()
        : site_({demo::BuiltInBook()}),
          server_([this](const RecordedRequest& request, std::size_t) { return Answer(request); }) {
    }

    const demo::Site& Site() const { return site_; }
    const LoopbackServer& Server() const { return server_; }

  private:
    Response Answer(const RecordedRequest& recorded) const {
        demo::HttpRequest request;
        std::size_t bodyLength = 0;
        const std::size_t headEnd = demo::FindHeadEnd(recorded.raw);
        if (headEnd == std::string::npos ||
            demo::ParseRequestHead(std::string_view(recorded.raw).substr(0, headEnd), request,
                                   bodyLength) != demo::HeadStatus::kOk) {
            return {qingwu::test::Send(demo::SerializeResponse(demo::ErrorResponse(400), false)),
                    qingwu::test::Close()};
        }
        request.body = recorded.body;
        return {qingwu::test::Send(
                    demo::SerializeResponse(site_.Handle(request), request.method == "HEAD")),
                qingwu::test::Close()};
    }

    demo::Site site_;
    LoopbackServer server_;
};

// Moves the addresses of the delivered profile to the port the demo site got.
bool MoveDeliveredProfile(const qingwu::test::TempRunDir& run, const std::string& hostPort) {
    std::string sql = "UPDATE 书库信息 SET ";
    const char* fields[] = {"书库网站搜索页地址", "网址章节列表页", "网址章节内容页"};
    for (const char* field : fields) {
        sql += std::string(field == fields[0] ? "" : ", ") + field + " = replace(" + field +
               ", '127.0.0.1:18080', '" + hostPort + "')";
    }
    return run.ExecSk(sql);
}

TEST(ProbeOnTheDemoSite, TheDeliveredProfileWalksTheWholeRoad) {
    DemoSite demo;
    ASSERT_TRUE(demo.Server().Listening());
    const qingwu::test::TempRunDir runDirectory;
    ASSERT_TRUE(MoveDeliveredProfile(runDirectory, demo.Server().HostPort()));
    const std::string profiles = runDirectory.DataPath("sk.mdb");

    ProbeRun run = Probe({"sites", "--profiles", profiles});
    EXPECT_EQ(run.status, kExitPassed) << run.out << run.err;

    const demo::Book& book = demo.Site().Books().front();
    run = Probe({"check", "青梧书屋", book.title, "--profiles", profiles, "--json"});
    EXPECT_EQ(run.status, kExitPassed) << run.out << run.err;
    const QJsonObject report = JsonOf(run);
    const QJsonObject first = report.value("search").toObject().value("rows")[0].toObject();
    EXPECT_EQ(Str(first, "title"), book.title);
    EXPECT_EQ(Str(first, "author"), book.author);
    EXPECT_EQ(Str(first, "id"), std::to_string(book.id));
    EXPECT_EQ(Str(first, "prefix"), std::to_string(book.idPrefix));
    const QJsonObject list = report.value("chapterList").toObject();
    EXPECT_EQ(list.value("chapterCount").toInt(), static_cast<int>(book.chapters.size()));
    EXPECT_EQ(Str(list.value("chapters")[0].toObject(), "name"), book.chapters.front().name);
    const QJsonObject chapter = report.value("firstChapter").toObject();
    EXPECT_NE(Str(chapter.value("title").toObject(), "text").find(book.chapters.front().name),
              std::string::npos);
    EXPECT_TRUE(report.value("firstChapter").toObject().value("warnings").toArray().isEmpty());
}

}  // namespace
}  // namespace qingwu::probe::testing
