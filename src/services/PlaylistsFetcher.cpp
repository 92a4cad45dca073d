#include "PlaylistsFetcher.h"

#include "PlaylistReader.h"

PlaylistsFetcher::PlaylistsFetcher(const MediaServices* services, const SearchParams& params,
    const QString& serviceName, QObject* parent)
    : QObject(parent)
    , m_serviceName(serviceName)
    , m_run(std::make_shared<PlaylistReader>(services, params, serviceName))
{
    connect(&m_run.watcher(), &QFutureWatcherBase::finished, this, &PlaylistsFetcher::done);
}

PlaylistsFetcher::~PlaylistsFetcher() = default;

void PlaylistsFetcher::start()
{
    m_run.start(&PlaylistReader::read);
}

void PlaylistsFetcher::done()
{
    m_playlists = m_run.result();
    emit ready();
}
