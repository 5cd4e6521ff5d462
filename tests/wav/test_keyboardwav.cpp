#include "util/atomicfile.h"
#include "wav/keyboardformat.h"
#include "wav/rootnote.h"

#include "helper_sound.h"
#include "testsupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tamo::wav;
using namespace tamo::test;

constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

class TestKeyboardWav : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void root_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("samplerNote"); // -1: no sampler chunk; -2: not a sound file
        QTest::addColumn<int>("note");        // -1: none
        QTest::addColumn<RootSource>("source");
        QTest::newRow("sampler chunk before the name") << "Piano_C3.wav" << 64 << 64 << RootSource::SamplerChunk;
        QTest::newRow("sampler chunk, note 0") << "Kick.wav" << 0 << 0 << RootSource::SamplerChunk;
        QTest::newRow("C3 after a space") << "Piano C3.wav" << -1 << 60 << RootSource::FileName;
        QTest::newRow("c#3 after _") << "pad_c#3.wav" << -1 << 61 << RootSource::FileName;
        QTest::newRow("Db3 after -") << "Str-Db3.wav" << -1 << 61 << RootSource::FileName;
        QTest::newRow("F#-1") << "Bass F#-1.wav" << -1 << 18 << RootSource::FileName;
        QTest::newRow("between dots") << "organ.A4.wav" << -1 << 81 << RootSource::FileName;
        QTest::newRow("at the start, lowest") << "C-2 sub.wav" << -1 << 0 << RootSource::FileName;
        QTest::newRow("at the name's end, highest") << "Lead_G8" << -1 << 127 << RootSource::FileName;
        QTest::newRow("the last note wins") << "C2 to C4.wav" << -1 << 72 << RootSource::FileName;
        QTest::newRow("flat b after letter b") << "bb2.wav" << -1 << 58 << RootSource::FileName;
        QTest::newRow("unreadable file, name used") << "Junk_E3.wav" << -2 << 64 << RootSource::FileName;
        QTest::newRow("glued to letters") << "Cello2.wav" << -1 << -1 << RootSource::None;
        QTest::newRow("glued after") << "Pad C3x.wav" << -1 << -1 << RootSource::None;
        QTest::newRow("two octave digits") << "Pad C10.wav" << -1 << -1 << RootSource::None;
        QTest::newRow("above G8") << "Lead A8.wav" << -1 << -1 << RootSource::None;
        QTest::newRow("no note") << "Piano.wav" << -1 << -1 << RootSource::None;
    }
    void root()
    {
        QFETCH(QString, name);
        QFETCH(int, samplerNote);
        QFETCH(int, note);
        QFETCH(RootSource, source);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(samplerNote == -2 ? writeAll(path, "RIFF junk")
                                  : sound::write(path, kWav16, 44100, 1, 100,
                                                 samplerNote >= 0 ? std::optional(samplerNote) : std::nullopt));
        const RootNote expected{note >= 0 ? std::optional(note) : std::nullopt, source};
        QCOMPARE(detectRoot(path), expected);
        QVERIFY(!rootSourceText(source).isEmpty());
    }

    void check_data()
    {
        QTest::addColumn<int>("format"); // 0: missing, -1: not a sound file
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QString>("reason"); // empty: ok
        QTest::newRow("mono") << kWav16 << 44100 << 1 << "";
        QTest::newRow("stereo") << kWav16 << 44100 << 2 << "";
        QTest::newRow("24-bit") << (SF_FORMAT_WAV | SF_FORMAT_PCM_24) << 44100 << 2 << "24-bit";
        QTest::newRow("8-bit") << (SF_FORMAT_WAV | SF_FORMAT_PCM_U8) << 44100 << 1 << "8-bit";
        QTest::newRow("float") << (SF_FORMAT_WAV | SF_FORMAT_FLOAT) << 44100 << 1 << "float";
        QTest::newRow("48 kHz") << kWav16 << 48000 << 1 << "48000 Hz";
        QTest::newRow("24-bit 48 kHz") << (SF_FORMAT_WAV | SF_FORMAT_PCM_24) << 48000 << 2 << "24-bit, 48000 Hz";
        QTest::newRow("three channels") << kWav16 << 44100 << 3 << "3 channels";
        QTest::newRow("extensible") << (SF_FORMAT_WAVEX | SF_FORMAT_PCM_16) << 44100 << 2 << "WAVE_FORMAT_EXTENSIBLE";
        QTest::newRow("AIFF") << (SF_FORMAT_AIFF | SF_FORMAT_PCM_16) << 44100 << 2 << "AIFF";
        QTest::newRow("FLAC") << (SF_FORMAT_FLAC | SF_FORMAT_PCM_16) << 44100 << 2 << "FLAC";
        QTest::newRow("missing") << 0 << 0 << 0 << "missing";
        QTest::newRow("unreadable") << -1 << 0 << 0 << "unreadable: ";
    }
    void check()
    {
        QFETCH(int, format);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("S.WAV"));
        QVERIFY(format == 0 || (format < 0 ? writeAll(path, QByteArray(100, 'x')) : sound::write(path, format, rate, channels, 100)));
        const FormatCheck result = checkKeyboardFormat(path);
        QCOMPARE(result.ok, reason.isEmpty());
        QVERIFY2(reason.endsWith(u' ') ? result.reason.startsWith(reason) && result.reason.size() > reason.size()
                                       : result.reason == reason, qPrintable(result.reason));
        QCOMPARE(result.readable, format > 0);
    }

    void convert_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<bool>("withLoop");
        QTest::addColumn<bool>("dithered");
        QTest::newRow("24-bit 48 kHz stereo, loop") << (SF_FORMAT_WAV | SF_FORMAT_PCM_24) << 48000 << 2 << true << true;
        QTest::newRow("float mono") << (SF_FORMAT_WAV | SF_FORMAT_FLOAT) << 44100 << 1 << false << true;
        QTest::newRow("16-bit 22050 Hz") << kWav16 << 22050 << 1 << true << true;
        QTest::newRow("extensible 32-bit 96 kHz") << (SF_FORMAT_WAVEX | SF_FORMAT_PCM_32) << 96000 << 2 << false << true;
        QTest::newRow("8-bit, samples kept") << (SF_FORMAT_WAV | SF_FORMAT_PCM_U8) << 44100 << 1 << false << false;
        QTest::newRow("AIFF 16-bit, samples kept") << (SF_FORMAT_AIFF | SF_FORMAT_PCM_16) << 44100 << 2 << false << false;
        QTest::newRow("FLAC 24-bit 48 kHz") << (SF_FORMAT_FLAC | SF_FORMAT_PCM_24) << 48000 << 1 << false << true;
        QTest::newRow("OGG") << (SF_FORMAT_OGG | SF_FORMAT_VORBIS) << 44100 << 2 << false << true;
    }
    void convert()
    {
        QFETCH(int, format);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(bool, withLoop);
        QFETCH(bool, dithered);
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("in")), target = dir.filePath(QStringLiteral("OUT.WAV"));
        const qint64 frames = 3 * rate / 2 + 7; // more than one block
        const sound::Loop loop{quint32(rate / 4), quint32(rate)};
        QVERIFY(sound::write(source, format, rate, channels, frames, withLoop ? std::optional(62) : std::nullopt,
                             withLoop ? std::optional(loop) : std::nullopt));
        const ConvertResult result = convertFileToKeyboardFormat(source, target);
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.dithered, dithered);

        const QByteArray bytes = readAll(target);
        QCOMPARE(bytes.mid(36, 4), QByteArray("data")); // the canonical header
        const sound::Contents in = sound::read(source), out = sound::read(target);
        QVERIFY(out.ok);
        QCOMPARE(out.info.format, kWav16);
        QCOMPARE(out.info.samplerate, 44100);
        QCOMPARE(out.info.channels, channels);
        QVERIFY(std::abs(double(out.info.frames) - double(frames) * 44100 / rate) <= 1.0);
        QCOMPARE(checkKeyboardFormat(target).ok, true);
        // Within the dither (and, for a lossy or resampled source, a little more).
        QVERIFY2(std::abs(out.peak - in.peak) <= 4.0f / 32768, qPrintable(QString::number(out.peak - in.peak)));
        if (!dithered) // the same samples
            QVERIFY(out.samples == in.samples);
        QCOMPARE(out.instrument.has_value(), withLoop);
        if (withLoop) {
            QCOMPARE(int(out.instrument->basenote), 62);
            QCOMPARE(out.instrument->loop_count, 1);
            QCOMPARE(qint64(out.instrument->loops[0].start), qint64(std::llround(loop.start * 44100.0 / rate)));
            QCOMPARE(qint64(out.instrument->loops[0].end), qint64(std::llround(loop.end * 44100.0 / rate)));
        }
    }

    // A stopped conversion reports it, and the target is not created.
    void cancelAndFailure()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("in.wav")), target = dir.filePath(QStringLiteral("OUT.WAV"));
        QVERIFY(sound::write(source, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000, 2, 100000));
        const ConvertResult cancelled = convertFileToKeyboardFormat(source, target, [](double) { return false; });
        QVERIFY(cancelled.cancelled && !cancelled.ok);
        QVERIFY(sound::write(source, kWav16, 44100, 4, 100));
        QCOMPARE(convertFileToKeyboardFormat(source, target).error, QStringLiteral("4 channels"));
        QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("in.wav")});
    }
};

QTEST_GUILESS_MAIN(TestKeyboardWav)
#include "test_keyboardwav.moc"
