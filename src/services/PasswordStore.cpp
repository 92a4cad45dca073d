#include "PasswordStore.h"

#include <QFile>
#include <QSettings>
#include <QTimer>
#include <qt6keychain/keychain.h>

namespace {

const QString kUserNameKey = QStringLiteral("userName");
const QString kPasswordKey = QStringLiteral("password");
const QString kStorageKey = QStringLiteral("storage");
const QString kInKeyring = QStringLiteral("keyring");
const QString kInSettings = QStringLiteral("settings");

// Scrambled, not encrypted: the login dialog warns of it when no keyring is used.
QByteArray scramble(const QByteArray& bytes)
{
    static const QByteArray key = QByteArrayLiteral("Kestrofan2-credentials");
    QByteArray result = bytes;
    for (int i = 0; i < result.size(); ++i)
        result[i] = char(result.at(i) ^ key.at(i % key.size()));
    return result;
}

// An entry that is missing, or a keyring the user would not open, still means a keyring runs.
bool keyringAnswered(QKeychain::Error error)
{
    return error == QKeychain::NoError || error == QKeychain::EntryNotFound
        || error == QKeychain::AccessDenied || error == QKeychain::AccessDeniedByUser;
}

} // namespace

const QString PasswordStore::kKeyringService = QStringLiteral("Kestrofan 2");

PasswordStore::PasswordStore(QSettings* settings, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
{ }

QString PasswordStore::settingsGroup(const QString& serviceName)
{
    return QStringLiteral("serviceCredentials/") + serviceName;
}

bool PasswordStore::hasSaved(const QString& serviceName) const
{
    if (!m_settings)
        return false;
    m_settings->beginGroup(settingsGroup(serviceName));
    const bool saved = !m_settings->childKeys().isEmpty();
    m_settings->endGroup();
    return saved;
}

void PasswordStore::save(
    const QString& serviceName, const QString& userName, const QString& password)
{
    auto* job = new QKeychain::WritePasswordJob(kKeyringService, this);
    job->setKey(serviceName);
    job->setTextData(password);
    connect(job, &QKeychain::Job::finished, this,
        [this, serviceName, userName, password](QKeychain::Job* finished) {
            const bool inKeyring = finished->error() == QKeychain::NoError;
            if (!inKeyring) {
                qWarning("PasswordStore: the keyring was unavailable (%s); the password for %s "
                         "is kept in the settings file",
                    qUtf8Printable(finished->errorString()), qUtf8Printable(serviceName));
            }
            saveInSettings(serviceName, userName, password, inKeyring);
            emit saved(inKeyring);
        });
    job->start();
}

void PasswordStore::saveInSettings(
    const QString& serviceName, const QString& userName, const QString& password, bool inKeyring)
{
    if (!m_settings)
        return;
    m_settings->beginGroup(settingsGroup(serviceName));
    m_settings->setValue(kUserNameKey, userName);
    m_settings->setValue(kStorageKey, inKeyring ? kInKeyring : kInSettings);
    if (inKeyring) {
        m_settings->remove(kPasswordKey);
    } else {
        m_settings->setValue(
            kPasswordKey, QString::fromLatin1(scramble(password.toUtf8()).toBase64()));
    }
    m_settings->endGroup();
    m_settings->sync();
    QFile::setPermissions(m_settings->fileName(), QFile::ReadOwner | QFile::WriteOwner);
}

void PasswordStore::load(const QString& serviceName)
{
    if (!hasSaved(serviceName)) {
        QTimer::singleShot(0, this, [this] { emit loaded(false, QString(), QString()); });
        return;
    }
    m_settings->beginGroup(settingsGroup(serviceName));
    const QString userName = m_settings->value(kUserNameKey).toString();
    const bool inKeyring = m_settings->value(kStorageKey).toString() == kInKeyring;
    const QString scrambled = m_settings->value(kPasswordKey).toString();
    m_settings->endGroup();
    if (!inKeyring) {
        const QString password
            = QString::fromUtf8(scramble(QByteArray::fromBase64(scrambled.toLatin1())));
        QTimer::singleShot(
            0, this, [this, userName, password] { emit loaded(true, userName, password); });
        return;
    }
    auto* job = new QKeychain::ReadPasswordJob(kKeyringService, this);
    job->setKey(serviceName);
    connect(job, &QKeychain::Job::finished, this, [this, userName](QKeychain::Job* finished) {
        const auto* read = static_cast<QKeychain::ReadPasswordJob*>(finished);
        const bool found = read->error() == QKeychain::NoError;
        if (!found) {
            qWarning("PasswordStore: the saved password could not be read from the keyring: %s",
                qUtf8Printable(read->errorString()));
        }
        emit loaded(found, userName, found ? read->textData() : QString());
    });
    job->start();
}

void PasswordStore::checkKeyring()
{
    auto* job = new QKeychain::ReadPasswordJob(kKeyringService, this);
    job->setKey(QStringLiteral("keyring check"));
    connect(job, &QKeychain::Job::finished, this, [this](QKeychain::Job* finished) {
        emit keyringChecked(keyringAnswered(finished->error()));
    });
    job->start();
}
