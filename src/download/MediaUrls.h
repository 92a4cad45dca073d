#pragma once

#include "net/HttpSemantics.h"

#include <QList>
#include <QNetworkCookie>
#include <QStringList>
#include <QUrl>

// What the stream address extraction found for one media page. Several URLs in a list are
// segments to fetch in order and join.
struct MediaUrls
{
    QList<QUrl> videoUrls;
    QList<QUrl> audioUrls;
    // MediaDescriptor::MediaFormat values; -1 when unknown.
    int videoFormat = -1;
    int audioFormat = -1;
    // The HTTP headers the helper says each stream needs (its "http_headers", such as a
    // Referer); sent with every request of that stream.
    HttpSemantics::HeaderList videoHeaders;
    HttpSemantics::HeaderList audioHeaders;
    // Cookies the download helper held after its run, with their domain, path and expiry.
    QList<QNetworkCookie> cookies;
    // Not filled by the extraction.
    QStringList stringList;
};
