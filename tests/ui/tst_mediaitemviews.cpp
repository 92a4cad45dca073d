// The media item views: which menu entries a download's state allows, what the thumbnail
// overlay shows and which clicks it turns into downloads, what a card and a row show of an
// item, and how a media page's header fills itself.

#include "MainWindowFixture.h"
#include "RecordingStarter.h"
#include "TestEnvironment.h"
#include "TestHttpServer.h"

#include "app/AppTestSupport.h"
#include "download/ProcessingElement.h"
#include "ui/KQOverlayLabel.h"
#include "ui/MainTabsForm.h"
#include "ui/MainWindow.h"
#include "ui/MediaItemForm.h"
#include "ui/MediaItemFormController.h"
#include "ui/MediaItemListForm.h"
#include "ui/MediaTopForm.h"
#include "ui/PageData.h"
#include "ui/PageForm.h"
#include "ui/RatingWidget.h"

#include <QAction>
#include <QBuffer>
#include <QDesktopServices>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

namespace {

using States = ProcessingStates::States;

// Hands out one real job for every download and as the item's existing job, so that views
// can be tested against what a job reports.
class JobStarter : public RecordingStarter
{
public:
    ProcessingElement* startDownload(
        const MediaItem& item, MediaDescriptor::MediaType type) override
    {
        RecordingStarter::startDownload(item, type);
        return job;
    }
    ProcessingElement* findJob(const MediaItem&) const override { return job; }

    QPointer<ProcessingElement> job;
};

MediaItem itemOf(const QString& service, const QString& id = QStringLiteral("a1"))
{
    MediaItem item(service);
    item.setId(id);
    item.setTitle(QStringLiteral("Harbour at dawn"));
    item.setPermaUrl(QStringLiteral("http://127.0.0.1/watch/") + id);
    item.setUserName(QStringLiteral("ann"));
    item.setUserDisplayName(QStringLiteral("Ann"));
    item.setUserPermaUrl(QStringLiteral("http://127.0.0.1/user/ann"));
    item.setDurationSeconds(125);
    return item;
}

QByteArray pngOf(const QSize& size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

bool actionEnabled(MediaItemFormController& controller, const char* name)
{
    auto* action = controller.mainMenu()->findChild<QAction*>(QLatin1String(name));
    return action && action->isEnabled();
}

// Download as video, as audio, cancel, show file.
QList<bool> menuEnabled(MediaItemFormController& controller)
{
    return { actionEnabled(controller, "downloadAsVideo"),
        actionEnabled(controller, "downloadAsAudio"), actionEnabled(controller, "cancelDownload"),
        actionEnabled(controller, "showDownloadedFile") };
}

// Stands in for the desktop's browser and file manager: records what they were asked to open.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& address) { opened << address; }
};

} // namespace

class MediaItemViewsTest : public QObject
{
    Q_OBJECT

private:
    TestHttpServer m_server;
    std::unique_ptr<MainWindowFixture> m_fixture;
    JobStarter m_starter;

    std::unique_ptr<ProcessingElement> makeJob(const MediaItem& item)
    {
        return std::make_unique<ProcessingElement>(
            item, item.serviceName(), MediaDescriptor::Video, JobSettings {}, JobServices {});
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        m_server.serveFile("/large.png", pngOf(QSize(1280, 720)), "image/png");
        m_server.serveFile("/small.png", pngOf(QSize(120, 90)), "image/png");
    }

    void init()
    {
        m_starter = JobStarter();
        m_fixture = std::make_unique<MainWindowFixture>();
        AppTestSupport::storePrefs({ { "defaultDownloadMediaType", 1 } });
        // Clips knows media and user pages of 127.0.0.1, so that pages of its items open.
        const QString base = m_server.url(QString()).toString();
        const QString clips
            = pluginProgram(QStringLiteral("Clips"), QStringLiteral("validDomains: '127.0.0.1'"),
                QStringLiteral(
                    "function getUserIdFromURL(u) { return t_getRegExMatch(u, /\\/user\\/(\\w+)/, "
                    "1); }\n"
                    "function getUserDataURL(q) { return '%1user/' + getUserIdFromURL(q); }\n"
                    "function getUserData(c) { return JSON.parse(c); }\n"
                    "function getMediaIdFromURL(u) { return t_getRegExMatch(u, "
                    "/\\/watch\\/(\\w+)/, 1); }\n"
                    "function getMediaDataURL(q) { return '%1media/' + getMediaIdFromURL(q); }\n"
                    "function getMediaData(c) { return JSON.parse(c); }\n")
                    .arg(base.endsWith('/') ? base : base + '/'));
        MainWindow* window = m_fixture->open(
            { { "clips", clips }, { "tunes", pluginProgram("Tunes", "isAudioOnly: true") } });
        QVERIFY(window);
        window->setDownloadStarter(&m_starter);
    }
    void cleanup() { m_fixture.reset(); }

