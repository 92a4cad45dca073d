#include "AppTestSupport.h"
#include "TestEnvironment.h"

#include "app/AppContext.h"
#include "app/Prefs.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>

#include <memory>

using namespace AppTestSupport;

// Preferences as the application object loads and writes them.
class PrefsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstRunWritesEveryDefaultInOrder();
    void laterRunLoadsWhatWasStored();
    void absentMediaPathLoadsEmpty();
    void simultaneousDownloadsIsAlwaysOne();
    void absentNotificationKeysKeepTheirDefaults();
    void wrongTypedValuesConvertAsQtDoes();
    void mediaPathGetsATrailingSeparator();
    void mediaTmpDirLosesOneTrailingSeparator_data();
    void mediaTmpDirLosesOneTrailingSeparator();
    void settersWriteThroughAtOnce();
    void valueFromTextAcceptsTextOfTheKeysType_data();
    void valueFromTextAcceptsTextOfTheKeysType();
    void valueFromTextRejectsBadInput_data();
    void valueFromTextRejectsBadInput();

private:
    void start();
    QVariant stored(const QString& key) const;

    RecordingUserInterface m_ui;
    std::unique_ptr<AppContext> m_context;
};

void PrefsTest::initTestCase()
{
    QVERIFY(installDatabase());
}

void PrefsTest::init()
{
    clearSettings();
    Prefs::resetToDefaults();
}

void PrefsTest::cleanup()
{
    m_context.reset();
}

void PrefsTest::start()
{
    m_context.reset();
    m_context = std::make_unique<AppContext>(&m_ui);
}

QVariant PrefsTest::stored(const QString& key) const
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
        QStringLiteral("Ulvane Software"), QStringLiteral("Kestrofan 2"));
    return settings.value(QStringLiteral("prefs/") + key);
}

void PrefsTest::firstRunWritesEveryDefaultInOrder()
{
    start();
    QVERIFY(AppContext::isFirstRun());

    QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
        QStringLiteral("Ulvane Software"), QStringLiteral("Kestrofan 2"));
    settings.beginGroup(QStringLiteral("prefs"));
    QStringList expected = Prefs::keys();
    // These three are only ever loaded, never written as defaults.
    for (const char* loadedOnly : { "visualNotificationOnQueueFinished",
             "audioNotificationOnQueueFinished", "searchableServiceNames" })
        QVERIFY(expected.removeOne(QLatin1String(loadedOnly)));
    QStringList written = settings.childKeys();
    written.sort();
    expected.sort();
    QCOMPARE(written, expected);

    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    QCOMPARE(settings.value(QStringLiteral("mediaPath")).toString(),
        QDir::toNativeSeparators(desktop + QStringLiteral("/Kestrofan Downloads/")));
    QCOMPARE(settings.value(QStringLiteral("mediaTmpDir")).toString(),
        QStringLiteral("Temporary files"));
    QCOMPARE(settings.value(QStringLiteral("preferredVideoFormat")).toInt(), 45);
    QCOMPARE(settings.value(QStringLiteral("preferredAudioFormat")).toInt(), 0);
    QCOMPARE(settings.value(QStringLiteral("defaultDownloadMediaType")).toInt(), 1);
    QCOMPARE(settings.value(QStringLiteral("preferredVideoSize")).toInt(), 3);
    QCOMPARE(settings.value(QStringLiteral("simultaneousDownloads")).toInt(), 1);
    QCOMPARE(settings.value(QStringLiteral("showAdultContent")).toBool(), true);
    QCOMPARE(settings.value(QStringLiteral("addVideoToMediaPlayerPlaylist")).toBool(), false);
    QCOMPARE(settings.value(QStringLiteral("mediaPlayerAudioPlaylistName")).toString(),
        QStringLiteral("Kestrofan music"));
    QCOMPARE(settings.value(QStringLiteral("searchableServiceNamesOrder")).toStringList(),
        QStringList { QStringLiteral("YouTube") });
    QCOMPARE(settings.value(QStringLiteral("version")).toString(), QString());
    QVERIFY(!settings.value(QStringLiteral("lastVersionCheckForPlugins")).toDate().isValid());
}

