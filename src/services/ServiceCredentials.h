#pragma once

#include <QObject>
#include <QString>

class PasswordStore;
class QSettings;
class UserInterface;

// A service's sign-in account: asked for through the login dialog when a download needs a
// signed-in user, and kept (PasswordStore: the desktop keyring, else the settings file) when
// the user chose "Save for later". Reading a saved account is asynchronous, as the keyring is.
class ServiceCredentials : public QObject
{
    Q_OBJECT
public:
    // Saved accounts are looked up in the given settings; the login is asked through the
    // given front end.
    ServiceCredentials(const QString& serviceName, QSettings* settings,
        UserInterface* userInterface, QObject* parent = nullptr);
    ~ServiceCredentials() override;

    QString serviceName() const { return m_serviceName; }
    QString userName() const { return m_userName; }
    QString password() const { return m_password; }
    bool saveForLater() const { return m_saveForLater; }

    // Saved under the settings group "serviceCredentials/" + the service name.
    bool hasSavedCredentials() const;
    // Starts reading the saved account; savedCredentialsLoaded() follows, with the account
    // taken when one was found.
    void loadSaved();
    // Asks the user (through the front end) and, once the login succeeded, keeps the account
    // and starts saving it when asked to (credentialsSaved() follows). A failed or cancelled
    // login leaves everything unchanged.
    bool showLoginDialog();

signals:
    void savedCredentialsLoaded(bool found);
    void credentialsSaved(bool inKeyring);

private:
    QString m_serviceName;
    UserInterface* m_userInterface;
    QString m_password;
    QString m_userName;
    bool m_saveForLater = false;
    PasswordStore* m_store;
};
