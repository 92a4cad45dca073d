// The downloads page over a real download list: jobs run with the system's yt-dlp and ffmpeg
// against a server on 127.0.0.1, and the page follows them row by row; its menu, buttons and
// keys act on the right jobs; restored rows load their pictures; files are shown through the
// desktop's file manager on a private session bus.

#include "PrivateSessionBus.h"
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
#include "ui/DownloadRowTexts.h"
#include "ui/DownloadsForm.h"
#include "ui/FileRevealer.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QListView>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

const char* const kCli = KESTROFAN_CLI;
using Model = DownloadJobsModel;

QVariant cell(const DownloadJobsModel& model, int row, int role)
{
    return model.index(row).data(role);
}

QString stateText(const DownloadJobsModel& model, int row)
{
    return cell(model, row, Model::StateTextRole).toString();
}

QAction* action(const DownloadsForm& form, const char* name)
{
    return form.contextMenu()->findChild<QAction*>(name);
}

// Which of cancel, remove, open file, show file and download again the row's menu offers; open
// and show file always go together.
QList<bool> menuFor(DownloadsForm& form, int row)
{
    form.prepareMenuFor(row);
    QList<bool> enabled;
    for (const char* name : { "cancelDownload", "remove", "openFile", "downloadAgain" })
        enabled << action(form, name)->isEnabled();
    if (action(form, "showFile")->isEnabled() != enabled.at(2)
        || !action(form, "copyPageURL")->isEnabled())
        enabled.clear();
    return enabled;
}

// The downloads page over a real download list, queue and download records.
struct DownloadsPage
{
    CoreTestContext core;
    bool ready = core.isReady() && (core.context()->createServiceRegistries(), true);
    DownloadsModel records { nullptr, DbConnection().connection() };
    ProcessingQueue* queue = AppContext::processingQueue();
    DownloadList list { queue, AppContext::jobServices(&records),
        [] { return JobSettings::fromPreferences(); } };
    DownloadsForm form { &list };
    const DownloadJobsModel& model = *form.model();
};

// Stands in for the desktop's file manager on the private session bus.
class FileManagerService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QList<QStringList> shown;

public slots:
    void ShowItems(const QStringList& uris, const QString&) { shown << uris; }
};

// Receives what the desktop would open for file addresses.
class FileUrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }
};

} // namespace

