#include "helper_wav.h"
#include "wav/wavinfo.h"
#include "wav/wavtext.h"
#include "wav/wavtools.h"
#include "wav/wavwaveform.h"

#include "testsupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace tamo::wav;
using namespace tamo::test::wavgen;
using tamo::test::filesIn;
using tamo::test::readAll;
using tamo::test::writeAll;

namespace {

// The canonical 44-byte header of a file of L bytes with S bytes of data.
QByteArray header44(qint64 L, qint64 S) { return wavFile({}).replace(4, 4, le32(L - 8)).replace(40, 4, le32(S)); }

// An independent reader's report on a file, its white space simplified; nullopt
// when the reader is missing (Debian package sndfile-programs).
std::optional<QString> sndfileInfo(const QByteArray &file)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.wav"));
    if (!writeAll(path, file))
        return QString(); // finds nothing
    QProcess p;
    p.start(QStringLiteral("sndfile-info"), {path});
    if (!p.waitForFinished(30000))
        return std::nullopt;
    return QString::fromLocal8Bit(p.readAllStandardOutput()).simplified() + u' ';
}

} // namespace

class TestWavFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void view_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<qint64>("d");
        QTest::addColumn<qint64>("after");
        const QByteArray list = chunk("LIST", QByteArray("INFOICMT\x06\0\0\0hello!", 18));
        const qint64 limit = kWavTextLimit;
        QTest::newRow("canonical") << wavFile(payload(100)) << 36LL << 0LL;
        QTest::newRow("trailer") << wavFile(payload(100), QByteArray("\0s\xb0", 3)) << 36LL << 3LL;
        QTest::newRow("LIST of 26") << wavFile(payload(10), {}, list) << 36LL + 26 << 0LL;
        QTest::newRow("no data") << riff(fmtChunk() + chunk("junk", payload(50))) << -1LL << 0LL;
        QTest::newRow("short file") << QByteArray("RIFF\x10", 5) << -1LL << 0LL;
        QTest::newRow("size past end") << wavFile(payload(20)).replace(40, 4, le32(1000)) << 36LL << -980LL;
        QTest::newRow("texts over the limit")
            << wavFile(payload(6), payload(limit + 1000), chunk("LIST", payload(limit + 10))) << limit + 54
            << limit + 1000;
    }

    void view()
    {
        QFETCH(QByteArray, file);
        QFETCH(qint64, d);
        QFETCH(qint64, after);
        const WavView v = readWavView(file);
        QCOMPARE(v.dataOffset, d);
        QCOMPARE(v.riffSize, int32At(file.leftJustified(8, '\0'), 4)); // bytes past the end read as 0
        QCOMPARE(v.sampleRate, file.size() < 28 ? 0 : 44100);
        if (d < 0)
            return;
        QCOMPARE(v.dataSize, int32At(file, d + 4));
        QCOMPARE(v.after, after);
        QCOMPARE(v.afterBytes, after < 0 ? QByteArray() : file.right(after).left(kWavTextLimit));
        QCOMPARE(v.afterCut, after > kWavTextLimit);
        QCOMPARE(v.before, d - 36);
        QCOMPARE(v.beforeBytes, file.mid(36, std::min(d - 36, kWavTextLimit)));
        QCOMPARE(v.beforeCut, d - 36 > kWavTextLimit);
    }

    void dataTagAcrossBlocks()
    {
        QByteArray misses(700000, 'a');
        for (qsizetype i = 0; i + 4 <= misses.size(); i += 97)
            misses.replace(i, 4, "dXta");
        // Around the 32-byte scan steps, the 256 KiB read blocks and the end.
        for (qsizetype at : {0, 31, 32, 262141, 262143, 262144, 524287, 699996, 699997}) {
            const QByteArray bytes = QByteArray(misses).replace(at, 4, QByteArray("data").left(misses.size() - at));
            QCOMPARE(findDataTag(bytes), bytes.indexOf("data"));
        }
        QCOMPARE(findDataTag(QByteArray("dat")), -1);
    }

    void waveform_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<double>("drawLength");
        QTest::addColumn<bool>("drawn");
        QTest::addColumn<int>("points");
        const QByteArray samples = le16(0) + le16(32767) + le16(-32768) + le16(100);
        QTest::newRow("2-byte data") << wavFile(le16(1234)) << 2.0 << true << 1;
        QTest::newRow("every sample") << wavFile(samples) << 8.0 << true << 4;
        QTest::newRow("size 0") << wavFile({}) << 100.0 << true << 0;
        QTest::newRow("negative size") << wavFile(samples).replace(40, 4, le32(-8)) << 8.0 << true << 0;
        QTest::newRow("no tag") << riff(fmtChunk()) << 0.0 << true << 0;
        QTest::newRow("tag at 0") << QByteArray("data\x04\0\0\0abcd", 12) << 4.0 << false << 0;
    }

    void waveform()
    {
        QFETCH(QByteArray, file);
        QFETCH(double, drawLength);
        QFETCH(bool, drawn);
        QFETCH(int, points);
        const double W = 9315, H = 4635;
        const WaveformPlot plot = computeWaveform(file, W, H, drawLength);
        QCOMPARE(plot.drawn, drawn);
        QCOMPARE(plot.points.size(), points);
        for (qsizetype i = 0; i < plot.points.size(); ++i) {
            const qint16 s = qFromLittleEndian<qint16>(file.constData() + 44 + 2 * i);
            QCOMPARE(plot.points[i].x(), W * double(2 * i) / plot.dataSize);
            // 32767 at the top edge, 0 on the centre line, -32768 at the bottom edge.
            QVERIFY(qAbs(plot.points[i].y() - H / 2 * (1 - s / 32768.0)) < 1e-9);
        }
    }

    void waveformPointsBoundedByWidth()
    {
        // Whatever the size field says, no more samples are read than the canvas width
        // can show, up to its right end; samples past the end of the file read as 0.
        const QByteArray file = wavFile(payload(200000));
        for (double length : {200000.0, 2e9}) {
            const WaveformPlot plot = computeWaveform(file, 9375, 4635, length);
            QVERIFY(plot.points.size() <= 9375 + 3);
            QVERIFY(plot.points.last().x() >= 9375 - 2 * 9375 * double(plot.step) / length);
        }
        QCOMPARE(computeWaveform(file, 9375, 4635, 2e9).points.last().y(), 4635 / 2.0);
    }

    void writeBackEdited()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.wav"));
        const QByteArray file = wavFile(payload(10), QByteArray("\0\xb0z", 3));
        QVERIFY(writeAll(path, file));
        const WavView v = readWavView(file);
        WavFieldTexts t = shownTexts(v);
        QCOMPARE(t.trailer, QStringLiteral("°°z"));
        t.trailer = QStringLiteral("°°y€é"); // edited: a "°" is the zero byte it shows
        t.wave = QStringLiteral("WAVEXY");   // as many bytes as characters: 8 to 13
        t.fmt.clear();
        t.channels = QStringLiteral("2");
        QString error;
        QVERIFY2(writePiecesInPlace(path, planHeaderWrite(t, v).pieces, &error), qPrintable(error));
        const QByteArray out = readAll(path);
        QCOMPARE(out.mid(8, 8), QByteArray("WAVEXYt "));
        QCOMPARE(out.mid(14, 30), file.mid(14, 30).replace(8, 2, le16(2)));
        QCOMPARE(out.mid(54), QByteArray("\0\0y\x80\xe9", 5));
    }

    void numberFields_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QString>("value"); // empty: refused
        QTest::newRow("16 max") << u"32767"_qs << 16 << u"32767"_qs;
        QTest::newRow("16 over") << u"32768"_qs << 16 << QString();
        QTest::newRow("16 under") << u"-32769"_qs << 16 << QString();
        QTest::newRow("spaces, plus") << u" +2 "_qs << 16 << u"2"_qs;
        QTest::newRow("fraction") << u"1.5"_qs << 32 << QString();
        QTest::newRow("huge") << u"99999999999999999999999"_qs << 32 << QString();
    }

    void numberFields()
    {
        QFETCH(QString, text);
        QFETCH(int, bits);
        QFETCH(QString, value);
        const std::optional<qint64> n = parseFieldNumber(text, bits);
        QCOMPARE(n ? QString::number(*n) : QString(), value);
    }

    void cleanUp_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<qint64>("sizeLimit"); // 0: none
        QTest::addColumn<CleanUpStatus>("status");
        QTest::addColumn<int>("S");
        QTest::addColumn<int>("loopStart");
        QTest::addColumn<int>("loopEnd");
        const CleanUpStatus done = CleanUpStatus::Done, wrongSize = CleanUpStatus::WrongDataSize;
        QTest::newRow("canonical") << wavFile(payload(1000)) << 0LL << done << 1000 << 500 << 515;
        QTest::newRow("odd size") << wavFile(payload(1001)) << 0LL << done << 1001 << 500 << 516; // x.5 to even
        // "data" inside a comment and an earlier sampler chunk, the format chunk not first.
        QTest::newRow("decoys") << riff(chunk("JUNK", QByteArray(28, '\0')) + fmtChunk()
                                        + chunk("LIST", "INFOICMTmetadata!") + chunk("smpl", "xxdata")
                                        + chunk("data", payload(1000)) + chunk("smpl", payload(60)))
                                << 0LL << done << 1000 << 500 << 515;
        QTest::newRow("44 bytes") << wavFile({}) << 0LL << CleanUpStatus::BadFileSize << 0 << 0 << 0;
        QTest::newRow("no data") << riff(fmtChunk() + chunk("LIST", "xxxxDATAmeta")) << 0LL
                                 << CleanUpStatus::DataNotFound << 0 << 0 << 0;
        QTest::newRow("negative size") << wavFile(payload(20)).replace(40, 4, le32(-2)) << 0LL << wrongSize << 0 << 0 << 0;
        QTest::newRow("past the end after a chunk")
            << wavFile(payload(20), {}, chunk("LIST", payload(100))).replace(148, 4, le32(40)) << 0LL << wrongSize << 0
            << 0 << 0;
        // A write failing after the first blocks: the source stays as it was.
        QTest::newRow("write fails") << wavFile(payload(3 * kStreamBlockSize)) << qint64(kStreamBlockSize)
                                     << CleanUpStatus::Failed << 0 << 0 << 0;
    }

    void cleanUp()
    {
        QFETCH(QByteArray, file);
        QFETCH(qint64, sizeLimit);
        QFETCH(CleanUpStatus, status);
        QFETCH(int, S);
        QFETCH(int, loopStart);
        QFETCH(int, loopEnd);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("PIANO1.wav"));
        QVERIFY(writeAll(path, file));
        const auto run = [&] {
            const CleanUpResult r = cleanUpWavFile(path);
            return r.status == status && r.error.isEmpty() == (status != CleanUpStatus::Failed);
        };
        QVERIFY(sizeLimit ? tamo::test::runInChildWithFileSizeLimit(sizeLimit, run) : run());
        // Replaced by a rename, or not at all: no temporary file is left behind.
        QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("PIANO1.wav")});
        const QByteArray out = readAll(path);
        if (status != CleanUpStatus::Done) {
            QVERIFY(out == file);
            return;
        }
        const qsizetype smpl = 44 + S + S % 2;
        QCOMPARE(out.size(), smpl + 68);
        QCOMPARE(out.left(44), header44(out.size(), S));
        QCOMPARE(out.mid(44, S), payload(S));
        QCOMPARE(out.mid(smpl, 8), QByteArray("smpl<\0\0\0", 8));
        QCOMPARE(int32At(out, smpl + 52), loopStart);
        QCOMPARE(int32At(out, smpl + 56), loopEnd);
        const std::optional<QString> info = sndfileInfo(out);
        if (!info)
            QSKIP("sndfile-info is missing: no independent check");
        for (const QString &says : {u"Frames : %1 "_qs.arg(S / 2), u"Loop Count : 1 "_qs,
                                    u"Start : %1 End : %2 "_qs.arg(loopStart).arg(loopEnd)})
            QVERIFY2(info->contains(says), qPrintable(says + *info));
    }

    void noise()
    {
        const QByteArray noise = noiseWav();
        QCOMPARE(noise.size(), 44 + 4 * 50000); // 50000 stereo frames
        QCOMPARE(noiseWav(), noise);
        QSet<qint16> values;
        for (qsizetype at = 44; at + 2 <= noise.size(); at += 2)
            values.insert(qFromLittleEndian<qint16>(noise.constData() + at));
        // Many distinct values over the whole range.
        QVERIFY(values.size() > 50000);
        QVERIFY(*std::min_element(values.begin(), values.end()) < -32000);
        QVERIFY(*std::max_element(values.begin(), values.end()) > 32000);
        const std::optional<QString> info = sndfileInfo(noise);
        if (!info)
            QSKIP("sndfile-info is missing: no independent check");
        for (const QString &says :
             {u"Channels : 2 "_qs, u"Sample Rate : 22050 "_qs, u"Bit Width : 16 "_qs, u"Frames : 50000 "_qs})
            QVERIFY2(info->contains(says), qPrintable(says + *info));
        QVERIFY2(!info->contains(u"***"_qs), qPrintable(*info)); // its mark of a malformed chunk
    }

    void testHeader_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::newRow("short") << QByteArray("0123456789");
        QTest::newRow("longer") << QByteArray(44, 'x') + payload(1001);
    }

    void testHeader()
    {
        QFETCH(QByteArray, before);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("GRANDP00.wav"));
        QVERIFY(before.isEmpty() || writeAll(path, before));
        QString error;
        QVERIFY2(stampTestHeaderFile(path, &error), qPrintable(error));
        const qsizetype length = std::max<qsizetype>(before.size(), 44);
        QCOMPARE(readAll(path), header44(length, length - 44) + before.mid(44));
        QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("GRANDP00.wav")});
    }

    void deblock_data()
    {
        QTest::addColumn<qint64>("inputSize");
        QTest::addColumn<qint64>("outputSize");
        QTest::newRow("empty") << 0LL << 0LL;
        QTest::newRow("inside the first gap") << 50LL << 44LL;
        QTest::newRow("one byte of payload") << 53LL << 45LL;
        QTest::newRow("one block and 100") << 44 + 8 + 65536 + 8 + 100LL << 44 + 65536 + 100LL;
        QTest::newRow("past a buffer of blocks") << 44 + 17 * 65544 + 20LL << 44 + 17 * 65536 + 12LL;
    }

    void deblock()
    {
        QFETCH(qint64, inputSize);
        QFETCH(qint64, outputSize);
        const QByteArray in = payload(inputSize);
        QCOMPARE(deblockedSize(inputSize), outputSize);
        // As the rule reads: from offset 44 on, the first 8 bytes of every 65544 go.
        QByteArray expected = in.left(44);
        for (qsizetype o = 44 + 8; o < in.size(); o += 65544)
            expected += in.mid(o, 65536);
        MemorySource source(in);
        BufferSink sink;
        QString error;
        QVERIFY(tamo::wav::deblock(source, sink, &error));
        QVERIFY(sink.bytes() == expected);
    }
};

QTEST_GUILESS_MAIN(TestWavFile)
#include "test_wavfile.moc"
