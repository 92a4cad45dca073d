#include "TestEnvironment.h"
#include "TransferTestSupport.h"

#include "app/MediaDescriptor.h"
#include "download/HLSMediaFileRequest.h"
#include "download/RunningParts.h"
#include "download/TransferTimings.h"

using namespace TransferTestSupport;

// Segment lists: the length estimate, seven segments at a time, pause, cancel and failing
// segments, and the join of real transport stream pieces.
class HlsRequestTest : public QObject
{
    Q_OBJECT

    TestHttpServer m_server;
    QTemporaryDir m_clips;
    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_stream;

    std::unique_ptr<HLSMediaFileRequest> makeRequest(int segments, qint64 bytesPerSecond)
    {
        return makeRequest(servePieces(m_server, m_stream, segments, "/live/", bytesPerSecond));
    }
    std::unique_ptr<HLSMediaFileRequest> makeRequest(const QList<QUrl>& urls)
    {
        auto request = std::make_unique<HLSMediaFileRequest>(urls, "hls", MediaDescriptor::MP4);
        request->setTemporaryDirectory(m_dir->path());
        return request;
    }
    // Starts a request of the segments and waits for its first error, if any.
    QString startError(const QList<QUrl>& urls)
    {
        auto request = makeRequest(urls);
        if (!request->errorText().isEmpty())
            return request->errorText();
        QSignalSpy failed(request.get(), &MediaFileRequestBase::error);
        QSignalSpy finished(request.get(), &MediaFileRequestBase::finished);
        request->start();
        if (!QTest::qWaitFor([&] { return !failed.isEmpty() || !finished.isEmpty(); }, 20000))
            return "no end";
        return request->errorText();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        TransferTimings::setWatchdogMs(3000);
        QVERIFY(makeVideo(m_clips.filePath("stream.ts"), 4));
        m_stream = readFile(m_clips.filePath("stream.ts"));
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_server.clearRequests();
    }

