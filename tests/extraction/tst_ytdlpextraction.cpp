#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TestHttpServer.h"
#include "TestProcess.h"
#include "app/AppTestSupport.h"

#include "app/Prefs.h"
#include "core/AppContext.h"
#include "download/BinaryHelpers.h"
#include "download/HelperRegistration.h"
#include "download/MediaUrlReader.h"

#include <csignal>

using MediaDescriptor::MediaType;

// Extraction with the system's yt-dlp on media that ffmpeg makes here and a server on
// 127.0.0.1 serves: a direct file, a page with a <video> element, an HLS playlist and a
// DASH manifest with separate audio and video; and "kestrofan-cli extract" as a script runs it.
class TestYtDlpExtraction : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CoreTestContext> m_core;
    TestHttpServer m_server;
    QTemporaryDir m_media;
    QStringList m_hlsSegments;

    static ProgramRun cli(const QStringList& arguments)
    {
        return TestProcess::run(KESTROFAN_CLI_PATH, arguments);
    }

    // Whether any process runs with this text in its command line.
    static bool isRunning(const QString& marker)
    {
        for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
            if (readFile("/proc/" + pid + "/cmdline").contains(marker.toUtf8()))
                return true;
        }
        return false;
    }

    QList<QUrl> serverUrls(const QStringList& paths) const
    {
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << m_server.url(path);
        return urls;
    }

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
        QVERIFY(AppContext::helperRegistry()->helpers().contains(1));

        const QStringList sources = QStringLiteral(
            "-f lavfi -i testsrc=size=64x48:rate=10:duration=2 -f lavfi -i "
            "sine=frequency=440:duration=2 -c:v libx264 -g 5 -pix_fmt yuv420p -c:a aac")
                                        .split(QLatin1Char(' '));
        QDir(m_media.path()).mkpath("hls");
        QDir(m_media.path()).mkpath("dash");
        QVERIFY(TestProcess::ffmpeg(sources + QStringList { "clip.mp4" }, m_media.path()));
        QVERIFY(TestProcess::ffmpeg(sources
                + QStringLiteral("-f hls -hls_time 0.5 -hls_list_size 0 -hls_segment_filename "
                                 "hls/seg%d.ts hls/index.m3u8")
                      .split(QLatin1Char(' ')),
            m_media.path()));
        QVERIFY(TestProcess::ffmpeg(sources
                + QStringList { "-map", "0:v", "-map", "1:a", "-f", "dash", "-adaptation_sets",
                    "id=0,streams=v id=1,streams=a", "dash/manifest.mpd" },
            m_media.path()));

        for (const QByteArray& line : readFile(m_media.filePath("hls/index.m3u8")).split('\n')) {
            if (!line.isEmpty() && !line.startsWith('#'))
                m_hlsSegments << QStringLiteral("/hls/") + QString::fromUtf8(line);
        }
        QVERIFY2(m_hlsSegments.size() >= 2, "the playlist should have several segments");

        QVERIFY(m_server.start());
        m_server.serveFileFromDisk("/clip.mp4", m_media.filePath("clip.mp4"), "video/mp4");
        m_server.answer("/page.html",
            TestHttpServer::Response::text("<html><head><title>Clip page</title></head><body>"
                                           "<video src=\"/clip.mp4\"></video></body></html>",
                200, "text/html; charset=utf-8")
                .withHeader("Set-Cookie", "visitor=abc123; Path=/"));
        m_server.serveMediaFolder("/hls", m_media.filePath("hls"));
        m_server.serveMediaFolder("/dash", m_media.filePath("dash"));
    }

    void extractsServedMedia_data()
    {
        testColumns<QString, int, QStringList, QStringList>(
            "path", "target", "videoPaths", "audioPaths");
        // Streams that may land in either list: the helper reports no picture size for them.
        testColumns<QStringList, int>("eitherPaths", "detectedFormat");
        const QStringList none;
        const QStringList clip { "/clip.mp4" };
        const QStringList dashVideo { "/dash/init-stream0.m4s", "/dash/chunk-stream0-00001.m4s" };
        const QStringList dashAudio { "/dash/init-stream1.m4s", "/dash/chunk-stream1-00001.m4s" };
        const int video = MediaDescriptor::Video;
        const int mp4 = MediaDescriptor::MP4;
        testRow("direct file", "/clip.mp4", video, none, none, clip, mp4);
        testRow("video element", "/page.html", video, none, none, clip, mp4);
        testRow("hls", "/hls/index.m3u8", video, none, none, m_hlsSegments, mp4);
        testRow("dash video", "/dash/manifest.mpd", video, dashVideo, dashAudio, none, mp4);
        testRow("dash audio", "/dash/manifest.mpd", int(MediaDescriptor::Audio), none, dashAudio,
            none, int(MediaDescriptor::AAC));
    }

    void extractsServedMedia()
    {
        auto [path, target, videoPaths, audioPaths, eitherPaths, detectedFormat]
            = testFetch<QString, int, QStringList, QStringList, QStringList, int>(
                "path", "target", "videoPaths", "audioPaths", "eitherPaths", "detectedFormat");
        MediaUrlReader reader(AppContext::helperRegistry(), Prefs::snapshot(), QString {});
        const MediaUrls urls = reader.getMediaUrls(m_server.url(path), MediaType(target));
        QVERIFY2(reader.errorText().isEmpty(), qPrintable(reader.errorText()));
        if (eitherPaths.isEmpty()) {
            QCOMPARE(urls.videoUrls, serverUrls(videoPaths));
            QCOMPARE(urls.audioUrls, serverUrls(audioPaths));
        } else {
            QCOMPARE(urls.videoUrls + urls.audioUrls, serverUrls(eitherPaths));
        }
        QCOMPARE(reader.detectedFormat(), detectedFormat);
    }

    void cookiesTheHelperKept()
    {
        MediaUrlReader reader(AppContext::helperRegistry(), Prefs::snapshot(), QString {});
        const MediaUrls urls
            = reader.getMediaUrls(m_server.url("/page.html"), MediaDescriptor::Video);
        QStringList cookies;
        for (const QNetworkCookie& cookie : urls.cookies)
            cookies << QString::fromUtf8(cookie.name() + '=' + cookie.value());
        QVERIFY2(cookies.contains("visitor=abc123"), qPrintable(cookies.join(QLatin1Char(','))));
    }

    void missingPageGivesTheHelpersReason()
    {
        MediaUrlReader reader(AppContext::helperRegistry(), Prefs::snapshot(), QString {});
        const MediaUrls urls
            = reader.getMediaUrls(m_server.url("/nothing-here.html"), MediaDescriptor::Video);
        QVERIFY(urls.videoUrls.isEmpty() && urls.audioUrls.isEmpty());
        QVERIFY2(reader.errorText().contains("404"), qPrintable(reader.errorText()));
        QVERIFY(!reader.errorText().contains("ERROR: "));
        QVERIFY(!reader.errorText().contains(QLatin1Char('\n')));
    }

    void extractCommandForMachinesAndPeople()
    {
        QCOMPARE(cli({ "setup" }).exitCode, 0);
        const QString clip = m_server.url("/clip.mp4").toString();
        ProgramRun run
            = cli({ "extract", "--json", "--video", m_server.url("/page.html").toString() });
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        const QJsonObject result = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QVERIFY(result.value("ok").toBool());
        QCOMPARE(result.value("targetTypeName").toString(), "video");
        QCOMPARE(result.value("detectedFormatName").toString(), "MP4");
        QCOMPARE(result.value("videoUrls").toArray().toVariantList()
                + result.value("audioUrls").toArray().toVariantList(),
            QVariantList { clip });

        run = cli({ "extract", "--audio", clip });
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY(run.out.contains("Target: audio"));
        QVERIFY(run.out.contains("Audio URLs: 1, format MP4 (45)"));
        QVERIFY(run.out.contains("  " + clip));

        run = cli({ "extract", m_server.url("/missing.html").toString() });
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("HTTP Error 404"), qPrintable(run.err));
        QCOMPARE(cli({ "extract", "--audio", "--video", clip }).exitCode, 2);
        QCOMPARE(cli({ "extract", "--", "--exec=true" }).exitCode, 2);
    }

    void interruptingTheCommandEndsTheHelper()
    {
        // A page that never comes: the helper waits on it.
        m_server.answer("/stalled.html", TestHttpServer::Response::text("<html>").stallingAfter(0));
        QProcess tool;
        tool.start(KESTROFAN_CLI_PATH,
            { "extract", m_server.url("/stalled.html?interrupt-marker").toString() });
        QVERIFY(tool.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(m_server.requestCount("/stalled.html") > 0, 30000);
        QElapsedTimer ending;
        ending.start();
        ::kill(pid_t(tool.processId()), SIGINT);
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.exitCode(), 128 + SIGINT);
        QVERIFY(ending.elapsed() < 5000);
        QVERIFY(!isRunning("interrupt-marker"));
    }
};

KESTROFAN_CORE_TEST_MAIN(TestYtDlpExtraction)
#include "tst_ytdlpextraction.moc"
