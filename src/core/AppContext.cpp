#include "AppContext.h"

#include "app/AppIdentity.h"
#include "app/AppPaths.h"
#include "app/DbChangeModel.h"
#include "app/FatalStop.h"
#include "app/Prefs.h"
#include "convert/ProcessPool.h"
#include "download/BinaryHelpers.h"
#include "download/HelperPageDescriber.h"
#include "download/ProcessingQueue.h"
#include "net/CookieJar.h"
#include "net/NetworkAccess.h"
#include "services/MediaServices.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QThreadPool>

namespace {

AppContext* s_instance = nullptr;

} // namespace

AppContext::AppContext(UserInterface* ui, QObject* parent)
    : QObject(parent)
    , m_ui(ui)
    , m_processPool(std::make_unique<ProcessPool>())
{
    s_instance = this;
    FatalStop::install(ui);
    AppIdentity::apply();
    m_settings = new QSettings(QSettings::NativeFormat, QSettings::UserScope,
        QCoreApplication::organizationName(), QCoreApplication::applicationName(), this);
    Prefs::attach(m_settings);
    m_cookieJar = std::make_unique<CookieJar>();
    NetworkAccess::setCookieJar(m_cookieJar.get());
    NetworkAccess::setCacheDirectory(AppPaths::cacheLocation());
    QThreadPool::globalInstance()->setMaxThreadCount(10);

    QString previousVersion;
    QString previousBuild;
    if (!m_settings->childGroups().contains(QStringLiteral("prefs"), Qt::CaseSensitive)) {
        Prefs::writeDefaults();
        m_firstRun = true;
    } else {
        Prefs::load();
        m_firstRun = false;
        previousVersion = Prefs::version();
        previousBuild = Prefs::build();
    }

    createMediaDirectories();
    // The queue asks again before each start, so that changed preferences count at once.
    m_processingQueue = new ProcessingQueue(
        Prefs::downloadQueuePaused(),
        [] {
            return ProcessingQueue::Settings { Prefs::simultaneousDownloads(), Prefs::mediaPath() };
        },
        this);

    QSqlDatabase db = m_database.connection(true);
    if (FatalStop::isDying())
        return;
    DbChangeModel(previousVersion, previousBuild, db);
}

AppContext::~AppContext()
{
    // Quitting ends the external programs at once instead of waiting for them.
    m_processPool->cancelAll();
    m_serviceRegistry.reset();
    m_pageDescriber.reset();
    NetworkAccess::setCookieJar(nullptr);
    m_cookieJar.reset();
    for (const QString& path : std::as_const(m_filesToDeleteOnExit)) {
        if (QFile::exists(path))
            QFile::remove(path);
    }
    if (!FatalStop::isDying())
        m_database.close();
    Prefs::attach(nullptr);
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
    const QString temporary = Prefs::mediaTmpLocation();
    if (!dir.exists(temporary))
        dir.mkdir(temporary);
}

void AppContext::createServiceRegistries()
{
    if (!m_helperRegistry)
        m_helperRegistry = std::make_unique<BinaryHelpers>();
    if (!m_pageDescriber)
        m_pageDescriber
            = std::make_unique<HelperPageDescriber>(m_helperRegistry.get(), m_processPool.get());
    if (!m_serviceRegistry) {
        ServiceEnvironment environment;
        environment.pluginsDirectory = AppPaths::servicePluginsLocation();
        environment.settings = m_settings;
        environment.userInterface = m_ui;
        environment.pageDescriber = m_pageDescriber.get();
        m_serviceRegistry = std::make_unique<MediaServices>(environment);
    }
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
    return s_instance ? s_instance->m_serviceRegistry.get() : nullptr;
}
BinaryHelpers* AppContext::helperRegistry()
{
    return s_instance ? s_instance->m_helperRegistry.get() : nullptr;
}
CookieJar* AppContext::cookieJar()
{
    return s_instance ? s_instance->m_cookieJar.get() : nullptr;
}
ProcessPool* AppContext::processPool()
{
    return s_instance ? s_instance->m_processPool.get() : nullptr;
}
bool AppContext::isFirstRun()
{
    return !s_instance || s_instance->m_firstRun;
}
void AppContext::setFirstRun(bool firstRun)
{
    if (s_instance)
        s_instance->m_firstRun = firstRun;
}
bool AppContext::isDying()
{
    return FatalStop::isDying();
}

bool AppContext::needsServiceInitialisation()
{
    if (AppIdentity::isStoredReleaseOutdated(Prefs::version(), Prefs::build()))
        return true;
    MediaServices* services = serviceRegistry();
    if (!services || services->isEmpty())
        return true;
    BinaryHelpers* helpers = helperRegistry();
    return !helpers || helpers->isEmpty();
}

void AppContext::addFileToDeleteOnExit(const QString& path)
{
    if (s_instance)
        s_instance->m_filesToDeleteOnExit.append(path);
}

PluginVersionsChecker::Installation AppContext::pluginInstallation()
{
    PluginVersionsChecker::Installation installation;
    installation.services = serviceRegistry();
    installation.helpers = helperRegistry();
    installation.pluginsDirectory = AppPaths::servicePluginsLocation();
    installation.version = AppIdentity::version();
    installation.build = AppIdentity::build();
    return installation;
}

PluginInstaller::Target AppContext::pluginInstallTarget()
{
    PluginInstaller::Target target;
    target.services = serviceRegistry();
    target.helpers = helperRegistry();
    target.pluginsDirectory = AppPaths::servicePluginsLocation();
    target.helpersDirectory = AppPaths::helpersLocation();
    return target;
}

JobServices AppContext::jobServices(DownloadsModel* records)
{
    JobServices services;
    services.records = records;
    services.services = serviceRegistry();
    services.helpers = helperRegistry();
    services.processPool = processPool();
    return services;
}
