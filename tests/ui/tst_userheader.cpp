// The header of a user page read from a local server: the user's facts, the playlist row and
// its tiles, and when the header says it is laid out.

#include "MainWindowFixture.h"
#include "TestEnvironment.h"
#include "TestHttpServer.h"

#include "services/FormHelper.h"
#include "services/UserDataFetcher.h"
#include "ui/KQLabel.h"
#include "ui/MainTabsForm.h"
#include "ui/MainWindow.h"
#include "ui/PageForm.h"
#include "ui/PlaylistItemForm.h"
#include "ui/UserTopForm.h"

#include <QDesktopServices>
#include <QJsonArray>
#include <QJsonObject>
#include <QMenu>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QString channelProgram(const QString& base)
{
    return pluginProgram(QStringLiteral("Channels"),
        QStringLiteral("validDomains: '127.0.0.1', supportsPlaylists: true, supportsUploads: true"),
        QStringLiteral(
            "var BASE = '%1';\n"
            "function getUserIdFromURL(u) { return t_getRegExMatch(u, /\\/user\\/(\\w+)/, 1); }\n"
            "function getPlaylistIdFromURL(u) { return t_getRegExMatch(u, /[?&]list=(\\w+)/, 1); "
            "}\n"
            "function getUploadsFeedURL(q, n, s, t) { return BASE + '/feed'; }\n"
            "function getPlaylistFeedURL(p, u, n, s, t) { return BASE + '/feed'; }\n"
            "function getPlaylistsFeedURL(q) { return BASE + '/playlists/' + "
            "getUserIdFromURL(q); }\n"
            "function getUserDataURL(q) { return BASE + '/user/' + getUserIdFromURL(q); }\n"
            "function getMediaFeed(c) { return JSON.parse(c); }\n"
            "function getUserData(c) { return JSON.parse(c); }\n"
            "function getPlayLists(c) { return JSON.parse(c); }\n")
            .arg(base));
}

template<typename Widget> Widget* child(const QWidget* parent, const char* name)
{
    return parent->findChild<Widget*>(QLatin1String(name));
}

} // namespace

class UserHeaderTest : public QObject
{
    Q_OBJECT

private:
    TestHttpServer m_server;
    QString m_base;
    std::unique_ptr<MainWindowFixture> m_fixture;
    MainWindow* m_window = nullptr;
    QList<QUrl> m_browserOpened;

    QTabWidget* tabs() const { return m_fixture->tabs(); }

    void serveUser(const QString& id, const QJsonObject& facts, const QJsonArray& playlists)
    {
        QJsonObject user = facts;
        user.insert("userName", id.toUpper());
        user.insert("permaURL", m_base + "/user/" + id);
        m_server.serveFile("/user/" + id, QJsonDocument(user).toJson(), "application/json");
        m_server.serveFile("/playlists/" + id,
            QJsonDocument(QJsonObject { { "feed", playlists } }).toJson(), "application/json");
    }

    // The header over the user page's own fetcher, after it said it is laid out.
    std::unique_ptr<UserTopForm> loadedHeader(UserDataFetcher* fetcher, const QString& id)
    {
        auto form = std::make_unique<UserTopForm>(fetcher, m_base + "/user/" + id);
        QSignalSpy loaded(form.get(), &UserTopForm::formLoaded);
        QSignalSpy playlists(fetcher, &UserDataFetcher::playlistsReady);
        fetcher->start();
        if (!QTest::qWaitFor([&] { return loaded.size() == 1 && playlists.size() == 1; }, 10000))
            return nullptr;
        return form;
    }

public slots:
    void recordBrowserAddress(const QUrl& url) { m_browserOpened.append(url); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        m_base = m_server.origin();
        m_server.serveFile(
            "/feed", R"({"feedTitle": "Night drive", "feed": []})", "application/json");
        QFile tall(FormHelper::fallbackImagePath());
        QVERIFY(tall.open(QIODevice::ReadOnly));
        m_server.serveFile("/tall.png", tall.readAll(), "image/png");
        const QJsonArray twoPlaylists {
            QJsonObject { { "id", "p1" }, { "name", "Night drive" }, { "itemCount", 12 },
                { "permaURL", m_base + "/playlist?list=p1" } },
            QJsonObject { { "id", "p2" }, { "name", "Mornings" }, { "itemCount", 3 },
                { "permaURL", m_base + "/playlist?list=p2" } },
        };
        serveUser("cleo",
            { { "subscriberCount", 1234567 }, { "location", "Oslo" },
                { "summary", "Films at https://example.com/films\nand more" },
                { "imageURL", m_base + "/tall.png" } },
            twoPlaylists);
        serveUser("zero", { { "subscriberCount", 0 } }, {});
        serveUser("quiet", { { "subscriberCount", -1 } }, {});
        for (const char* scheme : { "http", "https", "file" })
            QDesktopServices::setUrlHandler(scheme, this, "recordBrowserAddress");
    }

