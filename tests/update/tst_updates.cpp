#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TestProcess.h"
#include "UpdateTestSupport.h"
#include "services/ServiceTestSupport.h"

#include "app/AppPaths.h"
#include "app/DbConnection.h"
#include "core/AppContext.h"
#include "download/BinaryHelperModel.h"
#include "download/BinaryHelpers.h"
#include "services/MediaService.h"
#include "services/MediaServices.h"
#include "services/PluginFileSwap.h"
#include "services/ServicePluginFile.h"
#include "update/AppVersionChecker.h"

#include <QSqlQuery>

namespace {

QString program(const QString& name, int revision)
{
    return pluginProgram(name, QStringLiteral("revision: %1").arg(revision));
}

QJsonObject helperInfo(int id, const QString& binaryName, const QString& version)
{
    return QJsonObject { { "id", id }, { "name", binaryName }, { "binary_name", binaryName },
        { "version", version } };
}

// Every file below the home folder, to show that a refused name wrote nothing anywhere.
QStringList allFiles()
{
    QStringList found;
    QDirIterator it(
        QDir::homePath(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!path.endsWith(QLatin1String("-journal")))
            found << path;
    }
    found.sort();
    return found;
}

} // namespace

class TestUpdates : public QObject
{
    Q_OBJECT

private:
    ServiceFixture m_services;
    std::unique_ptr<UpdateServerFixture> m_repository;

    UpdateServer server() const
    {
        return UpdateServer(m_repository->baseAddress(), m_repository->publicKey());
    }
    QString helperPath(const QString& binaryName) const
    {
        return AppPaths::helpersLocation() + binaryName;
    }
    void installHelper(
        int id, const QString& binaryName, const QString& version, const QByteArray& body)
    {
        QVERIFY(writeExecutable(helperPath(binaryName), body));
        DbConnection db;
        BinaryHelperModel(nullptr, db.connection(true))
            .insertHelper(BinaryHelper(id, binaryName, binaryName, version));
    }
    // The registry over exactly these installed plugins, with no helper registered.
    void resetInstallation(const QMap<QString, QString>& plugins = {})
    {
        PluginVersionsChecker::clearPendingUpdates();
        m_services.unload();
        QDir(AppPaths::helpersLocation()).removeRecursively();
        {
            DbConnection db;
            QSqlQuery(db.connection(true)).exec("delete from binary_helper");
            QSqlQuery(db.connection(true)).exec("delete from service_plugins");
        }
        m_services.loadOnly(plugins);
    }
    // The real programs on a fresh HOME, aimed at an update server.
    QProcessEnvironment environment(
        const QString& home, const QString& address, const QString& key) const
    {
        QProcessEnvironment env = AppTestSupport::privateEnvironment(home);
        env.insert("KESTROFAN_UPDATE_URL", address);
        env.insert("KESTROFAN_UPDATE_PUBLIC_KEY", key);
        return env;
    }
    ProgramRun cli(const QStringList& arguments, const QProcessEnvironment& env) const
    {
        return TestProcess::run(KESTROFAN_CLI, arguments, env);
    }

private slots:
    void initTestCase() { m_repository = std::make_unique<UpdateServerFixture>(); }
    void init()
    {
        m_repository->stop();
        m_repository->clear();
    }

    void installsEverythingOnceThenNothing()
    {
        resetInstallation();
        m_repository->addPlugin("alpha", program("Alpha", 2));
        m_repository->addPlugin("beta", program("Beta", 1));
        m_repository->addHelper(
            "fetcher", helperInfo(1, "fetcher", "2024.1.1"), UpdateServerFixture::helperBody(600));
        QVERIFY(m_repository->start());

        CheckOutcome first = UpdateRun::check(server());
        QVERIFY2(first.answered, qPrintable(first.errors.join('\n')));
        QVERIFY(first.firstRun);
        QCOMPARE(first.count, 3);
        QVERIFY(PluginVersionsChecker::pendingServiceUpdates().value("alpha").isNewPlugin);

        auto installer = UpdateRun::install(server());
        QVERIFY2(installer->isFinished(), qPrintable(installer->log().join('\n')));
        QCOMPARE(installer->errorText(), QString());
        QCOMPARE(installer->filesInstalled(), 3);
        QCOMPARE(installer->log().last(), "Update finished.");
        MediaService* alpha = AppContext::serviceRegistry()->service("Alpha");
        QVERIFY(alpha && alpha->isAddedAfterLaunch());
        QCOMPARE(alpha->revision(), 2);
        QVERIFY(!QFileInfo::exists(
            ServiceFixture::pluginFolder("alpha") + "/" + PluginFileSwap::previousFileName()));
        QVERIFY(QFileInfo(helperPath("fetcher")).isExecutable());
        QCOMPARE(AppContext::helperRegistry()->helpers().value(1).version, "2024.1.1");

        // Equal revisions and versions: nothing to do, and still an answer.
        PluginVersionsChecker::clearPendingUpdates();
        m_services.loadRegistry();
        const CheckOutcome second = UpdateRun::check(server());
        QVERIFY(second.answered);
        QCOMPARE(second.count, 0);
        installer = UpdateRun::install(server());
        QCOMPARE(installer->filesToFetch(), 0);
        QCOMPARE(installer->log().last(), "Services and helpers up to date.");
    }

