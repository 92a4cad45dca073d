#include "TestEnvironment.h"
#include "app/AppTestSupport.h"

#include "app/DbConnection.h"
#include "download/DownloadsModel.h"

#include <QSqlQuery>

// The download records' statements on a database made by the installation.
class DownloadsModelTest : public QObject
{
    Q_OBJECT

    DbConnection m_db;

    QVariant column(int id, const QString& name)
    {
        QSqlQuery query(m_db.connection());
        query.exec(QStringLiteral("SELECT %1 FROM downloads WHERE id=%2").arg(name).arg(id));
        return query.next() ? query.value(0) : QVariant();
    }

private slots:
    void initTestCase() { QVERIFY(AppTestSupport::installDatabase()); }

    void recordLifeCycle()
    {
        DownloadsModel model(nullptr, m_db.connection());
        DownloadRecord record;
        record.title = "Band - Song";
        record.state = 1;
        record.targetMediaType = 0;
        record.thumbUrl = "http://127.0.0.1/t.jpg";
        record.serviceId = "Test Service";
        record.mediaId = "abc";
        record.permaUrl = "http://127.0.0.1/watch?v=abc";
        const int id = model.insertDownload(record, QDateTime(QDate(2026, 3, 7), QTime(9, 5, 3)));
        QVERIFY(id > 0);
        QCOMPARE(column(id, "date_time").toString(), QString("2026-03-07 09:05:03"));
        QVERIFY(model.insertDownload(record) > id);

        model.updateState(id, -1, "It broke");
        for (int part = 1; part <= 8; ++part)
            model.updatePartFileName(id, part, QString("/tmp/abc.part%1").arg(part));
        model.updatePartBytesDownloaded(id, 2, 4096);
        model.updateFinishedFileName(id, "/media/Band - Song.mp3");

        QSqlQuery(m_db.connection())
            .exec(QString("UPDATE downloads SET part1_bytes_downloaded=77 WHERE id=%1").arg(id));
        const QList<DownloadRecord> records = model.loadDownloads();
        QCOMPARE(records.size(), 2);
        const DownloadRecord& loaded = records.first();
        QCOMPARE(QStringList({ loaded.title, loaded.errorText, loaded.thumbUrl, loaded.serviceId,
                     loaded.mediaId, loaded.permaUrl, loaded.part1FileName, loaded.part2FileName,
                     loaded.finishedFileName }),
            QStringList({ record.title, "It broke", record.thumbUrl, record.serviceId,
                record.mediaId, record.permaUrl, "/tmp/abc.part1", "/tmp/abc.part2",
                "/media/Band - Song.mp3" }));
        QCOMPARE(QList<qint64>({ loaded.id, loaded.state, loaded.targetMediaType,
                     loaded.part1BytesDownloaded, loaded.part2BytesDownloaded }),
            QList<qint64>({ id, -1, 0, 77, 4096 }));
        QCOMPARE(records.last().state, 1);
        QVERIFY(records.last().errorText.isEmpty());

        QVERIFY(model.select());
        QAbstractItemModelTester tester(&model);
        QCOMPARE(model.rowCount(), 2);

        model.removeDownload(id);
        QCOMPARE(model.loadDownloads().size(), 1);
        QVERIFY(!column(id, "id").isValid());
    }
};

KESTROFAN_CORE_TEST_MAIN(DownloadsModelTest)
#include "tst_downloadsmodel.moc"
