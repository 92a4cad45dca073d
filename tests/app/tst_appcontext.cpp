#include "AppTestSupport.h"
#include "TestEnvironment.h"

#include "app/AppIdentity.h"
#include "app/AppPaths.h"
#include "app/DbConnection.h"
#include "app/FatalStop.h"
#include "app/FileOpenEventFilter.h"
#include "app/Prefs.h"
#include "core/AppContext.h"

#include <QDir>
#include <QFileOpenEvent>
#include <QSettings>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThreadPool>

using namespace AppTestSupport;

// Start-up of the core context: preferences loaded or written, folders, schema changes, the
// release comparison and the fatal stop.
class AppContextTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(installDatabase()); }
    void init();
    void cleanup() { m_context.reset(); }

    void firstRunWritesTheDefaults();
    void laterRunLoadsWhatWasStoredAndUpgrades();
    void storedValuesLoad_data();
    void storedValuesLoad();
    void configuredMediaPathIsCreatedOneLevelOnly();
    void valueFromText_data();
    void valueFromText();
    void storedReleaseIsComparedAsText_data();
    void storedReleaseIsComparedAsText();
    void emptyRegistriesNeedSetUp();
    void fatalStopOnAWorkerIsToldOnTheMainThread();
    void fileOpenAddresses_data();
    void fileOpenAddresses();

private:
    void start() { m_context = std::make_unique<AppContext>(&m_ui); }
    void restart();
    bool hasHelperTable() const;

    RecordingUserInterface m_ui;
    std::unique_ptr<AppContext> m_context;
};

void AppContextTest::init()
{
    clearSettings();
    Prefs::resetToDefaults();
    // Schema change step 6 brings this table back, which shows that the steps ran.
    DbConnection db;
    QSqlQuery(db.connection()).exec(QStringLiteral("DROP TABLE IF EXISTS binary_helper"));
}

void AppContextTest::restart()
{
    m_context.reset();
    Prefs::resetToDefaults();
    start();
}

bool AppContextTest::hasHelperTable() const
{
    DbConnection db;
    QSqlQuery query(db.connection());
    query.exec(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type='table' AND name='binary_helper'"));
    return query.next();
}

void AppContextTest::firstRunWritesTheDefaults()
{
    // A fresh account may not even have a desktop folder yet.
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    QDir(desktop).removeRecursively();
    start();
    QVERIFY(AppContext::isFirstRun());
    QVERIFY(!AppContext::isDying());

    QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
        QStringLiteral("Ulvane Software"), QStringLiteral("Kestrofan 2"));
    settings.beginGroup(QStringLiteral("prefs"));
    QStringList expected = Prefs::keys();
    // These are only ever loaded, never written as defaults.
    for (const char* loadedOnly :
        { "visualNotificationOnQueueFinished", "audioNotificationOnQueueFinished",
            "searchableServiceNames", "updateUrl", "updatePublicKey" })
        QVERIFY(expected.removeOne(QLatin1String(loadedOnly)));
    QStringList written = settings.childKeys();
    written.sort();
    expected.sort();
    QCOMPARE(written, expected);
    const QString media = desktop + QStringLiteral("/Kestrofan Downloads/");
    QCOMPARE(settings.value(QStringLiteral("mediaPath")).toString(), media);
    QCOMPARE(settings.value(QStringLiteral("preferredVideoFormat")).toInt(), 45);
    QCOMPARE(settings.value(QStringLiteral("searchableServiceNamesOrder")).toStringList(),
        QStringList { QStringLiteral("YouTube") });

    QVERIFY(QFileInfo(media + QStringLiteral("Temporary files")).isDir());
    QCOMPARE(QThreadPool::globalInstance()->maxThreadCount(), 10);
    // Nothing was stored before, so no schema change step ran.
    QVERIFY(!hasHelperTable());
    QVERIFY(AppPaths::dataLocation().startsWith(QDir::homePath()));
    QCOMPARE(DbConnection::databaseFilePath(),
        AppPaths::dataLocation() + QStringLiteral("/kestrofan2.db"));
}