    void mergesEntriesOfOneService()
    {
        resetInstallation({ { "alpha", program("Alpha", 2) } });
        m_repository->addPlugin("alpha", program("Alpha", 3), { "- Faster search", "- Playlists" });
        QVERIFY(m_repository->start());
        const CheckOutcome outcome = UpdateRun::check(server());
        QCOMPARE(outcome.count, 1);
        const ServicePluginInfo info
            = PluginVersionsChecker::pendingServiceUpdates().value("alpha");
        QCOMPARE(info.description, "- Faster search\n- Playlists");
        QCOMPARE(info.serviceScriptRevision, 3);
        QVERIFY(!info.isNewPlugin);
    }

    void helperVersionsAndSizes_data()
    {
        testColumns<QString, QString, int, bool, QString>(
            "installed", "offered", "size", "offeredAsUpdate", "logLine");
        const QString installedLine = "Update finished.";
        const QString refused = "Could not update helper at this time, try again "
                                "later";
        testRow("missing helper installed", "", "1.0", 600, true, installedLine);
        testRow("older helper updated", "2017.10.01", "2017.10.02", 600, true, installedLine);
        testRow("equal helper kept", "2017.10.01", "2017.10.01", 600, false, "");
        testRow("1.10 is newer than 1.9", "1.10", "1.9", 600, false, "");
        testRow("511 bytes refused", "1.0", "2.0", 511, true, refused);
        testRow("512 bytes installed", "1.0", "2.0", 512, true, installedLine);
        testRow("over the bound refused", "1.0", "2.0", 5000, true, refused);
    }
    void helperVersionsAndSizes()
    {
        auto [installed, offered, size, offeredAsUpdate, logLine]
            = testFetch<QString, QString, int, bool, QString>(
                "installed", "offered", "size", "offeredAsUpdate", "logLine");
        resetInstallation({ { "alpha", program("Alpha", 1) } });
        const QByteArray oldBody = UpdateServerFixture::helperBody(700, 'o');
        if (!installed.isEmpty())
            installHelper(1, "fetcher", installed, oldBody);
        m_services.loadRegistry();
        m_repository->addHelper(
            "fetcher", helperInfo(1, "fetcher", offered), UpdateServerFixture::helperBody(size));
        QVERIFY(m_repository->start());

        QCOMPARE(UpdateRun::check(server()).count, offeredAsUpdate ? 1 : 0);
        if (!offeredAsUpdate)
            return;
        // The bound is lowered so that a body over it stays small.
        const auto installer = UpdateRun::install(server(), 4096);
        QVERIFY2(installer->log().contains(logLine), qPrintable(installer->log().join('\n')));
        const bool accepted = logLine == QLatin1String("Update finished.");
        QCOMPARE(readFile(helperPath("fetcher")),
            accepted ? UpdateServerFixture::helperBody(size) : oldBody);
        DbConnection db;
        QCOMPARE(BinaryHelperModel(nullptr, db.connection(true)).helperById(1).version,
            accepted ? offered : installed);
    }

    void hostileNamesRefused_data()
    {
        testColumns<bool, QString>("asServiceKey", "name");
        for (const bool key : { true, false }) {
            const char* kind = key ? "service key" : "binary name";
            QTest::addRow("%s parent", kind) << key << "../escaped";
            QTest::addRow("%s dot-dot", kind) << key << "..";
            QTest::addRow("%s separator", kind) << key << "a/b";
            QTest::addRow("%s backslash", kind) << key << "a\\b";
            QTest::addRow("%s absolute", kind) << key << "/tmp/kestrofan-escaped";
            QTest::addRow("%s empty", kind) << key << "";
            QTest::addRow("%s control character", kind) << key << "bad\x01name";
        }
    }
    void hostileNamesRefused()
    {
        auto [asServiceKey, name] = testFetch<bool, QString>("asServiceKey", "name");
        resetInstallation({ { "alpha", program("Alpha", 1) } });
        if (asServiceKey) {
            m_repository->addPlugin(
                "hostile", program("Hostile", 5), {}, QJsonObject { { "service_key", name } });
        } else {
            QJsonObject info = helperInfo(7, name, "9.9");
            info.insert("file", "payload");
            m_repository->addHelper("hostile", info, UpdateServerFixture::helperBody(600));
        }
        QVERIFY(m_repository->start());
        const QStringList before = allFiles();
        QTest::ignoreMessage(QtWarningMsg,
            QRegularExpression("^Refusing the offered (service key|helper binary "
                               "name) \""));
        const CheckOutcome outcome = UpdateRun::check(server());
        QVERIFY(outcome.answered);
        QCOMPARE(outcome.count, 0);
        UpdateRun::install(server());
        QCOMPARE(allFiles(), before);
        QVERIFY(!QFileInfo::exists("/tmp/kestrofan-escaped"));
    }

