#pragma once

#include "CliCommand.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class FeedDataFetcher;
struct PageDescriptor;

// What the browse commands share: the service registry loaded as the GUI loads it, resolving
// a text to a page, and waiting for a fetcher.
namespace BrowseSupport {

// Loads the service plugins; false (the fatal message already shown) when one is broken or
// none is installed.
bool loadServices(const CliOutput& out);
// The page a text opens; reports on stderr and gives none when no service handles it.
std::optional<PageDescriptor> resolve(const QString& text, const CliOutput& out);
// Loads the services and resolves the text to a page of the expected kind; reports on stderr
// and gives none otherwise.
std::optional<PageDescriptor> resolvePage(
    const QString& text, int expectedKind, const QString& command, const CliOutput& out);

// One page of the feed of the kind named kindName at the address, read and waited for; none
// (reported on stderr for the command) when the address names no service with that feed or
// the page could not be read.
std::unique_ptr<FeedDataFetcher> readFeedPage(const QString& command, const QString& address,
    const QString& kindName, int page, const QString& pageToken, const CliOutput& out);
// Fetches one page of the feed and waits for it.
void fetchPage(FeedDataFetcher* fetcher, int page, const QString& pageToken);
// The feed's facts and items, for people.
void printFeed(const FeedDataFetcher& fetcher, const CliOutput& out);

// Runs the event loop until the sender emits the signal.
template<typename Sender, typename Signal> void waitFor(Sender* sender, Signal signal)
{
    QEventLoop loop;
    QObject::connect(sender, signal, &loop, &QEventLoop::quit);
    loop.exec();
}

// The positional arguments joined by blanks; a usage error when there are none.
bool joinedArguments(
    const QCommandLineParser& parser, const QString& command, const CliOutput& out, QString* text);
// The "--page" option, and its value: at least 1 (default 1).
void addPageOption(QCommandLineParser& parser);
bool pageNumber(
    const QCommandLineParser& parser, const QString& command, const CliOutput& out, int* page);

} // namespace BrowseSupport
