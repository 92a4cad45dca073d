#include "GuiMain.h"

#include "Application.h"
#include "SingleInstance.h"

#include "core/AppContext.h"
#include "ui/KStyle.h"
#include "ui/PlaceholderWindow.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

namespace {

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

    PlaceholderWindow window;
    window.show();
    app.installFileOpenFilter(&window);
    QObject::connect(&instance, &SingleInstance::addressReceived, &window,
        &PlaceholderWindow::setExternalOpenURL);
    QObject::connect(&instance, &SingleInstance::activationRequested, &window, [&window] {
        window.showNormal();
        window.raise();
        window.activateWindow();
    });
    if (!address.isEmpty())
        QTimer::singleShot(0, &window, [&window, address] { window.setExternalOpenURL(address); });
    return Application::exec();
}
