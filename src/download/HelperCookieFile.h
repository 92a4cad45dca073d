#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QString>

// The cookie file the download helper reads and rewrites (Netscape format). The program
// only reads it.
namespace HelperCookieFile {

QString path();
// Name and value of every line with at least seven tab-separated fields; nothing when the
// file cannot be opened.
QList<QNetworkCookie> read(const QString& filePath);
// Keeps the file readable by its owner only, like the program's own cookie store; the helper
// keeps that mode when it rewrites the file.
void restrictToOwner(const QString& filePath);

} // namespace HelperCookieFile
