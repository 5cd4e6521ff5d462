// SPDX-License-Identifier: GPL-3.0-or-later
// The loop finder on generated held notes and one-shots, the level helpers, and
// one run over Debian's sound fonts, drum kits and speech.
#include "wav/levels.h"
#include "wav/loopfinder.h"
#include "wav/sourceanalysis.h"

#include "helper_sound.h"

#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sndfile.h>

#include <cmath>
#include <numeric>
#include <set>

using namespace tamo::wav;
using namespace tamo::test::sound;
using namespace Qt::StringLiterals;

// The pitch a loop adds at its seam, in cents: the frames played before the wrap
// against those before the loop start, cross-correlated; the lag of the peak nearest
// none (a whole period's slip is no change of pitch) is what each pass adds.
double seamCents(const std::vector<float> &x, int channels, qint64 start, qint64 end, int rate)
{
    const qint64 window = std::min<qint64>(rate / 50, std::min(start, end - start) - rate / 200), reach = rate / 200;
    if (window < 32 || start - window - reach < 0)
        return 0;
    std::vector<double> c;
    for (qint64 lag = -reach; lag <= reach; ++lag) {
        double ab = 0, aa = 0, bb = 0;
        for (qint64 j = 0; j < window; ++j) {
            const double a = x[size_t((end - window + j) * channels)], b = x[size_t((start - window + j + lag) * channels)];
            ab += a * b, aa += a * a, bb += b * b;
        }
        c.push_back(aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0);
    }
    const double strongest = *std::max_element(c.begin(), c.end());
    const auto peak = [&](qint64 i) { return i > 0 && i < qint64(c.size()) - 1 && c[size_t(i)] >= c[size_t(i - 1)] && c[size_t(i)] >= c[size_t(i + 1)] && c[size_t(i)] >= 0.8 * strongest; };
    for (qint64 d = 0; d < reach; ++d)
        for (const qint64 i : {reach - d, reach + d})
            if (peak(i)) {
                const double a = c[size_t(i - 1)], b = c[size_t(i)], e = c[size_t(i + 1)], bend = a - 2 * b + e;
                const double lag = double(i - reach) + (bend < 0 ? 0.5 * (a - e) / bend : 0.0);
                return std::fabs(1200 * std::log2(double(end - start) / (double(end - start) - lag)));
            }
    return 1200;
}