    void cleanup()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(RunningParts::instance()->count(), 0);
    }

    void lengthEstimate()
    {
        const QList<QUrl> ranged { QUrl("http://127.0.0.1/frag/0-999/a.ts"),
            QUrl("http://127.0.0.1/frag/1000-1999/b.ts") };
        // The sum stops at the first address without a range.
        QCOMPARE(HLSMediaFileRequest::lengthFromUrlRanges(ranged
                     + QList<QUrl> { QUrl("http://127.0.0.1/frag/plain.ts"),
                         QUrl("http://127.0.0.1/frag/5000-9000/c.ts") }),
            1998);
        // No HEAD is needed then.
        auto request = makeRequest(ranged);
        QVERIFY(request->errorText().isEmpty());
        QCOMPARE(request->contentLength(), 1998);
        QCOMPARE(request->segmentFileName(1), "hls_1.ts");
        QCOMPARE(m_server.requests().size(), 0);

        QCOMPARE(startError({}), "No segments");
        // The first segment is asked for its length when the request starts, never before.
        auto idle = makeRequest({ m_server.url("/nothing.ts") });
        QCoreApplication::processEvents();
        QCOMPARE(m_server.requests().size(), 0);
        QCOMPARE(startError({ m_server.url("/nothing.ts") }),
            "HLSMediaFileRequest::HLSMediaFileRequest() returned status code 404 "
            "when attempting to determine content length of first segment");
        m_server.serveFile("/empty.ts", QByteArray());
        QCOMPARE(startError({ m_server.url("/empty.ts") }),
            "Error: HLSMediaFileRequest::HLSMediaFileRequest(): Content length is "
            "zero for first segment");
        TestHttpFileOptions silent;
        silent.silentTimes = 1;
        m_server.setFileOptions("/empty.ts", silent);
        TransferTimings::setProbeTimeoutMs(300);
        QCOMPARE(startError({ m_server.url("/empty.ts") }),
            "Download failed: 127.0.0.1 did not answer within 0.3 seconds");
        TransferTimings::setProbeTimeoutMs(30000);
    }

    void segmentsCarryTheStreamHeaders()
    {
        auto request = makeRequest(servePieces(m_server, m_stream, 3, "/hdr/"));
        request->setStreamHeaders({ { "Referer", "http://127.0.0.1/watch" } });
        QSignalSpy finished(request.get(), &MediaFileRequestBase::finished);
        request->start();
        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 60000);
        QVERIFY2(request->errorText().isEmpty(), qPrintable(request->errorText()));
        const QList<TestHttpRequest> sent = m_server.requests();
        QCOMPARE(sent.size(), 4); // the length of the first, then the three segments
        for (const TestHttpRequest& one : sent)
            QCOMPARE(one.header("referer"), QByteArray("http://127.0.0.1/watch"));
    }

    void twentySegmentsSevenAtATime()
    {
        auto request = makeRequest(20, m_stream.size() / 20 * 2);
        QVERIFY(request->errorText().isEmpty());
        QSignalSpy finished(request.get(), &MediaFileRequestBase::finished);
        QSignalSpy gotLength(request.get(), &MediaFileRequestBase::gotContentLength);
        int most = 0;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this,
            [&] { most = qMax(most, request->runningSegments()); });
        sampler.start(2);
        request->start();
        QVERIFY(gotLength.wait());
        QCOMPARE(request->contentLength(), (m_stream.size() / 20) * 20); // first one's times 20
        QCOMPARE(request->runningSegments(), 7);
        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 60000);
        QVERIFY2(request->errorText().isEmpty(), qPrintable(request->errorText()));
        QCOMPARE(most, 7);
        QCOMPARE(request->bytesReceived(), m_stream.size());
        QCOMPARE(request->contentLength(), m_stream.size());
        QCOMPARE(request->resultFileName(), m_dir->filePath("hls_0.mp4"));
        QCOMPARE(streamCodecs(request->resultFileName()), QStringList { "h264" });
        QCOMPARE(
            QDir(m_dir->path()).entryList(QDir::Files), QStringList({ "hls.lock", "hls_0.mp4" }));
    }

    void pauseHoldsNewSegmentsBack()
    {
        auto request = makeRequest(10, m_stream.size() / 10 * 4);
        QSignalSpy finished(request.get(), &MediaFileRequestBase::finished);
        request->start();
        QTRY_VERIFY_WITH_TIMEOUT(request->runningSegments() == 7, 20000);
        request->onPause(true);
        const int asked = int(m_server.requests().size());
        QTest::qWait(300);
        QCOMPARE(request->runningSegments(), 7); // paused, not dropped
        QVERIFY(m_server.requests().size() <= asked + 7);
        request->onPause(false);
        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 60000);
        QVERIFY2(request->errorText().isEmpty(), qPrintable(request->errorText()));
        QCOMPARE(request->bytesReceived(), m_stream.size());
    }

    void cancelRemovesTheSegments()
    {
        auto request = makeRequest(10, m_stream.size() / 10);
        request->start();
        QTRY_VERIFY_WITH_TIMEOUT(request->bytesReceived() > 0, 20000);
        request->onCancelDownload();
        QCOMPARE(request->runningSegments(), 0);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
    }

    void failingSegmentStopsTheRest()
    {
        QList<QUrl> urls = servePieces(m_server, m_stream, 12, "/live/");
        urls[9] = m_server.url("/live/lost.ts");
        auto request = makeRequest(urls);
        QSignalSpy failed(request.get(), &MediaFileRequestBase::error);
        request->start();
        QVERIFY(failed.wait(20000));
        // A missing segment stays missing: asked for once, not three times.
        QCOMPARE(request->errorText(),
            "Download failed: Error transferring " + urls[9].toString()
                + " - server replied: Not Found");
        QCOMPARE(request->runningSegments(), 0);
        QCOMPARE(m_server.requestCount("/live/lost.ts", "GET"), 1);
        // The segments that arrived stay for another attempt.
        QVERIFY(QFile::exists(m_dir->filePath("hls_0.ts")));
    }
};

KESTROFAN_CORE_TEST_MAIN(HlsRequestTest)
#include "tst_hlsrequest.moc"
