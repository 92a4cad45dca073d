#pragma once

#include "HelperUpdateInfo.h"
#include "UpdateServer.h"
#include "app/DbConnection.h"
#include "services/ServicePluginInfo.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>

class BinaryHelpers;
class DownloadSink;
class MediaServices;
class QNetworkReply;

// Downloads the pending service plugins and helpers from the update server, checks their
// signatures, writes them into the plugin and helper folders, records new helpers and makes
// the registries load what changed. The installation dialog and the command-line tool both
// drive it and show its log.
class PluginInstaller : public QObject
{
    Q_OBJECT
public:
    // Where things go; the registries may be null.
    struct Target
    {
        MediaServices* services = nullptr;
        BinaryHelpers* helpers = nullptr;
        QString pluginsDirectory;
        QString helpersDirectory;
    };

    static constexpr qint64 minimumHelperSize = 512;
    static constexpr qint64 maximumHelperSize = qint64(256) * 1024 * 1024;
    static constexpr int defaultTransferTimeoutMs = 60000;

    PluginInstaller(const UpdateServer& server, const Target& target, QObject* parent = nullptr);

    // Starts every download; finished() follows once all are handled.
    void start(const QHash<QString, ServicePluginInfo>& services,
        const QHash<QString, HelperUpdateInfo>& helpers);
    void setTransferTimeoutMs(int ms) { m_transferTimeoutMs = ms; }
    // Tests lower the bound instead of serving hundreds of megabytes.
    void setMaximumHelperSizeForTesting(qint64 bytes) { m_maximumHelperSize = bytes; }

    int filesToFetch() const { return m_filesToFetch; }
    int filesHandled() const { return m_filesHandled; }
    int filesInstalled() const { return m_filesInstalled; }
    bool isFinished() const { return m_finished; }
    // The last failure; empty when every file went in.
    QString errorText() const { return m_errorText; }
    QStringList log() const { return m_log; }

signals:
    void logLine(const QString& line);
    void error(const QString& message);
    void fileHandled();
    // Services were reloaded after the run.
    void pluginsUpdated();
    void finished();
    void abort();

public slots:
    void onScriptDownloadFinished();
    void onHelperDownloadFinished();
    // Aborts every running download; no summary follows.
    void cancel();

private slots:
    void onFileHandled();
    void onDataReady();

private:
    QNetworkReply* send(const QString& address, DownloadSink* sink);
    void downloadScript(const QString& pluginName, const ServicePluginInfo& info, int revision);
    void downloadHelper(const HelperUpdateInfo& info);
    // The shared end of both downloads: the reply is the sender, `install` puts its body in place.
    void finishDownload(void (PluginInstaller::*install)(QNetworkReply*));
    // Reads the rest of the body; false (after failing the run) when the server said no.
    bool isAnswered(QNetworkReply* reply);
    void installScript(QNetworkReply* reply);
    void installHelper(QNetworkReply* reply);
    bool isSignedDownload(QNetworkReply* reply, const QByteArray& expectedDigest) const;
    bool writeScript(const QString& folder, const QString& pluginName, const QByteArray& packed,
        QString* problem);
    void recordHelper(const HelperUpdateInfo& info);
    void reloadInstalledServices();
    void append(const QString& line);
    void fail(const QString& message);
    void countHandled();

    UpdateServer m_server;
    Target m_target;
    DbConnection m_database;
    QSet<QString> m_installedServices;
    QHash<QString, QByteArray> m_expectedScriptDigests;
    QHash<int, HelperUpdateInfo> m_helpers;
    QString m_errorText;
    QStringList m_log;
    int m_filesToFetch = 0;
    int m_filesHandled = 0;
    int m_filesInstalled = 0;
    int m_transferTimeoutMs = defaultTransferTimeoutMs;
    qint64 m_maximumHelperSize = maximumHelperSize;
    bool m_cancelled = false;
    bool m_finished = false;
};
