// SPDX-License-Identifier: GPL-3.0-or-later
// The pitch detector on generated tones of known frequency, and on sounds that
// hold no pitch.
#include "wav/pitchdetector.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sndfile.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

using namespace tamo::wav;

namespace {

enum class Tone { Sine, Saw, Pluck, Organ, Ensemble, Missing, Noise, Kick, Glide };

// 1.5 s of the tone at hz; the expected note is worked out from hz alone.
std::vector<float> generate(Tone tone, double hz, int rate)
{
    std::vector<float> x(std::size_t(rate) * 3 / 2);
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 0.3);
    const auto harmonic = [&](double f, double t) {
        double s = 0;
        for (int k = 1; k * f < rate / 2.0; ++k)
            s += std::sin(2 * std::numbers::pi * k * f * t) / k;
        return s;
    };
    double phase = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double t = double(i) / rate;
        double s = 0;
        switch (tone) {
        case Tone::Sine: s = std::sin(2 * std::numbers::pi * hz * t); break;
        case Tone::Saw: s = 0.5 * harmonic(hz, t); break;
        case Tone::Pluck: // upper harmonics die first
            for (int k = 1; k <= 12; ++k)
                s += std::exp(-t * (2.0 + k * k * 0.4)) * std::sin(2 * std::numbers::pi * k * hz * t) / k;
            break;
        case Tone::Organ: // the octave partial louder than the fundamental
            for (const auto &[k, a] : {std::pair{1, 0.2}, {2, 1.0}, {3, 0.1}, {4, 0.4}, {6, 0.1}})
                s += 0.5 * a * std::sin(2 * std::numbers::pi * k * hz * t);
            break;
        case Tone::Ensemble: // three voices, 8 cents apart, their middle at hz
            for (const double cents : {-8.0, 0.0, 8.0})
                s += 0.2 * harmonic(hz * std::exp2(cents / 1200), t + cents / 1000);
            break;
        case Tone::Missing: // harmonics 2 to 5 alone: the period is hz's, the octave above as likely
            for (int k = 2; k <= 5; ++k)
                s += 0.3 * std::sin(2 * std::numbers::pi * k * hz * t) / k;
            break;
        case Tone::Noise: s = noise(random) * std::exp(-t * 6); break;
        case Tone::Kick: // a falling sweep, gone in a quarter second
            phase += 2 * std::numbers::pi * (45 + 120 * std::exp(-t * 25)) / rate;
            s = std::sin(phase) * std::exp(-t * 12);
            break;
        case Tone::Glide: // a voice's rising pitch
            phase += 2 * std::numbers::pi * hz * std::exp2(t * 0.8) / rate;
            s = 0.3 * (std::sin(phase) + 0.5 * std::sin(2 * phase) + 0.3 * std::sin(3 * phase));
            break;
        }
        x[i] = float(s);
    }
    return x;
}

} // namespace

class TestPitchDetector : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pitchedTones_data()
    {
        QTest::addColumn<int>("tone");
        QTest::addColumn<double>("hz");
        QTest::addColumn<int>("rate");
        const std::pair<const char *, Tone> tones[] = {{"sine", Tone::Sine}, {"saw", Tone::Saw}, {"pluck", Tone::Pluck},
                                                       {"organ", Tone::Organ}, {"ensemble", Tone::Ensemble},
                                                       {"missing fundamental", Tone::Missing}};
        for (const auto &[name, tone] : tones)
            for (const double hz : {41.2, 233.3, 1318.5})
                for (const int rate : {44100, 32000})
                    QTest::addRow("%s %g Hz at %d", name, hz, rate) << int(tone) << hz << rate;
    }
    void pitchedTones()
    {
        QFETCH(int, tone);
        QFETCH(double, hz);
        QFETCH(int, rate);
        const std::vector<float> x = generate(Tone(tone), hz, rate);
        const PitchReading reading = detectPitch(x.data(), qint64(x.size()), rate);
        QVERIFY2(reading.confident, qPrintable(reading.reason));
        const double expected = 69 + 12 * std::log2(hz / 440);
        QVERIFY2(std::abs(reading.note - expected) * 100 <= 5,
                 qPrintable(QStringLiteral("%1 cents off").arg((reading.note - expected) * 100)));
        QVERIFY(reading.confidence > 0.7);
        QCOMPARE(reading.octaveUpToo, Tone(tone) == Tone::Missing);
    }

    // Files: drums and voices hold no pitch; a loop is measured, not the attack.
    void files_data()
    {
        QTest::addColumn<int>("tone");
        QTest::addColumn<bool>("looped");
        QTest::addColumn<double>("hz"); // 0: no held pitch
        QTest::newRow("noise burst") << int(Tone::Noise) << false << 0.0;
        QTest::newRow("kick sweep") << int(Tone::Kick) << false << 0.0;
        QTest::newRow("gliding voice") << int(Tone::Glide) << false << 0.0;
        QTest::newRow("a short loop of a saw after noise") << int(Tone::Saw) << true << 330.0;
    }
    void files()
    {
        QFETCH(int, tone);
        QFETCH(bool, looped);
        QFETCH(double, hz);
        std::vector<float> x = generate(Tone(tone), looped ? hz : 150, 44100);
        PitchWindow window;
        if (looped) { // noise before the loop; the loop holds 11 periods
            const std::vector<float> noise = generate(Tone::Noise, 0, 44100);
            std::copy(noise.begin(), noise.begin() + 20000, x.begin());
            window.loopStart = 30000;
            window.loopEnd = 30000 + qint64(std::round(11 * 44100 / hz));
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tone.wav"));
        SF_INFO info{0, 44100, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
        SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
        QVERIFY(file);
        QCOMPARE(sf_writef_float(file, x.data(), sf_count_t(x.size())), sf_count_t(x.size()));
        sf_close(file);
        const PitchReading reading = detectPitchInFile(path, window);
        QCOMPARE(reading.confident, hz > 0);
        if (hz > 0)
            QVERIFY(std::abs(reading.note - (69 + 12 * std::log2(hz / 440))) * 100 <= 5);
        else
            QVERIFY(!reading.reason.isEmpty());
    }

    // KEY - FINE / 100 gives back the note; FINE stays 0..99.
    void keyAndFine()
    {
        for (double note = 20; note < 100; note += 0.137) {
            const KeyAndFine kf = keyAndFineFor(note);
            QVERIFY(kf.fine >= 0 && kf.fine <= 99);
            QVERIFY(std::abs(kf.key - kf.fine / 100.0 - note) <= 0.055);
        }
    }
};

QTEST_GUILESS_MAIN(TestPitchDetector)
#include "test_pitchdetector.moc"
