#pragma once

#include <QString>

class QNetworkAccessManager;
class QNetworkCookieJar;

// The network managers of each thread, made on first use and reused by every request of that
// thread (kept-alive connections, one disk cache per thread), deleted when the thread ends.
// Certificates are verified; the TLS problems of their replies are kept for TlsTrust.
class NetworkAccess
{
public:
    // Pages, feeds, JSON, plugin calls and pictures: the process-wide cookie jar and the
    // disk cache. Requests that must not be cached say so in their own attributes.
    static QNetworkAccessManager* pages();
    // Media files: no disk cache (the files are big and read once), and a cookie jar of the
    // thread's own for what the download helper handed over, apart from the user's cookies.
    static QNetworkAccessManager* transfers();

    // Set by the composition root. nullptr detaches the jar before it is deleted; the page
    // managers then keep cookies of their own.
    static void setCookieJar(QNetworkCookieJar* jar);
    // Where the disk cache of the page managers lives; empty: no disk cache.
    static void setCacheDirectory(const QString& directory);
};
