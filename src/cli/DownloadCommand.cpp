#include "DownloadCommand.h"

#include "BrowseSupport.h"
#include "DownloadSession.h"
#include "core/AppContext.h"
#include "download/DownloadInitiator.h"
#include "download/DownloadList.h"
#include "services/MediaItem.h"

#include <memory>

QString DownloadCommand::summary() const
{
    return QStringLiteral("Download media pages: download [--audio|--video] URL...");
}

void DownloadCommand::configure(QCommandLineParser& parser) const
{
    parser.addPositionalArgument(
        QStringLiteral("url"), QStringLiteral("Media page addresses."), QStringLiteral("URL..."));
    DownloadSession::addTypeOptions(parser);
}

int DownloadCommand::run(const QCommandLineParser& parser, const CliOutput& out)
{
    const QStringList addresses = parser.positionalArguments();
    if (addresses.isEmpty()) {
        out.error(QStringLiteral("kestrofan-cli download: give at least one address"));
        return UsageError;
    }
    int type = MediaDescriptor::Video;
    if (!DownloadSession::targetType(parser, name(), out, &type))
        return UsageError;
    if (!BrowseSupport::loadServices(out))
        return Failed;

    DownloadSession session(name(), out);
    int pending = int(addresses.size());
    std::vector<std::unique_ptr<DownloadInitiator>> initiators;
    for (const QString& address : addresses) {
        auto initiator = std::make_unique<DownloadInitiator>(AppContext::serviceRegistry());
        initiator->extractAhead(AppContext::helperRegistry(), AppContext::processPool());
        QObject::connect(initiator.get(), &DownloadInitiator::finished, &session,
            [&session, &pending, address, type, raw = initiator.get()] {
                if (raw->mediaItem()) {
                    session.track(session.downloads()->startDownload(*raw->mediaItem(),
                        MediaDescriptor::MediaType(type), raw->takeExtraction()));
                } else {
                    session.addFailure(
                        QStringLiteral("could not read \"%1\": %2").arg(address, raw->errorText()));
                }
                session.setPendingWork(--pending);
            });
        if (!initiator->initiate(address, MediaDescriptor::MediaType(type))) {
            session.addFailure(initiator->errorText());
            --pending;
        }
        initiators.push_back(std::move(initiator));
    }
    session.setPendingWork(pending);
    return session.run();
}
