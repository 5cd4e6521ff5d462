// Malformed MSP and WAV files, and paths that cannot be read: each gets a clear
// result (the tool's refusal, or the record read as it stands) and nothing else.
// Inputs that the fuzz targets found harmful are kept here as rows.

#include "msp/mspfile.h"
#include "msp/msprecord.h"
#include "msp/wavbytes.h"
#include "msp/wavinfo.h"
#include "msp/wavtext.h"
#include "msp/wavtools.h"
#include "msp/wavwaveform.h"

#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace tamo::msp;
using tamo::test::filesIn;
using tamo::test::readAll;
using tamo::test::runInChildAsOrdinaryUser;
using tamo::test::writeAll;

Q_DECLARE_METATYPE(tamo::msp::CleanUpStatus)

namespace {

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray chunk(QByteArrayView tag, const QByteArray &body, bool pad = true)
{
    QByteArray c = tag.toByteArray() + le32(quint32(body.size())) + body;
    if (pad && body.size() % 2)
        c += '\0';
    return c;
}

QByteArray fmtBody(quint16 format = 1, quint16 channels = 1, quint32 rate = 22050, quint16 bits = 16)
{
    const quint16 align = quint16(channels * bits / 8);
    return le16(format) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) + le16(bits);
}

QByteArray riff(const QByteArray &chunks)
{
    return "RIFF" + le32(quint32(chunks.size() + 4)) + "WAVE" + chunks;
}

QByteArray payload(int bytes)
{
    QByteArray p(bytes, '\0');
    for (int i = 0; i < bytes; ++i)
        p[i] = char((i * 29 + 7) & 0xff);
    return p;
}

// The 44-byte canonical header, then the payload and any trailing bytes.
QByteArray canonical(const QByteArray &data, const QByteArray &trailer = {})
{
    return riff(chunk("fmt ", fmtBody()) + chunk("data", data)) + trailer;
}

QByteArray withDataSize(QByteArray file, quint32 size)
{
    return file.replace(40, 4, le32(size));
}

// Reads a little-endian number the way the panel does: bytes past the end are 0.
qint32 int32In(const QByteArray &bytes, qint64 at)
{
    QByteArray b = bytes.mid(at, 4);
    b.append(4 - b.size(), '\0');
    return qFromLittleEndian<qint32>(b.constData());
}


enum class BadPath { Missing, Directory, Unreadable, ThroughFile, Empty };

} // namespace

Q_DECLARE_METATYPE(BadPath)

