// The packed plugin file: round trip, refusals of damaged and hostile files, the packer tool,
// reading a plugin's declaration, and the plain-name rule for keys and names.

#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TestProcess.h"
#include "app/PlainName.h"
#include "services/PluginInspector.h"
#include "services/ServicePluginFile.h"

#include <zlib.h>

class TestPluginFormat : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    static QByteArray withStatedSize(QByteArray packed, quint32 size)
    {
        qToBigEndian(size, packed.data());
        return packed;
    }

private slots:
    void roundTripKeepsUtf8Text()
    {
        const QString text = "var __settings = { serviceName: \"Ünïcode ✓\" };\n";
        QString error;
        QVERIFY(ServicePluginFile::write(path("a.plugin"), text, &error));
        QString read;
        QCOMPARE(ServicePluginFile::read(path("a.plugin"), &read, &error), ServicePluginFile::Ok);
        QCOMPARE(read, text);
        // The format is Qt's: what qUncompress reads.
        QCOMPARE(QString::fromUtf8(qUncompress(readFile(path("a.plugin")))), text);
        QCOMPARE(ServicePluginFile::read(path("none.plugin"), &read, &error),
            ServicePluginFile::Missing);
    }

    // Damaged files are refused whole: nothing is read, and the error says why.
    void filesAreReadOrRefused_data()
    {
        testColumns<QByteArray, int>("bytes", "status");
        const QByteArray small = ServicePluginFile::pack("var x = 1;");
        const QByteArray packed = ServicePluginFile::pack(QString(2000, 'x'));
        QByteArray flipped = packed;
        flipped[10] = char(flipped.at(10) ^ 0x5a);
        // Claims a small size but inflates to 17 MiB of blanks.
        const QByteArray blanks(17 * 1024 * 1024, ' ');
        uLongf size = compressBound(uLong(blanks.size()));
        QByteArray bomb(int(size) + 4, '\0');
        compress2(reinterpret_cast<Bytef*>(bomb.data() + 4), &size,
            reinterpret_cast<const Bytef*>(blanks.constData()), uLong(blanks.size()), 9);
        bomb = withStatedSize(bomb.left(int(size) + 4), 100);
        const int damaged = ServicePluginFile::Damaged;
        testRow("empty", QByteArray(), int(ServicePluginFile::Missing));
        testRow("plain text", QByteArray("function getMediaData() {}"), damaged);
        testRow("header only", packed.left(4), damaged);
        testRow("truncated stream", packed.left(packed.size() / 2), damaged);
        testRow("flipped bits", flipped, damaged);
        testRow("absurd stated size", withStatedSize(small, 0xF0000000u), damaged);
        testRow("just over 16 MiB", withStatedSize(small, 16 * 1024 * 1024 + 1), damaged);
        testRow(
            "16 MiB stated", withStatedSize(small, 16 * 1024 * 1024), int(ServicePluginFile::Ok));
        testRow("inflates past 16 MiB", bomb, damaged);
    }

    void filesAreReadOrRefused()
    {
        auto [bytes, status] = testFetch<QByteArray, int>("bytes", "status");
        QVERIFY(writeFile(path("file.plugin"), bytes));
        QString text;
        QString error;
        QCOMPARE(int(ServicePluginFile::read(path("file.plugin"), &text, &error)), status);
        QCOMPARE(text.isEmpty(), status != ServicePluginFile::Ok);
        if (status == ServicePluginFile::Damaged)
            QVERIFY(!error.isEmpty());
        // Refused before inflating anything.
        if (qstrcmp(QTest::currentDataTag(), "absurd stated size") == 0)
            QVERIFY2(error.contains("claims"), qPrintable(error));
    }

    void inspectorReadsTheDeclaration()
    {
        ServiceSettings settings;
        QString problem;
        QVERIFY2(PluginInspector::inspect("var __settings = { serviceName: "
                                          "\"Tube\", revision: 7 };",
                     &settings, &problem),
            qPrintable(problem));
        QCOMPARE(settings.serviceName, "Tube");
        QCOMPARE(settings.revision, 7);

        QVERIFY(
            !PluginInspector::inspect("var a = 1;\n\nthrow new Error('no');", &settings, &problem));
        // Lines count from the prelude (three lines and a blank one): plugin line 3 is line 7.
        QVERIFY2(problem.contains("at line 7"), qPrintable(problem));
        QVERIFY(!PluginInspector::inspect("var __settings = {};", &settings, &problem));
        QVERIFY(problem.contains("serviceName"));
    }

    void packerPacksGoodSourcesAndRefusesBrokenOnes()
    {
        QVERIFY(writeFile(path("good.js"), "var __settings = { serviceName: \"Good\" };\n"));
        QVERIFY(writeFile(
            path("broken.js"), "var __settings = { serviceName: \"Broken\" };\nfunction (\n"));
        QCOMPARE(TestProcess::run(
                     KESTROFAN_PLUGIN_PACKER, { path("good.js"), path("out/service.plugin") })
                     .exitCode,
            0);
        QString text;
        QString error;
        QCOMPARE(ServicePluginFile::read(path("out/service.plugin"), &text, &error),
            ServicePluginFile::Ok);
        QVERIFY(text.contains("\"Good\""));

        const ProgramRun broken = TestProcess::run(
            KESTROFAN_PLUGIN_PACKER, { path("broken.js"), path("out2/service.plugin") });
        QCOMPARE(broken.exitCode, 1);
        QVERIFY(broken.err.contains("line"));
        QVERIFY(!QFile::exists(path("out2/service.plugin")));
    }

    void plainNamesNeverReachAnotherFolder_data()
    {
        testColumns<QString, bool>("name", "valid");
        for (const QString& name : QStringList { "generic_service", "Generic Service", "a..b" })
            testRow(qPrintable(name), name, true);
        for (const QString& name :
            { QString(), QString("."), QString(".."), QString("../escape"), QString("/etc"),
                QString("a\\b"), QString("a\nb"), QString(256, 'a'), QString(128, QChar(0x00e9)) })
            testRow(qPrintable(name.left(12)), name, false);
    }

    void plainNamesNeverReachAnotherFolder()
    {
        auto [name, valid] = testFetch<QString, bool>("name", "valid");
        QCOMPARE(PlainName::isValid(name), valid);
    }
};

KESTROFAN_CORE_TEST_MAIN(TestPluginFormat)
#include "tst_pluginformat.moc"
