#include "RemoveCommand.h"

#include "app/DbConnection.h"
#include "core/AppContext.h"
#include "download/DownloadList.h"
#include "download/DownloadsModel.h"
#include "download/JobSettings.h"

QString RemoveCommand::summary() const
{
    return QStringLiteral("Remove downloads from the list: remove ID...");
}

void RemoveCommand::configure(QCommandLineParser& parser) const
{
    parser.addPositionalArgument(QStringLiteral("id"),
        QStringLiteral("Download ids, as \"downloads\" lists them."), QStringLiteral("ID..."));
}

int RemoveCommand::run(const QCommandLineParser& parser, const CliOutput& out)
{
    QList<int> ids;
    for (const QString& text : parser.positionalArguments()) {
        bool ok = false;
        const int id = text.toInt(&ok);
        if (!ok || id <= 0) {
            out.error(
                QStringLiteral("kestrofan-cli remove: \"%1\" is not a download id").arg(text));
            return UsageError;
        }
        ids << id;
    }
    if (ids.isEmpty()) {
        out.error(QStringLiteral("kestrofan-cli remove: give at least one download id"));
        return UsageError;
    }
    DbConnection database;
    DownloadsModel records(nullptr, database.connection());
    // Only listed, not queued: nothing starts while downloads are removed.
    DownloadList downloads(
        nullptr, AppContext::jobServices(&records), [] { return JobSettings::fromPreferences(); });
    downloads.restore();
    int result = Success;
    for (int id : std::as_const(ids)) {
        ProcessingElement* job = downloads.job(id);
        if (!job) {
            out.error(QStringLiteral("kestrofan-cli remove: no download has the id %1").arg(id));
            result = Failed;
            continue;
        }
        downloads.remove(job);
        out.line(QStringLiteral("removed %1").arg(id));
    }
    return result;
}
