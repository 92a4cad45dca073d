#include "UpdateServer.h"

#include "UpdateSignature.h"

#include <QHostAddress>
#include <QUrl>

namespace {

QString encoded(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

QString firstSet(const QString& environment, const QString& preferred, const char* built)
{
    if (!environment.isEmpty())
        return environment;
    if (!preferred.isEmpty())
        return preferred;
    return QString::fromUtf8(built);
}

} // namespace

UpdateServer::UpdateServer(const QString& baseAddress, const QByteArray& publicKey)
    : m_baseAddress(baseAddress.trimmed())
    , m_publicKey(publicKey)
{
    while (m_baseAddress.endsWith(QLatin1Char('/')))
        m_baseAddress.chop(1);
}

UpdateServer UpdateServer::resolve(const QString& preferredUrl, const QString& preferredKey)
{
    const QString url = firstSet(
        qEnvironmentVariable("KESTROFAN_UPDATE_URL"), preferredUrl, KESTROFAN_DEFAULT_UPDATE_URL);
    const QString key = firstSet(qEnvironmentVariable("KESTROFAN_UPDATE_PUBLIC_KEY"), preferredKey,
        KESTROFAN_DEFAULT_UPDATE_PUBLIC_KEY);
    return UpdateServer(url, decodePublicKey(key));
}

QByteArray UpdateServer::decodePublicKey(const QString& base64)
{
    const auto decoded = QByteArray::fromBase64Encoding(
        base64.trimmed().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != UpdateSignature::publicKeySize)
        return QByteArray();
    return decoded.decoded;
}

bool UpdateServer::isSecure() const
{
    const QUrl url(m_baseAddress);
    return url.scheme() == QLatin1String("https") || QHostAddress(url.host()).isLoopback()
        || url.host() == QLatin1String("localhost");
}

QString UpdateServer::hostName() const
{
    return QUrl(m_baseAddress).host();
}

QString UpdateServer::infoAddress(const QString& key, const QString& hardwareAddress,
    const QString& version, const QString& build, const QString& platform) const
{
    // The values go in as they are: the server has always read them unencoded.
    return m_baseAddress
        + QStringLiteral("/kestrofan/update/getinfo_1.1.0.php?key=%1&addr=%2&ver=%3&build_ver=%4"
                         "&platform=%5")
              .arg(key, hardwareAddress, version, build, platform);
}

QString UpdateServer::scriptAddress(
    const QString& pluginName, const QString& serviceKey, int revision, qint64 timeStamp) const
{
    return m_baseAddress
        + QStringLiteral("/kestrofan/update/getserviceupdate_1.1.0.php?plugin_name=%1&service_key="
                         "%2&revision=%3&t=%4")
              .arg(encoded(pluginName), encoded(serviceKey))
              .arg(revision)
              .arg(timeStamp);
}

QString UpdateServer::helperAddress(
    int id, const QString& version, const QString& binaryName, qint64 timeStamp) const
{
    return m_baseAddress
        + QStringLiteral("/kestrofan/update/gethelperupdate_1.1.0.php?id=%1&version=%2&binary_name="
                         "%3&t=%4")
              .arg(id)
              .arg(encoded(version), encoded(binaryName))
              .arg(timeStamp);
}

QString UpdateServer::appCheckAddress() const
{
    return m_baseAddress + QStringLiteral("/kestrofan/update/appcheck.php");
}
