#include "TestEnvironment.h"
#include "TestHttpServer.h"
#include "TransferTestSupport.h"

#include "download/MediaPartFileRequest.h"
#include "download/RunningParts.h"
#include "download/TransferTimings.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>

using namespace TransferTestSupport;

// One byte range into one part file, against the test server: what is asked for, what is
// written, and how failures, stalls, pauses and earlier bytes on disk are handled.
class PartRequestTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void rangeHeaderUserAgentAndBytes();
    void pauseKeepsBytesAndResumesWithTheRestOfTheRange();
    void partFileOfEarlierRunIsContinued();
    void wholeFileIsContinuedOrRecognisedComplete();
    void stalledConnectionIsRestartedByTheWatchdog();
    void droppedConnectionsAreRetriedThenFail();
    void refusedConnectionFailsAtOnce();
    void redirectsUpToFourAreFollowed();
    void rangeIgnoredByServerIsReported();
    void shortOrMisplacedBodiesAreNotComplete();
    void throttledReadsAreSpacedAndCanBeReleased();

private:
    struct Run
    {
        std::unique_ptr<MediaPartFileRequest> part;
        std::unique_ptr<QSignalSpy> finished;
        std::unique_ptr<QSignalSpy> failed;
        std::unique_ptr<QSignalSpy> received;
    };
    Run makePart(
        const QString& path, qint64 first, qint64 last, const QString& file, bool paused = false);
    static qint64 sum(const QSignalSpy& received);
    QList<TestHttpRequest> gets(const QString& path) const;

    TestHttpServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_body = patternBytes(2 * 1024 * 1024);
};

void PartRequestTest::initTestCase()
{
    QVERIFY(m_server.start());
    TransferTimings::setWatchdogMs(400);
    TransferTimings::setThrottleIntervalMs(120);
}

void PartRequestTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_server.serveFile(QStringLiteral("/file"), m_body);
    m_server.setFileOptions(QStringLiteral("/file"), {});
    m_server.clearRequests();
}

void PartRequestTest::cleanup()
{
    // Every part gave its slot back, however it ended.
    QCOMPARE(RunningParts::instance()->count(), 0);
}

PartRequestTest::Run PartRequestTest::makePart(
    const QString& path, qint64 first, qint64 last, const QString& file, bool paused)
{
    Run run;
    run.part = std::make_unique<MediaPartFileRequest>();
    run.finished = std::make_unique<QSignalSpy>(run.part.get(), &MediaPartFileRequest::finished);
    run.failed = std::make_unique<QSignalSpy>(run.part.get(), &MediaPartFileRequest::error);
    run.received
        = std::make_unique<QSignalSpy>(run.part.get(), &MediaPartFileRequest::bytesRecieved);
    run.part->setup(m_server.url(path), 3, m_dir->filePath(file), {}, paused, first, last);
    return run;
}

qint64 PartRequestTest::sum(const QSignalSpy& received)
{
    qint64 total = 0;
    for (const QList<QVariant>& call : received)
        total += call.at(0).toLongLong();
    return total;
}

QList<TestHttpRequest> PartRequestTest::gets(const QString& path) const
{
    QList<TestHttpRequest> result;
    for (const TestHttpRequest& request : m_server.requests()) {
        if (request.path == path && request.method == QLatin1String("GET"))
            result << request;
    }
    return result;
}

void PartRequestTest::rangeHeaderUserAgentAndBytes()
{
    Run run = makePart(QStringLiteral("/file"), 0, 1048575, QStringLiteral("p.part1"));
    QCOMPARE(RunningParts::instance()->count(), 1);
    run.part->get();
    QVERIFY(run.finished->wait());
    QCOMPARE(run.finished->first().at(0).toInt(), 3);
    QCOMPARE(run.finished->first().at(1).toString(), m_dir->filePath(QStringLiteral("p.part1")));
    const TestHttpRequest request = m_server.lastRequest(QStringLiteral("/file"));
    QCOMPARE(request.header("range"), QByteArray("bytes=0-1048575"));
    QCOMPARE(request.header("user-agent"),
        QByteArray("Mozilla/5.0 (Macintosh; Intel Mac OS X 10_10) gzip"));
    QCOMPARE(readFile(m_dir->filePath(QStringLiteral("p.part1"))), m_body.left(1048576));
    QCOMPARE(sum(*run.received), 1048576);
    QCOMPARE(RunningParts::instance()->count(), 0);
    QVERIFY(run.failed->isEmpty());
}

