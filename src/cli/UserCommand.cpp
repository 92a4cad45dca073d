#include "UserCommand.h"

#include "BrowseSupport.h"
#include "RecordJson.h"
#include "app/UserFacingText.h"
#include "core/AppContext.h"
#include "services/MediaService.h"
#include "services/MediaServices.h"
#include "services/PageDescriptor.h"
#include "services/PlaylistItem.h"
#include "services/UserDataFetcher.h"
#include "services/UserItem.h"

#include <QJsonArray>

QString UserCommand::summary() const
{
    return QStringLiteral("Show a user and the user's playlists: user URL.");
}

void UserCommand::configure(QCommandLineParser& parser) const
{
    parser.addPositionalArgument(QStringLiteral("url"), QStringLiteral("A user page address."));
}

int UserCommand::run(const QCommandLineParser& parser, const CliOutput& out)
{
    QString address;
    if (!BrowseSupport::joinedArguments(parser, name(), out, &address))
        return UsageError;
    const std::optional<PageDescriptor> page
        = BrowseSupport::resolvePage(address, PageDescriptor::User, name(), out);
    if (!page)
        return Failed;
    const MediaServices* services = AppContext::serviceRegistry();
    const MediaService* service = services->service(page->serviceName);
    UserDataFetcher fetcher(services, SearchParams(page->query), page->serviceName);
    // Both answers are awaited; they come in either order.
    int awaited = service && service->supportsPlaylists() ? 2 : 1;
    QEventLoop loop;
    const auto arrived = [&] {
        if (--awaited == 0)
            loop.quit();
    };
    QObject::connect(&fetcher, &UserDataFetcher::userDataReady, &loop, arrived);
    QObject::connect(&fetcher, &UserDataFetcher::playlistsReady, &loop, arrived);
    fetcher.start();
    loop.exec();

    const std::optional<UserItem>& user = fetcher.userItem();
    if (!user) {
        out.error(QStringLiteral("kestrofan-cli user: %1")
                      .arg(UserFacingText::fromRecordedError(fetcher.errorText())));
        return Failed;
    }
    if (out.isJson()) {
        QJsonArray playlists;
        for (const PlaylistItem& playlist : fetcher.playlists())
            playlists.append(RecordJson::playlist(playlist));
        QJsonObject object = RecordJson::user(*user);
        object.insert(QStringLiteral("playlists"), playlists);
        out.json(object);
        return Success;
    }
    out.line(user->userName() + QStringLiteral(" (") + user->userId() + QLatin1Char(')'));
    if (!user->permaUrl().isEmpty())
        out.line(QStringLiteral("    ") + user->permaUrl());
    if (user->subscriberCount() >= 0)
        out.line(QStringLiteral("    %1 subscribers").arg(user->subscriberCount()));
    if (!user->summary().isEmpty())
        out.line(QStringLiteral("\n") + user->summary());
    if (!fetcher.playlists().isEmpty())
        out.line(QStringLiteral("\nPlaylists:"));
    for (const PlaylistItem& playlist : fetcher.playlists())
        out.line(QStringLiteral("  %1 (%2 items) %3")
                     .arg(playlist.name())
                     .arg(playlist.itemCount())
                     .arg(playlist.permaUrl()));
    return Success;
}
