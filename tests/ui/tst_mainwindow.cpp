#include "MainWindowFixture.h"
#include "MessageBoxAnswerer.h"
#include "TestEnvironment.h"

#include "app/DbConnection.h"
#include "app/Prefs.h"
#include "core/AppContext.h"
#include "services/MediaItem.h"
#include "services/MediaServices.h"
#include "ui/AddressBarForm.h"
#include "ui/BookmarksModel.h"
#include "ui/DownloadStarter.h"
#include "ui/ExternalDownloadAddress.h"
#include "ui/FeedItemListView.h"
#include "ui/HistoryModel.h"
#include "ui/MainTabsForm.h"
#include "ui/MainWindow.h"
#include "ui/NavMenuItemDelegate.h"
#include "ui/NavigationHistory.h"
#include "ui/StatusBarPickers.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

namespace {

const QString tubeFunctions = QStringLiteral(
    "function getUserIdFromURL(u) { return t_getRegExMatch(u, /\\/user\\/(\\w+)/, 1); }\n"
    "function getMediaIdFromURL(u) { return t_getRegExMatch(u, /\\/watch\\/(\\w+)/, 1); }\n"
    "function getPlaylistIdFromURL(u) { return t_getRegExMatch(u, /[?&]list=(\\w+)/, 1); }\n"
    "function getQueryStringFromSearchURL(u) { return t_getRegExMatch(u, /[?&]q=([^&]*)/, 1); }\n");

QString tube(const QString& name, const QString& domain)
{
    return pluginProgram(name,
        QStringLiteral("validDomains: ['%1'], supportsSearch: true, supportsPlaylists: true")
            .arg(domain),
        tubeFunctions);
}

QStringList actionTexts(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("--") : action->text());
    return texts;
}

QStringList tabTexts(const QTabWidget* tabs)
{
    return MainWindowFixture::tabTexts(tabs);
}

// What the download engine is asked to do, as the composition root's starter would be.
class RecordingStarter : public DownloadStarter
{
public:
    void startDownload(const MediaItem& item, MediaDescriptor::MediaType type) override
    {
        started << item.permaUrl() + QLatin1Char('/') + MediaDescriptor::mediaTypeName(type);
    }
    void startBatchDownload(FeedDataFetcher*) override { ++batches; }
    void initiateDownload(const QString& address, MediaDescriptor::MediaType type) override
    {
        initiated << address + QLatin1Char('/') + MediaDescriptor::mediaTypeName(type);
    }

    QStringList started;
    QStringList initiated;
    int batches = 0;
};

} // namespace

// The main window over a real registry of two small searching services: its menus and
// shortcuts, the sidebar, the status bar pickers, the menus that follow bookmarks and history,
// the tabs with their back/forward lists, and the "kestrofan:" addresses from outside.
class MainWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_fixture;
    MainWindow* m_window = nullptr;

    void openWindow()
    {
        m_window = m_fixture->open({ { "alpha", tube("Alpha", "alpha.example") },
            { "beta", tube("Beta", "beta.example") } });
        QVERIFY(m_window);
    }

    QTabWidget* tabs() const { return m_fixture->tabs(); }

