#include "MediaDataFetcher.h"

#include "MediaDataReader.h"

MediaDataFetcher::MediaDataFetcher(const MediaServices* services, const SearchParams& params,
    const QString& serviceName, QObject* parent)
    : QObject(parent)
    , m_serviceName(serviceName)
    , m_run(std::make_shared<MediaDataReader>(services, params, serviceName))
{
    connect(&m_run.watcher(), &QFutureWatcherBase::finished, this, &MediaDataFetcher::finished);
}

MediaDataFetcher::~MediaDataFetcher() = default;

void MediaDataFetcher::start()
{
    m_run.start(&MediaDataReader::read);
}

void MediaDataFetcher::finished()
{
    m_item = m_run.result();
    m_errorText = m_run.reader()->errorText();
    emit ready();
}
