#include "JobRequestChoice.h"

#include "HLSMediaFileRequest.h"
#include "MediaFileRequest.h"
#include "SegmentedAVMediaFileRequest.h"

JobRequestChoice::Kind JobRequestChoice::kindFor(int videoUrls, int audioUrls)
{
    if (videoUrls > 0 && audioUrls > 0)
        return SeparateStreams;
    const int urls = qMax(videoUrls, audioUrls);
    if (urls == 0)
        return NoRequest;
    return urls == 1 ? File : Segments;
}

MediaFileRequestBase* JobRequestChoice::streamRequest(
    const QList<QUrl>& urls, const QString& baseName, int format)
{
    if (urls.size() == 1)
        return new MediaFileRequest(urls.first(), baseName);
    return new HLSMediaFileRequest(urls, baseName, format);
}

MediaFileRequestBase* JobRequestChoice::create(const MediaUrls& urls, const QString& baseName,
    int itemFormat, const QString& temporaryDirectory, QObject* parent)
{
    MediaFileRequestBase* request = nullptr;
    switch (kindFor(int(urls.videoUrls.size()), int(urls.audioUrls.size()))) {
    case NoRequest:
        return nullptr;
    case File:
    case Segments:
        request = urls.videoUrls.isEmpty()
            ? streamRequest(urls.audioUrls, baseName, urls.audioFormat)
            : streamRequest(urls.videoUrls, baseName, urls.videoFormat);
        break;
    case SeparateStreams:
        request = new SegmentedAVMediaFileRequest(
            streamRequest(urls.videoUrls, baseName, urls.videoFormat),
            streamRequest(urls.audioUrls, baseName + QStringLiteral("_audio"), urls.audioFormat),
            baseName, itemFormat);
        break;
    }
    if (!temporaryDirectory.isEmpty())
        request->setTemporaryDirectory(temporaryDirectory);
    request->setParent(parent);
    return request;
}
