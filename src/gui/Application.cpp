#include "Application.h"

#include "app/AppIdentity.h"
#include "app/FileOpenEventFilter.h"
#include "core/AppContext.h"
#include "ui/GuiUserInterface.h"

#include <exception>
#include <string>

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv)
    , m_ui(std::make_unique<GuiUserInterface>())
{
    AppIdentity::apply();
}

void Application::startCore()
{
    m_context = std::make_unique<AppContext>(m_ui.get());
}

Application::~Application()
{
    m_context.reset();
    delete m_fileOpenFilter;
}

void Application::installFileOpenFilter(QObject* receiver)
{
    m_fileOpenFilter = new FileOpenEventFilter();
    connect(m_fileOpenFilter, SIGNAL(urlOpenedByExternalURLHandler(QString)), receiver,
        SLOT(setExternalOpenURL(QString)));
    installEventFilter(m_fileOpenFilter);
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        qCritical() << "Exception thrown:" << e.what();
    } catch (const std::string& text) {
        qCritical() << "Exception thrown:" << text.c_str();
    }
    return false;
}