    void menuFollowsTheJobState_data()
    {
        testColumns<QString, int, QList<bool>>("service", "state", "enabled");
        testRow("none", "Clips", 0, QList<bool> { true, true, false, false });
        testRow("waiting", "Clips", 1, QList<bool> { false, false, true, false });
        testRow("downloading", "Clips", 3, QList<bool> { false, false, true, false });
        testRow("converting", "Clips", 5, QList<bool> { false, false, false, false });
        testRow("paused", "Clips", 10, QList<bool> { false, false, false, false });
        testRow("finished", "Clips", 6, QList<bool> { true, true, false, true });
        testRow("error", "Clips", -1, QList<bool> { true, true, false, false });
        testRow("audio only, none", "Tunes", 0, QList<bool> { false, true, false, false });
        testRow("audio only, finished", "Tunes", 6, QList<bool> { false, true, false, true });
    }
    void menuFollowsTheJobState()
    {
        const auto [service, state, enabled]
            = testFetch<QString, int, QList<bool>>("service", "state", "enabled");
        const MediaItem item = itemOf(service);
        MediaItemFormController controller(item);
        // Built before the job reports, so that the menu follows changes, not only its start.
        controller.mainMenu();
        auto job = makeJob(item);
        // Passing through downloading first: a state must also undo what an earlier one set.
        job->setState(ProcessingStates::Downloading, false);
        controller.connectToProcessingElement(job.get());
        QSignalSpy changes(&controller, &MediaItemFormController::stateChanged);
        job->setState(States(state), false);
        QCOMPARE(controller.state(), States(state));
        QCOMPARE(changes.size(), state == ProcessingStates::Downloading ? 0 : 1);
        QCOMPARE(menuEnabled(controller), enabled);
    }

    void downloadsGoThroughTheWindowWithTheRightType_data()
    {
        testColumns<QString, bool, QStringList>("service", "streaming", "started");
        testRow(
            "preferred video", "Clips", false, QStringList { "http://127.0.0.1/watch/a1/video" });
        testRow("audio only service", "Tunes", false,
            QStringList { "http://127.0.0.1/watch/a1/audio" });
        testRow("unknown service", "Gone", false, QStringList());
        testRow("live stream", "Clips", true, QStringList());
    }
    void downloadsGoThroughTheWindowWithTheRightType()
    {
        const auto [service, streaming, started]
            = testFetch<QString, bool, QStringList>("service", "streaming", "started");
        MediaItem item = itemOf(service);
        item.setStreamingNow(streaming);
        item.setRating(4);
        MediaItemFormController controller(item);
        MediaItemForm card(&controller);
        card.show();
        QVERIFY(QTest::qWaitForWindowExposed(&card));
        KQOverlayLabel* overlay = card.overlay();
        QTest::mouseClick(overlay, Qt::LeftButton, {}, overlay->buttonRect().center());
        QCOMPARE(m_starter.started, started);
        // A live stream cannot be downloaded from anywhere and shows no rating.
        QCOMPARE(overlay->isEnabled(), !streaming);
        QCOMPARE(card.findChild<RatingWidget*>("rating")->isVisible(), !streaming);
        QCOMPARE(actionEnabled(controller, "downloadAsAudio"), !streaming);
        if (streaming) {
            controller.downloadAsVideo();
            QVERIFY(m_starter.started.isEmpty());
            QCOMPARE(menuEnabled(controller), QList<bool>(4, false));
        }
    }

