#include "DownloadsCommand.h"

#include "app/DbConnection.h"
#include "app/MediaDescriptor.h"
#include "download/DownloadsModel.h"
#include "download/ProcessingStates.h"

#include <QJsonArray>
#include <QJsonObject>

QString DownloadsCommand::summary() const
{
    return QStringLiteral("List the recorded downloads: downloads [--json].");
}

void DownloadsCommand::configure(QCommandLineParser& parser) const
{
    Q_UNUSED(parser)
}

int DownloadsCommand::run(const QCommandLineParser& parser, const CliOutput& out)
{
    Q_UNUSED(parser)
    DbConnection database;
    DownloadsModel records(nullptr, database.connection());
    QJsonArray rows;
    for (const DownloadRecord& row : records.loadDownloads()) {
        const QString state = ProcessingStates::displayName(row.state);
        const QString type
            = MediaDescriptor::mediaTypeName(MediaDescriptor::MediaType(row.targetMediaType));
        if (out.isJson()) {
            rows.append(QJsonObject { { QStringLiteral("id"), row.id },
                { QStringLiteral("state"), row.state }, { QStringLiteral("stateName"), state },
                { QStringLiteral("mediaType"), type }, { QStringLiteral("title"), row.title },
                { QStringLiteral("finishedFile"), row.finishedFileName },
                { QStringLiteral("errorText"), row.errorText },
                { QStringLiteral("pageUrl"), row.permaUrl } });
            continue;
        }
        QString line = QStringLiteral("%1  %2  %3  %4").arg(row.id).arg(state, type, row.title);
        if (!row.finishedFileName.isEmpty())
            line += QStringLiteral("  -> ") + row.finishedFileName;
        if (!row.errorText.isEmpty())
            line += QStringLiteral("  (") + row.errorText + QLatin1Char(')');
        out.line(line);
    }
    if (out.isJson())
        out.json(rows);
    return Success;
}
