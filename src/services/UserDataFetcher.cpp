#include "UserDataFetcher.h"

#include "MediaService.h"
#include "MediaServices.h"
#include "PlaylistsFetcher.h"
#include "UserReader.h"

UserDataFetcher::UserDataFetcher(const MediaServices* services, const SearchParams& params,
    const QString& serviceName, QObject* parent)
    : QObject(parent)
    , m_serviceName(serviceName)
    , m_run(std::make_shared<UserReader>(services, params, serviceName))
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

UserDataFetcher::~UserDataFetcher() = default;

void UserDataFetcher::start()
{
    if (m_playlistsFetcher)
        m_playlistsFetcher->start();
    m_run.start(&UserReader::read);
}

void UserDataFetcher::userDataFinished()
{
    m_user = m_run.result();
    m_errorText = m_run.reader()->errorText();
    emit userDataReady();
}

void UserDataFetcher::playlistsFinished()
{
    m_playlists = m_playlistsFetcher->playlists();
    emit playlistsReady();
}