void PartRequestTest::pauseKeepsBytesAndResumesWithTheRestOfTheRange()
{
    TestHttpFileOptions slow;
    slow.bytesPerSecond = 2 * 1024 * 1024;
    m_server.setFileOptions(QStringLiteral("/file"), slow);
    const QString file = m_dir->filePath(QStringLiteral("p.part2"));
    Run run = makePart(QStringLiteral("/file"), 1048576, 2097151, QStringLiteral("p.part2"));
    run.part->get();
    QVERIFY(waitUntil([&] { return run.part->bytesOnDisk() >= 300000; }));
    run.part->onPause(true);
    const qint64 kept = run.part->bytesOnDisk();
    QVERIFY(kept < 1048576);
    // The part file holds exactly what arrived, and a paused part still counts as running.
    QCOMPARE(readFile(file), m_body.mid(1048576, kept));
    QCOMPARE(RunningParts::instance()->count(), 1);
    QTest::qWait(600); // longer than the watchdog: a paused part is not restarted
    QCOMPARE(gets(QStringLiteral("/file")).size(), 1);

    m_server.setFileOptions(QStringLiteral("/file"), {});
    run.part->onPause(false);
    QVERIFY(run.finished->wait());
    QCOMPARE(gets(QStringLiteral("/file")).last().header("range"),
        QByteArray("bytes=") + QByteArray::number(1048576 + kept) + "-2097151");
    QCOMPARE(readFile(file), m_body.mid(1048576));
    QCOMPARE(sum(*run.received), 1048576);
}

void PartRequestTest::partFileOfEarlierRunIsContinued()
{
    // An earlier run got 1000 bytes of part 2; another left more than the range.
    const QString file = m_dir->filePath(QStringLiteral("p.part2"));
    QVERIFY(writeFile(file, m_body.mid(5000, 1000)));
    Run run = makePart(QStringLiteral("/file"), 5000, 14999, QStringLiteral("p.part2"));
    run.part->get();
    QVERIFY(run.finished->wait());
    QCOMPARE(m_server.lastRequest(QStringLiteral("/file")).header("range"),
        QByteArray("bytes=6000-14999"));
    QCOMPARE(readFile(file), m_body.mid(5000, 10000));
    QCOMPARE(sum(*run.received), 10000);

    const QString longer = m_dir->filePath(QStringLiteral("p.part1"));
    QVERIFY(writeFile(longer, m_body.left(5000) + "bytes of the next part"));
    m_server.clearRequests();
    Run complete = makePart(QStringLiteral("/file"), 0, 4999, QStringLiteral("p.part1"));
    complete.part->get();
    QVERIFY(complete.finished->wait());
    QCOMPARE(readFile(longer), m_body.left(5000));
    QVERIFY(gets(QStringLiteral("/file")).isEmpty());
}

void PartRequestTest::wholeFileIsContinuedOrRecognisedComplete()
{
    m_server.serveFile(QStringLiteral("/segment.ts"), m_body.left(30000));
    const QString file = m_dir->filePath(QStringLiteral("s_0.ts"));
    QVERIFY(writeFile(file, m_body.left(12345)));
    Run run = makePart(QStringLiteral("/segment.ts"), -1, -1, QStringLiteral("s_0.ts"));
    run.part->get();
    QVERIFY(run.finished->wait());
    QCOMPARE(m_server.lastRequest(QStringLiteral("/segment.ts")).header("range"),
        QByteArray("bytes=12345-"));
    QCOMPARE(readFile(file), m_body.left(30000));

    // All there: the server has nothing left to send, and the part is done.
    Run again = makePart(QStringLiteral("/segment.ts"), -1, -1, QStringLiteral("s_0.ts"));
    again.part->get();
    QVERIFY(again.finished->wait());
    QCOMPARE(readFile(file), m_body.left(30000));

    // A server without ranges sends it all again: the old bytes are replaced, not added to.
    TestHttpFileOptions noRanges;
    noRanges.ignoreRanges = true;
    m_server.setFileOptions(QStringLiteral("/segment.ts"), noRanges);
    QVERIFY(writeFile(file, m_body.left(999)));
    Run restart = makePart(QStringLiteral("/segment.ts"), -1, -1, QStringLiteral("s_0.ts"));
    QSignalSpy discarded(restart.part.get(), &MediaPartFileRequest::bytesDiscarded);
    restart.part->get();
    QVERIFY(restart.finished->wait());
    QCOMPARE(readFile(file), m_body.left(30000));
    QCOMPARE(discarded.size(), 1);
    QCOMPARE(sum(*restart.received) - discarded.first().at(0).toLongLong(), 30000);
}

