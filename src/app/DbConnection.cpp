#include "DbConnection.h"

#include "AppContext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QThread>
#include <QThreadStorage>

namespace {

QThreadStorage<QString>& threadConnectionName()
{
    static QThreadStorage<QString> name;
    return name;
}

// How many live DbConnection objects of the calling thread have used its connection.
QThreadStorage<int>& threadConnectionUsers()
{
    static QThreadStorage<int> users;
    return users;
}

} // namespace

DbConnection::~DbConnection()
{
    // The thread's connection is shared by every object on that thread; a short-lived
    // holder must not close it under a longer-lived one (an open model would lose its
    // results). The last holder closes it.
    if (!m_usesThreadConnection || m_thread != QThread::currentThread())
        return;
    int& users = threadConnectionUsers().localData();
    if (--users > 0)
        return;
    const QString name = threadConnectionName().localData();
    if (name.isEmpty() || !QSqlDatabase::contains(name))
        return;
    QSqlDatabase db = QSqlDatabase::database(name, false);
    if (db.isOpen())
        db.close();
}

void DbConnection::countAsUser()
{
    if (m_usesThreadConnection)
        return;
    m_usesThreadConnection = true;
    m_thread = QThread::currentThread();
    ++threadConnectionUsers().localData();
}

QString DbConnection::databaseFilePath()
{
    const QString path
        = AppContext::dataLocation() + QDir::separator() + AppContext::databaseFileName();
    if (QFileInfo::exists(path))
        return path;
    //: %1 is a file name
    AppContext::die(QCoreApplication::translate(
        "DbConnection", "Database file %1 not found.\n\nPlease reinstall application.")
                        .arg(path));
    return QString();
}

QString DbConnection::connectionNameForCurrentThread()
{
    const auto address = reinterpret_cast<quintptr>(QThread::currentThread());
    return QFileInfo(AppContext::databaseFileName()).completeBaseName() + QStringLiteral("_0x")
        + QStringLiteral("%1").arg(static_cast<qulonglong>(address), 8, 16, QLatin1Char('0'));
}

QSqlDatabase DbConnection::connection(bool create)
{
    countAsUser();
    const QString existingName = threadConnectionName().localData();
    if (!existingName.isEmpty() && QSqlDatabase::contains(existingName)) {
        m_database = QSqlDatabase::database(existingName, true);
        return m_database;
    }
    if (!create)
        m_lastError = QStringLiteral("No database connection");

    const QString path = databaseFilePath();
    if (path.isEmpty())
        return QSqlDatabase();
    const QString name = connectionNameForCurrentThread();
    threadConnectionName().setLocalData(name);

    m_database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    m_database.setDatabaseName(path);
    if (!m_database.isValid()) {
        m_lastError = QStringLiteral("Invalid database connection: %1").arg(name);
        m_database.close();
    } else if (!m_database.open()) {
        m_lastError = QStringLiteral("Could not open database connection: %1 (%2)")
                          .arg(name, m_database.lastError().text());
        m_database.close();
    }
    return m_database;
}

void DbConnection::close()
{
    if (!connection(false).isOpen())
        return;
    const QString name = threadConnectionName().localData();
    QSqlDatabase db = QSqlDatabase::database(name, false);
    if (!db.isValid()) {
        m_lastError = QStringLiteral("Problem closing database: Invalid connection %1").arg(name);
        return;
    }
    if (db.isOpen())
        db.close();
}
