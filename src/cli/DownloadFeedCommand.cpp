#include "DownloadFeedCommand.h"

#include "BrowseSupport.h"
#include "DownloadSession.h"
#include "FeedKinds.h"
#include "core/AppContext.h"
#include "download/BatchDownloadHelper.h"
#include "download/DownloadList.h"
#include "download/ProcessingElement.h"
#include "services/FeedDataFetcher.h"
#include "services/MediaFeed.h"

QString DownloadFeedCommand::summary() const
{
    return QStringLiteral(
        "Download a whole feed: download-feed URL --kind KIND [--audio|--video].");
}

void DownloadFeedCommand::configure(QCommandLineParser& parser) const
{
    parser.addPositionalArgument(
        QStringLiteral("url"), QStringLiteral("The user or playlist page address."));
    parser.addOption(QCommandLineOption(QStringLiteral("kind"),
        QStringLiteral("uploads, favorites, likes or playlist."), QStringLiteral("kind")));
    DownloadSession::addTypeOptions(parser);
}

int DownloadFeedCommand::run(const QCommandLineParser& parser, const CliOutput& out)
{
    QString address;
    if (!BrowseSupport::joinedArguments(parser, name(), out, &address))
        return UsageError;
    const QString kindName = parser.value(QStringLiteral("kind"));
    const int kind = FeedKinds::byName(kindName);
    if (kind < 0 || kind == FeedKind::Related) {
        out.error(QStringLiteral("kestrofan-cli download-feed: --kind must be uploads, "
                                 "favorites, likes or playlist"));
        return UsageError;
    }
    int type = MediaDescriptor::Video;
    if (!DownloadSession::targetType(parser, name(), out, &type))
        return UsageError;
    if (!BrowseSupport::loadServices(out))
        return Failed;
    // The first page, as the feed view shows it; the helper walks the others.
    const std::unique_ptr<FeedDataFetcher> first
        = BrowseSupport::readFeedPage(name(), address, kindName, 1, QString(), out);
    if (!first)
        return Failed;
    DownloadSession session(name(), out);
    BatchDownloadHelper batch(
        AppContext::serviceRegistry(), session.downloads(), MediaDescriptor::MediaType(type));
    QObject::connect(session.downloads(), &DownloadList::jobAdded, &session,
        [&session](ProcessingElement* job) { session.track(job); });
    QObject::connect(&batch, &BatchDownloadHelper::finished, &session, [&session, &batch] {
        for (const QString& failure : batch.failures())
            session.addFailure(failure);
        session.setPendingWork(0);
    });
    batch.downloadItems(first->items(), first->serviceName());
    session.setPendingWork(1);
    batch.start(*first);
    return session.run();
}
