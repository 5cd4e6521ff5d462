#include "../usd/bankbuilder.h"
#include "testsupport.h"
#include "usv/usvfile.h"

#include <QTest>

using namespace tamo;
using namespace tamo::usv;
using namespace Qt::StringLiterals;
using test::usvImage;
using test::withTail;

const QString kInfo = u"INFO : The file presents a bad CheckSum header. We will try to load it..."_s;

// Malformed banks and their messages: test_malformed_banks.
class TestUsvFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // What is read, and what is written back: the tag as "KORG1" and two spaces, a
    // fresh checksum, whole entries only.
    void readAndWrite_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("voices"); // -1: not loaded
        QTest::addColumn<int>("tagged");
        QTest::addColumn<QByteArray>("written");
        const QByteArray z16(16, 'z');
        QTest::newRow("3 voices and 5 tagged entries") << usvImage(3, 5) << QStringList() << 3 << 5 << usvImage(3, 5);
        const QByteArray oddNames = test::bankImage("KUSV", 0, {test::bankEntry(QByteArray("Pad\0\0\0", 6), 48, 1), test::bankEntry("\x80\xFF Lead", 48, 2), "KORG1  ", test::bankEntry("Split", 32, 3)});
        QTest::newRow("names of zero and high bytes") << oddNames << QStringList() << 2 << 1 << oddNames;
        QTest::newRow("tag + 5x32+10: the rest dropped") << withTail(usvImage(3, 5), QByteArray(10, 'z')) << QStringList() << 3 << 5 << usvImage(3, 5);
        QTest::newRow("tag + 2x32+16 rounds to even, down") << withTail(usvImage(3, 2), z16) << QStringList() << 3 << 2 << usvImage(3, 2);
        // The last entry reaches past the end: its missing half is written as zero bytes.
        QTest::newRow("tag + 3x32+16 rounds to even, up") << withTail(usvImage(3, 3), z16) << QStringList() << 3 << 4
                                                        << withTail(usvImage(3, 3), z16 + QByteArray(16, '\0'));
        QTest::newRow("tag bytes not spaces") << usvImage(2, 2, "KORG1xy") << QStringList() << 2 << 2 << usvImage(2, 2);
        QTest::newRow("bad checksum") << usvImage(2, 2, "KORG1  ", false) << QStringList{kInfo} << 2 << 2 << usvImage(2, 2);
        QTest::newRow("no tag") << usvImage(3, 0, "") << QStringList() << -1 << 0 << QByteArray();
        QTest::newRow("checksum message comes first") << usvImage(3, 0, "") + "abc" << QStringList{kInfo, u"Bad USV Format !"_s}
                                                      << -1 << 0 << QByteArray();
    }
    void readAndWrite()
    {
        QFETCH(QByteArray, image);
        QFETCH(QStringList, messages);
        QFETCH(int, voices);
        QFETCH(int, tagged);
        QFETCH(QByteArray, written);
        const UsvReadResult result = readUsv(image);
        QCOMPARE(result.messages, messages);
        QCOMPARE(result.document.has_value(), voices >= 0);
        if (!result.document)
            return;
        QCOMPARE(result.document->Voices.size(), voices);
        QCOMPARE(result.document->TaggedEntries.size(), tagged);
        QCOMPARE(usvBytes(*result.document), written);
    }

    void checksumCoversTaggedEntries()
    {
        UsvFile doc = *readUsv(usvImage(2, 3)).document;
        QByteArray entry = doc.TaggedEntries[2].bytes();
        entry[31] = char(entry[31] + 1);
        doc.TaggedEntries[2] = UsvTaggedEntry(entry);
        QCOMPARE(usvBytes(doc), withTail(usvImage(2, 3).chopped(1), entry.right(1)));
    }
};

QTEST_GUILESS_MAIN(TestUsvFile)
#include "test_usvfile.moc"
