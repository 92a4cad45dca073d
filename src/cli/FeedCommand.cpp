#include "FeedCommand.h"

#include "BrowseSupport.h"
#include "FeedKinds.h"
#include "RecordJson.h"
#include "app/UserFacingText.h"
#include "core/AppContext.h"
#include "services/FeedDataFetcher.h"
#include "services/MediaFeed.h"
#include "services/MediaService.h"
#include "services/MediaServices.h"
#include "services/PageDescriptor.h"

QString FeedCommand::summary() const
{
    return QStringLiteral("Show a page of a feed: feed URL --kind KIND [--page N] [--token T].");
}

void FeedCommand::configure(QCommandLineParser& parser) const
{
    parser.addPositionalArgument(
        QStringLiteral("url"), QStringLiteral("The user, media or playlist page address."));
    parser.addOption(QCommandLineOption(QStringLiteral("kind"),
        QStringLiteral("uploads, favorites, likes, related or playlist."), QStringLiteral("kind")));
    BrowseSupport::addPageOption(parser);
    parser.addOption(QCommandLineOption(QStringLiteral("token"),
        QStringLiteral("A page token from an earlier page."), QStringLiteral("token")));
}

int FeedCommand::run(const QCommandLineParser& parser, const CliOutput& out)
{
    QString address;
    if (!BrowseSupport::joinedArguments(parser, name(), out, &address))
        return UsageError;
    const QString kindName = parser.value(QStringLiteral("kind"));
    const int kind = FeedKinds::byName(kindName);
    if (kind < 0) {
        out.error(QStringLiteral("kestrofan-cli feed: --kind must be one of %1")
                      .arg(FeedKinds::names().join(QStringLiteral(", "))));
        return UsageError;
    }
    int page = 1;
    if (!BrowseSupport::pageNumber(parser, name(), out, &page))
        return UsageError;
    if (!BrowseSupport::loadServices(out))
        return Failed;
    const std::optional<PageDescriptor> target = BrowseSupport::resolve(address, out);
    if (!target)
        return Failed;
    if (target->serviceName.isEmpty()) {
        out.error(QStringLiteral("kestrofan-cli feed: \"%1\" is not an address").arg(address));
        return Failed;
    }
    const MediaServices* services = AppContext::serviceRegistry();
    const MediaService* service = services->service(target->serviceName);
    if (!service || !FeedKinds::offers(*service, kind)) {
        out.error(QStringLiteral("kestrofan-cli feed: %1 has no %2 feed")
                      .arg(target->serviceName, kindName));
        return Failed;
    }
    FeedDataFetcher fetcher(services, SearchParams(target->query), target->serviceName, kind);
    BrowseSupport::fetchPage(&fetcher, page, parser.value(QStringLiteral("token")));
    if (fetcher.hasFailed()) {
        out.error(QStringLiteral("kestrofan-cli feed: %1 could not read the %2 feed of \"%3\": %4")
                      .arg(target->serviceName, kindName, address,
                          UserFacingText::fromRecordedError(fetcher.errorText())));
        return Failed;
    }
    if (out.isJson())
        out.json(RecordJson::feed(fetcher));
    else
        BrowseSupport::printFeed(fetcher, out);
    return Success;
}
