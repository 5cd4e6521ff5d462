// Drum-kit (USD) and user-voice (USV) bank files: the checksum, what is read and
// written back, malformed banks and their messages, and the shipped examples.
// Round trips of any bytes: tests/fuzz/fuzz_usd and fuzz_usv.

#include "bankbuilder.h"
#include "testsupport.h"
#include "usd/usdfile.h"
#include "util/atomicfile.h"
#include "usv/usvfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tamo;
using namespace tamo::test;
using namespace Qt::StringLiterals;
using bank::ReadOutcome;

Q_DECLARE_METATYPE(tamo::bank::ReadOutcome)

namespace {

const QString kInfo = u"INFO : The file presents a bad CheckSum header. We will try to load it..."_s;
const QString kUsdHeader = u"This is not a valid Ketron SD1 Header (KUSD3) !"_s;
const QString kUsvHeader = u"This is not a valid Ketron SD1 Header (KUSV0) !"_s;
const QString kUsvFormat = u"Bad USV Format !"_s;

// "KORG1" written into the voices, with the checksum made right again.
QByteArray korgAt(qsizetype at)
{
    QByteArray image = usvImage(3, 5).replace(at, 5, "KORG1");
    fixChecksum(image);
    return image;
}

// An example entry: the name padded to 12 bytes, then data varied by variant. A
// kit's data is 112 items of note, level, pan and group.
QByteArray exampleEntry(QByteArrayView name, qsizetype size, int v)
{
    QByteArray bytes = name.toByteArray().leftJustified(bank::kNameSize, ' ', true);
    for (int item = 0; size == usd::kUsdEntrySize && item < 112; ++item)
        bytes.append(char(27 + item % 61)).append(char(64 + (item * 7 + v * 13) % 64)).append(char((item * 5 + v * 3) % 128)).append(char((item / 8 + v) % 16));
    for (qsizetype i = bytes.size(); i < size; ++i)
        bytes += char((i * 9 + v * 17) % 128);
    return bytes;
}

// Kits, or voices, the tag and tagged entries.
QByteArray exampleImage(bool kits, const QList<QByteArray> &names, const QList<QByteArray> &tagged, int variant)
{
    QList<QByteArray> parts;
    for (const QByteArray &name : names)
        parts << exampleEntry(name, kits ? usd::kUsdEntrySize : usv::kVoiceSize, variant++);
    if (!kits)
        parts << "KORG1  ";
    for (const QByteArray &name : tagged)
        parts << exampleEntry(name, usv::kTaggedEntrySize, variant++);
    return bankImage(kits ? "KUSD" : "KUSV", kits ? 3 : 0, parts);
}

} // namespace

