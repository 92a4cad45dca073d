// A feed as a person pages through it: the page counter and arrows, the switch between the
// thumbnail grid and the list, "Download all" over every page, and the transfers that give
// way while a next page is read.

#include "MainWindowFixture.h"
#include "MessageBoxAnswerer.h"
#include "RecordingStarter.h"
#include "TestEnvironment.h"
#include "TestHttpServer.h"

#include "ui/KQOverlayLabel.h"
#include "ui/MainTabsForm.h"
#include "ui/MainWindow.h"
#include "ui/MediaFeedContainer.h"
#include "ui/MediaItemForm.h"
#include "ui/MediaItemFormController.h"
#include "ui/MediaItemListForm.h"
#include "ui/PageForm.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QUrlQuery>

namespace {

// Uploads come two to a page; "total" of the query is the count the service reports (-1: it
// does not say), "items" how many items it has.
QString feedyProgram(const QString& base)
{
    return pluginProgram(QStringLiteral("Feedy"),
        QStringLiteral("validDomains: '127.0.0.1', supportsSearch: true, supportsUploads: true, "
                       "supportsFavorites: true, itemsPerPage: 2"),
        QStringLiteral(
            "var BASE = '%1';\n"
            "function getUserIdFromURL(u) { return t_getRegExMatch(u, /\\/user\\/(\\w+)/, 1); }\n"
            "function getSearchFeedURL(q, n, s, t) { return BASE + '/search?page=' + n; }\n"
            "function getUploadsFeedURL(q, n, s, t) { return BASE + '/uploads?page=' + n; }\n"
            "function getFavoritesFeedURL(q, n, s, t) { return BASE + '/favorites?page=' + n; }\n"
            "function getUserDataURL(q) { return BASE + '/user/' + getUserIdFromURL(q); }\n"
            "function getMediaFeed(c) { return JSON.parse(c); }\n"
            "function getUserData(c) { return JSON.parse(c); }\n")
            .arg(base));
}

// Page "page" of a feed of "count" items named prefix1, prefix2, ..., two a page.
QJsonObject pageOf(const QString& prefix, int page, int count, int reported, const QString& base)
{
    QJsonArray feed;
    for (int number = 2 * page - 1; number <= std::min(count, 2 * page); ++number) {
        const QString id = prefix + QString::number(number);
        feed.append(QJsonObject {
            { "id", id }, { "title", "Item " + id }, { "permaURL", base + "/watch/" + id } });
    }
    return QJsonObject { { "totalResults", reported }, { "feed", feed } };
}

} // namespace

class FeedViewTest : public QObject
{
    Q_OBJECT

    TestHttpServer m_server;
    QString m_base;
    std::unique_ptr<MainWindowFixture> m_fixture;
    RecordingStarter m_starter;

    void routeFeed(const QString& path, const QString& prefix, int count, int reported)
    {
        m_server.route(path, [=](const TestHttpServer::Request& request) {
            const int page = QUrlQuery(request.query).queryItemValue("page").toInt();
            return TestHttpServer::Response::json(pageOf(prefix, page, count, reported, m_base));
        });
    }

    // The feed of sub-tab "index" of the address's page, once it is no longer loading.
    MediaFeedContainer* openFeed(const QString& address, int index)
    {
        MainWindow* window = m_fixture->window();
        window->openAddress(address, {}, {});
        MediaFeedContainer* view = nullptr;
        const bool shown = QTest::qWaitFor([&] {
            PageForm* page = window->mainTabsForm()->currentPage();
            QTabWidget* tabs = page ? page->subTabs() : nullptr;
            if (!tabs || !tabs->widget(index))
                return false;
            tabs->setCurrentIndex(index);
            view = qobject_cast<MediaFeedContainer*>(tabs->widget(index));
            return view && view->stack()->currentIndex() != MediaFeedContainer::BusyPage;
        });
        return shown ? view : nullptr;
    }

    static QStringList titles(const MediaFeedContainer* view)
    {
        QStringList titles;
        for (const MediaItemForm* card : view->cards())
            titles << card->accessibleName();
        return titles;
    }

    static bool waitForPage(MediaFeedContainer* view, const QString& label)
    {
        return QTest::qWaitFor([&] { return view->infoLabel()->text() == label; });
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        m_base = m_server.origin();
        routeFeed("/uploads", "u", 5, 5);
        routeFeed("/favorites", "f", 3, -1);
        routeFeed("/search", "s", 0, 0);
        m_server.serveFile(
            "/user/ann", R"({"userName": "Ann", "userId": "ann"})", "application/json");
    }

    void init()
    {
        m_starter = RecordingStarter();
        m_fixture = std::make_unique<MainWindowFixture>();
        AppTestSupport::storePrefs({ { "searchableServiceNames", QStringList { "Feedy" } },
            { "defaultDownloadMediaType", 0 } });
        MainWindow* window = m_fixture->open({ { "feedy", feedyProgram(m_base) } });
        QVERIFY(window);
        window->setDownloadStarter(&m_starter);
    }
    void cleanup() { m_fixture.reset(); }

