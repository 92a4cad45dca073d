#include "SearchCommand.h"

#include "BrowseSupport.h"
#include "RecordJson.h"
#include "app/Prefs.h"
#include "app/UserFacingText.h"
#include "core/AppContext.h"
#include "services/FeedDataFetcher.h"
#include "services/MediaFeed.h"
#include "services/MediaService.h"
#include "services/MediaServices.h"

#include <QJsonArray>

QString SearchCommand::summary() const
{
    return QStringLiteral("Search for words: search WORDS [--service NAME]... [--page N].");
}

void SearchCommand::configure(QCommandLineParser& parser) const
{
    parser.addPositionalArgument(QStringLiteral("words"), QStringLiteral("What to search for."));
    parser.addOption(QCommandLineOption(QStringLiteral("service"),
        QStringLiteral(
            "Search this service (repeatable); by default the services selected for search."),
        QStringLiteral("name")));
    BrowseSupport::addPageOption(parser);
}

int SearchCommand::run(const QCommandLineParser& parser, const CliOutput& out)
{
    QString words;
    if (!BrowseSupport::joinedArguments(parser, name(), out, &words))
        return UsageError;
    int page = 1;
    if (!BrowseSupport::pageNumber(parser, name(), out, &page))
        return UsageError;
    if (!BrowseSupport::loadServices(out))
        return Failed;

    const QMap<QString, MediaService*> services = AppContext::serviceRegistry()->services();
    QStringList names = parser.values(QStringLiteral("service"));
    for (const QString& requested : std::as_const(names)) {
        if (!services.contains(requested) || !services.value(requested)->supportsSearch()) {
            out.error(QStringLiteral("kestrofan-cli search: no service \"%1\" that searches")
                          .arg(requested));
            return UsageError;
        }
    }
    if (names.isEmpty()) {
        const QStringList selected = Prefs::searchableServiceNames();
        for (auto it = services.cbegin(); it != services.cend(); ++it) {
            if (it.value()->supportsSearch() && selected.contains(it.key()))
                names << it.key();
        }
    }
    if (names.isEmpty()) {
        out.error(QStringLiteral("kestrofan-cli search: no service is selected for search"));
        return Failed;
    }

    QJsonArray feeds;
    int failures = 0;
    for (const QString& serviceName : std::as_const(names)) {
        FeedDataFetcher fetcher(
            AppContext::serviceRegistry(), SearchParams(words), serviceName, FeedKind::Search);
        BrowseSupport::fetchPage(&fetcher, page, QString());
        if (fetcher.hasFailed()) {
            ++failures;
            out.error(
                QStringLiteral("kestrofan-cli search: %1 could not be searched: %2")
                    .arg(serviceName, UserFacingText::fromRecordedError(fetcher.errorText())));
        }
        if (out.isJson())
            feeds.append(RecordJson::feed(fetcher));
        else if (!fetcher.hasFailed())
            BrowseSupport::printFeed(fetcher, out);
    }
    if (out.isJson())
        out.json(
            QJsonObject { { QStringLiteral("query"), words }, { QStringLiteral("feeds"), feeds } });
    // Some results are results; nothing at all is a failure.
    if (failures == names.size())
        return Failed;
    return Success;
}
