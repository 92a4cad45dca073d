#include "TestEnvironment.h"
#include "TransferTestSupport.h"

#include "download/MediaPartFileRequest.h"
#include "download/RunningParts.h"
#include "download/TransferTimings.h"

#include <QTcpServer>

using namespace TransferTestSupport;

// One byte range into one part file: what is asked for and written, and how failures, stalls,
// pauses and earlier bytes on disk are handled.
class PartRequestTest : public QObject
{
    Q_OBJECT

    struct Run
    {
        std::unique_ptr<MediaPartFileRequest> part = std::make_unique<MediaPartFileRequest>();
        QSignalSpy finished { part.get(), &MediaPartFileRequest::finished };
        QSignalSpy failed { part.get(), &MediaPartFileRequest::error };
        QSignalSpy received { part.get(), &MediaPartFileRequest::bytesRecieved };

        qint64 sum() const
        {
            qint64 total = 0;
            for (const QList<QVariant>& call : received)
                total += call.at(0).toLongLong();
            return total;
        }
        // Starts the part and waits for its end; true when it finished.
        bool complete()
        {
            part->get();
            return QTest::qWaitFor(
                       [this] { return !finished.isEmpty() || !failed.isEmpty(); }, 20000)
                && !finished.isEmpty();
        }
    };

    TestHttpServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    const QByteArray m_body = patternBytes(2 * 1024 * 1024);

    std::unique_ptr<Run> makePart(const QString& path, qint64 first, qint64 last,
        const QString& file, const TestHttpFileOptions& options = {})
    {
        m_server.setFileOptions(path, options);
        auto run = std::make_unique<Run>();
        run->part->setup(m_server.url(path), 3, m_dir->filePath(file), {}, false, first, last);
        return run;
    }
    QByteArray written(const QString& file) const { return readFile(m_dir->filePath(file)); }
    QByteArray lastRange(const QString& path) const
    {
        return m_server.lastRequest(path).header("range");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        TransferTimings::setWatchdogMs(400);
        TransferTimings::setThrottleIntervalMs(120);
        TransferTimings::setRetryDelayMs(10);
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_server.serveFile("/file", m_body);
        m_server.setFileOptions("/file", {});
        m_server.clearRequests();
    }

    // Every part gave its slot back, however it ended.
    void cleanup() { QCOMPARE(RunningParts::instance()->count(), 0); }

    void rangeHeaderUserAgentAndBytes()
    {
        auto run = makePart("/file", 0, 1048575, "p.part1");
        QCOMPARE(RunningParts::instance()->count(), 1);
        QVERIFY(run->complete());
        QCOMPARE(run->finished.first().at(0).toInt(), 3);
        QCOMPARE(run->finished.first().at(1).toString(), m_dir->filePath("p.part1"));
        QCOMPARE(lastRange("/file"), QByteArray("bytes=0-1048575"));
        QCOMPARE(written("p.part1"), m_body.left(1048576));
        QCOMPARE(run->sum(), 1048576);
    }

    void pauseKeepsBytesAndResumesWithTheRestOfTheRange()
    {
        TestHttpFileOptions slow;
        slow.bytesPerSecond = 2 * 1024 * 1024;
        auto run = makePart("/file", 1048576, 2097151, "p.part2", slow);
        run->part->get();
        QTRY_VERIFY_WITH_TIMEOUT(run->part->bytesOnDisk() >= 300000, 20000);
        run->part->onPause(true);
        const qint64 kept = run->part->bytesOnDisk();
        QVERIFY(kept < 1048576);
        QCOMPARE(written("p.part2"), m_body.mid(1048576, kept));
        QCOMPARE(RunningParts::instance()->count(), 1); // a paused part keeps its slot
        QTest::qWait(600); // longer than the watchdog: a paused part is not restarted
        QCOMPARE(gets(m_server, "/file").size(), 1);

        m_server.setFileOptions("/file", {});
        run->part->onPause(false);
        QVERIFY(run->finished.wait());
        QCOMPARE(lastRange("/file"), "bytes=" + QByteArray::number(1048576 + kept) + "-2097151");
        QCOMPARE(written("p.part2"), m_body.mid(1048576));
        QCOMPARE(run->sum(), 1048576);
    }

