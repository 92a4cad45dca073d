#pragma once

#include "PageRecord.h"

#include <QList>
#include <QSqlDatabase>

namespace PageRecordQuery {

// Runs a statement that selects title, url, service_id and date_time, in that order.
QList<PageRecord> run(const QSqlDatabase& db, const QString& statement);

} // namespace PageRecordQuery
