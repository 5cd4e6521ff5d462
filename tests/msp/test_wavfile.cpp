#include "msp/wavinfo.h"
#include "msp/wavtext.h"
#include "msp/wavtools.h"
#include "msp/wavwaveform.h"

#include "testsupport.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace tamo::msp;
using tamo::test::filesIn;
using tamo::test::readAll;
using tamo::test::writeAll;

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

// A RIFF chunk, padded to an even length.
QByteArray chunk(const char *id, const QByteArray &body)
{
    QByteArray c = QByteArray(id, 4) + le32(quint32(body.size())) + body;
    if (body.size() % 2)
        c.append('\0');
    return c;
}

QByteArray fmtChunk(quint16 channels = 1, quint32 rate = 44100, quint16 bits = 16)
{
    const quint16 align = quint16(channels * bits / 8);
    return chunk("fmt ", le16(1) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) + le16(bits));
}

QByteArray riff(const QByteArray &chunks)
{
    return "RIFF" + le32(quint32(chunks.size() + 4)) + "WAVE" + chunks;
}

QByteArray payload(qsizetype n)
{
    QByteArray p(n, '\0');
    for (qsizetype i = 0; i < n; ++i)
        p[i] = char((i * 37 + 11) % 251);
    return p;
}

// A canonical file, then raw bytes after it.
QByteArray canonical(const QByteArray &data, const QByteArray &trailer = {})
{
    return riff(fmtChunk() + chunk("data", data)).left(44 + data.size()) + trailer;
}

qint32 int32In(const QByteArray &b, qsizetype at) { return qFromLittleEndian<qint32>(b.constData() + at); }

// The file as an independent reader sees it; empty when the reader is missing.
QString sndfileInfo(const QString &path)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("sndfile-info"));
    if (tool.isEmpty())
        return {};
    QProcess p;
    p.start(tool, {path});
    p.waitForFinished(30000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

QString infoField(const QString &info, const QString &name)
{
    const QRegularExpression re(QStringLiteral("^\\s*%1\\s*:\\s*(\\S+)").arg(QRegularExpression::escape(name)),
                                QRegularExpression::MultilineOption);
    return re.match(info).captured(1);
}

QByteArray applyPieces(QByteArray file, const QList<WritePiece> &pieces)
{
    for (const WritePiece &p : pieces) {
        if (file.size() < p.offset + p.bytes.size())
            file.resize(p.offset + p.bytes.size(), '\0');
        file.replace(p.offset, p.bytes.size(), p.bytes);
    }
    return file;
}

} // namespace

class TestWavFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void view_data();
    void view();
    void viewCutsLongTexts();
    void dataTagAcrossBlocks_data();
    void dataTagAcrossBlocks();
    void waveform_data();
    void waveform();
    void waveformPointsBoundedByWidth();
    void writeBackEdited();
    void numberFields_data();
    void numberFields();
    void writeInPlaceReportsFailure();
    void cleanUp_data();
    void cleanUp();
    void cleanUpRefuses_data();
    void cleanUpRefuses();
    void cleanUpFailureKeepsSource();
    void noise();
    void testHeader_data();
    void testHeader();
    void deblock_data();
    void deblock();
    void deblockWithoutInput();
};

