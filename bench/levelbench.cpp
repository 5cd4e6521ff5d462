// SPDX-License-Identifier: GPL-3.0-or-later
// Note levels of SoundFont presets as the keyboard plays them, against FluidSynth's
// render of the font (reverb and chorus off). Each melodic preset plays notes across
// the keys at velocity 100, held 1 s, one every 2 s: once through the export and the
// voice engine (as `TAMO render` plays it), once through FluidSynth. Each note's level
// is its RMS over both sides in a fixed window after the attack; the difference of the
// two, less one offset for the whole bank (the median), is reported as median and
// 95th percentile, for the presets that sound one sample per key (a left and right pair
// counting as one) and for all, with the
// presets furthest off.
//   tamo_levelbench [--window FROM:TO] [--keys FROM:TO:STEP] [--only REGEX] [--verbose] [--curve] [SOUNDFONT...]
// --only keeps the presets whose "bank:program name" matches (to look at the worst);
// --curve prints each note's level every 50 ms in both renders (to see where they part).
// Default: /usr/share/sounds/sf2/TimGM6mb.sf2 and FluidR3_GM.sf2; window 0.1:0.6 s,
// keys 24:108:6.

#include "export/soundfontexport.h"
#include "export/soundimport.h"
#include "msp/keymapping.h"
#include "msp/mspfile.h"
#include "sf2/soundfont.h"
#include "voice/songrender.h"
#include "wav/soundfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace tamo;

