#include "ServiceSettings.h"

#include "ScriptValues.h"
#include "app/PlainName.h"

#include <QJSValue>

namespace {

// A present value that is not a boolean counts as false.
bool flag(const QJSValue& settings, const char* key, bool defaultValue)
{
    const QJSValue value = settings.property(QLatin1String(key));
    if (value.isUndefined())
        return defaultValue;
    return value.isBool() && value.toBool();
}

QString text(const QJSValue& settings, const char* key, const QString& defaultValue = QString())
{
    const QJSValue value = settings.property(QLatin1String(key));
    return ScriptValues::isAbsent(value) ? defaultValue : value.toString();
}

QSet<QString> domains(const QJSValue& settings)
{
    const QJSValue value = settings.property(QStringLiteral("validDomains"));
    QSet<QString> result;
    if (ScriptValues::isAbsent(value))
        return result;
    if (!value.isArray()) {
        result.insert(value.toString());
        return result;
    }
    const int count = ScriptValues::integer(value, QStringLiteral("length"));
    for (int i = 0; i < count; ++i)
        result.insert(value.property(quint32(i)).toString());
    return result;
}

// Reads one of two allowed words, compared in lower case.
bool choice(const QJSValue& settings, const char* key, const char* firstWord,
    const char* secondWord, int firstValue, int secondValue, int* result, QString* fatalError)
{
    const QJSValue value = settings.property(QLatin1String(key));
    if (value.isUndefined())
        return true;
    const QString word = value.toString();
    if (word.toLower() == QLatin1String(firstWord)) {
        *result = firstValue;
        return true;
    }
    if (word.toLower() == QLatin1String(secondWord)) {
        *result = secondValue;
        return true;
    }
    *fatalError = QLatin1String(key) + QStringLiteral(": Unknown value: ") + word;
    return false;
}

} // namespace

bool ServiceSettings::read(const QJSValue& globalObject, QString* fatalError)
{
    const QJSValue settings = globalObject.property(QStringLiteral("__settings"));

    serviceName = text(settings, "serviceName");
    if (serviceName.isEmpty()) {
        const QJSValue global = globalObject.property(QStringLiteral("serviceName"));
        if (!ScriptValues::isAbsent(global))
            serviceName = global.toString();
    }
    validDomains = domains(settings);
    supportsSearch = flag(settings, "supportsSearch", false);
    supportsRelated = flag(settings, "supportsRelated", false);
    supportsFavorites = flag(settings, "supportsFavorites", false);
    supportsLikes = flag(settings, "supportsLikes", false);
    supportsPlaylists = flag(settings, "supportsPlaylists", false);
    supportsUploads = flag(settings, "supportsUploads", false);
    isAudioOnly = flag(settings, "isAudioOnly", false);
    isWebpageContentNeededForExtraction
        = flag(settings, "isWebpageContentNeededForExtraction", false);
    userFeedsDependsOnUserData = flag(settings, "userFeedsDependsOnUserData", false);
    feedsHasPaging = flag(settings, "feedsHasPaging", true);
    if (!choice(
            settings, "searchHttpMethod", "get", "post", Get, Post, &searchHttpMethod, fatalError)
        || !choice(settings, "searchRequestContentType", "formdata", "json", FormData, Json,
            &searchRequestContentType, fatalError)) {
        return false;
    }
    httpAuthMethod = text(settings, "httpAuthMethod", QStringLiteral("noauth"));
    if (httpAuthMethod == QLatin1String("oauth2"))
        oaToken = text(settings, "oaToken");
    const QJSValue pageSize = settings.property(QStringLiteral("itemsPerPage"));
    if (!pageSize.isUndefined())
        itemsPerPage = pageSize.toString().toInt();
    supportedByAppVersion = text(settings, "supportedByAppVersion");
    revision = ScriptValues::integer(settings, QStringLiteral("revision"));
    additionalQueryParams = text(settings, "additionalQueryParams");

    if (serviceName.isEmpty()) {
        serviceName = QStringLiteral("(Undefined)");
        *fatalError = QStringLiteral("serviceName");
        return false;
    }
    // The name keys the registry and names settings groups; it must not reach elsewhere.
    if (!PlainName::isValid(serviceName)) {
        *fatalError = QStringLiteral("serviceName: Not a plain name: ") + serviceName;
        return false;
    }
    return true;
}

int ServiceSettings::authMethodNumber() const
{
    if (httpAuthMethod == QLatin1String("oauth1"))
        return OAuth1;
    if (httpAuthMethod == QLatin1String("oauth2"))
        return OAuth2;
    return NoAuth;
}
