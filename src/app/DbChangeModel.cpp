#include "DbChangeModel.h"

#include "Prefs.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>

DbChangeModel::DbChangeModel(
    const QString& previousVersion, const QString& previousBuild, const QSqlDatabase& db)
    : QSqlTableModel(nullptr, db)
{
    if (previousVersion.isEmpty())
        return;
    // Versions and builds compare as plain strings, as they were stored.
    if (previousVersion <= QLatin1String("1.0") && previousBuild <= QLatin1String("1600"))
        addEarlyPresets();
    if (previousVersion < QLatin1String("1.0.1"))
        switchMp3ToQualityScale();
    if (previousVersion <= QLatin1String("1.0.4"))
        addPermaUrlColumn();
    if (previousVersion <= QLatin1String("1.0.5"))
        removeStalePartFiles();
    createBinaryHelperTable();
}

bool DbChangeModel::exec(const QString& statement, int* rowsAffected)
{
    QSqlQuery query(database());
    const bool ok = query.exec(statement);
    if (rowsAffected)
        *rowsAffected = ok ? query.numRowsAffected() : 0;
    return ok;
}

void DbChangeModel::addEarlyPresets()
{
    exec(QStringLiteral(
        "INSERT OR IGNORE INTO video_conversions (id, name, resolution, ffmpeg_args, ordering, "
        "extension) VALUES (49, 'WMV 1, Win Media Player 7 and up', '', '-i {input} -y -vcodec "
        "wmv1 -qscale 5 -acodec wmav1 -f asf {output}', 3, 'wmv')"));
    exec(QStringLiteral(
        "INSERT OR IGNORE INTO video_conversions (id, name, resolution, ffmpeg_args, ordering, "
        "extension) VALUES (50, 'WMV 2, Win Media Player 8 and up', '', '-i {input} -y -vcodec "
        "wmv2 -qscale 5 -acodec wmav2 -f asf {output}', 4, 'wmv')"));
    exec(QStringLiteral(
        "INSERT OR IGNORE INTO video_conversions (id, name, resolution, ffmpeg_args, ordering, "
        "extension) VALUES (51, 'DivX', '', '-i {input} -y -c:v mpeg4 -vtag xvid -acodec "
        "libmp3lame -q:v 4 {output}', 5, 'avi')"));
    exec(QStringLiteral("DELETE FROM audio_conversions WHERE id=1 AND name='MP3'"));
    exec(QStringLiteral("UPDATE video_conversions SET ordering=6 WHERE id=48"));
    int inserted = 0;
    exec(QStringLiteral(
             "INSERT OR IGNORE INTO audio_conversions (id, name, ffmpeg_args, extension) VALUES "
             "(0, 'MP3', '-y -i {input} -vn -ar {audio_rate} -ac 2 -ab {kbits_per_second} -acodec "
             "libmp3lame -threads {threads} {output}', 'mp3')"),
        &inserted);
    if (inserted > 0)
        Prefs::setPreferredAudioFormat(0);
}

void DbChangeModel::switchMp3ToQualityScale()
{
    exec(QStringLiteral(
        "UPDATE audio_conversions SET ffmpeg_args='-y -i {input} -vn -ar {audio_rate} -ac 2 "
        "-qscale:a {kbits_per_second} -acodec libmp3lame -threads {threads} {output}' WHERE id=0"));
}

void DbChangeModel::addPermaUrlColumn()
{
    QSqlQuery query(database());
    if (query.exec(QStringLiteral("PRAGMA table_info(downloads)"))) {
        while (query.next()) {
            if (query.record().value(QStringLiteral("name")).toString()
                == QLatin1String("perma_url"))
                return;
        }
    }
    exec(QStringLiteral("alter table downloads add column perma_url Varchar(100)"));
}

void DbChangeModel::removeStalePartFiles()
{
    // Without a media path the folder would be relative to wherever the program was started.
    if (Prefs::mediaPath().isEmpty())
        return;
    const QDir tmpDir(Prefs::mediaTmpLocation());
    const QStringList parts
        = tmpDir.entryList({ QStringLiteral("*.part") }, QDir::Files | QDir::Hidden);
    for (const QString& name : parts)
        QFile::remove(tmpDir.filePath(name));
}

void DbChangeModel::createBinaryHelperTable()
{
    QSqlQuery query(database());
    if (query.exec(QStringLiteral(
            "SELECT name FROM sqlite_master WHERE type='table' AND name='binary_helper';"))
        && query.next())
        return;
    exec(QStringLiteral("CREATE TABLE binary_helper (id INTEGER, version TEXT, name TEXT, "
                        "binary_name TEXT, PRIMARY KEY(id))"));
}
