#include "HelperVersionProbe.h"

namespace {
// More than a version line means something else answered.
constexpr qint64 MaxAnswerBytes = 4096;
} // namespace

HelperVersionProbe::HelperVersionProbe(QObject* parent, int timeoutMs)
    : QObject(parent)
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(timeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, &HelperVersionProbe::onTimeout);
    connect(&m_process, &QProcess::finished, this, &HelperVersionProbe::onFinished);
    connect(&m_process, &QProcess::errorOccurred, this, &HelperVersionProbe::onErrorOccurred);
}

HelperVersionProbe::~HelperVersionProbe()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}

void HelperVersionProbe::start(const QString& program)
{
    m_done = false;
    if (program.isEmpty()) {
        m_done = true;
        emit failed(tr("No download helper is installed."));
        return;
    }
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(program, { QStringLiteral("--version") }, QIODevice::ReadOnly);
    m_timeout.start();
}

void HelperVersionProbe::onFinished(int exitCode, QProcess::ExitStatus status)
{
    if (m_done)
        return;
    finish();
    const QString answer
        = QString::fromUtf8(m_process.read(MaxAnswerBytes)).section(QLatin1Char('\n'), 0, 0);
    if (status != QProcess::NormalExit || exitCode != 0 || answer.trimmed().isEmpty()) {
        emit failed(tr("The download helper did not tell its version."));
        return;
    }
    emit versionFound(answer.trimmed());
}

void HelperVersionProbe::onErrorOccurred(QProcess::ProcessError error)
{
    // A crash or a kill also ends in finished(); only a failed start does not.
    if (m_done || error != QProcess::FailedToStart)
        return;
    finish();
    emit failed(tr("The download helper could not be started: %1").arg(m_process.errorString()));
}

void HelperVersionProbe::onTimeout()
{
    if (m_done)
        return;
    finish();
    m_process.kill();
    emit failed(tr("The download helper did not answer in time."));
}

void HelperVersionProbe::finish()
{
    m_done = true;
    m_timeout.stop();
}
