#pragma once

#include "app/DbConnection.h"
#include "download/JobSettings.h"
#include "update/PluginInstaller.h"
#include "update/PluginVersionsChecker.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class BinaryHelpers;
class CookieJar;
class DownloadsModel;
class HelperPageDescriber;
class MediaServices;
class ProcessPool;
class ProcessingQueue;
class QSettings;
class UserInterface;

// The composition root: owns the process-wide objects (settings store, cookie jar, download
// queue, process pool, service and helper registries) and hands each to the objects that
// need it. The GUI's Application owns one, the command-line tool creates one without any
// widget; tests make several in one process. Core classes never reach for it: the statics
// below are the thin accessors that the front ends use.
class AppContext : public QObject
{
    Q_OBJECT
public:
    // Runs the core start-up: identity, settings, preferences, media directories, the queue,
    // the main thread's database connection and the schema changes. A missing or damaged
    // database file ends in the fatal stop; check isDying() afterwards.
    explicit AppContext(UserInterface* ui, QObject* parent = nullptr);
    ~AppContext() override;

    // Creates the service registry (over the plugin directory) and the helper registry, once.
    void createServiceRegistries();

    static AppContext* instance();
    static QSettings* settings();
    static ProcessingQueue* processingQueue();
    static MediaServices* serviceRegistry();
    static BinaryHelpers* helperRegistry();
    static CookieJar* cookieJar();
    // Where external programs run; destroying the context ends them.
    static ProcessPool* processPool();

    static bool isFirstRun();
    static void setFirstRun(bool firstRun);
    static bool isDying();

    // True when the set-up of plugins and helpers has to run (after an upgrade, or with
    // nothing installed).
    static bool needsServiceInitialisation();

    static void addFileToDeleteOnExit(const QString& path);

    // What the update check compares with the server, and where the installer puts updates.
    static PluginVersionsChecker::Installation pluginInstallation();
    static PluginInstaller::Target pluginInstallTarget();
    // What download jobs work with, over the given records (the caller's connection).
    static JobServices jobServices(DownloadsModel* records);

private:
    void createMediaDirectories();

    DbConnection m_database;
    UserInterface* m_ui;
    QSettings* m_settings = nullptr;
    std::unique_ptr<CookieJar> m_cookieJar;
    std::unique_ptr<ProcessPool> m_processPool;
    ProcessingQueue* m_processingQueue = nullptr;
    std::unique_ptr<BinaryHelpers> m_helperRegistry;
    std::unique_ptr<HelperPageDescriber> m_pageDescriber;
    std::unique_ptr<MediaServices> m_serviceRegistry;
    bool m_firstRun = true;
    QStringList m_filesToDeleteOnExit;
};
