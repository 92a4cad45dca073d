#include "PageRecordQuery.h"

#include <QSqlQuery>

QList<PageRecord> PageRecordQuery::run(const QSqlDatabase& db, const QString& statement)
{
    QList<PageRecord> records;
    QSqlQuery query(db);
    query.exec(statement);
    while (query.next()) {
        records.append(PageRecord { query.value(0).toString(), query.value(1).toString(),
            query.value(2).toString(), query.value(3).toString() });
    }
    return records;
}
