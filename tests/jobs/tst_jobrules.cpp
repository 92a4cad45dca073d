// The rules of download jobs and their queue, on the real database and real jobs. Without a
// registered download helper every started job fails at once, which is all the queue rules
// need; the end-to-end suite downloads for real.

#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TestHttpServer.h"
#include "app/AppTestSupport.h"
#include "app/DbConnection.h"

#include "convert/ProcessPool.h"
#include "download/DownloadList.h"
#include "download/DownloadsModel.h"
#include "download/MediaFileRequestBase.h"
#include "download/ProcessingElement.h"
#include "download/ProcessingQueue.h"
#include "download/StreamRequests.h"
#include "services/MediaItem.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

using States = ProcessingStates::States;

// A request whose progress the test sets, so the job's throttling can be watched.
class ScriptedRequest : public MediaFileRequestBase
{
public:
    ScriptedRequest()
        : MediaFileRequestBase(QStringLiteral("scripted"), nullptr, nullptr)
    { }
    void start() override { }
    qint64 contentLength() const override { return 1000000; }
    qint64 bytesReceived() const override { return received; }
    void setCookies(const QList<QNetworkCookie>&, const QUrl&) override { }
    void onCancelDownload() override { }
    void onPause(bool) override { }
    void step()
    {
        received += 500;
        emit progressUpdate();
    }
    qint64 received = 0;
};

int recordState(int id)
{
    QSqlQuery query(DbConnection().connection());
    query.prepare(QStringLiteral("SELECT state FROM downloads WHERE id=?"));
    query.addBindValue(id);
    query.exec();
    return query.next() ? query.value(0).toInt() : -100;
}

void setRecordState(int id, int state)
{
    QSqlQuery query(DbConnection().connection());
    query.prepare(QStringLiteral("UPDATE downloads SET state=? WHERE id=?"));
    query.addBindValue(state);
    query.addBindValue(id);
    query.exec();
}

} // namespace

class TestJobRules : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CoreTestContext> m_core;
    QTemporaryDir m_media;
    ProcessingQueue::Settings m_queueSettings;
    std::unique_ptr<DownloadsModel> m_records;
    ProcessPool m_processPool;
    TestHttpServer m_server;

    // No download helper: every extraction fails at once.
    JobServices services()
    {
        JobServices services;
        services.records = m_records.get();
        services.processPool = &m_processPool;
        return services;
    }

    std::unique_ptr<ProcessingQueue> queue(bool paused)
    {
        return std::make_unique<ProcessingQueue>(paused, [this] { return m_queueSettings; });
    }

    ProcessingElement* job(QObject* parent, const QString& page = QStringLiteral("/a"))
    {
        JobSettings settings;
        settings.temporaryDirectory = m_media.filePath(QStringLiteral(".tmp"));
        settings.conversion.mediaPath = m_media.path();
        MediaItem item(QStringLiteral("Generic Service"));
        item.setPermaUrl(m_server.url(page).toString());
        return new ProcessingElement(item, QStringLiteral("Generic Service"),
            MediaDescriptor::Video, settings, services(), parent);
    }

