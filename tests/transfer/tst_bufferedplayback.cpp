#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TestHttpServer.h"
#include "TestProcess.h"
#include "app/AppTestSupport.h"

#include "core/AppContext.h"
#include "download/BufferedPlayback.h"
#include "download/HelperRegistration.h"
#include "services/MediaItem.h"

#include <QDesktopServices>

// Playback without a download: yt-dlp finds the stream of a page on 127.0.0.1, the first
// stream is buffered, and the player (a script that keeps what it was given, or the desktop's
// handler) gets the buffer file; the buffer goes when the playback does.
class BufferedPlaybackTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CoreTestContext> m_core;
    TestHttpServer m_server;
    QTemporaryDir m_folder;
    QList<QUrl> m_handed;

    BufferedPlayback* playback(const QString& player, QObject* parent)
    {
        JobSettings settings;
        settings.temporaryDirectory = m_folder.filePath("tmp");
        // yt-dlp may list a stream of unknown picture size as audio.
        settings.conversion.player.videoPlayerApp = player;
        settings.conversion.player.audioPlayerApp = player;
        return new BufferedPlayback(
            AppContext::helperRegistry(), AppContext::processPool(), settings, parent);
    }

    static MediaItem itemOf(const QUrl& page)
    {
        MediaItem item;
        item.setPermaUrl(page.toString());
        return item;
    }

public slots:
    void handOver(const QUrl& url) { m_handed.append(url); }

private slots:
    void initTestCase()
    {
        if (!mediaToolsForLocalServer())
            QSKIP("yt-dlp and ffmpeg are needed");
        m_core = std::make_unique<CoreTestContext>();
        QVERIFY(m_core->isReady());
        QStringList report;
        QString error;
        QVERIFY2(HelperRegistration().run(&report, &error), qPrintable(error));
        m_core->context()->createServiceRegistries();

        // One clip shorter than the buffer, one well beyond it.
        QVERIFY(TestProcess::ffmpeg({ "-f", "lavfi", "-i", "testsrc=size=64x48:rate=10:duration=1",
                                        "-c:v", "libx264", "-pix_fmt", "yuv420p", "short.mp4" },
            m_folder.path()));
        QVERIFY(
            TestProcess::ffmpeg({ "-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=3",
                                    "-c:v", "mpeg4", "-q:v", "1", "long.mp4" },
                m_folder.path()));
        QVERIFY(m_server.start());
        for (const char* clip : { "short", "long" }) {
            const QString file = QStringLiteral("%1.mp4").arg(clip);
            m_server.serveFileFromDisk("/" + file, m_folder.filePath(file), "video/mp4");
            m_server.serveVideoPage(QStringLiteral("/%1.html").arg(clip), clip, "/" + file);
        }
        QDesktopServices::setUrlHandler("file", this, "handOver");
    }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler("file"); }

    void playsTheBufferedStream_data()
    {
        testColumns<QString, bool>("clip", "configuredPlayer");
        testRow("short clip, player", "short", true);
        testRow("long clip, player", "long", true);
        testRow("short clip, desktop handler", "short", false);
    }

    void playsTheBufferedStream()
    {
        auto [clip, configuredPlayer] = testFetch<QString, bool>("clip", "configuredPlayer");
        const QString player = m_folder.filePath("player.sh");
        // Copies what it was given, then says which file that was.
        QVERIFY(writeExecutable(
            player, "#!/bin/sh\ncat \"$1\" > \"$0.copy\"\nprintf '%s' \"$1\" > \"$0.given\"\n"));
        QFile::remove(player + ".given");
        m_handed.clear();

        QObject owner;
        BufferedPlayback* playing = playback(configuredPlayer ? player : QString(), &owner);
        QSignalSpy started(playing, &BufferedPlayback::playing);
        QSignalSpy errors(playing, &BufferedPlayback::error);
        playing->start(itemOf(m_server.url("/" + clip + ".html")));
        QTRY_VERIFY_WITH_TIMEOUT(!started.isEmpty() || !errors.isEmpty(), 30000);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.value(0).value(0).toString()));
        const QString buffer = started.first().first().toString();
        QCOMPARE(buffer, playing->bufferFile());
        QVERIFY(buffer.startsWith(m_folder.filePath("tmp") + "/playback-"));

        const QByteArray served = readFile(m_folder.filePath(clip + ".mp4"));
        QByteArray handedOver;
        if (configuredPlayer) {
            QTRY_COMPARE_WITH_TIMEOUT(readFile(player + ".given"), buffer.toUtf8(), 10000);
            handedOver = readFile(player + ".copy");
        } else {
            QCOMPARE(m_handed, QList<QUrl> { QUrl::fromLocalFile(buffer) });
            handedOver = readFile(buffer);
        }
        // A short clip is handed over complete; a long one while it grows, with most of the
        // first 300000 bytes on disk (the file's own write buffer may hold back the rest).
        if (clip == "short")
            QCOMPARE(handedOver.size(), served.size());
        else
            QVERIFY2(handedOver.size() > 200000, qPrintable(QString::number(handedOver.size())));
        QCOMPARE(handedOver, served.left(handedOver.size()));

        delete playing;
        QVERIFY(!QFile::exists(buffer));
    }

    void failuresAreToldAndLeaveNoBuffer_data()
    {
        testColumns<QString>("page");
        testRow("stream missing", "/gone.html");
        testRow("player missing", "/short.html");
    }

    void failuresAreToldAndLeaveNoBuffer()
    {
        QFETCH(QString, page);
        m_server.serveVideoPage("/gone.html", "gone", "/missing.mp4");
        QObject owner;
        BufferedPlayback* playing = playback(m_folder.filePath("never.sh"), &owner);
        QSignalSpy errors(playing, &BufferedPlayback::error);
        playing->start(itemOf(m_server.url(page)));
        QTRY_COMPARE_WITH_TIMEOUT(errors.size(), 1, 30000);
        QVERIFY(!errors.first().first().toString().isEmpty());
        QVERIFY(!playing->hasStartedPlayer());
        QCOMPARE(QDir(m_folder.filePath("tmp")).entryList(QDir::Files), QStringList());
        // Nothing more is said about it.
        QTest::qWait(200);
        QCOMPARE(errors.size(), 1);
    }
};

KESTROFAN_CORE_TEST_MAIN(BufferedPlaybackTest)
#include "tst_bufferedplayback.moc"