void AppContextTest::laterRunLoadsWhatWasStoredAndUpgrades()
{
    QTemporaryDir media;
    storePrefs({ { QStringLiteral("version"), QStringLiteral("1.0.5") },
        { QStringLiteral("build"), QStringLiteral("100") } });
    start();
    QVERIFY(!AppContext::isFirstRun());
    QVERIFY(hasHelperTable());
    // A later run does not rewrite the defaults.
    QVERIFY(!AppContext::settings()->contains(QStringLiteral("prefs/preferredVideoFormat")));

    // Setters write through at once: a restart reads them back.
    Prefs::setMediaPath(media.path() + QStringLiteral("/new"));
    Prefs::setPreferredVideoFormat(48);
    Prefs::setShowAdultContent(false);
    Prefs::setLastVersionCheckForPlugins(QDate(2024, 2, 29));
    Prefs::setSearchableServiceNames({ QStringLiteral("Vimeo"), QStringLiteral("A B") });
    Prefs::setVisualNotificationOnQueueFinished(false);
    restart();
    QCOMPARE(Prefs::mediaPath(), media.path() + QStringLiteral("/new/"));
    Prefs::setMediaPath(Prefs::mediaPath());
    QCOMPARE(Prefs::mediaPath(), media.path() + QStringLiteral("/new/"));
    QVERIFY(QFileInfo(media.path() + QStringLiteral("/new/Temporary files")).isDir());
    QCOMPARE(Prefs::preferredVideoFormat(), 48);
    QCOMPARE(Prefs::showAdultContent(), false);
    QCOMPARE(Prefs::lastVersionCheckForPlugins(), QDate(2024, 2, 29));
    QCOMPARE(Prefs::searchableServiceNames(),
        (QStringList { QStringLiteral("Vimeo"), QStringLiteral("A B") }));
    QCOMPARE(Prefs::visualNotificationOnQueueFinished(), false);
    QCOMPARE(Prefs::version(), QStringLiteral("1.0.5"));
}

void AppContextTest::storedValuesLoad_data()
{
    QTest::addColumn<QVariantMap>("stored");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("expected");
    const QString media = QDir::tempPath() + QStringLiteral("/kestrofan-prefs-test");
    const QString tmpKey = QStringLiteral("mediaTmpDir");
    const QVariantMap withMedia { { QStringLiteral("mediaPath"), media + QLatin1Char('/') } };
    auto plus = [&withMedia](const QString& key, const QVariant& value) {
        QVariantMap map = withMedia;
        map.insert(key, value);
        return map;
    };
    // A unique name, to see that nothing lands at the root or the working folder.
    const QString tmpName
        = QStringLiteral("kestrofan-test-%1").arg(QCoreApplication::applicationPid());
    QTest::newRow("group without mediaPath")
        << QVariantMap { { tmpKey, tmpName } } << "mediaPath" << QVariant(QString());
    QTest::newRow("simultaneousDownloads 4") << plus(QStringLiteral("simultaneousDownloads"), 4)
                                             << "simultaneousDownloads" << QVariant(1);
    QTest::newRow("missing visual notification")
        << plus(QStringLiteral("audioNotificationOnQueueFinished"), true)
        << "visualNotificationOnQueueFinished" << QVariant(true);
    QTest::newRow("missing list") << withMedia << "searchableServiceNamesOrder"
                                  << QVariant(QStringList { QStringLiteral("YouTube") });
    QTest::newRow("tmp dir backslash") << plus(tmpKey, QStringLiteral("Partial\\")) << tmpKey
                                       << QVariant(QStringLiteral("Partial"));
    // Partial downloads stay inside the media folder: anything but a plain folder name
    // gives the default.
    const QVariant defaultTmp(QStringLiteral("Temporary files"));
    QTest::newRow("tmp dir double slash")
        << plus(tmpKey, QStringLiteral("Partial//")) << tmpKey << defaultTmp;
    QTest::newRow("tmp dir escapes")
        << plus(tmpKey, QStringLiteral("../../") + tmpName) << tmpKey << defaultTmp;
    QTest::newRow("tmp dir absolute")
        << plus(tmpKey, QDir::tempPath() + QLatin1Char('/') + tmpName) << tmpKey << defaultTmp;
    QTest::newRow("tmp dir parent") << plus(tmpKey, QStringLiteral("..")) << tmpKey << defaultTmp;
    QTest::newRow("tmp dir empty") << plus(tmpKey, QString()) << tmpKey << QVariant(QString());
    QTest::newRow("text for a number") << plus(QStringLiteral("preferredVideoFormat"), "abc")
                                       << "preferredVideoFormat" << QVariant(0);
    QTest::newRow("text for a bool") << plus(QStringLiteral("showAdultContent"), "false")
                                     << "showAdultContent" << QVariant(false);
    QTest::newRow("text for a list")
        << plus(QStringLiteral("searchableServiceNamesOrder"), "Dailymotion")
        << "searchableServiceNamesOrder" << QVariant(QStringList { QStringLiteral("Dailymotion") });
}

