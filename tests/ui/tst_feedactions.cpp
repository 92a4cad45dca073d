// What a person does with the items of a feed: the item menu and the keyboard download, open
// and copy the right item, and "Download all" hands the shown page and the feed's other pages
// to the window's downloads.

#include "MainWindowFixture.h"
#include "MessageBoxAnswerer.h"
#include "RecordingStarter.h"
#include "TestEnvironment.h"
#include "TestHttpServer.h"

#include "services/FeedDataFetcher.h"
#include "services/MediaItem.h"
#include "ui/DownloadStarter.h"
#include "ui/FeedItemListView.h"
#include "ui/MainTabsForm.h"
#include "ui/MainWindow.h"
#include "ui/MediaTopForm.h"
#include "ui/PageForm.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>

namespace {

QString feedyProgram(const QString& base)
{
    return pluginProgram(QStringLiteral("Feedy"),
        QStringLiteral("validDomains: '127.0.0.1', supportsSearch: true, supportsUploads: true, "
                       "supportsFavorites: true"),
        QStringLiteral(
            "var BASE = '%1';\n"
            "function getUserIdFromURL(u) { return t_getRegExMatch(u, /\\/user\\/(\\w+)/, 1); }\n"
            "function getSearchFeedURL(q, n, s, t) { return BASE + '/search'; }\n"
            "function getUploadsFeedURL(q, n, s, t) { return BASE + '/feed/uploads'; }\n"
            "function getFavoritesFeedURL(q, n, s, t) { return BASE + '/feed/favorites'; }\n"
            "function getUserDataURL(q) { return BASE + '/user/' + getUserIdFromURL(q); }\n"
            "function getMediaIdFromURL(u) { return t_getRegExMatch(u, /\\/watch\\/(\\w+)/, 1); }\n"
            "function getMediaDataURL(q) { return BASE + '/media/' + getMediaIdFromURL(q); }\n"
            "function getMediaData(c) { return JSON.parse(c); }\n"
            "function getMediaFeed(c) { return JSON.parse(c); }\n"
            "function getUserData(c) { return JSON.parse(c); }\n")
            .arg(base));
}

// A page of two items; "total" tells whether more pages follow.
QJsonObject feedOf(const QString& prefix, int total, const QString& base)
{
    QJsonArray feed;
    for (const QString& id : { prefix + "1", prefix + "2" })
        feed.append(QJsonObject {
            { "id", id }, { "title", "Item " + id }, { "permaURL", base + "/watch/" + id } });
    return QJsonObject { { "totalResults", total }, { "feed", feed } };
}

} // namespace

class FeedActionsTest : public QObject
{
    Q_OBJECT

private:
    TestHttpServer m_server;
    QString m_base;
    std::unique_ptr<MainWindowFixture> m_fixture;
    RecordingStarter m_starter;

    // Opens the address and returns the view of its sub-tab "index" once it shows two items.
    FeedItemListView* openFeed(const QString& address, int index)
    {
        MainWindow* window = m_fixture->window();
        window->openAddress(address, {}, {});
        FeedItemListView* view = nullptr;
        const bool shown = QTest::qWaitFor([&] {
            PageForm* page = window->mainTabsForm()->currentPage();
            if (!page)
                return false;
            // A search page shows its one feed without sub-tabs.
            QWidget* tab = page->subTabs() ? page->subTabs()->widget(index) : page;
            if (page->subTabs() && tab)
                page->subTabs()->setCurrentIndex(index);
            view = qobject_cast<FeedItemListView*>(tab);
            if (!view && tab)
                view = tab->findChild<FeedItemListView*>();
            return view && view->findChild<QListWidget*>()->count() == 2;
        });
        return shown ? view : nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        m_base = m_server.url(QString()).toString();
        if (m_base.endsWith('/'))
            m_base.chop(1);
        m_server.route("/search", [this](const TestHttpServer::Request&) {
            return TestHttpServer::Response::json(feedOf("s", 4000, m_base));
        });
        m_server.route("/feed/uploads", [this](const TestHttpServer::Request&) {
            return TestHttpServer::Response::json(feedOf("u", 2, m_base));
        });
        m_server.route("/feed/favorites", [this](const TestHttpServer::Request&) {
            return TestHttpServer::Response::json(feedOf("f", 4000, m_base));
        });
        m_server.route("/media/m1", [this](const TestHttpServer::Request&) {
            return TestHttpServer::Response::json(QJsonDocument(QJsonObject { { "id", "m1" },
                { "title", "Night drive" }, { "permaURL", m_base + "/watch/m1" } }));
        });
        m_server.serveFile(
            "/user/ann", R"({"userName": "Ann", "userId": "ann"})", "application/json");
    }

    void init()
    {
        m_starter = RecordingStarter();
        m_fixture = std::make_unique<MainWindowFixture>();
        // Audio as the default type tells "Download" apart from "Download as video".
        AppTestSupport::storePrefs({ { "searchableServiceNames", QStringList { "Feedy" } },
            { "defaultDownloadMediaType", 0 } });
        MainWindow* window = m_fixture->open({ { "feedy", feedyProgram(m_base) } });
        QVERIFY(window);
        window->setDownloadStarter(&m_starter);
    }
    void cleanup() { m_fixture.reset(); }

