#include "PlaylistsFetcher.h"

#include "PlaylistItem.h"
#include "PlaylistReader.h"

PlaylistsFetcher::PlaylistsFetcher(const MediaServices* services, const SearchParams& params,
    const QString& serviceName, QObject* parent)
    : QObject(parent)
    , m_serviceName(serviceName)
    , m_run(new PlaylistReader(services, params, serviceName),
          [](const QList<PlaylistItem*>& items) { qDeleteAll(items); })
{
    connect(&m_run.watcher(), &QFutureWatcherBase::finished, this, &PlaylistsFetcher::done);
}

PlaylistsFetcher::~PlaylistsFetcher()
{
    qDeleteAll(m_playlists);
}

void PlaylistsFetcher::start()
{
    m_run.start(&PlaylistReader::read);
}

QList<PlaylistItem*> PlaylistsFetcher::takePlaylists()
{
    QList<PlaylistItem*> playlists;
    playlists.swap(m_playlists);
    return playlists;
}

void PlaylistsFetcher::done()
{
    qDeleteAll(m_playlists);
    m_playlists = m_run.take();
    emit ready();
}
