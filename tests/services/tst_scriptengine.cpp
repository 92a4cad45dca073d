// One script call: the prelude helpers, exceptions, fresh engines, the time limit, the page
// sandbox and every scriptInterface method against a local server.

#include "ServiceTestSupport.h"
#include "TestEnvironment.h"
#include "TestHttpServer.h"
#include "services/DomSandbox.h"
#include "services/PluginProgram.h"
#include "services/ScriptCall.h"
#include "services/ScriptWatchdog.h"

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
        ScriptCall call(PluginProgram::assemble(program), "Test Service");
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
        cleanup();
    }

    void cleanup()
    {
        ScriptWatchdog::setDefaultLimitMs(30000);
        ScriptWatchdog::setDefaultWallClockLimitMs(120000);
    }

    void preludeHelpers_data()
    {
        testColumns<QString, QString>("expression", "expected");
        const auto row = [](const QString& expression, const QString& expected) {
            testRow(qPrintable(expression), expression, expected);
        };
        row("t_getRegExMatch('v=abc&x', /v=(\\w+)/, 1)", "abc");
        row("t_getRegExMatch('v=abc', /v=\\w+/, 0)", "v=abc");
        row("t_getRegExMatch('v=abc', /v=(\\w+)/, 2)", "");
        row("t_getRegExMatch('nothing', /v=(\\w+)/, 1)", "");
        row("t_getNumericalPart('about 1,234 views')", "1");
        row("t_getNumericalPart('none')", "");
        row("t_unescapeHtml('&lt;b&gt; &quot;Tom&quot; &amp; &#039;Jerry&#039;')",
            "<b> \"Tom\" & 'Jerry'");
        row("t_unescapeHtml('&amp;lt;')", "&lt;");
    }

    void preludeHelpers()
    {
        auto [expression, expected] = testFetch<QString, QString>("expression", "expected");
        QCOMPARE(answer(QString("function f() { return %1; }").arg(expression), "f"), expected);
    }

    void callsAreFreshAndBoundToArgs()
    {
        const QString program = "var counter = 0;\n"
                                "function count() { counter++; return counter; }\n"
                                "function self() { return String(this); }\n"
                                "function join(a, b) { return a + '|' + b; }";
        QCOMPARE(answer(program, "count"), "1");
        QCOMPARE(answer(program, "count"), "1");
        QCOMPARE(answer(program, "self"), "args");
        QCOMPARE(answer(program, "join", { "x", "y" }), "x|y");
        QCOMPARE(run(program, "absent").kind, ScriptCall::Outcome::Missing);
    }

    void thrownValuesOfAnyKindAreExceptions()
    {
        const QString program = "function text() { throw 'plain text'; }\n"
                                "function error() {\n"
                                "  throw new Error('broken');\n"
                                "}\n"
                                "function type() { return null.x; }\n"
                                "function fine() { return 'plain text'; }";
        ScriptCall::Outcome outcome = run(program, "text");
        QCOMPARE(outcome.kind, ScriptCall::Outcome::Threw);
        QCOMPARE(outcome.errorText, "plain text");
        outcome = run(program, "error");
        QCOMPARE(outcome.kind, ScriptCall::Outcome::Threw);
        QCOMPARE(outcome.errorText, "Error: broken");
        // Plugin line 3, after the prelude's three lines and a blank one.
        QCOMPARE(outcome.lineNumber, 7);
        QVERIFY(run(program, "type").errorText.startsWith("TypeError"));
        QCOMPARE(run(program, "fine").kind, ScriptCall::Outcome::Returned);
    }

    void programErrorsAreReportedWithTheirLine()
    {
        ScriptCall call(PluginProgram::assemble("var a = 1;\nvar b = ;\n"), "Test Service");
        QVERIFY(!call.load());
        QVERIFY(call.loadOutcome().errorText.startsWith("SyntaxError"));
        QCOMPARE(call.loadOutcome().lineNumber, 6);
    }

    // A runaway function, program or page script is stopped and fails like a thrown error.
    void runawayScriptsAreStopped_data()
    {
        testColumns<QString, QString>("program", "message");
        testRow("function",
            QString("function f() { for (;;) { try { while (true) {} } "
                    "catch (e) {} } }"),
            QString("Script of service 'Test Service' was stopped in "
                    "f\\(\\): Script ran longer than 300 ms"));
        testRow("loading", QString("while (true) {}"), QString("ran longer than 300 ms"));
        testRow("page script",
            QString("function f() { return scriptInterface.runJSInDom("
                    "'function spin() { for (;;) {} }', 'spin', []); }"),
            QString("ran longer than 300 ms"));
    }

    void runawayScriptsAreStopped()
    {
        auto [program, message] = testFetch<QString, QString>("program", "message");
        ScriptWatchdog::setDefaultLimitMs(300);
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(message));
        const ScriptCall::Outcome outcome = run(program, "f");
        QCOMPARE(outcome.kind, ScriptCall::Outcome::Threw);
        QVERIFY(outcome.interrupted);
    }

    void waitingForTheNetworkIsNotScriptTime()
    {
        m_server.route("/slow", [](const TestHttpServer::Request&) {
            QThread::msleep(700);
            return TestHttpServer::Response::text("late but fine");
        });
        ScriptWatchdog::setDefaultLimitMs(400);
        QCOMPARE(answer("function f(u) { return scriptInterface.httpGet(u) + "
                        "scriptInterface.httpGet(u + '?again'); }",
                     "f", { url("/slow") }),
            "late but finelate but fine");
    }

    void waitingCountsAgainstTheWallClock_data()
    {
        testColumns<QString, QString>("program", "path");
        // Each request is quick, so the running-time limit alone would never stop it.
        testRow("endless fetching",
            "function f(u) { var n = 0; while (true) scriptInterface.httpGet(u + '?n=' + n++); }",
            "/quick");
        // Aborted: the request's own 30 s time-out is not waited for.
        testRow("a request that never answers",
            "function f(u) { return scriptInterface.httpGet(u); }", "/never");
    }

    void waitingCountsAgainstTheWallClock()
    {
        auto [program, path] = testFetch<QString, QString>("program", "path");
        m_server.answer("/quick", TestHttpServer::Response::text("again"));
        m_server.answer("/never", TestHttpServer::Response::text("too late").stallingAfter(0));
        ScriptWatchdog::setDefaultWallClockLimitMs(600);
        m_server.clearRequests();
        QTest::ignoreMessage(QtCriticalMsg,
            QRegularExpression("was stopped in f\\(\\): Script call took longer than 600 ms "
                               "in all"));
        QElapsedTimer clock;
        clock.start();
        const ScriptCall::Outcome outcome = run(program, "f", { url(path) });
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(outcome.kind, ScriptCall::Outcome::Threw);
        QVERIFY(outcome.interrupted);
        QVERIFY(m_server.requestCount(path) > 0);
    }

    void sandboxShim_data()
    {
        testColumns<QString, QString>("script", "expected");
        testRow("href", "function f() { return '[' + window.location.href + ']'; }", "[]");
        testRow("createElement", "function f() { return document.createElement('div').nodeName; }",
            "div");
        testRow("window is global", "var g = 5; function f() { return window.g; }", "5");
        testRow("navigator",
            "function f() { return navigator.onLine + ',' + navigator.cookieEnabled + ',' + "
            "window.history.length; }",
            "true,false,0");
        testRow("arguments are text", "function f(a, b) { return typeof a + b; }", "string2");
        testRow("thrown text", "function f() { throw new Error('player'); }", "Error: player");
        testRow("broken page script", "function f() { return 1; } }", "");
        testRow("missing function", "function g() { return 1; }", "");
    }

    void sandboxShim()
    {
        auto [script, expected] = testFetch<QString, QString>("script", "expected");
        QCOMPARE(DomSandbox::run(script, "f", { "1", "2" }), expected);
    }

    void sandboxThroughTheInterface()
    {
        const QString program = "function f(page, method) {"
                                "  return scriptInterface.runJSInDom(page, method, ['ab', 3]); }";
        QCOMPARE(answer(program, "f",
                     { "function sig(s, n) { return s.split('').reverse()"
                       ".join('') + n; }",
                         "sig" }),
            "ba3");
        QCOMPARE(answer(program, "f", { QString(), "sig" }), QString());
        QCOMPARE(answer(program, "f", { "function sig() {}", QString() }), QString());
    }

    void httpGetAndStatus()
    {
        m_server.serveFile("/page.txt", "page body", "text/plain");
        const QString program
            = "function f(u) { var before = scriptInterface.getHttpGetStatusCode();"
              "  var body = scriptInterface.httpGet(u, false);"
              "  return before + ':' + body + ':' + scriptInterface.getHttpGetStatusCode(); }";
        QCOMPARE(answer(program, "f", { url("/page.txt") }), "0:page body:200");
        QCOMPARE(answer(program, "f", { url("/missing") }), "0::404");
    }

    void getsMayBeCachedPostsNever()
    {
        m_server.route("/counted", [](const TestHttpServer::Request& request) {
            return TestHttpServer::Response::text(
                request.method + QLatin1Char(' ') + QString::fromUtf8(request.body));
        });
        const QString program
            = "function get(u) { return scriptInterface.httpGet(u) + scriptInterface.httpGet(u); "
              "}\n"
              "function post(u) { return scriptInterface.httpPost(u, { a: 'x y', n: 2 }) + '|' +"
              "  scriptInterface.httpPost(u, { a: 'x y', n: 2 }); }";
        const QString address = url("/counted?get");
        QCOMPARE(answer(program, "get", { address }), "GET GET ");
        QCOMPARE(m_server.requestCount("/counted", "GET"), 1);
        const QStringList posted
            = answer(program, "post", { url("/counted?post") }).split(QLatin1Char('|'));
        QCOMPARE(posted.size(), 2);
        for (const QString& reply : posted) {
            QVERIFY(reply.startsWith("POST "));
            QStringList fields = reply.mid(5).split(QLatin1Char('&'));
            fields.sort();
            QCOMPARE(fields, (QStringList { "a=x%20y", "n=2" }));
        }
        QCOMPARE(m_server.requestCount("/counted", "POST"), 2);
        QCOMPARE(m_server.lastRequest("/counted").header("content-type"),
            QByteArray("application/x-www-form-urlencoded"));
    }

    void cookiesTravelWithTheRequest()
    {
        m_server.route("/cookies", [](const TestHttpServer::Request& request) {
            return TestHttpServer::Response::text(QString::fromUtf8(request.header("cookie")));
        });
        const QString sent = answer("function f(u) { return scriptInterface.httpGetWithCookies(u, "
                                    "{ session: 'abc', age: 42 }); }",
            "f", { url("/cookies") });
        QVERIFY2(sent.contains("session=abc"), qPrintable(sent));
        QVERIFY2(sent.contains("age=42"), qPrintable(sent));
    }

    void headerValues()
    {
        m_server.answer(
            "/headers", TestHttpServer::Response::text("x").withHeader("X-Token", "t0k3n"));
        const QString program
            = "function f(u, key) { return scriptInterface.getHeaderValueForUrl(u, key); }\n"
              "function cachedFirst(u) { scriptInterface.httpGet(u);"
              "  return '[' + scriptInterface.getHeaderValueForUrl(u, 'X-Token') + ']'; }";
        QCOMPARE(answer(program, "f", { url("/headers?1"), "X-Token" }), "t0k3n");
        QCOMPARE(answer(program, "f", { url("/headers?2"), "X-Absent" }), QString());
        // A body already in the response cache comes without its headers.
        QCOMPARE(answer(program, "cachedFirst", { url("/headers?3") }), "[]");
    }

    void manifests()
    {
        m_server.serveFile("/stream.mpd",
            "<MPD type=\"static\"><Period><AdaptationSet>"
            "<Representation id=\"v1\" codecs=\"avc1\" width=\"640\" "
            "height=\"360\" bandwidth=\"500000\"><BaseURL>v1.mp4</BaseURL>"
            "</Representation></AdaptationSet></Period></MPD>",
            "application/dash+xml");
        m_server.serveFile("/live.mpd", "<MPD type=\"dynamic\"></MPD>", "application/dash+xml");
        const QString program
            = "function f(u) { var list = JSON.parse(scriptInterface.getMDPManifest(u));"
              "  return JSON.stringify(list) + '|' + scriptInterface.getErrorString(); }";
        const QString good = answer(program, "f", { url("/stream.mpd") });
        const QJsonArray list = QJsonDocument::fromJson(good.section('|', 0, 0).toUtf8()).array();
        QCOMPARE(list.size(), 1);
        QCOMPARE(list.first()["baseUrl"].toString(), "v1.mp4");
        QCOMPARE(list.first()["frameRate"].toString(), QString());
        QCOMPARE(good.section('|', 1), QString());
        const QString live = answer(program, "f", { url("/live.mpd") });
        QCOMPARE(live, "[]|Unsupported MPD type:dynamic");
    }

    void readFileReadsNothing()
    {
        QCOMPARE(answer("function f() { return '[' + "
                        "scriptInterface.readFile('/etc/passwd') + ']'; }",
                     "f"),
            "[]");
    }
};

KESTROFAN_CORE_TEST_MAIN(TestScriptEngine)
#include "tst_scriptengine.moc"
