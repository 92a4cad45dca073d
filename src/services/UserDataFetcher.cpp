#include "UserDataFetcher.h"

#include "MediaService.h"
#include "MediaServices.h"
#include "PlaylistItem.h"
#include "PlaylistsFetcher.h"
#include "UserItem.h"
#include "UserReader.h"

UserDataFetcher::UserDataFetcher(const MediaServices* services, const SearchParams& params,
    const QString& serviceName, QObject* parent)
    : QObject(parent)
    , m_serviceName(serviceName)
    , m_run(new UserReader(services, params, serviceName), [](UserItem* user) { delete user; })
{
    connect(
        &m_run.watcher(), &QFutureWatcherBase::finished, this, &UserDataFetcher::userDataFinished);
    const MediaService* service = services ? services->service(serviceName) : nullptr;
    if (service && service->supportsPlaylists()) {
        m_playlistsFetcher = new PlaylistsFetcher(services, params, serviceName, this);
        connect(m_playlistsFetcher, &PlaylistsFetcher::ready, this,
            &UserDataFetcher::playlistsFinished);
    }
}

UserDataFetcher::~UserDataFetcher()
{
    delete m_user;
    qDeleteAll(m_playlists);
}

void UserDataFetcher::start()
{
    if (m_playlistsFetcher)
        m_playlistsFetcher->start();
    m_run.start(&UserReader::read);
}

UserItem* UserDataFetcher::takeUserItem()
{
    UserItem* user = m_user;
    m_user = nullptr;
    return user;
}

QList<PlaylistItem*> UserDataFetcher::takePlaylists()
{
    QList<PlaylistItem*> playlists;
    playlists.swap(m_playlists);
    return playlists;
}

void UserDataFetcher::userDataFinished()
{
    delete m_user;
    m_user = m_run.take();
    m_errorText = m_run.reader()->errorText();
    emit userDataReady();
}

void UserDataFetcher::playlistsFinished()
{
    qDeleteAll(m_playlists);
    m_playlists = m_playlistsFetcher->takePlaylists();
    emit playlistsReady();
}
