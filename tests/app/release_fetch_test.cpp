#include "app/lumivex_release_service.h"
#include "app/release_feed_error.h"
#include "local_http_server.h"
#include "support/event_loop.h"

#include <gtest/gtest.h>

namespace lumivex::test {
namespace {

const QByteArray feedPath = "/updates/releases.json";
const QByteArray oneRelease =
    R"([{"tag_name":"v1.2.3","html_url":"h","draft":false,"prerelease":false,"assets":[]}])";

// What a fetch ended with: the feed, or the error's code.
struct Outcome {
    std::optional<QList<LumivexRelease>> releases;
    std::optional<ReleaseFeedErrorCode> error;
};

class ReleaseFetchTest : public ::testing::Test {
protected:
    Outcome fetch() {
        QFuture<QList<LumivexRelease>> future =
            LumivexReleaseService::fetch(QUrl(server.url(QString::fromLatin1(feedPath))));
        runEventsUntil([&] { return future.isFinished(); }, "the feed's fetch");
        try {
            return {future.result(), std::nullopt};
        } catch (const Error& error) {
            EXPECT_EQ(error.domain(), releaseFeedErrorDomain);
            return {std::nullopt, static_cast<ReleaseFeedErrorCode>(error.code())};
        }
    }

    void serve(int status, const QByteArray& body) {
        server.answer(feedPath, {status, {{"Content-Type", "application/json"}}, body, false});
    }

    LocalHttpServer server;
};

TEST_F(ReleaseFetchTest, AsksForJsonAsTheUpdateCheckWithoutCookiesAndDecodesA200) {
    serve(200, oneRelease);
    const Outcome outcome = fetch();
    ASSERT_TRUE(outcome.releases);
    ASSERT_EQ(outcome.releases->size(), 1);
    EXPECT_EQ(outcome.releases->front().tag_name, QStringLiteral("v1.2.3"));

    ASSERT_EQ(server.requests().size(), 1);
    const QByteArray& head = server.requests().front();
    EXPECT_TRUE(head.startsWith("GET " + feedPath + " HTTP/1.1\r\n")) << head.toStdString();
    EXPECT_TRUE(head.contains("\r\nAccept: application/json\r\n")) << head.toStdString();
    EXPECT_TRUE(head.contains("\r\nUser-Agent: Dovrin-Update-Check\r\n")) << head.toStdString();
    EXPECT_FALSE(head.toLower().contains("\r\ncookie:")) << head.toStdString();
}

TEST_F(ReleaseFetchTest, TakesABodyOfExactlyTheLimitAndRefusesOneByteMore) {
    QByteArray body = "[]";
    body.append(LumivexReleaseService::maximumFeedBytes - body.size(), ' ');
    serve(200, body);
    const Outcome atLimit = fetch();
    ASSERT_TRUE(atLimit.releases);
    EXPECT_TRUE(atLimit.releases->isEmpty());

    serve(200, body + ' ');
    EXPECT_EQ(fetch().error, ReleaseFeedErrorCode::badServerResponse);
}

TEST_F(ReleaseFetchTest, RefusesEveryStatusButOkAndARedirectAway) {
    for (const int status : {201, 304, 404}) {
        serve(status, status == 304 ? QByteArray() : oneRelease);
        EXPECT_EQ(fetch().error, ReleaseFeedErrorCode::badServerResponse) << status;
    }
    server.answer("/elsewhere.json", {200, {}, oneRelease, false});
    server.answer(
        feedPath,
        {302, {{"Location", server.url(QStringLiteral("/elsewhere.json")).toLatin1()}}, {}, false});
    EXPECT_EQ(fetch().error, ReleaseFeedErrorCode::badServerResponse);
}

TEST_F(ReleaseFetchTest, CutsOffAServerThatNeverStopsAtTheLimit) {
    server.answer(feedPath, {200, {}, {}, true});
    EXPECT_EQ(fetch().error, ReleaseFeedErrorCode::badServerResponse);
    runEventsUntil([&] { return server.streamsClosed(); }, "the stream's end");
    // What was sent past the limit sat in socket buffers, never in the reply.
    EXPECT_LT(server.streamed(), 4 * LumivexReleaseService::maximumFeedBytes);
}

TEST_F(ReleaseFetchTest, PassesOnAFeedThatDoesNotDecodeAndAServerThatIsNotThere) {
    serve(200, R"({"tag_name":"v1.2.3"})");
    EXPECT_EQ(fetch().error, ReleaseFeedErrorCode::decoding);

    const QUrl closed(QStringLiteral("http://127.0.0.1:1/updates/releases.json"));
    QFuture<QList<LumivexRelease>> future = LumivexReleaseService::fetch(closed);
    runEventsUntil([&] { return future.isFinished(); }, "the refused connection");
    EXPECT_THROW(future.result(), Error);
}

}  // namespace
}  // namespace lumivex::test
