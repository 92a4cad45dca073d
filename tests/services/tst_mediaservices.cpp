// The registry and its services: loading plugins (good, missing, broken), the table of
// installed plugins, domain matching, what an address opens, script errors in identifier and
// record functions, login, plugins added while running, and the bundled plugins' installation.

#include "ServiceTestSupport.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "app/AppPaths.h"
#include "app/DbConnection.h"
#include "app/Prefs.h"
#include "core/AppContext.h"
#include "services/BundledPlugins.h"
#include "services/MediaFeed.h"
#include "services/MediaItem.h"
#include "services/MediaService.h"
#include "services/MediaServices.h"
#include "services/PluginInspector.h"
#include "services/ServiceModel.h"
#include "services/UserItem.h"

#include <memory>

namespace {

const QString tubeFunctions
    = "function getUserIdFromURL(u) { return t_getRegExMatch(u, /\\/user\\/(\\w+)/, 1); }\n"
      "function getMediaIdFromURL(u) { return t_getRegExMatch(u, /\\/watch\\/(\\w+)/, 1); }\n"
      "function getPlaylistIdFromURL(u) { return t_getRegExMatch(u, /[?&]list=(\\w+)/, 1); }\n"
      "function getQueryStringFromSearchURL(u) { return t_getRegExMatch(u, /[?&]q=([^&]*)/, 1); }\n"
      "function login(user, password) { return password === 'secret' ? 'true' : 'nope'; }\n";

const QString tubeSettings = "validDomains: ['tube.example', 'tube.test'], supportsSearch: true, "
                             "supportsPlaylists: true, revision: 3";

} // namespace

class TestMediaServices : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ServiceFixture> m_fixture;

    QStringList tableKeys()
    {
        DbConnection db;
        ServiceModel model(nullptr, db.connection(true));
        QStringList keys;
        for (const ServicePluginInfo& info : model.allRecords())
            keys << info.serviceKey;
        keys.sort();
        return keys;
    }

    MediaServices* loadTube()
    {
        return m_fixture->loadOnly({ { "tube", pluginProgram("Tube", tubeSettings, tubeFunctions) },
            { "generic_service", pluginProgram("Generic Service", "validDomains: '*'") } });
    }