void TestWavFile::view_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<qint64>("d");
    QTest::addColumn<qint64>("after");
    QTest::addColumn<QByteArray>("afterBytes");
    QTest::addColumn<QByteArray>("beforeBytes");

    const QByteArray list = chunk("LIST", QByteArray("INFOICMT\x06\0\0\0hello!", 18));
    QCOMPARE(list.size(), 26);
    const QByteArray withList = riff(fmtChunk() + list + chunk("data", payload(10)));
    QTest::newRow("canonical") << canonical(payload(100)) << 36LL << 0LL << QByteArray() << QByteArray();
    QTest::newRow("trailer") << canonical(payload(100), QByteArray("\0s\xb0", 3)) << 36LL << 3LL
                             << QByteArray("\0s\xb0", 3) << QByteArray();
    QTest::newRow("LIST of 26") << withList << 62LL << 0LL << QByteArray() << list;
    QTest::newRow("no data") << riff(fmtChunk() + chunk("junk", payload(50))) << -1LL << 0LL << QByteArray()
                             << QByteArray();
    QTest::newRow("short file") << QByteArray("RIFF\x10", 5) << -1LL << 0LL << QByteArray() << QByteArray();
    QTest::newRow("size past end") << canonical(payload(20)).replace(40, 4, le32(1000)) << 36LL << -980LL
                                   << QByteArray() << QByteArray();
    // The panel's byte search stops at the first "data" anywhere, even in a comment.
    // Its size is then the next chunk's tag, read as a number: far past the end.
    const QByteArray meta = chunk("LIST", "INFOICMTmetadata");
    const QByteArray decoy = riff(fmtChunk() + meta + chunk("data", payload(4)));
    QTest::newRow("tag in a comment") << decoy << 56LL
                                      << decoy.size() - qint64(qFromLittleEndian<qint32>("data")) - 64
                                      << QByteArray() << meta.left(20);
}

void TestWavFile::view()
{
    QFETCH(QByteArray, file);
    QFETCH(qint64, d);
    QFETCH(qint64, after);
    QFETCH(QByteArray, afterBytes);
    QFETCH(QByteArray, beforeBytes);
    const WavView v = readWavView(file);
    QCOMPARE(v.length, file.size());
    QCOMPARE(v.dataOffset, d);
    QCOMPARE(v.riff, file.left(4));
    if (file.size() >= 44) {
        QCOMPARE(v.channels, qint16(1));
        QCOMPARE(v.sampleRate, 44100);
    } else {
        QCOMPARE(v.riffSize, 0x10); // the bytes present, then zeros
        QCOMPARE(v.sampleRate, 0);
    }
    if (d < 0)
        return;
    QCOMPARE(v.dataSize, int32In(file, d + 4));
    QCOMPARE(v.after, after);
    QCOMPARE(v.before, d - 36);
    QCOMPARE(v.afterBytes, afterBytes);
    QCOMPARE(v.beforeBytes, beforeBytes);
}

void TestWavFile::viewCutsLongTexts()
{
    const QByteArray trailer = payload(kWavTextLimit + 1000);
    const QByteArray file = riff(fmtChunk() + chunk("LIST", payload(kWavTextLimit + 10)) + chunk("data", payload(6)))
                            + trailer;
    const WavView v = readWavView(file);
    QCOMPARE(v.after, trailer.size());
    QCOMPARE(v.afterBytes, trailer.left(kWavTextLimit));
    QVERIFY(v.afterCut);
    QCOMPARE(v.before, kWavTextLimit + 18);
    QCOMPARE(v.beforeBytes.size(), kWavTextLimit);
    QVERIFY(v.beforeCut);
}

void TestWavFile::dataTagAcrossBlocks_data()
{
    QTest::addColumn<qint64>("at");
    QTest::addColumn<qint64>("length");
    for (qint64 at : {0LL, 1LL, 13LL, 29LL, 31LL, 32LL, 262141LL, 262142LL, 262143LL, 262144LL, 524287LL,
                      700000LL - 36, 700000LL - 4})
        QTest::addRow("at %lld", at) << at << 700000LL;
    QTest::newRow("cut at the end") << 700000LL - 3 << 700000LL;
    QTest::newRow("tiny") << -1LL << 3LL;
}

void TestWavFile::dataTagAcrossBlocks()
{
    QFETCH(qint64, at);
    QFETCH(qint64, length);
    QByteArray bytes(length, 'a');
    for (qint64 i = 0; i + 4 <= length; i += 97)
        bytes.replace(i, 4, "dXta"); // near misses everywhere
    if (at >= 0)
        bytes.replace(at, std::min<qint64>(4, length - at), QByteArray("data").left(length - at));
    QCOMPARE(findDataTag(bytes), qint64(bytes.indexOf("data")));
}

