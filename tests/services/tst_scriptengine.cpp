// One script call: the prelude helpers, exceptions, fresh engines, the time limit, the page
// sandbox and every scriptInterface method against a local server.

#include "ServiceTestSupport.h"
#include "TestEnvironment.h"
#include "TestHttpServer.h"
#include "services/DomSandbox.h"
#include "services/PluginProgram.h"
#include "services/ScriptCall.h"
#include "services/ScriptWatchdog.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

class TestScriptEngine : public QObject
{
    Q_OBJECT

private:
    ServiceFixture* m_fixture = nullptr;
    TestHttpServer m_server;

    // Runs "function" of the program (prelude included) with string arguments.
    static ScriptCall::Outcome run(const QString& program, const QString& function,
        const QStringList& arguments = {}, QString* result = nullptr)
    {
        ScriptCall call(PluginProgram::assemble(program), QStringLiteral("Test Service"));
        if (!call.load())
            return call.loadOutcome();
        QJSValueList values;
        for (const QString& argument : arguments)
            values << QJSValue(argument);
        ScriptCall::Outcome outcome = call.call(function, values);
        if (result)
            *result = outcome.ok() ? outcome.value.toString() : outcome.errorText;
        return outcome;
    }

    static QString answer(
        const QString& program, const QString& function, const QStringList& arguments = {})
    {
        QString result;
        run(program, function, arguments, &result);
        return result;
    }

    QString url(const QString& path) const { return m_server.url(path).toString(); }

private slots:
    void initTestCase()
    {
        m_fixture = new ServiceFixture;
        m_fixture->loadRegistry();
        QVERIFY(m_server.start());
    }

    void cleanupTestCase()
    {
        delete m_fixture;
        ScriptWatchdog::setDefaultLimitMs(30000);
    }

    void cleanup() { ScriptWatchdog::setDefaultLimitMs(30000); }

