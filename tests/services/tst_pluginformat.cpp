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
        const QString text = QStringLiteral("var __settings = { serviceName: \"Ünïcode ✓\" };\n");
        QString error;
        QVERIFY(ServicePluginFile::write(path("a.plugin"), text, &error));
        QString read;
        QCOMPARE(ServicePluginFile::read(path("a.plugin"), &read, &error), ServicePluginFile::Ok);
        QCOMPARE(read, text);
        // The format is Qt's: what qUncompress reads.
        QFile file(path("a.plugin"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(qUncompress(file.readAll())), text);
    }

    void missingAndEmptyFilesCountAsMissing()
    {
        QString text;
        QString error;
        QCOMPARE(ServicePluginFile::read(path("none.plugin"), &text, &error),
            ServicePluginFile::Missing);
        writeBytes("empty.plugin", QByteArray());
        QCOMPARE(ServicePluginFile::read(path("empty.plugin"), &text, &error),
            ServicePluginFile::Missing);
    }

    void absurdStatedSizeIsRefusedBeforeInflating()
    {
        const QByteArray packed = ServicePluginFile::pack(QStringLiteral("var x = 1;"));
        QString text;
        QString error;
        const QByteArray hostile = withStatedSize(packed, 0xF0000000u);
        QCOMPARE(ServicePluginFile::unpack(hostile, &text, &error), ServicePluginFile::Damaged);
        QVERIFY2(error.contains(QStringLiteral("claims")), qPrintable(error));
        // Just over the limit is refused, the limit itself is not.
        QCOMPARE(
            ServicePluginFile::unpack(withStatedSize(packed, 16 * 1024 * 1024 + 1), &text, &error),
            ServicePluginFile::Damaged);
        QCOMPARE(ServicePluginFile::unpack(withStatedSize(packed, 16 * 1024 * 1024), &text, &error),
            ServicePluginFile::Ok);
        QCOMPARE(text, QStringLiteral("var x = 1;"));
    }

    void streamInflatingPastTheLimitIsRefused()
    {
        // Claims a small size but inflates to 17 MiB of blanks.
        const QByteArray blanks(17 * 1024 * 1024, ' ');
        uLongf size = compressBound(uLong(blanks.size()));
        QByteArray stream(int(size), '\0');
        QCOMPARE(compress2(reinterpret_cast<Bytef*>(stream.data()), &size,
                     reinterpret_cast<const Bytef*>(blanks.constData()), uLong(blanks.size()), 9),
            Z_OK);
        stream.resize(int(size));
        QByteArray bomb(4, '\0');
        qToBigEndian(quint32(100), bomb.data());
        bomb += stream;
        QString text;
        QString error;
        QCOMPARE(ServicePluginFile::unpack(bomb, &text, &error), ServicePluginFile::Damaged);
        QVERIFY(text.isEmpty());
    }

    void corruptAndTruncatedFilesAreDamaged_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray packed = ServicePluginFile::pack(QString(2000, QLatin1Char('x')));
        QByteArray flipped = packed;
        flipped[10] = char(flipped.at(10) ^ 0x5a);
        QTest::newRow("plain text") << QByteArray("function getMediaData() {}");
        QTest::newRow("header only") << packed.left(4);
        QTest::newRow("truncated stream") << packed.left(packed.size() / 2);
        QTest::newRow("flipped bits") << flipped;
    }

    void corruptAndTruncatedFilesAreDamaged()
    {
        QFETCH(QByteArray, bytes);
        writeBytes("bad.plugin", bytes);
        QString text;
        QString error;
        QCOMPARE(
            ServicePluginFile::read(path("bad.plugin"), &text, &error), ServicePluginFile::Damaged);
        QVERIFY(!error.isEmpty());
        QVERIFY(text.isEmpty());
    }

    void inspectorReadsTheDeclaration()
    {
        ServiceSettings settings;
        QString problem;
        QVERIFY2(PluginInspector::inspect(QStringLiteral("var __settings = { serviceName: "
                                                         "\"Tube\", revision: 7 };"),
                     &settings, &problem),
            qPrintable(problem));
        QCOMPARE(settings.serviceName, QStringLiteral("Tube"));
        QCOMPARE(settings.revision, 7);

        QVERIFY(!PluginInspector::inspect(
            QStringLiteral("var a = 1;\n\nthrow new Error('no');"), &settings, &problem));
        // Lines count from the prelude (three lines and a blank one): plugin line 3 is line 7.
        QVERIFY2(problem.contains(QStringLiteral("at line 7")), qPrintable(problem));
        QVERIFY(
            !PluginInspector::inspect(QStringLiteral("var __settings = {};"), &settings, &problem));
        QVERIFY(problem.contains(QStringLiteral("serviceName")));
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
        QVERIFY(text.contains(QStringLiteral("\"Good\"")));

        process.start(packer, { path("broken.js"), path("out2/service.plugin") });
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(QString::fromUtf8(process.readAllStandardError()).contains(QStringLiteral("line")));
        QVERIFY(!QFile::exists(path("out2/service.plugin")));
    }

    void plainNamesNeverReachAnotherFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("key") << QStringLiteral("generic_service") << true;
        QTest::newRow("display name") << QStringLiteral("Generic Service") << true;
        QTest::newRow("dots inside") << QStringLiteral("a..b") << true;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("dot") << QStringLiteral(".") << false;
        QTest::newRow("dot dot") << QStringLiteral("..") << false;
        QTest::newRow("parent path") << QStringLiteral("../escape") << false;
        QTest::newRow("absolute") << QStringLiteral("/etc") << false;
        QTest::newRow("backslash") << QStringLiteral("a\\b") << false;
        QTest::newRow("newline") << QStringLiteral("a\nb") << false;
        QTest::newRow("too long") << QString(256, QLatin1Char('a')) << false;
        QTest::newRow("long in UTF-8") << QString(128, QChar(0x00e9)) << false;
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
