#pragma once

#include "PageDescriptor.h"
#include "ServiceEnvironment.h"
#include "app/DbConnection.h"

#include <QList>
#include <QMap>
#include <QObject>

#include <optional>

class MediaService;

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
    ~MediaServices() override;

    QMap<QString, MediaService*> services() const { return m_services; }
    MediaService* genericService() const { return m_genericService; }
    MediaService* service(const QString& serviceName) const;
    const PageDescriber* pageDescriber() const { return m_environment.pageDescriber; }
    bool isEmpty() const;

    bool isSupportedAddress(const QString& input) const;
    // The page a text opens: an empty page for empty text; else the first service
    // in name order that can handle it, then the generic service. None when
    // nobody can.
    std::optional<PageDescriptor> createPageData(const QString& text);

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
};
