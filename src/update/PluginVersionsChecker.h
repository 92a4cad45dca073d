#pragma once

#include "HelperUpdateInfo.h"
#include "UpdateServer.h"
#include "app/DbConnection.h"
#include "services/ServicePluginInfo.h"

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QString>

class BinaryHelpers;
class HttpRequest;
class MediaServices;

// Asks the update server which service plugins and download helpers it offers, compares that
// with what is installed and adds what is newer to the process-wide pending tables that the
// installation works through. One checker serves one check; results arrive as signals.
class PluginVersionsChecker : public QObject
{
    Q_OBJECT
public:
    // What the check compares against; the registries may be null (then they count as empty).
    struct Installation
    {
        MediaServices* services = nullptr;
        BinaryHelpers* helpers = nullptr;
        QString pluginsDirectory;
        QString version;
        QString build;
    };

    PluginVersionsChecker(
        const UpdateServer& server, const Installation& installation, QObject* parent = nullptr);

    // Starts one check; without a configured server it is skipped (logged) and reports the
    // updates already pending.
    void check();

    bool isFirstRun() const { return m_isFirstRun; }
    bool hasResponded() const { return m_responded; }
    bool isResponseValid() const { return m_responseValid; }
    UpdateServer server() const { return m_server; }

    static QHash<QString, ServicePluginInfo> pendingServiceUpdates();
    static QHash<QString, HelperUpdateInfo> pendingHelperUpdates();
    // Forgets what earlier checks found (after an installation, and between tests).
    static void clearPendingUpdates();

    // What the user is told when the update server cannot be reached: the message and its
    // informative text, which differs on a first run.
    struct ConnectionErrorMessage
    {
        QString text;
        QString informativeText;
    };
    ConnectionErrorMessage connectionErrorMessage() const;

    // 1 when a is newer, -1 when b is, 0 when they are equal; dotted parts compare as numbers.
    static int compareVersions(const QString& a, const QString& b);

signals:
    void timeOut();
    void error(const QString& message);
    void updateHostConnectionError();
    void pluginUpdatesAvailable(bool isFirstRun, int updateCount);

public slots:
    void onServicePluginRequestFinished(const QString& responseString);
    void onError(const QString& errString);
    void onTimeOut();

private:
    void decideFirstRun();
    bool isSignedByServer();
    void processDocument(const QJsonObject& document);
    void addServiceEntry(const QJsonObject& entry);
    void addHelperEntry(const QJsonObject& entry);
    void reportUpdates();
    static QString hardwareAddress();

    UpdateServer m_server;
    Installation m_installation;
    DbConnection m_database;
    HttpRequest* m_request = nullptr;
    bool m_responseValid = false;
    bool m_responded = false;
    bool m_isFirstRun = false;
};
