#include "ExtractionFixture.h"
#include "TestEnvironment.h"
#include "TestHttpServer.h"

#include "app/AppContext.h"
#include "convert/SystemProcess.h"
#include "download/BinaryHelpers.h"
#include "download/HelperRegistration.h"
#include "download/MediaUrlReader.h"

// Extraction with the system's yt-dlp on media that ffmpeg makes here and a server on
// 127.0.0.1 serves: a direct file, a page with a <video> element, an HLS playlist and a
// DASH manifest with separate audio and video.
class TestYtDlpExtraction : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ExtractionFixture> m_fixture;
    TestHttpServer m_server;
    QTemporaryDir m_media;
    QStringList m_hlsSegments;

    bool ffmpeg(const QStringList& arguments)
    {
        SystemProcess process;
        const QString program = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
        const bool ok = process.run(program,
            QStringList { QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y") }
                + arguments,
            true);
        if (!ok || !process.output().trimmed().isEmpty())
            qWarning().noquote() << "ffmpeg:" << process.errorString() << process.output();
        return ok;
    }

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

    MediaUrls extract(
        const QString& path, MediaDescriptor::MediaType target, MediaUrlReader& reader)
    {
        return reader.getMediaUrls(m_server.url(path), target);
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

        m_fixture = std::make_unique<ExtractionFixture>();
        QVERIFY(m_fixture->isReady());
        QStringList report;
        QString error;
        QVERIFY2(HelperRegistration().run(&report, &error), qPrintable(error));
        m_fixture->context()->createServiceRegistries();
        QVERIFY(AppContext::helperRegistry()->helpers().contains(1));

        const QStringList sources { QStringLiteral("-f"), QStringLiteral("lavfi"),
            QStringLiteral("-i"), QStringLiteral("testsrc=size=64x48:rate=10:duration=2"),
            QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("sine=frequency=440:duration=2"), QStringLiteral("-c:v"),
            QStringLiteral("libx264"), QStringLiteral("-g"), QStringLiteral("5"),
            QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), QStringLiteral("-c:a"),
            QStringLiteral("aac") };
        QVERIFY(ffmpeg(sources + QStringList { m_media.filePath(QStringLiteral("clip.mp4")) }));
        QDir(m_media.path()).mkpath(QStringLiteral("hls"));
        QVERIFY(ffmpeg(sources
            + QStringList { QStringLiteral("-f"), QStringLiteral("hls"),
                QStringLiteral("-hls_time"), QStringLiteral("0.5"),
                QStringLiteral("-hls_list_size"), QStringLiteral("0"),
                QStringLiteral("-hls_segment_filename"),
                m_media.filePath(QStringLiteral("hls/seg%d.ts")),
                m_media.filePath(QStringLiteral("hls/index.m3u8")) }));
        QDir(m_media.path()).mkpath(QStringLiteral("dash"));
        QVERIFY(ffmpeg(sources
            + QStringList { QStringLiteral("-map"), QStringLiteral("0:v"), QStringLiteral("-map"),
                QStringLiteral("1:a"), QStringLiteral("-f"), QStringLiteral("dash"),
                QStringLiteral("-adaptation_sets"), QStringLiteral("id=0,streams=v id=1,streams=a"),
                m_media.filePath(QStringLiteral("dash/manifest.mpd")) }));

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
        m_server.serveFile(QStringLiteral("/page.html"),
            "<!DOCTYPE html><html><head><title>Clip page</title></head><body>"
            "<video controls width=\"64\" height=\"48\" src=\"/clip.mp4\"></video></body></html>",
            "text/html; charset=utf-8");
        m_server.route(QStringLiteral("/with-cookie.html"), [](const TestHttpServer::Request&) {
            return TestHttpServer::Response::text(
                QStringLiteral("<html><head><title>Cookie</title></head><body>"
                               "<video src=\"/clip.mp4\"></video></body></html>"),
                200, "text/html; charset=utf-8")
                .withHeader("Set-Cookie", "visitor=abc123; Path=/");
        });
        serveFolder(QStringLiteral("hls"));
        serveFolder(QStringLiteral("dash"));
    }

    void directFile()
    {
        MediaUrlReader reader(QString {});
        const MediaUrls urls = extract(QStringLiteral("/clip.mp4"), MediaDescriptor::Video, reader);
        QVERIFY2(reader.errorText().isEmpty(), qPrintable(reader.errorText()));
        // The helper reports no picture size for a bare file, so it counts as one stream
        // without video facts.
        QCOMPARE(urls.videoUrls + urls.audioUrls, serverUrls({ QStringLiteral("/clip.mp4") }));
        QCOMPARE(reader.detectedFormat(), int(MediaDescriptor::MP4));
    }

    void pageWithVideoElement()
    {
        MediaUrlReader reader(QString {});
        const MediaUrls urls
            = extract(QStringLiteral("/page.html"), MediaDescriptor::Video, reader);
        QVERIFY2(reader.errorText().isEmpty(), qPrintable(reader.errorText()));
        QCOMPARE(urls.videoUrls + urls.audioUrls, serverUrls({ QStringLiteral("/clip.mp4") }));
        QCOMPARE(reader.detectedFormat(), int(MediaDescriptor::MP4));
    }

    void hlsPlaylistBecomesSegments()
    {
        MediaUrlReader reader(QString {});
        const MediaUrls urls
            = extract(QStringLiteral("/hls/index.m3u8"), MediaDescriptor::Video, reader);
        QVERIFY2(reader.errorText().isEmpty(), qPrintable(reader.errorText()));
        QCOMPARE(urls.videoUrls + urls.audioUrls, serverUrls(m_hlsSegments));
    }

    void dashManifestWithSeparateStreams()
    {
        MediaUrlReader videoReader(QString {});
        const MediaUrls video
            = extract(QStringLiteral("/dash/manifest.mpd"), MediaDescriptor::Video, videoReader);
        QVERIFY2(videoReader.errorText().isEmpty(), qPrintable(videoReader.errorText()));
        QCOMPARE(video.videoUrls,
            serverUrls({ QStringLiteral("/dash/init-stream0.m4s"),
                QStringLiteral("/dash/chunk-stream0-00001.m4s") }));
        QCOMPARE(video.audioUrls,
            serverUrls({ QStringLiteral("/dash/init-stream1.m4s"),
                QStringLiteral("/dash/chunk-stream1-00001.m4s") }));
        QCOMPARE(video.videoFormat, int(MediaDescriptor::MP4));
        QCOMPARE(video.audioFormat, int(MediaDescriptor::AAC));
        QCOMPARE(videoReader.detectedFormat(), int(MediaDescriptor::MP4));

        MediaUrlReader audioReader(QString {});
        const MediaUrls audio
            = extract(QStringLiteral("/dash/manifest.mpd"), MediaDescriptor::Audio, audioReader);
        QVERIFY2(audioReader.errorText().isEmpty(), qPrintable(audioReader.errorText()));
        QVERIFY(audio.videoUrls.isEmpty());
        QCOMPARE(audio.audioUrls, video.audioUrls);
        QCOMPARE(audioReader.detectedFormat(), int(MediaDescriptor::AAC));
    }

    void cookiesTheHelperKept()
    {
        MediaUrlReader reader(QString {});
        const MediaUrls urls
            = extract(QStringLiteral("/with-cookie.html"), MediaDescriptor::Video, reader);
        QVERIFY2(reader.errorText().isEmpty(), qPrintable(reader.errorText()));
        QStringList names;
        for (const QNetworkCookie& cookie : urls.cookies)
            names << QString::fromUtf8(cookie.name() + '=' + cookie.value());
        QVERIFY2(names.contains(QStringLiteral("visitor=abc123")),
            qPrintable(names.join(QLatin1Char(','))));
    }

    void missingPageGivesTheHelpersReason()
    {
        MediaUrlReader reader(QString {});
        const MediaUrls urls
            = extract(QStringLiteral("/nothing-here.html"), MediaDescriptor::Video, reader);
        QVERIFY(urls.videoUrls.isEmpty() && urls.audioUrls.isEmpty());
        QVERIFY2(
            reader.errorText().contains(QStringLiteral("404")), qPrintable(reader.errorText()));
        QVERIFY(!reader.errorText().contains(QStringLiteral("ERROR: ")));
        QVERIFY(!reader.errorText().contains(QLatin1Char('\n')));
    }
};

KESTROFAN_CORE_TEST_MAIN(TestYtDlpExtraction)
#include "tst_ytdlpextraction.moc"
