#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// A folder of publishable updates, read once at start-up and signed then:
//   plugins/<folder>/service.plugin   a packed service plugin (name and revision read from it)
//   plugins/<folder>/extract.plugin   optional second script of the service
//   plugins/<folder>/description.txt  optional; every paragraph becomes one offered entry
//   plugins/<folder>/entry.json       optional members laid over each entry ("service_key"...)
//   helpers/<folder>/helper.json      {"id", "name", "binary_name", "version", "file"}
//   helpers/<folder>/<file>           the helper executable ("file" defaults to binary_name)
//   app/version.json                  the answer to the application version check
// Files are read from disk at every download, so a file changed after start-up no longer
// matches its signature.
class UpdateRepository
{
public:
    struct Script
    {
        QString path;
        QByteArray digest;
        QByteArray signature;
    };
    struct Plugin
    {
        QString serviceKey;
        QString name;
        int revision = 0;
        QStringList descriptions;
        QJsonObject overrides;
        QHash<QString, Script> scripts; // by plugin name: "service", "extract"
    };
    struct Helper
    {
        int id = 0;
        QString name;
        QString binaryName;
        QString version;
        Script file;
    };

    // Reads and signs everything; false with "error" when the folder or the key is unusable.
    bool load(const QString& folder, const QByteArray& secretKey, QString* error);

    // The signed index answer and its signature.
    QByteArray index() const;
    QByteArray sign(const QByteArray& body) const;
    const Plugin* plugin(const QString& serviceKey) const;
    const Helper* helper(int id) const;
    QString appVersionPath() const;

private:
    bool loadPlugin(const QString& folder, QString* error);
    bool loadHelper(const QString& folder, QString* error);
    bool signFile(const QString& path, Script* script) const;

    QString m_folder;
    QByteArray m_secretKey;
    QList<Plugin> m_plugins;
    QList<Helper> m_helpers;
};
