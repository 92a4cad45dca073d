#pragma once

#include <QJSValue>
#include <QObject>
#include <QString>

class ScriptWatchdog;

// The "scriptInterface" object a plugin's program sees: blocking HTTP requests, response
// headers, DASH manifests and the page-script sandbox. Lives for one script call; waiting on
// the network does not count against the call's time limit.
class ScriptInterface : public QObject
{
    Q_OBJECT
public:
    explicit ScriptInterface(ScriptWatchdog* watchdog, QObject* parent = nullptr);

public slots:
    QString httpGet(const QString& urlString);
    // Redirects are always followed; the flag is accepted for older plugins.
    QString httpGet(const QString& urlString, bool followRedirects);
    QString httpGetWithCookies(const QString& urlString, const QJSValue& cookieData);
    QString httpPost(const QString& urlString, const QJSValue& data);
    QString getMDPManifest(const QString& urlString);
    int getHttpGetStatusCode() const { return m_statusCode; }
    QString getHeaderValueForUrl(const QString& urlString, const QString& headerKey);
    QString runJSInDom(
        const QString& scriptContent, const QString& method, const QJSValue& argList);
    QString readFile(const QString& fileName) const;
    QString getErrorString() const { return m_errorText; }

private:
    // Sends through "sendRequest" while the watchdog may abort the request; false (nothing
    // sent) once the call was stopped.
    template<typename Request, typename Send> bool send(Request& request, Send sendRequest);

    ScriptWatchdog* m_watchdog;
    QString m_errorText;
    int m_statusCode = 0;
};
