#include "TestEnvironment.h"
#include "TestHttpServer.h"
#include "TransferTestSupport.h"

#include "app/MediaDescriptor.h"
#include "download/MediaFileRequest.h"
#include "download/RunningParts.h"
#include "download/SegmentedAVMediaFileRequest.h"
#include "download/TransferTimings.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

using namespace TransferTestSupport;

// Whole-file downloads against the test server: probing, part layout, the program-wide part
// limit, servers that refuse HEAD, redirect, answer in text, ignore ranges or send no length,
// resuming from part files, and fetching separate video and audio one after the other.
class FileRequestTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void partCountGrowsWithTheLength_data();
    void partCountGrowsWithTheLength();
    void hundredMebibytesInElevenRanges();
    void twoRequestsShareFiveRunningParts();
    void refusedHeadFallsBackToGet_data();
    void refusedHeadFallsBackToGet();
    void failingStatusesAreReported();
    void sixRedirectsAreFollowedNotSeven();
    void textAnswersCarryTheAddress();
    void serverIgnoringRangesGivesOneWholeDownload();
    void missingLengthGivesOneWholeDownload();
    void restartedRequestContinuesFromPartFiles();
    void partsOfAnotherVersionAreNotReused();
    void cancelRemovesThePartFiles();
    void tinyFilesAndUnsafeNames();
    void videoThenAudioThenMux();

private:
    // Runs the request until it finishes or fails.
    bool runToEnd(MediaFileRequestBase& request);
    MediaFileRequest* makeRequest(const QString& path, const QString& baseName);
    QStringList rangesAskedFor(const QString& path) const;
    QStringList temporaryFiles() const;
    void serveRedirectChain(int hops);

    TestHttpServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    QList<MediaFileRequest*> m_requests;
    QByteArray m_body = patternBytes(3 * 1024 * 1024 + 123, 7);
};

void FileRequestTest::initTestCase()
{
    QVERIFY(m_server.start());
    TransferTimings::setWatchdogMs(2000);
}

void FileRequestTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_server.serveFile(QStringLiteral("/media.bin"), m_body);
    m_server.setFileOptions(QStringLiteral("/media.bin"), {});
    m_server.clearRequests();
}

void FileRequestTest::cleanup()
{
    qDeleteAll(m_requests);
    m_requests.clear();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(RunningParts::instance()->count(), 0);
}

MediaFileRequest* FileRequestTest::makeRequest(const QString& path, const QString& baseName)
{
    auto* request = new MediaFileRequest(m_server.url(path), baseName);
    request->setTemporaryDirectory(m_dir->path());
    m_requests << request;
    return request;
}

bool FileRequestTest::runToEnd(MediaFileRequestBase& request)
{
    QSignalSpy finished(&request, &MediaFileRequestBase::finished);
    QSignalSpy failed(&request, &MediaFileRequestBase::error);
    request.start();
    return waitUntil([&] { return !finished.isEmpty() || !failed.isEmpty(); }, 60000);
}

QStringList FileRequestTest::rangesAskedFor(const QString& path) const
{
    QStringList ranges;
    for (const TestHttpRequest& request : m_server.requests()) {
        if (request.path == path && request.method == QLatin1String("GET"))
            ranges << QString::fromLatin1(request.header("range"));
    }
    return ranges;
}

