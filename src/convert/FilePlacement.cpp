#include "FilePlacement.h"

#include "app/FileNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

QString candidateName(const QString& stem, int counter, const QString& extension)
{
    QString tail = counter > 0 ? QStringLiteral("-%1").arg(counter) : QString();
    if (!extension.isEmpty())
        tail += QLatin1Char('.') + extension;
    return FileNames::fitted(stem, tail);
}

QString translated(const char* text)
{
    return QCoreApplication::translate("FilePlacement", text);
}

#ifdef Q_OS_UNIX
QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}
#endif

// Enough tries for a folder full of earlier downloads of one title, and a bound when names
// keep being taken under our feet.
constexpr int maximumCounter = 100000;
constexpr int maximumAttempts = 100;

} // namespace

bool FilePlacement::isTaken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString FilePlacement::uniqueFileName(
    const QString& directory, const QString& stem, const QString& extension)
{
    const QDir folder(directory);
    for (int counter = 0; counter < maximumCounter; ++counter) {
        const QString path = folder.filePath(candidateName(stem, counter, extension));
        if (!isTaken(path))
            return path;
    }
    return QString();
}

bool FilePlacement::moveWithoutReplacing(const QString& from, const QString& to, QString* error)
{
#ifdef Q_OS_LINUX
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE)
        == 0)
        return true;
    if (errno == EINVAL || errno == ENOSYS) {
        // File systems without the no-replace rename: a hard link fails on a taken name too.
        if (::link(source.constData(), target.constData()) == 0) {
            ::unlink(source.constData());
            return true;
        }
    }
    *error = translated("Could not move %1 to %2: %3").arg(from, to, systemError());
    return false;
#else
    if (isTaken(to) || !QFile::rename(from, to)) {
        *error = translated("Could not move %1 to %2").arg(from, to);
        return false;
    }
    return true;
#endif
}

QString FilePlacement::moveToFreeName(const QString& from, const QString& directory,
    const QString& stem, const QString& extension, QString* error)
{
    // A name taken between the check and the move sends us to the next free one.
    for (int attempt = 0; attempt < maximumAttempts; ++attempt) {
        const QString path = uniqueFileName(directory, stem, extension);
        if (path.isEmpty())
            break;
        if (moveWithoutReplacing(from, path, error))
            return path;
        if (!isTaken(path))
            return QString();
    }
    *error = translated("No free file name for %1 in %2").arg(stem, directory);
    return QString();
}

bool FilePlacement::replace(const QString& source, const QString& target, QString* error)
{
#ifdef Q_OS_UNIX
    // rename() swaps the name in one step: the target is never missing or half written.
    if (std::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData())
        == 0)
        return true;
    *error = translated("Could not replace %1: %2").arg(target, systemError());
    return false;
#else
    if (QFile::exists(target) && !QFile::remove(target)) {
        *error = translated("Could not replace %1").arg(target);
        return false;
    }
    if (!QFile::rename(source, target)) {
        *error = translated("Could not replace %1").arg(target);
        return false;
    }
    return true;
#endif
}
