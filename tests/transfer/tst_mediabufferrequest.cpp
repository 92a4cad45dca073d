#include "TestEnvironment.h"
#include "TransferTestSupport.h"

#include "app/MediaDescriptor.h"
#include "download/MediaBufferRequest.h"

using namespace TransferTestSupport;

// The playback buffer: one GET into the buffer file after a HEAD, progress in tenths of a
// percent, and the one signal that enough is on disk to start playing.
class MediaBufferRequestTest : public QObject
{
    Q_OBJECT

    TestHttpServer m_server;

private slots:
    void initTestCase() { QVERIFY(m_server.start()); }

    void buffering_data()
    {
        // failure: empty: the buffer file completes
        testColumns<QString, int, QString, int>("path", "size", "failure", "bufferReadyCount");

        testRow("2 MB", "/clip.mp4", 2000000, QString(), 1);
        testRow("shorter than the buffer", "/short.mp4", 200000, QString(), 0);
        testRow("redirected twice", "/moved1", 2000000, QString(), 1);
        testRow("ranges accepted", "/ranged.mp4", 400000, QString(), 1);
        testRow(
            "not found", "/missing.mp4", 0, "Remote media file not found, got HTTP status404", 0);
        testRow("connection dropped", "/dropped.mp4", 2000000, "Download failed: ", 1);
    }

    void buffering()
    {
        auto [path, size, failure] = testFetch<QString, int, QString>("path", "size", "failure");
        const QByteArray body = patternBytes(size, quint32(size));
        TestHttpFileOptions slow;
        slow.bytesPerSecond = 8 * 1024 * 1024;
        if (path == "/dropped.mp4")
            slow.dropAfterBytes = 600000;
        if (path == "/moved1") {
            m_server.serveFile("/clip.mp4", body, "video/mp4");
            serveRedirects(m_server, "/moved", 2, m_server.url("/clip.mp4"));
        } else if (path == "/ranged.mp4") {
            m_server.answer(path,
                TestHttpResponse::bytes(body, 206)
                    .withHeader("Accept-Ranges", "bytes")
                    .withHeader("Content-Range", "bytes 0-399999/400000"));
        } else if (size > 0) {
            m_server.serveFile(path, body, "video/mp4");
            m_server.setFileOptions(path, slow);
        }

        QTemporaryDir folder;
        MediaBufferRequest request(m_server.url(path), "test", MediaDescriptor::MP4, folder.path());
        QList<QPair<qint64, int>> progress;
        connect(&request, &MediaBufferRequest::progressUpdateSignal, this, [&](int proMill) {
            progress.append({ request.bytesReceived(), proMill });
        });
        QSignalSpy finished(&request, &MediaBufferRequest::finished);
        QSignalSpy errors(&request, &MediaBufferRequest::error);
        QSignalSpy ready(&request, &MediaBufferRequest::bufferReady);
        QSignalSpy connected(&request, &MediaBufferRequest::connected);
        request.start();

        if (!failure.isEmpty()) {
            QTRY_VERIFY_WITH_TIMEOUT(
                !errors.isEmpty() && errors.last().at(0).toString().startsWith(failure), 20000);
            QVERIFY(finished.isEmpty());
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
            QCOMPARE(errors.size(), 0);
            QCOMPARE(connected.size(), 1);
            QCOMPARE(request.fileName(), folder.filePath("test.mp4"));
            QCOMPARE(readFile(request.fileName()), body);
            QVERIFY(!progress.isEmpty());
            QCOMPARE(progress.last().second, 1000);
            for (const auto& [received, proMill] : std::as_const(progress))
                QCOMPARE(proMill, int(float(received) / float(size) * 1000.0f));
        }
        QTEST(int(ready.size()), "bufferReadyCount");
        if (path == "/ranged.mp4")
            QCOMPARE(m_server.lastRequest(path).header("range"), QByteArray("bytes=0-399999"));
    }

    void cancelStopsQuietly()
    {
        m_server.serveFile("/slow.mp4", patternBytes(4000000), "video/mp4");
        TestHttpFileOptions slow;
        slow.bytesPerSecond = 512 * 1024;
        m_server.setFileOptions("/slow.mp4", slow);
        QTemporaryDir folder;
        MediaBufferRequest request(
            m_server.url("/slow.mp4"), "test", MediaDescriptor::MP4, folder.path());
        QSignalSpy connected(&request, &MediaBufferRequest::connected);
        QSignalSpy errors(&request, &MediaBufferRequest::error);
        QSignalSpy finished(&request, &MediaBufferRequest::finished);
        request.start();
        QVERIFY(connected.wait(20000));
        // Aborting ends the reply at once: whatever it would report has been reported here.
        request.cancelDownload();
        QCOMPARE(errors.size(), 0);
        QCOMPARE(finished.size(), 0);
    }
};

KESTROFAN_CORE_TEST_MAIN(MediaBufferRequestTest)
#include "tst_mediabufferrequest.moc"
