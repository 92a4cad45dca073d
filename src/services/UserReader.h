#pragma once

#include "SearchParams.h"
#include "UserItem.h"
#include "app/KObject.h"

#include <QObject>

#include <optional>

class MediaService;
class MediaServices;

// Reads a user (channel, account) from the service's user data address.
class UserReader : public QObject, public KObject
{
    Q_OBJECT
public:
    // The service is looked up now, on the creating thread.
    UserReader(const MediaServices* services, const SearchParams& params,
        const QString& serviceName, QObject* parent = nullptr);

    // Blocking; none, with an error text when the address could not be fetched.
    std::optional<UserItem> read();

private:
    SearchParams m_params;
    QString m_serviceName;
    MediaService* m_service;
};