QStringList FileRequestTest::temporaryFiles() const
{
    return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

void FileRequestTest::serveRedirectChain(int hops)
{
    for (int i = 1; i <= hops; ++i) {
        const QUrl next = i == hops ? m_server.url(QStringLiteral("/media.bin"))
                                    : m_server.url(QStringLiteral("/r%1-%2").arg(hops).arg(i + 1));
        m_server.route(QStringLiteral("/r%1-%2").arg(hops).arg(i),
            [next](const TestHttpRequest&) { return TestHttpResponse::redirect(next, 301); });
    }
}

void FileRequestTest::partCountGrowsWithTheLength_data()
{
    QTest::addColumn<qint64>("mebibytes");
    QTest::addColumn<int>("parts");
    QTest::newRow("0") << qint64(0) << 8;
    QTest::newRow("1") << qint64(1) << 8;
    QTest::newRow("2") << qint64(2) << 8;
    QTest::newRow("69") << qint64(69) << 8;
    QTest::newRow("100") << qint64(100) << 11;
    QTest::newRow("200") << qint64(200) << 20;
    QTest::newRow("500") << qint64(500) << 44;
    QTest::newRow("1000") << qint64(1000) << 79;
}

void FileRequestTest::partCountGrowsWithTheLength()
{
    QFETCH(qint64, mebibytes);
    QFETCH(int, parts);
    QCOMPARE(MediaFileRequest::partCountFor(mebibytes * 1048576), parts);
}

void FileRequestTest::hundredMebibytesInElevenRanges()
{
    const qint64 length = 100 * 1048576;
    QFile sparse(m_dir->filePath(QStringLiteral("served.bin")));
    QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(length));
    sparse.close();
    m_server.serveFileFromDisk(QStringLiteral("/big.bin"), sparse.fileName());

    MediaFileRequest* request = makeRequest(QStringLiteral("/big.bin"), QStringLiteral("big"));
    QSignalSpy names(request, &MediaFileRequestBase::hasFileName);
    QVERIFY(runToEnd(*request));
    QVERIFY2(request->errorText().isEmpty(), qPrintable(request->errorText()));
    QCOMPARE(request->partCount(), 11);
    const qint64 size = length / 11;
    QStringList expected;
    for (qint64 n = 1; n <= 11; ++n) {
        expected << QStringLiteral("bytes=%1-%2")
                        .arg(size * (n - 1))
                        .arg(n == 11 ? length - 1 : size * n - 1);
    }
    QStringList asked = rangesAskedFor(QStringLiteral("/big.bin"));
    asked.sort();
    expected.sort();
    QCOMPARE(asked, expected);
    QCOMPARE(names.size(), 11);
    // The ranges are written in place, into the first part's file.
    QCOMPARE(names.at(2).at(0).toInt(), 3);
    QCOMPARE(names.at(2).at(1).toString(), m_dir->filePath(QStringLiteral("big.part1")));
    QCOMPARE(request->resultFileName(), m_dir->filePath(QStringLiteral("big.part")));
    QCOMPARE(QFileInfo(request->resultFileName()).size(), length);
    QCOMPARE(request->bytesReceived(), length);
}

void FileRequestTest::twoRequestsShareFiveRunningParts()
{
    TestHttpFileOptions slow;
    slow.bytesPerSecond = 3 * 1024 * 1024;
    m_server.setFileOptions(QStringLiteral("/media.bin"), slow);
    m_server.serveFile(QStringLiteral("/other.bin"), m_body.left(2 * 1024 * 1024));
    m_server.setFileOptions(QStringLiteral("/other.bin"), slow);

    MediaFileRequest* first = makeRequest(QStringLiteral("/media.bin"), QStringLiteral("one"));
    MediaFileRequest* second = makeRequest(QStringLiteral("/other.bin"), QStringLiteral("two"));
    QSignalSpy firstDone(first, &MediaFileRequestBase::finished);
    QSignalSpy secondDone(second, &MediaFileRequestBase::finished);
    int most = 0;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, this,
        [&] { most = qMax(most, RunningParts::instance()->count()); });
    sampler.start(5);
    first->start();
    QVERIFY(waitUntil([&] { return RunningParts::instance()->count() == 5; }));
    second->start();
    // The second request gets its slots as the first one's parts end.
    QVERIFY(waitUntil([&] { return !firstDone.isEmpty() && !secondDone.isEmpty(); }, 60000));
    QCOMPARE(most, RunningParts::limit());
    QCOMPARE(readFile(first->resultFileName()), m_body);
    QCOMPARE(readFile(second->resultFileName()), m_body.left(2 * 1024 * 1024));
}

