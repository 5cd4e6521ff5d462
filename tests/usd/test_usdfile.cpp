#include "bankbuilder.h"
#include "testsupport.h"
#include "usd/usdfile.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tamo;
using namespace tamo::usd;

namespace {

const QString kInfo =
    QStringLiteral("INFO : The file presents a bad CheckSum header. We will try to load it...");
const QString kHeader = QStringLiteral("This is not a valid Ketron SD1 Header (KUSD3) !");
const QString kFormat = QStringLiteral("Bad Kit Format !");

// Bytes whose unsigned values add up to sum.
QByteArray bytesSummingTo(quint32 sum)
{
    QByteArray bytes(qsizetype(sum / 255), char(0xFF));
    if (sum % 255)
        bytes += char(sum % 255);
    return bytes;
}

} // namespace

class TestUsdFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void checksum_data()
    {
        QTest::addColumn<quint32>("sum");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::newRow("nothing") << 0u << 0 << 0;
        QTest::newRow("4848 carries the low byte's top bit") << 4848u << 19 << 240;
        QTest::newRow("4660 has no carry") << 4660u << 18 << 52;
        QTest::newRow("65407 just below the overflow") << 65407u << 255 << 127;
        QTest::newRow("65408 overflows to 0") << 65408u << 0 << 128;
        QTest::newRow("65535 overflows to 0") << 65535u << 0 << 255;
        QTest::newRow("sums wrap at 65536") << 65536u + 4848u << 19 << 240;
    }
    void checksum()
    {
        QFETCH(quint32, sum);
        QFETCH(int, high);
        QFETCH(int, low);
        QCOMPARE(HeaderChecksum(bytesSummingTo(sum)), (Checksum{quint8(high), quint8(low)}));
    }

    void writerStoresChecksum_data()
    {
        QTest::addColumn<quint32>("sum");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::newRow("4848") << 4848u << 19 << 240;
        QTest::newRow("4660") << 4660u << 18 << 52;
        QTest::newRow("overflow") << 65500u << 0 << 220;
    }
    void writerStoresChecksum()
    {
        QFETCH(quint32, sum);
        QFETCH(int, high);
        QFETCH(int, low);
        QByteArray kit = bytesSummingTo(sum);
        kit.append(460 - kit.size() % 460, '\0');
        UsdFile doc;
        doc.Magic = "KUSD";
        doc.Version = 3;
        doc.CheckHigh = 0xEE; // stale values from a load must not reach the file
        doc.CheckLow = 0xEE;
        for (qsizetype at = 0; at < kit.size(); at += 460)
            doc.Entries << UsdEntry(QByteArrayView(kit).sliced(at, 460));
        const QByteArray image = usdBytes(doc);
        QCOMPARE(image.size(), 7 + kit.size());
        QCOMPARE(quint8(image[5]), quint8(high));
        QCOMPARE(quint8(image[6]), quint8(low));
        // What this program writes it reads back without the checksum message.
        const UsdReadResult back = readUsd(image);
        QCOMPARE(back.outcome, ReadOutcome::Loaded);
        QCOMPARE(back.messages, QStringList());
    }

    void messages_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<ReadOutcome>("outcome");
        QTest::addColumn<int>("kits");

        const QByteArray two = test::usdImage(2);
        QByteArray charVersion = two;
        charVersion[4] = '3';
        QByteArray lower = two;
        lower[0] = 'k';
        QByteArray extraByte = two + '\x01';
        test::fixChecksum(extraByte);
        QByteArray extraBadSum = two + '\x01';
        QByteArray headerOnlyBadSum = test::bankImage("KUSD", 3, {});
        headerOnlyBadSum[6] = 1;

        QTest::newRow("two kits") << two << QStringList() << ReadOutcome::Loaded << 2;
        QTest::newRow("bad checksum still loads")
            << test::usdImage(2, false) << QStringList{kInfo} << ReadOutcome::Loaded << 2;
        QTest::newRow("version as the character 3")
            << charVersion << QStringList{kHeader} << ReadOutcome::Refused << 0;
        QTest::newRow("magic compared case-sensitively")
            << lower << QStringList{kHeader} << ReadOutcome::Refused << 0;
        QTest::newRow("shorter than the magic")
            << QByteArray("KUS") << QStringList{kHeader} << ReadOutcome::Refused << 0;
        QTest::newRow("one byte too many")
            << extraByte << QStringList{kFormat} << ReadOutcome::Refused << 0;
        QTest::newRow("checksum message comes first")
            << extraBadSum << QStringList{kInfo, kFormat} << ReadOutcome::Refused << 0;
        QTest::newRow("shorter than the header")
            << QByteArray("KUSD\x03", 5) << QStringList{kFormat} << ReadOutcome::Refused << 0;
        QTest::newRow("header only is silent")
            << test::bankImage("KUSD", 3, {}) << QStringList() << ReadOutcome::Failed << 0;
        QTest::newRow("header only with bad checksum")
            << headerOnlyBadSum << QStringList{kInfo} << ReadOutcome::Failed << 0;
    }
    void messages()
    {
        QFETCH(QByteArray, image);
        QFETCH(QStringList, messages);
        QFETCH(ReadOutcome, outcome);
        QFETCH(int, kits);
        const UsdReadResult result = readUsd(image);
        QCOMPARE(result.messages, messages);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.document.has_value(), outcome == ReadOutcome::Loaded);
        if (result.document)
            QCOMPARE(result.document->Entries.size(), kits);
    }

    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("trailing spaces") << QByteArray("Rock        ");
        QTest::newRow("trailing zero bytes") << QByteArray("Jazz\0\0\0\0\0\0\0\0", 12);
        QTest::newRow("high and control bytes") << QByteArray("\x80\xFF\x01\x9D" "Kit  \x7F\xA0\x20", 12);
    }
    void roundTrip()
    {
        QFETCH(QByteArray, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("BANK.USD"));
        const QByteArray original = test::bankImage(
            "KUSD", 3, {test::bankEntry("First", 460, 7), test::bankEntry(name, 460, 9)});
        QVERIFY(test::writeAll(path, original));

        const UsdReadResult loaded = OpenUSDFile(path);
        QVERIFY(loaded.document);
        QCOMPARE(loaded.document->Entries[1].name(), name);
        QVERIFY(SaveUSDFile(path, *loaded.document).ok);
        QCOMPARE(test::readAll(path), original);
        QCOMPARE(test::filesIn(dir.path()), QStringList{QStringLiteral("BANK.USD")});
    }

    void saveMendsBadChecksum()
    {
        const QByteArray good = test::usdImage(2);
        const UsdReadResult loaded = readUsd(test::usdImage(2, false));
        QVERIFY(loaded.document);
        QCOMPARE(usdBytes(*loaded.document), good);
    }

    void unreadableFileFailsSilently_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << QStringLiteral("NONE.USD");
        QTest::newRow("folder") << QStringLiteral("sub");
    }
    void unreadableFileFailsSilently()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        const UsdReadResult result = OpenUSDFile(dir.filePath(name));
        QCOMPARE(result.outcome, ReadOutcome::Failed);
        QVERIFY(result.messages.isEmpty());
        QVERIFY(!result.document);
    }

    void entryCountLimit()
    {
        // One kit more than a 16-bit count holds cannot be loaded; the most that fit can.
        QByteArray image = test::bankImage("KUSD", 3, {QByteArray(460 * 32768, 'x')});
        QCOMPARE(readUsd(image).outcome, ReadOutcome::Failed);
        QVERIFY(readUsd(image).messages.isEmpty());
        image.chop(460);
        test::fixChecksum(image);
        const UsdReadResult fits = readUsd(image);
        QVERIFY(fits.document);
        QCOMPARE(fits.document->Entries.size(), 32767);
    }

    void failedSaveKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("KEEP.USD"));
        const QByteArray old = test::usdImage(1);
        QVERIFY(test::writeAll(path, old));
        const UsdReadResult bigger = readUsd(test::usdImage(4));
        QVERIFY(bigger.document);
        SaveResult result;
        {
            test::FileSizeLimit limit(1000);
            result = SaveUSDFile(path, *bigger.document);
        }
        QVERIFY(!result.ok);
        QVERIFY(!result.error.isEmpty());
        QCOMPARE(test::readAll(path), old);
        QCOMPARE(test::filesIn(dir.path()), QStringList{QStringLiteral("KEEP.USD")});
    }

    void displayName_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << QByteArray("Rock Kit    ") << QStringLiteral("Rock Kit    ");
        QTest::newRow("zero padding keeps its width")
            << QByteArray("Pop\0\0", 5) << QStringLiteral("Pop  ");
        QTest::newRow("Windows-1252") << QByteArray("\x80\x93\xE9\x9F")
                                      << QStringLiteral(u"\u20AC\u201C\u00E9\u0178");
    }
    void displayName()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, shown);
        QCOMPARE(usd::displayName(name), shown);
    }
};

QTEST_GUILESS_MAIN(TestUsdFile)
#include "test_usdfile.moc"