private slots:
    void init()
    {
        m_fixture = std::make_unique<MainWindowFixture>();
        // Written to the store: the window's context loads the preferences from there.
        AppTestSupport::storePrefs({ { "searchableServiceNames", QStringList { "Alpha", "Beta" } },
            { "searchableServiceNamesOrder", QStringList() }, { "defaultDownloadMediaType", 1 } });
    }
    void cleanup() { m_fixture.reset(); }

    void externalAddresses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("type");
        const QString media = "https://alpha.example/watch/v1";
        QTest::newRow("audio, encoded twice") << "kestrofan:" + media + "%2523audio" << media << 0;
        QTest::newRow("audio, encoded once") << "kestrofan:" + media + "%23audio" << media << 0;
        QTest::newRow("audio") << "kestrofan:" + media + "#audio" << media << 0;
        QTest::newRow("video, encoded twice") << "kestrofan:" + media + "%2523video" << media << 1;
        QTest::newRow("video") << "kestrofan:" + media + "#video" << media << 1;
        QTest::newRow("file: in front") << "file:kestrofan:" + media + "#video" << media << 1;
        QTest::newRow("no kind") << "kestrofan:" + media << "" << -1;
        QTest::newRow("kind in another case") << "kestrofan:" + media + "#VIDEO"
                                              << "" << -1;
        QTest::newRow("other scheme") << media + "#video"
                                      << "" << -1;
        QTest::newRow("nothing but the kind") << "kestrofan:#audio"
                                              << "" << -1;
    }

    void externalAddresses()
    {
        QFETCH(QString, text);
        QFETCH(QString, address);
        QFETCH(int, type);
        const auto parsed = ExternalDownloadAddress::parse(text);
        QCOMPARE(bool(parsed), type >= 0);
        if (parsed) {
            QCOMPARE(parsed->mediaAddress, address);
            QCOMPARE(int(parsed->mediaType), type);
        }
    }

    void navigationHistory()
    {
        NavigationHistory history;
        QVERIFY(!history.canGoBack() && !history.canGoForward());
        QVERIFY(history.back().isEmpty());
        history.push({ "A", "a", -1 });
        history.push({ "A again", "a", -1 });
        QCOMPARE(history.entries().size(), 1);
        history.push({ "B", "b", -1 });
        history.push({ "C", "c", -1 });
        QCOMPARE(history.back().address, "b");
        QCOMPARE(history.back().address, "a");
        QVERIFY(!history.canGoBack());
        QVERIFY(history.canGoForward());
        // A new address after going back: what was ahead stays ahead of it.
        history.push({ "D", "d", 1 });
        QStringList order;
        for (const NavigationEntry& entry : history.entries())
            order << entry.address;
        QCOMPARE(order, (QStringList { "a", "d", "b", "c" }));
        QCOMPARE(history.forward().address, "b");
        history.setViewMode(0);
        QCOMPARE(history.entries().at(2).viewMode, 0);
        QCOMPARE(history.forward().address, "c");
        QVERIFY(history.forward().isEmpty());
        QCOMPARE(history.currentIndex(), 3);
    }

    void actions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("menu");
        const auto row
            = [](const char* name, const char* text, const char* keys, const char* menu) {
                  QTest::newRow(name) << name << text << keys << menu;
              };
        row("actionNew_tab", "New Tab", "Ctrl+T", "menuFile");
        row("actionClose_Tab", "Close Tab", "Ctrl+W", "menuFile");
        row("actionUndo", "Undo", "Ctrl+Z", "menuEdit");
        row("actionRedo", "Redo", "Ctrl+Shift+Z", "menuEdit");
        row("actionCut", "Cut", "Ctrl+X", "menuEdit");
        row("actionCopy", "Copy", "Ctrl+C", "menuEdit");
        row("actionPaste", "Paste", "Ctrl+V", "menuEdit");
        row("actionAdd_bookmark", "Add bookmark", "Ctrl+D", "menuBookmarks");
        row("actionClear_history", "Clear history...", "", "menuHistory");
        row("actionMinimize", "Minimize", "Ctrl+M", "menuWindow");
        row("actionZoom", "Zoom", "", "menuWindow");
        row("actionPrevious_tab", "Previous tab", "Ctrl+Alt+Left", "menuWindow");
        row("actionNext_tab", "Next tab", "Ctrl+Alt+Right", "menuWindow");
        row("actionAbout", "About", "", "menuTools");
        row("actionOptions", "Options", "Ctrl+,", "menuTools");
        row("actionFeedback", "Email bug report/suggestion...", "", "menuFeedback");
        row("actionQuit", "Quit", "Ctrl+Q", "");
    }

    void actions()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, keys);
        QFETCH(QString, menu);
        openWindow();
        MainWindow* window = m_window;
        auto* action = window->findChild<QAction*>(name);
        QVERIFY(action);
        QCOMPARE(action->text(), text);
        QCOMPARE(action->shortcut(), QKeySequence(keys));
        QStringList menus;
        for (QObject* widget : action->associatedObjects()) {
            if (auto* m = qobject_cast<QMenu*>(widget))
                menus << m->objectName();
        }
        QCOMPARE(menus, menu.isEmpty() ? QStringList() : QStringList { menu });
        // Quit lives outside the menus, yet its shortcut works in the window.
        QVERIFY(window->actions().contains(action) || !menu.isEmpty());
    }

    void menusInOrder()
    {
        openWindow();
        MainWindow* window = m_window;
        QStringList titles;
        for (const QAction* action : window->menuBar()->actions())
            titles << action->text();
        QCOMPARE(titles,
            (QStringList {
                "File", "Edit", "Bookmarks", "History", "Window", "Tools", "Feedback" }));
    }

    void sidebar()
    {
        openWindow();
        MainWindow* window = m_window;
        QTreeWidget* nav = window->navBar();
        QCOMPARE(nav->topLevelItemCount(), 1);
        QTreeWidgetItem* header = nav->topLevelItem(0);
        QCOMPARE(header->text(0), "KESTROFAN");
        QVERIFY(!(header->flags() & Qt::ItemIsSelectable));
        QStringList names;
        for (int i = 0; i < header->childCount(); ++i) {
            names << header->child(i)->text(0);
            QCOMPARE(header->child(i)->data(0, Qt::UserRole).toInt(), i);
        }
        QCOMPARE(names, (QStringList { "Browse", "Downloads", "Bookmarks", "History" }));
        QVERIFY(header->child(0)->isSelected());

        window->queueProgress(3, 5);
        QCOMPARE(header->child(1)->data(0, NavMenuItemDelegate::CounterRole).toString(), "3:5");
        QCOMPARE(NavMenuItemDelegate::badgeText("3:5"), "3:5");
        QCOMPARE(NavMenuItemDelegate::badgeText("0:0"), QString());

        // Choosing History shows its page; typing an address goes back to browsing.
        const QRect historyRect = nav->visualItemRect(header->child(3));
        QTest::mouseClick(nav->viewport(), Qt::LeftButton, {}, historyRect.center());
        QCOMPARE(window->contentStack()->currentIndex(), 3);
        QVERIFY(header->child(3)->isSelected() && !header->child(0)->isSelected());
        window->selectNavbarSearch();
        QCOMPARE(window->contentStack()->currentIndex(), 0);
        QCOMPARE(nav->selectedItems(), QList<QTreeWidgetItem*> { header->child(0) });
    }

    void formatPicker_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shown");
        QTest::newRow("audio") << 0 << 0;
        QTest::newRow("video") << 1 << 1;
        QTest::newRow("out of range becomes video") << 7 << 1;
    }

    void formatPicker()
    {
        QFETCH(int, stored);
        QFETCH(int, shown);
        AppTestSupport::storePrefs({ { "defaultDownloadMediaType", stored } });
        openWindow();
        MainWindow* window = m_window;
        QCOMPARE(Prefs::defaultDownloadMediaType(), shown);
        QMenu* menu = window->statusBarPickers()->formatPicker()->menu();
        QCOMPARE(actionTexts(menu), (QStringList { "Download as audio", "Download as video" }));
        QCOMPARE(menu->actions().at(shown)->isChecked(), true);
        menu->actions().at(1 - shown)->trigger();
        QCOMPARE(Prefs::defaultDownloadMediaType(), 1 - shown);
        QVERIFY(
            menu->actions().at(1 - shown)->isChecked() && !menu->actions().at(shown)->isChecked());
    }

    void sizePicker()
    {
        openWindow();
        MainWindow* window = m_window;
        QToolButton* picker = window->statusBarPickers()->sizePicker();
        QCOMPARE(picker->menu()->actions().size(), 5);
        window->setSizePickerValue(3);
        QCOMPARE(picker->text(), MediaDescriptor::videoSizeName(MediaDescriptor::HD720) + "  ");
        picker->menu()->actions().at(4)->trigger();
        QCOMPARE(Prefs::preferredVideoSize(), 5);
        QCOMPARE(picker->text(), MediaDescriptor::videoSizeName(MediaDescriptor::Biggest) + "  ");
        int checked = 0;
        for (const QAction* action : picker->menu()->actions())
            checked += action->isChecked();
        QCOMPARE(checked, 1);
    }

    void pageLoadStatus_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("loading") << 0 << "Loading...";
        QTest::newRow("done") << 1 << "";
        QTest::newRow("error") << 2 << "Error loading page";
        QTest::newRow("timed out") << 3 << "Page request timed out";
    }

    void pageLoadStatus()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        openWindow();
        MainWindow* window = m_window;
        QLabel* label = window->statusBarPickers()->pageStatusLabel();
        window->setPageLoadStatus(code);
        QCOMPARE(label->text(), text);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), QString(), 5000);
    }

    void menusFollowBookmarksAndHistory()
    {
        openWindow();
        MainWindow* window = m_window;
        auto* history = window->findChild<QMenu*>("menuHistory");
        auto* bookmarks = window->findChild<QMenu*>("menuBookmarks");
        QCOMPARE(actionTexts(history), (QStringList { "Clear history...", "--" }));
        window->addHistoryEntry("First", "https://alpha.example/watch/a", "Alpha");
        window->addHistoryEntry("Second", "https://alpha.example/watch/b", "Alpha");
        QCOMPARE(
            actionTexts(history), (QStringList { "Clear history...", "--", "Second", "First" }));
        window->historyModel()->clearHistory();
        QCOMPARE(actionTexts(history), (QStringList { "Clear history...", "--" }));
        window->addHistoryEntry("Third", "https://alpha.example/watch/c", "Alpha");
        QCOMPARE(actionTexts(history), (QStringList { "Clear history...", "--", "Third" }));

        window->bookmarksModel()->addBookmark("Kept", "https://beta.example/watch/k", "Beta");
        QCOMPARE(actionTexts(bookmarks), (QStringList { "Add bookmark", "--", "Kept" }));
        QCOMPARE(bookmarks->actions().at(2)->data().toString(), "https://beta.example/watch/k");
        window->bookmarksModel()->removeBookmarks({ 0 });
        QCOMPARE(actionTexts(bookmarks), (QStringList { "Add bookmark", "--" }));

        // Choosing an entry opens its page.
        history->actions().at(2)->trigger();
        QTRY_COMPARE(m_window->mainTabsForm()->currentPage()->pageData()->query(),
            "https://alpha.example/watch/c");

        // A new window lists what the database holds.
        window->addHistoryEntry("Fourth", "https://alpha.example/watch/d", "Alpha");
        m_fixture->close();
        openWindow();
        window = m_window;
        QCOMPARE(actionTexts(window->findChild<QMenu*>("menuHistory")),
            (QStringList { "Clear history...", "--", "Fourth", "Third" }));
    }

    void tabsMoveWithinBounds()
    {
        openWindow();
        MainWindow* window = m_window;
        QCOMPARE(tabTexts(tabs()), QStringList { "Untitled" });
        // The only tab stays.
        window->findChild<QAction*>("actionClose_Tab")->trigger();
        QCOMPARE(tabs()->count(), 1);
        window->findChild<QAction*>("actionNew_tab")->trigger();
        QCOMPARE(tabs()->count(), 2);
        QCOMPARE(tabs()->currentIndex(), 1);
        window->findChild<QAction*>("actionNext_tab")->trigger();
        QCOMPARE(tabs()->currentIndex(), 1);
        window->findChild<QAction*>("actionPrevious_tab")->trigger();
        QCOMPARE(tabs()->currentIndex(), 0);
        window->findChild<QAction*>("actionPrevious_tab")->trigger();
        QCOMPARE(tabs()->currentIndex(), 0);
        window->findChild<QAction*>("actionClose_Tab")->trigger();
        QCOMPARE(tabs()->count(), 1);
        // Empty text without a new tab does nothing.
        window->openAddress({}, {}, {});
        QCOMPARE(tabs()->count(), 1);
    }

    void servicesMenuKeepsOneService()
    {
        AppTestSupport::storePrefs({ { "searchableServiceNames", QStringList { "Alpha" } } });
        openWindow();
        MainWindow* window = m_window;
        QToolButton* button = window->addressBar()->servicesButton();
        const QList<QAction*> entries = button->menu()->actions();
        QCOMPARE(actionTexts(button->menu()), (QStringList { "Alpha", "Beta" }));
        QVERIFY(entries.at(0)->isChecked() && !entries.at(0)->isEnabled());
        QCOMPARE(button->text(), "Alpha");
        entries.at(1)->trigger();
        QCOMPARE(button->text(), "Multiple");
        QVERIFY(entries.at(0)->isEnabled());
        QCOMPARE(Prefs::searchableServiceNames(), (QStringList { "Alpha", "Beta" }));
        entries.at(0)->trigger();
        QCOMPARE(button->text(), "Beta");
        QVERIFY(!entries.at(1)->isEnabled());
        QCOMPARE(Prefs::searchableServiceNames(), QStringList { "Beta" });
    }

    void searchWordsOpenOneSubTabPerService_data()
    {
        QTest::addColumn<QStringList>("storedOrder");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("subTabs");
        QTest::newRow("name order") << QStringList() << "cats" << QStringList { "Alpha", "Beta" };
        QTest::newRow("stored order first")
            << QStringList { "Beta" } << "cats" << QStringList { "Beta", "Alpha" };
        QTest::newRow("a service's own search address")
            << QStringList() << "https://beta.example/results?q=cats" << QStringList { "Beta" };
    }

    void searchWordsOpenOneSubTabPerService()
    {
        QFETCH(QStringList, storedOrder);
        QFETCH(QString, text);
        QFETCH(QStringList, subTabs);
        AppTestSupport::storePrefs({ { "searchableServiceNamesOrder", storedOrder } });
        openWindow();
        MainWindow* window = m_window;
        window->openAddress(text, {}, {});
        QTRY_VERIFY(window->mainTabsForm()->currentPage()->subTabs());
        QTabWidget* feeds = window->mainTabsForm()->currentPage()->subTabs();
        QCOMPARE(tabTexts(feeds), subTabs);
        QCOMPARE(tabTexts(tabs()), QStringList { text });
        QCOMPARE(window->addressBar()->searchInput()->text(), text);
        // A page in place is no longer loading.
        QCOMPARE(window->statusBarPickers()->pageStatusLabel()->text(), QString());
        // The page went into the history, the menu with it.
        QCOMPARE(window->historyModel()->list().value(0).url, text);

        // Moving a sub-tab stores the new order.
        if (feeds->count() < 2)
            return;
        feeds->tabBar()->moveTab(0, feeds->count() - 1);
        QStringList moved = subTabs;
        moved.move(0, moved.size() - 1);
        QCOMPARE(Prefs::searchableServiceNamesOrder(), moved);
    }

    void addressesOpenInTabsWithHistory()
    {
        openWindow();
        MainWindow* window = m_window;
        AddressBarForm* bar = window->addressBar();
        window->openAddress("https://nowhere.example/x", {}, {});
        QTRY_COMPARE(bar->errorText(), "The URL is not supported");
        QCOMPARE(tabs()->count(), 1);

        window->openAddress("dogs", {}, {});
        QTRY_COMPARE(tabTexts(tabs()), QStringList { "dogs" });
        window->openAddress("dogs", {}, {});
        window->openAddress("cats", {}, {});
        QTRY_COMPARE(tabTexts(tabs()), QStringList { "cats" });
        NavigationHistory* history = window->mainTabsForm()->currentHistory();
        QCOMPARE(history->entries().size(), 3);
        auto* back = bar->findChild<QPushButton*>("backButton");
        auto* forward = bar->findChild<QPushButton*>("forwardButton");
        QVERIFY(back->isEnabled() && !forward->isEnabled());
        back->click();
        QTRY_COMPARE(tabTexts(tabs()), QStringList { "dogs" });
        QTRY_VERIFY(forward->isEnabled());
        QCOMPARE(window->mainTabsForm()->currentHistory()->entries().size(), 3);

        // A new tab with an address opens behind the current one.
        window->openAddress("birds", {}, {}, -1, true);
        QTRY_COMPARE(tabTexts(tabs()), (QStringList { "dogs", "birds" }));
        QCOMPARE(tabs()->currentIndex(), 0);
        QCOMPARE(bar->searchInput()->text(), "dogs");
        tabs()->setCurrentIndex(1);
        QCOMPARE(bar->searchInput()->text(), "birds");

        // Pages asked for one after another: every new tab comes, and of two replacements of
        // the current page only the later one.
        window->openAddress("owls", {}, {}, -1, true);
        window->openAddress("bats", {}, {}, -1, true);
        window->openAddress("moths", {}, {});
        window->openAddress("bees", {}, {});
        QTRY_COMPARE(tabs()->count(), 4);
        QTRY_COMPARE(tabs()->tabText(1), "bees");
        QStringList texts = tabTexts(tabs());
        texts.sort();
        QCOMPARE(texts, (QStringList { "bats", "bees", "dogs", "owls" }));
        QVERIFY(window->historyModel()->list().value(0).url != "moths");
    }

    void externalAddressWithoutDownloaderOpensThePage()
    {
        openWindow();
        MainWindow* window = m_window;
        window->setExternalOpenURL("kestrofan:https://alpha.example/results?q=owls%2523audio");
        QTRY_COMPARE(tabTexts(tabs()), QStringList { "https://alpha.example/results?q=owls" });
        // Without a kind, or for an address no service takes, nothing happens: both are turned
        // away at once, before anything is asked of the services.
        window->setExternalOpenURL("kestrofan:https://alpha.example/results?q=bats");
        window->setExternalOpenURL("kestrofan:ftp://x.example/y#video");
        QCOMPARE(tabTexts(tabs()), QStringList { "https://alpha.example/results?q=owls" });
    }

    void externalAddressesGoToTheDownloader()
    {
        openWindow();
        RecordingStarter starter;
        m_window->setDownloadStarter(&starter);
        m_window->setExternalOpenURL("kestrofan:https://alpha.example/watch/v1%2523audio");
        m_window->setExternalOpenURL("file:kestrofan:https://beta.example/watch/v2#video");
        m_window->setExternalOpenURL("kestrofan:https://beta.example/watch/v3");
        QCOMPARE(starter.initiated,
            (QStringList {
                "https://alpha.example/watch/v1/audio", "https://beta.example/watch/v2/video" }));

        // The item is read: its download starts and its page opens.
        MediaItem item("Alpha");
        item.setPermaUrl("https://alpha.example/watch/v1");
        m_window->downloadInitiatorFinished(item, MediaDescriptor::Audio, item.permaUrl());
        QCOMPARE(starter.started, QStringList { "https://alpha.example/watch/v1/audio" });
        QTRY_COMPARE(m_window->mainTabsForm()->currentPage()->pageData()->query(),
            "https://alpha.example/watch/v1");
        QCOMPARE(tabs()->count(), 1);
    }

    // Without the download engine the window says so instead of dropping the request.
    void downloadsWithoutEngine()
    {
        openWindow();
        MessageBoxAnswerer answerer;
        m_window->startDownload(MediaItem("Alpha"), MediaDescriptor::Video);
        QCOMPARE(answerer.texts, QStringList { "Downloads cannot be started in this build." });
    }

    void windowStateKeepsTheLastNormalGeometry()
    {
        openWindow();
        // Loaded tabs are kept by their addresses; the empty one is not.
        m_window->openAddress("cats", {}, {});
        QTRY_COMPARE(tabTexts(tabs()), QStringList { "cats" });
        m_window->openAddress({}, {}, "Untitled", -1, true);
        QTRY_COMPARE(tabs()->count(), 2);
        m_window->resize(720, 480);
        m_window->move(40, 30);
        m_window->close();
        m_window->showMaximized();
        QTRY_VERIFY(m_window->isMaximized());
        m_window->close();
        QSettings* store = AppContext::settings();
        store->beginGroup("mainwindow");
        QCOMPARE(store->value("size").toSize(), QSize(720, 480));
        QCOMPARE(store->value("maximized").toBool(), true);
        QVERIFY(!store->value("geometry").toByteArray().isEmpty());
        QVERIFY(!store->value("splitter").toByteArray().isEmpty());
        QCOMPARE(store->value("tabs").toStringList(), QStringList { "cats" });
        store->endGroup();

        // The next window comes back maximized.
        m_fixture->close();
        openWindow();
        m_window->restoreWindowState();
        QTRY_VERIFY(m_window->isMaximized());
    }

    void accessibleNames()
    {
        openWindow();
        MainWindow* window = m_window;
        window->openAddress("cats", {}, {});
        QTRY_VERIFY(window->mainTabsForm()->currentPage()->subTabs());
        QStringList unnamed;
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            const bool control = qobject_cast<QAbstractButton*>(widget)
                || qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractItemView*>(widget)
                || qobject_cast<QTabWidget*>(widget);
            if (control && widget->isVisible() && widget->accessibleName().isEmpty())
                unnamed << widget->metaObject()->className() + QStringLiteral(" ")
                        + widget->objectName();
        }
        QCOMPARE(unnamed.join(", "), QString());
    }
};

KESTROFAN_TEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
