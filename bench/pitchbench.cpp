// SPDX-License-Identifier: GPL-3.0-or-later
// The pitch check on Debian's material: each SoundFont preset resolved as
// `export` resolves it, every sample measured against the bank's own root (KEY -
// FINE / 100 as imported); the same presets with every root moved up 1 and 12
// semitones; Hydrogen's drum kits on the folder road. Prints, per bank, the share
// of confidently pitched samples within 50 cents, the false alarms (samples the
// check marks), the shifted presets flagged (and those not), drum alarms, and the
// detector's processor time per second of audio (one thread, the file read
// included). --show prints every sample's check of the presets named.
//   tamo_pitchbench [--drumkits FOLDER] [--show PRESET|*] [SOUNDFONT...]
// Default: /usr/share/sounds/sf2/TimGM6mb.sf2 and FluidR3_GM.sf2, /usr/share/hydrogen/data/drumkits.

#include "export/exportcommand.h"
#include "export/pitchcheck.h"
#include "export/soundfontexport.h"
#include "msp/valueformats.h"
#include "sf2/soundfont.h"
#include "sfz/sfzimport.h"
#include "wav/pitchdetector.h"
#include "wav/soundfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <cmath>
#include <cstdio>
#include <ctime>

using namespace tamo;
using namespace tamo::exporter;

namespace {

double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

struct Tally {
    int presets = 0, comparable = 0, confident = 0, within = 0, octaveOff = 0, falseAlarms = 0;
    int flaggedUp1 = 0, flaggedUp12 = 0, shiftable = 0, drumAlarms = 0, drumSamples = 0;
    double cpu = 0, audio = 0;
    QStringList alarms;
    QSet<QString> seen;
};

void measureTime(const QStringList &paths, const QList<wav::SourceCut> &cuts, Tally &tally)
{
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const double before = threadSeconds();
        wav::detectPitchInFile(paths.at(i), pitchWindowOf(cuts.at(i)));
        tally.cpu += threadSeconds() - before;
        const wav::SoundFile file(paths.at(i));
        if (file.isOpen())
            tally.audio += double(file.info().frames) / file.info().samplerate;
    }
}

// show: print every check of the presets whose names hold it ("*": all).
void benchSoundFont(const QString &path, const QString &show, Tally &tally)
{
    const sf2::SoundFont font = sf2::readSoundFontFile(path);
    if (!font.ok()) {
        std::printf("%s: %s\n", qPrintable(path), qPrintable(font.error));
        return;
    }
    for (int p = 0; p < font.presets.size(); ++p) {
        const sf2::Preset &preset = font.presets.at(p);
        const PresetImport imported = importPreset(font, p, false);
        if (!imported.ok())
            continue;
        const bool drums = preset.bank == 128;
        for (const PresetSet &set : imported.sets) {
            const std::optional<QList<SampleCheck>> found = checkSoundFontSet(set.import);
            if (!found)
                continue;
            const QList<SampleCheck> &checks = *found;
            if (!show.isEmpty() && (show == u"*" || preset.name.contains(show, Qt::CaseInsensitive))) {
                for (const SampleCheck &c : checks)
                    std::printf("%d:%d %s / %s keys %d-%d: %s (%ld cents)%s\n", preset.bank, preset.program, qPrintable(preset.name),
                                qPrintable(c.name), c.lowKey, c.highKey, qPrintable(sampleCheckText(c)), std::lround(c.cents()),
                                c.disagrees() ? " ALARM" : "");
            }
            if (drums) {
                for (const SampleCheck &check : checks) {
                    ++tally.drumSamples;
                    tally.drumAlarms += check.disagrees() ? 1 : 0;
                }
                continue;
            }
            ++tally.presets;
            bool anyConfident = false;
            for (const SampleCheck &check : checks) {
                if (check.notCompared || !check.root)
                    continue;
                anyConfident = anyConfident || check.pitch.confident;
                // Each of the bank's samples once, however many presets play it.
                const QString sample = QStringLiteral("%1 %2").arg(check.name).arg(*check.root);
                if (tally.seen.contains(sample))
                    continue;
                tally.seen.insert(sample);
                measureTime({set.import.samples.at(check.slot - 1).sourcePath}, {set.import.samples.at(check.slot - 1).cut}, tally);
                ++tally.comparable;
                if (!check.pitch.confident)
                    continue;
                ++tally.confident;
                const double cents = check.cents();
                if (std::abs(cents) < 50)
                    ++tally.within;
                if (check.disagrees()) {
                    tally.octaveOff += std::abs(cents - 1200 * std::round(cents / 1200)) < 50 ? 1 : 0;
                    ++tally.falseAlarms;
                    tally.alarms << QStringLiteral("  %1:%2 %3 / %4: %5 (%6 cents, octave guard %7)")
                                        .arg(preset.bank)
                                        .arg(preset.program)
                                        .arg(preset.name, check.name, sampleCheckText(check))
                                        .arg(std::lround(cents))
                                        .arg(check.pitch.octaveGuard);
                }
            }
            if (!anyConfident)
                continue;
            ++tally.shiftable;
            // The same preset with every sample's root moved up.
            for (const int shift : {1, 12}) {
                QList<SampleCheck> shifted = checks;
                for (SampleCheck &c : shifted) {
                    if (c.root)
                        *c.root += shift;
                }
                findRegistrations(shifted);
                const bool flagged = std::any_of(shifted.cbegin(), shifted.cend(), [](const SampleCheck &c) { return c.disagrees(); });
                (shift == 1 ? tally.flaggedUp1 : tally.flaggedUp12) += flagged ? 1 : 0;
                if (!flagged)
                    tally.alarms << QStringLiteral("  %1:%2 %3: roots moved up %4, not flagged").arg(preset.bank).arg(preset.program).arg(preset.name).arg(shift);
            }
        }
    }
}

