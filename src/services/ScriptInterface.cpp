#include "ScriptInterface.h"

#include "DomSandbox.h"
#include "ScriptWatchdog.h"
#include "net/HttpRequest.h"
#include "net/MPDFileRequest.h"

#include <QHash>
#include <QJSValueIterator>

namespace {

// An object's own properties as name to text.
QHash<QString, QString> textProperties(const QJSValue& object)
{
    QHash<QString, QString> result;
    if (!object.isObject())
        return result;
    QJSValueIterator it(object);
    while (it.hasNext()) {
        it.next();
        result.insert(it.name(), it.value().toString());
    }
    return result;
}

QStringList textElements(const QJSValue& array)
{
    QStringList result;
    if (!array.isArray())
        return result;
    const int length = array.property(QStringLiteral("length")).toInt();
    for (int i = 0; i < length; ++i)
        result.append(array.property(quint32(i)).toString());
    return result;
}

} // namespace

ScriptInterface::ScriptInterface(ScriptWatchdog* watchdog, QObject* parent)
    : QObject(parent)
    , m_watchdog(watchdog)
{ }

template<typename Request, typename Send>
bool ScriptInterface::send(Request& request, Send sendRequest)
{
    ScriptWatchdogPause waiting(m_watchdog);
    // A stopped call sends nothing more; one stopped meanwhile aborts the request. The
    // blocking wait runs its own event loop on this thread, which takes the queued abort.
    const auto abort = [&request] {
        QMetaObject::invokeMethod(&request, &HttpRequestBase::onAbort, Qt::QueuedConnection);
    };
    const int watchId = m_watchdog ? m_watchdog->watchRequest(abort) : -1;
    if (watchId == 0) {
        m_statusCode = 0;
        return false;
    }
    sendRequest();
    if (m_watchdog)
        m_watchdog->unwatchRequest(watchId);
    m_statusCode = request.httpStatus();
    return true;
}

QString ScriptInterface::httpGet(const QString& urlString)
{
    HttpRequest request;
    if (!send(request, [&] { request.get(urlString, true); }))
        return QString();
    return request.responseText();
}

QString ScriptInterface::httpGet(const QString& urlString, bool followRedirects)
{
    Q_UNUSED(followRedirects)
    return httpGet(urlString);
}

QString ScriptInterface::httpGetWithCookies(const QString& urlString, const QJSValue& cookieData)
{
    const QHash<QString, QString> cookies = textProperties(cookieData);
    HttpRequest request;
    if (!send(request, [&] { request.get(urlString, cookies); }))
        return QString();
    return request.responseText();
}

QString ScriptInterface::httpPost(const QString& urlString, const QJSValue& data)
{
    const QHash<QString, QString> fields = textProperties(data);
    HttpRequest request;
    request.setUseCache(false);
    if (!send(request, [&] { request.post(urlString, fields); }))
        return QString();
    return request.responseText();
}

QString ScriptInterface::getMDPManifest(const QString& urlString)
{
    MPDFileRequest request;
    if (!send(request, [&] { request.readManifest(urlString); }))
        return QStringLiteral("[]");
    // The manifest's own complaints (wrong root, dynamic type) reach the script here.
    m_errorText = request.errorText();
    return request.responseText();
}

QString ScriptInterface::getHeaderValueForUrl(const QString& urlString, const QString& headerKey)
{
    HttpRequest request;
    if (!send(request, [&] { request.get(urlString, true); }))
        return QString();
    return request.responseHeader(headerKey);
}

QString ScriptInterface::runJSInDom(
    const QString& scriptContent, const QString& method, const QJSValue& argList)
{
    return DomSandbox::run(scriptContent, method, textElements(argList), m_watchdog);
}

QString ScriptInterface::readFile(const QString& fileName) const
{
    Q_UNUSED(fileName)
    return QString();
}
