#include "UpdateTestSupport.h"

#include "core/AppContext.h"
#include "services/ServicePluginFile.h"
#include "support/TestFiles.h"
#include "update/UpdateServer.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

UpdateServerFixture::UpdateServerFixture()
{
    const QString keyFile = m_folder.path() + "/signing.key";
    QProcess generator;
    generator.start(QStringLiteral(KESTROFAN_UPDATE_SERVER), { "--generate-key", keyFile });
    if (!generator.waitForFinished(30000) || generator.exitCode() != 0)
        qFatal("The update server could not make a key pair");
    m_publicKey = QString::fromLatin1(generator.readAllStandardOutput().trimmed());
    clear();
}

UpdateServerFixture::~UpdateServerFixture()
{
    stop();
}

QByteArray UpdateServerFixture::publicKey() const
{
    return UpdateServer::decodePublicKey(m_publicKey);
}

void UpdateServerFixture::clear()
{
    QDir(repository()).removeRecursively();
    QDir().mkpath(repository());
}

void UpdateServerFixture::addPlugin(const QString& folder, const QString& program,
    const QStringList& descriptions, const QJsonObject& overrides)
{
    const QString path = repository() + QStringLiteral("/plugins/") + folder;
    QDir().mkpath(path);
    QString error;
    if (!ServicePluginFile::write(path + "/service.plugin", program, &error))
        qFatal("Could not pack %s: %s", qPrintable(folder), qPrintable(error));
    if (!descriptions.isEmpty())
        writeFile(path + "/description.txt", descriptions.join("\n\n").toUtf8());
    if (!overrides.isEmpty())
        writeFile(path + "/entry.json", QJsonDocument(overrides).toJson());
}

void UpdateServerFixture::addHelper(
    const QString& folder, const QJsonObject& info, const QByteArray& body)
{
    const QString path = repository() + QStringLiteral("/helpers/") + folder;
    writeFile(path + "/helper.json", QJsonDocument(info).toJson());
    const QString file = info.value(QLatin1String("file"))
                             .toString(info.value(QLatin1String("binary_name")).toString());
    writeFile(path + QLatin1Char('/') + file, body);
}

void UpdateServerFixture::setAppVersion(const QByteArray& json)
{
    writeFile(repository() + "/app/version.json", json);
}

bool UpdateServerFixture::start()
{
    stop();
    m_server.start(QStringLiteral(KESTROFAN_UPDATE_SERVER),
        { "--repository", repository(), "--key", m_folder.path() + "/signing.key" });
    static const QRegularExpression listening("Listening on (http://\\S+)");
    QByteArray greeting;
    while (m_server.waitForReadyRead(30000)) {
        greeting += m_server.readAllStandardOutput();
        const QRegularExpressionMatch match = listening.match(QString::fromLatin1(greeting));
        if (match.hasMatch()) {
            m_baseAddress = match.captured(1);
            return true;
        }
    }
    qWarning().noquote() << "The update server did not start:" << m_server.readAllStandardError();
    return false;
}

void UpdateServerFixture::stop()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    m_server.terminate();
    if (!m_server.waitForFinished(10000)) {
        m_server.kill();
        m_server.waitForFinished();
    }
    m_log += QString::fromUtf8(m_server.readAllStandardError());
}

QString UpdateServerFixture::log()
{
    m_log += QString::fromUtf8(m_server.readAllStandardError());
    return m_log;
}

QByteArray UpdateServerFixture::helperBody(int size, char fill)
{
    QByteArray body("#!/bin/sh\necho fake helper\nexit 0\n#");
    body.append(QByteArray(size - body.size() - 1, fill));
    body.append('\n');
    return body;
}

void UpdateServerFixture::changeOneByte(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        qFatal("Cannot open %s", qPrintable(path));
    QByteArray content = file.readAll();
    content[content.size() - 1] = char(content.at(content.size() - 1) ^ 0x01);
    file.seek(0);
    file.write(content);
}

CheckOutcome UpdateRun::check(const UpdateServer& server)
{
    PluginVersionsChecker checker(server, AppContext::pluginInstallation());
    QSignalSpy available(&checker, &PluginVersionsChecker::pluginUpdatesAvailable);
    QSignalSpy unreachable(&checker, &PluginVersionsChecker::updateHostConnectionError);
    QSignalSpy errors(&checker, &PluginVersionsChecker::error);
    checker.check();
    const bool settled = QTest::qWaitFor(
        [&] { return !available.isEmpty() || !unreachable.isEmpty() || !errors.isEmpty(); }, 20000);
    if (!settled)
        qWarning("The update check gave no answer in time");
    CheckOutcome outcome;
    outcome.answered = !available.isEmpty();
    outcome.unreachable = !unreachable.isEmpty();
    for (const QList<QVariant>& arguments : std::as_const(errors))
        outcome.errors << arguments.at(0).toString();
    if (outcome.answered) {
        outcome.firstRun = available.first().at(0).toBool();
        outcome.count = available.first().at(1).toInt();
    }
    outcome.unreachableText = checker.connectionErrorMessage().text;
    return outcome;
}

std::unique_ptr<PluginInstaller> UpdateRun::install(
    const UpdateServer& server, qint64 maximumHelperSize)
{
    auto installer = std::make_unique<PluginInstaller>(server, AppContext::pluginInstallTarget());
    installer->setMaximumHelperSizeForTesting(maximumHelperSize);
    QSignalSpy finished(installer.get(), &PluginInstaller::finished);
    installer->start(PluginVersionsChecker::pendingServiceUpdates(),
        PluginVersionsChecker::pendingHelperUpdates());
    if (!finished.wait(30000))
        qWarning("The installation did not finish in time");
    return installer;
}
