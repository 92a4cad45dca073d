#include "TestEnvironment.h"
#include "app/AppTestSupport.h"

#include "app/DbConnection.h"
#include "ui/BookmarkDialog.h"
#include "ui/BookmarksForm.h"
#include "ui/BookmarksModel.h"
#include "ui/DatetimeTableColumnDelegate.h"
#include "ui/HistoryForm.h"
#include "ui/HistoryModel.h"
#include "ui/URLTableFilterModel.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTreeView>

#include <functional>

namespace {

const QList<QPair<QString, QString>> SamplePages = {
    { "kitten videos", "https://media.example/kittens" },
    { "Cooking channel", "https://media.example/user/cook" },
    { "Night drive playlist", "https://tube.example/playlist?list=night" },
};

void exec(const QString& statement)
{
    QSqlQuery query(DbConnection().connection());
    QVERIFY2(query.exec(statement), qPrintable(statement));
}

QStringList titlesShown(const QAbstractItemModel* model, int titleColumn = BookmarksModel::Title)
{
    QStringList titles;
    for (int row = 0; row < model->rowCount(); ++row)
        titles << model->index(row, titleColumn).data().toString();
    return titles;
}

// Opens a view's context menu on its current selection and hands the menu to "use" while
// it is shown.
void withContextMenu(QAbstractItemView* view, const std::function<void(QMenu*)>& use)
{
    bool seen = false;
    QTimer::singleShot(0, view, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        seen = true;
        use(menu);
        menu->close();
    });
    emit view->customContextMenuRequested(QPoint(5, 5));
    QVERIFY(seen);
}

QAction* actionNamed(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

// Both lists over the sample pages, then their forms.
struct Models
{
    explicit Models(const QString& serviceId = QString())
    {
        for (const auto& [title, url] : SamplePages) {
            bookmarks.addBookmark(title, url, serviceId);
            history.addEntry(title, url, serviceId);
        }
    }
    BookmarksModel bookmarks { DbConnection().connection() };
    HistoryModel history { DbConnection().connection() };
};

struct Lists : Models
{
    using Models::Models;
    BookmarksForm bookmarksForm { &bookmarks };
    HistoryForm historyForm { &history };
};

} // namespace

// The bookmarks and history lists: their tables, filters, opening and menus' signals.
class BookmarksHistoryTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<CoreTestContext> m_core;

