// Faults found on files made by common tools and under a full disk: CleanUp's
// result must be readable, a write-back is all or nothing and leaves an unedited
// file as it was, and the waveform shows every sample format at its real level.

#include "helper_wav.h"
#include "wav/wavinfo.h"
#include "wav/wavtools.h"
#include "wav/wavwaveform.h"

#include "testsupport.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <cstring>

using namespace tamo::wav;
using namespace tamo::test::wavgen;
using tamo::test::filesIn;
using tamo::test::readAll;
using tamo::test::writeAll;

namespace {

constexpr char kGuidTail[] = "\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71";

// A format chunk body; tag 0xFFFE gets the extensible part with `subFormat`.
QByteArray fmtBody(int tag, int channels, int bits, int subFormat = 1)
{
    const int align = channels * ((bits + 7) / 8);
    QByteArray body = le16(tag) + le16(channels) + le32(44100) + le32(44100 * align) + le16(align) + le16(bits);
    if (tag == 0xFFFE)
        body += le16(22) + le16(bits) + le32(3) + le16(subFormat) + QByteArray(kGuidTail, 14);
    return body;
}

// A sample of `bytes` bytes at a level from -1 to 1.
QByteArray sampleAt(double level, int tag, int bytes)
{
    QByteArray s(bytes, '\0');
    if (tag == 3 && bytes == 4)
        qToLittleEndian(float(level), s.data());
    else if (tag == 3)
        qToLittleEndian(level, s.data());
    else if (bytes == 1)
        s[0] = char(qRound(level * 127) + 128);
    else
        for (int i = 0; i < bytes; ++i) // signed, scaled to the width, little-endian
            s[i] = char(qint64(std::ldexp(level, 8 * bytes - 1)) >> (8 * i));
    return s;
}

} // namespace

