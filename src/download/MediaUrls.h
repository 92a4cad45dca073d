#pragma once

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
    // Cookies the download helper held after its run, with their domain, path and expiry.
    QList<QNetworkCookie> cookies;
    // Not filled by the extraction.
    QStringList stringList;
};