void PrefsTest::laterRunLoadsWhatWasStored()
{
    start();
    Prefs::setMediaPath(QDir::tempPath() + QStringLiteral("/kestrofan-media"));
    Prefs::setPreferredVideoFormat(48);
    Prefs::setShowAdultContent(false);
    Prefs::setLastVersionCheckForPlugins(QDate(2024, 2, 29));
    Prefs::setSearchableServiceNamesOrder({ QStringLiteral("Vimeo"), QStringLiteral("YouTube") });
    Prefs::setSearchableServiceNames({ QStringLiteral("Vimeo") });
    Prefs::setVisualNotificationOnQueueFinished(false);
    Prefs::setVersion(QStringLiteral("1.1.4"));

    m_context.reset();
    Prefs::resetToDefaults();
    start();
    QVERIFY(!AppContext::isFirstRun());
    QCOMPARE(Prefs::mediaPath(), QDir::tempPath() + QStringLiteral("/kestrofan-media/"));
    QCOMPARE(Prefs::preferredVideoFormat(), 48);
    QCOMPARE(Prefs::showAdultContent(), false);
    QCOMPARE(Prefs::lastVersionCheckForPlugins(), QDate(2024, 2, 29));
    QCOMPARE(Prefs::searchableServiceNamesOrder(),
        (QStringList { QStringLiteral("Vimeo"), QStringLiteral("YouTube") }));
    QCOMPARE(Prefs::searchableServiceNames(), QStringList { QStringLiteral("Vimeo") });
    QCOMPARE(Prefs::visualNotificationOnQueueFinished(), false);
    QCOMPARE(Prefs::version(), QStringLiteral("1.1.4"));
}

void PrefsTest::absentMediaPathLoadsEmpty()
{
    // A temporary folder name nobody else uses, to see that nothing lands at the root.
    const QString tmpName
        = QStringLiteral("kestrofan-test-%1").arg(QCoreApplication::applicationPid());
    storePrefs({ { QStringLiteral("mediaTmpDir"), tmpName } });
    start();
    QVERIFY(!AppContext::isFirstRun());
    QCOMPARE(Prefs::mediaPath(), QString());
    QVERIFY(!QFileInfo::exists(QDir::rootPath() + tmpName));
    QVERIFY(!QFileInfo::exists(QDir::currentPath() + QLatin1Char('/') + tmpName));
}

void PrefsTest::simultaneousDownloadsIsAlwaysOne()
{
    storePrefs({ { QStringLiteral("simultaneousDownloads"), 4 } });
    start();
    QCOMPARE(Prefs::simultaneousDownloads(), 1);
    QCOMPARE(Prefs::value(QStringLiteral("simultaneousDownloads")).toInt(), 1);
}

void PrefsTest::absentNotificationKeysKeepTheirDefaults()
{
    // A store of an earlier version: the group exists, the newer keys do not.
    storePrefs({ { QStringLiteral("mediaPath"), QDir::tempPath() + QLatin1Char('/') },
        { QStringLiteral("audioNotificationOnQueueFinished"), true } });
    start();
    QCOMPARE(Prefs::visualNotificationOnQueueFinished(), true);
    QCOMPARE(Prefs::audioNotificationOnQueueFinished(), true);
    QCOMPARE(Prefs::searchableServiceNamesOrder(), QStringList { QStringLiteral("YouTube") });
    QCOMPARE(Prefs::mediaTmpDir(), QStringLiteral("Temporary files"));
}

void PrefsTest::wrongTypedValuesConvertAsQtDoes()
{
    storePrefs({ { QStringLiteral("mediaPath"), QDir::tempPath() + QLatin1Char('/') },
        { QStringLiteral("preferredVideoFormat"), QStringLiteral("abc") },
        { QStringLiteral("threadsForMP4Conversion"), QStringLiteral("7") },
        { QStringLiteral("showAdultContent"), QStringLiteral("false") },
        { QStringLiteral("searchableServiceNamesOrder"), QStringLiteral("Dailymotion") } });
    start();
    QCOMPARE(Prefs::preferredVideoFormat(), 0);
    QCOMPARE(Prefs::threadsForMP4Conversion(), 7);
    QCOMPARE(Prefs::showAdultContent(), false);
    QCOMPARE(Prefs::searchableServiceNamesOrder(), QStringList { QStringLiteral("Dailymotion") });
}

void PrefsTest::mediaPathGetsATrailingSeparator()
{
    start();
    const QString base = QDir::tempPath() + QStringLiteral("/downloads");
    Prefs::setMediaPath(base);
    QCOMPARE(Prefs::mediaPath(), base + QDir::separator());
    QCOMPARE(stored(QStringLiteral("mediaPath")).toString(), base + QDir::separator());
    Prefs::setMediaPath(base + QDir::separator());
    QCOMPARE(Prefs::mediaPath(), base + QDir::separator());
    QCOMPARE(stored(QStringLiteral("mediaPath")).toString(), base + QDir::separator());
}

void PrefsTest::mediaTmpDirLosesOneTrailingSeparator_data()
{
    QTest::addColumn<QString>("storedValue");
    QTest::addColumn<QString>("expected");
    QTest::newRow("backslash") << QStringLiteral("Partial\\") << QStringLiteral("Partial");
    QTest::newRow("two slashes") << QStringLiteral("Partial//") << QStringLiteral("Partial/");
    QTest::newRow("plain") << QStringLiteral("Partial") << QStringLiteral("Partial");
    QTest::newRow("empty") << QString() << QString();
}

