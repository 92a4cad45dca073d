#include "FileJoinerBase.h"

#include "FfmpegExecutable.h"
#include "app/MediaDescriptor.h"

FileJoinerBase::FileJoinerBase(int format)
    : m_format(format)
{ }

FileJoinerBase::~FileJoinerBase() = default;

QString FileJoinerBase::ffmpegPath() const
{
    return m_ffmpegPath.isEmpty() ? FfmpegExecutable::ffmpegPath() : m_ffmpegPath;
}

QString FileJoinerBase::formatExtension(int format)
{
    switch (format) {
    case MediaDescriptor::AAC:
        return QStringLiteral("m4a");
    case MediaDescriptor::FLV:
        return QStringLiteral("flv");
    case MediaDescriptor::MP3:
        return QStringLiteral("mp3");
    case MediaDescriptor::MP4:
        return QStringLiteral("mp4");
    case MediaDescriptor::Vorbis:
        return QStringLiteral("ogg");
    case MediaDescriptor::WebM:
        return QStringLiteral("webm");
    case MediaDescriptor::Opus:
        return QStringLiteral("opus");
    default:
        return QStringLiteral("mkv");
    }
}