    void tamperedDownloadsKeepTheInstalledOnes_data()
    {
        testColumns<bool, bool>("tamperPlugin", "tamperHelper");
        testRow("plugin changed after signing", true, false);
        testRow("helper changed after signing", false, true);
    }
    void tamperedDownloadsKeepTheInstalledOnes()
    {
        auto [tamperPlugin, tamperHelper] = testFetch<bool, bool>("tamperPlugin", "tamperHelper");
        resetInstallation({ { "alpha", program("Alpha", 1) } });
        const QByteArray oldHelper = UpdateServerFixture::helperBody(700, 'o');
        installHelper(1, "fetcher", "1.0", oldHelper);
        m_services.loadRegistry();
        const QByteArray oldPlugin
            = readFile(ServiceFixture::pluginFolder("alpha") + "/service.plugin");
        m_repository->addPlugin("alpha", program("Alpha", 2));
        m_repository->addHelper(
            "fetcher", helperInfo(1, "fetcher", "2.0"), UpdateServerFixture::helperBody(600));
        QVERIFY(m_repository->start());
        if (tamperPlugin)
            UpdateServerFixture::changeOneByte(
                m_repository->repository() + "/plugins/alpha/service.plugin");
        if (tamperHelper)
            UpdateServerFixture::changeOneByte(
                m_repository->repository() + "/helpers/fetcher/fetcher");

        QCOMPARE(UpdateRun::check(server()).count, 2);
        const auto installer = UpdateRun::install(server());
        QCOMPARE(installer->filesInstalled(), 1);
        QVERIFY(installer->errorText().contains("not signed with the update key"));
        QCOMPARE(readFile(ServiceFixture::pluginFolder("alpha") + "/service.plugin") == oldPlugin,
            tamperPlugin);
        QCOMPARE(readFile(helperPath("fetcher")) == oldHelper, tamperHelper);
        QCOMPARE(AppContext::serviceRegistry()->service("Alpha")->revision(), tamperPlugin ? 1 : 2);
    }

    void answersOfAnotherKeyAreRefused()
    {
        resetInstallation({ { "alpha", program("Alpha", 1) } });
        m_repository->addPlugin("alpha", program("Alpha", 2));
        QVERIFY(m_repository->start());
        UpdateServerFixture otherPublisher;
        const CheckOutcome outcome = UpdateRun::check(
            UpdateServer(m_repository->baseAddress(), otherPublisher.publicKey()));
        QVERIFY(!outcome.answered);
        QVERIFY(outcome.errors.join(' ').contains("not signed"));
        QVERIFY(PluginVersionsChecker::pendingServiceUpdates().isEmpty());
    }

    void unloadableUpdateIsRolledBackAtStart()
    {
        // The program ended between writing a new plugin and loading it; the new one throws.
        resetInstallation({ { "alpha", program("Alpha", 1) } });
        const QString folder = ServiceFixture::pluginFolder("alpha");
        QString error;
        QVERIFY(PluginFileSwap::install(
            folder, ServicePluginFile::pack("throw new Error('broken');"), &error));
        m_services.unload();
        MediaServices* registry = m_services.loadRegistry();
        QCOMPARE(m_services.ui.fatalErrors, QStringList());
        QVERIFY(registry->service("Alpha"));
        QCOMPARE(registry->service("Alpha")->revision(), 1);
        QVERIFY(!QFileInfo::exists(folder + "/" + PluginFileSwap::previousFileName()));
    }

    void noServerConfiguredFindsNothing()
    {
        resetInstallation({ { "alpha", program("Alpha", 1) } });
        const CheckOutcome outcome = UpdateRun::check(UpdateServer({}, m_repository->publicKey()));
        QVERIFY(outcome.answered && !outcome.unreachable);
        QCOMPARE(outcome.count, 0);
    }