void PrefsTest::mediaTmpDirLosesOneTrailingSeparator()
{
    QFETCH(QString, storedValue);
    QFETCH(QString, expected);
    const QString media = QDir::tempPath() + QStringLiteral("/kestrofan-tmpdir-test/");
    storePrefs(
        { { QStringLiteral("mediaPath"), media }, { QStringLiteral("mediaTmpDir"), storedValue } });
    start();
    QCOMPARE(Prefs::mediaTmpDir(), expected);
    QCOMPARE(AppContext::mediaTmpLocation(), media + QDir::separator() + expected);
    QDir(media).removeRecursively();
}

void PrefsTest::settersWriteThroughAtOnce()
{
    start();
    Prefs::setPreferredVideoSize(5);
    Prefs::setAudioPlayerApp(QStringLiteral("/usr/bin/mpv"));
    Prefs::setSearchableServiceNames({ QStringLiteral("A"), QStringLiteral("B") });
    QCOMPARE(stored(QStringLiteral("preferredVideoSize")).toInt(), 5);
    QCOMPARE(stored(QStringLiteral("audioPlayerApp")).toString(), QStringLiteral("/usr/bin/mpv"));
    QCOMPARE(stored(QStringLiteral("searchableServiceNames")).toStringList(),
        (QStringList { QStringLiteral("A"), QStringLiteral("B") }));
}

void PrefsTest::valueFromTextAcceptsTextOfTheKeysType_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("int with blanks") << "preferredVideoFormat"
                                     << " 48 " << QVariant(48);
    QTest::newRow("bool word") << "showAdultContent"
                               << "FALSE" << QVariant(false);
    QTest::newRow("bool digit") << "audioNotificationOnQueueFinished"
                                << "1" << QVariant(true);
    QTest::newRow("date") << "lastVersionCheckForPlugins"
                          << "2023-12-31" << QVariant(QDate(2023, 12, 31));
    QTest::newRow("no date") << "lastVersionCheckForPlugins"
                             << "" << QVariant(QDate());
    QTest::newRow("list") << "searchableServiceNamesOrder"
                          << "Vimeo,YouTube"
                          << QVariant(QStringList {
                                 QStringLiteral("Vimeo"), QStringLiteral("YouTube") });
    QTest::newRow("list with blanks")
        << "searchableServiceNames"
        << " PeerTube , Generic Service,,"
        << QVariant(QStringList { QStringLiteral("PeerTube"), QStringLiteral("Generic Service") });
    QTest::newRow("empty list") << "searchableServiceNames"
                                << "" << QVariant(QStringList());
    QTest::newRow("path normalised") << "mediaPath" << QDir::tempPath() + QStringLiteral("/x")
                                     << QVariant(QDir::tempPath() + QStringLiteral("/x/"));
}

void PrefsTest::valueFromTextAcceptsTextOfTheKeysType()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(QVariant, expected);
    start();
    QString error;
    QVERIFY2(Prefs::setValueFromText(key, text, &error), qPrintable(error));
    QCOMPARE(Prefs::value(key), expected);
    // Written through like any setter.
    m_context.reset();
    Prefs::resetToDefaults();
    start();
    QCOMPARE(Prefs::value(key), expected);
}

void PrefsTest::valueFromTextRejectsBadInput_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("messagePart");
    QTest::newRow("unknown key") << "noSuchPreference"
                                 << "1"
                                 << "Unknown preference";
    QTest::newRow("read-only key") << "mediaTmpDir"
                                   << "Elsewhere"
                                   << "cannot be changed";
    QTest::newRow("fixed count") << "simultaneousDownloads"
                                 << "3"
                                 << "cannot be changed";
    QTest::newRow("not a number") << "preferredVideoSize"
                                  << "large"
                                  << "is not a valid";
    QTest::newRow("not a bool") << "showAdultContent"
                                << "maybe"
                                << "is not a valid";
    QTest::newRow("impossible date") << "lastVersionCheckForPlugins"
                                     << "2023-02-30"
                                     << "is not a valid";
}

void PrefsTest::valueFromTextRejectsBadInput()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(QString, messagePart);
    start();
    const QVariant before = Prefs::value(key);
    const QVariant storedBefore = stored(key);
    QString error;
    QVERIFY(!Prefs::setValueFromText(key, text, &error));
    QVERIFY2(error.contains(messagePart), qPrintable(error));
    QCOMPARE(Prefs::value(key), before);
    QCOMPARE(stored(key), storedBefore);
}

KESTROFAN_CORE_TEST_MAIN(PrefsTest)
#include "tst_prefs.moc"
