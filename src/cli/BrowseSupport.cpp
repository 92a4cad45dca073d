#include "BrowseSupport.h"

#include "FeedKinds.h"
#include "RecordJson.h"
#include "app/UserFacingText.h"
#include "core/AppContext.h"
#include "services/FeedDataFetcher.h"
#include "services/MediaItem.h"
#include "services/MediaService.h"
#include "services/MediaServices.h"
#include "services/PageDescriptor.h"

#include <QEventLoop>

bool BrowseSupport::loadServices(const CliOutput& out)
{
    AppContext::instance()->createServiceRegistries();
    if (AppContext::isDying())
        return false;
    if (AppContext::serviceRegistry()->isEmpty()) {
        out.error(QStringLiteral("kestrofan-cli: no service plugin is installed; run "
                                 "\"kestrofan-cli setup\" first"));
        return false;
    }
    return true;
}

std::optional<PageDescriptor> BrowseSupport::resolve(const QString& text, const CliOutput& out)
{
    std::optional<PageDescriptor> page = AppContext::serviceRegistry()->createPageData(text);
    if (!page)
        out.error(QStringLiteral("kestrofan-cli: no service can open \"%1\"").arg(text));
    return page;
}

std::optional<PageDescriptor> BrowseSupport::resolvePage(
    const QString& text, int expectedKind, const QString& command, const CliOutput& out)
{
    if (!loadServices(out))
        return std::nullopt;
    std::optional<PageDescriptor> page = resolve(text, out);
    if (page && page->kind != expectedKind) {
        const QString expected = PageDescriptor::kindName(PageDescriptor::Kind(expectedKind));
        out.error(QStringLiteral("kestrofan-cli %1: \"%2\" is a %3 page, not a %4 page")
                      .arg(command, text, PageDescriptor::kindName(page->kind), expected));
        return std::nullopt;
    }
    return page;
}

bool BrowseSupport::joinedArguments(
    const QCommandLineParser& parser, const QString& command, const CliOutput& out, QString* text)
{
    *text = parser.positionalArguments().join(QLatin1Char(' ')).trimmed();
    if (text->isEmpty()) {
        out.error(QStringLiteral("kestrofan-cli %1: missing argument").arg(command));
        return false;
    }
    return true;
}

void BrowseSupport::addPageOption(QCommandLineParser& parser)
{
    parser.addOption(QCommandLineOption(QStringLiteral("page"),
        QStringLiteral("The page number, from 1 (default 1)."), QStringLiteral("n")));
}

bool BrowseSupport::pageNumber(
    const QCommandLineParser& parser, const QString& command, const CliOutput& out, int* page)
{
    *page = 1;
    if (!parser.isSet(QStringLiteral("page")))
        return true;
    bool ok = false;
    *page = parser.value(QStringLiteral("page")).toInt(&ok);
    if (!ok || *page < 1) {
        out.error(QStringLiteral("kestrofan-cli %1: --page needs a number from 1").arg(command));
        return false;
    }
    return true;
}

std::unique_ptr<FeedDataFetcher> BrowseSupport::readFeedPage(const QString& command,
    const QString& address, const QString& kindName, int page, const QString& pageToken,
    const CliOutput& out)
{
    const std::optional<PageDescriptor> target = resolve(address, out);
    if (!target)
        return nullptr;
    if (target->serviceName.isEmpty()) {
        out.error(
            QStringLiteral("kestrofan-cli %1: \"%2\" is not an address").arg(command, address));
        return nullptr;
    }
    MediaServices* services = AppContext::serviceRegistry();
    const MediaService* service = services->service(target->serviceName);
    const int kind = FeedKinds::byName(kindName);
    if (!service || !FeedKinds::offers(*service, kind)) {
        out.error(QStringLiteral("kestrofan-cli %1: %2 has no %3 feed")
                      .arg(command, target->serviceName, kindName));
        return nullptr;
    }
    auto fetcher = std::make_unique<FeedDataFetcher>(
        services, SearchParams(target->query), target->serviceName, kind);
    fetchPage(fetcher.get(), page, pageToken);
    if (fetcher->hasFailed()) {
        out.error(QStringLiteral("kestrofan-cli %1: %2 could not read the %3 feed of \"%4\": %5")
                      .arg(command, target->serviceName, kindName, address,
                          UserFacingText::fromRecordedError(fetcher->errorText())));
        return nullptr;
    }
    return fetcher;
}

void BrowseSupport::fetchPage(FeedDataFetcher* fetcher, int page, const QString& pageToken)
{
    QEventLoop loop;
    QObject::connect(fetcher, &FeedDataFetcher::feedDataReady, &loop, &QEventLoop::quit);
    fetcher->fetchPage(page, pageToken);
    loop.exec();
}

void BrowseSupport::printFeed(const FeedDataFetcher& fetcher, const CliOutput& out)
{
    out.line(QStringLiteral("%1 - %2: page %3 of %4, %5 results")
                 .arg(fetcher.serviceName(), fetcher.feedName())
                 .arg(fetcher.pageNo())
                 .arg(fetcher.pageCount())
                 .arg(fetcher.totalResults()));
    int number = (fetcher.pageNo() - 1) * fetcher.pageSize();
    for (const MediaItem& item : fetcher.items())
        out.line(QStringLiteral("%1. ").arg(++number) + RecordJson::mediaLine(item));
    if (!fetcher.nextPageToken().isEmpty())
        out.line(QStringLiteral("next page token: ") + fetcher.nextPageToken());
    if (!fetcher.prevPageToken().isEmpty())
        out.line(QStringLiteral("previous page token: ") + fetcher.prevPageToken());
}
