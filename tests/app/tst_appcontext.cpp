#include "AppTestSupport.h"
#include "TestEnvironment.h"

#include "app/AppContext.h"
#include "app/DbConnection.h"
#include "app/FileOpenEventFilter.h"
#include "app/Prefs.h"

#include <QDir>
#include <QFileOpenEvent>
#include <QSettings>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThreadPool>

#include <memory>

using namespace AppTestSupport;

// The core start-up, the release test for the set-up dialog and external addresses.
class AppContextTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void emptyStoreIsAFirstRun();
    void laterRunLoadsAndUpgradesFromTheStoredRelease();
    void configuredMediaPathIsCreatedOneLevelOnly();
    void locationsFollowTheDataFolder();
    void storedReleaseIsComparedAsText_data();
    void storedReleaseIsComparedAsText();
    void emptyRegistriesNeedSetUp();
    void fatalStopOnAWorkerIsToldOnTheMainThread();

    void fileOpenAddresses_data();
    void fileOpenAddresses();
    void emptyOrOtherEventsEmitNothing();

private:
    bool hasHelperTable() const;

    RecordingUserInterface m_ui;
    std::unique_ptr<AppContext> m_context;
};

void AppContextTest::initTestCase()
{
    QVERIFY(installDatabase());
}

void AppContextTest::init()
{
    clearSettings();
    Prefs::resetToDefaults();
    // The schema change steps leave their mark: step 6 brings this table back.
    DbConnection db;
    QSqlQuery(db.connection()).exec(QStringLiteral("DROP TABLE IF EXISTS binary_helper"));
}

void AppContextTest::cleanup()
{
    m_context.reset();
}

bool AppContextTest::hasHelperTable() const
{
    DbConnection db;
    QSqlQuery query(db.connection());
    query.exec(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type='table' AND name='binary_helper'"));
    return query.next();
}

void AppContextTest::emptyStoreIsAFirstRun()
{
    // A fresh account may not even have a desktop folder yet.
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    const QString media = desktop + QStringLiteral("/Kestrofan Downloads");
    QDir(desktop).removeRecursively();

    m_context = std::make_unique<AppContext>(&m_ui);
    QVERIFY(AppContext::isFirstRun());
    QVERIFY(!AppContext::isDying());
    QVERIFY(m_ui.fatalErrors.isEmpty());
    QVERIFY(AppContext::settings()->childGroups().contains(QStringLiteral("prefs")));
    QCOMPARE(
        AppContext::settings()->value(QStringLiteral("prefs/preferredVideoFormat")).toInt(), 45);
    QVERIFY(QFileInfo(media).isDir());
    QVERIFY(QFileInfo(media + QStringLiteral("/Temporary files")).isDir());
    QCOMPARE(QThreadPool::globalInstance()->maxThreadCount(), 10);
    // Nothing was stored before, so no schema change step ran.
    QVERIFY(!hasHelperTable());
    QVERIFY(AppContext::processingQueue());
    QVERIFY(AppContext::cookieJar());
}

void AppContextTest::laterRunLoadsAndUpgradesFromTheStoredRelease()
{
    QTemporaryDir media;
    storePrefs({ { QStringLiteral("mediaPath"), media.path() + QStringLiteral("/new/") },
        { QStringLiteral("version"), QStringLiteral("1.0.5") },
        { QStringLiteral("build"), QStringLiteral("100") },
        { QStringLiteral("preferredVideoSize"), 4 } });
    m_context = std::make_unique<AppContext>(&m_ui);
    QVERIFY(!AppContext::isFirstRun());
    QCOMPARE(Prefs::preferredVideoSize(), 4);
    QCOMPARE(Prefs::version(), QStringLiteral("1.0.5"));
    QVERIFY(QFileInfo(media.path() + QStringLiteral("/new/Temporary files")).isDir());
    QVERIFY(hasHelperTable());
    // The settings are not rewritten with defaults on a later run.
    QVERIFY(!AppContext::settings()->contains(QStringLiteral("prefs/preferredVideoFormat")));

    // The first-run flag can be cleared, as the first-run dialog does.
    AppContext::setFirstRun(true);
    QVERIFY(AppContext::isFirstRun());
}

void AppContextTest::configuredMediaPathIsCreatedOneLevelOnly()
{
    // A folder on a drive that is not mounted must not be made up on the wrong disk.
    QTemporaryDir base;
    storePrefs({ { QStringLiteral("mediaPath"), base.path() + QStringLiteral("/usb/Videos/") } });
    m_context = std::make_unique<AppContext>(&m_ui);
    QVERIFY(!QFileInfo::exists(base.path() + QStringLiteral("/usb")));
    QVERIFY(!AppContext::isDying());
}

void AppContextTest::locationsFollowTheDataFolder()
{
    m_context = std::make_unique<AppContext>(&m_ui);
    const QString data = AppContext::dataLocation();
    QVERIFY(data.startsWith(QDir::homePath()));
    QVERIFY(data.endsWith(QStringLiteral("Ulvane Software/Kestrofan 2")));
    QCOMPARE(AppContext::cacheLocation(), data + QStringLiteral("/cache_qt5"));
    QCOMPARE(AppContext::servicePluginsLocation(), data + QStringLiteral("/serviceplugins"));
    QCOMPARE(AppContext::helpersLocation(), data + QStringLiteral("/helpers/"));
    QCOMPARE(DbConnection::databaseFilePath(), data + QStringLiteral("/kestrofan2.db"));
    QCOMPARE(AppContext::version(), QStringLiteral("1.1.4"));
    QCOMPARE(AppContext::applicationBuild(), QStringLiteral("100"));
    QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.1.4"));
}

void AppContextTest::storedReleaseIsComparedAsText_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("build");
    QTest::addColumn<bool>("outdated");
    QTest::newRow("nothing stored") << QString() << QString() << true;
    QTest::newRow("no build") << "1.1.4" << QString() << true;
    QTest::newRow("no version") << QString() << "100" << true;
    QTest::newRow("older version") << "1.0.5"
                                   << "900" << true;
    // Text comparison: "1.1.10" sorts before "1.1.4".
    QTest::newRow("1.1.10") << "1.1.10"
                            << "100" << true;
    QTest::newRow("same release") << "1.1.4"
                                  << "100" << false;
    QTest::newRow("same version, older build") << "1.1.4"
                                               << "99" << true;
    QTest::newRow("same version, unreadable build") << "1.1.4"
                                                    << "abc" << true;
    QTest::newRow("same version, newer build") << "1.1.4"
                                               << "250" << false;
    QTest::newRow("newer version, older build") << "1.2"
                                                << "7" << false;
}

