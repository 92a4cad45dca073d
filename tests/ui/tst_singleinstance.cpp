#include "TestEnvironment.h"

#include "gui/SingleInstance.h"

#include <QLocalServer>
#include <QProcess>

// One kestrofan per user: a later one hands its address to the running one and quits.
class SingleInstanceTest : public QObject
{
    Q_OBJECT

private slots:
    void secondProgramHandsOver_data()
    {
        testColumns<QStringList, QStringList>("arguments", "received");
        const QString video = "kestrofan:https://media.example/watch?v=1%2523video";
        testRow("download address", QStringList { video }, QStringList { video });
        testRow("Qt options are not addresses", QStringList { "-style", "fusion", video },
            QStringList { video });
        const QString unusual = "kestrofan:https://media.example/ä ö?t=1#audio";
        testRow(
            "blanks and letters beyond ASCII", QStringList { unusual }, QStringList { unusual });
        testRow("no address, only to the front", QStringList(), QStringList());
    }

    void secondProgramHandsOver()
    {
        const auto [arguments, received]
            = testFetch<QStringList, QStringList>("arguments", "received");
        SingleInstance running;
        QVERIFY(running.listen());
        QSignalSpy addresses(&running, &SingleInstance::addressReceived);
        QSignalSpy activations(&running, &SingleInstance::activationRequested);

        // The real program, in this test's HOME and runtime folder, without any database: the
        // hand-over must come before the program touches its data.
        QProcess second;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        second.setProcessEnvironment(environment);
        QSignalSpy finished(&second, &QProcess::finished);
        second.start(KESTROFAN_GUI_PATH, arguments);
        QVERIFY(finished.wait(30000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QVERIFY2(second.exitCode() == 0, second.readAllStandardError().constData());

        QCOMPARE(activations.size(), 1);
        QStringList got;
        for (const QList<QVariant>& signal : std::as_const(addresses))
            got << signal.first().toString();
        QCOMPARE(got, received);
        // It quit before its settings were ever written.
        QVERIFY(!QFileInfo::exists(QDir::homePath() + "/.config/Ulvane Software/Kestrofan 2.conf"));
    }

    void firstInstanceListens_data()
    {
        testColumns<bool>("leftover");
        testRow("nothing there", false);
        testRow("socket file left by a crash", true);
    }

    void firstInstanceListens()
    {
        QFETCH(bool, leftover);
        const QString path = QDir::homePath() + "/runtime/instance-test.socket";
        QFile::remove(path);
        if (leftover) {
            QFile stale(path);
            QVERIFY(stale.open(QIODevice::WriteOnly));
        }
        SingleInstance first(path);
        QVERIFY(!first.handOver("kestrofan:x#video", 1000));
        QVERIFY(first.listen());

        // Now a later one finds it.
        SingleInstance later(path);
        QSignalSpy addresses(&first, &SingleInstance::addressReceived);
        bool handed = false;
        // The hand-over waits for the answer, which needs this thread's event loop: run it on
        // another thread.
        std::unique_ptr<QThread> thread(QThread::create([&] { handed = later.handOver("a\nb"); }));
        thread->start();
        QTRY_VERIFY(thread->isFinished());
        QVERIFY(handed);
        // A line break cannot split one address into two messages.
        QCOMPARE(QList<QVariantList>(addresses), QList<QVariantList> { { QString("a b") } });
        QFile::remove(path);
    }

    void socketIsPerUser()
    {
        const QFileInfo path(SingleInstance::defaultSocketPath());
        QCOMPARE(path.absolutePath(), QDir::homePath() + "/runtime");
        QVERIFY2(path.fileName().startsWith("kestrofan2-"), qPrintable(path.fileName()));
        if (qEnvironmentVariableIsSet("USER"))
            QVERIFY(path.fileName().contains(qEnvironmentVariable("USER")));
    }
};

KESTROFAN_TEST_MAIN(SingleInstanceTest)
#include "tst_singleinstance.moc"
