#include "TestEnvironment.h"
#include "app/AppTestSupport.h"

#include "app/DbConnection.h"
#include "ui/BookmarkDialog.h"
#include "ui/BookmarksForm.h"
#include "ui/BookmarksModel.h"
#include "ui/ClearHistoryDialog.h"
#include "ui/DatetimeTableColumnDelegate.h"
#include "ui/HistoryForm.h"
#include "ui/HistoryModel.h"
#include "ui/URLTableFilterModel.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTreeView>

#include <functional>

namespace {

struct Page
{
    const char* title;
    const char* url;
};

const QList<Page> SamplePages = {
    { "kitten videos", "https://media.example/kittens" },
    { "Cooking channel", "https://media.example/user/cook" },
    { "Night drive playlist", "https://tube.example/playlist?list=night" },
};

void exec(const QString& statement)
{
    QSqlQuery query(DbConnection().connection());
    QVERIFY2(query.exec(statement), qPrintable(statement));
}

QStringList titlesShown(const QAbstractItemModel* model, int titleColumn)
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

} // namespace

// The bookmarks and history lists: their tables, filters, opening and menus' signals.
class BookmarksHistoryTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void bookmarkSortIds_data();
    void bookmarkSortIds();
    void filterMatchesTitleOrAddress_data();
    void filterMatchesTitleOrAddress();
    void contextMenuFollowsSelection_data();
    void contextMenuFollowsSelection();
    void openingAndCopying();
    void deleteKeysRemoveBookmarks_data();
    void deleteKeysRemoveBookmarks();
    void bookmarkDialogNeedsATitle();
    void historyNewestFirstAndCleared();
    void dateColumnText_data();
    void dateColumnText();

private:
    std::unique_ptr<CoreTestContext> m_core;
};

void BookmarksHistoryTest::initTestCase()
{
    m_core = std::make_unique<CoreTestContext>();
    QVERIFY(m_core->isReady());
}

void BookmarksHistoryTest::init()
{
    exec(QStringLiteral("DELETE FROM bookmarks"));
    exec(QStringLiteral("DELETE FROM history"));
    exec(QStringLiteral("DELETE FROM sqlite_sequence WHERE name='history'"));
}

void BookmarksHistoryTest::bookmarkSortIds_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("expectedId");
    QTest::addColumn<int>("expectedSortId");

    QTest::newRow("first bookmark sorts by its own id") << QString() << 1 << 1;
    QTest::newRow("next after the newest")
        << QStringLiteral("INSERT INTO bookmarks (id, title, sort_id) VALUES (4, 'old', 4)") << 5
        << 5;
    QTest::newRow("after a gap in the ids")
        << QStringLiteral("INSERT INTO bookmarks (id, title, sort_id) VALUES (9, 'old', 2)") << 10
        << 10;
}

void BookmarksHistoryTest::bookmarkSortIds()
{
    QFETCH(QString, before);
    QFETCH(int, expectedId);
    QFETCH(int, expectedSortId);
    if (!before.isEmpty())
        exec(before);
    BookmarksModel model(DbConnection().connection());
    QAbstractItemModelTester tester(&model);
    QSignalSpy added(&model, &BookmarksModel::bookmarkAdded);

    model.addBookmark(QStringLiteral("Saved"), QStringLiteral("https://media.example/saved"),
        QStringLiteral("YouTube"));

    QSqlQuery query(DbConnection().connection());
    query.exec(QStringLiteral(
        "SELECT id, sort_id, parent_id, service_id FROM bookmarks WHERE title='Saved'"));
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toInt(), expectedId);
    QCOMPARE(query.value(1).toInt(), expectedSortId);
    QCOMPARE(query.value(2).toInt(), 0);
    QCOMPARE(query.value(3).toString(), QStringLiteral("YouTube"));
    QCOMPARE(added.size(), 1);
    const auto record = added.first().first().value<PageRecord>();
    QCOMPARE(record.url, QStringLiteral("https://media.example/saved"));
    QVERIFY(titlesShown(&model, BookmarksModel::Title).contains(QStringLiteral("Saved")));
}

void BookmarksHistoryTest::filterMatchesTitleOrAddress_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("shown");

    const QStringList all { "kitten videos", "Cooking channel", "Night drive playlist" };
    QTest::newRow("empty shows all") << QString() << all;
    QTest::newRow("upper case finds lower case")
        << QStringLiteral("KITTEN") << QStringList { "kitten videos" };
    QTest::newRow("by address") << QStringLiteral("tube.example")
                                << QStringList { "Night drive playlist" };
    QTest::newRow("title or address") << QStringLiteral("co") << QStringList { "Cooking channel" };
    QTest::newRow("nothing") << QStringLiteral("zebra") << QStringList();
}

