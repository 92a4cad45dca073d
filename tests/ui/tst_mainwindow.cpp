#include "MainWindowFixture.h"
#include "MessageBoxAnswerer.h"
#include "RecordingStarter.h"
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
#include "ui/HistoryModel.h"
#include "ui/MainTabsForm.h"
#include "ui/MainWindow.h"
#include "ui/NavMenuItemDelegate.h"
#include "ui/NavigationHistory.h"
#include "ui/StatusBarPickers.h"

#include <QLabel>
#include <QLineEdit>
#include <QMap>
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

QStringList actionTexts(const QWidget* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("--") : action->text());
    return texts;
}

const auto tabTexts = &MainWindowFixture::tabTexts;

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
        testColumns<QString, QString, int>("text", "address", "type");
        const QString media = "https://alpha.example/watch/v1";
        testRow("audio, encoded twice", "kestrofan:" + media + "%2523audio", media, 0);
        testRow("audio, encoded once", "kestrofan:" + media + "%23audio", media, 0);
        testRow("video", "kestrofan:" + media + "#video", media, 1);
        testRow("file: in front", "file:kestrofan:" + media + "#video", media, 1);
        testRow("no kind", "kestrofan:" + media, QString(), -1);
        testRow("kind in another case", "kestrofan:" + media + "#VIDEO", QString(), -1);
        testRow("other scheme", media + "#video", QString(), -1);
        testRow("nothing but the kind", "kestrofan:#audio", QString(), -1);
    }

    void externalAddresses()
    {
        const auto [text, address, type]
            = testFetch<QString, QString, int>("text", "address", "type");
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

    // No two of the window's actions share a shortcut, and Quit's works outside the menus.
    void shortcutsAreUnique()
    {
        openWindow();
        QList<QAction*> actions = m_window->actions();
        for (const QAction* menu : m_window->menuBar()->actions())
            actions += menu->menu()->actions();
        QMap<QString, QStringList> owners;
        for (const QAction* action : actions) {
            if (!action->shortcut().isEmpty())
                owners[action->shortcut().toString()] << action->objectName();
        }
        QVERIFY(owners.size() > 10);
        for (const QStringList& names : owners)
            QVERIFY2(names.size() == 1, qPrintable(names.join(", ")));
        QVERIFY(m_window->actions().contains(m_window->findChild<QAction*>("actionQuit")));
    }

    void sidebar()
    {
        openWindow();
        QTreeWidget* nav = m_window->navBar();
        QCOMPARE(nav->topLevelItemCount(), 1);
        QTreeWidgetItem* header = nav->topLevelItem(0);
        QVERIFY(!(header->flags() & Qt::ItemIsSelectable));
        QCOMPARE(header->childCount(), 4);
        for (int i = 0; i < header->childCount(); ++i)
            QCOMPARE(header->child(i)->data(0, Qt::UserRole).toInt(), i);
        QVERIFY(header->child(0)->isSelected());

        m_window->queueProgress(3, 5);
        QCOMPARE(header->child(1)->data(0, NavMenuItemDelegate::CounterRole).toString(), "3:5");
        QCOMPARE(NavMenuItemDelegate::badgeText("0:0"), QString());

        // Choosing History shows its page; typing an address goes back to browsing.
        const QRect historyRect = nav->visualItemRect(header->child(3));
        QTest::mouseClick(nav->viewport(), Qt::LeftButton, {}, historyRect.center());
        QCOMPARE(m_window->contentStack()->currentIndex(), 3);
        QVERIFY(header->child(3)->isSelected() && !header->child(0)->isSelected());
        m_window->selectNavbarSearch();
        QCOMPARE(m_window->contentStack()->currentIndex(), 0);
        QCOMPARE(nav->selectedItems(), QList<QTreeWidgetItem*> { header->child(0) });
    }

    void formatPicker_data()
    {
        testColumns<int, int>("stored", "shown");
        testRow("audio", 0, 0);
        testRow("video", 1, 1);
        testRow("out of range becomes video", 7, 1);
    }

    void formatPicker()
    {
        const auto [stored, shown] = testFetch<int, int>("stored", "shown");
        AppTestSupport::storePrefs({ { "defaultDownloadMediaType", stored } });
        openWindow();
        QCOMPARE(Prefs::defaultDownloadMediaType(), shown);
        QMenu* menu = m_window->statusBarPickers()->formatPicker()->menu();
        QCOMPARE(menu->actions().at(shown)->isChecked(), true);
        menu->actions().at(1 - shown)->trigger();
        QCOMPARE(Prefs::defaultDownloadMediaType(), 1 - shown);
        QVERIFY(
            menu->actions().at(1 - shown)->isChecked() && !menu->actions().at(shown)->isChecked());
    }

    void sizePicker()
    {
        openWindow();
        QToolButton* picker = m_window->statusBarPickers()->sizePicker();
        m_window->setSizePickerValue(3);
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
        testColumns<int, QString>("code", "text");
        testRow("loading", 0, "Loading...");
        testRow("done", 1, "");
        testRow("error", 2, "Error loading page");
        testRow("timed out", 3, "Page request timed out");
    }

    void pageLoadStatus()
    {
        const auto [code, text] = testFetch<int, QString>("code", "text");
        openWindow();
        QLabel* label = m_window->statusBarPickers()->pageStatusLabel();
        m_window->setPageLoadStatus(code);
        QCOMPARE(label->text(), text);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), QString(), 5000);
    }

    void menusFollowBookmarksAndHistory()
    {
        openWindow();
        auto* history = m_window->findChild<QMenu*>("menuHistory");
        auto* bookmarks = m_window->findChild<QMenu*>("menuBookmarks");
        QCOMPARE(actionTexts(history), (QStringList { "Clear history...", "--" }));
        m_window->addHistoryEntry("First", "https://alpha.example/watch/a", "Alpha");
        m_window->addHistoryEntry("Second", "https://alpha.example/watch/b", "Alpha");
        QCOMPARE(
            actionTexts(history), (QStringList { "Clear history...", "--", "Second", "First" }));
        m_window->historyModel()->clearHistory();
        QCOMPARE(actionTexts(history), (QStringList { "Clear history...", "--" }));
        m_window->addHistoryEntry("Third", "https://alpha.example/watch/c", "Alpha");
        QCOMPARE(actionTexts(history), (QStringList { "Clear history...", "--", "Third" }));

        m_window->bookmarksModel()->addBookmark("Kept", "https://beta.example/watch/k", "Beta");
        QCOMPARE(actionTexts(bookmarks), (QStringList { "Add bookmark", "--", "Kept" }));
        QCOMPARE(bookmarks->actions().at(2)->data().toString(), "https://beta.example/watch/k");
        m_window->bookmarksModel()->removeBookmarks({ 0 });
        QCOMPARE(actionTexts(bookmarks), (QStringList { "Add bookmark", "--" }));

        // Choosing an entry opens its page.
        history->actions().at(2)->trigger();
        QTRY_COMPARE(m_window->mainTabsForm()->currentPage()->pageData()->query(),
            "https://alpha.example/watch/c");

        // A new window lists what the database holds.
        m_window->addHistoryEntry("Fourth", "https://alpha.example/watch/d", "Alpha");
        m_fixture->close();
        openWindow();
        QCOMPARE(actionTexts(m_window->findChild<QMenu*>("menuHistory")),
            (QStringList { "Clear history...", "--", "Fourth", "Third" }));
    }

    void tabsMoveWithinBounds()
    {
        openWindow();
        // Each step: the action, then the tab count and the current tab.
        const QList<std::tuple<const char*, int, int>> steps { { "actionClose_Tab", 1, 0 },
            { "actionNew_tab", 2, 1 }, { "actionNext_tab", 2, 1 }, { "actionPrevious_tab", 2, 0 },
            { "actionPrevious_tab", 2, 0 }, { "actionClose_Tab", 1, 0 } };
        for (const auto& [name, count, current] : steps) {
            m_window->findChild<QAction*>(name)->trigger();
            QCOMPARE(tabs()->count(), count);
            QCOMPARE(tabs()->currentIndex(), current);
        }
        // Empty text without a new tab does nothing.
        m_window->openAddress({}, {}, {});
        QCOMPARE(tabs()->count(), 1);
    }

    void servicesMenuKeepsOneService()
    {
        AppTestSupport::storePrefs({ { "searchableServiceNames", QStringList { "Alpha" } } });
        openWindow();
        QToolButton* button = m_window->addressBar()->servicesButton();
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
        testColumns<QStringList, QString, QStringList>("storedOrder", "text", "subTabs");
        testRow("name order", QStringList(), "cats", QStringList { "Alpha", "Beta" });
        testRow(
            "stored order first", QStringList { "Beta" }, "cats", QStringList { "Beta", "Alpha" });
        testRow("a service's own search address", QStringList(),
            "https://beta.example/results?q=cats", QStringList { "Beta" });
    }

    void searchWordsOpenOneSubTabPerService()
    {
        const auto [storedOrder, text, subTabs]
            = testFetch<QStringList, QString, QStringList>("storedOrder", "text", "subTabs");
        AppTestSupport::storePrefs({ { "searchableServiceNamesOrder", storedOrder } });
        openWindow();
        m_window->openAddress(text, {}, {});
        QTRY_VERIFY(m_window->mainTabsForm()->currentPage()->subTabs());
        QTabWidget* feeds = m_window->mainTabsForm()->currentPage()->subTabs();
        QCOMPARE(tabTexts(feeds), subTabs);
        // A search address is titled by the words it searches for.
        QCOMPARE(tabTexts(tabs()), QStringList { text.section('=', -1) });
        QCOMPARE(m_window->addressBar()->searchInput()->text(), text);
        // A page in place is no longer loading.
        QCOMPARE(m_window->statusBarPickers()->pageStatusLabel()->text(), QString());
        // The page went into the history, the menu with it.
        QCOMPARE(m_window->historyModel()->list().value(0).url, text);

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
        AddressBarForm* bar = m_window->addressBar();
        m_window->openAddress("https://nowhere.example/x", {}, {});
        QTRY_COMPARE(bar->errorText(), "The URL is not supported");
        QCOMPARE(tabs()->count(), 1);

        m_window->openAddress("dogs", {}, {});
        QTRY_COMPARE(tabTexts(tabs()), QStringList { "dogs" });
        m_window->openAddress("dogs", {}, {});
        m_window->openAddress("cats", {}, {});
        QTRY_COMPARE(tabTexts(tabs()), QStringList { "cats" });
        NavigationHistory* history = m_window->mainTabsForm()->currentHistory();
        QCOMPARE(history->entries().size(), 3);
        auto* back = bar->findChild<QPushButton*>("backButton");
        auto* forward = bar->findChild<QPushButton*>("forwardButton");
        QVERIFY(back->isEnabled() && !forward->isEnabled());
        back->click();
        QTRY_COMPARE(tabTexts(tabs()), QStringList { "dogs" });
        QTRY_VERIFY(forward->isEnabled());
        QCOMPARE(m_window->mainTabsForm()->currentHistory()->entries().size(), 3);

        // A new tab with an address opens behind the current one.
        m_window->openAddress("birds", {}, {}, -1, true);
        QTRY_COMPARE(tabTexts(tabs()), (QStringList { "dogs", "birds" }));
        QCOMPARE(tabs()->currentIndex(), 0);
        QCOMPARE(bar->searchInput()->text(), "dogs");
        tabs()->setCurrentIndex(1);
        QCOMPARE(bar->searchInput()->text(), "birds");

        // Pages asked for one after another: every new tab comes, and of two replacements of
        // the current page only the later one.
        m_window->openAddress("owls", {}, {}, -1, true);
        m_window->openAddress("bats", {}, {}, -1, true);
        m_window->openAddress("moths", {}, {});
        m_window->openAddress("bees", {}, {});
        QTRY_COMPARE(tabs()->count(), 4);
        QTRY_COMPARE(tabs()->tabText(1), "bees");
        QStringList texts = tabTexts(tabs());
        texts.sort();
        QCOMPARE(texts, (QStringList { "bats", "bees", "dogs", "owls" }));
        QVERIFY(m_window->historyModel()->list().value(0).url != "moths");
    }

    void externalAddressesOpenPagesOrDownloads()
    {
        openWindow();
        // Without the download engine a kestrofan: address opens its page, and a download
        // says it cannot start instead of dropping the request.
        m_window->setExternalOpenURL("kestrofan:https://alpha.example/results?q=owls%2523audio");
        QTRY_COMPARE(tabTexts(tabs()), QStringList { "owls" });
        // Without a kind, or for an address no service takes, nothing happens: both are turned
        // away at once, before anything is asked of the services.
        m_window->setExternalOpenURL("kestrofan:https://alpha.example/results?q=bats");
        m_window->setExternalOpenURL("kestrofan:ftp://x.example/y#video");
        QCOMPARE(tabTexts(tabs()), QStringList { "owls" });
        {
            MessageBoxAnswerer answerer;
            m_window->startDownload(MediaItem("Alpha"), MediaDescriptor::Video);
            QCOMPARE(answerer.texts, QStringList { "Downloads cannot be started in this build." });
        }

        RecordingStarter starter;
        m_window->setDownloadStarter(&starter);
        m_window->setExternalOpenURL("kestrofan:https://alpha.example/watch/v1%2523audio");
        m_window->setExternalOpenURL("file:kestrofan:https://beta.example/watch/v2#video");
        m_window->setExternalOpenURL("kestrofan:https://beta.example/watch/v3");
        QCOMPARE(starter.initiated,
            (QStringList {
                "https://alpha.example/watch/v1/audio", "https://beta.example/watch/v2/video" }));

        // The item is read: its download starts and its page opens in the same tab.
        MediaItem item("Alpha");
        item.setPermaUrl("https://alpha.example/watch/v1");
        m_window->downloadInitiatorFinished(item, MediaDescriptor::Audio, item.permaUrl());
        QCOMPARE(starter.started, QStringList { "https://alpha.example/watch/v1/audio" });
        QTRY_COMPARE(m_window->mainTabsForm()->currentPage()->pageData()->query(),
            "https://alpha.example/watch/v1");
        QCOMPARE(tabs()->count(), 1);
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
        m_window->openAddress("cats", {}, {});
        QTRY_VERIFY(m_window->mainTabsForm()->currentPage()->subTabs());
        QStringList unnamed;
        for (QWidget* widget : m_window->findChildren<QWidget*>()) {
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
