// The texts the views make from media records: ages, times, lengths, links.

#include "TestEnvironment.h"

#include "ui/MediaTexts.h"

#include <QtTest>

class TestMediaTexts : public QObject
{
    Q_OBJECT

    const QDate m_today { 2026, 12, 7 };

private slots:
    void relativeDate_data()
    {
        testColumns<int, QString>("daysAgo", "text");
        testRow("today", 0, "Today");
        testRow("one day", 1, "1 day ago");
        testRow("a week", 7, "1 week ago");
        testRow("13 days is still one week", 13, "1 week ago");
        testRow("14 days", 14, "2 weeks ago");
        testRow("31 days", 31, "1 month ago");
        testRow("60 days", 60, "2 months ago");
        testRow("400 days", 400, "1 year ago");
        testRow("730 days", 730, "2 years ago");
        testRow("a date in the future", -3, "-3 days ago");
    }

    void relativeDate()
    {
        const auto [daysAgo, text] = testFetch<int, QString>("daysAgo", "text");
        const QString iso = m_today.addDays(-daysAgo).toString(Qt::ISODate);
        QCOMPARE(MediaTexts::relativeDate(iso, m_today), text);
        QCOMPARE(MediaTexts::relativeDate(iso + "T23:59:00Z", m_today), text);
    }

    void relativeDateLeavesOtherTextAlone()
    {
        QCOMPARE(MediaTexts::relativeDate("last spring", m_today), QString("last spring"));
        QCOMPARE(MediaTexts::relativeDate({}, m_today), QString());
    }

    void duration_data()
    {
        testColumns<int, QString>("seconds", "text");
        testRow("unknown", -1, "--:--");
        testRow("nothing", 0, "00:00");
        testRow("under a minute", 59, "00:59");
        testRow("just under an hour", 3599, "59:59");
        testRow("over an hour", 3661, "01:01:01");
        testRow("hours wrap at a day", 25 * 3600, "01:00:00");
    }

    void duration()
    {
        const auto [seconds, text] = testFetch<int, QString>("seconds", "text");
        QCOMPARE(MediaTexts::duration(seconds), text);
    }

    void links_data()
    {
        testColumns<QString, QString>("text", "rich");
        testRow("plain", "no address", "no address");
        testRow("two addresses", "see http://a.test/x and https://b.test/?q=1 now",
            "see <a href=\"http://a.test/x\">http://a.test/x</a> and "
            "<a href=\"https://b.test/?q=1\">https://b.test/?q=1</a> now");
        testRow("markup stays", "<b>x</b> http://a.test", "<b>x</b> http://a.test");
        testRow("other schemes stay", "ftp://a.test", "ftp://a.test");
    }

    void links()
    {
        const auto [text, rich] = testFetch<QString, QString>("text", "rich");
        QCOMPARE(MediaTexts::links(text), rich);
    }

    void richDescriptionBreaksLinesAfterLinking()
    {
        QCOMPARE(MediaTexts::richDescription("one http://a.test\ntwo"),
            QString("one <a href=\"http://a.test\">http://a.test</a><br>two"));
    }

    void elide_data()
    {
        testColumns<QString, int, QString>("text", "maximum", "elided");
        testRow("short", "Short", 30, "Short");
        testRow("one over", "123456", 5, "12...");
        testRow("tiny maximum", "123456", 2, "...");
    }

    void elide()
    {
        const auto [text, maximum, elided]
            = testFetch<QString, int, QString>("text", "maximum", "elided");
        QCOMPARE(MediaTexts::elide(text, maximum), elided);
    }
};

QTEST_GUILESS_MAIN(TestMediaTexts)
#include "tst_mediatexts.moc"
