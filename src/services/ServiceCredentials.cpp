#include "ServiceCredentials.h"

#include "app/UserInterface.h"

#include <QFile>
#include <QSettings>

namespace {

// Scrambled, not encrypted: the dialog warns that saved passwords are weakly protected. The
// settings file itself is made readable by the user only.
QByteArray scramble(const QByteArray& bytes)
{
    static const QByteArray key = QByteArrayLiteral("Kestrofan2-credentials");
    QByteArray result = bytes;
    for (int i = 0; i < result.size(); ++i)
        result[i] = char(result.at(i) ^ key.at(i % key.size()));
    return result;
}

} // namespace

ServiceCredentials::ServiceCredentials(
    const QString& serviceName, QSettings* settings, UserInterface* userInterface)
    : m_serviceName(serviceName)
    , m_settings(settings)
    , m_userInterface(userInterface)
{ }

QString ServiceCredentials::settingsGroup() const
{
    return QStringLiteral("serviceCredentials/") + m_serviceName;
}

bool ServiceCredentials::hasSavedCredentials() const
{
    QSettings* settings = m_settings;
    if (!settings)
        return false;
    settings->beginGroup(settingsGroup());
    const bool saved = !settings->childKeys().isEmpty();
    settings->endGroup();
    return saved;
}

bool ServiceCredentials::loadSaved()
{
    if (!hasSavedCredentials())
        return false;
    QSettings* settings = m_settings;
    settings->beginGroup(settingsGroup());
    m_userName = settings->value(QStringLiteral("userName")).toString();
    m_password = QString::fromUtf8(scramble(
        QByteArray::fromBase64(settings->value(QStringLiteral("password")).toByteArray())));
    settings->endGroup();
    m_saveForLater = true;
    return true;
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
        save();
    return true;
}

void ServiceCredentials::save() const
{
    QSettings* settings = m_settings;
    if (!settings)
        return;
    settings->beginGroup(settingsGroup());
    settings->setValue(QStringLiteral("userName"), m_userName);
    settings->setValue(
        QStringLiteral("password"), QString::fromLatin1(scramble(m_password.toUtf8()).toBase64()));
    settings->endGroup();
    settings->sync();
    QFile::setPermissions(settings->fileName(), QFile::ReadOwner | QFile::WriteOwner);
}
