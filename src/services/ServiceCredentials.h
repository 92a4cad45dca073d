#pragma once

#include <QString>

class QSettings;
class UserInterface;

// A service's sign-in account: asked for through the login dialog when a download needs a
// signed-in user, and kept in the settings when the user chose "Save for later".
class ServiceCredentials
{
public:
    // Saved logins live in "settings" (used on the thread that owns it); the user interface
    // asks for new ones. Either may be null: nothing is saved or asked then.
    ServiceCredentials(
        const QString& serviceName, QSettings* settings, UserInterface* userInterface);

    QString serviceName() const { return m_serviceName; }
    QString userName() const { return m_userName; }
    QString password() const { return m_password; }
    bool saveForLater() const { return m_saveForLater; }

    // Saved under the settings group "serviceCredentials/" + the service name.
    bool hasSavedCredentials() const;
    // Takes the saved account, if any.
    bool loadSaved();
    // Asks the user (through the front end) and, once the login succeeded, keeps the account
    // and saves it when asked to. A failed or cancelled login leaves everything unchanged.
    bool showLoginDialog();

private:
    QString settingsGroup() const;
    void save() const;

    QString m_serviceName;
    QSettings* m_settings;
    UserInterface* m_userInterface;
    QString m_password;
    QString m_userName;
    bool m_saveForLater = false;
};