private slots:
    void init() { m_fixture = std::make_unique<ServiceFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void loadsEveryFolderAndKeepsTheGenericServiceApart()
    {
        ServiceFixture::removeAllPlugins();
        ServiceFixture::writePlugin("b_tube", pluginProgram("Beta", tubeSettings));
        ServiceFixture::writePlugin("a_tube", pluginProgram("Alpha"));
        ServiceFixture::writePlugin(
            "generic_service", pluginProgram("Generic Service", "validDomains: '*'"));
        ServiceFixture::writePlugin("__templates", pluginProgram("Template"));
        QDir().mkpath(ServiceFixture::pluginFolder("empty"));
        Prefs::setSearchableServiceNames({});
        QTest::ignoreMessage(
            QtCriticalMsg, QRegularExpression("Could not find .*/empty service plugin"));
        MediaServices* registry = m_fixture->loadRegistry();
        QCOMPARE(registry->services().keys(), (QStringList { "Alpha", "Beta" }));
        QCOMPARE(registry->service("Generic Service"), registry->genericService());
        QVERIFY(registry->genericService() && !registry->service("Template"));
        QCOMPARE(registry->service("Beta")->serviceKey(), "b_tube");
        QCOMPARE(tableKeys(), (QStringList { "a_tube", "b_tube", "generic_service" }));
        QCOMPARE(Prefs::searchableServiceNames(), (QStringList { "Alpha", "Beta" }));
        QVERIFY(m_fixture->ui.fatalErrors.isEmpty());
    }

    void missingAndDamagedPluginsLeaveTheTable()
    {
        loadTube();
        QCOMPARE(tableKeys(), (QStringList { "generic_service", "tube" }));
        m_fixture->unload();
        QFile::remove(ServiceFixture::pluginFolder("tube") + "/service.plugin");
        QVERIFY(writeFile(ServiceFixture::pluginFolder("generic_service") + "/service.plugin",
            "\x7f\xff\xff\xffgarbage"));
        QTest::ignoreMessage(QtCriticalMsg,
            QRegularExpression("Could not find .*tube service "
                               "plugin, ignoring"));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("generic_service.*is damaged"));
        MediaServices* registry = m_fixture->loadRegistry();
        QVERIFY(registry->services().isEmpty());
        QVERIFY(!registry->genericService());
        QVERIFY(tableKeys().isEmpty());
        QVERIFY(m_fixture->ui.fatalErrors.isEmpty());
    }

    void brokenPluginsAreFatal_data()
    {
        testColumns<QString, QString>("program", "message");
        const QString named = "var __settings = { serviceName: 'X' };\n";
        const QString where = " in .*broken/service.plugin";
        testRow(
            "syntax error", named + "var = 1;\n", "Plugin error: SyntaxError.* at line 6" + where);
        testRow("throws", named + "null.x;", "Plugin error: TypeError.* at line 6" + where);
        testRow("no name", QString("var __settings = {};"), "Plugin error: serviceName" + where);
    }

    void brokenPluginsAreFatal()
    {
        auto [program, message] = testFetch<QString, QString>("program", "message");
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(message));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(message));
        MediaServices* registry
            = m_fixture->loadOnly({ { "broken", program }, { "good", pluginProgram("Good") } });
        QVERIFY(AppContext::isDying());
        QCOMPARE(m_fixture->ui.fatalErrors.size(), 1);
        QVERIFY2(QRegularExpression(message).match(m_fixture->ui.fatalErrors.first()).hasMatch(),
            qPrintable(m_fixture->ui.fatalErrors.first()));
        QCOMPARE(registry->services().keys(), QStringList { "Good" });
    }

    void domains()
    {
        MediaServices* registry = loadTube();
        const MediaService* tube = registry->service("Tube");
        QVERIFY(tube->canHandle("https://WWW.Tube.Example/watch/abc"));
        QVERIFY(tube->canHandle("http://tube.test/"));
        QVERIFY(!tube->canHandle("https://m.tube.example/watch/abc"));
        QVERIFY(!tube->canHandle("https://other.example/watch/abc"));
        // The scheme test is case-sensitive: this reads as search words.
        QVERIFY(tube->isSearchInput("HTTPS://tube.example/watch/abc"));
        QVERIFY(!tube->canHandle(QString()));
        QVERIFY(tube->canHandle("some words"));
        QVERIFY(tube->isSearchInput("  some words "));
        QVERIFY(!tube->isSearchInput(" https://tube.example/"));

        QVERIFY(registry->isSupportedAddress("https://tube.example/watch/a"));
        // Nobody claims it, the generic service takes it.
        QVERIFY(registry->isSupportedAddress("https://other.example/page"));
        QVERIFY(!registry->isSupportedAddress("search words"));
        QVERIFY(!registry->isSupportedAddress("ftp://tube.example/x"));
    }

    // Identifiers are tried in this order: user, media, playlist, search.
    void whatAnAddressOpens_data()
    {
        testColumns<QString, int, QString, QString>("text", "kind", "service", "detail");
        const auto row = [](const char* name, const QString& text, int kind, const QString& service,
                             const QString& detail) { testRow(name, text, kind, service, detail); };
        row("user before media", "https://tube.example/user/ann/watch/v1", PageDescriptor::User,
            "Tube", "ann");
        row("media", "https://tube.example/watch/v1?list=p9", PageDescriptor::Media, "Tube", "v1");
        row("playlist", "https://tube.example/playlist?list=p9", PageDescriptor::Playlist, "Tube",
            "p9");
        row("search address", "https://tube.example/results?q=c%2B%2B+rocks",
            PageDescriptor::Search, "Tube", "c++ rocks");
        row("plain words", "  cats and dogs ", PageDescriptor::Search, "", "cats and dogs");
        row("other site", "https://elsewhere.example/video", PageDescriptor::Media,
            "Generic Service", "");
        row("empty", "   ", PageDescriptor::Empty, "", "");
    }

    void whatAnAddressOpens()
    {
        auto [text, kind, service, detail]
            = testFetch<QString, int, QString, QString>("text", "kind", "service", "detail");
        MediaServices* registry = loadTube();
        const std::optional<PageDescriptor> page = registry->createPageData(text);
        QVERIFY(page);
        QCOMPARE(int(page->kind), kind);
        QCOMPARE(page->serviceName, service);
        QCOMPARE(page->query, text.trimmed());
        const QString found = kind == PageDescriptor::User ? page->userId
            : kind == PageDescriptor::Media                ? page->mediaId
            : kind == PageDescriptor::Playlist             ? page->playlistId
                                                           : page->searchQuery;
        QCOMPARE(found, detail);
        QCOMPARE(page->allServices, service.isEmpty() && kind == PageDescriptor::Search);
    }

    void nothingOpensWithoutAService()
    {
        MediaServices* registry = m_fixture->loadOnly(
            { { "tube", pluginProgram("Tube", "validDomains: 'tube.example'", tubeFunctions) } });
        QVERIFY(!registry->createPageData("https://other.example/x"));
        // A claimed address without identifiers, playlists or search opens nothing.
        QVERIFY(!registry->createPageData("https://tube.example/about"));
        QVERIFY(!registry->createPageData("plain words"));
    }

    void scriptErrorsInIdentifierAndRecordFunctions()
    {
        m_fixture->loadOnly({ { "flaky",
            pluginProgram("Flaky", "validDomains: 'flaky.example'",
                "function getUserIdFromURL(u) { throw 'no users'; }\n"
                "function getMediaIdFromURL(u) { return 'm1'; }\n"
                "function getMediaDataURL(q) { throw 'bad address'; }\n"
                "function getMediaData(c) { return JSON.parse(c); }\n"
                "function getUserData(c) { throw new Error('gone'); }\n"
                "function getMediaFeed(c) { return 'not an object'; }\n") } });
        MediaService* flaky = AppContext::serviceRegistry()->service("Flaky");

        QTest::ignoreMessage(QtWarningMsg,
            "Script error: getUserIdFromURL() in service 'Flaky': "
            "no users");
        const std::optional<PageDescriptor> page = flaky->createPageData("https://flaky.example/x");
        QVERIFY(page);
        QCOMPARE(page->kind, PageDescriptor::Media);
        // An address function's exception becomes the address, which then fails as a request.
        QCOMPARE(flaky->getMediaDataURL("x").toString(), "bad address");

        QTest::ignoreMessage(QtCriticalMsg,
            QRegularExpression("^Script error: getMediaData\\(\\) in service "
                               "'Flaky': SyntaxError"));
        QVERIFY(!flaky->getMediaData("{ not json"));
        const std::optional<MediaItem> item = flaky->getMediaData("{\"title\":\"ok\"}");
        QVERIFY(item);
        QCOMPARE(item->title(), "ok");
        QCOMPARE(item->serviceName(), "Flaky");
        QTest::ignoreMessage(
            QtCriticalMsg, "Script error: getUserData() in service 'Flaky': Error: gone");
        QVERIFY(!flaky->getUserData("{}"));
        QTest::ignoreMessage(QtCriticalMsg,
            "Script error: getMediaFeed() in service 'Flaky': "
            "the function returned no object");
        QVERIFY(!flaky->getMediaFeed("{}", 1, 50));
        QTest::ignoreMessage(QtCriticalMsg,
            "Script error: getPlaylists() in service 'Flaky': "
            "the function is not defined");
        QVERIFY(!flaky->getPlaylistsData("{}"));
        // A function the plugin does not define gives an empty address.
        QVERIFY(flaky->getPopularFeedURL(SearchParams(), 1, 50, QString()).isEmpty());
    }

    void feedAddressArguments()
    {
        MediaService* service
            = m_fixture
                  ->loadOnly({ { "args",
                      pluginProgram("Args", "itemsPerPage: 20",
                          "function getSearchFeedURL(q, n, s, t) {"
                          "  return 'https://a.example/s?q=' + q + '&n=' + n + '&s=' + s + "
                          "'&t=' + t + '&' + typeof n; }\n"
                          "function getPlaylistIdFromURL(u) { return 'PL' + u.length; }\n"
                          "function getPlaylistFeedURL(p, u, n, s, t) {"
                          "  return 'https://a.example/p/' + p + '?u=' + u + '&n=' + n; }\n") } })
                  ->service("Args");
        QCOMPARE(service->getSearchFeedURL(SearchParams("a b&c"), 2, 20, "tok")
                     .toString(QUrl::FullyEncoded),
            "https://a.example/s?q=a%20b%26c&n=2&s=20&t=tok&number");
        QCOMPARE(service->getPlaylistFeedURL(SearchParams("abc"), 3, 20, QString()).toString(),
            "https://a.example/p/PL3?u=&n=3");
    }

    void login()
    {
        MediaService* tube = loadTube()->service("Tube");
        QString message;
        QVERIFY(tube->login("ann", "secret", message));
        QVERIFY(!tube->login("ann", "wrong", message));
        MediaService* generic = AppContext::serviceRegistry()->genericService();
        QVERIFY(!generic->login("ann", "secret", message));
    }

    void pluginsAddedWhileRunning()
    {
        MediaServices* registry = loadTube();
        Prefs::setSearchableServiceNames({ "Tube" });
        QSignalSpy added(registry, &MediaServices::mediaServiceAddedAfterLaunch);
        ServiceFixture::writePlugin("late", pluginProgram("Late"));
        QVERIFY(registry->addServiceAfterLaunch("late"));
        QCOMPARE(added.size(), 1);
        MediaService* late = registry->service("Late");
        QVERIFY(late && late->isAddedAfterLaunch());
        QCOMPARE(Prefs::searchableServiceNames(), (QStringList { "Tube", "Late" }));

        // An update of a running service replaces it; the old one stays usable.
        MediaService* before = registry->service("Tube");
        ServiceFixture::writePlugin("tube", pluginProgram("Tube", "revision: 4", tubeFunctions));
        QVERIFY(registry->addServiceAfterLaunch("tube"));
        QCOMPARE(registry->service("Tube")->revision(), 4);
        QCOMPARE(before->revision(), 3);
        QVERIFY(before->canHandle("https://tube.example/"));

        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Refusing service key"));
        QVERIFY(!registry->addServiceAfterLaunch("../tube"));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not find"));
        QVERIFY(!registry->addServiceAfterLaunch("nothing"));
        QCOMPARE(added.size(), 2);
    }

    void bundledPluginsAreInstalledUnlessNewerOnesAre()
    {
        ServiceFixture::removeAllPlugins();
        QStringList report;
        QString error;
        // The installed plugin of this folder after installing the bundled ones.
        const auto installThenInspect = [&](const QString& key) {
            ServiceSettings installed;
            if (!BundledPlugins(AppPaths::servicePluginsLocation()).install(&report, &error)
                || !PluginInspector::inspectFile(
                    ServiceFixture::pluginFolder(key) + "/service.plugin", &installed, &error))
                qWarning() << error;
            return installed;
        };
        const ServiceSettings bundled = installThenInspect("peertube");
        QCOMPARE(bundled.serviceName, "PeerTube");

        // A newer installed revision stays.
        ServiceFixture::writePlugin("peertube",
            pluginProgram("PeerTube", QString("revision: %1").arg(bundled.revision + 1)));
        QCOMPARE(installThenInspect("peertube").revision, bundled.revision + 1);

        // An older one, or a damaged file, is replaced.
        ServiceFixture::writePlugin("peertube", pluginProgram("PeerTube", "revision: 0"));
        QVERIFY(writeFile(
            ServiceFixture::pluginFolder("generic_service") + "/service.plugin", "damaged"));
        QCOMPARE(installThenInspect("peertube").revision, bundled.revision);
        QCOMPARE(installThenInspect("generic_service").serviceName, "Generic Service");
    }

    void bundledPluginsFolderCanBeNamed()
    {
        qputenv("KESTROFAN_PLUGINS_DIR", QByteArray("/nonexistent/plugins"));
        QStringList report;
        QString error;
        QVERIFY(!BundledPlugins(AppPaths::servicePluginsLocation()).install(&report, &error));
        QVERIFY(error.contains("KESTROFAN_PLUGINS_DIR"));
        qunsetenv("KESTROFAN_PLUGINS_DIR");
        QVERIFY(QFileInfo(BundledPlugins::location() + "/peertube/service.plugin").exists());
    }
};

KESTROFAN_CORE_TEST_MAIN(TestMediaServices)
#include "tst_mediaservices.moc"
