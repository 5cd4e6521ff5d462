// `TAMO export FOLDER OUT` with --find-loops, --normalize and --trim-silence on
// generated notes (a loud one and a copy at half its level), read back with libsndfile.
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
        QTest::addColumn<double>("hz");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QString>("kind");   // held (24-bit), oneshot or ownloop (16-bit 44.1 kHz)
        QTest::addColumn<double>("silence"); // seconds before and after the note
        QTest::addColumn<QString>("options");
        QTest::newRow("261.63 Hz, 48 kHz stereo, vibrato") << 261.63 << 48000 << 2 << "held" << 0.0 << "loops";
        QTest::newRow("440 Hz, 44.1 kHz mono") << 440.0 << 44100 << 1 << "held" << 0.0 << "loops";
        QTest::newRow("97.999 Hz, 48 kHz, all three") << 97.999 << 48000 << 1 << "held" << 0.3 << "loops normalize trim";
        QTest::newRow("440 Hz stereo, trimmed") << 440.0 << 44100 << 2 << "held" << 0.25 << "loops trim";
        QTest::newRow("normalised") << 261.63 << 48000 << 2 << "held" << 0.0 << "normalize";
        QTest::newRow("one-shot") << 440.0 << 44100 << 1 << "oneshot" << 0.0 << "loops";
        QTest::newRow("own loops") << 0.0 << 44100 << 1 << "ownloop" << 0.0 << "loops";
    }
    void generatedSets()
    {
        QFETCH(double, hz);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(QString, kind);
        QFETCH(double, silence);
        QFETCH(QString, options);
        QTemporaryDir dir;
        const QString in = dir.filePath(u"in"_s), out = dir.filePath(u"out"_s);
        QVERIFY(QDir().mkdir(in));
        const QStringList names{u"loud"_s, u"quiet"_s};
        std::vector<float> x;
        if (kind != u"ownloop") {
            const std::vector<float> tone = tone::note(hz, rate, channels, kind == u"oneshot");
            x.assign(std::size_t(silence * rate) * std::size_t(channels), 0.0f);
            x.insert(x.end(), tone.begin(), tone.end());
            x.resize(x.size() + std::size_t(silence * rate) * std::size_t(channels), 0.0f);
        }
        for (const QString &name : names) {
            const QString path = QDir(in).filePath(name + u".wav"_s);
            std::vector<float> level = x;
            for (float &s : level)
                s *= name == u"quiet" ? 0.5f : 1.0f;
            SF_INFO info{0, rate, channels, SF_FORMAT_WAV | (kind == u"held" ? SF_FORMAT_PCM_24 : SF_FORMAT_PCM_16), 0, 0};
            SNDFILE *f = kind == u"ownloop" ? nullptr : sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
            QVERIFY(kind == u"ownloop" ? sound::write(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 1, 44100, 60, sound::Loop{1000, 30000})
                                       : f && sf_writef_float(f, level.data(), sf_count_t(level.size()) / channels) > 0 && sf_close(f) == 0);
        }
        const auto sources = [&] {
            QStringList bytes;
            for (const QString &name : filesIn(in))
                bytes << QString::fromLatin1(readAll(QDir(in).filePath(name)).toBase64());
            return bytes;
        };
        const QStringList before = sources();
        QString said, problems;
        QTextStream outText(&said), errText(&problems);
        const exporter::ExportOptions chosen{.findLoops = options.contains(u"loops"_s),
                                             .normalize = options.contains(u"normalize"_s),
                                             .trimSilence = options.contains(u"trim"_s)};
        QCOMPARE(exporter::runExportCommand(in, out, outText, errText, chosen), 0);
        QCOMPARE(sources(), before);

        const qint64 frames = qint64(x.size()) / channels;
        const double ratio = 44100.0 / rate;
        float peaks[2] = {0, 0};
        for (int i = 0; i < 2; ++i) {
            const QString wav = QDir(out).filePath(names[i] + u".WAV"_s);
            const sound::Contents written = sound::read(wav);
            QVERIFY2(written.ok && written.info.samplerate == 44100, qPrintable(said));
            peaks[i] = written.peak;
            // Where the sound lies, read off the generated frames: -60 dBFS is 0.001.
            const float quiet = 0.001f / (i ? 0.5f : 1.0f);
            const auto audible = [&](qint64 frame) { return std::fabs(x[std::size_t(frame * channels)]) >= quiet || std::fabs(x[std::size_t(frame * channels + channels - 1)]) >= quiet; };
            qint64 first = 0, last = frames;
            while (chosen.trimSilence && first < last && !audible(first))
                ++first;
            while (chosen.trimSilence && last > first && !audible(last - 1))
                --last;
            const double noteAt = (silence * rate - double(first)) * ratio; // in written frames
            const bool loops = written.instrument && written.instrument->loop_count > 0;
            if (kind == u"ownloop" || (kind == u"oneshot" && options == u"loops")) {
                QCOMPARE(readAll(wav), readAll(QDir(in).filePath(names[i] + u".wav"_s)));
                QVERIFY(said.contains(names[i] + (kind == u"ownloop" ? u".WAV: its own loop, kept"_s : u".WAV: no loop: "_s)));
                continue;
            }
            QVERIFY2(qAbs(written.info.frames - std::llround(double(last - first) * ratio)) <= 1, qPrintable(u"%1 frames, sound %2-%3 of %4"_s.arg(written.info.frames).arg(first).arg(last).arg(frames)));
            if (!chosen.normalize)
                QVERIFY(qAbs(written.peak - (i ? 0.5f : 1.0f) * std::fabs(*std::max_element(x.begin(), x.end(), [](float a, float b) { return std::fabs(a) < std::fabs(b); }))) < 0.003f);
            QCOMPARE(loops, chosen.findLoops);
            if (!loops)
                continue;
            const double start = written.instrument->loops[0].start, end = written.instrument->loops[0].end;
            const double period = 44100.0 / hz, periods = std::round(double(end - start) / period);
            QVERIFY2(said.contains(u"%1.WAV: loop %2-%3"_s.arg(names[i]).arg(start).arg(end)), qPrintable(said));
            QVERIFY2(start >= noteAt + 0.05 * 44100 && end <= noteAt + 1.6 * 44100, qPrintable(u"%1-%2"_s.arg(start).arg(end)));
            // Vibrato (+-5 cents) blurs the period a little.
            QVERIFY2(std::fabs(double(end - start) - periods * period) <= (channels == 2 ? 1.0 : 0.5), qPrintable(u"%1 frames, %2 periods"_s.arg(end - start).arg(double(end - start) / period)));
            const double cents = 1200 * std::log2(tone::loopedPitch(written.samples, channels, 44100, qint64(start), qint64(end)) / hz);
            QVERIFY2(std::fabs(cents) < 1, qPrintable(QString::number(cents)));
            QVERIFY(tone::jump(written.samples, channels, qint64(start), qint64(end)) < 0.01 * written.peak);
        }
        if (chosen.normalize)
            QVERIFY(std::fabs(peaks[0] - 0.8913f) < 0.003f);
        QVERIFY(std::fabs(peaks[1] / peaks[0] - (kind == u"ownloop" ? 1.0f : 0.5f)) < 0.003f);
    }
};

QTEST_GUILESS_MAIN(TestExportOptions)
#include "test_exportoptions.moc"
