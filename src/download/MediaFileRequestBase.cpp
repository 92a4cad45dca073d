#include "MediaFileRequestBase.h"

#include "FileJoinerBase.h"
#include "app/FatalStop.h"
#include "app/PlainName.h"
#include "app/Prefs.h"
#include "convert/ProcessPool.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
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

MediaFileRequestBase::~MediaFileRequestBase()
{
    if (m_joinCancellation)
        m_joinCancellation->cancel();
}

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

void MediaFileRequestBase::setStreamHeaders(const HttpSemantics::HeaderList& headers)
{
    m_streamHeaders = headers;
}

bool MediaFileRequestBase::claimParts()
{
    if (m_partsLock)
        return true;
    const QString directory = temporaryDirectory();
    const QFileInfo folder(directory);
    if (!folder.isDir() || !folder.isWritable()) {
        // Name the folder that stands in the way: the first one that exists.
        QString blocking = folder.absoluteFilePath();
        while (!QFileInfo(blocking).exists() && QDir(blocking).cdUp())
            blocking = QFileInfo(blocking).absolutePath();
        reportError(
            tr("Download failed: %1")
                .arg(tr("the folder %1 is not writable").arg(QDir::toNativeSeparators(blocking))));
        return false;
    }
    const QString lockPath = tempFilePath(m_baseName + QStringLiteral(".lock"));
    if (lockPath.isEmpty()) {
        reportError(tr("Download failed: %1").arg(tr("invalid file name")));
        return false;
    }
    auto lock = std::make_unique<QLockFile>(lockPath);
    // Held for as long as the download runs; only a lock of a process that is gone is stale.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        reportError(lock->error() == QLockFile::LockFailedError
                ? tr("This file is already being downloaded by another run")
                : tr("Download failed: %1").arg(tr("cannot create %1").arg(lockPath)));
        return false;
    }
    m_partsLock = std::move(lock);
    return true;
}

void MediaFileRequestBase::releaseParts()
{
    m_partsLock.reset();
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
    if (!m_processPool) {
        m_joinWatcher.setFuture(
            QtConcurrent::run([joiner, files, target]() { return joiner->join(files, target); }));
        return;
    }
    m_joinCancellation = m_processPool->newCancellation();
    joiner->setCancellation(m_joinCancellation);
    m_joinWatcher.setFuture(m_processPool->run(
        [joiner, files, target](
            const std::shared_ptr<ProcessCancellation>&) { return joiner->join(files, target); },
        m_joinCancellation));
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
    // A failed download holds nothing back from another attempt.
    releaseParts();
    emit error(text);
}
