#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QObject>
#include <QString>

#include <memory>

class QTemporaryFile;

// Takes a download's body as it arrives, in memory or in a new temporary file, digesting it on
// the way and refusing to grow past a bound. Attached to its reply as a child.
class DownloadSink : public QObject
{
    Q_OBJECT
public:
    // "temporaryTemplate" empty: the body is kept in memory.
    DownloadSink(qint64 maximumSize, const QString& temporaryTemplate, QObject* parent);
    ~DownloadSink() override;

    // False once the body went past the bound or could not be written; later data is ignored.
    bool append(const QByteArray& data);

    bool isTooLarge() const { return m_tooLarge; }
    QString failure() const { return m_failure; }
    qint64 size() const { return m_size; }
    QByteArray digest() const;
    QByteArray body() const { return m_body; }
    // The finished temporary file, closed; empty in memory mode or after a failure.
    QString finishFile();
    // Keeps the temporary file after it was moved into place.
    void releaseFile();

private:
    qint64 m_maximumSize;
    qint64 m_size = 0;
    bool m_tooLarge = false;
    QString m_failure;
    QByteArray m_body;
    std::unique_ptr<QTemporaryFile> m_file;
    QCryptographicHash m_hash { QCryptographicHash::Sha256 };
};
