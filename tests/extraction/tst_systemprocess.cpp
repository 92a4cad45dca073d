#include "TestEnvironment.h"

#include "convert/SystemProcess.h"

// Runs real programs through SystemProcess; "sh -c" only builds test programs here.
class TestSystemProcess : public QObject
{
    Q_OBJECT

private:
    static bool runShell(SystemProcess& process, const QString& script, bool collect = true)
    {
        return process.run(QStringLiteral("/bin/sh"), { QStringLiteral("-c"), script }, collect);
    }

private slots:
    void runsAndCollects_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("collect");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("output");
        QTest::newRow("stderr merged") << "echo out; echo err >&2" << true << true << "out\nerr\n";
        QTest::newRow("not collected") << "echo out; echo err >&2" << false << true << "";
        QTest::newRow("non-zero exit is no failure")
            << "echo bye; exit 3" << true << true << "bye\n";
        QTest::newRow("crash") << "kill -SEGV $$" << true << false << "";
        // Multi-byte characters split between 64 KiB pipe reads must still decode.
        QTest::newRow("large") << "yes 'é' | head -n 400000; echo end" << true << true
                               << QString(QStringLiteral("é\n")).repeated(400000) + "end\n";
    }

    void runsAndCollects()
    {
        QFETCH(QString, script);
        QFETCH(bool, collect);
        QFETCH(bool, ok);
        QFETCH(QString, output);
        SystemProcess process;
        QCOMPARE(runShell(process, script, collect), ok);
        QCOMPARE(process.output(), output);
        QCOMPARE(process.errorString().isEmpty(), ok);
    }

    void programPathIsNeverSplitIntoWords()
    {
        QTemporaryDir dir;
        const QString program = dir.path() + QStringLiteral("/print args");
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho \"count=$#\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        SystemProcess process;
        QVERIFY(process.run(program, {}, true));
        QCOMPARE(process.output(), QStringLiteral("count=0\n"));
        QVERIFY(process.run(program, { QStringLiteral("a b"), QStringLiteral("*") }, true));
        QCOMPARE(process.output(), QStringLiteral("count=2\n"));
    }

    void failuresAreNamed()
    {
        SystemProcess missing;
        QVERIFY(!missing.run(
            QStringLiteral("/nonexistent/bin/ffmpeg.exe"), { QStringLiteral("-version") }, true));
        QCOMPARE(
            missing.errorString(), QStringLiteral("External process ffmpeg.exe failed to start"));

        // The time-out stops the program and keeps what it printed.
        SystemProcess slow;
        slow.setTimeout(300);
        QVERIFY(!runShell(slow, QStringLiteral("echo started; exec sleep 30")));
        QCOMPARE(slow.errorString(), QStringLiteral("External process sh timed out"));
        QCOMPARE(slow.output(), QStringLiteral("started\n"));
        // The next run on the same object reports only itself.
        slow.setTimeout(SystemProcess::defaultTimeout);
        QVERIFY(runShell(slow, QStringLiteral("echo again")));
        QCOMPARE(slow.output(), QStringLiteral("again\n"));
    }
};

KESTROFAN_CORE_TEST_MAIN(TestSystemProcess)
#include "tst_systemprocess.moc"