    void compareVersions_data()
    {
        testColumns<QString, QString, int>("a", "b", "result");
        testRow("1.10 > 1.9", "1.10", "1.9", 1);
        testRow("1.2 = 1.2.0", "1.2", "1.2.0", 0);
        testRow("dates", "2017.1.1", "2016.12.31", 1);
        testRow("older", "2016.12.31", "2017.1.1", -1);
        testRow("text part counts as 0", "1.x", "1.0", 0);
    }
    void compareVersions()
    {
        auto [a, b, result] = testFetch<QString, QString, int>("a", "b", "result");
        QCOMPARE(PluginVersionsChecker::compareVersions(a, b), result);
    }

    void appVersionCheck_data()
    {
        testColumns<QString, QString, QByteArray, bool>(
            "running", "runningBuild", "answer", "reported");
        testRow("higher build", "1.1.4", "100",
            QByteArray("{\"version\":\"1.1.4\",\"build\":\"101\","
                       "\"text\":\"<b>new</b>\",\"location\":\"https://e.x/\"}"),
            true);
        testRow("same release", "1.1.4", "100",
            QByteArray("{\"version\":\"1.1.4\",\"build\":\"100\"}"), false);
        testRow("1.10 sorts before 1.9 as text", "1.9", "100",
            QByteArray("{\"version\":\"1.10\",\"build\":\"100\"}"), false);
        testRow("newer version", "1.1.4", "100",
            QByteArray("{\"version\":\"1.1.5\",\"build\":\"1\"}"), true);
        testRow("array ignored", "1.1.4", "100", QByteArray("[{\"version\":\"9\"}]"), false);
    }
    void appVersionCheck()
    {
        auto [running, runningBuild, answer, reported]
            = testFetch<QString, QString, QByteArray, bool>(
                "running", "runningBuild", "answer", "reported");
        m_repository->setAppVersion(answer);
        QVERIFY(m_repository->start());
        AppVersionChecker checker(m_repository->baseAddress(), running, runningBuild);
        QSignalSpy spy(&checker, &AppVersionChecker::newAppVersionAvailable);
        checker.check();
        QTRY_VERIFY(checker.future().isFinished());
        if (reported)
            QVERIFY(spy.count() == 1 || spy.wait(5000));
        QCoreApplication::processEvents();
        QCOMPARE(spy.count(), reported ? 1 : 0);
        if (reported && answer.contains("location"))
            QCOMPARE(spy.first().at(2).toString(), "https://e.x/");
    }

    void setupThenUpdateInstallsTheRepository()
    {
        UpdateServerFixture server;
        // The build's repository (the bundled plugins), one more plugin and a newer helper.
        const QString bundled = KESTROFAN_REPOSITORY "/plugins/";
        for (const QString& key : QDir(bundled).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QString file = key + "/service.plugin";
            QVERIFY(writeFile(server.repository() + "/plugins/" + file, readFile(bundled + file)));
        }
        server.addPlugin("demo", "var __settings = { serviceName: 'Demo Tube', revision: 4 };",
            { "- First release" });
        server.addHelper(
            "yt-dlp", helperInfo(1, "yt-dlp", "2099.01.01"), UpdateServerFixture::helperBody(2048));
        QVERIFY(server.start());

        QTemporaryDir home;
        const auto env = environment(home.path(), server.baseAddress(), server.publicKeyBase64());
        ProgramRun run = cli({ "setup" }, env);
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        run = cli({ "update", "--yes" }, env);
        QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err + server.log()));
        for (const char* line : { "service Demo Tube (demo), revision 4 (new)",
                 "Installed updated Demo Tube service plugin", "Installed updated yt-dlp",
                 "Update finished." })
            QVERIFY2(run.out.contains(line), line);
        QTRY_VERIFY(server.log().contains("GET /kestrofan/update/gethelperupdate_1.1.0.php?id=1"));

        run = cli({ "services" }, env);
        QVERIFY(run.out.contains("Demo Tube (demo, revision 4)"));
        QVERIFY(run.out.contains("PeerTube"));
        // The system's yt-dlp stood there as a link; the update replaced the link, not its target.
        const QString helper
            = home.path() + "/.local/share/Ulvane Software/Kestrofan 2/helpers/yt-dlp";
        QVERIFY(!QFileInfo(helper).isSymLink());
        QVERIFY(QFileInfo(helper).isExecutable());

        run = cli({ "update" }, env);
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.contains("No updates available."));
    }

    void unreachableServerFails()
    {
        QTemporaryDir home;
        const auto env = environment(home.path(), "http://127.0.0.1:1", QString());
        QCOMPARE(cli({ "setup" }, env).exitCode, 0);
        const ProgramRun run = cli({ "update", "--yes" }, env);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("127.0.0.1 could not be reached"), qPrintable(run.err));
    }
};

KESTROFAN_CORE_TEST_MAIN(TestUpdates)
#include "tst_updates.moc"
