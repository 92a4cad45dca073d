#pragma once

#include <QString>

// What a media file holds, as ffprobe reads it from the content (never from the name).
struct MediaStreamInfo
{
    QString container; // ffprobe's format name, e.g. "mov,mp4,m4a,3gp,3g2,mj2"
    QString videoCodec; // e.g. "h264", "vp9"; empty without a video stream
    QString audioCodec; // e.g. "aac", "opus"; empty without an audio stream

    bool isKnown() const { return !container.isEmpty(); }
};

// Runs ffprobe synchronously (worker threads only).
class MediaStreamProbe
{
public:
    explicit MediaStreamProbe(const QString& ffprobePath);

    MediaStreamInfo probe(const QString& path) const;

private:
    QString m_ffprobePath;
};
