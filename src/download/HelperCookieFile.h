#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QString>
#include <QTemporaryFile>

// The cookie file of one download helper run (Netscape format), which the helper reads and
// rewrites. Every run gets its own, so cookies never pass from one site or one extraction to
// another: made empty and readable by the user only in the given folder, removed when this
// object goes.
class HelperCookieFile
{
public:
    explicit HelperCookieFile(const QString& directory);
    HelperCookieFile(const HelperCookieFile&) = delete;
    HelperCookieFile& operator=(const HelperCookieFile&) = delete;

    // The folder the program keeps the helpers' cookie files in.
    static QString defaultDirectory();

    // False when the file could not be made; path() is then empty.
    bool isValid() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }
    // The cookies the helper left, as read() gives them.
    QList<QNetworkCookie> cookies() const;

    // Every line with at least seven tab-separated fields: domain, whether subdomains share
    // it, path, secure, expiry (seconds since 1970, 0 for the session), name and value; an
    // "#HttpOnly_" prefix marks an HTTP-only cookie. Nothing when the file cannot be opened.
    static QList<QNetworkCookie> read(const QString& filePath);

private:
    QTemporaryFile m_file;
    QString m_path;
};
