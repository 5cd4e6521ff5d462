// Drum-kit (USD) and user-voice (USV) bank files: the checksum, what is read and
// written back, malformed banks and their messages, the shipped examples, and faults:
// a huge file, a FIFO or a device is never read whole; a save that would not read
// back is refused. Round trips of any bytes: tests/fuzz/fuzz_usd and fuzz_usv.

#include "bankbuilder.h"
#include "faultsupport.h"
#include "usd/usdfile.h"
#include "util/atomicfile.h"
#include "usv/usvfile.h"

#include <QDir>
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

    QTemporaryDir m_dir;

private Q_SLOTS:
    // A child that is not root must still reach the folder.
    void initTestCase() { QVERIFY(m_dir.isValid() && QFile::setPermissions(m_dir.path(), QFileDevice::Permissions(0x7777))); }

    // The high byte takes the low byte's top bit, and keeps only its own 8 bits.
    void checksum_data()
    {
        QTest::addColumn<int>("sum");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::newRow("4848 carries the low byte's top bit") << 4848 << 19 << 240;
        QTest::newRow("4660 has no carry") << 4660 << 18 << 52;
        QTest::newRow("65408 overflows to 0") << 65408 << 0 << 128;
        QTest::newRow("sums wrap at 65536") << 65536 + 4848 << 19 << 240;
    }
    // The writer stores it in bytes 5 and 6, whatever a load left in the document.
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
        // The checksum note first: it never stops the read.
        QTest::newRow("USD kits cut short") << usdImage(2).chopped(1) << ReadOutcome::Refused << QStringList{kInfo, u"Bad Kit Format !"_s} << 0 << -1 << QByteArray();
        QTest::newRow("USD 32767 kits") << usdImage(32767) << ReadOutcome::Loaded << none << 32767 << -1 << QByteArray();
        // More kits than the instrument's count holds: the file just does not load.
        QTest::newRow("USD 32768 kits") << usdImage(32768) << ReadOutcome::Failed << none << 0 << -1 << QByteArray();
        // The first "KORG1" is the tag: at a voice's start it leaves one voice and makes
        // the rest tagged entries.
        const QByteArray korg = withTail(usvImage(3, 5).replace(7 + 48, 5, "KORG1"), {});
        QTest::newRow("KORG1 at a voice's start") << korg << ReadOutcome::Loaded << none << 1 << 8
                                                  << withTail(QByteArray(korg).replace(7 + 48 + 5, 2, "  "), {});
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

    // Names are shown as Windows-1252; a zero byte, a control byte and a code
    // Windows-1252 leaves unassigned show as a space.
    void displayName()
    {
        QCOMPARE(bank::displayName(QByteArray("Pop\0\x1F\x81\x8D\x8F\x90\x9D", 10)), u"Pop       "_s);
        QCOMPARE(bank::displayName("\x80\x93\xE9\x9F"), u"\u20AC\u201C\u00E9\u0178"_s);
    }

    // What no reader may do: read a huge file, a FIFO or a device whole, or tell of a
    // folder or a file it cannot read. head: the start of a file size bytes long.
    void unreadable_data()
    {
        QTest::addColumn<bool>("usd");
        QTest::addColumn<QString>("head"); // or "fifo", "folder", "locked", a path
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QStringList>("messages"); // none: a silent failure
        QTest::addColumn<qint64>("mostRead");
        const qint64 huge = qint64(64) << 20;
        QTest::newRow("USD 64 MiB, bad header") << true << "KUSX" << huge << QStringList{kUsdHeader} << qint64(5);
        QTest::newRow("USV 64 MiB, bad header") << false << "KUSX" << huge << QStringList{kUsvHeader} << qint64(5);
        QTest::newRow("USD past the largest bank") << true << "KUSD\x03" << usd::kMaxUsdFileSize + 460 << QStringList() << usd::kMaxUsdFileSize + 1;
        QTest::newRow("USV past the largest bank") << false << "KUSV" << usv::kMaxUsvFileSize + 1 << QStringList() << usv::kMaxUsvFileSize + 1;
        for (bool usd : {true, false})
            for (const char *special : {"fifo", "folder", "locked", "/dev/zero"})
                QTest::addRow("%s %s", usd ? "USD" : "USV", special) << usd << special << qint64(0) << QStringList() << qint64(0);
    }
    void unreadable()
    {
        QFETCH(bool, usd);
        QFETCH(QString, head);
        QFETCH(qint64, size);
        QFETCH(QStringList, messages);
        QFETCH(qint64, mostRead);
        QString path = head;
        if (!head.startsWith(u'/')) {
            path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
            // "KUSV" is completed with the byte 0 by the hole that follows it.
            QVERIFY(head == u"fifo" ? makeFifo(path) : head == u"folder" ? QDir().mkpath(path) : sparseFile(path, head.toLatin1(), size));
        }
        QVERIFY(head != u"locked" || QFile::setPermissions(path, QFileDevice::Permissions()));
        const auto check = [&] {
            const qint64 before = bytesReadSoFar();
            const auto fails = [&](const auto &result) {
                return result.outcome == (messages.isEmpty() ? ReadOutcome::Failed : ReadOutcome::Refused)
                       && result.messages == messages && !result.document && bytesReadSoFar() - before <= mostRead + 256;
            };
            return usd ? fails(usd::OpenUSDFile(path)) : fails(usv::OpenUSVFile(path));
        };
        // Root reads any file: the locked one is tried by an ordinary user.
        QVERIFY(head == u"locked" ? runInChildAsOrdinaryUser(check) : runWithinAMinute(check));
    }

    // Voices copied side by side may spell "KORG1" across their bytes; such a bank
    // would read back split there, so the save names them and keeps the old file.
    void saveReadsBack_data()
    {
        QTest::addColumn<QByteArray>("before"); // the name of voice 2, or whole voice bytes
        QTest::addColumn<QByteArray>("after");  // the name of voice 3
        QTest::addColumn<QString>("problem");   // empty: saved
        QTest::newRow("plain voices") << QByteArray("Piano") << QByteArray("Jazz") << QString();
        QTest::newRow("'K' at the end, then \"ORG1 Jazz\"") << bankEntry("Organ", 47, 9) + 'K' << QByteArray("ORG1 Jazz")
            << u"the voices 2 \"Organ\" and 3 \"ORG1 Jazz\" spell \"KORG1\", which would be read back as the section tag"_s;
        QTest::newRow("\"KORG1\" inside one name") << QByteArray("Piano") << QByteArray("My KORG1")
            << u"the voice 3 \"My KORG1\" spells \"KORG1\", which would be read back as the section tag"_s;
    }
    void saveReadsBack()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QString, problem);
        const QString path = m_dir.filePath(u"save.usv"_s);
        const QByteArray old = usvImage(4, 2);
        QVERIFY(writeAll(path, old));
        usv::UsvFile doc = *usv::readUsv(old).document;
        doc.Voices[1] = usv::UsvVoice(before.size() == 48 ? before : bankEntry(before, 48, 2));
        doc.Voices[2] = usv::UsvVoice(bankEntry(after, 48, 3));
        QCOMPARE(usv::SaveUSVFile(path, doc).error, problem);
        QCOMPARE(usv::OpenUSVFile(path).document->Voices, problem.isEmpty() ? doc.Voices : usv::readUsv(old).document->Voices);
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
