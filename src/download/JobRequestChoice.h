#pragma once

#include "MediaUrls.h"

#include <QString>

class MediaFileRequestBase;
class QObject;

// Which request fetches the streams of a job, from the numbers of video and audio addresses:
// one address is a plain file, several are segments, one of each kind is a separate video
// and audio download that is muxed at the end.
class JobRequestChoice
{
public:
    enum Kind { NoRequest, File, Segments, SeparateStreams };

    // The kind for these address counts.
    static Kind kindFor(int videoUrls, int audioUrls);
    // Whether the job fetches audio only (no video address at all).
    static bool isAudioOnly(const MediaUrls& urls) { return urls.videoUrls.isEmpty(); }

    // Makes the request, or none when there is no address. The audio stream of a separate
    // download uses the base name followed by "_audio". itemFormat is the format detected for
    // the media item, which names the muxed container.
    static MediaFileRequestBase* create(const MediaUrls& urls, const QString& baseName,
        int itemFormat, const QString& temporaryDirectory, QObject* parent);

private:
    static MediaFileRequestBase* streamRequest(
        const QList<QUrl>& urls, const QString& baseName, int format);
};