void TestWavFile::waveform_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<double>("drawLength");
    QTest::addColumn<bool>("drawn");
    QTest::addColumn<int>("points");

    QByteArray samples;
    for (qint16 s : {qint16(0), qint16(32767), qint16(-32768), qint16(100)})
        samples += le16(quint16(s));
    QTest::newRow("2-byte data") << canonical(le16(1234)) << 2.0 << true << 1;
    QTest::newRow("every sample") << canonical(samples) << 8.0 << true << 4;
    QTest::newRow("size field shorter") << canonical(samples) << 4.0 << true << 2;
    QTest::newRow("size 0") << canonical({}) << 100.0 << true << 0;
    QTest::newRow("negative size") << canonical(samples).replace(40, 4, le32(quint32(-8))) << 8.0 << true << 0;
    QTest::newRow("no tag") << riff(fmtChunk()) << 0.0 << true << 0;
    QTest::newRow("tag at 0") << QByteArray("data\x04\0\0\0abcd", 12) << 4.0 << false << 0;
    QTest::newRow("empty") << QByteArray() << 0.0 << false << 0;
}

void TestWavFile::waveform()
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

void TestWavFile::waveformPointsBoundedByWidth()
{
    // A size field far larger than the data: samples past the end read as 0, and
    // no more than the canvas width can show is read.
    QByteArray file = canonical(payload(200000));
    for (double W : {9375.0, 187500.0}) {
        const WaveformPlot plot = computeWaveform(file, W, 4635, 200000);
        QCOMPARE(plot.step, 2 * qint64(std::max(1.0, std::floor(200000 / W))));
        QVERIFY(double(plot.points.size()) <= W + 2);
        QVERIFY(plot.points.last().x() >= W - 2 * W * double(plot.step) / 200000);
    }
    const WaveformPlot past = computeWaveform(file, 9375, 4635, 2e9);
    QVERIFY(past.points.size() <= 9375 + 3);
    QCOMPARE(past.points.last().y(), 4635 / 2.0);
}

void TestWavFile::writeBackEdited()
{
    const QByteArray file = canonical(payload(10), QByteArray("\0\xb0z", 3));
    const WavView v = readWavView(file);
    WavFieldTexts t = shownTexts(v);
    QCOMPARE(t.trailer, QStringLiteral("°°z"));
    t.trailer = QStringLiteral("°°y€é");
    t.wave = QStringLiteral("WAVEXY"); // as many bytes as characters: 8 to 13
    t.fmt.clear();                     // none
    t.channels = QStringLiteral("2");
    const QByteArray out = applyPieces(file, planHeaderWrite(t, v).pieces);
    QCOMPARE(out.mid(8, 8), QByteArray("WAVEXYt "));
    QCOMPARE(out.mid(14, 30), file.mid(14, 30).replace(8, 2, le16(2)));
    QCOMPARE(out.mid(54), QByteArray("\0\0y\x80\xe9", 5));
}

void TestWavFile::numberFields_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    const int channels = int(WavField::Channels), rate = int(WavField::SampleRate);
    QTest::newRow("16 max") << channels << u"32767"_qs << true;
    QTest::newRow("16 min") << channels << u"-32768"_qs << true;
    QTest::newRow("16 over") << channels << u"32768"_qs << false;
    QTest::newRow("16 under") << channels << u"-32769"_qs << false;
    QTest::newRow("spaces, plus") << channels << u" +2 "_qs << true;
    QTest::newRow("32 max") << rate << u"2147483647"_qs << true;
    QTest::newRow("32 over") << rate << u"2147483648"_qs << false;
    QTest::newRow("fraction") << rate << u"1.5"_qs << false;
    QTest::newRow("letters") << rate << u"12ab"_qs << false;
    QTest::newRow("empty") << rate << QString() << false;
    QTest::newRow("huge") << rate << u"99999999999999999999999"_qs << false;
}

