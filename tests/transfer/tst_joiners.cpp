#include "TestEnvironment.h"
#include "TransferTestSupport.h"

#include "app/MediaDescriptor.h"
#include "download/AudioVideoJoiner.h"
#include "download/ConcatFileJoiner.h"
#include "download/FileConcatenator.h"
#include "download/HLSFileJoiner.h"

#include <QTemporaryDir>

using namespace TransferTestSupport;

// The joiners on real files: appending parts, remuxing HLS segments and muxing separate
// audio and video with the real ffmpeg on clips it makes itself.
class JoinersTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void concatenationAppendsInOrderAndRemovesParts();
    void concatenationWithMissingPartChangesNothing();
    void concatJoinerOfOnePartIsThatPart();

    void hlsJoinerRemuxesIntoTheFormatsContainer_data();
    void hlsJoinerRemuxesIntoTheFormatsContainer();
    void hlsJoinerReportsMuxingAndMissingSegments();

    void layoutFollowsTheStreams_data();
    void layoutFollowsTheStreams();
    void audioVideoJoinerMuxes_data();
    void audioVideoJoinerMuxes();
    void audioVideoJoinerFailuresKeepTheDownloads();

private:
    QString clip(const QString& name) const { return m_clips.filePath(name); }
    // A copy of a clip under the given name in the work folder.
    QString stage(const QString& clipName, const QString& name) const;

    QTemporaryDir m_clips;
    std::unique_ptr<QTemporaryDir> m_work;
};

void JoinersTest::initTestCase()
{
    const QStringList video { QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
        QStringLiteral("testsrc=size=64x48:rate=10"), QStringLiteral("-t"), QStringLiteral("1") };
    const QStringList sine { QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
        QStringLiteral("sine=d=1"), QStringLiteral("-vn") };
    QVERIFY(makeClip(video
            + QStringList { QStringLiteral("-c:v"), QStringLiteral("libx264"),
                QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p") },
        clip(QStringLiteral("h264.mp4"))));
    QVERIFY(makeClip(video + QStringList { QStringLiteral("-c:v"), QStringLiteral("libvpx") },
        clip(QStringLiteral("vp8.webm"))));
    QVERIFY(makeClip(video + QStringList { QStringLiteral("-c:v"), QStringLiteral("flv1") },
        clip(QStringLiteral("flv1.flv"))));
    QVERIFY(makeClip(sine + QStringList { QStringLiteral("-c:a"), QStringLiteral("aac") },
        clip(QStringLiteral("aac.m4a"))));
    QVERIFY(makeClip(sine + QStringList { QStringLiteral("-c:a"), QStringLiteral("libvorbis") },
        clip(QStringLiteral("vorbis.webm"))));
    QVERIFY(makeClip(sine + QStringList { QStringLiteral("-c:a"), QStringLiteral("libmp3lame") },
        clip(QStringLiteral("mp3.mp3"))));
    // A transport stream with both, and one with audio only, for the HLS joiner.
    QVERIFY(makeClip(video
            + QStringList { QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                QStringLiteral("sine=d=1"), QStringLiteral("-c:v"), QStringLiteral("libx264"),
                QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), QStringLiteral("-c:a"),
                QStringLiteral("aac"), QStringLiteral("-t"), QStringLiteral("1"),
                QStringLiteral("-f"), QStringLiteral("mpegts") },
        clip(QStringLiteral("av.ts"))));
    QVERIFY(makeClip(sine
            + QStringList { QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-f"),
                QStringLiteral("mpegts") },
        clip(QStringLiteral("aac.ts"))));
}

void JoinersTest::init()
{
    m_work = std::make_unique<QTemporaryDir>();
}

QString JoinersTest::stage(const QString& clipName, const QString& name) const
{
    const QString path = m_work->filePath(name);
    QFile::remove(path);
    return QFile::copy(clip(clipName), path) ? path : QString();
}