void PartRequestTest::stalledConnectionIsRestartedByTheWatchdog()
{
    TestHttpFileOptions stall;
    stall.stallAfterBytes = 50000;
    stall.stallTimes = 1;
    m_server.setFileOptions(QStringLiteral("/file"), stall);
    Run run = makePart(QStringLiteral("/file"), 100000, 299999, QStringLiteral("p.part1"));
    run.part->get();
    QVERIFY(run.finished->wait());
    const QList<TestHttpRequest> requests = gets(QStringLiteral("/file"));
    QCOMPARE(requests.size(), 2);
    // The bytes before the stall are kept; the new connection asks for the rest.
    QCOMPARE(requests.last().header("range"), QByteArray("bytes=150000-299999"));
    QCOMPARE(readFile(m_dir->filePath(QStringLiteral("p.part1"))), m_body.mid(100000, 200000));
    QCOMPARE(run.part->attempts(), 2);
}

void PartRequestTest::droppedConnectionsAreRetriedThenFail()
{
    TestHttpFileOptions drops;
    drops.dropAfterBytes = 20000;
    drops.dropTimes = 2;
    m_server.setFileOptions(QStringLiteral("/file"), drops);
    Run run = makePart(QStringLiteral("/file"), 0, 99999, QStringLiteral("p.part1"));
    run.part->get();
    QVERIFY(run.finished->wait());
    // A retry asks only for what is missing. (Qt itself may resend a request whose
    // connection closed before it read anything, so the count of requests varies.)
    QVERIFY(run.part->attempts() > 1 && run.part->attempts() <= 3);
    QVERIFY(gets(QStringLiteral("/file")).last().header("range").startsWith("bytes=")
        && !gets(QStringLiteral("/file")).last().header("range").startsWith("bytes=0-"));
    QCOMPARE(readFile(m_dir->filePath(QStringLiteral("p.part1"))), m_body.left(100000));

    drops.dropTimes = -1;
    m_server.setFileOptions(QStringLiteral("/file"), drops);
    m_server.clearRequests();
    Run failing = makePart(QStringLiteral("/file"), 0, 99999, QStringLiteral("q.part1"));
    failing.part->get();
    QVERIFY(failing.failed->wait());
    QVERIFY2(failing.part->errorText().startsWith(
                 QStringLiteral("Download failed after 3 part attempts: ")),
        qPrintable(failing.part->errorText()));
    QCOMPARE(failing.part->attempts(), 3);
    QVERIFY(failing.finished->isEmpty());
    // What did arrive stays for a later attempt.
    QCOMPARE(readFile(m_dir->filePath(QStringLiteral("q.part1"))), m_body.left(60000));
}

void PartRequestTest::refusedConnectionFailsAtOnce()
{
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    MediaPartFileRequest part;
    QSignalSpy failed(&part, &MediaPartFileRequest::error);
    part.setup(QUrl(QStringLiteral("http://127.0.0.1:%1/x").arg(port)), 1,
        m_dir->filePath(QStringLiteral("r")), {}, false, 0, 10);
    part.get();
    QVERIFY(failed.wait());
    QCOMPARE(part.errorText(), QStringLiteral("Download failed: Connection refused"));
    QCOMPARE(part.attempts(), 1);
}

void PartRequestTest::redirectsUpToFourAreFollowed()
{
    for (int i = 1; i <= 5; ++i) {
        const QUrl next = i == 5 ? m_server.url(QStringLiteral("/file"))
                                 : m_server.url(QStringLiteral("/hop%1").arg(i + 1));
        m_server.route(QStringLiteral("/hop%1").arg(i), [next](const TestHttpRequest&) {
            TestHttpResponse response = TestHttpResponse::redirect(next, 302);
            response.body = "redirect page";
            return response;
        });
    }
    Run four = makePart(QStringLiteral("/hop2"), 0, 9999, QStringLiteral("four"));
    four.part->get();
    QVERIFY(four.finished->wait());
    QCOMPARE(readFile(m_dir->filePath(QStringLiteral("four"))), m_body.left(10000));

    Run five = makePart(QStringLiteral("/hop1"), 0, 9999, QStringLiteral("five"));
    five.part->get();
    QVERIFY(five.failed->wait());
    QCOMPARE(five.part->errorText(), QStringLiteral("Download failed: too many redirects"));
    QVERIFY(five.finished->isEmpty());
    // No redirect page ever becomes part data.
    QCOMPARE(QFileInfo(m_dir->filePath(QStringLiteral("five"))).size(), 0);

    // A server cannot point a part at a local file.
    m_server.route(QStringLiteral("/local"), [](const TestHttpRequest&) {
        return TestHttpResponse::redirect(QUrl(QStringLiteral("file:///etc/hostname")), 302);
    });
    Run local = makePart(QStringLiteral("/local"), 0, 9, QStringLiteral("local"));
    local.part->get();
    QVERIFY(local.failed->wait());
    QCOMPARE(local.part->errorText(),
        QStringLiteral("Download failed: redirected to file:///etc/hostname"));
}

