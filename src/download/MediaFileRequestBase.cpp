#include "MediaFileRequestBase.h"

#include "FileJoinerBase.h"
#include "app/FatalStop.h"
#include "app/PlainName.h"
#include "app/Prefs.h"

#include <QDir>
#include <QtConcurrent>

MediaFileRequestBase::MediaFileRequestBase(
    const QString& baseName, FileJoinerBase* joiner, QObject* parent)
    : QObject(parent)
    , m_baseName(baseName)
    , m_joiner(joiner)
{
    connect(&m_joinWatcher, &QFutureWatcher<QString>::finished, this,
        &MediaFileRequestBase::onFileSegmentsJoined);
}

MediaFileRequestBase::~MediaFileRequestBase() = default;

QString MediaFileRequestBase::temporaryDirectory() const
{
    QString directory = m_temporaryDirectory.isEmpty() ? Prefs::mediaPath() + Prefs::mediaTmpDir()
                                                       : m_temporaryDirectory;
    if (!directory.endsWith(QLatin1Char('/')) && !directory.endsWith(QDir::separator()))
        directory += QDir::separator();
    QDir().mkpath(directory);
    return directory;
}

void MediaFileRequestBase::setTemporaryDirectory(const QString& directory)
{
    m_temporaryDirectory = directory;
}

QString MediaFileRequestBase::tempFilePath(const QString& name) const
{
    if (!isPlainFileName(name))
        return QString();
    return temporaryDirectory() + name;
}

bool MediaFileRequestBase::isPlainFileName(const QString& name)
{
    return PlainName::isValid(name);
}

void MediaFileRequestBase::onTempPause()
{ }

void MediaFileRequestBase::onTempResume()
{ }

void MediaFileRequestBase::onLimitBandwidthChanged(bool doLimit)
{
    emit limitBandwidthChanged(doLimit);
}

void MediaFileRequestBase::joinFiles(const QStringList& files, const QString& target)
{
    std::shared_ptr<FileJoinerBase> joiner = m_joiner;
    if (!joiner) {
        FatalStop::die(QStringLiteral(
            "Unexpected in MediaFileRequestBase::onFileSegmentsJoined(): fileJoiner was NULL"));
        return;
    }
    m_joinWatcher.setFuture(
        QtConcurrent::run([joiner, files, target]() { return joiner->join(files, target); }));
}

void MediaFileRequestBase::onFileSegmentsJoined()
{
    m_resultFileName = m_joinWatcher.result();
    if (!m_resultFileName.isEmpty()) {
        m_complete = true;
    } else if (!m_joiner->errorText().isEmpty()) {
        cleanUpBeforeError();
        reportError(m_joiner->errorText());
    }
    emit finished();
}

void MediaFileRequestBase::markComplete(const QString& resultFileName)
{
    m_resultFileName = resultFileName;
    m_complete = true;
}

void MediaFileRequestBase::onError(QString errMsg)
{
    reportError(errMsg);
}

void MediaFileRequestBase::reportError(const QString& text)
{
    if (!errorText().isEmpty())
        return;
    setErrorText(text);
    emit error(text);
}
