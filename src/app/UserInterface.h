#pragma once

#include <QString>

// The few places where the core has to reach the person using it. The GUI answers with
// dialogs, the command-line tool on the terminal. Later features add their own methods.
class UserInterface
{
public:
    virtual ~UserInterface() = default;

    // A fatal condition: shown to the user before the program quits.
    virtual void showFatalError(const QString& text) = 0;
    // A non-fatal error a request or service wants the user to see.
    virtual void showError(const QString& text) = 0;
    // Asks for a service account and checks it through the service's login; true once the
    // login succeeded, with the account filled in. Front ends that cannot ask say no.
    virtual bool askForServiceLogin(
        const QString& serviceName, QString* userName, QString* password, bool* saveForLater)
    {
        Q_UNUSED(serviceName)
        Q_UNUSED(userName)
        Q_UNUSED(password)
        Q_UNUSED(saveForLater)
        return false;
    }
};