void PartRequestTest::rangeIgnoredByServerIsReported()
{
    TestHttpFileOptions noRanges;
    noRanges.ignoreRanges = true;
    m_server.setFileOptions(QStringLiteral("/file"), noRanges);
    Run run = makePart(QStringLiteral("/file"), 1000, 1999, QStringLiteral("p.part2"));
    QSignalSpy ignored(run.part.get(), &MediaPartFileRequest::rangesIgnored);
    run.part->get();
    QVERIFY(ignored.wait());
    QCOMPARE(ignored.first().at(0).toInt(), 3);
    QCOMPARE(QFileInfo(m_dir->filePath(QStringLiteral("p.part2"))).size(), 0);
    QVERIFY(run.finished->isEmpty());
    QVERIFY(run.failed->isEmpty());
}

void PartRequestTest::shortOrMisplacedBodiesAreNotComplete()
{
    // The first answer ends early with a "valid" shorter range; the next one is right.
    int calls = 0;
    const QByteArray body = m_body;
    m_server.route(QStringLiteral("/short"), [&calls, body](const TestHttpRequest& request) {
        const QByteArray range = request.header("range").mid(6);
        const qint64 first = range.left(range.indexOf('-')).toLongLong();
        const qint64 last = range.mid(range.indexOf('-') + 1).toLongLong();
        const qint64 end = ++calls == 1 ? first + 99 : last;
        TestHttpResponse response;
        response.status = 206;
        response.body = body.mid(first, end - first + 1);
        response.withHeader("Content-Range",
            "bytes " + QByteArray::number(first) + '-' + QByteArray::number(end) + "/"
                + QByteArray::number(body.size()));
        return response;
    });
    Run run = makePart(QStringLiteral("/short"), 0, 199, QStringLiteral("short"));
    run.part->get();
    QVERIFY(run.finished->wait());
    QCOMPARE(calls, 2);
    QCOMPARE(readFile(m_dir->filePath(QStringLiteral("short"))), m_body.left(200));

    // A range that starts elsewhere is never written, and gives up after the attempts.
    m_server.route(QStringLiteral("/elsewhere"), [body](const TestHttpRequest&) {
        TestHttpResponse response;
        response.status = 206;
        response.body = body.mid(500, 200);
        response.withHeader("Content-Range", "bytes 500-699/2097152");
        return response;
    });
    Run wrong = makePart(QStringLiteral("/elsewhere"), 0, 199, QStringLiteral("wrong"));
    wrong.part->get();
    QVERIFY(wrong.failed->wait());
    QCOMPARE(wrong.part->errorText(),
        QStringLiteral(
            "Download failed after 3 part attempts: the server sent a different byte range"));
    QCOMPARE(QFileInfo(m_dir->filePath(QStringLiteral("wrong"))).size(), 0);
}

void PartRequestTest::throttledReadsAreSpacedAndCanBeReleased()
{
    TestHttpFileOptions steady;
    steady.bytesPerSecond = 1024 * 1024;
    m_server.setFileOptions(QStringLiteral("/file"), steady);
    Run run = makePart(QStringLiteral("/file"), 0, 2097151, QStringLiteral("t"));
    run.part->readDispatch(true);
    QList<qint64> times;
    QElapsedTimer clock;
    clock.start();
    connect(run.part.get(), &MediaPartFileRequest::bytesRecieved, this,
        [&](qulonglong) { times << clock.elapsed(); });
    run.part->get();
    QVERIFY(waitUntil([&] { return times.size() >= 4; }));
    for (int i = 1; i < times.size(); ++i)
        QVERIFY2(times.at(i) - times.at(i - 1) >= TransferTimings::throttleIntervalMs() - 15,
            qPrintable(QStringLiteral("%1 ms between reads").arg(times.at(i) - times.at(i - 1))));

    // Released: the bytes are taken as they come.
    m_server.setFileOptions(QStringLiteral("/file"), {});
    run.part->readDispatch(false);
    QVERIFY(run.finished->wait());
    QCOMPARE(readFile(m_dir->filePath(QStringLiteral("t"))), m_body);
}

KESTROFAN_CORE_TEST_MAIN(PartRequestTest)
#include "tst_partrequest.moc"