class DownloadsFormTest : public QObject
{
    Q_OBJECT

private:
    PrivateSessionBus m_bus;
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
        QVERIFY(m_bus.start());
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
        m_server.serveVideoPage("/broken.html", "Broken page", "/gone.mp4");
        // The same clip slowly enough to be seen downloading for a few seconds.
        m_server.serveFileFromDisk("/slow.mp4", m_work.filePath("clip.mp4"), "video/mp4");
        TestHttpServer::FileOptions slow;
        slow.bytesPerSecond = qMax<qint64>(1024, QFileInfo(m_work.filePath("clip.mp4")).size() / 4);
        m_server.setFileOptions("/slow.mp4", slow);
        m_server.serveVideoPage("/slow.html", "Slow clip", "/slow.mp4");
        QImage red(192, 108, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(m_work.filePath("thumb.png")));
        m_server.serveFileFromDisk("/thumb.png", m_work.filePath("thumb.png"), "image/png");
    }

    void rowTexts_data()
    {
        using namespace DownloadRowTexts;
        testColumns<QString, QString>("text", "expected");
        testRow("an hour and a half", remaining(5400), "About 1 hour(s) and 30 minute(s)");
        testRow("under a minute", remaining(59), "Less than a minute");
        testRow("a minute", remaining(60), "About 1 minute(s)");
        testRow("just under an hour", remaining(3599), "About 59 minute(s)");
        testRow("not known yet", remaining(-1), "Calculating...");
        testRow("nothing arrived", progress(0, 3 * 1048576), "0 MB of 3.00 MB");
        testRow("half", progress(1572864, 3 * 1048576), "1.50 MB of 3.00 MB");
        testRow("type and source",
            typeAndSource(MediaDescriptor::Audio, QUrl("https://a.example/w?v=1")),
            "Download Type: Audio | Source: a.example");
        testRow("no speed", speed(0), QString());
        testRow("kilobytes", speed(2048), "2 KB/s");
        testRow("megabytes", speed(2.5 * 1048576), "2.5 MB/s");
        testRow("held download", state(ProcessingStates::Downloading, true, {}), "Paused");
        testRow("error", state(ProcessingStates::Error, false, "Not found"), "Error: Not found");
        testRow("long title", title(QString(300, 'x')), QString(245, 'x'));
    }

    void rowTexts()
    {
        const auto [text, expected] = testFetch<QString, QString>("text", "expected");
        QCOMPARE(text, expected);
    }

    void pageFollowsRealJobsAndActsOnThem()
    {
        DownloadsPage page;
        QVERIFY(page.ready);
        // References, not a structured binding: the lambdas below capture them.
        auto& records = page.records;
        auto& queue = page.queue;
        auto& list = page.list;
        auto& form = page.form;
        auto& model = page.model;
        queue->setPaused(false);
        form.show();
        auto* clean = form.findChild<QPushButton*>("cleanButton");
        auto* pause = form.findChild<QPushButton*>("pauseResumeButton");
        QVERIFY(clean && pause);
        QVERIFY(!clean->isEnabled());
        QVERIFY(!pause->isEnabled());

        // Every state the oldest row showed, in order, as the view would have painted it.
        QStringList shown;
        const QMetaObject::Connection following
            = connect(&model, &QAbstractItemModel::dataChanged, this, [&] {
                  const QString state = stateText(model, model.rowCount() - 1);
                  if (shown.isEmpty() || shown.last() != state)
                      shown.append(state);
              });
        ProcessingElement* slow
            = list.startDownload(pageItem("/slow.html", "Slow clip"), MediaDescriptor::Video);
        QVERIFY(slow);
        // The queue is paused and resumed as a whole while it has work.
        QVERIFY(pause->isEnabled());
        QTest::mouseClick(pause, Qt::LeftButton);
        QVERIFY(queue->isPaused());
        QCOMPARE(pause->text(), "Resume");
        QTest::mouseClick(pause, Qt::LeftButton);
        QVERIFY(!queue->isPaused());
        QCOMPARE(pause->text(), "Pause");
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(cell(model, 0, Model::TypeAndSourceRole).toString(),
            "Download Type: Video | Source: 127.0.0.1");

        // While it downloads the row tells how far it is and how long it may take.
        QTRY_COMPARE_WITH_TIMEOUT(
            cell(model, 0, Model::StateRole).toInt(), int(ProcessingStates::Downloading), 60000);
        QTRY_VERIFY(slow->contentLength() > 0);
        const QString total = QString::number(double(slow->contentLength()) / 1048576, 'f', 2);
        QTRY_VERIFY(
            cell(model, 0, Model::ProgressTextRole)
                .toString()
                .contains(QRegularExpression("^(0|\\d+\\.\\d\\d) MB of " + total + " MB$")));
        QVERIFY(cell(model, 0, Model::RemainingTextRole).toString().startsWith("Remaining time: "));

        // The job alone is held from its menu and let go again; the queue stays running.
        form.prepareMenuFor(0);
        QAction* pauseJob = action(form, "pauseDownload");
        QVERIFY(pauseJob->isEnabled());
        QCOMPARE(pauseJob->text(), "Pause");
        pauseJob->trigger();
        QVERIFY(slow->isHeld());
        QVERIFY(!queue->isPaused());
        QTRY_COMPARE(shown.value(shown.size() - 1), "Paused");
        QCOMPARE(cell(model, 0, Model::ProgressTextRole).toString(), QString());
        QCOMPARE(cell(model, 0, Qt::DisplayRole).toString(),
            QStringLiteral("Slow clip — Paused %1%").arg(slow->progress()));
        form.prepareMenuFor(0);
        QCOMPARE(pauseJob->text(), "Resume");
        pauseJob->trigger();
        QVERIFY(!slow->isHeld());

        // The view learns of the end through the model's change signal, not only by asking.
        QTRY_COMPARE_WITH_TIMEOUT(shown.value(shown.size() - 1), "Finished", 60000);
        disconnect(following);
        const qsizetype paused = shown.indexOf("Paused");
        QVERIFY2(paused > 0 && shown.indexOf("Downloading", paused) > paused,
            qPrintable(shown.join(',')));
        QCOMPARE(cell(model, 0, Model::RemainingTextRole).toString(), "Finished");
        form.prepareMenuFor(0);
        QVERIFY(!pauseJob->isEnabled());
        // What assistive technology reads for the row (the model's accessible text).
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(form.view());
        QVERIFY(accessible && accessible->childCount() >= 1);
        QCOMPARE(accessible->child(0)->text(QAccessible::Name), "Slow clip — Finished 100%");
        QTRY_VERIFY(clean->isEnabled());

        ProcessingElement* broken
            = list.startDownload(pageItem("/broken.html", "Broken page"), MediaDescriptor::Video);
        // Newest first.
        QCOMPARE(model.job(0), broken);
        QCOMPARE(model.job(1), slow);
        QTRY_COMPARE_WITH_TIMEOUT(
            cell(model, 0, Model::StateRole).toInt(), int(ProcessingStates::Error), 60000);
        QTRY_VERIFY(stateText(model, 0).startsWith("Error: "));

        // The menu offers what each job's state allows: the finished one, the failed one.
        QCOMPARE(menuFor(form, 1), (QList<bool> { false, true, true, true }));
        QCOMPARE(menuFor(form, 0), (QList<bool> { false, true, false, true }));

        // "Download again" replaces the failed row by a fresh job at the top.
        form.prepareMenuFor(0);
        action(form, "downloadAgain")->trigger();
        QCOMPARE(model.rowCount(), 2);
        QVERIFY(model.job(0) != broken);
        QCOMPARE(cell(model, 0, Model::TitleRole).toString(), "Broken page");
        QTRY_COMPARE_WITH_TIMEOUT(
            cell(model, 0, Model::StateRole).toInt(), int(ProcessingStates::Error), 60000);

        // Clean up takes the finished job and leaves the failed one; with nothing left to
        // clean it removes nothing and the button stays off.
        const QString finishedFile = slow->finishedFileName();
        QVERIFY(QFileInfo::exists(finishedFile));
        QTest::mouseClick(clean, Qt::LeftButton);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(cell(model, 0, Model::TitleRole).toString(), "Broken page");
        QVERIFY(!clean->isEnabled());
        form.cleanUp();
        QCOMPARE(model.rowCount(), 1);
        QVERIFY(!clean->isEnabled());
        QVERIFY(QFileInfo::exists(finishedFile));

        // The Delete key removes the selected rows from the page, the list and the records.
        QApplication::setActiveWindow(&form);
        form.view()->setFocus();
        QTRY_VERIFY(form.view()->hasFocus());
        form.view()->setCurrentIndex(model.index(0));
        QTest::keyClick(form.view(), Qt::Key_Delete);
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(list.jobs().isEmpty());
        QVERIFY(records.loadDownloads().isEmpty());
    }

    // Rows stored by an earlier run come back at start-up, load their pictures when painted and
    // show their files through the desktop's file manager, or its folder without one.
    void restoredRowsAtStartUp()
    {
        // The restored unfinished job must not run off while the page is looked at.
        DownloadsPage page;
        QVERIFY(page.ready);
        // References, not a structured binding: the lambdas below capture them.
        auto& records = page.records;
        auto& queue = page.queue;
        auto& list = page.list;
        auto& form = page.form;
        auto& model = page.model;
        // Whatever an earlier case left behind is not part of this run.
        for (const DownloadRecord& left : records.loadDownloads())
            records.removeDownload(left.id);
        const QString file = m_work.filePath("media/Stored clip.mp4");
        QVERIFY(QDir().mkpath(m_work.filePath("media")));
        QVERIFY(QFile::copy(m_work.filePath("clip.mp4"), file));
        const auto store = [&](const QString& title, int state, const QString& thumb) {
            DownloadRecord record;
            record.title = title;
            record.state = state;
            record.thumbUrl = m_server.url(thumb).toString();
            record.permaUrl = m_server.url("/page.html").toString();
            const int id = records.insertDownload(record);
            // As the job wrote them while it ran.
            records.updateState(id, state, state == ProcessingStates::Error ? "Gone" : QString());
            if (state == ProcessingStates::Finished)
                records.updateFinishedFileName(id, file);
        };
        store("Stored clip", ProcessingStates::Finished, "/thumb.png");
        store("Failed clip", ProcessingStates::Error, "/missing.png");
        store("Unfinished clip", ProcessingStates::Downloading, "/thumb.png");

        queue->setPaused(true);
        form.show();
        list.restore();
        QCOMPARE(model.rowCount(), 3);
        // The unfinished one waits to resume, held by the paused queue.
        QCOMPARE(cell(model, 0, Model::StateRole).toInt(), int(ProcessingStates::Resuming));
        QCOMPARE(cell(model, 0, Qt::DisplayRole).toString(), "Unfinished clip — Paused 0%");
        QCOMPARE(stateText(model, 1), "Error: Gone");
        QCOMPARE(stateText(model, 2), "Finished");

        // Painted rows get their picture, or the fallback picture when it cannot be had.
        const auto picture
            = [&](int row) { return cell(model, row, Qt::DecorationRole).value<QPixmap>(); };
        QTRY_VERIFY(!picture(2).isNull() && !picture(1).isNull());
        QCOMPARE(picture(2).size(), DownloadJobsModel::thumbnailSize());
        QCOMPARE(picture(2).toImage().pixelColor(10, 10), QColor(Qt::red));
        QVERIFY(picture(1).toImage().pixelColor(10, 10) != QColor(Qt::red));

        // A Resuming row leaves the actions as the previous menu had them.
        for (int row : { 2, 0 })
            QCOMPARE(menuFor(form, row), (QList<bool> { false, true, true, true }));

        // "Show file" asks the file manager on the session bus to show the file itself.
        FileManagerService fileManager;
        QDBusConnection services = PrivateSessionBus::services();
        QVERIFY(services.registerObject(
            "/org/freedesktop/FileManager1", &fileManager, QDBusConnection::ExportAllSlots));
        QVERIFY(services.registerService("org.freedesktop.FileManager1"));
        FileUrlRecorder desktop;
        QDesktopServices::setUrlHandler("file", &desktop, "open");
        form.prepareMenuFor(2);
        action(form, "showFile")->trigger();
        QTRY_COMPARE(fileManager.shown.size(), 1);
        QCOMPARE(fileManager.shown.first(), QStringList { QUrl::fromLocalFile(file).toString() });
        // Without one the desktop opens the file's folder.
        QVERIFY(services.unregisterService("org.freedesktop.FileManager1"));
        action(form, "showFile")->trigger();
        QTRY_COMPARE(desktop.opened.size(), 1);
        QCOMPARE(desktop.opened.first(), QUrl::fromLocalFile(m_work.filePath("media")));
        QCOMPARE(fileManager.shown.size(), 1);
        QDesktopServices::unsetUrlHandler("file");
        queue->setPaused(false);
    }
};

KESTROFAN_TEST_MAIN(DownloadsFormTest)
#include "tst_downloadsform.moc"
