#include "app/AppPaths.h"
#include "support/TestEnvironment.h"
#include "support/TestHttpServer.h"

#include "app/AppTestSupport.h"
#include "core/AppContext.h"
#include "net/CookieJar.h"
#include "net/HttpRequest.h"
#include "net/ReplySizeLimit.h"
#include "net/ResponseMemoryCache.h"
#include "services/FormHelper.h"

#include <QTcpServer>
#include <QtConcurrent>

namespace {

using Request = TestHttpServer::Request;
using Response = TestHttpServer::Response;

// A text answer the disk cache never keeps, so that only the memory cache can answer again.
Response uncachedText(const QString& text)
{
    return Response::text(text).withHeader("Cache-Control", "no-store");
}

// A port on 127.0.0.1 where nothing listens.
quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

} // namespace

class HttpRequestTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_context.isReady());
        QVERIFY(m_server.start());
        // Failing tests end quickly instead of waiting the real 30 seconds.
        HttpRequest::setDefaultTimeoutMs(5000);
        m_server.route("/echo/*", [](const Request& request) {
            return uncachedText(request.path + QLatin1Char('?') + request.query);
        });
        // Failing answers for mapsFailuresToErrorCodes.
        m_server.answer("/forbidden", Response::text("x", 403));
        m_server.answer("/broken", Response::text("x", 500));
        Response cut = Response::bytes(QByteArray(5000, 'c'));
        cut.dropAfterBytes = 1000;
        m_server.answer("/cut", cut);
        m_server.answer("/silent", Response::text("never finished").stallingAfter(3));
        // Redirects for followsRedirects.
        const auto redirect = [this](const QString& from, const QString& to, int status = 302) {
            m_server.answer(from, Response::redirect(m_server.url(to), status));
        };
        redirect("/hop1", "/hop2", 301);
        // A target without a host keeps the answering server's scheme, host and port.
        m_server.answer("/hop2", Response::redirect(QUrl("/echo/end?x=1"), 302));
        Response self = Response::redirect(m_server.url("/self"));
        self.body = "moved nowhere";
        m_server.answer("/self", self);
        redirect("/ping", "/pong");
        redirect("/pong", "/ping", 301);
        redirect("/loop", "/loop");
        for (int i = 0; i < 6; ++i)
            redirect(QStringLiteral("/chain%1").arg(i), QStringLiteral("/chain%1").arg(i + 1));
        m_server.serveFile("/media.mp4", QByteArray(4321, 'm'), "video/mp4");
        m_server.serveFile(
            "/pointer.txt", m_server.url("/media.mp4").toEncoded() + "\n", "text/plain");
        redirect("/to-pointer", "/pointer.txt", 303);
        TestHttpServer::FileOptions refused;
        refused.refuseHead = true;
        m_server.serveFile("/no-head.mp4", "x", "video/mp4");
        m_server.setFileOptions("/no-head.mp4", refused);
    }

    void init()
    {
        m_server.clearRequests();
        ResponseMemoryCache::clear();
    }

    void sendsTheFixedHeaders()
    {
        HttpRequest plain;
        QVERIFY(plain.get(url("/echo/page"), true));
        Request seen = m_server.lastRequest("/echo/page");
        QCOMPARE(seen.header("user-agent"), QByteArray("Kestrofan II (gzip)"));
        QCOMPARE(seen.header("accept"), QByteArray("*/*"));
        QCOMPARE(seen.header("cache-control"), QByteArray("max-age=3600"));
        QVERIFY(!seen.headers.contains("authorization"));

        // Pictures go out with Qt's own user agent, whatever the case of the extension.
        QVERIFY(plain.get(url("/echo/picture.JPG"), true));
        seen = m_server.lastRequest("/echo/picture.JPG");
        QVERIFY(!seen.header("user-agent").isEmpty());
        QVERIFY(seen.header("user-agent") != "Kestrofan II (gzip)");

        // Only a non-empty OAuth 2 token goes out, as a bearer.
        for (const auto& [method, token, path, sent] :
            { std::tuple(HttpRequest::OAuth2, "t0k", "/echo/oauth2", "Bearer t0k"),
                std::tuple(HttpRequest::OAuth1, "t0k", "/echo/oauth1", "(none)"),
                std::tuple(HttpRequest::OAuth2, "", "/echo/empty", "(none)") }) {
            QVERIFY(HttpRequest(method, token).get(url(path), true));
            QCOMPARE(m_server.lastRequest(path).headers.value("authorization", "(none)"),
                QByteArray(sent));
        }
    }

    void memoryCacheAnswersAndEvictsTheOldest()
    {
        int version = 0;
        m_server.route("/versioned", [&version](const Request&) {
            return uncachedText(QStringLiteral("version %1").arg(++version));
        });
        HttpRequest request;
        QSignalSpy done(&request, &HttpRequest::done);
        QVERIFY(request.get(url("/versioned"), true));
        QVERIFY(request.get(url("/versioned"), true));
        QCOMPARE(request.responseText(), "version 1");
        QCOMPARE(request.httpStatus(), 200);
        QCOMPARE(done.count(), 2);
        QCOMPARE(m_server.requestCount("/versioned"), 1);

        // Without the cache the server is asked, and the stored first body stays.
        request.setUseCache(false);
        QVERIFY(request.get(url("/versioned"), true));
        QCOMPARE(request.responseText(), "version 2");
        request.setUseCache(true);
        QVERIFY(request.get(url("/versioned"), true));
        QCOMPARE(request.responseText(), "version 1");

        for (int i = 1; i < ResponseMemoryCache::kCapacity; ++i)
            QVERIFY(request.get(url(QStringLiteral("/echo/%1").arg(i)), true));
        QCOMPARE(ResponseMemoryCache::size(), ResponseMemoryCache::kCapacity);
        QVERIFY(request.get(url("/versioned"), true));
        QCOMPARE(m_server.requestCount("/versioned"), 2);
        // The 51st address pushes out the first one stored.
        QVERIFY(request.get(url("/echo/51"), true));
        QVERIFY(request.get(url("/versioned"), true));
        QCOMPARE(request.responseText(), "version 3");
        QCOMPARE(m_server.requestCount("/versioned"), 3);

        // Failures are never remembered.
        m_server.answer("/flaky", Response::text("down", 503));
        QVERIFY(!request.get(url("/flaky"), true));
        QVERIFY(!request.get(url("/flaky"), true));
        QCOMPARE(m_server.requestCount("/flaky"), 2);
    }

    void diskCacheRevalidatesWithTheServer()
    {
        m_server.serveFile("/feed.xml", "<feed/>", "text/xml");
        TestHttpServer::FileOptions options;
        options.etag = "\"feed-1\"";
        options.extraHeaders.emplace_back("Cache-Control", "no-cache");
        m_server.setFileOptions("/feed.xml", options);

        QVERIFY(HttpRequest().get(url("/feed.xml"), true));
        ResponseMemoryCache::clear();
        HttpRequest second;
        QVERIFY(second.get(url("/feed.xml"), true));
        QCOMPARE(second.responseText(), "<feed/>");
        QCOMPARE(second.httpStatus(), 200);
        QCOMPARE(
            m_server.lastRequest("/feed.xml").header("if-none-match"), QByteArray("\"feed-1\""));
        QVERIFY(!QDir(AppPaths::cacheLocation()).isEmpty());
    }

    void bare304IsRetriedFourTimesOverTheObjectsLife()
    {
        m_server.answer("/stale", Response::bytes({}, 304));
        HttpRequest request;
        request.setUseCache(false);
        QVERIFY(!request.get(url("/stale"), true));
        QCOMPARE(m_server.requestCount("/stale"), 5);
        QCOMPARE(request.httpStatus(), 304);
        QCOMPARE(request.errorCode(), int(KObject::UnsupportedUrl));
        QVERIFY(!request.get(url("/stale"), true));
        QCOMPARE(m_server.requestCount("/stale"), 6);
    }

    void followsRedirects_data()
    {
        // error: a part of the error text, or none
        testColumns<QString, QString, QString, int, QString, QString, int>(
            "method", "path", "finalPath", "status", "error", "body", "requests");
        const char* tooMany = "Too many redirects";
        testRow("GET chain", "GET", "/hop1", "/echo/end?x=1", 200, "", "/echo/end?x=1", 3);
        // A redirect to the very same address is not followed; its own body is the answer.
        testRow("GET to itself", "GET", "/self", "/self", 302, "", "moved nowhere", 1);
        testRow(
            "GET loop", "GET", "/ping", "/ping", 302, tooMany, "", HttpRequest::kMaxRedirects + 1);
        // The redirect, the text (HEAD and GET), then a HEAD of the address it holds.
        testRow("HEAD to a text address", "HEAD", "/to-pointer", "/media.mp4", 200, "", "", 4);
        // The redirect count lives as long as the object: a fresh one follows three hops.
        testRow("HEAD chain", "HEAD", "/chain0", "/chain3", 302, tooMany, "", 4);
        testRow("HEAD loop", "HEAD", "/loop", "/loop", 302, "/loop is same as originator", "", 1);
        testRow(
            "no HEAD", "HEAD", "/no-head.mp4", "/no-head.mp4", 405, "Got HTTP status 405", "", 1);
    }

    void followsRedirects()
    {
        auto [method, path, finalPath, status, error, body, requests]
            = testFetch<QString, QString, QString, int, QString, QString, int>(
                "method", "path", "finalPath", "status", "error", "body", "requests");
        HttpRequest request;
        QUrl address = m_server.url(path);
        if (method == QLatin1String("HEAD")) {
            request.head(address, true);
            // Only an answered HEAD tells a size, here that of /media.mp4.
            QCOMPARE(request.contentLength(), status == 200 ? 4321 : -1);
        } else {
            QCOMPARE(request.get(address.toString(), true), status == 200);
            QCOMPARE(request.startAddress(), address);
            address = request.requestAddress();
        }
        QCOMPARE(address, m_server.url(finalPath));
        QCOMPARE(request.httpStatus(), status);
        // Redirect troubles carry no error code, failing answers do.
        QCOMPARE(request.errorCode() != KObject::NoCode, status >= 400);
        QVERIFY2(
            error.isEmpty() ? request.errorText().isEmpty() : request.errorText().contains(error),
            qPrintable(request.errorText()));
        QCOMPARE(request.responseText(), body);
        QCOMPARE(m_server.requests().size(), requests);
        if (method == QLatin1String("HEAD"))
            return;

        // The bound is per call: the same object follows a fresh chain afterwards.
        QVERIFY(request.get(url("/hop1"), true));
        // Asynchronously the same answer comes with exactly one done().
        ResponseMemoryCache::clear();
        HttpRequest async;
        QSignalSpy done(&async, &HttpRequest::done);
        async.get(url(path), false);
        QVERIFY(done.wait(5000));
        QCOMPARE(done.takeFirst().at(0).toString(), body);
        QVERIFY(!done.wait(50) && done.isEmpty());
    }

    void mapsFailuresToErrorCodes_data()
    {
        testColumns<QString, int, int>("address", "code", "status");
        testRow("403", "/forbidden", int(KObject::Forbidden), 403);
        testRow("404", "/missing", int(KObject::UnsupportedUrl), 404);
        testRow("500", "/broken", int(KObject::UnsupportedUrl), 500);
        testRow("refused", QStringLiteral("http://127.0.0.1:%1/x").arg(closedPort()),
            int(KObject::NetworkError), 0);
        testRow("cut short", "/cut", int(KObject::NetworkError), 200);
        // The headers came, the body stalls.
        testRow("time-out", "/silent", int(KObject::TimedOut), 200);
        testRow("no host", "http://", int(KObject::InvalidUrl), 0);
        testRow("not an address", "just words", int(KObject::InvalidUrl), 0);
        testRow("local file", "file:///etc/passwd", int(KObject::InvalidUrl), 0);
        testRow("other scheme", "ftp://127.0.0.1/x", int(KObject::UnsupportedUrl), 0);
    }

    void mapsFailuresToErrorCodes()
    {
        auto [address, code, status] = testFetch<QString, int, int>("address", "code", "status");
        const QString full
            = address.startsWith(QLatin1Char('/')) ? url(address.toUtf8().constData()) : address;
        HttpRequest request;
        request.setTimeoutMs(200);
        QSignalSpy timedOut(&request, &HttpRequest::timeout);
        QSignalSpy done(&request, &HttpRequest::done);
        QVERIFY(!request.get(full, true));
        QCOMPARE(request.errorCode(), code);
        QCOMPARE(request.httpStatus(), status);
        QVERIFY(!request.errorText().isEmpty());
        QVERIFY(request.responseText().isEmpty());
        QCOMPARE(done.count(), 1);
        QCOMPARE(timedOut.count(), code == KObject::TimedOut ? 1 : 0);
        if (code == KObject::TimedOut)
            QCOMPARE(request.errorText(), "Request timed out");
    }

    void postsFormsAndJson()
    {
        m_server.route("/submit",
            [](const Request& request) { return Response::text(QString::fromUtf8(request.body)); });
        HttpRequest request(HttpRequest::OAuth2, "t0k");
        const QHash<QString, QString> fields { { "user", "a b&c" }, { "pass", "ü=1+2" } };
        QVERIFY(request.post(url("/submit"), fields));
        Request seen = m_server.lastRequest("/submit");
        QCOMPARE(seen.method, "POST");
        QCOMPARE(seen.header("content-type"), QByteArray("application/x-www-form-urlencoded"));
        QVERIFY(!seen.headers.contains("authorization") && !seen.headers.contains("cache-control"));
        const QUrlQuery form(QString::fromLatin1(seen.body));
        QCOMPARE(form.queryItemValue("user", QUrl::FullyDecoded), "a b&c");
        QCOMPARE(form.queryItemValue("pass", QUrl::FullyDecoded), "ü=1+2");

        QVERIFY(request.postJson(url("/submit"), "{\"name\":\"é\"}"));
        seen = m_server.lastRequest("/submit");
        QCOMPARE(seen.header("content-type"), QByteArray("application/json"));
        QCOMPARE(seen.body, QStringLiteral("{\"name\":\"é\"}").toUtf8());
        QCOMPARE(request.responseText(), "{\"name\":\"é\"}");

        // A posted answer is not what a later GET of the address gets.
        QVERIFY(request.get(url("/submit"), true));
        QCOMPARE(m_server.lastRequest("/submit").method, "GET");
        QVERIFY(request.responseText().isEmpty());
    }

    void sharesCookiesThroughTheJar()
    {
        m_server.answer("/login",
            uncachedText("welcome")
                .withHeader("Set-Cookie", "session=abc; Path=/")
                .withHeader("Set-Cookie", "theme=dark; Path=/"));
        HttpRequest login;
        QVERIFY(login.get(url("/login"), true));

        // Another request on another thread sends what the first one was given.
        const QByteArray sent = QtConcurrent::run([this] {
            HttpRequest request;
            request.get(url("/echo/account"), true);
            return m_server.lastRequest("/echo/account").header("cookie");
        }).result();
        QVERIFY2(sent.contains("session=abc") && sent.contains("theme=dark"), sent.constData());

        HttpRequest withCookies;
        QVERIFY(
            withCookies.get(url("/echo/page"), QHash<QString, QString> { { "consent", "yes" } }));
        QVERIFY(m_server.lastRequest("/echo/page").header("cookie").contains("consent=yes"));
        QVERIFY(!AppContext::cookieJar()->cookiesForUrl(m_server.url("/echo/other")).isEmpty());
    }

    void cacheAndJarHoldUpUnderThreads()
    {
        // Half of the answers may also be kept on disk, so the disk caches work side by side.
        m_server.route("/t/*", [](const Request& request) {
            const QString group = request.path.section(QLatin1Char('/'), 2, 2);
            Response response = Response::text(request.path);
            response.headers.emplace_back("Cache-Control",
                group.toInt() % 2 ? QByteArray("no-store") : QByteArray("max-age=60"));
            return response.withHeader("Set-Cookie", "c" + group.toUtf8() + "=1; Path=/");
        });
        const QList<int> workers { 0, 1, 2, 3, 4, 5, 6, 7 };
        const QList<int> wrong = QtConcurrent::blockingMapped(workers, [this](int worker) {
            int mismatches = 0;
            for (int i = 0; i < 40; ++i) {
                // Workers overlap on addresses, so hits, inserts and evictions interleave.
                const QString path = QStringLiteral("/t/%1/%2").arg((worker + i) % 9).arg(i % 23);
                HttpRequest request;
                if (!request.get(url(path.toUtf8().constData()), true)
                    || request.responseText() != path)
                    ++mismatches;
            }
            return mismatches;
        });
        QCOMPARE(wrong, QList<int>(workers.size(), 0));
        QVERIFY(ResponseMemoryCache::size() <= ResponseMemoryCache::kCapacity);
        QSet<QByteArray> names;
        const QList<QNetworkCookie> cookies
            = AppContext::cookieJar()->cookiesForUrl(m_server.url("/t/"));
        for (const QNetworkCookie& cookie : cookies)
            names.insert(cookie.name());
        for (int i = 0; i < 9; ++i)
            QVERIFY(names.contains("c" + QByteArray::number(i)));
    }

    void abandonsAnswersPastTheBound_data()
    {
        testColumns<qint64, qint64, bool, bool, bool>(
            "bound", "size", "announced", "synchronous", "kept");
        constexpr qint64 small = 64 * 1024;
        // The server stalls after the bound, so only an early abort ends the call in time.
        testRow("announced length", small, small + 1, true, true, false);
        testRow("announced, asynchronous", small, small + 1, true, false, false);
        testRow("unannounced body", small, 3 * small, false, true, false);
        testRow("exactly the bound", small, small, true, true, true);
        testRow("pages and JSON by default", qint64(-1), ReplySizeLimit::kPageBytes + 1, true, true,
            false);
    }

    void abandonsAnswersPastTheBound()
    {
        auto [bound, size, announced, synchronous, kept]
            = testFetch<qint64, qint64, bool, bool, bool>(
                "bound", "size", "announced", "synchronous", "kept");
        Response big = Response::bytes(QByteArray(size, 'b'));
        big.omitContentLength = !announced;
        if (!kept)
            big.stallAfterBytes = announced ? 0 : 2 * bound;
        m_server.answer("/big", big);
        if (!kept)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("larger than"));
        HttpRequest request;
        if (bound > 0)
            request.setMaxBodyBytes(bound);
        QSignalSpy done(&request, &HttpRequest::done);
        const bool answered = request.get(url("/big"), synchronous);
        if (!synchronous)
            QVERIFY(done.wait());
        QCOMPARE(synchronous ? answered : request.errorText().isEmpty(), kept);
        QCOMPARE(request.errorCode(), kept ? int(KObject::NoCode) : int(KObject::TooLarge));
        QCOMPARE(qint64(request.responseText().size()), kept ? size : 0);
        if (!kept)
            QVERIFY2(request.errorText().contains(
                         QStringLiteral("larger than %1").arg(request.maxBodyBytes())),
                qPrintable(request.errorText()));
    }

    void picturePastItsBoundGivesTheFallback()
    {
        m_server.answer("/huge.png",
            Response::bytes(QByteArray(ReplySizeLimit::kPictureBytes + 1, 'p'))
                .stallingAfter(0)
                .withHeader("Content-Type", "image/png"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("larger than"));
        FormHelper helper;
        QSignalSpy finished(&helper, &FormHelper::finished);
        helper.loadImage(m_server.url("/huge.png"));
        QVERIFY(finished.wait());
        QCOMPARE(finished.first().first().value<QImage>(), QImage(FormHelper::fallbackImagePath()));
    }

    void abortEndsABlockedGet()
    {
        m_server.answer("/slow", Response::text("slow body").stallingAfter(0));
        HttpRequest request;
        QTimer::singleShot(100, &request, &HttpRequest::onAbort);
        QVERIFY(!request.get(url("/slow"), true));
        QVERIFY(request.errorCode() != KObject::NoCode);
        QVERIFY(request.responseText().isEmpty());
    }

private:
    QString url(const char* path) const { return m_server.url(QString::fromUtf8(path)).toString(); }
    QString url(const QString& path) const { return m_server.url(path).toString(); }

    CoreTestContext m_context;
    TestHttpServer m_server;
};

KESTROFAN_CORE_TEST_MAIN(HttpRequestTest)
#include "tst_httprequest.moc"