    void pagesForwardAndBack()
    {
        MediaFeedContainer* view = openFeed(m_base + "/user/ann", 0);
        QVERIFY(view);
        QCOMPARE(view->infoLabel()->text(), "Page 1 of 3, 5 results in total");
        QCOMPARE(titles(view), (QStringList { "Item u1", "Item u2" }));
        QVERIFY(!view->previousButton()->isEnabled());
        QVERIFY(view->nextButton()->isEnabled());

        view->nextButton()->click();
        QVERIFY(waitForPage(view, "Page 2 of 3, 5 results in total"));
        QCOMPARE(titles(view), (QStringList { "Item u3", "Item u4" }));
        // Transfers waited while the page was read, and went on when it came.
        QCOMPARE(m_starter.holds, (QList<bool> { true, false }));
        view->nextButton()->click();
        QVERIFY(waitForPage(view, "Page 3 of 3, 5 results in total"));
        QCOMPARE(titles(view), QStringList { "Item u5" });
        QVERIFY(!view->nextButton()->isEnabled());

        view->previousButton()->click();
        QVERIFY(waitForPage(view, "Page 2 of 3, 5 results in total"));
        QVERIFY(view->previousButton()->isEnabled());
        QCOMPARE(m_starter.holds.size(), 4);
    }

    void unknownTotalsPageOnWhileItemsCome()
    {
        MediaFeedContainer* view = openFeed(m_base + "/user/ann", 1);
        QVERIFY(view);
        QCOMPARE(view->infoLabel()->text(), "Page 1, total results unknown");
        QVERIFY(view->nextButton()->isEnabled());
        view->nextButton()->click();
        QVERIFY(waitForPage(view, "Page 2, total results unknown"));
        QVERIFY(view->previousButton()->isEnabled());
        QVERIFY(view->nextButton()->isEnabled());
        view->nextButton()->click();
        QVERIFY(waitForPage(view, "Page 3, total results unknown"));
        QVERIFY(!view->nextButton()->isEnabled());
    }

    void emptySearchSaysNoResults()
    {
        m_fixture->window()->openAddress("night", {}, {});
        MediaFeedContainer* view = nullptr;
        QTRY_VERIFY((view = m_fixture->window()->findChild<MediaFeedContainer*>()));
        QVERIFY(waitForPage(view, "No results"));
        QVERIFY(!view->thumbnailsButton()->isEnabled());
        QVERIFY(!view->downloadAllButton()->isEnabled());
        QVERIFY(!view->nextButton()->isEnabled());
    }

    void viewsSwitchAndAreBuiltOnce()
    {
        MediaFeedContainer* view = openFeed(m_base + "/user/ann", 0);
        QVERIFY(view);
        QCOMPARE(view->stack()->currentIndex(), int(MediaFeedContainer::ThumbnailPage));
        const QList<MediaItemForm*> cards = view->cards();
        QSignalSpy modes(view, &FeedView::viewModeChanged);
        view->listButton()->click();
        QCOMPARE(view->stack()->currentIndex(), int(MediaFeedContainer::ListPage));
        QCOMPARE(view->listWidget()->count(), 2);
        auto* row = qobject_cast<MediaItemListForm*>(
            view->listWidget()->itemWidget(view->listWidget()->item(1)));
        QVERIFY(row);
        // The card and the row of an item share its controller.
        QCOMPARE(row->controller(), cards.at(1)->controller());
        // The row's menu opens over its texts too (and from the menu key).
        QListWidget* list = view->listWidget();
        emit list->customContextMenuRequested(list->visualItemRect(list->item(1)).center());
        QTRY_VERIFY(row->controller()->mainMenu()->isVisible());
        row->controller()->mainMenu()->close();
        // Only the view on screen holds its pictures.
        QTRY_VERIFY(row->overlay()->hasPicture());
        QVERIFY(!cards.at(1)->overlay()->hasPicture());
        view->thumbnailsButton()->click();
        QCOMPARE(view->cards(), cards);
        QTRY_VERIFY(cards.at(1)->overlay()->hasPicture());
        QVERIFY(!row->overlay()->hasPicture());
        // Nor does a page behind another tab, until it is in front again.
        m_fixture->window()->openAddress(m_base + "/user/ann", {}, {}, -1, true);
        QTRY_COMPARE(m_fixture->tabs()->count(), 2);
        m_fixture->window()->mainTabsForm()->nextTab();
        QTRY_VERIFY(!cards.at(1)->overlay()->hasPicture());
        m_fixture->window()->mainTabsForm()->closeCurrentTab();
        QTRY_VERIFY(cards.at(1)->overlay()->hasPicture());
        QCOMPARE(modes.size(), 2);
        QCOMPARE(modes.at(0).at(0).toInt(), int(MediaFeedContainer::List));
        // Pages opened later keep the chosen view.
        view->listButton()->click();
        view->nextButton()->click();
        QVERIFY(waitForPage(view, "Page 2 of 3, 5 results in total"));
        QCOMPARE(view->stack()->currentIndex(), int(MediaFeedContainer::ListPage));
        QCOMPARE(view->listWidget()->count(), 2);
    }

    void downloadAllQueuesThePageAndHandsOverTheRest()
    {
        MediaFeedContainer* view = openFeed(m_base + "/user/ann", 0);
        QVERIFY(view);
        QVERIFY(view->downloadAllButton()->isEnabled());
        MessageBoxAnswerer answerer;
        view->downloadAllButton()->click();
        QCOMPARE(answerer.texts, QStringList { "Please confirm download of multiple items" });
        QCOMPARE(m_starter.started,
            (QStringList { m_base + "/watch/u1/audio", m_base + "/watch/u2/audio" }));
        QCOMPARE(m_starter.batches, QList<FeedDataFetcher*> { view->fetcher() });
        // The view still pages: the batch reads the other pages on its own.
        view->nextButton()->click();
        QVERIFY(waitForPage(view, "Page 2 of 3, 5 results in total"));
    }
};

KESTROFAN_TEST_MAIN(FeedViewTest)
#include "tst_feedview.moc"
