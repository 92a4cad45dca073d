#include "DownloadInitiator.h"

#include "MediaURLFetcher.h"
#include "services/MediaDataFetcher.h"
#include "services/MediaService.h"
#include "services/MediaServices.h"

DownloadInitiator::DownloadInitiator(MediaServices* services, QObject* parent)
    : QObject(parent)
    , m_services(services)
{ }

DownloadInitiator::~DownloadInitiator() = default;

void DownloadInitiator::extractAhead(const BinaryHelpers* helpers, ProcessPool* processPool)
{
    m_helpers = helpers;
    m_processPool = processPool;
}

MediaURLFetcher* DownloadInitiator::takeExtraction()
{
    MediaURLFetcher* extraction = m_extraction;
    m_extraction = nullptr;
    if (extraction)
        extraction->setParent(nullptr);
    return extraction;
}

QString DownloadInitiator::serviceFor(const QString& pageUrl) const
{
    if (!m_services)
        return QString();
    const QString address = pageUrl.trimmed();
    const QMap<QString, MediaService*> services = m_services->services();
    for (MediaService* service : services) {
        if (service != m_services->genericService() && service->canHandle(address))
            return service->serviceName();
    }
    MediaService* generic = m_services->genericService();
    if (generic && generic->canHandle(address))
        return generic->serviceName();
    return QString();
}

bool DownloadInitiator::initiate(const QString& pageUrl, MediaDescriptor::MediaType targetType)
{
    m_errorText.clear();
    m_item.reset();
    const QString serviceName = serviceFor(pageUrl);
    if (serviceName.isEmpty()) {
        m_errorText = tr("No service can download \"%1\"").arg(pageUrl);
        return false;
    }
    m_targetType = targetType;
    delete m_fetcher;
    m_fetcher
        = new MediaDataFetcher(m_services, SearchParams(pageUrl.trimmed()), serviceName, this);
    connect(m_fetcher, &MediaDataFetcher::ready, this, &DownloadInitiator::mediaItemFetched);
    m_fetcher->start();
    delete m_extraction;
    m_extraction = nullptr;
    const MediaService* generic = m_services->genericService();
    if (m_helpers && m_processPool && generic && serviceName == generic->serviceName()) {
        m_extraction = new MediaURLFetcher(m_helpers, serviceName, m_processPool, this);
        m_extraction->getMediaUrls(QUrl(pageUrl.trimmed()), targetType);
    }
    return true;
}

void DownloadInitiator::mediaItemFetched()
{
    auto* fetcher = qobject_cast<MediaDataFetcher*>(sender());
    if (!fetcher || fetcher != m_fetcher)
        return;
    m_item = fetcher->mediaItem();
    m_errorText = m_item ? QString() : fetcher->errorText();
    m_fetcher = nullptr;
    fetcher->deleteLater();
    if (m_item)
        m_item->setTargetMediaType(m_targetType);
    emit finished();
}
