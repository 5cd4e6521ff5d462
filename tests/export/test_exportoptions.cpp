// SPDX-License-Identifier: GPL-3.0-or-later
// `TAMO export` --find-loops, --normalize, --trim-silence on generated notes (loud, and at half level).
#include "export/exportcommand.h"

#include "helper_sound.h"
#include "testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tamo::test;
using namespace Qt::StringLiterals;

class TestExportOptions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void generatedSets_data()
    {
        QTest::addColumn<double>("hz"); // 0: a 16-bit half-sine with its own loop
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QString>("options"); // "oneshot": a 16-bit pluck; "trim": 0.3 s of silence around
        QTest::newRow("261.63 Hz, 48 kHz stereo, vibrato") << 261.63 << 48000 << 2 << "loops";
        QTest::newRow("97.999 Hz, 48 kHz, all three") << 97.999 << 48000 << 1 << "loops normalize trim";
        QTest::newRow("440 Hz stereo, trimmed") << 440.0 << 44100 << 2 << "loops trim";
        QTest::newRow("normalised") << 261.63 << 48000 << 2 << "normalize";
        QTest::newRow("one-shot") << 440.0 << 44100 << 1 << "loops oneshot";
        QTest::newRow("own loops") << 0.0 << 44100 << 1 << "loops";
    }
    void generatedSets()
    {
        QFETCH(double, hz);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(QString, options);
        QTemporaryDir dir;
        const QString in = dir.filePath(u"in"_s), out = dir.filePath(u"out"_s);
        const bool copied = hz == 0 || options.contains(u"oneshot"_s); // 16-bit 44.1 kHz: as they are
        const tamo::exporter::ExportOptions chosen{options.contains(u"loops"_s), options.contains(u"normalize"_s), options.contains(u"trim"_s)};
        const double silence = chosen.trimSilence ? 0.3 : 0.0;
        std::vector<float> x(std::size_t(silence * rate) * std::size_t(channels)), note = hz > 0 ? sound::note(hz, rate, channels, copied) : x;
        x.insert(x.end(), note.begin(), note.end());
        x.resize(x.size() + std::size_t(silence * rate) * std::size_t(channels));
        for (const float level : {1.0f, 0.5f}) {
            const QString path = QDir(in).filePath(level < 1 ? u"quiet.wav"_s : u"loud.wav"_s);
            std::vector<float> y(x);
            std::transform(y.begin(), y.end(), y.begin(), [level](float s) { return s * level; });
            QVERIFY(QDir().mkpath(in) && (hz == 0 ? sound::write(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 1, 44100, 60, sound::Loop{1000, 30000})
                                                  : sound::write24(path, y, rate, channels, copied ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_24)));
        }
        const auto sources = [&](const QString &at, const QString &wav) { return readAll(at + u"/loud"_s + wav) + readAll(at + u"/quiet"_s + wav); };
        const QByteArray before = sources(in, u".wav"_s);
        QString said;
        QTextStream outText(&said), errText(&said);
        QCOMPARE(tamo::exporter::runExportCommand(in, out, outText, errText, chosen), 0);
        QCOMPARE(sources(in, u".wav"_s), before);

        if (copied) { // unchanged, and loopless unless the source loops
            QCOMPARE(sources(out, u".WAV"_s), before);
            QVERIFY(said.contains(hz > 0 ? u"quiet.WAV: no loop: "_s : u"quiet.WAV: its own loop, kept"_s));
            return;
        }
        const double ratio = 44100.0 / rate, period = 44100.0 / hz;
        float peaks[2] = {};
        for (const int i : {0, 1}) {
            const sound::Contents w = sound::read(out + (i ? u"/quiet.WAV"_s : u"/loud.WAV"_s));
            QVERIFY(w.ok && w.info.samplerate == 44100 && (peaks[i] = w.peak) > 0);
            const float quiet = i ? 0.002f : 0.001f; // -60 dBFS, where the sound lies in the generated frames
            const auto heard = [&](qint64 f) { return std::fabs(x[std::size_t(f * channels)]) >= quiet || std::fabs(x[std::size_t(f * channels + channels - 1)]) >= quiet; };
            qint64 first = 0, last = qint64(x.size()) / channels;
            for (; chosen.trimSilence && !heard(first); ++first) {}
            for (; chosen.trimSilence && !heard(last - 1); --last) {}
            QVERIFY(qAbs(w.info.frames - std::llround(double(last - first) * ratio)) <= 1);
            QCOMPARE(w.instrument && w.instrument->loop_count > 0, chosen.findLoops);
            if (!chosen.findLoops)
                continue;
            const double start = w.instrument->loops[0].start, end = w.instrument->loops[0].end;
            const double noteAt = (silence * rate - double(first)) * ratio; // in written frames
            QVERIFY2(said.contains(u"WAV: loop %1-%2"_s.arg(start).arg(end)), qPrintable(said));
            QVERIFY(start >= noteAt + 0.05 * 44100 && end <= noteAt + 1.6 * 44100); // the sustain
            QVERIFY(std::fabs(end - start - std::round((end - start) / period) * period) <= (channels == 2 ? 1.0 : 0.5)); // vibrato blurs
            QVERIFY(std::fabs(1200 * std::log2(sound::loopedPitch(w.samples, channels, 44100, qint64(start), qint64(end)) / hz)) < 1);
            QVERIFY(sound::jump(w.samples, channels, qint64(start), qint64(end)) < 0.01 * w.peak);
        }
        const float loudest = std::fabs(*std::max_element(x.begin(), x.end(), [](float a, float b) { return std::fabs(a) < std::fabs(b); }));
        QVERIFY(std::fabs(peaks[0] - (chosen.normalize ? 0.8913f : loudest)) < 0.003f);
        QVERIFY(std::fabs(peaks[1] / peaks[0] - 0.5f) < 0.003f);
    }
};

QTEST_GUILESS_MAIN(TestExportOptions)
#include "test_exportoptions.moc"
