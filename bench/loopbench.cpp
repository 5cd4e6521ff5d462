// SPDX-License-Identifier: GPL-3.0-or-later
// The loop finder on material rebuilt from Debian packages, as a table:
// - the sustained samples (organs, strings, choirs, brass, reeds, pipes, leads,
//   pads) of FluidR3_GM and TimGM6mb with their loops stripped, against the loops
//   their designers set: loop found, median lengths and their ratio, the share of
//   seams that keep the pitch within 2 cents, held parts of 1 s or more looped
//   for at least 0.25 s;
// - pads and detuned ensembles made by sox, and clean sines and saws (which need
//   no crossfade);
// - one-shots: Hydrogen's drum kits and espeak-ng's speech (which need no loop);
// - the processor time per second of audio (build in Release for that figure).
//   tamo_loopbench [--quick] [--verbose] [--only TEXT]   (--quick: every fourth sample, fewer
//   generated sounds; --verbose: the misses and the one-shots looped; --only: the sound font
//   samples and drum files whose name holds TEXT)

#include "sf2/soundfont.h"
#include "wav/loopfinder.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <set>
#include <vector>

namespace {

using tamo::wav::FoundLoop;

struct Sound {
    QString name;
    std::vector<float> x; // mono or interleaved
    int channels = 1;
    int rate = 44100;
    qint64 frames() const { return qint64(x.size()) / channels; }
};

double cpuSeconds = 0, audioSeconds = 0;
QString only; // --only TEXT: the sound font samples whose name holds TEXT, nothing else

FoundLoop timedFind(const Sound &s)
{
    const std::clock_t start = std::clock();
    const FoundLoop loop = tamo::wav::findLoop(s.x.data(), s.frames(), s.channels, s.rate);
    cpuSeconds += double(std::clock() - start) / CLOCKS_PER_SEC;
    audioSeconds += double(s.frames()) / s.rate;
    return loop;
}

// The pitch at the seam: the frames played before the wrap against the frames that
// really precede the loop start, cross-correlated over a few periods; the best
// lag (fractional) is what every pass through the loop adds, in cents of its length.
double seamCents(const std::vector<float> &played, int channels, qint64 start, qint64 end, int rate)
{
    const qint64 window = std::min<qint64>(rate / 50, std::min(start, end - start) - rate / 200);
    const qint64 reach = rate / 200; // +-5 ms
    if (window < 32 || start - window - reach < 0)
        return 0;
    auto at = [&](qint64 i) { return double(played[size_t(i * channels)]); };
    auto correlation = [&](qint64 lag) {
        double ab = 0, aa = 0, bb = 0;
        for (qint64 j = 0; j < window; ++j) {
            const double a = at(end - window + j), b = at(start - window + j + lag);
            ab += a * b, aa += a * a, bb += b * b;
        }
        return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
    };
    std::vector<double> c(size_t(2 * reach + 1));
    for (qint64 lag = -reach; lag <= reach; ++lag)
        c[size_t(lag + reach)] = correlation(lag);
    // The peak nearest no lag among the strong ones: a slip by a whole period of a
    // periodic sound matches as well but is no change of pitch.
    const double strongest = *std::max_element(c.begin(), c.end());
    qint64 best = reach;
    for (qint64 d = 0; d <= reach; ++d) {
        auto peak = [&](qint64 i) { return i > 0 && i < qint64(c.size()) - 1 && c[size_t(i)] >= c[size_t(i - 1)] && c[size_t(i)] >= c[size_t(i + 1)] && c[size_t(i)] >= 0.8 * strongest; };
        if (peak(reach - d) || peak(reach + d)) {
            best = peak(reach - d) && (!peak(reach + d) || c[size_t(reach - d)] > c[size_t(reach + d)]) ? reach - d : reach + d;
            break;
        }
    }
    double lag = double(best - reach);
    if (best > 0 && best < qint64(c.size()) - 1) {
        const double a = c[size_t(best - 1)], b = c[size_t(best)], d = c[size_t(best + 1)];
        if (const double bend = a - 2 * b + d; bend < 0)
            lag += 0.5 * (a - d) / bend;
    }
    return std::fabs(1200 * std::log2(double(end - start) / (double(end - start) - lag)));
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

bool sustainedProgram(int p)
{
    return (p >= 16 && p <= 23) || (p >= 40 && p <= 44) || (p >= 48 && p <= 54) || (p >= 56 && p <= 95) || (p >= 109 && p <= 111);
}

struct FontRow {
    int samples = 0, found = 0, ownInTune = 0, oursInTune = 0, heldLong = 0, heldLongLooped = 0;
    std::vector<double> ours, theirs, ratio;
    QStringList missed;
};

FontRow fontRow(const QString &path, bool quick)
{
    FontRow row;
    const tamo::sf2::SoundFont font = tamo::sf2::readSoundFontFile(path);
    if (!font.ok())
        return row;
    std::set<int> chosen;
    for (const tamo::sf2::Preset &preset : font.presets) {
        if (preset.bank != 0 || !sustainedProgram(preset.program))
            continue;
        for (const tamo::sf2::Zone &pz : preset.zones) {
            if (pz.link < 0)
                continue;
            const tamo::sf2::Instrument &instrument = font.instruments.at(pz.link);
            const bool globalLoops = !instrument.zones.isEmpty() && instrument.zones.first().link < 0
                && (instrument.zones.first().amount(tamo::sf2::Generator::SampleModes) & 1);
            for (const tamo::sf2::Zone &z : instrument.zones)
                if (z.link >= 0 && (z.has(tamo::sf2::Generator::SampleModes) ? (z.amount(tamo::sf2::Generator::SampleModes) & 1) : globalLoops))
                    chosen.insert(z.link);
        }
    }
    int n = 0;
    for (const int index : chosen) {
        if ((quick && n++ % 4) || !font.samples.at(index).name.contains(only))
            continue;
        const tamo::sf2::SampleHeader &h = font.samples.at(index);
        const tamo::sf2::SampleFrames frames = tamo::sf2::sampleFrames(font, index);
        if (!frames.error.isEmpty() || h.loopEnd <= h.loopStart || h.loopEnd > qint64(frames.frames.size()))
            continue;
        Sound s{h.name, {}, 1, int(h.sampleRate)};
        for (const qint32 v : frames.frames)
            s.x.push_back(float(double(v) / 2147483648.0));
        ++row.samples;
        const FoundLoop loop = timedFind(s);
        const double theirs = double(h.loopEnd - h.loopStart) / s.rate;
        row.theirs.push_back(theirs);
        row.ownInTune += seamCents(s.x, 1, h.loopStart, h.loopEnd, s.rate) <= 2;
        // Held for a second or more: from the end of the attack (the designers' loop start
        // at the latest) to the end of the sample.
        const bool heldLong = double(s.frames() - std::min<qint64>(h.loopStart, s.rate / 10)) / s.rate >= 1.0;
        row.heldLong += heldLong;
        if (!loop.found) {
            row.missed << QStringLiteral("%1 frames at %2, designers' loop %3-%4, ").arg(s.frames()).arg(s.rate).arg(h.loopStart).arg(h.loopEnd) + s.name + QStringLiteral(": ") + loop.reason;
            continue;
        }
        ++row.found;
        const double ours = double(loop.end - loop.start) / s.rate;
        row.ours.push_back(ours);
        row.ratio.push_back(ours / theirs);
        row.heldLongLooped += heldLong && ours >= 0.25;
        std::vector<float> played = s.x;
        tamo::wav::applyCrossfade(played.data(), s.frames(), 1, loop);
        row.oursInTune += seamCents(played, 1, loop.start, loop.end, s.rate) <= 2;
    }
    return row;
}

// sox's output for a synth command line, or nothing.
Sound soxSound(const QString &name, const QStringList &effects, const QString &dir)
{
    Sound s{name, {}, 1, 44100};
    const QString path = dir + QStringLiteral("/g.wav");
    QStringList args{QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"), QStringLiteral("-b"), QStringLiteral("16"), path};
    if (QProcess::execute(QStringLiteral("sox"), args + effects) != 0)
        return s;
    SF_INFO info{};
    SNDFILE *f = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!f)
        return s;
    s.channels = info.channels, s.rate = info.samplerate;
    s.x.resize(size_t(info.frames * info.channels));
    sf_readf_float(f, s.x.data(), info.frames);
    sf_close(f);
    return s;
}

Sound fileSound(const QString &path)
{
    Sound s{path, {}, 1, 44100};
    SF_INFO info{};
    SNDFILE *f = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!f)
        return s;
    s.channels = info.channels, s.rate = info.samplerate;
    s.x.resize(size_t(info.frames * info.channels));
    sf_readf_float(f, s.x.data(), info.frames);
    sf_close(f);
    return s;
}

QString number(double v, int decimals = 2) { return QString::number(v, 'f', decimals); }

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    const bool verbose = app.arguments().contains(QStringLiteral("--verbose"));
    if (const qsizetype at = app.arguments().indexOf(QStringLiteral("--only")); at > 0 && at + 1 < app.arguments().size())
        only = app.arguments().at(at + 1);
    QTemporaryDir dir;
    // seam<=2c: of the loops found; theirs<=2c: of the designers' loops; held>=1s: loops of
    // 0.25 s or more among the samples held for a second or more.
    std::printf("%-28s %8s %8s %8s %8s %8s %10s %10s %8s\n", "material", "samples", "looped", "ours s", "theirs s", "ratio",
                "seam<=2c", "theirs<=2c", "held>=1s");
    for (const QString &font : {QStringLiteral("/usr/share/sounds/sf2/FluidR3_GM.sf2"), QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2")}) {
        const FontRow r = fontRow(font, quick);
        if (r.samples == 0)
            continue;
        std::printf("%-28s %8d %7.1f%% %8.3f %8.3f %8.2f %9.1f%% %9.1f%% %5d/%d\n", qPrintable(font.section(QLatin1Char('/'), -1)), r.samples,
                    100.0 * r.found / r.samples, median(r.ours), median(r.theirs), median(r.ratio), 100.0 * r.oursInTune / std::max(1, r.found),
                    100.0 * r.ownInTune / r.samples, r.heldLongLooped, r.heldLong);
        if (verbose)
            for (const QString &m : r.missed)
                std::printf("  missed %s\n", qPrintable(m));
    }

    // Generated: pads (two detuned saws with tremolo), ensembles (five detuned saws
    // with slow vibrato), clean sines and saws; counted: looped, crossfaded, seam pitch.
    struct Group {
        const char *name;
        std::vector<QStringList> commands;
        bool clean;
    };
    std::vector<Group> groups{{"sox pads", {}, false}, {"sox ensembles", {}, false}, {"sox clean sines, saws", {}, true}};
    const int count = quick ? 4 : 12;
    for (int i = 0; i < (only.isEmpty() ? count : 0); ++i) {
        const double hz = 65.0 * std::pow(2.0, i * 4.0 / 12);
        const QString f = number(hz, 3), d = number(hz * 1.006, 3), e = number(hz * 0.993, 3), g = number(hz * 1.011, 3);
        groups[0].commands.push_back(QStringLiteral("synth 5 saw %1 saw %2 tremolo 4.5 40 fade 0.05 5 0.3 vol 0.4").arg(f, d).split(QLatin1Char(' ')));
        groups[1].commands.push_back(QStringLiteral("synth 12 saw %1 saw %2 saw %3 saw %4 sine %1 fade 0.2 12 0.5 vol 0.25").arg(f, d, e, g).split(QLatin1Char(' ')));
        groups[2].commands.push_back(QStringLiteral("synth 3 %1 %2 fade 0.02 3 0.2 vol 0.6").arg(i % 2 ? QStringLiteral("sine") : QStringLiteral("saw"), number(98 * std::pow(2.0, i * 3.0 / 12), 3)).split(QLatin1Char(' ')));
    }
    for (const Group &group : groups) {
        int sounds = 0, looped = 0, faded = 0, inTune = 0;
        for (const QStringList &command : group.commands) {
            const Sound s = soxSound(QString(), command, dir.path());
            if (s.x.empty())
                continue;
            ++sounds;
            const FoundLoop loop = timedFind(s);
            if (verbose)
                std::printf("  %s: %s\n", qPrintable(command.join(QLatin1Char(' '))), qPrintable(loop.description()));
            if (!loop.found)
                continue;
            ++looped, faded += loop.crossfade > 0;
            std::vector<float> played = s.x;
            tamo::wav::applyCrossfade(played.data(), s.frames(), s.channels, loop);
            inTune += seamCents(played, s.channels, loop.start, loop.end, s.rate) <= 2;
        }
        std::printf("%-28s %8d %7.1f%% %17s %8s %9.1f%%   crossfaded %d%s\n", group.name, sounds, 100.0 * looped / std::max(1, sounds), "", "",
                    100.0 * inTune / std::max(1, looped), faded, group.clean ? " (should be 0)" : "");
    }

    // One-shots.
    QStringList drums, speech;
    for (QDirIterator it(QStringLiteral("/usr/share/hydrogen/data/drumkits"), {QStringLiteral("*.flac"), QStringLiteral("*.wav")}, QDir::Files,
                         QDirIterator::Subdirectories);
         it.hasNext();)
        drums << it.next();
    if (quick)
        drums = drums.mid(0, 120);
    drums = drums.filter(only);
    const QStringList words{QStringLiteral("Hold the note, please."), QStringLiteral("The quick brown fox jumps over the lazy dog."),
                            QStringLiteral("hello"), QStringLiteral("Sustain"), QStringLiteral("One, two, three, four."), QStringLiteral("music")};
    for (const QString &w : only.isEmpty() ? words : QStringList()) {
        speech << dir.filePath(QString::number(speech.size()) + QStringLiteral(".wav"));
        QProcess::execute(QStringLiteral("espeak-ng"), {QStringLiteral("-w"), speech.last(), w});
    }
    for (const auto &[name, files] : {std::pair{"hydrogen drums", drums}, std::pair{"espeak-ng speech", speech}}) {
        int looped = 0, sounds = 0;
        for (const QString &path : files) {
            const Sound s = fileSound(path);
            if (s.x.empty())
                continue;
            ++sounds;
            const FoundLoop loop = timedFind(s);
            looped += loop.found;
            if (verbose && loop.found)
                std::printf("  looped %s: %s\n", qPrintable(path), qPrintable(loop.description()));
        }
        std::printf("%-28s %8d %8d looped (should be 0)\n", name, sounds, looped);
    }
    std::printf("processor time: %.4f s per second of audio (%.1f s over %.0f s)\n", cpuSeconds / std::max(1e-9, audioSeconds), cpuSeconds, audioSeconds);
    return 0;
}