void TestWavFile::numberFields()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    const QByteArray file = canonical(payload(10));
    const WavView v = readWavView(file);
    WavFieldTexts t = shownTexts(v);
    (field == int(WavField::Channels) ? t.channels : t.sampleRate) = text;
    const HeaderWritePlan plan = planHeaderWrite(t, v);
    QCOMPARE(plan.problem == HeaderWritePlan::Problem::None, ok);
    if (ok) {
        const QByteArray out = applyPieces(file, plan.pieces);
        if (field == int(WavField::Channels))
            QCOMPARE(qFromLittleEndian<qint16>(out.constData() + 22), qint16(text.trimmed().toInt()));
        else
            QCOMPARE(int32In(out, 24), text.toInt());
    } else {
        QCOMPARE(int(plan.badField), field);
        QVERIFY(plan.pieces.isEmpty());
    }
}

void TestWavFile::writeInPlaceReportsFailure()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.wav"));
    QVERIFY(writeAll(path, canonical(payload(10))));
    QString error;
    QVERIFY(!writePiecesInPlace(dir.path(), {{0, "RIFF"}}, &error));
    QVERIFY(!error.isEmpty());
    const bool failed = tamo::test::runInChildWithFileSizeLimit(100, [&] {
        QString e;
        return !writePiecesInPlace(path, {{0, "RIFF"}, {200, "late"}}, &e) && !e.isEmpty();
    });
    QVERIFY(failed);
}

void TestWavFile::cleanUp_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("loopStart");
    QTest::addColumn<int>("loopEnd");
    const QByteArray p1000 = payload(1000), p1001 = payload(1001);
    QTest::newRow("canonical") << canonical(p1000) << p1000 << 500 << 515;
    QTest::newRow("odd size") << canonical(p1001) << p1001 << 500 << 516; // 500.5 and 515.5 to even
    QTest::newRow("size 3") << canonical(payload(3)) << payload(3) << 2 << 16;
    // "data" inside a comment and in an earlier sampler chunk, a trailing sampler chunk.
    QTest::newRow("decoys") << riff(fmtChunk() + chunk("LIST", "INFOICMTmetadata!") + chunk("smpl", "xxdata")
                                    + chunk("data", p1000) + chunk("smpl", payload(60)))
                            << p1000 << 500 << 515;
    // A chunk in front of the format chunk: the format fields come from the format chunk.
    QTest::newRow("JUNK first") << riff(chunk("JUNK", QByteArray(28, '\0')) + fmtChunk() + chunk("data", p1000))
                                << p1000 << 500 << 515;
}