    void controllerFollowsAndCancelsTheJobUntilItIsGone()
    {
        const MediaItem item = itemOf("Clips");
        auto job = makeJob(item);
        m_starter.job = job.get();
        MediaItemFormController controller(item);
        controller.downloadAsAudio();
        QCOMPARE(m_starter.started, QStringList { "http://127.0.0.1/watch/a1/audio" });
        QCOMPARE(controller.processingElement(), job.get());
        QCOMPARE(controller.state(), ProcessingStates::Waiting);
        QVERIFY(actionEnabled(controller, "cancelDownload"));
        controller.mainMenu()->findChild<QAction*>("cancelDownload")->trigger();
        QCOMPARE(job->state(), ProcessingStates::Cancelled);
        QCOMPARE(controller.state(), ProcessingStates::Cancelled);
        QVERIFY(!actionEnabled(controller, "cancelDownload"));
        QVERIFY(actionEnabled(controller, "downloadAsVideo"));
        // The downloads list may delete a job at any time.
        job.reset();
        QCOMPARE(controller.processingElement(), nullptr);
        controller.cancelDownload();
        QCOMPARE(controller.state(), ProcessingStates::Cancelled);
    }

    void overlayShowsTheStateAndDescribesIt()
    {
        KQOverlayLabel overlay;
        overlay.setOverlaySize(QSize(320, 180));
        QCOMPARE(overlay.buttonRect(), QRect(128, 58, 64, 64));
        QCOMPARE(overlay.statusBoxText(), QString());
        QCOMPARE(overlay.accessibleDescription(), "Not downloaded");
        overlay.setState(ProcessingStates::Downloading);
        overlay.setProgress(42);
        QCOMPARE(overlay.statusBoxText(), "Downloading");
        QCOMPARE(overlay.accessibleDescription(), "Downloading 42%");
        overlay.setErrorText("Server said no");
        overlay.setState(ProcessingStates::Error);
        QCOMPARE(overlay.accessibleDescription(), "Error: Server said no");
        // Pictures fill the width or the height and are never stretched.
        overlay.setPixmap(QPixmap(QSize(640, 480)));
        QCOMPARE(overlay.pictureSize(), QSize(320, 240));
        overlay.setPixmap(QPixmap(QSize(120, 90)));
        QCOMPARE(overlay.pictureSize(), QSize(240, 180));
    }

    void overlayClicksStartDownloadsOnlyWhereAllowed_data()
    {
        // A mouse button at the download button or on the picture, or a key.
        testColumns<int, int, bool, int, int>("state", "input", "inside", "downloads", "clicks");
        testRow("none, button", 0, int(Qt::LeftButton), true, 1, 0);
        testRow("error, button", -1, int(Qt::LeftButton), true, 1, 0);
        testRow("cancelled, button", 7, int(Qt::LeftButton), true, 1, 0);
        testRow("downloading, button", 3, int(Qt::LeftButton), true, 0, 0);
        testRow("finished, button", 6, int(Qt::LeftButton), true, 0, 0);
        testRow("none, picture", 0, int(Qt::LeftButton), false, 0, 1);
        testRow("middle, picture", 0, int(Qt::MiddleButton), false, 0, 1);
        testRow("right, button", 0, int(Qt::RightButton), true, 0, 0);
        testRow("right, picture", 0, int(Qt::RightButton), false, 0, 0);
        testRow("none, space", 0, int(Qt::Key_Space), false, 1, 0);
        testRow("downloading, space", 3, int(Qt::Key_Space), false, 0, 0);
        testRow("none, return", 0, int(Qt::Key_Return), false, 0, 1);
    }
    void overlayClicksStartDownloadsOnlyWhereAllowed()
    {
        const auto [state, input, inside, downloads, clicks] = testFetch<int, int, bool, int, int>(
            "state", "input", "inside", "downloads", "clicks");
        KQOverlayLabel overlay;
        overlay.setOverlaySize(QSize(320, 180));
        overlay.setPixmap(QPixmap(QSize(320, 180)));
        overlay.setState(state);
        overlay.show();
        QVERIFY(QTest::qWaitForWindowExposed(&overlay));
        QSignalSpy downloaded(&overlay, &KQOverlayLabel::downloadButtonClicked);
        int clicked = 0;
        connect(&overlay, &KQLabel::clicked, this, [&clicked] { ++clicked; });
        const QPoint where = inside ? overlay.buttonRect().center() : QPoint(10, 10);
        if (input >= Qt::Key_Space)
            QTest::keyClick(&overlay, Qt::Key(input));
        else
            QTest::mouseClick(&overlay, Qt::MouseButton(input), {}, where);
        QCOMPARE(downloaded.size(), downloads);
        QCOMPARE(clicked, clicks);
    }

