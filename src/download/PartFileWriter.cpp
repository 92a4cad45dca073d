#include "PartFileWriter.h"

#include "app/SafeFile.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("PartFileWriter", text);
}

} // namespace

QString PartFileWriter::describeFailure(int errorNumber, const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    switch (errorNumber) {
    case ENOSPC:
    case EDQUOT:
        return tr("No space left on device in %1").arg(folder);
    case EACCES:
    case EPERM:
    case EROFS:
        return tr("The folder %1 is not writable").arg(folder);
    case ENOENT:
        return tr("%1 was removed during the download").arg(path);
    case ELOOP:
        return tr("%1 is a symbolic link").arg(path);
    default:
        return QStringLiteral("%1 (%2)").arg(SafeFile::systemErrorText(errorNumber), path);
    }
}

void PartFileWriter::useOwnFile(const QString& path, qint64 limit)
{
    close();
    m_path = path;
    m_shared = false;
    m_offset = 0;
    m_bytesDone = 0;
    m_limit = limit;
}

void PartFileWriter::useSharedFile(
    const QString& path, qint64 offset, qint64 bytesDone, qint64 limit)
{
    close();
    m_path = path;
    m_shared = true;
    m_offset = offset;
    m_bytesDone = bytesDone;
    m_limit = limit;
}

bool PartFileWriter::open()
{
    if (m_file.isOpen())
        return true;
    m_error.clear();
    // The shared file is the owner's: when it is gone, the download lost its bytes.
    errno = 0;
    if (!SafeFile::openForWriting(m_file, m_path, !m_shared, &m_error)) {
        if (errno != 0)
            m_error = describeFailure(errno, m_path);
        return false;
    }
    if (m_shared)
        return true;
    m_bytesDone = m_file.size();
    // A longer file holds more than this part (an append of later parts was cut short).
    if (m_limit >= 0 && m_bytesDone > m_limit) {
        if (!m_file.resize(m_limit)) {
            m_error = m_file.errorString();
            return false;
        }
        m_bytesDone = m_limit;
    }
    return true;
}

void PartFileWriter::close()
{
    if (m_file.isOpen())
        m_file.close();
}

bool PartFileWriter::write(const char* data, qint64 length, qint64* written)
{
    *written = 0;
    if (m_limit >= 0)
        length = qMin(length, m_limit - m_bytesDone);
    if (length <= 0)
        return true;
#ifdef Q_OS_UNIX
    // Written straight to the file at the part's place: no buffer of our own, and the
    // system's reason when the disk refuses.
    while (*written < length) {
        const ssize_t count = ::pwrite(m_file.handle(), data + *written, size_t(length - *written),
            off_t(m_offset + m_bytesDone));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            m_error = describeFailure(count < 0 ? errno : ENOSPC, m_path);
            return false;
        }
        *written += count;
        m_bytesDone += count;
    }
    return true;
#else
    if (m_file.pos() != m_offset + m_bytesDone && !m_file.seek(m_offset + m_bytesDone)) {
        m_error = m_file.errorString();
        return false;
    }
    const qint64 count = m_file.write(data, length);
    if (count > 0) {
        m_bytesDone += count;
        *written = count;
    }
    if (count != length) {
        m_error = m_file.errorString();
        return false;
    }
    return true;
#endif
}

bool PartFileWriter::restart()
{
    m_bytesDone = 0;
    return m_shared || !m_file.isOpen() || m_file.resize(0);
}

bool PartFileWriter::isStillOnDisk() const
{
    return SafeFile::isStillOnDisk(m_file, m_path);
}
