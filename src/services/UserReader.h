#pragma once

#include "SearchParams.h"
#include "app/KObject.h"

#include <QObject>

class MediaService;
class UserItem;

// Reads a user (channel, account) from the service's user data address.
class UserReader : public QObject, public KObject
{
    Q_OBJECT
public:
    UserReader(const SearchParams& params, const QString& serviceName, QObject* parent = nullptr);

    // Blocking; null with an error text when the address could not be fetched.
    UserItem* read();

private:
    SearchParams m_params;
    QString m_serviceName;
    MediaService* m_service;
};