    void cardShowsTheItemsFields_data()
    {
        testColumns<double, int, int>("rating", "likes", "dots");
        testRow("no rating, no likes", 0.0, 0, -1);
        testRow("half rounds up", 3.5, 12345, 4);
        testRow("below half", 2.4, 1, 2);
    }
    void cardShowsTheItemsFields()
    {
        const auto [rating, likes, dots] = testFetch<double, int, int>("rating", "likes", "dots");
        MediaItem item = itemOf("Clips");
        item.setRating(float(rating));
        item.setLikes(likes);
        item.setHasHD(true);
        item.setIsoDate(QDate::currentDate().addDays(-3).toString(Qt::ISODate));
        MediaItemFormController controller(item);
        MediaItemForm card(&controller);
        card.show();
        QCOMPARE(card.findChild<QLabel*>("timeLabel")->text(), "| 3 days ago");
        auto* stars = card.findChild<RatingWidget*>("rating");
        QCOMPARE(stars->isVisible(), dots > 0);
        if (dots > 0)
            QCOMPARE(stars->rating(), dots);
        QCOMPARE(card.findChild<QLabel*>("likesIcon")->isVisible(), likes > 0);
        QCOMPARE(card.findChild<QLabel*>("likes")->isVisible(), likes > 0);
        QCOMPARE(card.findChild<QLabel*>("likes")->text(), QLocale().toString(likes));
        QCOMPARE(card.overlay()->durationText(), "02:05");
        // No picture address: the fallback, without waiting for the network.
        QTRY_VERIFY(card.isImageLoaded());
        QVERIFY(card.overlay()->hasPicture());
    }

    void viewsMadeLaterShowTheRunningDownload()
    {
        const MediaItem item = itemOf("Clips");
        auto job = makeJob(item);
        job->setState(ProcessingStates::Downloading, false);
        m_starter.job = job.get();
        MediaItemFormController controller(item);
        MediaItemListForm row(&controller);
        MediaItemForm card(&controller);
        emit job->progressUpdate(42);
        QCOMPARE(card.overlay()->accessibleDescription(), "Downloading 42%");
        QCOMPARE(row.overlay()->accessibleDescription(), "Downloading 42%");
        job->setState(ProcessingStates::Finished, false);
        QCOMPARE(card.overlay()->statusBoxText(), "Finished");
    }

    // Service text may carry its own markup and any kind of address: only web ones open.
    void listRowLinksItsDescriptionAndOpensOnlyWebAddresses()
    {
        UrlRecorder browser;
        UrlRecorder files;
        QDesktopServices::setUrlHandler("https", &browser, "open");
        QDesktopServices::setUrlHandler("file", &files, "open");
        MediaItem item = itemOf("Clips");
        item.setViews(0);
        item.setHasHD(true);
        item.setDescription("Shot at https://127.0.0.1/p\nsecond line");
        MediaItemFormController controller(item);
        MediaItemListForm row(&controller);
        row.show();
        QVERIFY(!row.findChild<QLabel*>("views")->isVisible());
        QCOMPARE(row.findChild<QLabel*>("videoOptions")->text(), "HD");
        auto* description = row.findChild<QLabel*>("descriptionLabel");
        QVERIFY(description->text().contains(
            "<a href=\"https://127.0.0.1/p\">https://127.0.0.1/p</a><br>second line"));
        for (const char* link :
            { "file:///etc/passwd", "javascript:alert(1)", "https://127.0.0.1/p" })
            emit description->linkActivated(link);
        QDesktopServices::unsetUrlHandler("https");
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(files.opened, QList<QUrl>());
        QCOMPARE(browser.opened, QList<QUrl> { QUrl("https://127.0.0.1/p") });
    }

