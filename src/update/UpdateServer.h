#pragma once

#include <QByteArray>
#include <QString>

// Where updates come from and whose signature they must carry. The build sets both (empty by
// default: no public server exists); the preferences and the environment variables
// KESTROFAN_UPDATE_URL and KESTROFAN_UPDATE_PUBLIC_KEY override them, the environment winning.
class UpdateServer
{
public:
    UpdateServer() = default;
    // "publicKey" is the raw 32-byte Ed25519 key.
    UpdateServer(const QString& baseAddress, const QByteArray& publicKey);

    // The values in force, given the preferences' (empty when unset).
    static UpdateServer resolve(const QString& preferredUrl, const QString& preferredKey);
    // Decodes a base64 public key; empty when it is not one.
    static QByteArray decodePublicKey(const QString& base64);

    bool isConfigured() const { return !m_baseAddress.isEmpty(); }
    bool hasPublicKey() const { return !m_publicKey.isEmpty(); }
    QString baseAddress() const { return m_baseAddress; }
    QByteArray publicKey() const { return m_publicKey; }
    // HTTPS, or a server on this machine.
    bool isSecure() const;
    // Shown in the messages about an unreachable server.
    QString hostName() const;

    QString infoAddress(const QString& key, const QString& hardwareAddress, const QString& version,
        const QString& build, const QString& platform) const;
    QString scriptAddress(
        const QString& pluginName, const QString& serviceKey, int revision, qint64 timeStamp) const;
    QString helperAddress(
        int id, const QString& version, const QString& binaryName, qint64 timeStamp) const;
    QString appCheckAddress() const;

private:
    QString m_baseAddress;
    QByteArray m_publicKey;
};