namespace {

constexpr double kRate = 44100;
constexpr double kNoteEvery = 2.0, kHeld = 1.0;
constexpr int kVelocity = 100;
// Notes quieter than this (RMS, dBFS) in one render count as silent there.
constexpr double kSilentDb = -90;

struct Options {
    double from = 0.1, to = 0.6;
    int lowKey = 24, highKey = 108, keyStep = 6;
    bool verbose = false, curve = false;
    QRegularExpression only;
};

struct PresetLevels {
    QString title;
    bool layered = false;  // the source sounds more than one sample on some key
    bool overlapping = false; // the exported set plays some key from more than one slot
    std::vector<double> differences; // dB, ours less FluidSynth's, note by note
    int silentOurs = 0, silentTheirs = 0;
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    const double at = p * double(v.size() - 1);
    const auto below = std::size_t(std::floor(at));
    const std::size_t above = std::min(below + 1, v.size() - 1);
    return v[below] + (at - double(below)) * (v[above] - v[below]);
}

// Format 0, 480 ticks a quarter at 120 beats a minute (960 ticks a second).
QByteArray midiFile(int bank, int program, const QList<int> &keys)
{
    const auto vlq = [](quint32 v) {
        QByteArray out(1, char(v & 0x7f));
        while (v >>= 7)
            out.prepend(char((v & 0x7f) | 0x80));
        return out;
    };
    QByteArray track = vlq(0) + QByteArray::fromHex("b000") + char(std::min(bank, 127)) + vlq(0) + QByteArray::fromHex("c0")
                     + char(program);
    const auto ticks = [](double s) { return quint32(std::lround(s * 960)); };
    for (qsizetype i = 0; i < keys.size(); ++i) {
        track += vlq(i == 0 ? 0 : ticks(kNoteEvery - kHeld)) + QByteArray::fromHex("90") + char(keys.at(i)) + char(kVelocity);
        track += vlq(ticks(kHeld)) + QByteArray::fromHex("80") + char(keys.at(i)) + char(0);
    }
    track += vlq(ticks(kNoteEvery - kHeld)) + QByteArray::fromHex("ff2f00");
    const auto n = quint32(track.size());
    const char size[] = {char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
    return QByteArray::fromHex("4d546864000000060000000101e0") + "MTrk" + QByteArray(size, 4) + track;
}

// Level in dB of each note's window, from interleaved stereo.
std::vector<double> noteLevels(const std::vector<float> &stereo, qsizetype notes, const Options &o)
{
    std::vector<double> levels;
    for (qsizetype i = 0; i < notes; ++i) {
        const auto a = std::size_t(std::lround((kNoteEvery * double(i) + o.from) * kRate));
        const auto b = std::size_t(std::lround((kNoteEvery * double(i) + o.to) * kRate));
        double sum = 0;
        for (std::size_t f = a; f < b && 2 * f + 1 < stereo.size(); ++f)
            sum += double(stereo[2 * f]) * stereo[2 * f] + double(stereo[2 * f + 1]) * stereo[2 * f + 1];
        levels.push_back(10 * std::log10(sum / double(b - a) + 1e-30));
    }
    return levels;
}

// Each note's level every 50 ms over its two seconds, dB, ours above FluidSynth's.
void printCurves(const std::vector<float> &ours, const std::vector<float> &theirs, const QString &title, const QList<int> &keys)
{
    constexpr double kStep = 0.05;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        for (const auto *render : {&ours, &theirs}) {
            std::printf("    %s key %d %s:", qPrintable(title), keys.at(i), render == &ours ? "ours " : "fluid");
            for (double t = 0; t + kStep <= kNoteEvery + 1e-9; t += kStep) {
                Options window;
                window.from = t, window.to = t + kStep;
                std::vector<float> note(render->begin() + std::min<std::ptrdiff_t>(std::ptrdiff_t(std::lround(kNoteEvery * double(i) * kRate)) * 2, std::ptrdiff_t(render->size())), render->end());
                std::printf(" %4.0f", std::max(-99.0, noteLevels(note, 1, window).front()));
            }
            std::printf("\n");
        }
    }
}

std::vector<float> readStereo(const QString &path)
{
    wav::SoundFile file(path);
    if (!file.isOpen() || file.info().channels != 2)
        return {};
    std::vector<float> x(std::size_t(file.info().frames) * 2);
    const sf_count_t read = sf_readf_float(file.handle(), x.data(), file.info().frames);
    x.resize(std::size_t(std::max<sf_count_t>(read, 0)) * 2);
    return x;
}

// Whether the source sounds more than one sample at some key at velocity 100: mono
// zones count one each, the halves of a left and right pair one together.
bool sourceLayered(const sf2::SoundFont &font, const sf2::Preset &preset, const QList<int> &keys)
{
    const auto rangeOf = [](const sf2::Zone &zone, const sf2::Zone *global, sf2::Generator g) {
        const sf2::Zone *from = zone.has(g) ? &zone : global && global->has(g) ? global : nullptr;
        return from ? std::pair(from->low(g), from->high(g)) : std::pair(0, 127);
    };
    const auto globalOf = [](const QList<sf2::Zone> &zones) {
        return !zones.isEmpty() && zones.first().link < 0 ? &zones.first() : nullptr;
    };
    const auto holds = [](std::pair<int, int> r, int v) { return r.first <= v && v <= r.second; };
    for (int key : keys) {
        int mono = 0, sides = 0;
        for (const sf2::Zone &pz : preset.zones) {
            if (pz.link < 0 || !holds(rangeOf(pz, globalOf(preset.zones), sf2::Generator::KeyRange), key)
                || !holds(rangeOf(pz, globalOf(preset.zones), sf2::Generator::VelocityRange), kVelocity))
                continue;
            const sf2::Instrument &instrument = font.instruments.at(pz.link);
            for (const sf2::Zone &iz : instrument.zones) {
                if (iz.link < 0 || !holds(rangeOf(iz, globalOf(instrument.zones), sf2::Generator::KeyRange), key)
                    || !holds(rangeOf(iz, globalOf(instrument.zones), sf2::Generator::VelocityRange), kVelocity))
                    continue;
                (font.samples.at(iz.link).type & 6) != 0 ? ++sides : ++mono;
            }
        }
        if (mono + (sides + 1) / 2 > 1)
            return true;
    }
    return false;
}

// Ours: the preset exported as `export` writes it, played through the voice engine.
std::vector<float> renderOurs(const QString &font, const sf2::Preset &preset, const QList<int> &keys, const QString &folder,
                              bool *overlapping, QString *error)
{
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const QString which = QStringLiteral("%1:%2").arg(preset.bank).arg(preset.program);
    if (exporter::runSoundFontExport(font, folder, which, false, outStream, errStream) != 0) {
        errStream.flush();
        *error = err.trimmed();
        return {};
    }
    QDirIterator it(folder, {QStringLiteral("*.MSP")}, QDir::Files);
    if (!it.hasNext()) {
        *error = QStringLiteral("no set written");
        return {};
    }
    const QString mspPath = it.next();
    msp::MspRecord record;
    if (!msp::LoadMspFile(mspPath, record, error))
        return {};
    const QList<int> coverage = msp::keyCoverage(record);
    *overlapping = std::any_of(coverage.begin(), coverage.end(), [](int n) { return n > 1; });
    auto set = std::make_shared<voice::VoiceSet>(voice::loadVoiceSet(
        record, [&](int slot) { return exporter::soundFileBeside(mspPath, record.sampleName(slot)); }));
    voice::Engine engine(set, kRate);
    std::vector<midi::MidiEvent> events;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        events.push_back({kNoteEvery * double(i), 0x90, quint8(keys.at(i)), kVelocity});
        events.push_back({kNoteEvery * double(i) + kHeld, 0x80, quint8(keys.at(i)), 0});
    }
    std::vector<float> stereo;
    voice::renderEvents(engine, events, qint64(kNoteEvery * double(keys.size()) * kRate), [&](const float *block, int frames) {
        stereo.insert(stereo.end(), block, block + 2 * std::ptrdiff_t(frames));
        return true;
    });
    return stereo;
}

