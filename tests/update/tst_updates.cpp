#include "TestEnvironment.h"
#include "UpdateRun.h"
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

#include <QDirIterator>
#include <QJsonArray>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

namespace {

QString program(const QString& name, int revision)
{
    return pluginProgram(name, QStringLiteral("revision: %1").arg(revision));
}

QJsonObject helperInfo(int id, const QString& binaryName, const QString& version)
{
    return QJsonObject { { QStringLiteral("id"), id }, { QStringLiteral("name"), binaryName },
        { QStringLiteral("binary_name"), binaryName }, { QStringLiteral("version"), version } };
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
        QDir().mkpath(AppPaths::helpersLocation());
        QFile file(helperPath(binaryName));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(body);
        file.setPermissions(file.permissions() | QFile::ExeOwner);
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
            QSqlQuery(db.connection(true)).exec(QStringLiteral("delete from binary_helper"));
            QSqlQuery(db.connection(true)).exec(QStringLiteral("delete from service_plugins"));
        }
        m_services.loadOnly(plugins);
    }
    void reloadRegistry() { m_services.loadRegistry(); }

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
        m_repository->addPlugin(QStringLiteral("alpha"), program(QStringLiteral("Alpha"), 2));
        m_repository->addPlugin(QStringLiteral("beta"), program(QStringLiteral("Beta"), 1));
        m_repository->addHelper(QStringLiteral("fetcher"),
            helperInfo(1, QStringLiteral("fetcher"), QStringLiteral("2024.1.1")),
            UpdateServerFixture::helperBody(600));
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
        QVERIFY(installer->log().contains("Installed updated Alpha service plugin"));
        QVERIFY(installer->log().contains("Installed updated fetcher"));
        QCOMPARE(installer->log().last(), QStringLiteral("Update finished."));
        MediaService* alpha = AppContext::serviceRegistry()->service("Alpha");
        QVERIFY(alpha && alpha->isAddedAfterLaunch());
        QCOMPARE(alpha->revision(), 2);
        QVERIFY(!QFileInfo::exists(
            ServiceFixture::pluginFolder("alpha") + "/" + PluginFileSwap::previousFileName()));
        QVERIFY(QFileInfo(helperPath("fetcher")).isExecutable());
        QCOMPARE(AppContext::helperRegistry()->helpers().value(1).version, "2024.1.1");

        // Equal revisions and versions: nothing to do, and still an answer.
        PluginVersionsChecker::clearPendingUpdates();
        reloadRegistry();
        const CheckOutcome second = UpdateRun::check(server());
        QVERIFY(second.answered);
        QCOMPARE(second.count, 0);
        installer = UpdateRun::install(server());
        QCOMPARE(installer->filesToFetch(), 0);
        QCOMPARE(installer->log().last(), QStringLiteral("Services and helpers up to date."));
    }

    void mergesEntriesOfOneService()
    {
        resetInstallation({ { "alpha", program("Alpha", 2) } });
        m_repository->addPlugin(QStringLiteral("alpha"), program(QStringLiteral("Alpha"), 3),
            { QStringLiteral("- Faster search"), QStringLiteral("- Playlists") });
        QVERIFY(m_repository->start());
        const CheckOutcome outcome = UpdateRun::check(server());
        QCOMPARE(outcome.count, 1);
        const ServicePluginInfo info
            = PluginVersionsChecker::pendingServiceUpdates().value("alpha");
        QCOMPARE(info.description, QStringLiteral("- Faster search\n- Playlists"));
        QCOMPARE(info.serviceScriptRevision, 3);
        QVERIFY(!info.isNewPlugin);
    }

    void helperVersionsAndSizes_data()
    {
        QTest::addColumn<QString>("installed");
        QTest::addColumn<QString>("offered");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("offeredAsUpdate");
        QTest::addColumn<QString>("logLine");
        const QString installedLine = QStringLiteral("Update finished.");
        const QString refused = QStringLiteral("Could not update helper at this time, try again "
                                               "later");
        QTest::newRow("missing helper installed") << ""
                                                  << "1.0" << 600 << true << installedLine;
        QTest::newRow("older helper updated") << "2017.10.01"
                                              << "2017.10.02" << 600 << true << installedLine;
        QTest::newRow("equal helper kept") << "2017.10.01"
                                           << "2017.10.01" << 600 << false << "";
        QTest::newRow("1.10 is newer than 1.9") << "1.10"
                                                << "1.9" << 600 << false << "";
        QTest::newRow("511 bytes refused") << "1.0"
                                           << "2.0" << 511 << true << refused;
        QTest::newRow("512 bytes installed") << "1.0"
                                             << "2.0" << 512 << true << installedLine;
        QTest::newRow("over the bound refused") << "1.0"
                                                << "2.0" << 5000 << true << refused;
    }
    void helperVersionsAndSizes()
    {
        QFETCH(QString, installed);
        QFETCH(QString, offered);
        QFETCH(int, size);
        QFETCH(bool, offeredAsUpdate);
        QFETCH(QString, logLine);
        resetInstallation({ { "alpha", program("Alpha", 1) } });
        const QByteArray oldBody = UpdateServerFixture::helperBody(700, 'o');
        if (!installed.isEmpty())
            installHelper(1, "fetcher", installed, oldBody);
        reloadRegistry();
        m_repository->addHelper(QStringLiteral("fetcher"), helperInfo(1, "fetcher", offered),
            UpdateServerFixture::helperBody(size));
        QVERIFY(m_repository->start());

        QCOMPARE(UpdateRun::check(server()).count, offeredAsUpdate ? 1 : 0);
        if (!offeredAsUpdate)
            return;
        // The bound is lowered so that a body over it stays small.
        const auto installer = UpdateRun::install(server(), 4096);
        QVERIFY2(installer->log().contains(logLine), qPrintable(installer->log().join('\n')));
        const bool accepted = logLine == QLatin1String("Update finished.");
        QCOMPARE(readAll(helperPath("fetcher")),
            accepted ? UpdateServerFixture::helperBody(size) : oldBody);
        DbConnection db;
        QCOMPARE(BinaryHelperModel(nullptr, db.connection(true)).helperById(1).version,
            accepted ? offered : installed);
    }

    void hostileNamesRefused_data()
    {
        QTest::addColumn<bool>("asServiceKey");
        QTest::addColumn<QString>("name");
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
        QFETCH(bool, asServiceKey);
        QFETCH(QString, name);
        resetInstallation({ { "alpha", program("Alpha", 1) } });
        if (asServiceKey) {
            m_repository->addPlugin(QStringLiteral("hostile"), program("Hostile", 5), {},
                QJsonObject { { QStringLiteral("service_key"), name } });
        } else {
            QJsonObject info = helperInfo(7, name, QStringLiteral("9.9"));
            info.insert(QStringLiteral("file"), QStringLiteral("payload"));
            m_repository->addHelper(
                QStringLiteral("hostile"), info, UpdateServerFixture::helperBody(600));
        }
        QVERIFY(m_repository->start());
        const QStringList before = allFiles();
        QTest::ignoreMessage(QtWarningMsg,
            QRegularExpression(QStringLiteral("^Refusing the offered (service key|helper binary "
                                              "name) \"")));
        const CheckOutcome outcome = UpdateRun::check(server());
        QVERIFY(outcome.answered);
        QCOMPARE(outcome.count, 0);
        UpdateRun::install(server());
        QCOMPARE(allFiles(), before);
        QVERIFY(!QFileInfo::exists("/tmp/kestrofan-escaped"));
    }

    void tamperedDownloadsKeepTheInstalledOnes_data()
    {
        QTest::addColumn<bool>("tamperPlugin");
        QTest::addColumn<bool>("tamperHelper");
        QTest::newRow("plugin changed after signing") << true << false;
        QTest::newRow("helper changed after signing") << false << true;
    }
    void tamperedDownloadsKeepTheInstalledOnes()
    {
        QFETCH(bool, tamperPlugin);
        QFETCH(bool, tamperHelper);
        resetInstallation({ { "alpha", program("Alpha", 1) } });
        const QByteArray oldHelper = UpdateServerFixture::helperBody(700, 'o');
        installHelper(1, "fetcher", "1.0", oldHelper);
        reloadRegistry();
        const QByteArray oldPlugin
            = readAll(ServiceFixture::pluginFolder("alpha") + "/service.plugin");
        m_repository->addPlugin(QStringLiteral("alpha"), program("Alpha", 2));
        m_repository->addHelper(QStringLiteral("fetcher"), helperInfo(1, "fetcher", "2.0"),
            UpdateServerFixture::helperBody(600));
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
        QCOMPARE(readAll(ServiceFixture::pluginFolder("alpha") + "/service.plugin") == oldPlugin,
            tamperPlugin);
        QCOMPARE(readAll(helperPath("fetcher")) == oldHelper, tamperHelper);
        QCOMPARE(AppContext::serviceRegistry()->service("Alpha")->revision(), tamperPlugin ? 1 : 2);
    }

    void answersOfAnotherKeyAreRefused()
    {
        resetInstallation({ { "alpha", program("Alpha", 1) } });
        m_repository->addPlugin(QStringLiteral("alpha"), program("Alpha", 2));
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

    void checkWithoutServer_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("unreachable");
        QTest::newRow("nothing listening") << "http://127.0.0.1:1" << true;
        QTest::newRow("no server configured") << "" << false;
    }
    void checkWithoutServer()
    {
        QFETCH(QString, address);
        QFETCH(bool, unreachable);
        resetInstallation({ { "alpha", program("Alpha", 1) } });
        const CheckOutcome outcome
            = UpdateRun::check(UpdateServer(address, m_repository->publicKey()));
        QCOMPARE(outcome.unreachable, unreachable);
        QCOMPARE(outcome.answered, !unreachable);
        if (unreachable)
            QCOMPARE(outcome.unreachableText, QStringLiteral("127.0.0.1 could not be reached"));
        else
            QCOMPARE(outcome.count, 0);
    }

    void compareVersions_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("result");
        QTest::newRow("1.10 > 1.9") << "1.10"
                                    << "1.9" << 1;
        QTest::newRow("1.2 = 1.2.0") << "1.2"
                                     << "1.2.0" << 0;
        QTest::newRow("dates") << "2017.1.1"
                               << "2016.12.31" << 1;
        QTest::newRow("older") << "2016.12.31"
                               << "2017.1.1" << -1;
        QTest::newRow("text part counts as 0") << "1.x"
                                               << "1.0" << 0;
    }
    void compareVersions()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, result);
        QCOMPARE(PluginVersionsChecker::compareVersions(a, b), result);
    }

    void appVersionCheck_data()
    {
        QTest::addColumn<QString>("running");
        QTest::addColumn<QString>("runningBuild");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("reported");
        QTest::newRow("higher build")
            << "1.1.4"
            << "100"
            << QByteArray("{\"version\":\"1.1.4\",\"build\":\"101\","
                          "\"text\":\"<b>new</b>\",\"location\":\"https://e.x/\"}")
            << true;
        QTest::newRow("same release")
            << "1.1.4"
            << "100" << QByteArray("{\"version\":\"1.1.4\",\"build\":\"100\"}") << false;
        QTest::newRow("1.10 sorts before 1.9 as text")
            << "1.9"
            << "100" << QByteArray("{\"version\":\"1.10\",\"build\":\"100\"}") << false;
        QTest::newRow("newer version")
            << "1.1.4"
            << "100" << QByteArray("{\"version\":\"1.1.5\",\"build\":\"1\"}") << true;
        QTest::newRow("array ignored") << "1.1.4"
                                       << "100" << QByteArray("[{\"version\":\"9\"}]") << false;
    }
    void appVersionCheck()
    {
        QFETCH(QString, running);
        QFETCH(QString, runningBuild);
        QFETCH(QByteArray, answer);
        QFETCH(bool, reported);
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
            QCOMPARE(spy.first().at(2).toString(), QStringLiteral("https://e.x/"));
    }
};

KESTROFAN_CORE_TEST_MAIN(TestUpdates)
#include "tst_updates.moc"
