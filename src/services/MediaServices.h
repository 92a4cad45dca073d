#pragma once

#include "PageDescriptor.h"
#include "ServiceEnvironment.h"
#include "app/DbConnection.h"

#include <QFuture>
#include <QList>
#include <QMap>
#include <QObject>
#include <QThreadPool>
#include <QtConcurrent>

#include <optional>

class MediaService;

// What a login through the service's plugin answered.
struct LoginResult
{
    bool loggedIn = false;
    QString errorText;
};

// Registry of the loaded service plugins: every folder of the plugin directory,
// by service name, with the generic service (the fallback for addresses no
// other service claims) kept apart. Lives on the user interface thread; the
// services it hands out may be used anywhere.
class MediaServices : public QObject
{
    Q_OBJECT
public:
    // Loads every plugin folder of the environment's plugin directory. A broken plugin is
    // a fatal stop (FatalStop::die()).
    explicit MediaServices(const ServiceEnvironment& environment, QObject* parent = nullptr);
    // Stops the calls still running (their requests aborted) and waits for them.
    ~MediaServices() override;

    QMap<QString, MediaService*> services() const { return m_services; }
    MediaService* genericService() const { return m_genericService; }
    MediaService* service(const QString& serviceName) const;
    const PageDescriber* pageDescriber() const { return m_environment.pageDescriber; }
    bool isEmpty() const;

    bool isSupportedAddress(const QString& input) const;
    // The page a text opens: an empty page for empty text; else the first service
    // in name order that can handle it, then the generic service. None when
    // nobody can. Blocking: the service's script decides, and it may fetch.
    std::optional<PageDescriptor> createPageData(const QString& text);

    // The asynchronous forms, for the user interface thread: the calls run on the registry's
    // own threads and the future (watch it with a QFutureWatcher) carries the answer. Calls
    // into one service still run one at a time.
    QFuture<std::optional<PageDescriptor>> createPageDataAsync(const QString& text);
    QFuture<LoginResult> loginAsync(
        const QString& serviceName, const QString& username, const QString& password);
    // Runs "work", which calls into the services, on the registry's threads.
    template<typename Work> auto runAsync(Work work)
    {
        return QtConcurrent::run(&m_callPool, std::move(work));
    }

    // Loads a plugin installed while running (or reloads an updated one). False
    // when the key is not a plain folder name or the plugin did not load.
    bool addServiceAfterLaunch(const QString& serviceKey);

signals:
    void mediaServiceAddedAfterLaunch(MediaService* service);

private:
    MediaService* loadService(const QString& serviceKey);
    void registerService(MediaService* service);
    void removeStaleTableRows();

    QString pluginFolder(const QString& serviceKey) const;

    ServiceEnvironment m_environment;
    QMap<QString, MediaService*> m_services;
    MediaService* m_genericService = nullptr;
    // Services replaced by a reload stay alive until the registry ends: worker
    // threads may still be running calls into them.
    QList<MediaService*> m_retired;
    DbConnection m_db;
    // Declared last, so that it is gone (its calls stopped and finished) before the services.
    QThreadPool m_callPool;
};