class TestBankFiles : public QObject {
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
        QCOMPARE(bank::HeaderChecksum(kits), (bank::Checksum{quint8(high), quint8(low)}));
        usd::UsdFile doc{"KUSD", 3, 0xEE, 0xEE, {}};
        for (qsizetype at = 0; at < kits.size(); at += 460)
            doc.Entries << usd::UsdEntry(QByteArrayView(kits).sliced(at, 460));
        const QByteArray image = usd::usdBytes(doc);
        QCOMPARE(image, "KUSD\x03" + QByteArray(1, char(high)) + char(low) + kits);
        QVERIFY(usd::readUsd(image).outcome == ReadOutcome::Loaded && usd::readUsd(image).messages.isEmpty());
    }

    // What is read, and for USV what is written back: the tag as "KORG1" and two
    // spaces, a fresh checksum, whole entries only.
    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<ReadOutcome>("outcome");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("tagged"); // -1: a USD row
        QTest::addColumn<QByteArray>("written"); // null: as read
        const QStringList none;
        QTest::newRow("USD empty file") << QByteArray() << ReadOutcome::Refused << QStringList{kUsdHeader} << 0 << -1 << QByteArray();
        // The checksum note first: it never stops the read.
        QTest::newRow("USD kits cut short") << usdImage(2).chopped(1) << ReadOutcome::Refused << QStringList{kInfo, u"Bad Kit Format !"_s} << 0 << -1 << QByteArray();
        QTest::newRow("USD 32767 kits") << usdImage(32767) << ReadOutcome::Loaded << none << 32767 << -1 << QByteArray();
        // More kits than the instrument's count holds: the file just does not load.
        QTest::newRow("USD 32768 kits") << usdImage(32768) << ReadOutcome::Failed << none << 0 << -1 << QByteArray();
        QTest::newRow("USV empty file") << QByteArray() << ReadOutcome::Refused << QStringList{kUsvHeader} << 0 << 0 << QByteArray();
        QTest::newRow("3 voices and 5 tagged entries") << usvImage(3, 5) << ReadOutcome::Loaded << none << 3 << 5 << QByteArray();
        // The first "KORG1" is the tag: inside the second voice it splits a voice...
        QTest::newRow("KORG1 inside a voice") << korgAt(7 + 48 + 20) << ReadOutcome::Refused << QStringList{kUsvFormat} << 0 << 0 << QByteArray();
        // ...at its start it leaves one voice and makes the rest tagged entries.
        QByteArray mended = korgAt(7 + 48).replace(7 + 48 + 5, 2, "  ");
        fixChecksum(mended);
        QTest::newRow("KORG1 at a voice's start") << korgAt(7 + 48) << ReadOutcome::Loaded << none << 1 << 8 << mended;
        QTest::newRow("32767 voices") << usvImage(32767, 1) << ReadOutcome::Loaded << none << 32767 << 1 << QByteArray();
        QTest::newRow("32768 voices") << usvImage(32768, 1) << ReadOutcome::Failed << none << 0 << 0 << QByteArray();
        QTest::newRow("32767 entries") << usvImage(1, 32767) << ReadOutcome::Loaded << none << 1 << 32767 << QByteArray();
        QTest::newRow("32768 entries") << usvImage(1, 32768) << ReadOutcome::Failed << none << 0 << 0 << QByteArray();
        const QByteArray z16(16, 'z');
        QTest::newRow("tag + 5x32+10: the rest dropped") << withTail(usvImage(3, 5), QByteArray(10, 'z')) << ReadOutcome::Loaded << none << 3 << 5 << usvImage(3, 5);
        QTest::newRow("tag + 2x32+16 rounds to even, down") << withTail(usvImage(3, 2), z16) << ReadOutcome::Loaded << none << 3 << 2 << usvImage(3, 2);
        // The last entry reaches past the end: its missing half is written as zero bytes.
        QTest::newRow("tag + 3x32+16 rounds to even, up") << withTail(usvImage(3, 3), z16) << ReadOutcome::Loaded << none << 3 << 4
                                                        << withTail(usvImage(3, 3), z16 + QByteArray(16, '\0'));
        QTest::newRow("tag bytes not spaces") << usvImage(2, 2, "KORG1xy") << ReadOutcome::Loaded << none << 2 << 2 << usvImage(2, 2);
        QTest::newRow("bad checksum") << usvImage(2, 2, "KORG1  ", false) << ReadOutcome::Loaded << QStringList{kInfo} << 2 << 2 << usvImage(2, 2);
        QTest::newRow("no tag") << usvImage(3, 0, "") << ReadOutcome::Failed << none << 0 << 0 << QByteArray();
        QTest::newRow("checksum message comes first") << usvImage(3, 0, "") + "abc" << ReadOutcome::Refused << QStringList{kInfo, kUsvFormat} << 0 << 0 << QByteArray();
    }
    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(ReadOutcome, outcome);
        QFETCH(QStringList, messages);
        QFETCH(int, entries);
        QFETCH(int, tagged);
        QFETCH(QByteArray, written);
        if (tagged < 0) {
            const usd::UsdReadResult result = usd::readUsd(file);
            QCOMPARE(result.outcome, outcome);
            QCOMPARE(result.messages, messages);
            QCOMPARE(result.document ? result.document->Entries.size() : 0, qsizetype(entries));
            return;
        }
        const usv::UsvReadResult result = usv::readUsv(file);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.messages, messages);
        QCOMPARE(result.document ? result.document->Voices.size() : 0, qsizetype(entries));
        QCOMPARE(result.document ? result.document->TaggedEntries.size() : 0, qsizetype(tagged));
        if (result.document)
            QCOMPARE(usv::usvBytes(*result.document), written.isNull() ? file : written);
    }

    void usvChecksumCoversTaggedEntries()
    {
        usv::UsvFile doc = *usv::readUsv(usvImage(2, 3)).document;
        QByteArray entry = doc.TaggedEntries[2].bytes();
        entry[31] = char(entry[31] + 1);
        doc.TaggedEntries[2] = usv::UsvTaggedEntry(entry);
        QCOMPARE(usv::usvBytes(doc), withTail(usvImage(2, 3).chopped(1), entry.right(1)));
    }

    // Names are shown as Windows-1252; a zero byte shows as a space.
    void displayName()
    {
        QCOMPARE(bank::displayName(QByteArray("Pop\0\0", 5)), u"Pop  "_s);
        QCOMPARE(bank::displayName("\x80\x93\xE9\x9F"), u"\u20AC\u201C\u00E9\u0178"_s);
    }

    // A directory or an unreadable file fails silently in both readers.
    void badPath()
    {
        QTemporaryDir dir;
        const auto silentFailure = [](const QString &path) {
            const usd::UsdReadResult kit = usd::OpenUSDFile(path);
            const usv::UsvReadResult voice = usv::OpenUSVFile(path);
            return kit.outcome == ReadOutcome::Failed && kit.messages.isEmpty() && !kit.document
                   && voice.outcome == ReadOutcome::Failed && voice.messages.isEmpty() && !voice.document;
        };
        QVERIFY(QDir().mkpath(dir.filePath(u"dir.usd"_s)));
        QVERIFY(silentFailure(dir.filePath(u"dir.usd"_s)));
        const QString locked = dir.filePath(u"locked.usd"_s);
        QVERIFY(writeAll(locked, usdImage(1)));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
        // A child that is not root must still reach the folder.
        QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777));
        QVERIFY(runInChildAsOrdinaryUser([&] { return silentFailure(locked); }));
    }

    // The example banks in examples/ are made here. Run with TAMO_WRITE_EXAMPLES=1
    // (through ctest, which tells where they are) to write them again; otherwise the
    // files must be as made and load without any message.
    void examples_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("KITS1") << u"KITS1.USD"_s << exampleImage(true, {"Studio Kit", "Brush Kit", "Dance Kit", "Latin Kit"}, {}, 1);
        QTest::newRow("KITS2") << u"KITS2.USD"_s << exampleImage(true, {"Rock Kit", "Jazz Kit", "Orchestra", "Electro Kit", "Room Kit"}, {}, 11);
        QTest::newRow("VOICES1") << u"VOICES1.USV"_s << exampleImage(false, {"Warm Pad", "Soft Piano", "Nylon Gtr"}, {"Split A", "Split B"}, 1);
        QTest::newRow("VOICES2") << u"VOICES2.USV"_s << exampleImage(false, {"Brass Sect", "Strings", "Organ Full", "Synth Lead"}, {"Layer 1", "Layer 2", "Layer 3"}, 21);
    }
    void examples()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = examplePath(name);
        if (qEnvironmentVariableIsSet("TAMO_WRITE_EXAMPLES"))
            QVERIFY(tamo::saveFileAtomically(path, bytes).ok);
        QCOMPARE(readAll(path), bytes);
        const bool kit = name.endsWith(u".USD");
        QCOMPARE(kit ? usd::OpenUSDFile(path).messages : usv::OpenUSVFile(path).messages, QStringList());
        QCOMPARE(kit ? usd::OpenUSDFile(path).outcome : usv::OpenUSVFile(path).outcome, ReadOutcome::Loaded);
    }
};

QTEST_GUILESS_MAIN(TestBankFiles)
#include "test_bankfiles.moc"
