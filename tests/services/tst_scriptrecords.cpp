// What plugins declare and return, read into settings and records: the __settings rules,
// property conversions, dates, numbers, feeds with client-side paging, and playlists.

#include "TestEnvironment.h"
#include "services/MediaFeed.h"
#include "services/MediaItem.h"
#include "services/PlaylistFeed.h"
#include "services/PlaylistItem.h"
#include "services/ScriptRecords.h"
#include "services/ScriptValues.h"
#include "services/ServiceSettings.h"
#include "services/UserItem.h"

#include <QJSEngine>

#include <memory>

class TestScriptRecords : public QObject
{
    Q_OBJECT

    QJSEngine m_engine;

    QJSValue object(const QString& source) { return m_engine.evaluate('(' + source + ')'); }

    // A feed object of "count" entries titled "0", "1", ...
    QJSValue feedOf(int count)
    {
        return object(QStringLiteral("{ totalResults: %1, feed: Array.apply(null, Array(%1))"
                                     ".map(function (x, i) { return { title: String(i) }; }) }")
                          .arg(count));
    }

    static QStringList titles(const MediaFeed& feed)
    {
        QStringList result;
        for (const MediaItem& item : feed.items())
            result << item.title();
        return result;
    }

private slots:
    // "field" names what is read back; "error" means the program is refused with that text.
    void settingsRules_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");
        const auto row
            = [](const char* name, const QString& program, const QString& field,
                  const QString& expected) { QTest::newRow(name) << program << field << expected; };
        const auto tube = [](const QString& declaration) {
            return "var __settings = { serviceName: 'Tube', " + declaration + " };";
        };
        row("defaults: 50 a page", tube(""), "itemsPerPage", "50");
        row("defaults: paged", tube(""), "paging", "true");
        row("single domain text", tube("validDomains: 'tube.example'"), "domains", "tube.example");
        row("page size as text", tube("itemsPerPage: '20'"), "itemsPerPage", "20");
        row("page size not numeric", tube("itemsPerPage: 'many'"), "itemsPerPage", "0");
        row("boolean as text is false", tube("supportsSearch: 'true'"), "search", "false");
        row("paging off", tube("feedsHasPaging: false"), "paging", "false");
        row("POST in capitals", tube("searchHttpMethod: 'POST'"), "method",
            QString::number(ServiceSettings::Post));
        row("JSON body", tube("searchRequestContentType: 'Json'"), "body",
            QString::number(ServiceSettings::Json));
        row("oauth2 token", tube("httpAuthMethod: 'oauth2', oaToken: 'abc'"), "token", "abc/2");
        row("OAuth2 spelled otherwise", tube("httpAuthMethod: 'OAuth2', oaToken: 'abc'"), "token",
            "/0");
        row("global name as fallback", "var serviceName = 'Old Style'; var __settings = {};",
            "name", "Old Style");
        row("no name", "var __settings = {};", "error", "serviceName");
        row("unknown method", tube("searchHttpMethod: 'put'"), "error",
            "searchHttpMethod: Unknown value: put");
        row("unknown body format", tube("searchRequestContentType: 'xml'"), "error",
            "searchRequestContentType: Unknown value: xml");
        row("name with a path", "var __settings = { serviceName: '../T' };", "error",
            "serviceName: Not a plain name: ../T");
    }

    void settingsRules()
    {
        QFETCH(QString, program);
        QFETCH(QString, field);
        QFETCH(QString, expected);
        QJSEngine engine;
        engine.evaluate(program);
        ServiceSettings s;
        QString error;
        const bool read = s.read(engine.globalObject(), &error);
        QCOMPARE(read, field != QLatin1String("error"));
        const QVariantMap fields { { "error", error }, { "name", s.serviceName },
            { "itemsPerPage", s.itemsPerPage }, { "paging", s.feedsHasPaging },
            { "search", s.supportsSearch }, { "method", s.searchHttpMethod },
            { "body", s.searchRequestContentType },
            { "domains", QStringList(s.validDomains.cbegin(), s.validDomains.cend()).join(' ') },
            { "token", s.oaToken + '/' + QString::number(s.authMethodNumber()) } };
        QCOMPARE(fields.value(field).toString(), expected);
    }

    void mediaConversions_data()
    {
        QTest::addColumn<QString>("properties");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QString& properties, const QString& field,
                             const QString& expected) {
            QTest::newRow(name) << properties << field << expected;
        };
        row("numeric id", "id: 42", "id", "42");
        row("rating as text", "rating: '4.25'", "rating", "4.25");
        row("rating not numeric", "rating: 'n/a'", "rating", "0");
        row("views cut", "views: 1234.9", "views", "1234");
        row("views too many", "views: 3000000000", "views", "2147483647");
        row("likes as text", "likes: '17'", "likes", "17");
        row("likes too few", "likes: -3000000000", "likes", "-2147483648");
        row("HD as number", "hasHD: 1", "hd", "true");
        // The script's own boolean conversion: a non-empty text is true.
        row("live as text", "streamingNow: 'false'", "live", "true");
        row("null duration", "durationSeconds: null", "duration", "0");
        row("undefined user", "userName: undefined", "user", "");
        row("date-time", "isoDate: '2021-05-04T08:01:01.502Z'", "date", "2021-05-04");
        row("long title", "title: '" + QString(300, 't') + "'", "titleLength", "245");
    }

    void mediaConversions()
    {
        QFETCH(QString, properties);
        QFETCH(QString, field);
        QFETCH(QString, expected);
        const MediaItem item = ScriptRecords::mediaItem(object('{' + properties + '}'), "Tube");
        QCOMPARE(item.serviceName(), QStringLiteral("Tube"));
        const QVariantMap fields { { "id", item.id() }, { "rating", item.rating() },
            { "views", item.views() }, { "likes", item.likes() }, { "hd", item.hasHD() },
            { "live", item.isStreamingNow() }, { "duration", item.durationSeconds() },
            { "user", item.userName() }, { "date", item.isoDate() },
            { "titleLength", int(item.title().size()) } };
        QCOMPARE(fields.value(field).toString(), expected);
    }

    void isoDates_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("stored");
        const auto row = [](const QString& given, const QString& stored) {
            QTest::newRow(qPrintable(given)) << given << stored;
        };
        row("2018-10-01T10:52:46.396Z", "2018-10-01");
        row("2018-10-01T23:30:00+02:00", "2018-10-01");
        row("2020-02-29T12:00:00", "2020-02-29");
        row("2020-02-29", "2020-02-29");
        row("3 days ago", "3 days ago");
        row("2021-02-30", "2021-02-30");
    }

    void isoDates()
    {
        QFETCH(QString, given);
        QFETCH(QString, stored);
        QCOMPARE(ScriptValues::isoDate(given), stored);
    }

    void entryErrorsAreLoggedAndKept()
    {
        QTest::ignoreMessage(QtCriticalMsg, "Error while reading Tube media item: gone");
        const MediaFeed feed = ScriptRecords::mediaFeed(
            object("{ feedTitle: 'F', totalResults: '2', nextPageToken: 'n2', prevPageToken: "
                   "'p0', feed: [ { title: 'a' }, { title: 'b', error: 'gone' } ] }"),
            "Tube", true, 1, 50);
        QCOMPARE(titles(feed), (QStringList { "a", "b" }));
        QCOMPARE(feed.totalResults(), 2);
        QCOMPARE(feed.feedTitle() + feed.nextPageToken() + feed.prevPageToken(),
            QStringLiteral("Fn2p0"));
    }

    void unpagedFeedsArePagedHere_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("count");
        QTest::newRow("page 1") << 1 << 0 << 50;
        QTest::newRow("page 2") << 2 << 50 << 50;
        QTest::newRow("page 3 is short") << 3 << 100 << 20;
        QTest::newRow("page 4 is past the end: everything") << 4 << 0 << 120;
        QTest::newRow("page 0 reads as the first") << 0 << 0 << 50;
    }

    void unpagedFeedsArePagedHere()
    {
        QFETCH(int, page);
        QFETCH(int, first);
        QFETCH(int, count);
        const MediaFeed feed = ScriptRecords::mediaFeed(feedOf(120), "Tube", false, page, 50);
        const QStringList read = titles(feed);
        QCOMPARE(read.size(), count);
        QCOMPARE(read.first(), QString::number(first));
        QCOMPARE(read.last(), QString::number(first + count - 1));
    }

    void pagedFeedsAreReadWhole()
    {
        for (const auto& [paged, size] : { std::pair(true, 50), std::pair(false, 0) }) {
            const MediaFeed feed = ScriptRecords::mediaFeed(feedOf(120), "Tube", paged, 2, size);
            QCOMPARE(feed.items().size(), 120);
        }
        const MediaFeed noArray
            = ScriptRecords::mediaFeed(object("{ feed: 'x' }"), "Tube", true, 1, 50);
        QVERIFY(noArray.items().isEmpty());
    }

    void usersAndPlaylists()
    {
        const UserItem blank = ScriptRecords::userItem(object("{}"), "Tube");
        QCOMPARE(blank.subscriberCount(), 0);
        const UserItem user = ScriptRecords::userItem(
            object("{ userId: 'accounts/u', subscriberCount: 12, uploadsCount: 3 }"), "Tube");
        QCOMPARE(user.userId(), QStringLiteral("accounts/u"));
        QCOMPARE(user.subscriberCount(), 12);
        QCOMPARE(user.uploadsCount(), 3);

        QTest::ignoreMessage(QtCriticalMsg, "Error while reading Tube playlist item: private");
        const PlaylistFeed feed = ScriptRecords::playlistFeed(
            object("{ itemCount: 9, feed: [ { id: 'p1', name: 'One', itemCount: 4 },"
                   "  { id: 'p2', error: 'private' } ] }"),
            "Tube");
        QCOMPARE(feed.itemCount(), 9);
        QCOMPARE(feed.items().size(), 2);
        QCOMPARE(feed.items().first().name(), QStringLiteral("One"));
        QCOMPARE(feed.items().first().itemCount(), 4);
        QCOMPARE(feed.items().last().id(), QStringLiteral("p2"));
    }
};

KESTROFAN_CORE_TEST_MAIN(TestScriptRecords)
#include "tst_scriptrecords.moc"