void JoinersTest::concatenationAppendsInOrderAndRemovesParts()
{
    QStringList parts;
    QByteArray whole;
    for (int i = 1; i <= 4; ++i) {
        const QByteArray data = patternBytes(100000 + i * 777, quint32(i));
        parts << m_work->filePath(QStringLiteral("file.part%1").arg(i));
        QVERIFY(writeFile(parts.last(), data));
        whole += data;
    }
    const QString target = m_work->filePath(QStringLiteral("file.part"));
    QVERIFY(writeFile(target, "stale result of an earlier run"));

    ConcatFileJoiner joiner;
    QCOMPARE(joiner.join(parts, target), target);
    QVERIFY(joiner.errorText().isEmpty());
    QCOMPARE(readFile(target), whole);
    for (const QString& part : std::as_const(parts))
        QVERIFY2(!QFile::exists(part), qPrintable(part));
}

void JoinersTest::concatenationWithMissingPartChangesNothing()
{
    QStringList parts;
    QList<QByteArray> contents;
    for (int i = 1; i <= 4; ++i) {
        parts << m_work->filePath(QStringLiteral("file.part%1").arg(i));
        contents << patternBytes(5000, quint32(i));
        if (i != 3)
            QVERIFY(writeFile(parts.last(), contents.last()));
    }
    const QString target = m_work->filePath(QStringLiteral("file.part"));
    ConcatFileJoiner joiner;
    QVERIFY(joiner.join(parts, target).isEmpty());
    QCOMPARE(joiner.errorText(), QStringLiteral("Could not join file parts"));
    QVERIFY(!QFile::exists(target));
    // The parts are still there, each with its own bytes only.
    QCOMPARE(readFile(parts.at(0)), contents.at(0));
    QCOMPARE(readFile(parts.at(1)), contents.at(1));
    QCOMPARE(readFile(parts.at(3)), contents.at(3));

    QVERIFY(!FileConcatenator::concatenate({}, target));
}

void JoinersTest::concatJoinerOfOnePartIsThatPart()
{
    const QString only = m_work->filePath(QStringLiteral("single"));
    QVERIFY(writeFile(only, "whole file"));
    ConcatFileJoiner joiner;
    QCOMPARE(joiner.join({ only }, m_work->filePath(QStringLiteral("single.part"))), only);
    QVERIFY(!QFile::exists(m_work->filePath(QStringLiteral("single.part"))));
    QCOMPARE(readFile(only), QByteArray("whole file"));
    QVERIFY(joiner.join({}, m_work->filePath(QStringLiteral("x"))).isEmpty());
}

void JoinersTest::hlsJoinerRemuxesIntoTheFormatsContainer_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<bool>("adtsFilter");
    QTest::addColumn<QStringList>("codecs");
    QTest::newRow("MP4") << "av.ts" << int(MediaDescriptor::MP4) << "mp4" << false
                         << QStringList { QStringLiteral("h264"), QStringLiteral("aac") };
    QTest::newRow("AAC") << "aac.ts" << int(MediaDescriptor::AAC) << "m4a" << true
                         << QStringList { QStringLiteral("aac") };
    QTest::newRow("unknown format")
        << "av.ts" << -1 << "mkv" << false
        << QStringList { QStringLiteral("h264"), QStringLiteral("aac") };
}

void JoinersTest::hlsJoinerRemuxesIntoTheFormatsContainer()
{
    QFETCH(QString, source);
    QFETCH(int, format);
    QFETCH(QString, extension);
    QFETCH(bool, adtsFilter);
    QFETCH(QStringList, codecs);

    // Segments cut at arbitrary bytes, as a stream's pieces are.
    const QByteArray stream = readFile(clip(source));
    QStringList segments;
    const int count = 5;
    for (int i = 0; i < count; ++i) {
        segments << m_work->filePath(QStringLiteral("abc_%1.ts").arg(i));
        const qsizetype from = stream.size() * i / count;
        const qsizetype to = stream.size() * (i + 1) / count;
        QVERIFY(writeFile(segments.last(), stream.mid(from, to - from)));
    }
    HLSFileJoiner joiner(format);
    const QString output = m_work->filePath(QStringLiteral("abc_0.") + extension);
    QCOMPARE(joiner.join(segments, QString()), output);
    QVERIFY(joiner.errorText().isEmpty());
    QCOMPARE(streamCodecs(output), codecs);
    QVERIFY(!QFile::exists(m_work->filePath(QStringLiteral("abc_0.joined.ts"))));
    for (const QString& segment : std::as_const(segments))
        QVERIFY(!QFile::exists(segment));

    const QStringList arguments
        = HLSFileJoiner::ffmpegArguments(QStringLiteral("in.ts"), QStringLiteral("out.x"), format);
    QCOMPARE(arguments.contains(QStringLiteral("-absf")), adtsFilter);
    QCOMPARE(arguments.first(), QStringLiteral("-y"));
    QCOMPARE(arguments.last(), QStringLiteral("out.x"));
}

