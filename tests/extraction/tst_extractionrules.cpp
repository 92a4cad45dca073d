#include "TestEnvironment.h"
#include "TestFiles.h"
#include "app/AppTestSupport.h"

#include "app/Prefs.h"
#include "download/HelperAnswerParser.h"
#include "download/HelperArguments.h"
#include "download/HelperCookieFile.h"
#include "download/MediaUrlReader.h"

using MediaDescriptor::MediaType;

namespace {

const QJsonObject kVideoFacts { { "vcodec", "avc1" }, { "height", 360 }, { "width", 640 } };
const QJsonObject kAudioFacts { { "vcodec", "none" } };

} // namespace

// The helper's command line per preference and the rules that read its JSON answer, on
// answers recorded from yt-dlp (answers/) and written here.
class TestExtractionRules : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CoreTestContext> m_core;

    struct Parsed
    {
        MediaUrls urls;
        int detectedFormat = -1;
        QString error;
        QList<QUrl> fetchedPlaylists;
    };

    // Parses a helper answer; playlists come from "playlists" by address.
    static Parsed parse(const QString& output, MediaType target = MediaDescriptor::Video,
        const QHash<QString, QString>& playlists = {})
    {
        Parsed parsed;
        HelperAnswerParser parser(target, [&parsed, &playlists](const QUrl& url) {
            parsed.fetchedPlaylists << url;
            return playlists.value(url.toString());
        });
        parser.parse(output, parsed.urls);
        parsed.detectedFormat = parser.detectedFormat();
        parsed.error = parser.errorText();
        return parsed;
    }

    static Parsed parse(const QJsonObject& answer, MediaType target = MediaDescriptor::Video,
        const QHash<QString, QString>& playlists = {})
    {
        return parse(QString::fromUtf8(QJsonDocument(answer).toJson()), target, playlists);
    }

    static QString recorded(const QString& name)
    {
        return QString::fromUtf8(readFile(QFINDTESTDATA("answers/" + name)));
    }

    static QString cdn(const QString& path)
    {
        return QStringLiteral("https://cdn.example/") + path;
    }

    // One format entry: its address, extension and any further members.
    static QJsonObject entry(const QString& url, const QString& ext, QJsonObject more = {})
    {
        more.insert("url", url);
        more.insert("ext", ext);
        return more;
    }

    static QJsonObject withFormats(const QJsonArray& formats)
    {
        return QJsonObject { { "ext", "mp4" }, { "requested_formats", formats } };
    }

    static QList<QUrl> urls(const QStringList& texts)
    {
        QList<QUrl> list;
        for (const QString& text : texts)
            list << QUrl(text);
        return list;
    }

