#include "UpdateRepository.h"

#include "services/PluginInspector.h"
#include "update/UpdateSignature.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// JSON with every character beyond ASCII escaped, so that the answer reads the same whatever
// eight-bit encoding the client decodes it with.
QByteArray asciiJson(const QJsonObject& object)
{
    const QString text = QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
    QByteArray out;
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            out.append(char(c.unicode()));
        else
            out.append(
                QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toLatin1());
    }
    return out;
}

QStringList paragraphs(const QString& text)
{
    QStringList result;
    const QStringList blocks = text.split(QRegularExpression(QStringLiteral("\\n\\s*\\n")));
    for (const QString& block : blocks) {
        if (!block.trimmed().isEmpty())
            result.append(block.trimmed());
    }
    return result;
}

} // namespace

bool UpdateRepository::load(const QString& folder, const QByteArray& secretKey, QString* error)
{
    m_folder = folder;
    m_secretKey = secretKey;
    if (UpdateSignature::publicKeyOf(secretKey).isEmpty()) {
        *error = QStringLiteral("the signing key is not a usable Ed25519 secret key");
        return false;
    }
    if (!QFileInfo(folder).isDir()) {
        *error = QStringLiteral("%1 is not a folder").arg(folder);
        return false;
    }
    const auto folders = [](const QString& path) {
        return QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    };
    for (const QString& name : folders(folder + QStringLiteral("/plugins"))) {
        if (!loadPlugin(folder + QStringLiteral("/plugins/") + name, error))
            return false;
    }
    for (const QString& name : folders(folder + QStringLiteral("/helpers"))) {
        if (!loadHelper(folder + QStringLiteral("/helpers/") + name, error))
            return false;
    }
    return true;
}

bool UpdateRepository::loadPlugin(const QString& folder, QString* error)
{
    Plugin plugin;
    plugin.serviceKey = QFileInfo(folder).fileName();
    const QString servicePath = folder + QStringLiteral("/service.plugin");
    ServiceSettings settings;
    QString problem;
    if (!PluginInspector::inspectFile(servicePath, &settings, &problem)) {
        *error = QStringLiteral("%1: %2").arg(servicePath, problem);
        return false;
    }
    plugin.name = settings.serviceName;
    plugin.revision = settings.revision;
    for (const QString& script : { QStringLiteral("service"), QStringLiteral("extract") }) {
        Script signedScript;
        if (signFile(folder + QLatin1Char('/') + script + QStringLiteral(".plugin"), &signedScript))
            plugin.scripts.insert(script, signedScript);
    }
    plugin.descriptions
        = paragraphs(QString::fromUtf8(readFile(folder + QStringLiteral("/description.txt"))));
    if (plugin.descriptions.isEmpty())
        plugin.descriptions.append(QStringLiteral("Revision %1").arg(plugin.revision));
    const QByteArray overrides = readFile(folder + QStringLiteral("/entry.json"));
    if (!overrides.isEmpty()) {
        plugin.overrides = QJsonDocument::fromJson(overrides).object();
        plugin.serviceKey
            = plugin.overrides.value(QLatin1String("service_key")).toString(plugin.serviceKey);
    }
    m_plugins.append(plugin);
    return true;
}

bool UpdateRepository::loadHelper(const QString& folder, QString* error)
{
    const QString infoPath = folder + QStringLiteral("/helper.json");
    const QJsonObject info = QJsonDocument::fromJson(readFile(infoPath)).object();
    Helper helper;
    helper.id = info.value(QLatin1String("id")).toInt();
    helper.name = info.value(QLatin1String("name")).toString();
    helper.binaryName = info.value(QLatin1String("binary_name")).toString();
    helper.version = info.value(QLatin1String("version")).toString();
    const QString file = info.value(QLatin1String("file")).toString(helper.binaryName);
    if (helper.id < 1 || QFileInfo(file).fileName() != file
        || !signFile(folder + QLatin1Char('/') + file, &helper.file)) {
        *error = QStringLiteral("%1: needs an id above 0 and an executable named by \"file\" or "
                                "\"binary_name\" in the same folder")
                     .arg(infoPath);
        return false;
    }
    m_helpers.append(helper);
    return true;
}

bool UpdateRepository::signFile(const QString& path, Script* script) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    script->path = path;
    script->digest = UpdateSignature::sha256(file.readAll());
    script->signature = UpdateSignature::sign(m_secretKey, script->digest);
    return true;
}

QByteArray UpdateRepository::index() const
{
    QJsonArray services;
    for (const Plugin& plugin : m_plugins) {
        for (const QString& description : plugin.descriptions) {
            QJsonObject entry { { QStringLiteral("plugin_name"), QStringLiteral("service") },
                { QStringLiteral("plugin_revision"), QString::number(plugin.revision) },
                { QStringLiteral("name"), plugin.name },
                { QStringLiteral("service_key"), plugin.serviceKey },
                { QStringLiteral("description"), description },
                { QStringLiteral("sha256"),
                    QString::fromLatin1(
                        plugin.scripts.value(QStringLiteral("service")).digest.toHex()) },
                { QStringLiteral("signature"),
                    QString::fromLatin1(
                        plugin.scripts.value(QStringLiteral("service")).signature.toBase64()) } };
            for (auto it = plugin.overrides.begin(); it != plugin.overrides.end(); ++it)
                entry.insert(it.key(), it.value());
            services.append(entry);
        }
    }
    QJsonArray helpers;
    for (const Helper& helper : m_helpers)
        helpers.append(QJsonObject { { QStringLiteral("id"), helper.id },
            { QStringLiteral("name"), helper.name },
            { QStringLiteral("binary_name"), helper.binaryName },
            { QStringLiteral("version"), helper.version },
            { QStringLiteral("sha256"), QString::fromLatin1(helper.file.digest.toHex()) },
            { QStringLiteral("signature"),
                QString::fromLatin1(helper.file.signature.toBase64()) } });
    return asciiJson(QJsonObject {
        { QStringLiteral("services"), services }, { QStringLiteral("binary_helpers"), helpers } });
}

QByteArray UpdateRepository::sign(const QByteArray& body) const
{
    return UpdateSignature::sign(m_secretKey, UpdateSignature::sha256(body));
}

const UpdateRepository::Plugin* UpdateRepository::plugin(const QString& serviceKey) const
{
    for (const Plugin& plugin : m_plugins) {
        if (plugin.serviceKey == serviceKey)
            return &plugin;
    }
    return nullptr;
}

const UpdateRepository::Helper* UpdateRepository::helper(int id) const
{
    for (const Helper& helper : m_helpers) {
        if (helper.id == id)
            return &helper;
    }
    return nullptr;
}

QString UpdateRepository::appVersionPath() const
{
    return m_folder + QStringLiteral("/app/version.json");
}
