#pragma once

#include <QSet>
#include <QString>

class QJSValue;

// What a plugin declares in its global "__settings" object: the service's name, domains,
// feeds, paging, search request form and authentication.
class ServiceSettings
{
public:
    enum HttpMethod { Post = 0, Get = 1 };
    enum ContentType { Json = 0, FormData = 1 };
    enum AuthMethod { NoAuth = 0, OAuth1 = 1, OAuth2 = 2 };

    // Reads "__settings" (and the global "serviceName" fallback) from an engine's global
    // object. Returns false with "fatalError" set when the declaration cannot be used.
    bool read(const QJSValue& globalObject, QString* fatalError);

    QString serviceName;
    QSet<QString> validDomains;
    bool supportsSearch = false;
    bool supportsRelated = false;
    bool supportsFavorites = false;
    bool supportsLikes = false;
    bool supportsPlaylists = false;
    bool supportsUploads = false;
    bool isAudioOnly = false;
    bool isWebpageContentNeededForExtraction = false;
    bool userFeedsDependsOnUserData = false;
    bool feedsHasPaging = true;
    int searchHttpMethod = Get;
    int searchRequestContentType = FormData;
    QString httpAuthMethod = QStringLiteral("noauth");
    QString oaToken;
    int itemsPerPage = 50;
    QString supportedByAppVersion;
    int revision = 0;
    QString additionalQueryParams;

    // 0 for "noauth" and any unknown text, 1 for "oauth1", 2 for "oauth2".
    int authMethodNumber() const;
};