    void bytesOfAnEarlierRunAreContinued()
    {
        QVERIFY(writeFile(m_dir->filePath("p.part2"), m_body.mid(5000, 1000)));
        QVERIFY(makePart("/file", 5000, 14999, "p.part2")->complete());
        QCOMPARE(lastRange("/file"), QByteArray("bytes=6000-14999"));
        QCOMPARE(written("p.part2"), m_body.mid(5000, 10000));

        // More than the range on disk: cut back, nothing fetched.
        QVERIFY(writeFile(m_dir->filePath("p.part1"), m_body.left(5000) + "next part"));
        m_server.clearRequests();
        QVERIFY(makePart("/file", 0, 4999, "p.part1")->complete());
        QCOMPARE(written("p.part1"), m_body.left(5000));
        QVERIFY(gets(m_server, "/file").isEmpty());

        // A whole file (no range) is continued, then recognised complete.
        m_server.serveFile("/segment.ts", m_body.left(30000));
        QVERIFY(writeFile(m_dir->filePath("s_0.ts"), m_body.left(12345)));
        QVERIFY(makePart("/segment.ts", -1, -1, "s_0.ts")->complete());
        QCOMPARE(lastRange("/segment.ts"), QByteArray("bytes=12345-"));
        QVERIFY(makePart("/segment.ts", -1, -1, "s_0.ts")->complete());
        QCOMPARE(written("s_0.ts"), m_body.left(30000));

        // Without ranges the server sends it all again: the old bytes are replaced.
        TestHttpFileOptions noRanges;
        noRanges.ignoreRanges = true;
        QVERIFY(writeFile(m_dir->filePath("s_0.ts"), m_body.left(999)));
        auto restart = makePart("/segment.ts", -1, -1, "s_0.ts", noRanges);
        QSignalSpy discarded(restart->part.get(), &MediaPartFileRequest::bytesDiscarded);
        QVERIFY(restart->complete());
        QCOMPARE(written("s_0.ts"), m_body.left(30000));
        QCOMPARE(restart->sum() - discarded.value(0).value(0).toLongLong(), 30000);
    }

    void stalledConnectionIsRestartedByTheWatchdog()
    {
        TestHttpFileOptions stall;
        stall.stallAfterBytes = 50000;
        stall.stallTimes = 1;
        auto run = makePart("/file", 100000, 299999, "p.part1", stall);
        QVERIFY(run->complete());
        QCOMPARE(gets(m_server, "/file").size(), 2);
        // The bytes before the stall are kept; the new connection asks for the rest.
        QCOMPARE(lastRange("/file"), QByteArray("bytes=150000-299999"));
        QCOMPARE(written("p.part1"), m_body.mid(100000, 200000));
        QCOMPARE(run->part->attempts(), 2);
    }

    void droppedConnectionsAreRetriedThenFail()
    {
        // Every connection drops, but every one adds bytes: none counts against the budget.
        TestHttpFileOptions drops;
        drops.dropAfterBytes = 20000;
        auto run = makePart("/file", 0, 99999, "p.part1", drops);
        QVERIFY(run->complete());
        QCOMPARE(run->part->attempts(), 5);
        QCOMPARE(run->part->failedAttempts(), 0);
        QCOMPARE(lastRange("/file"), QByteArray("bytes=80000-99999")); // only what is missing
        QCOMPARE(written("p.part1"), m_body.left(100000));

        // A dead link (headers, then nothing) fails after three attempts, keeping what it has.
        QVERIFY(writeFile(m_dir->filePath("q.part1"), m_body.left(5000)));
        drops.dropAfterBytes = 0;
        auto failing = makePart("/file", 0, 99999, "q.part1", drops);
        QVERIFY(!failing->complete());
        QVERIFY2(failing->part->errorText().startsWith("Download failed after 3 part attempts: "),
            qPrintable(failing->part->errorText()));
        QCOMPARE(failing->part->attempts(), 3);
        QCOMPARE(written("q.part1"), m_body.left(5000));

        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        Run refused;
        refused.part->setup(QUrl(QStringLiteral("http://127.0.0.1:%1/x").arg(port)), 1,
            m_dir->filePath("r"), {}, false, 0, 10);
        QVERIFY(!refused.complete());
        QCOMPARE(refused.part->errorText(), "Download failed: Connection refused");
        QCOMPARE(refused.part->attempts(), 1);
    }