void BookmarksHistoryTest::filterMatchesTitleOrAddress()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, shown);
    BookmarksModel bookmarks(DbConnection().connection());
    HistoryModel history(DbConnection().connection());
    for (const Page& page : SamplePages) {
        bookmarks.addBookmark(QLatin1String(page.title), QLatin1String(page.url), QString());
        history.addEntry(QLatin1String(page.title), QLatin1String(page.url), QString());
    }
    BookmarksForm bookmarksForm(&bookmarks);
    HistoryForm historyForm(&history);
    QAbstractItemModelTester bookmarksTester(bookmarksForm.proxyModel());
    QAbstractItemModelTester historyTester(historyForm.proxyModel());
    for (PageListForm* form :
        { static_cast<PageListForm*>(&bookmarksForm), static_cast<PageListForm*>(&historyForm) }) {
        form->findChild<QLineEdit*>(QStringLiteral("filterEdit"))->setText(filter);
        QStringList titles = titlesShown(form->proxyModel(), BookmarksModel::Title);
        titles.sort();
        QStringList expected = shown;
        expected.sort();
        QCOMPARE(titles, expected);
    }
}

void BookmarksHistoryTest::contextMenuFollowsSelection_data()
{
    QTest::addColumn<int>("selectedRows");
    QTest::addColumn<bool>("openEnabled");

    QTest::newRow("one row") << 1 << true;
    QTest::newRow("two rows") << 2 << false;
}

void BookmarksHistoryTest::contextMenuFollowsSelection()
{
    QFETCH(int, selectedRows);
    QFETCH(bool, openEnabled);
    BookmarksModel bookmarks(DbConnection().connection());
    HistoryModel history(DbConnection().connection());
    for (const Page& page : SamplePages) {
        bookmarks.addBookmark(QLatin1String(page.title), QLatin1String(page.url), QString());
        history.addEntry(QLatin1String(page.title), QLatin1String(page.url), QString());
    }
    BookmarksForm bookmarksForm(&bookmarks);
    HistoryForm historyForm(&history);
    const QList<QPair<QAbstractItemView*, QStringList>> views {
        { bookmarksForm.findChild<QTableView*>(QStringLiteral("tableView")),
            { "Copy URL", "Open URL", "Open URL in new tab", "Delete bookmark" } },
        { historyForm.findChild<QTreeView*>(QStringLiteral("treeView")),
            { "Copy URL", "Open URL", "Open URL in new tab" } },
    };
    for (const auto& viewAndEntries : views) {
        QAbstractItemView* view = viewAndEntries.first;
        const QStringList entries = viewAndEntries.second;
        QVERIFY(view);
        for (int row = 0; row < selectedRows; ++row)
            view->selectionModel()->select(view->model()->index(row, 1),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        withContextMenu(view, [&](QMenu* menu) {
            QStringList texts;
            for (QAction* action : menu->actions())
                texts << action->text();
            QCOMPARE(texts, entries);
            for (const QString& text : entries.mid(0, 3))
                QCOMPARE(actionNamed(menu, text)->isEnabled(), openEnabled);
            if (QAction* remove = actionNamed(menu, QStringLiteral("Delete bookmark")))
                QVERIFY(remove->isEnabled());
        });
    }
}

void BookmarksHistoryTest::openingAndCopying()
{
    HistoryModel history(DbConnection().connection());
    for (const Page& page : SamplePages)
        history.addEntry(QLatin1String(page.title), QLatin1String(page.url), QStringLiteral("svc"));
    HistoryForm form(&history);
    auto* view = form.findChild<QTreeView*>(QStringLiteral("treeView"));
    QSignalSpy opened(&form, &PageListForm::openRequested);
    form.findChild<QLineEdit*>(QStringLiteral("filterEdit"))->setText(QStringLiteral("cook"));
    const QModelIndex row = view->model()->index(0, HistoryModel::Title);

    // Double-click opens in the current tab.
    emit view->doubleClicked(row);
    QCOMPARE(opened.size(), 1);
    auto record = opened.last().at(0).value<PageRecord>();
    QCOMPARE(record.url, QStringLiteral("https://media.example/user/cook"));
    QCOMPARE(record.title, QStringLiteral("Cooking channel"));
    QCOMPARE(record.serviceId, QStringLiteral("svc"));
    QCOMPARE(opened.last().at(1).toBool(), false);

    // The menu's entries open in a new tab and copy the address.
    view->setCurrentIndex(row);
    withContextMenu(view,
        [](QMenu* menu) { actionNamed(menu, QStringLiteral("Open URL in new tab"))->trigger(); });
    QCOMPARE(opened.size(), 2);
    QCOMPARE(opened.last().at(1).toBool(), true);
    withContextMenu(
        view, [](QMenu* menu) { actionNamed(menu, QStringLiteral("Copy URL"))->trigger(); });
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("https://media.example/user/cook"));
}

void BookmarksHistoryTest::deleteKeysRemoveBookmarks_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Delete") << int(Qt::Key_Delete);
    QTest::newRow("Backspace") << int(Qt::Key_Backspace);
}

