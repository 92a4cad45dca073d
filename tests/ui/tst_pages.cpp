// Pages of every kind as the tabs show them, read from a local server: media pages with their
// related and playlist feeds, user pages with one feed per kind, playlist and search pages,
// pages whose item cannot be read, and opening an item from a feed's list.

#include "MainWindowFixture.h"
#include "TestEnvironment.h"
#include "TestHttpServer.h"

#include "services/MediaServices.h"
#include "ui/HistoryModel.h"
#include "ui/MainTabsForm.h"
#include "ui/MainWindow.h"
#include "ui/MediaFeedContainer.h"
#include "ui/MediaTexts.h"
#include "ui/PageData.h"
#include "ui/PageForm.h"
#include "ui/PageMessageForm.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>

namespace {

const QString longTitle = QStringLiteral(
    "A rather long title for a media item that goes on for well over seventy-five letters");

QString pageyProgram(const QString& base)
{
    return pluginProgram(QStringLiteral("Pagey"),
        QStringLiteral("validDomains: '127.0.0.1', supportsSearch: true, supportsRelated: true, "
                       "supportsPlaylists: true, supportsUploads: true, supportsFavorites: true, "
                       "supportsLikes: true"),
        QStringLiteral(
            "var BASE = '%1';\n"
            "function getUserIdFromURL(u) { return t_getRegExMatch(u, /\\/user\\/(\\w+)/, 1); }\n"
            "function getMediaIdFromURL(u) { return t_getRegExMatch(u, /\\/watch\\/(\\w+)/, 1); }\n"
            "function getPlaylistIdFromURL(u) { return t_getRegExMatch(u, /[?&]list=(\\w+)/, 1); "
            "}\n"
            "function getSearchFeedURL(q, n, s, t) { return BASE + '/search'; }\n"
            "function getUploadsFeedURL(q, n, s, t) { return BASE + '/feed/uploads'; }\n"
            "function getFavoritesFeedURL(q, n, s, t) { return BASE + '/feed/favorites'; }\n"
            "function getLikesFeedURL(q, n, s, t) { return BASE + '/feed/likes'; }\n"
            "function getRelatedFeedURL(q, n, s, t) { return BASE + '/feed/related'; }\n"
            "function getPlaylistFeedURL(p, u, n, s, t) { return BASE + '/feed/playlist'; }\n"
            "function getPlaylistsFeedURL(q) { return BASE + '/playlists'; }\n"
            "function getUserDataURL(q) { return BASE + '/user/' + getUserIdFromURL(q); }\n"
            "function getMediaDataURL(q) { return BASE + '/media/' + getMediaIdFromURL(q); }\n"
            "function getMediaFeed(c) { return JSON.parse(c); }\n"
            "function getMediaData(c) { return JSON.parse(c); }\n"
            "function getUserData(c) { return JSON.parse(c); }\n"
            "function getPlayLists(c) { return JSON.parse(c); }\n")
            .arg(base));
}

// A service that reads media but offers no feeds. Its addresses are only classified by its
// script; the record itself comes from the local server.
QString bareProgram(const QString& base)
{
    return pluginProgram(QStringLiteral("Bare"), QStringLiteral("validDomains: 'bare.example'"),
        QStringLiteral(
            "var BASE = '%1';\n"
            "function getMediaIdFromURL(u) { return t_getRegExMatch(u, /\\/watch\\/(\\w+)/, 1); }\n"
            "function getMediaDataURL(q) { return BASE + '/media/' + getMediaIdFromURL(q); }\n"
            "function getMediaData(c) { return JSON.parse(c); }\n")
            .arg(base));
}

QJsonObject feedOf(const QString& title, const QStringList& items, const QString& base)
{
    QJsonArray feed;
    for (const QString& item : items) {
        feed.append(QJsonObject {
            { "id", item }, { "title", "Item " + item }, { "permaURL", base + "/watch/" + item } });
    }
    return QJsonObject { { "feedTitle", title }, { "totalResults", int(items.size()) },
        { "feed", feed } };
}

QStringList subTabTexts(const PageForm* page)
{
    return page && page->subTabs() ? MainWindowFixture::tabTexts(page->subTabs()) : QStringList();
}

} // namespace

class PagesTest : public QObject
{
    Q_OBJECT

private:
    TestHttpServer m_server;
    QString m_base;
    std::unique_ptr<MainWindowFixture> m_fixture;
    MainWindow* m_window = nullptr;

    PageForm* currentPage() const { return m_window->mainTabsForm()->currentPage(); }
    QTabWidget* tabs() const { return m_fixture->tabs(); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        m_base = m_server.origin();
        m_server.route("/search", [this](const TestHttpServer::Request&) {
            return TestHttpServer::Response::json(feedOf("Found", { "s1", "s2", "v1" }, m_base));
        });
        for (const char* kind : { "uploads", "favorites", "likes", "related" }) {
            m_server.route(
                QStringLiteral("/feed/") + kind, [this, kind](const TestHttpServer::Request&) {
                    return TestHttpServer::Response::json(feedOf(kind, { "r1", "r2" }, m_base));
                });
        }
        m_server.route("/feed/playlist", [this](const TestHttpServer::Request&) {
            return TestHttpServer::Response::json(feedOf("Night drive", { "p1" }, m_base));
        });
        m_server.serveFile(
            "/user/ann", R"({"userName": "Ann", "userId": "ann"})", "application/json");
        m_server.serveFile("/playlists", R"({"itemCount": 0, "feed": []})", "application/json");
        m_server.serveFile("/media/v1",
            QJsonDocument(QJsonObject { { "id", "v1" }, { "title", longTitle } }).toJson(),
            "application/json");
        m_server.serveFile("/media/v2", R"({"id": "v2", "title": "Second"})", "application/json");
    }