void FileRequestTest::refusedHeadFallsBackToGet_data()
{
    QTest::addColumn<bool>("allowHeader");
    QTest::newRow("no Access-Control-Allow-Methods") << false;
    QTest::newRow("Access-Control-Allow-Methods without HEAD") << true;
}

void FileRequestTest::refusedHeadFallsBackToGet()
{
    QFETCH(bool, allowHeader);
    TestHttpFileOptions refuse;
    refuse.refuseHead = true;
    refuse.allowMethodsHeader = allowHeader;
    m_server.setFileOptions(QStringLiteral("/media.bin"), refuse);
    MediaFileRequest* request = makeRequest(QStringLiteral("/media.bin"), QStringLiteral("get"));
    QVERIFY(runToEnd(*request));
    QVERIFY2(request->errorText().isEmpty(), qPrintable(request->errorText()));
    QCOMPARE(readFile(request->resultFileName()), m_body);
    // The probe's GET asks for no range; the eight parts do.
    const QStringList ranges = rangesAskedFor(QStringLiteral("/media.bin"));
    QCOMPARE(ranges.count(QString()), 2);
    QCOMPARE(ranges.size(), 2 + 8);
}

void FileRequestTest::failingStatusesAreReported()
{
    m_server.route(QStringLiteral("/forbidden"), [](const TestHttpRequest&) {
        TestHttpResponse response;
        response.status = 403;
        response.withHeader("Access-Control-Allow-Methods", "GET, HEAD");
        return response;
    });
    MediaFileRequest* forbidden = makeRequest(QStringLiteral("/forbidden"), QStringLiteral("f"));
    QVERIFY(runToEnd(*forbidden));
    QCOMPARE(
        forbidden->errorText(), QStringLiteral("Remote media file not found, got HTTP status 403"));

    MediaFileRequest* missing = makeRequest(QStringLiteral("/missing"), QStringLiteral("m"));
    QSignalSpy errors(missing, &MediaFileRequestBase::error);
    QVERIFY(runToEnd(*missing));
    QCOMPARE(missing->errorText(),
        QStringLiteral("Remote media file not found, got HTTP status 404: ")
            + m_server.url(QStringLiteral("/missing")).toString());
    QTest::qWait(50);
    QCOMPARE(errors.size(), 1); // both probes failed; the job hears it once

    // Neither a redirect nor a text answer may lead to a local file.
    m_server.route(QStringLiteral("/to-local"), [](const TestHttpRequest&) {
        return TestHttpResponse::redirect(QUrl(QStringLiteral("file:///etc/hostname")), 302);
    });
    m_server.route(QStringLiteral("/text-local"), [](const TestHttpRequest&) {
        return TestHttpResponse::text(QStringLiteral("httpfile:///etc/hostname"));
    });
    MediaFileRequest* redirected = makeRequest(QStringLiteral("/to-local"), QStringLiteral("l"));
    QVERIFY(runToEnd(*redirected));
    QCOMPARE(redirected->errorText(),
        QStringLiteral("Remote media file not found, got HTTP status 302: file:///etc/hostname"));
    MediaFileRequest* texted = makeRequest(QStringLiteral("/text-local"), QStringLiteral("t"));
    QVERIFY(runToEnd(*texted));
    QVERIFY(texted->errorText().endsWith(
        QStringLiteral("didn't contain a URL:httpfile:///etc/hostname")));
    QVERIFY(temporaryFiles().isEmpty());
}

