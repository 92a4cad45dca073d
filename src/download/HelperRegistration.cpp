#include "HelperRegistration.h"

#include "BinaryHelperModel.h"
#include "BinaryHelpers.h"
#include "app/AppPaths.h"
#include "convert/SystemProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QStandardPaths>
#include <QUuid>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("HelperRegistration", text);
}

const QString kHelperName = QStringLiteral("yt-dlp");

} // namespace

HelperRegistration::HelperRegistration(const QStringList& searchPaths)
    : m_searchPaths(searchPaths)
{ }

bool HelperRegistration::run(QStringList* report, QString* error)
{
    const QString path = AppPaths::databaseFilePath();
    if (!QFileInfo::exists(path)) {
        *error = tr("The database %1 does not exist.").arg(path);
        return false;
    }
    const QString connectionName
        = QStringLiteral("kestrofan2_helpers_") + QUuid::createUuid().toString(QUuid::Id128);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(path);
        if (db.open())
            ok = registerIn(db, report, error);
        else
            *error = tr("Could not open the database %1: %2").arg(path, db.lastError().text());
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
    return ok;
}

bool HelperRegistration::registerIn(QSqlDatabase& db, QStringList* report, QString* error)
{
    BinaryHelperModel model(nullptr, db);
    const BinaryHelper registered = model.helperById(BinaryHelper::downloadHelperId);
    const QString registeredPath = BinaryHelpers::helperPath(registered);
    if (registered.id == BinaryHelper::downloadHelperId && QFileInfo::exists(registeredPath)) {
        report->append(
            tr("Download helper %1 %2 is registered.").arg(registered.name, registered.version));
        return true;
    }

    const QString executable = QStandardPaths::findExecutable(kHelperName, m_searchPaths);
    if (executable.isEmpty()) {
        report->append(tr("Warning: yt-dlp was not found on the PATH, so no download helper is "
                          "registered. Install it (Debian package \"yt-dlp\") and run setup "
                          "again."));
        return true;
    }

    SystemProcess process;
    process.setTimeout(versionTimeout);
    const QString version = process.run(executable, { QStringLiteral("--version") }, true)
        ? process.output().trimmed().section(QLatin1Char('\n'), 0, 0).trimmed()
        : QString();
    if (version.isEmpty()) {
        *error = tr("Could not read the version of %1: %2")
                     .arg(executable,
                         process.errorString().isEmpty() ? process.output().trimmed()
                                                         : process.errorString());
        return false;
    }

    const QString linkPath = BinaryHelpers::helpersDirectory() + kHelperName;
    if (!linkExecutable(executable, linkPath, error))
        return false;

    const BinaryHelper helper(BinaryHelper::downloadHelperId, kHelperName, kHelperName, version);
    if (registered.id == BinaryHelper::downloadHelperId)
        model.updateHelper(helper);
    else
        model.insertHelper(helper);
    if (model.helperById(BinaryHelper::downloadHelperId).binaryName != kHelperName) {
        *error = tr("Could not record the download helper in the database.");
        return false;
    }
    report->append(
        tr("Registered the download helper %1 %2 (%3).").arg(kHelperName, version, executable));
    return true;
}

bool HelperRegistration::linkExecutable(
    const QString& executable, const QString& linkPath, QString* error)
{
    const QString directory = QFileInfo(linkPath).absolutePath();
    if (!QDir().mkpath(directory)) {
        *error = tr("Could not create the helpers folder %1.").arg(directory);
        return false;
    }
    // A stale link or an older file of the same name gives way to the system's program.
    if (QFileInfo(linkPath).isSymLink() || QFileInfo::exists(linkPath))
        QFile::remove(linkPath);
    if (!QFile::link(executable, linkPath) && !QFile::copy(executable, linkPath)) {
        *error = tr("Could not place %1 in the helpers folder %2.").arg(executable, directory);
        return false;
    }
    return true;
}
