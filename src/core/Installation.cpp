#include "Installation.h"

#include "app/AppPaths.h"
#include "download/HelperRegistration.h"
#include "services/BundledPlugins.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("Installation", text);
}

// The shipped SQL files hold one statement per ";" at a line's end.
QStringList statementsOf(const QString& resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList statements;
    QString text = QString::fromUtf8(file.readAll());
    // A checkout with Windows line endings must not hide every statement after the first.
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    for (const QString& block : text.split(QStringLiteral(";\n"))) {
        QStringList lines;
        for (const QString& line : block.split(QLatin1Char('\n'))) {
            if (!line.trimmed().startsWith(QLatin1String("--")))
                lines << line;
        }
        const QString statement = lines.join(QLatin1Char('\n')).trimmed();
        if (!statement.isEmpty())
            statements << statement;
    }
    return statements;
}

bool runStatements(QSqlDatabase& db, const QStringList& statements, QString* error)
{
    QSqlQuery query(db);
    for (const QString& statement : statements) {
        if (!query.exec(statement)) {
            *error = tr("Could not set up the database: %1\n%2")
                         .arg(query.lastError().text(), statement);
            return false;
        }
    }
    return true;
}

} // namespace

bool Installation::run(QStringList* report, QString* error)
{
    return ensureDataDirectory(report, error) && ensureDatabase(report, error)
        && HelperRegistration().run(report, error)
        && BundledPlugins(AppPaths::servicePluginsLocation()).install(report, error);
}

bool Installation::ensureDataDirectory(QStringList* report, QString* error)
{
    const QString path = AppPaths::dataLocation();
    if (QFileInfo(path).isDir()) {
        report->append(tr("Data folder %1 is in place.").arg(path));
        return true;
    }
    if (!QDir().mkpath(path)) {
        *error = tr("Could not create the data folder %1.").arg(path);
        return false;
    }
    report->append(tr("Created the data folder %1.").arg(path));
    return true;
}

bool Installation::ensureDatabase(QStringList* report, QString* error)
{
    const QString path = AppPaths::databaseFilePath();
    if (QFileInfo::exists(path)) {
        report->append(tr("Database %1 is in place.").arg(path));
        return true;
    }
    // Build it under another name and move it in place, so that an interrupted set-up never
    // leaves a half-made database behind.
    const QString partial = path + QStringLiteral(".new");
    QFile::remove(partial);
    if (!createDatabase(partial, error)) {
        QFile::remove(partial);
        return false;
    }
    if (!QFile::rename(partial, path)) {
        QFile::remove(partial);
        *error = tr("Could not move the new database to %1.").arg(path);
        return false;
    }
    report->append(tr("Created the database %1.").arg(path));
    return true;
}

bool Installation::createDatabase(const QString& path, QString* error)
{
    const QString connectionName
        = QStringLiteral("kestrofan2_setup_") + QUuid::createUuid().toString(QUuid::Id128);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(path);
        if (!db.open()) {
            *error = tr("Could not create the database %1: %2").arg(path, db.lastError().text());
        } else {
            db.transaction();
            ok = runStatements(db, statementsOf(QStringLiteral(":/database/schema.sql")), error)
                && runStatements(db, statementsOf(QStringLiteral(":/database/presets.sql")), error);
            if (ok)
                ok = db.commit();
            else
                db.rollback();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connectionName);
    return ok;
}
