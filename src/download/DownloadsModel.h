#pragma once

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QSqlTableModel>
#include <QString>

// One row of the downloads table: what a download job needs to be made again after a
// restart, and what the downloads view shows of it.
struct DownloadRecord
{
    int id = -1;
    QString title;
    int state = 0; // ProcessingStates::States
    int targetMediaType = 0; // MediaDescriptor::MediaType
    QString thumbUrl;
    QString serviceId; // the service plugin's name
    QString mediaId;
    QString permaUrl;
    qint64 part1BytesDownloaded = 0;
    qint64 part2BytesDownloaded = 0;
    QString part1FileName;
    QString part2FileName;
    QString finishedFileName;
    QString errorText;
};

// The download records. Every operation runs one statement on the database connection the
// model was made with (the main thread's); results are not reported.
class DownloadsModel : public QSqlTableModel
{
    Q_OBJECT
public:
    DownloadsModel(QObject* parent, const QSqlDatabase& db);

    // Inserts title, date and time (now, or the given moment), state, target media type,
    // thumbnail, service, media id and page address; returns the new id, -1 on failure.
    int insertDownload(const DownloadRecord& record, const QDateTime& when = QDateTime());
    QList<DownloadRecord> loadDownloads() const;
    void updateState(int id, int state, const QString& errorText);
    // Only parts 1 and 2 have columns; other part numbers change nothing.
    void updatePartFileName(int id, int part, const QString& fileName);
    void updatePartBytesDownloaded(int id, int part, qint64 bytes);
    void updateFinishedFileName(int id, const QString& fileName);
    void removeDownload(int id);

    // "yyyy-MM-dd hh:mm:ss" in local time, as date_time holds it.
    static QString dateTimeText(const QDateTime& when);

private:
    void run(const QString& statement, const QVariantList& values) const;
};
