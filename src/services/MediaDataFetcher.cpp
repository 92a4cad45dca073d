#include "MediaDataFetcher.h"

#include "MediaDataReader.h"
#include "MediaItem.h"

MediaDataFetcher::MediaDataFetcher(const MediaServices* services, const SearchParams& params,
    const QString& serviceName, QObject* parent)
    : QObject(parent)
    , m_serviceName(serviceName)
    , m_run(
          new MediaDataReader(services, params, serviceName), [](MediaItem* item) { delete item; })
{
    connect(&m_run.watcher(), &QFutureWatcherBase::finished, this, &MediaDataFetcher::finished);
}

MediaDataFetcher::~MediaDataFetcher()
{
    delete m_item;
}

void MediaDataFetcher::start()
{
    m_run.start(&MediaDataReader::read);
}

MediaItem* MediaDataFetcher::takeMediaItem()
{
    MediaItem* item = m_item;
    m_item = nullptr;
    return item;
}

void MediaDataFetcher::finished()
{
    delete m_item;
    m_item = m_run.take();
    m_errorText = m_run.reader()->errorText();
    emit ready();
}
