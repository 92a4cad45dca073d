#include "TestEnvironment.h"

#include "convert/SystemProcess.h"

#include <QElapsedTimer>

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
    void mergesStandardErrorIntoOutput()
    {
        SystemProcess process;
        QVERIFY(runShell(process, QStringLiteral("echo to-out; echo to-err >&2")));
        QVERIFY(process.output().contains(QStringLiteral("to-out")));
        QVERIFY(process.output().contains(QStringLiteral("to-err")));
        QVERIFY(process.errorString().isEmpty());

        SystemProcess errorOnly;
        QVERIFY(runShell(errorOnly, QStringLiteral("echo only-err >&2")));
        QCOMPARE(errorOnly.output().trimmed(), QStringLiteral("only-err"));
    }

    void collectsNothingWhenAskedNotTo()
    {
        SystemProcess process;
        QVERIFY(runShell(process, QStringLiteral("echo printed; echo printed >&2"), false));
        QVERIFY(process.output().isEmpty());
    }

    void nonZeroExitIsNotAFailure()
    {
        SystemProcess process;
        QVERIFY(runShell(process, QStringLiteral("echo bye; exit 3")));
        QCOMPARE(process.output().trimmed(), QStringLiteral("bye"));
    }

    void programPathIsNeverSplitIntoWords()
    {
        // A program whose path holds a blank runs as itself with no arguments.
        QTemporaryDir dir;
        const QString program = dir.path() + QStringLiteral("/print args");
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho \"count=$#\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        SystemProcess process;
        QVERIFY(process.run(program, {}, true));
        QCOMPARE(process.output().trimmed(), QStringLiteral("count=0"));

        SystemProcess withArguments;
        QVERIFY(withArguments.run(program, { QStringLiteral("a b"), QStringLiteral("*") }, true));
        QCOMPARE(withArguments.output().trimmed(), QStringLiteral("count=2"));
    }

    void missingProgramFailsToStart()
    {
        SystemProcess process;
        QVERIFY(!process.run(
            QStringLiteral("/nonexistent/bin/ffmpeg.exe"), { QStringLiteral("-version") }, true));
        QCOMPARE(
            process.errorString(), QStringLiteral("External process ffmpeg.exe failed to start"));
    }

    void crashIsReported()
    {
        SystemProcess process;
        QVERIFY(!runShell(process, QStringLiteral("kill -SEGV $$")));
        QVERIFY(!process.errorString().isEmpty());
    }

    void largeOutputArrivesWhole()
    {
        // Three-byte lines over 64 KiB pipe reads: multi-byte characters get split between
        // reads and must still decode.
        SystemProcess process;
        QVERIFY(runShell(process, QStringLiteral("yes 'é' | head -n 400000; echo end")));
        const QString output = process.output();
        QCOMPARE(output.size(), 400000 * 2 + 4);
        QCOMPARE(output.count(QStringLiteral("é\n")), 400000);
        QVERIFY(output.endsWith(QStringLiteral("end\n")));
    }

    void timeOutStopsTheProgramAndKeepsItsOutput()
    {
        SystemProcess process;
        process.setTimeout(300);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!runShell(process, QStringLiteral("echo started; exec sleep 30")));
        QVERIFY2(timer.elapsed() < 20000, "the run did not stop at its time-out");
        QCOMPARE(process.errorString(), QStringLiteral("External process sh timed out"));
        QCOMPARE(process.output().trimmed(), QStringLiteral("started"));
    }
};

KESTROFAN_CORE_TEST_MAIN(TestSystemProcess)
#include "tst_systemprocess.moc"