void JoinersTest::hlsJoinerReportsMuxingAndMissingSegments()
{
    const QString first = m_work->filePath(QStringLiteral("bad_0.ts"));
    const QString second = m_work->filePath(QStringLiteral("bad_1.ts"));
    QVERIFY(writeFile(first, "this is not a transport stream"));
    QVERIFY(writeFile(second, "nor is this"));
    // A stale output of an earlier run must not count as this run's result.
    QVERIFY(writeFile(m_work->filePath(QStringLiteral("bad_0.mp4")), "old"));
    HLSFileJoiner joiner(MediaDescriptor::MP4);
    QVERIFY(joiner.join({ first, second }, QString()).isEmpty());
    QCOMPARE(joiner.errorText(),
        QStringLiteral("HLSFileJoiner::join(): Error muxing into ")
            + m_work->filePath(QStringLiteral("bad_0.mp4")));

    HLSFileJoiner missing(MediaDescriptor::MP4);
    QVERIFY(writeFile(first, "segment"));
    QVERIFY(missing.join({ first, m_work->filePath(QStringLiteral("gone_1.ts")) }, QString())
                .isEmpty());
    QCOMPARE(missing.errorText(), QStringLiteral("Could not join file parts"));
    QCOMPARE(readFile(first), QByteArray("segment"));
}

void JoinersTest::layoutFollowsTheStreams_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("videoContainer");
    QTest::addColumn<QString>("videoCodec");
    QTest::addColumn<QString>("audioContainer");
    QTest::addColumn<QString>("audioCodec");
    QTest::addColumn<QString>("layout"); // video, audio, container extensions

    const QString mp4 = QStringLiteral("mov,mp4,m4a,3gp,3g2,mj2");
    const QString mkv = QStringLiteral("matroska,webm");
    QTest::newRow("MP4 as specified") << int(MediaDescriptor::MP4) << mp4 << "h264" << mp4 << "aac"
                                      << "mp4 m4a mp4";
    QTest::newRow("WebM as specified")
        << int(MediaDescriptor::WebM) << mkv << "vp9" << mkv << "opus"
        << "webm ogg webm";
    QTest::newRow("FLV item with H.264 and AAC") << int(MediaDescriptor::FLV) << "flv"
                                                 << "h264" << mp4 << "aac"
                                                 << "flv m4a mp4";
    QTest::newRow("MP4 item with WebM streams")
        << int(MediaDescriptor::MP4) << mkv << "vp8" << mkv << "vorbis"
        << "mkv mka webm";
    QTest::newRow("WebM item with H.264")
        << int(MediaDescriptor::WebM) << mp4 << "h264" << mp4 << "aac"
        << "mp4 m4a mp4";
    QTest::newRow("no container fits") << int(MediaDescriptor::MP4) << "flv"
                                       << "flv1"
                                       << "mp3"
                                       << "mp3"
                                       << "flv mp3 mkv";
    QTest::newRow("unreadable files, MP4") << int(MediaDescriptor::MP4) << ""
                                           << ""
                                           << ""
                                           << ""
                                           << "mp4 m4a mp4";
    QTest::newRow("unreadable files, other") << int(MediaDescriptor::Vorbis) << ""
                                             << ""
                                             << ""
                                             << ""
                                             << "mkv mka mkv";
}

void JoinersTest::layoutFollowsTheStreams()
{
    QFETCH(int, format);
    QFETCH(QString, videoContainer);
    QFETCH(QString, videoCodec);
    QFETCH(QString, audioContainer);
    QFETCH(QString, audioCodec);
    QFETCH(QString, layout);
    const AudioVideoLayout result = AudioVideoJoiner::layoutFor(format,
        MediaStreamInfo { videoContainer, videoCodec, QString() },
        MediaStreamInfo { audioContainer, QString(), audioCodec });
    QCOMPARE(
        QStringList({ result.videoExtension, result.audioExtension, result.containerExtension })
            .join(QLatin1Char(' ')),
        layout);
}

