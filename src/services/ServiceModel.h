#pragma once

#include "ServicePluginInfo.h"

#include <QList>
#include <QSqlDatabase>
#include <QSqlTableModel>

// The table service_plugins: which service plugins are installed, in which revision. Open it
// on the calling thread's own connection. Statement results are not checked.
class ServiceModel : public QSqlTableModel
{
    Q_OBJECT
public:
    ServiceModel(QObject* parent, const QSqlDatabase& db);

    // The default record (revisions -1) when the service has no row.
    ServicePluginInfo record(const QString& serviceKey);
    QList<ServicePluginInfo> allRecords();
    void remove(const QString& serviceKey);
    // Inserts a row, or updates the revisions of an existing one.
    void store(const ServicePluginInfo& info);
};
