#include "SetupCommand.h"

#include "core/Installation.h"

#include <QJsonArray>
#include <QJsonObject>

QString SetupCommand::summary() const
{
    return QStringLiteral("Create the data folder and database (safe to run again).");
}

void SetupCommand::configure(QCommandLineParser&) const
{ }

int SetupCommand::run(const QCommandLineParser&, const CliOutput& out)
{
    QStringList report;
    QString error;
    const bool ok = Installation().run(&report, &error);
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