void FileRequestTest::sixRedirectsAreFollowedNotSeven()
{
    serveRedirectChain(6);
    serveRedirectChain(7);
    MediaFileRequest* six = makeRequest(QStringLiteral("/r6-1"), QStringLiteral("six"));
    QVERIFY(runToEnd(*six));
    QVERIFY2(six->errorText().isEmpty(), qPrintable(six->errorText()));
    QCOMPARE(readFile(six->resultFileName()), m_body);

    MediaFileRequest* seven = makeRequest(QStringLiteral("/r7-1"), QStringLiteral("seven"));
    QVERIFY(runToEnd(*seven));
    QCOMPARE(seven->errorText(),
        QStringLiteral("MediaFileRequest::headReplyFinished(): Too many redirects; giving up"));
}

void FileRequestTest::textAnswersCarryTheAddress()
{
    const QString target = m_server.url(QStringLiteral("/media.bin")).toString();
    m_server.route(QStringLiteral("/pointer"),
        [target](const TestHttpRequest&) { return TestHttpResponse::text(target + "\n"); });
    m_server.route(QStringLiteral("/chatter"),
        [](const TestHttpRequest&) { return TestHttpResponse::text(QStringLiteral("no file")); });

    MediaFileRequest* pointer = makeRequest(QStringLiteral("/pointer"), QStringLiteral("p"));
    QVERIFY(runToEnd(*pointer));
    QVERIFY2(pointer->errorText().isEmpty(), qPrintable(pointer->errorText()));
    QCOMPARE(readFile(pointer->resultFileName()), m_body);

    MediaFileRequest* chatter = makeRequest(QStringLiteral("/chatter"), QStringLiteral("c"));
    QVERIFY(runToEnd(*chatter));
    QCOMPARE(chatter->errorText(),
        QStringLiteral("MediaFileRequest::headReplyFinished(): Response was text, but didn't "
                       "contain a URL:no file"));
}

void FileRequestTest::serverIgnoringRangesGivesOneWholeDownload()
{
    TestHttpFileOptions noRanges;
    noRanges.ignoreRanges = true;
    m_server.setFileOptions(QStringLiteral("/media.bin"), noRanges);
    MediaFileRequest* request = makeRequest(QStringLiteral("/media.bin"), QStringLiteral("whole"));
    QVERIFY(runToEnd(*request));
    QVERIFY2(request->errorText().isEmpty(), qPrintable(request->errorText()));
    QCOMPARE(request->partCount(), 1);
    QCOMPARE(rangesAskedFor(QStringLiteral("/media.bin")).last(), QString());
    QCOMPARE(request->resultFileName(), m_dir->filePath(QStringLiteral("whole")));
    QCOMPARE(readFile(request->resultFileName()), m_body);
    QCOMPARE(request->bytesReceived(), m_body.size());
    QCOMPARE(
        temporaryFiles(), QStringList({ QStringLiteral("whole"), QStringLiteral("whole.resume") }));
}

void FileRequestTest::missingLengthGivesOneWholeDownload()
{
    const QByteArray body = m_body;
    m_server.route(QStringLiteral("/stream"), [body](const TestHttpRequest&) {
        TestHttpResponse response;
        response.body = body;
        response.omitContentLength = true;
        return response;
    });
    MediaFileRequest* request = makeRequest(QStringLiteral("/stream"), QStringLiteral("nolength"));
    QVERIFY(runToEnd(*request));
    QVERIFY2(request->errorText().isEmpty(), qPrintable(request->errorText()));
    QCOMPARE(request->contentLength(), 0);
    // No range is asked for. (Qt may send a pipelined request twice when the server closes.)
    const QStringList ranges = rangesAskedFor(QStringLiteral("/stream"));
    QCOMPARE(QSet<QString>(ranges.cbegin(), ranges.cend()), QSet<QString> { QString() });
    QCOMPARE(readFile(request->resultFileName()), m_body);
}

