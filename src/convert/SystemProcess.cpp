#include "SystemProcess.h"

#include <QFileInfo>

SystemProcess::SystemProcess(QObject* parent)
    : QObject(parent)
{
    m_process.setReadChannel(QProcess::StandardOutput);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

bool SystemProcess::run(const QString& program, const QStringList& arguments, bool collectOutput)
{
    m_program = program;
    // An object may run several programs: each run reports only its own output and error.
    m_output.clear();
    m_errorString.clear();
    m_exitCode = -1;
    m_decoder.resetState();
    if (collectOutput)
        connect(&m_process, &QProcess::readyRead, this, &SystemProcess::onReadyRead);
    connect(&m_process, &QProcess::errorOccurred, this, &SystemProcess::onError);

    // The program is never split into words: an empty list runs it without arguments.
    m_process.start(program, arguments, QIODevice::ReadWrite);
    if (!m_process.waitForFinished(m_timeout) && m_process.state() != QProcess::NotRunning) {
        // Qt records a time-out without signalling it.
        onError(QProcess::Timedout);
    }
    if (m_process.exitStatus() == QProcess::CrashExit)
        m_errorString = m_process.errorString();
    else if (m_errorString.isEmpty())
        m_exitCode = m_process.exitCode();

    if (collectOutput) {
        // Whatever arrived after the last readyRead() still belongs to the answer: a helper's
        // JSON must never be cut short.
        onReadyRead();
        disconnect(&m_process, &QProcess::readyRead, this, &SystemProcess::onReadyRead);
    }
    disconnect(&m_process, &QProcess::errorOccurred, this, &SystemProcess::onError);
    m_process.close();
    return m_errorString.isEmpty();
}

void SystemProcess::onReadyRead()
{
    // Standard error arrives on this channel too (merged channels).
    m_output += m_decoder.decode(m_process.readAllStandardOutput());
}

void SystemProcess::onError(QProcess::ProcessError error)
{
    const QString name = QFileInfo(m_program).fileName();
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
