#include "ServiceCredentials.h"

#include "PasswordStore.h"
#include "app/UserInterface.h"

ServiceCredentials::ServiceCredentials(
    const QString& serviceName, QSettings* settings, UserInterface* userInterface, QObject* parent)
    : QObject(parent)
    , m_serviceName(serviceName)
    , m_userInterface(userInterface)
    , m_store(new PasswordStore(settings, this))
{
    connect(m_store, &PasswordStore::saved, this, &ServiceCredentials::credentialsSaved);
    connect(m_store, &PasswordStore::loaded, this,
        [this](bool found, const QString& userName, const QString& password) {
            if (found) {
                m_userName = userName;
                m_password = password;
                m_saveForLater = true;
            }
            emit savedCredentialsLoaded(found);
        });
}

ServiceCredentials::~ServiceCredentials() = default;

bool ServiceCredentials::hasSavedCredentials() const
{
    return m_store->hasSaved(m_serviceName);
}

void ServiceCredentials::loadSaved()
{
    m_store->load(m_serviceName);
}

bool ServiceCredentials::showLoginDialog()
{
    UserInterface* ui = m_userInterface;
    QString userName;
    QString password;
    bool saveForLater = false;
    if (!ui || !ui->askForServiceLogin(m_serviceName, &userName, &password, &saveForLater))
        return false;
    m_userName = userName;
    m_password = password;
    m_saveForLater = saveForLater;
    if (m_saveForLater)
        m_store->save(m_serviceName, m_userName, m_password);
    return true;
}
