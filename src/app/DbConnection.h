#pragma once

#include <QSqlDatabase>
#include <QString>

class QThread;

// Hands out the calling thread's own connection to the database file; SQLite connections
// must not cross threads. close() closes the thread's connection at once; otherwise it is
// closed when the last DbConnection that used it on that thread goes away.
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
    void countAsUser();

    QSqlDatabase m_database;
    QString m_lastError;
    // Whether this object holds one of the uses of its thread's connection.
    bool m_usesThreadConnection = false;
    QThread* m_thread = nullptr;
};
