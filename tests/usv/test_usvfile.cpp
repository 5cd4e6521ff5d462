#include "../usd/bankbuilder.h"
#include "testsupport.h"
#include "usv/usvfile.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tamo;
using namespace tamo::usv;

namespace {

const QString kInfo =
    QStringLiteral("INFO : The file presents a bad CheckSum header. We will try to load it...");
const QString kHeader = QStringLiteral("This is not a valid Ketron SD1 Header (KUSV0) !");
const QString kFormat = QStringLiteral("Bad USV Format !");

QByteArray withGoodChecksum(QByteArray image)
{
    test::fixChecksum(image);
    return image;
}

} // namespace

class TestUsvFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lengths_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<ReadOutcome>("outcome");
        QTest::addColumn<int>("voices");
        QTest::addColumn<int>("tagged");

        const QByteArray three = test::usvImage(3, 0);
        const QByteArray noTag = test::usvImage(3, 0, "");

        QTest::newRow("3 voices and 5 tagged entries")
            << test::usvImage(3, 5) << QStringList() << ReadOutcome::Loaded << 3 << 5;
        QTest::newRow("bad checksum still loads")
            << test::usvImage(3, 5, "KORG1  ", false) << QStringList{kInfo}
            << ReadOutcome::Loaded << 3 << 5;
        QTest::newRow("no tag, whole voices") << noTag << QStringList() << ReadOutcome::Failed
                                              << 0 << 0;
        QTest::newRow("no tag, partial voice")
            << withGoodChecksum(noTag + "abc") << QStringList{kFormat} << ReadOutcome::Refused
            << 0 << 0;
        QTest::newRow("checksum message comes first")
            << noTag + "abc" << QStringList{kInfo, kFormat} << ReadOutcome::Refused << 0 << 0;
        QTest::newRow("tag + 5x32+10 drops the rest")
            << withGoodChecksum(test::usvImage(3, 5) + QByteArray(10, 'z')) << QStringList()
            << ReadOutcome::Loaded << 3 << 5;
        QTest::newRow("tag + 2x32+16 rounds to even, down")
            << withGoodChecksum(test::usvImage(3, 2) + QByteArray(16, 'z')) << QStringList()
            << ReadOutcome::Loaded << 3 << 2;
        QTest::newRow("tag + 3x32+16 rounds to even, up")
            << withGoodChecksum(test::usvImage(3, 3) + QByteArray(16, 'z')) << QStringList()
            << ReadOutcome::Loaded << 3 << 4;
        QTest::newRow("tag + 2x32+17 rounds up")
            << withGoodChecksum(test::usvImage(3, 2) + QByteArray(17, 'z')) << QStringList()
            << ReadOutcome::Loaded << 3 << 3;
        QTest::newRow("tag right after the header")
            << test::usvImage(0, 2) << QStringList() << ReadOutcome::Failed << 0 << 0;
        QTest::newRow("nothing after the tag")
            << three << QStringList() << ReadOutcome::Failed << 0 << 0;
        QTest::newRow("15 bytes after the tag")
            << withGoodChecksum(three + QByteArray(15, 'z')) << QStringList()
            << ReadOutcome::Failed << 0 << 0;
        QTest::newRow("tag cut short at the end of the file")
            << withGoodChecksum(test::usvImage(3, 0, "KORG1")) << QStringList()
            << ReadOutcome::Failed << 0 << 0;
        QTest::newRow("version as the character 0")
            << test::bankImage("KUSV", '0', {}) << QStringList{kHeader} << ReadOutcome::Refused
            << 0 << 0;
        QTest::newRow("USD header") << test::usdImage(1) << QStringList{kHeader}
                                    << ReadOutcome::Refused << 0 << 0;
    }
    void lengths()
    {
        QFETCH(QByteArray, image);
        QFETCH(QStringList, messages);
        QFETCH(ReadOutcome, outcome);
        QFETCH(int, voices);
        QFETCH(int, tagged);
        const UsvReadResult result = readUsv(image);
        QCOMPARE(result.messages, messages);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.document.has_value(), outcome == ReadOutcome::Loaded);
        if (result.document) {
            QCOMPARE(result.document->Voices.size(), voices);
            QCOMPARE(result.document->TaggedEntries.size(), tagged);
        }
    }

    void tagInsideAVoiceCounts()
    {
        // The first "KORG1" ends the voices even when it is a voice's name.
        const QByteArray image = test::bankImage(
            "KUSV", 0,
            {test::bankEntry("Voice 1", 48, 1), test::bankEntry("KORG1 voice", 48, 2),
             "KORG1  ", test::bankEntry("Entry 1", 32, 3), test::bankEntry("Entry 2", 32, 4)});
        const UsvReadResult result = readUsv(image);
        QVERIFY(result.document);
        const UsvFile &doc = *result.document;
        QCOMPARE(doc.Voices.size(), 1);
        QCOMPARE(doc.SectionTag, QByteArray("KORG1 v"));
        // 48 - 7 + 7 + 64 = 112 bytes after it: 3.5 entries, rounded to 4.
        QCOMPARE(doc.TaggedEntries.size(), 4);
        QCOMPARE(doc.TaggedEntries[0].bytes(), image.mid(7 + 48 + 7, 32));
        // The last entry reaches past the end: its missing half reads as zero bytes.
        QCOMPARE(doc.TaggedEntries[3].bytes(), image.mid(7 + 48 + 7 + 96, 16) + QByteArray(16, '\0'));
    }

    void roundTrip()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("BANK.USV"));
        const QByteArray original = test::bankImage(
            "KUSV", 0,
            {test::bankEntry(QByteArray("Pad\0\0\0\0\0\0\0\0\0", 12), 48, 1),
             test::bankEntry("\x80\xFF Lead", 48, 2), "KORG1  ",
             test::bankEntry("Split       ", 32, 3)});
        QVERIFY(test::writeAll(path, original));
        const UsvReadResult loaded = OpenUSVFile(path);
        QVERIFY(loaded.document);
        QVERIFY(loaded.messages.isEmpty());
        QVERIFY(SaveUSVFile(path, *loaded.document).ok);
        QCOMPARE(test::readAll(path), original);
        QCOMPARE(test::filesIn(dir.path()), QStringList{QStringLiteral("BANK.USV")});
    }

    void writerNormalises_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("tag written with two spaces")
            << test::usvImage(2, 2, "KORG1xy") << test::usvImage(2, 2);
        QTest::newRow("bytes past the last entry dropped")
            << withGoodChecksum(test::usvImage(2, 5) + QByteArray(10, 'z')) << test::usvImage(2, 5);
        QTest::newRow("bad checksum mended") << test::usvImage(2, 2, "KORG1  ", false)
                                             << test::usvImage(2, 2);
        QTest::newRow("short last entry completed with zeros")
            << withGoodChecksum(test::usvImage(1, 1) + QByteArray(20, 'z'))
            << withGoodChecksum(test::usvImage(1, 1) + QByteArray(20, 'z') + QByteArray(12, '\0'));
    }
    void writerNormalises()
    {
        QFETCH(QByteArray, image);
        QFETCH(QByteArray, written);
        const UsvReadResult loaded = readUsv(image);
        QVERIFY(loaded.document);
        const QByteArray out = usvBytes(*loaded.document);
        QCOMPARE(out, written);
        QCOMPARE(readUsv(out).messages, QStringList());
    }

    void checksumCoversTaggedEntries()
    {
        UsvFile doc = *readUsv(test::usvImage(2, 3)).document;
        const QByteArray before = usvBytes(doc);
        QByteArray entry = doc.TaggedEntries[2].bytes();
        entry[31] = char(quint8(entry[31]) + 1);
        doc.TaggedEntries[2] = UsvTaggedEntry(entry);
        const QByteArray after = usvBytes(doc);
        QVERIFY(before.mid(5, 2) != after.mid(5, 2));
        QCOMPARE(after.mid(7), before.mid(7, before.size() - 8) + entry.right(1));
        QCOMPARE(readUsv(after).messages, QStringList());
    }

    void failedSaveKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("KEEP.USV"));
        const QByteArray old = test::usvImage(1, 1);
        QVERIFY(test::writeAll(path, old));
        const UsvFile bigger = *readUsv(test::usvImage(10, 10)).document;
        SaveResult result;
        {
            test::FileSizeLimit limit(300);
            result = SaveUSVFile(path, bigger);
        }
        QVERIFY(!result.ok);
        QVERIFY(!result.error.isEmpty());
        QCOMPARE(test::readAll(path), old);
        QCOMPARE(test::filesIn(dir.path()), QStringList{QStringLiteral("KEEP.USV")});
    }
};

QTEST_GUILESS_MAIN(TestUsvFile)
#include "test_usvfile.moc"
