#pragma once

#include <QtCore>
#include <QtTest>

#include <tuple>

// Points HOME and the XDG folders at a fresh temporary folder for the life of the test
// process, so that settings, data and downloads never touch a real user's.
class TestEnvironment
{
public:
    TestEnvironment();
    QString home() const { return m_home.path(); }

private:
    QTemporaryDir m_home;
};

// True when yt-dlp and ffmpeg are installed. Also keeps them off any proxy, so that they talk
// to the local test server only.
inline bool mediaToolsForLocalServer()
{
    for (const char* name :
        { "http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY" })
        qunsetenv(name);
    return !QStandardPaths::findExecutable(QStringLiteral("yt-dlp")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty();
}

// The columns of a data table, one type and one name each, in order.
template<typename... Types, typename... Names> void testColumns(Names... names)
{
    (QTest::addColumn<Types>(names), ...);
}

// The current row's values of these columns, for a structured binding.
template<typename... Types, typename... Names> std::tuple<Types...> testFetch(Names... names)
{
    return { *static_cast<Types*>(QTest::qData(names, qMetaTypeId<Types>()))... };
}

// One row of a data table: the values fill the columns in order, each as its own type (a string
// literal as QString), so an enum value for an int column needs int(...).
template<typename... Values> void testRow(const char* name, Values... values)
{
    (QTest::newRow(name) << ... << values);
}

// Like QTEST_MAIN, but with a private HOME set up before the application object exists.
#define KESTROFAN_TEST_MAIN(TestClass)                                                             \
    int main(int argc, char* argv[])                                                               \
    {                                                                                              \
        TestEnvironment environment;                                                               \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

#define KESTROFAN_CORE_TEST_MAIN(TestClass)                                                        \
    int main(int argc, char* argv[])                                                               \
    {                                                                                              \
        TestEnvironment environment;                                                               \
        QCoreApplication app(argc, argv);                                                          \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