void BookmarksHistoryTest::deleteKeysRemoveBookmarks()
{
    QFETCH(int, key);
    BookmarksModel bookmarks(DbConnection().connection());
    for (const Page& page : SamplePages)
        bookmarks.addBookmark(QLatin1String(page.title), QLatin1String(page.url), QString());
    BookmarksForm form(&bookmarks);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* view = form.findChild<QTableView*>(QStringLiteral("tableView"));
    QSignalSpy removed(&bookmarks, &BookmarksModel::bookmarksRemoved);
    // The second and third rows, shown in the user's order.
    view->setFocus();
    view->selectionModel()->select(QItemSelection(view->model()->index(1, 0),
                                       view->model()->index(2, BookmarksModel::DateTime)),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(view, Qt::Key(key));

    QCOMPARE(removed.size(), 1);
    QCOMPARE(titlesShown(view->model(), BookmarksModel::Title),
        QStringList { QStringLiteral("kitten videos") });
    QCOMPARE(bookmarks.list().size(), 1);
}

void BookmarksHistoryTest::bookmarkDialogNeedsATitle()
{
    BookmarksModel bookmarks(DbConnection().connection());
    QSignalSpy added(&bookmarks, &BookmarksModel::bookmarkAdded);
    BookmarkDialog dialog(&bookmarks, QString(), QStringLiteral("https://media.example/x"));
    auto* add = dialog.findChild<QPushButton*>(QStringLiteral("addButton"));
    add->click();
    QCOMPARE(added.size(), 0);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));

    dialog.findChild<QLineEdit*>(QStringLiteral("titleInput"))->setText(QStringLiteral("X page"));
    add->click();
    QCOMPARE(added.size(), 1);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const QList<PageRecord> list = bookmarks.list();
    QCOMPARE(list.size(), 1);
    QCOMPARE(list.first().title, QStringLiteral("X page"));
    QCOMPARE(list.first().url, QStringLiteral("https://media.example/x"));
    QCOMPARE(list.first().serviceId, QStringLiteral("YouTube"));
}

void BookmarksHistoryTest::historyNewestFirstAndCleared()
{
    HistoryModel history(DbConnection().connection());
    QAbstractItemModelTester tester(&history);
    QSignalSpy added(&history, &HistoryModel::entryAdded);
    QSignalSpy cleared(&history, &HistoryModel::historyCleared);
    for (const Page& page : SamplePages)
        history.addEntry(QLatin1String(page.title), QLatin1String(page.url), QStringLiteral("s"));
    QCOMPARE(added.size(), SamplePages.size());
    const auto record = added.last().first().value<PageRecord>();
    QVERIFY2(
        QDateTime::fromString(record.dateTime, QStringLiteral("yyyy-MM-dd hh:mm:ss")).isValid(),
        qPrintable(record.dateTime));
    QCOMPARE(history.list().first().title, QStringLiteral("Night drive playlist"));
    QCOMPARE(history.list().last().title, QStringLiteral("kitten videos"));

    // The dialog asks; only its acceptance clears.
    ClearHistoryDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Please confirm clearing browsing history"));
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    buttons->button(QDialogButtonBox::Cancel)->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    buttons->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    history.clearHistory();
    QCOMPARE(cleared.size(), 1);
    QCOMPARE(history.rowCount(), 0);
    QVERIFY(history.list().isEmpty());
    history.addEntry(QStringLiteral("again"), QStringLiteral("https://media.example/a"), QString());
    QSqlQuery query(DbConnection().connection());
    query.exec(QStringLiteral("SELECT id FROM history"));
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toInt(), 1);
}

void BookmarksHistoryTest::dateColumnText_data()
{
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("text");
    const QDateTime now(QDate(2024, 6, 15), QTime(18, 0));
    QTest::addColumn<QDateTime>("now");
    QTest::newRow("today") << QDateTime(QDate(2024, 6, 15), QTime(9, 5)) << "Today at 09:05" << now;
    QTest::newRow("yesterday") << QDateTime(QDate(2024, 6, 14), QTime(23, 59))
                               << "Yesterday at 23:59" << now;
    QTest::newRow("this year") << QDateTime(QDate(2024, 2, 3), QTime(7, 30)) << "3/2, 07:30" << now;
    QTest::newRow("other year") << QDateTime(QDate(2023, 12, 31), QTime(22, 10))
                                << "31/12 2023 22:10" << now;
}

void BookmarksHistoryTest::dateColumnText()
{
    QFETCH(QDateTime, when);
    QFETCH(QString, text);
    QFETCH(QDateTime, now);
    QCOMPARE(DatetimeTableColumnDelegate::format(when, now), text);
}

KESTROFAN_TEST_MAIN(BookmarksHistoryTest)
#include "tst_bookmarkshistory.moc"