void AppContextTest::storedValuesLoad()
{
    QFETCH(QVariantMap, stored);
    QFETCH(QString, key);
    QFETCH(QVariant, expected);
    // Where a temporary folder name that is really a path would lead.
    const QString raw = stored.value(QStringLiteral("mediaTmpDir")).toString();
    const QString rawPlace = QDir::cleanPath(
        stored.value(QStringLiteral("mediaPath")).toString() + QLatin1Char('/') + raw);
    const bool rawPlaceExisted = QFileInfo::exists(rawPlace);
    storePrefs(stored);
    start();
    QVERIFY(!AppContext::isFirstRun());
    QCOMPARE(Prefs::value(key), expected);
    if (Prefs::mediaPath().isEmpty()) {
        for (const QString& base : { QDir::rootPath(), QDir::currentPath() + QLatin1Char('/') })
            QVERIFY(!QFileInfo::exists(base + Prefs::mediaTmpDir()));
    } else {
        QCOMPARE(Prefs::mediaTmpLocation(),
            Prefs::mediaPath() + QDir::separator() + Prefs::mediaTmpDir());
        if (!raw.isEmpty()
            && !rawPlace.startsWith(QDir::cleanPath(Prefs::mediaPath()) + QLatin1Char('/')))
            QCOMPARE(QFileInfo::exists(rawPlace), rawPlaceExisted);
        QVERIFY(QFileInfo(Prefs::mediaTmpLocation()).isDir());
        QDir(Prefs::mediaPath()).removeRecursively();
    }
}

void AppContextTest::configuredMediaPathIsCreatedOneLevelOnly()
{
    // A folder on a drive that is not mounted must not be made up on the wrong disk.
    QTemporaryDir base;
    storePrefs({ { QStringLiteral("mediaPath"), base.path() + QStringLiteral("/usb/Videos/") } });
    start();
    QVERIFY(!QFileInfo::exists(base.path() + QStringLiteral("/usb")));
    QVERIFY(!AppContext::isDying());
}

void AppContextTest::valueFromText_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<QString>("error");
    QTest::newRow("int with blanks") << "preferredVideoFormat"
                                     << " 48 " << QVariant(48) << QString();
    QTest::newRow("bool word") << "showAdultContent"
                               << "FALSE" << QVariant(false) << QString();
    QTest::newRow("bool digit") << "audioNotificationOnQueueFinished"
                                << "1" << QVariant(true) << QString();
    QTest::newRow("date") << "lastVersionCheckForPlugins"
                          << "2023-12-31" << QVariant(QDate(2023, 12, 31)) << QString();
    QTest::newRow("no date") << "lastVersionCheckForPlugins"
                             << "" << QVariant(QDate()) << QString();
    QTest::newRow("list with blanks")
        << "searchableServiceNames"
        << " PeerTube , Generic Service,,"
        << QVariant(QStringList { QStringLiteral("PeerTube"), QStringLiteral("Generic Service") })
        << QString();
    QTest::newRow("path normalised")
        << "mediaPath" << QDir::tempPath() + QStringLiteral("/x")
        << QVariant(QDir::tempPath() + QStringLiteral("/x/")) << QString();
    QTest::newRow("unknown key") << "noSuchPreference"
                                 << "1" << QVariant() << "Unknown preference";
    QTest::newRow("read-only key") << "mediaTmpDir"
                                   << "Elsewhere" << QVariant() << "cannot be changed";
    QTest::newRow("fixed count") << "simultaneousDownloads"
                                 << "3" << QVariant() << "cannot be changed";
    QTest::newRow("not a number") << "preferredVideoSize"
                                  << "large" << QVariant() << "is not a valid";
    QTest::newRow("not a bool") << "showAdultContent"
                                << "maybe" << QVariant() << "is not a valid";
    QTest::newRow("impossible date") << "lastVersionCheckForPlugins"
                                     << "2023-02-30" << QVariant() << "is not a valid";
}

