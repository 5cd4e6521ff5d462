#include "bankbuilder.h"
#include "testsupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tamo;
using namespace tamo::usd;
using namespace tamo::bank;
using namespace Qt::StringLiterals;

// Malformed banks and their messages: test_malformed_banks.
class TestUsdFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The high byte takes the low byte's top bit, and keeps only its own 8 bits.
    void checksum_data()
    {
        QTest::addColumn<int>("sum");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::newRow("4848 carries the low byte's top bit") << 4848 << 19 << 240;
        QTest::newRow("4660 has no carry") << 4660 << 18 << 52;
        QTest::newRow("65407 just below the overflow") << 65407 << 255 << 127;
        QTest::newRow("65408 overflows to 0") << 65408 << 0 << 128;
        QTest::newRow("sums wrap at 65536") << 65536 + 4848 << 19 << 240;
    }
    // The writer stores it in bytes 5 and 6, whatever a load left in the document,
    // and what it writes reads back without the checksum message.
    void checksum()
    {
        QFETCH(int, sum);
        QFETCH(int, high);
        QFETCH(int, low);
        QByteArray kits = QByteArray(sum / 255, '\xff') + char(sum % 255);
        kits.append(460 - kits.size() % 460, '\0');
        QCOMPARE(HeaderChecksum(kits), (Checksum{quint8(high), quint8(low)}));
        UsdFile doc{"KUSD", 3, 0xEE, 0xEE, {}};
        for (qsizetype at = 0; at < kits.size(); at += 460)
            doc.Entries << UsdEntry(QByteArrayView(kits).sliced(at, 460));
        const QByteArray image = usdBytes(doc);
        QCOMPARE(image, "KUSD\x03" + QByteArray(1, char(high)) + char(low) + kits);
        QVERIFY(readUsd(image).outcome == ReadOutcome::Loaded && readUsd(image).messages.isEmpty());
    }

    // Load, save, compare: every name byte stays; a bad checksum is mended.
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("goodChecksum");
        QTest::newRow("trailing spaces") << QByteArray("Rock        ") << true;
        QTest::newRow("trailing zero bytes") << QByteArray("Jazz\0\0\0\0\0\0\0\0", 12) << true;
        QTest::newRow("high and control bytes, bad checksum") << QByteArray("\x80\xFF\x01\x9D" "Kit  \x7F\xA0\x20", 12) << false;
    }
    void roundTrip()
    {
        QFETCH(QByteArray, name);
        QFETCH(bool, goodChecksum);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"BANK.USD"_s);
        const QList<QByteArray> kits = {test::bankEntry("First", 460, 7), test::bankEntry(name, 460, 9)};
        QVERIFY(test::writeAll(path, test::bankImage("KUSD", 3, kits, goodChecksum)));
        const UsdReadResult loaded = OpenUSDFile(path);
        QVERIFY(loaded.document && loaded.document->Entries[1].name() == name);
        QVERIFY(SaveUSDFile(path, *loaded.document).ok);
        QCOMPARE(test::readAll(path), test::bankImage("KUSD", 3, kits));
        QCOMPARE(test::filesIn(dir.path()), QStringList{u"BANK.USD"_s});
    }

    // Names are shown as Windows-1252; a zero byte shows as a space.
    void displayName()
    {
        QCOMPARE(bank::displayName(QByteArray("Pop\0\0", 5)), u"Pop  "_s);
        QCOMPARE(bank::displayName("\x80\x93\xE9\x9F"), u"\u20AC\u201C\u00E9\u0178"_s);
    }
};

QTEST_GUILESS_MAIN(TestUsdFile)
#include "test_usdfile.moc"
