#include "TestEnvironment.h"
#include "TestHttpServer.h"
#include "TransferTestSupport.h"

#include "app/MediaDescriptor.h"
#include "download/HLSMediaFileRequest.h"
#include "download/RunningParts.h"
#include "download/TransferTimings.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

using namespace TransferTestSupport;

// Segment lists against the test server: the length estimate, seven segments at a time,
// pause, cancel and failing segments, and the join of real transport stream pieces.
class HlsRequestTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void lengthFromRangesInTheAddresses();
    void estimateFailures();
    void twentySegmentsSevenAtATime();
    void pauseHoldsNewSegmentsBack();
    void cancelRemovesTheSegments();
    void failingSegmentStopsTheRest();

private:
    // Serves the stream cut into this many pieces; returns their addresses.
    QList<QUrl> serveSegments(int count, qint64 bytesPerSecond);
    std::unique_ptr<HLSMediaFileRequest> makeRequest(const QList<QUrl>& urls);

    TestHttpServer m_server;
    QTemporaryDir m_clips;
    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_stream;
};

void HlsRequestTest::initTestCase()
{
    QVERIFY(m_server.start());
    TransferTimings::setWatchdogMs(3000);
    const QString path = m_clips.filePath(QStringLiteral("stream.ts"));
    QVERIFY(makeClip(
        { QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("testsrc=size=64x48:rate=10"), QStringLiteral("-t"), QStringLiteral("4"),
            QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-pix_fmt"),
            QStringLiteral("yuv420p"), QStringLiteral("-f"), QStringLiteral("mpegts") },
        path));
    m_stream = readFile(path);
}

void HlsRequestTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_server.clearRequests();
}

void HlsRequestTest::cleanup()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(RunningParts::instance()->count(), 0);
}

QList<QUrl> HlsRequestTest::serveSegments(int count, qint64 bytesPerSecond)
{
    QList<QUrl> urls;
    TestHttpFileOptions options;
    options.bytesPerSecond = bytesPerSecond;
    for (int i = 0; i < count; ++i) {
        const QString path = QStringLiteral("/live/%1.ts").arg(i);
        const qsizetype from = m_stream.size() * i / count;
        const qsizetype to = m_stream.size() * (i + 1) / count;
        m_server.serveFile(path, m_stream.mid(from, to - from), "video/mp2t");
        m_server.setFileOptions(path, options);
        urls << m_server.url(path);
    }
    return urls;
}

std::unique_ptr<HLSMediaFileRequest> HlsRequestTest::makeRequest(const QList<QUrl>& urls)
{
    auto request
        = std::make_unique<HLSMediaFileRequest>(urls, QStringLiteral("hls"), MediaDescriptor::MP4);
    request->setTemporaryDirectory(m_dir->path());
    return request;
}

void HlsRequestTest::lengthFromRangesInTheAddresses()
{
    const QList<QUrl> ranged { QUrl(QStringLiteral("http://127.0.0.1/frag/0-999/a.ts")),
        QUrl(QStringLiteral("http://127.0.0.1/frag/1000-1999/b.ts")) };
    QCOMPARE(HLSMediaFileRequest::lengthFromUrlRanges(ranged), 1998);
    // The sum stops at the first address without a range.
    QCOMPARE(HLSMediaFileRequest::lengthFromUrlRanges(ranged
                 + QList<QUrl> { QUrl(QStringLiteral("http://127.0.0.1/frag/plain.ts")),
                     QUrl(QStringLiteral("http://127.0.0.1/frag/5000-9000/c.ts")) }),
        1998);
    // No HEAD is needed then.
    HLSMediaFileRequest request(ranged, QStringLiteral("r"), MediaDescriptor::MP4);
    QVERIFY(request.errorText().isEmpty());
    QCOMPARE(request.contentLength(), 1998);
    QCOMPARE(request.segmentFileName(1), QStringLiteral("r_1.ts"));
    QCOMPARE(m_server.requests().size(), 0);
}