void AppContextTest::storedReleaseIsComparedAsText()
{
    QFETCH(QString, version);
    QFETCH(QString, build);
    QFETCH(bool, outdated);
    QCOMPARE(AppContext::isStoredReleaseOutdated(version, build), outdated);
}

void AppContextTest::emptyRegistriesNeedSetUp()
{
    storePrefs({ { QStringLiteral("version"), QStringLiteral("1.1.4") },
        { QStringLiteral("build"), QStringLiteral("100") } });
    m_context = std::make_unique<AppContext>(&m_ui);
    QVERIFY(!AppContext::serviceRegistry());
    // Before the registries exist, and while they hold nothing, the set-up has to run.
    QVERIFY(AppContext::needsServiceInitialisation());
    m_context->createServiceRegistries();
    QVERIFY(AppContext::serviceRegistry());
    QVERIFY(AppContext::helperRegistry());
    QVERIFY(AppContext::needsServiceInitialisation());
}

void AppContextTest::fatalStopOnAWorkerIsToldOnTheMainThread()
{
    m_context = std::make_unique<AppContext>(&m_ui);
    std::unique_ptr<QThread> worker(QThread::create([] {
        AppContext::die(QStringLiteral("first"));
        AppContext::die(QStringLiteral("second"));
    }));
    worker->start();
    QVERIFY(worker->wait(30000));
    QVERIFY(AppContext::isDying());
    QTRY_COMPARE(m_ui.fatalErrors, QStringList { QStringLiteral("first") });
    QCOMPARE(m_ui.fatalErrorThreads, QList<QThread*> { QThread::currentThread() });
}

void AppContextTest::fileOpenAddresses_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<QString>("delivered");
    QTest::newRow("collapsed http")
        << QUrl(QStringLiteral("file:kestrofan:http:/www.example.com/watch?v=1"))
        << "file:kestrofan:http://www.example.com/watch?v=1";
    QTest::newRow("collapsed https")
        << QUrl(QStringLiteral("file:kestrofan:https:/example.com/v/2"))
        << "file:kestrofan:https://example.com/v/2";
    QTest::newRow("whole http") << QUrl(QStringLiteral("file:kestrofan:http://example.com/a"))
                                << "file:kestrofan:http://example.com/a";
    QTest::newRow("fragment decoded")
        << QUrl(QStringLiteral("file:kestrofan:http://example.com/a%23video"))
        << "file:kestrofan:http://example.com/a#video";
    QTest::newRow("blank decoded") << QUrl(QStringLiteral("file:kestrofan:http:/example.com/a%20b"))
                                   << "file:kestrofan:http://example.com/a b";
    QTest::newRow("whole address in a query stays whole")
        << QUrl(QStringLiteral("file:kestrofan:http:/example.com/r?to=http://other.example/x"))
        << "file:kestrofan:http://example.com/r?to=http://other.example/x";
    QTest::newRow("without file prefix")
        << QUrl(QStringLiteral("kestrofan:http:/example.com/a")) << "kestrofan:http:/example.com/a";
}

void AppContextTest::fileOpenAddresses()
{
    QFETCH(QUrl, url);
    QFETCH(QString, delivered);
    QObject target;
    FileOpenEventFilter filter;
    target.installEventFilter(&filter);
    QSignalSpy spy(&filter, &FileOpenEventFilter::urlOpenedByExternalURLHandler);
    QFileOpenEvent event(url);
    QCoreApplication::sendEvent(&target, &event);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), delivered);
}

void AppContextTest::emptyOrOtherEventsEmitNothing()
{
    QObject target;
    FileOpenEventFilter filter;
    target.installEventFilter(&filter);
    QSignalSpy spy(&filter, &FileOpenEventFilter::urlOpenedByExternalURLHandler);
    QFileOpenEvent empty { QUrl() };
    QCoreApplication::sendEvent(&target, &empty);
    QEvent other(QEvent::User);
    QCoreApplication::sendEvent(&target, &other);
    QCOMPARE(spy.count(), 0);
}

KESTROFAN_CORE_TEST_MAIN(AppContextTest)
#include "tst_appcontext.moc"