private slots:
    void initTestCase()
    {
        m_core = std::make_unique<CoreTestContext>();
        QVERIFY(m_core->isReady());
    }

    void init()
    {
        exec("DELETE FROM bookmarks");
        exec("DELETE FROM history");
        exec("DELETE FROM sqlite_sequence WHERE name='history'");
    }

    void bookmarkSortIds_data()
    {
        testColumns<QString, int>("before", "expectedId");
        testRow("first bookmark sorts by its own id", QString(), 1);
        testRow("next after the newest",
            "INSERT INTO bookmarks (id, title, sort_id) VALUES (4, 'old', 4)", 5);
        testRow("after a gap in the ids",
            "INSERT INTO bookmarks (id, title, sort_id) VALUES (9, 'old', 2)", 10);
    }

    void bookmarkSortIds()
    {
        const auto [before, expectedId] = testFetch<QString, int>("before", "expectedId");
        if (!before.isEmpty())
            exec(before);
        BookmarksModel model(DbConnection().connection());
        QAbstractItemModelTester tester(&model);
        QSignalSpy added(&model, &BookmarksModel::bookmarkAdded);

        model.addBookmark("Saved", "https://media.example/saved", "YouTube");

        QSqlQuery query(DbConnection().connection());
        query.exec("SELECT id, sort_id, parent_id, service_id FROM bookmarks WHERE title='Saved'");
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), expectedId);
        QCOMPARE(query.value(1).toInt(), expectedId);
        QCOMPARE(query.value(2).toInt(), 0);
        QCOMPARE(query.value(3).toString(), "YouTube");
        QCOMPARE(added.size(), 1);
        QCOMPARE(added.first().first().value<PageRecord>().url, "https://media.example/saved");
        QVERIFY(titlesShown(&model).contains("Saved"));
    }

    void filterMatchesTitleOrAddress_data()
    {
        testColumns<QString, QStringList>("filter", "shown");
        testRow("empty shows all", QString(),
            QStringList { "Cooking channel", "Night drive playlist", "kitten videos" });
        testRow("upper case finds lower case", "KITTEN", QStringList { "kitten videos" });
        testRow("by address", "tube.example", QStringList { "Night drive playlist" });
        testRow("title or address", "co", QStringList { "Cooking channel" });
        testRow("nothing", "zebra", QStringList());
    }

    void filterMatchesTitleOrAddress()
    {
        const auto [filter, shown] = testFetch<QString, QStringList>("filter", "shown");
        Lists lists;
        QAbstractItemModelTester bookmarksTester(lists.bookmarksForm.proxyModel());
        QAbstractItemModelTester historyTester(lists.historyForm.proxyModel());
        for (PageListForm* form : { static_cast<PageListForm*>(&lists.bookmarksForm),
                 static_cast<PageListForm*>(&lists.historyForm) }) {
            form->findChild<QLineEdit*>("filterEdit")->setText(filter);
            QStringList titles = titlesShown(form->proxyModel());
            titles.sort();
            QCOMPARE(titles, shown);
        }
    }

    void contextMenuFollowsSelection_data()
    {
        testColumns<int, bool>("selectedRows", "openEnabled");
        testRow("one row", 1, true);
        testRow("two rows", 2, false);
    }

    void contextMenuFollowsSelection()
    {
        const auto [selectedRows, openEnabled]
            = testFetch<int, bool>("selectedRows", "openEnabled");
        Lists lists;
        const QList<QPair<QAbstractItemView*, QStringList>> views {
            { lists.bookmarksForm.findChild<QTableView*>("tableView"),
                { "Copy URL", "Open URL", "Open URL in new tab", "Delete bookmark" } },
            { lists.historyForm.findChild<QTreeView*>("treeView"),
                { "Copy URL", "Open URL", "Open URL in new tab" } },
        };
        for (const auto& [view, expected] : views) {
            QVERIFY(view);
            for (int row = 0; row < selectedRows; ++row)
                view->selectionModel()->select(view->model()->index(row, 1),
                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
            const QStringList entries = expected;
            withContextMenu(view, [&](QMenu* menu) {
                QStringList texts;
                for (QAction* action : menu->actions())
                    texts << action->text();
                QCOMPARE(texts, entries);
                for (const QString& text : entries.mid(0, 3))
                    QCOMPARE(actionNamed(menu, text)->isEnabled(), openEnabled);
                if (QAction* remove = actionNamed(menu, "Delete bookmark"))
                    QVERIFY(remove->isEnabled());
            });
        }
    }

    void openingAndCopying()
    {
        Lists lists("svc");
        auto* view = lists.historyForm.findChild<QTreeView*>("treeView");
        QSignalSpy opened(&lists.historyForm, &PageListForm::openRequested);
        lists.historyForm.findChild<QLineEdit*>("filterEdit")->setText("cook");
        const QModelIndex row = view->model()->index(0, HistoryModel::Title);

        // Double-click opens in the current tab.
        emit view->doubleClicked(row);
        QCOMPARE(opened.size(), 1);
        const auto record = opened.last().at(0).value<PageRecord>();
        QCOMPARE(record.url, "https://media.example/user/cook");
        QCOMPARE(record.title, "Cooking channel");
        QCOMPARE(record.serviceId, "svc");
        QCOMPARE(opened.last().at(1).toBool(), false);

        // The menu's entries open in a new tab and copy the address.
        view->setCurrentIndex(row);
        withContextMenu(
            view, [](QMenu* menu) { actionNamed(menu, "Open URL in new tab")->trigger(); });
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened.last().at(1).toBool(), true);
        withContextMenu(view, [](QMenu* menu) { actionNamed(menu, "Copy URL")->trigger(); });
        QCOMPARE(QApplication::clipboard()->text(), "https://media.example/user/cook");
    }

    void deleteKeysRemoveBookmarks_data()
    {
        testColumns<int>("key");
        testRow("Delete", int(Qt::Key_Delete));
        testRow("Backspace", int(Qt::Key_Backspace));
    }

    void deleteKeysRemoveBookmarks()
    {
        const auto [key] = testFetch<int>("key");
        Lists lists;
        BookmarksForm& form = lists.bookmarksForm;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* view = form.findChild<QTableView*>("tableView");
        QSignalSpy removed(&lists.bookmarks, &BookmarksModel::bookmarksRemoved);
        // The second and third rows, shown in the user's order.
        view->setFocus();
        view->selectionModel()->select(QItemSelection(view->model()->index(1, 0),
                                           view->model()->index(2, BookmarksModel::DateTime)),
            QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::keyClick(view, Qt::Key(key));

        QCOMPARE(removed.size(), 1);
        QCOMPARE(titlesShown(view->model()), QStringList { "kitten videos" });
        QCOMPARE(lists.bookmarks.list().size(), 1);
    }

    void bookmarkDialogNeedsATitle()
    {
        BookmarksModel bookmarks(DbConnection().connection());
        QSignalSpy added(&bookmarks, &BookmarksModel::bookmarkAdded);
        BookmarkDialog dialog(&bookmarks, QString(), "https://media.example/x");
        auto* add = dialog.findChild<QPushButton*>("addButton");
        add->click();
        QCOMPARE(added.size(), 0);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));

        dialog.findChild<QLineEdit*>("titleInput")->setText("X page");
        add->click();
        QCOMPARE(added.size(), 1);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const QList<PageRecord> list = bookmarks.list();
        QCOMPARE(list.size(), 1);
        QCOMPARE(list.first().title, "X page");
        QCOMPARE(list.first().url, "https://media.example/x");
        QCOMPARE(list.first().serviceId, "YouTube");
    }

    void historyNewestFirstAndCleared()
    {
        HistoryModel history(DbConnection().connection());
        QAbstractItemModelTester tester(&history);
        QSignalSpy added(&history, &HistoryModel::entryAdded);
        QSignalSpy cleared(&history, &HistoryModel::historyCleared);
        for (const auto& [title, url] : SamplePages)
            history.addEntry(title, url, "s");
        QCOMPARE(added.size(), SamplePages.size());
        const QString when = added.last().first().value<PageRecord>().dateTime;
        QVERIFY2(QDateTime::fromString(when, "yyyy-MM-dd hh:mm:ss").isValid(), qPrintable(when));
        QCOMPARE(history.list().first().title, "Night drive playlist");
        QCOMPARE(history.list().last().title, "kitten videos");

        history.clearHistory();
        QCOMPARE(cleared.size(), 1);
        QCOMPARE(history.rowCount(), 0);
        QVERIFY(history.list().isEmpty());
        // The ids start again from one.
        history.addEntry("again", "https://media.example/a", QString());
        QSqlQuery query(DbConnection().connection());
        query.exec("SELECT id FROM history");
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), 1);
    }

    void dateColumnText_data()
    {
        testColumns<QDateTime, QString>("when", "text");
        testRow("today", QDateTime(QDate(2024, 6, 15), QTime(9, 5)), "Today at 09:05");
        testRow("yesterday", QDateTime(QDate(2024, 6, 14), QTime(23, 59)), "Yesterday at 23:59");
        testRow("this year", QDateTime(QDate(2024, 2, 3), QTime(7, 30)), "3/2, 07:30");
        testRow("other year", QDateTime(QDate(2023, 12, 31), QTime(22, 10)), "31/12 2023 22:10");
    }

    void dateColumnText()
    {
        const auto [when, text] = testFetch<QDateTime, QString>("when", "text");
        const QDateTime now(QDate(2024, 6, 15), QTime(18, 0));
        QCOMPARE(DatetimeTableColumnDelegate::format(when, now), text);
    }
};

KESTROFAN_TEST_MAIN(BookmarksHistoryTest)
#include "tst_bookmarkshistory.moc"