void HlsRequestTest::estimateFailures()
{
    HLSMediaFileRequest none({}, QStringLiteral("n"), MediaDescriptor::MP4);
    QCOMPARE(none.errorText(), QStringLiteral("No segments"));

    HLSMediaFileRequest missing(
        { m_server.url(QStringLiteral("/nothing.ts")) }, QStringLiteral("m"), MediaDescriptor::MP4);
    QCOMPARE(missing.errorText(),
        QStringLiteral("HLSMediaFileRequest::HLSMediaFileRequest() returned status code 404 when "
                       "attempting to determine content length of first segment"));

    m_server.serveFile(QStringLiteral("/empty.ts"), QByteArray());
    HLSMediaFileRequest empty(
        { m_server.url(QStringLiteral("/empty.ts")) }, QStringLiteral("e"), MediaDescriptor::MP4);
    QCOMPARE(empty.errorText(),
        QStringLiteral("Error: HLSMediaFileRequest::HLSMediaFileRequest(): Content length is "
                       "zero for first segment"));
}

void HlsRequestTest::twentySegmentsSevenAtATime()
{
    const QList<QUrl> urls = serveSegments(20, m_stream.size() / 20 * 2);
    auto request = makeRequest(urls);
    QVERIFY(request->errorText().isEmpty());
    // First segment's length times the count.
    QCOMPARE(request->contentLength(), (m_stream.size() / 20) * 20);
    QSignalSpy finished(request.get(), &MediaFileRequestBase::finished);
    QSignalSpy gotLength(request.get(), &MediaFileRequestBase::gotContentLength);
    int most = 0;
    QTimer sampler;
    connect(
        &sampler, &QTimer::timeout, this, [&] { most = qMax(most, request->runningSegments()); });
    sampler.start(2);
    request->start();
    QCOMPARE(gotLength.size(), 1);
    QCOMPARE(request->runningSegments(), 7);
    QVERIFY(waitUntil([&] { return !finished.isEmpty(); }, 60000));
    QVERIFY2(request->errorText().isEmpty(), qPrintable(request->errorText()));
    QCOMPARE(most, 7);
    QCOMPARE(request->bytesReceived(), m_stream.size());
    QCOMPARE(request->contentLength(), m_stream.size());
    QCOMPARE(request->resultFileName(), m_dir->filePath(QStringLiteral("hls_0.mp4")));
    QCOMPARE(streamCodecs(request->resultFileName()), QStringList { QStringLiteral("h264") });
    QCOMPARE(
        QDir(m_dir->path()).entryList(QDir::Files), QStringList { QStringLiteral("hls_0.mp4") });
}

void HlsRequestTest::pauseHoldsNewSegmentsBack()
{
    const QList<QUrl> urls = serveSegments(10, m_stream.size() / 10 * 4);
    auto request = makeRequest(urls);
    QSignalSpy finished(request.get(), &MediaFileRequestBase::finished);
    request->start();
    request->onPause(true);
    const int asked = int(m_server.requests().size());
    QTest::qWait(300);
    QCOMPARE(request->runningSegments(), 7); // paused, not dropped
    QVERIFY(m_server.requests().size() <= asked + 7);
    request->onPause(false);
    QVERIFY(waitUntil([&] { return !finished.isEmpty(); }, 60000));
    QVERIFY2(request->errorText().isEmpty(), qPrintable(request->errorText()));
    QCOMPARE(request->bytesReceived(), m_stream.size());
}

void HlsRequestTest::cancelRemovesTheSegments()
{
    const QList<QUrl> urls = serveSegments(10, m_stream.size() / 10);
    auto request = makeRequest(urls);
    request->start();
    QVERIFY(waitUntil([&] { return request->bytesReceived() > 0; }));
    request->onCancelDownload();
    QCOMPARE(request->runningSegments(), 0);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
}

void HlsRequestTest::failingSegmentStopsTheRest()
{
    TransferTimings::setRetryDelayMs(10);
    QList<QUrl> urls = serveSegments(12, 0);
    urls[9] = m_server.url(QStringLiteral("/live/lost.ts"));
    auto request = makeRequest(urls);
    QSignalSpy failed(request.get(), &MediaFileRequestBase::error);
    request->start();
    QVERIFY(failed.wait(20000));
    TransferTimings::setRetryDelayMs(0);
    QVERIFY2(
        request->errorText().startsWith(QStringLiteral("Download failed after 3 part attempts: ")),
        qPrintable(request->errorText()));
    QCOMPARE(request->runningSegments(), 0);
    QCOMPARE(m_server.requestCount(QStringLiteral("/live/lost.ts"), QStringLiteral("GET")), 3);
    // The segments that arrived stay for another attempt.
    QVERIFY(QFile::exists(m_dir->filePath(QStringLiteral("hls_0.ts"))));
}

KESTROFAN_CORE_TEST_MAIN(HlsRequestTest)
#include "tst_hlsrequest.moc"
