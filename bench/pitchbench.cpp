// SPDX-License-Identifier: GPL-3.0-or-later
// The pitch check on Debian's material: each SoundFont preset resolved as
// `export` resolves it, every sample measured against the bank's own root (KEY -
// FINE / 100 as imported); the same presets with every root moved up 1 and 12
// semitones; Hydrogen's drum kits on the folder road. Prints, per bank, the share
// of confidently pitched samples within 50 cents, the false alarms (samples the
// check marks), the shifted presets flagged (and those not), drum alarms, and the
// detector's processor time per second of audio (one thread, the file read
// included). --show prints every sample's check of the presets named. --keep keeps
// each set (its WAVs, record, windows) in FOLDER; --replay checks such kept sets
// again without the import, to try the detector quickly.
//   tamo_pitchbench [--drumkits FOLDER] [--show PRESET|*] [--keep FOLDER | --replay FOLDER] [SOUNDFONT...]
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
#include <QFile>
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
    int presets = 0, comparable = 0, confident = 0, within = 0, octaveOff = 0, falseAlarms = 0, octaveOpen = 0, heardUp = 0;
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

// Prints the checks of a preset when its name holds show ("*": all).
void showChecks(const QString &label, const QString &name, const QString &show, const QList<SampleCheck> &checks)
{
    if (show.isEmpty() || (show != u"*" && !name.contains(show, Qt::CaseInsensitive)))
        return;
    for (const SampleCheck &c : checks)
        std::printf("%s / %s keys %d-%d: %s (%ld cents)%s\n", qPrintable(label), qPrintable(c.name), c.lowKey, c.highKey,
                    qPrintable(sampleCheckText(c)), std::lround(c.cents()), c.disagrees() ? " ALARM" : "");
}

// One set's checks counted: label "bank:program name"; paths and cuts of its slots
// for the timing.
void tallySet(const QString &label, bool drums, const QList<SampleCheck> &checks, const QStringList &paths,
              const QList<wav::SourceCut> &cuts, Tally &tally)
{
    if (drums) {
        for (const SampleCheck &check : checks) {
            ++tally.drumSamples;
            tally.drumAlarms += check.disagrees() ? 1 : 0;
        }
        return;
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
        measureTime({paths.at(check.slot - 1)}, {cuts.at(check.slot - 1)}, tally);
        ++tally.comparable;
        if (!check.pitch.confident)
            continue;
        ++tally.confident;
        tally.octaveOpen += check.pitch.octaveUpToo ? 1 : 0;
        tally.heardUp += check.heard() != check.pitch.note ? 1 : 0;
        const double cents = check.cents();
        if (std::abs(cents) < 50)
            ++tally.within;
        if (check.disagrees()) {
            tally.octaveOff += std::abs(cents - 1200 * std::round(cents / 1200)) < 50 ? 1 : 0;
            ++tally.falseAlarms;
            tally.alarms << QStringLiteral("  %1 / %2: %3 (%4 cents, octave guard %5)")
                                .arg(label, check.name, sampleCheckText(check))
                                .arg(std::lround(cents))
                                .arg(check.pitch.octaveGuard);
        }
    }
    if (!anyConfident)
        return;
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
            tally.alarms << QStringLiteral("  %1: roots moved up %2, not flagged").arg(label).arg(shift);
    }
}

// Keeps a set's sound files, record and windows in folder, for --replay.
void keepSet(const QString &folder, const QString &label, bool drums, const sfz::SfzImport &import)
{
    msp::MspRecord record = msp::MspRecord::newDocument();
    if (!sfz::fillMspRecord(import, record) || !QDir().mkpath(folder))
        return;
    QFile msp(folder + QStringLiteral("/set.msp")), list(folder + QStringLiteral("/set.txt"));
    if (!msp.open(QIODevice::WriteOnly) || !list.open(QIODevice::WriteOnly | QIODevice::Text))
        return;
    msp.write(record.bytes());
    QTextStream text(&list);
    text << (drums ? 1 : 0) << '\t' << label << '\n';
    for (qsizetype i = 0; i < import.samples.size(); ++i) {
        const sfz::ImportedSample &sample = import.samples.at(i);
        const QString name = QStringLiteral("%1_%2").arg(i + 1).arg(QFileInfo(sample.sourcePath).fileName());
        QFile::copy(sample.sourcePath, folder + u'/' + name);
        const wav::PitchWindow w = pitchWindowOf(sample.cut);
        text << name << '\t' << w.start << '\t' << w.end << '\t' << w.loopStart << '\t' << w.loopEnd << '\t' << (w.ownLoop ? 1 : 0) << '\n';
    }
}

