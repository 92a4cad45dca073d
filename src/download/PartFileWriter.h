#pragma once

#include <QFile>
#include <QString>

// Where a part's bytes go. A part either owns its file (a whole small file, such as an HLS
// segment: the bytes already in it are the part's progress) or writes its range into a file
// it shares with the other parts of the same download, at the range's own offset, so that the
// finished file needs no copying. Files are never opened through a symbolic link, and a
// failed write says why in words a person can act on.
class PartFileWriter
{
public:
    // The part's file holds exactly its bytes; at most limit of them when limit >= 0.
    void useOwnFile(const QString& path, qint64 limit);
    // The part's bytes start at offset in the shared file, which the owner has created;
    // bytesDone of them are there.
    void useSharedFile(const QString& path, qint64 offset, qint64 bytesDone, qint64 limit);

    bool open();
    bool isOpen() const { return m_file.isOpen(); }
    void close();
    // Bytes of the part on disk.
    qint64 bytesDone() const { return m_bytesDone; }
    // Writes as much of the data as the limit allows; false on a disk error.
    bool write(const char* data, qint64 length, qint64* written);
    // Starts the part over from its first byte.
    bool restart();
    // False when the file was removed or replaced on disk since it was opened.
    bool isStillOnDisk() const;

    QString path() const { return m_path; }
    QString errorString() const { return m_error; }

    // What a failed file operation on the path means, for a person: a full disk or a folder
    // that cannot be written names the folder.
    static QString describeFailure(int errorNumber, const QString& path);

private:
    QFile m_file;
    QString m_path;
    QString m_error;
    bool m_shared = false;
    qint64 m_offset = 0;
    qint64 m_bytesDone = 0;
    qint64 m_limit = -1;
};