void TestWavFile::cleanUp()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, data);
    QFETCH(int, loopStart);
    QFETCH(int, loopEnd);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("PIANO1.wav"));
    QVERIFY(writeAll(path, file));
    const CleanUpResult r = cleanUpWavFile(path);
    QCOMPARE(r.status, CleanUpStatus::Done);
    QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("PIANO1.wav")});

    const QByteArray out = readAll(path);
    const qsizetype S = data.size(), pad = S % 2;
    QCOMPARE(out.size(), 44 + S + pad + 68);
    QCOMPARE(out.left(4), QByteArray("RIFF"));
    QCOMPARE(int32In(out, 4), out.size() - 8);
    QCOMPARE(out.mid(8, 12), QByteArray("WAVEfmt \x10\0\0\0", 12));
    QCOMPARE(out.mid(20, 16), fmtChunk().mid(8, 16));
    QCOMPARE(out.mid(36, 4), QByteArray("data"));
    QCOMPARE(int32In(out, 40), S);
    QCOMPARE(out.mid(44, S), data);
    const QByteArray smpl = out.mid(44 + S + pad);
    QCOMPARE(smpl.left(8), QByteArray("smpl<\0\0\0", 8));
    QCOMPARE(int32In(smpl, 52), loopStart);
    QCOMPARE(int32In(smpl, 56), loopEnd);

    const QString info = sndfileInfo(path);
    if (info.isEmpty())
        QSKIP("sndfile-info (Debian package sndfile-programs) is not installed: no independent check");
    QCOMPARE(infoField(info, QStringLiteral("Channels")), QStringLiteral("1"));
    QCOMPARE(infoField(info, QStringLiteral("Sample Rate")), QStringLiteral("44100"));
    QCOMPARE(infoField(info, QStringLiteral("data")), QString::number(S));
    QCOMPARE(infoField(info, QStringLiteral("Frames")), QString::number(S / 2));
    QCOMPARE(infoField(info, QStringLiteral("Loop Count")), QStringLiteral("1"));
    const QRegularExpression loop(QStringLiteral("Start :\\s*(\\d+)\\s+End :\\s*(\\d+)"));
    const QRegularExpressionMatch m = loop.match(info);
    QVERIFY2(m.hasMatch(), qPrintable(info));
    QCOMPARE(m.captured(1).toInt(), loopStart);
    QCOMPARE(m.captured(2).toInt(), loopEnd);
}

void TestWavFile::cleanUpRefuses_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<CleanUpStatus>("status");
    QTest::newRow("44 bytes") << canonical({}) << CleanUpStatus::BadFileSize;
    QTest::newRow("no data") << riff(fmtChunk() + chunk("LIST", "xxxxdatameta")) << CleanUpStatus::DataNotFound;
    QTest::newRow("negative size") << canonical(payload(20)).replace(40, 4, le32(quint32(-2)))
                                   << CleanUpStatus::WrongDataSize;
    QTest::newRow("past the end") << canonical(payload(20)).replace(40, 4, le32(21)) << CleanUpStatus::WrongDataSize;
    QTest::newRow("past the end after a chunk")
        << riff(fmtChunk() + chunk("LIST", payload(100)) + chunk("data", payload(20))).replace(148, 4, le32(40))
        << CleanUpStatus::WrongDataSize;
}

void TestWavFile::cleanUpRefuses()
{
    QFETCH(QByteArray, file);
    QFETCH(CleanUpStatus, status);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.wav"));
    QVERIFY(writeAll(path, file));
    QCOMPARE(cleanUpWavFile(path).status, status);
    QCOMPARE(readAll(path), file);
    QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("a.wav")});
}

void TestWavFile::cleanUpFailureKeepsSource()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.wav"));
    const QByteArray file = canonical(payload(3 * kStreamBlockSize));
    QVERIFY(writeAll(path, file));
    const bool reported = tamo::test::runInChildWithFileSizeLimit(kStreamBlockSize, [&] {
        const CleanUpResult r = cleanUpWavFile(path);
        return r.status == CleanUpStatus::Failed && !r.error.isEmpty();
    });
    QVERIFY(reported);
    QCOMPARE(readAll(path), file);
    QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("a.wav")});
}

void TestWavFile::noise()
{
    const QByteArray wav = noiseWav();
    QCOMPARE(wav.size(), 200044);
    QCOMPARE(noiseWav(), wav);
    // Noise: many distinct values spread over the whole range.
    QSet<qint16> values;
    qint16 lo = 0, hi = 0;
    for (int i = 0; i < kNoiseSamples; ++i) {
        const qint16 s = qFromLittleEndian<qint16>(wav.constData() + 44 + 2 * i);
        values.insert(s);
        lo = std::min(lo, s);
        hi = std::max(hi, s);
    }
    QVERIFY(values.size() > 50000);
    QVERIFY(lo < -32000 && hi > 32000);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("noise.wav"));
    QVERIFY(writeAll(path, wav));
    const QString info = sndfileInfo(path);
    if (info.isEmpty())
        QSKIP("sndfile-info (Debian package sndfile-programs) is not installed: no independent check");
    QVERIFY2(!info.contains(QStringLiteral("***")), qPrintable(info));
    QCOMPARE(infoField(info, QStringLiteral("Channels")), QStringLiteral("2"));
    QCOMPARE(infoField(info, QStringLiteral("Sample Rate")), QStringLiteral("22050"));
    QCOMPARE(infoField(info, QStringLiteral("Bit Width")), QStringLiteral("16"));
    QCOMPARE(infoField(info, QStringLiteral("Frames")), QStringLiteral("50000"));
}