private slots:
    void initTestCase()
    {
        m_core = std::make_unique<CoreTestContext>();
        QVERIFY(m_core->isReady());
        QVERIFY(m_server.start());
        m_records = std::make_unique<DownloadsModel>(nullptr, DbConnection().connection());
        m_queueSettings.destination = m_media.path();
    }

    void init() { m_queueSettings = { 1, m_media.path() }; }

    void enteringAStateWritesTheRecord_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("written");
        QTest::addColumn<bool>("signalled");
        for (int state = int(ProcessingStates::Error); state <= int(ProcessingStates::Paused);
             ++state) {
            // A new job waits: entering Waiting again writes, but signals nothing.
            QTest::addRow("%s", qPrintable(ProcessingStates::displayName(state)))
                << state << (state != ProcessingStates::Resuming)
                << (state != ProcessingStates::Waiting);
        }
    }

    void enteringAStateWritesTheRecord()
    {
        QFETCH(int, state);
        QFETCH(bool, written);
        QFETCH(bool, signalled);
        QObject owner;
        ProcessingElement* element = job(&owner);
        DownloadRecord record;
        record.title = QStringLiteral("t");
        record.state = ProcessingStates::Waiting;
        const int id = m_records->insertDownload(record);
        element->setRecordId(id);
        setRecordState(id, 99);
        element->setErrorText(QStringLiteral("why"));
        QSignalSpy changed(element, &ProcessingElement::stateChanged);
        element->setState(States(state));
        QCOMPARE(recordState(id), written ? state : 99);
        QCOMPARE(changed.size(), signalled ? 1 : 0);
        // Restoring a row sets its state without writing it back.
        setRecordState(id, 99);
        element->setState(ProcessingStates::Finished, false);
        QCOMPARE(recordState(id), 99);
    }

    void progressIsReportedAtMostEveryHundredMilliseconds()
    {
        QObject owner;
        ProcessingElement* element = job(&owner);
        ScriptedRequest request;
        connect(&request, &MediaFileRequestBase::progressUpdate, element,
            &ProcessingElement::onProgressUpdate);
        QSignalSpy progress(element, &ProcessingElement::progressUpdate);
        QElapsedTimer clock;
        clock.start();
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, &request, &ScriptedRequest::step);
        ticker.start(2);
        // Many more reports than the job may pass on, however busy the machine is.
        QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() > 650 && request.received >= 100 * 500, 20000);
        ticker.stop();
        QVERIFY2(progress.size() >= 1 && progress.size() <= clock.elapsed() / 100 + 1,
            qPrintable(QString::number(progress.size())));
        QCOMPARE(element->progress(), int(float(request.received) / 1000000.0f * 100.0f));
    }

    void remainingTimeEstimate_data()
    {
        testColumns<qint64, qint64, qint64, int>("length", "received", "atLastTick", "seconds");
        testRow("half done, 100 per tick", 1000ll, 500ll, 400ll, 10);
        testRow("almost done", 1000ll, 999ll, 499ll, 0);
        testRow("nothing since last tick", 1000ll, 500ll, 500ll, -1);
        testRow("unknown length", 0ll, 500ll, 100ll, -1);
    }

    void remainingTimeEstimate()
    {
        const auto [length, received, atLastTick, seconds]
            = testFetch<qint64, qint64, qint64, int>("length", "received", "atLastTick", "seconds");
        QCOMPARE(
            ProcessingElement::estimateRemainingSeconds(length, received, atLastTick), seconds);
    }

    void requestChoice_data()
    {
        testColumns<int, int, QString>("video", "audio", "requestClass");
        testRow("nothing", 0, 0, QString());
        testRow("one file", 1, 0, "MediaFileRequest");
        testRow("video segments", 3, 0, "HLSMediaFileRequest");
        testRow("one audio file", 0, 1, "MediaFileRequest");
        testRow("audio segments", 0, 2, "HLSMediaFileRequest");
        testRow("video and audio", 1, 1, "SegmentedAVMediaFileRequest");
        testRow("segments of both", 2, 2, "SegmentedAVMediaFileRequest");
    }

    void requestChoice()
    {
        const auto [video, audio, requestClass]
            = testFetch<int, int, QString>("video", "audio", "requestClass");
        MediaUrls urls;
        for (int i = 0; i < std::max(video, audio); ++i) {
            const QUrl segment = m_server.url(QStringLiteral("/s/%1.ts").arg(i));
            if (i < video)
                urls.videoUrls << segment;
            if (i < audio)
                urls.audioUrls << segment;
        }
        QObject owner;
        MediaFileRequestBase* request = StreamRequests::forMediaUrls(
            urls, QStringLiteral("base"), MediaDescriptor::MP4, &owner);
        QCOMPARE(request ? QString::fromLatin1(request->metaObject()->className()) : QString(),
            requestClass);
        if (!request)
            return;
        // Joined streams download beside each other under their own names.
        QStringList baseNames;
        for (const MediaFileRequestBase* part :
            request->findChildren<MediaFileRequestBase*>(Qt::FindDirectChildrenOnly))
            baseNames << part->baseName();
        QCOMPARE(
            baseNames, (video && audio ? QStringList { "base", "base_audio" } : QStringList()));
    }

    void fileBaseNamesKeepRecordsApart()
    {
        // Leftovers go with their own record only, though both records are of the same page.
        QObject owner;
        ProcessingElement* element = job(&owner, QStringLiteral("/b"));
        element->setRecordId(1);
        const QDir tmp(m_media.filePath(QStringLiteral(".tmp")));
        const QString mine = element->fileBaseName();
        const QString other = ProcessingElement::fileBaseName(element->mediaItem().permaUrl(), 12);
        for (const QString& name : { mine + ".part", mine + "_audio.part3", mine + ".resume",
                 other + ".part", other + "_0.ts" })
            QVERIFY(writeFile(tmp.filePath(name), {}));
        element->discardTemporaryFiles();
        const QStringList left { other + ".part", other + "_0.ts" };
        QCOMPARE(tmp.entryList(QDir::Files), left);
    }

    void destinationMessages_data()
    {
        testColumns<QString, QString>("destination", "message");
        testRow("missing", "missing-folder", "does not exist");
        testRow("a file", "plain-file", "is not writable");
        testRow("empty setting", "", "does not exist");
    }

    void destinationMessages()
    {
        const auto [destination, message] = testFetch<QString, QString>("destination", "message");
        QVERIFY(writeFile(m_media.filePath(QStringLiteral("plain-file")), {}));
        m_queueSettings.destination
            = destination.isEmpty() ? QString() : m_media.filePath(destination);
        auto jobs = queue(false);
        QObject owner;
        ProcessingElement* first = job(&owner);
        ProcessingElement* second = job(&owner);
        QSignalSpy problems(jobs.get(), &ProcessingQueue::destinationProblem);
        QVERIFY(jobs->addJob(first));
        QCOMPARE(problems.size(), 1);
        const QString text = problems.first().first().toString();
        QVERIFY2(text.startsWith(QStringLiteral("The download destination\n")
                     + m_queueSettings.destination + QStringLiteral("\n") + message),
            qPrintable(text));
        QVERIFY(text.endsWith(QStringLiteral("\n\nPlease check your settings.")));
        QVERIFY(jobs->isPaused());
        QCOMPARE(first->state(), ProcessingStates::Cancelled);
        // The queue waits for the person: later jobs are held, not cancelled.
        QVERIFY(jobs->addJob(second));
        QCOMPARE(problems.size(), 1);
        QCOMPARE(second->state(), ProcessingStates::Waiting);
        QVERIFY(second->isHeld());
        QCOMPARE(jobs->waitingCount(), 1);
        QCOMPARE(ProcessingQueue::checkDestination(m_media.path()), QString());
    }

    void queueRules()
    {
        auto jobs = queue(true);
        QObject owner;
        ProcessingElement* first = job(&owner);
        ProcessingElement* second = job(&owner);
        ProcessingElement* third = job(&owner);
        QSignalSpy updates(jobs.get(), &ProcessingQueue::queueUpdated);
        QSignalSpy notices(jobs.get(), &ProcessingQueue::queueFinished);
        for (ProcessingElement* element : { first, second, third })
            QVERIFY(jobs->addJob(element));
        QVERIFY(!jobs->addJob(nullptr));
        QVERIFY(third->isHeld());
        QCOMPARE(jobs->waitingCount(), 3);
        QCOMPARE(updates.last(), (QVariantList { 3, 0 }));

        // Cancelled while waiting: the queue goes past both at once instead of stalling.
        first->cancel();
        second->cancel();
        jobs->setPaused(false);
        QCOMPARE(jobs->runningCount(), 1);
        QCOMPARE(jobs->waitingCount(), 0);
        QVERIFY(!third->isHeld());
        QCOMPARE(third->state(), ProcessingStates::Waiting);
        // Without a download helper the extraction fails: an error, counted and announced.
        QTRY_COMPARE(third->state(), ProcessingStates::Error);
        QVERIFY2(third->errorText().contains(QStringLiteral("Download helper not found")),
            qPrintable(third->errorText()));
        QTRY_VERIFY(jobs->isIdle());
        QCOMPARE(jobs->finishedCount(), 3);
        QCOMPARE(notices.size(), 1);
        QCOMPARE(notices.first(),
            (QVariantList { QStringLiteral("Download queue finished"),
                QStringLiteral("0 successful download(s), 1 error(s)") }));

        // A finished job is only watched for a cancel: not queued, no update.
        ProcessingElement* done = job(&owner);
        done->setState(ProcessingStates::Finished, false);
        updates.clear();
        QVERIFY(jobs->addJob(done));
        QCOMPARE(jobs->waitingCount(), 0);
        QCOMPARE(updates.size(), 0);

        // Only cancelled jobs: no notification.
        jobs->setPaused(true);
        ProcessingElement* cancelled = job(&owner);
        QVERIFY(jobs->addJob(cancelled));
        cancelled->cancel();
        jobs->setPaused(false);
        QVERIFY(jobs->isIdle());
        QCOMPARE(notices.size(), 1);
    }

    void pausedJobStartsWhenLetGo()
    {
        auto jobs = queue(false);
        QObject owner;
        ProcessingElement* element = job(&owner);
        QSignalSpy paused(element, &ProcessingElement::pauseStateChanged);
        element->pause(true);
        QCOMPARE(paused.size(), 1);
        QVERIFY(jobs->addJob(element));
        // The queue handed it on, the job itself waits for the person.
        QCOMPARE(jobs->runningCount(), 1);
        QVERIFY(!QTest::qWaitFor([&] { return element->state() == ProcessingStates::Error; }, 300));
        element->pause(false);
        QTRY_COMPARE(element->state(), ProcessingStates::Error);
        QTRY_VERIFY(jobs->isIdle());
    }

    void restoreAtStartUp()
    {
        QSqlQuery(DbConnection().connection()).exec(QStringLiteral("DELETE FROM downloads"));
        struct Row
        {
            int state;
            QString file;
        };
        const QList<Row> rows { { ProcessingStates::Finished, "/media/done.mp4" },
            { ProcessingStates::Error, QString() }, { ProcessingStates::Downloading, QString() },
            { ProcessingStates::Cancelled, QString() },
            { ProcessingStates::Converting, QString() } };
        QList<int> ids;
        for (const Row& row : rows) {
            DownloadRecord record;
            record.title = QStringLiteral("Row %1").arg(row.state);
            record.state = row.state;
            record.targetMediaType = MediaDescriptor::Audio;
            record.serviceId = QStringLiteral("Generic Service");
            record.mediaId = QStringLiteral("m%1").arg(row.state);
            record.permaUrl = m_server.url(QStringLiteral("/r%1").arg(row.state)).toString();
            const int id = m_records->insertDownload(record);
            m_records->updateFinishedFileName(id, row.file);
            ids << id;
        }
        auto jobs = queue(true);
        DownloadList list(jobs.get(), services(), [this] {
            JobSettings settings;
            settings.temporaryDirectory = m_media.filePath(QStringLiteral(".tmp"));
            return settings;
        });
        const QList<ProcessingElement*> restored = list.restore();
        QStringList states;
        for (const ProcessingElement* element : restored)
            states << ProcessingStates::displayName(element->state());
        QCOMPARE(
            states, (QStringList { "Finished", "Error", "Resuming", "Cancelled", "Resuming" }));
        QCOMPARE(restored.first()->finishedFileName(), QStringLiteral("/media/done.mp4"));
        QCOMPARE(restored.first()->mediaItem().title(), QStringLiteral("Row 6"));
        QCOMPARE(restored.first()->targetType(), MediaDescriptor::Audio);
        QCOMPARE(jobs->waitingCount(), 2);
        // Resuming is never written: the rows still say where the downloads were.
        QCOMPARE(recordState(ids[2]), int(ProcessingStates::Downloading));
        QCOMPARE(recordState(ids[4]), int(ProcessingStates::Converting));
        // Restoring twice adds nothing.
        QVERIFY(list.restore().isEmpty());
        // Views made later find a page's job by its address.
        QCOMPARE(list.findJob(restored[3]->mediaItem().permaUrl()), restored[3]);
        QCOMPARE(list.findJob(m_server.url(QStringLiteral("/elsewhere")).toString()), nullptr);

        jobs->setPaused(false);
        QCOMPARE(restored[2]->state(), ProcessingStates::Waiting);
        QCOMPARE(recordState(ids[2]), int(ProcessingStates::Waiting));
        QCOMPARE(restored[4]->state(), ProcessingStates::Resuming);
        QTRY_VERIFY(jobs->isIdle());

        // Clean-up takes finished and cancelled rows; remove takes any.
        QCOMPARE(list.cleanUp(), 2);
        list.remove(list.job(ids[1]));
        QCOMPARE(list.jobs().size(), 2);
        QCOMPARE(recordState(ids[0]), -100);
        QCOMPARE(recordState(ids[1]), -100);
        QCOMPARE(recordState(ids[2]), int(ProcessingStates::Error));
    }
};

KESTROFAN_CORE_TEST_MAIN(TestJobRules)
#include "tst_jobrules.moc"
