// What plugins declare and return, read into settings and records: the __settings rules,
// property conversions, dates, numbers, feeds with client-side paging, and playlists.

#include "TestEnvironment.h"
#include "services/MediaFeed.h"
#include "services/MediaItem.h"
#include "services/PlaylistFeed.h"
#include "services/PlaylistItem.h"
#include "services/ScriptRecords.h"
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
        testColumns<QString, QString, QString>("program", "field", "expected");
        const auto tube = [](const QString& declaration) {
            return "var __settings = { serviceName: 'Tube', " + declaration + " };";
        };
        testRow("defaults: 50 a page", tube(""), "itemsPerPage", "50");
        testRow("defaults: paged", tube(""), "paging", "true");
        testRow(
            "single domain text", tube("validDomains: 'tube.example'"), "domains", "tube.example");
        testRow("page size as text", tube("itemsPerPage: '20'"), "itemsPerPage", "20");
        testRow("page size not numeric", tube("itemsPerPage: 'many'"), "itemsPerPage", "0");
        testRow("boolean as text is false", tube("supportsSearch: 'true'"), "search", "false");
        testRow("paging off", tube("feedsHasPaging: false"), "paging", "false");
        testRow("POST in capitals", tube("searchHttpMethod: 'POST'"), "method",
            QString::number(ServiceSettings::Post));
        testRow("JSON body", tube("searchRequestContentType: 'Json'"), "body",
            QString::number(ServiceSettings::Json));
        testRow("oauth2 token", tube("httpAuthMethod: 'oauth2', oaToken: 'abc'"), "token", "abc/2");
        testRow("OAuth2 spelled otherwise", tube("httpAuthMethod: 'OAuth2', oaToken: 'abc'"),
            "token", "/0");
        testRow("global name as fallback", "var serviceName = 'Old Style'; var __settings = {};",
            "name", "Old Style");
        testRow("no name", "var __settings = {};", "error", "serviceName");
        testRow("unknown method", tube("searchHttpMethod: 'put'"), "error",
            "searchHttpMethod: Unknown value: put");
        testRow("unknown body format", tube("searchRequestContentType: 'xml'"), "error",
            "searchRequestContentType: Unknown value: xml");
        testRow("name with a path", "var __settings = { serviceName: '../T' };", "error",
            "serviceName: Not a plain name: ../T");
    }

    void settingsRules()
    {
        auto [program, field, expected]
            = testFetch<QString, QString, QString>("program", "field", "expected");
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
        testColumns<QString, QString, QString>("properties", "field", "expected");
        testRow("numeric id", "id: 42", "id", "42");
        testRow("rating as text", "rating: '4.25'", "rating", "4.25");
        testRow("rating not numeric", "rating: 'n/a'", "rating", "0");
        testRow("views cut", "views: 1234.9", "views", "1234");
        testRow("views too many", "views: 3000000000", "views", "2147483647");
        testRow("likes as text", "likes: '17'", "likes", "17");
        testRow("likes too few", "likes: -3000000000", "likes", "-2147483648");
        testRow("HD as number", "hasHD: 1", "hd", "true");
        // The script's own boolean conversion: a non-empty text is true.
        testRow("live as text", "streamingNow: 'false'", "live", "true");
        testRow("null duration", "durationSeconds: null", "duration", "0");
        testRow("undefined user", "userName: undefined", "user", "");
        testRow("date-time", "isoDate: '2021-05-04T08:01:01.502Z'", "date", "2021-05-04");
        testRow(
            "date-time with offset", "isoDate: '2018-10-01T23:30:00+02:00'", "date", "2018-10-01");
        testRow("date-time without zone", "isoDate: '2020-02-29T12:00:00'", "date", "2020-02-29");
        testRow("date only", "isoDate: '2020-02-29'", "date", "2020-02-29");
        testRow("words kept", "isoDate: '3 days ago'", "date", "3 days ago");
        testRow("impossible date kept", "isoDate: '2021-02-30'", "date", "2021-02-30");
        testRow("long title", "title: '" + QString(300, 't') + "'", "titleLength", "245");
    }

    void mediaConversions()
    {
        auto [properties, field, expected]
            = testFetch<QString, QString, QString>("properties", "field", "expected");
        const MediaItem item = ScriptRecords::mediaItem(object('{' + properties + '}'), "Tube");
        QCOMPARE(item.serviceName(), "Tube");
        const QVariantMap fields { { "id", item.id() }, { "rating", item.rating() },
            { "views", item.views() }, { "likes", item.likes() }, { "hd", item.hasHD() },
            { "live", item.isStreamingNow() }, { "duration", item.durationSeconds() },
            { "user", item.userName() }, { "date", item.isoDate() },
            { "titleLength", int(item.title().size()) } };
        QCOMPARE(fields.value(field).toString(), expected);
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
        QCOMPARE(feed.feedTitle() + feed.nextPageToken() + feed.prevPageToken(), "Fn2p0");
        QVERIFY(ScriptRecords::mediaFeed(object("{ feed: 'x' }"), "Tube", true, 1, 50)
                    .items()
                    .isEmpty());
    }

    // Feeds without paging of their own are cut into pages here; others are read whole.
    void feedPages_data()
    {
        testColumns<bool, int, int, int, int>("paged", "page", "size", "first", "count");
        testRow("page 1", false, 1, 50, 0, 50);
        testRow("page 2", false, 2, 50, 50, 50);
        testRow("page 3 is short", false, 3, 50, 100, 20);
        testRow("page 4 is past the end: everything", false, 4, 50, 0, 120);
        testRow("page 0 reads as the first", false, 0, 50, 0, 50);
        testRow("no page size: everything", false, 2, 0, 0, 120);
        testRow("paged by the service", true, 2, 50, 0, 120);
    }

    void feedPages()
    {
        auto [paged, page, size, first, count]
            = testFetch<bool, int, int, int, int>("paged", "page", "size", "first", "count");
        const QStringList read
            = titles(ScriptRecords::mediaFeed(feedOf(120), "Tube", paged, page, size));
        QCOMPARE(read.size(), count);
        QCOMPARE(read.first(), QString::number(first));
        QCOMPARE(read.last(), QString::number(first + count - 1));
    }

    void usersAndPlaylists()
    {
        const UserItem blank = ScriptRecords::userItem(object("{}"), "Tube");
        QCOMPARE(blank.subscriberCount(), 0);
        const UserItem user = ScriptRecords::userItem(
            object("{ userId: 'accounts/u', subscriberCount: 12, uploadsCount: 3 }"), "Tube");
        QCOMPARE(user.userId(), "accounts/u");
        QCOMPARE(user.subscriberCount(), 12);
        QCOMPARE(user.uploadsCount(), 3);

        QTest::ignoreMessage(QtCriticalMsg, "Error while reading Tube playlist item: private");
        const PlaylistFeed feed = ScriptRecords::playlistFeed(
            object("{ itemCount: 9, feed: [ { id: 'p1', name: 'One', itemCount: 4 },"
                   "  { id: 'p2', error: 'private' } ] }"),
            "Tube");
        QCOMPARE(feed.itemCount(), 9);
        QCOMPARE(feed.items().size(), 2);
        QCOMPARE(feed.items().first().name(), "One");
        QCOMPARE(feed.items().first().itemCount(), 4);
        QCOMPARE(feed.items().last().id(), "p2");
    }
};

KESTROFAN_CORE_TEST_MAIN(TestScriptRecords)
#include "tst_scriptrecords.moc"
