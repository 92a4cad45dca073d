#include "FeedCommand.h"

#include "BrowseSupport.h"
#include "FeedKinds.h"
#include "RecordJson.h"
#include "services/FeedDataFetcher.h"

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
    const std::unique_ptr<FeedDataFetcher> fetcher = BrowseSupport::readFeedPage(
        name(), address, kindName, page, parser.value(QStringLiteral("token")), out);
    if (!fetcher)
        return Failed;
    if (out.isJson())
        out.json(RecordJson::feed(*fetcher));
    else
        BrowseSupport::printFeed(*fetcher, out);
    return Success;
}
