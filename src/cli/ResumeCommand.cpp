#include "ResumeCommand.h"

#include "BrowseSupport.h"
#include "DownloadSession.h"
#include "download/DownloadList.h"
#include "download/ProcessingElement.h"

QString ResumeCommand::summary() const
{
    return QStringLiteral("Run the unfinished downloads to the end: resume.");
}

void ResumeCommand::configure(QCommandLineParser& parser) const
{
    Q_UNUSED(parser)
}

int ResumeCommand::run(const QCommandLineParser& parser, const CliOutput& out)
{
    Q_UNUSED(parser)
    if (!BrowseSupport::loadServices(out))
        return Failed;
    DownloadSession session(name(), out);
    // The queue may have started the first one already.
    for (ProcessingElement* job : session.downloads()->restore()) {
        if (ProcessingStates::isUnfinished(job->state()))
            session.track(job);
    }
    return session.run();
}
