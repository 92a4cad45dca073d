#include "TestEnvironment.h"

#include "gui/SingleInstance.h"

#include <QLocalServer>
#include <QProcess>

// One kestrofan per user: a later one hands its address to the running one and quits.
class SingleInstanceTest : public QObject
{
    Q_OBJECT

private slots:
    void secondProgramHandsOver_data();
    void secondProgramHandsOver();
    void firstInstanceListens_data();
    void firstInstanceListens();
    void socketIsPerUser();
};

void SingleInstanceTest::secondProgramHandsOver_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("received");

    const QString video = QStringLiteral("kestrofan:https://media.example/watch?v=1%2523video");
    QTest::newRow("download address") << QStringList { video } << QStringList { video };
    QTest::newRow("Qt options are not addresses") << QStringList { QStringLiteral("-style"),
        QStringLiteral("fusion"), video } << QStringList { video };
    const QString unusual = QStringLiteral("kestrofan:https://media.example/ä ö?t=1#audio");
    QTest::newRow("blanks and letters beyond ASCII")
        << QStringList { unusual } << QStringList { unusual };
    QTest::newRow("no address, only to the front") << QStringList() << QStringList();
}

void SingleInstanceTest::secondProgramHandsOver()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, received);
    SingleInstance running;
    QVERIFY(running.listen());
    QSignalSpy addresses(&running, &SingleInstance::addressReceived);
    QSignalSpy activations(&running, &SingleInstance::activationRequested);

    // The real program, in this test's HOME and runtime folder, without any database: the
    // hand-over must come before the program touches its data.
    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(environment);
    QSignalSpy finished(&second, &QProcess::finished);
    second.start(QStringLiteral(KESTROFAN_GUI_PATH), arguments);
    QVERIFY(finished.wait(30000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QVERIFY2(second.exitCode() == 0, second.readAllStandardError().constData());

    QCOMPARE(activations.size(), 1);
    QStringList got;
    for (const QList<QVariant>& signal : std::as_const(addresses))
        got << signal.first().toString();
    QCOMPARE(got, received);
    // It quit before its settings were ever written.
    QVERIFY(!QFileInfo::exists(
        QDir::homePath() + QStringLiteral("/.config/Ulvane Software/Kestrofan 2.conf")));
}

void SingleInstanceTest::firstInstanceListens_data()
{
    QTest::addColumn<bool>("leftover");
    QTest::newRow("nothing there") << false;
    QTest::newRow("socket file left by a crash") << true;
}

void SingleInstanceTest::firstInstanceListens()
{
    QFETCH(bool, leftover);
    const QString path = QDir::homePath() + QStringLiteral("/runtime/instance-test.socket");
    QFile::remove(path);
    if (leftover) {
        QFile stale(path);
        QVERIFY(stale.open(QIODevice::WriteOnly));
    }
    SingleInstance first(path);
    QVERIFY(!first.handOver(QStringLiteral("kestrofan:x#video"), 1000));
    QVERIFY(first.listen());

    // Now a later one finds it.
    SingleInstance later(path);
    QSignalSpy addresses(&first, &SingleInstance::addressReceived);
    bool handed = false;
    // The hand-over waits for the answer, which needs this thread's event loop: run it on
    // another thread.
    QThread* thread = QThread::create([&] { handed = later.handOver(QStringLiteral("a\nb")); });
    thread->start();
    QTRY_VERIFY(thread->isFinished());
    delete thread;
    QVERIFY(handed);
    QCOMPARE(addresses.size(), 1);
    // A line break cannot split one address into two messages.
    QCOMPARE(addresses.first().first().toString(), QStringLiteral("a b"));
    QFile::remove(path);
}

void SingleInstanceTest::socketIsPerUser()
{
    const QString path = SingleInstance::defaultSocketPath();
    QCOMPARE(QFileInfo(path).absolutePath(), QDir::homePath() + QStringLiteral("/runtime"));
    QVERIFY2(
        QFileInfo(path).fileName().startsWith(QStringLiteral("kestrofan2-")), qPrintable(path));
    if (qEnvironmentVariableIsSet("USER"))
        QVERIFY(path.contains(qEnvironmentVariable("USER")));
}

KESTROFAN_TEST_MAIN(SingleInstanceTest)
#include "tst_singleinstance.moc"
