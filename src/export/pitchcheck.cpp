// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/pitchcheck.h"

#include "export/exportcommand.h"
#include "export/soundfontexport.h"
#include "msp/valueformats.h"
#include "sf2/soundfont.h"
#include "sfz/sfzimport.h"
#include "util/workers.h"
#include "wav/soundfile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QMutex>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

namespace tamo::exporter {

namespace {

QString fileNameOf(const QString &path) { return QFileInfo(path).fileName(); }

// Whole octaves k (non-zero) with |difference - 12 k| under half a semitone.
std::optional<int> wholeOctaves(double difference)
{
    const int k = int(std::round(difference / 12));
    if (k == 0 || std::abs(difference - 12 * k) >= 0.5)
        return std::nullopt;
    return k;
}

} // namespace

QString rootOriginText(RootOrigin origin)
{
    switch (origin) {
    case RootOrigin::SamplerChunk: return QCoreApplication::translate("PitchCheck", "the sampler chunk");
    case RootOrigin::FileName: return QCoreApplication::translate("PitchCheck", "the name");
    case RootOrigin::ShiftedName: return QCoreApplication::translate("PitchCheck", "the name, its octave moved");
    case RootOrigin::Sound: return QCoreApplication::translate("PitchCheck", "the sound");
    case RootOrigin::Set: return QCoreApplication::translate("PitchCheck", "the set");
    case RootOrigin::Sfz: return QCoreApplication::translate("PitchCheck", "the SFZ file");
    case RootOrigin::SoundFont: return QCoreApplication::translate("PitchCheck", "the SoundFont");
    case RootOrigin::None: break;
    }
    return QCoreApplication::translate("PitchCheck", "nowhere");
}

QString pitchText(double note)
{
    const int key = std::clamp(int(std::round(note)), 0, 127);
    const int cents = int(std::round((note - key) * 100));
    if (cents == 0)
        return msp::NoteName(key);
    return QCoreApplication::translate("PitchCheck", "%1 %2 cents").arg(msp::NoteName(key), (cents > 0 ? QStringLiteral("+") : QStringLiteral("\u2212")) + QString::number(std::abs(cents)));
}

wav::PitchWindow pitchWindowOf(const wav::SourceCut &cut)
{
    using Loop = wav::SourceCut::Loop;
    wav::PitchWindow window{.start = cut.start, .end = cut.end};
    if (cut.loop == Loop::Forward)
        window.loopStart = cut.loopStart, window.loopEnd = cut.loopEnd;
    window.ownLoop = cut.loop == Loop::Keep;
    return window;
}

namespace {

QMutex cacheMutex;
QHash<QString, wav::PitchReading> cachedReadings;

QString cacheKey(const QString &path, const wav::PitchWindow &window)
{
    const QFileInfo file(path);
    return QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
        .arg(file.absoluteFilePath())
        .arg(file.size())
        .arg(file.lastModified().toMSecsSinceEpoch())
        .arg(window.start)
        .arg(window.end)
        .arg(window.loopStart)
        .arg(window.loopEnd)
        .arg(window.ownLoop);
}

} // namespace

std::optional<wav::PitchReading> knownPitch(const QString &path, const wav::PitchWindow &window)
{
    const QString key = cacheKey(path, window);
    const QMutexLocker lock(&cacheMutex);
    if (const auto found = cachedReadings.constFind(key); found != cachedReadings.cend())
        return *found;
    return std::nullopt;
}

wav::PitchReading cachedPitch(const QString &path, const wav::PitchWindow &window)
{
    if (const std::optional<wav::PitchReading> known = knownPitch(path, window))
        return *known;
    const wav::PitchReading reading = wav::detectPitchInFile(path, window);
    const QMutexLocker lock(&cacheMutex);
    cachedReadings.insert(cacheKey(path, window), reading);
    return reading;
}

QList<wav::PitchReading> measurePitches(const QList<wav::PitchWindow> &windows, const QStringList &paths)
{
    const std::size_t count = std::size_t(paths.size());
    std::vector<wav::PitchReading> readings(count);
    util::forEachInParallel(count, [&](std::size_t i) { readings[i] = cachedPitch(paths.at(qsizetype(i)), windows.value(qsizetype(i))); });
    return {readings.begin(), readings.end()};
}

bool SampleCheck::disagrees() const
{
    return pitch.confident && root && !notCompared && std::abs(cents()) >= 50 && !registration;
}

QString sampleCheckText(const SampleCheck &check)
{
    QString text = check.root ? QCoreApplication::translate("PitchCheck", "root %1 from %2").arg(pitchText(*check.root), rootOriginText(check.origin))
                              : QCoreApplication::translate("PitchCheck", "no root");
    if (check.pitch.note <= 0)
        text += QCoreApplication::translate("PitchCheck", "; no held pitch: %1").arg(check.pitch.reason);
    else if (!check.pitch.confident)
        text += QCoreApplication::translate("PitchCheck", "; sounds like %1? (unsure: %2)").arg(pitchText(check.pitch.note), check.pitch.reason);
    else
        text += QCoreApplication::translate("PitchCheck", "; sounds like %1").arg(pitchText(check.heard()));
    if (check.pitch.confident && check.pitch.octaveUpToo) {
        const double other = check.heard() == check.pitch.note ? check.pitch.note + 12 : check.pitch.note;
        text += QCoreApplication::translate("PitchCheck", "; its fundamental is faint: %1 is as likely").arg(pitchText(other));
    }
    if (check.notCompared)
        text += QCoreApplication::translate("PitchCheck", "; plays as recorded (one key or a fixed pitch)");
    if (check.registration)
        text += QCoreApplication::translate("PitchCheck", "; a layer %1 cents from one in tune over its keys: a stop, no wrong root")
                    .arg(std::lround(*check.registration));
    return text;
}

QList<SampleCheck> checkRecord(const msp::MspRecord &record, const QList<wav::SourceCut> &cuts,
                               const QStringList &paths, RootOrigin origin, const QList<RootOrigin> &origins)
{
    QList<wav::PitchWindow> windows;
    QStringList measured;
    const int used = record.usedSlotCount();
    for (int slot = 1; slot <= used; ++slot) {
        windows << pitchWindowOf(cuts.value(slot - 1));
        measured << paths.value(slot - 1);
    }
    const QList<wav::PitchReading> pitches = measurePitches(windows, measured);
    QList<SampleCheck> checks;
    for (int slot = 1; slot <= used; ++slot)
        checks << checkOfSlot(record, slot, paths.value(slot - 1), origins.value(slot - 1, origin), pitches.value(slot - 1));
    findRegistrations(checks);
    return checks;
}

void findRegistrations(QList<SampleCheck> &checks)
{
    const auto inTune = [](const SampleCheck &c) { return c.pitch.confident && c.root && !c.notCompared && std::abs(c.cents()) < 50; };
    // A layer an octave or a fifth above another leaves the lower one naming the note
    // heard (a 4-foot stop, a quint); one under a semitone from it is a celeste. A
    // layer below the one in tune would move the note heard: no stop.
    const auto isStop = [](double cents) {
        const double fifths = cents - 702;
        return std::abs(cents) < 100
               || (cents > 0 && (std::abs(cents - 1200 * std::round(cents / 1200)) < 50 || std::abs(fifths - 1200 * std::round(fifths / 1200)) < 50));
    };
    for (SampleCheck &check : checks) {
        check.registration.reset();
        if (!check.pitch.confident || !check.root || check.notCompared || std::abs(check.cents()) < 50)
            continue;
        for (const SampleCheck &other : std::as_const(checks)) {
            if (&other == &check || !inTune(other) || other.highKey < check.lowKey || other.lowKey > check.highKey)
                continue;
            const double interval = check.cents() - other.cents();
            if (isStop(interval)) {
                check.registration = interval;
                break;
            }
        }
    }
}

SampleCheck checkOfSlot(const msp::MspRecord &record, int slot, const QString &path, RootOrigin origin,
                        const wav::PitchReading &reading)
{
    using msp::SampleField;
    SampleCheck check;
    check.slot = slot;
    check.name = path.isEmpty() ? sampleNameText(record.sampleName(slot)) : fileNameOf(path);
    check.origin = origin;
    if (check.origin != RootOrigin::None)
        check.root = record.sample(SampleField::Key, slot) - msp::FineValue(record.sample(SampleField::Fine, slot)) / 100.0;
    // A SoundFont's sample carries its own root; the tuning a zone adds may be the
    // bank's choice (a fifth above) or a correction of that root, so the nearer of
    // the two to the sound is the one held against it.
    if (SF_INSTRUMENT own; check.origin == RootOrigin::SoundFont && wav::SoundFile(path).instrument(&own)) {
        const double sampleRoot = std::clamp(int(own.basenote), 0, 127) + own.detune / 100.0;
        if (!reading.confident || std::abs(reading.note - sampleRoot) < std::abs(reading.note - *check.root))
            check.root = sampleRoot;
    }
    // START is stored one below the first key it plays.
    check.lowKey = record.sample(SampleField::StartKey, slot) + 1;
    check.highKey = record.sample(SampleField::EndKey, slot);
    check.notCompared = record.sample(SampleField::EndKey, slot) - record.sample(SampleField::StartKey, slot) <= 1
                        || record.sample(SampleField::PitchMode, slot) == 1;
    check.pitch = reading;
    if (path.isEmpty())
        check.pitch.reason = QCoreApplication::translate("PitchCheck", "no sound file");
    return check;
}

FolderRoots decideRoots(const QStringList &names, const QList<wav::RootNote> &found, const QList<wav::PitchReading> &pitches)
{
    using wav::RootSource;
    const qsizetype count = found.size();
    FolderRoots result;
    const auto nameNote = [&](qsizetype i) {
        const wav::RootNote &root = found.at(i);
        return root.source == RootSource::FileName ? root.note : root.overruledName;
    };
    const auto confident = [&](qsizetype i) { return pitches.value(i).confident; };
    // The note heard nearest a root: an octave the sound leaves open is the root's.
    const auto heardNear = [&](qsizetype i, double root) {
        const wav::PitchReading &reading = pitches.at(i);
        return reading.octaveUpToo && std::abs(reading.note + 12 - root) < std::abs(reading.note - root) ? reading.note + 12 : reading.note;
    };

    // Names all whole octaves off the sound follow another naming of octaves.
    QMap<int, int> votes; // octaves off -> samples
    int named = 0;
    for (qsizetype i = 0; i < count; ++i) {
        if (!confident(i) || !nameNote(i))
            continue;
        ++named;
        const double difference = heardNear(i, *nameNote(i)) - *nameNote(i);
        if (std::abs(difference) < 0.5)
            ++votes[0];
        else if (const std::optional<int> k = wholeOctaves(difference))
            ++votes[*k];
    }
    int shift = 0;
    for (auto it = votes.cbegin(); it != votes.cend(); ++it) {
        if (it.key() != 0 && it.value() * 5 >= named * 3)
            shift = 12 * it.key();
    }
    if (shift > 0)
        result.notes << QCoreApplication::translate("PitchCheck", "The notes in the file names lie %1 semitones below their sound (another naming of octaves): each is read that much higher.").arg(shift);
    else if (shift < 0)
        result.notes << QCoreApplication::translate("PitchCheck", "The notes in the file names lie %1 semitones above their sound (another naming of octaves): each is read that much lower.").arg(-shift);

    // Sampler chunks that all say one note, which the sound contradicts.
    int chunks = 0, heard = 0, contradicted = 0;
    std::optional<int> common;
    bool allSame = true;
    for (qsizetype i = 0; i < count; ++i) {
        if (found.at(i).source != RootSource::SamplerChunk)
            continue;
        ++chunks;
        allSame = allSame && (!common || *common == *found.at(i).note);
        common = found.at(i).note;
        if (confident(i)) {
            ++heard;
            contradicted += std::abs(heardNear(i, *found.at(i).note) - *found.at(i).note) >= 0.5 ? 1 : 0;
        }
    }
    const bool placeholder = chunks >= 2 && allSame && heard > 0 && contradicted * 2 >= heard;
    if (placeholder)
        result.notes << QCoreApplication::translate("PitchCheck", "The sampler chunks of all %1 files say %2, and %3 of their sounds disagree: their roots come from the names and the sound instead.")
                            .arg(chunks)
                            .arg(msp::NoteName(*common))
                            .arg(contradicted);

    for (qsizetype i = 0; i < count; ++i) {
        const wav::RootNote &root = found.at(i);
        std::optional<int> candidate = root.note;
        RootOrigin origin = root.source == RootSource::SamplerChunk ? RootOrigin::SamplerChunk
                          : root.source == RootSource::FileName     ? RootOrigin::FileName
                                                                    : RootOrigin::None;
        const bool fromName = root.source == RootSource::FileName || (placeholder && root.source == RootSource::SamplerChunk);
        if (fromName) {
            candidate = nameNote(i) ? std::optional<int>(*nameNote(i) + shift) : std::nullopt;
            origin = !candidate ? RootOrigin::None : shift != 0 ? RootOrigin::ShiftedName : RootOrigin::FileName;
            if (candidate && (*candidate < 0 || *candidate > 127))
                candidate = nameNote(i), origin = RootOrigin::FileName;
        }
        int fine = candidate == root.note ? root.fine : 0; // a sampler chunk's pitch fraction
        QString note;
        const QString name = names.value(i);
        const QString was = root.note ? QCoreApplication::translate("PitchCheck", "%1 said %2").arg(rootOriginText(root.source == RootSource::SamplerChunk ? RootOrigin::SamplerChunk : RootOrigin::FileName),
                                                             msp::NoteName(*root.note))
                                      : QCoreApplication::translate("PitchCheck", "none was found");
        if (confident(i)) { // a file without a root takes its sound's
            const double heardNote = candidate ? heardNear(i, *candidate) : pitches.at(i).note;
            const std::optional<int> octaves = candidate ? wholeOctaves(heardNote - *candidate) : std::nullopt;
            if (candidate && std::abs(heardNote - (*candidate - fine / 100.0)) < 0.5) {
                // it agrees
            } else if (octaves && fromName && *candidate + 12 * *octaves >= 0 && *candidate + 12 * *octaves <= 127) {
                *candidate += 12 * *octaves;
                origin = RootOrigin::ShiftedName;
                note = QCoreApplication::translate("PitchCheck", "%1: root %2, the name's note moved %3 semitones to match its sound (%4); %5.")
                           .arg(name, msp::NoteName(*candidate), QString::number(12 * *octaves), pitchText(heardNote), was);
            } else if (octaves) {
                note = QCoreApplication::translate("PitchCheck", "%1: sounds like %2, %3 semitones from its root %4 (%5); kept.")
                           .arg(name, pitchText(heardNote), QString::number(12 * *octaves), msp::NoteName(*candidate), rootOriginText(origin));
            } else {
                const wav::KeyAndFine tuned = wav::keyAndFineFor(heardNote);
                candidate = tuned.key;
                fine = tuned.fine;
                origin = RootOrigin::Sound;
                note = QCoreApplication::translate("PitchCheck", "%1: root %2 from its sound (%3); %4.").arg(name, pitchText(tuned.key - tuned.fine / 100.0), pitchText(heardNote), was);
            }
        } else if (placeholder && root.source == RootSource::SamplerChunk && !candidate) {
            candidate = root.note; // nothing better is known
            origin = RootOrigin::SamplerChunk;
        }
        if (note.isEmpty() && candidate && candidate != root.note)
            note = QCoreApplication::translate("PitchCheck", "%1: root %2 from %3; %4.").arg(name, msp::NoteName(*candidate), rootOriginText(origin), was);
        if (!note.isEmpty())
            result.notes << note;
        result.roots << candidate;
        result.fines << fine;
        result.origins << origin;
    }
    return result;
}

FolderRoots rootsBySound(const QList<AddedSample> &samples)
{
    QStringList paths, names;
    QList<wav::RootNote> found;
    for (const AddedSample &sample : samples) {
        paths << sample.path;
        names << fileNameOf(sample.path);
        found << sample.root;
    }
    return decideRoots(names, found, measurePitches(QList<wav::PitchWindow>(paths.size()), paths));
}

void setFines(msp::MspRecord &record, const QList<int> &fines)
{
    for (qsizetype i = 0; i < fines.size(); ++i)
        record.setSample(msp::SampleField::Fine, int(i) + 1, *msp::storedValue(msp::ValueFormat::Fine, std::clamp(fines.at(i), 0, 99), 0));
}

std::optional<QList<SampleCheck>> checkSoundFontSet(const sfz::SfzImport &import)
{
    msp::MspRecord record = msp::MspRecord::newDocument();
    if (!sfz::fillMspRecord(import, record))
        return std::nullopt;
    QList<wav::SourceCut> cuts;
    QStringList paths;
    for (const sfz::ImportedSample &sample : import.samples)
        cuts << sample.cut, paths << sample.sourcePath;
    return checkRecord(record, cuts, paths, RootOrigin::SoundFont);
}

namespace {

struct CheckedSet {
    QString title;
    QList<SampleCheck> checks;
};

QString checkSet(const QString &path, QList<CheckedSet> &sets, QTextStream &out)
{
    const QFileInfo file(path);
    const QString suffix = file.suffix().toLower();
    if (file.isFile() && (suffix == u"sf2" || suffix == u"sf3")) {
        const sf2::SoundFont font = sf2::readSoundFontFile(path);
        if (!font.ok())
            return QStringLiteral("%1: %2").arg(path, font.error);
        for (int p = 0; p < font.presets.size(); ++p) {
            const sf2::Preset &preset = font.presets.at(p);
            const QString title = QStringLiteral("%1 %2:%3 %4").arg(file.fileName()).arg(preset.bank).arg(preset.program).arg(preset.name);
            const PresetImport imported = importPreset(font, p, false);
            if (!imported.ok()) {
                out << title << ": " << imported.error << Qt::endl;
                continue;
            }
            for (const PresetSet &set : imported.sets) {
                if (std::optional<QList<SampleCheck>> checks = checkSoundFontSet(set.import))
                    sets.append({title, *checks});
            }
        }
        return {};
    }
    ExportSet set;
    QString messages;
    QTextStream said(&messages);
    const QString problem = resolveExportSet(path, set, said);
    said.flush();
    if (!problem.isEmpty())
        return problem;
    if (!messages.isEmpty())
        out << messages;
    QList<wav::SourceCut> cuts;
    QStringList paths;
    for (const SlotSource &source : std::as_const(set.sources))
        cuts << source.cut, paths << source.path;
    const RootOrigin origin = file.isDir() ? RootOrigin::None : suffix == u"sfz" ? RootOrigin::Sfz : RootOrigin::Set;
    sets.append({QDir::toNativeSeparators(path), checkRecord(set.record, cuts, paths, origin, set.origins)});
    return {};
}

} // namespace

int runCheckCommand(const QString &input, QTextStream &out, QTextStream &err)
{
    const QFileInfo in(input);
    if (!in.exists()) {
        err << "TAMO check: " << input << " not found" << Qt::endl;
        return 2;
    }
    QStringList inputs{input};
    if (in.isDir()) {
        // A stick's folder holds sets; a folder of libraries holds instruments.
        const QDir dir(input);
        const QStringList sounds = dir.entryList({QStringLiteral("*.wav"), QStringLiteral("*.aif"), QStringLiteral("*.aiff"),
                                                  QStringLiteral("*.flac"), QStringLiteral("*.ogg")},
                                                 QDir::Files);
        QStringList sets = dir.entryList({QStringLiteral("*.msp")}, QDir::Files, QDir::Name);
        if (sets.isEmpty() && sounds.isEmpty())
            sets = dir.entryList({QStringLiteral("*.sfz"), QStringLiteral("*.sf2"), QStringLiteral("*.sf3")}, QDir::Files, QDir::Name);
        if (!sets.isEmpty()) {
            inputs.clear();
            for (const QString &name : std::as_const(sets))
                inputs << dir.filePath(name);
        }
    }
    QList<CheckedSet> sets;
    for (const QString &path : std::as_const(inputs)) {
        if (const QString problem = checkSet(path, sets, out); !problem.isEmpty()) {
            err << "TAMO check: " << problem << Qt::endl;
            return 2;
        }
    }
    int samples = 0, inTune = 0, outOfTune = 0, unsure = 0, unpitched = 0, unchecked = 0;
    for (const CheckedSet &set : std::as_const(sets)) {
        out << set.title << ':' << Qt::endl;
        for (const SampleCheck &check : set.checks) {
            ++samples;
            out << "  " << check.name << ": " << sampleCheckText(check);
            if (check.root && check.pitch.note > 0)
                out << QStringLiteral("; %1%2 cents, confidence %3")
                           .arg(std::lround(check.cents()) > 0 ? QStringLiteral("+") : QString())
                           .arg(std::lround(check.cents()))
                           .arg(check.pitch.confidence, 0, 'f', 2);
            if (check.disagrees()) {
                const wav::KeyAndFine tuned = check.proposal();
                out << "; OUT OF TUNE: KEY " << msp::NoteName(tuned.key) << " FINE " << tuned.fine << " would tune it";
                ++outOfTune;
            } else if (!check.root || check.notCompared) {
                ++unchecked;
            } else if (check.pitch.confident) {
                ++inTune;
            } else if (check.pitch.note > 0) {
                ++unsure;
            } else {
                ++unpitched;
            }
            out << Qt::endl;
        }
    }
    out << samples << " samples: " << inTune << " in tune, " << outOfTune << " out of tune (50 cents or more), " << unsure
        << " unsure, " << unpitched << " without a held pitch, " << unchecked << " without a root or playing as recorded"
        << Qt::endl;
    return outOfTune > 0 ? 1 : 0;
}

} // namespace tamo::exporter
