#include "MediaCommand.h"

#include "BrowseSupport.h"
#include "RecordJson.h"
#include "app/UserFacingText.h"
#include "core/AppContext.h"
#include "services/MediaDataFetcher.h"
#include "services/MediaItem.h"
#include "services/PageDescriptor.h"

QString MediaCommand::summary() const
{
    return QStringLiteral("Show a media item: media URL.");
}

void MediaCommand::configure(QCommandLineParser& parser) const
{
    parser.addPositionalArgument(QStringLiteral("url"), QStringLiteral("A media page address."));
}

int MediaCommand::run(const QCommandLineParser& parser, const CliOutput& out)
{
    QString address;
    if (!BrowseSupport::joinedArguments(parser, name(), out, &address))
        return UsageError;
    const std::optional<PageDescriptor> page
        = BrowseSupport::resolvePage(address, PageDescriptor::Media, name(), out);
    if (!page)
        return Failed;
    MediaDataFetcher fetcher(
        AppContext::serviceRegistry(), SearchParams(page->query), page->serviceName);
    fetcher.start();
    BrowseSupport::waitFor(&fetcher, &MediaDataFetcher::ready);
    const std::optional<MediaItem>& item = fetcher.mediaItem();
    if (!item) {
        out.error(QStringLiteral("kestrofan-cli media: %1 could not read \"%2\": %3")
                      .arg(page->serviceName, address,
                          UserFacingText::fromRecordedError(fetcher.errorText())));
        return Failed;
    }
    if (out.isJson()) {
        out.json(RecordJson::media(*item));
        return Success;
    }
    out.line(RecordJson::mediaLine(*item));
    out.line(QStringLiteral("    %1 views, %2 likes, published %3%4")
                 .arg(item->views())
                 .arg(item->likes())
                 .arg(item->isoDate())
                 .arg(item->hasHD() ? QStringLiteral(", HD") : QString()));
    if (!item->description().isEmpty())
        out.line(QStringLiteral("\n") + item->description());
    return Success;
}
