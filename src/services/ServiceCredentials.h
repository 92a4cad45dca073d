#pragma once

#include <QString>

// A service's sign-in account: asked for through the login dialog when a download needs a
// signed-in user, and kept in the settings when the user chose "Save for later".
class ServiceCredentials
{
public:
    explicit ServiceCredentials(const QString& serviceName);

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
    QString m_password;
    QString m_userName;
    bool m_saveForLater = false;
};
