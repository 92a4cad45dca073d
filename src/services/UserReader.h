#pragma once

#include "SearchParams.h"
#include "app/KObject.h"

#include <QObject>

class MediaService;
class MediaServices;
class UserItem;

// Reads a user (channel, account) from the service's user data address.
class UserReader : public QObject, public KObject
{
    Q_OBJECT
public:
    // The service is looked up now, on the creating thread.
    UserReader(const MediaServices* services, const SearchParams& params,
        const QString& serviceName, QObject* parent = nullptr);

    // Blocking; null with an error text when the address could not be fetched.
    UserItem* read();

private:
    SearchParams m_params;
    QString m_serviceName;
    MediaService* m_service;
};
