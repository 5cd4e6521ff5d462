#include "msp/mspfile.h"
#include "msp/msprecord.h"

#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <set>

using namespace tamo::msp;
using tamo::test::filesIn;
using tamo::test::readAll;
using tamo::test::writeAll;

namespace {

constexpr int kSize = 2644;

QByteArray randomBytes(QRandomGenerator &rng, qsizetype n)
{
    QByteArray bytes(n, '\0');
    for (char &c : bytes)
        c = char(rng.bounded(256));
    return bytes;
}

// Every byte offset that belongs to slot k, written out from the file layout.
std::set<int> slotOffsets(int k)
{
    std::set<int> offsets;
    for (int i = 0; i < 8; ++i)
        offsets.insert(20 + 8 * (k - 1) + i);
    for (int block : {532, 596, 660, 724, 788, 852})
        offsets.insert(block + k - 1);
    for (int i = 0; i < 3; ++i)
        offsets.insert(916 + 3 * (k - 1) + i);
    for (int b = 0; b < 12; ++b)
        offsets.insert(1108 + 64 * b + k - 1);
    for (int block : {1876, 1940, 2004, 2068})
        offsets.insert(block + k - 1);
    for (int b = 0; b < 8; ++b)
        offsets.insert(2132 + 64 * b + k - 1);
    return offsets;
}

// Offsets where a and b differ.
QList<int> differences(const QByteArray &a, const QByteArray &b)
{
    QList<int> out;
    for (int i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i])
            out.append(i);
    return out;
}

} // namespace

class TestMspRecord : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void newDocumentOnDisk();
    void fieldOffsets_data();
    void fieldOffsets();
    void sampleName_data();
    void sampleName();
    void resetAndCopyTouchOnlyTheirSlot();
    void badSlotsStayInside();
    void magic_data();
    void magic();
    void randomRoundTrips();
    void shortAndLongFiles_data();
    void shortAndLongFiles();
    void loadFailureKeepsRecord_data();
    void loadFailureKeepsRecord();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
};

void TestMspRecord::newDocumentOnDisk()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("NEW.MSP"));
    QVERIFY(SaveMspFile(path, MspRecord::newDocument()).ok);
    const QByteArray file = readAll(path);
    QCOMPARE(file.size(), kSize);

    QByteArray expected(kSize, '\0');
    expected.replace(0, 6, "TAMO00");
    expected[14] = 64;
    expected[19] = 64;
    const auto fill = [&](int from, char value) {
        for (int i = from; i < from + 64; ++i)
            expected[i] = value;
    };
    fill(596, 127);
    fill(660, 127);
    fill(724, 20);
    fill(788, 127);
    fill(852, 52);
    for (int k = 0; k < 64; ++k)
        expected[916 + 3 * k + 2] = 60;
    fill(1876, 127);
    fill(2068, 96);

    for (int i = 0; i < kSize; ++i)
        QVERIFY2(file[i] == expected[i], qPrintable(QStringLiteral("byte %1").arg(i)));

    MspRecord loaded;
    QVERIFY(LoadMspFile(path, loaded, nullptr));
    QVERIFY(loaded.isValid());
    QCOMPARE(loaded.sampleCount(), 0);
}

enum class Kind { Global, Sample, Reserved };

