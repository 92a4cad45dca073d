#include "BookmarksModel.h"

#include "PageRecordQuery.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <functional>

BookmarksModel::BookmarksModel(const QSqlDatabase& db, QObject* parent)
    : QSqlTableModel(parent, db)
{
    setTable(QStringLiteral("bookmarks"));
    setEditStrategy(QSqlTableModel::OnManualSubmit);
    setSort(SortId, Qt::AscendingOrder);
    setHeaderData(Title, Qt::Horizontal, tr("Name"));
    setHeaderData(Url, Qt::Horizontal, tr("URL"));
    select();
}

void BookmarksModel::addBookmark(const QString& title, const QString& url, const QString& serviceId)
{
    QSqlQuery maxQuery(database());
    maxQuery.exec(QStringLiteral("SELECT MAX(id) FROM bookmarks"));
    QVariant expectedSortId;
    if (maxQuery.next() && !maxQuery.value(0).isNull())
        expectedSortId = maxQuery.value(0).toLongLong() + 1;

    QSqlQuery insert(database());
    insert.prepare(QStringLiteral("INSERT INTO bookmarks (title, url, parent_id, service_id, "
                                  "sort_id) VALUES (?, ?, 0, ?, ?)"));
    insert.addBindValue(title);
    insert.addBindValue(url);
    insert.addBindValue(serviceId);
    insert.addBindValue(expectedSortId);
    insert.exec();
    // The first bookmark, or one after the newest was deleted, is sorted by its own id.
    const QVariant id = insert.lastInsertId();
    if (id.isValid() && id != expectedSortId) {
        QSqlQuery update(database());
        update.prepare(QStringLiteral("UPDATE bookmarks set sort_id=? WHERE id=?"));
        update.addBindValue(id);
        update.addBindValue(id);
        update.exec();
    }
    select();
    emit bookmarkAdded(PageRecord { title, url, serviceId, QString() });
}

void BookmarksModel::removeBookmarks(QList<int> rows)
{
    if (rows.isEmpty())
        return;
    // From the bottom up, so that earlier removals do not shift the later rows.
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : std::as_const(rows))
        removeRows(row, 1);
    submitAll();
    emit bookmarksRemoved();
}

QList<PageRecord> BookmarksModel::list() const
{
    return PageRecordQuery::run(database(),
        QStringLiteral("SELECT title, url, service_id, date_time FROM bookmarks ORDER BY "
                       "date_time DESC"));
}