private slots:
    void initTestCase()
    {
        m_core = std::make_unique<CoreTestContext>();
        QVERIFY(m_core->isReady());
    }

    void formatSelectorFollowsThePreferences_data()
    {
        testColumns<int, int, int, int, QString>(
            "target", "videoSize", "videoFormat", "audioConversion", "selector");
        const int video = MediaDescriptor::Video;
        const int audio = MediaDescriptor::Audio;
        testRow("mp4 medium", video, 1, 45, 1,
            "bestvideo[height<=360][ext=mp4]+bestaudio[ext=m4a]/"
            "best[ext=mp4]/best");
        testRow("preset hd1080", video, 4, 49, 2, "bestvideo[height<=1080]+bestaudio/best");
        testRow(
            "biggest", video, 5, 47, 1, "bestvideo[height<=8000][ext=webm]+bestaudio/webm/best");
        testRow("size 0", video, 0, 45, 1,
            "bestvideo[height<=480][ext=mp4]+bestaudio[ext=m4a]/"
            "best[ext=mp4]/best");
        testRow("audio always convert", audio, 5, 45, 1, "bestaudio/best");
        testRow("audio prefer aac", audio, 5, 45, 2,
            "bestaudio[ext=aac]/bestaudio[ext=m4a]/bestaudio/best");
    }

    void formatSelectorFollowsThePreferences()
    {
        auto [target, videoSize, videoFormat, audioConversion, selector]
            = testFetch<int, int, int, int, QString>(
                "target", "videoSize", "videoFormat", "audioConversion", "selector");
        PrefsSnapshot prefs;
        prefs.preferredVideoSize = videoSize;
        prefs.preferredVideoFormat = videoFormat;
        prefs.preferredAudioConversion = audioConversion;

        const QStringList arguments
            = HelperArguments::extractionArguments(QUrl("https://media.example/watch?v=a b"),
                MediaType(target), prefs, "/data/helpers/HelperCookies.txt");
        const QStringList expected { "-f", QStringLiteral("\"\"") + selector + "\"\"",
            "--dump-json", "--no-call-home", "--rm-cache-dir", "--cookies",
            "/data/helpers/HelperCookies.txt", "https://media.example/watch?v=a%20b" };
        QCOMPARE(arguments, expected);
    }

    void recordedDashAnswerGivesSeparateStreams()
    {
        const QString answer = recorded("dash-separate-streams.json");
        const Parsed video = parse(answer, MediaDescriptor::Video);
        QVERIFY2(video.error.isEmpty(), qPrintable(video.error));
        QCOMPARE(video.urls.videoUrls,
            urls({ "https://media.example/dash/init-stream0.m4s",
                "https://media.example/dash/chunk-stream0-00001.m4s" }));
        QCOMPARE(video.urls.audioUrls,
            urls({ "https://media.example/dash/init-stream1.m4s",
                "https://media.example/dash/chunk-stream1-00001.m4s" }));
        QCOMPARE(video.urls.videoFormat, int(MediaDescriptor::MP4));
        QCOMPARE(video.urls.audioFormat, int(MediaDescriptor::AAC));
        QCOMPARE(video.detectedFormat, int(MediaDescriptor::MP4));
        QVERIFY(video.fetchedPlaylists.isEmpty());

        QCOMPARE(parse(answer, MediaDescriptor::Audio).detectedFormat, int(MediaDescriptor::AAC));
    }

    void answerGivesStreams_data()
    {
        // video: addresses below cdn()
        testColumns<QJsonObject, QStringList, QStringList, int>(
            "answer", "video", "audio", "format");
        const int mp4 = MediaDescriptor::MP4;
        const QStringList none;
        const QStringList clip { "s.mp4" };
        const auto single = [](const QJsonObject& facts, const char* ext = "mp4") {
            return entry(cdn("s.mp4"), ext, facts);
        };
        testRow(
            "vcodec none", single({ { "vcodec", "none" }, { "height", 720 } }), none, clip, mp4);
        testRow("no size keys", single({ { "vcodec", "avc1" } }), none, clip, mp4);
        testRow("both sizes null",
            single({ { "height", QJsonValue::Null }, { "width", QJsonValue::Null } }), none, clip,
            mp4);
        testRow(
            "height null, no width", single({ { "height", QJsonValue::Null } }), clip, none, mp4);
        testRow("width only", single({ { "width", 640 } }), clip, none, mp4);
        testRow("vcodec null with size",
            single({ { "vcodec", QJsonValue::Null }, { "height", 240 }, { "width", 320 } }), clip,
            none, mp4);
        testRow("unknown extension", single(kVideoFacts, "ogg"), clip, none, -1);
        QJsonObject combined = single(kVideoFacts, "webm");
        combined.insert("requested_formats", QJsonArray {});
        testRow(
            "combined, empty requested_formats", combined, clip, none, int(MediaDescriptor::WebM));

        QJsonObject based = kVideoFacts;
        based.insert("fragment_base_url", cdn("dash/"));
        based.insert("fragments",
            QJsonArray {
                QJsonObject { { "path", "a.m4s" } }, QJsonObject { { "path", "b.m4s" } } });
        // No fragments: the base itself is the stream.
        QJsonObject baseOnly = kAudioFacts;
        baseOnly.insert("fragment_base_url", cdn("dash/audio.m4a"));
        baseOnly.insert("fragments", QJsonArray {});
        const QJsonObject dash = withFormats(
            { entry(cdn("m.mpd"), "mp4", based), entry(cdn("m.mpd"), "m4a", baseOnly) });
        testRow("fragments below a base", dash, QStringList { "dash/a.m4s", "dash/b.m4s" },
            QStringList { "dash/audio.m4a" }, mp4);
        // Without a base, fragments are fetched as they stand, never the manifest.
        QJsonObject own = kVideoFacts;
        own.insert("fragments",
            QJsonArray {
                QJsonObject { { "url", cdn("1.m4s") } }, QJsonObject { { "url", cdn("2.m4s") } } });
        testRow("fragments with own addresses", entry(cdn("m.mpd"), "mp4", own),
            QStringList { "1.m4s", "2.m4s" }, none, mp4);
        // A playlist that cannot be fetched leaves the playlist itself as the stream.
        testRow("playlist not fetched", entry(cdn("gone.m3u8"), "mp4", kVideoFacts),
            QStringList { "gone.m3u8" }, none, mp4);
        testRow("same address stays in the video list only",
            withFormats({ entry(cdn("same.mp4"), "m4a", kAudioFacts),
                entry(cdn("same.mp4"), "mp4", kVideoFacts),
                entry(cdn("other.m4a"), "m4a", kAudioFacts) }),
            QStringList { "same.mp4" }, QStringList { "other.m4a" }, mp4);
    }

    void answerGivesStreams()
    {
        auto [answer, video, audio, format] = testFetch<QJsonObject, QStringList, QStringList, int>(
            "answer", "video", "audio", "format");
        const auto onCdn = [](QStringList paths) {
            for (QString& path : paths)
                path = cdn(path);
            return urls(paths);
        };
        const Parsed parsed = parse(answer);
        QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
        QCOMPARE(parsed.urls.videoUrls, onCdn(video));
        QCOMPARE(parsed.urls.audioUrls, onCdn(audio));
        QCOMPARE(parsed.detectedFormat, format);
    }

    void streamHeadersComeWithEachStream()
    {
        QJsonObject video = kVideoFacts;
        video.insert("http_headers",
            QJsonObject { { "Referer", "https://site.example/watch" }, { "Bad Name", "x" },
                { "X-Split", "a\r\nInjected: 1" } });
        QJsonObject answer = withFormats(
            { entry(cdn("v.mp4"), "mp4", video), entry(cdn("a.m4a"), "m4a", kAudioFacts) });
        // An entry without its own headers takes those of the whole answer.
        answer.insert("http_headers", QJsonObject { { "Origin", "https://site.example" } });
        const Parsed parsed = parse(answer);
        QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
        const HttpSemantics::HeaderList videoHeaders { { "Referer",
            "https://site.example/watch" } };
        const HttpSemantics::HeaderList audioHeaders { { "Origin", "https://site.example" } };
        QCOMPARE(parsed.urls.videoHeaders, videoHeaders);
        QCOMPARE(parsed.urls.audioHeaders, audioHeaders);
    }

    void hlsPlaylistsAreFetchedAndSplit()
    {
        const QString answer = recorded("hls-playlist.json");
        const QString playlistUrl = "https://media.example/hls/index.m3u8";
        const QHash<QString, QString> playlists { { playlistUrl,
            "#EXTM3U\r\n#EXTINF:1.0,\r\nseg0.ts\r\n\r\n#EXTINF:1.0,\nseg1.ts?x=1\n"
            "https://other.example/abs.ts\n/root/seg3.ts\n" } };
        Parsed parsed = parse(answer, MediaDescriptor::Video, playlists);
        QCOMPARE(parsed.fetchedPlaylists, urls({ playlistUrl }));
        QCOMPARE(parsed.urls.videoUrls + parsed.urls.audioUrls,
            urls({ "https://media.example/hls/seg0.ts", "https://media.example/hls/seg1.ts?x=1",
                "https://other.example/abs.ts", "https://media.example/root/seg3.ts" }));

        // The base ends at the playlist's folder even when the query holds a '/'.
        QCOMPARE(HelperAnswerParser::playlistSegments(
                     QUrl(cdn("live/index.m3u8?token=1/2")), QStringLiteral("s.ts")),
            urls({ cdn("live/s.ts") }));
    }

    void badAnswersGiveTheirErrors()
    {
        Parsed parsed = parse("[generic] reason one\nsecond line");
        QCOMPARE(parsed.error, "[generic] reason one");

        parsed = parse("[{\"url\": \"x\"}]");
        QCOMPARE(parsed.error, "JSON response from youtube-dl could not be read");

        // A failing entry does not stop the next one.
        parsed = parse(withFormats({ QJsonValue::Null, entry(cdn("v.mp4"), "mp4", kVideoFacts) }));
        QCOMPARE(parsed.error, "format entry was empty");
        QCOMPARE(parsed.urls.videoUrls.size(), 1);

        parsed = parse(withFormats({ QJsonObject { { "ext", "mp4" } } }));
        QCOMPARE(
            parsed.error, "requested_formats[].url attribute not found in youtube-dl response");

        // Streams are web addresses only: a page cannot make a download read local files.
        parsed = parse(entry("file:///etc/passwd", "mp4", kVideoFacts));
        QCOMPARE(
            parsed.error, "Unsupported stream address in youtube-dl response: file:///etc/passwd");
        QVERIFY(parsed.urls.videoUrls.isEmpty());
    }

    void warningsBeforeTheJsonAreDropped()
    {
        QCOMPARE(MediaUrlReader::trimHelperOutput(
                     "  WARNING: [generic] Falling back\nWARNING: again\n{\"a\": 1}\n"),
            "{\"a\": 1}");
        QCOMPARE(MediaUrlReader::trimHelperOutput("ERROR: no json here\n"), "ERROR: no json here");
        // Only the helper's own prefixes are dropped.
        QCOMPARE(MediaUrlReader::trimHelperOutput("warning: {x}"), "warning: {x}");
        // A recorded answer after a warning reads cleanly (no picture size: audio-only).
        const Parsed parsed
            = parse(MediaUrlReader::trimHelperOutput(recorded("page-with-warning.txt")));
        QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
        QCOMPARE(parsed.urls.audioUrls, urls({ "https://media.example/clip.mp4" }));
    }

    void helperCookieFileIsRead()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + "/cookies.txt";
        QVERIFY(writeFile(path,
            "# Netscape HTTP Cookie File\n\n"
            ".example.com\tTRUE\t/\tFALSE\t0\tsession\tabc\r\n"
            "#HttpOnly_.example.com\tTRUE\t/\tTRUE\t1999999999\tsecure\t\n"
            "short\tline\n"));
        const QList<QNetworkCookie> cookies = HelperCookieFile::read(path);
        QCOMPARE(cookies.size(), 2);
        // Not secure, not HttpOnly, no expiry: the raw form names none of them.
        QCOMPARE(cookies.at(0).toRawForm(), "session=abc; domain=.example.com; path=/");
        const QNetworkCookie& secure = cookies.at(1);
        QVERIFY(secure.isHttpOnly() && secure.isSecure() && secure.value().isEmpty());
        QCOMPARE(secure.expirationDate(), QDateTime::fromSecsSinceEpoch(1999999999));

        QVERIFY(HelperCookieFile::read(dir.path() + "/missing.txt").isEmpty());
    }
};

KESTROFAN_CORE_TEST_MAIN(TestExtractionRules)
#include "tst_extractionrules.moc"
