#include "UpdateTestSupport.h"

#include "services/ServicePluginFile.h"
#include "update/UpdateServer.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QtTest>

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("Could not write %s", qPrintable(path));
}

} // namespace

UpdateServerFixture::UpdateServerFixture()
{
    const QString keyFile = m_folder.path() + QStringLiteral("/signing.key");
    QProcess generator;
    generator.start(
        QStringLiteral(KESTROFAN_UPDATE_SERVER), { QStringLiteral("--generate-key"), keyFile });
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
    if (!ServicePluginFile::write(path + QStringLiteral("/service.plugin"), program, &error))
        qFatal("Could not pack %s: %s", qPrintable(folder), qPrintable(error));
    if (!descriptions.isEmpty())
        writeFile(path + QStringLiteral("/description.txt"),
            descriptions.join(QStringLiteral("\n\n")).toUtf8());
    if (!overrides.isEmpty())
        writeFile(path + QStringLiteral("/entry.json"), QJsonDocument(overrides).toJson());
}

void UpdateServerFixture::addHelper(
    const QString& folder, const QJsonObject& info, const QByteArray& body)
{
    const QString path = repository() + QStringLiteral("/helpers/") + folder;
    writeFile(path + QStringLiteral("/helper.json"), QJsonDocument(info).toJson());
    const QString file = info.value(QLatin1String("file"))
                             .toString(info.value(QLatin1String("binary_name")).toString());
    writeFile(path + QLatin1Char('/') + file, body);
}

void UpdateServerFixture::setAppVersion(const QByteArray& json)
{
    writeFile(repository() + QStringLiteral("/app/version.json"), json);
}

bool UpdateServerFixture::start()
{
    stop();
    m_server.start(QStringLiteral(KESTROFAN_UPDATE_SERVER),
        { QStringLiteral("--repository"), repository(), QStringLiteral("--key"),
            m_folder.path() + QStringLiteral("/signing.key") });
    static const QRegularExpression listening(QStringLiteral("Listening on (http://\\S+)"));
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
