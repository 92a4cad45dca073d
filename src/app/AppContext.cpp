#include "AppContext.h"

#include "DbChangeModel.h"
#include "Prefs.h"
#include "UserInterface.h"
#include "download/BinaryHelpers.h"
#include "download/ProcessingQueue.h"
#include "services/CookieJar.h"
#include "services/MediaServices.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <QThreadPool>

#include <atomic>

namespace {

AppContext* s_instance = nullptr;
MediaServices* s_serviceRegistry = nullptr;
BinaryHelpers* s_helperRegistry = nullptr;
CookieJar* s_cookieJar = nullptr;
bool s_firstRun = true;
std::atomic_bool s_dying { false };

const QString kVersion = QStringLiteral("1.1.4");
const QString kBuild = QStringLiteral("100");

} // namespace

void AppContext::applyIdentity()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Ulvane Software"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("ulvane.example"));
    QCoreApplication::setApplicationName(QStringLiteral("Kestrofan 2"));
    QCoreApplication::setApplicationVersion(kVersion);
}

AppContext::AppContext(UserInterface* ui, QObject* parent)
    : QObject(parent)
    , m_ui(ui)
{
    s_instance = this;
    s_dying = false;
    applyIdentity();
    m_settings = new QSettings(QSettings::NativeFormat, QSettings::UserScope,
        QCoreApplication::organizationName(), QCoreApplication::applicationName(), this);
    s_cookieJar = new CookieJar();
    QThreadPool::globalInstance()->setMaxThreadCount(10);

    QString previousVersion;
    QString previousBuild;
    if (!m_settings->childGroups().contains(QStringLiteral("prefs"), Qt::CaseSensitive)) {
        Prefs::writeDefaults();
        s_firstRun = true;
    } else {
        Prefs::load();
        s_firstRun = false;
        previousVersion = Prefs::version();
        previousBuild = Prefs::build();
    }

    createMediaDirectories();
    m_processingQueue = new ProcessingQueue(
        Prefs::downloadQueuePaused(),
        [] {
            return ProcessingQueue::Settings { Prefs::simultaneousDownloads(), Prefs::mediaPath() };
        },
        this);

    QSqlDatabase db = m_database.connection(true);
    if (s_dying)
        return;
    DbChangeModel(previousVersion, previousBuild, db);
}

AppContext::~AppContext()
{
    delete s_serviceRegistry;
    s_serviceRegistry = nullptr;
    delete s_cookieJar;
    s_cookieJar = nullptr;
    for (const QString& path : std::as_const(m_filesToDeleteOnExit)) {
        if (QFile::exists(path))
            QFile::remove(path);
    }
    if (!s_dying)
        m_database.close();
    if (s_instance == this)
        s_instance = nullptr;
}

void AppContext::createMediaDirectories()
{
    const QString media = Prefs::mediaPath();
    // A store without a media path would otherwise put the temporary folder at the
    // filesystem root; the missing destination is reported when a download starts.
    if (media.isEmpty())
        return;
    // One level only, so that a path on a drive that is not mounted stays missing. The one
    // exception is the desktop of a fresh account, where the default download folder lives.
    QDir dir;
    if (!dir.exists(media)) {
        const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        if (QFileInfo(QDir::cleanPath(media)).dir() == QDir(desktop))
            dir.mkpath(desktop);
        dir.mkdir(media);
    }
    if (!dir.exists(mediaTmpLocation()))
        dir.mkdir(mediaTmpLocation());
}

AppContext* AppContext::instance()
{
    return s_instance;
}
QSettings* AppContext::settings()
{
    return s_instance ? s_instance->m_settings : nullptr;
}
ProcessingQueue* AppContext::processingQueue()
{
    return s_instance ? s_instance->m_processingQueue : nullptr;
}
MediaServices* AppContext::serviceRegistry()
{
    return s_serviceRegistry;
}
BinaryHelpers* AppContext::helperRegistry()
{
    return s_helperRegistry;
}
CookieJar* AppContext::cookieJar()
{
    return s_cookieJar;
}
UserInterface* AppContext::userInterface()
{
    return s_instance ? s_instance->m_ui : nullptr;
}

QString AppContext::dataLocation()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString AppContext::cacheLocation()
{
    return dataLocation() + QDir::separator() + QStringLiteral("cache_qt5");
}

QString AppContext::servicePluginsLocation()
{
    return dataLocation() + QDir::separator() + QStringLiteral("serviceplugins");
}

QString AppContext::helpersLocation()
{
    return dataLocation() + QDir::separator() + QStringLiteral("helpers") + QDir::separator();
}

QString AppContext::databaseFileName()
{
    return QStringLiteral("kestrofan2.db");
}

QString AppContext::mediaTmpLocation()
{
    return Prefs::mediaPath() + QDir::separator() + Prefs::mediaTmpDir();
}

QString AppContext::version()
{
    return kVersion;
}
QString AppContext::applicationBuild()
{
    return kBuild;
}
bool AppContext::isFirstRun()
{
    return s_firstRun;
}
void AppContext::setFirstRun(bool firstRun)
{
    s_firstRun = firstRun;
}
bool AppContext::isDying()
{
    return s_dying;
}

bool AppContext::isStoredReleaseOutdated(const QString& storedVersion, const QString& storedBuild)
{
    if (storedVersion.isEmpty() || storedBuild.isEmpty())
        return true;
    // Versions compare as plain strings, character by character, as they always have.
    if (storedVersion < kVersion)
        return true;
    return storedVersion == kVersion && storedBuild.toInt(nullptr, 10) < kBuild.toInt();
}

bool AppContext::needsServiceInitialisation()
{
    if (isStoredReleaseOutdated(Prefs::version(), Prefs::build()))
        return true;
    if (!s_serviceRegistry || s_serviceRegistry->isEmpty())
        return true;
    return !s_helperRegistry || s_helperRegistry->isEmpty();
}

void AppContext::createServiceRegistries()
{
    if (!s_serviceRegistry)
        s_serviceRegistry = new MediaServices();
    if (!s_helperRegistry)
        s_helperRegistry = new BinaryHelpers();
}

void AppContext::addFileToDeleteOnExit(const QString& path)
{
    if (s_instance)
        s_instance->m_filesToDeleteOnExit.append(path);
}

void AppContext::die(const QString& message)
{
    // One fatal stop per run: later failures while shutting down are only consequences.
    if (s_dying.exchange(true))
        return;
    // The message box belongs to the user interface thread; a worker (say, one that found
    // the database gone) hands the stop over and carries on to its own failure.
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread()) {
        QMetaObject::invokeMethod(
            app, [message] { tellAndQuit(message); }, Qt::QueuedConnection);
        return;
    }
    tellAndQuit(message);
}

void AppContext::tellAndQuit(const QString& message)
{
    if (UserInterface* ui = userInterface())
        ui->showFatalError(message);
    qCritical().noquote() << QStringLiteral("Application::die(): ") + message;
    QCoreApplication::quit();
}
