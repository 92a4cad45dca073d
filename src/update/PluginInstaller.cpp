#include "PluginInstaller.h"

#include "DownloadSink.h"
#include "UpdateSignature.h"
#include "app/FileReplacement.h"
#include "app/PlainName.h"
#include "download/BinaryHelperModel.h"
#include "download/BinaryHelpers.h"
#include "net/NetworkAccess.h"
#include "net/TlsTrust.h"
#include "services/MediaServices.h"
#include "services/PluginFileSwap.h"
#include "services/PluginInspector.h"
#include "services/ServicePluginFile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryFile>
#include <QTimer>
#include <QtDebug>

namespace {

constexpr qint64 maximumScriptSize = ServicePluginFile::maximumTextSize + 1024;

qint64 now()
{
    return QDateTime::currentSecsSinceEpoch();
}

int statusOf(QNetworkReply* reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

DownloadSink* sinkOf(QNetworkReply* reply)
{
    return reply->findChild<DownloadSink*>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace

PluginInstaller::PluginInstaller(const UpdateServer& server, const Target& target, QObject* parent)
    : QObject(parent)
    , m_server(server)
    , m_target(target)
{
    connect(this, &PluginInstaller::fileHandled, this, &PluginInstaller::onFileHandled);
}

void PluginInstaller::start(const QHash<QString, ServicePluginInfo>& services,
    const QHash<QString, HelperUpdateInfo>& helpers)
{
    for (const ServicePluginInfo& info : services)
        m_filesToFetch += (info.serviceScriptRevision >= 0 ? 1 : 0)
            + (info.extractScriptRevision >= 0 ? 1 : 0);
    m_filesToFetch += int(helpers.size());
    for (const ServicePluginInfo& info : services) {
        if (info.serviceScriptRevision >= 0)
            downloadScript(QStringLiteral("service"), info, info.serviceScriptRevision);
        if (info.extractScriptRevision >= 0)
            downloadScript(QStringLiteral("extract"), info, info.extractScriptRevision);
    }
    for (const HelperUpdateInfo& info : helpers)
        downloadHelper(info);
    if (m_filesToFetch == 0)
        QTimer::singleShot(0, this, &PluginInstaller::onFileHandled);
}

QNetworkReply* PluginInstaller::send(const QString& address, DownloadSink* sink)
{
    QNetworkRequest request { QUrl(address) };
    // A redirect is an answer other than the file: it counts as a failed download.
    request.setAttribute(
        QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(m_transferTimeoutMs);
    // The thread's transfer manager: verified TLS and the trusted certificates, no disk cache;
    // the body streams into the sink, so the page size bound does not apply.
    QNetworkReply* reply = NetworkAccess::transfers()->get(request);
    reply->setParent(this);
    sink->setParent(reply);
    connect(reply, &QNetworkReply::readyRead, this, &PluginInstaller::onDataReady);
    connect(this, &PluginInstaller::abort, reply, &QNetworkReply::abort);
    return reply;
}

void PluginInstaller::downloadScript(
    const QString& pluginName, const ServicePluginInfo& info, int revision)
{
    const qint64 timeStamp = now();
    QNetworkReply* reply
        = send(m_server.scriptAddress(pluginName, info.serviceKey, revision, timeStamp),
            new DownloadSink(maximumScriptSize, QString(), nullptr));
    reply->setProperty("serviceKey", info.serviceKey);
    reply->setProperty("pluginName", pluginName);
    reply->setProperty("serviceName", info.name);
    reply->setProperty("timeStamp", timeStamp);
    reply->setProperty("revison", revision);
    if (pluginName == QLatin1String("service"))
        m_expectedScriptDigests.insert(info.serviceKey, info.serviceScriptSha256);
    connect(reply, &QNetworkReply::finished, this, &PluginInstaller::onScriptDownloadFinished);
}

void PluginInstaller::downloadHelper(const HelperUpdateInfo& info)
{
    append(tr("Downloading updated %1").arg(info.name) + QStringLiteral("..."));
    m_helpers.insert(info.id, info);
    QDir().mkpath(m_target.helpersDirectory);
    // The body goes to a new file beside its destination, so that putting it in place is a
    // rename within one folder.
    auto* sink = new DownloadSink(m_maximumHelperSize,
        QDir(m_target.helpersDirectory).filePath(QStringLiteral(".download.XXXXXX")), nullptr);
    QNetworkReply* reply
        = send(m_server.helperAddress(info.id, info.version, info.binaryName, now()), sink);
    reply->setProperty("id", QString::number(info.id));
    reply->setProperty("name", info.name);
    reply->setProperty("binaryName", info.binaryName);
    reply->setProperty("version", info.version);
    connect(reply, &QNetworkReply::finished, this, &PluginInstaller::onHelperDownloadFinished);
}

void PluginInstaller::onDataReady()
{
    auto* reply = qobject_cast<QNetworkReply*>(sender());
    DownloadSink* sink = reply ? sinkOf(reply) : nullptr;
    if (!sink)
        return;
    if (!sink->append(reply->readAll()))
        reply->abort();
}

void PluginInstaller::onScriptDownloadFinished()
{
    finishDownload(&PluginInstaller::installScript);
}

void PluginInstaller::onHelperDownloadFinished()
{
    finishDownload(&PluginInstaller::installHelper);
}

void PluginInstaller::finishDownload(void (PluginInstaller::*install)(QNetworkReply*))
{
    auto* reply = qobject_cast<QNetworkReply*>(sender());
    if (m_cancelled)
        return;
    if (!reply)
        fail(tr("Unexpected error: Reply object was NULL"));
    else if (isAnswered(reply))
        (this->*install)(reply);
    if (reply)
        reply->deleteLater();
    countHandled();
}

bool PluginInstaller::isAnswered(QNetworkReply* reply)
{
    DownloadSink* sink = sinkOf(reply);
    if (reply->isOpen())
        sink->append(reply->readAll());
    // A body cut off for its size is refused with its own message by the install step.
    if (statusOf(reply) == 200 || sink->isTooLarge())
        return true;
    fail(statusOf(reply) == 0 ? TlsTrust::errorText(reply)
                              : tr("Error: Got status code %1 from server").arg(statusOf(reply)));
    return false;
}

void PluginInstaller::installScript(QNetworkReply* reply)
{
    const QString serviceKey = reply->property("serviceKey").toString();
    const QString pluginName = reply->property("pluginName").toString();
    const QString serviceName = reply->property("serviceName").toString();
    DownloadSink* sink = sinkOf(reply);
    if (sink->isTooLarge()) {
        fail(tr("The %1 service plugin is larger than %2 bytes; the installed one is kept.")
                 .arg(serviceName)
                 .arg(maximumScriptSize));
        return;
    }
    if (!PlainName::isValid(serviceKey)
        || (pluginName != QLatin1String("service") && pluginName != QLatin1String("extract"))) {
        qWarning().noquote() << QStringLiteral("Refusing service key \"%1\": not a plain folder "
                                               "name")
                                    .arg(serviceKey);
        fail(tr("Could not install updated plugin"));
        return;
    }
    const QByteArray expected = pluginName == QLatin1String("service")
        ? m_expectedScriptDigests.value(serviceKey)
        : QByteArray();
    if (!isSignedDownload(reply, expected)) {
        fail(tr("The %1 service plugin is not signed with the update key; the installed one is "
                "kept.")
                 .arg(serviceName));
        return;
    }
    QString problem;
    if (pluginName == QLatin1String("service")) {
        // Only a program that loads may replace one that does.
        QString text;
        ServiceSettings settings;
        if (ServicePluginFile::unpack(sink->body(), &text, &problem) != ServicePluginFile::Ok
            || !PluginInspector::inspect(text, &settings, &problem)) {
            fail(tr("The updated %1 service plugin does not load (%2); the installed one is kept.")
                     .arg(serviceName, problem));
            return;
        }
    }
    const QString folder = m_target.pluginsDirectory + QDir::separator() + serviceKey;
    if (!QDir().mkpath(folder) || !writeScript(folder, pluginName, sink->body(), &problem)) {
        qWarning().noquote()
            << QStringLiteral("Could not write the plugin into %1: %2").arg(folder, problem);
        append(tr("Could not install updated plugin"));
        return;
    }
    if (pluginName == QLatin1String("service"))
        m_installedServices.insert(serviceKey);
    append(tr("Installed updated %1 service plugin").arg(serviceName));
    ++m_filesInstalled;
}

bool PluginInstaller::writeScript(
    const QString& folder, const QString& pluginName, const QByteArray& packed, QString* problem)
{
    if (pluginName == QLatin1String("service"))
        return PluginFileSwap::install(folder, packed, problem);
    QTemporaryFile file(folder + QStringLiteral("/.extract.plugin.XXXXXX"));
    if (!file.open() || file.write(packed) != packed.size() || !file.flush()) {
        *problem = file.errorString();
        return false;
    }
    if (!FileReplacement::moveOver(
            file.fileName(), folder + QStringLiteral("/extract.plugin"), problem))
        return false;
    file.setAutoRemove(false);
    return true;
}

void PluginInstaller::installHelper(QNetworkReply* reply)
{
    const HelperUpdateInfo info = m_helpers.value(reply->property("id").toString().toInt());
    DownloadSink* sink = sinkOf(reply);
    if (sink->size() < minimumHelperSize || sink->isTooLarge()) {
        qWarning().noquote() << QStringLiteral("Refusing a helper body of %1 bytes for %2")
                                    .arg(sink->size())
                                    .arg(info.binaryName);
        fail(tr("Could not update helper at this time, try again later"));
        return;
    }
    if (!PlainName::isValid(info.binaryName)) {
        qWarning().noquote() << QStringLiteral("Refusing helper binary name \"%1\": not a plain "
                                               "file name")
                                    .arg(info.binaryName);
        fail(tr("Could not install downloaded helper"));
        return;
    }
    if (!isSignedDownload(reply, info.sha256)) {
        fail(tr("The downloaded %1 is not signed with the update key; the installed one is kept.")
                 .arg(info.name));
        return;
    }
    const QString downloaded = sink->finishFile();
    const QString destination = QDir(m_target.helpersDirectory).filePath(info.binaryName);
    QString problem = sink->failure();
    if (downloaded.isEmpty()
        || !QFile::setPermissions(downloaded, QFile::permissions(downloaded) | QFile::ExeOwner)
        || !FileReplacement::moveOver(downloaded, destination, &problem)) {
        qWarning().noquote()
            << QStringLiteral("Could not put the helper at %1: %2").arg(destination, problem);
        append(tr("Could not install downloaded helper"));
        return;
    }
    sink->releaseFile();
    append(tr("Installed updated %1").arg(info.name));
    ++m_filesInstalled;
    recordHelper(info);
}

bool PluginInstaller::isSignedDownload(QNetworkReply* reply, const QByteArray& expectedDigest) const
{
    const QByteArray digest = sinkOf(reply)->digest();
    const QByteArray signature
        = QByteArray::fromBase64(reply->rawHeader(UpdateSignature::headerName));
    const bool signedByServer = UpdateSignature::verify(m_server.publicKey(), digest, signature);
    const bool announced = expectedDigest.isEmpty() || expectedDigest == digest;
    if (!signedByServer || !announced)
        qWarning().noquote() << QStringLiteral("Refusing %1: %2")
                                    .arg(reply->url().toString(),
                                        signedByServer ? QStringLiteral("not the file the update "
                                                                        "index announced")
                                                       : QStringLiteral("no valid signature"));
    return signedByServer && announced;
}

void PluginInstaller::recordHelper(const HelperUpdateInfo& info)
{
    BinaryHelperModel model(nullptr, m_database.connection(true));
    const BinaryHelper stored = model.helperById(info.id);
    BinaryHelper helper(info.id, info.name, info.binaryName, info.version);
    if (stored.id < 1)
        model.insertHelper(helper);
    else
        model.updateHelper(helper);
    if (m_target.helpers)
        m_target.helpers->reload();
}

void PluginInstaller::onFileHandled()
{
    if (m_cancelled || m_finished || m_filesHandled < m_filesToFetch)
        return;
    m_finished = true;
    if (m_filesHandled > 0)
        reloadInstalledServices();
    append(QString());
    if (m_filesToFetch == 0 || m_filesInstalled == 0) {
        if (m_errorText.isEmpty())
            append(tr("Services and helpers up to date."));
    } else {
        append(tr("Update finished."));
    }
    emit finished();
}

void PluginInstaller::reloadInstalledServices()
{
    for (const QString& key : std::as_const(m_installedServices)) {
        const QString folder = m_target.pluginsDirectory + QDir::separator() + key;
        if (!m_target.services || m_target.services->addServiceAfterLaunch(key)) {
            PluginFileSwap::confirm(folder);
            continue;
        }
        PluginFileSwap::rollBack(folder);
        fail(tr("The updated service plugin %1 did not load; the previous one stays.").arg(key));
        m_target.services->addServiceAfterLaunch(key);
    }
    if (!m_installedServices.isEmpty())
        emit pluginsUpdated();
}

void PluginInstaller::cancel()
{
    m_cancelled = true;
    emit abort();
}

void PluginInstaller::append(const QString& line)
{
    m_log.append(line);
    emit logLine(line);
}

void PluginInstaller::fail(const QString& message)
{
    m_errorText = message;
    append(message);
    emit error(message);
}

void PluginInstaller::countHandled()
{
    ++m_filesHandled;
    emit fileHandled();
}
