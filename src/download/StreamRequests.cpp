#include "StreamRequests.h"

#include "HLSMediaFileRequest.h"
#include "MediaFileRequest.h"
#include "SegmentedAVMediaFileRequest.h"

namespace StreamRequests {

MediaFileRequestBase* forStream(const QList<QUrl>& urls, const HttpSemantics::HeaderList& headers,
    const QString& baseName, int format, QObject* parent)
{
    if (urls.isEmpty())
        return nullptr;
    MediaFileRequestBase* request = urls.size() == 1
        ? static_cast<MediaFileRequestBase*>(new MediaFileRequest(urls.first(), baseName, parent))
        : new HLSMediaFileRequest(urls, baseName, format, parent);
    request->setStreamHeaders(headers);
    return request;
}

MediaFileRequestBase* forMediaUrls(
    const MediaUrls& urls, const QString& baseName, int format, QObject* parent)
{
    if (urls.videoUrls.isEmpty()) {
        return forStream(urls.audioUrls, urls.audioHeaders, baseName,
            urls.audioFormat >= 0 ? urls.audioFormat : format, parent);
    }
    MediaFileRequestBase* video = forStream(urls.videoUrls, urls.videoHeaders, baseName,
        urls.videoFormat >= 0 ? urls.videoFormat : format);
    if (urls.audioUrls.isEmpty()) {
        video->setParent(parent);
        return video;
    }
    MediaFileRequestBase* audio = forStream(urls.audioUrls, urls.audioHeaders,
        baseName + QStringLiteral("_audio"), urls.audioFormat >= 0 ? urls.audioFormat : format);
    return new SegmentedAVMediaFileRequest(video, audio, baseName, format, parent);
}

} // namespace StreamRequests