    void serverErrorsAreRetriedClientErrorsAreNot_data()
    {
        testColumns<int, int>("status", "requests");
        for (const int status : { 400, 403, 404, 410 })
            QTest::addRow("%d", status) << status << 1;
        for (const int status : { 408, 429, 500, 503 })
            QTest::addRow("%d", status) << status << 3;
    }

    void serverErrorsAreRetriedClientErrorsAreNot()
    {
        auto [status, requests] = testFetch<int, int>("status", "requests");
        // A big, slow error body: reading it would take minutes.
        TestHttpResponse error = TestHttpResponse::bytes(QByteArray(8 * 1024 * 1024, 'e'), status);
        error.bytesPerSecond = 64 * 1024;
        m_server.answer("/error", error);
        QElapsedTimer clock;
        clock.start();
        auto run = makePart("/error", 0, 999, "e");
        QVERIFY(!run->complete());
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(m_server.requestCount("/error", "GET"), requests);
        const QString prefix = requests == 1 ? "Download failed: Error transferring "
                                             : "Download failed after 3 part attempts: Error ";
        QVERIFY2(run->part->errorText().startsWith(prefix), qPrintable(run->part->errorText()));
        QCOMPARE(written("e"), QByteArray());
    }

    void retriesWaitLongerEachTime()
    {
        TransferTimings::setRetryDelayMs(150);
        QMutex mutex;
        QList<qint64> times;
        QElapsedTimer clock;
        clock.start();
        m_server.route("/busy", [&](const TestHttpRequest&) {
            QMutexLocker locker(&mutex);
            times << clock.elapsed();
            return TestHttpResponse::bytes({}, 503);
        });
        auto run = makePart("/busy", 0, 999, "b");
        QVERIFY(!run->complete());
        TransferTimings::setRetryDelayMs(10);
        QMutexLocker locker(&mutex);
        QCOMPARE(times.size(), 3);
        const qint64 first = times.at(1) - times.at(0);
        const qint64 second = times.at(2) - times.at(1);
        QVERIFY2(first >= 110 && second > first * 6 / 5,
            qPrintable(QStringLiteral("%1 ms, then %2 ms").arg(first).arg(second)));
    }

    void tricklingBodyIsAStall()
    {
        // Far below 1 KiB per watchdog interval: a stall, though bytes keep coming.
        TestHttpFileOptions trickle;
        trickle.bytesPerSecond = 600;
        auto run = makePart("/file", 0, 99999, "slow", trickle);
        QVERIFY(!run->complete());
        QCOMPARE(run->part->failedAttempts(), 3);
        QVERIFY2(run->part->errorText().contains("no data from 127.0.0.1"),
            qPrintable(run->part->errorText()));
    }

    void fullDiskIsNamed()
    {
        Run run;
        run.part->setup(m_server.url("/file"), 1, "/dev/full", {}, false, 0, 99999);
        run.part->writeIntoSharedFile(0);
        QVERIFY(!run.complete());
        QCOMPARE(run.part->errorText(), "Download failed: No space left on device in /dev");
    }

