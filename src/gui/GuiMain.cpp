#include "GuiMain.h"

#include "Application.h"

#include "core/AppContext.h"
#include "ui/KStyle.h"
#include "ui/PlaceholderWindow.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int runGui(int& argc, char** argv)
{
    Application app(argc, argv);
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
    return Application::exec();
}
