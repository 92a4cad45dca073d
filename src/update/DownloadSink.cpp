#include "DownloadSink.h"

#include <QTemporaryFile>

DownloadSink::DownloadSink(qint64 maximumSize, const QString& temporaryTemplate, QObject* parent)
    : QObject(parent)
    , m_maximumSize(maximumSize)
{
    if (temporaryTemplate.isEmpty())
        return;
    // A new file of our own, never an existing name, so nothing is written through a link.
    m_file = std::make_unique<QTemporaryFile>(temporaryTemplate);
    if (!m_file->open())
        m_failure = m_file->errorString();
}

DownloadSink::~DownloadSink() = default;

bool DownloadSink::append(const QByteArray& data)
{
    if (m_tooLarge || !m_failure.isEmpty())
        return false;
    m_size += data.size();
    if (m_size > m_maximumSize) {
        m_tooLarge = true;
        m_body.clear();
        if (m_file)
            m_file->resize(0);
        return false;
    }
    m_hash.addData(data);
    if (!m_file) {
        m_body.append(data);
    } else if (m_file->write(data) != data.size()) {
        m_failure = m_file->errorString();
        return false;
    }
    return true;
}

QByteArray DownloadSink::digest() const
{
    return m_hash.result();
}

QString DownloadSink::finishFile()
{
    if (!m_file || !m_failure.isEmpty() || m_tooLarge)
        return QString();
    if (!m_file->flush()) {
        m_failure = m_file->errorString();
        return QString();
    }
    m_file->close();
    return m_file->fileName();
}

void DownloadSink::releaseFile()
{
    if (m_file)
        m_file->setAutoRemove(false);
}
