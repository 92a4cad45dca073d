// kestrofan-cli run as a script runs it. Each row is a command line in one installation, the
// exit code it must give and what it must print. The browse commands reach the bundled PeerTube
// plugin, aimed at a local server that answers as the PeerTube REST API documents.

#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TestHttpServer.h"
#include "TestProcess.h"
#include "app/Prefs.h"
#include "services/ServiceTestSupport.h"

#include <QSqlDatabase>
#include <QSqlQuery>

using namespace AppTestSupport;

namespace {

const QString videoId = "kkGMgK9ZtnKfYAgnEtQxbv";
const QString playlistId = "cb7e2xSaHfSXQKJrvSsRQr";
const QString uuid = "9c9de5e8-0a1e-484a-b099-e80766180a6d";

QString databaseIn(const QString& home)
{
    return home + "/.local/share/Ulvane Software/Kestrofan 2/kestrofan2.db";
}

// The value at a path such as "feeds/0/items/*/title": "*" collects from every element, "#"
// is the size of what came before.
QJsonValue valueAt(QJsonValue value, const QString& path)
{
    const QStringList steps = path.split('/', Qt::SkipEmptyParts);
    for (int i = 0; i < steps.size(); ++i) {
        if (steps[i] == "#")
            return int(value.isArray() ? value.toArray().size() : value.toObject().size());
        if (steps[i] == "*") {
            QJsonArray each;
            for (const QJsonValue& element : value.toArray())
                each.append(valueAt(element, steps.mid(i + 1).join('/')));
            return each;
        }
        value = value.isArray() ? value.toArray().at(steps[i].toInt())
                                : value.toObject().value(steps[i]);
    }
    return value;
}

// "45", "true", "null" and "[\"a\"]" are JSON and must match in type; other text is a string.
QJsonValue expectedValue(const QString& text)
{
    const QJsonArray wrapped = QJsonDocument::fromJson("[" + text.toUtf8() + "]").array();
    return wrapped.size() == 1 ? wrapped.first() : QJsonValue(text);
}

} // namespace

class CliCommandsTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ServiceFixture> m_fixture;
    TestHttpServer m_server;
    QString m_origin;
    QTemporaryDir m_setUpHome;

    // A fixture with the server's address in place of the instance's.
    QByteArray fixture(const QString& name) const
    {
        return QString::fromUtf8(readFile(KESTROFAN_PEERTUBE_FIXTURES "/" + name))
            .replace("{origin}", m_origin)
            .replace("{domain}", "127.0.0.1")
            .toUtf8();
    }

    // The bundled plugin, aimed at our server instead of the public instance.
    void installLocalPeerTube()
    {
        QString text = QString::fromUtf8(readFile(KESTROFAN_PEERTUBE_SOURCE));
        const QRegularExpression domain("var INSTANCE_DOMAIN = \"[^\"]*\";");
        const QRegularExpression origin("var INSTANCE_ORIGIN = \"[^\"]*\";");
        QVERIFY(text.contains(domain) && text.contains(origin));
        text.replace(domain, "var INSTANCE_DOMAIN = \"127.0.0.1\";");
        text.replace(origin, QString("var INSTANCE_ORIGIN = \"%1\";").arg(m_origin));
        ServiceFixture::writePlugin("peertube", text);
    }

    // An empty HOME is the process's own: the installation the PeerTube fixture lives in.
    static ProgramRun cli(const QStringList& arguments, const QString& home = QString())
    {
        return TestProcess::run(QStringLiteral(KESTROFAN_CLI), arguments,
            home.isEmpty() ? QProcessEnvironment::systemEnvironment() : privateEnvironment(home));
    }

    QString substituted(QString text, const QString& home) const
    {
        return text.replace("{origin}", m_origin)
            .replace("{home}", home)
            .replace("{db}", databaseIn(home))
            .replace("{video}", videoId)
            .replace("{playlist}", playlistId)
            .replace("{uuid}", uuid)
            .replace("{prefCount}", QString::number(Prefs::keys().size()));
    }

    // Checks: "out:TEXT" (stdout holds TEXT), "out!TEXT" (does not), "out=TEXT" (is TEXT), the
    // same for "err", "json:PATH=VALUE", "json:PATH~TEXT" (the array holds TEXT) and
    // "sent:PATH?KEY=VALUES" (the last request to PATH carried these values of KEY).
    void check(const ProgramRun& run, const QString& expectation) const
    {
        const QString kind = expectation.left(3);
        const QChar op = expectation.at(3);
        const QString what = expectation.mid(4);
        if (kind == "out" || kind == "err") {
            // A leading newline lets a check anchor on the start of any line.
            const QString text = '\n' + (kind == "out" ? run.out : run.err);
            if (op == '=')
                QCOMPARE(text.mid(1), what);
            else
                QVERIFY2(text.contains(what) == (op == ':'), qPrintable(expectation + text));
        } else if (kind == "jso") {
            const QJsonDocument document = QJsonDocument::fromJson(run.out.toUtf8());
            const QJsonValue root
                = document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
            const QString rest = expectation.mid(5);
            const qsizetype split = rest.indexOf(QRegularExpression("[=~]"));
            const QJsonValue actual = valueAt(root, rest.left(split));
            const QString expected = rest.mid(split + 1);
            const QString got = QJsonDocument(QJsonArray { actual }).toJson(QJsonDocument::Compact);
            if (rest.at(split) == '~')
                QVERIFY2(actual.toArray().contains(expected), qPrintable(expectation + got));
            else
                QVERIFY2(actual == expectedValue(expected), qPrintable(expectation + got));
        } else if (kind == "sen") {
            const QUrl wanted(expectation.mid(5));
            const QString key = wanted.query().section('=', 0, 0);
            const QUrlQuery sent(m_server.lastRequest(wanted.path()).query);
            QCOMPARE(sent.allQueryItemValues(key, QUrl::FullyDecoded).join(','),
                wanted.query(QUrl::FullyDecoded).section('=', 1));
        } else {
            QFAIL(qPrintable("Unknown check " + expectation));
        }
    }

    // A fresh HOME as the row wants it: nothing, "setup" run, or its database then damaged.
    static QByteArray prepareHome(const QString& home, const QString& state)
    {
        if (state == "empty")
            return {};
        if (cli({ "setup" }, home).exitCode != 0)
            qFatal("setup failed");
        QFile file(databaseIn(home));
        file.open(QIODevice::ReadWrite);
        QByteArray bytes = file.readAll();
        if (state == "damaged pages") // page 1 holds the schema
            bytes.replace(100, 3000, QByteArray(3000, '\xff'));
        else if (state == "zero bytes")
            bytes.clear();
        else
            bytes = QByteArray("This is a letter, not a database.\n").repeated(200);
        file.resize(0);
        file.write(bytes);
        return bytes;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        m_origin = m_server.origin();
        m_server.route("/api/v1/search/videos", [this](const TestHttpServer::Request& request) {
            const bool byTag = request.query.contains("tagsOneOf");
            return TestHttpServer::Response { 200, { { "Content-Type", "application/json" } },
                fixture(byTag ? "tag-search.json" : "search-videos.json") };
        });
        const QMap<QString, QString> files { { "/videos/" + videoId, "video.json" },
            { "/accounts/framasoft", "account.json" },
            { "/accounts/framasoft/videos", "account-videos.json" },
            { "/accounts/framasoft/video-playlists", "account-playlists.json" },
            { "/video-playlists/" + playlistId + "/videos", "playlist-videos.json" },
            { "/video-channels/joinpeertube", "channel.json" },
            { "/video-channels/joinpeertube/videos", "account-videos.json" } };
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            m_server.serveFile("/api/v1" + it.key(), fixture(it.value()), "application/json");
        m_fixture = std::make_unique<ServiceFixture>();
        installLocalPeerTube();

        const ProgramRun setup = cli({ "setup" }, m_setUpHome.path());
        QCOMPARE(setup.exitCode, 0);
        QVERIFY2(setup.out.contains("Created the database"), qPrintable(setup.out));
    }

    // Rows of one installation run in order and may build on each other.
    void commands_data()
    {
        testColumns<QString, QStringList, int, QStringList>(
            "home", "arguments", "exitCode", "checks");
        const auto row = [](const char* name, const QString& home, const QStringList& arguments,
                             int exitCode, const QStringList& checks = {}) {
            testRow(name, home, arguments, exitCode, checks);
        };
        // A HOME without an installation: only usage and setup work, and nothing is created.
        row("no command", "empty", {}, 2);
        row("unknown command", "empty", { "frobnicate" }, 2, { "err:unknown command" });
        row("help needs no database", "empty", { "config", "--help" }, 0,
            { "out:Usage: kestrofan-cli config" });
        row("missing database", "empty", { "config" }, 1,
            { "err:Database file {db} not found.\n\nPlease reinstall application.",
                "err!Restart" });
        row("setup as JSON", "empty", { "setup", "--json" }, 0, { "json:ok=true", "json:error=" });
        // Damaged databases stop the tool and stay as they are, for the person to rescue.
        row("not a database", "garbage", { "config" }, 1,
            { "err:Database file {db} is damaged (" });
        row("damaged pages", "damaged pages", { "config" }, 1,
            { "err:Database file {db} is damaged (" });
        row("setup leaves an empty file", "zero bytes", { "setup" }, 1,
            { "err:Could not record the download helper in the database." });

        row("setup again", "setup", { "setup" }, 0, { "out:is in place", "out!Created" });
        row("defaults", "setup", { "config" }, 0,
            { "out:\nmediaPath = {home}/Desktop/Kestrofan Downloads/\n",
                "out:\npreferredVideoFormat = 45\n",
                "out:\nvisualNotificationOnQueueFinished = true\n" });
        row("defaults as JSON keep their types", "setup", { "config", "--json" }, 0,
            { "json:#={prefCount}", "json:preferredVideoFormat=45", "json:showAdultContent=true",
                R"(json:searchableServiceNamesOrder=["YouTube"])",
                "json:lastVersionCheckForPlugins=null" });
        row("folder gets its slash", "setup", { "config", "mediaPath", "{home}/Videos" }, 0,
            { "out=mediaPath = {home}/Videos/\n" });
        row("folder read back", "setup", { "config", "mediaPath" }, 0,
            { "out=mediaPath = {home}/Videos/\n" });
        row("list set", "setup", { "config", "searchableServiceNames", "PeerTube,Generic Service" },
            0);
        row("list read back", "setup", { "config", "searchableServiceNames" }, 0,
            { "out=searchableServiceNames = PeerTube,Generic Service\n" });
        row("date set as JSON", "setup",
            { "config", "--json", "lastVersionCheckForPlugins", "2024-05-01" }, 0,
            { "json:#=1", "json:lastVersionCheckForPlugins=2024-05-01" });
        row("unknown key", "setup", { "config", "colour" }, 2, { "err:unknown preference" });
        row("unknown key set", "setup", { "config", "colour", "blue" }, 2,
            { "err:unknown preference" });
        row("not a number", "setup", { "config", "preferredVideoSize", "big" }, 2,
            { "err:is not a valid" });
        row("not a bool", "setup", { "config", "showAdultContent", "yes please" }, 2,
            { "err:is not a valid" });
        row("read-only", "setup", { "config", "doLimitBandwidth", "true" }, 2,
            { "err:cannot be changed" });
        row("too many", "setup", { "config", "mediaPath", "/a", "/b" }, 2,
            { "err:too many arguments" });
        row("unknown option", "setup", { "config", "--colour" }, 2);
        // The download commands refuse bad command lines before anything is queued.
        row("download without address", "setup", { "download" }, 2,
            { "err:give at least one address" });
        row("audio and video", "setup", { "download", "--audio", "--video", "{origin}/w/{video}" },
            2, { "err:give --audio or --video, not both" });
        row("feed kind that cannot be downloaded", "setup",
            { "download-feed", "{origin}/c/joinpeertube", "--kind", "related" }, 2,
            { "err:--kind must be uploads, favorites, likes or playlist" });
        row("remove a word", "setup", { "remove", "first" }, 2,
            { "err:\"first\" is not a download id" });
        row("no downloads yet", "setup", { "downloads", "--json" }, 0, { "json:#=0" });
        row("clean nothing", "setup", { "clean" }, 0, { "out=removed 0 download(s)\n" });

        // The process's own installation, with PeerTube on the local server.
        row("services", "", { "services", "--json" }, 0,
            { "json:#=2", "json:0/name=PeerTube", R"(json:0/validDomains=["127.0.0.1"])",
                "json:0/feeds~playlists", "json:1/name=Generic Service", "json:1/generic=true" });
        row("services as text", "", { "services" }, 0, { "out:PeerTube (peertube, revision" });
        const QList<QStringList> addresses { { "/w/{video}", "media", "mediaId", "{video}" },
            { "/videos/watch/{uuid}", "media", "mediaId", "{uuid}" },
            { "/a/framasoft/video-channels", "user", "userId", "accounts/framasoft" },
            { "/c/joinpeertube", "user", "userId", "video-channels/joinpeertube" },
            { "/w/p/{playlist}", "playlist", "playlistId", "{playlist}" },
            { "/search?search=free%20software", "search", "searchQuery", "free software" } };
        for (const QStringList& address : addresses) {
            QTest::addRow("resolve %s", qPrintable(address[0]))
                << QString() << QStringList { "resolve", "{origin}" + address[0], "--json" } << 0
                << QStringList { "json:kindName=" + address[1], "json:serviceName=PeerTube",
                       "json:" + address[2] + '=' + address[3] };
        }
        row("search", "", { "search", "free", "software", "--json" }, 0,
            { "json:feeds/#=1", "json:feeds/0/serviceName=PeerTube", "json:feeds/0/totalResults=37",
                "json:feeds/0/pageSize=25", "json:feeds/0/pageCount=2",
                "json:feeds/0/feedTitle=Search",
                R"(json:feeds/0/items/*/title=["What is PeerTube?","Free software & the fediverse"])",
                "json:feeds/0/items/0/id={video}", "json:feeds/0/items/0/durationSeconds=113",
                "json:feeds/0/items/0/isoDate=2018-10-01",
                "json:feeds/0/items/0/userId=accounts/framasoft", "json:feeds/0/items/0/rating=4.9",
                "json:feeds/0/items/0/thumbURL={origin}/lazy-static/thumbnails/{uuid}.jpg",
                "json:feeds/0/items/1/userId=accounts/alice@tube.federated.example",
                "json:feeds/0/items/1/isoDate=2019-11-20", "json:feeds/0/items/1/rating=0",
                "sent:/api/v1/search/videos?search=free software",
                "sent:/api/v1/search/videos?start=0", "sent:/api/v1/search/videos?count=25" });
        row("search page 2", "",
            { "search", "free", "software", "--service", "PeerTube", "--page", "2" }, 0,
            { "out:PeerTube - Search: page 2 of 2, 37 results",
                "out:26. What is PeerTube? [01:53] by Framasoft",
                "sent:/api/v1/search/videos?start=25" });
        row("media", "", { "media", "{origin}/w/{video}", "--json" }, 0,
            { "json:title=What is PeerTube?",
                "json:description=PeerTube is a free and decentralized alternative to video "
                "platforms.",
                "json:hasHD=true", "json:views=36128", "json:likes=180",
                "json:hdThumbURL={origin}/lazy-static/previews/{uuid}.jpg" });
        row("account", "", { "user", "{origin}/a/framasoft", "--json" }, 0,
            { "json:userName=Framasoft", "json:userId=accounts/framasoft",
                "json:subscriberCount=5472",
                "json:imageURL={origin}/lazy-static/avatars/framasoft-120.png",
                "json:playlists/#=2", "json:playlists/0/id={playlist}",
                "json:playlists/0/itemCount=12", "json:playlists/1/thumbURL=" });
        row("channel", "", { "user", "{origin}/c/joinpeertube", "--json" }, 0,
            { "json:userId=video-channels/joinpeertube", "json:channelId=joinpeertube" });
        row("uploads", "", { "feed", "{origin}/a/framasoft", "--kind", "uploads", "--json" }, 0,
            { "json:feedTitle=Uploads", "json:totalResults=2", "json:items/#=2",
                "json:items/1/streamingNow=true",
                "sent:/api/v1/accounts/framasoft/videos?sort=-publishedAt" });
        // The element whose video was removed is left out.
        row("playlist", "", { "feed", "{origin}/w/p/{playlist}", "--kind", "playlist", "--json" },
            0,
            { "json:feedTitle=Playlist", "json:totalResults=3",
                R"(json:items/*/title=["What is PeerTube?","PeerTube live streaming"])" });
        row("related", "", { "feed", "{origin}/w/{video}", "--kind", "related", "--json" }, 0,
            { R"(json:items/*/title=["Installing a PeerTube instance"])",
                "sent:/api/v1/search/videos?tagsOneOf=peertube,framasoft" });
        row("feed without kind", "", { "feed", "{origin}/a/framasoft" }, 2);
        row("page 0", "", { "feed", "{origin}/a/framasoft", "--kind", "uploads", "--page", "0" },
            2);
        row("unknown service", "", { "search", "x", "--service", "Nothing" }, 2);
        row("resolve nothing", "", { "resolve" }, 2);
        row("feed the service lacks", "", { "feed", "{origin}/a/framasoft", "--kind", "favorites" },
            1, { "err:PeerTube has no favorites feed" });
        row("unknown account", "", { "feed", "{origin}/a/nobody", "--kind", "uploads" }, 1,
            { "err:could not read the uploads feed" });
        row("media of a user page", "", { "media", "{origin}/a/framasoft" }, 1,
            { "err:is a user page" });
        row("unknown video", "", { "media", "{origin}/w/unknownVideo1" }, 1,
            { "err:could not read" });
    }

    void commands()
    {
        auto [home, arguments, exitCode, checks]
            = testFetch<QString, QStringList, int, QStringList>(
                "home", "arguments", "exitCode", "checks");
        QTemporaryDir fresh;
        QByteArray storedBefore;
        QString homePath = home.isEmpty() ? QString() : m_setUpHome.path();
        if (!home.isEmpty() && home != "setup") {
            homePath = fresh.path();
            storedBefore = prepareHome(homePath, home);
        }
        const bool checkSettingsKept = home == "setup" && exitCode != 0;
        const QString settingsBefore = checkSettingsKept ? cli({ "config" }, homePath).out : "";
        for (QString& argument : arguments)
            argument = substituted(argument, homePath);

        const ProgramRun run = cli(arguments, homePath);
        QVERIFY2(run.exitCode == exitCode, qPrintable(QString::number(run.exitCode) + run.err));
        for (const QString& expectation : std::as_const(checks))
            check(run, substituted(expectation, homePath));
        // A failing command prints nothing a script could take for a result (setup reports
        // the steps it took before the failure).
        if (exitCode != 0) {
            QVERIFY2(run.out.isEmpty() || arguments.value(0) == "setup", qPrintable(run.out));
            if (checkSettingsKept)
                QCOMPARE(cli({ "config" }, homePath).out, settingsBefore);
        }
        // Only a successful setup makes a database; a damaged one is left untouched.
        if (home == "empty")
            QCOMPARE(QFileInfo::exists(databaseIn(homePath)), arguments.value(0) == "setup");
        if (home != "empty" && home != "setup" && !home.isEmpty())
            QCOMPARE(readFile(databaseIn(homePath)), storedBefore);
    }

    void setupKeepsTheUsersData()
    {
        const QString connection = "user";
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", connection);
            db.setDatabaseName(databaseIn(m_setUpHome.path()));
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec("INSERT INTO bookmarks (id, title, url) VALUES "
                                       "(7, 'Kept', 'https://example.com/')"));
            QCOMPARE(cli({ "setup" }, m_setUpHome.path()).exitCode, 0);
            QSqlQuery query(db);
            QVERIFY(query.exec("SELECT title FROM bookmarks WHERE id=7") && query.next());
            QCOMPARE(query.value(0).toString(), "Kept");
        }
        QSqlDatabase::removeDatabase(connection);
    }

    void brokenPluginStopsEveryCommand()
    {
        ServiceFixture::writePlugin(
            "broken", "var __settings = { serviceName: 'Broken' };\nfunction (\n");
        const ProgramRun run = cli({ "services" });
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

KESTROFAN_CORE_TEST_MAIN(CliCommandsTest)
#include "tst_clicommands.moc"
