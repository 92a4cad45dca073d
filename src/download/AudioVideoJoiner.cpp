#include "AudioVideoJoiner.h"

#include "FfmpegExecutable.h"
#include "app/MediaDescriptor.h"
#include "convert/SystemProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kMp4 = QStringLiteral("mp4");
const QString kWebm = QStringLiteral("webm");
const QString kMatroska = QStringLiteral("mkv");

bool fitsMp4(const QString& video, const QString& audio)
{
    static const QStringList videoCodecs { QStringLiteral("h264"), QStringLiteral("hevc"),
        QStringLiteral("av1"), QStringLiteral("mpeg4"), QStringLiteral("vp9") };
    static const QStringList audioCodecs { QStringLiteral("aac"), QStringLiteral("mp3"),
        QStringLiteral("opus"), QStringLiteral("ac3"), QStringLiteral("eac3"),
        QStringLiteral("alac"), QStringLiteral("flac") };
    return videoCodecs.contains(video) && audioCodecs.contains(audio);
}

bool fitsWebm(const QString& video, const QString& audio)
{
    static const QStringList videoCodecs { QStringLiteral("vp8"), QStringLiteral("vp9"),
        QStringLiteral("av1") };
    static const QStringList audioCodecs { QStringLiteral("vorbis"), QStringLiteral("opus") };
    return videoCodecs.contains(video) && audioCodecs.contains(audio);
}

// The usual extension of a file in the container ffprobe named; empty when unknown.
QString extensionOfContainer(const QString& container, bool video)
{
    if (container.contains(QLatin1String("mp4")))
        return video ? kMp4 : QStringLiteral("m4a");
    if (container.contains(QLatin1String("matroska")))
        return video ? kMatroska : QStringLiteral("mka");
    if (container == QLatin1String("flv"))
        return QStringLiteral("flv");
    if (container == QLatin1String("mpegts"))
        return QStringLiteral("ts");
    if (container == QLatin1String("ogg"))
        return QStringLiteral("ogg");
    if (container == QLatin1String("aac"))
        return QStringLiteral("aac");
    if (container == QLatin1String("mp3"))
        return QStringLiteral("mp3");
    return QString();
}

QString chooseContainer(int format, const MediaStreamInfo& video, const MediaStreamInfo& audio)
{
    const QString videoCodec = video.videoCodec;
    const QString audioCodec = audio.audioCodec;
    if (videoCodec.isEmpty() || audioCodec.isEmpty()) {
        if (format == MediaDescriptor::MP4)
            return kMp4;
        return format == MediaDescriptor::WebM ? kWebm : kMatroska;
    }
    const bool mp4 = fitsMp4(videoCodec, audioCodec);
    const bool webm = fitsWebm(videoCodec, audioCodec);
    if (format == MediaDescriptor::MP4 && mp4)
        return kMp4;
    if (webm)
        return kWebm;
    return mp4 ? kMp4 : kMatroska;
}

bool renameReplacing(const QString& from, const QString& to)
{
    if (QFile::exists(to))
        QFile::remove(to);
    return QFile::rename(from, to);
}

} // namespace

AudioVideoJoiner::AudioVideoJoiner(int format)
    : FileJoinerBase(format)
{ }

AudioVideoLayout AudioVideoJoiner::layoutFor(
    int format, const MediaStreamInfo& video, const MediaStreamInfo& audio)
{
    AudioVideoLayout layout;
    layout.containerExtension = chooseContainer(format, video, audio);
    if (format == MediaDescriptor::MP4 && layout.containerExtension == kMp4) {
        layout.videoExtension = kMp4;
        layout.audioExtension = QStringLiteral("m4a");
    } else if (format == MediaDescriptor::WebM && layout.containerExtension == kWebm) {
        layout.videoExtension = kWebm;
        layout.audioExtension = QStringLiteral("ogg");
    } else {
        layout.videoExtension = extensionOfContainer(video.container, true);
        layout.audioExtension = extensionOfContainer(audio.container, false);
        if (layout.videoExtension.isEmpty())
            layout.videoExtension = layout.containerExtension;
        if (layout.audioExtension.isEmpty())
            layout.audioExtension = QStringLiteral("mka");
    }
    return layout;
}

QStringList AudioVideoJoiner::ffmpegArguments(
    const QString& audio, const QString& video, const QString& output)
{
    return { QStringLiteral("-i"), QDir::toNativeSeparators(audio), QStringLiteral("-i"),
        QDir::toNativeSeparators(video), QStringLiteral("-vcodec"), QStringLiteral("copy"),
        QStringLiteral("-acodec"), QStringLiteral("copy"), QStringLiteral("-y"), output };
}

QString AudioVideoJoiner::join(const QStringList& files, const QString& /*target*/)
{
    QString audio;
    QString video;
    for (const QString& file : files) {
        // Only the file's own name counts: a folder may well be called "my_audio".
        if (QFileInfo(file).fileName().contains(QLatin1String("_audio"))) {
            if (audio.isEmpty())
                audio = file;
        } else if (video.isEmpty()) {
            video = file;
        }
    }
    if (audio.isEmpty() || video.isEmpty()) {
        setErrorText(tr("AudioVideoJoiner: file name was empty"));
        return QString();
    }

    const MediaStreamProbe probe(FfmpegExecutable::ffprobePath(ffmpegPath()));
    const AudioVideoLayout layout = layoutFor(format(), probe.probe(video), probe.probe(audio));
    const QString renamedAudio = audio + QLatin1Char('.') + layout.audioExtension;
    const QString renamedVideo = video + QLatin1Char('.') + layout.videoExtension;
    if (!renameReplacing(audio, renamedAudio)) {
        setErrorText(tr("AudioVideoJoiner: Could not rename file(s)"));
        return QString();
    }
    if (!renameReplacing(video, renamedVideo)) {
        QFile::rename(renamedAudio, audio);
        setErrorText(tr("AudioVideoJoiner: Could not rename file(s)"));
        return QString();
    }
    // Put the downloads back under their own names when muxing fails, so nothing is lost.
    const auto restoreInputs = [&]() {
        QFile::rename(renamedAudio, audio);
        QFile::rename(renamedVideo, video);
    };

    const QFileInfo videoInfo(video);
    const QString output = videoInfo.absolutePath() + QDir::separator() + QStringLiteral("TMP")
        + videoInfo.fileName() + QLatin1Char('.') + layout.containerExtension;
    QFile::remove(output);
    SystemProcess process;
    process.setCancellation(cancellation());
    if (!process.run(ffmpegPath(), ffmpegArguments(renamedAudio, renamedVideo, output), true)) {
        QFile::remove(output);
        restoreInputs();
        setErrorText(process.errorString());
        return QString();
    }
    // ffmpeg leaves an empty file behind when it cannot write the container's header.
    if (QFileInfo(output).size() <= 0) {
        QFile::remove(output);
        restoreInputs();
        setErrorText(tr("AudioVideoJoiner: Could not join files (%1)").arg(process.output()));
        return QString();
    }
    QFile::remove(renamedAudio);
    QFile::remove(renamedVideo);
    if (!QFile::rename(output, video)) {
        setErrorText(tr("AudioVideoJoiner: Could not join files (%1)").arg(process.output()));
        return QString();
    }
    m_containerExtension = layout.containerExtension;
    return video;
}
