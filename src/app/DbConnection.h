#pragma once

#include <QSqlDatabase>
#include <QString>

// Hands out the calling thread's own connection to the database file; SQLite connections
// must not cross threads.
class DbConnection
{
public:
    DbConnection() = default;
    ~DbConnection();
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    QSqlDatabase connection(bool create = true);
    void close();
    QString lastError() const { return m_lastError; }

    // "kestrofan2_0x" + the current QThread's address as 8 lower-case hex digits.
    static QString connectionNameForCurrentThread();
    // The full path of the database file; a missing file is fatal and gives "".
    static QString databaseFilePath();

private:
    QSqlDatabase m_database;
    QString m_lastError;
};
