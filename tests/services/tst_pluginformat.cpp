// The packed plugin file: round trip, refusals of damaged and hostile files, the packer tool,
// reading a plugin's declaration, and the plain-name rule for keys and names.

#include "TestEnvironment.h"
#include "app/PlainName.h"
#include "services/PluginInspector.h"
#include "services/ServicePluginFile.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <zlib.h>

class TestPluginFormat : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    void writeBytes(const QString& name, const QByteArray& bytes)
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

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
        QFile file(path("a.plugin"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(qUncompress(file.readAll())), text);
        QCOMPARE(ServicePluginFile::read(path("none.plugin"), &read, &error),
            ServicePluginFile::Missing);
    }

    // Damaged files are refused whole: nothing is read, and the error says why.
    void filesAreReadOrRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
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
        QTest::newRow("empty") << QByteArray() << int(ServicePluginFile::Missing);
        QTest::newRow("plain text") << QByteArray("function getMediaData() {}") << damaged;
        QTest::newRow("header only") << packed.left(4) << damaged;
        QTest::newRow("truncated stream") << packed.left(packed.size() / 2) << damaged;
        QTest::newRow("flipped bits") << flipped << damaged;
        QTest::newRow("absurd stated size") << withStatedSize(small, 0xF0000000u) << damaged;
        QTest::newRow("just over 16 MiB") << withStatedSize(small, 16 * 1024 * 1024 + 1) << damaged;
        QTest::newRow("16 MiB stated")
            << withStatedSize(small, 16 * 1024 * 1024) << int(ServicePluginFile::Ok);
        QTest::newRow("inflates past 16 MiB") << bomb << damaged;
    }

    void filesAreReadOrRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        writeBytes("file.plugin", bytes);
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
        QVERIFY2(PluginInspector::inspect(QStringLiteral("var __settings = { serviceName: "
                                                         "\"Tube\", revision: 7 };"),
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
        const QString packer = QStringLiteral(KESTROFAN_PLUGIN_PACKER);
        writeBytes("good.js", "var __settings = { serviceName: \"Good\" };\n");
        writeBytes("broken.js", "var __settings = { serviceName: \"Broken\" };\nfunction (\n");
        QProcess process;
        process.start(packer, { path("good.js"), path("out/service.plugin") });
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 0);
        QString text;
        QString error;
        QCOMPARE(ServicePluginFile::read(path("out/service.plugin"), &text, &error),
            ServicePluginFile::Ok);
        QVERIFY(text.contains("\"Good\""));

        process.start(packer, { path("broken.js"), path("out2/service.plugin") });
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(QString::fromUtf8(process.readAllStandardError()).contains("line"));
        QVERIFY(!QFile::exists(path("out2/service.plugin")));
    }

    void plainNamesNeverReachAnotherFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        for (const QString& name : QStringList { "generic_service", "Generic Service", "a..b" })
            QTest::newRow(qPrintable(name)) << name << true;
        for (const QString& name :
            { QString(), QString("."), QString(".."), QString("../escape"), QString("/etc"),
                QString("a\\b"), QString("a\nb"), QString(256, 'a'), QString(128, QChar(0x00e9)) })
            QTest::newRow(qPrintable(name.left(12))) << name << false;
    }

    void plainNamesNeverReachAnotherFolder()
    {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(PlainName::isValid(name), valid);
    }
};

KESTROFAN_CORE_TEST_MAIN(TestPluginFormat)
#include "tst_pluginformat.moc"
