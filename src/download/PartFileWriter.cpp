#include "PartFileWriter.h"

void PartFileWriter::useOwnFile(const QString& path, qint64 limit)
{
    close();
    m_file.setFileName(path);
    m_shared = false;
    m_offset = 0;
    m_bytesDone = 0;
    m_limit = limit;
}

void PartFileWriter::useSharedFile(
    const QString& path, qint64 offset, qint64 bytesDone, qint64 limit)
{
    close();
    m_file.setFileName(path);
    m_shared = true;
    m_offset = offset;
    m_bytesDone = bytesDone;
    m_limit = limit;
}

bool PartFileWriter::open()
{
    if (m_file.isOpen())
        return true;
    // Unbuffered: every write is on its way to the disk at once, so the file never holds
    // less than what was reported, and no part's bytes wait in a buffer of their own.
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return false;
    if (m_shared)
        return true;
    m_bytesDone = m_file.size();
    // A longer file holds more than this part (an append of later parts was cut short).
    if (m_limit >= 0 && m_bytesDone > m_limit) {
        if (!m_file.resize(m_limit))
            return false;
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
    if (m_file.pos() != m_offset + m_bytesDone && !m_file.seek(m_offset + m_bytesDone))
        return false;
    const qint64 count = m_file.write(data, length);
    if (count != length)
        return false;
    m_bytesDone += count;
    *written = count;
    return true;
}

bool PartFileWriter::restart()
{
    m_bytesDone = 0;
    return m_shared || !m_file.isOpen() || m_file.resize(0);
}
