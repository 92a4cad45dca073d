#include "TestEnvironment.h"
#include "TransferTestSupport.h"

#include "app/MediaDescriptor.h"
#include "download/AudioVideoJoiner.h"
#include "download/ConcatFileJoiner.h"
#include "download/FileConcatenator.h"
#include "download/HLSFileJoiner.h"

using namespace TransferTestSupport;

// The joiners on real files: appending parts, remuxing HLS segments and muxing separate audio
// and video with the real ffmpeg on clips it makes itself.
class JoinersTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_clips;
    std::unique_ptr<QTemporaryDir> m_work;

    QString clip(const QString& name) const { return m_clips.filePath(name); }
    QString work(const QString& name) const { return m_work->filePath(name); }
    // Part files 1..4 of "file" with distinct bytes; the third is left out when asked.
    QList<QByteArray> writeParts(QStringList* names, bool withoutThird = false)
    {
        QList<QByteArray> contents;
        for (int i = 1; i <= 4; ++i) {
            *names << work(QStringLiteral("file.part%1").arg(i));
            contents << patternBytes(100000 + i * 777, quint32(i));
            if (i != 3 || !withoutThird)
                writeFile(names->last(), contents.last());
        }
        return contents;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(makeVideo(clip("h264.mp4")));
        QVERIFY(makeTone(clip("aac.m4a"), "aac"));
        QVERIFY(makeTone(clip("vorbis.webm"), "libvorbis"));
        QVERIFY(makeTone(clip("mp3.mp3"), "libmp3lame"));
        QVERIFY(makeTone(clip("aac.ts"), "aac"));
        const QStringList picture { "-f", "lavfi", "-i", "testsrc=size=64x48:rate=10", "-t", "1" };
        QVERIFY(makeClip(picture + QStringList { "-c:v", "libvpx" }, clip("vp8.webm")));
        QVERIFY(makeClip(picture + QStringList { "-c:v", "flv1" }, clip("flv1.flv")));
        QVERIFY(makeClip(picture
                + QStringList { "-f", "lavfi", "-i", "sine=d=1", "-c:v", "libx264", "-pix_fmt",
                    "yuv420p", "-c:a", "aac", "-t", "1" },
            clip("av.ts")));
    }

    void init() { m_work = std::make_unique<QTemporaryDir>(); }

    void concatenation()
    {
        QStringList parts;
        const QList<QByteArray> contents = writeParts(&parts);
        QVERIFY(writeFile(work("file.part"), "stale result of an earlier run"));
        ConcatFileJoiner joiner;
        QCOMPARE(joiner.join(parts, work("file.part")), work("file.part"));
        QVERIFY(joiner.errorText().isEmpty());
        QCOMPARE(readFile(work("file.part")), contents.join());
        for (const QString& part : std::as_const(parts))
            QVERIFY2(!QFile::exists(part), qPrintable(part));

        // One part is the result as it is.
        QVERIFY(writeFile(work("single"), "whole file"));
        QCOMPARE(joiner.join({ work("single") }, work("single.part")), work("single"));
        QVERIFY(!QFile::exists(work("single.part")));
        QCOMPARE(readFile(work("single")), QByteArray("whole file"));
    }

    void concatenationWithMissingPartChangesNothing()
    {
        QStringList parts;
        const QList<QByteArray> contents = writeParts(&parts, true);
        ConcatFileJoiner joiner;
        QVERIFY(joiner.join(parts, work("file.part")).isEmpty());
        QCOMPARE(joiner.errorText(), "Could not join file parts");
        QVERIFY(!QFile::exists(work("file.part")));
        for (int i : { 0, 1, 3 })
            QCOMPARE(readFile(parts.at(i)), contents.at(i));
        QVERIFY(joiner.join({}, work("x")).isEmpty());
        QVERIFY(!FileConcatenator::concatenate({}, work("x")));
    }

    void hlsJoinerRemuxesIntoTheFormatsContainer_data()
    {
        testColumns<QString, int, QString, bool, QStringList>(
            "source", "format", "extension", "adtsFilter", "codecs");
        const QStringList both { "h264", "aac" };
        testRow("MP4", QString("av.ts"), int(MediaDescriptor::MP4), QString("mp4"), false, both);
        testRow("AAC", QString("aac.ts"), int(MediaDescriptor::AAC), QString("m4a"), true,
            QStringList { "aac" });
        testRow("unknown format", QString("av.ts"), -1, QString("mkv"), false, both);
    }

    void hlsJoinerRemuxesIntoTheFormatsContainer()
    {
        auto [source, format, extension, adtsFilter, codecs]
            = testFetch<QString, int, QString, bool, QStringList>(
                "source", "format", "extension", "adtsFilter", "codecs");
        // Segments cut at arbitrary bytes, as a stream's pieces are.
        const QByteArray stream = readFile(clip(source));
        QStringList segments;
        for (int i = 0; i < 5; ++i) {
            segments << work(QStringLiteral("abc_%1.ts").arg(i));
            const qsizetype from = stream.size() * i / 5;
            QVERIFY(
                writeFile(segments.last(), stream.mid(from, stream.size() * (i + 1) / 5 - from)));
        }
        HLSFileJoiner joiner(format);
        QCOMPARE(joiner.join(segments, QString()), work("abc_0." + extension));
        QVERIFY(joiner.errorText().isEmpty());
        QCOMPARE(streamCodecs(work("abc_0." + extension)), codecs);
        QCOMPARE(QDir(m_work->path()).entryList(QDir::Files), QStringList { "abc_0." + extension });
        QCOMPARE(
            HLSFileJoiner::ffmpegArguments("in.ts", "out.x", format).contains("-absf"), adtsFilter);
    }

    void hlsJoinerReportsMuxingAndMissingSegments()
    {
        const QString first = work("bad_0.ts");
        QVERIFY(writeFile(first, "this is not a transport stream"));
        QVERIFY(writeFile(work("bad_1.ts"), "nor is this"));
        // A stale output of an earlier run must not count as this run's result.
        QVERIFY(writeFile(work("bad_0.mp4"), "old"));
        HLSFileJoiner joiner(MediaDescriptor::MP4);
        QVERIFY(joiner.join({ first, work("bad_1.ts") }, QString()).isEmpty());
        QCOMPARE(
            joiner.errorText(), "HLSFileJoiner::join(): Error muxing into " + work("bad_0.mp4"));

        HLSFileJoiner missing(MediaDescriptor::MP4);
        QVERIFY(writeFile(first, "segment"));
        QVERIFY(missing.join({ first, work("gone_1.ts") }, QString()).isEmpty());
        QCOMPARE(missing.errorText(), "Could not join file parts");
        QCOMPARE(readFile(first), QByteArray("segment"));
    }

    // Containers chosen from what the streams are (MP4, WebM, Matroska as the fallback).
    void layoutFollowsTheStreams_data()
    {
        // streams: video container, codec, audio container, codec
        // layout: video, audio, container extensions
        testColumns<int, QStringList, QString>("format", "streams", "layout");
        const auto row = [](const char* name, int format, const QStringList& streams,
                             const QString& layout) { testRow(name, format, streams, layout); };
        const QString mp4 = "mov,mp4,m4a,3gp,3g2,mj2";
        const QString mkv = "matroska,webm";
        const QStringList unreadable { "", "", "", "" };
        row("WebM", MediaDescriptor::WebM, { mkv, "vp9", mkv, "opus" }, "webm ogg webm");
        row("FLV item, H.264", MediaDescriptor::FLV, { "flv", "h264", mp4, "aac" }, "flv m4a mp4");
        row("MP4 item, WebM streams", MediaDescriptor::MP4, { mkv, "vp8", mkv, "vorbis" },
            "mkv mka webm");
        row("WebM item, H.264", MediaDescriptor::WebM, { mp4, "h264", mp4, "aac" }, "mp4 m4a mp4");
        row("no container fits", MediaDescriptor::MP4, { "flv", "flv1", "mp3", "mp3" },
            "flv mp3 mkv");
        row("unreadable, MP4", MediaDescriptor::MP4, unreadable, "mp4 m4a mp4");
        row("unreadable, other", MediaDescriptor::Vorbis, unreadable, "mkv mka mkv");
    }

    void layoutFollowsTheStreams()
    {
        auto [format, streams, layout]
            = testFetch<int, QStringList, QString>("format", "streams", "layout");
        const AudioVideoLayout result = AudioVideoJoiner::layoutFor(format,
            MediaStreamInfo { streams[0], streams[1], QString() },
            MediaStreamInfo { streams[2], QString(), streams[3] });
        QCOMPARE(
            QStringList({ result.videoExtension, result.audioExtension, result.containerExtension })
                .join(' '),
            layout);
    }

    void audioVideoJoinerMuxes_data()
    {
        // clips: video, audio
        testColumns<int, QStringList, QString, QStringList>(
            "format", "clips", "container", "codecs");
        testRow("MP4", int(MediaDescriptor::MP4), QStringList { "h264.mp4", "aac.m4a" },
            QString("mp4"), QStringList { "h264", "aac" });
        testRow("WebM", int(MediaDescriptor::WebM), QStringList { "vp8.webm", "vorbis.webm" },
            QString("webm"), QStringList { "vp8", "vorbis" });
        testRow("FLV item", int(MediaDescriptor::FLV), QStringList { "h264.mp4", "aac.m4a" },
            QString("mp4"), QStringList { "h264", "aac" });
        testRow("Matroska fallback", int(MediaDescriptor::FLV),
            QStringList { "flv1.flv", "mp3.mp3" }, QString("mkv"), QStringList { "flv1", "mp3" });
    }

    void audioVideoJoinerMuxes()
    {
        auto [format, clips, container, codecs] = testFetch<int, QStringList, QString, QStringList>(
            "format", "clips", "container", "codecs");
        // The names a download job gives them: no extension, the audio one marked "_audio".
        QVERIFY(QFile::copy(clip(clips[0]), work("f00d.part")));
        QVERIFY(QFile::copy(clip(clips[1]), work("f00d_audio.part")));
        AudioVideoJoiner joiner(format);
        QCOMPARE(joiner.join({ work("f00d.part"), work("f00d_audio.part") }, QString()),
            work("f00d.part"));
        QVERIFY2(joiner.errorText().isEmpty(), qPrintable(joiner.errorText()));
        QCOMPARE(joiner.containerExtension(), container);
        QCOMPARE(streamCodecs(work("f00d.part")), codecs);
        QCOMPARE(QDir(m_work->path()).entryList(QDir::Files), QStringList { "f00d.part" });
    }

    void audioVideoJoinerFailuresKeepTheDownloads()
    {
        // A folder whose name holds "_audio" does not make every file an audio file.
        QVERIFY(QDir(m_work->path()).mkdir("my_audio_folder"));
        const QString videoFile = work("my_audio_folder/cafe.part");
        const QString audioFile = work("my_audio_folder/cafe_audio.part");
        QVERIFY(QFile::copy(clip("h264.mp4"), videoFile));
        QVERIFY(QFile::copy(clip("aac.m4a"), audioFile));

        AudioVideoJoiner noAudio(MediaDescriptor::MP4);
        QVERIFY(noAudio.join({ videoFile }, QString()).isEmpty());
        QCOMPARE(noAudio.errorText(), "AudioVideoJoiner: file name was empty");

        AudioVideoJoiner noFfmpeg(MediaDescriptor::MP4);
        noFfmpeg.setFfmpegPath(work("no-such-ffmpeg"));
        QVERIFY(noFfmpeg.join({ videoFile, audioFile }, QString()).isEmpty());
        QCOMPARE(noFfmpeg.errorText(), "External process no-such-ffmpeg failed to start");
        QVERIFY(QFile::exists(videoFile) && QFile::exists(audioFile));

        // ffmpeg runs but cannot read the inputs: the downloads come back under their names.
        QVERIFY(writeFile(videoFile, "not a video"));
        QVERIFY(writeFile(audioFile, "not audio"));
        AudioVideoJoiner broken(MediaDescriptor::MP4);
        QVERIFY(broken.join({ audioFile, videoFile }, QString()).isEmpty());
        QVERIFY2(broken.errorText().startsWith("AudioVideoJoiner: Could not join files ("),
            qPrintable(broken.errorText()));
        QCOMPARE(readFile(videoFile), QByteArray("not a video"));
        QCOMPARE(readFile(audioFile), QByteArray("not audio"));
    }
};

KESTROFAN_CORE_TEST_MAIN(JoinersTest)
#include "tst_joiners.moc"
