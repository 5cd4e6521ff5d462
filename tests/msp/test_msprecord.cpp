// SPDX-License-Identifier: GPL-3.0-or-later
// The MSP record, its value formats and the key mapping; what a save leaves of the file it
// writes over, where it may write, and paths no reader can use.

#include "msp/keymapping.h"
#include "msp/mspfile.h"
#include "msp/msprecord.h"
#include "msp/valueformats.h"
#include "wav/wavbytes.h"
#include "wav/wavinfo.h"
#include "wav/wavtools.h"

#include "../wav/helper_wav.h"

#include "faultsupport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using namespace tamo::msp;
using namespace tamo::test;
using tamo::test::wavgen::payload;
using tamo::test::wavgen::wavFile;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(SlotRoots)

constexpr int kNoFit = -1; // stored value expected: does not fit, the old byte stays

static QByteArray randomBytes(quint32 seed, qsizetype size = kMspRecordSize)
{
    QList<quint32> words((size + 3) / 4);
    QRandomGenerator(seed).fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char *>(words.constData()), size);
}

class TestMspRecord : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    // A child that is not root must reach the folders.
    void initTestCase() { QVERIFY(m_dir.isValid() && QFile::setPermissions(m_dir.path(), QFileDevice::Permissions(0x7755))); }

    // Saving writes exactly these bytes (save).
    void newDocument()
    {
        QByteArray expected(kMspRecordSize, '\0');
        expected.replace(0, 6, "TAMO00");
        expected[14] = expected[19] = 64;
        for (int k = 0; k < 64; ++k) {
            expected[916 + 3 * k + 2] = 60;
            for (auto [block, value] : {std::pair{596, 127}, {660, 127}, {724, 20}, {788, 127}, {852, 52}, {1876, 127}, {2068, 96}})
                expected[block + k] = char(value);
        }
        QCOMPARE(MspRecord::newDocument().bytes(), expected); // its identifier checked exactly: fuzz_msp_record
    }

    void fieldOffsets_data()
    {
        QTest::addColumn<bool>("global");
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("offset");
        const int global[] = {6, 7, 8, 9, 10, 11, 12, 13, 14, 19};
        for (int f = 0; f < 10; ++f)
            QTest::addRow("global %d", f) << true << f << 0 << global[f];
        // StartKey to Dcf, PitchMode, Fine, Key (3 bytes a slot), Attack to Release.
        const int sample[] = {532, 596, 660, 724, 788, 852, 916, 917, 918, 1876, 1940, 2004, 2068};
        for (int f = 0; f < 13; ++f)
            for (int slot : {1, 2, 64})
                QTest::addRow("sample %d, slot %d", f, slot) << false << f << slot << sample[f] + (slot - 1) * (f >= 6 && f <= 8 ? 3 : 1);
        // A caller's bad slot reads as 0 and writes nothing.
        for (int slot : {-1, 0, 65})
            QTest::addRow("bad slot %d", slot) << false << int(SampleField::Release) << slot << -1;
    }
    // Each field, written through its name, changes exactly its own byte (-1: none).
    void fieldOffsets()
    {
        QFETCH(bool, global);
        QFETCH(int, field);
        QFETCH(int, slot);
        QFETCH(int, offset);
        QByteArray expected = randomBytes(quint32(offset + 1));
        MspRecord record = MspRecord::fromBytes(expected);
        const auto value = quint8(~quint8(expected[std::max(offset, 0)]));
        if (offset >= 0)
            expected[offset] = char(value);
        global ? record.setGlobal(GlobalField(field), value) : record.setSample(SampleField(field), slot, value);
        QCOMPARE(record.bytes(), expected);
        QCOMPARE(global ? record.global(GlobalField(field)) : record.sample(SampleField(field), slot), offset >= 0 ? value : 0);
    }

    // A start key is stored one below the note shown; the rotor bit is no part of the effect.
    void texts()
    {
        const QStringList shown = {NoteName(256),    StartNoteName(59), OctaveText(254),     OctaveText(1),
                                   PitchModeText(1), RotorText(0x83),   EffectName(5).name, EffectName(0x83).name};
        QCOMPARE(shown, QStringList({u"E19"_s, u"C3"_s, u"-2"_s, u"+1"_s, u"FIXED"_s, u"ON"_s, u"DELAY + CHORUS"_s, u"CHORUS"_s}));
    }

    void values_data()
    {
        QTest::addColumn<int>("format"); // a ValueFormat; -1: the START key
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("picked");
        QTest::addColumn<int>("storedAfterPick");
        QTest::newRow("half 255 to 256 does not fit") << int(ValueFormat::Half) << 255 << 127 << 128 << kNoFit;
        QTest::newRow("fine 42 ties to even") << int(ValueFormat::Fine) << 42 << 16 << 16 << 41;
        QTest::newRow("reverse127 200 shows negative") << int(ValueFormat::Reverse127) << 200 << -73 << 128 << kNoFit;
        QTest::newRow("reverse96 255") << int(ValueFormat::Reverse96) << 255 << -159 << 5 << 91;
        QTest::newRow("low nibble keeps the high one") << int(ValueFormat::LowNibble) << 0xff << 15 << 0 << 0xf0;
        QTest::newRow("start key 60 stores 59") << -1 << 0 << 0 << 60 << 59;
        QTest::newRow("start key 257 does not fit") << -1 << 0 << 0 << 257 << kNoFit;
    }
    void values()
    {
        QFETCH(int, format);
        QFETCH(int, stored);
        QFETCH(int, shown);
        QFETCH(int, picked);
        QFETCH(int, storedAfterPick);
        const auto f = ValueFormat(format);
        QVERIFY(format < 0 || shownValue(f, quint8(stored)) == shown);
        const std::optional<quint8> result = format >= 0 ? storedValue(f, picked, quint8(stored)) : storedStartNote(picked);
        QCOMPARE(result ? int(*result) : kNoFit, storedAfterPick);
    }

    // Closing the slider without moving it keeps any byte the format shows exactly;
    // HALF starts an odd byte at its half rounded to even, so the byte moves to the
    // neighbour that is a multiple of 4, and 255 cannot be kept.
    void slidersRoundTrip()
    {
        using F = ValueFormat;
        for (F f : {F::Plain, F::Half, F::Reverse127, F::Reverse99, F::Reverse96, F::SignedOffset64, F::HighNibble, F::LowNibble})
            for (int v = 0; v < 256; ++v) {
                const std::optional<quint8> back = storedValue(f, sliderStartValue(f, quint8(v)), quint8(v));
                QVERIFY2(f != F::Half ? back == v : v == 255 ? !back : back == (v % 2 ? (v + 1) / 4 * 4 : v), qPrintable(u"format %1, byte %2"_s.arg(int(f)).arg(v)));
            }
    }

    // The mapped samples come first in root order, and their zones cover every key 1..127
    // exactly once as shown; the rootless follow, keeping their zones. Examples, then
    // random sets of 1..64 samples.
    void keyMap_data()
    {
        QTest::addColumn<SlotRoots>("roots");
        QTest::addColumn<QList<int>>("order"); // empty: only the rules above
        QTest::addColumn<QList<int>>("ends");  // of the mapped slots
        QTest::newRow("odd gap: the lower key") << SlotRoots{60, 61} << QList{1, 2} << QList{60, 127};
        QTest::newRow("duplicates split their zone") << SlotRoots{60, 60, 72} << QList{1, 2, 3} << QList{33, 66, 127};
        QRandomGenerator random(12);
        for (int round = 0; round < 400; ++round) {
            const bool crowded = round % 4 == 0; // few distinct roots: many duplicates
            SlotRoots roots;
            for (int k = round ? 1 + int(random.bounded(64)) : 64; k > 0; --k)
                roots << (round && random.bounded(8) == 0 ? std::nullopt
                                                          : std::optional(int(crowded ? 60 + random.bounded(3) : random.bounded(128))));
            QTest::addRow("random %d", round) << roots << QList<int>() << QList<int>();
        }
    }
    void keyMap()
    {
        QFETCH(SlotRoots, roots);
        QFETCH(QList<int>, order);
        QFETCH(QList<int>, ends);
        // Every slot byte differs, so a moved slot is recognised whole.
        MspRecord record = MspRecord::fromBytes(MspRecord::newDocument().bytes().left(20) + randomBytes(7).mid(20));
        record.setGlobal(GlobalField::SampleCount, quint8(roots.size()));
        const MspRecord before = record;
        const QList<int> mappedOrder = mapKeys(record, roots);
        QVERIFY(order.isEmpty() || mappedOrder == order);
        const auto mapped = std::count_if(roots.begin(), roots.end(), [](auto r) { return r.has_value(); });
        QList<int> cover(128, 0);
        int previousRoot = -1, previousSlot = 0;
        for (int k = 1; k <= roots.size(); ++k) {
            const int from = mappedOrder.at(k - 1);
            const std::optional<int> root = roots.at(from - 1);
            const auto zone = [k, from](const MspRecord &r, bool old) {
                return std::pair(r.sample(SampleField::StartKey, old ? from : k), r.sample(SampleField::EndKey, old ? from : k));
            };
            QCOMPARE(k <= mapped, root.has_value());
            QCOMPARE(record.sampleName(k), before.sampleName(from));
            QCOMPARE(int(record.sample(SampleField::Key, k)), root ? *root : int(before.sample(SampleField::Key, from)));
            if (!root) {
                QCOMPARE(zone(record, false), zone(before, true));
                continue;
            }
            QVERIFY(*root > previousRoot || (*root == previousRoot && from > previousSlot));
            std::tie(previousRoot, previousSlot) = std::pair(*root, from);
            QVERIFY(ends.isEmpty() || zone(record, false).second == ends.at(k - 1));
            for (int key = zone(record, false).first + 1; key <= zone(record, false).second; ++key)
                ++cover[key];
        }
        QVERIFY(mapped == 0 || cover.mid(1) == QList<int>(127, 1));
    }

    // Every reader and tool refuses a directory or an unreadable file, with a reason, and writes nothing.
    void badPath()
    {
        const QString folder = m_dir.filePath(u"bad"_s);
        const auto refused = [&folder](const QString &path, int reason) {
            MspRecord record = MspRecord::newDocument();
            QString mspError, writeError, deblockError, stampError;
            const tamo::wav::CleanUpResult cleanUp = tamo::wav::cleanUpWavFile(path);
            tamo::wav::FileSource source(path);
            return !LoadMspFile(path, record, &mspError) && !mspError.isEmpty() && record == MspRecord::newDocument()
                   && cleanUp.status == tamo::wav::CleanUpStatus::Failed && !cleanUp.error.isEmpty() && !source.open()
                   && !tamo::wav::writePiecesInPlace(path, {{0, "RIFF"}}, &writeError) && !writeError.isEmpty()
                   && !tamo::wav::deblockFile(path, folder + u"/O.Wav"_s, &deblockError) && !deblockError.isEmpty()
                   && !tamo::wav::stampTestHeaderFile(path, &stampError) && stampError.endsWith(errorText(reason));
        };
        QVERIFY(QDir().mkpath(folder + u"/DIR.wav"_s));
        QVERIFY(refused(folder + u"/DIR.wav"_s, EISDIR));
        const QString locked = folder + u"/LOCKED.wav"_s;
        QVERIFY(writeAll(locked, wavFile(payload(100))));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
        QFile::setPermissions(folder, QFileDevice::Permissions(0x7777));
        QVERIFY(runInChildAsOrdinaryUser([&] { return refused(locked, EACCES); }));
        QCOMPARE(filesIn(folder), QStringList{u"LOCKED.wav"_s});
    }

    // A save writes the record over the start of the old file and keeps its tail (a short
    // file's missing tail zero), or fails and leaves it as it was; never a second file.
    void save_data()
    {
        QTest::addColumn<QByteArray>("old"); // null: no file
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::addColumn<bool>("writableFile");
        QTest::addColumn<bool>("saved");
        const QByteArray valid = MspRecord::newDocument().bytes();
        QTest::newRow("no file") << QByteArray() << false << true << true;
        QTest::newRow("shorter file") << QByteArray(100, 'x') << false << true << true;
        QTest::newRow("read-only folder, writable file") << valid + "tail" << true << true << true;
        QTest::newRow("read-only folder, read-only file") << valid + "tail" << true << false << false;
        QTest::newRow("writable folder, read-only file") << valid << false << false << false;
    }
    void save()
    {
        QFETCH(QByteArray, old);
        QFETCH(bool, readOnlyFolder);
        QFETCH(bool, writableFile);
        QFETCH(bool, saved);
        const QString folder = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        const QString path = folder + u"/TAKE1.MSP"_s;
        QVERIFY(QDir().mkpath(folder) && (old.isNull() || writeAll(path, old)));
        MspRecord record = MspRecord::newDocument();
        record.setGlobal(GlobalField::Level, 99);
        using P = QFileDevice;
        QVERIFY(QFile::setPermissions(folder, P::ReadOwner | P::ExeOwner | P::ReadOther | P::ExeOther
                                                  | (readOnlyFolder ? P::Permissions() : P::WriteOwner | P::WriteOther)));
        QVERIFY(old.isNull() || QFile::setPermissions(path, P::ReadOwner | P::ReadOther
                                                                 | (writableFile ? P::WriteOwner | P::WriteOther : P::Permissions())));
        const bool result = runInChildAsOrdinaryUser([&] { return SaveMspFile(path, record).ok == saved; });
        QFile::setPermissions(folder, P::Permissions(0x7777));
        QVERIFY(result);
        QCOMPARE(readAll(path), saved ? record.bytes() + old.mid(kMspRecordSize) : old);
        QCOMPARE(filesIn(folder), QStringList{u"TAKE1.MSP"_s});
    }

    // A FIFO (or a device) is refused at once; a file is read no further than the record.
    void load_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("loads");
        QTest::newRow("FIFO") << m_dir.filePath(u"fifo.msp"_s) << false;
        QTest::newRow("1 GiB file") << m_dir.filePath(u"huge.msp"_s) << true;
    }
    void load()
    {
        QFETCH(QString, path);
        QFETCH(bool, loads);
        QVERIFY(QFile::exists(path) || (loads ? sparseFile(path, "TAMO00", qint64(1) << 30) : makeFifo(path)));
        QVERIFY(runWithinAMinute([&] {
            MspRecord record;
            const qint64 before = bytesReadSoFar();
            const bool loaded = LoadMspFile(path, record, nullptr);
            return loaded == loads && bytesReadSoFar() - before <= (loads ? kMspRecordSize : 0) + 256 && record.isValid() == loads;
        }));
    }
};

QTEST_GUILESS_MAIN(TestMspRecord)
#include "test_msprecord.moc"
