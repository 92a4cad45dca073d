#include "ServiceModel.h"

#include <QSqlQuery>
#include <QVariant>

namespace {

ServicePluginInfo infoFromQuery(const QSqlQuery& query)
{
    ServicePluginInfo info;
    info.serviceKey = query.value(0).toString();
    info.serviceScriptRevision = query.value(1).isNull() ? -1 : query.value(1).toInt();
    info.extractScriptRevision = query.value(2).isNull() ? -1 : query.value(2).toInt();
    info.name = query.value(3).toString();
    return info;
}

} // namespace

ServiceModel::ServiceModel(QObject* parent, const QSqlDatabase& db)
    : QSqlTableModel(parent, db)
{
    setTable(QStringLiteral("service_plugins"));
}

ServicePluginInfo ServiceModel::record(const QString& serviceKey)
{
    QSqlQuery query(database());
    query.prepare(QStringLiteral("SELECT service_key, service_script_revision, "
                                 "extract_script_revision, name from service_plugins WHERE "
                                 "service_key=?"));
    query.addBindValue(serviceKey);
    if (query.exec() && query.next())
        return infoFromQuery(query);
    return ServicePluginInfo();
}

QList<ServicePluginInfo> ServiceModel::allRecords()
{
    QList<ServicePluginInfo> records;
    QSqlQuery query(database());
    query.prepare(QStringLiteral("SELECT service_key, service_script_revision, "
                                 "extract_script_revision, name FROM service_plugins"));
    if (query.exec()) {
        while (query.next())
            records.append(infoFromQuery(query));
    }
    return records;
}

void ServiceModel::remove(const QString& serviceKey)
{
    QSqlQuery query(database());
    query.prepare(QStringLiteral("DELETE FROM service_plugins WHERE service_key=?"));
    query.addBindValue(serviceKey);
    query.exec();
}

void ServiceModel::store(const ServicePluginInfo& info)
{
    QSqlQuery query(database());
    query.prepare(QStringLiteral("SELECT * FROM service_plugins WHERE service_key=?"));
    query.addBindValue(info.serviceKey);
    const bool exists = query.exec() && query.next();
    query.finish();
    if (exists) {
        query.prepare(QStringLiteral("UPDATE service_plugins SET service_script_revision=?, "
                                     "extract_script_revision=? WHERE service_key=?"));
        query.addBindValue(info.serviceScriptRevision);
        query.addBindValue(info.extractScriptRevision);
        query.addBindValue(info.serviceKey);
    } else {
        query.prepare(QStringLiteral("INSERT INTO service_plugins (service_key, "
                                     "service_script_revision, extract_script_revision, name) "
                                     "values(?,?,?,?)"));
        query.addBindValue(info.serviceKey);
        query.addBindValue(info.serviceScriptRevision);
        query.addBindValue(info.extractScriptRevision);
        query.addBindValue(info.name);
    }
    query.exec();
}
