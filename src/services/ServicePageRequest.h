#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

class MediaService;

// The readers' one way to fetch a page of a service: a blocking request with the service's
// authentication. Meant for worker threads.
namespace ServicePageRequest {

// The body of a successful GET of the address (sent fully encoded); false on any failure,
// with what went wrong in words a user can act on.
bool get(const MediaService& service, const QUrl& address, QString* body, QString* error);
// A JSON POST (sent without authentication); false on any failure, as above.
bool postJson(const QUrl& address, const QByteArray& json, QString* body, QString* error);

} // namespace ServicePageRequest