    void fourRedirectsAreFollowedNotFive()
    {
        serveRedirects(m_server, "/hop", 5, m_server.url("/file"), "redirect page");
        auto four = makePart("/hop2", 0, 9999, "four");
        QVERIFY2(four->complete(), qPrintable(four->part->errorText()));
        QCOMPARE(written("four"), m_body.left(10000));

        auto five = makePart("/hop1", 0, 9999, "five");
        QVERIFY(!five->complete());
        QCOMPARE(five->part->errorText(), "Download failed: too many redirects");
        QCOMPARE(written("five"), QByteArray()); // no redirect page becomes part data

        m_server.answer("/local", TestHttpResponse::redirect(QUrl("file:///etc/hostname")));
        auto local = makePart("/local", 0, 9, "local");
        QVERIFY(!local->complete());
        QCOMPARE(local->part->errorText(), "Download failed: redirected to file:///etc/hostname");
    }

    void rangeIgnoredByServerIsReported()
    {
        TestHttpFileOptions noRanges;
        noRanges.ignoreRanges = true;
        auto run = makePart("/file", 1000, 1999, "p.part2", noRanges);
        QSignalSpy ignored(run->part.get(), &MediaPartFileRequest::rangesIgnored);
        run->part->get();
        QVERIFY(ignored.wait());
        QCOMPARE(ignored.first().at(0).toInt(), 3);
        QCOMPARE(written("p.part2"), QByteArray());
        QVERIFY(run->finished.isEmpty() && run->failed.isEmpty());
    }

    void shortOrMisplacedBodiesAreNotComplete()
    {
        // The first answer ends early with a "valid" shorter range; the next one is right.
        int calls = 0;
        const QByteArray body = m_body;
        m_server.route("/short", [&calls, body](const TestHttpRequest& request) {
            const QList<QByteArray> range = request.header("range").mid(6).split('-');
            const qint64 first = range.at(0).toLongLong();
            const qint64 end = ++calls == 1 ? first + 99 : range.at(1).toLongLong();
            TestHttpResponse response;
            response.status = 206;
            response.body = body.mid(first, end - first + 1);
            response.withHeader("Content-Range",
                "bytes " + range.at(0) + '-' + QByteArray::number(end) + "/2097152");
            return response;
        });
        QVERIFY(makePart("/short", 0, 199, "short")->complete());
        QCOMPARE(calls, 2);
        QCOMPARE(written("short"), m_body.left(200));

        // A range that starts elsewhere is never written.
        m_server.answer("/elsewhere",
            TestHttpResponse::bytes(body.mid(500, 200), 206)
                .withHeader("Content-Range", "bytes 500-699/2097152"));
        auto wrong = makePart("/elsewhere", 0, 199, "wrong");
        QVERIFY(!wrong->complete());
        QCOMPARE(wrong->part->errorText(),
            "Download failed after 3 part attempts: the server sent a different "
            "byte range");
        QCOMPARE(written("wrong"), QByteArray());
    }

    void throttledReadsAreSpacedAndCanBeReleased()
    {
        TestHttpFileOptions steady;
        steady.bytesPerSecond = 1024 * 1024;
        auto run = makePart("/file", 0, 2097151, "t", steady);
        run->part->readDispatch(true);
        QList<qint64> times;
        QElapsedTimer clock;
        clock.start();
        connect(run->part.get(), &MediaPartFileRequest::bytesRecieved, this,
            [&](qulonglong) { times << clock.elapsed(); });
        run->part->get();
        QTRY_VERIFY_WITH_TIMEOUT(times.size() >= 4, 20000);
        for (int i = 1; i < times.size(); ++i)
            QVERIFY(times.at(i) - times.at(i - 1) >= TransferTimings::throttleIntervalMs() - 15);

        m_server.setFileOptions("/file", {});
        run->part->readDispatch(false);
        QVERIFY(run->finished.wait());
        QCOMPARE(written("t"), m_body);
    }
};

KESTROFAN_CORE_TEST_MAIN(PartRequestTest)
#include "tst_partrequest.moc"
