// The thumbnail grid's layout: rows justified to the width, heights for widths.

#include "TestEnvironment.h"

#include "ui/FlowLayout.h"

#include <QWidget>
#include <QtTest>

class TestFlowLayout : public QObject
{
    Q_OBJECT

    // "count" cards of 320 x 250 in a widget "width" wide; the x of every card and the y of
    // every row.
    static std::pair<QList<int>, QList<int>> arrange(int width, int count)
    {
        QWidget content;
        auto* flow = new FlowLayout(&content, 20, 1, 30);
        QList<QWidget*> cards;
        for (int index = 0; index < count; ++index) {
            auto* card = new QWidget(&content);
            card->setFixedSize(320, 250);
            flow->addWidget(card);
            cards.append(card);
        }
        flow->setGeometry(QRect(0, 0, width, flow->heightForWidth(width)));
        QList<int> xs;
        QList<int> rows;
        for (const QWidget* card : cards) {
            xs.append(card->x());
            if (!rows.contains(card->y()))
                rows.append(card->y());
        }
        return { xs, rows };
    }

private slots:
    void rows_data()
    {
        testColumns<int, int, QList<int>, QList<int>>("width", "count", "xs", "rows");
        // Two cards a row: the 360 pixels left over make three equal gaps.
        testRow("two a row", 1000, 5, QList<int> { 120, 560, 120, 560, 120 },
            QList<int> { 20, 300, 580 });
        testRow("all in one row", 2000, 3, QList<int> { 333, 986, 1639 }, QList<int> { 20 });
        // Narrower than a card: one a row from the left edge, never past the right one.
        testRow("too narrow", 300, 2, QList<int> { 0, 0 }, QList<int> { 20, 300 });
    }

    void rows()
    {
        const auto [width, count, xs, rows]
            = testFetch<int, int, QList<int>, QList<int>>("width", "count", "xs", "rows");
        const auto [placedXs, placedRows] = arrange(width, count);
        QCOMPARE(placedXs, xs);
        QCOMPARE(placedRows, rows);
    }

    void heightFollowsTheRows()
    {
        QWidget content;
        FlowLayout flow(nullptr, 20, 1, 30);
        QVERIFY(flow.hasHeightForWidth());
        QCOMPARE(flow.heightForWidth(1000), 40);
        for (int index = 0; index < 3; ++index) {
            auto* card = new QWidget(&content);
            card->setFixedSize(320, 250);
            flow.addWidget(card);
        }
        // Two rows of 250 with 30 between them and margins of 20 above and below.
        QCOMPARE(flow.heightForWidth(1000), 20 + 250 + 30 + 250 + 20);
        QCOMPARE(flow.heightForWidth(2000), 20 + 250 + 20);
    }
};

QTEST_MAIN(TestFlowLayout)
#include "tst_flowlayout.moc"
