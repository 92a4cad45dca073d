#include "TestProcess.h"

#include <QDebug>
#include <QProcess>

namespace TestProcess {

ProgramRun run(
    const QString& program, const QStringList& arguments, const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ProgramRun result;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

bool ffmpeg(const QStringList& arguments, const QString& workingDirectory)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(workingDirectory);
    process.start("ffmpeg", QStringList { "-hide_banner", "-loglevel", "error", "-y" } + arguments);
    const bool ok = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
    if (!ok)
        qWarning().noquote() << "ffmpeg failed:" << arguments.join(QLatin1Char(' '))
                             << process.readAll();
    return ok;
}

} // namespace TestProcess
