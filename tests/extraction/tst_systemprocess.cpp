#include "TestEnvironment.h"
#include "TestFiles.h"

#include "convert/ProcessPool.h"
#include "convert/SystemProcess.h"

#include <QtConcurrent>

#include <atomic>

// Runs real programs through SystemProcess; "sh -c" only builds test programs here.
class TestSystemProcess : public QObject
{
    Q_OBJECT

private:
    static bool runShell(SystemProcess& process, const QString& script, bool collect = true)
    {
        return process.run("/bin/sh", { "-c", script }, collect);
    }

private slots:
    void runsAndCollects_data()
    {
        testColumns<QString, bool, bool, QString>("script", "collect", "ok", "output");
        testRow("stderr merged", "echo out; echo err >&2", true, true, "out\nerr\n");
        testRow("not collected", "echo out; echo err >&2", false, true, "");
        testRow("non-zero exit is no failure", "echo bye; exit 3", true, true, "bye\n");
        testRow("crash", "kill -SEGV $$", true, false, "");
        // Multi-byte characters split between 64 KiB pipe reads must still decode.
        testRow("large", "yes 'é' | head -n 400000; echo end", true, true,
            QString("é\n").repeated(400000) + "end\n");
    }

    void runsAndCollects()
    {
        auto [script, collect, ok, output]
            = testFetch<QString, bool, bool, QString>("script", "collect", "ok", "output");
        SystemProcess process;
        QCOMPARE(runShell(process, script, collect), ok);
        QCOMPARE(process.output(), output);
        QCOMPARE(process.errorString().isEmpty(), ok);
    }

    void programPathIsNeverSplitIntoWords()
    {
        QTemporaryDir dir;
        const QString program = dir.path() + "/print args";
        QVERIFY(writeExecutable(program, "#!/bin/sh\necho \"count=$#\"\n"));
        SystemProcess process;
        QVERIFY(process.run(program, {}, true));
        QCOMPARE(process.output(), "count=0\n");
        QVERIFY(process.run(program, { "a b", "*" }, true));
        QCOMPARE(process.output(), "count=2\n");
    }

    void failuresAreNamed()
    {
        SystemProcess missing;
        QVERIFY(!missing.run("/nonexistent/bin/ffmpeg.exe", { "-version" }, true));
        QCOMPARE(missing.errorString(), "External process ffmpeg.exe failed to start");

        // The time-out stops the program and keeps what it printed.
        SystemProcess slow;
        slow.setTimeout(300);
        QVERIFY(!runShell(slow, "echo started; exec sleep 30"));
        QCOMPARE(slow.errorString(), "External process sh timed out");
        QCOMPARE(slow.output(), "started\n");
        // The next run on the same object reports only itself.
        slow.setTimeout(SystemProcess::defaultTimeout);
        QVERIFY(runShell(slow, "echo again"));
        QCOMPARE(slow.output(), "again\n");
    }

    void separateChannelsKeepTheOutputClean()
    {
        const QString script = "echo '{\"a\":'; echo 'WARNING: careful' >&2; echo '1}'";
        SystemProcess merged;
        QVERIFY(runShell(merged, script));
        QVERIFY(merged.output().contains("WARNING"));
        SystemProcess separate;
        separate.setChannels(SystemProcess::Channels::Separate);
        QVERIFY(runShell(separate, script));
        QCOMPARE(separate.output(), "{\"a\":\n1}\n");
        QCOMPARE(separate.errorOutput(), "WARNING: careful\n");
    }

    void cancellationEndsTheChild_data()
    {
        testColumns<QString, int>("program", "gracePeriod");
        testRow("ends on terminate", "exec sleep 600", SystemProcess::defaultGracePeriod);
        // Killed once the grace period is over.
        testRow("ignores terminate", "trap '' TERM; exec sleep 600", 300);
    }

    void cancellationEndsTheChild()
    {
        auto [program, gracePeriod] = testFetch<QString, int>("program", "gracePeriod");
        QTemporaryDir dir;
        const QString started = dir.filePath("started");
        auto cancellation = std::make_shared<ProcessCancellation>();
        SystemProcess process;
        process.setGracePeriod(gracePeriod);
        process.setCancellation(cancellation);
        QFuture<bool> run = QtConcurrent::run([&] {
            return runShell(process, QStringLiteral("touch '%1'; %2").arg(started, program));
        });
        QTRY_VERIFY(QFile::exists(started));
        QElapsedTimer ending;
        ending.start();
        cancellation->cancel();
        QVERIFY(!run.result());
        // Ended within the grace period (plus the polling step when it had to be killed).
        QVERIFY2(
            ending.elapsed() < gracePeriod + 1000, qPrintable(QString::number(ending.elapsed())));
        QVERIFY(process.wasCancelled());
        QCOMPARE(process.errorString(), "External process sh was cancelled");

        // Cancelled beforehand, nothing starts.
        QVERIFY(!runShell(process, QStringLiteral("touch '%1.again'").arg(started)));
        QVERIFY(!QFile::exists(started + ".again"));
    }

    void poolIsBoundedAndEndsEverything()
    {
        ProcessPool pool(2);
        std::atomic<int> running { 0 };
        std::atomic<int> mostAtOnce { 0 };
        QList<QFuture<bool>> runs;
        for (int i = 0; i < 5; ++i) {
            runs << pool.run([&](const std::shared_ptr<ProcessCancellation>& cancellation) {
                const int now = ++running;
                int most = mostAtOnce;
                while (now > most && !mostAtOnce.compare_exchange_weak(most, now)) { }
                SystemProcess process;
                process.setCancellation(cancellation);
                const bool ok = runShell(process, "exec sleep 0.2");
                --running;
                return ok;
            });
        }
        QVERIFY(pool.waitForDone(30000));
        for (const QFuture<bool>& run : std::as_const(runs))
            QVERIFY(run.result());
        QCOMPARE(mostAtOnce.load(), 2);

        // Quitting: running and queued programs end, later ones never start.
        runs.clear();
        for (int i = 0; i < 3; ++i) {
            runs << pool.run([](const std::shared_ptr<ProcessCancellation>& cancellation) {
                SystemProcess process;
                process.setCancellation(cancellation);
                return runShell(process, "exec sleep 600");
            });
        }
        QTRY_COMPARE(pool.activeThreadCount(), 2);
        pool.cancelAll();
        QVERIFY(pool.waitForDone(SystemProcess::defaultGracePeriod));
        for (const QFuture<bool>& run : std::as_const(runs))
            QVERIFY(!run.result());
        QVERIFY(pool.newCancellation()->isCancelled());
    }
};

KESTROFAN_CORE_TEST_MAIN(TestSystemProcess)
#include "tst_systemprocess.moc"
