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

private:
    QJSEngine m_engine;

    QJSValue object(const QString& source)
    {
        return m_engine.evaluate(QLatin1Char('(') + source + QLatin1Char(')'));
    }

    bool readSettings(const QString& program, ServiceSettings* settings, QString* error)
    {
        QJSEngine engine;
        engine.evaluate(program);
        return settings->read(engine.globalObject(), error);
    }

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
        for (const MediaItem* item : feed.items())
            result << item->title();
        return result;
    }

private slots:
    void settingsDefaults()
    {
        ServiceSettings settings;
        QString error;
        QVERIFY(readSettings(
            QStringLiteral("var __settings = { serviceName: 'Tube' };"), &settings, &error));
        QCOMPARE(settings.serviceName, QStringLiteral("Tube"));
        QVERIFY(settings.validDomains.isEmpty());
        QVERIFY(!settings.supportsSearch && !settings.supportsPlaylists && !settings.isAudioOnly);
        QVERIFY(settings.feedsHasPaging);
        QCOMPARE(settings.searchHttpMethod, int(ServiceSettings::Get));
        QCOMPARE(settings.searchRequestContentType, int(ServiceSettings::FormData));
        QCOMPARE(settings.authMethodNumber(), int(ServiceSettings::NoAuth));
        QCOMPARE(settings.itemsPerPage, 50);
        QCOMPARE(settings.revision, 0);
    }

    void settingsValueRules_data()
    {
        QTest::addColumn<QString>("declaration");
        QTest::addColumn<QString>("check");
        QTest::newRow("single domain string") << "validDomains: 'tube.example'"
                                              << "domains";
        QTest::newRow("items per page as text") << "itemsPerPage: '20'"
                                                << "20";
        QTest::newRow("items per page not numeric") << "itemsPerPage: 'many'"
                                                    << "0";
        QTest::newRow("boolean as text is false") << "supportsSearch: 'true'"
                                                  << "nosearch";
        QTest::newRow("paging off") << "feedsHasPaging: false"
                                    << "unpaged";
        QTest::newRow("POST in capitals") << "searchHttpMethod: 'POST'"
                                          << "post";
        QTest::newRow("JSON body") << "searchRequestContentType: 'Json'"
                                   << "json";
        QTest::newRow("oauth2 token") << "httpAuthMethod: 'oauth2', oaToken: 'abc'"
                                      << "token";
        QTest::newRow("OAuth2 spelled otherwise") << "httpAuthMethod: 'OAuth2', oaToken: 'abc'"
                                                  << "notoken";
    }

    void settingsValueRules()
    {
        QFETCH(QString, declaration);
        QFETCH(QString, check);
        ServiceSettings settings;
        QString error;
        QVERIFY2(
            readSettings(
                QStringLiteral("var __settings = { serviceName: 'Tube', %1 };").arg(declaration),
                &settings, &error),
            qPrintable(error));
        if (check == QLatin1String("domains"))
            QCOMPARE(settings.validDomains, QSet<QString> { QStringLiteral("tube.example") });
        else if (check == QLatin1String("20"))
            QCOMPARE(settings.itemsPerPage, 20);
        else if (check == QLatin1String("0"))
            QCOMPARE(settings.itemsPerPage, 0);
        else if (check == QLatin1String("nosearch"))
            QVERIFY(!settings.supportsSearch);
        else if (check == QLatin1String("unpaged"))
            QVERIFY(!settings.feedsHasPaging);
        else if (check == QLatin1String("post"))
            QCOMPARE(settings.searchHttpMethod, int(ServiceSettings::Post));
        else if (check == QLatin1String("json"))
            QCOMPARE(settings.searchRequestContentType, int(ServiceSettings::Json));
        else if (check == QLatin1String("token")) {
            QCOMPARE(settings.oaToken, QStringLiteral("abc"));
            QCOMPARE(settings.authMethodNumber(), int(ServiceSettings::OAuth2));
        } else if (check == QLatin1String("notoken")) {
            QVERIFY(settings.oaToken.isEmpty());
            QCOMPARE(settings.authMethodNumber(), int(ServiceSettings::NoAuth));
        }
    }

    void settingsThatCannotBeUsed_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("error");
        QTest::newRow("no name") << "var __settings = {};"
                                 << "serviceName";
        QTest::newRow("unknown method")
            << "var __settings = { serviceName: 'T', searchHttpMethod: 'put' };"
            << "searchHttpMethod: Unknown value: put";
        QTest::newRow("unknown body format")
            << "var __settings = { serviceName: 'T', searchRequestContentType: 'xml' };"
            << "searchRequestContentType: Unknown value: xml";
        QTest::newRow("name with a path") << "var __settings = { serviceName: '../T' };"
                                          << "serviceName: Not a plain name: ../T";
    }

    void settingsThatCannotBeUsed()
    {
        QFETCH(QString, program);
        QFETCH(QString, error);
        ServiceSettings settings;
        QString message;
        QVERIFY(!readSettings(program, &settings, &message));
        QCOMPARE(message, error);
    }

    void globalServiceNameIsTheFallback()
    {
        ServiceSettings settings;
        QString error;
        QVERIFY(readSettings(QStringLiteral("var serviceName = 'Old Style'; var __settings = {};"),
            &settings, &error));
        QCOMPARE(settings.serviceName, QStringLiteral("Old Style"));
    }

    void mediaObjectConversions()
    {
        const QJSValue media = object(QStringLiteral(
            "{ id: 42, title: 'T', rating: '4.25', views: 1234.9, likes: '17', hasHD: 1,"
            "  streamingNow: 'false', durationSeconds: null, userName: undefined,"
            "  isoDate: '2021-05-04T08:01:01.502Z', thumbW: 320, thumbH: 180,"
            "  thumbWHQ: 1280, thumbHHQ: 720, thumbWSmall: 120, thumbHSmall: 90 }"));
        std::unique_ptr<MediaItem> item(ScriptRecords::mediaItem(media, QStringLiteral("Tube")));
        QCOMPARE(item->id(), QStringLiteral("42"));
        QVERIFY(item->isIdSet());
        QCOMPARE(item->serviceName(), QStringLiteral("Tube"));
        QCOMPARE(item->rating(), 4.25f);
        QCOMPARE(item->views(), 1234);
        QCOMPARE(item->likes(), 17);
        QVERIFY(item->hasHD());
        // The script's own boolean conversion: a non-empty text is true.
        QVERIFY(item->isStreamingNow());
        QCOMPARE(item->durationSeconds(), 0);
        QVERIFY(item->userName().isEmpty());
        QCOMPARE(item->isoDate(), QStringLiteral("2021-05-04"));
        QCOMPARE(item->thumbWidth(), 320);
        QCOMPARE(item->thumbHeightHQ(), 720);
        QCOMPARE(item->smallThumbHeight(), 90);
        QCOMPARE(item->targetMediaType(), -1);
        QCOMPARE(item->videoFormat(), -1);
    }

    void numbersStayInRange()
    {
        std::unique_ptr<MediaItem> item(ScriptRecords::mediaItem(
            object(QStringLiteral("{ views: 3000000000, likes: -3000000000, rating: 'n/a' }")),
            QStringLiteral("Tube")));
        QCOMPARE(item->views(), std::numeric_limits<int>::max());
        QCOMPARE(item->likes(), std::numeric_limits<int>::min());
        QCOMPARE(item->rating(), 0.0f);
    }

    void isoDates_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("stored");
        QTest::newRow("date-time with zone") << "2018-10-01T10:52:46.396Z"
                                             << "2018-10-01";
        QTest::newRow("date-time with offset") << "2018-10-01T23:30:00+02:00"
                                               << "2018-10-01";
        QTest::newRow("date-time without zone") << "2020-02-29T12:00:00"
                                                << "2020-02-29";
        QTest::newRow("date only") << "2020-02-29"
                                   << "2020-02-29";
        QTest::newRow("relative text") << "3 days ago"
                                       << "3 days ago";
        QTest::newRow("invalid day") << "2021-02-30"
                                     << "2021-02-30";
        QTest::newRow("empty") << ""
                               << "";
    }

    void isoDates()
    {
        QFETCH(QString, given);
        QFETCH(QString, stored);
        QCOMPARE(ScriptValues::isoDate(given), stored);
    }

    void titleIsReadBackShortened()
    {
        const QString longTitle(300, QLatin1Char('t'));
        std::unique_ptr<MediaItem> item(ScriptRecords::mediaItem(
            object(QStringLiteral("{ title: '%1' }").arg(longTitle)), QStringLiteral("Tube")));
        QCOMPARE(item->title().size(), 245);
        std::unique_ptr<MediaItem> copy(item->clone());
        QCOMPARE(copy->title(), item->title());
        QVERIFY(!copy->parent());
    }

    void entryErrorsAreLoggedAndKept()
    {
        QTest::ignoreMessage(QtCriticalMsg, "Error while reading Tube media item: gone");
        std::unique_ptr<MediaFeed> feed(ScriptRecords::mediaFeed(
            object(QStringLiteral("{ feedTitle: 'F', totalResults: '2', nextPageToken: 'n2',"
                                  "  prevPageToken: 'p0',"
                                  "  feed: [ { title: 'a' }, { title: 'b', error: 'gone' } ] }")),
            QStringLiteral("Tube"), true, 1, 50));
        QCOMPARE(titles(*feed), (QStringList { "a", "b" }));
        QCOMPARE(feed->feedTitle(), QStringLiteral("F"));
        QCOMPARE(feed->totalResults(), 2);
        QCOMPARE(feed->nextPageToken(), QStringLiteral("n2"));
        QCOMPARE(feed->prevPageToken(), QStringLiteral("p0"));
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
        std::unique_ptr<MediaFeed> feed(
            ScriptRecords::mediaFeed(feedOf(120), QStringLiteral("Tube"), false, page, 50));
        const QStringList read = titles(*feed);
        QCOMPARE(read.size(), count);
        QCOMPARE(read.first(), QString::number(first));
        QCOMPARE(read.last(), QString::number(first + count - 1));
    }

    void pagedFeedsAreReadWhole()
    {
        std::unique_ptr<MediaFeed> paged(
            ScriptRecords::mediaFeed(feedOf(120), QStringLiteral("Tube"), true, 2, 50));
        QCOMPARE(paged->items().size(), 120);
        std::unique_ptr<MediaFeed> noPageSize(
            ScriptRecords::mediaFeed(feedOf(120), QStringLiteral("Tube"), false, 2, 0));
        QCOMPARE(noPageSize->items().size(), 120);
        std::unique_ptr<MediaFeed> noArray(ScriptRecords::mediaFeed(
            object(QStringLiteral("{ feed: 'x' }")), QStringLiteral("Tube"), true, 1, 50));
        QVERIFY(noArray->items().isEmpty());
    }

    void takingItemsHandsOverOwnership()
    {
        std::unique_ptr<MediaFeed> feed(
            ScriptRecords::mediaFeed(feedOf(3), QStringLiteral("Tube"), true, 1, 50));
        std::unique_ptr<QList<MediaItem*>> items(feed->takeItems());
        QCOMPARE(items->size(), 3);
        QVERIFY(feed->items().isEmpty());
        qDeleteAll(*items);
    }

    void userObject()
    {
        std::unique_ptr<UserItem> blank(
            ScriptRecords::userItem(object(QStringLiteral("{}")), QStringLiteral("Tube")));
        QCOMPARE(UserItem(QStringLiteral("Tube")).subscriberCount(), -1);
        QCOMPARE(blank->subscriberCount(), 0);
        std::unique_ptr<UserItem> user(ScriptRecords::userItem(
            object(QStringLiteral("{ userName: 'U', userId: 'accounts/u', channelId: 'c',"
                                  "  subscriberCount: 12, location: 'here', imageURL: 'i',"
                                  "  summary: 's', uploadsCount: 3, favoritesCount: 4,"
                                  "  permaURL: 'p' }")),
            QStringLiteral("Tube")));
        QCOMPARE(user->userId(), QStringLiteral("accounts/u"));
        QCOMPARE(user->subscriberCount(), 12);
        QCOMPARE(user->uploadsCount(), 3);
        QCOMPARE(user->favoritesCount(), 4);
        QCOMPARE(user->imageUrl(), QStringLiteral("i"));
        QCOMPARE(user->serviceName(), QStringLiteral("Tube"));
    }

    void playlists()
    {
        QTest::ignoreMessage(QtCriticalMsg, "Error while reading Tube playlist item: private");
        std::unique_ptr<PlaylistFeed> feed(ScriptRecords::playlistFeed(
            object(QStringLiteral("{ itemCount: 9, feed: [ { id: 'p1', name: 'One', itemCount: "
                                  "4, userId: 'u', permaURL: 'x' }, { id: 'p2', error: "
                                  "'private' } ] }")),
            QStringLiteral("Tube")));
        QCOMPARE(feed->itemCount(), 9);
        QCOMPARE(feed->items().size(), 2);
        const PlaylistItem* first = feed->items().first();
        QCOMPARE(first->name(), QStringLiteral("One"));
        QCOMPARE(first->itemCount(), 4);
        QVERIFY(first->thumbUrl().isEmpty());
        QCOMPARE(feed->items().last()->id(), QStringLiteral("p2"));
    }

    void feedKindNames()
    {
        QCOMPARE(FeedKind::displayName(FeedKind::Uploads), QStringLiteral("Uploads"));
        QCOMPARE(FeedKind::displayName(FeedKind::Likes), QStringLiteral("Liked"));
        QCOMPARE(FeedKind::displayName(FeedKind::Related), QStringLiteral("Related"));
        QCOMPARE(FeedKind::displayName(99), QStringLiteral("Unknown feed"));
    }
};

KESTROFAN_CORE_TEST_MAIN(TestScriptRecords)
#include "tst_scriptrecords.moc"
