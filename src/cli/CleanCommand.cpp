#include "CleanCommand.h"

#include "app/DbConnection.h"
#include "core/AppContext.h"
#include "download/DownloadList.h"
#include "download/DownloadsModel.h"
#include "download/JobSettings.h"

QString CleanCommand::summary() const
{
    return QStringLiteral("Remove every finished and cancelled download from the list: clean.");
}

void CleanCommand::configure(QCommandLineParser& parser) const
{
    Q_UNUSED(parser)
}

int CleanCommand::run(const QCommandLineParser& parser, const CliOutput& out)
{
    Q_UNUSED(parser)
    DbConnection database;
    DownloadsModel records(nullptr, database.connection());
    DownloadList downloads(
        nullptr, AppContext::jobServices(&records), [] { return JobSettings::fromPreferences(); });
    downloads.restore();
    const int removed = downloads.cleanUp();
    out.line(QStringLiteral("removed %1 download(s)").arg(removed));
    return Success;
}
