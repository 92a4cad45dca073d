#pragma once

#include <QNetworkCookieJar>

// The cookie jar shared by every network access manager of the process.
class CookieJar : public QNetworkCookieJar
{
    Q_OBJECT
public:
    explicit CookieJar(QObject* parent = nullptr);
};