void TestMspRecord::fieldOffsets_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("field"); // GlobalField, SampleField or reserved block number
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("offset");

    const auto g = [](const char *name, GlobalField f, int offset) {
        QTest::newRow(name) << Kind::Global << int(f) << 0 << offset;
    };
    g("HeaderReserved", GlobalField::HeaderReserved, 6);
    g("SampleCount", GlobalField::SampleCount, 7);
    g("Reverb", GlobalField::Reverb, 8);
    g("Effect", GlobalField::Effect, 9);
    g("Overdrive", GlobalField::Overdrive, 10);
    g("Delay", GlobalField::Delay, 11);
    g("Chorus", GlobalField::Chorus, 12);
    g("Octave", GlobalField::Octave, 13);
    g("Level", GlobalField::Level, 14);
    g("FineTune", GlobalField::FineTune, 19);

    const auto s = [](const char *name, SampleField f, int slot, int offset) {
        QTest::newRow(name) << Kind::Sample << int(f) << slot << offset;
    };
    s("StartKey 1", SampleField::StartKey, 1, 532);
    s("StartKey 64", SampleField::StartKey, 64, 595);
    s("EndKey 2", SampleField::EndKey, 2, 597);
    s("Volume 64", SampleField::Volume, 64, 723);
    s("Dca 1", SampleField::Dca, 1, 724);
    s("CutOff 3", SampleField::CutOff, 3, 790);
    s("Dcf 64", SampleField::Dcf, 64, 915);
    s("PitchMode 1", SampleField::PitchMode, 1, 916);
    s("Fine 1", SampleField::Fine, 1, 917);
    s("Key 1", SampleField::Key, 1, 918);
    s("PitchMode 2", SampleField::PitchMode, 2, 919);
    s("Key 64", SampleField::Key, 64, 1107);
    s("Attack 1", SampleField::Attack, 1, 1876);
    s("Sustain 1", SampleField::Sustain, 1, 1940);
    s("Decay 64", SampleField::Decay, 64, 2067);
    s("Release 64", SampleField::Release, 64, 2131);

    QTest::newRow("reserved 0/1") << Kind::Reserved << 0 << 1 << 1108;
    QTest::newRow("reserved 11/64") << Kind::Reserved << 11 << 64 << 1875;
    QTest::newRow("reserved 12/1") << Kind::Reserved << 12 << 1 << 2132;
    QTest::newRow("reserved 19/64") << Kind::Reserved << 19 << 64 << 2643;
}

// Each field, written through its name, changes exactly its own byte of the file.
void TestMspRecord::fieldOffsets()
{
    QFETCH(Kind, kind);
    QFETCH(int, field);
    QFETCH(int, slot);
    QFETCH(int, offset);

    QRandomGenerator rng{quint32(offset)};
    const MspRecord before = MspRecord::fromBytes(randomBytes(rng, kSize));
    const quint8 value = quint8(~quint8(before.bytes()[offset]));
    MspRecord after = before;
    switch (kind) {
    case Kind::Global:
        after.setGlobal(GlobalField(field), value);
        QCOMPARE(after.global(GlobalField(field)), value);
        break;
    case Kind::Sample:
        after.setSample(SampleField(field), slot, value);
        QCOMPARE(after.sample(SampleField(field), slot), value);
        break;
    case Kind::Reserved:
        after.setSampleReserved(field, slot, value);
        QCOMPARE(after.sampleReserved(field, slot), value);
        break;
    }
    QCOMPARE(differences(before.bytes(), after.bytes()), QList<int>{offset});
}

void TestMspRecord::sampleName_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("stored");

    QTest::newRow("short, padded") << 1 << QByteArray("PIANO") << QByteArray("PIANO   ");
    QTest::newRow("long, cut") << 64 << QByteArray("GRANDPIANO") << QByteArray("GRANDPIA");
    QTest::newRow("empty") << 2 << QByteArray() << QByteArray("        ");
    QTest::newRow("high bytes kept") << 3 << QByteArray("\xe9t\xe9") << QByteArray("\xe9t\xe9     ");
}

void TestMspRecord::sampleName()
{
    QFETCH(int, slot);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, stored);

    MspRecord record = MspRecord::newDocument();
    const QByteArray before = record.bytes();
    record.setSampleName(slot, name);
    QCOMPARE(record.sampleName(slot), stored);
    QCOMPARE(record.bytes().mid(20 + 8 * (slot - 1), 8), stored);
    for (int i : differences(before, record.bytes()))
        QVERIFY(i >= 20 + 8 * (slot - 1) && i < 20 + 8 * slot);
}

