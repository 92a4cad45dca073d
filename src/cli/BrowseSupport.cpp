#include "BrowseSupport.h"

#include "RecordJson.h"
#include "core/AppContext.h"
#include "services/FeedDataFetcher.h"
#include "services/MediaItem.h"
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
