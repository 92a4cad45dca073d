// The registry and its services: loading plugins (good, missing, broken), the table of
// installed plugins, domain matching, what an address opens, script errors in identifier and
// record functions, login, plugins added while running, and the bundled plugins' installation.

#include "ServiceTestSupport.h"
#include "TestEnvironment.h"
#include "app/AppContext.h"
#include "app/DbConnection.h"
#include "app/Prefs.h"
#include "services/BundledPlugins.h"
#include "services/MediaFeed.h"
#include "services/MediaItem.h"
#include "services/MediaService.h"
#include "services/MediaServices.h"
#include "services/PluginInspector.h"
#include "services/ServiceModel.h"
#include "services/UserItem.h"

#include <QSignalSpy>

#include <memory>

namespace {

const QString tubeFunctions = QStringLiteral(
    "function getUserIdFromURL(u) { return t_getRegExMatch(u, /\\/user\\/(\\w+)/, 1); }\n"
    "function getMediaIdFromURL(u) { return t_getRegExMatch(u, /\\/watch\\/(\\w+)/, 1); }\n"
    "function getPlaylistIdFromURL(u) { return t_getRegExMatch(u, /[?&]list=(\\w+)/, 1); }\n"
    "function getQueryStringFromSearchURL(u) { return t_getRegExMatch(u, /[?&]q=([^&]*)/, 1); }\n"
    "function login(user, password) { return password === 'secret' ? 'true' : 'nope'; }\n");

const QString tubeSettings
    = QStringLiteral("validDomains: ['tube.example', 'tube.test'], supportsSearch: true, "
                     "supportsPlaylists: true, revision: 3");

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
        ServiceFixture::removeAllPlugins();
        ServiceFixture::writePlugin(QStringLiteral("tube"),
            pluginProgram(QStringLiteral("Tube"), tubeSettings, tubeFunctions));
        ServiceFixture::writePlugin(QStringLiteral("generic_service"),
            pluginProgram(QStringLiteral("Generic Service"), QStringLiteral("validDomains: '*'")));
        return m_fixture->loadRegistry();
    }

