#include "PluginVersionsChecker.h"

#include "UpdateSignature.h"
#include "app/PlainName.h"
#include "app/Prefs.h"
#include "download/BinaryHelperModel.h"
#include "download/BinaryHelpers.h"
#include "net/HttpRequest.h"
#include "services/MediaServices.h"
#include "services/ServiceModel.h"

#include <QDate>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkInterface>
#include <QSysInfo>
#include <QTimer>
#include <QtDebug>

namespace {

// Filled by every check of the run, read by the installation.
QHash<QString, ServicePluginInfo>& serviceUpdates()
{
    static QHash<QString, ServicePluginInfo> table;
    return table;
}

QHash<QString, HelperUpdateInfo>& helperUpdates()
{
    static QHash<QString, HelperUpdateInfo> table;
    return table;
}

QByteArray digestFrom(const QJsonObject& entry)
{
    return QByteArray::fromHex(entry.value(QLatin1String("sha256")).toString().toLatin1());
}

} // namespace

PluginVersionsChecker::PluginVersionsChecker(
    const UpdateServer& server, const Installation& installation, QObject* parent)
    : QObject(parent)
    , m_server(server)
    , m_installation(installation)
    , m_request(new HttpRequest(this))
{
    m_request->setUseCache(false);
}

void PluginVersionsChecker::check()
{
    decideFirstRun();
    Prefs::setLastVersionCheckForPlugins(QDate::currentDate());
    if (!m_server.isConfigured()) {
        qInfo().noquote() << QStringLiteral("No update server is configured: the installed "
                                            "service plugins and helpers stay as they are.");
        QTimer::singleShot(0, this, &PluginVersionsChecker::reportUpdates);
        return;
    }
    if (!m_server.isSecure())
        qWarning().noquote() << QStringLiteral("The update server %1 is not reached over HTTPS; "
                                               "only the signatures protect its answers.")
                                    .arg(m_server.baseAddress());
    const QString address = m_server.infoAddress(QString(), hardwareAddress(),
        m_installation.version, m_installation.build, QSysInfo::productType());
    connect(m_request, &HttpRequest::done, this,
        &PluginVersionsChecker::onServicePluginRequestFinished, Qt::UniqueConnection);
    connect(m_request, &HttpRequest::timeout, this, &PluginVersionsChecker::onTimeOut,
        Qt::UniqueConnection);
    m_request->get(address, false);
}

void PluginVersionsChecker::decideFirstRun()
{
    const QString storedVersion = Prefs::version();
    const QString storedBuild = Prefs::build();
    // Versions compare as plain text here, as they always have between releases.
    const bool releaseChanged = storedVersion.isEmpty() || storedBuild.isEmpty()
        || storedVersion < m_installation.version
        || (storedVersion == m_installation.version
            && storedBuild.toInt() < m_installation.build.toInt());
    const bool noServices = !m_installation.services || m_installation.services->isEmpty();
    const bool noHelpers = !m_installation.helpers || m_installation.helpers->isEmpty();
    if (releaseChanged || noServices || noHelpers) {
        m_isFirstRun = true;
        Prefs::setVersion(m_installation.version);
        Prefs::setBuild(m_installation.build);
    }
    if (!QDir(m_installation.pluginsDirectory).exists())
        m_isFirstRun = true;
}

QString PluginVersionsChecker::hardwareAddress()
{
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& networkInterface : interfaces) {
        if (!networkInterface.hardwareAddress().isEmpty())
            return networkInterface.hardwareAddress();
    }
    return QString();
}

