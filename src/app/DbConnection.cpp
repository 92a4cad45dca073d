#include "DbConnection.h"

#include "AppPaths.h"
#include "FatalStop.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
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

// SQLite opens any file lazily; the first read finds out whether it is a sound database.
// Empty when it is, else what SQLite found. A busy or locked database is not damaged.
QString damageOf(const QSqlDatabase& db)
{
    QSqlQuery check(db);
    if (!check.exec(QStringLiteral("PRAGMA quick_check(1)"))) {
        const QString code = check.lastError().nativeErrorCode();
        const bool damaged = code == QLatin1String("11") || code == QLatin1String("26");
        return damaged ? check.lastError().databaseText() : QString();
    }
    if (!check.next())
        return QStringLiteral("no answer to the integrity check");
    const QString verdict = check.value(0).toString();
    return verdict == QLatin1String("ok") ? QString() : verdict;
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
    const QString path = AppPaths::databaseFilePath();
    if (QFileInfo::exists(path))
        return path;
    //: %1 is a file name
    FatalStop::die(QCoreApplication::translate(
        "DbConnection", "Database file %1 not found.\n\nPlease reinstall application.")
                       .arg(path));
    return QString();
}

QString DbConnection::connectionNameForCurrentThread()
{
    const auto address = reinterpret_cast<quintptr>(QThread::currentThread());
    return QFileInfo(AppPaths::databaseFileName()).completeBaseName() + QStringLiteral("_0x")
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
    } else if (const QString damage = damageOf(m_database); !damage.isEmpty()) {
        m_lastError = damage;
        m_database.close();
        // Every later statement would fail, and the failures would surface far from their
        // cause ("helper not found"): say which file is broken, once, as the fatal stop.
        //: %1 is a file name, %2 the database's own description of the damage
        FatalStop::die(QCoreApplication::translate("DbConnection",
            "Database file %1 is damaged (%2).\n\nMove it aside and reinstall application to "
            "start with a new database.")
                           .arg(path, damage));
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
