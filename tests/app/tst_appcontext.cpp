#include "AppTestSupport.h"
#include "TestEnvironment.h"

#include "app/AppIdentity.h"
#include "app/AppPaths.h"
#include "app/DbConnection.h"
#include "app/FatalStop.h"
#include "app/FileOpenEventFilter.h"
#include "app/Prefs.h"
#include "core/AppContext.h"

#include <QFileOpenEvent>
#include <QSqlQuery>

using namespace AppTestSupport;

// Start-up of the core context: preferences loaded or written, folders, schema changes, the
// release comparison and the fatal stop.
class AppContextTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(installDatabase()); }
    void init()
    {
        clearSettings();
        Prefs::resetToDefaults();
        // Schema change step 6 brings this table back, which shows that the steps ran.
        DbConnection db;
        QSqlQuery(db.connection()).exec("DROP TABLE IF EXISTS binary_helper");
    }

    void cleanup() { m_context.reset(); }

    void firstRunWritesTheDefaults()
    {
        // A fresh account may not even have a desktop folder yet.
        const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        QDir(desktop).removeRecursively();
        start();
        QVERIFY(AppContext::isFirstRun());
        QVERIFY(!AppContext::isDying());

        QSettings settings(
            QSettings::NativeFormat, QSettings::UserScope, "Ulvane Software", "Kestrofan 2");
        settings.beginGroup("prefs");
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
        const QString media = desktop + "/Kestrofan Downloads/";
        QCOMPARE(settings.value("mediaPath").toString(), media);
        QCOMPARE(settings.value("preferredVideoFormat").toInt(), 45);
        QCOMPARE(settings.value("searchableServiceNamesOrder").toStringList(),
            QStringList { "YouTube" });

        QVERIFY(QFileInfo(media + "Temporary files").isDir());
        QCOMPARE(QThreadPool::globalInstance()->maxThreadCount(), 10);
        // Nothing was stored before, so no schema change step ran.
        QVERIFY(!hasHelperTable());
        QVERIFY(AppPaths::dataLocation().startsWith(QDir::homePath()));
        QCOMPARE(DbConnection::databaseFilePath(), AppPaths::dataLocation() + "/kestrofan2.db");
    }

    void laterRunLoadsWhatWasStoredAndUpgrades()
    {
        QTemporaryDir media;
        storePrefs({ { "version", "1.0.5" }, { "build", "100" } });
        start();
        QVERIFY(!AppContext::isFirstRun());
        QVERIFY(hasHelperTable());
        // A later run does not rewrite the defaults.
        QVERIFY(!AppContext::settings()->contains("prefs/preferredVideoFormat"));

        // Setters write through at once: a restart reads them back.
        Prefs::setMediaPath(media.path() + "/new");
        Prefs::setPreferredVideoFormat(48);
        Prefs::setShowAdultContent(false);
        Prefs::setLastVersionCheckForPlugins(QDate(2024, 2, 29));
        Prefs::setSearchableServiceNames({ "Vimeo", "A B" });
        Prefs::setVisualNotificationOnQueueFinished(false);
        restart();
        QCOMPARE(Prefs::mediaPath(), media.path() + "/new/");
        Prefs::setMediaPath(Prefs::mediaPath());
        QCOMPARE(Prefs::mediaPath(), media.path() + "/new/");
        QVERIFY(QFileInfo(media.path() + "/new/Temporary files").isDir());
        QCOMPARE(Prefs::preferredVideoFormat(), 48);
        QCOMPARE(Prefs::showAdultContent(), false);
        QCOMPARE(Prefs::lastVersionCheckForPlugins(), QDate(2024, 2, 29));
        QCOMPARE(Prefs::searchableServiceNames(), (QStringList { "Vimeo", "A B" }));
        QCOMPARE(Prefs::visualNotificationOnQueueFinished(), false);
        QCOMPARE(Prefs::version(), "1.0.5");
    }

    void storedValuesLoad_data()
    {
        testColumns<QVariantMap, QString, QVariant>("stored", "key", "expected");
        const QString media = QDir::tempPath() + "/kestrofan-prefs-test";
        const QString tmpKey = "mediaTmpDir";
        const QVariantMap withMedia { { "mediaPath", media + QLatin1Char('/') } };
        auto plus = [&withMedia](const QString& key, const QVariant& value) {
            QVariantMap map = withMedia;
            map.insert(key, value);
            return map;
        };
        // A unique name, to see that nothing lands at the root or the working folder.
        const QString tmpName
            = QStringLiteral("kestrofan-test-%1").arg(QCoreApplication::applicationPid());
        testRow("group without mediaPath", QVariantMap { { tmpKey, tmpName } }, "mediaPath",
            QVariant(QString()));
        testRow("simultaneousDownloads 4", plus("simultaneousDownloads", 4),
            "simultaneousDownloads", QVariant(1));
        testRow("missing visual notification", plus("audioNotificationOnQueueFinished", true),
            "visualNotificationOnQueueFinished", QVariant(true));
        testRow("missing list", withMedia, "searchableServiceNamesOrder",
            QVariant(QStringList { "YouTube" }));
        testRow("tmp dir backslash", plus(tmpKey, "Partial\\"), tmpKey, QVariant("Partial"));
        // Partial downloads stay inside the media folder: anything but a plain folder name
        // gives the default.
        const QVariant defaultTmp("Temporary files");
        testRow("tmp dir double slash", plus(tmpKey, "Partial//"), tmpKey, defaultTmp);
        testRow("tmp dir escapes", plus(tmpKey, QStringLiteral("../../") + tmpName), tmpKey,
            defaultTmp);
        testRow("tmp dir absolute", plus(tmpKey, QDir::tempPath() + QLatin1Char('/') + tmpName),
            tmpKey, defaultTmp);
        testRow("tmp dir parent", plus(tmpKey, ".."), tmpKey, defaultTmp);
        testRow("tmp dir empty", plus(tmpKey, QString()), tmpKey, QVariant(QString()));
        testRow("text for a number", plus("preferredVideoFormat", "abc"), "preferredVideoFormat",
            QVariant(0));
        testRow("text for a bool", plus("showAdultContent", "false"), "showAdultContent",
            QVariant(false));
        testRow("text for a list", plus("searchableServiceNamesOrder", "Dailymotion"),
            "searchableServiceNamesOrder", QVariant(QStringList { "Dailymotion" }));
    }

    void storedValuesLoad()
    {
        auto [stored, key, expected]
            = testFetch<QVariantMap, QString, QVariant>("stored", "key", "expected");
        // Where a temporary folder name that is really a path would lead.
        const QString raw = stored.value("mediaTmpDir").toString();
        const QString rawPlace
            = QDir::cleanPath(stored.value("mediaPath").toString() + QLatin1Char('/') + raw);
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

    void configuredMediaPathIsCreatedOneLevelOnly()
    {
        // A folder on a drive that is not mounted must not be made up on the wrong disk.
        QTemporaryDir base;
        storePrefs({ { "mediaPath", base.path() + "/usb/Videos/" } });
        start();
        QVERIFY(!QFileInfo::exists(base.path() + "/usb"));
        QVERIFY(!AppContext::isDying());
    }

    void valueFromText_data()
    {
        testColumns<QString, QString, QVariant, QString>("key", "text", "expected", "error");
        testRow("int with blanks", "preferredVideoFormat", " 48 ", QVariant(48), QString());
        testRow("bool word", "showAdultContent", "FALSE", QVariant(false), QString());
        testRow("bool digit", "audioNotificationOnQueueFinished", "1", QVariant(true), QString());
        testRow("date", "lastVersionCheckForPlugins", "2023-12-31", QVariant(QDate(2023, 12, 31)),
            QString());
        testRow("no date", "lastVersionCheckForPlugins", "", QVariant(QDate()), QString());
        testRow("list with blanks", "searchableServiceNames", " PeerTube , Generic Service,,",
            QVariant(QStringList { "PeerTube", "Generic Service" }), QString());
        testRow("path normalised", "mediaPath", QDir::tempPath() + "/x",
            QVariant(QDir::tempPath() + "/x/"), QString());
        testRow("unknown key", "noSuchPreference", "1", QVariant(), "Unknown preference");
        testRow("read-only key", "mediaTmpDir", "Elsewhere", QVariant(), "cannot be changed");
        testRow("fixed count", "simultaneousDownloads", "3", QVariant(), "cannot be changed");
        testRow("not a number", "preferredVideoSize", "large", QVariant(), "is not a valid");
        testRow("not a bool", "showAdultContent", "maybe", QVariant(), "is not a valid");
        testRow("impossible date", "lastVersionCheckForPlugins", "2023-02-30", QVariant(),
            "is not a valid");
    }

    void valueFromText()
    {
        auto [key, text, expected, error]
            = testFetch<QString, QString, QVariant, QString>("key", "text", "expected", "error");
        start();
        const QVariant before = Prefs::value(key);
        QString message;
        QCOMPARE(Prefs::setValueFromText(key, text, &message), error.isEmpty());
        QVERIFY2(message.contains(error), qPrintable(message));
        // Written through like any setter, or not at all.
        restart();
        QCOMPARE(Prefs::value(key), error.isEmpty() ? expected : before);
    }

    void storedReleaseIsComparedAsText_data()
    {
        testColumns<QString, QString, bool>("version", "build", "outdated");
        testRow("nothing stored", QString(), QString(), true);
        testRow("no build", "1.1.4", QString(), true);
        testRow("older version", "1.0.5", "900", true);
        // Text comparison: "1.1.10" sorts before "1.1.4".
        testRow("1.1.10", "1.1.10", "100", true);
        testRow("same release", "1.1.4", "100", false);
        testRow("same version, older build", "1.1.4", "99", true);
        testRow("same version, unreadable build", "1.1.4", "abc", true);
        testRow("newer version, older build", "1.2", "7", false);
    }

    void storedReleaseIsComparedAsText()
    {
        auto [version, build, outdated]
            = testFetch<QString, QString, bool>("version", "build", "outdated");
        QCOMPARE(AppIdentity::isStoredReleaseOutdated(version, build), outdated);
    }

    void emptyRegistriesNeedSetUp()
    {
        storePrefs({ { "version", "1.1.4" }, { "build", "100" } });
        start();
        // Before the registries exist, and while they hold nothing, the set-up has to run.
        QVERIFY(!AppContext::serviceRegistry());
        QVERIFY(AppContext::needsServiceInitialisation());
        m_context->createServiceRegistries();
        QVERIFY(AppContext::serviceRegistry() && AppContext::helperRegistry());
        QVERIFY(AppContext::needsServiceInitialisation());
    }

    void fatalStopOnAWorkerIsToldOnTheMainThread()
    {
        start();
        std::unique_ptr<QThread> worker(QThread::create([] {
            FatalStop::die("first");
            FatalStop::die("second");
        }));
        worker->start();
        QVERIFY(worker->wait(30000));
        QVERIFY(AppContext::isDying());
        QTRY_COMPARE(m_ui.fatalErrors, QStringList { "first" });
        QCOMPARE(m_ui.fatalErrorThreads, QList<QThread*> { QThread::currentThread() });
    }

    void fileOpenAddresses_data()
    {
        testColumns<QUrl, QString>("url", "delivered");
        testRow("collapsed http", QUrl("file:kestrofan:http:/www.example.com/watch?v=1"),
            "file:kestrofan:http://www.example.com/watch?v=1");
        testRow("collapsed https, blank decoded", QUrl("file:kestrofan:https:/example.com/a%20b"),
            "file:kestrofan:https://example.com/a b");
        testRow("fragment decoded", QUrl("file:kestrofan:http://example.com/a%23video"),
            "file:kestrofan:http://example.com/a#video");
        testRow("whole address in a query stays whole",
            QUrl("file:kestrofan:http:/example.com/r?to=http://other.example/x"),
            "file:kestrofan:http://example.com/r?to=http://other.example/x");
        testRow("without file prefix", QUrl("kestrofan:http:/example.com/a"),
            "kestrofan:http:/example.com/a");
        testRow("empty emits nothing", QUrl(), QString());
    }

    void fileOpenAddresses()
    {
        auto [url, delivered] = testFetch<QUrl, QString>("url", "delivered");
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

private:
    void start() { m_context = std::make_unique<AppContext>(&m_ui); }
    void restart()
    {
        m_context.reset();
        Prefs::resetToDefaults();
        start();
    }

    bool hasHelperTable() const
    {
        DbConnection db;
        QSqlQuery query(db.connection());
        query.exec("SELECT name FROM sqlite_master WHERE type='table' AND name='binary_helper'");
        return query.next();
    }

    RecordingUserInterface m_ui;
    std::unique_ptr<AppContext> m_context;
};

KESTROFAN_CORE_TEST_MAIN(AppContextTest)
#include "tst_appcontext.moc"
