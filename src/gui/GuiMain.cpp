#include "GuiMain.h"

#include "Application.h"
#include "GuiDownloadStarter.h"
#include "SingleInstance.h"

#include "app/AppIdentity.h"
#include "app/DbConnection.h"
#include "app/Prefs.h"
#include "core/AppContext.h"
#include "ui/DownloadsForm.h"
#include "ui/KStyle.h"
#include "ui/MainWindow.h"
#include "ui/MediaFeedContainer.h"
#include "ui/Milestones.h"
#include "ui/NewAppVersionAvailableDialog.h"
#include "ui/PluginUpdateFlow.h"
#include "update/AppVersionChecker.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <QWindow>

namespace {

// The window counts as shown when it is first on screen, not when show() is called.
class FirstExposure : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            Milestones::log("window shown");
            watched->removeEventFilter(this);
        }
        return false;
    }
};

// The update check at start-up and, except on a first run, the release check a minute after
// the services are ready; both talk to the server the build, preferences or environment name.
void startUpdates(MainWindow* window)
{
    const UpdateServer server = UpdateServer::resolve(Prefs::updateUrl(), Prefs::updatePublicKey());
    const PluginVersionsChecker::Installation installation = AppContext::pluginInstallation();
    const PluginInstaller::Target target = AppContext::pluginInstallTarget();
    auto* flow = new PluginUpdateFlow(server, installation, target, window);
    auto* releases = new AppVersionChecker(
        server.baseAddress(), AppIdentity::version(), AppIdentity::build(), window);
    QObject::connect(releases, &AppVersionChecker::newAppVersionAvailable, window,
        [window](const QString& version, const QString& text, const QString& location) {
            NewAppVersionAvailableDialog(version, text, location, window).exec();
        });
    QObject::connect(
        flow, &PluginUpdateFlow::servicesReady, window, &MainWindow::onServiceUpdateCheckFinished);
    QObject::connect(flow, &PluginUpdateFlow::servicesReady, releases, [releases] {
        if (!AppContext::isFirstRun())
            QTimer::singleShot(60000, releases, &AppVersionChecker::check);
    });
    flow->start(AppContext::needsServiceInitialisation());
}

// The desktop starts us with a "kestrofan:" address (Exec=... %u); options are Qt's.
QString addressArgument()
{
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    for (const QString& argument : arguments) {
        if (!argument.startsWith(QLatin1Char('-')))
            return argument;
    }
    return {};
}

} // namespace

int runGui(int& argc, char** argv)
{
    Application app(argc, argv);
    const QString address = addressArgument();
    SingleInstance instance;
    if (instance.handOver(address))
        return 0;
    instance.listen();

    app.startCore();
    Application::setStyle(new KStyle);
    // The fatal message has been shown during start-up; its quit request came before the
    // event loop, so stop here without a window.
    if (AppContext::isDying())
        return 0;

    QTranslator qtTranslator;
    if (qtTranslator.load(QStringLiteral("qt_") + QLocale::system().name(),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        Application::installTranslator(&qtTranslator);
    QTranslator appTranslator;
    if (appTranslator.load(QStringLiteral(":/translations/kestrofan2_") + QLocale::system().name()))
        Application::installTranslator(&appTranslator);

    // The registries before the window: a broken plugin stops here.
    AppContext::instance()->createServiceRegistries();
    if (AppContext::isDying())
        return 0;
    DbConnection database;
    MainWindow::Parts parts;
    parts.database = database.connection();
    parts.settings = AppContext::settings();
    parts.firstRun = AppContext::isFirstRun();
    parts.feedViews = MediaFeedContainer::factory();
    MainWindow window(parts);
    window.setServices(AppContext::serviceRegistry());
    // Before the downloads restore theirs on the same signal, so that a long list shows.
    QObject::connect(&window, &MainWindow::servicesLoaded, &window,
        [] { Milestones::log("downloads restoring"); });
    auto* downloads = new GuiDownloadStarter(
        &window, AppContext::processingQueue(), AppContext::serviceRegistry());
    window.setDownloadStarter(downloads);
    window.setDownloadsForm(new DownloadsForm(downloads->downloads()));
    window.restoreWindowState();
    window.show();
    window.windowHandle()->installEventFilter(new FirstExposure(&window));
    QObject::connect(
        &window, &MainWindow::servicesLoaded, &window, [] { Milestones::log("services loaded"); });
    app.installFileOpenFilter(&window);
    QObject::connect(
        &window, &MainWindow::postConstructed, &window, [&window] { startUpdates(&window); });
    QObject::connect(
        &instance, &SingleInstance::addressReceived, &window, &MainWindow::setExternalOpenURL);
    QObject::connect(&instance, &SingleInstance::activationRequested, &window, [&window] {
        window.showNormal();
        window.raise();
        window.activateWindow();
    });
    if (!address.isEmpty())
        window.setExternalOpenURL(address);
    return Application::exec();
}