void report(const char *what, const QList<PresetLevels> &presets, double offset)
{
    std::vector<double> all;
    std::vector<std::pair<double, QString>> byPreset;
    int count = 0, overlapping = 0;
    for (const PresetLevels &p : presets) {
        if (p.differences.empty())
            continue;
        ++count;
        overlapping += p.overlapping;
        std::vector<double> off;
        for (double d : p.differences) {
            all.push_back(std::abs(d - offset));
            off.push_back(d - offset);
        }
        byPreset.push_back({percentile(off, 0.5), p.title});
    }
    std::printf("  %s: %d presets (%d with overlapping slots), %zu notes: |difference| median %.1f dB, 95th percentile %.1f dB\n", what, count,
                overlapping, all.size(), percentile(all, 0.5), percentile(all, 0.95));
    std::sort(byPreset.begin(), byPreset.end(), [](const auto &a, const auto &b) { return std::abs(a.first) > std::abs(b.first); });
    for (std::size_t i = 0; i < std::min<std::size_t>(10, byPreset.size()); ++i)
        std::printf("    %+5.1f dB  %s\n", byPreset[i].first, qPrintable(byPreset[i].second));
}

bool benchFont(const QString &path, const QString &fluidsynth, const Options &o)
{
    const sf2::SoundFont font = sf2::readSoundFontFile(path);
    if (!font.ok()) {
        std::printf("%s: %s\n", qPrintable(path), qPrintable(font.error));
        return false;
    }
    QList<int> keys;
    for (int k = o.lowKey; k <= o.highKey; k += o.keyStep)
        keys << k;
    QList<PresetLevels> presets;
    int silentOurs = 0, silentTheirs = 0;
    for (const sf2::Preset &preset : font.presets) {
        if (preset.bank == 128
            || !o.only.match(QStringLiteral("%1:%2 %3").arg(preset.bank).arg(preset.program).arg(preset.name)).hasMatch())
            continue;
        QTemporaryDir dir;
        const QString mid = dir.filePath(QStringLiteral("notes.mid")), theirs = dir.filePath(QStringLiteral("theirs.wav"));
        QFile file(mid);
        if (!file.open(QIODevice::WriteOnly) || file.write(midiFile(preset.bank, preset.program, keys)) < 0)
            return false;
        file.close();
        // FluidSynth renders in its own process while ours renders here.
        QProcess fluid;
        fluid.start(fluidsynth, {QStringLiteral("-ni"), QStringLiteral("-q"), QStringLiteral("-R"), QStringLiteral("0"),
                                 QStringLiteral("-C"), QStringLiteral("0"), QStringLiteral("-r"), QStringLiteral("44100"),
                                 QStringLiteral("-O"), QStringLiteral("float"), QStringLiteral("-F"), theirs, path, mid});
        PresetLevels levels;
        levels.title = QStringLiteral("%1:%2 %3").arg(preset.bank).arg(preset.program).arg(preset.name);
        QString error;
        const std::vector<float> ours = renderOurs(path, preset, keys, dir.filePath(QStringLiteral("set")), &levels.overlapping, &error);
        levels.layered = sourceLayered(font, preset, keys);
        if (!fluid.waitForFinished(600000) || fluid.exitCode() != 0) {
            std::printf("%s: fluidsynth failed\n", qPrintable(levels.title));
            return false;
        }
        if (ours.empty()) {
            std::printf("  %s: %s\n", qPrintable(levels.title), qPrintable(error));
            continue;
        }
        const std::vector<float> theirRender = readStereo(theirs);
        const std::vector<double> a = noteLevels(ours, keys.size(), o), b = noteLevels(theirRender, keys.size(), o);
        if (o.curve)
            printCurves(ours, theirRender, levels.title, keys);
        for (qsizetype i = 0; i < keys.size(); ++i) {
            const bool quietA = a[std::size_t(i)] < kSilentDb, quietB = b[std::size_t(i)] < kSilentDb;
            levels.silentOurs += quietA && !quietB;
            levels.silentTheirs += quietB && !quietA;
            if (!quietA && !quietB)
                levels.differences.push_back(a[std::size_t(i)] - b[std::size_t(i)]);
            if (o.verbose)
                std::printf("    %s key %d: ours %.1f dB, FluidSynth %.1f dB\n", qPrintable(levels.title), keys.at(i),
                            a[std::size_t(i)], b[std::size_t(i)]);
        }
        if (o.verbose)
            std::printf("    %s: %s\n", qPrintable(levels.title), levels.layered ? "layered" : "without layers");
        silentOurs += levels.silentOurs;
        silentTheirs += levels.silentTheirs;
        presets << levels;
    }
    QList<PresetLevels> single;
    std::vector<double> singleDifferences;
    for (const PresetLevels &p : std::as_const(presets)) {
        if (!p.layered) {
            single << p;
            singleDifferences.insert(singleDifferences.end(), p.differences.begin(), p.differences.end());
        }
    }
    const double offset = percentile(singleDifferences, 0.5);
    std::printf("%s: window %.2f-%.2f s after each note-on; bank offset %+.1f dB (ours less FluidSynth's, median of the presets "
                "without layers); notes silent only in ours %d, only in FluidSynth's %d\n",
                qPrintable(QFileInfo(path).fileName()), o.from, o.to, offset, silentOurs, silentTheirs);
    report("without layers", single, offset);
    report("all melodic presets", presets, offset);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Options o;
    QStringList fonts;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QStringLiteral("--verbose")) {
            o.verbose = true;
        } else if (args.at(i) == QStringLiteral("--curve")) {
            o.curve = true;
        } else if (args.at(i) == QStringLiteral("--window") && i + 1 < args.size()) {
            const QStringList w = args.at(++i).split(u':');
            o.from = w.value(0).toDouble(), o.to = w.value(1).toDouble();
        } else if (args.at(i) == QStringLiteral("--only") && i + 1 < args.size()) {
            o.only.setPattern(args.at(++i));
        } else if (args.at(i) == QStringLiteral("--keys") && i + 1 < args.size()) {
            const QStringList k = args.at(++i).split(u':');
            o.lowKey = k.value(0).toInt(), o.highKey = k.value(1).toInt(), o.keyStep = std::max(1, k.value(2).toInt());
        } else {
            fonts << args.at(i);
        }
    }
    if (!(o.from >= 0 && o.from < o.to && o.to <= kNoteEvery)) {
        std::printf("--window FROM:TO within 0..%g s\n", kNoteEvery);
        return 2;
    }
    if (fonts.isEmpty())
        fonts = {QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2"), QStringLiteral("/usr/share/sounds/sf2/FluidR3_GM.sf2")};
    const QString fluidsynth = QStandardPaths::findExecutable(QStringLiteral("fluidsynth"));
    if (fluidsynth.isEmpty()) {
        std::printf("fluidsynth is missing\n");
        return 2;
    }
    bool ok = true;
    for (const QString &font : std::as_const(fonts))
        ok = benchFont(font, fluidsynth, o) && ok;
    return ok ? 0 : 1;
}