class TestMalformedInputs : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString examplePath(const QString &name) const
    {
        return QDir(qEnvironmentVariable("TAMO_TEST_DATA")).filePath(QStringLiteral("../../examples/") + name);
    }

    // A folder of its own for one case, so that leftovers can be counted.
    QString freshFolder(const QString &name) const
    {
        const QString folder = m_dir.filePath(name);
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        return folder;
    }

    // The path of a bad case, made inside folder.
    QString badPath(BadPath kind, const QString &folder) const
    {
        switch (kind) {
        case BadPath::Missing: return folder + QStringLiteral("/missing.wav");
        case BadPath::Directory: {
            const QString dir = folder + QStringLiteral("/dir.wav");
            QDir().mkpath(dir);
            return dir;
        }
        case BadPath::Unreadable: {
            const QString path = folder + QStringLiteral("/locked.wav");
            writeAll(path, canonical(payload(100)));
            QFile::setPermissions(path, QFileDevice::Permissions());
            // A child that is not root must be able to reach the folder.
            QFile::setPermissions(folder, QFileDevice::Permissions(0x7777));
            QFile::setPermissions(m_dir.path(), QFileDevice::Permissions(0x7777));
            return path;
        }
        case BadPath::ThroughFile: {
            const QString file = folder + QStringLiteral("/plain");
            writeAll(file, "x");
            return file + QStringLiteral("/inside.wav");
        }
        case BadPath::Empty: return {};
        }
        return {};
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // ---- MSP

    void mspRecord_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("sampleCount");
        QTest::addColumn<int>("listed");
        const QByteArray sines = readAll(examplePath(QStringLiteral("SINES.MSP")));
        QCOMPARE(sines.size(), kMspRecordSize);
        auto withCount = [&sines](int count) {
            QByteArray f = sines;
            f[7] = char(count);
            return f;
        };
        QTest::newRow("empty file") << QByteArray() << false << 0 << 0;
        QTest::newRow("identifier only") << QByteArray("TAMO00") << true << 0 << 0;
        QTest::newRow("cut in the identifier") << QByteArray("TAMO0") << false << 0 << 0;
        QTest::newRow("identifier in lower case") << "tamo00" + sines.mid(6) << false << 3 << 0;
        QTest::newRow("SampleCount 64") << withCount(64) << true << 64 << 64;
        QTest::newRow("SampleCount 65") << withCount(65) << true << 65 << 64;
        QTest::newRow("SampleCount 255") << withCount(255) << true << 255 << 64;
        QTest::newRow("longer than a record") << sines + QByteArray(5000, 'x') << true << 3 << 3;
    }
    void mspRecord()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, valid);
        QFETCH(int, sampleCount);
        QFETCH(int, listed);
        const QString path = m_dir.filePath(QStringLiteral("case.msp"));
        QVERIFY(writeAll(path, file));
        MspRecord record;
        QString error;
        QVERIFY2(LoadMspFile(path, record, &error), qPrintable(error));
        QCOMPARE(record.isValid(), valid);
        QCOMPARE(record.sampleCount(), sampleCount);
        if (valid)
            QCOMPARE(record.usedSlotCount(), listed);
        QByteArray expected = file.left(kMspRecordSize);
        expected.append(kMspRecordSize - expected.size(), '\0');
        QCOMPARE(record.bytes(), expected);
    }

    void mspEveryTruncation()
    {
        const QByteArray sines = readAll(examplePath(QStringLiteral("SINES.MSP")));
        const QString path = m_dir.filePath(QStringLiteral("cut.msp"));
        for (qsizetype n = 0; n < sines.size(); ++n) {
            QVERIFY(writeAll(path, sines.left(n)));
            MspRecord record;
            QVERIFY(LoadMspFile(path, record, nullptr));
            QCOMPARE(record.isValid(), n >= 6);
            QCOMPARE(record.bytes().left(n), sines.left(n));
            QCOMPARE(record.bytes().mid(n).count('\0'), kMspRecordSize - n);
        }
    }

    void mspBadPath_data()
    {
        QTest::addColumn<BadPath>("kind");
        QTest::newRow("missing") << BadPath::Missing;
        QTest::newRow("directory") << BadPath::Directory;
        QTest::newRow("unreadable") << BadPath::Unreadable;
        QTest::newRow("through a file") << BadPath::ThroughFile;
        QTest::newRow("no name") << BadPath::Empty;
    }
    void mspBadPath()
    {
        QFETCH(BadPath, kind);
        const QString path = badPath(kind, freshFolder(QStringLiteral("msp")));
        const auto refused = [&path] {
            MspRecord record = MspRecord::newDocument();
            QString error;
            return !LoadMspFile(path, record, &error) && !error.isEmpty() && record == MspRecord::newDocument();
        };
        QVERIFY(kind == BadPath::Unreadable ? runInChildAsOrdinaryUser(refused) : refused());
    }

    // ---- WAV: the panel's readout and drawing

    void wavView_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<qint64>("dataAt"); // -1: no "data" anywhere

        const QByteArray p = payload(400);
        const QByteArray file = canonical(p);
        for (int n = 0; n <= 44; ++n)
            QTest::addRow("%d bytes", n) << file.left(n) << (n >= 40 ? 36LL : -1LL);
        QTest::newRow("cut inside fmt") << file.left(27) << -1LL;
        QTest::newRow("cut inside data") << file.left(44 + 101) << 36LL;
        QTest::newRow("RIFX") << "RIFX" + file.mid(4) << 36LL;
        QTest::newRow("RF64") << "RF64" + le32(0xFFFFFFFF) + file.mid(8) << 36LL;
        QTest::newRow("not WAVE") << file.left(8) + "AVI " + file.mid(12) << 36LL;
        QTest::newRow("RIFF size 0") << file.left(4) + le32(0) + file.mid(8) << 36LL;
        QTest::newRow("RIFF size smaller") << file.left(4) + le32(20) + file.mid(8) << 36LL;
        QTest::newRow("RIFF size larger") << file.left(4) + le32(100000) + file.mid(8) << 36LL;
        QTest::newRow("RIFF size 0xFFFFFFFF") << file.left(4) + le32(0xFFFFFFFF) + file.mid(8) << 36LL;
        QTest::newRow("fmt size 0") << riff(chunk("fmt ", {}) + chunk("data", p)) << 20LL;
        QTest::newRow("fmt size 14") << riff(chunk("fmt ", fmtBody().left(14)) + chunk("data", p)) << 34LL;
        QTest::newRow("fmt size 18") << riff(chunk("fmt ", fmtBody() + le16(0)) + chunk("data", p)) << 38LL;
        QTest::newRow("fmt size 40") << riff(chunk("fmt ", fmtBody() + QByteArray(24, '\0')) + chunk("data", p))
                                     << 60LL;
        QTest::newRow("zero channels, align, bits, rate") << riff(chunk("fmt ", fmtBody(1, 0, 0, 0)) + chunk("data", p))
                                                          << 36LL;
        QTest::newRow("8-bit") << riff(chunk("fmt ", fmtBody(1, 1, 22050, 8)) + chunk("data", payload(101))) << 36LL;
        QTest::newRow("24-bit") << riff(chunk("fmt ", fmtBody(1, 1, 22050, 24)) + chunk("data", payload(99))) << 36LL;
        QTest::newRow("32-bit float") << riff(chunk("fmt ", fmtBody(3, 2, 44100, 32)) + chunk("data", p)) << 36LL;
        QTest::newRow("data size 0") << canonical({}) << 36LL;
        QTest::newRow("data size odd") << canonical(payload(63)) << 36LL;
        for (const quint32 size : {1000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0xFFFFFFFEu})
            QTest::addRow("data size 0x%x", size) << withDataSize(file, size) << 36LL;
        QTest::newRow("odd chunk padded") << riff(chunk("fmt ", fmtBody()) + chunk("LIST", "INFOodd") + chunk("data", p))
                                          << 52LL;
        QTest::newRow("odd chunk unpadded")
            << riff(chunk("fmt ", fmtBody()) + chunk("LIST", "INFOodd", false) + chunk("data", p)) << 51LL;
        QTest::newRow("chunk size 0xFFFFFFF8")
            << riff(chunk("fmt ", fmtBody()) + "JUNK" + le32(0xFFFFFFF8) + QByteArray(8, 'j') + chunk("data", p))
            << 52LL;
        QTest::newRow("data inside LIST") << riff(chunk("fmt ", fmtBody()) + chunk("LIST", QByteArray("INFOdata\x10\0\0\0xx", 14))
                                                  + chunk("data", p))
                                          << 48LL;
        QTest::newRow("duplicate data") << riff(chunk("fmt ", fmtBody()) + chunk("data", payload(10)) + chunk("data", p))
                                        << 36LL;
        QTest::newRow("data tag in the last 3 bytes") << riff(chunk("fmt ", fmtBody())) + "dat" << -1LL;
        QTest::newRow("data tag as the last 4 bytes") << riff(chunk("fmt ", fmtBody())) + "data" << 36LL;
        QTest::newRow("data tag at 0") << "data" + le32(8) + payload(8) << 0LL;
    }
    void wavView()
    {
        QFETCH(QByteArray, file);
        QFETCH(qint64, dataAt);
        const qint64 L = file.size();
        const WavView view = readWavView(file);
        QCOMPARE(view.length, L);
        QCOMPARE(view.dataOffset, dataAt);
        if (dataAt >= 0) {
            const qint32 S = int32In(file, dataAt + 4);
            QCOMPARE(view.dataSize, S);
            const qint64 after = L - S - dataAt - 8;
            QCOMPARE(view.after, after);
            // A size that points past the end leaves nothing to show after the data.
            QCOMPARE(view.afterBytes, after > 0 && dataAt + 8 + S >= 0 ? file.mid(dataAt + 8 + S) : QByteArray());
            QCOMPARE(view.before, dataAt - 36);
            QCOMPARE(view.beforeBytes, dataAt > 36 ? file.mid(36, dataAt - 36) : QByteArray());
        }

        // As shown, the fields write back the very bytes they came from.
        const HeaderWritePlan plan = planHeaderWrite(shownTexts(view), view);
        QCOMPARE(plan.problem, HeaderWritePlan::Problem::None);
        QByteArray written = file;
        for (const WritePiece &piece : plan.pieces) {
            if (piece.offset + piece.bytes.size() > written.size())
                written.resize(piece.offset + piece.bytes.size(), '\0');
            written.replace(piece.offset, piece.bytes.size(), piece.bytes);
        }
        if (file.startsWith("RIFF") && written.size() == L)
            QCOMPARE(written, file);

        // The drawing stays on the canvas and reads about one sample per unit of width,
        // whatever the size field claims; the typed size is what the panel shows.
        const double W = 9315, H = 4635;
        const WaveformPlot plot = computeWaveform(file, W, H, leadingNumber(shownTexts(view).dataSize));
        QCOMPARE(plot.drawn, L > 0 && dataAt != 0);
        QVERIFY(plot.points.size() <= qsizetype(W) + 3);
        for (const QPointF &point : plot.points) {
            QVERIFY(point.y() >= 0 && point.y() <= H);
            QVERIFY(point.x() >= 0);
        }
    }

    void wavEveryTruncation()
    {
        const QByteArray file = readAll(examplePath(QStringLiteral("SINEC3.WAV"))).left(44) + payload(400);
        const QByteArray whole = withDataSize(file, 400);
        for (qsizetype n = 0; n < whole.size(); ++n) {
            const QByteArray cut = whole.left(n);
            const WavView view = readWavView(cut);
            QCOMPARE(view.dataOffset, n >= 40 ? 36 : -1);
            (void)computeWaveform(cut, 9315, 4635, 400);
            MemorySource source(cut);
            // Short of its payload, a file is refused: too short, or a wrong size.
            QCOMPARE(planCleanUp(source).status, n < 45 ? CleanUpStatus::BadFileSize : CleanUpStatus::WrongDataSize);
            BufferSink out;
            QString error;
            QVERIFY(deblock(source, out, &error));
            QCOMPARE(out.bytes().size(), deblockedSize(n));
        }
    }

    // ---- WAV: CleanUp

    void cleanUp_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<CleanUpStatus>("status");
        QTest::addColumn<QByteArray>("data"); // the payload kept, when done

        const QByteArray p = payload(400);
        const QByteArray file = canonical(p);
        for (const int n : {0, 1, 4, 12, 36, 43, 44})
            QTest::addRow("%d bytes", n) << file.left(n) << CleanUpStatus::BadFileSize << QByteArray();
        QTest::newRow("45 bytes, no data tag") << QByteArray(45, 'x') << CleanUpStatus::DataNotFound << QByteArray();
        QTest::newRow("data tag in the last 3 bytes")
            << riff(chunk("fmt ", fmtBody()) + chunk("LIST", payload(20))) + "dat" << CleanUpStatus::DataNotFound
            << QByteArray();
        QTest::newRow("cut inside data") << file.left(44 + 101) << CleanUpStatus::WrongDataSize << QByteArray();
        for (const quint32 size : {401u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu})
            QTest::addRow("data size 0x%x", size) << withDataSize(file, size) << CleanUpStatus::WrongDataSize
                                                  << QByteArray();
        QTest::newRow("data size 0") << canonical({}, "tail") << CleanUpStatus::Done << QByteArray();
        QTest::newRow("data size odd") << canonical(payload(63)) << CleanUpStatus::Done << payload(63);
        QTest::newRow("RIFX") << "RIFX" + file.mid(4) << CleanUpStatus::Done << p;
        QTest::newRow("RIFF size 0xFFFFFFFF") << file.left(4) + le32(0xFFFFFFFF) + file.mid(8) << CleanUpStatus::Done
                                              << p;
        QTest::newRow("fmt size 40") << riff(chunk("fmt ", fmtBody() + QByteArray(24, '\0')) + chunk("data", p))
                                     << CleanUpStatus::Done << p;
        QTest::newRow("data inside LIST")
            << riff(chunk("fmt ", fmtBody()) + chunk("LIST", QByteArray("INFOdata\x10\0\0\0xx", 14)) + chunk("data", p))
            << CleanUpStatus::Done << p;
        QTest::newRow("odd chunk padded") << riff(chunk("fmt ", fmtBody()) + chunk("LIST", "INFOodd") + chunk("data", p))
                                          << CleanUpStatus::Done << p;
        QTest::newRow("duplicate data")
            << riff(chunk("fmt ", fmtBody()) + chunk("data", payload(10)) + chunk("data", p)) << CleanUpStatus::Done
            << payload(10);
        // The size would carry the chunk walk past the end (or, in 32 bits, back to
        // where it started): no data chunk can be reached.
        QTest::newRow("chunk size 0xFFFFFFF8")
            << riff(chunk("fmt ", fmtBody()) + "JUNK" + le32(0xFFFFFFF8) + QByteArray(8, 'j') + chunk("data", p))
            << CleanUpStatus::DataNotFound << QByteArray();
        QTest::newRow("chunk size 0x7FFFFFFF")
            << riff(chunk("fmt ", fmtBody()) + "JUNK" + le32(0x7FFFFFFF) + chunk("data", p))
            << CleanUpStatus::DataNotFound << QByteArray();
    }
    void cleanUp()
    {
        QFETCH(QByteArray, file);
        QFETCH(CleanUpStatus, status);
        QFETCH(QByteArray, data);
        const QString folder = freshFolder(QStringLiteral("cleanup"));
        const QString path = folder + QStringLiteral("/SAMPLE.wav");
        QVERIFY(writeAll(path, file));
        const CleanUpResult result = cleanUpWavFile(path);
        QCOMPARE(result.status, status);
        QCOMPARE(filesIn(folder), QStringList{QStringLiteral("SAMPLE.wav")});
        const QByteArray after = readAll(path);
        if (status != CleanUpStatus::Done) {
            QCOMPARE(after, file);
            return;
        }
        // A canonical header, the payload, and a sampler chunk on an even offset.
        QCOMPARE(after.left(4), QByteArray("RIFF"));
        QCOMPARE(int32In(after, 4), after.size() - 8);
        QCOMPARE(after.mid(8, 12), QByteArray("WAVEfmt \x10\0\0\0", 12));
        QCOMPARE(after.mid(36, 4), QByteArray("data"));
        QCOMPARE(int32In(after, 40), data.size());
        QCOMPARE(after.mid(44, data.size()), data);
        const qsizetype smpl = 44 + data.size() + data.size() % 2;
        QCOMPARE(after.mid(smpl, 4), QByteArray("smpl"));
    }

    // The loop of the sampler chunk for data sizes up to the largest a size field holds.
    // Found by fuzzing: S / 2 + 15 was summed in 32 bits and wrapped near 2^31.
    void samplerLoop_data()
    {
        QTest::addColumn<qint32>("dataSize");
        QTest::addColumn<qint32>("start");
        QTest::addColumn<qint32>("end");
        QTest::newRow("0") << 0 << 0 << 15;
        QTest::newRow("1000") << 1000 << 500 << 515;
        QTest::newRow("1001, halves to even") << 1001 << 500 << 516;
        QTest::newRow("0x7FFFFFE0") << 0x7FFFFFE0 << 1073741808 << 1073741823;
        QTest::newRow("0x7FFFFFE2, end past 2^31 / 2") << 0x7FFFFFE2 << 1073741809 << 1073741824;
        QTest::newRow("0x7FFFFFFF") << 0x7FFFFFFF << 1073741824 << 1073741838;
    }
    void samplerLoop()
    {
        QFETCH(qint32, dataSize);
        QFETCH(qint32, start);
        QFETCH(qint32, end);
        const QByteArray sampler = samplerChunk(dataSize);
        QCOMPARE(int32In(sampler, 52), start);
        QCOMPARE(int32In(sampler, 56), end);
    }

    void cleanUpBadPath_data() { mspBadPath_data(); }
    void cleanUpBadPath()
    {
        QFETCH(BadPath, kind);
        const QString folder = freshFolder(QStringLiteral("badcleanup"));
        const QString path = badPath(kind, folder);
        const QStringList before = filesIn(folder);
        const auto refused = [&path] {
            const CleanUpResult result = cleanUpWavFile(path);
            return result.status == CleanUpStatus::Failed && !result.error.isEmpty();
        };
        QVERIFY(kind == BadPath::Unreadable ? runInChildAsOrdinaryUser(refused) : refused());
        QCOMPARE(filesIn(folder), before);
    }

    // The panel's file readers and "Ecrire les infos" on paths that are not files.
    void panelBadPath_data()
    {
        QTest::addColumn<BadPath>("kind");
        QTest::newRow("directory") << BadPath::Directory;
        QTest::newRow("unreadable") << BadPath::Unreadable;
        QTest::newRow("through a file") << BadPath::ThroughFile;
        QTest::newRow("no name") << BadPath::Empty;
    }
    void panelBadPath()
    {
        QFETCH(BadPath, kind);
        const QString path = badPath(kind, freshFolder(QStringLiteral("panel")));
        const auto refused = [&path] {
            FileSource source(path);
            QString error;
            return !source.open() && !writePiecesInPlace(path, {{0, "RIFF"}}, &error) && !error.isEmpty();
        };
        QVERIFY(kind == BadPath::Unreadable ? runInChildAsOrdinaryUser(refused) : refused());
    }

    // ---- WAV: the de-block tool

    void deblockSizes_data()
    {
        QTest::addColumn<qint64>("size");
        for (const qint64 n : {0LL, 1LL, 43LL, 44LL, 45LL, 51LL, 52LL, 53LL, 44 + 65544LL, 44 + 65544 + 7LL,
                               44 + 65544 + 8LL, 44 + 65544 + 9LL, 44 + 3 * 65544LL + 100})
            QTest::addRow("%lld bytes", n) << n;
    }
    void deblockSizes()
    {
        QFETCH(qint64, size);
        QByteArray input(size, '\0');
        for (qint64 o = 0; o < size; ++o)
            input[o] = char((o * 131 + o / 65536) & 0xff);
        // Every byte but the 8 in front of each 65536-byte block after the header.
        QByteArray expected;
        for (qint64 o = 0; o < size; ++o)
            if (o < 44 || (o - 44) % 65544 >= 8)
                expected += input[o];
        MemorySource source(input);
        BufferSink out;
        QString error;
        QVERIFY(deblock(source, out, &error));
        QCOMPARE(out.bytes(), expected);

        const QString folder = freshFolder(QStringLiteral("deblock"));
        QVERIFY(writeAll(folder + QStringLiteral("/in.wav"), input));
        QVERIFY(deblockFile(folder + QStringLiteral("/in.wav"), folder + QStringLiteral("/out.wav"), &error));
        QCOMPARE(readAll(folder + QStringLiteral("/out.wav")), expected);
    }

    void deblockBadInput_data() { panelBadPath_data(); }
    void deblockBadInput()
    {
        QFETCH(BadPath, kind);
        const QString folder = freshFolder(QStringLiteral("baddeblock"));
        const QString input = badPath(kind, folder);
        const QString output = folder + QStringLiteral("/O.Wav");
        const auto refused = [&input, &output] {
            QString error;
            return !deblockFile(input, output, &error) && !error.isEmpty() && !QFile::exists(output);
        };
        QVERIFY(kind == BadPath::Unreadable ? runInChildAsOrdinaryUser(refused) : refused());
    }

    // ---- WAV over 4 GiB: every offset past 32 bits

    void sparseOver4GiB()
    {
        const QString folder = freshFolder(QStringLiteral("huge"));
        const QString path = folder + QStringLiteral("/HUGE.wav");
        const qint64 gap = 0xFFFFFFF0LL; // a LIST chunk that carries the data past 4 GiB
        const QByteArray head = riff(chunk("fmt ", fmtBody())) + "LIST" + le32(quint32(gap));
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
        const qint64 L = d + tail.size();
        QVERIFY(d > (qint64(1) << 32));

        FileSource source(path);
        QVERIFY(source.open());
        const WavView view = readWavView(source);
        QCOMPARE(view.length, L);
        QCOMPARE(view.dataOffset, d);
        QCOMPARE(view.dataSize, 16);
        QCOMPARE(view.after, 4);
        QCOMPARE(view.afterBytes, QByteArray("end!"));
        QCOMPARE(view.before, d - 36);
        QVERIFY(view.beforeCut);

        const WaveformPlot plot = computeWaveform(source, 9315, 4635, 16);
        QCOMPARE(plot.dataOffset, d);
        QCOMPARE(plot.points.size(), 8);
        QCOMPARE(plot.points.at(1).y(), 4635 * (32768.0 - qFromLittleEndian<qint16>(data.constData() + 2)) / 65536);

        // The chunk walk reaches the data past 4 GiB; the result is small and canonical.
        const CleanUpResult result = cleanUpWavFile(path);
        QCOMPARE(result.status, CleanUpStatus::Done);
        const QByteArray cleaned = readAll(path);
        QCOMPARE(cleaned.mid(44, 16), data);
        QCOMPARE(cleaned.size(), 44 + 16 + 68);
    }
};

QTEST_GUILESS_MAIN(TestMalformedInputs)
#include "test_malformed_inputs.moc"