void FileRequestTest::restartedRequestContinuesFromPartFiles()
{
    TestHttpFileOptions slow;
    slow.bytesPerSecond = 2 * 1024 * 1024;
    m_server.setFileOptions(QStringLiteral("/media.bin"), slow);
    MediaFileRequest* earlier = makeRequest(QStringLiteral("/media.bin"), QStringLiteral("again"));
    earlier->start();
    QVERIFY(waitUntil([&] { return earlier->bytesReceived() > 600000; }));
    earlier->onPause(true);
    const qint64 kept = earlier->bytesReceived();
    m_requests.removeOne(earlier);
    delete earlier;
    QVERIFY(temporaryFiles().contains(QStringLiteral("again.part1")));

    m_server.setFileOptions(QStringLiteral("/media.bin"), {});
    m_server.clearRequests();
    MediaFileRequest* later = makeRequest(QStringLiteral("/media.bin"), QStringLiteral("again"));
    QVERIFY(runToEnd(*later));
    QVERIFY2(later->errorText().isEmpty(), qPrintable(later->errorText()));
    QCOMPARE(readFile(later->resultFileName()), m_body);
    // Only what was missing went over the wire the second time.
    qint64 asked = 0;
    for (const QString& range : rangesAskedFor(QStringLiteral("/media.bin"))) {
        const QStringList bounds = range.mid(6).split(QLatin1Char('-'));
        asked += bounds.at(1).toLongLong() - bounds.at(0).toLongLong() + 1;
    }
    QCOMPARE(asked, m_body.size() - kept);
    QCOMPARE(later->bytesReceived(), m_body.size());

    // Joined but not taken over yet (a crash before the conversion): nothing to fetch.
    m_server.clearRequests();
    MediaFileRequest* done = makeRequest(QStringLiteral("/media.bin"), QStringLiteral("again"));
    QVERIFY(runToEnd(*done));
    QVERIFY(done->complete());
    QCOMPARE(done->resultFileName(), later->resultFileName());
    QVERIFY(rangesAskedFor(QStringLiteral("/media.bin")).isEmpty());
}

void FileRequestTest::partsOfAnotherVersionAreNotReused()
{
    MediaFileRequest* earlier = makeRequest(QStringLiteral("/media.bin"), QStringLiteral("ver"));
    TestHttpFileOptions slow;
    slow.bytesPerSecond = 1024 * 1024;
    m_server.setFileOptions(QStringLiteral("/media.bin"), slow);
    earlier->start();
    QVERIFY(waitUntil([&] { return earlier->bytesReceived() > 200000; }));
    earlier->onPause(true);
    m_requests.removeOne(earlier);
    delete earlier;

    // The file changed on the server: a different length means different ranges.
    const QByteArray newer = patternBytes(m_body.size() + 4096, 99);
    m_server.serveFile(QStringLiteral("/media.bin"), newer);
    m_server.setFileOptions(QStringLiteral("/media.bin"), {});
    MediaFileRequest* later = makeRequest(QStringLiteral("/media.bin"), QStringLiteral("ver"));
    QVERIFY(runToEnd(*later));
    QCOMPARE(readFile(later->resultFileName()), newer);
}

void FileRequestTest::cancelRemovesThePartFiles()
{
    TestHttpFileOptions slow;
    slow.bytesPerSecond = 1024 * 1024;
    m_server.setFileOptions(QStringLiteral("/media.bin"), slow);
    MediaFileRequest* request = makeRequest(QStringLiteral("/media.bin"), QStringLiteral("gone"));
    request->start();
    QVERIFY(waitUntil([&] { return request->bytesReceived() > 100000; }));
    QVERIFY(!temporaryFiles().isEmpty());
    request->onCancelDownload();
    QCOMPARE(temporaryFiles(), QStringList());
    QCOMPARE(RunningParts::instance()->count(), 0);
}