    void preludeHelpers_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("expected");
        QTest::newRow("match group") << "t_getRegExMatch('v=abc&x', /v=(\\w+)/, 1)"
                                     << "abc";
        QTest::newRow("whole match") << "t_getRegExMatch('v=abc', /v=\\w+/, 0)"
                                     << "v=abc";
        QTest::newRow("no such group") << "t_getRegExMatch('v=abc', /v=(\\w+)/, 2)"
                                       << "";
        QTest::newRow("no match") << "t_getRegExMatch('nothing', /v=(\\w+)/, 1)"
                                  << "";
        QTest::newRow("digits") << "t_getNumericalPart('about 1,234 views')"
                                << "1";
        QTest::newRow("no digits") << "t_getNumericalPart('none')"
                                   << "";
        QTest::newRow("unescape")
            << "t_unescapeHtml('&lt;b&gt; &quot;Tom&quot; &amp; &#039;Jerry&#039;')"
            << "<b> \"Tom\" & 'Jerry'";
        QTest::newRow("unescape once") << "t_unescapeHtml('&amp;lt;')"
                                       << "&lt;";
    }

    void preludeHelpers()
    {
        QFETCH(QString, expression);
        QFETCH(QString, expected);
        QCOMPARE(answer(QStringLiteral("function f() { return %1; }").arg(expression),
                     QStringLiteral("f")),
            expected);
    }

    void callsAreFreshAndBoundToArgs()
    {
        const QString program = QStringLiteral("var counter = 0;\n"
                                               "function count() { counter++; return counter; }\n"
                                               "function self() { return String(this); }\n"
                                               "function join(a, b) { return a + '|' + b; }");
        QCOMPARE(answer(program, QStringLiteral("count")), QStringLiteral("1"));
        QCOMPARE(answer(program, QStringLiteral("count")), QStringLiteral("1"));
        QCOMPARE(answer(program, QStringLiteral("self")), QStringLiteral("args"));
        QCOMPARE(answer(program, QStringLiteral("join"), { "x", "y" }), QStringLiteral("x|y"));
        QCOMPARE(run(program, QStringLiteral("absent")).kind, ScriptCall::Outcome::Missing);
    }

    void thrownValuesOfAnyKindAreExceptions()
    {
        const QString program = QStringLiteral("function text() { throw 'plain text'; }\n"
                                               "function error() {\n"
                                               "  throw new Error('broken');\n"
                                               "}\n"
                                               "function type() { return null.x; }\n"
                                               "function fine() { return 'plain text'; }");
        ScriptCall::Outcome outcome = run(program, QStringLiteral("text"));
        QCOMPARE(outcome.kind, ScriptCall::Outcome::Threw);
        QCOMPARE(outcome.errorText, QStringLiteral("plain text"));
        outcome = run(program, QStringLiteral("error"));
        QCOMPARE(outcome.kind, ScriptCall::Outcome::Threw);
        QCOMPARE(outcome.errorText, QStringLiteral("Error: broken"));
        // Plugin line 3, after the prelude's three lines and a blank one.
        QCOMPARE(outcome.lineNumber, 7);
        QVERIFY(run(program, QStringLiteral("type")).errorText.startsWith("TypeError"));
        QCOMPARE(run(program, QStringLiteral("fine")).kind, ScriptCall::Outcome::Returned);
    }

    void programErrorsAreReportedWithTheirLine()
    {
        ScriptCall call(PluginProgram::assemble(QStringLiteral("var a = 1;\nvar b = ;\n")),
            QStringLiteral("Test Service"));
        QVERIFY(!call.load());
        QVERIFY(call.loadOutcome().errorText.startsWith(QStringLiteral("SyntaxError")));
        QCOMPARE(call.loadOutcome().lineNumber, 6);
    }

    void runawayScriptIsStopped()
    {
        ScriptWatchdog::setDefaultLimitMs(300);
        QTest::ignoreMessage(QtCriticalMsg,
            QRegularExpression("Script of service 'Test Service' ran longer "
                               "than 300 ms in spin\\(\\) and was stopped"));
        const ScriptCall::Outcome outcome = run(
            QStringLiteral("function spin() { for (;;) { try { while (true) {} } catch (e) {} } }"),
            QStringLiteral("spin"));
        QCOMPARE(outcome.kind, ScriptCall::Outcome::Threw);
        QVERIFY(outcome.interrupted);
    }

    void runawayProgramIsStoppedWhileLoading()
    {
        ScriptWatchdog::setDefaultLimitMs(200);
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("ran longer than 200 ms"));
        ScriptCall call(PluginProgram::assemble(QStringLiteral("while (true) {}")),
            QStringLiteral("Test Service"));
        QVERIFY(!call.load());
        QVERIFY(call.loadOutcome().interrupted);
    }

    void waitingForTheNetworkIsNotScriptTime()
    {
        m_server.route(QStringLiteral("/slow"), [](const TestHttpServer::Request&) {
            QThread::msleep(700);
            return TestHttpServer::Response::text(QStringLiteral("late but fine"));
        });
        ScriptWatchdog::setDefaultLimitMs(400);
        QCOMPARE(answer(QStringLiteral("function f(u) { return scriptInterface.httpGet(u) + "
                                       "scriptInterface.httpGet(u + '?again'); }"),
                     QStringLiteral("f"), { url(QStringLiteral("/slow")) }),
            QStringLiteral("late but finelate but fine"));
    }

    void sandboxShim_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("expected");
        QTest::newRow("href") << "function f() { return '[' + window.location.href + ']'; }"
                              << "[]";
        QTest::newRow("createElement")
            << "function f() { return document.createElement('div').nodeName; }"
            << "div";
        QTest::newRow("window is global") << "var g = 5; function f() { return window.g; }"
                                          << "5";
        QTest::newRow("navigator")
            << "function f() { return navigator.onLine + ',' + navigator.cookieEnabled + ',' + "
               "window.history.length; }"
            << "true,false,0";
        QTest::newRow("arguments are text") << "function f(a, b) { return typeof a + b; }"
                                            << "string2";
        QTest::newRow("thrown text") << "function f() { throw new Error('player'); }"
                                     << "Error: player";
        QTest::newRow("broken page script") << "function f() { return 1; } }"
                                            << "";
        QTest::newRow("missing function") << "function g() { return 1; }"
                                          << "";
    }

    void sandboxShim()
    {
        QFETCH(QString, script);
        QFETCH(QString, expected);
        QCOMPARE(DomSandbox::run(
                     script, QStringLiteral("f"), { QStringLiteral("1"), QStringLiteral("2") }),
            expected);
    }

    void sandboxThroughTheInterface()
    {
        const QString program
            = QStringLiteral("function f(page, method) {"
                             "  return scriptInterface.runJSInDom(page, method, ['ab', 3]); }");
        QCOMPARE(answer(program, QStringLiteral("f"),
                     { QStringLiteral("function sig(s, n) { return s.split('').reverse()"
                                      ".join('') + n; }"),
                         QStringLiteral("sig") }),
            QStringLiteral("ba3"));
        QCOMPARE(
            answer(program, QStringLiteral("f"), { QString(), QStringLiteral("sig") }), QString());
        QCOMPARE(answer(program, QStringLiteral("f"),
                     { QStringLiteral("function sig() {}"), QString() }),
            QString());
    }

    void runawayPageScriptIsStoppedToo()
    {
        ScriptWatchdog::setDefaultLimitMs(300);
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("ran longer than 300 ms"));
        const ScriptCall::Outcome outcome
            = run(QStringLiteral("function f() { return scriptInterface.runJSInDom("
                                 "'function spin() { for (;;) {} }', 'spin', []); }"),
                QStringLiteral("f"));
        QVERIFY(outcome.interrupted);
    }

    void httpGetAndStatus()
    {
        m_server.serveFile(QStringLiteral("/page.txt"), "page body", "text/plain");
        const QString program = QStringLiteral(
            "function f(u) { var before = scriptInterface.getHttpGetStatusCode();"
            "  var body = scriptInterface.httpGet(u, false);"
            "  return before + ':' + body + ':' + scriptInterface.getHttpGetStatusCode(); }");
        QCOMPARE(answer(program, QStringLiteral("f"), { url(QStringLiteral("/page.txt")) }),
            QStringLiteral("0:page body:200"));
        QCOMPARE(answer(program, QStringLiteral("f"), { url(QStringLiteral("/missing")) }),
            QStringLiteral("0::404"));
    }

    void getsMayBeCachedPostsNever()
    {
        m_server.route(QStringLiteral("/counted"), [](const TestHttpServer::Request& request) {
            return TestHttpServer::Response::text(
                request.method + QLatin1Char(' ') + QString::fromUtf8(request.body));
        });
        const QString program = QStringLiteral(
            "function get(u) { return scriptInterface.httpGet(u) + scriptInterface.httpGet(u); }\n"
            "function post(u) { return scriptInterface.httpPost(u, { a: 'x y', n: 2 }) + '|' +"
            "  scriptInterface.httpPost(u, { a: 'x y', n: 2 }); }");
        const QString address = url(QStringLiteral("/counted?get"));
        QCOMPARE(answer(program, QStringLiteral("get"), { address }), QStringLiteral("GET GET "));
        QCOMPARE(m_server.requestCount(QStringLiteral("/counted"), QStringLiteral("GET")), 1);
        const QStringList posted
            = answer(program, QStringLiteral("post"), { url(QStringLiteral("/counted?post")) })
                  .split(QLatin1Char('|'));
        QCOMPARE(posted.size(), 2);
        for (const QString& reply : posted) {
            QVERIFY(reply.startsWith(QStringLiteral("POST ")));
            QStringList fields = reply.mid(5).split(QLatin1Char('&'));
            fields.sort();
            QCOMPARE(fields, (QStringList { "a=x%20y", "n=2" }));
        }
        QCOMPARE(m_server.requestCount(QStringLiteral("/counted"), QStringLiteral("POST")), 2);
        QCOMPARE(m_server.lastRequest(QStringLiteral("/counted")).header("content-type"),
            QByteArray("application/x-www-form-urlencoded"));
    }

    void cookiesTravelWithTheRequest()
    {
        m_server.route(QStringLiteral("/cookies"), [](const TestHttpServer::Request& request) {
            return TestHttpServer::Response::text(QString::fromUtf8(request.header("cookie")));
        });
        const QString sent
            = answer(QStringLiteral("function f(u) { return scriptInterface.httpGetWithCookies(u, "
                                    "{ session: 'abc', age: 42 }); }"),
                QStringLiteral("f"), { url(QStringLiteral("/cookies")) });
        QVERIFY2(sent.contains(QStringLiteral("session=abc")), qPrintable(sent));
        QVERIFY2(sent.contains(QStringLiteral("age=42")), qPrintable(sent));
    }

    void headerValues()
    {
        m_server.route(QStringLiteral("/headers"), [](const TestHttpServer::Request&) {
            return TestHttpServer::Response::text(QStringLiteral("x"))
                .withHeader("X-Token", "t0k3n");
        });
        const QString program = QStringLiteral(
            "function f(u, key) { return scriptInterface.getHeaderValueForUrl(u, key); }\n"
            "function cachedFirst(u) { scriptInterface.httpGet(u);"
            "  return '[' + scriptInterface.getHeaderValueForUrl(u, 'X-Token') + ']'; }");
        QCOMPARE(answer(program, QStringLiteral("f"),
                     { url(QStringLiteral("/headers?1")), QStringLiteral("X-Token") }),
            QStringLiteral("t0k3n"));
        QCOMPARE(answer(program, QStringLiteral("f"),
                     { url(QStringLiteral("/headers?2")), QStringLiteral("X-Absent") }),
            QString());
        // A body already in the response cache comes without its headers.
        QCOMPARE(
            answer(program, QStringLiteral("cachedFirst"), { url(QStringLiteral("/headers?3")) }),
            QStringLiteral("[]"));
    }

    void manifests()
    {
        m_server.serveFile(QStringLiteral("/stream.mpd"),
            "<MPD type=\"static\"><Period><AdaptationSet>"
            "<Representation id=\"v1\" codecs=\"avc1\" width=\"640\" "
            "height=\"360\" bandwidth=\"500000\"><BaseURL>v1.mp4</BaseURL>"
            "</Representation></AdaptationSet></Period></MPD>",
            "application/dash+xml");
        m_server.serveFile(
            QStringLiteral("/live.mpd"), "<MPD type=\"dynamic\"></MPD>", "application/dash+xml");
        const QString program = QStringLiteral(
            "function f(u) { var list = JSON.parse(scriptInterface.getMDPManifest(u));"
            "  return JSON.stringify(list) + '|' + scriptInterface.getErrorString(); }");
        const QString good = answer(program, QStringLiteral("f"), { url("/stream.mpd") });
        const QJsonArray list = QJsonDocument::fromJson(good.section('|', 0, 0).toUtf8()).array();
        QCOMPARE(list.size(), 1);
        QCOMPARE(list.first()[QStringLiteral("baseUrl")].toString(), QStringLiteral("v1.mp4"));
        QCOMPARE(list.first()[QStringLiteral("frameRate")].toString(), QString());
        QCOMPARE(good.section('|', 1), QString());
        const QString live = answer(program, QStringLiteral("f"), { url("/live.mpd") });
        QCOMPARE(live, QStringLiteral("[]|Unsupported MPD type:dynamic"));
    }

    void readFileReadsNothing()
    {
        QCOMPARE(answer(QStringLiteral("function f() { return '[' + "
                                       "scriptInterface.readFile('/etc/passwd') + ']'; }"),
                     QStringLiteral("f")),
            QStringLiteral("[]"));
    }
};

KESTROFAN_CORE_TEST_MAIN(TestScriptEngine)
#include "tst_scriptengine.moc"
