#include "SystemProcess.h"

#include <QDeadlineTimer>
#include <QFileInfo>

namespace {

// How often a waiting run looks at its cancellation handle.
constexpr qint64 kPollMs = 50;

} // namespace

SystemProcess::SystemProcess(QObject* parent)
    : QObject(parent)
{
    m_process.setReadChannel(QProcess::StandardOutput);
}

bool SystemProcess::run(const QString& program, const QStringList& arguments, bool collectOutput)
{
    m_program = program;
    // An object may run several programs: each run reports only its own output and error.
    m_output.clear();
    m_errorOutput.clear();
    m_errorString.clear();
    m_exitCode = -1;
    m_outputDecoder.resetState();
    m_errorDecoder.resetState();
    m_cancelled = false;
    m_timedOut = false;
    if (isCancelRequested()) {
        m_cancelled = true;
        m_errorString = tr("External process %1 was cancelled").arg(programName());
        return false;
    }
    m_process.setProcessChannelMode(
        m_channels == Channels::Merged ? QProcess::MergedChannels : QProcess::SeparateChannels);
    if (collectOutput) {
        connect(&m_process, &QProcess::readyReadStandardOutput, this, &SystemProcess::onReadyRead);
        connect(&m_process, &QProcess::readyReadStandardError, this, &SystemProcess::onReadyRead);
    }
    connect(&m_process, &QProcess::errorOccurred, this, &SystemProcess::onError);

    // The program is never split into words: an empty list runs it without arguments.
    m_process.start(program, arguments, QIODevice::ReadWrite);
    waitForEnd();
    if (m_process.exitStatus() == QProcess::CrashExit)
        m_errorString = m_process.errorString();
    // Ending it ourselves shows as a crash; say what really happened.
    if (m_timedOut)
        onError(QProcess::Timedout);
    if (m_cancelled)
        m_errorString = tr("External process %1 was cancelled").arg(programName());
    else if (m_errorString.isEmpty())
        m_exitCode = m_process.exitCode();

    if (collectOutput) {
        // Whatever arrived after the last readyRead() still belongs to the answer: a helper's
        // JSON must never be cut short.
        onReadyRead();
        disconnect(
            &m_process, &QProcess::readyReadStandardOutput, this, &SystemProcess::onReadyRead);
        disconnect(
            &m_process, &QProcess::readyReadStandardError, this, &SystemProcess::onReadyRead);
    }
    disconnect(&m_process, &QProcess::errorOccurred, this, &SystemProcess::onError);
    m_process.close();
    return m_errorString.isEmpty();
}

void SystemProcess::waitForEnd()
{
    if (!m_process.waitForStarted(-1))
        return;
    QDeadlineTimer deadline(m_timeout);
    QDeadlineTimer killAt = QDeadlineTimer::Forever;
    bool ending = false;
    while (m_process.state() != QProcess::NotRunning) {
        if (!ending && (isCancelRequested() || deadline.hasExpired())) {
            m_cancelled = !deadline.hasExpired();
            m_timedOut = !m_cancelled;
            ending = true;
            m_process.terminate();
            killAt = QDeadlineTimer(m_gracePeriod);
        } else if (ending && killAt.hasExpired()) {
            m_process.kill();
            killAt = QDeadlineTimer::Forever;
        }
        const qint64 left = ending ? killAt.remainingTime() : deadline.remainingTime();
        m_process.waitForFinished(int(left < 0 ? kPollMs : qBound(qint64(1), left, kPollMs)));
    }
}

bool SystemProcess::isCancelRequested() const
{
    return m_cancellation && m_cancellation->isCancelled();
}

QString SystemProcess::programName() const
{
    return QFileInfo(m_program).fileName();
}

void SystemProcess::onReadyRead()
{
    m_output += m_outputDecoder.decode(m_process.readAllStandardOutput());
    // In merged mode standard error arrives on standard output.
    if (m_channels == Channels::Separate)
        m_errorOutput += m_errorDecoder.decode(m_process.readAllStandardError());
}

void SystemProcess::onError(QProcess::ProcessError error)
{
    const QString name = programName();
    switch (error) {
    case QProcess::FailedToStart:
        m_errorString = tr("External process %1 failed to start").arg(name);
        break;
    case QProcess::Crashed:
        m_errorString = tr("External process %1 crashed").arg(name);
        break;
    case QProcess::Timedout:
        m_errorString = tr("External process %1 timed out").arg(name);
        break;
    default:
        m_errorString = tr("External process %1 failed: Unknown reson").arg(name);
        break;
    }
}