void TestMspRecord::resetAndCopyTouchOnlyTheirSlot()
{
    QRandomGenerator rng(7);
    const QByteArray fresh = MspRecord::newDocument().bytes();
    for (int round = 0; round < 20; ++round) {
        const MspRecord before = MspRecord::fromBytes(randomBytes(rng, kSize));
        const int k = int(rng.bounded(64)) + 1;
        const std::set<int> mine = slotOffsets(k);

        MspRecord reset = before;
        reset.ResetSampleSlot(k);
        for (int i = 0; i < kSize; ++i) {
            const char want = mine.count(i) ? fresh[i] : before.bytes()[i];
            QVERIFY2(reset.bytes()[i] == want, qPrintable(QStringLiteral("reset %1: byte %2").arg(k).arg(i)));
        }

        const int from = int(rng.bounded(64)) + 1;
        const std::set<int> source = slotOffsets(from);
        MspRecord copied = before;
        copied.copySlot(from, k);
        // Slot offsets are listed in the same field order for every slot.
        auto s = source.begin();
        for (auto m = mine.begin(); m != mine.end(); ++m, ++s)
            QCOMPARE(copied.bytes()[*m], before.bytes()[*s]);
        for (int i = 0; i < kSize; ++i)
            if (!mine.count(i))
                QCOMPARE(copied.bytes()[i], before.bytes()[i]);
    }
}

void TestMspRecord::badSlotsStayInside()
{
    MspRecord record = MspRecord::newDocument();
    const QByteArray before = record.bytes();
    for (int slot : {-1, 0, 65, 1000}) {
        record.setSample(SampleField::Release, slot, 1);
        record.setSample(SampleField::Key, slot, 1);
        record.setSampleName(slot, "XXXXXXXX");
        record.setSampleReserved(19, slot, 1);
        record.ResetSampleSlot(slot);
        record.copySlot(1, slot);
        record.copySlot(slot, 1);
        QCOMPARE(record.sample(SampleField::Key, slot), quint8(0));
        QCOMPARE(record.sampleName(slot), QByteArray());
    }
    record.setSampleReserved(20, 1, 1);
    record.setSampleReserved(-1, 1, 1);
    QCOMPARE(record.bytes(), before);
}

void TestMspRecord::magic_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<bool>("valid");

    QTest::newRow("exact") << QByteArray("TAMO00") << true;
    QTest::newRow("lower case") << QByteArray("tamo00") << false;
    QTest::newRow("one letter") << QByteArray("TAMo00") << false;
    QTest::newRow("last digit") << QByteArray("TAMO01") << false;
    QTest::newRow("NUL inside") << QByteArray("TAMO0\0", 6) << false;
    QTest::newRow("empty") << QByteArray(6, '\0') << false;
}

// A wrong identifier is not a read error: the file comes in whole.
void TestMspRecord::magic()
{
    QFETCH(QByteArray, head);
    QFETCH(bool, valid);

    QRandomGenerator rng(11);
    QByteArray image = randomBytes(rng, kSize);
    image.replace(0, 6, head);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("X.MSP"));
    QVERIFY(writeAll(path, image));

    MspRecord record;
    QVERIFY(LoadMspFile(path, record, nullptr));
    QCOMPARE(record.bytes(), image);
    QCOMPARE(record.magic(), head);
    QCOMPARE(record.isValid(), valid);
}

void TestMspRecord::randomRoundTrips()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator rng(seed);
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("IN.MSP"));
    const QString out = dir.filePath(QStringLiteral("OUT.MSP"));
    for (int round = 0; round < 50; ++round) {
        const QByteArray image = randomBytes(rng, kSize);
        QVERIFY(writeAll(in, image));
        MspRecord record;
        QVERIFY(LoadMspFile(in, record, nullptr));
        QVERIFY(SaveMspFile(out, record).ok);
        QVERIFY2(readAll(out) == image, qPrintable(QStringLiteral("seed %1").arg(seed)));
    }
}