class TestLoopFinder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void generatedNotes_data()
    {
        QTest::addColumn<double>("hz");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<bool>("oneShot");
        QTest::addColumn<bool>("ensemble"); // three detuned voices beating, with tremolo: no single period
        for (const double hz : {261.63, 440.0, 97.999})
            for (const int rate : {44100, 48000}) {
                const QByteArray name = QByteArray::number(hz) + " Hz at " + QByteArray::number(rate);
                QTest::newRow(name + ", mono, flat") << hz << rate << 1 << false << false;
                QTest::newRow(name + ", stereo, overshoot, vibrato and noise") << hz << rate << 2 << false << false;
                QTest::newRow(name + ", plucked one-shot") << hz << rate << 1 << true << false;
                if (hz > 200)
                    QTest::newRow(name + ", ensemble") << hz << rate << 1 << false << true;
            }
    }

    void generatedNotes()
    {
        QFETCH(double, hz);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(bool, oneShot);
        QFETCH(bool, ensemble);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("note.wav"));
        // An ensemble beats: it is held for 3 s so that a long enough stretch holds steady.
        const double seconds = ensemble ? 3.4 : 2;
        std::vector<float> voices = note(hz, rate, channels, oneShot, seconds);
        for (size_t i = 0; ensemble && i < voices.size(); ++i) {
            const std::vector<float> up = note(hz * 1.006, rate, 1, false, seconds), down = note(hz * 0.993, rate, 1, false, seconds);
            for (size_t j = 0; j < voices.size(); ++j)
                voices[j] = float((voices[j] + up[j] + down[j]) * 0.35 * (1 + 0.3 * std::sin(2 * M_PI * 4.5 * double(j) / rate)));
            break;
        }
        QVERIFY(write24(path, voices, rate, channels));
        const FoundLoop loop = findLoopInFile(path);
        QVERIFY2(loop.found != oneShot, qPrintable(loop.description()));
        if (oneShot)
            return;
        std::vector<float> x = tamo::test::sound::read(path).samples;
        const std::vector<float> unfaded = x;
        applyCrossfade(x.data(), qint64(x.size()) / channels, channels, loop);
        // The crossfade writes only the frames [end - crossfade, end).
        qint64 changed = -1;
        for (size_t i = 0; i < x.size() && changed < 0; ++i)
            if (const qint64 frame = qint64(i) / channels; (frame < loop.end - loop.crossfade || frame >= loop.end) && x[i] != unfaded[i])
                changed = frame;
        QVERIFY2(changed < 0, qPrintable(QStringLiteral("frame %1 changed, ").arg(changed) + loop.description()));
        // Long, in tune at the seam; a steady tone has a clean seam, so no crossfade.
        QVERIFY2(loop.end - loop.start >= rate / 4 && seamCents(x, channels, loop.start, loop.end, rate) <= 2, qPrintable(loop.description()));
        QVERIFY2(ensemble || channels == 2 || loop.crossfade == 0, qPrintable(loop.description()));
        if (ensemble)
            return;
        const double heldFrom = channels == 2 ? 0.15 : 0.05, periods = double(loop.end - loop.start) * hz / rate;
        QVERIFY2(double(loop.start) >= heldFrom * rate && double(loop.end) <= 1.6 * rate, qPrintable(loop.description()));
        // Whole periods where there is one; with vibrato the seam decides (the pitch below).
        QVERIFY2(channels == 2 || std::fabs(periods - std::round(periods)) * rate / hz <= 0.5, qPrintable(QString::number(periods)));
        const double cents = 1200 * std::log2(loopedPitch(x, channels, rate, loop.start, loop.end) / hz);
        QVERIFY2(std::fabs(cents) < 1, qPrintable(QString::number(cents)));
        const float peak = std::fabs(*std::max_element(x.begin(), x.end(), [](float a, float b) { return std::fabs(a) < std::fabs(b); }));
        QVERIFY(jump(x, channels, loop.start, loop.end) < 0.01 * peak);
    }

    // Hiss at -80 dBFS around a square wave of 0.5 (0.25 on the right) with a burst of
    // 0.9 late in it: the sound's bounds, the peak of the file and of the part before
    // the burst, the set gain, and a loop found within the sound; a source with a loop
    // of its own keeps it.
    void levels()
    {
        constexpr qint64 lead = 13230, sound = 44100, burst = 40000;
        std::vector<float> x(size_t(2 * (lead + sound + 8820)));
        for (qint64 i = 0; i < qint64(x.size()) / 2; ++i) {
            const bool inSound = i >= lead && i < lead + sound;
            const float v = inSound ? ((i / 50) % 2 ? 0.5f : -0.5f) * (i >= lead + burst && i < lead + burst + 10 ? 1.8f : 1.0f)
                                    : (i % 2 ? 1e-4f : -1e-4f);
            x[size_t(2 * i)] = v, x[size_t(2 * i + 1)] = inSound ? v / 2 : v;
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("levels.wav"));
        QVERIFY(write24(path, x, 44100, 2));
        const SourceAnalysis whole = analyseSource(path);
        QVERIFY(whole.ok && whole.sound == (SoundBounds{lead, lead + sound}) && std::fabs(whole.peak - 0.9f) < 1e-6f);
        QVERIFY(std::fabs(analyseSource(path, {lead, lead + burst}).peak - 0.5f) < 1e-6f);
        QVERIFY(std::fabs(setGain({whole.peak, 0.5f}) * whole.peak - std::pow(10.0, -1.0 / 20)) < 1e-9);
        QVERIFY(setGain({0.0f}) == 1.0 && !analyseSource(dir.filePath(QStringLiteral("missing.wav"))).ok);
        const SourceAnalysis analysis = analyseSource(path, {0, -1, true});
        QVERIFY2(analysis.loop.found && analysis.loop.start >= lead && analysis.loop.end <= lead + sound, qPrintable(analysis.loop.description()));
        QVERIFY(tamo::test::sound::write(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 44100, 60, tamo::test::sound::Loop{100, 200}));
        QVERIFY(analyseSource(path, {0, -1, true}).hasOwnLoop && !analyseSource(path, {0, -1, true}).loop.found);
    }

    // TimGM6mb's sustained instruments (organs, strings, choirs, winds, leads, pads)
    // with their loops ignored: 95 in 100 get a loop, nine in ten of those keep the
    // pitch at the seam within 2 cents, and the median loop is no shorter than the
    // designers'. Drum kits and speech get none. A kit's file that is a held tone cut
    // at both ends (its first and last 10 ms within 3 dB of its loudest) is no one-shot.
    void debianMaterial()
    {
        const QString font = QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");
        const QString kits = QStringLiteral("/usr/share/hydrogen/data/drumkits");
        if (!QFile::exists(font) || !QFile::exists(kits) || QStandardPaths::findExecutable(QStringLiteral("polyphone")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("espeak-ng")).isEmpty())
            QSKIP("needs the Debian packages polyphone, timgm6mb-soundfont, hydrogen-drumkits and espeak-ng");
        QTemporaryDir dir;
        QCOMPARE(QProcess::execute(QStringLiteral("polyphone"), QStringLiteral("-3 -i %1 -d %2 -c 100").arg(font, dir.path()).split(QLatin1Char(' '))), 0);
        std::set<QString> looped; // samples a sustained instrument plays looped, by its own or its group's loop_mode
        for (QDirIterator it(dir.path(), {QStringLiteral("*.sfz")}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            QFile sfz(it.next());
            const int program = QFileInfo(sfz).fileName().left(3).toInt();
            const bool kit = QStringList{u"Power"_s, u"Brush"_s, u"Orchestra"_s, u"SFX"_s}.contains(QFileInfo(sfz).completeBaseName().mid(4));
            if (kit || (!(program >= 16 && program <= 23) && !(program >= 40 && program <= 44) && !(program >= 48 && program <= 95)))
                continue;
            QVERIFY(sfz.open(QIODevice::ReadOnly));
            const auto mode = [](const QString &text) { return text.section(QLatin1String("loop_mode="), 1, 1).section(QLatin1Char('\n'), 0, 0); };
            for (const QString &group : QString::fromLatin1(sfz.readAll()).split(QLatin1String("<group>")))
                for (const QString &region : group.split(QLatin1String("<region>")).mid(1))
                    if ((mode(region).isEmpty() ? mode(group.section(QLatin1String("<region>"), 0, 0)) : mode(region)).startsWith(QLatin1String("loop_")))
                        looped.insert(QFileInfo(sfz).path() + QLatin1Char('/')
                                      + region.section(QLatin1String("sample="), 1, 1).section(QLatin1Char('\n'), 0, 0).replace(QLatin1Char('\\'), QLatin1Char('/')));
        }
        int authored = 0, found = 0, inTune = 0;
        std::vector<double> ratios;
        for (const QString &path : looped) {
            const auto [ok, info, peak, x, instrument] = tamo::test::sound::read(path);
            if (!instrument || instrument->loop_count < 1)
                continue;
            ++authored;
            const FoundLoop loop = findLoop(x.data(), info.frames, info.channels, info.samplerate);
            if (!loop.found)
                continue;
            ++found;
            ratios.push_back(double(loop.end - loop.start) / double(instrument->loops[0].end - instrument->loops[0].start));
            std::vector<float> played = x;
            applyCrossfade(played.data(), info.frames, info.channels, loop);
            inTune += seamCents(played, info.channels, loop.start, loop.end, info.samplerate) <= 2;
        }
        std::nth_element(ratios.begin(), ratios.begin() + qsizetype(ratios.size() / 2), ratios.end());
        const double ratio = ratios.empty() ? 0 : ratios[ratios.size() / 2];
        qInfo("TimGM6mb sustained: %d of %d looped, %d in tune at the seam, median length %.2f of the designers'", found, authored, inTune, ratio);
        QVERIFY(authored > 60 && found >= 0.95 * authored && inTune >= 0.9 * found && ratio >= 1);

        QStringList oneShots, loopedOneShots, heldTones;
        for (QDirIterator it(kits, {QStringLiteral("*.flac"), QStringLiteral("*.wav")}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const auto [ok, info, peak, x, instrument] = tamo::test::sound::read(it.next());
            std::vector<double> energy; // per 10 ms
            for (qint64 at = 0, block = info.samplerate / 100 * info.channels; ok && block > 0 && at + block <= qint64(x.size()); at += block)
                energy.push_back(std::inner_product(x.begin() + at, x.begin() + at + block, x.begin() + at, 0.0));
            const double loudest = energy.empty() ? 0.0 : *std::max_element(energy.begin(), energy.end());
            const bool held = energy.size() > 2 && loudest > 0 && 2 * std::min(energy.front(), energy.back()) >= loudest;
            (held ? heldTones : oneShots) << it.filePath();
        }
        for (const QString &text : {QStringLiteral("Hold the note, please."), QStringLiteral("The quick brown fox jumps over the lazy dog.")}) {
            oneShots.prepend(dir.filePath(QString::number(oneShots.size()) + QStringLiteral(".wav")));
            QCOMPARE(QProcess::execute(QStringLiteral("espeak-ng"), {QStringLiteral("-w"), oneShots.first(), text}), 0);
        }
        for (const QString &path : oneShots)
            if (const FoundLoop loop = findLoopInFile(path); loop.found || loop.reason.startsWith(QLatin1String("unreadable")))
                loopedOneShots << path + QStringLiteral(": ") + loop.description();
        qInfo("%lld of %lld one-shots looped: %s (held tones left out: %s)", loopedOneShots.size(), oneShots.size(),
              qPrintable(loopedOneShots.join(QStringLiteral("; "))), qPrintable(heldTones.join(QStringLiteral("; "))));
        QVERIFY(oneShots.size() > 600 && heldTones.size() <= 2);
        QVERIFY(loopedOneShots.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLoopFinder)
#include "test_loopfinder.moc"
