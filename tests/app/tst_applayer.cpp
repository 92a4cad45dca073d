#include "TestEnvironment.h"

#include "app/Prefs.h"
#include "app/UserFacingText.h"

#include <atomic>

// The bottom layer on its own (this test links nothing above it): preferences read on
// workers while the owning thread writes them, and the user-facing form of recorded errors.
class AppLayerTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { Prefs::resetToDefaults(); }
    void cleanup() { Prefs::attach(nullptr); }

    void workersReadWhileTheOwnerWrites()
    {
        QTemporaryDir folder;
        QSettings store(folder.filePath("prefs.ini"), QSettings::IniFormat);
        Prefs::attach(&store);
        const QString first = "/media/first/";
        const QString second = "/media/a much longer second folder name/";
        const QStringList firstNames { "A", "B" };
        const QStringList secondNames { "C" };
        Prefs::setMediaPath(first);
        Prefs::setSearchableServiceNames(firstNames);

        std::atomic_bool writing { true };
        std::atomic_int reads { 0 };
        std::atomic_int inconsistent { 0 };
        QList<QThread*> workers;
        for (int i = 0; i < 3; ++i) {
            workers << QThread::create([&] {
                while (writing) {
                    const PrefsSnapshot prefs = Prefs::snapshot();
                    if ((prefs.mediaPath != first && prefs.mediaPath != second)
                        || (prefs.searchableServiceNames != firstNames
                            && prefs.searchableServiceNames != secondNames)
                        || prefs.mediaTmpLocation()
                            != prefs.mediaPath + QDir::separator() + "Temporary files")
                        ++inconsistent;
                    const QString path = Prefs::mediaPath();
                    if (path != first && path != second)
                        ++inconsistent;
                    ++reads;
                }
            });
            workers.last()->start();
        }
        // Enough rounds for the readers to meet many changes, however the threads are scheduled.
        for (int round = 0; round < 20000 || (reads < 1000 && round < 2000000); ++round) {
            Prefs::setMediaPath(round % 2 ? first : second);
            Prefs::setSearchableServiceNames(round % 2 ? firstNames : secondNames);
        }
        writing = false;
        for (QThread* worker : std::as_const(workers)) {
            QVERIFY(worker->wait(30000));
            delete worker;
        }
        QCOMPARE(inconsistent.load(), 0);
        QVERIFY(reads > 0);
        // The store followed the owner's last change.
        QCOMPARE(store.value("prefs/mediaPath").toString(), Prefs::mediaPath());
    }

    void changesOffTheOwningThreadAreRefused()
    {
        QTemporaryDir folder;
        QSettings store(folder.filePath("prefs.ini"), QSettings::IniFormat);
        Prefs::attach(&store);
        Prefs::setPreferredVideoSize(2);
        QTest::ignoreMessage(QtCriticalMsg,
            "Prefs: refused to change \"preferredVideoSize\" off the thread that owns the "
            "settings");
        std::unique_ptr<QThread> worker(QThread::create([] { Prefs::setPreferredVideoSize(5); }));
        worker->start();
        QVERIFY(worker->wait(30000));
        QCOMPARE(Prefs::preferredVideoSize(), 2);
        QCOMPARE(store.value("prefs/preferredVideoSize").toInt(), 2);
    }

    void recordedErrorsShownToPeople_data()
    {
        testColumns<QString, QString>("recorded", "shown");
        testRow("function and colon",
            "MediaFileRequest::headReplyFinished(): Too many redirects; giving up",
            "Too many redirects; giving up");
        testRow("developer prefix",
            "Error: HLSMediaFileRequest::HLSMediaFileRequest(): "
            "Content length unknown",
            "Content length unknown");
        testRow("constructor without colon",
            "HLSMediaFileRequest::HLSMediaFileRequest() returned status code 404 when attempting "
            "to determine content length of first segment",
            "Returned status code 404 when attempting to determine content length of first "
            "segment");
        testRow("plain text stays", "Service response was empty", "Service response was empty");
        testRow("address with colons stays",
            "Unsupported media page address: \"http://[::1]:80/a\"",
            "Unsupported media page address: \"http://[::1]:80/a\"");
        testRow("nothing after the name stays", "Unexpected in X::y():", "Unexpected in X::y():");
    }

    void recordedErrorsShownToPeople()
    {
        auto [recorded, shown] = testFetch<QString, QString>("recorded", "shown");
        QCOMPARE(UserFacingText::fromRecordedError(recorded), shown);
    }
};

KESTROFAN_CORE_TEST_MAIN(AppLayerTest)
#include "tst_applayer.moc"