void TestMspRecord::shortAndLongFiles_data()
{
    QTest::addColumn<int>("size");
    for (int size : {0, 1, 6, 20, 1000, 2643, 2644, 2645, 10000})
        QTest::addRow("%d bytes", size) << size;
}

void TestMspRecord::shortAndLongFiles()
{
    QFETCH(int, size);

    QRandomGenerator rng{quint32(size)};
    const QByteArray content = randomBytes(rng, size);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("F.MSP"));
    QVERIFY(writeAll(path, content));

    MspRecord record = MspRecord::newDocument();
    QVERIFY(LoadMspFile(path, record, nullptr));
    QByteArray expected = content.left(kSize);
    expected.append(QByteArray(kSize - expected.size(), '\0'));
    QCOMPARE(record.bytes(), expected);

    // Saving over the same file leaves exactly the record, however long it was.
    QVERIFY(SaveMspFile(path, record).ok);
    QCOMPARE(readAll(path), expected);
}

void TestMspRecord::loadFailureKeepsRecord_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("missing") << QStringLiteral("missing");
    QTest::newRow("folder") << QStringLiteral("folder");
    QTest::newRow("unreadable") << QStringLiteral("unreadable");
    QTest::newRow("empty path") << QStringLiteral("empty");
    QTest::newRow("below a file") << QStringLiteral("below a file");
}

void TestMspRecord::loadFailureKeepsRecord()
{
    QFETCH(QString, what);

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("A.MSP"));
    if (what == QLatin1String("folder")) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("A.MSP")));
    } else if (what == QLatin1String("unreadable")) {
        QVERIFY(writeAll(path, QByteArray(kSize, 'x')));
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        QFile probe(path);
        if (probe.open(QIODevice::ReadOnly))
            QSKIP("permissions do not stop this user from reading");
    } else if (what == QLatin1String("empty")) {
        path.clear();
    } else if (what == QLatin1String("below a file")) {
        QVERIFY(writeAll(path, QByteArray(kSize, 'x')));
        path = dir.filePath(QStringLiteral("A.MSP/B.MSP"));
    }

    QRandomGenerator rng(3);
    MspRecord record = MspRecord::fromBytes(randomBytes(rng, kSize));
    const MspRecord before = record;
    QString error;
    QVERIFY(!LoadMspFile(path, record, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(record.bytes(), before.bytes());
}

void TestMspRecord::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<bool>("fits");

    QTest::newRow("nothing may be written") << qint64(0) << false;
    QTest::newRow("fails after 1 byte") << qint64(1) << false;
    QTest::newRow("fails mid-record") << qint64(1000) << false;
    QTest::newRow("fails at the last byte") << qint64(kSize - 1) << false;
    QTest::newRow("just fits") << qint64(kSize) << true;
}

// A write that fails part-way, as on a full disk, in a child process under a
// file-size limit: the old file must come out byte-identical, nothing left behind.
void TestMspRecord::failedSaveKeepsOldFile()
{
    QFETCH(qint64, limit);
    QFETCH(bool, fits);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("OLD.MSP"));
    QRandomGenerator rng{quint32(limit)};
    const QByteArray old = randomBytes(rng, kSize);
    QVERIFY(writeAll(path, old));
    const MspRecord next = MspRecord::newDocument();

    const bool childSaw = tamo::test::runInChildWithFileSizeLimit(limit, [&] {
        const tamo::SaveResult result = SaveMspFile(path, next);
        return result.ok == fits && result.error.isEmpty() == fits;
    });
    QVERIFY2(childSaw, "the save did not report what happened");
    QCOMPARE(readAll(path), fits ? next.bytes() : old);
    QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("OLD.MSP")});
}

QTEST_GUILESS_MAIN(TestMspRecord)
#include "test_msprecord.moc"
