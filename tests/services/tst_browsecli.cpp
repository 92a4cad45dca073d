// The browse commands end to end: the built kestrofan-cli runs in this test's installation,
// with the bundled PeerTube plugin pointed at a local server that answers with responses shaped
// as the PeerTube REST API documents them.

#include "ServiceTestSupport.h"
#include "TestEnvironment.h"
#include "TestHttpServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QUrlQuery>

namespace {

struct CliRun
{
    int exitCode = -1;
    QByteArray out;
    QString err;

    QJsonObject object() const { return QJsonDocument::fromJson(out).object(); }
    QJsonArray array() const { return QJsonDocument::fromJson(out).array(); }
};

const QString videoId = "kkGMgK9ZtnKfYAgnEtQxbv";
const QString playlistId = "cb7e2xSaHfSXQKJrvSsRQr";

} // namespace

class TestBrowseCli : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ServiceFixture> m_fixture;
    TestHttpServer m_server;
    QString m_origin;

    QString page(const QString& path) const { return m_origin + path; }

    CliRun cli(const QStringList& arguments)
    {
        QProcess process;
        process.start(QStringLiteral(KESTROFAN_CLI), arguments);
        CliRun run;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = process.readAllStandardOutput();
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    // A fixture with the server's address in place of the instance's.
    QByteArray fixture(const QString& name) const
    {
        QFile file(QFINDTESTDATA("fixtures/peertube/" + name));
        if (!file.open(QIODevice::ReadOnly))
            qFatal("Missing fixture %s", qPrintable(name));
        return QString::fromUtf8(file.readAll())
            .replace("{origin}", m_origin)
            .replace("{domain}", "127.0.0.1")
            .toUtf8();
    }

    void serve(const QString& path, const QString& name)
    {
        m_server.serveFile(path, fixture(name), "application/json; charset=utf-8");
    }

    // The bundled plugin, aimed at our server instead of the public instance.
    void installLocalPeerTube()
    {
        QFile source(QStringLiteral(KESTROFAN_PEERTUBE_SOURCE));
        QVERIFY(source.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(source.readAll());
        const QRegularExpression domain("var INSTANCE_DOMAIN = \"[^\"]*\";");
        const QRegularExpression origin("var INSTANCE_ORIGIN = \"[^\"]*\";");
        QVERIFY(text.contains(domain) && text.contains(origin));
        text.replace(domain, "var INSTANCE_DOMAIN = \"127.0.0.1\";");
        text.replace(origin, QString("var INSTANCE_ORIGIN = \"%1\";").arg(m_origin));
        ServiceFixture::writePlugin("peertube", text);
    }

    // Each named field, as text ("true", "12", "4.9").
    static void expectFields(const QJsonObject& object, const QMap<QString, QString>& expected)
    {
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QCOMPARE(object[it.key()].toVariant().toString(), it.value());
    }

    static QStringList titles(const QJsonArray& items)
    {
        QStringList result;
        for (const QJsonValue& item : items)
            result << item["title"].toString();
        return result;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        m_origin = m_server.url(QString()).toString();
        if (m_origin.endsWith(QLatin1Char('/')))
            m_origin.chop(1);
        m_server.route("/api/v1/search/videos", [this](const TestHttpServer::Request& request) {
            const bool byTag = request.query.contains("tagsOneOf");
            return TestHttpServer::Response { 200, { { "Content-Type", "application/json" } },
                fixture(byTag ? "tag-search.json" : "search-videos.json") };
        });
        serve("/api/v1/videos/" + videoId, "video.json");
        serve("/api/v1/accounts/framasoft", "account.json");
        serve("/api/v1/accounts/framasoft/videos", "account-videos.json");
        serve("/api/v1/accounts/framasoft/video-playlists", "account-playlists.json");
        serve("/api/v1/video-playlists/" + playlistId + "/videos", "playlist-videos.json");
        serve("/api/v1/video-channels/joinpeertube", "channel.json");
        serve("/api/v1/video-channels/joinpeertube/videos", "account-videos.json");

        m_fixture = std::make_unique<ServiceFixture>();
        installLocalPeerTube();
    }

    void servicesAreListed()
    {
        const QJsonArray services = cli({ "services", "--json" }).array();
        QCOMPARE(services.size(), 2);
        expectFields(services[0].toObject(), { { "name", "PeerTube" } });
        QCOMPARE(services[0]["validDomains"].toArray(), QJsonArray { "127.0.0.1" });
        QVERIFY(services[0]["feeds"].toArray().contains("playlists"));
        expectFields(
            services[1].toObject(), { { "name", "Generic Service" }, { "generic", "true" } });
        QVERIFY(cli({ "services" }).out.contains("PeerTube (peertube, revision"));
    }

    void addressesResolve_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("expected"); // kind, key, value
        const QString uuid = "9c9de5e8-0a1e-484a-b099-e80766180a6d";
        QTest::newRow("video") << "/w/" + videoId << QStringList { "media", "mediaId", videoId };
        QTest::newRow("watch uuid")
            << "/videos/watch/" + uuid << QStringList { "media", "mediaId", uuid };
        QTest::newRow("account") << "/a/framasoft/video-channels"
                                 << QStringList { "user", "userId", "accounts/framasoft" };
        QTest::newRow("channel") << "/c/joinpeertube"
                                 << QStringList { "user", "userId", "video-channels/joinpeertube" };
        QTest::newRow("playlist") << "/w/p/" + playlistId
                                  << QStringList { "playlist", "playlistId", playlistId };
        QTest::newRow("search page") << "/search?search=free%20software"
                                     << QStringList { "search", "searchQuery", "free software" };
    }

    void addressesResolve()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, expected);
        const CliRun run = cli({ "resolve", page(path), "--json" });
        QCOMPARE(run.exitCode, 0);
        expectFields(run.object(),
            { { "kindName", expected[0] }, { "serviceName", "PeerTube" },
                { expected[1], expected[2] } });
    }

    void searchWithFeedFacts()
    {
        CliRun run = cli({ "search", "free", "software", "--json" });
        QCOMPARE(run.exitCode, 0);
        const QJsonArray feeds = run.object()["feeds"].toArray();
        QCOMPARE(feeds.size(), 1);
        const QJsonObject feed = feeds.first().toObject();
        expectFields(feed,
            { { "serviceName", "PeerTube" }, { "totalResults", "37" }, { "pageSize", "25" },
                { "pageCount", "2" }, { "feedTitle", "Search" } });
        const QJsonArray items = feed["items"].toArray();
        QCOMPARE(
            titles(items), (QStringList { "What is PeerTube?", "Free software & the fediverse" }));
        expectFields(items[0].toObject(),
            { { "id", videoId }, { "durationSeconds", "113" }, { "isoDate", "2018-10-01" },
                { "userId", "accounts/framasoft" }, { "rating", "4.9" },
                { "thumbURL",
                    page("/lazy-static/thumbnails/9c9de5e8-0a1e-484a-b099-e80766180a6d.jpg") } });
        expectFields(items[1].toObject(),
            { { "userId", "accounts/alice@tube.federated.example" }, { "isoDate", "2019-11-20" },
                { "rating", "0" } });
        QUrlQuery sent(m_server.lastRequest("/api/v1/search/videos").query);
        QCOMPARE(sent.queryItemValue("search", QUrl::FullyDecoded), "free software");
        QCOMPARE(sent.queryItemValue("start") + '/' + sent.queryItemValue("count"), "0/25");

        run = cli({ "search", "free", "software", "--service", "PeerTube", "--page", "2" });
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.contains("PeerTube - Search: page 2 of 2, 37 results"));
        QVERIFY(run.out.contains("26. What is PeerTube? [01:53] by Framasoft"));
        sent = QUrlQuery(m_server.lastRequest("/api/v1/search/videos").query);
        QCOMPARE(sent.queryItemValue("start"), "25");
    }

    void mediaAndUsers()
    {
        expectFields(cli({ "media", page("/w/" + videoId), "--json" }).object(),
            { { "title", "What is PeerTube?" },
                { "description",
                    "PeerTube is a free and decentralized alternative to video platforms." },
                { "hasHD", "true" }, { "views", "36128" }, { "likes", "180" },
                { "hdThumbURL",
                    page("/lazy-static/previews/9c9de5e8-0a1e-484a-b099-e80766180a6d.jpg") } });

        const QJsonObject user = cli({ "user", page("/a/framasoft"), "--json" }).object();
        expectFields(user,
            { { "userName", "Framasoft" }, { "userId", "accounts/framasoft" },
                { "subscriberCount", "5472" },
                { "imageURL", page("/lazy-static/avatars/framasoft-120.png") } });
        const QJsonArray playlists = user["playlists"].toArray();
        QCOMPARE(playlists.size(), 2);
        expectFields(playlists[0].toObject(), { { "id", playlistId }, { "itemCount", "12" } });
        expectFields(playlists[1].toObject(), { { "thumbURL", "" } });
        expectFields(cli({ "user", page("/c/joinpeertube"), "--json" }).object(),
            { { "userId", "video-channels/joinpeertube" }, { "channelId", "joinpeertube" } });
    }

    void feeds()
    {
        QJsonObject feed
            = cli({ "feed", page("/a/framasoft"), "--kind", "uploads", "--json" }).object();
        expectFields(feed, { { "feedTitle", "Uploads" }, { "totalResults", "2" } });
        QCOMPARE(feed["items"].toArray().size(), 2);
        QVERIFY(feed["items"][1]["streamingNow"].toBool());
        QCOMPARE(QUrlQuery(m_server.lastRequest("/api/v1/accounts/framasoft/videos").query)
                     .queryItemValue("sort"),
            "-publishedAt");

        feed = cli({ "feed", page("/w/p/" + playlistId), "--kind", "playlist", "--json" }).object();
        expectFields(feed, { { "feedTitle", "Playlist" }, { "totalResults", "3" } });
        // The element whose video was removed is left out.
        QCOMPARE(titles(feed["items"].toArray()),
            (QStringList { "What is PeerTube?", "PeerTube live streaming" }));

        feed = cli({ "feed", page("/w/" + videoId), "--kind", "related", "--json" }).object();
        QCOMPARE(titles(feed["items"].toArray()), QStringList { "Installing a PeerTube instance" });
        const QUrlQuery sent(m_server.lastRequest("/api/v1/search/videos").query);
        QCOMPARE(sent.allQueryItemValues("tagsOneOf"), (QStringList { "peertube", "framasoft" }));
    }

    void usageAndFailures()
    {
        QCOMPARE(cli({ "feed", page("/a/framasoft") }).exitCode, 2);
        QCOMPARE(
            cli({ "feed", page("/a/framasoft"), "--kind", "uploads", "--page", "0" }).exitCode, 2);
        QCOMPARE(cli({ "search", "x", "--service", "Nothing" }).exitCode, 2);
        QCOMPARE(cli({ "resolve" }).exitCode, 2);
        CliRun run = cli({ "feed", page("/a/framasoft"), "--kind", "favorites" });
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains("PeerTube has no favorites feed"));
        run = cli({ "feed", page("/a/nobody"), "--kind", "uploads" });
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains("could not read the uploads feed"));
        run = cli({ "media", page("/a/framasoft") });
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains("is a user page"));
        run = cli({ "media", page("/w/unknownVideo1") });
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains("could not read"));
    }

    void brokenPluginStopsEveryCommand()
    {
        ServiceFixture::writePlugin(
            "broken", "var __settings = { serviceName: 'Broken' };\nfunction (\n");
        const CliRun run = cli({ "services" });
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(
            QRegularExpression("Plugin error: SyntaxError.* at line 6 in .*broken/service.plugin")
                .match(run.err)
                .hasMatch(),
            qPrintable(run.err));
        QDir(ServiceFixture::pluginFolder("broken")).removeRecursively();
        QCOMPARE(cli({ "services" }).exitCode, 0);
    }
};

KESTROFAN_CORE_TEST_MAIN(TestBrowseCli)
#include "tst_browsecli.moc"
