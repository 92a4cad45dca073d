#include "SetupCommand.h"

#include "DesktopIntegration.h"

#include "core/Installation.h"

#include <QJsonArray>
#include <QJsonObject>

QString SetupCommand::summary() const
{
    return QStringLiteral("Create the data folder and database and add kestrofan to the desktop "
                          "(safe to run again).");
}

void SetupCommand::configure(QCommandLineParser&) const
{ }

int SetupCommand::run(const QCommandLineParser&, const CliOutput& out)
{
    QStringList report;
    QString error;
    const bool ok = Installation().run(&report, &error)
        && DesktopIntegration(DesktopIntegration::userLocations()).run(&report, &error);
    if (out.isJson()) {
        out.json(QJsonObject { { QStringLiteral("ok"), ok },
            { QStringLiteral("steps"), QJsonArray::fromStringList(report) },
            { QStringLiteral("error"), error } });
    } else {
        for (const QString& line : std::as_const(report))
            out.line(line);
    }
    if (!ok) {
        out.error(error);
        return Failed;
    }
    return Success;
}
