#pragma once

#include "update/PluginInstaller.h"
#include "update/PluginVersionsChecker.h"

#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A repository folder for the reference update server, its signing key (made by the server's
// own --generate-key) and the running server on 127.0.0.1.
class UpdateServerFixture
{
public:
    UpdateServerFixture();
    ~UpdateServerFixture();

    QString repository() const { return m_folder.path() + "/repository"; }
    // Raw and base64 public key.
    QByteArray publicKey() const;
    QString publicKeyBase64() const { return m_publicKey; }

    // Empties the repository.
    void clear();
    // A packed plugin; each description becomes one offered entry; "overrides" go into
    // entry.json.
    void addPlugin(const QString& folder, const QString& program,
        const QStringList& descriptions = {}, const QJsonObject& overrides = {});
    void addHelper(const QString& folder, const QJsonObject& info, const QByteArray& body);
    void setAppVersion(const QByteArray& json);

    bool start();
    void stop();
    QString baseAddress() const { return m_baseAddress; }
    QString log();

    // A shell script of exactly "size" bytes (at least 32).
    static QByteArray helperBody(int size, char fill = '#');
    static void changeOneByte(const QString& path);

private:
    QTemporaryDir m_folder;
    QString m_publicKey;
    QProcess m_server;
    QString m_baseAddress;
    QString m_log;
};

// One check, or one installation, run to its end against the installation of the current
// application context.
struct CheckOutcome
{
    bool answered = false; // pluginUpdatesAvailable
    bool unreachable = false; // updateHostConnectionError
    QStringList errors;
    bool firstRun = false;
    int count = -1;
    QString unreachableText;
};

namespace UpdateRun {

CheckOutcome check(const UpdateServer& server);
// Installs everything pending; the installer after its finished().
std::unique_ptr<PluginInstaller> install(
    const UpdateServer& server, qint64 maximumHelperSize = PluginInstaller::maximumHelperSize);

} // namespace UpdateRun
