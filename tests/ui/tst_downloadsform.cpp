// The downloads page over a real download list: jobs run with the system's yt-dlp and ffmpeg
// against a server on 127.0.0.1, and the page follows them row by row; its menu, buttons and
// keys act on the right jobs.

#include "TestEnvironment.h"
#include "TestHttpServer.h"
#include "TestProcess.h"
#include "app/AppTestSupport.h"

#include "app/DbConnection.h"
#include "core/AppContext.h"
#include "download/DownloadList.h"
#include "download/DownloadsModel.h"
#include "download/ProcessingElement.h"
#include "download/ProcessingQueue.h"
#include "services/MediaItem.h"
#include "ui/DownloadJobsModel.h"
#include "ui/DownloadsForm.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>

namespace {

const char* const kCli = KESTROFAN_CLI;

QString cell(const DownloadJobsModel& model, int row, int column)
{
    return model.index(row, column).data().toString();
}

} // namespace

class DownloadsFormTest : public QObject
{
    Q_OBJECT

private:
    TestHttpServer m_server;
    QTemporaryDir m_work;

    MediaItem pageItem(const QString& path, const QString& title) const
    {
        MediaItem item(QStringLiteral("Generic Service"));
        item.setTitle(title);
        item.setPermaUrl(m_server.url(path).toString());
        return item;
    }

private slots:
    void initTestCase()
    {
        if (!mediaToolsForLocalServer())
            QSKIP("yt-dlp and ffmpeg are needed");
        const QString cli = QString::fromLatin1(kCli);
        QCOMPARE(TestProcess::run(cli, { "setup" }).exitCode, 0);
        QCOMPARE(
            TestProcess::run(cli, { "config", "mediaPath", m_work.filePath("media") }).exitCode, 0);
        QVERIFY(TestProcess::ffmpeg(
            QStringLiteral("-f lavfi -i testsrc=size=64x48:rate=10:duration=2 -f lavfi -i "
                           "sine=frequency=440:duration=2 -c:v libx264 -pix_fmt yuv420p -c:a aac "
                           "clip.mp4")
                .split(QLatin1Char(' ')),
            m_work.path()));
        QVERIFY(m_server.start());
        m_server.serveFileFromDisk("/clip.mp4", m_work.filePath("clip.mp4"), "video/mp4");
        m_server.serveVideoPage("/page.html", "Clip page", "/clip.mp4");
        m_server.serveVideoPage("/broken.html", "Broken page", "/gone.mp4");
    }

