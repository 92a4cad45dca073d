#include "TestEnvironment.h"

#include "app/FileNames.h"

// The one rule that turns titles and address names into file names.
class FileNamesTest : public QObject
{
    Q_OBJECT

private slots:
    void cleaned_data()
    {
        testColumns<QString, QString>("text", "name");
        testRow("plain", "My clip.mp4", "My clip.mp4");
        testRow("controls",
            QString("a\x01"
                    "b\tc\nd\x7f"
                    "e"),
            "abcde");
        testRow("C1 control", QString("a") + QChar(0x85) + "b", "ab");
        testRow("right-to-left override", QString("invoice") + QChar(0x202E) + "fdp.exe",
            "invoicefdp.exe");
        testRow("isolates and marks",
            QString(QChar(0x2067)) + "x" + QChar(0x2069) + QChar(0x200F) + "y", "xy");
        testRow("zero-width and byte order mark",
            QString("a") + QChar(0x200B) + "b" + QChar(0x200D) + "c" + QChar(0xFEFF), "abc");
        testRow("separators", "../etc/passwd\\x", "etcpasswdx");
        testRow("hidden", " .. .profile", "profile");
        testRow("line separator", QString("a") + QChar(0x2028) + "b", "ab");
        testRow("other scripts stay", QString::fromUtf8("Клип 動画 🎬"),
            QString::fromUtf8("Клип 動画 🎬"));
    }

    void cleaned()
    {
        auto [text, name] = testFetch<QString, QString>("text", "name");
        QCOMPARE(FileNames::cleaned(text), name);
    }

    void sanitizedTitles_data()
    {
        testColumns<QString, QString>("title", "fileName");
        testRow("reserved", "AC/DC: \"Back\" <in> Black?!*|\\", "AC DC Back in Black");
        testRow("web prefix and ampersand", "https://x.org & http://y", "x.org y");
        testRow("controls", QString("a") + QChar(0) + "b\tc\nd\x7f", "ab c d");
        testRow("bidi override", "evil\u202Egnp.exe", "evilgnp.exe");
        testRow("zero width", "in\u200Bvis\uFEFFible", "invisible");
        testRow("emoji kept", "Song \U0001F3B5", "Song \U0001F3B5");
        testRow("lone surrogate", QString("a") + QChar(0xD800) + "b", "ab");
        testRow("blank runs", "a     b", "a  b");
    }

    void sanitizedTitles()
    {
        QFETCH(QString, title);
        QTEST(FileNames::sanitizedTitleFileName(title), "fileName");
    }

    void fitted_data()
    {
        testColumns<QString, QString, QString, QString>("stem", "suffix", "extension", "name");
        testRow("short", "clip", QString(), "mp4", "clip.mp4");
        testRow("no extension", "clip", " (3)", QString(), "clip (3)");
        testRow("exactly 255", QString(251, 'a'), QString(), "mp4", QString(251, 'a') + ".mp4");
        testRow("numbered at the limit", QString(251, 'a'), " (12)", "mp4",
            QString(246, 'a') + " (12).mp4");
        // Two-byte characters: 125 fit beside ".mp4" (250 bytes), never half of one.
        testRow("two-byte characters", QString(200, QChar(0xE9)), QString(), "mp4",
            QString(125, QChar(0xE9)) + ".mp4");
        // A four-byte emoji is one character of two UTF-16 units: kept whole or dropped.
        testRow("surrogate pair at the cut", QString(249, 'x') + QString::fromUtf8("😀"), QString(),
            "mp4", QString(249, 'x') + ".mp4");
        // Combining marks stay with their letter.
        testRow("combining mark at the cut", QString(249, 'x') + "e" + QChar(0x0301), QString(),
            "mp4", QString(249, 'x') + ".mp4");
    }

    void fitted()
    {
        auto [stem, suffix, extension, name]
            = testFetch<QString, QString, QString, QString>("stem", "suffix", "extension", "name");
        const QString result = FileNames::fitted(stem, suffix, extension);
        QCOMPARE(result, name);
        QVERIFY(result.toUtf8().size() <= FileNames::kMaxBytes);
    }
};

KESTROFAN_CORE_TEST_MAIN(FileNamesTest)
#include "tst_filenames.moc"
