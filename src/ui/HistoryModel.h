#pragma once

#include "PageRecord.h"

#include <QList>
#include <QSqlTableModel>

// The table "history", newest visit first, for the history page and the History menu.
class HistoryModel : public QSqlTableModel
{
    Q_OBJECT
public:
    enum Column { Id = 0, Title, Url, DateTime, ServiceId };

    explicit HistoryModel(const QSqlDatabase& db, QObject* parent = nullptr);

    // Records a visit now; returns the record as stored.
    PageRecord addEntry(const QString& title, const QString& url, const QString& serviceId);
    // Forgets every visit; the next entry gets id 1 again.
    void clearHistory();
    // Newest first, as the History menu lists them.
    QList<PageRecord> list() const;

signals:
    void entryAdded(const PageRecord& record);
    void historyCleared();
};