// The sets kept by --keep, checked again (the detector alone, no import).
void replay(const QString &folder, const QString &show, Tally &tally)
{
    const QFileInfoList sets = QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &dir : sets) {
        QFile msp(dir.filePath() + QStringLiteral("/set.msp")), list(dir.filePath() + QStringLiteral("/set.txt"));
        if (!msp.open(QIODevice::ReadOnly) || !list.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        const msp::MspRecord record = msp::MspRecord::fromBytes(msp.readAll());
        const QStringList lines = QString::fromUtf8(list.readAll()).split(u'\n', Qt::SkipEmptyParts);
        if (lines.isEmpty())
            continue;
        const bool drums = lines.first().section(u'\t', 0, 0) == u"1";
        const QString label = lines.first().section(u'\t', 1);
        QStringList paths;
        QList<wav::SourceCut> cuts;
        QList<SampleCheck> checks;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QStringList f = lines.at(i).split(u'\t');
            if (f.size() < 6)
                continue;
            const QString path = dir.filePath() + u'/' + f.at(0);
            const wav::PitchWindow w{f.at(1).toLongLong(), f.at(2).toLongLong(), f.at(3).toLongLong(), f.at(4).toLongLong(), f.at(5) == u"1"};
            wav::SourceCut cut;
            cut.start = w.start, cut.end = w.end, cut.loopStart = w.loopStart, cut.loopEnd = w.loopEnd;
            cut.loop = w.loopEnd > w.loopStart ? wav::SourceCut::Loop::Forward : w.ownLoop ? wav::SourceCut::Loop::Keep : wav::SourceCut::Loop::None;
            paths << path;
            cuts << cut;
            SampleCheck check = checkOfSlot(record, int(i), path, RootOrigin::SoundFont, wav::detectPitchInFile(path, w));
            check.name = f.at(0).section(u'_', 1);
            checks << check;
        }
        findRegistrations(checks);
        showChecks(label, label, show, checks);
        tallySet(label, drums, checks, paths, cuts, tally);
    }
}

// show: print every check of the presets whose names hold it ("*": all). keep:
// where to keep each set for --replay (empty: nowhere).
void benchSoundFont(const QString &path, const QString &show, const QString &keep, Tally &tally)
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
        const QString label = QStringLiteral("%1:%2 %3").arg(preset.bank).arg(preset.program).arg(preset.name);
        for (qsizetype s = 0; s < imported.sets.size(); ++s) {
            const sfz::SfzImport &import = imported.sets.at(s).import;
            const std::optional<QList<SampleCheck>> found = checkSoundFontSet(import);
            if (!found)
                continue;
            if (!keep.isEmpty())
                keepSet(QStringLiteral("%1/%2_%3").arg(keep).arg(p, 3, 10, QChar(u'0')).arg(s), label, drums, import);
            showChecks(label, preset.name, show, *found);
            QStringList paths;
            QList<wav::SourceCut> cuts;
            for (const sfz::ImportedSample &sample : import.samples)
                paths << sample.sourcePath, cuts << sample.cut;
            tallySet(label, drums, *found, paths, cuts, tally);
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
    QString drumkits = QStringLiteral("/usr/share/hydrogen/data/drumkits"), show, keep, replayed;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == u"--drumkits" && i + 1 < args.size())
            drumkits = args.at(++i);
        else if (args.at(i) == u"--show" && i + 1 < args.size())
            show = args.at(++i);
        else if (args.at(i) == u"--keep" && i + 1 < args.size())
            keep = args.at(++i);
        else if (args.at(i) == u"--replay" && i + 1 < args.size())
            replayed = args.at(++i);
        else
            fonts << args.at(i);
    }
    if (fonts.isEmpty())
        fonts = {QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2"), QStringLiteral("/usr/share/sounds/sf2/FluidR3_GM.sf2")};
    if (!replayed.isEmpty()) {
        fonts.clear();
        for (const QFileInfo &kept : QDir(replayed).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
            fonts << kept.absoluteFilePath();
    }
    for (const QString &font : std::as_const(fonts)) {
        Tally t;
        if (!replayed.isEmpty())
            replay(font, show, t);
        else
            benchSoundFont(font, show, keep.isEmpty() ? QString() : keep + u'/' + QFileInfo(font).completeBaseName(), t);
        std::printf("%s: %d melodic presets; %d distinct samples compared, %d confident (%.1f%%)\n"
                    "  within 50 cents: %d of %d confident = %.1f%%; false alarms %d (%d whole octaves)\n"
                    "  octave left open by a weak fundamental: %d, of which heard an octave up to match the root: %d\n"
                    "  roots shifted +1: %d of %d presets flagged; +12: %d of %d\n"
                    "  drum presets: %d alarms on %d samples\n"
                    "  detector: %.4f s processor time per second of audio (%.1f s of audio)\n",
                    qPrintable(QFileInfo(font).fileName()), t.presets, t.comparable, t.confident,
                    t.comparable ? 100.0 * t.confident / t.comparable : 0.0, t.within, t.confident,
                    t.confident ? 100.0 * t.within / t.confident : 0.0, t.falseAlarms, t.octaveOff, t.octaveOpen, t.heardUp, t.flaggedUp1,
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