class TestWavFaults : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    // CleanUp writes only files readers accept, and refuses the rest leaving them as they were.
    void cleanUpResultIsReadable_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("tag"); // the tag CleanUp writes; 0: refused
        const QByteArray data = payload(600);
        const QByteArray fact = chunk("fact", le32(100));
        QTest::newRow("extensible 24-bit stereo") << riff(chunk("fmt ", fmtBody(0xFFFE, 2, 24)) + fact + chunk("data", data)) << 1;
        QTest::newRow("extensible float") << riff(chunk("fmt ", fmtBody(0xFFFE, 1, 32, 3)) + chunk("data", data)) << 3;
        QTest::newRow("odd chunk, no pad byte")
            << riff(chunk("fmt ", fmtBody(1, 1, 16)) + "LIST" + le32(3) + "abc" + chunk("data", data)) << 1;
        QTest::newRow("extensible, short chunk")
            << riff(chunk("fmt ", fmtBody(0xFFFE, 2, 24).left(18)) + chunk("data", data)) << 0;
        QTest::newRow("extensible, unknown kind")
            << riff(chunk("fmt ", fmtBody(0xFFFE, 2, 24).replace(26, 1, "\x01")) + chunk("data", data)) << 0;
        QTest::newRow("ADPCM") << riff(chunk("fmt ", fmtBody(2, 1, 4)) + chunk("data", data)) << 0;
        QTest::newRow("no channels") << riff(chunk("fmt ", fmtBody(1, 0, 16)) + chunk("data", data)) << 0;
        QTest::newRow("48-bit PCM") << riff(chunk("fmt ", fmtBody(1, 1, 48)) + chunk("data", data)) << 0;
    }

    void cleanUpResultIsReadable()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, tag);
        const QString folder = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        const QString path = folder + QStringLiteral("/PIANO1.wav");
        QVERIFY(QDir().mkpath(folder) && writeAll(path, file));
        const CleanUpResult result = cleanUpWavFile(path);
        QCOMPARE(filesIn(folder), QStringList{QStringLiteral("PIANO1.wav")});
        const QByteArray out = readAll(path);
        if (!tag) {
            QVERIFY(result.status != CleanUpStatus::Done && !result.error.isEmpty());
            QCOMPARE(out, file);
            return;
        }
        QCOMPARE(result.status, CleanUpStatus::Done);
        // Canonical and whole: RIFF size, a 16-byte format chunk of a plain tag, the
        // source's format fields, the payload, then the sampler chunk to the end.
        const WavView view = readWavView(out);
        const qint64 fmtAt = file.indexOf("fmt ");
        QCOMPARE(view.riffSize, out.size() - 8);
        QCOMPARE(view.fmtSize, 16);
        QCOMPARE(view.formatTag, tag);
        QCOMPARE(out.mid(22, 14), file.mid(fmtAt + 10, 14));
        QCOMPARE(view.dataOffset, 36);
        QCOMPARE(out.mid(44, view.dataSize), payload(600));
        QCOMPARE(out.mid(44 + 600, 4), QByteArray("smpl"));
        QCOMPARE(44 + 600 + 8 + int32At(out, 44 + 604), out.size());
    }

    // "Ecrire les infos": with nothing edited the file is byte-identical, however short;
    // when a write fails (here past a size limit) the file is byte-identical too.
    void writeBackAllOrNothing_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("edited"); // channels 2 and a data size placing the trailer past the limit
        const QByteArray whole = wavFile(payload(8), "tail");
        for (qsizetype n = 0; n <= whole.size(); ++n)
            QTest::addRow("unedited, %lld bytes", qlonglong(n)) << whole.left(n) << false;
        QTest::newRow("edited, past the limit") << whole << true;
        QTest::newRow("edited, LIST, past the limit") << wavFile(payload(8), "tail", chunk("LIST", "INFOx")) << true;
    }

    void writeBackAllOrNothing()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, edited);
        const QString path = m_dir.filePath(QStringLiteral("w.wav"));
        QVERIFY(writeAll(path, file));
        const WavView view = readWavView(file);
        WavFieldTexts texts = shownTexts(view);
        if (edited) {
            texts.channels = QStringLiteral("2");
            texts.dataSize = QStringLiteral("100000");
        }
        const HeaderWritePlan plan = planHeaderWrite(texts, view);
        QCOMPARE(plan.problem, HeaderWritePlan::Problem::None);
        QString error;
        bool written = false;
        {
            const tamo::test::FileSizeLimit limit(file.size() + 100);
            written = writePiecesInPlace(path, plan.pieces, &error);
        }
        QCOMPARE(written, !edited);
        QCOMPARE(readAll(path), file);
        QCOMPARE(error, edited ? tamo::test::errorText(EFBIG) : QString());
    }

    // The waveform draws every sample format at its real level, the first channel of each frame.
    void waveformLevels_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("channels");
        for (const int bits : {8, 16, 24, 32})
            QTest::addRow("PCM %d-bit", bits) << 1 << bits << 1;
        QTest::newRow("PCM 24-bit stereo") << 1 << 24 << 2;
        QTest::newRow("float") << 3 << 32 << 1;
        QTest::newRow("double, stereo") << 3 << 64 << 2;
        QTest::newRow("extensible 24-bit stereo") << 0xFFFE << 24 << 2;
    }

    void waveformLevels()
    {
        QFETCH(int, tag);
        QFETCH(int, bits);
        QFETCH(int, channels);
        const int real = tag == 0xFFFE ? 1 : tag;
        const int bytes = bits / 8;
        const QList<double> levels = {0.5, -0.25, 0.75, -1.0, 0.125, 0.0, -0.5, 0.25};
        QByteArray data;
        for (const double level : levels)
            for (int c = 0; c < channels; ++c) // other channels at another level, never drawn
                data += sampleAt(c ? -level / 2 : level, real, bytes);
        const QByteArray file = riff(chunk("fmt ", fmtBody(tag, channels, bits)) + chunk("data", data));
        const double W = 9315, H = 4440;
        const WaveformPlot plot = computeWaveform(file, W, H, double(data.size()));
        QVERIFY(!plot.points.isEmpty());
        const qint64 frame = qint64(channels) * bytes;
        for (qsizetype i = 0; i < plot.points.size(); ++i) {
            const qint64 at = i ? frame + (i - 1) * plot.step : 0; // byte offset of the point's frame
            QVERIFY(at < data.size());
            QCOMPARE(plot.points[i].x(), W * double(at) / double(data.size()));
            QVERIFY2(qAbs(plot.points[i].y() - H * (1 - levels[at / frame]) / 2) < H / 200,
                     qPrintable(QStringLiteral("point %1").arg(i)));
        }
    }
};

QTEST_GUILESS_MAIN(TestWavFaults)
#include "test_wav_faults.moc"
