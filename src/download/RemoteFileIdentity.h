#pragma once

#include <QByteArray>

class QNetworkReply;

// Which version of a remote file an answer belongs to: its validators and its whole length.
// Every ranged answer of one download must come from the same version, or the joined file
// would mix old and new bytes.
struct RemoteFileIdentity
{
    QByteArray etag;
    QByteArray lastModified;
    qint64 length = -1;

    // From an answer's headers: the length after the slash of "Content-Range" in a 206,
    // else "Content-Length".
    static RemoteFileIdentity of(const QNetworkReply* reply);

    bool hasValidator() const { return !etag.isEmpty() || !lastModified.isEmpty(); }
    // What "If-Range" sends: a strong ETag, else the modification date; empty when neither.
    QByteArray ifRangeValue() const;
    // False when the answer shows another version: a different validator or length. What
    // only one side states is not held against it.
    bool matches(const RemoteFileIdentity& answer) const;
    // The validators as one text, for the resume note.
    QByteArray validatorText() const { return etag + '|' + lastModified; }
};
