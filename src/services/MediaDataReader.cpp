#include "MediaDataReader.h"

#include "MediaService.h"
#include "MediaServices.h"
#include "ServicePageRequest.h"
#include "download/MediaUrlReader.h"

#include <QJsonDocument>
#include <QtDebug>

MediaDataReader::MediaDataReader(const SearchParams& params, const QString& serviceName)
    : m_params(params)
    , m_serviceName(serviceName)
    , m_service(MediaServices::lookUp(serviceName))
{ }

MediaItem* MediaDataReader::read()
{
    if (!m_service)
        return nullptr;
    if (m_serviceName == MediaService::genericServiceName())
        return readThroughHelper();
    QString content;
    if (!ServicePageRequest::get(*m_service, m_service->getMediaDataURL(m_params), &content))
        return nullptr;
    return m_service->getMediaData(content);
}

MediaItem* MediaDataReader::readThroughHelper()
{
    const QString address = m_params.query();
    // Anything else could reach the helper as one of its options.
    if (!address.startsWith(QLatin1String("http://"))
        && !address.startsWith(QLatin1String("https://"))) {
        qWarning().noquote() << QStringLiteral("MediaDataReader: not a web address: ") + address;
        return nullptr;
    }
    MediaUrlReader helper(m_serviceName);
    const QString output = helper.runDownloadHelper(
        { QStringLiteral("--dump-json"), QStringLiteral("--no-call-home"), address });
    QJsonParseError parseError;
    QJsonDocument::fromJson(output.toUtf8(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return nullptr;
    return m_service->getMediaData(output);
}
