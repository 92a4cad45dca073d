#pragma once

#include <QSqlDatabase>
#include <QSqlTableModel>

// Brings a database written by an older version up to date. All the work happens in the
// constructor; the object is discarded right after.
class DbChangeModel : public QSqlTableModel
{
    Q_OBJECT
public:
    DbChangeModel(
        const QString& previousVersion, const QString& previousBuild, const QSqlDatabase& db);

private:
    void addEarlyPresets();
    void switchMp3ToQualityScale();
    void addPermaUrlColumn();
    void removeStalePartFiles();
    void createBinaryHelperTable();
    bool exec(const QString& statement, int* rowsAffected = nullptr);
};