void FileRequestTest::tinyFilesAndUnsafeNames()
{
    // Fewer bytes than parts: no range may be empty.
    m_server.serveFile(QStringLiteral("/tiny"), "12345");
    MediaFileRequest* tiny = makeRequest(QStringLiteral("/tiny"), QStringLiteral("tiny"));
    QVERIFY(runToEnd(*tiny));
    QVERIFY2(tiny->errorText().isEmpty(), qPrintable(tiny->errorText()));
    QCOMPARE(tiny->partCount(), 5);
    QCOMPARE(readFile(tiny->resultFileName()), QByteArray("12345"));

    // Nothing a caller or server names reaches outside the temporary folder.
    for (const QString& name : { QStringLiteral(".."), QStringLiteral("../x"),
             QStringLiteral("a/b"), QStringLiteral("a\\b"), QString(), QStringLiteral("x\ny"),
             QString(256, QLatin1Char('n')) })
        QVERIFY2(tiny->tempFilePath(name).isEmpty(), qPrintable(name));
    QCOMPARE(
        tiny->tempFilePath(QStringLiteral("ok.part")), m_dir->filePath(QStringLiteral("ok.part")));
    MediaFileRequest* escaping = makeRequest(QStringLiteral("/tiny"), QStringLiteral("../escape"));
    QVERIFY(runToEnd(*escaping));
    QCOMPARE(escaping->errorText(), QStringLiteral("Download failed: invalid file name"));
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("../escape"))));
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("../escape.part1"))));
}

void FileRequestTest::videoThenAudioThenMux()
{
    const QString video = m_dir->filePath(QStringLiteral("v.mp4"));
    const QString audio = m_dir->filePath(QStringLiteral("a.m4a"));
    QVERIFY(makeClip({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                         QStringLiteral("testsrc=size=64x48:rate=10"), QStringLiteral("-t"),
                         QStringLiteral("2"), QStringLiteral("-c:v"), QStringLiteral("libx264"),
                         QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p") },
        video));
    QVERIFY(
        makeClip({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("sine=d=2"), QStringLiteral("-c:a"), QStringLiteral("aac") },
            audio));
    m_server.serveFileFromDisk(QStringLiteral("/v.mp4"), video);
    m_server.serveFileFromDisk(QStringLiteral("/a.m4a"), audio);
    TestHttpFileOptions slow;
    slow.bytesPerSecond = 200 * 1024;
    m_server.setFileOptions(QStringLiteral("/v.mp4"), slow);
    m_server.setFileOptions(QStringLiteral("/a.m4a"), slow);

    auto* videoRequest
        = new MediaFileRequest(m_server.url(QStringLiteral("/v.mp4")), QStringLiteral("av"));
    auto* audioRequest
        = new MediaFileRequest(m_server.url(QStringLiteral("/a.m4a")), QStringLiteral("av_audio"));
    SegmentedAVMediaFileRequest request(
        videoRequest, audioRequest, QStringLiteral("av"), MediaDescriptor::MP4);
    request.setTemporaryDirectory(m_dir->filePath(QStringLiteral("tmp")));
    QVERIFY(runToEnd(request));
    QVERIFY2(request.errorText().isEmpty(), qPrintable(request.errorText()));
    QCOMPARE(request.resultFileName(), m_dir->filePath(QStringLiteral("tmp/av.part")));
    QCOMPARE(streamCodecs(request.resultFileName()),
        QStringList({ QStringLiteral("h264"), QStringLiteral("aac") }));
    QCOMPARE(request.bytesReceived(), QFileInfo(video).size() + QFileInfo(audio).size());
    QCOMPARE(request.contentLength(), request.bytesReceived());

    // Every audio GET came after the last video GET.
    int lastVideo = -1;
    int firstAudio = -1;
    const QList<TestHttpRequest> requests = m_server.requests();
    for (int i = 0; i < requests.size(); ++i) {
        if (requests.at(i).method != QLatin1String("GET"))
            continue;
        if (requests.at(i).path == QLatin1String("/v.mp4"))
            lastVideo = i;
        else if (requests.at(i).path == QLatin1String("/a.m4a") && firstAudio < 0)
            firstAudio = i;
    }
    QVERIFY(lastVideo >= 0 && firstAudio > lastVideo);
}

KESTROFAN_CORE_TEST_MAIN(FileRequestTest)
#include "tst_filerequest.moc"
