#include "SafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QtConcurrent>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace SafeFile {

QString systemErrorText(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

bool nameTaken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool openForWriting(QFile& file, const QString& path, bool create, QString* error)
{
    if (file.isOpen())
        file.close();
#ifdef Q_OS_UNIX
    int flags = O_RDWR | O_NOFOLLOW | O_CLOEXEC;
    if (create)
        flags |= O_CREAT;
    const int handle = ::open(QFile::encodeName(path).constData(), flags, 0644);
    if (handle < 0) {
        const int reason = errno;
        if (error) {
            *error = reason == ELOOP ? QStringLiteral("%1 is a symbolic link").arg(path)
                                     : QStringLiteral("%1: %2").arg(systemErrorText(reason), path);
        }
        return false;
    }
    file.setFileName(path);
    if (!file.open(
            handle, QIODevice::ReadWrite | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
#else
    file.setFileName(path);
    QIODevice::OpenMode mode = QIODevice::ReadWrite | QIODevice::Unbuffered;
    if (!create)
        mode |= QIODevice::ExistingOnly;
    if (QFileInfo(path).isSymLink() || !file.open(mode)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(file.errorString(), path);
        return false;
    }
    return true;
#endif
}

bool isStillOnDisk(const QFile& file, const QString& path)
{
    if (!file.isOpen())
        return false;
#ifdef Q_OS_UNIX
    struct stat open = {};
    struct stat named = {};
    if (::fstat(file.handle(), &open) != 0 || open.st_nlink == 0)
        return false;
    if (::lstat(QFile::encodeName(path).constData(), &named) != 0)
        return false;
    return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
#else
    return QFileInfo::exists(path);
#endif
}

bool syncData(QFile& file, QString* error)
{
#ifdef Q_OS_UNIX
    if (file.isOpen() && ::fdatasync(file.handle()) != 0) {
        if (error)
            *error = systemErrorText(errno);
        return false;
    }
#else
    Q_UNUSED(file);
    Q_UNUSED(error);
#endif
    return true;
}

QFuture<QString> syncDataInBackground(const QFile& file)
{
#ifdef Q_OS_UNIX
    // A handle of its own: the file's may be closed, and its number reused, meanwhile.
    const int handle = file.isOpen() ? ::dup(file.handle()) : -1;
    if (handle < 0)
        return QtFuture::makeReadyFuture(file.isOpen() ? systemErrorText(errno) : QString());
    return QtConcurrent::run([handle] {
        const bool synced = ::fdatasync(handle) == 0;
        const int reason = errno;
        ::close(handle);
        return synced ? QString() : systemErrorText(reason);
    });
#else
    Q_UNUSED(file);
    return QtFuture::makeReadyFuture(QString());
#endif
}

bool replaceContent(const QString& path, const QByteArray& data, bool synced, QString* error)
{
    const QFileInfo info(path);
    QTemporaryFile temporary(
        info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
    if (!temporary.open() || temporary.write(data) != data.size() || !temporary.flush()) {
        if (error)
            *error = temporary.errorString();
        return false;
    }
#ifdef Q_OS_UNIX
    if (synced && ::fdatasync(temporary.handle()) != 0) {
        if (error)
            *error = systemErrorText(errno);
        return false;
    }
#else
    Q_UNUSED(synced);
#endif
    temporary.close();
    // rename() replaces whatever has the name, a link included, and never follows it.
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(),
            QFile::encodeName(path).constData())
        != 0) {
        if (error)
            *error = systemErrorText(errno);
        return false;
    }
    temporary.setAutoRemove(false);
    return true;
}

namespace {

// Gives the file a new name unless the name is taken; false with errno set otherwise.
bool renameNoReplace(const QString& from, const QString& to)
{
#ifdef Q_OS_LINUX
    if (::renameat2(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD,
            QFile::encodeName(to).constData(), RENAME_NOREPLACE)
        == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
#ifdef Q_OS_UNIX
    // link() fails when the name exists, whatever it is; then the old name goes.
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return false;
    ::unlink(QFile::encodeName(from).constData());
    return true;
#else
    if (nameTaken(to)) {
        errno = EEXIST;
        return false;
    }
    return QFile::rename(from, to);
#endif
}

} // namespace

bool moveToNewName(const QString& from, const QString& to, QString* error)
{
    if (renameNoReplace(from, to))
        return true;
    if (errno != EXDEV) {
        if (error)
            *error = systemErrorText(errno);
        return false;
    }
    // Another file system: a complete copy under a private name, then the new name.
    QFile source(from);
    const QFileInfo target(to);
    QTemporaryFile copy(target.absolutePath() + QStringLiteral("/.") + target.fileName()
        + QStringLiteral(".XXXXXX"));
    if (!source.open(QIODevice::ReadOnly) || !copy.open()) {
        if (error)
            *error = source.isOpen() ? copy.errorString() : source.errorString();
        return false;
    }
    QByteArray buffer;
    while (!source.atEnd()) {
        buffer = source.read(4 * 1024 * 1024);
        if (buffer.isEmpty() || copy.write(buffer) != buffer.size()) {
            if (error)
                *error = copy.error() != QFileDevice::NoError ? copy.errorString()
                                                              : source.errorString();
            return false;
        }
    }
    if (!copy.flush()) {
        if (error)
            *error = copy.errorString();
        return false;
    }
    copy.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
        | QFileDevice::ReadOther);
    copy.close();
    if (!renameNoReplace(copy.fileName(), to)) {
        if (error)
            *error = systemErrorText(errno);
        return false;
    }
    copy.setAutoRemove(false);
    source.close();
    QFile::remove(from);
    return true;
}

} // namespace SafeFile
