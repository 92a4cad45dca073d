#pragma once

#include "DbConnection.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class ProcessPool;
class QSettings;
class UserInterface;
class ProcessingQueue;
class MediaServices;
class BinaryHelpers;
class CookieJar;

// The process-wide objects and facts: identity, settings, per-user locations, the download
// queue, the registries and the cookie jar. The GUI's Application owns one; the command-line
// tool creates one without any widget. Everything else reaches it through the statics.
class AppContext : public QObject
{
    Q_OBJECT
public:
    // Runs the core start-up: settings, preferences, media directories, the queue, the
    // main thread's database connection and the schema changes. A missing database file
    // ends in die(); check isDying() afterwards.
    explicit AppContext(UserInterface* ui, QObject* parent = nullptr);
    ~AppContext() override;

    // Sets organisation, application name and version on the running Q*Application.
    static void applyIdentity();

    static AppContext* instance();
    static QSettings* settings();
    static ProcessingQueue* processingQueue();
    static MediaServices* serviceRegistry();
    static BinaryHelpers* helperRegistry();
    static CookieJar* cookieJar();
    // Where external programs run; quitting ends them.
    static ProcessPool* processPool();
    static UserInterface* userInterface();

    static QString dataLocation();
    static QString cacheLocation();
    static QString servicePluginsLocation();
    static QString helpersLocation();
    static QString databaseFileName();
    // mediaPath + separator + mediaTmpDir, built as the preferences give them.
    static QString mediaTmpLocation();

    static QString version();
    static QString applicationBuild();

    static bool isFirstRun();
    static void setFirstRun(bool firstRun);
    static bool isDying();

    // True when the set-up of plugins and helpers has to run (after an upgrade, or with
    // nothing installed).
    static bool needsServiceInitialisation();
    // The release part of that test: nothing stored yet, or stored by an older release.
    static bool isStoredReleaseOutdated(const QString& storedVersion, const QString& storedBuild);

    void createServiceRegistries();
    static void addFileToDeleteOnExit(const QString& path);

    // Fatal stop: tells the user, logs, and asks the event loop to quit. Called on a worker
    // thread, the telling happens on the user interface thread soon after.
    static void die(const QString& message);

private:
    void createMediaDirectories();
    static void tellAndQuit(const QString& message);

    DbConnection m_database;
    QSettings* m_settings = nullptr;
    ProcessingQueue* m_processingQueue = nullptr;
    UserInterface* m_ui = nullptr;
    std::unique_ptr<ProcessPool> m_processPool;
    QStringList m_filesToDeleteOnExit;
};
