#include "ExtractionFixture.h"
#include "TestEnvironment.h"
#include "TestHttpServer.h"
#include "TestProcess.h"

#include "app/Prefs.h"
#include "core/AppContext.h"
#include "download/BinaryHelpers.h"
#include "download/HelperRegistration.h"
#include "download/MediaUrlReader.h"

using MediaDescriptor::MediaType;

// Extraction with the system's yt-dlp on media that ffmpeg makes here and a server on
// 127.0.0.1 serves: a direct file, a page with a <video> element, an HLS playlist and a
// DASH manifest with separate audio and video.
class TestYtDlpExtraction : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CoreTestContext> m_core;
    TestHttpServer m_server;
    QTemporaryDir m_media;
    QStringList m_hlsSegments;

    // Every file below "folder" of the media folder, under the same path on the server.
    void serveFolder(const QString& folder)
    {
        const QDir dir(m_media.filePath(folder));
        for (const QString& name : dir.entryList(QDir::Files)) {
            const QByteArray type = name.endsWith(QLatin1String(".m3u8"))
                ? "application/vnd.apple.mpegurl"
                : name.endsWith(QLatin1String(".mpd")) ? "application/dash+xml"
                : name.endsWith(QLatin1String(".ts"))  ? "video/mp2t"
                                                       : "video/mp4";
            m_server.serveFileFromDisk(
                QLatin1Char('/') + folder + QLatin1Char('/') + name, dir.filePath(name), type);
        }
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
        if (QStandardPaths::findExecutable(QStringLiteral("yt-dlp")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
            QSKIP("yt-dlp and ffmpeg are needed");
        // The helper talks to the local server only, never through a proxy.
        for (const char* name :
            { "http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY" })
            qunsetenv(name);

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
        QDir(m_media.path()).mkpath(QStringLiteral("hls"));
        QDir(m_media.path()).mkpath(QStringLiteral("dash"));
        QVERIFY(TestProcess::ffmpeg(
            sources + QStringList { QStringLiteral("clip.mp4") }, m_media.path()));
        QVERIFY(TestProcess::ffmpeg(sources
                + QStringLiteral("-f hls -hls_time 0.5 -hls_list_size 0 -hls_segment_filename "
                                 "hls/seg%d.ts hls/index.m3u8")
                      .split(QLatin1Char(' ')),
            m_media.path()));
        QVERIFY(TestProcess::ffmpeg(sources
                + QStringList { QStringLiteral("-map"), QStringLiteral("0:v"),
                    QStringLiteral("-map"), QStringLiteral("1:a"), QStringLiteral("-f"),
                    QStringLiteral("dash"), QStringLiteral("-adaptation_sets"),
                    QStringLiteral("id=0,streams=v id=1,streams=a"),
                    QStringLiteral("dash/manifest.mpd") },
            m_media.path()));

        QFile playlist(m_media.filePath(QStringLiteral("hls/index.m3u8")));
        QVERIFY(playlist.open(QIODevice::ReadOnly));
        for (const QByteArray& line : playlist.readAll().split('\n')) {
            if (!line.isEmpty() && !line.startsWith('#'))
                m_hlsSegments << QStringLiteral("/hls/") + QString::fromUtf8(line);
        }
        QVERIFY2(m_hlsSegments.size() >= 2, "the playlist should have several segments");

        QVERIFY(m_server.start());
        m_server.serveFileFromDisk(
            QStringLiteral("/clip.mp4"), m_media.filePath(QStringLiteral("clip.mp4")), "video/mp4");
        m_server.route(QStringLiteral("/page.html"), [](const TestHttpServer::Request&) {
            return TestHttpServer::Response::text(
                QStringLiteral("<html><head><title>Clip page</title></head><body>"
                               "<video src=\"/clip.mp4\"></video></body></html>"),
                200, "text/html; charset=utf-8")
                .withHeader("Set-Cookie", "visitor=abc123; Path=/");
        });
        serveFolder(QStringLiteral("hls"));
        serveFolder(QStringLiteral("dash"));
    }

    void extractsServedMedia_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("target");
        QTest::addColumn<QStringList>("videoPaths");
        QTest::addColumn<QStringList>("audioPaths");
        // Streams that may land in either list: the helper reports no picture size for them.
        QTest::addColumn<QStringList>("eitherPaths");
        QTest::addColumn<int>("detectedFormat");
        const QStringList none;
        const QStringList clip { QStringLiteral("/clip.mp4") };
        const QStringList dashVideo { "/dash/init-stream0.m4s", "/dash/chunk-stream0-00001.m4s" };
        const QStringList dashAudio { "/dash/init-stream1.m4s", "/dash/chunk-stream1-00001.m4s" };
        const int video = MediaDescriptor::Video;
        const int mp4 = MediaDescriptor::MP4;
        QTest::newRow("direct file") << "/clip.mp4" << video << none << none << clip << mp4;
        QTest::newRow("video element") << "/page.html" << video << none << none << clip << mp4;
        QTest::newRow("hls") << "/hls/index.m3u8" << video << none << none << m_hlsSegments << mp4;
        QTest::newRow("dash video")
            << "/dash/manifest.mpd" << video << dashVideo << dashAudio << none << mp4;
        QTest::newRow("dash audio") << "/dash/manifest.mpd" << int(MediaDescriptor::Audio) << none
                                    << dashAudio << none << int(MediaDescriptor::AAC);
    }

    void extractsServedMedia()
    {
        QFETCH(QString, path);
        QFETCH(int, target);
        QFETCH(QStringList, videoPaths);
        QFETCH(QStringList, audioPaths);
        QFETCH(QStringList, eitherPaths);
        QFETCH(int, detectedFormat);
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
        const MediaUrls urls = reader.getMediaUrls(
            m_server.url(QStringLiteral("/page.html")), MediaDescriptor::Video);
        QStringList cookies;
        for (const QNetworkCookie& cookie : urls.cookies)
            cookies << QString::fromUtf8(cookie.name() + '=' + cookie.value());
        QVERIFY2(cookies.contains(QStringLiteral("visitor=abc123")),
            qPrintable(cookies.join(QLatin1Char(','))));
    }

    void missingPageGivesTheHelpersReason()
    {
        MediaUrlReader reader(AppContext::helperRegistry(), Prefs::snapshot(), QString {});
        const MediaUrls urls = reader.getMediaUrls(
            m_server.url(QStringLiteral("/nothing-here.html")), MediaDescriptor::Video);
        QVERIFY(urls.videoUrls.isEmpty() && urls.audioUrls.isEmpty());
        QVERIFY2(
            reader.errorText().contains(QStringLiteral("404")), qPrintable(reader.errorText()));
        QVERIFY(!reader.errorText().contains(QStringLiteral("ERROR: ")));
        QVERIFY(!reader.errorText().contains(QLatin1Char('\n')));
    }
};

KESTROFAN_CORE_TEST_MAIN(TestYtDlpExtraction)
#include "tst_ytdlpextraction.moc"