void PluginVersionsChecker::onServicePluginRequestFinished(const QString& responseString)
{
    if (m_request->errorCode() != 0 && m_request->httpStatus() == 0) {
        emit updateHostConnectionError();
        return;
    }
    m_responded = true;
    if (m_request->httpStatus() != 200 || responseString.isEmpty()) {
        emit error(tr("Could not download update info. Please try later."));
        return;
    }
    if (!isSignedByServer())
        return;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(responseString.toLatin1(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()
        || document.object().contains(QLatin1String("error"))) {
        if (document.isObject())
            qWarning().noquote()
                << QStringLiteral("The update server refused the check: %1")
                       .arg(document.object().value(QLatin1String("error")).toString());
        emit error(tr("Could not read update info response. Please try again later."));
        return;
    }
    m_responseValid = true;
    processDocument(document.object());
}

bool PluginVersionsChecker::isSignedByServer()
{
    if (!m_server.hasPublicKey()) {
        qWarning().noquote() << QStringLiteral("No public key for update signatures is "
                                               "configured: updates are refused.");
        emit error(tr("No key to check the update server's signatures is configured; updates are "
                      "refused."));
        return false;
    }
    const QByteArray signature = QByteArray::fromBase64(
        m_request->responseHeader(QString::fromLatin1(UpdateSignature::headerName)).toLatin1());
    if (UpdateSignature::verify(
            m_server.publicKey(), UpdateSignature::sha256(m_request->responseBody()), signature))
        return true;
    qWarning().noquote() << QStringLiteral("The update information from %1 carries no valid "
                                           "signature; ignoring it.")
                                .arg(m_server.hostName());
    emit error(tr("The update information is not signed with the update key; ignoring it."));
    return false;
}

void PluginVersionsChecker::processDocument(const QJsonObject& document)
{
    const QJsonArray services = document.value(QLatin1String("services")).toArray();
    for (const QJsonValue& entry : services)
        addServiceEntry(entry.toObject());
    const QJsonArray helpers = document.value(QLatin1String("binary_helpers")).toArray();
    for (const QJsonValue& entry : helpers)
        addHelperEntry(entry.toObject());
    reportUpdates();
}

void PluginVersionsChecker::addServiceEntry(const QJsonObject& entry)
{
    const int revision = entry.value(QLatin1String("plugin_revision")).toString().toInt();
    ServicePluginInfo info;
    info.name = entry.value(QLatin1String("name")).toString();
    info.serviceKey = entry.value(QLatin1String("service_key")).toString();
    info.description = entry.value(QLatin1String("description")).toString();
    info.serviceScriptSha256 = digestFrom(entry);
    if (revision <= 0
        || entry.value(QLatin1String("plugin_name")).toString() != QLatin1String("service"))
        return;
    // The key names the plugin's folder: nothing but a plain name may come from a server.
    if (!PlainName::isValid(info.serviceKey)) {
        qWarning().noquote() << QStringLiteral("Refusing the offered service key \"%1\": not a "
                                               "plain folder name")
                                    .arg(info.serviceKey);
        return;
    }
    ServiceModel model(nullptr, m_database.connection(true));
    const int installedRevision = model.record(info.serviceKey).serviceScriptRevision;
    if (installedRevision >= revision)
        return;
    info.isNewPlugin = installedRevision == -1;
    QHash<QString, ServicePluginInfo>& pending = serviceUpdates();
    const auto earlier = pending.find(info.serviceKey);
    if (earlier == pending.end()) {
        info.serviceScriptRevision = revision;
        pending.insert(info.serviceKey, info);
        return;
    }
    earlier->serviceScriptRevision = revision;
    earlier->description += QLatin1Char('\n') + info.description;
    earlier->isNewPlugin = info.isNewPlugin;
    earlier->serviceScriptSha256 = info.serviceScriptSha256;
}

void PluginVersionsChecker::addHelperEntry(const QJsonObject& entry)
{
    HelperUpdateInfo info;
    info.id = entry.value(QLatin1String("id")).toInt();
    info.name = entry.value(QLatin1String("name")).toString();
    info.binaryName = entry.value(QLatin1String("binary_name")).toString();
    info.version = entry.value(QLatin1String("version")).toString();
    info.sha256 = digestFrom(entry);
    if (!PlainName::isValid(info.binaryName)) {
        qWarning().noquote() << QStringLiteral("Refusing the offered helper binary name \"%1\": "
                                               "not a plain file name")
                                    .arg(info.binaryName);
        return;
    }
    const QString installedVersion
        = BinaryHelperModel(nullptr, m_database.connection(true)).helperById(info.id).version;
    if (!installedVersion.isEmpty() && compareVersions(info.version, installedVersion) != 1)
        return;
    info.isNew = installedVersion.isEmpty();
    info.isRequired = info.isNew;
    helperUpdates().insert(QString::number(info.id), info);
}

void PluginVersionsChecker::reportUpdates()
{
    emit pluginUpdatesAvailable(
        m_isFirstRun, int(helperUpdates().size() + serviceUpdates().size()));
}

PluginVersionsChecker::ConnectionErrorMessage PluginVersionsChecker::connectionErrorMessage() const
{
    const QString host = m_server.hostName();
    ConnectionErrorMessage message;
    message.text = host + tr(" could not be reached");
    if (m_isFirstRun) {
        message.informativeText = tr("Kestrofan 2 needs to be able to connect to ") + host
            + tr(" in order to retrieve initial service definitions.") + QStringLiteral("\n\n")
            + tr("If you have blocked internet access to the website, please unblock it in order "
                 "to initialize the application.")
            + QStringLiteral("\n\n");
    } else {
        message.informativeText = tr("Kestrofan 2 needs to be able to connect to ") + host
            + tr(" in order to check for service plugin updates.") + QStringLiteral("\n\n")
            + tr("If you have blocked internet access to the website, please unblock it in order "
                 "to keep getting new updates and plugins.");
    }
    return message;
}

void PluginVersionsChecker::onError(const QString&)
{
    onServicePluginRequestFinished(QString());
}

void PluginVersionsChecker::onTimeOut()
{
    emit timeOut();
    emit error(tr("Complaint about timeout, perhaps user is blocking ") + m_server.hostName()
        + QStringLiteral("?"));
}

QHash<QString, ServicePluginInfo> PluginVersionsChecker::pendingServiceUpdates()
{
    return serviceUpdates();
}

QHash<QString, HelperUpdateInfo> PluginVersionsChecker::pendingHelperUpdates()
{
    return helperUpdates();
}

void PluginVersionsChecker::clearPendingUpdates()
{
    serviceUpdates().clear();
    helperUpdates().clear();
}

int PluginVersionsChecker::compareVersions(const QString& a, const QString& b)
{
    const QStringList partsA = a.split(QLatin1Char('.'));
    const QStringList partsB = b.split(QLatin1Char('.'));
    for (qsizetype i = 0; i < qMax(partsA.size(), partsB.size()); ++i) {
        const int numberA = i < partsA.size() ? partsA.at(i).toInt() : 0;
        const int numberB = i < partsB.size() ? partsB.at(i).toInt() : 0;
        if (numberA != numberB)
            return numberA > numberB ? 1 : -1;
    }
    return 0;
}
