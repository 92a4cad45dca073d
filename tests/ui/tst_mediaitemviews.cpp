// The media item views: which menu entries a download's state allows, what the thumbnail
// overlay shows and which clicks it turns into downloads, what a card and a row show of an
// item, and how a media page's header fills itself.

#include "MainWindowFixture.h"
#include "RecordingStarter.h"
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
        QTest::addColumn<QString>("service");
        QTest::addColumn<int>("state");
        // Download as video, as audio, cancel, show file.
        QTest::addColumn<QList<bool>>("enabled");
        QTest::newRow("none") << "Clips" << 0 << QList<bool> { true, true, false, false };
        QTest::newRow("waiting") << "Clips" << 1 << QList<bool> { false, false, true, false };
        QTest::newRow("downloading") << "Clips" << 3 << QList<bool> { false, false, true, false };
        QTest::newRow("converting") << "Clips" << 5 << QList<bool> { false, false, false, false };
        QTest::newRow("paused") << "Clips" << 10 << QList<bool> { false, false, false, false };
        QTest::newRow("finished") << "Clips" << 6 << QList<bool> { true, true, false, true };
        QTest::newRow("error") << "Clips" << -1 << QList<bool> { true, true, false, false };
        QTest::newRow("audio only, none")
            << "Tunes" << 0 << QList<bool> { false, true, false, false };
        QTest::newRow("audio only, finished")
            << "Tunes" << 6 << QList<bool> { false, true, false, true };
    }
    void menuFollowsTheJobState()
    {
        QFETCH(QString, service);
        QFETCH(int, state);
        QFETCH(QList<bool>, enabled);
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
        const QList<bool> shown { actionEnabled(controller, "downloadAsVideo"),
            actionEnabled(controller, "downloadAsAudio"),
            actionEnabled(controller, "cancelDownload"),
            actionEnabled(controller, "showDownloadedFile") };
        QCOMPARE(shown, enabled);
    }

    void downloadsGoThroughTheWindowWithTheRightType_data()
    {
        QTest::addColumn<QString>("service");
        QTest::addColumn<bool>("streaming");
        QTest::addColumn<QStringList>("started");
        QTest::newRow("preferred video")
            << "Clips" << false << QStringList { "http://127.0.0.1/watch/a1/video" };
        QTest::newRow("audio only service")
            << "Tunes" << false << QStringList { "http://127.0.0.1/watch/a1/audio" };
        QTest::newRow("unknown service") << "Gone" << false << QStringList();
        QTest::newRow("live stream") << "Clips" << true << QStringList();
    }
    void downloadsGoThroughTheWindowWithTheRightType()
    {
        QFETCH(QString, service);
        QFETCH(bool, streaming);
        QFETCH(QStringList, started);
        MediaItem item = itemOf(service);
        item.setStreamingNow(streaming);
        MediaItemFormController controller(item);
        controller.addToDownloadQueue();
        QCOMPARE(m_starter.started, started);
        QCOMPARE(actionEnabled(controller, "downloadAsAudio"), !streaming);
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
        QCOMPARE(KQOverlayLabel::statusBoxColor(ProcessingStates::Downloading), QColor("#0056b8"));
        QCOMPARE(KQOverlayLabel::statusBoxColor(ProcessingStates::Connecting), QColor("#0056b8"));
        QCOMPARE(KQOverlayLabel::statusBoxColor(ProcessingStates::Error), QColor("#b82b00"));
        QCOMPARE(KQOverlayLabel::statusBoxColor(ProcessingStates::Finished), QColor("#0c8100"));
        QCOMPARE(KQOverlayLabel::statusBoxColor(ProcessingStates::Paused), QColor("#000000"));
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
        QCOMPARE(overlay.toolTip(), "Server said no");
        // Pictures fill the width or the height and are never stretched.
        overlay.setPixmap(QPixmap(QSize(640, 480)));
        QCOMPARE(overlay.pictureSize(), QSize(320, 240));
        overlay.setPixmap(QPixmap(QSize(120, 90)));
        QCOMPARE(overlay.pictureSize(), QSize(240, 180));
    }

    void overlayClicksStartDownloadsOnlyWhereAllowed_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("inside");
        QTest::addColumn<int>("downloads");
        QTest::addColumn<int>("clicks");
        QTest::newRow("none, button") << 0 << int(Qt::LeftButton) << true << 1 << 0;
        QTest::newRow("error, button") << -1 << int(Qt::LeftButton) << true << 1 << 0;
        QTest::newRow("cancelled, button") << 7 << int(Qt::LeftButton) << true << 1 << 0;
        QTest::newRow("downloading, button") << 3 << int(Qt::LeftButton) << true << 0 << 0;
        QTest::newRow("finished, button") << 6 << int(Qt::LeftButton) << true << 0 << 0;
        QTest::newRow("none, picture") << 0 << int(Qt::LeftButton) << false << 0 << 1;
        QTest::newRow("middle, picture") << 0 << int(Qt::MiddleButton) << false << 0 << 1;
        QTest::newRow("right, button") << 0 << int(Qt::RightButton) << true << 0 << 0;
        QTest::newRow("right, picture") << 0 << int(Qt::RightButton) << false << 0 << 0;
    }
    void overlayClicksStartDownloadsOnlyWhereAllowed()
    {
        QFETCH(int, state);
        QFETCH(int, button);
        QFETCH(bool, inside);
        QFETCH(int, downloads);
        QFETCH(int, clicks);
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
        QTest::mouseClick(&overlay, Qt::MouseButton(button), {}, where);
        QCOMPARE(downloaded.size(), downloads);
        QCOMPARE(clicked, clicks);
    }

    void overlayWorksFromTheKeyboard()
    {
        KQOverlayLabel overlay;
        overlay.setOverlaySize(QSize(320, 180));
        QSignalSpy downloaded(&overlay, &KQOverlayLabel::downloadButtonClicked);
        int opened = 0;
        connect(&overlay, &KQLabel::clicked, this, [&opened] { ++opened; });
        QTest::keyClick(&overlay, Qt::Key_Space);
        QCOMPARE(downloaded.size(), 1);
        overlay.setState(ProcessingStates::Downloading);
        QTest::keyClick(&overlay, Qt::Key_Space);
        QCOMPARE(downloaded.size(), 1);
        QTest::keyClick(&overlay, Qt::Key_Return);
        QCOMPARE(opened, 1);
    }

    void cardShowsTheItemsFields_data()
    {
        QTest::addColumn<double>("rating");
        QTest::addColumn<int>("likes");
        QTest::addColumn<int>("dots");
        QTest::newRow("no rating, no likes") << 0.0 << 0 << -1;
        QTest::newRow("half rounds up") << 3.5 << 12345 << 4;
        QTest::newRow("below half") << 2.4 << 1 << 2;
    }
    void cardShowsTheItemsFields()
    {
        QFETCH(double, rating);
        QFETCH(int, likes);
        QFETCH(int, dots);
        MediaItem item = itemOf("Clips");
        item.setRating(float(rating));
        item.setLikes(likes);
        item.setHasHD(true);
        item.setIsoDate(QDate::currentDate().addDays(-3).toString(Qt::ISODate));
        MediaItemFormController controller(item);
        MediaItemForm card(&controller);
        card.show();
        QCOMPARE(card.accessibleName(), "Harbour at dawn");
        QCOMPARE(card.findChild<QLabel*>("nameLabel")->text(), "Ann");
        QCOMPARE(card.findChild<QLabel*>("timeLabel")->text(), "| 3 days ago");
        auto* stars = card.findChild<RatingWidget*>("rating");
        QCOMPARE(stars->isVisible(), dots > 0);
        if (dots > 0)
            QCOMPARE(stars->rating(), dots);
        QCOMPARE(card.findChild<QLabel*>("likesIcon")->isVisible(), likes > 0);
        QCOMPARE(card.findChild<QLabel*>("likes")->isVisible(), likes > 0);
        QCOMPARE(card.findChild<QLabel*>("likes")->text(), QLocale().toString(likes));
        KQOverlayLabel* overlay = card.overlay();
        QVERIFY(overlay->hasHD());
        QCOMPARE(overlay->durationText(), "02:05");
        // No picture address: the fallback, without waiting for the network.
        QTRY_VERIFY(card.isImageLoaded());
        QVERIFY(overlay->hasPicture());
    }

    void liveStreamCannotBeDownloadedFromItsCard()
    {
        MediaItem item = itemOf("Clips");
        item.setStreamingNow(true);
        item.setRating(4);
        MediaItemFormController controller(item);
        MediaItemForm card(&controller);
        card.show();
        QVERIFY(QTest::qWaitForWindowExposed(&card));
        KQOverlayLabel* overlay = card.overlay();
        QVERIFY(!overlay->isEnabled());
        QCOMPARE(overlay->messageText(), "Currently streaming");
        QVERIFY(!card.findChild<RatingWidget*>("rating")->isVisible());
        QTest::mouseClick(overlay, Qt::LeftButton, {}, overlay->buttonRect().center());
        controller.downloadAsVideo();
        QVERIFY(m_starter.started.isEmpty());
        QVERIFY(!actionEnabled(controller, "downloadAsVideo"));
        QVERIFY(!actionEnabled(controller, "downloadAsAudio"));
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
        QCOMPARE(row.accessibleName(), "Harbour at dawn");
        emit job->progressUpdate(42);
        QCOMPARE(card.overlay()->accessibleDescription(), "Downloading 42%");
        QCOMPARE(row.overlay()->accessibleDescription(), "Downloading 42%");
        job->setState(ProcessingStates::Finished, false);
        QCOMPARE(card.overlay()->state(), int(ProcessingStates::Finished));
        QCOMPARE(card.overlay()->statusBoxText(), "Finished");
        QVERIFY(actionEnabled(controller, "showDownloadedFile"));
    }

    void listRowShowsViewsDescriptionAndOptions()
    {
        MediaItem item = itemOf("Clips");
        item.setViews(0);
        item.setHasHD(true);
        item.setDescription("Shot at http://127.0.0.1/p\nsecond line");
        MediaItemFormController controller(item);
        MediaItemListForm row(&controller);
        row.show();
        QVERIFY(!row.findChild<QLabel*>("views")->isVisible());
        QCOMPARE(row.findChild<QLabel*>("videoOptions")->text(), "HD");
        const QString description = row.findChild<QLabel*>("descriptionLabel")->text();
        QVERIFY(description.contains(
            "<a href=\"http://127.0.0.1/p\">http://127.0.0.1/p</a><br>second line"));
    }

    void newTabsKeepTheViewTheItemWasShownIn_data()
    {
        QTest::addColumn<bool>("fromRow");
        QTest::addColumn<int>("viewMode");
        QTest::newRow("card") << false << 0;
        QTest::newRow("list row") << true << 1;
    }
    void newTabsKeepTheViewTheItemWasShownIn()
    {
        QFETCH(bool, fromRow);
        QFETCH(int, viewMode);
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

    void descriptionLinksOpenOnlyWebAddresses()
    {
        UrlRecorder browser;
        UrlRecorder files;
        QDesktopServices::setUrlHandler("https", &browser, "open");
        QDesktopServices::setUrlHandler("file", &files, "open");
        MediaItem item = itemOf("Clips");
        item.setDescription("See https://127.0.0.1/more");
        MediaItemFormController controller(item);
        MediaItemListForm row(&controller);
        auto* description = row.findChild<QLabel*>("descriptionLabel");
        // Service text may carry its own markup and any kind of address.
        emit description->linkActivated("file:///etc/passwd");
        emit description->linkActivated("javascript:alert(1)");
        emit description->linkActivated("https://127.0.0.1/more");
        QDesktopServices::unsetUrlHandler("https");
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(files.opened, QList<QUrl>());
        QCOMPARE(browser.opened, QList<QUrl> { QUrl("https://127.0.0.1/more") });
    }

    void headerFillsItselfFromTheItem_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("isoDate");
        QTest::addColumn<double>("rating");
        QTest::addColumn<int>("views");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("tall picture, everything known")
            << "/large.png"
            << "2020-05-01T10:00:00" << 3.0 << 1500 << QSize(444, 250);
        QTest::newRow("small picture, nothing known") << "/small.png"
                                                      << "" << -1.0 << 0 << QSize(120, 90);
        QTest::newRow("missing picture") << "/gone.png"
                                         << "" << 0.0 << 1 << QSize(400, 250);
    }
    void headerFillsItselfFromTheItem()
    {
        QFETCH(QString, picture);
        QFETCH(QString, isoDate);
        QFETCH(double, rating);
        QFETCH(int, views);
        QFETCH(QSize, shown);
        MediaItem item = itemOf("Clips");
        item.setHdThumbUrl(m_server.url(picture).toString());
        item.setIsoDate(isoDate);
        item.setRating(float(rating));
        item.setViews(views);
        item.setHasHD(true);
        MediaTopForm header(item);
        QSignalSpy loaded(&header, &MediaTopForm::formLoaded);
        header.show();
        QCOMPARE(header.findChild<QLabel*>("titleLabel")->text(), "Harbour at dawn");
        QCOMPARE(header.findChild<QLabel*>("uploader")->text(), "Ann");
        QCOMPARE(header.findChild<QLabel*>("published")->isVisible(), !isoDate.isEmpty());
        QCOMPARE(header.findChild<QLabel*>("publishedLabel")->isVisible(), !isoDate.isEmpty());
        QCOMPARE(header.findChild<RatingWidget*>("rating")->isVisible(), rating >= 0);
        QCOMPARE(header.findChild<QLabel*>("ratingIcon")->isVisible(), rating >= 0);
        QCOMPARE(header.findChild<QLabel*>("views")->isVisible(), views > 0);
        QCOMPARE(header.findChild<QLabel*>("videoOptions")->text(), "HD");
        QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, 10000);
        KQOverlayLabel* overlay = header.overlay();
        QCOMPARE(overlay->size(), shown);
        QVERIFY(!overlay->decorationsEnabled());
        QVERIFY(!overlay->hasHD());
        QVERIFY(header.height() > overlay->height());
        // The header downloads its item like a card does.
        QTest::mouseClick(header.downloadButton(), Qt::LeftButton);
        QCOMPARE(m_starter.started, QStringList { "http://127.0.0.1/watch/a1/video" });
    }
};

QTEST_MAIN(MediaItemViewsTest)
#include "tst_mediaitemviews.moc"
