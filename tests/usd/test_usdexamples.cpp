// The example drum-kit banks in examples/ are made here. Run with TAMO_WRITE_EXAMPLES=1
// to write them again; otherwise the test checks that the files are as made and load
// cleanly.

#include "testsupport.h"
#include "usd/usdfile.h"

#include <QDir>
#include <QTest>

using namespace tamo;
using namespace tamo::usd;

namespace {

// A kit: the name padded to 12 bytes, then 112 items of 4 bytes (note, level, pan,
// group), varied per kit.
UsdEntry kit(QByteArrayView name, int variant)
{
    QByteArray bytes = name.toByteArray().leftJustified(kNameSize, ' ', true);
    for (int item = 0; item < 112; ++item) {
        bytes += char(27 + item % 61);
        bytes += char(64 + (item * 7 + variant * 13) % 64);
        bytes += char((item * 5 + variant * 3) % 128);
        bytes += char((item / 8 + variant) % 16);
    }
    return UsdEntry(bytes);
}

QByteArray bank(const QList<QByteArray> &names, int variant)
{
    UsdFile doc;
    doc.Magic = "KUSD";
    doc.Version = 3;
    for (const QByteArray &name : names)
        doc.Entries << kit(name, variant++);
    return usdBytes(doc);
}

QString examplesFolder()
{
    return QDir(qEnvironmentVariable("TAMO_TEST_DATA")).absoluteFilePath(QStringLiteral("../../examples"));
}

} // namespace

class TestUsdExamples : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void examples_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("KITS1") << QStringLiteral("KITS1.USD")
                               << bank({"Studio Kit", "Brush Kit", "Dance Kit", "Latin Kit"}, 1);
        QTest::newRow("KITS2") << QStringLiteral("KITS2.USD")
                               << bank({"Rock Kit", "Jazz Kit", "Orchestra", "Electro Kit",
                                        "Room Kit"},
                                       11);
    }
    void examples()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = QDir(examplesFolder()).filePath(name);
        if (qEnvironmentVariableIsSet("TAMO_WRITE_EXAMPLES"))
            QVERIFY(SaveUSDFile(path, *readUsd(bytes).document).ok);
        QCOMPARE(test::readAll(path), bytes);
        const UsdReadResult loaded = OpenUSDFile(path);
        QCOMPARE(loaded.outcome, ReadOutcome::Loaded);
        QCOMPARE(loaded.messages, QStringList());
    }
};

QTEST_GUILESS_MAIN(TestUsdExamples)
#include "test_usdexamples.moc"
