// Readers and fetchers against a local server: every feed kind, GET and POST searches, pages
// cut from unpaged feeds, feed facts, users with and without playlists, media data (also of
// the generic service through a stand-in download helper), image loading, and fetchers that
// go away while their reader still runs.

#include "ServiceTestSupport.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TestHttpServer.h"
#include "app/AppPaths.h"
#include "app/KObject.h"
#include "core/AppContext.h"
#include "services/FeedDataFetcher.h"
#include "services/FormHelper.h"
#include "services/MediaDataFetcher.h"
#include "services/MediaFeed.h"
#include "services/MediaItem.h"
#include "services/MediaServices.h"
#include "services/PlaylistItem.h"
#include "services/UserDataFetcher.h"
#include "services/UserItem.h"

#include <memory>

namespace {

// Page records are served already in the plugin's record form; the plugin passes them on.
QString feedyProgram(const QString& name, const QString& base, const QString& settings)
{
    return pluginProgram(name,
        "validDomains: '127.0.0.1', supportsSearch: true, itemsPerPage: 50, " + settings,
        QStringLiteral(
            "var BASE = '%1';\n"
            "function getSearchFeedURL(q, n, s, t) {"
            "  return BASE + '/search?q=' + q + '&page=' + n + '&size=' + s + '&token=' + t; }\n"
            "function getSearchPOSTBody(q) { return JSON.stringify({ query: q }); }\n"
            "function getUploadsFeedURL(q, n, s, t) { return BASE + '/feed/uploads?page=' + n; }\n"
            "function getFavoritesFeedURL(q, n, s, t) { return BASE + '/feed/favorites'; }\n"
            "function getLikesFeedURL(q, n, s, t) { return BASE + '/feed/likes'; }\n"
            "function getRelatedFeedURL(q, n, s, t) { return BASE + '/feed/related'; }\n"
            "function getPlaylistIdFromURL(u) { return t_getRegExMatch(u, /list=(\\w+)/, 1); }\n"
            "function getPlaylistFeedURL(p, u, n, s, t) {"
            "  return BASE + '/feed/playlist?id=' + p + '&owner=' + u + '&page=' + n; }\n"
            "function getPlaylistsFeedURL(q) { return BASE + '/playlists'; }\n"
            "function getUserDataURL(q) { return BASE + '/user/' + q.split('/').pop(); }\n"
            "function getMediaDataURL(q) { return BASE + '/media/' + q.split('/').pop(); }\n"
            "function getMediaFeed(c) { return JSON.parse(c); }\n"
            "function getMediaData(c) { return JSON.parse(c); }\n"
            "function getUserData(c) { return JSON.parse(c); }\n"
            "function getPlayLists(c) { return JSON.parse(c); }\n")
            .arg(base));
}

QJsonObject feedOf(int count, const QString& title, int total)
{
    QJsonArray feed;
    for (int i = 0; i < count; ++i)
        feed.append(QJsonObject { { "id", QString::number(i) }, { "title", QString::number(i) } });
    return QJsonObject { { "feedTitle", title }, { "totalResults", total },
        { "nextPageToken", "next" }, { "prevPageToken", "prev" }, { "feed", feed } };
}

QStringList titles(const FeedDataFetcher& fetcher)
{
    QStringList result;
    for (const MediaItem& item : fetcher.items())
        result << item.title();
    return result;
}

} // namespace