void TestWavFile::testHeader_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("short") << QByteArray("0123456789");
    QTest::newRow("44 bytes") << QByteArray(44, 'x');
    QTest::newRow("longer") << QByteArray(44, 'x') + payload(1001);
}

void TestWavFile::testHeader()
{
    QFETCH(QByteArray, before);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("GRANDP00.wav"));
    if (!before.isEmpty())
        QVERIFY(writeAll(path, before));
    QString error;
    QVERIFY2(stampTestHeaderFile(path, &error), qPrintable(error));
    const QByteArray after = readAll(path);
    const qsizetype length = std::max<qsizetype>(before.size(), 44);
    QCOMPARE(after.size(), length);
    QCOMPARE(after.mid(44), before.mid(44));
    QCOMPARE(after.left(4), QByteArray("RIFF"));
    QCOMPARE(int32In(after, 4), length - 8);
    QCOMPARE(after.mid(8, 36 - 8), riff(fmtChunk(1, 44100, 16)).mid(8, 28));
    QCOMPARE(after.mid(36, 4), QByteArray("data"));
    QCOMPARE(int32In(after, 40), length - 44);
    QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("GRANDP00.wav")});
}

void TestWavFile::deblock_data()
{
    QTest::addColumn<qint64>("inputSize");
    QTest::addColumn<qint64>("outputSize");
    const qint64 P = 65544;
    QTest::newRow("empty") << 0LL << 0LL;
    QTest::newRow("header only") << 44LL << 44LL;
    QTest::newRow("inside the first gap") << 50LL << 44LL;
    QTest::newRow("one byte of payload") << 53LL << 45LL;
    QTest::newRow("one block and 100") << 44 + 8 + 65536 + 8 + 100LL << 44 + 65536 + 100LL;
    QTest::newRow("past a buffer of blocks") << 44 + 17 * P + 20 << 44 + 17 * 65536 + 12LL;
}

void TestWavFile::deblock()
{
    QFETCH(qint64, inputSize);
    QFETCH(qint64, outputSize);
    const QByteArray in = payload(inputSize);
    QCOMPARE(deblockedSize(inputSize), outputSize);
    // Byte by byte, as the rule reads: offsets 44.., within each 65544, the first 8 go.
    QByteArray expected;
    for (qint64 o = 0; o < inputSize; ++o)
        if (o < 44 || (o - 44) % 65544 >= 8)
            expected.append(in[o]);
    MemorySource source(in);
    BufferSink sink;
    QString error;
    QVERIFY(tamo::msp::deblock(source, sink, &error));
    QCOMPARE(sink.bytes().size(), outputSize);
    QVERIFY(sink.bytes() == expected);
}

void TestWavFile::deblockWithoutInput()
{
    QTemporaryDir dir;
    const QString in = dir.filePath(kDeblockInputName), out = dir.filePath(kDeblockOutputName);
    QVERIFY(writeAll(out, "stale old output"));
    QString error;
    QVERIFY(deblockFile(in, out, &error));
    QVERIFY(QFileInfo::exists(in));
    QCOMPARE(readAll(in), QByteArray());
    QCOMPARE(readAll(out), QByteArray());
}

QTEST_GUILESS_MAIN(TestWavFile)
#include "test_wavfile.moc"
