#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QSettings;

// Keeps the saved passwords of service accounts: in the desktop keyring (Secret Service or
// KWallet, through QtKeychain) where one answers, else in the settings file, scrambled and
// readable by the user only, with a log line saying that the keyring was unavailable. The
// settings group "serviceCredentials/" + service name always holds the user name and where the
// password went. The keyring answers asynchronously, so every operation ends in a signal on the
// thread that made the store; nothing here waits.
class PasswordStore : public QObject
{
    Q_OBJECT
public:
    // The name the passwords carry in the keyring.
    static const QString kKeyringService;

    explicit PasswordStore(QSettings* settings, QObject* parent = nullptr);

    bool hasSaved(const QString& serviceName) const;
    // saved() follows.
    void save(const QString& serviceName, const QString& userName, const QString& password);
    // loaded() follows.
    void load(const QString& serviceName);
    // Asks the keyring whether it answers at all; keyringChecked() follows.
    void checkKeyring();

signals:
    void saved(bool inKeyring);
    void loaded(bool found, const QString& userName, const QString& password);
    void keyringChecked(bool available);

private:
    static QString settingsGroup(const QString& serviceName);
    void saveInSettings(const QString& serviceName, const QString& userName,
        const QString& password, bool inKeyring);

    QPointer<QSettings> m_settings;
};
