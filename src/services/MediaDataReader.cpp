#include "MediaDataReader.h"

#include "MediaService.h"
#include "MediaServices.h"
#include "PageDescriber.h"
#include "ServicePageRequest.h"
#include "app/WebAddress.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QtDebug>

MediaDataReader::MediaDataReader(
    const MediaServices* services, const SearchParams& params, const QString& serviceName)
    : m_params(params)
    , m_serviceName(serviceName)
    , m_service(services ? services->service(serviceName) : nullptr)
    , m_pageDescriber(services ? services->pageDescriber() : nullptr)
{ }

std::optional<MediaItem> MediaDataReader::read()
{
    m_errorText.clear();
    if (!m_service)
        return failed(
            QCoreApplication::translate("MediaDataReader", "No service named \"%1\" is loaded.")
                .arg(m_serviceName));
    if (m_serviceName == MediaService::genericServiceName())
        return readThroughHelper();
    QString content;
    QString error;
    if (!ServicePageRequest::get(
            *m_service, m_service->getMediaDataURL(m_params), &content, &error))
        return failed(error);
    return readMediaData(content);
}

std::optional<MediaItem> MediaDataReader::readMediaData(const QString& content)
{
    std::optional<MediaItem> item = m_service->getMediaData(content);
    if (!item)
        return failed(QCoreApplication::translate(
            "MediaDataReader", "The service's answer could not be read as a media item."));
    return item;
}

std::optional<MediaItem> MediaDataReader::failed(const QString& reason)
{
    m_errorText = reason;
    return std::nullopt;
}

std::optional<MediaItem> MediaDataReader::readThroughHelper()
{
    const QString address = m_params.query();
    if (!WebAddress::isValid(QUrl(address, QUrl::StrictMode))) {
        qWarning().noquote() << QStringLiteral("MediaDataReader: not a web address: ") + address;
        return failed(KObject::textForCode(KObject::UnsupportedUrl));
    }
    QString helperError;
    const QString output
        = m_pageDescriber ? m_pageDescriber->describe(address, &helperError) : QString();
    QJsonParseError parseError;
    QJsonDocument::fromJson(output.toUtf8(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        return failed(helperError.isEmpty() ? QCoreApplication::translate(
                          "MediaDataReader", "The download helper could not describe this page.")
                                            : helperError);
    }
    return readMediaData(output);
}
