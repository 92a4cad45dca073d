#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

// Small facts of HTTP that the request layer and the download engine read the same way.
namespace HttpSemantics {

// 301, 302, 303, 307 and 308: the answer names another address.
bool isRedirect(int status);

// A "Content-Range" header: "bytes 100-199/1000", "bytes 100-199/*" or "bytes */1000".
// Parts that are not given stay -1; an unreadable header leaves all three at -1.
struct ContentRange
{
    qint64 first = -1;
    qint64 last = -1;
    qint64 total = -1;

    static ContentRange parse(const QByteArray& header);
};

// Header lines to send, in order. Names are compared case-insensitively.
using HeaderList = QList<QPair<QByteArray, QByteArray>>;

// True for a header name that is an HTTP token and a value without line breaks or NUL, so
// that a header taken from another program cannot add lines of its own to a request.
bool isSafeHeader(const QByteArray& name, const QByteArray& value);

} // namespace HttpSemantics
