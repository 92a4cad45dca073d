#include "UserReader.h"

#include "MediaService.h"
#include "MediaServices.h"
#include "ServicePageRequest.h"

#include <QCoreApplication>

UserReader::UserReader(const MediaServices* services, const SearchParams& params,
    const QString& serviceName, QObject* parent)
    : QObject(parent)
    , m_params(params)
    , m_serviceName(serviceName)
    , m_service(services ? services->service(serviceName) : nullptr)
{ }

std::optional<UserItem> UserReader::read()
{
    QString content;
    QString fetchError;
    if (!m_service
        || !ServicePageRequest::get(
            *m_service, m_service->getUserDataURL(m_params), &content, &fetchError)) {
        setErrorText(QCoreApplication::translate("UserReader", "The URL is not supported."));
        return std::nullopt;
    }
    return m_service->getUserData(content);
}