void AppContextTest::valueFromText()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(QVariant, expected);
    QFETCH(QString, error);
    start();
    const QVariant before = Prefs::value(key);
    QString message;
    QCOMPARE(Prefs::setValueFromText(key, text, &message), error.isEmpty());
    QVERIFY2(message.contains(error), qPrintable(message));
    // Written through like any setter, or not at all.
    restart();
    QCOMPARE(Prefs::value(key), error.isEmpty() ? expected : before);
}

void AppContextTest::storedReleaseIsComparedAsText_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("build");
    QTest::addColumn<bool>("outdated");
    QTest::newRow("nothing stored") << QString() << QString() << true;
    QTest::newRow("no build") << "1.1.4" << QString() << true;
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
    QTest::newRow("newer version, older build") << "1.2"
                                                << "7" << false;
}

void AppContextTest::storedReleaseIsComparedAsText()
{
    QFETCH(QString, version);
    QFETCH(QString, build);
    QFETCH(bool, outdated);
    QCOMPARE(AppIdentity::isStoredReleaseOutdated(version, build), outdated);
}

void AppContextTest::emptyRegistriesNeedSetUp()
{
    storePrefs({ { QStringLiteral("version"), QStringLiteral("1.1.4") },
        { QStringLiteral("build"), QStringLiteral("100") } });
    start();
    // Before the registries exist, and while they hold nothing, the set-up has to run.
    QVERIFY(!AppContext::serviceRegistry());
    QVERIFY(AppContext::needsServiceInitialisation());
    m_context->createServiceRegistries();
    QVERIFY(AppContext::serviceRegistry() && AppContext::helperRegistry());
    QVERIFY(AppContext::needsServiceInitialisation());
}

void AppContextTest::fatalStopOnAWorkerIsToldOnTheMainThread()
{
    start();
    std::unique_ptr<QThread> worker(QThread::create([] {
        FatalStop::die(QStringLiteral("first"));
        FatalStop::die(QStringLiteral("second"));
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
    QTest::newRow("collapsed https, blank decoded")
        << QUrl(QStringLiteral("file:kestrofan:https:/example.com/a%20b"))
        << "file:kestrofan:https://example.com/a b";
    QTest::newRow("fragment decoded")
        << QUrl(QStringLiteral("file:kestrofan:http://example.com/a%23video"))
        << "file:kestrofan:http://example.com/a#video";
    QTest::newRow("whole address in a query stays whole")
        << QUrl(QStringLiteral("file:kestrofan:http:/example.com/r?to=http://other.example/x"))
        << "file:kestrofan:http://example.com/r?to=http://other.example/x";
    QTest::newRow("without file prefix")
        << QUrl(QStringLiteral("kestrofan:http:/example.com/a")) << "kestrofan:http:/example.com/a";
    QTest::newRow("empty emits nothing") << QUrl() << QString();
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
    QCOMPARE(spy.count(), delivered.isEmpty() ? 0 : 1);
    if (!delivered.isEmpty())
        QCOMPARE(spy.at(0).at(0).toString(), delivered);
}

KESTROFAN_CORE_TEST_MAIN(AppContextTest)
#include "tst_appcontext.moc"
