#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TestProcess.h"
#include "app/AppTestSupport.h"

#include "app/DbConnection.h"
#include "app/MediaDescriptor.h"
#include "convert/AudioConverter.h"
#include "convert/VideoConverter.h"
#include "download/FfmpegExecutable.h"

#include <QSqlQuery>
#include <QtConcurrent>

#include <sys/stat.h>

using namespace MediaDescriptor;

namespace {

const QString kSource = "http://127.0.0.1/watch?v=42";
// Where a job leaves its download: named after the page address's digest, no extension.
const QString kDownload = "1b2c3d4e5f60718293a4b5c6d7e8f901";

// One conversion as a download job asks for it.
struct Conversion
{
    QString clip; // under the clips folder; empty: no input file at all
    int mediaType = Video;
    int format = MP4;
    bool audioOnly = false;
    int preferredAudio = MP3;
    int preferredVideo = MP4;
    int audioConversion = 1;
    QString title = "Band - Song";
};

} // namespace
Q_DECLARE_METATYPE(Conversion)

// The converters with Debian's ffmpeg on clips it makes, run on a worker thread as the
// download job runs them; results read back with ffprobe.
class ConvertersTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_clips;
    std::unique_ptr<QTemporaryDir> m_media;
    DbConnection m_db;

    QString media(const QString& name = QString()) const { return m_media->filePath(name); }
    QString input() const { return media("tmp/" + kDownload); }

    // Places the clip where a job leaves its download and runs the converter on a worker.
    QString convert(const Conversion& c, QStringList* errors)
    {
        if (!c.clip.isEmpty() && !QFile::exists(input()))
            QFile::copy(m_clips.filePath(c.clip), input());
        ConversionItem item { c.title, c.mediaType, c.format, 128, "A clip", kSource, 1 };
        ConversionOptions options;
        options.preferredAudioFormat = c.preferredAudio;
        options.preferredVideoFormat = c.preferredVideo;
        options.preferredAudioConversion = c.audioConversion;
        options.threads = 2;
        options.mediaPath = media();
        options.ffmpegPath = FfmpegExecutable::ffmpegPath();
        options.player.addAudioToPlaylist = options.player.addVideoToPlaylist = true;
        options.player.audioPlaylistName = options.player.videoPlaylistName = "list";
        options.player.playlistDirectory = media("playlists");
        std::unique_ptr<MediaConverter> converter;
        if (c.mediaType == Audio)
            converter = std::make_unique<AudioConverter>(item, input(), c.audioOnly, options);
        else
            converter = std::make_unique<VideoConverter>(item, input(), options);
        QSignalSpy spy(converter.get(), &MediaConverter::errorSignal);
        const QString result = QtConcurrent::run([&] { return converter->convert(); }).result();
        for (const QList<QVariant>& signal : std::as_const(spy))
            *errors << signal.at(0).toString();
        return result;
    }

    static QJsonObject probe(const QString& path)
    {
        const ProgramRun run = TestProcess::run(FfmpegExecutable::ffprobePath(),
            { "-v", "error", "-show_entries", "stream=codec_name,width,r_frame_rate:format_tags",
                "-of", "json", path });
        return QJsonDocument::fromJson(run.out.toUtf8()).object();
    }

    // Regular files in the folder, hidden ones included.
    static QStringList filesIn(const QString& folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    void insertPreset(
        const QString& table, int id, const QString& arguments, const QString& extension)
    {
        QSqlQuery query(m_db.connection());
        QVERIFY(query.exec(QStringLiteral("INSERT OR REPLACE INTO %1 (id, name, ffmpeg_args, "
                                          "extension) VALUES (%2, 'test', '%3', '%4')")
                               .arg(table)
                               .arg(id)
                               .arg(arguments, extension)));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(AppTestSupport::installDatabase());
        QVERIFY(TestProcess::ffmpeg({ "-f", "lavfi", "-i", "testsrc=size=64x48:rate=60", "-f",
            "lavfi", "-i", "sine=d=1", "-t", "1", "-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a",
            "aac", "-shortest", m_clips.filePath("av60.mp4") }));
        QVERIFY(TestProcess::ffmpeg({ "-i", m_clips.filePath("av60.mp4"), "-c", "copy", "-movflags",
            "+faststart", m_clips.filePath("av60-index-first.mp4") }));
        QVERIFY(TestProcess::ffmpeg(
            { "-f", "lavfi", "-i", "sine=d=1", "-c:a", "aac", m_clips.filePath("tone.m4a") }));
        QVERIFY(writeFile(
            m_clips.filePath("garbage.mp4"), QByteArray("no media in here ").repeated(1000)));
        insertPreset("audio_conversions", 90, "-y -i {input} -vn out.mp3", "mp3");
        insertPreset("audio_conversions", 91, "-y -i {input} -f null {output}", "mp3");
        insertPreset("audio_conversions", 92, "-y -i {input} -acodec nosuchcodec {output}", "mp3");
        insertPreset("video_conversions", 93, "-i {input} -y -c:v nosuchcodec {output}", "mp4");
    }

    void init()
    {
        m_media = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(media("tmp")));
    }

    void conversions_data()
    {
        testColumns<Conversion, QString, QString, int, QString, QString, QString>(
            "conversion", "fileName", "codecs", "width", "frameRate", "artist", "title");

        const Conversion video { "av60.mp4", Video, MP4 };
        testRow("video kept as MP4", video, "Band - Song.mp4", "h264,aac", 64, "60/1", QString(),
            "Band - Song");
        Conversion device = video;
        device.preferredVideo = 4;
        device.title = "Clip: part 1/2";
        testRow("phone preset, 60 fps limited", device, "Clip part 1 2.mp4", "h264,aac", 480,
            "25/1", QString(), "Clip: part 1/2");
        Conversion divx = video;
        divx.preferredVideo = DivX;
        testRow("DivX", divx, "Band - Song.avi", "mpeg4,mp3", 64, "25/1", QString(), "Band - Song");
        const Conversion mp3 { "av60.mp4", Audio, MP4 };
        testRow("video to MP3", mp3, "Band - Song.mp3", "mp3", 0, QString(), "Band", "Song");
        Conversion kept { "tone.m4a", Audio, AAC, true, MP3, MP4, 2, "Band \u2013 Tune" };
        testRow("audio-only AAC kept", kept, "Band \u2013 Tune.m4a", "aac", 0, QString(), "Band",
            "Tune");
        Conversion copied = kept;
        copied.audioOnly = false;
        copied.title = "Solo_Tune";
        testRow("AAC stream copied", copied, "Solo_Tune.m4a", "aac", 0, QString(), "Unknown",
            "Solo Tune");
    }

    void conversions()
    {
        auto [conversion, fileName] = testFetch<Conversion, QString>("conversion", "fileName");
        QStringList errors;
        const QString result = convert(conversion, &errors);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        QCOMPARE(result, media(fileName));
        // The download is used up, and no staged file is left behind.
        QCOMPARE(filesIn(media("tmp")), QStringList());
        QCOMPARE(filesIn(media()), QStringList { fileName });

        const QJsonObject info = probe(result);
        QStringList codecs;
        for (const QJsonValue& stream : info["streams"].toArray()) {
            codecs << stream["codec_name"].toString();
            if (stream.toObject().contains("width")) {
                QTEST(stream["width"].toInt(), "width");
                QTEST(stream["r_frame_rate"].toString(), "frameRate");
            }
        }
        QTEST(codecs.join(','), "codecs");
        const QJsonObject tags = info["format"]["tags"].toObject();
        QTEST(tags["title"].toString(), "title");
        QTEST(tags["artist"].toString(), "artist");
        QVERIFY2(
            tags["comment"].toString().contains(kSource), qPrintable(tags["comment"].toString()));

        QVERIFY(readFile(media("playlists/list.m3u")).endsWith(result.toUtf8() + '\n'));
    }

    // A kept MP4 with its index at the end gets its tags where it lies (same file, nothing
    // copied); one with its index first is copied by ffmpeg. Both end up with the same tags.
    void keptVideoTags_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<bool>("inPlace");
        QTest::newRow("index last") << "av60.mp4" << true;
        QTest::newRow("index first") << "av60-index-first.mp4" << false;
    }

    void keptVideoTags()
    {
        QFETCH(QString, clip);
        QFETCH(bool, inPlace);
        QVERIFY(QFile::copy(m_clips.filePath(clip), input()));
        const auto inode = [](const QString& path) {
            struct stat status = {};
            return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
        };
        const auto downloaded = inode(input());
        QStringList errors;
        const QString result
            = convert({ clip, Video, MP4, false, MP3, MP4, 1, "Clip été" }, &errors);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        QCOMPARE(inode(result) == downloaded, inPlace);
        QCOMPARE(filesIn(media()), QStringList { QStringLiteral("Clip été.mp4") });
        const QJsonObject info = probe(result);
        QCOMPARE(info["streams"].toArray().size(), 2);
        const QJsonObject tags = info["format"]["tags"].toObject();
        QCOMPARE(tags["title"].toString(), QStringLiteral("Clip été"));
        QCOMPARE(tags["description"].toString(), QStringLiteral("A clip"));
        QVERIFY2(
            tags["comment"].toString().contains(kSource), qPrintable(tags["comment"].toString()));
        // The whole clip still decodes.
        const ProgramRun decode = TestProcess::run(
            FfmpegExecutable::ffmpegPath(), { "-v", "error", "-i", result, "-f", "null", "-" });
        QCOMPARE(decode.exitCode, 0);
        QCOMPARE(decode.err, QString());
    }

    void sameTitleGetsCounter()
    {
        Conversion copied { "tone.m4a", Audio, AAC, false, MP3, MP4, 2, "Tune" };
        // A link, even one that points nowhere, takes its name.
        QVERIFY(QFile::link(media("nowhere"), media("Tune-2.m4a")));
        const QStringList expected { "Tune.m4a", "Tune-1.m4a", "Tune-3.m4a" };
        for (const QString& name : expected) {
            QStringList errors;
            QCOMPARE(convert(copied, &errors), media(name));
            QVERIFY(errors.isEmpty());
        }
        QVERIFY(!QFileInfo(media("Tune-2.m4a")).exists());
    }

    void failures_data()
    {
        testColumns<Conversion, QString, QString>("conversion", "message", "inputLeft");

        // What is left of the download: as it was, or with the extension of its format.
        const QString renamed = kDownload + ".m4a";
        const QString unchanged = kDownload;
        testRow("preset without {output}", Conversion { "tone.m4a", Audio, AAC, false, 90 },
            "No placeholder found: {output}", unchanged);
        testRow("ffmpeg writes nothing", Conversion { "tone.m4a", Audio, AAC, false, 91 },
            "ffmpeg wrote no usable file", renamed);
        testRow("ffmpeg fails", Conversion { "tone.m4a", Audio, AAC, false, 92 },
            "Unknown encoder 'nosuchcodec'", renamed);
        testRow("video preset fails", Conversion { "av60.mp4", Video, MP4, false, MP3, 93 },
            "Unknown encoder 'nosuchcodec'", unchanged);
        testRow("no downloaded file", Conversion { QString(), Video, MP4, false, MP3, WebM },
            "File not found", QString());
    }

    void failures()
    {
        auto [conversion, message, inputLeft]
            = testFetch<Conversion, QString, QString>("conversion", "message", "inputLeft");
        QStringList errors;
        QCOMPARE(convert(conversion, &errors), QString());
        QCOMPARE(errors.size(), 1);
        // ffmpeg's own words are part of the message.
        QVERIFY2(errors.first().contains(message), qPrintable(errors.first()));
        // Nothing under a final name, nothing staged, the download untouched.
        QCOMPARE(filesIn(media()), QStringList());
        if (!inputLeft.isEmpty()) {
            QCOMPARE(filesIn(media("tmp")), QStringList { inputLeft });
            QCOMPARE(QFileInfo(media("tmp/" + inputLeft)).size(),
                QFileInfo(m_clips.filePath(conversion.clip)).size());
        }
    }

    void failedTaggingKeepsFile_data()
    {
        testColumns<Conversion, QString, bool>("conversion", "fileName", "reported");
        testRow("video", Conversion { "garbage.mp4", Video, MP4 }, "Band - Song.mp4", true);
        testRow("audio-only stream", Conversion { "garbage.mp4", Audio, AAC, true, MP3, MP4, 2 },
            "Band - Song.m4a", false);
    }

    void failedTaggingKeepsFile()
    {
        auto [conversion, fileName, reported]
            = testFetch<Conversion, QString, bool>("conversion", "fileName", "reported");
        if (!reported)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not tag"));
        QStringList errors;
        QCOMPARE(convert(conversion, &errors), media(fileName));
        QCOMPARE(!errors.isEmpty(), reported);
        QCOMPARE(filesIn(media()), QStringList { fileName });
        QCOMPARE(readFile(media(fileName)), readFile(m_clips.filePath("garbage.mp4")));
    }
};

KESTROFAN_CORE_TEST_MAIN(ConvertersTest)
#include "tst_converters.moc"
