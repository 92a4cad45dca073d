#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// What a child program left: exit code (-1 when it did not end in time, -2 when it crashed)
// and its output.
struct ProgramRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

namespace TestProcess {

ProgramRun run(const QString& program, const QStringList& arguments,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
// Debian's ffmpeg, quiet and overwriting; its log is printed when it fails.
bool ffmpeg(const QStringList& arguments, const QString& workingDirectory = QString());

} // namespace TestProcess