    void pageFollowsRealJobsAndActsOnThem()
    {
        CoreTestContext core;
        QVERIFY(core.isReady());
        core.context()->createServiceRegistries();
        DownloadsModel records(nullptr, DbConnection().connection());
        ProcessingQueue* queue = AppContext::processingQueue();
        queue->setPaused(false);
        JobServices services;
        services.records = &records;
        services.services = AppContext::serviceRegistry();
        services.helpers = AppContext::helperRegistry();
        services.processPool = AppContext::processPool();
        DownloadList list(queue, services, [] { return JobSettings::fromPreferences(); });
        DownloadsForm form(&list);
        form.show();
        const DownloadJobsModel& model = *form.model();
        auto* clean = form.findChild<QPushButton*>("cleanButton");
        auto* pause = form.findChild<QPushButton*>("pauseResumeButton");
        QVERIFY(clean && pause);
        QVERIFY(!clean->isEnabled());
        QVERIFY(!pause->isEnabled());

        // Every state the row showed, in order, as the view would have painted it.
        QStringList shown;
        const QMetaObject::Connection following
            = connect(&model, &QAbstractItemModel::dataChanged, this, [&] {
                  const QString state
                      = cell(model, model.rowCount() - 1, DownloadJobsModel::StateColumn);
                  if (shown.isEmpty() || shown.last() != state)
                      shown.append(state);
              });
        ProcessingElement* good
            = list.startDownload(pageItem("/page.html", "Clip page"), MediaDescriptor::Video);
        QVERIFY(good);
        // The queue is paused and resumed as a whole while it has work.
        QVERIFY(pause->isEnabled());
        QTest::mouseClick(pause, Qt::LeftButton);
        QVERIFY(queue->isPaused());
        QCOMPARE(pause->text(), "Resume");
        QTest::mouseClick(pause, Qt::LeftButton);
        QVERIFY(!queue->isPaused());
        QCOMPARE(pause->text(), "Pause");
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(cell(model, 0, DownloadJobsModel::TitleColumn), "Clip page");
        // The view learns of the end through the model's change signal, not only by asking.
        QTRY_COMPARE_WITH_TIMEOUT(shown.value(shown.size() - 1), "Finished", 60000);
        QVERIFY2(shown.size() >= 2, qPrintable(shown.join(',')));
        QCOMPARE(cell(model, 0, DownloadJobsModel::StateColumn), "Finished");
        disconnect(following);
        QCOMPARE(cell(model, 0, DownloadJobsModel::ProgressColumn), "100 %");
        QVERIFY(cell(model, 0, DownloadJobsModel::SizeColumn).endsWith(" MB"));
        QCOMPARE(cell(model, 0, DownloadJobsModel::ErrorColumn), QString());
        QTRY_VERIFY(clean->isEnabled());

        ProcessingElement* broken
            = list.startDownload(pageItem("/broken.html", "Broken page"), MediaDescriptor::Video);
        // Newest first.
        QCOMPARE(model.job(0), broken);
        QCOMPARE(model.job(1), good);
        QTRY_COMPARE_WITH_TIMEOUT(cell(model, 0, DownloadJobsModel::StateColumn), "Error", 60000);
        QVERIFY(!cell(model, 0, DownloadJobsModel::ErrorColumn).isEmpty());
        QCOMPARE(cell(model, 0, DownloadJobsModel::ErrorColumn), broken->errorText());

        // The menu offers what each job's state allows.
        struct Expected
        {
            int row;
            bool cancel, remove, open, again;
        };
        for (const Expected& expected :
            { Expected { 1, false, true, true, true }, Expected { 0, false, true, false, true } }) {
            form.prepareMenuFor(expected.row);
            const auto enabled = [&form](const char* name) {
                return form.contextMenu()->findChild<QAction*>(name)->isEnabled();
            };
            QCOMPARE(enabled("cancelDownload"), expected.cancel);
            QCOMPARE(enabled("remove"), expected.remove);
            QCOMPARE(enabled("openFile"), expected.open);
            QCOMPARE(enabled("showFile"), expected.open);
            QCOMPARE(enabled("downloadAgain"), expected.again);
            QVERIFY(enabled("copyPageURL"));
        }

        // "Download again" replaces the failed row by a fresh job at the top.
        form.prepareMenuFor(0);
        form.contextMenu()->findChild<QAction*>("downloadAgain")->trigger();
        QCOMPARE(model.rowCount(), 2);
        QVERIFY(model.job(0) != broken);
        QCOMPARE(cell(model, 0, DownloadJobsModel::TitleColumn), "Broken page");
        QTRY_COMPARE_WITH_TIMEOUT(cell(model, 0, DownloadJobsModel::StateColumn), "Error", 60000);

        // Clean up takes the finished job and leaves the failed one.
        const QString finishedFile = good->finishedFileName();
        QVERIFY(QFileInfo::exists(finishedFile));
        QTest::mouseClick(clean, Qt::LeftButton);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(cell(model, 0, DownloadJobsModel::TitleColumn), "Broken page");
        QVERIFY(!clean->isEnabled());
        QVERIFY(QFileInfo::exists(finishedFile));

        // The Delete key removes the selected rows from the page, the list and the records.
        QApplication::setActiveWindow(&form);
        form.view()->setFocus();
        QTRY_VERIFY(form.view()->hasFocus());
        form.view()->selectRow(0);
        QTest::keyClick(form.view(), Qt::Key_Delete);
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(list.jobs().isEmpty());
    }
};

KESTROFAN_TEST_MAIN(DownloadsFormTest)
#include "tst_downloadsform.moc"
