#include "FatalStop.h"

#include "UserInterface.h"

#include <QCoreApplication>
#include <QThread>
#include <QtDebug>

#include <atomic>

namespace {

std::atomic<UserInterface*> s_ui { nullptr };
std::atomic_bool s_dying { false };

void tellAndQuit(const QString& message)
{
    if (UserInterface* ui = s_ui.load())
        ui->showFatalError(message);
    qCritical().noquote() << QStringLiteral("Application::die(): ") + message;
    QCoreApplication::quit();
}

} // namespace

namespace FatalStop {

void die(const QString& message)
{
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

bool isDying()
{
    return s_dying;
}

void install(UserInterface* ui)
{
    s_ui = ui;
    s_dying = false;
}

} // namespace FatalStop