    void init()
    {
        m_fixture = std::make_unique<MainWindowFixture>();
        AppTestSupport::storePrefs({ { "searchableServiceNames", QStringList { "Pagey" } } });
        m_window = m_fixture->open(
            { { "pagey", pageyProgram(m_base) }, { "bare", bareProgram(m_base) } });
        QVERIFY(m_window);
    }
    void cleanup() { m_fixture.reset(); }

    void mediaPageShowsItsItemAndFeeds()
    {
        const QString address = m_base + "/watch/v1?list=p9";
        m_window->openAddress(address, {}, {});
        QTRY_COMPARE(tabs()->tabText(0), MediaTexts::elide(longTitle, 30));
        QCOMPARE(tabs()->tabToolTip(0), longTitle);
        QCOMPARE(int(currentPage()->pageData()->kind()), int(PageDescriptor::Media));
        // The playlist's sub-tab is in front and takes its feed's name once read.
        QTRY_COMPARE(
            subTabTexts(currentPage()), (QStringList { "Related", "Playlist: Night drive" }));
        QCOMPARE(currentPage()->subTabs()->currentIndex(), 1);
        QVERIFY(currentPage()->subTabs()->isVisible());
        const PageRecord visit = m_window->historyModel()->list().value(0);
        QCOMPARE(visit.title, MediaTexts::elide(longTitle, 75));
        QCOMPARE(visit.url, address);
        QCOMPARE(visit.serviceId, "Pagey");
        // Related media load only when their sub-tab is first shown.
        auto* related = qobject_cast<FeedView*>(currentPage()->subTabs()->widget(0));
        QVERIFY(related && !related->hasLoaded());
        currentPage()->subTabs()->setCurrentIndex(0);
        QVERIFY(related->hasLoaded());
        QTRY_COMPARE(qobject_cast<MediaFeedContainer*>(related)->cards().size(), 2);
    }

    void pagesWithoutTheirItemShowAnError_data()
    {
        testColumns<QString>("path");
        testRow("media", "/watch/gone");
        testRow("user", "/user/nobody");
    }

    void pagesWithoutTheirItemShowAnError()
    {
        QFETCH(QString, path);
        const int visits = m_window->historyModel()->list().size();
        m_window->openAddress(m_base + path, {}, {});
        QTRY_COMPARE(tabs()->tabText(0), "Error");
        QVERIFY(!currentPage()->findChild<QWidget*>("busyIndicator"));
        QCOMPARE(m_window->historyModel()->list().size(), visits);
    }

    void mediaPageWithoutFeedsSaysSo()
    {
        m_window->openAddress("https://bare.example/watch/v2", {}, {});
        QTRY_COMPARE(tabs()->tabText(0), "Second");
        QCOMPARE(subTabTexts(currentPage()), QStringList { "Related" });
        auto* message = qobject_cast<PageMessageForm*>(currentPage()->subTabs()->widget(0));
        QVERIFY(message);
        QCOMPARE(message->findChild<QLabel*>()->text(), "Related media not available");
    }

    void userPageHasOneFeedPerKind()
    {
        m_window->openAddress(m_base + "/user/ann", {}, {});
        QTRY_COMPARE(tabs()->tabText(0), "Ann");
        QCOMPARE(subTabTexts(currentPage()), (QStringList { "Uploads", "Favorites", "Liked" }));
        // The first feed loads as it is shown; the others wait for their turn.
        QTRY_COMPARE(
            qobject_cast<MediaFeedContainer*>(currentPage()->subTabs()->widget(0))->cards().size(),
            2);
        QVERIFY(!qobject_cast<FeedView*>(currentPage()->subTabs()->widget(2))->hasLoaded());
        QCOMPARE(m_window->historyModel()->list().value(0).title, "Ann");
    }

    void playlistPageIsTitledByWhatOpenedIt()
    {
        const QString address = m_base + "/playlist?list=p9";
        m_window->openAddress(address, {}, "Night drive", -1, false);
        QTRY_COMPARE(tabs()->tabText(0), "Playlist: Night drive");
        auto* view = currentPage()->findChild<MediaFeedContainer*>();
        QVERIFY(view);
        QTRY_COMPARE(view->cards().size(), 1);
        QCOMPARE(m_window->historyModel()->list().value(0).url, address);
    }

    void itemsOfAFeedOpenTheirPage()
    {
        m_window->openAddress("night", {}, {});
        MediaFeedContainer* view = nullptr;
        QTRY_VERIFY((view = currentPage()->findChild<MediaFeedContainer*>()));
        QTRY_COMPARE(view->cards().size(), 3);
        // Enter on a row of the list, as a keyboard user opens an item.
        view->setViewMode(MediaFeedContainer::List);
        QListWidget* list = view->listWidget();
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(0)->data(Qt::AccessibleTextRole).toString(), "Item s1");
        emit list->itemActivated(list->item(2));
        QTRY_COMPARE(tabs()->tabText(0), MediaTexts::elide(longTitle, 30));
        // The search is one step back.
        QVERIFY(m_window->mainTabsForm()->currentHistory()->canGoBack());
    }
};

KESTROFAN_TEST_MAIN(PagesTest)
#include "tst_pages.moc"
