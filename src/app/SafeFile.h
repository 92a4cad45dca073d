#pragma once

#include <QByteArray>
#include <QFile>
#include <QFuture>
#include <QString>

// Writing files without ever writing through a symbolic link: a link that someone placed
// under one of our names (dangling or not) must not make us write somewhere else.
namespace SafeFile {

// True when something, a dangling link included, has this name.
bool nameTaken(const QString& path);

// Opens the file for reading and writing without following a link at its name. With create,
// a missing file is made (mode 0644 before the umask); otherwise it must exist. On failure
// the reason is in *error.
bool openForWriting(QFile& file, const QString& path, bool create, QString* error);

// False when the open file is no longer the one with the path on disk: removed, or replaced by
// another file (a folder removed and made again). Writing on would be writing into nothing.
bool isStillOnDisk(const QFile& file, const QString& path);

// Makes the data written to the open file durable; false on a disk error (errno in *error).
bool syncData(QFile& file, QString* error);
// The same on the thread pool, so that the caller's thread keeps serving the network; the
// result is the error text, empty on success. The file may be closed in the meantime.
QFuture<QString> syncDataInBackground(const QFile& file);

// Replaces the file's content as a whole: the data goes into a temporary file created
// exclusively beside it, which is then renamed over the name (a link at the name is
// replaced, not followed). synced: the data reaches the disk before the rename.
bool replaceContent(const QString& path, const QByteArray& data, bool synced, QString* error);

// Moves a file to a name that must not exist yet (a link counts as existing). Across file
// systems the file is copied into an exclusively created temporary file beside the target
// first, so the target name only ever appears complete.
bool moveToNewName(const QString& from, const QString& to, QString* error);

// The system's text for an errno value ("No space left on device").
QString systemErrorText(int errorNumber);

} // namespace SafeFile
