#pragma once

#include "BinaryHelper.h"

#include <QList>
#include <QSqlDatabase>
#include <QSqlTableModel>

// Reads and writes the binary_helper table. Open it on the calling thread's own connection.
// Statement results are not checked: a failed statement leaves the table as it was.
class BinaryHelperModel : public QSqlTableModel
{
    Q_OBJECT
public:
    BinaryHelperModel(QObject* parent, const QSqlDatabase& db);

    // Every row, in the order the table returns them.
    QList<BinaryHelper> allHelpers() const;
    // A record with id -1 when there is no such row.
    BinaryHelper helperById(int id) const;
    void insertHelper(const BinaryHelper& helper);
    void updateHelper(const BinaryHelper& helper);
    void deleteHelper(int id);
};