    void newTabsKeepTheViewTheItemWasShownIn_data()
    {
        testColumns<bool, int>("fromRow", "viewMode");
        testRow("card", false, 0);
        testRow("list row", true, 1);
    }
    void newTabsKeepTheViewTheItemWasShownIn()
    {
        const auto [fromRow, viewMode] = testFetch<bool, int>("fromRow", "viewMode");
        const MediaItem item = itemOf("Clips");
        MediaItemFormController controller(item);
        std::unique_ptr<MediaItemViewBase> view;
        if (fromRow)
            view = std::make_unique<MediaItemListForm>(&controller);
        else
            view = std::make_unique<MediaItemForm>(&controller);
        emit view->overlay()->customContextMenuRequested(QPoint(5, 5));
        QTRY_VERIFY(controller.mainMenu()->isVisible());
        controller.mainMenu()->findChild<QAction*>("openInNewTab")->trigger();
        QTabWidget* tabs = m_fixture->tabs();
        QTRY_COMPARE(tabs->count(), 2);
        auto* page = qobject_cast<PageForm*>(tabs->widget(1));
        QVERIFY(page);
        QCOMPARE(page->viewMode(), viewMode);
        QCOMPARE(page->pageData()->query(), item.permaUrl());
    }

    void onlyTheLeftButtonOnTheNameOpensTheUserPage()
    {
        const MediaItem item = itemOf("Clips");
        MediaItemFormController controller(item);
        MainTabsForm* tabs = m_fixture->window()->mainTabsForm();
        const QPointF where(2, 2);
        QMouseEvent right(QEvent::MouseButtonRelease, where, where, Qt::RightButton, {}, {});
        controller.nameLabelClicked(&right);
        controller.mediaImageClicked(&right);
        QTest::qWait(50);
        QVERIFY(tabs->currentPage()->pageData()->query().isEmpty());
        QMouseEvent left(QEvent::MouseButtonRelease, where, where, Qt::LeftButton, {}, {});
        controller.nameLabelClicked(&left);
        QTRY_COMPARE(tabs->currentPage()->pageData()->query(), item.userPermaUrl());
        QCOMPARE(m_fixture->tabs()->count(), 1);
    }

    void headerFillsItselfFromTheItem_data()
    {
        testColumns<QString, QString, double, int, QSize>(
            "picture", "isoDate", "rating", "views", "shown");
        testRow("tall picture, everything known", "/large.png", "2020-05-01T10:00:00", 3.0, 1500,
            QSize(444, 250));
        testRow("small picture, nothing known", "/small.png", "", -1.0, 0, QSize(120, 90));
        testRow("missing picture", "/gone.png", "", 0.0, 1, QSize(400, 250));
    }
    void headerFillsItselfFromTheItem()
    {
        const auto [picture, isoDate, rating, views, shown]
            = testFetch<QString, QString, double, int, QSize>(
                "picture", "isoDate", "rating", "views", "shown");
        MediaItem item = itemOf("Clips");
        item.setHdThumbUrl(m_server.url(picture).toString());
        item.setIsoDate(isoDate);
        item.setRating(float(rating));
        item.setViews(views);
        item.setHasHD(true);
        MediaTopForm header(item);
        QSignalSpy loaded(&header, &MediaTopForm::formLoaded);
        header.show();
        QCOMPARE(header.findChild<QLabel*>("published")->isVisible(), !isoDate.isEmpty());
        QCOMPARE(header.findChild<QLabel*>("publishedLabel")->isVisible(), !isoDate.isEmpty());
        QCOMPARE(header.findChild<RatingWidget*>("rating")->isVisible(), rating >= 0);
        QCOMPARE(header.findChild<QLabel*>("ratingIcon")->isVisible(), rating >= 0);
        QCOMPARE(header.findChild<QLabel*>("views")->isVisible(), views > 0);
        QCOMPARE(header.findChild<QLabel*>("videoOptions")->text(), "HD");
        QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, 10000);
        KQOverlayLabel* overlay = header.overlay();
        QCOMPARE(overlay->size(), shown);
        QVERIFY(!overlay->hasHD());
        QVERIFY(header.height() > overlay->height());
        // The header downloads its item like a card does.
        QTest::mouseClick(header.downloadButton(), Qt::LeftButton);
        QCOMPARE(m_starter.started, QStringList { "http://127.0.0.1/watch/a1/video" });
    }
};

QTEST_MAIN(MediaItemViewsTest)
#include "tst_mediaitemviews.moc"