    void init()
    {
        m_fixture = std::make_unique<MainWindowFixture>();
        m_window = m_fixture->open({ { "channels", channelProgram(m_base) } });
        QVERIFY(m_window);
        m_browserOpened.clear();
    }
    void cleanup() { m_fixture.reset(); }
    void cleanupTestCase()
    {
        for (const char* scheme : { "http", "https", "file" })
            QDesktopServices::unsetUrlHandler(scheme);
    }

    void headerShowsTheUser_data()
    {
        testColumns<QString, QString, bool, QString, int>(
            "id", "subscribers", "subscribersShown", "location", "playlists");
        testRow("with everything", "cleo", QLocale().toString(1234567), true, "Oslo", 2);
        testRow("no subscribers", "zero", "N/A", true, QString(), 0);
        testRow("count not told", "quiet", "N/A", false, QString(), 0);
    }

    void headerShowsTheUser()
    {
        auto [id, subscribers, subscribersShown, location, playlists]
            = testFetch<QString, QString, bool, QString, int>(
                "id", "subscribers", "subscribersShown", "location", "playlists");
        UserDataFetcher fetcher(
            m_window->services(), SearchParams(m_base + "/user/" + id), "Channels");
        const auto form = loadedHeader(&fetcher, id);
        QVERIFY(form);
        form->show();
        QCOMPARE(child<QLabel>(form.get(), "usernameLabel")->text(), id.toUpper());
        const auto* count = child<QLabel>(form.get(), "subscriberCountLabel");
        QCOMPARE(count->text(), subscribers);
        QCOMPARE(count->isVisible(), subscribersShown);
        QCOMPARE(child<QLabel>(form.get(), "locationLabel")->isVisible(), !location.isEmpty());
        QCOMPARE(child<QLabel>(form.get(), "locationLabel")->text(), location);
        QCOMPARE(form->findChildren<PlaylistItemForm*>().size(), playlists);
        QCOMPARE(child<QWidget>(form.get(), "playlistContainer")->isVisible(), playlists > 0);
        QCOMPARE(form->userPageAddress(), m_base + "/user/" + id);
    }

    void pictureDescriptionAndPlaylistsOfAUser()
    {
        UserDataFetcher fetcher(
            m_window->services(), SearchParams(m_base + "/user/cleo"), "Channels");
        const auto form = loadedHeader(&fetcher, "cleo");
        QVERIFY(form);
        // Taller than its label: scaled to the label's height less 10.
        const QLabel* picture = child<QLabel>(form.get(), "imageLabel");
        QCOMPARE(picture->pixmap().height(), picture->height() - 10);
        const QString description = child<QLabel>(form.get(), "descriptionLabel")->text();
        QVERIFY2(description.contains("<a href=\"https://example.com/films\">https://example.com/"
                                      "films</a><br>and more</body></html>"),
            qPrintable(description));
        // Only web addresses of a description reach the browser.
        auto* descriptionLabel = child<QLabel>(form.get(), "descriptionLabel");
        emit descriptionLabel->linkActivated("file:///etc/passwd");
        emit descriptionLabel->linkActivated("https://example.com/films");
        QCOMPARE(m_browserOpened, QList<QUrl> { QUrl("https://example.com/films") });

        // Late news of the same playlists builds no second row.
        emit fetcher.playlistsReady();
        form->populate();
        const QList<PlaylistItemForm*> tiles = form->findChildren<PlaylistItemForm*>();
        QCOMPARE(tiles.size(), 2);
        QCOMPARE(tiles.at(0)->imageLabel()->text(), "(12)");
    }

    void headerSitsAboveTheFeedsAndItsTilesOpenPlaylists()
    {
        m_window->openAddress(m_base + "/user/cleo", {}, {});
        QTRY_COMPARE(tabs()->tabText(0), "CLEO");
        PageForm* page = m_window->mainTabsForm()->currentPage();
        auto* header = page->findChild<UserTopForm*>();
        QVERIFY(header);
        QCOMPARE(header->parentWidget()->layout()->indexOf(header), 0);
        QTRY_COMPARE(header->findChildren<PlaylistItemForm*>().size(), 2);
        PlaylistItemForm* second = header->findChildren<PlaylistItemForm*>().at(1);

        second->contextMenu()->findChild<QAction*>("showListInBrowser")->trigger();
        QCOMPARE(m_browserOpened, QList<QUrl> { QUrl(m_base + "/playlist?list=p2") });

        second->contextMenu()->findChild<QAction*>("openInNewTab")->trigger();
        QTRY_COMPARE(tabs()->count(), 2);
        QTRY_COMPARE(tabs()->tabText(1), "Playlist: Mornings");
        QCOMPARE(tabs()->tabText(0), "CLEO");

        tabs()->setCurrentIndex(0);
        // The right button is the menu's, the left one opens the playlist here.
        QTest::mouseClick(second->imageLabel(), Qt::RightButton);
        QCOMPARE(tabs()->tabText(0), "CLEO");
        QTest::mouseClick(
            header->findChildren<PlaylistItemForm*>().at(0)->imageLabel(), Qt::LeftButton);
        QTRY_COMPARE(tabs()->tabText(0), "Playlist: Night drive");
        QCOMPARE(tabs()->count(), 2);
    }
};

KESTROFAN_TEST_MAIN(UserHeaderTest)
#include "tst_userheader.moc"