    void menuDownloadsTheItemUnderThePointer_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("type");
        QTest::newRow("default type") << "download" << 1 << int(MediaDescriptor::Audio);
        QTest::newRow("video") << "downloadAsVideo" << 0 << int(MediaDescriptor::Video);
        QTest::newRow("audio") << "downloadAsAudio" << 1 << int(MediaDescriptor::Audio);
    }
    void menuDownloadsTheItemUnderThePointer()
    {
        QFETCH(QString, action);
        QFETCH(int, row);
        QFETCH(int, type);
        FeedItemListView* view = openFeed(m_base + "/user/ann", 0);
        QVERIFY(view);
        auto* list = view->findChild<QListWidget*>();
        // Nothing is current yet: the item actions wait for a row.
        QVERIFY(!view->itemMenu()->findChild<QAction*>(action)->isEnabled());
        const QPoint point = list->visualItemRect(list->item(row)).center();
        emit list->customContextMenuRequested(point);
        QTRY_VERIFY(view->itemMenu()->isVisible());
        QAction* chosen = view->itemMenu()->findChild<QAction*>(action);
        QVERIFY(chosen && chosen->isEnabled());
        QVERIFY(!chosen->text().isEmpty());
        chosen->trigger();
        view->itemMenu()->close();
        QCOMPARE(m_starter.started,
            QStringList { m_base + "/watch/u" + QString::number(row + 1) + '/'
                + MediaDescriptor::mediaTypeName(MediaDescriptor::MediaType(type)) });
        QVERIFY(m_starter.batches.isEmpty());
    }

    void mediaPageDownloadsItsOwnItem_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("type");
        QTest::newRow("button, default type") << "" << int(MediaDescriptor::Audio);
        QTest::newRow("menu, video") << "downloadAsVideo" << int(MediaDescriptor::Video);
    }
    void mediaPageDownloadsItsOwnItem()
    {
        QFETCH(QString, action);
        QFETCH(int, type);
        m_fixture->window()->openAddress(m_base + "/watch/m1", {}, {});
        MediaTopForm* top = nullptr;
        QTRY_VERIFY((top = m_fixture->window()->findChild<MediaTopForm*>()));
        QCOMPARE(top->findChild<QLabel*>("titleLabel")->text(), "Night drive");
        if (action.isEmpty())
            QTest::mouseClick(top->downloadButton(), Qt::LeftButton);
        else
            top->contextMenu()->findChild<QAction*>(action)->trigger();
        QCOMPARE(m_starter.started,
            QStringList { m_base + "/watch/m1/"
                + MediaDescriptor::mediaTypeName(MediaDescriptor::MediaType(type)) });
    }

    void enterOpensAndMenuCopiesTheCurrentItem()
    {
        FeedItemListView* view = openFeed(m_base + "/user/ann", 0);
        QVERIFY(view);
        auto* list = view->findChild<QListWidget*>();
        QApplication::setActiveWindow(list->window());
        list->setFocus();
        QTRY_VERIFY(list->hasFocus());
        list->setCurrentRow(1);
        QSignalSpy opened(view, &FeedView::openAddressRequested);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.at(0).at(0).toString(), m_base + "/watch/u2");
        QCOMPARE(opened.at(0).at(1).toString(), "Item u2");
        QGuiApplication::clipboard()->clear();
        view->itemMenu()->findChild<QAction*>("copyMediaURL")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), m_base + "/watch/u2");
    }

    void downloadAllQueuesThePageAndHandsOverTheRest_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("subTab");
        QTest::addColumn<QStringList>("downloads");
        QTest::addColumn<bool>("batch");
        QTest::newRow("one page") << "/user/ann" << 0 << QStringList { "u1", "u2" } << false;
        QTest::newRow("more pages") << "/user/ann" << 1 << QStringList { "f1", "f2" } << true;
        QTest::newRow("search results") << "" << 0 << QStringList() << false;
    }
    void downloadAllQueuesThePageAndHandsOverTheRest()
    {
        QFETCH(QString, address);
        QFETCH(int, subTab);
        QFETCH(QStringList, downloads);
        QFETCH(bool, batch);
        FeedItemListView* view
            = openFeed(address.isEmpty() ? QStringLiteral("night") : m_base + address, subTab);
        QVERIFY(view);
        QPushButton* button = view->downloadAllButton();
        QCOMPARE(button->isEnabled(), !downloads.isEmpty());
        if (!button->isEnabled())
            return;
        MessageBoxAnswerer answerer;
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(answerer.texts.size(), 1);
        QCOMPARE(answerer.texts.at(0), "Please confirm download of multiple items");
        QStringList started;
        for (const QString& download : std::as_const(m_starter.started))
            started.append(download.section('/', -2, -2) + '/' + download.section('/', -1));
        for (QString& download : downloads)
            download += QStringLiteral("/audio");
        QCOMPARE(started, downloads);
        QCOMPARE(m_starter.batches.size(), batch ? 1 : 0);
        if (batch)
            QCOMPARE(m_starter.batches.at(0), view->fetcher());
    }
};

KESTROFAN_TEST_MAIN(FeedActionsTest)
#include "tst_feedactions.moc"
