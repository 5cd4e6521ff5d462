// `TAMO export FOLDER OUT` with --find-loops, --normalize and --trim-silence on
// generated notes (a loud one and one at half its level), read back with libsndfile.
#include "export/exportcommand.h"

#include "helper_sound.h"
#include "helper_tone.h"
#include "testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tamo;
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
        QTest::addColumn<double>("silence"); // seconds before and after the note
        QTest::addColumn<QString>("options"); // "oneshot": a 16-bit pluck
        QTest::newRow("261.63 Hz, 48 kHz stereo, vibrato") << 261.63 << 48000 << 2 << 0.0 << "loops";
        QTest::newRow("440 Hz, 44.1 kHz mono") << 440.0 << 44100 << 1 << 0.0 << "loops";
        QTest::newRow("97.999 Hz, 48 kHz, all three") << 97.999 << 48000 << 1 << 0.3 << "loops normalize trim";
        QTest::newRow("440 Hz stereo, trimmed") << 440.0 << 44100 << 2 << 0.25 << "loops trim";
        QTest::newRow("normalised") << 261.63 << 48000 << 2 << 0.0 << "normalize";
        QTest::newRow("one-shot") << 440.0 << 44100 << 1 << 0.0 << "loops oneshot";
        QTest::newRow("own loops") << 0.0 << 44100 << 1 << 0.0 << "loops";
    }
    void generatedSets()
    {
        QFETCH(double, hz);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(double, silence);
        QFETCH(QString, options);
        QTemporaryDir dir;
        const QString in = dir.filePath(u"in"_s), out = dir.filePath(u"out"_s);
        QVERIFY(QDir().mkdir(in));
        const bool copied = hz == 0 || options.contains(u"oneshot"_s); // 16-bit 44.1 kHz: as they are
        const std::size_t pad = std::size_t(silence * rate) * std::size_t(channels);
        std::vector<float> x(pad), note = hz > 0 ? tone::note(hz, rate, channels, copied) : std::vector<float>{};
        x.insert(x.end(), note.begin(), note.end());
        x.resize(x.size() + pad);
        for (const float level : {1.0f, 0.5f}) {
            std::vector<float> y = x;
            for (float &s : y)
                s *= level;
            SF_INFO info{0, rate, channels, SF_FORMAT_WAV | (copied ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_24), 0, 0};
            const QString path = QDir(in).filePath(level < 1 ? u"quiet.wav"_s : u"loud.wav"_s);
            SNDFILE *f = hz == 0 ? nullptr : sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
            QVERIFY(hz == 0 ? sound::write(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 1, 44100, 60, sound::Loop{1000, 30000})
                            : sf_writef_float(f, y.data(), sf_count_t(y.size()) / channels) > 0 && sf_close(f) == 0);
        }
        const auto sources = [&] { return readAll(in + u"/loud.wav"_s) + readAll(in + u"/quiet.wav"_s); };
        const QByteArray before = sources();
        QString said;
        QTextStream outText(&said), errText(&said);
        const exporter::ExportOptions chosen{.findLoops = options.contains(u"loops"_s),
                                             .normalize = options.contains(u"normalize"_s),
                                             .trimSilence = options.contains(u"trim"_s)};
        QCOMPARE(exporter::runExportCommand(in, out, outText, errText, chosen), 0);
        QCOMPARE(sources(), before);

        if (copied) { // unchanged, and loopless unless the source loops
            QCOMPARE(readAll(out + u"/loud.WAV"_s) + readAll(out + u"/quiet.WAV"_s), before);
            QVERIFY(said.contains(hz > 0 ? u"quiet.WAV: no loop: "_s : u"quiet.WAV: its own loop, kept"_s));
            return;
        }
        const double ratio = 44100.0 / rate, period = 44100.0 / hz;
        float peaks[2] = {};
        for (const int i : {0, 1}) {
            const sound::Contents w = sound::read(out + (i ? u"/quiet.WAV"_s : u"/loud.WAV"_s));
            QVERIFY(w.ok && w.info.samplerate == 44100);
            peaks[i] = w.peak;
            // Where the sound lies, read off the generated frames: -60 dBFS is 0.001.
            const float quiet = i ? 0.002f : 0.001f;
            const auto heard = [&](qint64 f) { return std::fabs(x[std::size_t(f * channels)]) >= quiet || std::fabs(x[std::size_t(f * channels + channels - 1)]) >= quiet; };
            qint64 first = 0, last = qint64(x.size()) / channels;
            while (chosen.trimSilence && !heard(first))
                ++first;
            while (chosen.trimSilence && !heard(last - 1))
                --last;
            QVERIFY(qAbs(w.info.frames - std::llround(double(last - first) * ratio)) <= 1);
            QCOMPARE(w.instrument && w.instrument->loop_count > 0, chosen.findLoops);
            if (!chosen.findLoops)
                continue;
            const double start = w.instrument->loops[0].start, end = w.instrument->loops[0].end;
            const double noteAt = (silence * rate - double(first)) * ratio; // in written frames
            QVERIFY2(said.contains(u"WAV: loop %1-%2"_s.arg(start).arg(end)), qPrintable(said));
            QVERIFY(start >= noteAt + 0.05 * 44100 && end <= noteAt + 1.6 * 44100); // the sustain
            // Whole periods; vibrato (+-5 cents) blurs the period a little.
            QVERIFY(std::fabs(end - start - std::round((end - start) / period) * period) <= (channels == 2 ? 1.0 : 0.5));
            const double cents = 1200 * std::log2(tone::loopedPitch(w.samples, channels, 44100, qint64(start), qint64(end)) / hz);
            QVERIFY2(std::fabs(cents) < 1, qPrintable(QString::number(cents)));
            QVERIFY(tone::jump(w.samples, channels, qint64(start), qint64(end)) < 0.01 * w.peak);
        }
        const float loudest = std::fabs(*std::max_element(x.begin(), x.end(), [](float a, float b) { return std::fabs(a) < std::fabs(b); }));
        QVERIFY(std::fabs(peaks[0] - (chosen.normalize ? 0.8913f : loudest)) < 0.003f);
        QVERIFY(std::fabs(peaks[1] / peaks[0] - 0.5f) < 0.003f);
    }
};

QTEST_GUILESS_MAIN(TestExportOptions)
#include "test_exportoptions.moc"
