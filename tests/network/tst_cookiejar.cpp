#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include "app/AppTestSupport.h"
#include "net/CookieJar.h"

#include <atomic>

namespace {

QNetworkCookie cookie(const QByteArray& name, const QByteArray& value, const QString& domain,
    const QString& path = "/")
{
    QNetworkCookie result(name, value);
    result.setDomain(domain);
    result.setPath(path);
    return result;
}

QByteArray streamed(const QList<QNetworkCookie>& cookies)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << cookies;
    return bytes;
}

QList<QNetworkCookie> readBack(const QByteArray& bytes)
{
    QDataStream stream(bytes);
    QList<QNetworkCookie> cookies;
    stream >> cookies;
    return cookies;
}

QByteArray names(const QList<QNetworkCookie>& cookies)
{
    QList<QByteArray> result;
    for (const QNetworkCookie& each : cookies)
        result << each.name();
    std::sort(result.begin(), result.end());
    return result.join(',');
}

} // namespace

class CookieJarTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(AppTestSupport::installDatabase()); }

    void init() { QFile::remove(CookieJar::storeFileName()); }

    void streamFormIsCountThenRawForms()
    {
        QNetworkCookie full = cookie("sid", "v=1/2", ".example.org");
        full.setSecure(true);
        full.setHttpOnly(true);
        full.setExpirationDate(QDateTime(QDate(2031, 1, 2), QTime(3, 4, 5), Qt::UTC));
        const QList<QNetworkCookie> cookies { full, cookie("x", "1", "h.test") };
        const QByteArray bytes = streamed(cookies);

        QByteArray expected;
        QDataStream stream(&expected, QIODevice::WriteOnly);
        stream << qint32(2) << full.toRawForm(QNetworkCookie::Full)
               << cookies.at(1).toRawForm(QNetworkCookie::Full);
        QCOMPARE(bytes, expected);

        const QList<QNetworkCookie> back = readBack(bytes);
        QCOMPARE(back.size(), 2);
        QVERIFY(back.at(0).hasSameIdentifier(full));
        QCOMPARE(back.at(0).value(), full.value());
        QVERIFY(back.at(0).isSecure() && back.at(0).isHttpOnly());
        QCOMPARE(back.at(0).expirationDate(), full.expirationDate());
    }

    void storeSurvivesTheJarPrivately()
    {
        {
            CookieJar jar;
            QVERIFY(jar.cookies().isEmpty());
            QVERIFY(jar.setCookiesFromUrl(
                { QNetworkCookie("session", "s1"), cookie("persist", "p1", "h.test") },
                QUrl("http://h.test/dir/page")));
        }
        QVERIFY(QFile::exists(CookieJar::storeFileName()));
        QCOMPARE(QFile::permissions(CookieJar::storeFileName())
                & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
            QFile::Permissions());
        // The value is the registered list type, so the settings store reads it as such.
        QSettings store(CookieJar::storeFileName(), QSettings::NativeFormat);
        QCOMPARE(store.value("cookies").metaType(), QMetaType::fromType<QList<QNetworkCookie>>());

        CookieJar reloaded;
        QCOMPARE(names(reloaded.cookies()), QByteArray("persist,session"));
        QCOMPARE(names(reloaded.cookiesForUrl(QUrl("http://h.test/other"))), "persist");
    }

    void damagedStoresKeepWhatTheyCan_data()
    {
        testColumns<QByteArray, QByteArray, QString>("stream", "kept", "warning");
        const QList<QNetworkCookie> three { cookie("a", "1", "h.test"), cookie("b", "2", "h.test"),
            cookie("c", "3", "h.test") };
        const QByteArray whole = streamed(three);
        QByteArray unparsable;
        QDataStream stream(&unparsable, QIODevice::WriteOnly);
        stream << qint32(3) << QByteArray("=") << three.at(2).toRawForm() << QByteArray();

        testRow("intact", whole, QByteArray("a,b,c"), QString());
        // The count still says three, but the stream ends after the second entry.
        testRow("ends early", whole.left(streamed(three.mid(0, 2)).size()), QByteArray("a,b"),
            QString());
        testRow("cut inside an entry", whole.left(whole.size() - 3), QByteArray("a,b"), QString());
        testRow("unparsable entry", unparsable, QByteArray("c"),
            "CookieJar: Unable to parse saved cookie: \"=\"");
        testRow("absurd count", QByteArray::fromHex("7fffffff"), QByteArray(), QString());
        testRow("empty", QByteArray(), QByteArray(), QString());
    }

    // The store may hold the stream form as plain bytes, and the store file itself may be cut.
    void damagedStoresKeepWhatTheyCan()
    {
        auto [stream, kept, warning]
            = testFetch<QByteArray, QByteArray, QString>("stream", "kept", "warning");
        {
            QSettings store(CookieJar::storeFileName(), QSettings::NativeFormat);
            store.setValue("cookies", stream);
        }
        const QByteArray stored = readFile(CookieJar::storeFileName());
        if (!warning.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
        QCOMPARE(names(CookieJar().cookies()), kept);

        QVERIFY(writeFile(CookieJar::storeFileName(), stored.left(stored.size() / 2)));
        CookieJar jar;
        QVERIFY2(kept.startsWith(names(jar.cookies())), names(jar.cookies()).constData());
        QVERIFY(jar.insertCookie(cookie("fresh", "1", "h.test")));
    }

    void sharedAcrossThreads()
    {
        CookieJar jar;
        std::atomic<int> lookupsWithoutOwnCookie { 0 };
        QList<QThread*> threads;
        for (int t = 0; t < 6; ++t) {
            threads << QThread::create([&jar, &lookupsWithoutOwnCookie, t] {
                const QUrl url(QStringLiteral("http://h%1.test/").arg(t));
                for (int i = 0; i < 300; ++i) {
                    jar.setCookiesFromUrl(
                        { QNetworkCookie("n" + QByteArray::number(i % 7), QByteArray::number(i)) },
                        url);
                    if (jar.cookiesForUrl(url).isEmpty())
                        ++lookupsWithoutOwnCookie;
                    jar.cookies();
                    if (i % 50 == 0)
                        jar.deleteCookie(jar.cookiesForUrl(url).value(0));
                }
            });
            threads.last()->start();
        }
        for (QThread* thread : threads) {
            QVERIFY(thread->wait(20000));
            delete thread;
        }
        QCOMPARE(lookupsWithoutOwnCookie.load(), 0);
        QCOMPARE(jar.cookies().size(), 6 * 7);
    }
};

KESTROFAN_CORE_TEST_MAIN(CookieJarTest)
#include "tst_cookiejar.moc"