void JoinersTest::audioVideoJoinerMuxes_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("video");
    QTest::addColumn<QString>("audio");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QStringList>("codecs");
    QTest::newRow("MP4") << int(MediaDescriptor::MP4) << "h264.mp4"
                         << "aac.m4a"
                         << "mp4" << QStringList { QStringLiteral("h264"), QStringLiteral("aac") };
    QTest::newRow("WebM") << int(MediaDescriptor::WebM) << "vp8.webm"
                          << "vorbis.webm"
                          << "webm"
                          << QStringList { QStringLiteral("vp8"), QStringLiteral("vorbis") };
    QTest::newRow("FLV item") << int(MediaDescriptor::FLV) << "h264.mp4"
                              << "aac.m4a"
                              << "mp4"
                              << QStringList { QStringLiteral("h264"), QStringLiteral("aac") };
    QTest::newRow("Matroska fallback")
        << int(MediaDescriptor::FLV) << "flv1.flv"
        << "mp3.mp3"
        << "mkv" << QStringList { QStringLiteral("flv1"), QStringLiteral("mp3") };
}

void JoinersTest::audioVideoJoinerMuxes()
{
    QFETCH(int, format);
    QFETCH(QString, video);
    QFETCH(QString, audio);
    QFETCH(QString, container);
    QFETCH(QStringList, codecs);

    // The names a download job gives them: no extension, the audio one marked "_audio".
    const QString videoFile = stage(video, QStringLiteral("f00d.part"));
    const QString audioFile = stage(audio, QStringLiteral("f00d_audio.part"));
    AudioVideoJoiner joiner(format);
    QCOMPARE(joiner.join({ videoFile, audioFile }, QString()), videoFile);
    QVERIFY2(joiner.errorText().isEmpty(), qPrintable(joiner.errorText()));
    QCOMPARE(joiner.containerExtension(), container);
    QCOMPARE(streamCodecs(videoFile), codecs);
    // Only the result is left.
    QCOMPARE(
        QDir(m_work->path()).entryList(QDir::Files), QStringList { QStringLiteral("f00d.part") });
}

void JoinersTest::audioVideoJoinerFailuresKeepTheDownloads()
{
    // A folder whose name holds "_audio" does not make every file an audio file.
    QVERIFY(QDir(m_work->path()).mkdir(QStringLiteral("my_audio_folder")));
    const QString folder = m_work->filePath(QStringLiteral("my_audio_folder/"));
    const QString videoFile = folder + QStringLiteral("cafe.part");
    const QString audioFile = folder + QStringLiteral("cafe_audio.part");
    QVERIFY(QFile::copy(clip(QStringLiteral("h264.mp4")), videoFile));
    QVERIFY(QFile::copy(clip(QStringLiteral("aac.m4a")), audioFile));

    AudioVideoJoiner noAudio(MediaDescriptor::MP4);
    QVERIFY(noAudio.join({ videoFile }, QString()).isEmpty());
    QCOMPARE(noAudio.errorText(), QStringLiteral("AudioVideoJoiner: file name was empty"));

    AudioVideoJoiner noFfmpeg(MediaDescriptor::MP4);
    noFfmpeg.setFfmpegPath(m_work->filePath(QStringLiteral("no-such-ffmpeg")));
    QVERIFY(noFfmpeg.join({ videoFile, audioFile }, QString()).isEmpty());
    QCOMPARE(
        noFfmpeg.errorText(), QStringLiteral("External process no-such-ffmpeg failed to start"));
    QVERIFY(QFile::exists(videoFile));
    QVERIFY(QFile::exists(audioFile));

    // ffmpeg runs but cannot read the inputs: the downloads come back under their names.
    QVERIFY(writeFile(videoFile, "not a video"));
    QVERIFY(writeFile(audioFile, "not audio"));
    AudioVideoJoiner broken(MediaDescriptor::MP4);
    QVERIFY(broken.join({ audioFile, videoFile }, QString()).isEmpty());
    QVERIFY2(
        broken.errorText().startsWith(QStringLiteral("AudioVideoJoiner: Could not join files (")),
        qPrintable(broken.errorText()));
    QCOMPARE(readFile(videoFile), QByteArray("not a video"));
    QCOMPARE(readFile(audioFile), QByteArray("not audio"));
}

KESTROFAN_CORE_TEST_MAIN(JoinersTest)
#include "tst_joiners.moc"
