#include "HistoryModel.h"

#include "PageRecordQuery.h"

#include <QDateTime>
#include <QSqlQuery>

HistoryModel::HistoryModel(const QSqlDatabase& db, QObject* parent)
    : QSqlTableModel(parent, db)
{
    setTable(QStringLiteral("history"));
    setEditStrategy(QSqlTableModel::OnManualSubmit);
    setFilter(QStringLiteral("1=1 ORDER BY date_time DESC"));
    setHeaderData(Title, Qt::Horizontal, tr("Name"));
    setHeaderData(Url, Qt::Horizontal, tr("URL"));
    setHeaderData(DateTime, Qt::Horizontal, tr("Date"));
    select();
}

PageRecord HistoryModel::addEntry(
    const QString& title, const QString& url, const QString& serviceId)
{
    const QDateTime now = QDateTime::currentDateTime();
    const PageRecord record { title, url, serviceId,
        now.date().toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ')
            + now.time().toString(QStringLiteral("hh:mm:ss")) };
    QSqlQuery insert(database());
    insert.prepare(QStringLiteral(
        "INSERT INTO history (title, url, date_time, service_id) VALUES (?, ?, ?, ?)"));
    insert.addBindValue(record.title);
    insert.addBindValue(record.url);
    insert.addBindValue(record.dateTime);
    insert.addBindValue(record.serviceId);
    insert.exec();
    select();
    emit entryAdded(record);
    return record;
}

void HistoryModel::clearHistory()
{
    QSqlQuery query(database());
    query.exec(QStringLiteral("DELETE FROM history"));
    query.exec(QStringLiteral("DELETE FROM sqlite_sequence WHERE name='history'"));
    select();
    emit historyCleared();
}

QList<PageRecord> HistoryModel::list() const
{
    return PageRecordQuery::run(database(),
        QStringLiteral("SELECT title, url, service_id, date_time FROM history ORDER BY id DESC"));
}
