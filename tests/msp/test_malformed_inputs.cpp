// Malformed MSP and WAV files, and paths that cannot be read: each gets a clear
// result (the tool's refusal, or the record read as it stands) and nothing else.

#include "../wav/helper_wav.h"
#include "msp/mspfile.h"
#include "msp/msprecord.h"
#include "wav/wavbytes.h"
#include "wav/wavinfo.h"
#include "wav/wavtext.h"
#include "wav/wavtools.h"
#include "wav/wavwaveform.h"

#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace tamo::msp;
using namespace tamo::wav;
using namespace tamo::test::wavgen;
using tamo::test::filesIn;
using tamo::test::readAll;
using tamo::test::runInChildAsOrdinaryUser;
using tamo::test::writeAll;

Q_DECLARE_METATYPE(tamo::wav::CleanUpStatus)

class TestMalformedInputs : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QByteArray example(const QString &name) const
    {
        return readAll(tamo::test::examplePath(name));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // The list shows at most 64 names, whatever SampleCount says.
    void mspSampleCount()
    {
        for (const int count : {65, 255}) {
            QByteArray file = example(QStringLiteral("SINES.MSP"));
            file[7] = char(count);
            const QString path = m_dir.filePath(QStringLiteral("count.msp"));
            QVERIFY(writeAll(path, file));
            MspRecord record;
            QVERIFY(LoadMspFile(path, record, nullptr) && record.isValid());
            QCOMPARE(record.sampleCount(), count);
            QCOMPARE(record.usedSlotCount(), 64);
        }
    }

    // Every cut of a valid file, the empty one included, reads as the bytes there padded with zeros.
    void mspEveryTruncation()
    {
        const QByteArray sines = example(QStringLiteral("SINES.MSP"));
        QCOMPARE(sines.size(), kMspRecordSize);
        const QString path = m_dir.filePath(QStringLiteral("cut.msp"));
        for (qsizetype n = 0; n < sines.size(); ++n) {
            QVERIFY(writeAll(path, sines.left(n)));
            MspRecord record;
            QVERIFY(LoadMspFile(path, record, nullptr));
            QCOMPARE(record.isValid(), n >= 6);
            QCOMPARE(record.bytes(), sines.left(n) + QByteArray(kMspRecordSize - n, '\0'));
        }
    }

    // Every cut of a valid WAV file, the empty one included: CleanUp refuses it, the rest copes.
    void wavEveryTruncation()
    {
        const QByteArray whole = wavFile(payload(400));
        for (qsizetype n = 0; n < whole.size(); ++n) {
            const QByteArray cut = whole.left(n);
            QCOMPARE(readWavView(cut).dataOffset, n >= 40 ? 36 : -1);
            (void)computeWaveform(cut, 9315, 4635, 400);
            MemorySource source(cut);
            QCOMPARE(planCleanUp(source).status, n < 45 ? CleanUpStatus::BadFileSize : CleanUpStatus::WrongDataSize);
        }
    }

    void malformedWav_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<qint64>("dataAt"); // -1: no "data" anywhere
        QTest::addColumn<qint64>("after");  // bytes after the data as the size field claims
        QTest::addColumn<CleanUpStatus>("cleanUp");
        const QByteArray p = payload(400);
        const QByteArray file = wavFile(p);
        // Sizes near 2^31 and negative: the data would end far past the file or before its start.
        for (const quint32 size : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu})
            QTest::addRow("data size 0x%x", size) << QByteArray(file).replace(40, 4, le32(size)) << 36LL
                                                  << 400 - qint64(qint32(size)) << CleanUpStatus::WrongDataSize;
        QTest::newRow("data tag in the last 3 bytes") << riff(fmtChunk() + chunk("LIST", payload(20))) + "dat" << -1LL
                                                      << 0LL << CleanUpStatus::DataNotFound;
        // The chunk walk would wrap past the end or, in 32 bits, back to where it started;
        // CleanUp then finds the data as the panel does.
        QTest::newRow("chunk size 0xFFFFFFF8") << riff(fmtChunk() + "JUNK" + le32(0xFFFFFFF8) + QByteArray(8, 'j')
                                                       + chunk("data", p))
                                               << 52LL << 0LL << CleanUpStatus::Done;
    }
    void malformedWav()
    {
        QFETCH(QByteArray, file);
        QFETCH(qint64, dataAt);
        QFETCH(qint64, after);
        QFETCH(CleanUpStatus, cleanUp);
        const WavView view = readWavView(file);
        QCOMPARE(view.dataOffset, dataAt);
        if (dataAt >= 0) {
            QCOMPARE(view.after, after);
            const qint64 end = dataAt + 8 + view.dataSize; // where the size field says the data ends
            QCOMPARE(view.afterBytes, after > 0 && end >= 0 ? file.mid(end) : QByteArray());
        }
        // As shown, the fields write back the very bytes they came from.
        const HeaderWritePlan plan = planHeaderWrite(shownTexts(view), view);
        QCOMPARE(plan.problem, HeaderWritePlan::Problem::None);
        QByteArray written = file;
        for (const WritePiece &piece : plan.pieces) {
            QVERIFY(piece.offset + piece.bytes.size() <= file.size());
            written.replace(piece.offset, piece.bytes.size(), piece.bytes);
        }
        QCOMPARE(written, file);
        // The drawing stays on the canvas whatever the size claims.
        const WaveformPlot plot = computeWaveform(file, 9315, 4635, leadingNumber(shownTexts(view).dataSize));
        QVERIFY(plot.points.size() <= 9315 + 3);
        for (const QPointF &point : plot.points)
            QVERIFY(point.x() >= 0 && point.y() >= 0 && point.y() <= 4635);
        // CleanUp refuses and leaves the file and its folder as they were.
        const QString folder = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(writeAll(folder + QStringLiteral("/SAMPLE.wav"), file));
        QCOMPARE(cleanUpWavFile(folder + QStringLiteral("/SAMPLE.wav")).status, cleanUp);
        if (cleanUp != CleanUpStatus::Done)
            QCOMPARE(readAll(folder + QStringLiteral("/SAMPLE.wav")), file);
        QCOMPARE(filesIn(folder), QStringList{QStringLiteral("SAMPLE.wav")});
    }

    // Found by fuzzing: the loop end S / 2 + 15 was summed in 32 bits and wrapped near 2^31.
    void samplerLoop_data()
    {
        QTest::addColumn<qint32>("dataSize");
        QTest::addColumn<qint32>("start");
        QTest::addColumn<qint32>("end");
        QTest::newRow("0x7FFFFFE2, end past 2^31 / 2") << 0x7FFFFFE2 << 1073741809 << 1073741824;
        QTest::newRow("0x7FFFFFFF, halves to even") << 0x7FFFFFFF << 1073741824 << 1073741838;
    }
    void samplerLoop()
    {
        QFETCH(qint32, dataSize);
        QFETCH(qint32, start);
        QFETCH(qint32, end);
        const QByteArray sampler = samplerChunk(dataSize);
        QCOMPARE(int32At(sampler, 52), start);
        QCOMPARE(int32At(sampler, 56), end);
    }

    // Every reader and tool refuses a directory or an unreadable file, with a reason, and writes nothing.
    void badPath()
    {
        const QString folder = m_dir.filePath(QStringLiteral("bad"));
        const auto refused = [&folder](const QString &path) {
            MspRecord record = MspRecord::newDocument();
            QString mspError, writeError, deblockError;
            const CleanUpResult cleanUp = cleanUpWavFile(path);
            FileSource source(path);
            return !LoadMspFile(path, record, &mspError) && !mspError.isEmpty() && record == MspRecord::newDocument()
                   && cleanUp.status == CleanUpStatus::Failed && !cleanUp.error.isEmpty() && !source.open()
                   && !writePiecesInPlace(path, {{0, "RIFF"}}, &writeError) && !writeError.isEmpty()
                   && !deblockFile(path, folder + QStringLiteral("/O.Wav"), &deblockError) && !deblockError.isEmpty();
        };
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/DIR.wav")));
        QVERIFY(refused(folder + QStringLiteral("/DIR.wav")));
        const QString locked = folder + QStringLiteral("/LOCKED.wav");
        QVERIFY(writeAll(locked, wavFile(payload(100))));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
        // A child that is not root must be able to reach the folder.
        QFile::setPermissions(folder, QFileDevice::Permissions(0x7777));
        QFile::setPermissions(m_dir.path(), QFileDevice::Permissions(0x7777));
        QVERIFY(runInChildAsOrdinaryUser([&] { return refused(locked); }));
        QCOMPARE(filesIn(folder), QStringList{QStringLiteral("LOCKED.wav")});
    }

    // A file over 4 GiB (sparse): every offset is past 32 bits.
    void sparseOver4GiB()
    {
        const QString path = m_dir.filePath(QStringLiteral("HUGE.wav"));
        const qint64 gap = 0xFFFFFFF0LL; // a LIST chunk that carries the data past 4 GiB
        const QByteArray head = riff(fmtChunk()) + "LIST" + le32(gap);
        const QByteArray data = payload(16);
        const QByteArray tail = chunk("data", data) + "end!";
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.write(head) == head.size());
            if (!file.resize(head.size() + gap) || !file.seek(head.size() + gap) || file.write(tail) != tail.size())
                QSKIP("This file system cannot hold a sparse file over 4 GiB.");
        }
        const qint64 d = head.size() + gap;
        FileSource source(path);
        QVERIFY(source.open());
        const WavView view = readWavView(source);
        QCOMPARE(view.length, d + tail.size());
        QCOMPARE(view.dataOffset, d);
        QCOMPARE(view.dataSize, 16);
        QCOMPARE(view.afterBytes, QByteArray("end!"));
        const WaveformPlot plot = computeWaveform(source, 9315, 4635, 16);
        QCOMPARE(plot.dataOffset, d);
        QCOMPARE(plot.points.size(), 8);
        QCOMPARE(plot.points.at(1).y(), 4635 * (32768.0 - qFromLittleEndian<qint16>(data.constData() + 2)) / 65536);
        // The chunk walk reaches the data past 4 GiB; the result is small and canonical.
        QCOMPARE(cleanUpWavFile(path).status, CleanUpStatus::Done);
        const QByteArray cleaned = readAll(path);
        QCOMPARE(cleaned.size(), 44 + 16 + 68);
        QCOMPARE(cleaned.mid(44, 16), data);
    }
};

QTEST_GUILESS_MAIN(TestMalformedInputs)
#include "test_malformed_inputs.moc"
