// The browse commands end to end: the built kestrofan-cli runs with a private HOME after
// "setup", with the bundled PeerTube plugin pointed at a local server that answers with
// responses shaped as the PeerTube REST API documents them, and the generic service answered
// by a stand-in download helper.

#include "TestEnvironment.h"
#include "TestHttpServer.h"
#include "app/AppTestSupport.h"
#include "services/ServicePluginFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
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

const QString videoId = QStringLiteral("kkGMgK9ZtnKfYAgnEtQxbv");
const QString playlistId = QStringLiteral("cb7e2xSaHfSXQKJrvSsRQr");

} // namespace

class TestBrowseCli : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    TestHttpServer m_server;
    QString m_origin;

    QString dataLocation() const
    {
        return m_home.path() + QStringLiteral("/.local/share/Ulvane Software/Kestrofan 2");
    }

    QString page(const QString& path) const { return m_origin + path; }

    CliRun cli(const QStringList& arguments)
    {
        QProcess process;
        process.setProcessEnvironment(AppTestSupport::privateEnvironment(m_home.path()));
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
        QFile file(QFINDTESTDATA(QStringLiteral("fixtures/peertube/") + name));
        if (!file.open(QIODevice::ReadOnly))
            qFatal("Missing fixture %s", qPrintable(name));
        return QString::fromUtf8(file.readAll())
            .replace(QStringLiteral("{origin}"), m_origin)
            .replace(QStringLiteral("{domain}"), QStringLiteral("127.0.0.1"))
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
        const QRegularExpression domain(QStringLiteral("var INSTANCE_DOMAIN = \"[^\"]*\";"));
        const QRegularExpression origin(QStringLiteral("var INSTANCE_ORIGIN = \"[^\"]*\";"));
        QVERIFY(text.contains(domain) && text.contains(origin));
        text.replace(domain, QStringLiteral("var INSTANCE_DOMAIN = \"127.0.0.1\";"));
        text.replace(origin, QStringLiteral("var INSTANCE_ORIGIN = \"%1\";").arg(m_origin));
        QString error;
        QVERIFY2(ServicePluginFile::write(
                     dataLocation() + "/serviceplugins/peertube/service.plugin", text, &error),
            qPrintable(error));
    }

    void installFakeHelper()
    {
        const QString target = dataLocation() + QStringLiteral("/helpers/fake-helper");
        QDir().mkpath(QFileInfo(target).absolutePath());
        QVERIFY(QFile::copy(QFINDTESTDATA("fake-helper.sh"), target));
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "child");
            db.setDatabaseName(dataLocation() + QStringLiteral("/kestrofan2.db"));
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec(QStringLiteral(
                "INSERT OR REPLACE INTO binary_helper (id, version, name, binary_name) "
                "VALUES (1, '1', 'fake-helper', 'fake-helper')")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("child"));
    }

    QStringList titles(const QJsonArray& items)
    {
        QStringList result;
        for (const QJsonValue& item : items)
            result << item[QStringLiteral("title")].toString();
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
            const bool byTag = request.query.contains(QStringLiteral("tagsOneOf"));
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

        const CliRun setup = cli({ "setup", "--json" });
        QCOMPARE(setup.exitCode, 0);
        QVERIFY(setup.object()["ok"].toBool());
        installLocalPeerTube();
        installFakeHelper();
    }

    void servicesAreListed()
    {
        const CliRun run = cli({ "services", "--json" });
        QCOMPARE(run.exitCode, 0);
        const QJsonArray services = run.array();
        QCOMPARE(services.size(), 2);
        QCOMPARE(services[0]["name"].toString(), QStringLiteral("PeerTube"));
        QCOMPARE(services[0]["validDomains"].toArray(), QJsonArray { "127.0.0.1" });
        QVERIFY(services[0]["feeds"].toArray().contains(QStringLiteral("playlists")));
        QCOMPARE(services[1]["name"].toString(), QStringLiteral("Generic Service"));
        QVERIFY(services[1]["generic"].toBool());
        const CliRun human = cli({ "services" });
        QVERIFY(human.out.contains("PeerTube (peertube, revision"));
    }

    void addressesResolve_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("video") << "/w/" + videoId << "media"
                               << "mediaId" << videoId;
        QTest::newRow("watch uuid") << "/videos/watch/9c9de5e8-0a1e-484a-b099-e80766180a6d"
                                    << "media"
                                    << "mediaId"
                                    << "9c9de5e8-0a1e-484a-b099-e80766180a6d";
        QTest::newRow("account") << "/a/framasoft/video-channels"
                                 << "user"
                                 << "userId"
                                 << "accounts/framasoft";
        QTest::newRow("channel") << "/c/joinpeertube"
                                 << "user"
                                 << "userId"
                                 << "video-channels/joinpeertube";
        QTest::newRow("playlist") << "/w/p/" + playlistId << "playlist"
                                  << "playlistId" << playlistId;
        QTest::newRow("search page") << "/search?search=free%20software"
                                     << "search"
                                     << "searchQuery"
                                     << "free software";
    }

    void addressesResolve()
    {
        QFETCH(QString, text);
        QFETCH(QString, kind);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const CliRun run = cli({ "resolve", page(text), "--json" });
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.object()["kindName"].toString(), kind);
        QCOMPARE(run.object()["serviceName"].toString(), QStringLiteral("PeerTube"));
        QCOMPARE(run.object()[key].toString(), value);
    }

    void searchWithFeedFacts()
    {
        CliRun run = cli({ "search", "free", "software", "--json" });
        QCOMPARE(run.exitCode, 0);
        const QJsonArray feeds = run.object()["feeds"].toArray();
        QCOMPARE(feeds.size(), 1);
        const QJsonObject feed = feeds.first().toObject();
        QCOMPARE(feed["serviceName"].toString(), QStringLiteral("PeerTube"));
        QCOMPARE(feed["totalResults"].toInt(), 37);
        QCOMPARE(feed["pageSize"].toInt(), 25);
        QCOMPARE(feed["pageCount"].toInt(), 2);
        QCOMPARE(feed["feedTitle"].toString(), QStringLiteral("Search"));
        const QJsonArray items = feed["items"].toArray();
        QCOMPARE(
            titles(items), (QStringList { "What is PeerTube?", "Free software & the fediverse" }));
        const QJsonObject first = items[0].toObject();
        QCOMPARE(first["id"].toString(), videoId);
        QCOMPARE(first["durationSeconds"].toInt(), 113);
        QCOMPARE(first["isoDate"].toString(), QStringLiteral("2018-10-01"));
        QCOMPARE(first["thumbURL"].toString(),
            page("/lazy-static/thumbnails/9c9de5e8-0a1e-484a-b099-e80766180a6d.jpg"));
        QCOMPARE(first["userId"].toString(), QStringLiteral("accounts/framasoft"));
        QCOMPARE(first["rating"].toDouble(), 4.9);
        const QJsonObject remote = items[1].toObject();
        QCOMPARE(
            remote["userId"].toString(), QStringLiteral("accounts/alice@tube.federated.example"));
        QCOMPARE(remote["isoDate"].toString(), QStringLiteral("2019-11-20"));
        QCOMPARE(remote["rating"].toDouble(), 0.0);
        QUrlQuery sent(m_server.lastRequest("/api/v1/search/videos").query);
        QCOMPARE(
            sent.queryItemValue("search", QUrl::FullyDecoded), QStringLiteral("free software"));
        QCOMPARE(sent.queryItemValue("start"), QStringLiteral("0"));
        QCOMPARE(sent.queryItemValue("count"), QStringLiteral("25"));

        run = cli({ "search", "free", "software", "--service", "PeerTube", "--page", "2" });
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.contains("PeerTube - Search: page 2 of 2, 37 results"));
        QVERIFY(run.out.contains("26. What is PeerTube? [01:53] by Framasoft"));
        sent = QUrlQuery(m_server.lastRequest("/api/v1/search/videos").query);
        QCOMPARE(sent.queryItemValue("start"), QStringLiteral("25"));
    }

    void mediaItem()
    {
        const CliRun run = cli({ "media", page("/w/" + videoId), "--json" });
        QCOMPARE(run.exitCode, 0);
        const QJsonObject media = run.object();
        QCOMPARE(media["title"].toString(), QStringLiteral("What is PeerTube?"));
        QCOMPARE(media["description"].toString(),
            QStringLiteral("PeerTube is a free and decentralized alternative to video "
                           "platforms."));
        QVERIFY(media["hasHD"].toBool());
        QCOMPARE(media["views"].toInt(), 36128);
        QCOMPARE(media["likes"].toInt(), 180);
        QCOMPARE(media["hdThumbURL"].toString(),
            page("/lazy-static/previews/9c9de5e8-0a1e-484a-b099-e80766180a6d.jpg"));
        QCOMPARE(media["serviceName"].toString(), QStringLiteral("PeerTube"));
    }

    void userWithPlaylists()
    {
        CliRun run = cli({ "user", page("/a/framasoft"), "--json" });
        QCOMPARE(run.exitCode, 0);
        QJsonObject user = run.object();
        QCOMPARE(user["userName"].toString(), QStringLiteral("Framasoft"));
        QCOMPARE(user["userId"].toString(), QStringLiteral("accounts/framasoft"));
        QCOMPARE(user["subscriberCount"].toInt(), 5472);
        QCOMPARE(user["imageURL"].toString(), page("/lazy-static/avatars/framasoft-120.png"));
        const QJsonArray playlists = user["playlists"].toArray();
        QCOMPARE(playlists.size(), 2);
        QCOMPARE(playlists[0]["id"].toString(), playlistId);
        QCOMPARE(playlists[0]["itemCount"].toInt(), 12);
        QCOMPARE(playlists[1]["thumbURL"].toString(), QString());

        run = cli({ "user", page("/c/joinpeertube"), "--json" });
        QCOMPARE(run.exitCode, 0);
        user = run.object();
        QCOMPARE(user["userId"].toString(), QStringLiteral("video-channels/joinpeertube"));
        QCOMPARE(user["channelId"].toString(), QStringLiteral("joinpeertube"));
    }

    void feeds()
    {
        CliRun run = cli({ "feed", page("/a/framasoft"), "--kind", "uploads", "--json" });
        QCOMPARE(run.exitCode, 0);
        QJsonObject feed = run.object();
        QCOMPARE(feed["feedTitle"].toString(), QStringLiteral("Uploads"));
        QCOMPARE(feed["totalResults"].toInt(), 2);
        QJsonArray items = feed["items"].toArray();
        QCOMPARE(items.size(), 2);
        QVERIFY(items[1].toObject()["streamingNow"].toBool());
        QCOMPARE(QUrlQuery(m_server.lastRequest("/api/v1/accounts/framasoft/videos").query)
                     .queryItemValue("sort"),
            QStringLiteral("-publishedAt"));

        run = cli({ "feed", page("/w/p/" + playlistId), "--kind", "playlist", "--json" });
        QCOMPARE(run.exitCode, 0);
        feed = run.object();
        QCOMPARE(feed["feedTitle"].toString(), QStringLiteral("Playlist"));
        QCOMPARE(feed["totalResults"].toInt(), 3);
        // The element whose video was removed is left out.
        QCOMPARE(titles(feed["items"].toArray()),
            (QStringList { "What is PeerTube?", "PeerTube live streaming" }));

        run = cli({ "feed", page("/w/" + videoId), "--kind", "related", "--json" });
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(titles(run.object()["items"].toArray()),
            QStringList { "Installing a PeerTube instance" });
        const QUrlQuery sent(m_server.lastRequest("/api/v1/search/videos").query);
        QCOMPARE(sent.allQueryItemValues("tagsOneOf"), (QStringList { "peertube", "framasoft" }));
    }

    void genericServiceThroughTheHelper()
    {
        const QString address
            = QStringLiteral("http://localhost:%1/somewhere/video.html").arg(m_server.port());
        const CliRun resolved = cli({ "resolve", address, "--json" });
        QCOMPARE(resolved.object()["serviceName"].toString(), QStringLiteral("Generic Service"));
        const CliRun run = cli({ "media", address, "--json" });
        QCOMPARE(run.exitCode, 0);
        const QJsonObject media = run.object();
        QCOMPARE(media["title"].toString(), QStringLiteral("Sunset timelapse"));
        QCOMPARE(media["permaURL"].toString(), address);
        QCOMPARE(media["durationSeconds"].toInt(), 126);
        QVERIFY(media["hasHD"].toBool());
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
        QVERIFY(run.err.contains(QStringLiteral("PeerTube has no favorites feed")));
        run = cli({ "feed", page("/a/nobody"), "--kind", "uploads" });
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains(QStringLiteral("could not read the uploads feed")));
        run = cli({ "media", page("/a/framasoft") });
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains(QStringLiteral("is a user page")));
        run = cli({ "media", page("/w/unknownVideo1") });
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains(QStringLiteral("could not read")));
    }

    void brokenPluginStopsEveryCommand()
    {
        QString error;
        const QString broken = dataLocation() + "/serviceplugins/broken/service.plugin";
        QDir().mkpath(QFileInfo(broken).absolutePath());
        QVERIFY(ServicePluginFile::write(broken,
            QStringLiteral("var __settings = { serviceName: 'Broken' };\nfunction (\n"), &error));
        const CliRun run = cli({ "services" });
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(
            run.err.contains(QStringLiteral("Plugin error: SyntaxError")), qPrintable(run.err));
        QVERIFY2(run.err.contains(QStringLiteral("at line 6 in ")), qPrintable(run.err));
        QVERIFY2(run.err.contains(QStringLiteral("broken/service.plugin")), qPrintable(run.err));
        QFile::remove(broken);
        QCOMPARE(cli({ "services" }).exitCode, 0);
    }
};

KESTROFAN_CORE_TEST_MAIN(TestBrowseCli)
#include "tst_browsecli.moc"