void benchDrumKits(const QString &folder, Tally &tally)
{
    const QFileInfoList kits = QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &kit : kits) {
        ExportSet set;
        QString messages;
        QTextStream said(&messages);
        if (!resolveExportSet(kit.absoluteFilePath(), set, said).isEmpty())
            continue;
        QList<wav::SourceCut> cuts;
        QStringList paths;
        for (const SlotSource &source : std::as_const(set.sources))
            cuts << source.cut, paths << source.path;
        for (const SampleCheck &check : checkRecord(set.record, cuts, paths, RootOrigin::None, set.origins)) {
            ++tally.drumSamples;
            if (check.disagrees()) {
                ++tally.drumAlarms;
                tally.alarms << QStringLiteral("  %1 / %2: %3").arg(kit.fileName(), check.name, sampleCheckText(check));
            }
        }
        measureTime(paths, cuts, tally);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList fonts;
    QString drumkits = QStringLiteral("/usr/share/hydrogen/data/drumkits"), show;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == u"--drumkits" && i + 1 < args.size())
            drumkits = args.at(++i);
        else if (args.at(i) == u"--show" && i + 1 < args.size())
            show = args.at(++i);
        else
            fonts << args.at(i);
    }
    if (fonts.isEmpty())
        fonts = {QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2"), QStringLiteral("/usr/share/sounds/sf2/FluidR3_GM.sf2")};
    for (const QString &font : std::as_const(fonts)) {
        Tally t;
        benchSoundFont(font, show, t);
        std::printf("%s: %d melodic presets; %d distinct samples compared, %d confident (%.1f%%)\n"
                    "  within 50 cents: %d of %d confident = %.1f%%; false alarms %d (%d whole octaves)\n"
                    "  roots shifted +1: %d of %d presets flagged; +12: %d of %d\n"
                    "  drum presets: %d alarms on %d samples\n"
                    "  detector: %.4f s processor time per second of audio (%.1f s of audio)\n",
                    qPrintable(QFileInfo(font).fileName()), t.presets, t.comparable, t.confident,
                    t.comparable ? 100.0 * t.confident / t.comparable : 0.0, t.within, t.confident,
                    t.confident ? 100.0 * t.within / t.confident : 0.0, t.falseAlarms, t.octaveOff, t.flaggedUp1,
                    t.shiftable, t.flaggedUp12, t.shiftable, t.drumAlarms, t.drumSamples,
                    t.audio > 0 ? t.cpu / t.audio : 0.0, t.audio);
        for (const QString &line : std::as_const(t.alarms))
            std::printf("%s\n", qPrintable(line));
    }
    if (QFileInfo(drumkits).isDir()) {
        Tally t;
        benchDrumKits(drumkits, t);
        std::printf("Hydrogen drum kits: %d alarms on %d samples; detector %.4f s per second of audio\n", t.drumAlarms,
                    t.drumSamples, t.audio > 0 ? t.cpu / t.audio : 0.0);
        for (const QString &line : std::as_const(t.alarms))
            std::printf("%s\n", qPrintable(line));
    }
    return 0;
}
