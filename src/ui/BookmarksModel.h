#pragma once

#include "PageRecord.h"

#include <QList>
#include <QSqlTableModel>

// The table "bookmarks" for the bookmarks page, and the list the Bookmarks menu is built from.
class BookmarksModel : public QSqlTableModel
{
    Q_OBJECT
public:
    enum Column { Id = 0, Title, Url, ParentId, ServiceId, SortId, DateTime };

    explicit BookmarksModel(const QSqlDatabase& db, QObject* parent = nullptr);

    void addBookmark(const QString& title, const QString& url, const QString& serviceId);
    // Removes the given rows of this model from the table.
    void removeBookmarks(QList<int> rows);
    // Newest first, as the Bookmarks menu lists them.
    QList<PageRecord> list() const;

signals:
    // The menus follow these; the table view follows the model itself.
    void bookmarkAdded(const PageRecord& record);
    void bookmarksRemoved();
};