private slots:
    void init() { m_fixture = std::make_unique<ServiceFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void loadsEveryFolderAndKeepsTheGenericServiceApart()
    {
        ServiceFixture::removeAllPlugins();
        ServiceFixture::writePlugin(
            QStringLiteral("b_tube"), pluginProgram(QStringLiteral("Beta"), tubeSettings));
        ServiceFixture::writePlugin(
            QStringLiteral("a_tube"), pluginProgram(QStringLiteral("Alpha")));
        ServiceFixture::writePlugin(QStringLiteral("generic_service"),
            pluginProgram(QStringLiteral("Generic Service"), QStringLiteral("validDomains: '*'")));
        ServiceFixture::writePlugin(
            QStringLiteral("__templates"), pluginProgram(QStringLiteral("Template")));
        QDir().mkpath(ServiceFixture::pluginFolder(QStringLiteral("empty")));
        Prefs::setSearchableServiceNames({});

        QTest::ignoreMessage(
            QtCriticalMsg, QRegularExpression("Could not find .*/empty service plugin"));
        MediaServices* registry = m_fixture->loadRegistry();
        QCOMPARE(registry->services().keys(), (QStringList { "Alpha", "Beta" }));
        QVERIFY(registry->genericService());
        QCOMPARE(registry->service(QStringLiteral("Generic Service")), registry->genericService());
        QVERIFY(!registry->service(QStringLiteral("Template")));
        const MediaService* beta = registry->service(QStringLiteral("Beta"));
        QCOMPARE(beta->serviceKey(), QStringLiteral("b_tube"));
        QCOMPARE(beta->revision(), 3);
        QVERIFY(beta->supportsPlaylists());
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
        QFile damaged(ServiceFixture::pluginFolder("generic_service") + "/service.plugin");
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("\x7f\xff\xff\xffgarbage");
        damaged.close();
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
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("message");
        QTest::newRow("syntax error") << "var __settings = { serviceName: 'X' };\nvar = 1;\n"
                                      << "Plugin error: SyntaxError.* at line 6 in .*broken/"
                                         "service.plugin";
        QTest::newRow("throws") << "var __settings = { serviceName: 'X' };\nnull.x;"
                                << "Plugin error: TypeError.* at line 6 in .*broken/service.plugin";
        QTest::newRow("no name") << "var __settings = {};"
                                 << "Plugin error: serviceName in .*broken/service.plugin";
        QTest::newRow("unknown method")
            << "var __settings = { serviceName: 'X', searchHttpMethod: 'PUT' };"
            << "searchHttpMethod: Unknown value: PUT";
    }

    void brokenPluginsAreFatal()
    {
        QFETCH(QString, program);
        QFETCH(QString, message);
        ServiceFixture::removeAllPlugins();
        ServiceFixture::writePlugin(QStringLiteral("broken"), program);
        ServiceFixture::writePlugin(QStringLiteral("good"), pluginProgram(QStringLiteral("Good")));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(message));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(message));
        MediaServices* registry = m_fixture->loadRegistry();
        QVERIFY(AppContext::isDying());
        QCOMPARE(m_fixture->ui.fatalErrors.size(), 1);
        QVERIFY2(QRegularExpression(message).match(m_fixture->ui.fatalErrors.first()).hasMatch(),
            qPrintable(m_fixture->ui.fatalErrors.first()));
        QCOMPARE(registry->services().keys(), QStringList { "Good" });
    }

    void domains()
    {
        MediaServices* registry = loadTube();
        const MediaService* tube = registry->service(QStringLiteral("Tube"));
        QVERIFY(tube->canHandle(QStringLiteral("https://WWW.Tube.Example/watch/abc")));
        QVERIFY(tube->canHandle(QStringLiteral("http://tube.test/")));
        QVERIFY(!tube->canHandle(QStringLiteral("https://m.tube.example/watch/abc")));
        QVERIFY(!tube->canHandle(QStringLiteral("https://other.example/watch/abc")));
        // The scheme test is case-sensitive: this reads as search words.
        QVERIFY(tube->isSearchInput(QStringLiteral("HTTPS://tube.example/watch/abc")));
        QVERIFY(!tube->canHandle(QString()));
        QVERIFY(tube->canHandle(QStringLiteral("some words")));
        QVERIFY(tube->isSearchInput(QStringLiteral("  some words ")));
        QVERIFY(!tube->isSearchInput(QStringLiteral(" https://tube.example/")));

        QVERIFY(registry->isSupportedAddress(QStringLiteral("https://tube.example/watch/a")));
        // Nobody claims it, the generic service takes it.
        QVERIFY(registry->isSupportedAddress(QStringLiteral("https://other.example/page")));
        QVERIFY(!registry->isSupportedAddress(QStringLiteral("search words")));
        QVERIFY(!registry->isSupportedAddress(QStringLiteral("ftp://tube.example/x")));
    }

    void whatAnAddressOpens_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("detail");
        QTest::newRow("user before media")
            << "https://tube.example/user/ann/watch/v1" << int(PageDescriptor::User) << "Tube"
            << "ann";
        QTest::newRow("media") << "https://tube.example/watch/v1?list=p9"
                               << int(PageDescriptor::Media) << "Tube"
                               << "v1";
        QTest::newRow("playlist") << "https://tube.example/playlist?list=p9"
                                  << int(PageDescriptor::Playlist) << "Tube"
                                  << "p9";
        QTest::newRow("search address") << "https://tube.example/results?q=c%2B%2B+rocks"
                                        << int(PageDescriptor::Search) << "Tube"
                                        << "c++ rocks";
        QTest::newRow("plain words") << "  cats and dogs " << int(PageDescriptor::Search) << ""
                                     << "cats and dogs";
        QTest::newRow("other site")
            << "https://elsewhere.example/video" << int(PageDescriptor::Media) << "Generic Service"
            << "";
        QTest::newRow("empty") << "   " << int(PageDescriptor::Empty) << ""
                               << "";
    }

    void whatAnAddressOpens()
    {
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(QString, service);
        QFETCH(QString, detail);
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
        ServiceFixture::removeAllPlugins();
        ServiceFixture::writePlugin(QStringLiteral("tube"),
            pluginProgram(QStringLiteral("Tube"), QStringLiteral("validDomains: 'tube.example'"),
                tubeFunctions));
        MediaServices* registry = m_fixture->loadRegistry();
        QVERIFY(!registry->createPageData(QStringLiteral("https://other.example/x")));
        // A claimed address without identifiers, playlists or search opens nothing.
        QVERIFY(!registry->createPageData(QStringLiteral("https://tube.example/about")));
        QVERIFY(!registry->createPageData(QStringLiteral("plain words")));
    }

    void scriptErrorsInIdentifierAndRecordFunctions()
    {
        ServiceFixture::removeAllPlugins();
        ServiceFixture::writePlugin(QStringLiteral("flaky"),
            pluginProgram(QStringLiteral("Flaky"), QStringLiteral("validDomains: 'flaky.example'"),
                QStringLiteral("function getUserIdFromURL(u) { throw 'no users'; }\n"
                               "function getMediaIdFromURL(u) { return 'm1'; }\n"
                               "function getMediaDataURL(q) { throw 'bad address'; }\n"
                               "function getMediaData(c) { return JSON.parse(c); }\n"
                               "function getUserData(c) { throw new Error('gone'); }\n"
                               "function getMediaFeed(c) { return 'not an object'; }\n")));
        MediaServices* registry = m_fixture->loadRegistry();
        MediaService* flaky = registry->service(QStringLiteral("Flaky"));

        QTest::ignoreMessage(QtWarningMsg,
            "Script error: getUserIdFromURL() in service 'Flaky': "
            "no users");
        const std::optional<PageDescriptor> page
            = flaky->createPageData(QStringLiteral("https://flaky.example/x"));
        QVERIFY(page);
        QCOMPARE(page->kind, PageDescriptor::Media);
        // An address function's exception becomes the address, which then fails as a request.
        QCOMPARE(
            flaky->getMediaDataURL(QStringLiteral("x")).toString(), QStringLiteral("bad address"));

        QTest::ignoreMessage(QtCriticalMsg,
            QRegularExpression("^Script error: getMediaData\\(\\) in service "
                               "'Flaky': SyntaxError"));
        QVERIFY(!flaky->getMediaData(QStringLiteral("{ not json")));
        std::unique_ptr<MediaItem> item(flaky->getMediaData(QStringLiteral("{\"title\":\"ok\"}")));
        QVERIFY(item);
        QCOMPARE(item->title(), QStringLiteral("ok"));
        QCOMPARE(item->serviceName(), QStringLiteral("Flaky"));
        QTest::ignoreMessage(
            QtCriticalMsg, "Script error: getUserData() in service 'Flaky': Error: gone");
        QVERIFY(!flaky->getUserData(QStringLiteral("{}")));
        QTest::ignoreMessage(QtCriticalMsg,
            "Script error: getMediaFeed() in service 'Flaky': "
            "the function returned no object");
        QVERIFY(!flaky->getMediaFeed(QStringLiteral("{}"), 1, 50));
        QTest::ignoreMessage(QtCriticalMsg,
            "Script error: getPlaylists() in service 'Flaky': "
            "the function is not defined");
        QVERIFY(!flaky->getPlaylistsData(QStringLiteral("{}")));
        // A function the plugin does not define gives an empty address.
        QVERIFY(flaky->getPopularFeedURL(SearchParams(), 1, 50, QString()).isEmpty());
    }

    void feedAddressArguments()
    {
        ServiceFixture::removeAllPlugins();
        ServiceFixture::writePlugin(QStringLiteral("args"),
            pluginProgram(QStringLiteral("Args"), QStringLiteral("itemsPerPage: 20"),
                QStringLiteral(
                    "function getSearchFeedURL(q, n, s, t) {"
                    "  return 'https://a.example/s?q=' + q + '&n=' + n + '&s=' + s + "
                    "'&t=' + t + '&' + typeof n; }\n"
                    "function getPlaylistIdFromURL(u) { return 'PL' + u.length; }\n"
                    "function getPlaylistFeedURL(p, u, n, s, t) {"
                    "  return 'https://a.example/p/' + p + '?u=' + u + '&n=' + n; }\n")));
        MediaService* service = m_fixture->loadRegistry()->service(QStringLiteral("Args"));
        QCOMPARE(service->itemsPerPage(), 20);
        QCOMPARE(service
                     ->getSearchFeedURL(
                         SearchParams(QStringLiteral("a b&c")), 2, 20, QStringLiteral("tok"))
                     .toString(QUrl::FullyEncoded),
            QStringLiteral("https://a.example/s?q=a%20b%26c&n=2&s=20&t=tok&number"));
        QCOMPARE(service->getPlaylistFeedURL(SearchParams(QStringLiteral("abc")), 3, 20, QString())
                     .toString(),
            QStringLiteral("https://a.example/p/PL3?u=&n=3"));
    }

    void login()
    {
        MediaService* tube = loadTube()->service(QStringLiteral("Tube"));
        QString message;
        QVERIFY(tube->login(QStringLiteral("ann"), QStringLiteral("secret"), message));
        QVERIFY(!tube->login(QStringLiteral("ann"), QStringLiteral("wrong"), message));
        MediaService* generic = AppContext::serviceRegistry()->genericService();
        QVERIFY(!generic->login(QStringLiteral("ann"), QStringLiteral("secret"), message));
    }

    void pluginsAddedWhileRunning()
    {
        MediaServices* registry = loadTube();
        Prefs::setSearchableServiceNames({ QStringLiteral("Tube") });
        QSignalSpy added(registry, &MediaServices::mediaServiceAddedAfterLaunch);
        ServiceFixture::writePlugin(QStringLiteral("late"), pluginProgram(QStringLiteral("Late")));
        QVERIFY(registry->addServiceAfterLaunch(QStringLiteral("late")));
        QCOMPARE(added.size(), 1);
        MediaService* late = registry->service(QStringLiteral("Late"));
        QVERIFY(late && late->isAddedAfterLaunch());
        QCOMPARE(Prefs::searchableServiceNames(), (QStringList { "Tube", "Late" }));

        // An update of a running service replaces it; the old one stays usable.
        MediaService* before = registry->service(QStringLiteral("Tube"));
        ServiceFixture::writePlugin(QStringLiteral("tube"),
            pluginProgram(QStringLiteral("Tube"), QStringLiteral("revision: 4"), tubeFunctions));
        QVERIFY(registry->addServiceAfterLaunch(QStringLiteral("tube")));
        QCOMPARE(registry->service(QStringLiteral("Tube"))->revision(), 4);
        QCOMPARE(before->revision(), 3);
        QVERIFY(before->canHandle(QStringLiteral("https://tube.example/")));

        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Refusing service key"));
        QVERIFY(!registry->addServiceAfterLaunch(QStringLiteral("../tube")));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not find"));
        QVERIFY(!registry->addServiceAfterLaunch(QStringLiteral("nothing")));
        QCOMPARE(added.size(), 2);
    }

    void bundledPluginsAreInstalledUnlessNewerOnesAre()
    {
        ServiceFixture::removeAllPlugins();
        QStringList report;
        QString error;
        QVERIFY2(BundledPlugins().install(&report, &error), qPrintable(error));
        ServiceSettings installed;
        const QString peertube
            = ServiceFixture::pluginFolder(QStringLiteral("peertube")) + "/service.plugin";
        QVERIFY(PluginInspector::inspectFile(peertube, &installed, &error));
        QCOMPARE(installed.serviceName, QStringLiteral("PeerTube"));
        const int bundledRevision = installed.revision;

        // A newer installed revision stays.
        ServiceFixture::writePlugin(QStringLiteral("peertube"),
            pluginProgram(QStringLiteral("PeerTube"),
                QStringLiteral("revision: %1").arg(bundledRevision + 1)));
        QVERIFY(BundledPlugins().install(&report, &error));
        QVERIFY(PluginInspector::inspectFile(peertube, &installed, &error));
        QCOMPARE(installed.revision, bundledRevision + 1);

        // An older one, or a damaged file, is replaced.
        ServiceFixture::writePlugin(QStringLiteral("peertube"),
            pluginProgram(QStringLiteral("PeerTube"), QStringLiteral("revision: 0")));
        QFile damaged(
            ServiceFixture::pluginFolder(QStringLiteral("generic_service")) + "/service.plugin");
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("damaged");
        damaged.close();
        QVERIFY(BundledPlugins().install(&report, &error));
        QVERIFY(PluginInspector::inspectFile(peertube, &installed, &error));
        QCOMPARE(installed.revision, bundledRevision);
        QVERIFY(PluginInspector::inspectFile(damaged.fileName(), &installed, &error));
        QCOMPARE(installed.serviceName, QStringLiteral("Generic Service"));
    }

    void bundledPluginsFolderCanBeNamed()
    {
        QTemporaryDir empty;
        qputenv("KESTROFAN_PLUGINS_DIR", empty.path().toLocal8Bit());
        QCOMPARE(BundledPlugins::location(), empty.path());
        qputenv("KESTROFAN_PLUGINS_DIR", QByteArray("/nonexistent/plugins"));
        QStringList report;
        QString error;
        QVERIFY(!BundledPlugins().install(&report, &error));
        QVERIFY(error.contains(QStringLiteral("KESTROFAN_PLUGINS_DIR")));
        qunsetenv("KESTROFAN_PLUGINS_DIR");
        QVERIFY(QFileInfo(BundledPlugins::location() + "/peertube/service.plugin").exists());
    }
};

KESTROFAN_CORE_TEST_MAIN(TestMediaServices)
#include "tst_mediaservices.moc"
