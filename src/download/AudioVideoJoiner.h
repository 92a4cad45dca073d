#pragma once

#include "FileJoinerBase.h"
#include "MediaStreamProbe.h"

#include <QCoreApplication>

// How a separately downloaded video and audio file are named for muxing, and the container
// of the muxed file (each an extension without the dot).
struct AudioVideoLayout
{
    QString videoExtension;
    QString audioExtension;
    QString containerExtension;
};

// Muxes a separately downloaded video file and audio file into one file with ffmpeg. The
// container follows the codecs the files really hold: MP4 and WebM when they fit, Matroska
// otherwise; the media item's format decides between containers that both fit.
class AudioVideoJoiner : public FileJoinerBase
{
    Q_DECLARE_TR_FUNCTIONS(AudioVideoJoiner)
public:
    explicit AudioVideoJoiner(int format);

    // The audio file is the one whose file name contains "_audio". The result takes the
    // video file's path (without any added extension).
    QString join(const QStringList& files, const QString& target) override;

    // The container of the last successful join ("mp4", "webm", "mkv").
    QString containerExtension() const { return m_containerExtension; }

    static AudioVideoLayout layoutFor(
        int format, const MediaStreamInfo& video, const MediaStreamInfo& audio);
    static QStringList ffmpegArguments(
        const QString& audio, const QString& video, const QString& output);

private:
    QString m_containerExtension;
};
