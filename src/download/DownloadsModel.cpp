#include "DownloadsModel.h"

#include <QSqlQuery>
#include <QVariant>

namespace {

bool hasPartColumns(int part)
{
    return part == 1 || part == 2;
}

} // namespace

DownloadsModel::DownloadsModel(QObject* parent, const QSqlDatabase& db)
    : QSqlTableModel(parent, db)
{
    setTable(QStringLiteral("downloads"));
}

QString DownloadsModel::dateTimeText(const QDateTime& when)
{
    const QDateTime local = when.toLocalTime();
    return local.date().toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ')
        + local.time().toString(QStringLiteral("hh:mm:ss"));
}

void DownloadsModel::run(const QString& statement, const QVariantList& values) const
{
    QSqlQuery query(database());
    query.prepare(statement);
    for (const QVariant& value : values)
        query.addBindValue(value);
    query.exec();
}

int DownloadsModel::insertDownload(const DownloadRecord& record, const QDateTime& when)
{
    QSqlQuery query(database());
    query.prepare(QStringLiteral(
        "INSERT INTO downloads (title, date_time, state, target_media_type, thumb_url, "
        "service_id, media_id, perma_url) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    query.addBindValue(record.title);
    query.addBindValue(dateTimeText(when.isValid() ? when : QDateTime::currentDateTime()));
    query.addBindValue(record.state);
    query.addBindValue(record.targetMediaType);
    query.addBindValue(record.thumbUrl);
    query.addBindValue(record.serviceId);
    query.addBindValue(record.mediaId);
    query.addBindValue(record.permaUrl);
    if (!query.exec())
        return -1;
    return query.lastInsertId().toInt();
}

QList<DownloadRecord> DownloadsModel::loadDownloads() const
{
    QList<DownloadRecord> records;
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral(
            "SELECT id, title, state, target_media_type, service_id, media_id, thumb_url, "
            "part1_bytes_downloaded, part2_bytes_downloaded, part1_file_name, part2_file_name, "
            "finished_file_name, error_text, perma_url FROM downloads")))
        return records;
    while (query.next()) {
        DownloadRecord record;
        record.id = query.value(0).toInt();
        record.title = query.value(1).toString();
        record.state = query.value(2).toInt();
        record.targetMediaType = query.value(3).toInt();
        record.serviceId = query.value(4).toString();
        record.mediaId = query.value(5).toString();
        record.thumbUrl = query.value(6).toString();
        record.part1BytesDownloaded = query.value(7).toLongLong();
        record.part2BytesDownloaded = query.value(8).toLongLong();
        record.part1FileName = query.value(9).toString();
        record.part2FileName = query.value(10).toString();
        record.finishedFileName = query.value(11).toString();
        record.errorText = query.value(12).toString();
        record.permaUrl = query.value(13).toString();
        records.append(record);
    }
    return records;
}

void DownloadsModel::updateState(int id, int state, const QString& errorText)
{
    run(QStringLiteral("UPDATE downloads SET state=?, error_text=? WHERE id=?"),
        { state, errorText, id });
}

void DownloadsModel::updatePartFileName(int id, int part, const QString& fileName)
{
    if (hasPartColumns(part))
        run(QStringLiteral("UPDATE downloads SET part%1_file_name=? WHERE id=?").arg(part),
            { fileName, id });
}

void DownloadsModel::updatePartBytesDownloaded(int id, int part, qint64 bytes)
{
    if (hasPartColumns(part))
        run(QStringLiteral("UPDATE downloads SET part%1_bytes_downloaded=? WHERE id=?").arg(part),
            { bytes, id });
}

void DownloadsModel::updateFinishedFileName(int id, const QString& fileName)
{
    run(QStringLiteral("UPDATE downloads SET finished_file_name=? WHERE id=?"), { fileName, id });
}

void DownloadsModel::removeDownload(int id)
{
    run(QStringLiteral("DELETE FROM downloads WHERE id=?"), { id });
}