class TestReadersFetchers : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ServiceFixture> m_fixture;
    TestHttpServer m_server;

    static const MediaServices* services() { return AppContext::serviceRegistry(); }

    void fetch(FeedDataFetcher& fetcher, int page, const QString& token = QString())
    {
        QSignalSpy ready(&fetcher, &FeedDataFetcher::feedDataReady);
        fetcher.fetchPage(page, token);
        QVERIFY(ready.wait(10000));
        QCOMPARE(ready.size(), 1);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        m_fixture = std::make_unique<ServiceFixture>();
        const QString base = m_server.url(QString()).toString();
        ServiceFixture::writePlugin(
            "feedy", feedyProgram("Feedy", base, "supportsPlaylists: true"));
        ServiceFixture::writePlugin(
            "poster", feedyProgram("Poster", base, "searchHttpMethod: 'POST'"));
        ServiceFixture::writePlugin(
            "unpaged", feedyProgram("Unpaged", base, "feedsHasPaging: false"));
        ServiceFixture::writePlugin(
            "dependent", feedyProgram("Dependent", base, "userFeedsDependsOnUserData: true"));
        QVERIFY(AppTestSupport::installDownloadHelper(
            "fake-helper", readFile(QFINDTESTDATA("fake-helper.sh"))));
        QVERIFY(m_fixture->loadRegistry());
        QCOMPARE(AppContext::serviceRegistry()->services().size(), 5);

        m_server.answer("/search", TestHttpServer::Response::json(feedOf(3, "Found", 101)));
        m_server.answer(
            "/feed/uploads", TestHttpServer::Response::json(feedOf(120, "All uploads", 120)));
        for (const char* kind : { "/feed/favorites", "/feed/likes", "/feed/related" })
            m_server.answer(kind, TestHttpServer::Response::json(feedOf(2, kind, 2)));
        m_server.route("/feed/playlist", [](const TestHttpServer::Request& request) {
            if (request.query.contains("GONE"))
                return TestHttpServer::Response::text("gone", 404);
            return TestHttpServer::Response::json(feedOf(1, "Playlist " + request.query, 1));
        });
        m_server.serveFile("/user/ann",
            R"({"userName": "Ann", "userId": "ann", "subscriberCount": 7})", "application/json");
        m_server.serveFile("/playlists",
            R"({"itemCount": 2, "feed": [{"id": "p1", "name": "One"}, {"id": "p2", "name": "Two"}]})",
            "application/json");
        m_server.serveFile("/media/v1", R"({"id": "v1", "title": "Video one", "hasHD": true})",
            "application/json");
    }

    void cleanupTestCase() { m_fixture.reset(); }

    void searchByGet()
    {
        FeedDataFetcher fetcher(services(), SearchParams("cats & dogs"), "Feedy", FeedKind::Search);
        fetch(fetcher, 2, "tok");
        QCOMPARE(titles(fetcher), (QStringList { "0", "1", "2" }));
        const QUrlQuery sent(m_server.lastRequest("/search").query);
        QCOMPARE(sent.queryItemValue("q", QUrl::FullyDecoded), "cats & dogs");
        QCOMPARE(sent.queryItemValue("page"), "2");
        QCOMPARE(sent.queryItemValue("size"), "50");
        QCOMPARE(sent.queryItemValue("token"), "tok");
        QCOMPARE(fetcher.totalResults(), 101);
        QCOMPARE(fetcher.pageCount(), 3);
        QCOMPARE(fetcher.nextPageToken() + fetcher.prevPageToken(), "nextprev");
        QVERIFY(!fetcher.hasFailed());
        // No page size, or a total near the int bound, must not break the count.
        QCOMPARE(FeedDataFetcher::pageCount(10, 0), 0);
        QCOMPARE(FeedDataFetcher::pageCount(2147483647, 50), 42949673);
    }

    void searchByPostIsSentAsJson()
    {
        FeedDataFetcher fetcher(services(), SearchParams("cats"), "Poster", FeedKind::Search);
        fetch(fetcher, 1);
        const TestHttpServer::Request request = m_server.lastRequest("/search");
        QCOMPARE(request.method, "POST");
        QCOMPARE(request.header("content-type"), QByteArray("application/json"));
        QCOMPARE(QJsonDocument::fromJson(request.body).object().value("query").toString(), "cats");
        QCOMPARE(fetcher.items().size(), 3);
    }

    void unpagedFeedsArePagedHere()
    {
        FeedDataFetcher fetcher(services(), SearchParams("someone"), "Unpaged", FeedKind::Uploads);
        fetch(fetcher, 2);
        const QStringList read = titles(fetcher);
        QCOMPARE(read.size(), 50);
        QCOMPARE(read.first() + '-' + read.last(), "50-99");
        QCOMPARE(fetcher.pageCount(), 3);
    }

    // Uploads and favorites of such a service carry no totals of their own.
    void userFeedFactsWhenTheyDependOnTheUser()
    {
        for (int kind : { FeedKind::Uploads, FeedKind::Favorites, FeedKind::Likes }) {
            FeedDataFetcher fetcher(services(), SearchParams("ann"), "Dependent", kind);
            fetch(fetcher, 1);
            QVERIFY(!fetcher.items().isEmpty());
            QCOMPARE(fetcher.totalResults(), kind == FeedKind::Likes ? 2 : 0);
            QCOMPARE(fetcher.nextPageToken().isEmpty(), kind != FeedKind::Likes);
        }
    }

    void playlistFeeds()
    {
        FeedDataFetcher byId(services(), "PL7", "owner1", "Feedy");
        fetch(byId, 2);
        QCOMPARE(byId.feedKind(), int(FeedKind::Playlist));
        QCOMPARE(byId.feedName(), "Playlist id=PL7&owner=owner1&page=2");
        FeedDataFetcher byAddress(services(), SearchParams("http://127.0.0.1/watch?list=PL9"),
            "Feedy", FeedKind::Playlist);
        fetch(byAddress, 1);
        QCOMPARE(byAddress.feedName(), "Playlist id=PL9&owner=&page=1");
    }

    void pageZeroStartsNothing()
    {
        m_server.clearRequests();
        FeedDataFetcher fetcher(services(), SearchParams("x"), "Feedy", FeedKind::Search);
        QSignalSpy ready(&fetcher, &FeedDataFetcher::feedDataReady);
        fetcher.fetchPage(0, QString());
        fetcher.fetchPage(-1, QString());
        QVERIFY(!ready.wait(300));
        QVERIFY(m_server.requests().isEmpty());
    }

    void failedFetchesGiveEmptyFeeds()
    {
        FeedDataFetcher fetcher(services(), SearchParams("x"), "Nobody", FeedKind::Search);
        fetch(fetcher, 1);
        QVERIFY(fetcher.items().isEmpty());
        QVERIFY(fetcher.errorText().contains("\"Nobody\""));
        FeedDataFetcher related(services(), "GONE", QString(), "Feedy");
        fetch(related, 1);
        QVERIFY(related.items().isEmpty());
        QVERIFY2(related.errorText().startsWith(KObject::textForCode(KObject::UnsupportedUrl)),
            qPrintable(related.errorText()));
        QCOMPARE(related.pageCount(), 0);
    }

    void users()
    {
        UserDataFetcher fetcher(services(), SearchParams("http://127.0.0.1/u/ann"), "Feedy");
        QSignalSpy user(&fetcher, &UserDataFetcher::userDataReady);
        QSignalSpy playlists(&fetcher, &UserDataFetcher::playlistsReady);
        fetcher.start();
        QTRY_COMPARE_WITH_TIMEOUT(user.size() + playlists.size(), 2, 10000);
        QCOMPARE(fetcher.userItem()->subscriberCount(), 7);
        QCOMPARE(fetcher.playlists().size(), 2);
        QCOMPARE(fetcher.playlists().last().name(), "Two");

        // Without playlists only the user comes; a missing user comes as an error.
        UserDataFetcher plain(services(), SearchParams("http://127.0.0.1/u/ann"), "Dependent");
        QSignalSpy plainUser(&plain, &UserDataFetcher::userDataReady);
        QSignalSpy noPlaylists(&plain, &UserDataFetcher::playlistsReady);
        plain.start();
        QVERIFY(plainUser.wait(10000));
        QVERIFY(plain.userItem());
        QVERIFY(!noPlaylists.wait(300));
        UserDataFetcher missing(services(), SearchParams("http://127.0.0.1/u/nobody"), "Dependent");
        QSignalSpy missingUser(&missing, &UserDataFetcher::userDataReady);
        missing.start();
        QVERIFY(missingUser.wait(10000));
        QVERIFY(!missing.userItem());
        QCOMPARE(missing.errorText(), "The URL is not supported.");
    }

    void mediaData()
    {
        for (const QString& id : QStringList { "v1", "v2" }) {
            MediaDataFetcher fetcher(
                services(), SearchParams("http://127.0.0.1/watch/" + id), "Feedy");
            QSignalSpy ready(&fetcher, &MediaDataFetcher::ready);
            fetcher.start();
            QVERIFY(ready.wait(10000));
            QCOMPARE(fetcher.mediaItem() ? fetcher.mediaItem()->title() : "none",
                id == "v1" ? "Video one" : "none");
            // A failure says why; a success leaves no reason behind.
            QCOMPARE(fetcher.errorText().isEmpty(), id == "v1");
        }
    }

    void genericServiceAsksTheDownloadHelper()
    {
        const QString page = m_server.url("/any/page.html").toString();
        MediaDataFetcher fetcher(services(), SearchParams(page), "Generic Service");
        QSignalSpy ready(&fetcher, &MediaDataFetcher::ready);
        fetcher.start();
        QVERIFY(ready.wait(20000));
        const std::optional<MediaItem>& item = fetcher.mediaItem();
        QVERIFY(item);
        QCOMPARE(item->title(), "Sunset timelapse");
        QCOMPARE(item->durationSeconds(), 126);
        QCOMPARE(item->userId(), "ann");
        QCOMPARE(item->isoDate(), "2024-01-31");
        QCOMPARE(item->views(), 4321);
        QVERIFY(item->hasHD());
        QCOMPARE(item->permaUrl(), page);
        // The helper fetched nothing from our server; it was only asked.
        QCOMPARE(m_server.requestCount("/any/page.html"), 0);
        QFile arguments(AppPaths::helpersLocation() + "fake-helper.arguments");
        QCOMPARE(QString::fromUtf8(readFile(arguments.fileName())).split('\n', Qt::SkipEmptyParts),
            (QStringList { "--dump-json", "--no-call-home", page }));

        // What is not a web address never reaches the helper, where it could be an option.
        QVERIFY(arguments.remove());
        MediaDataFetcher option(
            services(), SearchParams("--exec=touch /tmp/owned"), "Generic Service");
        QSignalSpy optionReady(&option, &MediaDataFetcher::ready);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("not a web address"));
        option.start();
        QVERIFY(optionReady.wait(10000));
        QVERIFY(!option.mediaItem());
        QVERIFY(!arguments.exists());
    }

    void imagesAndTheFallbackPicture()
    {
        QImage picture(32, 24, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
        m_server.serveFile("/thumb.png", png, "image/png");
        m_server.serveFile("/thumb.html", "<html>not a picture</html>", "text/html");
        const QImage fallback(FormHelper::fallbackImagePath());
        QVERIFY(!fallback.isNull());
        FormHelper helper;
        QSignalSpy finished(&helper, &FormHelper::finished);
        for (const char* path : { "/thumb.png", "/thumb.html", "/no-such.png" }) {
            helper.loadImage(m_server.url(path));
            QVERIFY(finished.wait(10000));
            const QImage image = finished.last().first().value<QImage>();
            QCOMPARE(image == fallback, path != QLatin1String("/thumb.png"));
            QCOMPARE(image.size(),
                path == QLatin1String("/thumb.png") ? QSize(32, 24) : fallback.size());
        }
    }

    void fetchersMayGoAwayWhileReading()
    {
        m_server.route("/feed/slow", [](const TestHttpServer::Request&) {
            QThread::msleep(400);
            return TestHttpServer::Response::json(feedOf(2, "slow", 2));
        });
        ServiceFixture::writePlugin("slow",
            pluginProgram("Slow", "",
                QStringLiteral("function getRelatedFeedURL() { return '%1'; }\n"
                               "function getMediaFeed(c) { return JSON.parse(c); }")
                    .arg(m_server.url("/feed/slow").toString())));
        QVERIFY(AppContext::serviceRegistry()->addServiceAfterLaunch("slow"));
        m_server.clearRequests();
        auto* dropped
            = new FeedDataFetcher(services(), SearchParams("x"), "Slow", FeedKind::Related);
        dropped->fetchPage(1, QString());
        QTRY_COMPARE_WITH_TIMEOUT(m_server.requestCount("/feed/slow"), 1, 10000);
        delete dropped;

        // A second page asked for while the first is read: only the second arrives.
        FeedDataFetcher fetcher(services(), SearchParams("x"), "Slow", FeedKind::Related);
        QSignalSpy ready(&fetcher, &FeedDataFetcher::feedDataReady);
        fetcher.fetchPage(1, QString());
        fetcher.fetchPage(2, QString());
        QVERIFY(ready.wait(10000));
        QVERIFY(!ready.wait(800));
        QCOMPARE(ready.size(), 1);
        QCOMPARE(fetcher.pageNo(), 2);
        QCOMPARE(fetcher.items().size(), 2);
    }
};

KESTROFAN_CORE_TEST_MAIN(TestReadersFetchers)
#include "tst_readersfetchers.moc"
